#include "lsp/lsp_uri.h"

namespace kelvora::lsp {

namespace {

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  if (s.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = s[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != prefix[i]) return false;
  }
  return true;
}

}  // namespace

std::string PathToUri(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "file://";
  for (char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    if (Unreserved(c) || c == '/') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::optional<std::string> UriToPath(std::string_view uri) {
  if (!StartsWithNoCase(uri, "file:")) return std::nullopt;
  uri.remove_prefix(5);
  if (uri.starts_with("//")) {
    uri.remove_prefix(2);
    const std::size_t slash = uri.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const std::string_view host = uri.substr(0, slash);
    if (!host.empty() && !StartsWithNoCase(host, "localhost")) return std::nullopt;
    if (!host.empty() && host.size() != 9) return std::nullopt;
    uri.remove_prefix(slash);
  }
  if (!uri.starts_with('/')) return std::nullopt;
  const std::size_t end = uri.find_first_of("?#");
  if (end != std::string_view::npos) uri = uri.substr(0, end);
  std::string path;
  path.reserve(uri.size());
  for (std::size_t i = 0; i < uri.size(); ++i) {
    char c = uri[i];
    if (c == '%') {
      if (i + 2 >= uri.size()) return std::nullopt;
      const int hi = HexValue(uri[i + 1]), lo = HexValue(uri[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      c = static_cast<char>(hi * 16 + lo);
      i += 2;
    }
    if (c == '\0') return std::nullopt;
    path += c;
  }
  return path;
}

}  // namespace kelvora::lsp
