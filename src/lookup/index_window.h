// IndexMode: the index window's rows and placement, and the choice of the row browsing starts at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/registration_lists.h"
#include "lookup/menu_state.h"

namespace kelvora {

class SettingsStore;
struct Settings;

// Section "Index" window keys and the main window's transparency, read when the window opens.
struct IndexWindowSettings {
  int left = 20;
  int top = 20;
  std::uint32_t text_color = 0xFFFFFF;  // 0x00BBGGRR
  std::uint32_t back_color = 0;         // 0x00BBGGRR
  int transparency_percent = 0;         // 0, 10, ..., 90
};

IndexWindowSettings ReadIndexWindowSettings(const SettingsStore& store, const Settings& settings);

enum class IndexRowKind { Entry, Blank, Cancel };

struct IndexRow {
  IndexRowKind kind = IndexRowKind::Blank;
  std::string number;     // UTF-8: "%d" (1-based), "" or "※"
  std::string text;       // UTF-8
  std::size_t entry = 0;  // Entry rows: the index entry
};

enum class IndexAction { Choose, Cancel, Nothing };

struct IndexWindowModel {
  static constexpr int kNumberColumnWidth = 25;
  static constexpr int kIndexColumnWidth = 168;

  std::vector<IndexRow> rows;
  std::vector<IndexEntry> entries;
  int left = 20;
  int top = 20;
  int height = 36;  // 16 per entry plus 36
  std::uint32_t text_color = 0xFFFFFF;
  std::uint32_t back_color = 0;
  int transparency_percent = 0;

  // What a click on a row, or Enter on the selected row, does; for Choose, entry is set.
  IndexAction Activate(std::size_t row, std::size_t& entry) const;
};

// The rows of an index table: one per entry ("” A ”  or  ” a ” ～", or the "other" entry),
// an empty row, and the cancel row.
IndexWindowModel BuildIndexWindow(const std::vector<IndexEntry>& entries,
                                  const IndexWindowSettings& settings);

// Shows the index window and returns the chosen entry, or nullopt when it was cancelled.
using IndexChooser = std::function<std::optional<std::size_t>(const IndexWindowModel&)>;

// IndexMode selection: sets state.index_start_row to 0, and with IndexMode on to the first row
// of the group chosen in the index window. False when the window was cancelled.
bool SelectIndexStart(const RegistrationList& list, const MenuLayout& layout, MenuState& state,
                      const IndexWindowSettings& settings, const IndexChooser& choose);

}  // namespace kelvora
