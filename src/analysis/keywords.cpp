#include <algorithm>
#include <array>
#include <string_view>

#include "analysis/definitions.h"

namespace kelvora {

namespace {

// In the order the exclusion page of the HTML site lists them.
constexpr std::array<std::string_view, 47> kKeywords = {
    "asm",
    "auto",
    "bool",
    "case",
    "catch",
    "char",
    "const",
    "continue",
    "default",
    "delete",
    "do",
    "double",
    "else",
    "enum",
    "extern",
    "false",
    "float",
    "for",
    "goto",
    "if",
    "inline",
    "int",
    "long",
    "return",
    "short",
    "signed",
    "sizeof",
    "static",
    "struct",
    "switch",
    "this",
    "throw",
    "try",
    "true",
    "typedef",
    "union",
    "unsigned",
    "using",
    "virtual",
    "void",
    "volatile",
    "while",
    "word",
    "BEGIN_MESSAGE_MAP",
    "END_MESSAGE_MAP",
    "IMPLEMENT_DYNAMIC",
    "IMPLEMENT_DYNCREATE",
};

// Sorted by byte value for the binary search below.
constexpr std::array<std::string_view, 47> kSorted = [] {
  auto sorted = kKeywords;
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}();

}  // namespace

bool IsKeyword(std::string_view name) {
  return std::binary_search(kSorted.begin(), kSorted.end(), name);
}

const std::array<std::string_view, 47>& KeywordsInListOrder() {
  return kKeywords;
}

}  // namespace kelvora
