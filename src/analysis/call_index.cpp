#include "analysis/call_index.h"

#include <sys/stat.h>

#include <algorithm>

#include "settings/settings.h"

namespace kelvora {

namespace {

// FNV-1a over the name's bytes.
std::uint64_t HashName(std::string_view name) {
  std::uint64_t h = 14695981039346656037ull;
  for (unsigned char c : name) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

// The settings a function tree walk depends on, as one text.
std::string WalkSettingsText(const Settings& s) {
  std::string text = s.preprocessor;
  text += '\0';
  text += std::to_string(s.char_change);
  for (std::size_t i = 0; i < s.excluded_names.size(); ++i) {
    text += '\0';
    text += std::to_string(s.excluded_flags[i]);
    text += ':';
    text += s.excluded_names[i];
  }
  return text;
}

}  // namespace

FileStamp StampOfFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  return {static_cast<std::int64_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

void FileCalls::Clear() {
  definitions.clear();
  sites.clear();
  names.clear();
  stamp = {};
  complete = false;
}

std::size_t FileCalls::bytes() const {
  std::size_t n = definitions.capacity() * sizeof(Definition) + sites.capacity() * sizeof(Site) +
                  names.capacity() * sizeof(std::string);
  for (const std::string& name : names) n += name.capacity() > 15 ? name.capacity() : 0;
  return n;
}

std::size_t CallIndex::Slot(std::string_view name, std::uint32_t hash) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = hash & mask;
  for (; slots_[i] != kEmptySlot; i = (i + 1) & mask) {
    if (static_cast<std::uint32_t>(slots_[i] >> 32) == hash &&
        Name(static_cast<NameId>(slots_[i])) == name)
      break;
  }
  return i;
}

void CallIndex::Rehash(std::size_t count) {
  std::vector<std::uint64_t> old(count, kEmptySlot);
  old.swap(slots_);
  const std::size_t mask = slots_.size() - 1;
  for (const std::uint64_t slot : old) {
    if (slot == kEmptySlot) continue;
    std::size_t i = (slot >> 32) & mask;
    while (slots_[i] != kEmptySlot) i = (i + 1) & mask;
    slots_[i] = slot;
  }
}

CallIndex::NameId CallIndex::Find(std::string_view name) const {
  if (slots_.empty()) return kNoName;
  const std::uint64_t slot = slots_[Slot(name, static_cast<std::uint32_t>(HashName(name)))];
  return slot == kEmptySlot ? kNoName : static_cast<NameId>(slot);
}

std::string_view CallIndex::Name(NameId id) const {
  const std::size_t begin = name_begin_[id];
  const std::size_t end = id + 1 < name_begin_.size() ? name_begin_[id + 1] : name_text_.size();
  return std::string_view(name_text_).substr(begin, end - begin);
}

CallIndex::NameId CallIndex::Intern(std::string_view name) {
  if ((name_begin_.size() + 1) * 2 > slots_.size())
    Rehash(std::max<std::size_t>(1024, slots_.size() * 2));
  const auto hash = static_cast<std::uint32_t>(HashName(name));
  const std::size_t slot = Slot(name, hash);
  if (slots_[slot] != kEmptySlot) return static_cast<NameId>(slots_[slot]);
  if (name_begin_.size() > kNameMask || name_text_.size() + name.size() > 0xFFFFFFFFu)
    return kNoName;
  const auto id = static_cast<NameId>(name_begin_.size());
  name_begin_.push_back(static_cast<std::uint32_t>(name_text_.size()));
  name_text_.append(name);
  slots_[slot] = (std::uint64_t{hash} << 32) | id;
  return id;
}

CallIndex::FileId CallIndex::FindFile(std::string_view path) const {
  const auto it = file_of_path_.find(path);
  return it == file_of_path_.end() ? static_cast<FileId>(files_.size()) : it->second;
}

std::span<const CallIndex::Definition> CallIndex::DefinitionsOf(FileId file) const {
  const File& f = files_[file];
  return std::span<const Definition>(definitions_).subspan(f.first_definition, f.definition_count);
}

std::span<const CallIndex::DefinitionId> CallIndex::DefinitionsNamed(NameId name) const {
  if (name == kNoName || name + 1 >= named_begin_.size()) return {};
  return std::span<const DefinitionId>(named_definitions_)
      .subspan(named_begin_[name], named_begin_[name + 1] - named_begin_[name]);
}

std::span<const CallIndex::Site> CallIndex::SitesAt(std::uint32_t first,
                                                    std::uint32_t count) const {
  if (count == 0) return {};
  const auto chunk = static_cast<std::size_t>(
      std::upper_bound(chunk_begin_.begin(), chunk_begin_.end(), first) - chunk_begin_.begin() - 1);
  return std::span<const Site>(site_chunks_[chunk]).subspan(first - chunk_begin_[chunk], count);
}

const CallIndex::Site& CallIndex::SiteAt(std::uint32_t position) const {
  return SitesAt(position, 1).front();
}

std::span<const CallIndex::Site> CallIndex::CallsOf(DefinitionId id) const {
  const Definition& d = definitions_[id];
  return SitesAt(d.first_site, d.site_count);
}

std::vector<CallIndex::Caller> CallIndex::CallersOf(NameId callee) const {
  std::vector<Caller> out;
  if (callee == kNoName || callee + 1 >= caller_begin_.size()) return out;
  const std::uint32_t* p = caller_sites_.data() + caller_begin_[callee];
  const std::uint32_t* const last = caller_sites_.data() + caller_begin_[callee + 1];
  // The positions ascend: the sites of one definition come together.
  while (p != last) {
    const auto at = std::upper_bound(
        definitions_.begin(), definitions_.end(), *p,
        [](std::uint32_t site, const Definition& d) { return site < d.first_site; });
    const auto def = static_cast<DefinitionId>(at - definitions_.begin() - 1);
    const std::uint32_t end = definitions_[def].first_site + definitions_[def].site_count;
    Caller& caller = out.emplace_back();
    caller.definition = def;
    const std::span<const Site> sites = CallsOf(def);
    for (; p != last && *p < end; ++p)
      caller.sites.push_back(sites[*p - definitions_[def].first_site]);
  }
  return out;
}

bool CallIndex::SameWalkSettings(const Settings& settings) const {
  return walk_settings_ == WalkSettingsText(settings);
}

bool CallIndex::Fresh(FileId file, const Settings& settings) const {
  if (file >= files_.size() || !files_[file].complete || !SameWalkSettings(settings)) return false;
  const FileStamp now = StampOfFile(files_[file].path);
  return now.size >= 0 && now == files_[file].stamp;
}

void CallIndex::Clear(const Settings& settings) {
  *this = CallIndex();
  walk_settings_ = WalkSettingsText(settings);
}

bool CallIndex::AddFile(std::string path, const FileCalls& calls) {
  std::vector<NameId> ids(calls.names.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    ids[i] = Intern(calls.names[i]);
    if (ids[i] == kNoName) return false;
  }
  file_of_path_.clear();  // its keys point into files_, which may move now
  File& f = files_.emplace_back();
  f.path = std::move(path);
  f.stamp = calls.stamp;
  f.first_definition = static_cast<DefinitionId>(definitions_.size());
  f.definition_count = static_cast<std::uint32_t>(calls.definitions.size());
  f.complete = calls.complete;
  const auto file = static_cast<FileId>(files_.size() - 1);
  const auto site_base = static_cast<std::uint32_t>(site_count_);
  for (const FileCalls::Definition& d : calls.definitions)
    definitions_.push_back(
        {ids[d.name], file, d.line, d.end_line, site_base + d.first_site, d.site_count});
  if (calls.sites.empty()) return true;
  if (site_chunks_.empty() ||
      site_chunks_.back().size() + calls.sites.size() > site_chunks_.back().capacity()) {
    site_chunks_.emplace_back().reserve(std::max(kSiteChunk, calls.sites.size()));
    chunk_begin_.push_back(static_cast<std::uint32_t>(site_count_));
  }
  site_count_ += calls.sites.size();
  std::vector<Site>& chunk = site_chunks_.back();
  for (const FileCalls::Site& s : calls.sites) {
    Site& site = chunk.emplace_back();
    site.word_ =
        ids[s.callee] | (s.listed ? kListedBit : 0) | (s.recursive ? kRecursiveBit : 0) |
        (static_cast<std::uint32_t>(std::min<std::uint16_t>(s.column, 511)) << kColumnShift);
    site.line_ = s.line;
  }
  return true;
}

namespace {

// Groups the positions 0 .. count-1 by the key key(position) in 0 .. keys-1 (a counting sort):
// begin[k] .. begin[k + 1] are the positions of key k, ascending.
template <typename Key>
void GroupBy(std::size_t count, std::size_t keys, Key key, std::vector<std::uint32_t>& positions,
             std::vector<std::uint32_t>& begin) {
  begin.assign(keys + 1, 0);
  for (std::size_t i = 0; i < count; ++i) ++begin[key(i) + 1];
  for (std::size_t k = 0; k < keys; ++k) begin[k + 1] += begin[k];
  positions.resize(count);
  std::vector<std::uint32_t> next(begin.begin(), begin.end() - 1);
  for (std::size_t i = 0; i < count; ++i) positions[next[key(i)]++] = static_cast<std::uint32_t>(i);
}

}  // namespace

void CallIndex::Finish() {
  // GroupBy asks for the keys in position order, from 0 each time: the sites' callees are read
  // a chunk at a time (no chunk is empty).
  auto callee = [this, chunk = std::size_t{0}, at = std::size_t{0}](std::size_t i) mutable {
    if (i == 0) chunk = at = 0;
    if (at == site_chunks_[chunk].size()) {
      ++chunk;
      at = 0;
    }
    return site_chunks_[chunk][at++].callee();
  };
  GroupBy(site_count_, name_begin_.size(), callee, caller_sites_, caller_begin_);
  GroupBy(
      definitions_.size(), name_begin_.size(),
      [this](std::size_t i) { return definitions_[i].name; }, named_definitions_, named_begin_);
  file_of_path_.clear();
  for (FileId f = 0; f < files_.size(); ++f) file_of_path_[files_[f].path] = f;
  if (!site_chunks_.empty()) site_chunks_.back().shrink_to_fit();
  definitions_.shrink_to_fit();
  name_text_.shrink_to_fit();
}

std::size_t CallIndex::bytes() const {
  std::size_t n = name_text_.capacity() + name_begin_.capacity() * 4 + slots_.capacity() * 8 +
                  definitions_.capacity() * sizeof(Definition) + caller_sites_.capacity() * 4 +
                  chunk_begin_.capacity() * 4 + caller_begin_.capacity() * 4 +
                  named_definitions_.capacity() * 4 + named_begin_.capacity() * 4;
  for (const std::vector<Site>& chunk : site_chunks_) n += chunk.capacity() * sizeof(Site);
  for (const File& f : files_) n += sizeof(File) + f.path.capacity();
  n += file_of_path_.size() * (sizeof(std::string_view) + sizeof(FileId) + 2 * sizeof(void*));
  return n;
}

}  // namespace kelvora
