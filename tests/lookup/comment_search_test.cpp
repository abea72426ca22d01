#include "lookup/comment_search.h"

#include <gtest/gtest.h>

#include "lookup/word_history.h"
#include "lookup_fixture.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"

namespace kelvora {
namespace {

using testing::AddRows;
using testing::TempDir;
using Argv = std::vector<std::string>;

std::string Sjis(std::string_view utf8) {
  return Utf8ToCp932(utf8);
}

TEST(CommentMatchTest, PartialExactAndCaseOnJapaneseComments) {
  RegistrationList list(ListKind::Function);
  // "ア" is 0x83 0x41 and "ソ" 0x83 0x5C: second bytes that read as "A" and "\".
  const char* comments[] = {"// Retry later", "/* RETRY */", "// retry later",
                            "// アイ処理",    "// ｱA",       "// ソフト"};
  for (const char* c : comments) {
    std::size_t r = list.AppendRow();
    list.SetCell(r, col::kName, "f" + std::to_string(r));
    list.SetCell(r, col::kComment, Sjis(c));
  }
  struct Case {
    std::string word;
    bool partial, case_sensitive;
    std::vector<std::size_t> rows;
  } cases[] = {
      {"retry", true, false, {0, 1, 2}},
      {"Retry", true, true, {0}},
      {"// Retry later", false, false, {0, 2}},
      {"// Retry later", false, true, {0}},
      {"// Retry", false, false, {}},
      {"a", true, false, {0, 2, 4}},  // never the second byte of "ア"
      {"A", true, true, {4}},
      {"\\", true, true, {}},  // nor the second byte of "ソ"
      {Sjis("アイ"), true, false, {3}},
      {Sjis("ＲＥＴＲＹ"), true, false, {}},
      {Sjis("// ソフト"), false, false, {5}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.rows, FindCommentRows(list, c.word, c.partial, c.case_sensitive))
        << Cp932ToUtf8(c.word) << " partial=" << c.partial << " case=" << c.case_sensitive;
}

class CommentSearchTest : public ::testing::Test {
 protected:
  CommentSearchTest()
      : store((dir.path() / "Kelvora.ini").string(), (dir.path() / "registry.ini").string()),
        editor(
            "/usr/bin/ed", "+", [this](const Argv& a) { return started.push_back(a), true; },
            [](const std::string&) { return true; }) {
    data.roots().Append("/src");
    AddRows(data, ListKind::Function,
            {{"init", "%1/a.c(3)", "", Sjis("// 初期化")}, {"term", "%1/a.c(9)", "", "// end"}});
    AddRows(data, ListKind::Table,
            {{"tbl_a", "%1/t.c(1)", "=", Sjis("/* 表 初期値 */")},
             {"tbl_b", "%1/t.c(5)", "=", Sjis("/* 表 */")}});
  }
  CommentSearchOutcome Search(const std::function<void(CommentSearchDialog&)>& fill,
                              std::array<bool, 4> had_rows = {true, true, true, true}) {
    CommentSearchContext ctx{data, store, request, history, state, editor, ui, had_rows};
    return CommentSearchCommand(ctx, [&](CommentSearchDialog& d) {
      opened_dialog = d;
      if (!fill) return false;
      fill(d);
      return PressCommentSearch(d, request, history, store);
    });
  }

  TempDir dir;
  SettingsStore store;
  RegisteredData data;
  CommentSearchRequest request;
  WordHistory history{kCommentHistoryPrefix};
  MenuState state;
  ScriptedUi ui;
  std::vector<Argv> started;
  EditorLauncher editor;
  CommentSearchDialog opened_dialog;
};

TEST_F(CommentSearchTest, OneHitJumpsSeveralBuildTheMenu) {
  CommentSearchOutcome one = Search([](CommentSearchDialog& d) { d.word = Sjis("初期"); });
  EXPECT_EQ(CommentSearchResult::Jumped, one.result);
  EXPECT_EQ((std::vector<Argv>{{"/usr/bin/ed", "+3", "/src/a.c"}}), started);

  CommentSearchOutcome several = Search([](CommentSearchDialog& d) {
    d.word = Sjis("表");
    d.list = 4;
  });
  ASSERT_EQ(CommentSearchResult::Menu, several.result);
  EXPECT_EQ("複数検出されましたので、MENUより選択して下さい！　\n\n■検出数：2",
            ui.messages().back());
  ASSERT_EQ(2u, several.menu.items.size());
  EXPECT_EQ("(&2) tbl_b  /* 表 */", DisplayText(several.menu.items[1]));
  EXPECT_EQ(501, several.menu.items[1].id);
  EXPECT_EQ("/src/t.c(1)", several.menu.items[0].position);  // tells equal names apart
  EXPECT_EQ("/src/t.c(5)", several.menu.items[1].position);
  EXPECT_EQ(10, several.menu.x);
  EXPECT_TRUE(state.comment_search_active);
  EXPECT_EQ("    2", state.count_text);

  // The menu's choice opens the row of the request's list (4: tables).
  EXPECT_EQ(OpenResult::Started,
            HandleCommentSearchMenuCommand(501, data, request, state, editor, ui));
  EXPECT_EQ((Argv{"/usr/bin/ed", "+5", "/src/t.c"}), started.back());
  EXPECT_FALSE(state.comment_search_active);
  EXPECT_EQ("", state.count_text);

  // The history keeps both words under their own keys, oldest first.
  EXPECT_EQ(Sjis("初期"), store.ReadString("ComboHistory", "CommentSearchstr1"));
  EXPECT_EQ(Sjis("表"), store.ReadString("ComboHistory", "CommentSearchstr2"));
  EXPECT_EQ("", store.ReadString("ComboHistory", "str1"));
}

TEST_F(CommentSearchTest, DialogOpeningAndEveryWayOut) {
  // Cancelling after an earlier search does not run that search again.
  Search([](CommentSearchDialog& d) { d.word = "end"; });
  started.clear();
  ui = ScriptedUi();
  EXPECT_EQ(CommentSearchResult::NoWord, Search(nullptr).result);
  EXPECT_TRUE(started.empty());
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ((std::vector<std::string>{"end"}), opened_dialog.dropdown);

  // Radios of lists that had no rows are disabled; the first enabled one is checked.
  Search(nullptr, {false, true, true, true});
  EXPECT_EQ(2, opened_dialog.list);
  EXPECT_TRUE(opened_dialog.partial);
  EXPECT_FALSE(opened_dialog.enabled[0]);

  CommentSearchDialog too_long;
  too_long.word.assign(1000, 'x');
  EXPECT_FALSE(PressCommentSearch(too_long, request, history, store));

  struct Case {
    std::function<void(CommentSearchDialog&)> fill;
    CommentSearchResult result;
    std::string message;
  } cases[] = {
      {[](CommentSearchDialog& d) { d.word = "x", d.list = 0; }, CommentSearchResult::NoList,
       "キャンセルします！　"},
      {[](CommentSearchDialog& d) { d.word = "x", d.list = 2; }, CommentSearchResult::EmptyList,
       "登録データがありません！　"},
      {[](CommentSearchDialog& d) { d.word = "zzz"; }, CommentSearchResult::NoMatch,
       "見つかりませんでした！　"},
  };
  for (const Case& c : cases) {
    ui = ScriptedUi();
    EXPECT_EQ(c.result, Search(c.fill).result);
    EXPECT_EQ((std::vector<std::string>{c.message}), ui.messages());
  }
  request.list = 9;
  ui = ScriptedUi();
  EXPECT_FALSE(HandleCommentSearchMenuCommand(500, data, request, state, editor, ui));
  EXPECT_EQ((std::vector<std::string>{"コメント検索をキャンセルします！　"}), ui.messages());

  RegisteredData empty;
  ui = ScriptedUi();
  CommentSearchContext ctx{empty, store, request, history, state, editor, ui};
  EXPECT_EQ(CommentSearchResult::NoData, CommentSearchCommand(ctx, nullptr).result);
  EXPECT_EQ((std::vector<std::string>{"登録データがないのでコメント検索できません！　"}),
            ui.messages());
}

TEST_F(CommentSearchTest, ImportOverwritesAndSkipsBareSlashes) {
  data.functions().SetCell(1, col::kComment, "// old");
  AddRows(data, ListKind::Function, {{"*getBuf", "%1/b.c(1)", "", ""}});
  const std::string file =
      dir.Write("コメント 取得.txt", Sjis("1\tinit()\t\t//\r\n2\tterm()\t\t// 終了処理\r\n"
                                          "3\tgetBuf()\t\t/* バッファ */\r\n"));
  Settings settings;
  RegexService regex;

  ui.ChooseOpenAnswer(file);
  ImportOutcome out = ImportCommentsCommand(data, settings, regex, ui);
  EXPECT_EQ(ImportResult::Done, out.result);
  EXPECT_EQ(2, out.stored);
  EXPECT_EQ("終了しました！\n\n取得コメント数：2　\n", ui.messages().back());
  EXPECT_EQ(Sjis("// 初期化"), data.functions().Cell(0, col::kComment));    // "//" sets nothing
  EXPECT_EQ(Sjis("// 終了処理"), data.functions().Cell(1, col::kComment));  // overwritten
  EXPECT_EQ(Sjis("/* バッファ */"), data.functions().Cell(2, col::kComment));

  struct Case {
    std::optional<std::string> chosen;
    ImportResult result;
    std::string message;
  } cases[] = {
      {std::nullopt, ImportResult::Cancelled, "キャンセルします！　"},
      {(dir.path() / "gone.txt").string(), ImportResult::NoFile,
       "指定されたファイルが存在しません。　\n終了します。"},
  };
  for (const Case& c : cases) {
    ui = ScriptedUi();
    ui.ChooseOpenAnswer(c.chosen);
    EXPECT_EQ(c.result, ImportCommentsCommand(data, settings, regex, ui).result);
    EXPECT_EQ((std::vector<std::string>{c.message}), ui.messages());
  }
  RegisteredData empty;
  ui = ScriptedUi();
  EXPECT_EQ(ImportResult::NoData, ImportCommentsCommand(empty, settings, regex, ui).result);
  EXPECT_EQ((std::vector<std::string>{"登録データがありません！　"}), ui.messages());
}

}  // namespace
}  // namespace kelvora
