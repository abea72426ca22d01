// Tree pages of the TREE viewer: a tree file read into its entries and callees, the viewer
// settings the reader and the call trees use, and the indexes built once per file read.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "tree/text_pool.h"

namespace kelvora {

class RegexService;
class SettingsStore;
class Ui;

enum class TreeKind { Function = 1, Struct = 2, Table = 3 };

// The viewer settings of section "Tree" that the core reads.
struct TreeSettings {
  int data_max = 3000;              // "DataMax": most entries read from one file
  int struct_space = 40;            // "StructSpace": comment column of struct members
  int table_space = 40;             // "TableSpace": comment column of table elements
  long long node_budget = 1000000;  // "NodeBudget": most call-tree items one walk makes
  unsigned nest_level_text = 0;     // "NestLevelText": bit d-1 separates depth d (1..12)
  int space = 30;                   // "Space": comment column of attached function comments
};

// Reads the settings; a stored 0 column becomes 40 (Space: 30) (written back when write_back is
// set), a DataMax or NodeBudget below 1 becomes its default.
TreeSettings LoadTreeSettings(SettingsStore& store, bool write_back = true);

// Texts of a page are interned: an id names one CP932 text of the page's pool.
using TextId = std::uint32_t;

struct TreeCallee {
  TextId text;          // displayed text
  TextId data;          // item data text
  std::int32_t target;  // entry this callee expands into, -1 when it stays a leaf
};

struct TreeEntry {
  TextId text;
  TextId data;
  std::uint32_t first_callee;  // index into TreePage::callees
  std::uint32_t callee_count;
};

// One tree file as the selection window shows it: the root, its entries in display order and
// their callees in file order.
class TreePage {
 public:
  static constexpr std::size_t kRecursionMax = 100;
  static constexpr std::size_t kRecursionNameMax = 100;  // names of this many bytes are not kept

  TreeKind kind = TreeKind::Function;
  std::string root_text;  // CP932
  std::string data1;      // the text of the "//Data1:" line
  std::string tab_label;  // base name of the file, at most 39 bytes
  std::vector<TreeEntry> entries;
  std::vector<TreeCallee> callees;
  std::vector<std::string> recursions;  // names of the recursion list, file order
  // Reading was cancelled (Escape, or the viewer closed while it read): the page holds only the
  // entries read before, and says so on its tab and in the status bar.
  bool cut = false;

  std::string_view Text(TextId id) const { return pool_[id]; }
  std::string_view EntryText(std::size_t e) const { return Text(entries[e].text); }
  std::size_t entry_count() const { return entries.size(); }
  const TreeCallee* CalleesBegin(std::size_t e) const {
    return callees.data() + entries[e].first_callee;
  }
  const TreeCallee* CalleesEnd(std::size_t e) const {
    return CalleesBegin(e) + entries[e].callee_count;
  }

  // First entry (display order) whose text is the name; -1 when none.
  std::int32_t FindEntry(std::string_view name) const;
  // Entries (display order) with one index per callee whose text equals the name byte for
  // byte; an entry with two such callees appears twice.
  std::span<const std::int32_t> CallerEntries(std::string_view callee_text) const;

  // Pool and index building, used by the reader.
  TextId Intern(std::string_view text);
  // The id of a text already in the pool; false when it is not.
  bool Find(std::string_view text, TextId& id) const;
  void Clear();
  // Sorts the entries into display order and builds the name, target and caller indexes;
  // tick (when set) is called between steps so a window can repaint.
  void Finish(const std::function<void()>& tick = {});

 private:
  TextPool pool_;
  std::vector<std::int32_t> first_entry_;      // by text id: first entry of that text, or -1
  std::vector<std::uint32_t> caller_offsets_;  // by text id: where its callers start
  std::vector<std::int32_t> caller_entries_;
};

enum class ReadResult { Complete, EntryLimit, OpenFailed, Cancelled };

// What the tab and status pane 1 show for a page: the tab label, and "選択Win項目数：%d", each
// followed by "（中断）" when the page's reading was cancelled.
std::string PageTabText(const TreePage& page);       // CP932
std::string EntryCountStatus(const TreePage& page);  // UTF-8

// Reads a tree file into the page; messages and status texts go through ui. The page is
// emptied first. EntryLimit when DataMax entries were read (reading stops there); Cancelled when
// Escape was confirmed (the page keeps what was read, marked as cut).
ReadResult TreeFileReader(const std::string& path, TreePage& page, const TreeSettings& settings,
                          const RegexService& regex, Ui& ui);

// The whole open command after the file dialog: the cancelled and missing-file messages, the
// reader, the status panes and the entry-limit warning. False when nothing was read.
bool OpenTreeFile(const std::string& path, TreePage& page, const TreeSettings& settings,
                  const RegexService& regex, Ui& ui);

// Removes "(※unionﾒﾝﾊﾞ)  " from an item text (CP932).
std::string StripUnionMark(std::string_view text);

// CP932 texts the tree code compares against.
extern const std::string kRecursionMarkCp932;    // "  ※再帰処理"
extern const std::string kUnionMemberMarkCp932;  // "(※unionﾒﾝﾊﾞ)  "

}  // namespace kelvora
