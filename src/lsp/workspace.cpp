#include "lsp/workspace.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "analysis/analysis_run.h"
#include "analysis/extension_list.h"
#include "lookup/word_lookup.h"
#include "lsp/lsp_text.h"
#include "lsp/server_ui.h"
#include "output/call_gather.h"
#include "platform/bytes.h"
#include "platform/user_folder.h"
#include "settings/settings_schema.h"
#include "text/encoding_detect.h"

namespace kelvora::lsp {

namespace {

int SlotOfKind(ListKind kind) {
  switch (kind) {
    case ListKind::Function:
      return 0;
    case ListKind::Struct:
      return 1;
    case ListKind::Define:
      return 2;
    default:
      return 3;
  }
}

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The full path of a FileList row (its position without "(1)").
std::string FilePathOf(const RegisteredData& data, std::size_t row) {
  std::string position = data.FullPosition(ListKind::File, row);
  if (position.ends_with("(1)")) position.resize(position.size() - 3);
  return position;
}

}  // namespace

Workspace::Workspace(std::string work_dir)
    : work_dir_(std::move(work_dir)), later_(std::make_unique<RegisteredData>()) {}

Workspace::~Workspace() = default;

bool Workspace::LoadSettings(const std::string& settings_file, std::string& error) {
  const std::string source = settings_file.empty() ? SettingsFilePath() : settings_file;
  std::string bytes;
  {
    std::ifstream in(source, std::ios::binary);
    if (!in && !settings_file.empty()) {
      error = "settings file cannot be read: " + settings_file;
      return false;
    }
    if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  settings_copy_ = work_dir_ + "/Kelvora.ini";
  {
    std::ofstream out(settings_copy_, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) {
      error = "cannot write the work copy of the settings: " + settings_copy_;
      return false;
    }
  }
  SettingsStore store(settings_copy_, UserStorePath());
  const long long given = store.ReadInt(keys::kCharChange.section, keys::kCharChange.key, -1);
  if (settings_file.empty() || (given != kCharChangeNone && given != kCharChangeEuc))
    store.WriteInt(keys::kCharChange.section, keys::kCharChange.key, kCharChangeDetect);
  store.set_read_only();
  static const std::atomic<bool> kNever{false};
  ServerUi quiet(nullptr, nullptr, kNever);
  kelvora::LoadSettings(store, settings_, quiet);
  return true;
}

bool Workspace::Analyse(const std::vector<std::string>& roots, ServerUi& ui) {
  SettingsStore store(settings_copy_, UserStorePath());
  store.set_read_only();
  AnalysisContext ctx{main_, store, regex_, ui, work_dir_};
  KeepCallIndex(ctx, calls_);
  bool any = false;
  for (std::size_t i = 0; i < roots.size(); ++i) {
    ui.set_add_to_existing(i > 0);
    if (StartAnalysisAt(ctx, roots[i]) == 0) any = true;
    if (ui.PollEscape()) return false;
  }
  later_ = std::make_unique<RegisteredData>();
  for (std::size_t i = 1; i <= main_.roots().Count(); ++i)
    later_->roots().Append(main_.roots().Entry(i));
  replaced_.clear();
  const auto started = std::chrono::steady_clock::now();
  BuildIndexes();
  index_seconds_ =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return any;
}

void Workspace::BuildIndexes() {
  // One kind a thread: the kinds share nothing but the lists they read.
  std::vector<std::thread> threads;
  RowsByFile by_file[4];
  for (ListKind kind : kSymbolKinds)
    threads.emplace_back([this, kind, &by_file] { BuildIndex(kind, by_file[SlotOfKind(kind)]); });
  for (std::thread& t : threads) t.join();
  by_file_.clear();
  for (int slot = 0; slot < 4; ++slot) {
    for (auto& [path, rows] : by_file[slot]) {
      rows.shrink_to_fit();
      by_file_[path][static_cast<std::size_t>(slot)] = std::move(rows);
    }
    by_file[slot] = {};
  }
}

void Workspace::BuildIndex(ListKind kind, RowsByFile& by_file) {
  const int slot = SlotOfKind(kind);
  const RegistrationList& list = main_.List(kind);
  Names& names = names_[slot];
  names = {};
  names.starts.reserve(list.RowCount() + 1);
  std::vector<std::vector<std::uint32_t>*> by_path_number;
  for (std::size_t r = 0; r < list.RowCount(); ++r) {
    const std::string_view name = list.PlainCell(r, col::kName);
    const std::size_t at = names.bytes.size();
    names.starts.push_back(static_cast<std::uint32_t>(at));
    bool ascii = true;
    for (char c : name) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
      names.bytes.append(name);
      for (std::size_t i = at; i < names.bytes.size(); ++i)
        if (names.bytes[i] >= 'A' && names.bytes[i] <= 'Z') names.bytes[i] += 'a' - 'A';
    } else {
      names.bytes += Cp932Lower(name);
    }
    names.bytes += '\0';

    std::uint32_t number = 0;
    std::string_view compact_path;
    std::uint64_t line = 0;
    std::vector<std::uint32_t>* rows = nullptr;
    const bool compact = list.CompactPosition(r, number, compact_path, line);
    if (compact && number < by_path_number.size()) rows = by_path_number[number];
    if (!rows) {
      std::string path;
      long line_no = 0;
      if (!SplitPosition(main_.FullPosition(kind, r), path, line_no)) continue;
      rows = &by_file[path];
      if (compact) {
        if (number >= by_path_number.size()) by_path_number.resize(number + 1, nullptr);
        by_path_number[number] = rows;
      }
    }
    rows->push_back(static_cast<std::uint32_t>(r));
  }
  names.starts.push_back(static_cast<std::uint32_t>(names.bytes.size()));
  names.bytes.shrink_to_fit();
}

bool Workspace::Hidden(const RowRef& r) const {
  if (r.later || replaced_.empty()) return false;
  std::string path;
  long line = 0;
  return Where(r, path, line) && replaced_.count(path) > 0;
}

std::vector<RowRef> Workspace::Exact(std::string_view name) const {
  std::vector<RowRef> out;
  for (ListKind kind : kSymbolKinds) {
    const RegistrationList& list = main_.List(kind);
    // The lists are sorted by name without regard to ASCII case.
    std::size_t lo = 0, hi = list.RowCount();
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      if (CompareNamesNoCase(list.PlainCell(mid, col::kName), name) < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    for (std::size_t r = lo; r < list.RowCount(); ++r) {
      const std::string_view n = list.PlainCell(r, col::kName);
      if (CompareNamesNoCase(n, name) != 0) break;
      const RowRef ref{false, kind, r};
      if (n == name && !Hidden(ref)) out.push_back(ref);
    }
    const RegistrationList& added = later_->List(kind);
    for (std::size_t r = 0; r < added.RowCount(); ++r)
      if (added.PlainCell(r, col::kName) == name) out.push_back({true, kind, r});
  }
  return out;
}

std::vector<RowRef> Workspace::Search(std::string_view word, std::size_t cap, bool* more,
                                      const std::atomic<bool>* cancelled) const {
  if (more) *more = false;
  std::vector<RowRef> exact_case, exact, partial;
  const std::string lowered = Cp932Lower(word);
  std::size_t found = 0;
  auto take = [&](const RowRef& ref, std::string_view name, std::string_view lowered_name) {
    if (Hidden(ref)) return;
    ++found;
    if (name == word)
      exact_case.push_back(ref);
    else if (lowered_name == lowered)
      exact.push_back(ref);
    else
      partial.push_back(ref);
  };
  for (ListKind kind : kSymbolKinds) {
    const RegistrationList& list = main_.List(kind);
    const Names& names = names_[SlotOfKind(kind)];
    if (names.starts.size() != list.RowCount() + 1) continue;
    std::string_view bytes = names.bytes;
    std::size_t at = 0;
    long polls = 0;
    while (found <= cap && !lowered.empty()) {
      const std::size_t offset = FindBytes(bytes, lowered, at);
      if (offset == std::string_view::npos) break;
      const std::size_t row = std::upper_bound(names.starts.begin(), names.starts.end(), offset) -
                              names.starts.begin() - 1;
      const std::string_view lowered_name =
          bytes.substr(names.starts[row], names.starts[row + 1] - names.starts[row] - 1);
      // Only matches at a character boundary count; the next chance is the next name.
      if (ContainsAtCharBoundary(lowered_name, lowered))
        take({false, kind, row}, list.PlainCell(row, col::kName), lowered_name);
      at = names.starts[row + 1];
      if (cancelled && (++polls & 1023) == 0 && cancelled->load()) return {};
    }
    if (lowered.empty())
      for (std::size_t r = 0; r < list.RowCount() && found <= cap; ++r)
        take({false, kind, r}, list.PlainCell(r, col::kName), "\x01");
    const RegistrationList& added = later_->List(kind);
    for (std::size_t r = 0; r < added.RowCount() && found <= cap; ++r) {
      const std::string_view name = added.PlainCell(r, col::kName);
      const std::string lowered_name = Cp932Lower(name);
      if (ContainsAtCharBoundary(lowered_name, lowered)) take({true, kind, r}, name, lowered_name);
    }
  }
  // Names equal to the word are found by name whatever the cap cut off.
  if (found > cap) {
    exact_case.clear();
    exact.clear();
    for (const RowRef& r : Exact(word)) exact_case.push_back(r);
    for (ListKind kind : kSymbolKinds) {
      const RegistrationList& list = main_.List(kind);
      const Names& names = names_[SlotOfKind(kind)];
      if (names.starts.size() != list.RowCount() + 1) continue;
      std::size_t lo = 0, hi = list.RowCount();
      while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (CompareNamesNoCase(list.PlainCell(mid, col::kName), word) < 0)
          lo = mid + 1;
        else
          hi = mid;
      }
      for (std::size_t r = lo; r < list.RowCount(); ++r) {
        const std::string_view n = list.PlainCell(r, col::kName);
        if (CompareNamesNoCase(n, word) != 0) break;
        if (n != word && !Hidden({false, kind, r})) exact.push_back({false, kind, r});
      }
    }
    if (more) *more = true;
  }
  std::vector<RowRef> out = std::move(exact_case);
  for (auto* part : {&exact, &partial})
    for (const RowRef& r : *part) {
      if (out.size() >= cap) break;
      if (std::find(out.begin(), out.end(), r) == out.end()) out.push_back(r);
    }
  if (out.size() > cap) out.resize(cap);
  return out;
}

std::vector<RowRef> Workspace::RowsOfFile(const std::string& path) const {
  std::vector<RowRef> out;
  for (ListKind kind : kSymbolKinds) {
    if (!replaced_.count(path)) {
      auto it = by_file_.find(path);
      if (it != by_file_.end())
        for (std::uint32_t r : it->second[static_cast<std::size_t>(SlotOfKind(kind))])
          out.push_back({false, kind, r});
    }
    const RegistrationList& added = later_->List(kind);
    for (std::size_t r = 0; r < added.RowCount(); ++r) {
      std::string p;
      long line = 0;
      if (Where({true, kind, r}, p, line) && p == path) out.push_back({true, kind, r});
    }
  }
  std::vector<std::pair<long, RowRef>> keyed;
  for (const RowRef& r : out) {
    std::string p;
    long line = 0;
    Where(r, p, line);
    keyed.emplace_back(line, r);
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  out.clear();
  for (const auto& k : keyed) out.push_back(k.second);
  return out;
}

std::vector<std::string> Workspace::Files() const {
  std::vector<std::string> out;
  const RegistrationList& files = main_.List(ListKind::File);
  for (std::size_t r = 0; r < files.RowCount(); ++r) {
    std::string path = FilePathOf(main_, r);
    if (!replaced_.count(path)) out.push_back(std::move(path));
  }
  const RegistrationList& added = later_->List(ListKind::File);
  for (std::size_t r = 0; r < added.RowCount(); ++r) out.push_back(FilePathOf(*later_, r));
  return out;
}

std::vector<std::string> Workspace::FilesNamed(std::string_view name) const {
  std::vector<std::string> out;
  for (const RegisteredData* data : {&main_, static_cast<const RegisteredData*>(later_.get())}) {
    const RegistrationList& files = data->List(ListKind::File);
    for (std::size_t r = 0; r < files.RowCount(); ++r) {
      if (files.PlainCell(r, col::kName) != name) continue;
      std::string path = FilePathOf(*data, r);
      if (data == &main_ && replaced_.count(path)) continue;
      out.push_back(std::move(path));
    }
  }
  return out;
}

bool Workspace::IsRegisteredFile(const std::string& path) const {
  for (const std::string& p : FilesNamed(FileNameOf(path)))
    if (p == path) return true;
  return false;
}

std::size_t Workspace::FileCount() const {
  return Files().size();
}

std::size_t Workspace::RowCount() const {
  std::size_t n = 0;
  for (ListKind kind : kSymbolKinds) n += main_.Count(kind) + later_->Count(kind);
  return n;
}

std::string Workspace::Name(const RowRef& r) const {
  return std::string(DataOf(r).List(r.kind).PlainCell(r.row, col::kName));
}

std::string Workspace::Cell(const RowRef& r, int column) const {
  return DataOf(r).List(r.kind).Cell(r.row, column);
}

bool Workspace::Where(const RowRef& r, std::string& path, long& line) const {
  return SplitPosition(DataOf(r).FullPosition(r.kind, r.row), path, line);
}

bool Workspace::IsAnalysedFileName(std::string_view path) const {
  const std::string_view ext = FileExtension(FileNameOf(path));
  for (const std::string* list : {&settings_.ext_src, &settings_.ext_header})
    for (const std::string& e : ParseExtensionList(*list, regex_))
      if (EqualsIgnoringAsciiCase(e, ext)) return true;
  return false;
}

bool Workspace::ReanalyseFile(const std::string& path, ServerUi& ui,
                              std::unique_ptr<CallIndex>& calls) {
  calls.reset();
  bool under_root = false;
  for (std::size_t i = 1; i <= main_.roots().Count(); ++i) {
    const std::string& root = main_.roots().Entry(i);
    under_root = under_root || (path.size() > root.size() + 1 && path.starts_with(root) &&
                                path[root.size()] == '/');
  }
  if (!under_root || !IsAnalysedFileName(path)) return false;

  // Comments the old rows held (some attached from prototypes in other files).
  std::unordered_map<std::string, std::string> old_comments;
  bool header = false;
  for (const RowRef& r : RowsOfFile(path))
    if (r.kind == ListKind::Function) {
      std::string comment = Cell(r, col::kComment);
      if (!comment.empty()) old_comments.emplace(Name(r), std::move(comment));
    }
  const std::string_view ext = FileExtension(FileNameOf(path));
  for (const std::string& e : ParseExtensionList(settings_.ext_header, regex_))
    header = header || EqualsIgnoringAsciiCase(e, ext);

  // Rows of the file analysed before: out of the later rows, hidden in the first analysis'.
  for (int k = 0; k < kListCount; ++k) {
    RegistrationList& list = later_->List(KindOfSlot(k));
    std::vector<bool> drop(list.RowCount(), false);
    bool any = false;
    for (std::size_t r = 0; r < list.RowCount(); ++r) {
      std::string p;
      long line = 0;
      std::string position = later_->FullPosition(KindOfSlot(k), r);
      if (KindOfSlot(k) == ListKind::File && position.ends_with("(1)")) {
        p = position.substr(0, position.size() - 3);
      } else {
        SplitPosition(position, p, line);
      }
      drop[r] = p == path;
      any = any || drop[r];
    }
    if (any) list.DeleteRows(drop);
  }
  replaced_.insert(path);

  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return true;  // deleted

  RegisteredData one;
  for (std::size_t i = 1; i <= main_.roots().Count(); ++i)
    one.roots().Append(main_.roots().Entry(i));
  const std::size_t file_row = one.files().AppendRow();
  one.files().SetCell(file_row, col::kName, FileNameOf(path));
  one.files().SetCell(file_row, col::kPosition, path + "(1)");
  if (header) one.files().SetCell(file_row, col::kMarker, ".h");

  SettingsStore store(settings_copy_, UserStorePath());
  store.set_read_only();
  AnalysisContext ctx{one, store, regex_, ui, work_dir_};
  ctx.parallel = false;
  auto index = std::make_unique<CallIndex>();
  KeepCallIndex(ctx, *index);
  if (ReanalyseRegisteredFiles(ctx) != 0 && one.AllEmpty()) return true;
  calls = std::move(index);

  for (int k = 0; k < kListCount; ++k) {
    const ListKind kind = KindOfSlot(k);
    const RegistrationList& from = one.List(kind);
    RegistrationList& to = later_->List(kind);
    for (std::size_t r = 0; r < from.RowCount(); ++r) {
      std::vector<std::string> cells;
      cells.reserve(static_cast<std::size_t>(from.column_count()));
      for (int c = 0; c < from.column_count(); ++c) cells.push_back(from.Cell(r, c));
      if (kind == ListKind::Function && cells.size() > col::kComment &&
          cells[col::kComment].empty()) {
        auto it = old_comments.find(cells[col::kName]);
        if (it != old_comments.end()) cells[col::kComment] = it->second;
      }
      std::vector<std::string_view> views(cells.begin(), cells.end());
      to.AppendRow(views);
    }
  }
  return true;
}

}  // namespace kelvora::lsp
