#include "platform/cp932.h"

#include <iconv.h>
#include <cerrno>

namespace kelvora {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// One conversion descriptor per thread and direction; iconv_open is too slow for every line.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  // NOLINTNEXTLINE(performance-no-int-to-ptr): (iconv_t)-1 is iconv_open's failure value
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much as possible; returns false with errno set (EILSEQ, EINVAL) where it stopped.
  // in and out advance past what was converted.
  bool Run(const char*& in, std::size_t& in_left, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buf[4096];
    while (in_left > 0) {
      char* src = const_cast<char*>(in);
      char* dst = buf;
      std::size_t dst_left = sizeof buf;
      std::size_t rc = iconv(cd_, &src, &in_left, &dst, &dst_left);
      int err = errno;
      out.append(buf, static_cast<std::size_t>(dst - buf));
      in = src;
      if (rc == static_cast<std::size_t>(-1) && err != E2BIG) {
        errno = err;
        return false;
      }
    }
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& FromCp932() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

Converter& ToCp932() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// Length of the well-formed UTF-8 sequence at s[i], or 0 when there is none. With
// maximal_subpart, a broken sequence gives the length of its valid start instead (at least 1),
// so a cut-short character counts as one bad character.
std::size_t Utf8SequenceLength(std::string_view s, std::size_t i, bool maximal_subpart = false) {
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const std::size_t broken = maximal_subpart ? 1 : 0;
  unsigned char c = at(i);
  if (c < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;  // no surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return broken;
  }
  for (std::size_t k = 1; k < len; ++k) {
    bool ok =
        i + k < s.size() && at(i + k) >= (k == 1 ? lo : 0x80) && at(i + k) <= (k == 1 ? hi : 0xBF);
    if (!ok) return maximal_subpart ? k : 0;
  }
  return len;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  std::string out;
  out.reserve(cp932.size() * 3 / 2);
  Converter& conv = FromCp932();
  if (!conv.ok()) {
    for (unsigned char c : cp932) {
      if (c < 0x80)
        out.push_back(static_cast<char>(c));
      else
        out.append(kReplacement);
    }
    return out;
  }
  const char* in = cp932.data();
  std::size_t left = cp932.size();
  while (!conv.Run(in, left, out)) {
    // An invalid or unmapped character: one replacement, then go on with the rest. A lead byte
    // followed by a byte from the trail range is taken as one (unmapped) character.
    std::size_t skip = 1;
    auto b = static_cast<unsigned char>(in[0]);
    if (IsCp932LeadByte(b) && left >= 2 && IsCp932TrailByte(static_cast<unsigned char>(in[1])))
      skip = 2;
    out.append(kReplacement);
    in += skip;
    left -= skip;
  }
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  long replaced = 0;
  return Utf8ToCp932(utf8, "?", &replaced);
}

std::string Utf8ToCp932(std::string_view utf8, std::string_view replacement, long* replaced) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::string out;
  out.reserve(utf8.size());
  Converter& conv = ToCp932();
  const char* in = utf8.data();
  std::size_t left = utf8.size();
  auto skip_one = [&] {
    std::size_t pos = static_cast<std::size_t>(in - utf8.data());
    std::size_t len = Utf8SequenceLength(utf8, pos, true);
    out.append(replacement);
    ++*replaced;
    in += len;
    left -= len;
  };
  if (!conv.ok()) {
    while (left > 0) {
      if (static_cast<unsigned char>(*in) < 0x80) {
        out.push_back(*in++);
        --left;
      } else {
        skip_one();
      }
    }
    return out;
  }
  while (!conv.Run(in, left, out)) skip_one();
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t len = Utf8SequenceLength(bytes, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::string ToDisplay(std::string_view bytes) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return Cp932ToUtf8(bytes);
}

std::size_t Cp932SafeCut(std::string_view text, std::size_t max_bytes) {
  if (max_bytes >= text.size()) return text.size();
  std::size_t i = 0;
  while (i < max_bytes) {
    std::size_t step =
        IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    if (i + step > max_bytes) break;
    i += step;
  }
  return i;
}

const std::string& Cp932Texts::Get(std::string_view utf8) {
  auto it = table_.find(std::string(utf8));
  if (it != table_.end()) return it->second;
  if (limit_ != 0 && table_.size() >= limit_) table_.clear();
  std::string cp932 = Utf8ToCp932(utf8);
  if (crlf_) {
    std::string with_cr;
    with_cr.reserve(cp932.size() + 8);
    for (char c : cp932) {
      if (c == '\n') with_cr += '\r';
      with_cr += c;
    }
    cp932 = std::move(with_cr);
  }
  return table_.emplace(std::string(utf8), std::move(cp932)).first->second;
}

}  // namespace kelvora
