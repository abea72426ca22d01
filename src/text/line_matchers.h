// Hand-written recognisers for the fixed patterns that nearly every line of an analysis meets.
// Each one gives what Regex::Search gives for its pattern under the program's syntax and CP932
// (lone lead bytes read as single bytes): whether it matches and the span of the leftmost match.
// Where a subject cannot be decided both cheaply and exactly (a pattern whose backtracking the
// engine may give up on), the recogniser says so and the engine decides.
#pragma once

#include <cstddef>
#include <string_view>

#include "text/regex_service.h"

namespace kelvora {

// The fixed patterns with a recogniser. The analysis compiles exactly these texts; a text that
// differs in any byte simply goes to the engine.
namespace fixed_pattern {
inline constexpr std::string_view kFunctionA =
    "^[A-Za-z0-9_]+[ \\t]*[A-Za-z0-9_*]+[(:| \\t)]*[*]*[*~]*[A-Za-z_][A-Za-z0-9_:]*[ \\t]*"
    "[\\(][ \\tA-Za-z0-9_,&*/=\\[\\]]*[\\)]*[A-Za-z0-9_\\{ \\t]*($|/)";
inline constexpr std::string_view kFunctionB =
    "^[_a-zA-Z][_a-zA-Z0-9]*[a-z]+[_a-zA-Z0-9]*[ \\t]*\\([^;]*$";
inline constexpr std::string_view kFunctionC =
    "#define[ \\t]+[_a-zA-Z][_a-zA-Z0-9]*\\([ \\t,_a-zA-Z0-9]*";
inline constexpr std::string_view kFunctionName = "[*~]*[A-Za-z_][A-Za-z0-9_:]*[ \\t]*\\(";
inline constexpr std::string_view kPrototypeHead = "[*~]*[A-Za-z_][A-Za-z0-9_:]*[ \\t]*[(]";
inline constexpr std::string_view kDefine = "^[ \\t]*#define[ \\t]+[A-Za-z0-9_]+[ \\t]";
inline constexpr std::string_view kDefineWord = "#define[ \\t]+";
inline constexpr std::string_view kIdentifier = "[A-Za-z0-9_]+";
inline constexpr std::string_view kStructClose =
    R"(^[ \t]*}([ \t]*[A-Za-z0-9_][ \tA-Za-z0-9_\[\]]+,?)+;)";
inline constexpr std::string_view kStructTag =
    R"(struct[ \t]+[A-Za-z0-9_]+[ \t\[\]A-Za-z0-9_&*=]*{*)";
// The position at the start of a candidate line, and the first comment of a line.
inline constexpr std::string_view kPositionPrefix = "^.+\\([0-9]+\\):[ \\t]*";
inline constexpr std::string_view kComment = "//.+$|/\\*.+?\\*/";
// Parts of a struct or table candidate line.
inline constexpr std::string_view kBraceKeyword = "[ \\t]*}[ \\t]*";
inline constexpr std::string_view kStructKeyword = "[ \\t]*struct[ \\t]*";
inline constexpr std::string_view kInitialiser = "=.*$";
inline constexpr std::string_view kBrackets = "\\[.*\\]";
// Prototype declarations, and table heads (these only pass through the engine when a cheap
// necessary condition holds).
inline constexpr std::string_view kPrototype =
    R"(^[ \t]*[A-Za-z0-9_]*[ \t]*[A-Za-z0-9_]+[ \t]+[*]*[A-Za-z_][A-Za-z0-9_]*[ \t]*\([ \tA-Za-z0-9_,&*]*\)[ \t]*\;)";
inline constexpr std::string_view kTableHead =
    R"([A-Za-z0-9_]+[*]*[ \t]+[*]*[A-Za-z0-9_]+\[?[ \tA-Za-z0-9_&*=+-]*\]?([ \t]*\[[ \tA-Za-z0-9_&*=+-]*\])*[ \t]*=[ \t]*{)";
// Definition heads of the step count (the fifth is kFunctionB).
inline constexpr std::string_view kStepHeadFirst =
    "^[ \\t]*[A-Za-z0-9_]*[ \\t]*[A-Za-z0-9_]+[ \\t]+[*]*[A-Za-z_][A-Za-z0-9_]*[ \\t]*[\\(]"
    "[ \\tA-Za-z0-9_,&*\\[\\]]*[\\)]*[A-Za-z0-9_\\{ \\t]*$";
inline constexpr std::string_view kStepHeadScope = "^[_a-zA-Z][^\\(=;:]*::[^\\(;]+\\([^;]*$";
inline constexpr std::string_view kStepHeadNamed =
    "^[_a-zA-Z][^\\(=;:]*[ \\t]+[_a-zA-Z][_a-zA-Z0-9]*\\([^;]*$";
inline constexpr std::string_view kStepHeadOperator =
    "^[_a-zA-Z][^\\(=;:]*[ \\t]+operator[^\\(;]+\\([^;]*$";
}  // namespace fixed_pattern

enum class Recognised { NoMatch, Match, AskEngine };

// Decides a search of one fixed pattern; span is set on Match only.
using Recogniser = Recognised (*)(std::string_view subject, MatchSpan& span);

// The recogniser of a pattern text (alternations of the function detection and the struct
// detection included), or null when the text has none.
Recogniser RecogniserFor(std::string_view pattern);

// Decides only whether a fixed pattern matches somewhere (Regex::Matches), for a pattern whose
// leftmost span is costly to find the engine's way; null when the text has none.
using MatchTest = Recognised (*)(std::string_view subject);
MatchTest MatchTestFor(std::string_view pattern);

// Subjects longer than this always go to the engine.
inline constexpr std::size_t kRecogniserLimit = 2048;

}  // namespace kelvora
