// Regex service: the program's patterns under CP932, result codes, limits and the engine switch.
#include "text/regex_service.h"

#include <gtest/gtest.h>

#include <cstdint>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "text/regex_pattern.h"

namespace kelvora {
namespace {

const char* const kFuncA =
    R"(^[A-Za-z0-9_]+[ \t]*[A-Za-z0-9_*]+[(:| \t)]*[*]*[*~]*[A-Za-z_][A-Za-z0-9_:]*[ \t]*[\(][ \tA-Za-z0-9_,&*/=\[\]]*[\)]*[A-Za-z0-9_\{ \t]*($|/))";
const char* const kFuncB = R"(^[_a-zA-Z][_a-zA-Z0-9]*[a-z]+[_a-zA-Z0-9]*[ \t]*\([^;]*$)";
const char* const kFuncC = R"(#define[ \t]+[_a-zA-Z][_a-zA-Z0-9]*\([ \t,_a-zA-Z0-9]*)";
const char* const kName = R"([*~]*[A-Za-z_][A-Za-z0-9_:]*[ \t]*\()";
const char* const kStructClose = R"(^[ \t]*}([ \t]*[A-Za-z0-9_][ \tA-Za-z0-9_\[\]]+,?)+;)";
const char* const kStructTag = R"(struct[ \t]+[A-Za-z0-9_]+[ \t\[\]A-Za-z0-9_&*=]*{*)";
const char* const kDefine = R"(^[ \t]*#define[ \t]+[A-Za-z0-9_]+[ \t])";
const char* const kTable =
    R"([A-Za-z0-9_]+[*]*[ \t]+[*]*[A-Za-z0-9_]+\[?[ \tA-Za-z0-9_&*=-+]*\]?[ \t]*=[ \t]*{)";
const char* const kPrototype =
    R"(^[ \t]*[A-Za-z0-9_]*[ \t]*[A-Za-z0-9_]+[ \t]+[*]*[A-Za-z_][A-Za-z0-9_]*[ \t]*\([ \tA-Za-z0-9_,&*]*\)[ \t]*\;)";
const char* const kComment = R"(//.+$|/\*.+?\*/)";
const char* const kExtension = R"([.][A-Za-z0-9_]+;?)";

std::string Sjis(std::string_view utf8) {
  return Utf8ToCp932(utf8);
}

// The whole first match, or "<none>".
std::string First(std::string_view pattern, std::string_view subject) {
  Regex re;
  EXPECT_TRUE(re.Compile(pattern)) << pattern << ": " << re.error();
  MatchSpan span;
  if (!re.Search(subject, span)) return "<none>";
  return std::string(subject.substr(span.pos, span.len));
}

TEST(RegexPatterns, EveryFixedPatternCompiles) {
  const std::string joined_func = std::string(kFuncA) + "|" + kFuncB + "|" + kFuncC;
  const std::string joined_struct = std::string(kStructClose) + "|" + kStructTag;
  const std::vector<std::string> patterns = {kFuncA,
                                             kFuncB,
                                             kFuncC,
                                             joined_func,
                                             kName,
                                             kStructClose,
                                             kStructTag,
                                             joined_struct,
                                             kDefine,
                                             kTable,
                                             kPrototype,
                                             kComment,
                                             kExtension,
                                             R"(\".+?\")",
                                             R"(/\*.*?\*/)",
                                             R"(//.+$)",
                                             R"(/\*.*$)",
                                             R"(^.*\*/)",
                                             "#if(n)?(def)?",
                                             R"(^.+\([0-9]+\):[ \t]*)",
                                             R"(^.+\.[a-zA-Z0-9_]+\()",
                                             R"([ ][ ]+)",
                                             "/[*]",
                                             "[*]/",
                                             R"(^[_a-zA-Z][^\(=;:]*::[^\(;]+\([^;]*$)",
                                             R"(=.*$)",
                                             R"(\[.*\])",
                                             "[A-Za-z0-9_]+",
                                             R"((\[[A-Za-z0-9_+-/*]*\])*)",
                                             R"((typedef[\t ]+)?)"};
  for (const auto& p : patterns) {
    Regex re;
    EXPECT_TRUE(re.Compile(p)) << p << ": " << re.error();
  }
}

TEST(RegexPatterns, FunctionHeads) {
  const std::string all = std::string(kFuncA) + "|" + kFuncB + "|" + kFuncC;
  EXPECT_EQ(First(all, "void CDlg::OnOK()"), "void CDlg::OnOK()");
  EXPECT_EQ(First(kName, "void CDlg::OnOK()"), "CDlg::OnOK(");
  EXPECT_EQ(First(all, "    foo(x);"), "<none>");  // heads start at column 0
  EXPECT_NE(First(all, "LRESULT CALLBACK WndProc(HWND h, UINT m,"), "<none>");
  EXPECT_EQ(First(kName, "LRESULT CALLBACK WndProc("), "WndProc(");
  EXPECT_EQ(First(kName, "char *dup("), "*dup(");
  EXPECT_EQ(First(all, "#define MAX(a,b) ((a)>(b)?(a):(b))"), "#define MAX(a,b");
  EXPECT_EQ(First(kFuncB, "if (x)"), "if (x)");
  EXPECT_EQ(First(kFuncB, "int f(int a);"), "<none>");
}

TEST(RegexPatterns, StructDefineTableAndPrototype) {
  const std::string both = std::string(kStructClose) + "|" + kStructTag;
  EXPECT_EQ(First(both, "} POINT;"), "} POINT;");
  EXPECT_EQ(First(both, "typedef struct tagPOINT {"), "struct tagPOINT {");
  EXPECT_EQ(First(kDefine, "#define MAX_LEN 10 // limit"), "#define MAX_LEN ");
  EXPECT_EQ(First(kDefine, "#define GUARD_H"), "<none>");
  EXPECT_EQ(First(kPrototype, "static int add(int a, int b);"), "static int add(int a, int b);");
  EXPECT_EQ(First(kComment, "int x; // b /* a */"), "// b /* a */");
  EXPECT_EQ(First(kComment, "int x; /* a */ y /* b */"), "/* a */");
  EXPECT_EQ(First(kExtension, "*.c;*.cpp"), ".c;");
  EXPECT_EQ(First(kExtension, "*.cpp"), ".cpp");
}

TEST(RegexPatterns, TableClassWithDescendingRangeIsThreeLiterals) {
  EXPECT_EQ(First(kTable, "static int table[10] = {"), "int table[10] = {");
  EXPECT_EQ(First(kTable, "int tbl[] = {"), "int tbl[] = {");
  EXPECT_EQ(First(kTable, "int tbl[N-1+2] ={"), "int tbl[N-1+2] ={");
  EXPECT_EQ(First(kTable, "struct point origin = {"), "struct point origin = {");
  // ',' and '.' lie between '+' and '=': an ascending reading would take them in.
  EXPECT_EQ(First(kTable, "int tbl[N,1] = {"), "<none>");
  EXPECT_EQ(First(kTable, "int tbl[N.1] = {"), "<none>");
}

TEST(RegexPatterns, DescendingRangeRewrite) {
  EXPECT_EQ(RewriteDescendingRanges("[ \\t=-+]"), "[ \\t=\\-+]");
  EXPECT_EQ(RewriteDescendingRanges("[a-z0-9+-/]x-a"), "[a-z0-9+-/]x-a");
  EXPECT_EQ(RewriteDescendingRanges("[\\]-+]"), "[\\]\\-+]");
  EXPECT_EQ(RewriteDescendingRanges("[^z-a]"), "[^z\\-a]");
  EXPECT_EQ(RewriteDescendingRanges("[]-+]"), "[]\\-+]");
  EXPECT_EQ(RewriteDescendingRanges("\\[z-a]"), "\\[z-a]");  // no class at all
  // 表 is 0x95 0x5C: its second byte must not escape the "]" after it.
  const std::string hyo = Sjis("表");
  EXPECT_EQ(RewriteDescendingRanges("[" + hyo + "]z-a"), "[" + hyo + "]z-a");
  EXPECT_EQ(RewriteDescendingRanges("[" + hyo + "-+]"), "[" + hyo + "\\-+]");
  EXPECT_EQ(RewriteDescendingRanges("[a-\\d]"), "[a-\\d]");  // class escapes are left alone
  EXPECT_EQ(RewriteDescendingRanges("[z-"), "[z-");
}

TEST(RegexPatterns, HeaderWordsWithBackslashSecondByte) {
  const std::string words = Sjis("関数名|処理名|機能名");
  EXPECT_EQ(First(words, Sjis("// 処理名：初期化")), Sjis("処理名"));
  EXPECT_EQ(First(words, Sjis("/* 機能名 : 読込 */")), Sjis("機能名"));
  EXPECT_EQ(First(words, Sjis("関数名")), Sjis("関数名"));
  EXPECT_EQ(First(words, Sjis("機能")), "<none>");
  EXPECT_EQ(First(words, Sjis("処理")), "<none>");
}

TEST(RegexPatterns, DoubleByteCharacterIsOneCharacter) {
  const std::string hyo = Sjis("表");
  EXPECT_EQ(First("^.$", hyo), hyo);
  EXPECT_EQ(First(R"(\\)", hyo), "<none>");  // the second byte is no backslash
  EXPECT_EQ(First(R"(\\)", hyo + "\\n"), "\\");
  EXPECT_EQ(First("[^a]", hyo), hyo);
  EXPECT_EQ(First(Sjis("[①髙～]+"), Sjis("x髙①～y")), Sjis("髙①～"));
  EXPECT_EQ(First(Sjis("ソ$"), Sjis("ソ")), Sjis("ソ"));
}

TEST(RegexPatterns, LiteralsLazyAndGreedy) {
  EXPECT_EQ(First(R"(\".+?\")", R"(printf("a=%d", "b");)"), R"("a=%d")");
  EXPECT_EQ(First(R"(\".+\")", R"(printf("a=%d", "b");)"), R"("a=%d", "b")");
  EXPECT_EQ(First(R"(/\*.*?\*/)", "/* a */ x /* b */"), "/* a */");
  EXPECT_EQ(First(R"(/\*.*\*/)", "/* a */ x /* b */"), "/* a */ x /* b */");
  EXPECT_EQ(First("a+?", "aaa"), "a");
}

TEST(RegexPatterns, BracesBracketsAndAmpersandsArePlainWhereNoSyntax) {
  EXPECT_EQ(First(R"(=[ \t]*{)", "int a[] = {"), "= {");
  EXPECT_EQ(First("x{*", "x{{{"), "x{{{");
  EXPECT_EQ(First("a{2}", "aaa"), "aa");  // an interval stays an interval
  EXPECT_EQ(First("[[]+", "a[[b"), "[[");
  EXPECT_EQ(First("[a&&b]+", "x&&a"), "&&a");
  EXPECT_EQ(First(R"(\;)", "f();"), ";");
  EXPECT_EQ(First("abc", "ABC"), "<none>");  // case-sensitive
}

TEST(RegexSearch, OddSubjects) {
  // NUL bytes and a lone lead byte at the end are searched without harm.
  EXPECT_EQ(First("b", std::string("a\0b", 3)), "b");
  std::string lone = "ab\x82";
  EXPECT_EQ(First("b", lone), "b");
  EXPECT_EQ(First("c", lone), "<none>");
  // The subject ends exactly at a lone lead byte (no terminator behind it).
  auto exact = std::make_unique<char[]>(3);
  std::memcpy(exact.get(), "ab\x82", 3);
  std::string_view cut(exact.get(), 3);
  const std::vector<std::string> probes = {".$", "[^a]$", "b.", "..$", Sjis("表")};
  for (const auto& p : probes) {
    Regex r;
    ASSERT_TRUE(r.Compile(p));
    r.Matches(cut);
  }
  EXPECT_EQ(First("b", cut), "b");
  Regex re;
  ASSERT_TRUE(re.Compile("x"));
  MatchSpan span;
  EXPECT_FALSE(re.Search("", span));
  EXPECT_TRUE(re.Search("aax", span));
  EXPECT_EQ(span.pos, 2u);
  Regex moved = std::move(re);
  EXPECT_TRUE(moved.Matches("x"));
  Regex unset;
  EXPECT_FALSE(unset.ok());
  EXPECT_FALSE(unset.Matches("x"));
}

TEST(RegexSearch, PathologicalLineGivesUp) {
  Regex re;
  ASSERT_TRUE(re.Compile("^(a|aa)*(a|aa)*c"));
  std::string line(5000, 'a');
  EXPECT_FALSE(re.Matches(line));
  ASSERT_TRUE(re.Compile(kFuncA));
  std::string head = "int f(" + std::string(2 * 1024 * 1024, ' ') + "x";
  re.Matches(head);  // returns in bounded time, whatever it decides
  ASSERT_TRUE(re.Compile(kTable));
  EXPECT_FALSE(re.Matches(std::string(1024 * 1024, 'a') + " b" + std::string(1000, ' ')));
}

TEST(RegexService, ExtractMatchCodesAndLimit) {
  RegexService rx;
  std::string out = "stale";
  EXPECT_EQ(rx.ExtractMatch("int main(void)", "[A-Za-z_]+\\(", out), 0);
  EXPECT_EQ(out, "main(");
  EXPECT_EQ(rx.ExtractMatch("int x;", "\\(", out), 1);
  EXPECT_EQ(out, "");
  std::string at_limit(512, 'a');
  EXPECT_EQ(rx.ExtractMatch(at_limit, "a$", out), 0);
  EXPECT_EQ(rx.ExtractMatch(at_limit + "a", "a", out), -2);
  EXPECT_EQ(out, "");
  EXPECT_EQ(rx.ExtractMatch("abc", "(", out), 1);  // an invalid pattern matches nothing
}

TEST(RegexService, ChainsSearchAfterEarlierMatch) {
  RegexService rx;
  std::string o1, o2, o3;
  EXPECT_EQ(rx.ExtractMatchChain("x1 y x2", "x[0-9]", "x[0-9]", o1, o2), 0);
  EXPECT_EQ(o1, "x1");
  EXPECT_EQ(o2, "x2");
  EXPECT_EQ(rx.ExtractMatchChain("x1 y", "x[0-9]", "x[0-9]", o1, o2), 2);
  EXPECT_EQ(o1, "x1");
  EXPECT_EQ(rx.ExtractMatchChain("y", "x", "y", o1, o2), 1);
  const std::string cand = "/src/a.h(12):  } POINT;";
  EXPECT_EQ(rx.ExtractMatchChain3(cand, R"(^.+\([0-9]+\):[ \t]*)", R"([ \t]*}[ \t]*)",
                                  "[A-Za-z0-9_]+", o1, o2, o3),
            0);
  EXPECT_EQ(o1, "/src/a.h(12):  ");
  EXPECT_EQ(o2, "} ");
  EXPECT_EQ(o3, "POINT");
  EXPECT_EQ(
      rx.ExtractMatchChain3("/a.h(1): };", R"(^.+\([0-9]+\):[ \t]*)", "}", "[A-Z]+", o1, o2, o3),
      3);
  EXPECT_EQ(rx.ExtractMatchChain3(std::string(513, 'a'), "a", "a", "a", o1, o2, o3), -2);
}

TEST(RegexService, ReplaceMatches) {
  RegexService rx;
  EXPECT_EQ(rx.ReplaceMatches("a  b   c", "[ ][ ]+", " "), "a b c");
  EXPECT_EQ(rx.ReplaceMatches("abc", "x", "y"), "");
  // Every occurrence of the matched text goes, then the next match is searched.
  EXPECT_EQ(rx.ReplaceMatches("foo1 foo2 foo1", "foo[0-9]", ""), "  ");
  EXPECT_EQ(rx.ReplaceMatches("/* note */", "/[*]", ""), " note */");
  const std::string words = Sjis("関数名|処理名|機能名");
  EXPECT_EQ(rx.ReplaceMatches(Sjis("// 関数名：初期化処理"), words, ""), Sjis("// ：初期化処理"));
  EXPECT_EQ(rx.ReplaceMatches(std::string(2049, 'a'), "a", "b"), "");
  // A replacement that contains its own match stops at the subject limit.
  std::string grown = rx.ReplaceMatches("a", "a", "aa");
  EXPECT_GE(grown.size(), 1024u);
  EXPECT_LE(grown.size(), RegexService::kReplaceLimit);
  EXPECT_EQ(rx.ReplaceMatches("abc", "x*", "y"), "abc");  // an empty match changes nothing
}

TEST(RegexService, ReplaceAllKeepsDoubleByteCharacters) {
  const std::string hyo = Sjis("表示");
  EXPECT_EQ(ReplaceAll(hyo, "\\", "/"), hyo);
  EXPECT_EQ(ReplaceAll("a\\b\\" + hyo, "\\", "/"), "a/b/" + hyo);
  EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
  // "\x5C\x82" only occurs across a character boundary here.
  EXPECT_EQ(ReplaceAll(Sjis("表あ"), std::string("\x5C\x82"), "-"), Sjis("表あ"));
}

TEST(RegexService, ValidatePattern) {
  RegexService rx;
  ScriptedUi ui;
  EXPECT_EQ(rx.ValidatePattern("", ui), 0);
  EXPECT_EQ(rx.ValidatePattern(Sjis("関数名|処理名"), ui), 0);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(rx.ValidatePattern(std::string(2049, 'a'), ui), -2);
  EXPECT_EQ(rx.ValidatePattern("(abc", ui), -3);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_NE(ui.messages()[0].find("Oniguruma"), std::string::npos);
  EXPECT_NE(ui.messages()[0].find("(abc"), std::string::npos);
  EXPECT_TRUE(IsValidUtf8(ui.messages()[0]));
}

TEST(RegexService, MissingEngineSwitch) {
  RegexService rx(false);
  ScriptedUi ui;
  std::string o1 = "x", o2 = "x", o3 = "x";
  Regex re;
  EXPECT_FALSE(rx.Compile("a", re));
  EXPECT_FALSE(re.ok());
  EXPECT_EQ(rx.ExtractMatch("a", "a", o1), -1);
  EXPECT_EQ(o1, "");
  EXPECT_EQ(rx.ExtractMatch(std::string(600, 'a'), "a", o1), -1);
  EXPECT_EQ(rx.ExtractMatchChain("a", "a", "a", o1, o2), -1);
  EXPECT_EQ(rx.ExtractMatchChain3("a", "a", "a", "a", o1, o2, o3), -1);
  EXPECT_EQ(rx.ReplaceMatches("a", "a", "b"), "");
  EXPECT_EQ(rx.ValidatePattern("(", ui), -1);
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(rx.LibraryVersionText(), "「 Oniguruma 」がありません！");
  rx.set_available(true);
  EXPECT_EQ(rx.LibraryVersionText(), " Oniguruma (C) K.Kosako   Ver 6.9");
  EXPECT_EQ(rx.ExtractMatch("a", "a", o1), 0);
  // A two-digit minor version reads in decimal, not as a hex digit ("6.A").
  EXPECT_EQ(EngineVersionText(6, 10), " Oniguruma (C) K.Kosako   Ver 6.10");
}

}  // namespace
}  // namespace kelvora

namespace kelvora {
namespace {

// The cleaning patterns answer ASCII lines without the engine; wrapped in a group they go
// through it. Both must agree on every line made of the characters that matter.
TEST(RegexFastPath, AgreesWithTheEngineOnAsciiLines) {
  const char* patterns[] = {R"(\".+?\")",  R"(/\*.*?\*/)", R"(//.+$)",   R"(/\*.*$)",
                            R"(/[*]+.*$)", R"(^.*\*/)",    R"(^.*[*]+/)"};
  const std::string alphabet("\"/*a \t\0", 7);
  std::uint32_t seed = 7;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (const char* p : patterns) {
    Regex fast, engine;
    ASSERT_TRUE(fast.Compile(p));
    ASSERT_TRUE(engine.Compile(std::string("(?:") + p + ")")) << p;
    for (int i = 0; i < 4000; ++i) {
      std::string line;
      for (std::size_t n = next() % 14; n > 0; --n) line += alphabet[next() % alphabet.size()];
      MatchSpan a, b;
      bool fa = fast.Search(line, a), fb = engine.Search(line, b);
      ASSERT_EQ(fa, fb) << p << " on [" << line << "]";
      if (fa) {
        ASSERT_EQ(a.pos, b.pos) << p << " on [" << line << "]";
        ASSERT_EQ(a.len, b.len) << p << " on [" << line << "]";
      }
    }
  }
}

// The required-text prefilter runs before the engine on every compiled pattern; it may only turn
// lines away that the engine would turn away too. Escapes with arguments hold no line text.
TEST(RegexPrefilter, EscapesWithArgumentsMatch) {
  for (const char* p : {R"(\x41B)", R"(\101B)", R"(\p{Alpha}B)", R"(\x{41}B)", R"(\P{Digit}B)",
                        R"((A)\1?B)", R"(\k<x>?A|AB)"}) {
    Regex re;
    if (!re.Compile(p)) continue;  // a syntax the engine does not take is not the point here
    EXPECT_TRUE(re.Matches("AB")) << p;
  }
  Regex re;
  ASSERT_TRUE(re.Compile(R"(\x41B)"));
  EXPECT_TRUE(re.Matches("xABx"));
  EXPECT_FALSE(re.Matches("41B"));
}

// Random patterns of literals, escapes, classes, groups, alternations and quantifiers: the
// compiled pattern (with its prefilter) agrees with the engine alone ("(?:...)" turns the
// filter off) on random lines.
TEST(RegexPrefilter, AgreesWithTheEngineOnRandomPatterns) {
  const char* atoms[] = {"A",    "B",     "a",       "1",          " ",     "\\t",   "\\.",
                         "\\\\", "\\x41", "\\101",   "\\p{Alpha}", "\\d",   "\\w",   "\\s",
                         "\\b",  "[AB]",  "[^A]",    "[ \\t]*",    "(A|B)", "(1|a)", ".",
                         "^",    "$",     "\\x{42}", "[\\x41]",    "\\h",   "\\S",   "\\W"};
  const char* quantifiers[] = {"", "", "", "*", "+", "?", "{2}", "{1,2}", "*?"};
  const std::string alphabet = "AB1a .\t\\";
  std::uint32_t seed = 11;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  int compared = 0;
  for (int k = 0; k < 400; ++k) {
    std::string p;
    for (std::size_t n = 1 + next() % 5; n > 0; --n) {
      if (!p.empty() && next() % 6 == 0) p += '|';
      p += atoms[next() % std::size(atoms)];
      p += quantifiers[next() % std::size(quantifiers)];
    }
    Regex filtered, engine;
    const bool ok = filtered.Compile(p);
    ASSERT_EQ(ok, engine.Compile("(?:" + p + ")")) << p;
    if (!ok) continue;
    for (int i = 0; i < 200; ++i) {
      std::string line;
      for (std::size_t n = next() % 8; n > 0; --n) line += alphabet[next() % alphabet.size()];
      MatchSpan a, b;
      const bool fa = filtered.Search(line, a), fb = engine.Search(line, b);
      ASSERT_EQ(fa, fb) << p << " on [" << line << "]";
      if (fa) {
        ASSERT_EQ(a.pos, b.pos) << p << " on [" << line << "]";
      }
      ++compared;
    }
  }
  EXPECT_GT(compared, 40000);
}

}  // namespace
}  // namespace kelvora

namespace kelvora {
namespace {

// A lone lead byte (at the end, or before a byte that cannot end a double-byte character) is one
// character of its own on both paths. The reference is the byte scan of the ASCII line made by
// turning every non-ASCII byte into "a": the cleaning patterns only look at '"', '/' and '*',
// which are never the second byte of a double-byte character.
TEST(RegexFastPath, LoneLeadBytesCountAsOneCharacterOnBothPaths) {
  const char* patterns[] = {R"(\".+?\")",  R"(/\*.*?\*/)", R"(//.+$)",   R"(/\*.*$)",
                            R"(/[*]+.*$)", R"(^.*\*/)",    R"(^.*[*]+/)"};
  // Pieces: markers, a blank, a double-byte character, lone lead bytes (0x81 before "a" makes a
  // valid pair, which is fine), half-width katakana and bytes that are no CP932 at all.
  const std::vector<std::string> pieces = {"\"",   "/",    "*",        "a",    " ",    "\x82\xA0",
                                           "\x81", "\x9D", "\xE2\x80", "\xB1", "\x80", "\xFD"};
  std::uint32_t seed = 11;
  auto next = [&] { return seed = seed * 1664525u + 1013904223u, seed >> 8; };
  for (const char* p : patterns) {
    Regex fast, engine;
    ASSERT_TRUE(fast.Compile(p));
    ASSERT_TRUE(engine.Compile(std::string("(?:") + p + ")")) << p;
    for (int i = 0; i < 4000; ++i) {
      std::string line;
      for (std::size_t n = next() % 10; n > 0; --n) line += pieces[next() % pieces.size()];
      std::string ascii = line;
      for (char& c : ascii)
        if (static_cast<unsigned char>(c) >= 0x80) c = 'a';
      MatchSpan want, a, b;
      const bool found = fast.Search(ascii, want);
      ASSERT_EQ(found, fast.Search(line, a)) << p << " on [" << Cp932ToUtf8(line) << "]";
      ASSERT_EQ(found, engine.Search(line, b)) << p << " on [" << Cp932ToUtf8(line) << "]";
      if (!found) continue;
      ASSERT_EQ(want.pos, a.pos) << p;
      ASSERT_EQ(want.len, a.len) << p;
      ASSERT_EQ(want.pos, b.pos) << p;
      ASSERT_EQ(want.len, b.len) << p;
    }
  }
  // Other patterns see the lone byte as one character too, and the match keeps its bytes.
  EXPECT_EQ(First("^.+$", "ab\x9D"), "ab\x9D");
  EXPECT_EQ(First("b.c",
                  "ab\x81"
                  "c"),
            "<none>");                           // 0x81 0x63 is one character
  EXPECT_EQ(First("[^;]*;", "\x81;"), "\x81;");  // 0x3B cannot end a pair
}

}  // namespace
}  // namespace kelvora
