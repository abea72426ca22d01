#include "lsp/call_sites.h"

#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "analysis/definitions.h"
#include "analysis/definitions_patterns.h"
#include "lsp/lsp_text.h"
#include "output/source_pass.h"
#include "platform/cp932.h"
#include "settings/settings.h"
#include "text/encoding_detect.h"
#include "text/source_clean.h"

namespace kelvora::lsp {

namespace {

std::string_view WithoutStars(std::string_view name) {
  while (name.starts_with('*')) name.remove_prefix(1);
  return name;
}

class Gatherer : public FunctionWalkVisitor {
 public:
  std::vector<FunctionCalls> defs;

  void OnDefinition(const Head& head) override {
    FunctionCalls f;
    f.name = WithoutStars(head.name);
    f.head.line = static_cast<std::uint32_t>(head.line);
    f.end = f.head.line;
    defs.push_back(std::move(f));
    sites_.clear();
  }
  void OnCallee(const Head&, std::string_view callee, bool recursive) override {
    if (defs.empty()) return;
    CalleeCalls c;
    c.name = WithoutStars(callee);
    c.recursive = recursive;
    defs.back().callees.push_back(std::move(c));
  }
  void OnBodyLine(long line, std::string_view raw, std::string_view cleaned, bool used) override {
    if (!used) return;
    CallMatch m;
    std::string_view rest = cleaned;
    // How often each name was met before on this line, to find the same occurrence in raw text.
    std::vector<std::pair<std::string_view, std::size_t>> seen;
    while (FindCall(rest, m)) {
      const std::string_view name = WithoutStars(m.name);
      rest.remove_prefix(m.end);
      std::size_t nth = 0;
      for (auto& s : seen)
        if (s.first == name) nth = ++s.second;
      if (nth == 0) seen.emplace_back(name, 0);
      const std::vector<std::size_t> in_raw = WordsCp932(raw, name);
      const std::size_t at = in_raw.empty() ? 0 : in_raw[std::min(nth, in_raw.size() - 1)];
      sites_.push_back({std::string(name),
                        {static_cast<std::uint32_t>(line),
                         static_cast<std::uint32_t>(Cp932CharIndex(raw, at))}});
    }
  }
  void OnBodyEnd(const Head&, long line) override {
    if (defs.empty()) return;
    FunctionCalls& f = defs.back();
    f.end = static_cast<std::uint32_t>(line);
    for (CalleeCalls& c : f.callees) {
      for (const auto& s : sites_)
        if (s.first == c.name) c.sites.push_back(s.second);
      // A body on its brace line only: the call is placed on the head line.
      if (c.sites.empty()) c.sites.push_back({f.head.line, 0});
    }
    sites_.clear();
  }

 private:
  std::vector<std::pair<std::string, lsp::CallSite>> sites_;
};

// Sets each definition's head column from its line in the decoded text.
void PlaceHeads(const std::string& path, int char_change, std::vector<FunctionCalls>& defs) {
  if (defs.empty()) return;
  const DecodedFile file = DecodeFile(path, char_change);
  bool astral = false;
  for (const std::string& line : file.lines)
    for (char c : line) astral = astral || static_cast<unsigned char>(c) >= 0xF0;
  for (FunctionCalls& f : defs) {
    f.astral = astral;
    const std::string& line = file.Line(f.head.line - 1);
    const std::size_t at = FindWord(line, f.name);
    f.head.column =
        at == std::string::npos
            ? 0
            : static_cast<std::uint32_t>(ColumnOfByte(line, at, PositionEncoding::kUtf32));
  }
}

}  // namespace

struct CallGatherer::Tools {
  explicit Tools(const CallGatherSetup& setup)
      : cleaning(setup.regex),
        patterns(setup.regex, {}),
        macros(setup.settings.preprocessor),
        walker(cleaning, patterns, setup.settings,
               {&macros, true, setup.settings.char_change == kCharChangeEuc}) {}
  CleaningPatterns cleaning;
  DefinitionPatterns patterns;
  MacroList macros;
  FunctionWalker walker;
};

CallGatherer::CallGatherer(const CallGatherSetup& setup)
    : setup_(setup), tools_(std::make_unique<Tools>(setup)) {}
CallGatherer::~CallGatherer() = default;

std::vector<FunctionCalls> CallGatherer::Gather(const std::string& path, bool* opened) {
  SourceFileReader reader(setup_.settings.char_change);
  Gatherer gatherer;
  // Only regular files: an item a client sends may name a device or a FIFO.
  struct stat st {};
  const bool ok = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && reader.Open(path);
  if (opened) *opened = ok;
  if (!ok || !tools_->cleaning.ok()) return {};
  tools_->walker.Walk(reader, gatherer);
  PlaceHeads(path, setup_.settings.char_change, gatherer.defs);
  return std::move(gatherer.defs);
}

std::vector<FunctionCalls> GatherFileCalls(const std::string& path, const CallGatherSetup& setup,
                                           bool* opened) {
  CallGatherer gatherer(setup);
  return gatherer.Gather(path, opened);
}

std::uint32_t CallIndex::Intern(std::string_view name) {
  auto it = name_ids_.find(std::string(name));
  if (it != name_ids_.end()) return it->second;
  const auto id = static_cast<std::uint32_t>(names_.size());
  names_.emplace_back(name);
  name_ids_.emplace(std::string(name), id);
  return id;
}

CallIndex::FileEntry CallIndex::Pack(const std::string& path,
                                     const std::vector<FunctionCalls>& defs) {
  FileEntry f;
  f.path = path;
  for (const FunctionCalls& d : defs) {
    f.astral = f.astral || d.astral;
    f.defs.push_back({Intern(d.name), d.head.line, d.head.column, d.end,
                      static_cast<std::uint32_t>(f.callees.size()),
                      static_cast<std::uint32_t>(d.callees.size())});
    for (const CalleeCalls& c : d.callees) {
      f.callees.push_back({Intern(c.name), static_cast<std::uint32_t>(f.sites.size()),
                           static_cast<std::uint32_t>(c.sites.size()), c.recursive});
      f.sites.insert(f.sites.end(), c.sites.begin(), c.sites.end());
    }
  }
  f.defs.shrink_to_fit();
  f.callees.shrink_to_fit();
  f.sites.shrink_to_fit();
  return f;
}

FunctionCalls CallIndex::Unpack(const FileEntry& f, const Def& d, bool with_callees) const {
  FunctionCalls out;
  out.name = names_[d.name];
  out.head = {d.line, d.column};
  out.end = d.end;
  out.astral = f.astral;
  if (!with_callees) return out;
  for (std::uint32_t i = 0; i < d.callee_count; ++i) {
    const Callee& c = f.callees[d.first_callee + i];
    CalleeCalls cc;
    cc.name = names_[c.name];
    cc.recursive = c.recursive;
    cc.sites.assign(f.sites.begin() + c.first_site, f.sites.begin() + c.first_site + c.site_count);
    out.callees.push_back(std::move(cc));
  }
  return out;
}

void CallIndex::Build(const std::vector<std::string>& files, const CallGatherSetup& setup,
                      std::size_t threads, const std::atomic<bool>& stop) {
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    CallGatherer gatherer(setup);
    for (std::size_t i = next++; i < files.size() && !stop.load(); i = next++) {
      std::vector<FunctionCalls> defs = gatherer.Gather(files[i]);
      std::unique_lock lock(mutex_);
      if (file_slot_.count(files[i])) continue;  // replaced meanwhile: that one is newer
      file_slot_[files[i]] = files_.size();
      files_.push_back(Pack(files[i], defs));
    }
  };
  std::vector<std::thread> pool;
  for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  {
    std::lock_guard lock(ready_mutex_);
    ready_ = true;
  }
  ready_cv_.notify_all();
}

void CallIndex::Replace(const std::string& path, const std::vector<FunctionCalls>& defs) {
  std::unique_lock lock(mutex_);
  auto it = file_slot_.find(path);
  if (it == file_slot_.end()) {
    file_slot_[path] = files_.size();
    files_.push_back(Pack(path, defs));
  } else {
    files_[it->second] = Pack(path, defs);
  }
}

void CallIndex::Clear() {
  std::unique_lock lock(mutex_);
  files_.clear();
  file_slot_.clear();
  names_.clear();
  name_ids_.clear();
  ready_ = false;
}

bool CallIndex::WaitReady(const std::function<bool()>& give_up) const {
  std::unique_lock lock(ready_mutex_);
  while (!ready_.load()) {
    if (give_up && give_up()) return false;
    ready_cv_.wait_for(lock, std::chrono::milliseconds(20));
  }
  return true;
}

bool CallIndex::FileDefinitions(const std::string& path, std::vector<FunctionCalls>& out) const {
  std::shared_lock lock(mutex_);
  auto it = file_slot_.find(path);
  if (it == file_slot_.end()) return false;
  const FileEntry& f = files_[it->second];
  out.clear();
  for (const Def& d : f.defs) out.push_back(Unpack(f, d, true));
  return true;
}

std::vector<std::pair<std::string, FunctionCalls>> CallIndex::DefinitionsNamed(
    std::string_view name) const {
  std::shared_lock lock(mutex_);
  std::vector<std::pair<std::string, FunctionCalls>> out;
  auto id_it = name_ids_.find(std::string(name));
  if (id_it == name_ids_.end()) return out;
  for (const FileEntry& f : files_)
    for (const Def& d : f.defs)
      if (d.name == id_it->second) out.emplace_back(f.path, Unpack(f, d, false));
  return out;
}

std::vector<CallIndex::Caller> CallIndex::CallersOf(std::string_view name,
                                                    const std::atomic<bool>* cancelled) const {
  std::shared_lock lock(mutex_);
  std::vector<Caller> out;
  auto id_it = name_ids_.find(std::string(name));
  if (id_it == name_ids_.end()) return out;
  const std::uint32_t id = id_it->second;
  for (std::size_t i = 0; i < files_.size(); ++i) {
    if (cancelled && (i & 255) == 0 && cancelled->load()) return {};
    const FileEntry& f = files_[i];
    for (const Def& d : f.defs)
      for (std::uint32_t k = 0; k < d.callee_count; ++k) {
        const Callee& c = f.callees[d.first_callee + k];
        if (c.name != id) continue;
        Caller caller;
        caller.path = f.path;
        caller.definition = Unpack(f, d, false);
        caller.sites.assign(f.sites.begin() + c.first_site,
                            f.sites.begin() + c.first_site + c.site_count);
        out.push_back(std::move(caller));
        break;
      }
  }
  return out;
}

}  // namespace kelvora::lsp
