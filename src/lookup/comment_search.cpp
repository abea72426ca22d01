#include "lookup/comment_search.h"

#include <cstdio>
#include <filesystem>

#include "analysis/definitions.h"
#include "lookup/word_history.h"
#include "lookup/word_lookup.h"
#include "platform/cp932.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "text/source_clean.h"

namespace kelvora {

namespace {

constexpr ListKind kCommentKinds[4] = {ListKind::Function, ListKind::Struct, ListKind::Define,
                                       ListKind::Table};

MenuItem CommentItem(const RegistrationList& list, std::size_t row) {
  MenuItem item;
  item.text = "(&" + std::to_string(row + 1) + ") " + list.CellText(row, col::kName) + "  " +
              list.CellText(row, col::kComment);
  item.id = RowCommandId(row);
  return item;
}

std::string CountOf(std::size_t n) {
  char buf[32];
  std::snprintf(buf, sizeof buf, " %4zu", n);
  return buf;
}

}  // namespace

std::optional<ListKind> CommentSearchKind(int list) {
  if (list < 1 || list > 4) return std::nullopt;
  return kCommentKinds[list - 1];
}

CommentSearchDialog OpenCommentSearchDialog(CommentSearchRequest& request, WordHistory& history,
                                            const SettingsStore& store,
                                            const std::array<bool, 4>& had_rows) {
  CommentSearchDialog dialog;
  request.word.clear();
  history.Load(store);
  dialog.dropdown = history.dropdown();
  dialog.enabled = had_rows;
  for (int i = 0; i < 4 && dialog.list == 0; ++i)
    if (dialog.enabled[i]) dialog.list = i + 1;
  dialog.partial = true;
  dialog.case_sensitive = false;
  return dialog;
}

bool PressCommentSearch(const CommentSearchDialog& dialog, CommentSearchRequest& request,
                        WordHistory& history, SettingsStore& store) {
  if (dialog.word.size() >= kCommentWordLimit) return false;
  request.word = dialog.word;
  request.list = dialog.list;
  request.partial = dialog.partial;
  request.case_sensitive = dialog.case_sensitive;
  if (!dialog.word.empty()) {
    history.Add(dialog.word);
    history.Save(store);
  }
  return true;
}

std::vector<std::size_t> FindCommentRows(const RegistrationList& list, std::string_view word,
                                         bool partial, bool case_sensitive) {
  std::vector<std::size_t> rows;
  const std::string wanted = case_sensitive ? std::string(word) : Cp932Lower(word);
  std::string comment;
  for (std::size_t r = 0; r < list.RowCount(); ++r) {
    comment = list.CellText(r, col::kComment);
    if (!case_sensitive) Cp932LowerInPlace(comment);
    const bool match = partial ? ContainsAtCharBoundary(comment, wanted) : comment == wanted;
    if (match) rows.push_back(r);
  }
  return rows;
}

CommentSearchOutcome RunCommentSearch(const RegisteredData& data,
                                      const CommentSearchRequest& request, MenuState& state,
                                      const EditorLauncher& editor, Ui& ui) {
  CommentSearchOutcome outcome;
  if (request.word.empty()) {
    outcome.result = CommentSearchResult::NoWord;
    return outcome;
  }
  const std::optional<ListKind> kind = CommentSearchKind(request.list);
  if (!kind) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = CommentSearchResult::NoList;
    return outcome;
  }
  const RegistrationList& list = data.List(*kind);
  if (list.empty()) {
    ui.Message("登録データがありません！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = CommentSearchResult::EmptyList;
    return outcome;
  }
  outcome.rows = FindCommentRows(list, request.word, request.partial, request.case_sensitive);
  if (outcome.rows.empty()) {
    ui.Message("見つかりませんでした！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = CommentSearchResult::NoMatch;
    return outcome;
  }
  if (outcome.rows.size() == 1) {
    outcome.result = CommentSearchResult::Jumped;
    outcome.open = OpenRow(data, *kind, outcome.rows.front(), editor, ui);
    return outcome;
  }
  ui.Message("複数検出されましたので、MENUより選択して下さい！　\n\n■検出数：" +
                 std::to_string(outcome.rows.size()),
             Ui::kCaption, MsgIcon::Information);
  outcome.result = CommentSearchResult::Menu;
  outcome.menu.kind = static_cast<int>(*kind);
  outcome.menu.x = 10;
  outcome.menu.y = 10;
  outcome.menu.count_text = CountOf(outcome.rows.size());
  outcome.menu.items.reserve(outcome.rows.size());
  for (std::size_t row : outcome.rows) outcome.menu.items.push_back(CommentItem(list, row));
  SetItemPositions(data, *kind, outcome.rows, outcome.menu);
  state.comment_search_active = true;
  state.count_text = outcome.menu.count_text;
  return outcome;
}

CommentSearchOutcome CommentSearchCommand(CommentSearchContext& ctx,
                                          const CommentSearchDialogRunner& run_dialog) {
  CommentSearchOutcome outcome;
  const RegisteredData& data = ctx.data;
  if (data.List(ListKind::Function).empty() && data.List(ListKind::Struct).empty() &&
      data.List(ListKind::Define).empty() && data.List(ListKind::Table).empty()) {
    ctx.ui.Message("登録データがないのでコメント検索できません！　", Ui::kCaption,
                   MsgIcon::Information);
    outcome.result = CommentSearchResult::NoData;
    return outcome;
  }
  CommentSearchDialog dialog =
      OpenCommentSearchDialog(ctx.request, ctx.history, ctx.store, ctx.had_rows);
  if (!run_dialog || !run_dialog(dialog)) {
    outcome.result = CommentSearchResult::NoWord;
    return outcome;
  }
  return RunCommentSearch(data, ctx.request, ctx.state, ctx.editor, ctx.ui);
}

std::optional<OpenResult> HandleCommentSearchMenuCommand(int id, const RegisteredData& data,
                                                         const CommentSearchRequest& request,
                                                         MenuState& state,
                                                         const EditorLauncher& editor, Ui& ui) {
  std::optional<OpenResult> opened;
  if (const std::optional<std::size_t> row = RowOfCommand(id)) {
    if (std::optional<ListKind> kind = CommentSearchKind(request.list)) {
      opened = OpenRow(data, *kind, *row, editor, ui);
    } else {
      ui.Message("コメント検索をキャンセルします！　", Ui::kCaption, MsgIcon::Information);
    }
  }
  state.count_text.clear();
  state.comment_search_active = false;
  return opened;
}

long ImportCommentFile(const std::string& file, RegisteredData& data, const Settings& settings,
                       const RegexService& regex, Ui& ui) {
  CleaningPatterns cleaning(regex);
  MacroList macros(settings.preprocessor);
  ExtractorEnv env{regex, cleaning, settings, macros, data, ui};
  return AttachPrototypeComments(file, /*overwrite=*/true, env);
}

ImportOutcome ImportCommentsCommand(RegisteredData& data, const Settings& settings,
                                    const RegexService& regex, Ui& ui) {
  ImportOutcome outcome;
  if (data.List(ListKind::Function).empty() && data.List(ListKind::Struct).empty() &&
      data.List(ListKind::Define).empty() && data.List(ListKind::Table).empty()) {
    ui.Message("登録データがありません！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = ImportResult::NoData;
    return outcome;
  }
  std::optional<std::string> file =
      ui.ChooseOpenFile("■■ コメント取得ファイルを指定 ■■", "コメント取得ファイル（*.*） (*)");
  if (!file || file->empty()) {
    ui.Message("キャンセルします！　", Ui::kCaption, MsgIcon::Information);
    outcome.result = ImportResult::Cancelled;
    return outcome;
  }
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::path(*file), ec)) {
    ui.Message("指定されたファイルが存在しません。　\n終了します。", Ui::kCaption,
               MsgIcon::Warning);
    outcome.result = ImportResult::NoFile;
    return outcome;
  }
  outcome.stored = ImportCommentFile(*file, data, settings, regex, ui);
  outcome.result = ImportResult::Done;
  ui.Message("終了しました！\n\n取得コメント数：" + std::to_string(outcome.stored) + "　\n",
             Ui::kCaption, MsgIcon::Information);
  return outcome;
}

}  // namespace kelvora
