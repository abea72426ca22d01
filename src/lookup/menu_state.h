// The tag-jump menu state the main window keeps, the menu layout it reads, and their changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kelvora {

struct Settings;
class SettingsStore;

// What the open (or last opened) popup menu refers to. The count field text is part of it so
// the main window only has to show count_text after each command.
struct MenuState {
  int current_kind = 0;  // kind number 1..5 of the list, 0 = none
  // Page of the paged browse menu. Wider than a byte so a long list never wraps to page 0.
  std::uint32_t current_page = 0;
  std::uint32_t index_start_row = 0;
  bool comment_search_active = false;
  bool context_menu_active = false;
  // Text of the count field to the right of the kind buttons ("" = cleared).
  std::string count_text;
};

// Clears kind, both flags and the index start row and empties the count field. The current
// page is left alone, as it only has meaning while a kind is current.
void ResetMenuState(MenuState& state);

// The "Menu" and "Index" settings the menus are built from.
struct MenuLayout {
  bool multi_column = true;  // paged browse menus in several columns
  std::size_t rows = 30;     // items per column, 1..9999
  std::size_t columns = 2;   // columns per page, 1..9999
  bool comment_display = true;
  bool index_mode = false;

  std::size_t PageSize() const { return rows * columns; }
};

MenuLayout MenuLayoutFrom(const Settings& settings);

// The read-only page-size field next to the two spin fields.
std::string PageSizeText(const MenuLayout& layout);

// Spin field changes: a value outside 1..9999 (what the control reports as invalid) is taken
// as 1. The value is stored in settings and written to the settings file at once, and the menu
// state is reset. Returns the value taken.
int ChangeMenuRows(int value, SettingsStore& store, Settings& settings, MenuState& state);
int ChangeMenuColumns(int value, SettingsStore& store, Settings& settings, MenuState& state);
// The "１列表示" / "複数列表示" radios and the comment check box, written at once.
void ChangeDisplayType(bool multi_column, SettingsStore& store, Settings& settings);
void ChangeCommentDisplay(bool on, SettingsStore& store, Settings& settings);
// The "Index" button: stores the new state in key Mode of "Index" and returns it.
bool ToggleIndexMode(SettingsStore& store, Settings& settings);

}  // namespace kelvora
