// The index window's rows, size and colours: the model the IndexMode window and the settings
// sheet's sample show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/registration_lists.h"

namespace kelvora {

// Section "Index" window keys and the main window's transparency, read when the window opens
// (ReadIndexWindowSettings).
struct IndexWindowSettings {
  int left = 20;
  int top = 20;
  std::uint32_t text_color = 0xFFFFFF;  // 0x00BBGGRR
  std::uint32_t back_color = 0;         // 0x00BBGGRR
  int transparency_percent = 0;         // 0, 10, ..., 90
};

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

}  // namespace kelvora
