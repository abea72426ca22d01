// The TREE viewer's source display without a window: its settings and their commands, the
// emphasis history, and the header and source lines of an output item, read bounded from its file.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"
#include "text/regex_service.h"

namespace kelvora {

class CleaningPatterns;
class SettingsStore;

// "条件付きコンパイル・ディレクティブ…無効範囲を非表示にしますか？" and
// "…表示する設定に戻しますか？"
inline constexpr QuestionId kAskHideInactiveRanges{"tree.source.hide-inactive"};
inline constexpr QuestionId kAskShowInactiveRanges{"tree.source.show-inactive"};
// "文字コードを「EUC ⇒ S-JIS変換」しますか？" and "文字コードを変換しない設定に戻しますか？"
inline constexpr QuestionId kAskConvertEuc{"tree.source.convert-euc"};
inline constexpr QuestionId kAskKeepCharset{"tree.source.keep-charset"};
// "デフォルトの設定に戻しますか？…"
inline constexpr QuestionId kAskSourceDefaults{"tree.source.defaults"};

struct SourceViewSettings {
  std::string font;  // CP932, "ＭＳ ゴシック" by default
  int font_size = 9;
  int tab = 4;            // 2, 4 or 8
  int scroll_width = 15;  // 6, 15 or 25
  int columns = 1;        // 1 to 10
  bool euc = false;       // convert the shown source from EUC-JP
  bool detect = false;    // "CharChange" 2: each file's encoding detected, shown as CP932
  bool hide_inactive = false;
  bool show_steps = true, show_position = true, show_prepro = true, show_line_numbers = true,
       show_ruler = true;
  int src_line = 0;  // lines shown before the definition's first line
};

// Reads the keys of section "Tree" with their bounds ("InfoWinTab" out of bounds is written back).
SourceViewSettings LoadSourceViewSettings(SettingsStore& store);

// The display items of "表示項目関連"; each toggle is stored at once.
enum class SourceItem { Steps, Position, Prepro, LineNumbers, Ruler };
inline constexpr std::array<SourceItem, 5> kSourceItems{SourceItem::Steps, SourceItem::Position,
                                                        SourceItem::Prepro, SourceItem::LineNumbers,
                                                        SourceItem::Ruler};
// The menu text naming the state the toggle switches to: "行番号表示設定→非表示" when shown.
std::string SourceItemMenuText(SourceItem item, const SourceViewSettings& s);
void ToggleSourceItem(SourceItem item, SourceViewSettings& s, SettingsStore& store);

// Menu choices, stored at once; a value outside the key's bounds is ignored (false).
bool SetSourceTab(int tab, SourceViewSettings& s, SettingsStore& store);
bool SetSourceScrollWidth(int width, SourceViewSettings& s, SettingsStore& store);
bool SetSourceColumns(int columns, SourceViewSettings& s, SettingsStore& store);
void SetSourceFont(std::string_view font_cp932, int size, SourceViewSettings& s,
                   SettingsStore& store);

// The questions of the menu; true when the setting changed (and was stored).
bool ToggleInactiveRanges(SourceViewSettings& s, SettingsStore& store, Ui& ui);
bool ToggleEucConversion(SourceViewSettings& s, SettingsStore& store, Ui& ui);
// Yes restores font, line numbers, ruler, one column, inactive ranges shown and no conversion.
bool RestoreSourceDefaults(SourceViewSettings& s, SettingsStore& store, Ui& ui);

// The emphasis patterns of the combo box: a ring of 20 slots under "InfoWinEmphasis%d" (from
// 1); a new pattern takes the slot after the newest and is stored at once, one key per pattern.
class EmphasisHistory {
 public:
  static constexpr int kSlots = 20;
  void Load(const SettingsStore& store);
  // Stores a pattern not held yet; false when it is empty.
  bool Add(std::string_view pattern, SettingsStore& store);
  // The patterns for the combo box, newest first (CP932).
  std::vector<std::string> items() const;

 private:
  std::vector<std::string> slots_;  // in slot order
  std::size_t next_ = 0;            // the slot the next pattern takes
};

// The fields of an output item's data text (the nest level is field 1).
struct SourceFields {
  std::string real_steps, total_steps;  // fields 2 and 3
  std::string position;                 // field 5, "path(line)"; empty when the item has none
  std::string path;
  long line = 0;   // the position's line
  long first = 0;  // the first line to show: field 6 when present and not 0, else line
};
SourceFields ParseSourceFields(std::string_view data);

// One shown source line: CP932 with the tabs expanded, so byte offset and display cell agree.
struct SourceLine {
  long number = 0;
  bool body = false;  // inside the definition (number drawn "%05d┃"), else context ("%05d│")
  bool cut = false;   // longer than kShownLineBytes: the rest is not shown
  std::string text;
  std::vector<MatchSpan> emphasis;  // ascending, outside comments
};

struct SourceView {
  std::vector<std::string> header;  // UTF-8 lines above the source
  std::vector<SourceLine> lines;
  std::vector<std::string> notes;  // UTF-8 lines shown after the source: errors and cut notes
  long first = 0;                  // the definition's first line, 0 without a file
  int hidden = 0;                  // lines of the range left out as inactive
};

inline constexpr std::size_t kShownLineBytes = 4096;
// A total step count above this is taken as this many lines.
inline constexpr long kShownLinesLimit = 100000;

// The header and the source lines of an item: from src_line lines before its first line to the
// total step count plus 3 lines (3000 lines when the total is 0); data1 is the page's "//Data1:"
// text, the macro list that decides the inactive ranges; patterns are the emphasis patterns.
SourceView BuildSourceView(std::string_view data, std::string_view data1,
                           const SourceViewSettings& s, const CleaningPatterns& pats,
                           std::span<const Regex* const> patterns);

// Lines per column: rows, or fewer when all lines fit on one screen, so the columns share them.
int ColumnRows(std::size_t lines, int rows, int columns);

// "%05d┃" for a line of the definition, "%05d│" for a context line (UTF-8).
std::string LineNumberText(const SourceLine& line);
inline constexpr int kLineNumberCells = 6;
// The ruler over the text cells 1..width: "----+----1----+----2…".
std::string RulerText(int width);

// The whole display as UTF-8 text: header, then per row the columns side by side (each column
// rows lines, padded to width cells), emphasis between "«" and "»"; a text form for tests and
// text output.
std::string RenderSourceText(const SourceView& view, const SourceViewSettings& s, int rows,
                             int width);

}  // namespace kelvora
