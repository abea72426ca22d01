// The tag jump's popup menus as plain models (browse menu, match menu) for the GUI to render.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/registration_lists.h"
#include "lookup/menu_state.h"

namespace kelvora {

// Menu command identifiers. Rows are numbered from 500 on and step over the two page commands,
// so every row of a list of any length has an identifier of its own.
constexpr int kRowCommandBase = 500;  // row 0
constexpr int kPreviousPageCommand = 50000;
constexpr int kNextPageCommand = 50001;
constexpr int kNoCommand = 0;

// 500 + row below the page commands, 502 + row above them; kNoCommand for a row beyond the
// range of int.
int RowCommandId(std::size_t row);
// The row of a row identifier; nullopt for any other identifier.
std::optional<std::size_t> RowOfCommand(int id);

// Item bitmaps of the marker rule.
constexpr int kUncheckedBitmap = 131;
constexpr int kTableBitmap = 132;
constexpr int kHeaderFileBitmap = 133;
constexpr int kMacroBitmap = 134;

struct MenuItem {
  // The item's text in the bytes the data holds (CP932; file names as the file system gives
  // them), with "&" before the accelerator character. Show it with DisplayText().
  std::string text;
  int id = kNoCommand;
  bool enabled = true;
  // Marker rule: a checked item shows checked_bitmap; unchecked_bitmap is 131 when set.
  bool checked = false;
  int checked_bitmap = 0;
  int unchecked_bitmap = 0;
  // The item starts a new column.
  bool column_break = false;
  // The first item of a page: the previous-page item or the IndexMode notice.
  bool header = false;
  // Match menus: the row's position ready to open (expanded, in the bytes the data holds), which
  // tells rows of one name apart; shown as the item's tooltip and on the status line while the
  // item is highlighted. Empty elsewhere.
  std::string position;
};

struct MenuModel {
  std::vector<MenuItem> items;
  // Paged several-column browse menu; false for a one-column menu.
  bool paged = false;
  // Top-left corner of the menu on the screen.
  int x = 0;
  int y = 0;
  // What the count field shows while this menu is open.
  std::string count_text;
  int kind = 0;
  // Paged menus only: the page shown (0-based) and the number of pages.
  std::uint32_t page = 0;
  std::uint32_t total_pages = 0;
  bool has_next_page = false;
};

// The item's text for the screen, in UTF-8.
std::string DisplayText(const MenuItem& item);

// Sets the checked image of an item from the row's marker (column 2) and the list kind.
void ApplyMarkerRule(ListKind kind, std::string_view marker, MenuItem& item);

// Browse menu of one list at the given page, from state.index_start_row on; in paged display it
// stores the page in state.current_page. The menu opens at (20, 20); the count text is the
// list's row count " %4d".
MenuModel BuildBrowseMenu(const RegistrationList& list, const MenuLayout& layout, MenuState& state,
                          std::uint32_t page);

// One-column menu of the matching rows, in list order, at (10, 10); the count text is the number
// of matches " %04d".
MenuModel BuildMatchMenu(const RegistrationList& list, const std::vector<std::size_t>& rows,
                         bool comment_display);

// Gives each item of a match menu over rows (in item order) of the list of kind the row's full
// position.
void SetItemPositions(const RegisteredData& data, ListKind kind,
                      const std::vector<std::size_t>& rows, MenuModel& model);

// The item's position for the screen, in UTF-8; empty when it has none.
std::string DisplayPosition(const MenuItem& item);

// The text a reader gets of a cell (at most 511 bytes), without a copy when it is short enough.
std::string_view CellForReading(const RegistrationList& list, std::size_t row, int column,
                                std::string& scratch);

}  // namespace kelvora
