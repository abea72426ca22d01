// Rules of the TREE viewer window that hold without a window: the settings that shape it with
// their bounds, the layout of its parts, the slider and saved-rectangle rules, the tool-bar
// variants, the colour scheme choice, the graph's font angle and scale step, the help line that
// scrolls through status pane 3, the selection window's collapse rule and clearing a page.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui.h"

namespace kelvora {

class SettingsStore;
class TreePage;
struct TreeViewerPage;

inline constexpr QuestionId kAskClearPageTrees{"tree.clear-page-trees"};

// Settings of section "Tree_Dialog" and the colours of section "Tree" (0xBBGGRR).
struct TreeViewSettings {
  int tree_rect = 20;   // "TreeRect%": 5..40
  int graph_rect = 65;  // "GraphRect%": TreeRect%..85
  int color_type = 9;   // "ColorType": 0..9
  int color_bright = 0;
  unsigned sel_text = 0xffffff, sel_back = 0xa00000, out_text = 0xffffff, out_back = 0;
  int graph_height = 4;  // "GraphHeight": 0..7
  int toolbar = 1;       // "toolbar": see ToolbarVariant
  // "StatusBar" "BkColor" (0xBBGGRR); 0, the default, leaves the desktop's own colour: a black
  // bar would hide its black texts.
  unsigned status_back = 0;
};
// Reads the settings through their keys (settings/settings_schema.h): TreeRect%, GraphRect% and
// ColorType out of bounds take their defaults and are written back; GraphHeight is held to 0..7,
// toolbar 0 or above 4 becomes 1.
TreeViewSettings LoadTreeViewSettings(SettingsStore& store);
// A colour of the selection window or the output window, "Tree" Sel_TextColor, Sel_BackColor,
// Out_TextColor, Out_BackColor (0xBBGGRR).
void WriteTreeWindowColor(SettingsStore& store, bool output_window, bool background,
                          unsigned color);
// The window's placement, "Window" tree_left/top/right/bottom and tree_show (3 maximized, else 1),
// and the graph's scale "Tree" GraphHeight, written when the viewer closes.
struct TreePlacement {
  long long left = 0, top = 0, right = 0, bottom = 0;
  bool maximized = false;
};
TreePlacement ReadTreePlacement(const SettingsStore& store);
void SaveTreePlacement(SettingsStore& store, const TreePlacement& placement, int graph_height);

// The four tool bars ("toolbar" 1 to 4; the settings page offers 1 and 2):
//   1 ツールバー１, new style: every button, flat until the mouse is over it;
//   2 ツールバー２, new style: every button but the four colour buttons (the colours stay in the
//     "表示(&V)" menu);
//   3 ツールバー１, old style: every button, raised with a frame;
//   4 ツールバー２, old style: the short set, raised with a frame.
struct ToolbarVariant {
  bool full_set = true;
  bool old_style = false;
};
ToolbarVariant ToolbarVariantOf(int setting);

// A rectangle in the client area (the window below its menu bar, tool bar and status bar
// included), as the layout rules count.
struct TreeRect {
  int x = 0, y = 0, w = 0, h = 0;
  int right() const { return x + w; }
  int bottom() const { return y + h; }
  friend bool operator==(const TreeRect&, const TreeRect&) = default;
};

struct TreeLayoutInput {
  int width = 0, height = 0;  // client area
  int tree_rect = 20, graph_rect = 65;
  bool tool_bar = true, status_bar = true, sliders = true;
};

struct TreeLayout {
  int top = 0;     // top of the tree area: 102 with the tool bar, 76 without
  int bottom = 0;  // the bottom area below the trees
  TreeRect selection, info, output, side, scroll_bar, left_slider, right_slider;
  int right_slider_min = 20;  // the right slider's range starts at TreeRect%
};
// The layout rules, recomputed on every resize.
TreeLayout LayOutTreeViewer(const TreeLayoutInput& in);

inline constexpr int kTreeViewerMinWidth = 520;
inline constexpr int kTreeViewerMinHeight = 430;
// The saved window rectangle is used only when all four values are non-zero and it is at least
// 520 × 430.
bool SavedTreeRectUsable(long long left, long long top, long long right, long long bottom);

// Releasing the left slider at value: stores "TreeRect%"; a "GraphRect%" now left of it moves
// to it (and is stored), as the right slider's range starts there.
void ReleaseTreeRectSlider(TreeViewSettings& view, int value, SettingsStore& store);
void ReleaseGraphRectSlider(TreeViewSettings& view, int value, SettingsStore& store);

// The colour scheme combo box: stores "ColorType"; an index above 9 (or below 0) shows
// "指定された色の定義はありません！　" and changes nothing. True when stored.
bool ChooseColorType(TreeViewSettings& view, int index, SettingsStore& store, Ui& ui);
// " 明度": toggles "ColorBright" and stores it.
void ToggleColorBright(TreeViewSettings& view, SettingsStore& store);

// "フォント角度変更(&E)": 15 degrees more, 90 wraps to 0. With horizontal bars the angle stays and
// "GRAPH Windowのバーが、横描画の場合は変更できません。　" is shown.
int NextGraphAngle(int angle, bool vertical_bars, Ui& ui);
// The graph's spin buttons: GraphHeight one lower (delta -1) or higher (+1) within 0..7, stored.
int StepGraphHeight(TreeViewSettings& view, int delta, SettingsStore& store);

// The graph's help line, scrolled through status pane 3: every tick shows the line from an offset
// that advances by 2 bytes of its CP932 form (kept on a character boundary), until the offset
// reaches the end; then the pane is cleared and the scrolling stops.
class HelpLineScroller {
 public:
  static constexpr int kTickMs = 120;
  static const std::string& GraphHelpLine();  // UTF-8
  void Start(std::string_view utf8);
  bool running() const { return running_; }
  // Shows the next step in pane 3 (the empty text once the end is reached); false once stopped.
  bool Tick(Ui& ui);

 private:
  std::string cp932_;
  std::size_t offset_ = 0;
  bool running_ = false;
};

// The selection window keeps only the root open: after any of its items was expanded, the
// selected item is collapsed again unless it is the root (or nothing is selected).
enum class SelectionItemKind { None, Root, Entry, Callee };
bool CollapseSelectedAfterExpansion(SelectionItemKind selected);

// Typing in the selection window: the first entry (display order) whose text starts with the
// typed text, letters compared without case; -1 when none. A binary search over the sorted
// entries, so a whole kernel's half a million entries answer at once.
std::int32_t FindEntryByPrefix(const TreePage& page, std::string_view prefix);

// The selection window's find box: the next entry after from (forward) or the previous one before
// it, in display order and wrapping around, whose text contains needle, ASCII letters compared
// without case; from -1 starts at the first (forward) or last entry. -1 when none contains it.
std::int32_t FindEntryContaining(const TreePage& page, std::string_view needle, std::int32_t from,
                                 bool forward);

// Empties both trees of the current page after "選択Window、TREE出力WindowのTREEデータを全て削除
// しますか？　"; true on Yes. before_clear runs on Yes before anything is freed (a window lets go
// of its views there).
bool ClearPageTrees(TreeViewerPage& page, Ui& ui, const std::function<void()>& before_clear = {});

}  // namespace kelvora
