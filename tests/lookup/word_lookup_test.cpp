#include "lookup/word_lookup.h"

#include <gtest/gtest.h>

#include <random>

#include "lookup_fixture.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"

namespace kelvora {
namespace {

using testing::AddRows;
using Argv = std::vector<std::string>;

class LookupTest : public ::testing::Test {
 protected:
  LookupTest() {
    data.roots().Append("/home/me/My Src");
    editor = std::make_unique<EditorLauncher>(
        "/usr/bin/vim", "+", [this](const Argv& argv) { return started.push_back(argv), true; },
        [](const std::string&) { return true; });
  }
  LookupOutcome Lookup(ListKind kind, std::string_view word) {
    return LookupWord(data, kind, word, layout, state, *editor, ui);
  }

  RegisteredData data;
  MenuLayout layout;
  MenuState state;
  ScriptedUi ui;
  std::vector<Argv> started;
  std::unique_ptr<EditorLauncher> editor;
};

TEST(Cp932LowerTest, MapsLettersOfTheCodePage) {
  EXPECT_EQ(Cp932Lower("InitAll_Z9"), "initall_z9");
  EXPECT_EQ(Cp932ToUtf8(Cp932Lower(Utf8ToCp932("ＡＢＺａ漢字ΑΩБЯЁОＸ"))), "ａｂｚａ漢字αωбяёоｘ");
  // Half-width katakana and the second byte of a double-byte character are not letters.
  std::string kana_and_trail = "\xB1\x83\x41";  // ｱ ア: 0x83 0x41 holds an "A" byte
  EXPECT_EQ(Cp932Lower(kana_and_trail), kana_and_trail);
}

TEST(Cp932LowerTest, MatchesOnlyAtCharacterBoundaries) {
  EXPECT_TRUE(ContainsAtCharBoundary("parse_init", "init"));
  EXPECT_FALSE(ContainsAtCharBoundary("ini", "init"));
  // "ア" is 0x83 0x41: a search for "a" (lower-cased "A") must not hit its second byte.
  std::string a_kana = Utf8ToCp932("アイ");
  EXPECT_FALSE(ContainsAtCharBoundary(Cp932Lower(a_kana), "a"));
  EXPECT_FALSE(ContainsAtCharBoundary(a_kana, "\x41\x83"));
  EXPECT_TRUE(ContainsAtCharBoundary(Cp932Lower(Utf8ToCp932("xアA")), "a"));
  EXPECT_TRUE(ContainsAtCharBoundary(a_kana, Utf8ToCp932("イ")));
}

// Plain reference: lower both, then try every character boundary of the name.
bool ReferenceMatch(const std::string& name, const std::string& word) {
  std::string n = Cp932Lower(name), w = Cp932Lower(word);
  for (std::size_t i = 0; i <= n.size();) {
    if (n.compare(i, w.size(), w) == 0 && i + w.size() <= n.size()) return true;
    if (i == n.size()) break;
    i += IsCp932LeadByte(static_cast<unsigned char>(n[i])) && i + 1 < n.size() ? 2 : 1;
  }
  return false;
}

TEST(Cp932LowerTest, BothSearchPathsAgreeWithAPlainReference) {
  // Pieces with letters in both cases, pairs whose second byte looks like a letter, half-width
  // katakana and lone lead bytes.
  const std::vector<std::string> pieces = {
      "A",        "a",        "b",        "\x82\x60", "\x82\x81", "\x83\x41", "\x83\x9F",
      "\x83\xBF", "\x84\x4F", "\x84\x80", "\xB1",     "\x83",     "_"};
  std::mt19937 rng(11);
  auto random_text = [&](std::size_t max) {
    std::string t;
    for (std::size_t k = rng() % (max + 1); k > 0; --k) t += pieces[rng() % pieces.size()];
    return t;
  };
  RegisteredData data;
  std::vector<testing::RowSpec> rows;
  for (int i = 0; i < 400; ++i) rows.push_back({random_text(6), "", "", ""});
  AddRows(data, ListKind::Function, rows);
  LoweredNames lowered(data.functions());
  for (int k = 0; k < 300; ++k) {
    std::string word = random_text(2);
    if (word.empty()) continue;
    std::vector<std::size_t> expected;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      if (ReferenceMatch(rows[r].name, word)) expected.push_back(r);
    }
    ASSERT_EQ(FindMatchingRows(data.functions(), word), expected) << k;
    ASSERT_EQ(lowered.Find(word), expected) << k;
  }
}

TEST_F(LookupTest, SeveralMatchesGiveAOneColumnMenuInListOrder) {
  AddRows(data, ListKind::Function,
          {{"InitAll", "%1/a.c(3)", "", Utf8ToCp932("初期化")},
           {"run", "%1/a.c(9)", "", ""},
           {"parse_init", "%1/p.c(20)", "#define", ""},
           {"INI", "%1/i.c(1)", "", ""}});
  LookupOutcome out = Lookup(ListKind::Function, "init");
  ASSERT_EQ(out.result, LookupResult::Menu);
  EXPECT_FALSE(out.menu.paged);
  EXPECT_EQ(out.menu.x, 10);
  EXPECT_EQ(out.menu.y, 10);
  ASSERT_EQ(out.menu.items.size(), 2u);
  EXPECT_EQ(DisplayText(out.menu.items[0]), "&InitAll    初期化");
  EXPECT_EQ(out.menu.items[0].id, 500);
  EXPECT_EQ(out.menu.items[1].text, "&parse_init    ");
  EXPECT_EQ(out.menu.items[1].id, 502);
  EXPECT_EQ(out.menu.items[1].checked_bitmap, kMacroBitmap);
  EXPECT_EQ(state.count_text, " 0002");
  EXPECT_TRUE(started.empty());

  layout.comment_display = false;
  out = Lookup(ListKind::Function, "INIT");
  EXPECT_EQ(out.menu.items[0].text, "&InitAll");
}

TEST_F(LookupTest, SingleMatchJumpsAndNoMatchReports) {
  AddRows(data, ListKind::Function,
          {{"InitAll", "%1/a.c(3)", "", ""}, {"run", "%1/b.c(9)", "", ""}});
  AddRows(data, ListKind::Struct, {{"tag", "%1/inc/t.h(12):  ", "", ""}});
  AddRows(data, ListKind::File, {{"50%.c", "/x/50%.c(1)", "", ""}});
  state.current_kind = 1;
  state.count_text = " 0007";
  LookupOutcome out = Lookup(ListKind::Function, "RUN");
  EXPECT_EQ(out.result, LookupResult::Jumped);
  EXPECT_EQ(out.open, OpenResult::Started);
  EXPECT_EQ(state.current_kind, 0);
  EXPECT_EQ(state.count_text, "");
  EXPECT_EQ(Lookup(ListKind::Struct, "TAG").open, OpenResult::Started);
  EXPECT_EQ(Lookup(ListKind::File, "50%").open, OpenResult::Started);
  ASSERT_EQ(started.size(), 3u);
  EXPECT_EQ(started[0], (Argv{"/usr/bin/vim", "+9", "/home/me/My Src/b.c"}));
  EXPECT_EQ(started[1], (Argv{"/usr/bin/vim", "+12", "/home/me/My Src/inc/t.h"}));
  EXPECT_EQ(started[2], (Argv{"/usr/bin/vim", "+1", "/x/50%.c"}));

  state.current_kind = 1;
  EXPECT_EQ(Lookup(ListKind::Function, "zzz").result, LookupResult::NoMatch);
  EXPECT_EQ(state.current_kind, 0);
  EXPECT_EQ(ui.messages().back(), "見つかりませんでした！　");
  EXPECT_EQ(Lookup(ListKind::Function, "").result, LookupResult::EmptyWord);
  EXPECT_EQ(ui.messages().back(), "検索Wordを入力して下さい！　");
  EXPECT_EQ(started.size(), 3u);
}

TEST_F(LookupTest, PositionOfAVanishedRootDoesNothing) {
  AddRows(data, ListKind::Function, {{"gone", "%2/a.c(3)", "", ""}});
  EXPECT_EQ(Lookup(ListKind::Function, "gone").open, OpenResult::NoPosition);
  EXPECT_TRUE(started.empty());
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(LookupTest, FullWidthAndCachedNamesAgree) {
  AddRows(data, ListKind::Function,
          {{Utf8ToCp932("ＡＢＣ処理"), "%1/a.c(1)", "", ""},
           {Utf8ToCp932("ａｂｃ"), "%1/a.c(2)", "", ""},
           {Utf8ToCp932("アイ"), "%1/a.c(3)", "", ""},
           {"abc", "%1/a.c(4)", "", ""}});
  std::vector<std::size_t> expected{0, 1};
  EXPECT_EQ(FindMatchingRows(data.functions(), Utf8ToCp932("ａＢｃ")), expected);
  LoweredNames lowered(data.functions());
  EXPECT_EQ(lowered.Find(Utf8ToCp932("ａＢｃ")), expected);
  EXPECT_EQ(lowered.Find("A"), (std::vector<std::size_t>{3}));
  LookupOutcome out = LookupWord(data, ListKind::Function, Utf8ToCp932("ＡＢＣ"), layout, state,
                                 *editor, ui, &lowered);
  EXPECT_EQ(out.menu.items.size(), 2u);
}

// File names are held as the file system gives them (UTF-8 on Linux, CP932 when copied from
// Windows); a CP932 word finds both, in either search path, and full-width letters fold.
TEST_F(LookupTest, FileNamesInUtf8OrCp932AreFoundByTheCp932Word) {
  AddRows(data, ListKind::File,
          {{"日本語ファイル.c", "/資料 (旧)/日本語ファイル.c(1)", "", ""},
           {Utf8ToCp932("旧ファイル.c"), "/x(1)", "", ""},
           {"ＡＢＣ.c", "/y(1)", "", ""},
           {"other.c", "/z(1)", "", ""}});
  const std::vector<std::size_t> both{0, 1};
  EXPECT_EQ(FindMatchingRows(data.files(), Utf8ToCp932("ファイル")), both);
  LoweredNames lowered(data.files());
  EXPECT_EQ(lowered.Find(Utf8ToCp932("ファイル")), both);
  EXPECT_EQ(lowered.Find(Utf8ToCp932("ａｂｃ")), (std::vector<std::size_t>{2}));
  const LookupOutcome out = Lookup(ListKind::File, Utf8ToCp932("語フ"));
  EXPECT_EQ(out.result, LookupResult::Jumped);
  EXPECT_EQ(started.back().back(), "/資料 (旧)/日本語ファイル.c");
}

}  // namespace
}  // namespace kelvora
