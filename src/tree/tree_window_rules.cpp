#include "tree/tree_window_rules.h"

#include <algorithm>

#include "platform/cp932.h"
#include "settings/settings.h"
#include "tree/tree_file.h"
#include "tree/tree_viewer.h"

namespace kelvora {

namespace {

// The selection window's order: letters without case, "_" just before the digits.
int SortKey(unsigned char c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
  if (c == '_') return 0x2F;
  return c;
}

// Compares the first prefix.size() bytes of text with the prefix in that order.
int ComparePrefix(std::string_view text, std::string_view prefix) {
  const std::size_t n = std::min(text.size(), prefix.size());
  for (std::size_t i = 0; i < n; ++i) {
    const int a = SortKey(static_cast<unsigned char>(text[i]));
    const int b = SortKey(static_cast<unsigned char>(prefix[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return text.size() < prefix.size() ? -1 : 0;
}

}  // namespace

void WriteTreeWindowColor(SettingsStore& store, bool output_window, bool background,
                          unsigned color) {
  const IntKey& key = output_window ? (background ? keys::kOutBackColor : keys::kOutTextColor)
                                    : (background ? keys::kSelBackColor : keys::kSelTextColor);
  WriteValue(store, key, color);
}

TreePlacement ReadTreePlacement(const SettingsStore& store) {
  TreePlacement p;
  p.left = ReadValue(store, keys::kTreeLeft);
  p.top = ReadValue(store, keys::kTreeTop);
  p.right = ReadValue(store, keys::kTreeRight);
  p.bottom = ReadValue(store, keys::kTreeBottom);
  p.maximized = ReadValue(store, keys::kTreeShow) == 3;
  return p;
}

void SaveTreePlacement(SettingsStore& store, const TreePlacement& p, int graph_height) {
  WriteValue(store, keys::kTreeLeft, p.left);
  WriteValue(store, keys::kTreeTop, p.top);
  WriteValue(store, keys::kTreeRight, p.right);
  WriteValue(store, keys::kTreeBottom, p.bottom);
  WriteValue(store, keys::kTreeShow, p.maximized ? 3 : 1);
  WriteValue(store, keys::kGraphHeight, graph_height);
}

TreeViewSettings LoadTreeViewSettings(SettingsStore& store) {
  TreeViewSettings v;
  v.tree_rect = LoadInt(store, keys::kTreeRect);
  IntKey graph_rect = keys::kGraphRect;  // the right slider's range starts at TreeRect%
  graph_rect.min = v.tree_rect;
  v.graph_rect = LoadInt(store, graph_rect);
  v.color_type = LoadInt(store, keys::kColorType);
  v.color_bright = ReadInt(store, keys::kColorBright);
  auto colour = [&](const IntKey& key) { return ReadColor(store, key) & 0xFFFFFFu; };
  v.sel_text = colour(keys::kSelTextColor);
  v.sel_back = colour(keys::kSelBackColor);
  v.out_text = colour(keys::kOutTextColor);
  v.out_back = colour(keys::kOutBackColor);
  v.status_back = colour(keys::kStatusBarBackColor);
  v.graph_height = ReadInt(store, keys::kGraphHeight);
  v.toolbar = ReadInt(store, keys::kToolbar);
  return v;
}

ToolbarVariant ToolbarVariantOf(int setting) {
  if (setting < 1 || setting > 4) setting = 1;
  return ToolbarVariant{setting % 2 == 1, setting >= 3};
}

TreeLayout LayOutTreeViewer(const TreeLayoutInput& in) {
  TreeLayout l;
  const int W = in.width, H = in.height;
  const int tr = std::clamp(in.tree_rect, 5, 40);
  const int gr = std::clamp(in.graph_rect, tr, 85);
  const int t = in.tool_bar ? 102 : 76;
  const int b = in.sliders ? (in.status_bar ? 66 : 40) : (in.status_bar ? 31 : 5);
  const int tree_x = W * tr / 100, graph_x = W * gr / 100;
  l.top = t;
  l.bottom = b;
  l.selection = {5, t, tree_x - 5, H * 65 / 100 - 4 - t};
  l.info = {5, H * 65 / 100, tree_x - 5, H * 35 / 100 - b - 1};
  l.output = {tree_x + 4, t, graph_x - tree_x, H - b - t - 1};
  l.scroll_bar = {W - 25, t, 15, H - b - t - 1};
  l.side = {l.output.right(), t, std::max(0, l.scroll_bar.x - l.output.right()), H - b - t - 1};
  l.left_slider = {W * 5 / 100 - 8, H - b + 1, W * 40 / 100 - W * 5 / 100 + 16, 16};
  l.right_slider = {tree_x - 8, H - b + 20, W * 85 / 100 - tree_x + 16, 16};
  l.right_slider_min = tr;
  return l;
}

bool SavedTreeRectUsable(long long left, long long top, long long right, long long bottom) {
  return left != 0 && top != 0 && right != 0 && bottom != 0 &&
         right - left >= kTreeViewerMinWidth && bottom - top >= kTreeViewerMinHeight;
}

void ReleaseTreeRectSlider(TreeViewSettings& view, int value, SettingsStore& store) {
  view.tree_rect = std::clamp(value, 5, 40);
  WriteValue(store, keys::kTreeRect, view.tree_rect);
  if (view.graph_rect < view.tree_rect) {
    view.graph_rect = view.tree_rect;
    WriteValue(store, keys::kGraphRect, view.graph_rect);
  }
}

void ReleaseGraphRectSlider(TreeViewSettings& view, int value, SettingsStore& store) {
  view.graph_rect = std::clamp(value, view.tree_rect, 85);
  WriteValue(store, keys::kGraphRect, view.graph_rect);
}

bool ChooseColorType(TreeViewSettings& view, int index, SettingsStore& store, Ui& ui) {
  if (index < 0 || index > 9) {
    ui.Message("指定された色の定義はありません！　", Ui::kTreeCaption, MsgIcon::Warning);
    return false;
  }
  view.color_type = index;
  WriteValue(store, keys::kColorType, index);
  return true;
}

void ToggleColorBright(TreeViewSettings& view, SettingsStore& store) {
  view.color_bright = view.color_bright == 1 ? 0 : 1;
  WriteValue(store, keys::kColorBright, view.color_bright);
}

int NextGraphAngle(int angle, bool vertical_bars, Ui& ui) {
  if (!vertical_bars) {
    ui.Message("GRAPH Windowのバーが、横描画の場合は変更できません。　", Ui::kTreeCaption,
               MsgIcon::Information);
    return angle;
  }
  return angle >= 90 ? 0 : angle + 15;
}

int StepGraphHeight(TreeViewSettings& view, int delta, SettingsStore& store) {
  view.graph_height = std::clamp(view.graph_height + delta, 0, 7);
  WriteValue(store, keys::kGraphHeight, view.graph_height);
  return view.graph_height;
}

const std::string& HelpLineScroller::GraphHelpLine() {
  static const std::string line =
      "　　　　［処理数から規模見積もり］　　選択関数内部で呼び出している関数毎に、その”下位層の処"
      "理数”をグラフ表示します。その関数より下位層にある”処理数”から、だいたいの処理規模の把握に使"
      "って下さい。";
  return line;
}

void HelpLineScroller::Start(std::string_view utf8) {
  cp932_ = Utf8ToCp932(utf8);
  offset_ = 0;
  running_ = !cp932_.empty();
}

bool HelpLineScroller::Tick(Ui& ui) {
  if (!running_) return false;
  if (offset_ >= cp932_.size()) {
    ui.SetStatus(3, "");
    running_ = false;
    return false;
  }
  ui.SetStatus(3, Cp932ToUtf8(std::string_view(cp932_).substr(offset_)));
  // Two bytes on, then forward to the next character start: a double-byte character is never cut.
  std::size_t next = 0;
  while (next < offset_ + 2 && next < cp932_.size())
    next += IsCp932LeadByte(static_cast<unsigned char>(cp932_[next])) ? 2 : 1;
  offset_ = std::min(next, cp932_.size());
  return true;
}

bool CollapseSelectedAfterExpansion(SelectionItemKind selected) {
  return selected == SelectionItemKind::Entry || selected == SelectionItemKind::Callee;
}

std::int32_t FindEntryByPrefix(const TreePage& page, std::string_view prefix) {
  if (prefix.empty()) return -1;
  std::size_t lo = 0, hi = page.entry_count();
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (ComparePrefix(page.EntryText(mid), prefix) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < page.entry_count() && ComparePrefix(page.EntryText(lo), prefix) == 0)
    return static_cast<std::int32_t>(lo);
  return -1;
}

std::int32_t FindEntryContaining(const TreePage& page, std::string_view needle, std::int32_t from,
                                 bool forward) {
  const auto n = static_cast<std::int64_t>(page.entry_count());
  if (needle.empty() || n == 0) return -1;
  auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  std::string folded(needle);
  for (char& c : folded) c = fold(c);
  auto contains = [&](std::string_view text) {
    if (text.size() < folded.size()) return false;
    for (std::size_t at = 0; at + folded.size() <= text.size(); ++at) {
      std::size_t i = 0;
      while (i < folded.size() && fold(text[at + i]) == folded[i]) ++i;
      if (i == folded.size()) return true;
    }
    return false;
  };
  const std::int64_t start = from < 0 || from >= n ? (forward ? n - 1 : 0) : from;
  for (std::int64_t step = 1; step <= n; ++step) {
    const std::int64_t e = ((forward ? start + step : start - step) % n + n) % n;
    if (contains(page.EntryText(static_cast<std::size_t>(e)))) return static_cast<std::int32_t>(e);
  }
  return -1;
}

bool ClearPageTrees(TreeViewerPage& page, Ui& ui, const std::function<void()>& before_clear) {
  if (!ui.AskYesNo(kAskClearPageTrees,
                   "選択Window、TREE出力WindowのTREEデータを全て削除しますか？　",
                   Ui::kTreeCaption))
    return false;
  if (before_clear) before_clear();
  page.output.Clear();
  const std::string label = page.file.tab_label;
  page.file.Clear();
  page.file.tab_label = label;
  return true;
}

}  // namespace kelvora
