#include <algorithm>
#include <array>
#include <string_view>

#include "analysis/definitions.h"

namespace kelvora {

namespace {

// Sorted by byte value for the binary search below.
constexpr std::array<std::string_view, 47> kKeywords = {
    "BEGIN_MESSAGE_MAP",
    "END_MESSAGE_MAP",
    "IMPLEMENT_DYNAMIC",
    "IMPLEMENT_DYNCREATE",
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
    "true",
    "try",
    "typedef",
    "union",
    "unsigned",
    "using",
    "virtual",
    "void",
    "volatile",
    "while",
    "word",
};

static_assert(std::is_sorted(kKeywords.begin(), kKeywords.end()));

}  // namespace

bool IsKeyword(std::string_view name) {
  return std::binary_search(kKeywords.begin(), kKeywords.end(), name);
}

}  // namespace kelvora
