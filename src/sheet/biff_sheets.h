// Worksheet names of a legacy .xls: the workbook stream of the compound file, read sector by
// sector with every chain and length checked against the file, and its BOUNDSHEET records.
#pragma once

#include <string>

#include "sheet/sheet_names.h"

namespace kelvora {

// The worksheets (chart, macro and module sheets left out) in workbook order, names in UTF-8.
// A compound file without a workbook stream is NotWorkbook (Encrypted when it holds an encrypted
// package); a FILEPASS record makes it Encrypted; anything that does not add up is Broken.
SheetNames ReadBiffSheetNames(const std::string& path);

}  // namespace kelvora
