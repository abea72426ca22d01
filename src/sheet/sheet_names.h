// Reading the worksheet names of an existing workbook: .xlsx/.xlsm and .ods (zip and XML) and
// legacy .xls (the BIFF records of a compound file). The kind is told by the file's content, not
// its name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

enum class WorkbookReadError {
  None,
  CannotOpen,   // the file cannot be opened or read
  Empty,        // a file of no bytes
  Encrypted,    // protected by a password
  NotWorkbook,  // a readable file that holds no workbook
  Broken,       // a workbook whose parts cannot be read
};

struct SheetNames {
  WorkbookReadError error = WorkbookReadError::None;
  std::string detail;              // what the library or the system said, when anything
  std::vector<std::string> names;  // worksheet names in sheet order, UTF-8
};

// The worksheets in the order the workbook holds them; chart sheets are left out.
SheetNames ReadSheetNames(const std::string& path);

// The message for a workbook that cannot be read, naming it (path as file-system bytes).
std::string UnreadableWorkbookMessage(std::string_view path, const SheetNames& result);

// True for the extensions the listings walk: .xls, .xlsx, .xlsm and .ods, in any case.
bool IsWorkbookName(std::string_view file_name);

}  // namespace kelvora
