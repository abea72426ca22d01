// The four special greps over the registered files: the Grep menu rows, the pattern of each
// search, and GrepCommand, which writes the hits to "Grep結果.txt".
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kelvora {

class RegisteredData;
class RegexService;
class Ui;
struct Settings;

enum class GrepKind { Assign = 1, Prototype = 2, FunctionMacro = 3, IfDirective = 4 };

// One row of the Grep menu: its number, item text, short description, the long description of
// the text area and the result window's title (all UTF-8).
struct GrepMenuRow {
  int number;
  std::string_view item;
  std::string_view description;
  std::string_view details;
  std::string_view title;
};
const std::array<GrepMenuRow, 4>& GrepMenuRows();
const GrepMenuRow& GrepMenuRowOf(GrepKind kind);
// "　　■■ %s ■■\r\n\r\n%s" over the item text and the long description.
std::string GrepLongDescription(GrepKind kind);
inline constexpr std::string_view kGrepTargetNote = "Grep対象：ソースファイル、ヘッダファイル";

inline constexpr const char* kGrepResultFileName = "Grep結果.txt";

// The pattern searched in each cleaned line (CP932). For an assignment search the variable name
// is put in front as typed, regex characters unquoted.
std::string GrepPattern(GrepKind kind, std::string_view name = {});

// The menu dialog's OK: true when a row (1..4) is selected, else "選択されていません。　" is
// shown and the dialog stays open.
bool AcceptGrepMenuChoice(std::optional<int> selected_row, Ui& ui);
// The input dialog's OK: true for a name, else "入力されていません！　" and the dialog stays open.
bool AcceptGrepName(std::string_view name, Ui& ui);

// How the front end asks. choose_kind returns the chosen row number (nullopt when cancelled);
// enter_name the variable name in CP932 (nullopt when cancelled).
struct GrepDialogs {
  std::function<std::optional<int>()> choose_kind;
  std::function<std::optional<std::string>()> enter_name;
};

// What the result window is given after a search with hits.
struct GrepRun {
  GrepKind kind = GrepKind::Assign;
  std::string result_path;  // "Grep結果.txt" in the working folder
  long files = 0;           // FileList rows searched ("Grep実行File数：%d")
  std::string name;         // the variable name (CP932), empty for the other searches
  long hits = 0;
};

// The status texts of the result window: "Grep実行File数：%d", "Grep文字列：%s" (UTF-8).
std::string GrepFilesText(const GrepRun& run);
std::string GrepWordText(const GrepRun& run);

enum class GrepResult {
  WindowOpen,    // the result window is already open (message shown)
  Cancelled,     // a dialog or the Escape question ended it ("キャンセルします！　")
  BadChoice,     // a row outside 1..4 ("エラー発生！\n終了します。")
  BadPattern,    // the pattern built from the name does not compile (message shown)
  OutputFailed,  // "Grep結果.txt" could not be created or written
  NoHits,        // "検出されませんでした！　"
  Found,         // open the result window over run
};

struct GrepOutcome {
  GrepResult result = GrepResult::Cancelled;
  GrepRun run;
};

struct GrepContext {
  const RegisteredData& data;
  const Settings& settings;  // CharChange and Preprocessor of "Analysis"
  const RegexService& regex;
  Ui& ui;
  std::string work_dir;  // where "Grep結果.txt" is written
  bool result_window_open = false;
};

// The Grep menu command: the dialogs, then the search over every FileList row.
GrepOutcome GrepCommand(GrepContext& ctx, const GrepDialogs& dialogs);

// The search itself, once the kind (and name) are known; used by GrepCommand and the command
// line.
GrepOutcome RunGrep(GrepContext& ctx, GrepKind kind, std::string_view name);

}  // namespace kelvora
