#include <gtest/gtest.h>

#include <string>

#include "data/position.h"
#include "data/registration_lists.h"
#include "platform/editor_launch.h"
#include "platform/scripted_ui.h"

namespace kelvora {
namespace {

TEST(Positions, TwoRunsCompressAgainstTheirOwnRoots) {
  RegisteredData data;
  data.roots().Append("/home/me/first");
  std::string one = data.CompressPosition("/home/me/first/sub/main.c(120)");
  EXPECT_EQ(one, "%1/sub/main.c(120)");
  data.roots().Append("/home/me/second");
  std::string two = data.CompressPosition("/home/me/second/lib.c(7)");
  EXPECT_EQ(two, "%2/lib.c(7)");

  EXPECT_EQ(data.ExpandPosition(one), "/home/me/first/sub/main.c(120)");
  EXPECT_EQ(data.ExpandPosition(two), "/home/me/second/lib.c(7)");
  // A path of an older root (re-analysis over both) keeps its own root, so it still expands;
  // with nested roots the newest matching one is taken.
  EXPECT_EQ(data.CompressPosition("/home/me/first/x.c(1)"), "%1/x.c(1)");
  data.roots().Append("/home/me/first/sub");
  EXPECT_EQ(data.CompressPosition("/home/me/first/sub/y.c(2)"), "%3/y.c(2)");
  EXPECT_EQ(data.CompressPosition("/home/me/first/z.c(3)"), "%1/z.c(3)");
  EXPECT_EQ(data.CompressPosition("/elsewhere/w.c(4)"), "/elsewhere/w.c(4)");
}

TEST(Positions, AwkwardRootsRoundTrip) {
  const std::string roots[] = {
      "/tmp/my sources",
      "/tmp/100% done",
      "/tmp/copy (2)",
      "/tmp/%1",
      "/home/u/\x83\x5c\x81\x5b\x83\x58",              // ソース in CP932, trail bytes 0x5C
      "/home/u/\xe3\x82\xbd\xe3\x83\xbc\xe3\x82\xb9",  // ソース in UTF-8
  };
  for (const std::string& root : roots) {
    RegisteredData data;
    data.roots().Append(root);
    for (const std::string rest : {"/a.c(3)", "/dir (x)/b%2.h(12):  ", "/n(1)/m.c(9)"}) {
      std::string full = root + rest;
      std::string compressed = data.CompressPosition(full);
      EXPECT_EQ(compressed, "%1" + rest) << root;
      EXPECT_EQ(data.ExpandPosition(compressed), full) << root;
    }
  }
}

TEST(Positions, FileSystemRootIsEmptyAndRoundTrips) {
  RegisteredData data;
  data.roots().Append("");
  EXPECT_EQ(data.CompressPosition("/name(1)"), "%1/name(1)");
  EXPECT_EQ(data.CompressPosition("/usr/src/a.c(4)"), "%1/usr/src/a.c(4)");
  EXPECT_EQ(data.ExpandPosition("%1/name(1)"), "/name(1)");
  EXPECT_EQ(data.ExpandPosition("%1/usr/src/a.c(4)"), "/usr/src/a.c(4)");
}

TEST(Positions, OnlyTheLeadingRootAtADirectoryBoundaryIsReplaced) {
  RegisteredData data;
  data.roots().Append("/src");
  std::string full = "/src/lib/src/b.c(2)";
  EXPECT_EQ(data.CompressPosition(full), "%1/lib/src/b.c(2)");
  EXPECT_EQ(data.ExpandPosition(data.CompressPosition(full)), full);
  EXPECT_EQ(data.CompressPosition("/src2/c.c(1)"), "/src2/c.c(1)");
  EXPECT_EQ(data.CompressPosition("/src"), "/src");

  RegisteredData empty;
  EXPECT_EQ(empty.CompressPosition("/a.c(1)"), "/a.c(1)");
}

TEST(Positions, ExpandGivesEmptyForWhatCannotBeOpened) {
  RegisteredData data;
  data.roots().Append("/r1");
  data.roots().Append("/r2");
  EXPECT_EQ(data.ExpandPosition("%2/x.c(1)"), "/r2/x.c(1)");
  EXPECT_EQ(data.ExpandPosition("%3/x.c(1)"), "");
  EXPECT_EQ(data.ExpandPosition("%0/x.c(1)"), "");
  EXPECT_EQ(data.ExpandPosition("%/x.c(1)"), "");
  EXPECT_EQ(data.ExpandPosition("%99999999999999999999999/x.c(1)"), "");
  EXPECT_EQ(data.ExpandPosition("%1x.c(1)"), "");   // no "/"
  EXPECT_EQ(data.ExpandPosition("r1/x.c(1)"), "");  // no "%" before the first "/"
  EXPECT_EQ(data.ExpandPosition("%1a/x.c(1)"), "");
  EXPECT_EQ(data.ExpandPosition(""), "");
  // A full position with "%" further on is not a compressed one.
  EXPECT_EQ(data.ExpandPosition("/tmp/100%1/x.c(1)"), "");
}

TEST(Positions, FileListPositionsAreUsedAsStored) {
  RegisteredData data;
  data.roots().Append("/r");
  std::size_t f = data.files().AppendRow();
  data.files().SetCell(f, col::kName, "x%1.c");
  data.files().SetCell(f, col::kPosition, "/r/50%/x%1.c(1)");
  std::size_t s = data.functions().AppendRow();
  data.functions().SetCell(s, col::kPosition, "%1/50%/x%1.c(8)");

  EXPECT_EQ(data.FullPosition(ListKind::File, f), "/r/50%/x%1.c(1)");
  EXPECT_EQ(data.FullPosition(ListKind::Function, s), "/r/50%/x%1.c(8)");
  EXPECT_EQ(data.FullPosition(ListKind::Function, 5), "");
}

TEST(PositionTest, LastOpeningParenthesisDecides) {
  struct Case {
    const char* text;
    const char* path;  // nullptr: no position
    const char* line;
  };
  const Case cases[] = {
      {"/src(old)/a.c(7)", "/src(old)/a.c", "7"},
      {"/inc/types.h(12):  ", "/inc/types.h", "12"},
      {"/a (b)/c(1).c(120)", "/a (b)/c(1).c", "120"},
      {"%1/日本語/x.c(3)", "%1/日本語/x.c", "3"},
      {"/x.c(abc)", "/x.c", "abc"},  // the editor gets the text as it stands
      {"/src/a.c", nullptr, nullptr},
      {"/src/a.c)", nullptr, nullptr},
      {"/src/a.c)(3", nullptr, nullptr},
      {"/x.c(7", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    std::optional<Position> p = Position::Parse(c.text);
    ASSERT_EQ(p.has_value(), c.path != nullptr) << c.text;
    if (!p) continue;
    EXPECT_EQ(p->path, c.path) << c.text;
    EXPECT_EQ(p->line, c.line) << c.text;
  }
  EXPECT_EQ(Position::Parse("/a (b)/c.c(120)")->Text(), "/a (b)/c.c(120)");
  EXPECT_EQ(FormatPosition("/a (b)/c.c", 120), "/a (b)/c.c(120)");
  EXPECT_EQ(Position::Parse("/x.c(08)")->LineNumber(), 8);
  EXPECT_FALSE(Position::Parse("/x.c(-3)")->LineNumber());
  EXPECT_FALSE(Position::Parse("/x.c()")->LineNumber());
}

// A text that is no position starts nothing and says nothing; without an editor the user is
// told so whatever the text.
TEST(PositionTest, OpenPositionSplitsBeforeTheEditorStarts) {
  std::vector<std::vector<std::string>> started;
  auto spawn = [&started](const std::vector<std::string>& argv) {
    started.push_back(argv);
    return true;
  };
  auto everything = [](const std::string&) { return true; };
  ScriptedUi ui;
  EditorLauncher editor("/usr/bin/vim", "+", spawn, everything);
  EXPECT_EQ(OpenPosition(editor, "/src/a.c", ui), OpenResult::NoPosition);
  EXPECT_EQ(OpenPosition(editor, "", ui), OpenResult::NoPosition);
  EXPECT_EQ(OpenPosition(editor, "/src(old)/a.c(7): x", ui), OpenResult::Started);
  EXPECT_EQ(started,
            (std::vector<std::vector<std::string>>{{"/usr/bin/vim", "+7", "/src(old)/a.c"}}));
  EXPECT_TRUE(ui.messages().empty());

  EditorLauncher none("", "/j", spawn, everything);
  EXPECT_EQ(OpenPosition(none, "/src/a.c", ui), OpenResult::NoEditor);
  EXPECT_EQ(ui.messages().size(), 1u);
}

TEST(Positions, SplitAtTheLastParentheses) {
  std::string path;
  long line = 0;
  ASSERT_TRUE(SplitPosition("/a (b)/c(1).c(120)", path, line));
  EXPECT_EQ(path, "/a (b)/c(1).c");
  EXPECT_EQ(line, 120);
  ASSERT_TRUE(SplitPosition("%1/inc/types.h(12):  ", path, line));
  EXPECT_EQ(path, "%1/inc/types.h");
  EXPECT_EQ(line, 12);

  path = "kept";
  line = -5;
  EXPECT_FALSE(SplitPosition("/no/line.c", path, line));
  EXPECT_FALSE(SplitPosition("/x.c(7", path, line));  // a position needs its ")"
  EXPECT_FALSE(SplitPosition("/x.c()", path, line));
  EXPECT_FALSE(SplitPosition("/x.c(abc)", path, line));
  EXPECT_FALSE(SplitPosition("/x.c(-3)", path, line));
  EXPECT_FALSE(SplitPosition("", path, line));
  EXPECT_EQ(path, "kept");
  EXPECT_EQ(line, -5);
}

}  // namespace
}  // namespace kelvora
