#include "lsp/lsp_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cerrno>

#include <algorithm>
#include <bit>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/line_split.h"
#include "text/source_clean.h"

namespace kelvora::lsp {

namespace {

constexpr off_t kMaxDecodedBytes = off_t{512} << 20;

// Length of the UTF-8 sequence a lead byte starts (1 for a stray continuation byte).
std::size_t SequenceLength(unsigned char b) {
  if (b >= 0xF0 && b < 0xF8) return 4;
  if (b >= 0xE0) return b < 0xF0 ? 3 : 1;
  if (b >= 0xC0) return 2;
  return 1;
}

std::size_t Units(std::size_t length, PositionEncoding encoding) {
  switch (encoding) {
    case PositionEncoding::kUtf8:
      return length;
    case PositionEncoding::kUtf16:
      return length == 4 ? 2 : 1;
    case PositionEncoding::kUtf32:
      return 1;
  }
  return 1;
}

std::vector<std::string> SplitLines(std::string text) {
  std::vector<std::string> lines;
  StringLineSource source(std::move(text));
  std::string line;
  while (source.ReadLine(line)) lines.push_back(line);
  return lines;
}

// The bytes of a regular file of at most kMaxDecodedBytes; false when it is none or cannot be
// read (a path a client sends may name a device or a FIFO).
bool ReadRegularFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxDecodedBytes) {
    ::close(fd);
    return false;
  }
  bytes.resize(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return true;
}

}  // namespace

std::string_view EncodingLabel(PositionEncoding encoding) {
  switch (encoding) {
    case PositionEncoding::kUtf8:
      return "utf-8";
    case PositionEncoding::kUtf16:
      return "utf-16";
    case PositionEncoding::kUtf32:
      return "utf-32";
  }
  return "utf-16";
}

std::size_t ColumnOfByte(std::string_view line, std::size_t byte, PositionEncoding encoding) {
  std::size_t column = 0;
  for (std::size_t i = 0; i < line.size();) {
    const std::size_t n =
        std::min(SequenceLength(static_cast<unsigned char>(line[i])), line.size() - i);
    if (i + n > byte) break;
    column += Units(n, encoding);
    i += n;
  }
  return column;
}

std::size_t ByteOfColumn(std::string_view line, std::size_t column, PositionEncoding encoding) {
  std::size_t units = 0, i = 0;
  while (i < line.size()) {
    const std::size_t n =
        std::min(SequenceLength(static_cast<unsigned char>(line[i])), line.size() - i);
    const std::size_t u = Units(n, encoding);
    if (units + u > column) break;
    units += u;
    i += n;
  }
  return i;
}

std::size_t ByteOfCharIndex(std::string_view line, std::size_t index) {
  std::size_t i = 0;
  for (std::size_t k = 0; k < index && i < line.size(); ++k)
    i += std::min(SequenceLength(static_cast<unsigned char>(line[i])), line.size() - i);
  return i;
}

std::size_t Cp932CharIndex(std::string_view text, std::size_t byte) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size() && i < byte; ++count)
    i += IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
  return count;
}

std::size_t Cp932Length(std::string_view utf8) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    const std::size_t len = std::min(SequenceLength(b), utf8.size() - i);
    // U+FF61..U+FF9F (EF BD A1..EF BE 9F): half-width katakana, one byte in CP932.
    const bool half_width = len == 3 && b == 0xEF &&
                            ((static_cast<unsigned char>(utf8[i + 1]) == 0xBD &&
                              static_cast<unsigned char>(utf8[i + 2]) >= 0xA1) ||
                             (static_cast<unsigned char>(utf8[i + 1]) == 0xBE &&
                              static_cast<unsigned char>(utf8[i + 2]) <= 0x9F));
    n += b < 0x80 || half_width ? 1 : 2;
    i += len;
  }
  return n;
}

std::string Cp932ToUtf8Marked(std::string_view cp932) {
  std::string utf8 = Cp932ToUtf8(cp932);
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  static constexpr std::string_view kGeta = "〓";
  for (std::size_t at = utf8.find(kReplacement); at != std::string::npos;
       at = utf8.find(kReplacement, at + kGeta.size()))
    utf8.replace(at, kReplacement.size(), kGeta);
  return utf8;
}

const std::string& DecodedFile::Line(std::size_t zero_based) const {
  static const std::string kEmpty;
  return zero_based < lines.size() ? lines[zero_based] : kEmpty;
}

DecodedFile DecodeBytes(std::string bytes, int char_change) {
  DecodedFile file;
  file.opened = true;
  if (char_change == kCharChangeDetect) {
    file.encoding = DetectEncoding(bytes);
    if (file.encoding == SourceEncoding::Utf8 || file.encoding == SourceEncoding::Ascii ||
        file.encoding == SourceEncoding::Utf8Bom) {
      if (file.encoding == SourceEncoding::Utf8Bom) bytes.erase(0, 3);
      file.lines = SplitLines(std::move(bytes));
      return file;
    }
    SourceText text = DecodeSourceText(std::move(bytes), char_change);
    file.lines = SplitLines(std::move(text.text));
  } else {
    file.encoding = char_change == kCharChangeEuc ? SourceEncoding::EucJp : SourceEncoding::Cp932;
    file.lines = SplitLines(std::move(bytes));
    if (char_change == kCharChangeEuc)
      for (std::string& line : file.lines) line = ConvertEucToSjis(line);
  }
  for (std::string& line : file.lines) {
    bool ascii = true;
    for (char c : line) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii) line = Cp932ToUtf8Marked(line);
  }
  return file;
}

DecodedFile DecodeFile(const std::string& path, int char_change) {
  std::string bytes;
  if (!ReadRegularFile(path, bytes)) return {};
  return DecodeBytes(std::move(bytes), char_change);
}

std::shared_ptr<const DecodedFile> FileTextCache::Get(const std::string& path) {
  {
    std::lock_guard lock(mutex_);
    auto it = files_.find(path);
    if (it != files_.end()) {
      order_.splice(order_.begin(), order_, it->second.second);
      return it->second.first;
    }
  }
  auto file = std::make_shared<const DecodedFile>(DecodeFile(path, char_change_));
  std::lock_guard lock(mutex_);
  if (files_.count(path)) return files_[path].first;
  order_.push_front(path);
  files_[path] = {file, order_.begin()};
  while (files_.size() > capacity_) {
    files_.erase(order_.back());
    order_.pop_back();
  }
  return file;
}

void FileTextCache::Forget(const std::string& path) {
  std::lock_guard lock(mutex_);
  auto it = files_.find(path);
  if (it == files_.end()) return;
  order_.erase(it->second.second);
  files_.erase(it);
}

std::string RawLineCache::Line(const std::string& path, std::size_t zero_based) {
  std::lock_guard lock(mutex_);
  auto it = files_.begin();
  while (it != files_.end() && it->path != path) ++it;
  if (it != files_.end()) {
    files_.splice(files_.begin(), files_, it);
  } else {
    File& file = files_.emplace_front();
    file.path = path;
    file.starts.push_back(0);
    // Only regular files: a path a client sends may name a device or a FIFO.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        st.st_size <= kMaxDecodedBytes) {
      const auto size = static_cast<std::size_t>(st.st_size);
      file.data.reset(new char[size]);
      while (file.size < size) {
        const ssize_t n = ::read(fd, file.data.get() + file.size, size - file.size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        file.size += static_cast<std::size_t>(n);
      }
    }
    if (fd >= 0) ::close(fd);
    if (files_.size() > capacity_) files_.pop_back();
  }
  File& f = files_.front();
  // Line starts are found as far as a request reaches.
  const std::string_view text(f.data ? f.data.get() : "", f.size);
  while (f.starts.size() <= zero_based + 1 && f.starts.back() < text.size()) {
    std::size_t pos = f.starts.back();
    LineAt(text, pos);
    f.starts.push_back(static_cast<std::uint32_t>(pos));
  }
  if (zero_based + 1 >= f.starts.size()) return {};
  std::size_t pos = f.starts[zero_based];
  return std::string(LineAt(text, pos));
}

void RawLineCache::Forget(const std::string& path) {
  std::lock_guard lock(mutex_);
  files_.remove_if([&](const File& f) { return f.path == path; });
}

// The first place at or after from where needle (not empty) stands in text, or npos. Sixteen
// places are tried at once on the needle's first and last byte, the rest compared only where
// both match: several times memmem's speed on the short words a symbol query gives.
std::size_t FindBytes(std::string_view text, std::string_view needle, std::size_t from) {
  const std::size_t n = needle.size();
  if (n == 0 || from > text.size() || text.size() - from < n) return std::string_view::npos;
  const std::size_t last_start = text.size() - n;  // the last place the needle may start
  std::size_t i = from;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(needle.front());
  const __m128i final = _mm_set1_epi8(needle.back());
  for (; i + 15 <= last_start; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + i + n - 1));
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, final))));
    while (mask != 0) {
      const std::size_t at = i + static_cast<std::size_t>(std::countr_zero(mask));
      if (std::memcmp(text.data() + at + 1, needle.data() + 1, n > 2 ? n - 2 : 0) == 0) return at;
      mask &= mask - 1;
    }
  }
#endif
  const void* hit = memmem(text.data() + i, text.size() - i, needle.data(), n);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data())
             : std::string_view::npos;
}

bool IsIdentChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string_view IdentifierAt(std::string_view line, std::size_t byte, std::size_t* begin) {
  if (byte > line.size()) byte = line.size();
  std::size_t b = byte;
  if ((b == line.size() || !IsIdentChar(line[b])) && b > 0 && IsIdentChar(line[b - 1])) --b;
  if (b >= line.size() || !IsIdentChar(line[b])) return {};
  std::size_t s = b, e = b;
  while (s > 0 && IsIdentChar(line[s - 1])) --s;
  while (e < line.size() && IsIdentChar(line[e])) ++e;
  if (line[s] >= '0' && line[s] <= '9') return {};
  if (begin) *begin = s;
  return line.substr(s, e - s);
}

std::size_t FindWord(std::string_view line, std::string_view name, std::size_t from) {
  if (name.empty()) return std::string_view::npos;
  for (std::size_t at = line.find(name, from); at != std::string_view::npos;
       at = line.find(name, at + 1)) {
    const bool left = at == 0 || !IsIdentChar(line[at - 1]);
    const bool right = at + name.size() == line.size() || !IsIdentChar(line[at + name.size()]);
    if (left && right) return at;
  }
  return std::string_view::npos;
}

std::vector<std::size_t> WordsCp932(std::string_view text, std::string_view name) {
  std::vector<std::size_t> out;
  bool after_ident = false;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsCp932LeadByte(b) && i + 1 < text.size()) {
      after_ident = false;
      i += 2;
      continue;
    }
    if (!after_ident && text.compare(i, name.size(), name) == 0 &&
        (i + name.size() == text.size() || !IsIdentChar(text[i + name.size()])))
      out.push_back(i);
    after_ident = IsIdentChar(text[i]);
    ++i;
  }
  return out;
}

}  // namespace kelvora::lsp
