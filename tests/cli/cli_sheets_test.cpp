#include <gtest/gtest.h>

#include "cli/run_process.h"
#include "platform/cp932.h"

namespace kelvora {
namespace {

using testing::RunProcess;
using testing::TempDir;

TEST(CliSheets, MakeWorkbooksThenListThem) {
  TempDir dir;
  dir.Write("in.csv", Utf8ToCp932("帳票,b,a,b\nplain,x\n"));
  std::filesystem::create_directories(dir.path() / "out");
  auto made =
      RunProcess({KELVORA_CLI_BIN, "make-workbooks", "in.csv", "out", "--sort", "desc"}, dir.str());
  ASSERT_EQ(0, made.status) << made.err;
  EXPECT_EQ(0u, made.err.find("完了しました！")) << made.err;

  auto csv = RunProcess({KELVORA_CLI_BIN, "sheets", "out", "--csv"}, dir.str());
  EXPECT_EQ(0, csv.status) << csv.err;
  const std::string folder = (dir.path() / "out").string();
  EXPECT_EQ("パス(ディレクトリのみ),ファイル名,シート数,シート名1,シート名2,シート名3,…\n" +
                folder + ",plain.xlsx,1,x\n" + folder + ",帳票.xlsx,2,b,a\n",
            csv.out);

  auto text = RunProcess({KELVORA_CLI_BIN, "sheets", "out/帳票.xlsx"}, dir.str());
  EXPECT_EQ(0, text.status);
  EXPECT_NE(std::string::npos,
            text.out.find("シート名一覧\n------------------------------\n  1.b\n  2.a\n\n"));
}

TEST(CliSheets, UnreadableWorkbookAndUsageErrors) {
  TempDir dir;
  dir.Write("empty.xlsx", "");
  auto r = RunProcess({KELVORA_CLI_BIN, "sheets", "empty.xlsx"}, dir.str());
  EXPECT_EQ(1, r.status);
  EXPECT_TRUE(r.out.empty());
  EXPECT_NE(std::string::npos, r.err.find("empty.xlsx")) << r.err;

  EXPECT_EQ(2, RunProcess({KELVORA_CLI_BIN, "sheets"}, dir.str()).status);
  EXPECT_EQ(2, RunProcess({KELVORA_CLI_BIN, "make-workbooks", "a.csv"}, dir.str()).status);
  EXPECT_EQ(2,
            RunProcess({KELVORA_CLI_BIN, "make-workbooks", "a.csv", ".", "--sort", "up"}, dir.str())
                .status);
  EXPECT_EQ(1, RunProcess({KELVORA_CLI_BIN, "make-workbooks", "none.csv", "."}, dir.str()).status);
}

}  // namespace
}  // namespace kelvora
