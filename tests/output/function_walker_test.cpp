#include <gtest/gtest.h>

#include <random>

#include "analysis/definitions_patterns.h"
#include "output/source_pass.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "settings/settings.h"
#include "text/regex_service.h"

namespace kelvora {
namespace {

// The call scanner against the engine running the pattern it stands for, on random lines made
// of name bytes, blanks, "*", "(", digits and CP932 characters whose second byte is a letter,
// "\", "{" or "(".
TEST(FindCall, AgreesWithTheCallPattern) {
  RegexService regex;
  Regex call;
  ASSERT_TRUE(regex.Compile("[*]*[A-Za-z_][A-Za-z0-9_]*[ \\t]*[(]", call));
  const std::vector<std::string> atoms = {
      "a", "Z",        "_",        "9",        " ",        "\t",   "*",   "(", ")",
      ";", "\x83\x41", "\x83\x5C", "\x95\x7B", "\x82\x28", "\xB1", "foo", "if"};
  std::mt19937 rng(12);
  for (int n = 0; n < 20000; ++n) {
    std::string line;
    const int len = static_cast<int>(rng() % 12);
    for (int k = 0; k < len; ++k) line += atoms[rng() % atoms.size()];
    MatchSpan span;
    CallMatch m;
    const bool expected = call.Search(line, span);
    ASSERT_EQ(expected, FindCall(line, m)) << line;
    if (!expected) continue;
    ASSERT_EQ(span.pos, m.begin) << line;
    ASSERT_EQ(span.pos + span.len, m.end) << line;
  }
}

// Records "name: callee callee ..." per definition, and the line where each body ended.
class Recorder : public FunctionWalkVisitor {
 public:
  void OnDefinition(const Head& head) override { text += head.name + ":"; }
  void OnCallee(const Head&, std::string_view callee, bool recursive) override {
    text += " " + std::string(callee) + (recursive ? "!" : "");
  }
  void OnBodyEnd(const Head&, long line) override { text += " @" + std::to_string(line) + "\n"; }
  std::string text;
};

std::string Walk(const std::string& source, const std::string& macros = {}, int head_words = 0) {
  RegexService regex;
  CleaningPatterns cleaning(regex);
  DefinitionPatterns defs(regex, {}, head_words);
  Settings settings;
  settings.func_head_words = head_words;
  settings.excluded_names[0] = "printf";
  settings.excluded_flags[0] = 1;
  MacroList list(macros);
  FunctionWalker walker(cleaning, defs, settings, {&list, true});
  StringLineSource lines(source);
  Recorder rec;
  walker.Walk(lines, rec);
  return rec.text;
}

TEST(FunctionWalker, BodiesAndCallees) {
  struct Case {
    const char* what;
    std::string source;
    std::string expected;
  };
  const std::string many_lines(120, '\n');
  const Case cases[] = {
      {"a name that starts with a listed one is a callee of its own",
       "void f(void)\n{\n  init();\n  init_all();\n  init();\n}\n", "f: init init_all @6\n"},
      {"the reverse order too", "void f(void)\n{\n  init_all();\n  init();\n}\n",
       "f: init_all init @5\n"},
      {"an empty body on the head line ends there; the next function keeps its own body",
       "static inline void nop(void) {}\nint next(void)\n{\n  g();\n}\n", "nop: @1\nnext: g @5\n"},
      {"calls between braces that close on the brace line are the callees",
       "void fence(void) { barrier() }\nvoid after(void)\n{\n  h();\n}\n",
       "fence: barrier @1\nafter: h @5\n"},
      {"a call on a brace line whose body goes on counts; recursion and keywords",
       "int f(int n)\n{ seen();\n  if (n) return f(n - 1);\n  while (g(n)) printf(\"x\");\n}\n",
       "f: seen f! g @5\n"},
      {"so does one right after the brace, whatever else the line holds",
       "int run_a(void)\n{   probe(1); if (x) { y(); }\n  probe(2);\n}\n", "run_a: probe y @4\n"},
      {"an indented closing brace does not end the body",
       "void a(void)\n{\n  x();\n  }\nvoid b(void)\n{\n  y();\n}\n", "a: x b y @8\n"},
      {"a closing brace in column 0 ends the body, a comment after it does not matter",
       "void a(void)\n{\n  x();\n} /* a */\nvoid c(void)\n{\n}\n", "a: x @4\nc: @7\n"},
      {"extern heads, prototypes and #if 0 regions are no definitions",
       "extern int e(int a,\n  int b);\nint p(int a);\n#if 0\nint dead(void)\n{\n  "
       "z();\n}\n#endif\n"
       "#ifdef DEBUG\nint dbg(void)\n{\n  d();\n}\n#endif\n",
       "dbg: d @14\n"},
      {"no brace within 100 lines: the lines after the head are read again",
       "int lost(int a,\n" + many_lines + "int found(void)\n{\n  k();\n}\n",
       "lost: @1\nfound: k @125\n"},
      {"a head whose list, read on, ends in \";\" is none; the lines after it are read again",
       "module_param_named(named_lines,\n\t\t   named_lines, bool, 0400);\n\n"
       "static int after(void)\n{\n  g();\n}\n",
       "after: g @7\n"},
      {"a comment that opens on the brace line hides the lines up to its end",
       "void f(void)\n{ /* start\n  hidden();\n*/\n  shown();\n}\n", "f: shown @6\n"},
      {"a CP932 second byte \\ or { in a comment or a literal changes nothing",
       "void f(void)  // \x83\x5C\x95\x7B\n{\n  g(\"\x95\x5C\");  /* \x95\x7D */\n}\n",
       "f: g @4\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, Walk(c.source, "DEBUG")) << c.what;
}

// "FuncHeadWords" 1: the per-file pass takes the heads the registration takes, named as it
// names them.
TEST(FunctionWalker, HeadWordsFollowTheSetting) {
  const std::string source =
      "static __always_inline void *kmalloc(size_t size)\n{\n  alloc(size);\n}\n"
      "asmlinkage __visible void __init __no_sanitize_address start_kernel(void)\n{\n"
      "  setup();\n}\n"
      "int __attribute__((weak)) weak_fn(int a)\n{\n  w();\n}\n"
      "static DEFINE_PER_CPU(struct x, y) = {\n  init(1),\n};\n";
  // The per-file pass always took heads of many words whose name is right before its "(".
  EXPECT_EQ("start_kernel: setup @8\n__attribute__: w @12\nDEFINE_PER_CPU: init @15\n",
            Walk(source));
  EXPECT_EQ(
      "*kmalloc: alloc @4\nstart_kernel: setup @8\nweak_fn: w @12\nDEFINE_PER_CPU: init @15\n",
      Walk(source, {}, 1));
}

TEST(FunctionWalker, CalleeListRemembersAtMost999Names) {
  std::string body = "void f(void)\n{\n";
  for (int i = 0; i < 1001; ++i) body += "  c" + std::to_string(i) + "();\n";
  body += "  c1000();\n  c0();\n}\n";
  const std::string text = Walk(body);
  // c999 and c1000 were not remembered, so the second call of c1000 is reported again.
  EXPECT_NE(std::string::npos, text.find(" c999 c1000 c1000 @"));
  EXPECT_EQ(std::string::npos, text.find("c1000 c0 @"));
}

}  // namespace
}  // namespace kelvora
