// Comment search (Ctrl+F): registered items found by their comments, one hit opened at once,
// several offered in a menu; and the import of function comments from a comment file.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/registration_lists.h"
#include "lookup/menu_model.h"
#include "lookup/menu_state.h"
#include "platform/editor_launch.h"

namespace kelvora {

class RegexService;
class SettingsStore;
class Ui;
class WordHistory;
struct Settings;

inline constexpr std::string_view kCommentHistoryPrefix = "CommentSearchstr";
constexpr std::size_t kCommentWordLimit = 1000;  // words of this many bytes are not taken

// The request, kept between searches. list: 1 functions, 2 structs, 3 defines, 4 tables.
struct CommentSearchRequest {
  std::string word;  // CP932; empty = no search
  int list = 0;
  bool partial = true;
  bool case_sensitive = false;
};

// The list of a request's list number; nullopt outside 1..4.
std::optional<ListKind> CommentSearchKind(int list);

// The dialog's controls while it is open.
struct CommentSearchDialog {
  std::string word;                   // CP932, the drop-down's edit text
  std::vector<std::string> dropdown;  // the history, as the drop-down lists it
  std::array<bool, 4> enabled{};      // radios 関数, 構造体, #define, テーブル
  int list = 0;                       // the checked radio 1..4; 0 none
  bool partial = true;
  bool case_sensitive = false;
};

// Opening the dialog: partial checked, word and the request's word cleared, the history loaded,
// each radio whose list had no rows at the end of the last analysis disabled, the first enabled
// one checked.
CommentSearchDialog OpenCommentSearchDialog(CommentSearchRequest& request, WordHistory& history,
                                            const SettingsStore& store,
                                            const std::array<bool, 4>& had_rows);

// "検索(&S)": false (the dialog stays open) for a word of 1000 bytes or more. Otherwise stores the
// word, list and boxes in the request, adds the word to the history and saves the history; the
// dialog then closes.
bool PressCommentSearch(const CommentSearchDialog& dialog, CommentSearchRequest& request,
                        WordHistory& history, SettingsStore& store);

// Rows (in list order) whose comment holds the word (partial) or equals it; without
// case_sensitive both are lower-cased as CP932. A match never starts inside a double-byte
// character.
std::vector<std::size_t> FindCommentRows(const RegistrationList& list, std::string_view word,
                                         bool partial, bool case_sensitive);

enum class CommentSearchResult {
  NoData,  // every list empty ("登録データがないのでコメント検索できません！　")
  NoWord,     // the dialog was cancelled or the word left empty
  NoList,     // no list chosen ("キャンセルします！　")
  EmptyList,  // "登録データがありません！　"
  NoMatch,    // "見つかりませんでした！　"
  Jumped,     // one match, opened (see open)
  Menu,       // several: show menu; comment search is active
};

struct CommentSearchOutcome {
  CommentSearchResult result = CommentSearchResult::NoWord;
  OpenResult open = OpenResult::NoPosition;
  MenuModel menu;
  std::vector<std::size_t> rows;  // the matching rows
};

struct CommentSearchContext {
  const RegisteredData& data;
  SettingsStore& store;
  CommentSearchRequest& request;
  WordHistory& history;  // built with kCommentHistoryPrefix
  MenuState& state;
  const EditorLauncher& editor;
  Ui& ui;
  // Lists 1..4 had rows at the end of the last analysis run.
  std::array<bool, 4> had_rows{true, true, true, true};
};

// Shows the dialog; true when it was closed by "検索(&S)" (after PressCommentSearch accepted).
using CommentSearchDialogRunner = std::function<bool(CommentSearchDialog&)>;

// Command 151: the dialog, then RunCommentSearch.
CommentSearchOutcome CommentSearchCommand(CommentSearchContext& ctx,
                                          const CommentSearchDialogRunner& run_dialog);

// The search of a request: nothing for an empty word; one match opens its row; several build the
// menu "(&%d) %s  %s" (row identifiers as the tag-jump menus number them) at (10, 10), tell their
// number and set comment search active.
CommentSearchOutcome RunCommentSearch(const RegisteredData& data,
                                      const CommentSearchRequest& request, MenuState& state,
                                      const EditorLauncher& editor, Ui& ui);

// A menu command while comment search is active: a row identifier opens that row of the
// request's list. The count field and the active flag are cleared in every case.
std::optional<OpenResult> HandleCommentSearchMenuCommand(int id, const RegisteredData& data,
                                                         const CommentSearchRequest& request,
                                                         MenuState& state,
                                                         const EditorLauncher& editor, Ui& ui);

enum class ImportResult { NoData, Cancelled, NoFile, Done };
struct ImportOutcome {
  ImportResult result = ImportResult::Cancelled;
  long stored = 0;  // comments stored; -1 when the file could not be read
};

// Command 52: asks for the comment file, imports with overwrite on and reports the count.
ImportOutcome ImportCommentsCommand(RegisteredData& data, const Settings& settings,
                                    const RegexService& regex, Ui& ui);
// The import itself (command line): AttachPrototypeComments with overwrite on.
long ImportCommentFile(const std::string& file, RegisteredData& data, const Settings& settings,
                       const RegexService& regex, Ui& ui);

}  // namespace kelvora
