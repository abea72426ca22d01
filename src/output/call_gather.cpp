#include "output/call_gather.h"

#include <algorithm>

#include "analysis/analysis_run.h"
#include "settings/settings.h"

namespace kelvora {

FunctionTreeWalk::FunctionTreeWalk(const RegexService& regex, const Settings& settings)
    : cleaning_(regex),
      defs_(regex, {}, settings.func_head_words),
      macros_(settings.preprocessor),
      walker_(cleaning_, defs_, settings, {&macros_, true}) {}

void FunctionTreeWalk::Walk(LineSource& lines, FunctionWalkVisitor& visitor) {
  if (cleaning_.ok()) walker_.Walk(lines, visitor);
}

namespace {

// Where the text the cleaning removes as one piece ends, when one begins at raw[j]: a literal
// ("x", at least one byte between the quotes), a block comment (to its "*/", or to the end of
// the line when it stays open) or a line comment (at least one byte after "//"). npos when none
// begins there.
std::size_t RemovedPieceEnd(std::string_view raw, std::size_t j) {
  const char c = raw[j];
  if (c == '"') {
    const std::size_t close = j + 2 <= raw.size() ? raw.find('"', j + 2) : std::string_view::npos;
    return close == std::string_view::npos ? close : close + 1;
  }
  if (c != '/' || j + 1 >= raw.size()) return std::string_view::npos;
  if (raw[j + 1] == '*') {
    const std::size_t close = raw.find("*/", j + 2);
    return close == std::string_view::npos ? raw.size() : close + 2;
  }
  if (raw[j + 1] == '/' && j + 2 < raw.size()) return raw.size();
  return std::string_view::npos;
}

bool IsNameByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

void MapCleanedColumns(std::string_view raw, std::string_view cleaned,
                       std::vector<std::uint16_t>& columns) {
  columns.assign(cleaned.size() + 1, 0);
  std::size_t j = 0;
  for (std::size_t i = 0; i < cleaned.size(); ++i) {
    // Bytes of raw the cleaning removed are passed by a piece at a time where one begins, else
    // one at a time; a byte the cleaned text shares with the start of a piece belongs to the
    // piece unless the cleaned text holds the piece's first two bytes too.
    while (j < raw.size()) {
      const std::size_t end = RemovedPieceEnd(raw, j);
      const bool same = raw[j] == cleaned[i];
      if (end != std::string_view::npos &&
          !(same && (raw[j] == '"' || (i + 1 < cleaned.size() && cleaned[i + 1] == raw[j + 1])))) {
        j = end;
        continue;
      }
      if (same) break;
      // A line that begins inside a block comment loses everything up to its first "*/".
      if (j == 0) {
        const std::size_t close = raw.find("*/");
        if (close != std::string_view::npos) {
          j = close + 2;
          continue;
        }
      }
      ++j;
    }
    columns[i] = static_cast<std::uint16_t>(std::min(j, raw.size()));
    if (j < raw.size()) ++j;
  }
  columns[cleaned.size()] = static_cast<std::uint16_t>(std::min(j, raw.size()));
}

std::uint32_t CallGatherer::Intern(std::string_view name) {
  std::uint32_t hash = 2166136261u;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  if (slots_.empty()) slots_.assign(256, 0);
  std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  for (; slots_[at] != 0; at = (at + 1) & mask) {
    const std::uint64_t slot = slots_[at];
    const auto id = static_cast<std::uint32_t>(slot) - 1;
    if (static_cast<std::uint32_t>(slot >> 32) == hash && out_.names[id] == name) return id;
  }
  const auto id = static_cast<std::uint32_t>(out_.names.size());
  out_.names.emplace_back(name);
  slots_[at] = (std::uint64_t{hash} << 32) | (id + 1);
  // Kept at most half full.
  if (out_.names.size() * 2 > slots_.size()) {
    std::vector<std::uint64_t> old(slots_.size() * 2, 0);
    old.swap(slots_);
    mask = slots_.size() - 1;
    for (const std::uint64_t slot : old) {
      if (slot == 0) continue;
      std::size_t a = static_cast<std::uint32_t>(slot >> 32) & mask;
      while (slots_[a] != 0) a = (a + 1) & mask;
      slots_[a] = slot;
    }
  }
  return id;
}

void CallGatherer::OnDefinition(const Head& head) {
  FileCalls::Definition& d = out_.definitions.emplace_back();
  d.name = Intern(head.name);
  d.line = static_cast<std::uint32_t>(head.line);
  d.end_line = d.line;
  d.first_site = static_cast<std::uint32_t>(out_.sites.size());
}

void CallGatherer::OnCall(const Head&, const CallSite& call) {
  // A line the cleaning left whole (most of them) maps every byte to itself.
  std::size_t column = call.offset;
  if (call.cleaned.size() != call.raw.size()) {
    if (mapped_line_ != call.line) {
      MapCleanedColumns(call.raw, call.cleaned, columns_);
      mapped_line_ = call.line;
    }
    column = columns_[std::min(call.offset, columns_.size() - 1)];
  }
  // The mapping is checked against the raw text; where it missed (a removed piece that held
  // the same bytes), the first place the name stands in the line as a whole name is taken.
  auto at_name = [&](std::size_t c) {
    return call.raw.substr(c, call.callee.size()) == call.callee &&
           (c == 0 || !IsNameByte(call.raw[c - 1]) || call.callee.front() == '*');
  };
  if (!at_name(column)) {
    for (std::size_t c = call.raw.find(call.callee); c != std::string_view::npos;
         c = call.raw.find(call.callee, c + 1)) {
      if (at_name(c)) {
        column = c;
        break;
      }
    }
  }
  FileCalls::Site& site = out_.sites.emplace_back();
  site.callee = Intern(call.callee);
  site.line = static_cast<std::uint32_t>(call.line);
  site.column = static_cast<std::uint16_t>(column);
  ++out_.definitions.back().site_count;
}

void CallGatherer::OnCallee(const Head&, std::string_view, bool recursive) {
  // Comes right after the OnCall of the same call.
  out_.sites.back().listed = true;
  out_.sites.back().recursive = recursive;
}

void CallGatherer::OnBodyEnd(const Head&, long line) {
  out_.definitions.back().end_line = static_cast<std::uint32_t>(line);
}

namespace {

class TreeCallWalk : public CallWalk {
 public:
  TreeCallWalk(const RegexService& regex, const Settings& settings) : walk_(regex, settings) {}
  void Walk(LineSource& lines, FileCalls& out) override {
    out.definitions.clear();
    out.sites.clear();
    out.names.clear();
    CallGatherer gatherer(out);
    walk_.Walk(lines, gatherer);
  }

 private:
  FunctionTreeWalk walk_;
};

}  // namespace

void KeepCallIndex(AnalysisContext& ctx, CallIndex& index) {
  ctx.calls = &index;
  const RegexService* regex = &ctx.regex;
  ctx.call_walks = [regex](const Settings& settings) -> std::unique_ptr<CallWalk> {
    return std::make_unique<TreeCallWalk>(*regex, settings);
  };
}

void ReplayCalls(const CallIndex& index, CallIndex::FileId file, FunctionWalkVisitor& visitor) {
  FunctionWalkVisitor::Head head;
  const CallIndex::DefinitionId first = index.FirstDefinitionOf(file);
  const auto defs = index.DefinitionsOf(file);
  for (std::size_t k = 0; k < defs.size(); ++k) {
    const CallIndex::Definition& d = defs[k];
    head.name.assign(index.Name(d.name));
    head.line = d.line;
    visitor.OnDefinition(head);
    for (const CallIndex::Site& site :
         index.CallsOf(first + static_cast<CallIndex::DefinitionId>(k)))
      if (site.listed()) visitor.OnCallee(head, index.Name(site.callee()), site.recursive());
    visitor.OnBodyEnd(head, d.end_line);
  }
}

}  // namespace kelvora
