// Workbook generation: empty workbooks whose file and sheet names come from a CSV file, one
// workbook per line ("出力ファイル名,シート名1,シート名2,…").
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"

namespace kelvora {

enum class SheetOrder { AsGiven, Ascending, Descending };

inline constexpr int kMaxGeneratedSheets = 255;

// One CSV line, decoded to UTF-8 (a line that is no valid UTF-8 is read as CP932). Leading
// blanks and tabs of a field are skipped; empty sheet fields are dropped.
struct GenerationLine {
  std::string file;
  std::vector<std::string> sheets;
};
GenerationLine SplitGenerationLine(std::string_view line);

// The first sheet name holding one of : \ ? [ ] / * (or starting or ending with an apostrophe,
// which no sheet name may either); empty when all are allowed.
std::string FindForbiddenSheetName(const std::vector<std::string>& names);

struct SheetPlan {
  std::vector<std::string> names;  // the names of sheets 1..n, at most 255
  int renamed = 0;                 // repeats that were given a " (2)"-style suffix
};
// The sheet names a line gives: sorted modes keep each name once in CP932 byte order; then at
// most 255 are taken, a name of 32 bytes or more becomes "文字数オーバー%d" (its position),
// and a name that repeats an earlier one (ignoring ASCII case) becomes "name (2)", "name (3)"…
// shortened so that it stays under 32 bytes.
SheetPlan PlanSheetNames(const std::vector<std::string>& names, SheetOrder order);

struct GenerationRun {
  int lines = 0;    // lines that named a workbook
  int written = 0;  // workbooks saved
  int failed = 0;   // lines whose workbook was not written (message shown)
  int renamed = 0;  // sheet names made unique
  bool cancelled = false;
  bool missing_csv = false;
};

// Generates the workbooks of a CSV file into out_dir as "<file>.xlsx": shows the progress, a
// message for every line that cannot be written, and asks on Escape between workbooks.
GenerationRun GenerateWorkbooksFromCsv(const std::string& csv_path, const std::string& out_dir,
                                       SheetOrder order, Ui& ui);

// The completion message: the timing line and, when names were made unique, a line saying so.
std::string GenerationDoneMessage(std::uint64_t elapsed_ms, const GenerationRun& run);

// "(&4) EXCELファイル生成（シート名ソートなし）", "(&5) …昇順…", "(&6) …降順…".
void GenerateWorkbooks(Ui& ui, SheetOrder order);

}  // namespace kelvora
