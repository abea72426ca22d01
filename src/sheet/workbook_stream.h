// A workbook written row by row in constant memory, for outputs too large to hold: sheets are
// appended in order, each sheet's rows are written in increasing order, and a row's cells and
// outline level are final once a later row is written. Saved as .xlsx beside the target and
// renamed over it on Close, so a failed save leaves an existing file untouched.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/workbook.h"

namespace kelvora {

class StreamedWorkbook {
 public:
  explicit StreamedWorkbook(std::string path);
  ~StreamedWorkbook();
  StreamedWorkbook(const StreamedWorkbook&) = delete;
  StreamedWorkbook& operator=(const StreamedWorkbook&) = delete;

  // False when the file beside the target could not be made (error() says why).
  bool ok() const;
  const std::string& error() const;
  int Count() const { return static_cast<int>(names_.size()); }
  // Appends a sheet, which becomes the active one; the name follows the rules of
  // Worksheet::SetName. Nothing is added when the name is refused or at 255 sheets.
  SheetNameError AddSheet(std::string_view utf8_name);
  // Cells(row, col) of the last sheet (rows and columns from 1): UTF-8 text, may be empty.
  void WriteCell(int row, int col, std::string_view utf8, const CellStyle& style);
  // The outline level of a row of the last sheet, set before its cells are written.
  void SetRowLevel(int row, int level);
  // Width and style of a column of the last sheet; a width of 0 keeps the default.
  void SetColumn(int col, double width, const CellStyle& style);

  // Writes the file; detail says why it failed.
  SaveResult Close(std::string* detail = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::vector<std::string> names_;
};

}  // namespace kelvora
