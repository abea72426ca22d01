#include "tree/tree_ops.h"

#include <chrono>
#include <filesystem>

#include "data/position.h"
#include "lookup/word_lookup.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/file_names.h"
#include "settings/settings.h"
#include "tree/tree_text.h"

namespace kelvora {

namespace {

constexpr std::string_view kHistorySection = "ComboHistory";
constexpr std::string_view kExcludedSection = "UnMatch_Func";
constexpr std::size_t kSearchTextBytes = 49;

std::string Show(std::string_view cp932) {
  for (char c : cp932)
    if (static_cast<unsigned char>(c) >= 0x80) return Cp932ToUtf8(cp932);
  return std::string(cp932);
}

void Warn(Ui& ui, std::string_view text) {
  ui.Message(text, Ui::kTreeCaption, MsgIcon::Warning);
}

// Shows a status text at most every 50 ms (the first one always).
class Throttle {
 public:
  bool Due() {
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(50)) return false;
    shown_ = true;
    last_ = now;
    return true;
  }

 private:
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_;
};

bool TextMatches(const CallTree& tree, std::int32_t n, std::string_view word) {
  const std::string text = tree.Text(n);
  return ContainsAligned(std::string_view(text).substr(0, kSearchTextBytes), word);
}

void SelectAndReveal(CallTree& tree, std::int32_t n) {
  for (std::int32_t a = tree.node(n).parent; a != CallTree::kNone; a = tree.node(a).parent)
    tree.SetExpanded(a, true);
  tree.selected = n;
}

std::string HistoryKey(std::size_t number) {
  return "TreeSearchstr" + std::to_string(number);
}

}  // namespace

void ExpandIntoOutput(const TreePage& page, std::int32_t entry, CallTree& tree,
                      const TreeSettings& settings, Ui& ui) {
  if (entry < 0 || static_cast<std::size_t>(entry) >= page.entry_count()) return;
  ui.SetWaitCursor(true);
  tree.Build(page, entry, settings.data_max);
  const bool limited = tree.Make(tree.root());
  tree.SetExpanded(tree.root(), true);
  if (limited) ShowNestLimitMessage(ui);
  ui.SetStatus(2, "TREE内検索：Ctrl+F");
  ui.SetStatus(3, "");
  ui.SetWaitCursor(false);
}

bool ConfirmAndExpandIntoOutput(const TreePage& page, std::int32_t entry, CallTree& tree,
                                const TreeSettings& settings, Ui& ui) {
  if (entry < 0 || static_cast<std::size_t>(entry) >= page.entry_count()) return false;
  if (!ui.AskYesNo(kAskExpandEntry,
                   "選択Windowの【 " + Show(page.EntryText(static_cast<std::size_t>(entry))) +
                       " 】が選択されています。　\nTREE出力Windowに展開しますか？　",
                   Ui::kTreeCaption))
    return false;
  ExpandIntoOutput(page, entry, tree, settings, ui);
  return true;
}

bool RequireSelection(const CallTree& tree, Ui& ui) {
  if (!tree.empty() && tree.selected != CallTree::kNone) return true;
  Warn(ui, "項目が選択されていません！　");
  return false;
}

WalkStop ToggleExpandAll(CallTree& tree, const TreeSettings& settings, Ui& ui) {
  if (tree.empty()) return WalkStop::Done;
  const std::int32_t start = tree.selected != CallTree::kNone ? tree.selected : tree.root();
  tree.selected = start;
  WalkGuard guard(ui, settings.node_budget, tree.made_count());
  bool limited = tree.Make(start);
  tree.SetExpanded(start, !tree.node(start).expanded);
  for (std::int32_t n = tree.NextVisible(start); n != CallTree::kNone; n = tree.NextVisible(n)) {
    if (tree.Make(n)) limited = true;
    tree.SetExpanded(n, true);
    if (!guard.Step(tree)) break;
  }
  ui.SetStatus(3, "");
  guard.Report(limited);
  return guard.stop();
}

WalkStop ExpandToLevel(CallTree& tree, int level, const TreeSettings& settings, Ui& ui) {
  if (tree.empty()) return WalkStop::Done;
  WalkGuard guard(ui, settings.node_budget, tree.made_count());
  bool limited = tree.Make(tree.root());
  tree.SetExpanded(tree.root(), true);
  for (std::int32_t n = tree.NextVisible(tree.root()); n != CallTree::kNone;
       n = tree.NextVisible(n)) {
    if (tree.NestLevel(n) >= level) {
      tree.SetExpanded(n, false);
      continue;
    }
    if (tree.Make(n)) limited = true;
    tree.SetExpanded(n, true);
    if (!guard.Step(tree)) break;
  }
  ui.SetStatus(3, "");
  guard.Report(limited);
  return guard.stop();
}

Callers CallersOf(const TreePage& page, std::string_view name) {
  Callers result;
  std::string lines;
  for (std::int32_t e : page.CallerEntries(name)) {
    lines += "  " + Show(page.EntryText(static_cast<std::size_t>(e))) + "\r\n";
    ++result.count;
  }
  result.text =
      "≪ " + Show(name) + " ≫\r\n  上位関数：" + std::to_string(result.count) + "\r\n\r\n" + lines;
  return result;
}

std::optional<std::string> ShowCallers(const TreePage& page, const CallTree& tree, Ui& ui) {
  if (tree.empty() || tree.selected == CallTree::kNone) {
    Warn(ui, "関数が選択されていません！　");
    return std::nullopt;
  }
  const std::string text = tree.Text(tree.selected);
  const std::string_view name = ItemName(text);
  if (name.empty()) {
    ui.Message("関数名取得できませんでした。　", Ui::kTreeCaption, MsgIcon::Information);
    return std::nullopt;
  }
  Callers callers = CallersOf(page, name);
  if (callers.count > 0) return std::move(callers.text);
  ui.Message("上位関数は検出されませんでした。\n\n※本機能は関数TREE用ファイルのみ有効　",
             Ui::kTreeCaption, MsgIcon::Information);
  return std::nullopt;
}

std::optional<std::string> RootCandidates(const TreePage& page, Ui& ui) {
  ui.SetWaitCursor(true);
  Throttle throttle;
  std::string list;
  int count = 0;
  bool stopped = false;
  for (std::size_t e = 0; e < page.entry_count() && !stopped; ++e) {
    const std::string_view name = ItemName(page.EntryText(e));
    if (name.empty()) {
      ui.Message("関数名取得できませんでした。　", Ui::kTreeCaption, MsgIcon::Information);
      stopped = true;
      break;
    }
    if (throttle.Due()) {
      ui.SetStatus(1, "解析中：" + Show(name));
      if (ui.PollEscape() &&
          ui.AskYesNo(kAskCancelTreeWalk,
                      "「ESCキー」が押されました。\nルート関数候補の検索を中断しますか？　\n",
                      Ui::kTreeCaption))
        stopped = true;
    }
    if (page.CallerEntries(name).empty()) {
      list += "  " + Show(name) + "\r\n";
      ++count;
    }
  }
  ui.SetStatus(1, "選択Win項目数：" + std::to_string(page.entry_count()));
  ui.SetWaitCursor(false);
  if (stopped || count == 0) return std::nullopt;
  return "選択Window内\r\nルート関数候補：" + std::to_string(count) +
         "\r\n(上位関数がないもの)\r\n\r\n" + list;
}

std::string RecursionListText(const TreePage& page) {
  std::string text = "選択Window内\r\n  再帰処理：" + std::to_string(page.recursions.size()) +
                     "\r\n（以下、出力最大" + std::to_string(TreePage::kRecursionMax) +
                     "個まで）\r\n\r\n";
  for (const std::string& name : page.recursions) text += "  " + Show(name) + "\r\n";
  return text;
}

std::int32_t AskDeleteSelected(const CallTree& tree, Ui& ui) {
  if (!RequireSelection(tree, ui)) return CallTree::kNone;
  if (!ui.AskYesNo(kAskDeleteSubtree,
                   "【 " + Show(tree.Text(tree.selected)) +
                       " 】が選択されています。\n選択項目を削除しますか？　",
                   Ui::kTreeCaption))
    return CallTree::kNone;
  return tree.selected;
}

bool DeleteSelectedSubtree(CallTree& tree, Ui& ui) {
  const std::int32_t node = AskDeleteSelected(tree, ui);
  if (node == CallTree::kNone) return false;
  tree.Delete(node);
  return true;
}

std::optional<std::string> SelectedItemName(const CallTree& tree, Ui& ui) {
  if (!tree.empty() && tree.selected != CallTree::kNone) {
    const std::string text = tree.Text(tree.selected);
    const std::string_view name = ItemName(text);
    if (!name.empty()) return std::string(name);
  }
  Warn(ui, "項目名取得できませんでした。　");
  return std::nullopt;
}

int RegisterExcludedFunction(const CallTree& tree, SettingsStore& store, Ui& ui) {
  const std::optional<std::string> name = SelectedItemName(tree, ui);
  if (!name) return 0;
  int free_slot = 0;
  for (int slot = 1; slot <= kExcludedSlots; ++slot) {
    const std::string held = store.ReadString(kExcludedSection, "Func" + std::to_string(slot));
    if (held == *name) {
      ui.Message("【 " + Show(*name) + " 】\n\n既に排除関数に登録されています。　\n登録済No." +
                     std::to_string(slot),
                 Ui::kTreeCaption, MsgIcon::Information);
      return 0;
    }
    if (held.empty() && free_slot == 0) free_slot = slot;
  }
  if (!ui.AskYesNo(
          kAskRegisterExcluded,
          "【 " + Show(*name) + " 】が選択されています。\n選択項目を排除関数に登録しますか？　",
          Ui::kTreeCaption))
    return 0;
  if (free_slot == 0) {
    ui.Message("排除関数登録の空きがありませんでした。　", Ui::kTreeCaption, MsgIcon::Information);
    return 0;
  }
  const std::string n = std::to_string(free_slot);
  if (!store.WriteString(kExcludedSection, "Func" + n, *name) ||
      !store.WriteInt(kExcludedSection, "Flag_Func" + n, 1)) {
    ui.Message("設定ファイルに書き込めませんでした。　", Ui::kTreeCaption, MsgIcon::Error);
    return 0;
  }
  ui.Message("排除関数に登録しました。　\n登録No." + n + " ： " + Show(*name) + "　",
             Ui::kTreeCaption, MsgIcon::Information);
  return free_slot;
}

std::string ItemPosition(std::string_view data) {
  std::size_t at = 0;
  for (int field = 0; field < 4; ++field) {
    const std::size_t comma = data.find(',', at);
    if (comma == std::string_view::npos) return {};
    at = comma + 1;
  }
  const std::string_view rest = data.substr(at);
  const std::optional<Parentheses> at_line = LastParentheses(rest);
  if (!at_line || at_line->open == 0) return {};
  return std::string(rest.substr(0, at_line->close + 1));
}

bool OpenSelectedInEditor(const CallTree& tree, const EditorLauncher& editor, Ui& ui) {
  const std::string position = tree.empty() || tree.selected == CallTree::kNone
                                   ? std::string()
                                   : ItemPosition(tree.Data(tree.selected));
  if (position.empty()) {
    Warn(ui, "ファイルがありません。　");
    return false;
  }
  std::string path;
  long line = 0;
  SplitPosition(position, path, line);
  path = RealPathOf(path);  // tree files hold UTF-8 names in CP932 or escaped form
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::path(path), ec)) {
    Warn(ui, "ファイルが存在しません！\n" + ToDisplay(path) + "　");
    return false;
  }
  return OpenPosition(editor, position, ui) == OpenResult::Started;
}

void TreeSearchHistory::Load(const SettingsStore& store) {
  Clear();
  for (std::size_t i = 0; i < kSlots; ++i) {
    std::string word = store.ReadString(kHistorySection, HistoryKey(i + 1));
    if (word.size() >= kWordLimit) continue;
    if (word.empty()) break;
    slots_[next_++] = word;
    combo_.push_back(std::move(word));
  }
  next_ %= kSlots;
}

void TreeSearchHistory::Save(SettingsStore& store) const {
  std::size_t number = 0;
  auto write = [&](std::size_t slot) {
    if (!slots_[slot].empty())
      store.WriteString(kHistorySection, HistoryKey(++number), slots_[slot]);
  };
  for (std::size_t s = next_; s < kSlots; ++s) write(s);
  for (std::size_t s = 0; s < next_; ++s) write(s);
  for (std::size_t n = number + 1; n <= kSlots; ++n)
    if (store.ini().HasKey(kHistorySection, HistoryKey(n)))
      store.WriteString(kHistorySection, HistoryKey(n), "");
}

bool TreeSearchHistory::Add(std::string_view word) {
  if (word.empty() || word.size() >= kWordLimit) return false;
  const std::string lowered = Cp932Lower(word);
  for (const std::string& held : slots_)
    if (held.size() == word.size() && Cp932Lower(held) == lowered) return false;
  if (combo_.size() >= kSlots) combo_.erase(combo_.begin());
  slots_[next_] = std::string(word);
  next_ = (next_ + 1) % kSlots;
  combo_.emplace_back(word);
  return true;
}

void TreeSearchHistory::Clear() {
  slots_ = {};
  next_ = 0;
  combo_.clear();
}

std::string SubmitSearchWord(std::string_view word, TreeSearchHistory& history,
                             SettingsStore& store, Ui& ui) {
  if (word.size() > TreeSearchHistory::kWordLimit) {
    Warn(ui, "検索Wordが長すぎます。（50文字まで）　");
    return {};
  }
  if (history.Add(word)) history.Save(store);
  if (!word.empty()) ui.SetStatus(2, "検索Word：" + Show(word) + " (F3=上検索 / F4=下検索)");
  return std::string(word);
}

bool SearchUp(CallTree& tree, std::string_view word, Ui& ui) {
  if (word.empty() || tree.empty()) return false;
  const std::int32_t start = tree.selected != CallTree::kNone ? tree.selected : tree.root();
  for (std::int32_t n = tree.PrevVisible(start); n != CallTree::kNone && n != tree.root();
       n = tree.PrevVisible(n)) {
    if (TextMatches(tree, n, word)) {
      tree.selected = n;
      return true;
    }
  }
  tree.selected = start;
  ui.Message("最上段まで検索を終了しました。　\nこれより上には見つかりませんでした。　",
             Ui::kTreeCaption, MsgIcon::Information);
  return false;
}

bool SearchDown(CallTree& tree, std::string_view word, const TreeSettings& settings, Ui& ui) {
  if (word.empty() || tree.empty()) return false;
  const std::int32_t start = tree.selected != CallTree::kNone ? tree.selected : tree.root();
  tree.SetExpanded(start, true);
  WalkGuard guard(ui, settings.node_budget, tree.made_count());
  bool limited = false;
  for (std::int32_t n = tree.NextPreOrder(start, limited); n != CallTree::kNone;
       n = tree.NextPreOrder(n, limited)) {
    if (TextMatches(tree, n, word)) {
      SelectAndReveal(tree, n);
      ui.SetStatus(3, "");
      return true;
    }
    if (!guard.Step(tree)) break;
  }
  tree.selected = start;
  ui.SetStatus(3, "");
  if (guard.stop() != WalkStop::Done) {
    guard.Report(false);
    return false;
  }
  ui.Message("最下段まで検索を終了しました。　\nこれより下には見つかりませんでした。　",
             Ui::kTreeCaption, MsgIcon::Information);
  return false;
}

bool ClearSearchHistory(TreeSearchHistory& history, SettingsStore& store, Ui& ui) {
  if (!ui.AskYesNo(
          kAskClearSearchHistory,
          "関数TREE "
          "Viewerの「検索Word」コンボボックス　\n過去入力履歴を全てクリアしてもいいですか？\n",
          Ui::kCaption))
    return false;
  for (std::size_t n = 1; n <= TreeSearchHistory::kSlots; ++n)
    store.WriteString(kHistorySection, HistoryKey(n), "");
  history.Clear();
  ui.Message("履歴をクリアしました！　", Ui::kCaption, MsgIcon::Information);
  return true;
}

std::vector<GraphBar> GraphBars(CallTree& tree, std::int32_t item, const TreeSettings& settings,
                                Ui& ui, WalkStop* stop) {
  std::vector<GraphBar> bars;
  if (tree.empty() || item == CallTree::kNone) return bars;
  WalkGuard guard(ui, settings.node_budget, tree.made_count());
  for (std::int32_t child : tree.Children(item)) {
    const std::string text = StripUnionMark(tree.Text(child));
    const std::string_view name = ItemName(text);
    if (name.empty()) continue;
    GraphBar bar{std::string(name), 0, guard.stop() == WalkStop::Done};
    // Pre-order below the child, staying inside its subtree; once the walk has stopped the
    // remaining bars are listed uncounted.
    for (std::int32_t n = child; bar.complete;) {
      tree.Make(n);
      std::int32_t next = tree.FirstChild(n);
      for (std::int32_t a = n; next == CallTree::kNone && a != child; a = tree.node(a).parent)
        next = tree.NextSibling(a);
      if (next == CallTree::kNone) break;
      n = next;
      ++bar.value;
      if (!guard.Step(tree)) bar.complete = false;
    }
    bars.push_back(std::move(bar));
  }
  if (stop) *stop = guard.stop();
  return bars;
}

}  // namespace kelvora
