// Function and #define registration by the definition extractor.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/definitions.h"
#include "analysis/extract_env.h"

namespace kelvora::testing {
namespace {

using Names = std::vector<std::string>;

class ExtractFunctions : public ::testing::Test, public ExtractEnvFixture {};

TEST_F(ExtractFunctions, RegistersHeadsAtColumnZeroOnly) {
  long n = Functions(
      "void CDlg::OnOK()\n"
      "{\n"
      "    foo(x)\n"
      "    bar(y);\n"
      "}\n"
      "int f(int a);\n"
      "LRESULT CALLBACK WndProc(HWND h, UINT m, WPARAM w, LPARAM l)\n"
      "char *dup(const char *s)\n"
      "CDlg::~CDlg()\n");
  EXPECT_EQ(n, 4);
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"CDlg::OnOK", "WndProc", "*dup", "~CDlg"}));
  EXPECT_EQ(data.functions().Cell(0, col::kPosition), "%1/src/main.c(1)");
  EXPECT_EQ(data.functions().Cell(1, col::kPosition), "%1/src/main.c(7)");
  EXPECT_EQ(data.functions().Cell(0, col::kMarker), "");
}

// "FuncHeadWords" 1: any number of specifier and attribute words before the type and name; 0
// keeps the two-word heads. Prototypes, statements and macro invocations stay out.
TEST_F(ExtractFunctions, HeadWordsTakeKernelHeads) {
  const std::string source =
      "static int two(void)\n{\n}\n"
      "static inline int f(void)\n{\n}\n"
      "static __always_inline __alloc_size(1) void *kmalloc(size_t size, gfp_t flags)\n{\n}\n"
      "static void __lock_it(struct s *p) __acquires(p)\n{\n}\n"
      "asmlinkage __visible void __init __no_sanitize_address start_kernel(void)\n{\n}\n"
      "static __latent_entropy struct task_struct *copy_process(\n"
      "\t\t\t\t\tstruct pid *pid,\n\t\t\t\t\tint trace)\n{\n}\n"
      "int __attribute__((weak)) weak_fn(int a)\n{\n}\n"
      "void __attribute__ ((noreturn)) die(void) {\n}\n"
      "static inline void stub(int cpu) { }\n"
      "EXPORT_SYMBOL(kmalloc);\n"
      "DEFINE_PER_CPU(int, counter);\n"
      "static DEFINE_PER_CPU(struct x, y) = {\n};\n"
      "static DEFINE_PER_CPU_ALIGNED(struct x,\n    z);\n"
      "static inline int proto(int a);\n"
      "static inline int proto2(int a,\n    int b);\n"
      "return some_call(x)\n"
      "static const unsigned long long not_a_call[] = { 1 };\n"
      "static inline unsigned int if (x)\n"
      "void *kmalloc_large(size_t size, gfp_t flags) __assume_page_alignment\n"
      "\t\t\t\t__alloc_size(1);\n";
  Functions(source);
  // The two-word patterns take a word before an attribute group or a statement as the name.
  EXPECT_EQ(NamesOf(ListKind::Function),
            (Names{"two", "__alloc_size", "__lock_it", "__attribute__", "__attribute__",
                   "DEFINE_PER_CPU", "some_call", "*kmalloc_large"}));
  data.functions().Clear();
  settings.func_head_words = 1;
  Functions(source);
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"two", "f", "*kmalloc", "__lock_it", "start_kernel",
                                                "*copy_process", "weak_fn", "die", "stub"}));
  EXPECT_EQ(data.functions().Cell(5, col::kPosition), "%1/src/main.c(16)");
}

// "FuncHeadWords" 1 on what the kernel puts at column 0: a body on the head's line is no
// prototype's ";"; a name alone at column 0 is a head only with a body after its list (and
// "__word(...)" annotations before it); macro invocations and annotations are none.
TEST_F(ExtractFunctions, HeadWordsTellBodiesFromMacroInvocations) {
  const struct {
    const char* source;
    Names zero;  // FuncHeadWords 0: the described patterns
    Names one;   // FuncHeadWords 1
  } cases[] = {
      {"static int one(void) { return 0; }\n", {}, {"one"}},
      {"alloc_masks(struct d *desc, int node) { return 0; }\n", {}, {"alloc_masks"}},
      {"static inline void set(struct rq *rq,\n\tint x) { rq->x = x; }\n", {}, {"set"}},
      {"SYSCALL_DEFINE0(fork)\n{\n\treturn 0;\n}\n", {"SYSCALL_DEFINE0"}, {"SYSCALL_DEFINE0"}},
      {"SYSCALL_DEFINE3(open, const char *, name,\n\tint, flags, umode_t, mode)\n{\n}\n",
       {"SYSCALL_DEFINE3"},
       {"SYSCALL_DEFINE3"}},
      {"static inline void\nperf_set(struct ctx *c)\n/* c */ {\n}\n", {"perf_set"}, {"perf_set"}},
      {"rq_lock(struct rq *rq, struct rq_flags *rf)\n\t__acquires(rq->lock)\n{\n}\n",
       {"rq_lock"},
       {"rq_lock"}},
      {"static int lock_it(void)\n__acquires(torture_lock)\n{\n}\n",
       {"lock_it", "__acquires"},
       {"lock_it"}},
      {"__printf(4, 5)\nstatic void log_it(struct env *e, const char *fmt, ...)\n{\n}\n",
       {"__printf", "log_it"},
       {"log_it"}},
      {"static __printf(4, 0)\nstruct task *create_on(int (*fn)(void *), int node)\n{\n}\n",
       {"__printf", "*create_on"},
       {"*create_on"}},
      {"BTF_SET_START(hooks)\nBTF_ID(func, bpf_lsm_bpf)\nBTF_SET_END(hooks)\n\n"
       "bool is_hook(u32 id)\n{\n}\n",
       {"BTF_SET_START", "BTF_ID", "BTF_SET_END", "is_hook"},
       {"is_hook"}},
      {"DEFINE_SCHED_CLASS(dl) = {\n\t.x = 1,\n};\n", {"DEFINE_SCHED_CLASS"}, {}},
      {"EXPORT_SYMBOL(kmalloc);\nint f(int a); int g(void) { return 0; }\n", {}, {}},
      {"return f(x) { y; }\n", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source);
    for (int words : {0, 1}) {
      data.functions().Clear();
      settings.func_head_words = words;
      Functions(c.source);
      EXPECT_EQ(NamesOf(ListKind::Function), words == 0 ? c.zero : c.one)
          << "FuncHeadWords " << words;
    }
  }
}

TEST_F(ExtractFunctions, FunctionMacrosFollowFuncProp) {
  const char* src =
      "#define MAX(a,b) ((a) > (b) ? (a) : (b))\n"
      "static int helper(int v)\n";
  Functions(src, 0);
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"MAX", "helper"}));
  EXPECT_EQ(data.functions().Cell(0, col::kMarker), "#define");
  data.functions().Clear();
  Functions(src, 1);
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"helper"}));
  data.functions().Clear();
  Functions(src, 2);
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"MAX"}));
}

TEST_F(ExtractFunctions, KeywordsAndExternAreRejected) {
  Functions(
      "if (x)\n"
      "while (y)\n"
      "switch (z)\n"
      "extern int g(void)\n"
      "BEGIN_MESSAGE_MAP(CDlg, CDialog)\n"
      "int real_one(void)\n");
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"real_one"}));
}

TEST_F(ExtractFunctions, CommentsLiteralsAndFalseBranchesHideHeads) {
  macros = MacroList("WIN32");
  Functions(
      "/* void in_block(void)\n"
      "   void still_in_block(void) */\n"
      "// void in_line_comment(void)\n"
      "#if 0\n"
      "void disabled(void)\n"
      "#endif\n"
      "#ifdef _DEBUG\n"
      "void debug_only(void)\n"
      "#else\n"
      "void release_only(void)\n"
      "#endif\n"
      "#ifdef WIN32\n"
      "void on_windows(void)\n"
      "#endif\n"
      "char *s = \"void in_literal(void)\";\n");
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"release_only", "on_windows"}));
}

TEST_F(ExtractFunctions, HeaderCommentWithinRangeBecomesTheComment) {
  const char* src =
      "// 関数名：初期化処理\n"
      "\n"
      "\n"
      "void init(void)\n"
      "void next(void) // 次\n";
  Functions(src);
  ASSERT_EQ(data.functions().RowCount(), 2u);
  EXPECT_EQ(Text(ListKind::Function, 0, col::kComment), "// ：初期化処理");
  // The pending comment is used once; the next row gets its own line comment.
  EXPECT_EQ(Text(ListKind::Function, 1, col::kComment), "// 次");

  data.functions().Clear();
  settings.func_header_line = 2;
  Functions(src);
  EXPECT_EQ(Text(ListKind::Function, 0, col::kComment), "");

  data.functions().Clear();
  settings.func_header_line = 0;
  Functions(src);
  EXPECT_EQ(Text(ListKind::Function, 0, col::kComment), "");
}

TEST_F(ExtractFunctions, HeaderCommentFromBlockAndIndentedLines) {
  Functions(
      "/*\n"
      " * 処理名：\t読み込み   処理\n"
      " */\n"
      "int read_all(void)\n"
      "    // 機能名：書き出し\n"
      "int write_all(void)\n"
      "/* 関数名：閉じる */\n"
      "int close_all(void) /* same line */\n");
  ASSERT_EQ(data.functions().RowCount(), 3u);
  EXPECT_EQ(Text(ListKind::Function, 0, col::kComment), "// * ： 読み込み 処理");
  EXPECT_EQ(Text(ListKind::Function, 1, col::kComment), "// ：書き出し");
  EXPECT_EQ(Text(ListKind::Function, 2, col::kComment), "// ：閉じる");
}

TEST_F(ExtractFunctions, SameLineCommentsPreferLineComments) {
  Functions(
      "int a(void) /* b1 */ /* b2 */\n"
      "int b(void) /* blk */ // line\t comment\n");
  EXPECT_EQ(Text(ListKind::Function, 0, col::kComment), "/* b1 */ /* b2 */ ");
  EXPECT_EQ(Text(ListKind::Function, 1, col::kComment), "// line  comment");
}

// The cleaned code drops literals before comments; the collected comment keeps the quoted words
// a comment holds, and a line without a quote in a comment keeps the comment it always had.
TEST_F(ExtractFunctions, QuotedWordsInsideCommentsAreKept) {
  const std::pair<const char*, const char*> cases[] = {
      {"int quoted(void) /* \"引用\"で始まる説明 */", "/* \"引用\"で始まる説明 */ "},
      {"int only(void) /* \"引用のみ\" */", "/* \"引用のみ\" */ "},
      {"int line(void) //\"x\"", "//\"x\""},
      {"int both(void) /* a \"b\" */ /* c */ // d \"e\"", "// d \"e\""},
      {"int in_block(void) /* \"//\" */", "/* \"//\" */ "},
      // A literal before the comment opens nothing and stays out of it.
      {"int lit(char *s = \"/* no\") /* \"yes\" */", "/* \"yes\" */ "},
      // No quote inside a comment: exactly the text of before.
      {"int plain(void) // x /* y */", "// x "},
      {"int lit2(char *s = \"a\") /* b */", "/* b */ "},
      {"int unclosed(void) /* \"q */", "/* \"q */ "},
  };
  std::string source;
  for (const auto& c : cases) source.append(c.first).append("\n{\n}\n");
  Functions(source);
  ASSERT_EQ(std::size(cases), data.functions().RowCount());
  for (std::size_t r = 0; r < std::size(cases); ++r)
    EXPECT_EQ(cases[r].second, Text(ListKind::Function, r, col::kComment)) << cases[r].first;
}

TEST_F(ExtractFunctions, EucSourcesAreConvertedWithCharChange) {
  settings.char_change = 1;
  std::string euc = "int f(void) // \xC0\xE2\xCC\xC0\n";
  StringLineSource reader(euc);
  DetectionPatterns det = DetectionPatterns::ForFunctions(regex, 0);
  ExtractDefinitions(reader, kSourcePath, data.functions(), DefinitionMode::Function, det, env);
  ASSERT_EQ(data.functions().RowCount(), 1u);
  EXPECT_EQ(Text(ListKind::Function, 0, col::kComment), "// 説明");
}

// Comment text is never code: a URL or a commented-out "#if 0" inside a block comment changes
// nothing outside it.
TEST_F(ExtractFunctions, BlockCommentContentsDoNotLeakOut) {
  Functions(
      "/*\n"
      " * see http://example.com/page\n"
      "Copyright (c) Example\n"
      "#if 0\n"
      " */\n"
      "int after_comment(void)\n"
      "/* see http://example.com/b\n"
      "int in_comment(void)\n"
      " // and http://example.com/c */int after_url(void)\n");
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"after_comment", "after_url"}));
}

TEST_F(ExtractFunctions, CodeAfterACommentEndJoinsTheNextHead) {
  Functions(
      "/* return type below\n"
      "*/ int\n"
      "AB(int a)\n"
      "/* x\n"
      "*/ }\n"
      "void g(void)\n");
  EXPECT_EQ(NamesOf(ListKind::Function), (Names{"AB", "g"}));
  EXPECT_EQ(data.functions().Cell(0, col::kPosition), "%1/src/main.c(3)");
}

// A parameter list left open on the head's line is read on to its closing ")": a ";" in the
// list or after it (before any "{") makes the head a prototype, as on one line. The lines read
// ahead are still read as lines of their own afterwards.
TEST_F(ExtractFunctions, HeadsOverSeveralLinesEndAtTheirClosingParenthesis) {
  std::string src =
      "static int proto(int a,\n"  // 1  prototype
      "                 int b);\n"
      "static int defn(int a,\n"  // 3  definition
      "                int (*cb)(int), /* x; */\n"
      "#ifdef X\n"
      "                int c,\n"
      "#endif\n"
      "                int d)\n"
      "{\n"
      "}\n"
      "int body_on_line(int a,\n"  // 11 a body on the closing line
      "                 int b) { return a; }\n"
      "int attr(int a,\n"  // 13 prototype with an attribute
      "         int b) __printf(1, 2);\n"
      "#define WRAP(x) ({ \\\n"  // 15 list closed on its line
      "        f(x); })\n"
      "TRACE_EVENT(ev,\n"  // 17 ";" inside the list
      "        TP_fast_assign(a = 1;),\n"
      "        TP_printk(\"%d\"))\n"
      "void knr(a,\n"  // 20 K&R parameter declarations
      "         b)\n"
      "int a;\n"
      "{\n"
      "}\n"
      // 25: an EUC-JP comment read without conversion ends in a lead byte before "*/"
      "int euc_comment(int a, /* \xA5\xB3\xA5\xE1\xA5\xF3\xA5\xC8\xB0\xE1*/\n"
      "    int c)\n"
      "{\n"
      "}\n"
      "void open_to_the_end(int a,\n";  // 29 list never closed
  for (int i = 0; i < 40; ++i) src += "  int p" + std::to_string(i) + ",\n";
  src += "  int z);\n";
  StringLineSource reader(src);
  DetectionPatterns det = DetectionPatterns::ForFunctions(regex, 0);
  ExtractDefinitions(reader, kSourcePath, data.functions(), DefinitionMode::Function, det, env);
  EXPECT_EQ(NamesOf(ListKind::Function),
            (Names{"defn", "body_on_line", "WRAP", "knr", "euc_comment", "open_to_the_end"}));
  EXPECT_EQ(data.functions().Cell(1, col::kPosition), "%1/src/main.c(11)");
  EXPECT_EQ(data.functions().Cell(3, col::kPosition), "%1/src/main.c(20)");
}

TEST_F(ExtractFunctions, HostileLinesNeitherCrashNorStopTheFile) {
  std::string src = "int before(void)\n";
  src += std::string(600, 'x') + "\n";                       // head text over 512 bytes
  src += "int " + std::string(3u << 20, 'a') + "(void)\n";   // a line of megabytes
  src += std::string("int nul\0byte(void)\n", 19);           // NUL inside a line
  src += "int \x81\x81\xFF\xFE\x80(void) /* \xFD\xFD */\n";  // invalid CP932
  src += std::string("\0\x01\x02\xFF{{{((", 9) + "\n";       // binary noise
  src += "int after(void)\n";
  StringLineSource reader(src);
  DetectionPatterns det = DetectionPatterns::ForFunctions(regex, 0);
  long n =
      ExtractDefinitions(reader, kSourcePath, data.functions(), DefinitionMode::Function, det, env);
  EXPECT_GE(n, 2);
  Names names = NamesOf(ListKind::Function);
  EXPECT_EQ(names.front(), "before");
  EXPECT_EQ(names.back(), "after");
}

TEST_F(ExtractFunctions, PrefilterGivesTheSameRowsAsThePlainPattern) {
  const std::string src = Utf8ToCp932(
      "#include <stdio.h>\n"
      "#define SQ(x) ((x)*(x))\n"
      "  #define INDENTED(y) (y)\n"
      "static const char *names[] = { \"a(\", \"b\" };\n"
      "int main(int argc, char **argv)\n"
      "{\n"
      "    return helper(argc);\n"
      "}\n"
      "unsigned long long Big::Value(void) const\n"
      "operator_like(int)\n"
      "X(y)\n"
      "_under(void)\n"
      "9lives(void)\n"
      "/* 関数名：テスト */\n"
      "void t(void) { }\n");
  for (int prop = 0; prop <= 2; ++prop) {
    RegisteredData plain_data;
    plain_data.roots().Append(std::string(kRoot));
    RegistrationList& plain = plain_data.functions();
    RegistrationList& filtered = data.functions();
    filtered.Clear();
    DetectionPatterns det = DetectionPatterns::ForFunctions(regex, prop);
    StringLineSource r1(src), r2(src);
    ExtractDefinitions(r1, kSourcePath, filtered, DefinitionMode::Function, det, env);
    ExtractorEnv plain_env{regex, cleaning, settings, macros, plain_data, ui};
    ExtractDefinitions(r2, kSourcePath, plain, DefinitionMode::Function, det.detect, det.name1,
                       det.name2, plain_env);
    ASSERT_EQ(filtered.RowCount(), plain.RowCount()) << "func_prop " << prop;
    EXPECT_GT(filtered.RowCount(), 0u);
    for (std::size_t r = 0; r < plain.RowCount(); ++r) {
      for (int c = 0; c < 4; ++c) EXPECT_EQ(filtered.Cell(r, c), plain.Cell(r, c));
    }
  }
}

TEST_F(ExtractFunctions, OddPathsAreKeptInPositions) {
  Functions("void f(void)\n", 0, "/work root/sub dir/日本%(1).c");
  // File names are bytes as the file system gives them (here UTF-8), kept unconverted.
  EXPECT_EQ(data.functions().Cell(0, col::kPosition), "%1/sub dir/日本%(1).c(1)");
}

TEST_F(ExtractFunctions, CountsAddToExistingRowsAndReportEveryTenth) {
  data.functions().AppendRow();
  std::string src;
  for (int i = 0; i < 12; ++i) src += "void fn" + std::to_string(i) + "(void)\n";
  EXPECT_EQ(Functions(src), 13);
  EXPECT_EQ(ui.status_history(2), (Names{"関数…10"}));
  EXPECT_EQ(ui.status_history(1), (Names{"fn8"}));
  EXPECT_EQ(ui.polls(), 12);
}

TEST_F(ExtractFunctions, EscapeConfirmedCancels) {
  ui.EscapeAtPoll(2).AnswerYes();
  EXPECT_EQ(Functions("void a(void)\nvoid b(void)\nvoid c(void)\n"), -1);
  EXPECT_EQ(ui.questions().size(), 1u);
  EXPECT_EQ(data.functions().RowCount(), 2u);
}

TEST_F(ExtractFunctions, EscapeDeclinedGoesOn) {
  ui.EscapeAtPoll(1).AnswerNo();
  EXPECT_EQ(Functions("void a(void)\nvoid b(void)\n"), 2);
  EXPECT_TRUE(ui.AllAnswersUsed());
}

TEST_F(ExtractFunctions, MissingEngineRegistersNothing) {
  regex.set_available(false);
  EXPECT_EQ(Functions("void a(void)\n"), -1);
  EXPECT_EQ(Defines("#define A 1\n"), -1);
  EXPECT_TRUE(data.functions().empty());
  EXPECT_TRUE(data.defines().empty());
}

TEST_F(ExtractFunctions, PlainPatternOverloadCompilesItsOwnFixedPatterns) {
  DetectionPatterns det = DetectionPatterns::ForFunctions(regex, 0);
  StringLineSource reader(Utf8ToCp932("// 関数名：主処理\nint main(void)\n"));
  EXPECT_EQ(ExtractDefinitions(reader, kSourcePath, data.functions(), DefinitionMode::Function,
                               det.detect, det.name1, det.name2, env),
            1);
  EXPECT_EQ(Text(ListKind::Function, 0, col::kComment), "// ：主処理");
}

class ExtractDefines : public ::testing::Test, public ExtractEnvFixture {};

TEST_F(ExtractDefines, RegistersObjectLikeMacros) {
  Defines(
      "#ifndef MAIN_H\n"
      "#define MAIN_H\n"
      "#define COUNT 10 // 個数\n"
      "#define SUM (1 + 2)\n"
      "#define BAD (a; b)\n"
      "#define MAX(a,b) ((a)>(b))\n"
      "  #define\tINDENTED\t7 /* ind */\n"
      "#define ASSIGN x = 1\n"
      "/* #define COMMENTED 1 */\n"
      "#endif\n");
  EXPECT_EQ(NamesOf(ListKind::Define), (Names{"COUNT", "SUM", "INDENTED", "ASSIGN"}));
  EXPECT_EQ(Text(ListKind::Define, 0, col::kComment), "// 個数");
  EXPECT_EQ(Text(ListKind::Define, 0, col::kPosition), "%1/src/main.c(3)");
  EXPECT_EQ(Text(ListKind::Define, 2, col::kComment), "/* ind */ ");
  EXPECT_EQ(Text(ListKind::Define, 3, col::kMarker), "=");
  EXPECT_EQ(Text(ListKind::Define, 0, col::kMarker), "");
}

TEST_F(ExtractDefines, NoHeaderCommentsAndDefineStatus) {
  std::string src = "// 関数名：見出し\n";
  for (int i = 0; i < 10; ++i) src += "#define D" + std::to_string(i) + " " + "1\n";
  EXPECT_EQ(Defines(src), 10);
  EXPECT_EQ(Text(ListKind::Define, 0, col::kComment), "");
  EXPECT_EQ(ui.status_history(2), (Names{"#define…10"}));
}

}  // namespace
}  // namespace kelvora::testing
