// The directory walk, the extension lists and the header list paths of the analysis run.
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "analysis/analysis_passes.h"
#include "analysis/extension_list.h"
#include "analysis_run_fixture.h"
#include "platform/bytes.h"
#include "platform/cp932.h"

namespace kelvora::testing {
namespace {

class WalkTest : public ::testing::Test {
 protected:
  std::string Root() const { return dir.str(); }
  std::vector<std::string> Positions() const {
    std::vector<std::string> out;
    for (std::size_t r = 0; r < files.RowCount(); ++r) out.push_back(files.Cell(r, col::kPosition));
    return out;
  }
  TempDir dir;
  RegistrationList files{ListKind::File};
};

TEST_F(WalkTest, VisitsEntriesInByteOrderWithSlashPositions) {
  for (const char* f : {"b.c", "a.C", "Z.c", "sub/c.c", "noext", "x.cpp", "sub/deeper/d.c"})
    dir.Write(f, "int x;\n");
  std::string r = Root();
  EXPECT_EQ(RegisterFiles(r, {".c", true, nullptr}, false, files), 5u);
  EXPECT_EQ(Positions(), (std::vector<std::string>{r + "/Z.c(1)", r + "/a.C(1)", r + "/b.c(1)",
                                                   r + "/sub/c.c(1)", r + "/sub/deeper/d.c(1)"}));
  EXPECT_EQ(files.Cell(0, col::kName), "Z.c");
  EXPECT_EQ(files.Cell(0, col::kMarker), "");

  files.Clear();
  EXPECT_EQ(RegisterFiles(r, {".c", false, nullptr}, false, files), 3u);
  EXPECT_EQ(files.Cell(2, col::kName), "b.c");
}

TEST_F(WalkTest, HeaderWalkMarksRowsAndWritesTheHeaderList) {
  dir.Write("inc/a.h", "");
  dir.Write("b.H", "");
  std::ostringstream list;
  RegisterFiles(Root(), {".h", true, &list}, true, files);
  ASSERT_EQ(files.RowCount(), 2u);
  EXPECT_EQ(files.Cell(0, col::kMarker), ".h");
  EXPECT_EQ(files.Cell(1, col::kMarker), ".h");
  EXPECT_EQ(list.str(), Root() + "/b.H(1)\r\n" + Root() + "/inc/a.h(1)\r\n");
}

TEST_F(WalkTest, LinksBackUpTheTreeAreNotFollowedAgain) {
  dir.Write("a/x.h", "");
  dir.Write("b/y.h", "");
  std::filesystem::create_directory_symlink("..", dir.path() / "a" / "loop");
  std::filesystem::create_directory_symlink(dir.path(), dir.path() / "a" / "self");
  std::filesystem::create_directory_symlink("../a", dir.path() / "b" / "to_a");
  RegisterFiles(Root(), {".h", true, nullptr}, false, files);
  // a/x.h once: the link b/to_a reaches a folder already walked; the loops end at once.
  EXPECT_EQ(Positions(), (std::vector<std::string>{Root() + "/a/x.h(1)", Root() + "/b/y.h(1)"}));
}

TEST_F(WalkTest, ALinkDagRegistersEachFileOnce) {
  // Two links per level to the next: 2^12 paths to f.h, one folder.
  for (int level = 0; level < 12; ++level) {
    const auto d = dir.path() / ("d" + std::to_string(level));
    std::filesystem::create_directories(d);
    const std::string next = "../d" + std::to_string(level + 1);
    std::filesystem::create_directory_symlink(next, d / "l1");
    std::filesystem::create_directory_symlink(next, d / "l2");
  }
  dir.Write("d12/f.h", "");
  EXPECT_EQ(1u, RegisterFiles(Root() + "/d0", {".h", true, nullptr}, false, files));
}

TEST_F(WalkTest, OnlyRegularFilesAreRegistered) {
  dir.Write("real.c", "");
  ASSERT_EQ(mkfifo((dir.path() / "pipe.c").c_str(), 0644), 0);
  std::filesystem::create_symlink("missing.c", dir.path() / "dead.c");
  std::filesystem::create_symlink("real.c", dir.path() / "link.c");
  RegisterFiles(Root(), {".c", true, nullptr}, false, files);
  EXPECT_EQ(Positions(), (std::vector<std::string>{Root() + "/link.c(1)", Root() + "/real.c(1)"}));
}

TEST_F(WalkTest, AwkwardNamesKeepTheirBytes) {
  const std::string sjis_name = "\x93\xfa\x96\x7b.c";  // 日本 in CP932
  for (std::string f : {std::string("a b.c"), std::string("50%.c"), std::string("f(1).c"),
                        std::string("日本語.c"), sjis_name})
    dir.Write(f, "");
  RegisterFiles(Root(), {".c", false, nullptr}, false, files);
  ASSERT_EQ(files.RowCount(), 5u);
  std::vector<std::string> names;
  for (std::size_t r = 0; r < files.RowCount(); ++r) names.push_back(files.Cell(r, col::kName));
  EXPECT_EQ(names, (std::vector<std::string>{"50%.c", "a b.c", "f(1).c", sjis_name, "日本語.c"}));
  EXPECT_EQ(files.Cell(3, col::kPosition), Root() + "/" + sjis_name + "(1)");
}

TEST_F(WalkTest, UnlistableDirectoryIsReportedAndItsSiblingsAreStillWalked) {
  dir.Write("a/x.h", "");
  dir.Write("b/y.h", "");
  dir.Write("c/z.h", "");
  OpenUp(dir.path());
  std::filesystem::permissions(dir.path() / "b", std::filesystem::perms::none);
  std::string root = Root();
  int rc = RunWithoutRootRights([&] {
    RegistrationList rows(ListKind::File);
    std::ostringstream list;
    RegisterFiles(root, {".h", true, &list}, true, rows);
    if (rows.RowCount() != 2) return 1;
    if (rows.Cell(0, col::kPosition) != root + "/a/x.h(1)") return 2;
    if (rows.Cell(1, col::kPosition) != root + "/c/z.h(1)") return 3;
    std::string expected =
        root + "/a/x.h(1)\r\n" + Utf8ToCp932("検索失敗") + "\r\n" + root + "/c/z.h(1)\r\n";
    return list.str() == expected ? 0 : 4;
  });
  EXPECT_EQ(rc, 0);
}

TEST(HeaderListPathTest, TakesThePathBeforeTheLastExtensionParenthesis) {
  EXPECT_EQ(HeaderListPath("/src/inc/a.h(1)"), "/src/inc/a.h");
  EXPECT_EQ(HeaderListPath("/src/v(2).d/a.hpp(1)"), "/src/v(2).d/a.hpp");
  EXPECT_EQ(HeaderListPath("/src/日本語.h(1)"), "/src/日本語.h");
  EXPECT_EQ(HeaderListPath("/src/\x93\xfa\x96\x7b.h(1)"), "/src/\x93\xfa\x96\x7b.h");
  EXPECT_EQ(HeaderListPath("/a b/50%.h(1)"), "/a b/50%.h");
  EXPECT_EQ(HeaderListPath(""), "");
  EXPECT_EQ(HeaderListPath(Utf8ToCp932("検索失敗")), "");
  EXPECT_EQ(HeaderListPath(".h(1)"), "");       // no character before the dot
  EXPECT_EQ(HeaderListPath("/src/a.(1)"), "");  // no extension
  EXPECT_EQ(HeaderListPath("/" + std::string(600, 'x') + ".h(1)"), "");
}

TEST(ExtensionListTest, TakesEachItemWithItsDot) {
  RegexService regex;
  EXPECT_EQ(ParseExtensionList("*.c;*.cpp", regex), (std::vector<std::string>{".c", ".cpp"}));
  EXPECT_EQ(ParseExtensionList("*.h;*.hpp", regex), (std::vector<std::string>{".h", ".hpp"}));
  EXPECT_EQ(ParseExtensionList("*.cpp;*.c", regex), (std::vector<std::string>{".cpp", ".c"}));
  EXPECT_EQ(ParseExtensionList("*.C_x", regex), (std::vector<std::string>{".C_x"}));
  EXPECT_TRUE(ParseExtensionList("", regex).empty());
  EXPECT_TRUE(ParseExtensionList("*.*", regex).empty());
  std::string many;
  for (int i = 0; i < 25; ++i) many += "*.e" + std::to_string(i) + ";";
  std::vector<std::string> taken = ParseExtensionList(many, regex);
  ASSERT_EQ(taken.size(), 20u);
  EXPECT_EQ(taken.front(), ".e0");
  EXPECT_EQ(taken.back(), ".e19");
  EXPECT_TRUE(ParseExtensionList("*.c", RegexService(false)).empty());
}

TEST(ExtensionListTest, FileExtensionIsTheTextFromTheLastDot) {
  EXPECT_EQ(FileExtension("a.tar.gz"), ".gz");
  EXPECT_EQ(FileExtension("Makefile"), "");
  EXPECT_EQ(FileExtension(".h"), ".h");
  EXPECT_TRUE(EqualsIgnoringAsciiCase(".CPP", ".cpp"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase(".c", ".cc"));
}

}  // namespace
}  // namespace kelvora::testing
