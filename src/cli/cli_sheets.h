// kelvora-cli sheets and make-workbooks.
#pragma once

#include <cstdio>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kelvora {

inline constexpr std::string_view kSheetsUsage =
    "sheets PATH [--csv]\n"
    "          prints the sheet names of the workbook PATH, or of every workbook (.xls, .xlsx,\n"
    "          .xlsm, .ods) in the folder PATH and below it, as UTF-8 text; --csv prints the\n"
    "          CSV form with its header line. A workbook that cannot be read is named on\n"
    "          standard error and skipped (exit status 1).\n";
inline constexpr std::string_view kMakeWorkbooksUsage =
    "make-workbooks CSV OUTDIR [--sort asc|desc]\n"
    "          writes one empty workbook OUTDIR/<file>.xlsx per line of CSV\n"
    "          (\"file,sheet1,sheet2,...\", CP932 or UTF-8); the sheets in line order, or\n"
    "          sorted ascending or descending with repeats dropped. Exit status 1 when a\n"
    "          line could not be written.\n";

int RunSheetsCommand(const std::vector<std::string>& args, std::ostream& out, std::FILE* err);
int RunMakeWorkbooksCommand(const std::vector<std::string>& args, std::ostream& out,
                            std::FILE* err);

}  // namespace kelvora
