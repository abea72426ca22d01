// The hand-written recognisers against the regex engine: every fixed pattern of the analysis,
// searched in seed lines, their systematic mutations, random byte strings built from the
// patterns' alphabets and, when the kernel tree is there, lines of real C files.
#include "text/line_matchers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "analysis/analysis_passes.h"
#include "analysis/definitions_patterns.h"

namespace kelvora {
namespace {

std::vector<std::string> FixedPatterns() {
  return AnalysisPatternTexts();
}

std::string Escaped(std::string_view s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

class Differential {
 public:
  Differential() {
    for (const std::string& p : FixedPatterns()) {
      EXPECT_NE(RecogniserFor(p), nullptr) << p;
      Pair pair{p, Regex(), Regex()};
      EXPECT_TRUE(pair.engine.Compile(p, true) && pair.fast.Compile(p)) << p;
      pairs_.push_back(std::move(pair));
    }
  }
  // Searches subject with every pattern both ways; false (and a failure) on the first difference.
  bool Check(std::string_view subject) {
    for (const Pair& p : pairs_) {
      MatchSpan a, b;
      const bool ea = p.engine.Search(subject, a);
      const bool eb = p.fast.Search(subject, b);
      const bool tested = p.fast.Matches(subject);
      if (ea != eb || tested != ea || (ea && (a.pos != b.pos || a.len != b.len))) {
        ADD_FAILURE() << "pattern " << p.text << "\nsubject \"" << Escaped(subject) << "\"\nengine "
                      << ea << " " << a.pos << "+" << a.len << ", recogniser " << eb << " " << b.pos
                      << "+" << b.len << ", yes/no " << tested;
        return false;
      }
      matches_ += ea;
    }
    return true;
  }
  long matches() const { return matches_; }

 private:
  struct Pair {
    std::string text;
    Regex engine;
    Regex fast;
  };
  std::vector<Pair> pairs_;
  long matches_ = 0;
};

const char* const kSeeds[] = {
    "#define FOO 1",
    "  #define\tBAR(x, y)\t((x) + (y))",
    "#define  max_t(type,x,y) ({",
    "#define A(",
    "#  define X 1",
    "static int foo_bar(struct device *dev,",
    "int main(",
    "EXPORT_SYMBOL(foo);",
    "ab(",
    "X Y(",
    "unsigned long long *~ptr::get (",
    "  if (x) {",
    "} foo_t;",
    "} a[4], *b,;",
    "  }\tname ,",
    "}, x;",
    "struct  foo_ops {",
    "static const struct bar baz[] = {",
    "xstructs x",
    "Foo::Bar::baz(int x)",
    "int Foo :: operator==(const Foo &o) const",
    "void operator()(",
    "a b::c(",
    "int x = f(",
    "\x82\xA0 struct a",
    "foo\x81(bar(",
    "\x81#define X 1",
    "#define \x81X(",
    "q\x81struct s",
    "static const struct foo_ops bar[] = {",
    "int x [4][N+1] ={",
    "\t.ops = {",
    "a*b c = {",
    "static int foo(int a, char *b);",
    "int *foo(void) ;",
    "\tfoo(x);",
    "drivers/net/a(b).c(123):  } foo_t; // note",
    "a(1):b(22):\t x(",
    "x /* a */ y // z",
    "/**/ //\n",
    "int foo(int a, char *b[])  {",
    "static void f(void) { x",
    "int a[3] = { [0] = 1 }; x[\x81]]",
    "static inline unsigned long foo(",
    "static const struct foo *bar(",
    "a b\tc  *~d(",
    "a_b c d e  (",
    "abc\x81"
    "abc(",
};

// The bytes and words the patterns name, and bytes that are not ASCII.
const char* const kTokens[] = {"#define", "struct", "operator", "::",   " ",    "\t",      "(",
                               ")",       ";",      ",",        "=",    "{",    "}",       "[",
                               "]",       "*",      "~",        ":",    "a",    "Zb",      "x_1",
                               "9",       "/",      "&",        "+",    "-",    ".",       "\n",
                               "\r",      "\x81",   "\xE0",     "\x80", "\xFF", "\x82\xA0"};

TEST(LineMatchers, EqualTheEngineOnSeedsAndTheirMutations) {
  Differential diff;
  const std::string alphabet(" \t()*~:;,={}[]#/aZ0_\n\r\x81\xE0\x80\xFF\x00", 25);
  for (const char* seed_text : kSeeds) {
    const std::string seed(seed_text);
    ASSERT_TRUE(diff.Check(seed));
    for (std::size_t i = 0; i <= seed.size(); ++i) {
      if (i < seed.size()) {
        ASSERT_TRUE(diff.Check(std::string(seed).erase(i, 1)));
      }
      ASSERT_TRUE(diff.Check(seed.substr(0, i)));
      for (char c : alphabet) {
        ASSERT_TRUE(diff.Check(std::string(seed).insert(i, 1, c)));
        if (i < seed.size()) {
          std::string replaced = seed;
          replaced[i] = c;
          ASSERT_TRUE(diff.Check(replaced));
        }
      }
    }
  }
  EXPECT_GT(diff.matches(), 10000);
}

TEST(LineMatchers, EqualTheEngineOnRandomTokenStrings) {
  Differential diff;
  std::mt19937 rng(19);
  std::uniform_int_distribution<std::size_t> token(0, std::size(kTokens) - 1);
  for (int n = 0; n < 20000; ++n) {
    std::string s;
    const int count = static_cast<int>(rng() % 24);
    for (int k = 0; k < count; ++k) s += kTokens[token(rng)];
    if (n % 3 == 0) s.insert(0, "#define ");
    ASSERT_TRUE(diff.Check(s));
  }
  // Heads as the function detection gets them: words, "*" and "~" between blanks, then "(".
  const char* const words[] = {"a", "int", "*p", "~x", "_9", "s*", "ab~", "Zz"};
  for (int n = 0; n < 5000; ++n) {
    std::string head = words[rng() % std::size(words)];
    for (int k = static_cast<int>(rng() % 6); k > 0; --k)
      head += std::string(1 + rng() % 2, " \t"[rng() % 2]) + words[rng() % std::size(words)];
    ASSERT_TRUE(diff.Check(head + std::string(rng() % 2, ' ') + "("));
  }
  // Long words and lists, up to the limit and past it (the engine decides there).
  for (std::size_t len : {511u, 2048u, 2049u}) {
    const std::string word(len, 'a');
    for (const std::string& s :
         {word + "(", "} " + word + " ,x;", "#define " + word + "(x", "struct " + word,
          "a " + word + "::" + word + "(", "a " + word + "(", "a" + word + "=(", word + " b;(",
          "} " + std::string(len / 2, 'a') + std::string(len / 4, ' ') + " struct x"}) {
      ASSERT_TRUE(diff.Check(s.substr(0, len + 8)));
    }
  }
}

// Heads of one to four words of word bytes, "*" and "~" between blanks, up to the length the
// function detection decides without the engine and past it: words of one kind of byte make the
// engine backtrack the most.
TEST(LineMatchers, EqualTheEngineOnSimpleHeadsUpToTheirLimit) {
  Differential diff;
  std::mt19937 rng(96);
  const char* const kinds[] = {"abcXYZ_", "0123456789", "a1_", "*~a", "**********b", "_9", "z"};
  for (int n = 0; n < 8000; ++n) {
    std::string head;
    const int words = 1 + static_cast<int>(rng() % 4);
    for (int w = 0; w < words; ++w) {
      if (w > 0) head += std::string(1 + rng() % 3, " \t"[rng() % 2]);
      const std::string_view kind = kinds[rng() % std::size(kinds)];
      for (std::size_t k = 1 + rng() % (rng() % 4 == 0 ? 100 : 12); k > 0; --k)
        head += kind[rng() % kind.size()];
    }
    head += std::string(rng() % 3, ' ') + "(";
    ASSERT_TRUE(diff.Check(head));
    ASSERT_TRUE(diff.Check(head.substr(0, 96)));
  }
  for (std::size_t len = 1; len <= 100; ++len) {
    for (const char* kind : kinds) {
      std::string word;
      for (std::size_t k = 0; k < len; ++k) word += kind[k % std::strlen(kind)];
      for (const std::string& s :
           {word + "(", "a " + word + "(", word + " " + word + "(", "x " + word + " *" + word + "(",
            word + "\t(", "*" + word + "("}) {
        ASSERT_TRUE(diff.Check(s));
      }
    }
  }
}

// The kernel tree comes from KELVORA_KERNEL_TREE (bench/compare_ctags.sh sets it to the tree
// it measures); without it the test is skipped.
TEST(LineMatchers, EqualTheEngineOnKernelLines) {
  const char* const tree = std::getenv("KELVORA_KERNEL_TREE");
  if (!tree || !*tree) GTEST_SKIP() << "KELVORA_KERNEL_TREE names no Linux source tree";
  const std::filesystem::path root = tree;
  const char* const files[] = {"kernel/sched/core.c", "include/linux/fs.h", "net/core/dev.c",
                               "drivers/net/ethernet/intel/e1000/e1000_main.c",
                               "include/linux/skbuff.h"};
  ASSERT_TRUE(std::filesystem::exists(root / files[0])) << root << " holds no " << files[0];
  Differential diff;
  long lines = 0;
  for (const char* f : files) {
    std::ifstream in(root / f, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
      ++lines;
      ASSERT_TRUE(diff.Check(line));
      // As a candidate line of the struct and table passes.
      ASSERT_TRUE(diff.Check(std::string(f) + "(" + std::to_string(lines) + "):  " + line));
      // The head the definition extractor searches: up to the first "(".
      const std::size_t paren = line.find('(');
      if (paren != std::string::npos) {
        ASSERT_TRUE(diff.Check(line.substr(0, paren + 1)));
      }
    }
  }
  EXPECT_GT(lines, 10000);
}

}  // namespace
}  // namespace kelvora
