// Scanning the files on worker threads must register exactly what scanning them one by one on
// the analysing thread registers, and a cancelled run must leave nothing behind.
#include <gtest/gtest.h>

#include <random>

#include "analysis/definitions.h"
#include "analysis/file_scan_result.h"
#include "analysis_run_fixture.h"
#include "platform/cp932.h"
#include "text/encoding_detect.h"

namespace kelvora::testing {
namespace {

using Dump = std::vector<std::vector<std::string>>;

Dump AllRows(const RegisteredData& data) {
  Dump rows;
  for (int slot = 0; slot < kListCount; ++slot) {
    const RegistrationList& list = data.List(KindOfSlot(slot));
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      std::vector<std::string> row{std::to_string(slot)};
      for (int c = 0; c < list.column_count(); ++c) row.push_back(list.Cell(r, c));
      rows.push_back(std::move(row));
    }
  }
  return rows;
}

// File i of a generated tree (UTF-8, converted to Shift-JIS when written): functions, macros,
// prototypes, structs and tables inside and outside #if regions, comments in Japanese (with
// second bytes "\\" and "{"), block comments over lines, CR LF endings, no final line feed.
std::string GeneratedFile(int i, bool header) {
  const std::string n = std::to_string(i);
  std::string t = "/* ファイル" + n + "　表示ソフト能力\n * 説明 */\n";
  t += "#define SIZE_" + n + " " + n + "  // 大きさ表\n";
  t += "#if FEATURE_A\n#define ON_A_" + n + " 1\nint on_a_" + n + "(int x)\n{\n  return x;\n}\n";
  t += "#else\n#define OFF_A_" + n + " 0\nint off_a_" + n + "(int x)\n{\n  return -x;\n}\n#endif\n";
  t += "#ifdef FEATURE_B\nint on_b_" + n + "(void) { return 1; }\n#endif\n";
  t += "#if 0\nint never_" + n + "(void)\n{\n}\n#endif\n";
  t += "typedef struct tag" + n + " {\n  int x;  /* 座標 */\n} Point" + n + ";\n";
  t += "int proto_" + n + "(int a, char *b);  // プロトタイプ" + n + "\n";
  if (!header) {
    t += "static const int table_" + n + "[2][2] =\n{ {1, 2}, {3, 4} };  // 表" + n + "\n";
    t += "/* 処理名：計算" + n + " */\nstatic long calc_" + n + "(long a,\n    long b)\n{\n";
    t += "  if (a) {\n    b++;  /* { */\n  }\n  return a + b;\n}\n";
    t += "int proto_" + n + "(int a, char *b)\n{\n  return a + (b != 0);\n}";
  }
  std::string bytes = Utf8ToCp932(t);
  if (i % 3 == 0) bytes = ReplaceAll(bytes, "\n", "\r\n");
  return bytes;
}

class ParallelRunTest : public AnalysisRunTest {
 protected:
  void WriteGeneratedTree(int files) {
    for (int i = 0; i < files; ++i) {
      const std::string dir = "d" + std::to_string(i % 4) + "/";
      Tree(dir + "f" + std::to_string(i) + ".c", GeneratedFile(i, false));
      Tree(dir + "h" + std::to_string(i) + ".h", GeneratedFile(i, true));
    }
    Set("Analysis", "Preprocessor", "FEATURE_A");
  }
  // One run into fresh lists: everything it registered, wrote and said.
  struct Outcome {
    int rc;
    Dump rows;
    std::string prototypes;
    std::vector<std::string> messages;
    std::vector<std::string> labels;
  };
  Outcome Run(bool parallel) {
    data.Clear();
    ctx.parallel = parallel;
    Outcome out{RunSample(), AllRows(data), WorkFile(kPrototypeFileName), ui.messages(), {}};
    for (int kind = 1; kind <= 5; ++kind) out.labels.push_back(ui.count_label(kind));
    return out;
  }
};

TEST_F(ParallelRunTest, ParallelScansRegisterWhatSerialScansRegister) {
  WriteGeneratedTree(48);
  for (const char* char_change : {"0", "1", "2"}) {
    Set("Analysis", "CharChange", char_change);
    const Outcome serial = Run(false);
    ASSERT_EQ(serial.rc, 0);
    ASSERT_GE(RowOf(ListKind::Function, "calc_47"), 0);
    ASSERT_GE(RowOf(ListKind::Define, "ON_A_47"), 0);
    EXPECT_LT(RowOf(ListKind::Define, "OFF_A_47"), 0);
    EXPECT_LT(RowOf(ListKind::Function, "never_1"), 0);
    for (int round = 0; round < 3; ++round) {
      const Outcome parallel = Run(true);
      EXPECT_EQ(parallel.rc, 0);
      EXPECT_EQ(parallel.rows, serial.rows) << "CharChange " << char_change << " round " << round;
      EXPECT_EQ(parallel.prototypes, serial.prototypes);
      EXPECT_EQ(parallel.messages, serial.messages);
      EXPECT_EQ(parallel.labels, serial.labels);
    }
  }
  // The step counts made during the scans equal those of reading each file again.
  const Dump scanned = AllRows(data);
  CleaningPatterns cleaning(regex);
  Settings settings;
  MacroList macros("FEATURE_A");
  ExtractorEnv env{regex, cleaning, settings, macros, data, ui};
  ASSERT_EQ(StepCountPass(env), 0);
  EXPECT_EQ(AllRows(data), scanned);
}

TEST_F(ParallelRunTest, CancelledParallelRunsRegisterNothing) {
  WriteGeneratedTree(30);
  // Escape at different moments: early in the function pass, among its rows, in later passes.
  for (int poll : {1, 7, 40, 200, 400}) {
    data.Clear();
    ctx.parallel = true;
    ui.AnswerYes().AnswerYes();
    ui.EscapeAtPoll(poll).AnswerYes();
    EXPECT_EQ(StartAnalysisAt(ctx, Root()), -1) << "poll " << poll;
    EXPECT_TRUE(data.AllEmpty()) << "poll " << poll;
    EXPECT_EQ(data.roots().Count(), 0u);
  }
  // The next run is whole again.
  ui.AnswerYes().AnswerYes();
  ASSERT_EQ(StartAnalysisAt(ctx, Root()), 0);
  EXPECT_GE(RowOf(ListKind::Function, "calc_29"), 0);
}

// Lines in memory split exactly as the source reader splits them, for every "CharChange".
TEST(ParallelScanLines, TextLinesSplitAsTheSourceReaderDoes) {
  TempDir dir;
  const std::atomic<bool> no_stop{false};
  for (int char_change : {0, 1, 2}) {
    for (std::string bytes :
         {std::string(""), std::string("a"), std::string("a\n"), std::string("a\r\nb\r"),
          std::string("\n\n\r\n"), std::string("x\ry\n\r"), std::string("n\0ul\nz", 7),
          std::string("\xA4\xA2\xA4\xA4 euc\r\n"), std::string("\xE3\x81\x82 utf8\r"),
          std::string(300000, 'q') + "\r\n" + std::string(10, 'r')}) {
      const std::string path = dir.Write("f.c", bytes);
      SourceFileReader reader(char_change);
      ASSERT_TRUE(reader.Open(path));
      std::vector<std::string> expected;
      for (std::string line; reader.ReadLine(line);) expected.push_back(line);
      const SourceFile file = ReadSourceFile(path, char_change);
      ASSERT_TRUE(file.opened);
      TextLines lines(file, no_stop);
      std::vector<std::string> got;
      for (std::string line; lines.ReadLine(line);) got.push_back(line);
      EXPECT_EQ(got, expected) << bytes.size() << " bytes, CharChange " << char_change;
      lines.Rewind();
      got.clear();
      std::string unused;
      for (std::string_view line; lines.NextLine(line, unused);) got.emplace_back(line);
      EXPECT_EQ(got, expected) << bytes.size() << " bytes, CharChange " << char_change
                               << " (views)";
      // Split part way through a walk, the walk goes on; a rewound one walks the split.
      lines.Rewind();
      got.assign(1, std::string());
      if (!lines.ReadLine(got[0])) got.clear();
      lines.Split();
      for (std::string line; lines.ReadLine(line);) got.push_back(line);
      EXPECT_EQ(got, expected) << bytes.size() << " bytes, CharChange " << char_change
                               << " (split)";
      lines.Rewind();
      got.assign(lines.All().begin(), lines.All().end());
      EXPECT_EQ(got, expected);
    }
  }
  // The split finds the same lines as the walk, wherever the line ends fall in its words.
  std::mt19937 rng(19);
  for (int k = 0; k < 300; ++k) {
    SourceFile file{true, false, {}};
    for (int n = static_cast<int>(rng() % 90); n > 0; --n)
      file.bytes += "\n\r\rax\0\x8A\n"[rng() % 8];
    TextLines walked(file, no_stop), split(file, no_stop);
    split.Split();
    std::string unused;
    for (std::string_view a, b; walked.NextLine(a, unused);) {
      ASSERT_TRUE(split.NextLine(b, unused));
      ASSERT_EQ(a, b);
    }
    std::string_view rest;
    EXPECT_FALSE(split.NextLine(rest, unused));
  }
  EXPECT_FALSE(ReadSourceFile(dir.str() + "/missing.c", 0).opened);
  EXPECT_FALSE(ReadSourceFile(dir.str(), 2).opened);
}

}  // namespace
}  // namespace kelvora::testing
