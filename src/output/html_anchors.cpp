#include "output/html_anchors.h"

#include <algorithm>
#include <functional>

#include "output/html_site.h"

namespace kelvora {

namespace {

constexpr ListKind kAnchorKinds[] = {ListKind::Function, ListKind::Struct, ListKind::Define,
                                     ListKind::Table};

std::uint64_t Mix(std::uint64_t h, std::uint64_t v) {
  h ^= v + 0x9E3779B97F4A7C15ull + (h << 12) + (h >> 4);
  return h;
}

std::uint64_t Hash(std::string_view text) {
  return std::hash<std::string_view>{}(text);
}

std::uint64_t GroupKey(std::string_view page, std::string_view text) {
  return Mix(Hash(page), Hash(text));
}

std::uint64_t SiteKey(ListKind kind, std::string_view path, long line, std::string_view text) {
  return Mix(Mix(Mix(static_cast<std::uint64_t>(SlotOf(kind)), Hash(path)),
                 static_cast<std::uint64_t>(line)),
             Hash(text));
}

std::uint64_t RowKey(ListKind kind, std::size_t row) {
  return static_cast<std::uint64_t>(SlotOf(kind)) << 56 | row;
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The anchor text of a row: a function's name after its last ":", else the name.
std::string_view TextOf(ListKind kind, std::string_view name) {
  return kind == ListKind::Function ? FunctionAnchor(name) : name;
}

bool Holds(const std::vector<std::uint64_t>& sorted, std::uint64_t key) {
  return std::binary_search(sorted.begin(), sorted.end(), key);
}

}  // namespace

std::string_view PositionPath(std::string_view position) {
  for (std::size_t open = position.rfind('('); open != std::string_view::npos;
       open = open == 0 ? std::string_view::npos : position.rfind('(', open - 1)) {
    std::size_t i = open + 1;
    while (i < position.size() && position[i] >= '0' && position[i] <= '9') ++i;
    if (i > open + 1 && i < position.size() && position[i] == ')') return position.substr(0, open);
  }
  return position;
}

long PositionLine(std::string_view position) {
  const std::string_view path = PositionPath(position);
  if (path.size() == position.size()) return 0;
  long line = 0;
  for (std::size_t i = path.size() + 1; i < position.size() && position[i] != ')'; ++i)
    line = line * 10 + (position[i] - '0');
  return line;
}

SiteAnchors::SiteAnchors(const RegisteredData& data) : data_(data) {
  const RegistrationList& files = data.List(ListKind::File);
  std::unordered_map<std::string, int> files_of_page;
  for (std::size_t r = 0; r < files.RowCount(); ++r) {
    const CellView position = files.Cell(r, col::kPosition);
    const std::string path(PositionPath(position));
    if (!file_numbers_.contains(path))
      file_numbers_.emplace(path, files_of_page[std::string(FileNameOf(path))]++);
  }
  for (ListKind kind : kAnchorKinds) {
    const RegistrationList& list = data.List(kind);
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      const std::string full = data.FullPosition(kind, r);
      const std::string_view path = PositionPath(full);
      const std::string_view text = TextOf(kind, list.PlainCell(r, col::kName));
      groups_.push_back(GroupKey(FileNameOf(path), text));
      rows_of_file_[std::string(path)].push_back(RowKey(kind, r));
      sites_.push_back(SiteKey(kind, path, PositionLine(full), text));
      if (kind == ListKind::Function && list.PlainCell(r, col::kMarker) != "#define")
        function_files_.emplace(path);
    }
  }
  std::sort(sites_.begin(), sites_.end());
  std::vector<std::uint64_t> by_row = groups_;
  std::sort(groups_.begin(), groups_.end());
  // The rows whose (page, text) another row holds too, gathered by that pair.
  std::unordered_map<std::uint64_t, std::vector<Member>> shared;
  std::size_t at = 0;
  for (ListKind kind : kAnchorKinds) {
    const RegistrationList& list = data.List(kind);
    for (std::size_t r = 0; r < list.RowCount(); ++r, ++at) {
      const auto range = std::equal_range(groups_.begin(), groups_.end(), by_row[at]);
      if (range.second - range.first < 2) continue;
      const std::string full = data.FullPosition(kind, r);
      Member m{kind,
               r,
               0,
               PositionLine(full),
               std::string(PositionPath(full)),
               std::string(TextOf(kind, list.PlainCell(r, col::kName)))};
      if (auto it = file_numbers_.find(m.path); it != file_numbers_.end()) m.file = it->second;
      shared[by_row[at]].push_back(std::move(m));
    }
  }
  for (auto& [key, members] : shared) Assign(members);
}

void SiteAnchors::Assign(std::vector<Member>& members) {
  std::sort(members.begin(), members.end(), [](const Member& a, const Member& b) {
    if (a.file != b.file) return a.file < b.file;
    if (a.line != b.line) return a.line < b.line;
    if (a.kind != b.kind) return SlotOf(a.kind) < SlotOf(b.kind);
    return a.row < b.row;
  });
  std::unordered_map<std::uint64_t, std::string> by_site;
  std::unordered_set<std::string> taken;
  int previous_file = -1;
  for (std::size_t i = 0; i < members.size(); ++i) {
    const Member& m = members[i];
    const std::uint64_t site = SiteKey(m.kind, m.path, m.line, m.text);
    std::string id;
    if (auto same = by_site.find(site); same != by_site.end()) {
      id = same->second;  // the same definition registered twice: one anchor
    } else {
      if (i == 0) {
        id = m.text;
      } else if (m.file != previous_file && m.file > 0) {
        id = m.text + "-" + std::to_string(m.file + 1);
      } else {
        id = m.text + "-" + std::to_string(m.file + 1) + "-" + std::to_string(m.line);
      }
      while (!taken.insert(id).second) id += "-" + std::to_string(i);
      by_site.emplace(site, id);
      if (i > 0) site_anchors_.emplace(site, id);
    }
    previous_file = m.file;
    if (i > 0) row_anchors_.emplace(RowKey(m.kind, m.row), id);
  }
}

std::string SiteAnchors::OfRow(ListKind kind, std::size_t row) const {
  if (auto it = row_anchors_.find(RowKey(kind, row)); it != row_anchors_.end()) return it->second;
  return std::string(TextOf(kind, data_.List(kind).PlainCell(row, col::kName)));
}

void SiteAnchors::BeginFile(std::size_t file_row) {
  const CellView position = data_.List(ListKind::File).Cell(file_row, col::kPosition);
  std::string path(PositionPath(position));
  std::string page(FileNameOf(path));
  if (page != page_) written_.clear();
  repeated_file_ = path == path_;
  if (auto it = file_numbers_.find(path); it != file_numbers_.end()) {
    file_number_ = it->second;
  } else {
    file_number_ = 0;
  }
  path_ = std::move(path);
  page_ = std::move(page);
  shown_sites_.clear();
}

std::string SiteAnchors::At(ListKind kind, long line, std::string_view text) {
  std::string id;
  const std::uint64_t site = SiteKey(kind, path_, line, text);
  if (!repeated_file_ && Holds(sites_, site)) {
    shown_sites_.insert(site);
    auto it = site_anchors_.find(site);
    id = it == site_anchors_.end() ? std::string(text) : it->second;
  } else if (!repeated_file_ && !Holds(groups_, GroupKey(page_, text))) {
    id = text;
  } else {
    id = std::string(text) + "-" + std::to_string(file_number_ + 1) + "-" + std::to_string(line);
  }
  // What no row names must still not repeat an anchor of the page.
  for (int n = 2; written_.contains(id); ++n) id += "-" + std::to_string(n);
  written_.insert(id);
  return id;
}

bool SiteAnchors::FileDefinesFunctions() const {
  return function_files_.contains(path_);
}

std::vector<SiteAnchors::Unshown> SiteAnchors::UnshownRows() {
  std::vector<Unshown> out;
  auto rows = rows_of_file_.find(path_);
  if (repeated_file_ || rows == rows_of_file_.end()) return out;
  for (std::uint64_t key : rows->second) {
    const ListKind kind = KindOfSlot(static_cast<int>(key >> 56));
    const std::size_t row = static_cast<std::size_t>(key & ((std::uint64_t{1} << 56) - 1));
    const std::string full = data_.FullPosition(kind, row);
    const long line = PositionLine(full);
    const std::string_view text = TextOf(kind, data_.List(kind).PlainCell(row, col::kName));
    if (!shown_sites_.insert(SiteKey(kind, path_, line, text)).second) continue;
    std::string anchor = OfRow(kind, row);
    if (!written_.insert(anchor).second) continue;
    out.push_back(Unshown{kind, row, line, std::move(anchor)});
  }
  std::sort(out.begin(), out.end(),
            [](const Unshown& a, const Unshown& b) { return a.line < b.line; });
  return out;
}

}  // namespace kelvora
