// The server's index: the registered data of the workspace folders, looked up by name, by file
// and by part of a name, with files analysed again one at a time as the editor saves them.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "analysis/call_index.h"
#include "data/registration_lists.h"
#include "settings/settings.h"
#include "text/regex_service.h"

namespace kelvora::lsp {

class ServerUi;

// One registered row: of the data of the first analysis, or of a file analysed since.
struct RowRef {
  bool later = false;
  ListKind kind = ListKind::Function;
  std::size_t row = 0;
  friend bool operator==(const RowRef&, const RowRef&) = default;
};

// The lists in the order the server reports them.
inline constexpr ListKind kSymbolKinds[] = {ListKind::Function, ListKind::Struct, ListKind::Define,
                                            ListKind::Table};

class Workspace {
 public:
  // work_dir: a private folder for the run's work files and its copy of the settings.
  explicit Workspace(std::string work_dir);
  ~Workspace();

  // Reads the settings (settings_file, or Kelvora.ini of the settings folder when empty) into a
  // copy of their own and decides "CharChange": 2 unless settings_file sets it to 0 or 1.
  // False with error set when the file given cannot be read.
  bool LoadSettings(const std::string& settings_file, std::string& error);
  // Analyses the roots in order (the first replaces, later ones add), keeping every
  // definition's calls in calls(). False when the run was cancelled or registered nothing.
  bool Analyse(const std::vector<std::string>& roots, ServerUi& ui);
  const CallIndex& calls() const { return calls_; }
  // How long the server's own lookup indexes took to build after the analysis.
  double index_seconds() const { return index_seconds_; }

  const Settings& settings() const { return settings_; }
  int char_change() const { return settings_.char_change; }
  const RegexService& regex() const { return regex_; }

  // Rows whose name is exactly name, in kSymbolKinds order.
  std::vector<RowRef> Exact(std::string_view name) const;
  // Rows whose name contains word (CP932, without regard to case): names equal to it first
  // (those of equal case before others), then the rest in list order; at most cap rows. *more
  // is set when rows were left out. Stops early (returning what it has) when cancelled is set.
  std::vector<RowRef> Search(std::string_view word, std::size_t cap, bool* more,
                             const std::atomic<bool>* cancelled = nullptr) const;
  // The rows of one file (full path), every kind but files, by line.
  std::vector<RowRef> RowsOfFile(const std::string& path) const;
  // Registered files (full paths) whose file name is name.
  std::vector<std::string> FilesNamed(std::string_view name) const;
  bool IsRegisteredFile(const std::string& path) const;
  // Every registered file, in list order.
  std::vector<std::string> Files() const;
  std::size_t RowCount() const;
  // Registered files, those analysed since included.
  std::size_t FileCount() const;

  // A row's cells.
  std::string Name(const RowRef& r) const;
  std::string Cell(const RowRef& r, int column) const;
  // The path and 1-based line of a row; false when its position cannot be read.
  bool Where(const RowRef& r, std::string& path, long& line) const;

  // Analyses one file again (changed, added or deleted) and replaces its rows: nothing else is
  // read. A file not under a root or not of the analysed extensions is left alone (false).
  // calls receives the file's calls (null when it is gone or could not be analysed).
  bool ReanalyseFile(const std::string& path, ServerUi& ui, std::unique_ptr<CallIndex>& calls);

 private:
  struct FileRows;
  const RegisteredData& DataOf(const RowRef& r) const { return r.later ? *later_ : main_; }
  bool Hidden(const RowRef& r) const;
  void BuildIndexes();
  using RowsByFile = std::unordered_map<std::string, std::vector<std::uint32_t>>;
  void BuildIndex(ListKind kind, RowsByFile& by_file);
  bool IsAnalysedFileName(std::string_view path) const;

  std::string work_dir_;
  std::string settings_copy_;
  Settings settings_;
  RegexService regex_;
  RegisteredData main_;
  CallIndex calls_;  // of main_'s files
  double index_seconds_ = 0;
  std::unique_ptr<RegisteredData> later_;
  // Full paths whose rows of main_ are replaced by those in later_.
  std::unordered_set<std::string> replaced_;
  // Per kind of kSymbolKinds: the lowered names of main_, each followed by a NUL byte, and where
  // each row's name starts.
  struct Names {
    std::string bytes;
    std::vector<std::uint32_t> starts;
  };
  Names names_[4];
  // Per kind: the rows of each file of main_.
  // Per file of main_: the rows of each kind (one path string for the four kinds).
  std::unordered_map<std::string, std::array<std::vector<std::uint32_t>, 4>> by_file_;
};

}  // namespace kelvora::lsp
