#include "lookup/menu_model.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

#include "platform/cp932.h"

namespace kelvora {

namespace {
constexpr std::size_t kRowsBelowPages = kPreviousPageCommand - kRowCommandBase;
constexpr int kPageCommandCount = 2;
}  // namespace

int RowCommandId(std::size_t row) {
  if (row < kRowsBelowPages) return kRowCommandBase + static_cast<int>(row);
  constexpr std::size_t kLastRow = static_cast<std::size_t>(std::numeric_limits<int>::max()) -
                                   kRowCommandBase - kPageCommandCount;
  if (row > kLastRow) return kNoCommand;
  return static_cast<int>(row) + kRowCommandBase + kPageCommandCount;
}

std::optional<std::size_t> RowOfCommand(int id) {
  if (id >= kRowCommandBase && id < kPreviousPageCommand)
    return static_cast<std::size_t>(id - kRowCommandBase);
  if (id > kNextPageCommand)
    return static_cast<std::size_t>(id - kRowCommandBase - kPageCommandCount);
  return std::nullopt;
}

namespace {

void AppendNumber(std::string& out, std::uint64_t value) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  (void)ec;
  out.append(buf, end);
}

std::string Formatted(const char* format, long long value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// "■■<head>（現在:p/total）■■" in CP932.
std::string PageItemText(std::string_view head_utf8, std::uint64_t page, std::uint64_t total) {
  std::string text = Utf8ToCp932(head_utf8);
  AppendNumber(text, page);
  text += '/';
  AppendNumber(text, total);
  text += Utf8ToCp932("）■■");
  return text;
}

class ItemMaker {
 public:
  ItemMaker(const RegistrationList& list, bool comment_display)
      : list_(list), comment_display_(comment_display) {}

  // "(%d)  &%s%s" when numbered, else "&%s%s"; identifier RowCommandId(row); marker rule applied.
  MenuItem Make(std::size_t row, bool numbered) {
    MenuItem item;
    std::string_view name = CellForReading(list_, row, col::kName, name_scratch_);
    std::string_view comment;
    if (comment_display_) comment = CellForReading(list_, row, col::kComment, comment_scratch_);
    item.text.reserve(name.size() + comment.size() + 16);
    if (numbered) {
      item.text += '(';
      AppendNumber(item.text, static_cast<std::uint64_t>(row) + 1);
      item.text += ")  ";
    }
    item.text += '&';
    item.text += name;
    if (comment_display_) {
      item.text += "    ";
      item.text += comment;
    }
    item.id = RowCommandId(row);
    const std::string_view marker = list_.PlainCell(row, col::kMarker);
    if (!marker.empty()) ApplyMarkerRule(list_.kind(), marker, item);
    return item;
  }

 private:
  const RegistrationList& list_;
  bool comment_display_;
  std::string name_scratch_, comment_scratch_;
};

MenuItem Filler(bool column_break) {
  MenuItem item;
  item.enabled = false;
  item.column_break = column_break;
  return item;
}

}  // namespace

std::string_view CellForReading(const RegistrationList& list, std::size_t row, int column,
                                std::string& scratch) {
  if (column != col::kPosition) {
    const std::string_view cell = list.PlainCell(row, column);
    if (cell.size() <= kCellReadLimit) return cell;
  }
  scratch = list.CellText(row, column);
  return scratch;
}

std::string DisplayText(const MenuItem& item) {
  return ToDisplay(item.text);
}

std::string DisplayPosition(const MenuItem& item) {
  return ToDisplay(item.position);
}

void SetItemPositions(const RegisteredData& data, ListKind kind,
                      const std::vector<std::size_t>& rows, MenuModel& model) {
  const std::size_t count = std::min(rows.size(), model.items.size());
  for (std::size_t i = 0; i < count; ++i)
    model.items[i].position = data.FullPosition(kind, rows[i]);
}

void ApplyMarkerRule(ListKind kind, std::string_view marker, MenuItem& item) {
  int bitmap = 0;
  if (kind == ListKind::Function && marker == "#define") bitmap = kMacroBitmap;
  if (kind == ListKind::Table && marker == "=") bitmap = kTableBitmap;
  if (kind == ListKind::File && marker == ".h") bitmap = kHeaderFileBitmap;
  if (bitmap == 0) return;
  item.checked = true;
  item.checked_bitmap = bitmap;
  item.unchecked_bitmap = kUncheckedBitmap;
}

MenuModel BuildBrowseMenu(const RegistrationList& list, const MenuLayout& layout, MenuState& state,
                          std::uint32_t page) {
  MenuModel model;
  model.kind = static_cast<int>(list.kind());
  model.x = 20;
  model.y = 20;
  model.count_text = Formatted(" %4lld", static_cast<long long>(list.RowCount()));
  ItemMaker maker(list, layout.comment_display);
  const std::size_t count = list.RowCount();
  const std::size_t start = std::min<std::size_t>(state.index_start_row, count);

  if (!layout.multi_column) {
    model.items.reserve(count - start);
    for (std::size_t r = start; r < count; ++r) model.items.push_back(maker.Make(r, true));
    return model;
  }

  model.paged = true;
  state.current_page = page;
  model.page = page;
  const std::uint64_t rows = std::max<std::size_t>(layout.rows, 1);
  const std::uint64_t page_size = rows * std::max<std::size_t>(layout.columns, 1);
  const std::uint64_t remaining = count - start;
  model.total_pages = static_cast<std::uint32_t>((remaining + page_size - 1) / page_size);
  const std::uint64_t first = start + static_cast<std::uint64_t>(page) * page_size;

  bool header = false;
  if (page > 0) {
    MenuItem item;
    item.text = PageItemText("■■前ページに戻る（現在:", std::uint64_t{page} + 1, model.total_pages);
    item.id = kPreviousPageCommand;
    item.header = header = true;
    model.items.push_back(std::move(item));
  } else if (start > 0) {
    MenuItem item;
    item.text = Utf8ToCp932("■■IndexModeではこれ以上前は戻れません■■");
    item.enabled = false;
    item.header = header = true;
    model.items.push_back(std::move(item));
  }

  model.has_next_page = first < count && count - first > page_size;
  const std::uint64_t last =
      model.has_next_page ? first + page_size : std::max<std::uint64_t>(first, count);
  const std::uint64_t shown = last - first;
  model.items.reserve(model.items.size() + shown + shown / rows * 2 + 1);
  for (std::uint64_t r = first; r < last; ++r) {
    std::uint64_t i = r - first;
    if (i > 0 && i % rows == 0) {
      if (model.has_next_page) model.items.push_back(Filler(false));
      if (header) {
        model.items.push_back(Filler(true));
        model.items.push_back(maker.Make(r, true));
      } else {
        model.items.push_back(maker.Make(r, true));
        model.items.back().column_break = true;
      }
    } else {
      model.items.push_back(maker.Make(r, true));
    }
  }

  if (model.has_next_page) {
    MenuItem item;
    item.text = PageItemText("■■次ページに進む（現在:", std::uint64_t{page} + 1, model.total_pages);
    item.id = kNextPageCommand;
    model.items.push_back(std::move(item));
  }
  return model;
}

MenuModel BuildMatchMenu(const RegistrationList& list, const std::vector<std::size_t>& rows,
                         bool comment_display) {
  MenuModel model;
  model.kind = static_cast<int>(list.kind());
  model.x = 10;
  model.y = 10;
  model.count_text = Formatted(" %04lld", static_cast<long long>(rows.size()));
  ItemMaker maker(list, comment_display);
  model.items.reserve(rows.size());
  for (std::size_t r : rows) model.items.push_back(maker.Make(r, false));
  return model;
}

}  // namespace kelvora
