#include "text/encoding_detect.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/line_split.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

constexpr std::string_view kGeta = "\x81\xAC";  // "〓" in CP932
constexpr std::string_view kBom = "\xEF\xBB\xBF";

unsigned char At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]);
}

bool IsEucByte(unsigned char b) {
  return b >= 0xA1 && b <= 0xFE;
}

bool IsAsciiText(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// The tie rule between EUC-JP and CP932 for bytes valid in both (see DetectEncoding).
bool TieIsEuc(std::string_view s) {
  long half_width = 0, row_leads = 0;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = At(s, i);
    if (IsCp932LeadByte(b)) return true;  // a double-byte character in the CP932 reading
    if (b >= 0xA1 && b <= 0xDF) {
      ++half_width;
      if (b <= 0xA5) ++row_leads;
    }
    ++i;
  }
  return half_width > 0 && row_leads * 4 >= half_width;
}

// EUC-JP to CP932 as value 1 converts it; a JIS X 0212 character (0x8F and two bytes) has no
// CP932 form and becomes "〓".
std::string EucToCp932(std::string_view s, long& replaced) {
  std::string out;
  out.reserve(s.size());
  std::size_t begin = 0;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = At(s, i);
    if (b == 0x8F && i + 2 < s.size()) {
      out += ConvertEucToSjis(s.substr(begin, i - begin));
      out += kGeta;
      ++replaced;
      i += 3;
      begin = i;
    } else {
      i += (b == 0x8E || IsEucByte(b)) && i + 1 < s.size() ? 2 : 1;
    }
  }
  out += ConvertEucToSjis(s.substr(begin));
  return out;
}

}  // namespace

std::string_view EncodingName(SourceEncoding encoding) {
  switch (encoding) {
    case SourceEncoding::Ascii:
      return "ASCII";
    case SourceEncoding::Cp932:
      return "CP932";
    case SourceEncoding::EucJp:
      return "EUC-JP";
    case SourceEncoding::Utf8:
      return "UTF-8";
    case SourceEncoding::Utf8Bom:
      return "UTF-8 BOM";
    case SourceEncoding::Unknown:
      break;
  }
  return "unknown";
}

bool IsValidCp932(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = At(s, i);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {
      ++i;
    } else if (IsCp932LeadByte(b) && i + 1 < s.size() && IsCp932TrailByte(At(s, i + 1))) {
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

bool IsValidEucJp(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char b = At(s, i);
    if (b < 0x80) {
      ++i;
    } else if (b == 0x8E) {
      if (i + 1 >= s.size() || At(s, i + 1) < 0xA1 || At(s, i + 1) > 0xDF) return false;
      i += 2;
    } else if (b == 0x8F) {
      if (i + 2 >= s.size() || !IsEucByte(At(s, i + 1)) || !IsEucByte(At(s, i + 2))) return false;
      i += 3;
    } else if (IsEucByte(b)) {
      if (i + 1 >= s.size() || !IsEucByte(At(s, i + 1))) return false;
      i += 2;
    } else {
      return false;
    }
  }
  return true;
}

SourceEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.starts_with(kBom)) return SourceEncoding::Utf8Bom;
  if (IsAsciiText(bytes)) return SourceEncoding::Ascii;
  if (IsValidUtf8(bytes)) return SourceEncoding::Utf8;
  const bool euc = IsValidEucJp(bytes);
  const bool cp932 = IsValidCp932(bytes);
  if (euc && cp932) return TieIsEuc(bytes) ? SourceEncoding::EucJp : SourceEncoding::Cp932;
  if (euc) return SourceEncoding::EucJp;
  if (cp932) return SourceEncoding::Cp932;
  return SourceEncoding::Unknown;
}

SourceText DecodeSourceText(std::string bytes, int char_change) {
  SourceText result;
  if (char_change != kCharChangeDetect) {
    result.encoding = char_change == kCharChangeEuc ? SourceEncoding::EucJp : SourceEncoding::Cp932;
    result.text = std::move(bytes);
    return result;
  }
  result.encoding = DetectEncoding(bytes);
  switch (result.encoding) {
    case SourceEncoding::EucJp:
      result.text = EucToCp932(bytes, result.replaced);
      break;
    case SourceEncoding::Utf8Bom:
      result.text =
          Utf8ToCp932(std::string_view(bytes).substr(kBom.size()), kGeta, &result.replaced);
      break;
    case SourceEncoding::Utf8:
      result.text = Utf8ToCp932(bytes, kGeta, &result.replaced);
      break;
    default:
      result.text = std::move(bytes);
      break;
  }
  return result;
}

std::string LineToCp932(std::string_view line, SourceEncoding encoding, long* replaced) {
  switch (encoding) {
    case SourceEncoding::EucJp:
      return EucToCp932(line, *replaced);
    case SourceEncoding::Utf8Bom:
    case SourceEncoding::Utf8:
      if (line.starts_with(kBom)) line.remove_prefix(kBom.size());
      return Utf8ToCp932(line, kGeta, replaced);
    default:
      return std::string(line);
  }
}

bool SourceFileReader::Open(const std::string& path) {
  Close();
  if (char_change_ != kCharChangeDetect) {
    open_ = file_.Open(path);
    encoding_ = char_change_ == kCharChangeEuc ? SourceEncoding::EucJp : SourceEncoding::Cp932;
    return open_;
  }
  const int fd = OpenInputFile(path);  // regular files only, never blocking
  if (fd < 0) return false;
  std::string bytes;
  char buf[64 * 1024];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      bytes.append(buf, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      // The lines before the failed read are all the file gave, as FileLineReader reports it.
      failed_ = true;
      error_ = errno;
      break;
    }
  }
  ::close(fd);
  SourceText decoded = DecodeSourceText(std::move(bytes), char_change_);
  text_ = std::move(decoded.text);
  encoding_ = decoded.encoding;
  replaced_ = decoded.replaced;
  open_ = true;
  return true;
}

void SourceFileReader::Close() {
  file_.Close();
  open_ = failed_ = false;
  error_ = 0;
  text_.clear();
  pos_ = 0;
  replaced_ = 0;
}

bool SourceFileReader::Rewind() {
  if (char_change_ != kCharChangeDetect) return file_.Rewind();
  pos_ = 0;
  return open_;
}

bool SourceFileReader::ReadLine(std::string& line) {
  if (char_change_ != kCharChangeDetect) {
    const bool ok = file_.ReadLine(line);
    if (!ok && file_.failed()) {
      failed_ = true;
      error_ = file_.error();
    }
    return ok;
  }
  line.clear();
  if (!open_ || pos_ >= text_.size()) return false;
  line.assign(LineAt(text_, pos_));
  return true;
}

}  // namespace kelvora
