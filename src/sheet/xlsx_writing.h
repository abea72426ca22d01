// Pieces both workbook writers share when they hand a workbook to libxlsxwriter: the format
// cache for cell styles and the permissions of the temporary file written beside the target.
#pragma once

#include <sys/types.h>
#include <xlsxwriter.h>

#include <map>

#include "sheet/workbook.h"

namespace kelvora {

// One libxlsxwriter format per distinct cell style of a workbook; the default style has none.
class XlsxFormats {
 public:
  explicit XlsxFormats(lxw_workbook* wb) : wb_(wb) {}
  lxw_format* For(const CellStyle& style);

 private:
  lxw_workbook* wb_;
  std::map<CellStyle, lxw_format*> formats_;
};

// The file-creation mask, read without changing it (umask() would, for a moment, for every
// thread of the process).
mode_t ProcessUmask();

}  // namespace kelvora
