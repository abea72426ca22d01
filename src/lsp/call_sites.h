// Who calls whom, by the function tree's rules: the definitions the function-tree pass finds in
// each file, their callees (each once, as the tree lists them) and every call site of each.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kelvora {
class RegexService;
struct Settings;
}  // namespace kelvora

namespace kelvora::lsp {

// A place in a file: 1-based line, and the index of the first character of the name counted in
// characters of the decoded line.
struct CallSite {
  std::uint32_t line = 0;
  std::uint32_t column = 0;
};

struct CalleeCalls {
  std::string name;
  bool recursive = false;
  std::vector<CallSite> sites;  // in file order
};

struct FunctionCalls {
  std::string name;                  // without the "*" of a head that has one
  CallSite head;                     // where the name stands on its head line
  std::uint32_t end = 0;             // last line of the body
  std::vector<CalleeCalls> callees;  // in the order of their first call
  // The file's decoded text holds characters outside the BMP: UTF-16 columns are not the
  // character indexes.
  bool astral = false;
};

// The settings and engine a gathering reads files with.
struct CallGatherSetup {
  const RegexService& regex;
  const Settings& settings;
};

// The function-tree pass over files, with its patterns compiled once (one per thread).
class CallGatherer {
 public:
  explicit CallGatherer(const CallGatherSetup& setup);
  ~CallGatherer();
  std::vector<FunctionCalls> Gather(const std::string& path, bool* opened = nullptr);

 private:
  struct Tools;
  const CallGatherSetup& setup_;
  std::unique_ptr<Tools> tools_;
};

// The function-tree pass over one file (false #if regions, comments and literals left out,
// keywords and excluded functions never callees). opened is false when it cannot be read.
std::vector<FunctionCalls> GatherFileCalls(const std::string& path, const CallGatherSetup& setup,
                                           bool* opened = nullptr);

// Call sites of the whole workspace, gathered once and kept compact; a file is replaced when it
// is analysed again. Thread-safe: one thread builds while others look up.
class CallIndex {
 public:
  // Gathers every file on `threads` threads; returns when done or stop was set. Marks the
  // index ready either way.
  void Build(const std::vector<std::string>& files, const CallGatherSetup& setup,
             std::size_t threads, const std::atomic<bool>& stop);
  // Replaces (or adds) one file's definitions; an empty list drops the file.
  void Replace(const std::string& path, const std::vector<FunctionCalls>& defs);
  void Clear();
  bool ready() const { return ready_.load(); }
  // Waits until the index is ready; false when give_up() became true first.
  bool WaitReady(const std::function<bool()>& give_up) const;

  // The definitions of one file as gathered; false when the file is not in the index.
  bool FileDefinitions(const std::string& path, std::vector<FunctionCalls>& out) const;

  // Every definition of that name the pass found (callees left empty), with its file.
  std::vector<std::pair<std::string, FunctionCalls>> DefinitionsNamed(std::string_view name) const;

  struct Caller {
    std::string path;
    FunctionCalls definition;     // callees left empty
    std::vector<CallSite> sites;  // the calls of the name in its body
  };
  // Every definition whose callees include name (recursion included); empty when cancelled.
  std::vector<Caller> CallersOf(std::string_view name, const std::atomic<bool>* cancelled) const;

 private:
  struct Def {
    std::uint32_t name, line, column, end, first_callee, callee_count;
  };
  struct Callee {
    std::uint32_t name, first_site, site_count;
    bool recursive;
  };
  struct FileEntry {
    std::string path;
    std::vector<Def> defs;
    std::vector<Callee> callees;
    std::vector<CallSite> sites;
    bool astral = false;
  };
  std::uint32_t Intern(std::string_view name);  // under the unique lock
  FileEntry Pack(const std::string& path, const std::vector<FunctionCalls>& defs);
  FunctionCalls Unpack(const FileEntry& f, const Def& d, bool with_callees) const;

  mutable std::shared_mutex mutex_;
  std::vector<FileEntry> files_;
  std::unordered_map<std::string, std::size_t> file_slot_;
  std::vector<std::string> names_;
  std::unordered_map<std::string, std::uint32_t> name_ids_;
  std::atomic<bool> ready_{false};
  mutable std::mutex ready_mutex_;
  mutable std::condition_variable ready_cv_;
};

}  // namespace kelvora::lsp
