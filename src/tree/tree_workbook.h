// The tree table and the workbook writer of the tree outputs: the call tree below an item as
// one row per line (row key, tree text, comment), grouped into outline levels by depth.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "platform/ui.h"
#include "tree/call_tree.h"

namespace kelvora {

class StreamedWorkbook;

// Escape while rows are written: Yes stops, and the rows written so far are saved.
inline constexpr QuestionId kAskStopTreeWorkbook{"tree.workbook-stop-on-escape"};

inline constexpr int kTreeSheetRowLimit = 65536;

// The row key of an item: the file position "path(line)" of its data text, or empty.
std::string TreeRowKey(std::string_view data);

// Writes the intermediate tree table (CP932, one row a line): ",start text", then "key,line" for
// every tree line and "0,line" for a separator line. A key holding a comma or a quote is written
// quoted, with its quotes doubled. rows counts the lines written; with a row_cap the walk ends
// (as Done) once that many are written.
WalkStop WriteTreeTable(CallTree& tree, std::int32_t start, unsigned nest_level_text,
                        std::ostream& out, WalkGuard& guard, bool& nest_limited, long long& rows,
                        long long row_cap = -1);

// One row of the table split into its key and tree text; false when the line has no field.
bool SplitTableRow(std::string_view line, std::string& key, std::string_view& text);

// The byte depth of a tree line (the ancestor columns and the "┣"/"┗" or the separator's "┃"),
// 0 for a line that is no tree line. Only the leading tree drawing counts, so a comment or an
// item text holding "┗" or "≪" leaves the depth alone.
int TreeLineDepth(std::string_view cp932_text);

enum class TreeSheetResult { Written, Stopped, SheetLimit };

// Writes the table into a new sheet after the others, row by row as it reads it (nothing at 255
// sheets, with its message), at most 65536 rows. Shows progress on pane 3 and asks
// kAskStopTreeWorkbook on Escape; the rows written so far stay. Then formats the sheet.
TreeSheetResult WriteTreeSheet(StreamedWorkbook& book, std::istream& table, long long expected_rows,
                               Ui& ui);

// Closes the workbook; false after the warning when it cannot be written. Clears pane 1.
bool SaveTreeWorkbook(StreamedWorkbook& book, const std::string& path, Ui& ui);

}  // namespace kelvora
