// The settings sheet's pages without their widgets: what each page reads when the sheet opens,
// the rules of its controls, and what it writes when the sheet is closed with OK.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui.h"
#include "settings/settings.h"

namespace kelvora {

class Ui;

// ---- "エディタ設定" ----------------------------------------------------------------------

constexpr std::size_t kEditorPathLimit = 1000;
constexpr std::size_t kEditorOptionLimit = 50;
inline constexpr std::string_view kEditorBrowseTitle = "■■ 秀丸エディタのEXEを指定 ■■";
// The first entry lists executable files only; a chooser that cannot tell them shows all.
inline constexpr std::string_view kEditorBrowseFilter = "実行ファイル (*);;すべてのファイル (*)";

struct EditorPage {
  // The page's path and option: what OK writes. The path is file-system bytes.
  std::string path;
  std::string option;
};

// True when a file that is not a folder exists at the path.
bool EditorFileExists(const std::string& path);

// Reads EditorPath and EditorOption; an empty option is "/j"; an option over 50 bytes is
// reported and not taken over.
EditorPage ReadEditorPage(const SettingsStore& store, Ui& ui);
// "参照(&R)": the file chooser, then the 1000-byte limit and the existence check. True when the
// chosen path became the page's path.
bool BrowseEditor(EditorPage& page, Ui& ui);
// The option field changed to text (CP932 bytes): over 50 bytes is reported and the previous
// option stays. True when the text became the page's option.
bool SetEditorOption(EditorPage& page, std::string_view text, Ui& ui);
// Writes EditorOption, and EditorPath only when a file exists at the page's path; a path that
// is set but names no file is reported, an empty one is not.
void WriteEditorPage(const EditorPage& page, SettingsStore& store, Ui& ui);

// ---- "解析関連(1)" and "解析関連(2)" -----------------------------------------------------

constexpr int kHeaderLineMin = 0;
constexpr int kHeaderLineMax = 200;

struct AnalysisPage {
  std::string src;     // "Extention" src, CP932
  std::string header;  // "Extention" header, CP932
  int func = 1, structs = 1, define = 1, table = 1;
  int func_prop = 0;            // 0..2
  int struct_prop = 0;          // 0..2
  std::string func_header_str;  // CP932
  int func_header_line = 10;    // 0..200
  int func_head_words = 0;      // 0..1
};

// An empty extension list shows its default and is written back at once.
AnalysisPage ReadAnalysisPage(SettingsStore& store);
void WriteAnalysisPage(const AnalysisPage& page, SettingsStore& store);
// The "補足説明" message: how the header words are matched.
std::string HeaderWordsHelpText();

struct PreprocessorPage {
  std::string preprocessor;  // CP932
  int char_change = 0;       // 0, 1 or 2 (detect per file)
};

PreprocessorPage ReadPreprocessorPage(const SettingsStore& store);
void WritePreprocessorPage(const PreprocessorPage& page, SettingsStore& store);

// ---- "排除関数" --------------------------------------------------------------------------

struct ExcludedPage {
  std::array<std::string, kExcludedSlots> names{};  // CP932
  std::array<bool, kExcludedSlots> flags{};
};

ExcludedPage ReadExcludedPage(const SettingsStore& store);
inline constexpr QuestionId kAskClearExcluded{"settings.clear-excluded-functions"};
// "全クリア": after Yes to the question every name and flag is emptied. True when cleared.
bool ClearExcludedPage(ExcludedPage& page, Ui& ui);
// Writes all 60 names and flags, empty ones included.
void WriteExcludedPage(const ExcludedPage& page, SettingsStore& store);

// ---- "出力関連" --------------------------------------------------------------------------

constexpr int kNestLevels = 12;
constexpr int kSpaceMin = 1;
constexpr int kSpaceMax = 100;

struct OutputPage {
  std::array<bool, kNestLevels> nest_levels{};  // level n at index n - 1
  int space = 30;
  int struct_space = 40;
  int table_space = 40;
  int graph_node_budget = 300;  // "GraphNodeBudget": most function nodes of a call graph

  // NestLevelText: bit n - 1 for level n.
  int NestMask() const;
};

OutputPage ReadOutputPage(const SettingsStore& store);
void WriteOutputPage(const OutputPage& page, SettingsStore& store);

// ---- "IndexMode関連" ---------------------------------------------------------------------

struct IndexPage {
  std::uint32_t text_color = 0xFFFFFF;  // 0x00BBGGRR
  std::uint32_t back_color = 0;
  int left = 20;
  int top = 20;
};

// The position is held within 0..desktop width and 0..desktop height, the spin ranges.
IndexPage ReadIndexPage(const SettingsStore& store, int desktop_width, int desktop_height);
void WriteIndexPage(const IndexPage& page, SettingsStore& store);

// The 16 custom colours of the colour-choice dialog ("Color" "CustomColor0".."CustomColor15").
std::array<std::uint32_t, kCustomColors> ReadCustomColors(const SettingsStore& store);
void WriteCustomColors(const std::array<std::uint32_t, kCustomColors>& colors,
                       SettingsStore& store);

// ---- "その他" ----------------------------------------------------------------------------

struct OtherPage {
  int toolbar = 1;   // "Tree" toolbar: 1..4, tool bar 1 (1, 3) or 2 (2, 4) on the radios
  int file_dlg = 1;  // "Dialog" fileDLG: 1 or 2
};

OtherPage ReadOtherPage(const SettingsStore& store);
void WriteOtherPage(const OtherPage& page, SettingsStore& store);

enum class History { Word, CommentSearch, TreeSearch, Emphasis };
inline constexpr QuestionId kAskClearWordHistory{"settings.clear-word-history"};
inline constexpr QuestionId kAskClearCommentSearchHistory{"settings.clear-comment-search-history"};
inline constexpr QuestionId kAskClearTreeSearchHistory{"settings.clear-tree-search-history"};
inline constexpr QuestionId kAskClearEmphasisHistory{"settings.clear-emphasis-history"};

// Asks, and on Yes writes the empty text to the history's 20 keys at once and confirms with
// "履歴をクリアしました！　". True when cleared.
bool ClearHistory(History history, SettingsStore& store, Ui& ui);
// True when every one of the word box's 20 keys ("ComboHistory" str1..str20) is empty.
bool WordHistoryEmpty(const SettingsStore& store);

// ---- The whole sheet ---------------------------------------------------------------------

struct PropertySheetModel {
  EditorPage editor;
  AnalysisPage analysis;
  PreprocessorPage preprocessor;
  ExcludedPage excluded;
  OutputPage output;
  IndexPage index;
  OtherPage other;
};

// Every page reads its keys, in page order.
PropertySheetModel ReadPropertySheet(SettingsStore& store, Ui& ui, int desktop_width,
                                     int desktop_height);
// OK: every page writes its keys in page order, then all settings are reloaded into settings.
void WritePropertySheet(const PropertySheetModel& model, SettingsStore& store, Settings& settings,
                        Ui& ui);

}  // namespace kelvora
