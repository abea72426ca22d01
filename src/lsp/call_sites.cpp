#include "lsp/call_sites.h"

#include <algorithm>

namespace kelvora::lsp {

namespace {

std::size_t Stars(std::string_view name) {
  std::size_t n = 0;
  while (n < name.size() && name[n] == '*') ++n;
  return n;
}

// The ids a name has in an index: as written and with the "*" a head or a call through a
// pointer keeps.
std::vector<CallIndex::NameId> IdsOf(const CallIndex& index, std::string_view name) {
  std::vector<CallIndex::NameId> ids;
  std::string starred(name);
  for (int stars = 0; stars < 3; ++stars) {
    const CallIndex::NameId id = index.Find(starred);
    if (id != CallIndex::kNoName) ids.push_back(id);
    starred.insert(starred.begin(), '*');
  }
  return ids;
}

FunctionCalls Unpack(const CallIndex& index, CallIndex::DefinitionId id, bool with_callees) {
  const CallIndex::Definition& d = index.GetDefinition(id);
  FunctionCalls f;
  f.path = index.FilePath(d.file);
  const std::string_view name = index.Name(d.name);
  f.name = name.substr(Stars(name));
  f.line = d.line;
  f.end = std::max(d.end_line, d.line);
  if (!with_callees) return f;
  const auto sites = index.CallsOf(id);
  // The callees in the order the tree lists them (each at its first call), with every call.
  std::vector<CallIndex::NameId> order;
  for (const CallIndex::Site& s : sites)
    if (s.listed()) {
      order.push_back(s.callee());
      CalleeCalls& c = f.callees.emplace_back();
      const std::string_view callee = index.Name(s.callee());
      c.name = callee.substr(Stars(callee));
      c.recursive = s.recursive();
    }
  for (const CallIndex::Site& s : sites)
    for (std::size_t k = 0; k < order.size(); ++k)
      if (order[k] == s.callee()) {
        f.callees[k].sites.push_back(
            {s.line(), s.column() + static_cast<std::uint32_t>(Stars(index.Name(s.callee())))});
        break;
      }
  return f;
}

}  // namespace

void CallSites::Replace(const std::string& path, std::unique_ptr<CallIndex> index) {
  const CallIndex::FileId file = first_.FindFile(path);
  if (file < first_.FileCount()) hidden_.insert(file);
  later_[path] = std::move(index);
}

std::vector<const CallIndex*> CallSites::Indexes() const {
  std::vector<const CallIndex*> out{&first_};
  for (const auto& [path, index] : later_)
    if (index) out.push_back(index.get());
  return out;
}

bool CallSites::Hidden(const CallIndex& index, CallIndex::DefinitionId id) const {
  return &index == &first_ && !hidden_.empty() && hidden_.count(index.GetDefinition(id).file) > 0;
}

std::vector<FunctionCalls> CallSites::DefinitionsOfFile(const std::string& path,
                                                        bool with_callees) const {
  std::vector<FunctionCalls> out;
  const CallIndex* index = &first_;
  if (auto it = later_.find(path); it != later_.end()) index = it->second.get();
  if (!index) return out;
  const CallIndex::FileId file = index->FindFile(path);
  if (file >= index->FileCount()) return out;
  const CallIndex::DefinitionId first = index->FirstDefinitionOf(file);
  const std::size_t count = index->DefinitionsOf(file).size();
  for (std::size_t k = 0; k < count; ++k)
    out.push_back(Unpack(*index, first + static_cast<CallIndex::DefinitionId>(k), with_callees));
  return out;
}

std::vector<FunctionCalls> CallSites::DefinitionsNamed(std::string_view name) const {
  std::vector<FunctionCalls> out;
  for (const CallIndex* index : Indexes())
    for (CallIndex::NameId id : IdsOf(*index, name))
      for (CallIndex::DefinitionId def : index->DefinitionsNamed(id))
        if (!Hidden(*index, def)) out.push_back(Unpack(*index, def, false));
  return out;
}

std::vector<CallSites::Caller> CallSites::CallersOf(std::string_view name,
                                                    const std::atomic<bool>* cancelled) const {
  std::vector<Caller> out;
  for (const CallIndex* index : Indexes()) {
    const std::vector<CallIndex::NameId> ids = IdsOf(*index, name);
    // Calls through "*name" and as name of one definition make one caller.
    std::vector<std::pair<CallIndex::DefinitionId, std::vector<CallSite>>> found;
    for (CallIndex::NameId id : ids) {
      const auto stars = static_cast<std::uint32_t>(Stars(index->Name(id)));
      for (const CallIndex::Caller& c : index->CallersOf(id)) {
        if (Hidden(*index, c.definition)) continue;
        std::vector<CallSite> sites;
        sites.reserve(c.sites.size());
        for (const CallIndex::Site& s : c.sites) sites.push_back({s.line(), s.column() + stars});
        found.emplace_back(c.definition, std::move(sites));
      }
    }
    if (ids.size() > 1) {
      std::stable_sort(found.begin(), found.end(),
                       [](const auto& a, const auto& b) { return a.first < b.first; });
      std::size_t kept = 0;
      for (std::size_t i = 0; i < found.size(); ++i) {
        if (kept > 0 && found[kept - 1].first == found[i].first) {
          auto& sites = found[kept - 1].second;
          sites.insert(sites.end(), found[i].second.begin(), found[i].second.end());
          std::sort(sites.begin(), sites.end(), [](const CallSite& a, const CallSite& b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
          });
        } else {
          found[kept++] = std::move(found[i]);
        }
      }
      found.resize(kept);
    }
    for (auto& [def, sites] : found) {
      if (cancelled && (out.size() & 255) == 0 && cancelled->load()) return {};
      out.push_back({Unpack(*index, def, false), std::move(sites)});
    }
  }
  return out;
}

}  // namespace kelvora::lsp
