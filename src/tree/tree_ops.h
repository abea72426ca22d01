// Tree operations on the current page: building the output window, expanding, callers, root
// candidates, recursions, deleting, copying and excluding names, the editor jump and searching.
// Texts handed back for the information window are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ui.h"
#include "tree/call_tree.h"
#include "tree/tree_file.h"

namespace kelvora {

class EditorLauncher;
class SettingsStore;

inline constexpr QuestionId kAskExpandEntry{"tree.expand-entry"};
inline constexpr QuestionId kAskDeleteSubtree{"tree.delete-subtree"};
inline constexpr QuestionId kAskRegisterExcluded{"tree.register-excluded"};
inline constexpr QuestionId kAskClearSearchHistory{"tree.clear-search-history"};

// Builds the output window's call tree of an entry (double click, or Enter after the question).
void ExpandIntoOutput(const TreePage& page, std::int32_t entry, CallTree& tree,
                      const TreeSettings& settings, Ui& ui);
// Enter in the selection window: asks "選択Windowの【 %s 】が選択されています。…" first.
bool ConfirmAndExpandIntoOutput(const TreePage& page, std::int32_t entry, CallTree& tree,
                                const TreeSettings& settings, Ui& ui);

// Every context-menu command needs a selected output item: else "項目が選択されていません！　".
bool RequireSelection(const CallTree& tree, Ui& ui);

// Toggles the selected item (or the root) and expands every item after it in display order.
WalkStop ToggleExpandAll(CallTree& tree, const TreeSettings& settings, Ui& ui);
// Nest-level button k: expands the tree down to level k.
WalkStop ExpandToLevel(CallTree& tree, int level, const TreeSettings& settings, Ui& ui);

struct Callers {
  int count = 0;
  std::string text;  // header and one line per caller
};
// The entries (display order) with a callee text equal to the name; the name is CP932.
Callers CallersOf(const TreePage& page, std::string_view name);

// Callers of the selected output item: the information text, or nullopt after a message.
std::optional<std::string> ShowCallers(const TreePage& page, const CallTree& tree, Ui& ui);
// Root-function candidates: the information text, or nullopt when it stays unchanged.
std::optional<std::string> RootCandidates(const TreePage& page, Ui& ui);
// The recursion list text.
std::string RecursionListText(const TreePage& page);

// Asks "【 %s 】が選択されています。…削除しますか？　" for the selected item: the item to delete,
// or kNone (no selection, with its message, or No).
std::int32_t AskDeleteSelected(const CallTree& tree, Ui& ui);
// Deletes the selected item and its descendants after the question; true when deleted.
bool DeleteSelectedSubtree(CallTree& tree, Ui& ui);
// The item name of the selected output item (CP932) for the clipboard, or nullopt after a message.
std::optional<std::string> SelectedItemName(const CallTree& tree, Ui& ui);
// Registers the selected item's name in the first free excluded-function slot; the slot or 0.
int RegisterExcludedFunction(const CallTree& tree, SettingsStore& store, Ui& ui);

// The file position "path(line)" of an item: field 5 of its data text (paths may hold commas).
std::string ItemPosition(std::string_view data);
// Starts the editor at the selected item's position.
bool OpenSelectedInEditor(const CallTree& tree, const EditorLauncher& editor, Ui& ui);

// The search history of the output window: a ring of 20 words under "TreeSearchstr%d".
class TreeSearchHistory {
 public:
  static constexpr std::size_t kSlots = 20;
  static constexpr std::size_t kWordLimit = 50;
  void Load(const SettingsStore& store);
  void Save(SettingsStore& store) const;
  // Adds a word of 1 to 49 bytes that is not held yet (without regard to case).
  bool Add(std::string_view word);
  void Clear();
  const std::vector<std::string>& combo() const { return combo_; }
  std::size_t next_slot() const { return next_; }

 private:
  std::array<std::string, kSlots> slots_{};
  std::size_t next_ = 0;
  std::vector<std::string> combo_;
};

enum class SearchDirection { None = 0, Up = 1, Down = 2 };

// A search button of the dialog: checks the word's length, adds it to the history and saves it.
// The word to search with (CP932), empty when none.
std::string SubmitSearchWord(std::string_view word, TreeSearchHistory& history,
                             SettingsStore& store, Ui& ui);
// F3 and F4: true when an item was found and selected.
bool SearchUp(CallTree& tree, std::string_view word, Ui& ui);
bool SearchDown(CallTree& tree, std::string_view word, const TreeSettings& settings, Ui& ui);
// Clears the history after the question; true when cleared.
bool ClearSearchHistory(TreeSearchHistory& history, SettingsStore& store, Ui& ui);

// Values of the graph: each child of the item with a name and the count of all items below it.
// Shows no message: a walk stopped at the budget or by Escape is reported through stop, and the
// counts are then lower bounds.
struct GraphBar {
  std::string name;  // CP932
  long long value = 0;
  bool complete = true;  // false: the walk stopped inside or before this bar's subtree
};
std::vector<GraphBar> GraphBars(CallTree& tree, std::int32_t item, const TreeSettings& settings,
                                Ui& ui, WalkStop* stop = nullptr);

}  // namespace kelvora
