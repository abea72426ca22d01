#include "tree/tree_text.h"

#include "platform/cp932.h"

namespace kelvora {

namespace {

bool IsWordByte(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

std::size_t CharLen(std::string_view text, std::size_t i) {
  return IsCp932LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

}  // namespace

std::string_view FirstWord(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += CharLen(text, i)) {
    if (!IsWordByte(static_cast<unsigned char>(text[i]))) continue;
    std::size_t end = i;
    while (end < text.size() && IsWordByte(static_cast<unsigned char>(text[end]))) ++end;
    return text.substr(i, end - i);
  }
  return {};
}

std::string_view ItemName(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); i += CharLen(text, i)) {
    std::size_t j = i;
    while (j < text.size() && (text[j] == '*' || text[j] == '~')) ++j;
    if (j >= text.size() || !IsNameStart(static_cast<unsigned char>(text[j]))) continue;
    std::size_t end = j + 1;
    while (end < text.size() &&
           (IsWordByte(static_cast<unsigned char>(text[end])) || text[end] == ':'))
      ++end;
    return text.substr(i, end - i);
  }
  return {};
}

bool ContainsAligned(std::string_view text, std::string_view word) {
  if (word.empty()) return true;
  for (std::size_t i = 0; i + word.size() <= text.size(); i += CharLen(text, i))
    if (text.compare(i, word.size(), word) == 0) return true;
  return false;
}

std::string RemoveFirst(std::string_view text, std::string_view what) {
  std::string out(text);
  if (what.empty()) return out;
  const std::size_t at = out.find(what);
  if (at != std::string::npos) out.erase(at, what.size());
  return out;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace kelvora
