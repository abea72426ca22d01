#include "platform/file_names.h"

#include <sys/stat.h>

#include <vector>

#include "platform/cp932.h"
#include "platform/files.h"

namespace kelvora {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::size_t Utf8Length(unsigned char lead) {
  return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

bool IsAsciiText(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

// Line feeds and carriage returns would split a line of a written file.
bool BreaksLine(char c) {
  return c == '\n' || c == '\r';
}

bool HasLineBreak(std::string_view s) {
  return s.find_first_of("\n\r") != std::string_view::npos;
}

void AppendEscaped(std::string& out, unsigned char b) {
  out += '%';
  out += kHex[b >> 4];
  out += kHex[b & 0xF];
}

std::string PartToCp932(std::string_view part) {
  if (IsAsciiText(part) || !IsValidUtf8(part)) {
    if (!HasLineBreak(part)) return std::string(part);
    // Bytes kept as they are; only the line breaks and "%" are escaped.
    std::string out;
    for (char c : part) {
      if (BreaksLine(c) || c == '%')
        AppendEscaped(out, static_cast<unsigned char>(c));
      else
        out += c;
    }
    return out;
  }
  struct Piece {
    std::string_view utf8;
    std::string cp932;
    bool held;
  };
  std::vector<Piece> pieces;
  bool escaped = false;
  for (std::size_t i = 0; i < part.size();) {
    const std::size_t len = Utf8Length(static_cast<unsigned char>(part[i]));
    const std::string_view ch = part.substr(i, len);
    i += len;
    long replaced = 0;
    std::string cp932 = len == 1 ? std::string(ch) : Utf8ToCp932(ch, "", &replaced);
    if (len == 1 && BreaksLine(ch[0])) replaced = 1;
    escaped = escaped || replaced > 0;
    pieces.push_back({ch, std::move(cp932), replaced == 0});
  }
  std::string out;
  for (const Piece& p : pieces) {
    if (p.held && !(escaped && p.utf8 == "%")) {
      out += p.cp932;
      continue;
    }
    for (unsigned char b : p.utf8) AppendEscaped(out, b);
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The UTF-8 form of a part as PartToCp932 wrote it; escapes undone when unescape is set.
std::string PartToUtf8(std::string_view part, bool unescape) {
  std::string out, run;
  for (std::size_t i = 0; i < part.size(); ++i) {
    int hi = -1, lo = -1;
    if (unescape && part[i] == '%' && i + 2 < part.size() && (hi = HexValue(part[i + 1])) >= 0 &&
        (lo = HexValue(part[i + 2])) >= 0) {
      out += Cp932ToUtf8(run);
      run.clear();
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
      continue;
    }
    run += part[i];
  }
  return out + Cp932ToUtf8(run);
}

// The bytes of a part with its "%XX" undone and nothing converted (a CP932 name with a line break).
std::string PartUnescaped(std::string_view part) {
  std::string out;
  for (std::size_t i = 0; i < part.size(); ++i) {
    int hi = -1, lo = -1;
    if (part[i] == '%' && i + 2 < part.size() && (hi = HexValue(part[i + 1])) >= 0 &&
        (lo = HexValue(part[i + 2])) >= 0) {
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
      continue;
    }
    out += part[i];
  }
  return out;
}

}  // namespace

std::string NameToCp932(std::string_view path) {
  if (IsAsciiText(path) && !HasLineBreak(path)) return std::string(path);
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t slash = path.find('/', at);
    out += PartToCp932(path.substr(at, slash == std::string_view::npos ? slash : slash - at));
    if (slash == std::string_view::npos) return out;
    out += '/';
    at = slash + 1;
  }
}

std::string RealPathOf(std::string_view path,
                       const std::function<bool(const std::string&)>& exists) {
  const auto found = [&](const std::string& p) {
    return exists ? exists(p) : FileOrFolderExists(p);
  };
  std::string as_written(path);
  if ((IsAsciiText(path) && path.find('%') == std::string_view::npos) || found(as_written))
    return as_written;
  std::string real;
  std::size_t at = 0;
  for (;;) {
    const std::size_t slash = path.find('/', at);
    const std::string_view part =
        path.substr(at, slash == std::string_view::npos ? slash : slash - at);
    std::string choice(part);
    if (!part.empty() && !found(real + choice)) {
      for (int way = 0; way < 3; ++way) {
        std::string candidate = way < 2 ? PartToUtf8(part, way == 1) : PartUnescaped(part);
        if (found(real + candidate)) {
          choice = std::move(candidate);
          break;
        }
      }
    }
    real += choice;
    if (slash == std::string_view::npos) break;
    real += '/';
    at = slash + 1;
  }
  return found(real) ? real : as_written;
}

}  // namespace kelvora
