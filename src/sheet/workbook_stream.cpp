#include "sheet/workbook_stream.h"

#include "sheet/xlsx_writing.h"

#include "platform/output_file.h"

#include <sys/stat.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kelvora {

struct StreamedWorkbook::Impl {
  std::string path, tmp;
  lxw_workbook* wb = nullptr;
  lxw_worksheet* ws = nullptr;
  std::unique_ptr<XlsxFormats> formats;
  std::string error;
  bool closed = false;

  lxw_format* Format(const CellStyle& style) { return formats->For(style); }
};

StreamedWorkbook::StreamedWorkbook(std::string path) : impl_(std::make_unique<Impl>()) {
  impl_->path = std::move(path);
  const int fd = CreateOutputTemp(impl_->path, impl_->tmp);
  if (fd < 0) {
    impl_->error = std::strerror(errno);
    impl_->tmp.clear();
    return;
  }
  fchmod(fd, 0666 & ~ProcessUmask());
  close(fd);
  lxw_workbook_options options{};
  options.constant_memory = LXW_TRUE;
  impl_->wb = workbook_new_opt(impl_->tmp.c_str(), &options);
  if (!impl_->wb)
    impl_->error = "cannot create the workbook";
  else
    impl_->formats = std::make_unique<XlsxFormats>(impl_->wb);
}

StreamedWorkbook::~StreamedWorkbook() {
  if (impl_->closed) return;
  if (impl_->wb) {
    // Nothing is kept of an output that was never closed.
    workbook_close(impl_->wb);
  }
  if (!impl_->tmp.empty()) {
    unlink(impl_->tmp.c_str());
    ForgetPendingOutput(impl_->tmp);
  }
}

bool StreamedWorkbook::ok() const {
  return impl_->wb != nullptr;
}

const std::string& StreamedWorkbook::error() const {
  return impl_->error;
}

SheetNameError StreamedWorkbook::AddSheet(std::string_view utf8_name) {
  Workbook probe;  // the naming rules of one sheet; clashes are checked here
  const SheetNameError error = probe.ActiveSheet().SetName(utf8_name);
  if (error != SheetNameError::None) return error;
  for (const std::string& name : names_)
    if (SameSheetName(name, utf8_name)) return SheetNameError::Duplicate;
  if (Count() >= Workbook::kMaxSheets || !impl_->wb) return SheetNameError::TooLong;
  const std::string name(utf8_name);
  lxw_worksheet* ws = workbook_add_worksheet(impl_->wb, name.c_str());
  if (!ws) return SheetNameError::ForbiddenCharacter;
  worksheet_activate(ws);
  impl_->ws = ws;
  names_.push_back(name);
  return SheetNameError::None;
}

void StreamedWorkbook::WriteCell(int row, int col, std::string_view utf8, const CellStyle& style) {
  if (!impl_->ws || row < 1 || col < 1) return;
  const auto r = static_cast<lxw_row_t>(row - 1);
  const auto c = static_cast<lxw_col_t>(col - 1);
  lxw_format* f = impl_->Format(style);
  if (!utf8.empty())
    worksheet_write_string(impl_->ws, r, c, std::string(utf8).c_str(), f);
  else if (f)
    worksheet_write_blank(impl_->ws, r, c, f);
}

void StreamedWorkbook::SetRowLevel(int row, int level) {
  if (!impl_->ws || row < 1 || level <= 0) return;
  lxw_row_col_options o{0, static_cast<std::uint8_t>(std::min(level, kMaxOutlineLevel)), 0};
  worksheet_set_row_opt(impl_->ws, static_cast<lxw_row_t>(row - 1), LXW_DEF_ROW_HEIGHT, nullptr,
                        &o);
}

void StreamedWorkbook::SetColumn(int col, double width, const CellStyle& style) {
  if (!impl_->ws || col < 1) return;
  const auto c = static_cast<lxw_col_t>(col - 1);
  worksheet_set_column(impl_->ws, c, c, width > 0 ? width : LXW_DEF_COL_WIDTH,
                       impl_->Format(style));
}

SaveResult StreamedWorkbook::Close(std::string* detail) {
  if (impl_->closed) return SaveResult::WriterError;
  impl_->closed = true;
  if (!impl_->wb) {
    if (detail) *detail = impl_->error;
    if (!impl_->tmp.empty()) {
      unlink(impl_->tmp.c_str());
      ForgetPendingOutput(impl_->tmp);
    }
    return SaveResult::CannotWrite;
  }
  if (Count() == 0) workbook_add_worksheet(impl_->wb, nullptr);
  const lxw_error err = workbook_close(impl_->wb);
  impl_->wb = nullptr;
  if (err != LXW_NO_ERROR) {
    unlink(impl_->tmp.c_str());
    ForgetPendingOutput(impl_->tmp);
    if (detail) *detail = lxw_strerror(err);
    return err == LXW_ERROR_CREATING_XLSX_FILE ? SaveResult::CannotWrite : SaveResult::WriterError;
  }
  if (!PlaceFinishedOutput(impl_->tmp, impl_->path, /*sync=*/true)) {
    if (detail) *detail = std::strerror(errno);
    return SaveResult::CannotWrite;
  }
  return SaveResult::Saved;
}

}  // namespace kelvora
