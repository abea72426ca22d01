// The five registration lists, the root directory table, positions, sorting and index tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "data/position.h"
#include "data/row_arena.h"
#include "platform/command_result.h"
#include "platform/ui.h"

namespace kelvora {

class Ui;

// Kind numbers used by the menus and the comment search.
enum class ListKind : int { Function = 1, Struct = 2, Define = 3, File = 4, Table = 5 };
constexpr int kListCount = 5;
// Index slot (0..4) of a kind.
constexpr int SlotOf(ListKind k) {
  return static_cast<int>(k) - 1;
}
constexpr ListKind KindOfSlot(int slot) {
  return static_cast<ListKind>(slot + 1);
}

// Column numbers.
namespace col {
constexpr int kName = 0;
constexpr int kPosition = 1;
constexpr int kMarker = 2;  // "#define" / "=" / ".h"
constexpr int kComment = 3;
constexpr int kTotalSteps = 4;
constexpr int kRealSteps = 5;
}  // namespace col

// Every reader gets at most this many bytes of a cell (a 512-byte buffer).
constexpr std::size_t kCellReadLimit = 511;

struct ColumnInfo {
  std::string_view header;  // UTF-8
  int width;
};

// The column layout of a kind.
const std::vector<ColumnInfo>& Columns(ListKind kind);
// "◆関数 登録数：%d" and its siblings, with the count filled in.
std::string CountLabel(ListKind kind, std::size_t count);
// "関数を検索（登録数：%d）" and its siblings.
std::string CountTooltip(ListKind kind, std::size_t count);

// One IndexMode entry: the first byte of a group of names and the row where the group starts.
struct IndexEntry {
  unsigned char first;
  std::size_t row;
};
constexpr std::size_t kIndexMaxEntries = 100;

class RegistrationList {
 public:
  explicit RegistrationList(ListKind kind);
  RegistrationList(const RegistrationList& other);
  RegistrationList& operator=(const RegistrationList& other);
  RegistrationList(RegistrationList&&) noexcept = default;
  RegistrationList& operator=(RegistrationList&&) noexcept = default;

  ListKind kind() const { return kind_; }
  int column_count() const;
  std::size_t RowCount() const { return rows_.size() + run_.size(); }
  bool empty() const { return RowCount() == 0; }
  // Bytes the rows take: their stored cells (with the room of changed rows not yet given back),
  // the path table of their positions and the row table.
  std::size_t StoredBytes() const {
    return arena_.used_bytes() + arena_.path_bytes() +
           (rows_.capacity() + run_.capacity()) * sizeof(RowRef);
  }

  // Appends an empty row and returns its number.
  std::size_t AppendRow();
  // Appends a row whose first cells are cells (the others empty) and returns its number.
  std::size_t AppendRow(std::span<const std::string_view> cells);
  // The same with the position cell given as the path and line of "path(line)" (the position
  // cell of cells is not read): the row AppendRow stores for that text.
  struct PositionAt {
    std::string_view path;
    long line;
  };
  std::size_t AppendRow(std::span<const std::string_view> cells, PositionAt position);
  // Inserts an empty row before row (or at the end when row >= count); returns its number.
  // Inserting at a growing index (row, row + 1, ...) costs constant time per row.
  std::size_t InsertRow(std::size_t row);
  void DeleteRow(std::size_t row);
  // Deletes every row whose flag is set (flags indexed by row number) in one pass, keeping the
  // order of the others; flags beyond the last row are ignored.
  void DeleteRows(const std::vector<bool>& flags);
  void Clear();

  // Rows or columns that do not exist are ignored.
  void SetCell(std::size_t row, int column, std::string_view text);
  // The text a reader gets: at most the first 511 bytes, shortened by one more byte when the
  // 511th byte would be the first half of a double-byte character (a UTF-8 text, such as a file
  // name, is cut at a character boundary instead).
  std::string CellText(std::size_t row, int column) const;
  // The same without a copy where the text is stored as it reads (every cell but a position).
  CellView CellTextView(std::size_t row, int column) const;
  // The text as stored, for readers with a larger buffer (re-analysis reads 2047 bytes); an
  // empty text for a row or column that does not exist. Keep the CellView as long as the text
  // is needed: a position is put together into text the CellView owns.
  CellView Cell(std::size_t row, int column) const;
  // A cell of any column but col::kPosition: a view into the storage, valid as long as Cell's
  // views, with no CellView to keep (positions are read with Cell).
  std::string_view PlainCell(std::size_t row, int column) const;

  // The position cell of a row when it is kept as the number of its path in the list's path
  // table and a line: the cell reads "path(line)". False when it is kept as text.
  bool CompactPosition(std::size_t row, std::uint32_t& path_number, std::string_view& path,
                       std::uint64_t& line) const;

  // Sort direction flag: 0 the next sort is ascending, 1 descending.
  int sort_flag() const { return sort_flag_; }
  void set_sort_flag(int flag) { sort_flag_ = flag ? 1 : 0; }
  // Sorts by column 0 in the flag's direction, flips the flag and rebuilds the index table.
  void Sort();

  const std::vector<IndexEntry>& index() const { return index_; }
  void RebuildIndex();

 private:
  using RowRef = RowArena::RowRef;

  RowRef& At(std::size_t row);
  RowRef At(std::size_t row) const;
  // Moves the run of consecutive inserts into rows_.
  void MergeRun();
  // Frees the room of changed and deleted rows when it has grown large; views of cells go stale.
  void CompactIfWorthIt();

  ListKind kind_;
  // The cells of every row; rows_ and run_ hold where each row lies in it.
  RowArena arena_;
  // Rows are rows_ with run_ standing between rows_[run_start_ - 1] and rows_[run_start_].
  std::vector<RowRef> rows_;
  std::vector<RowRef> run_;
  std::size_t run_start_ = 0;
  int sort_flag_ = 0;
  std::vector<IndexEntry> index_;
};

// Compares two names without regard to ASCII case, bytes unsigned, a prefix first.
int CompareNamesNoCase(std::string_view a, std::string_view b);

// The ordered table of analysis roots that compressed positions refer to (1-based).
class RootTable {
 public:
  void Append(std::string root) { roots_.push_back(std::move(root)); }
  std::size_t Count() const { return roots_.size(); }
  const std::string& Entry(std::size_t one_based) const { return roots_[one_based - 1]; }
  void Clear() { roots_.clear(); }

 private:
  std::vector<std::string> roots_;
};

// Everything the main window holds of registered data.
class RegisteredData {
 public:
  RegisteredData();

  RegistrationList& List(ListKind kind) { return lists_[SlotOf(kind)]; }
  const RegistrationList& List(ListKind kind) const { return lists_[SlotOf(kind)]; }
  RegistrationList& functions() { return List(ListKind::Function); }
  RegistrationList& structs() { return List(ListKind::Struct); }
  RegistrationList& defines() { return List(ListKind::Define); }
  RegistrationList& files() { return List(ListKind::File); }
  RegistrationList& tables() { return List(ListKind::Table); }
  RootTable& roots() { return roots_; }
  const RootTable& roots() const { return roots_; }

  bool AllEmpty() const;
  std::size_t Count(ListKind kind) const { return List(kind).RowCount(); }

  // Replaces the newest root at the start of a full position ("root/rest") by "%n"; a text that
  // does not start with the newest root and a "/" is returned unchanged. An empty root (the
  // file-system root) gives "%n/rest".
  std::string CompressPosition(std::string_view full) const;
  // "%n/rest" back to root n + "/rest"; empty when the text has no "/", no "%" before it, or n
  // is not a root number.
  std::string ExpandPosition(std::string_view compressed) const;
  // The position of a row ready to open: FileList positions as stored, the others expanded.
  std::string FullPosition(ListKind kind, std::size_t row) const;
  // The same for a position text of a row of that kind.
  std::string FullPositionOf(ListKind kind, std::string_view stored) const;

  void SortAllAscending();
  void SortAllDescending();
  // Empties the five lists and the root table; sort flags keep their values.
  void Clear();

 private:
  // Sorts each list by its own flag, the lists side by side.
  void SortEveryList();

  std::array<RegistrationList, kListCount> lists_;
  RootTable roots_;
};

// Sort one list through the port: "登録データがありません！　" when it is empty (Failed).
CommandResult SortListCommand(RegisteredData& data, ListKind kind, Ui& ui);
// Sort all ascending or descending: the message only when all five lists are empty.
CommandResult SortAllCommand(RegisteredData& data, bool ascending, Ui& ui);
// Delete all: asks "登録データを全て削除してもよろしいですか？　" (Cancelled on No), then clears
// as DeleteAllWithoutAsking does, or reports "登録データがありません！　" (Failed).
inline constexpr QuestionId kAskDeleteAll{"lists.delete-all"};
CommandResult DeleteAllCommand(RegisteredData& data, Ui& ui);
// Empties the lists and the root table, clears the five count labels and puts the main window
// into its no-data layout (a cancelled analysis run ends this way).
void DeleteAllWithoutAsking(RegisteredData& data, Ui& ui);

}  // namespace kelvora
