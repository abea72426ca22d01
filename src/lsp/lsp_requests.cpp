// The requests of the language server over the workspace's rows, call sites and references.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "analysis/analysis_passes.h"
#include "lsp/lsp_server.h"
#include "lsp/lsp_uri.h"
#include "lsp/references.h"
#include "lsp/workspace.h"
#include "platform/cp932.h"

namespace kelvora::lsp {

namespace {

using json = nlohmann::json;

constexpr std::size_t kSymbolCap = 200;
// workspace/symbol places the name exactly within this time, the rest at their line's start.
constexpr auto kSymbolPlacingBudget = std::chrono::milliseconds(5);

int SymbolKindOf(ListKind kind) {
  switch (kind) {
    case ListKind::Function:
      return 12;  // Function
    case ListKind::Struct:
      return 23;  // Struct
    case ListKind::Define:
      return 14;  // Constant
    case ListKind::File:
      return 1;  // File
    case ListKind::Table:
      return 18;  // Array
  }
  return 13;
}

std::string KindLabel(ListKind kind) {
  switch (kind) {
    case ListKind::Function:
      return "関数";
    case ListKind::Struct:
      return "構造体";
    case ListKind::Define:
      return "#define";
    case ListKind::File:
      return "ファイル";
    case ListKind::Table:
      return "テーブル";
  }
  return {};
}

json Pos(long line0, std::size_t character) {
  return {{"line", std::max(0L, line0)}, {"character", character}};
}

// The file named by an `#include "..."` line, or empty.
std::string IncludedName(std::string_view line) {
  std::size_t i = line.find_first_not_of(" \t");
  if (i == std::string_view::npos || line[i] != '#') return {};
  i = line.find_first_not_of(" \t", i + 1);
  if (i == std::string_view::npos || line.compare(i, 7, "include") != 0) return {};
  const std::size_t open = line.find('"', i + 7);
  if (open == std::string_view::npos) return {};
  const std::size_t close = line.find('"', open + 1);
  if (close == std::string_view::npos || close == open + 1) return {};
  return std::string(line.substr(open + 1, close - open - 1));
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "dir/./a/../b.h" without its "." and ".." parts.
std::string Normalise(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out;
}

}  // namespace

bool Server::DocumentPath(const json& params, std::string& path) {
  if (!params.contains("textDocument") || !params["textDocument"].is_object()) return false;
  const json& doc = params["textDocument"];
  if (!doc.contains("uri") || !doc["uri"].is_string()) return false;
  const std::optional<std::string> p = UriToPath(doc["uri"].get<std::string>());
  if (!p) return false;
  path = *p;
  return true;
}

std::string Server::WordAt(const json& params, std::string& path, std::string* line_text) {
  if (!DocumentPath(params, path) || !params.contains("position")) return {};
  const json& pos = params["position"];
  if (!pos.is_object() || !pos.contains("line") || !pos["line"].is_number_unsigned() ||
      !pos.contains("character") || !pos["character"].is_number_unsigned())
    return {};
  const std::shared_ptr<const DecodedFile> file = texts_->Get(path);
  const std::string& line = file->Line(pos["line"].get<std::size_t>());
  if (line_text) *line_text = line;
  const std::size_t byte = ByteOfColumn(line, pos["character"].get<std::size_t>(), encoding_);
  return std::string(IdentifierAt(line, byte, nullptr));
}

json Server::PositionOf(const std::string& path, std::uint32_t line1, std::uint32_t char_index) {
  if (encoding_ == PositionEncoding::kUtf32) return Pos(static_cast<long>(line1) - 1, char_index);
  const std::shared_ptr<const DecodedFile> file = texts_->Get(path);
  const std::string& line = file->Line(line1 - 1);
  return Pos(static_cast<long>(line1) - 1,
             ColumnOfByte(line, ByteOfCharIndex(line, char_index), encoding_));
}

std::size_t Server::NameColumn(const std::string& path, std::uint32_t line1, std::string_view name,
                               std::size_t hint) {
  if (line1 == 0 || name.empty()) return 0;
  // A line as stored whose start is ASCII: the byte column is the column in every encoding.
  const std::string raw = raw_lines_->Line(path, line1 - 1);
  auto ascii_before = [&](std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
      if (static_cast<unsigned char>(raw[i]) >= 0x80) return false;
    return true;
  };
  if (hint != std::string_view::npos) {
    if (raw.compare(std::min(hint, raw.size()), name.size(), name) == 0 && ascii_before(hint))
      return hint;
  } else {
    const std::size_t at = FindWord(raw, name);
    if (at != std::string::npos && ascii_before(at)) return at;
  }
  // Else the decoded line: the occurrence that stands at the hint in CP932 (or the first).
  const std::string& text = texts_->Get(path)->Line(line1 - 1);
  const std::string utf8_name = Cp932ToUtf8Marked(name);
  std::size_t best = std::string::npos;
  for (std::size_t at = FindWord(text, utf8_name); at != std::string::npos;
       at = FindWord(text, utf8_name, at + 1)) {
    if (best == std::string::npos) best = at;
    if (hint == std::string_view::npos) break;
    if (Cp932Length(std::string_view(text).substr(0, at)) == hint) {
      best = at;
      break;
    }
  }
  return best == std::string::npos ? 0 : ColumnOfByte(text, best, encoding_);
}

json Server::NameRange(const std::string& path, std::uint32_t line1, std::string_view name,
                       std::size_t hint) {
  const std::size_t column = NameColumn(path, line1, name, hint);
  const long line0 = static_cast<long>(line1) - 1;
  return {{"start", Pos(line0, column)},
          {"end", Pos(line0, column + ColumnOfByte(Cp932ToUtf8Marked(name), std::string::npos,
                                                   encoding_))}};
}

json Server::RangeOfName(const std::string& path, long line1, const std::string& name) {
  return NameRange(path, static_cast<std::uint32_t>(std::max(1L, line1)), name);
}

json Server::RowLocation(const RowRef& row) {
  std::string path;
  long line = 1;
  workspace_->Where(row, path, line);
  return {{"uri", PathToUri(path)}, {"range", RangeOfName(path, line, workspace_->Name(row))}};
}

json Server::Definition(const json& params) {
  std::string path, line;
  const std::string word = WordAt(params, path, &line);
  json out = json::array();
  // A file named in `#include "..."`: the one beside the including file, else every one of
  // that name.
  const std::string included = IncludedName(line);
  if (!included.empty()) {
    const std::string beside = Normalise(DirectoryOf(path) + "/" + included);
    std::vector<std::string> targets;
    if (workspace_->IsRegisteredFile(beside)) {
      targets.push_back(beside);
    } else {
      const std::size_t slash = included.rfind('/');
      const std::string name = slash == std::string::npos ? included : included.substr(slash + 1);
      for (const std::string& p : workspace_->FilesNamed(name))
        if (p.ends_with("/" + included)) targets.push_back(p);
    }
    for (const std::string& t : targets)
      out.push_back({{"uri", PathToUri(t)}, {"range", {{"start", Pos(0, 0)}, {"end", Pos(0, 0)}}}});
    if (!out.empty()) return out;
  }
  if (word.empty()) return nullptr;
  for (const RowRef& row : workspace_->Exact(word)) out.push_back(RowLocation(row));
  return out.empty() ? json(nullptr) : out;
}

json Server::Hover(const json& params) {
  std::string path, line;
  const std::string word = WordAt(params, path, &line);
  if (word.empty()) return nullptr;
  const std::vector<RowRef> rows = workspace_->Exact(word);
  if (rows.empty()) return nullptr;
  std::string text;
  std::size_t shown = 0;
  for (const RowRef& row : rows) {
    if (++shown > 10) {
      text += "\n---\n(" + std::to_string(rows.size() - 10) + " more)\n";
      break;
    }
    std::string where;
    long line_no = 1;
    workspace_->Where(row, where, line_no);
    if (!text.empty()) text += "\n---\n";
    const std::string written = texts_->Get(where)->Line(static_cast<std::size_t>(line_no - 1));
    if (client_markdown_) {
      text.append("**").append(KindLabel(row.kind)).append("** `").append(word);
      text.append("`\n\n```c\n").append(written).append("\n```\n\n");
    } else {
      text.append(KindLabel(row.kind)).append(" ").append(word).append("\n\n");
      text.append(written).append("\n\n");
    }
    text += ToDisplay(where) + "(" + std::to_string(line_no) + ")\n";
    const std::string comment = workspace_->Cell(row, col::kComment);
    if (!comment.empty()) text += "\n" + Cp932ToUtf8Marked(comment) + "\n";
    if (row.kind == ListKind::Function) {
      const std::string total = workspace_->Cell(row, col::kTotalSteps);
      const std::string real = workspace_->Cell(row, col::kRealSteps);
      if (!total.empty() || !real.empty())
        text.append("\n総ステップ数 ")
            .append(total)
            .append("　実ステップ数 ")
            .append(real)
            .append("\n");
    }
  }
  std::size_t begin = 0;
  const std::size_t byte =
      ByteOfColumn(line, params["position"]["character"].get<std::size_t>(), encoding_);
  IdentifierAt(line, byte, &begin);
  const long line0 = params["position"]["line"].get<long>();
  const std::size_t column = ColumnOfByte(line, begin, encoding_);
  return {{"contents", {{"kind", client_markdown_ ? "markdown" : "plaintext"}, {"value", text}}},
          {"range", {{"start", Pos(line0, column)}, {"end", Pos(line0, column + word.size())}}}};
}

json Server::DocumentSymbol(const json& params) {
  std::string path;
  if (!DocumentPath(params, path)) return nullptr;
  json out = json::array();
  for (const RowRef& row : workspace_->RowsOfFile(path)) {
    std::string where;
    long line = 1;
    workspace_->Where(row, where, line);
    const std::string name = Cp932ToUtf8Marked(workspace_->Name(row));
    const json range = RangeOfName(path, line, workspace_->Name(row));
    if (client_hierarchical_symbols_) {
      json full = {{"start", Pos(line - 1, 0)},
                   {"end", Pos(line - 1, ColumnOfByte(texts_->Get(path)->Line(line - 1),
                                                      std::string::npos, encoding_))}};
      out.push_back({{"name", name},
                     {"detail", KindLabel(row.kind)},
                     {"kind", SymbolKindOf(row.kind)},
                     {"range", full},
                     {"selectionRange", range}});
    } else {
      out.push_back({{"name", name},
                     {"kind", SymbolKindOf(row.kind)},
                     {"location", {{"uri", PathToUri(path)}, {"range", range}}}});
    }
  }
  return out;
}

json Server::WorkspaceSymbol(const json& params) {
  const std::string query = params.value("query", "");
  bool more = false;
  const std::vector<RowRef> rows =
      workspace_->Search(Utf8ToCp932(query), kSymbolCap, &more, &current_cancelled_);
  // Up to kSymbolCap results: written as text.
  auto text = [](const std::string& s) {
    return json(s).dump(-1, ' ', false, json::error_handler_t::replace);
  };
  std::string out = "[";
  const auto started = std::chrono::steady_clock::now();
  for (const RowRef& row : rows) {
    std::string path;
    long line = 1;
    workspace_->Where(row, path, line);
    const std::string name = workspace_->Name(row);
    std::size_t begin = 0, end = 0;
    if (std::chrono::steady_clock::now() - started < kSymbolPlacingBudget) {
      const json range = RangeOfName(path, line, name);
      begin = range["start"]["character"].get<std::size_t>();
      end = range["end"]["character"].get<std::size_t>();
    }
    char where[128];
    std::snprintf(where, sizeof where,
                  R"({"start":{"line":%ld,"character":%zu},"end":{"line":%ld,"character":%zu}})",
                  std::max(0L, line - 1), begin, std::max(0L, line - 1), end);
    if (out.size() > 1) out += ',';
    out += R"({"name":)" + text(Cp932ToUtf8Marked(name)) + R"(,"kind":)" +
           std::to_string(SymbolKindOf(row.kind)) + R"(,"containerName":)" +
           text(ToDisplay(path.substr(path.rfind('/') + 1))) + R"(,"location":{"uri":)" +
           text(PathToUri(path)) + R"(,"range":)" + where + "}}";
  }
  out += ']';
  raw_result_ = std::move(out);
  return nullptr;
}

std::vector<FunctionCalls> Server::DefinitionsOfFile(const std::string& path, bool with_callees) {
  if (!calls_) return {};
  return calls_->DefinitionsOfFile(path, with_callees);
}

json Server::CallItem(const FunctionCalls& def) {
  const std::string& path = def.path;
  return {
      {"name", Cp932ToUtf8Marked(def.name)},
      {"kind", 12},
      {"detail",
       ToDisplay(path.substr(path.rfind('/') + 1)) + "(" + std::to_string(def.line) + ")"},
      {"uri", PathToUri(path)},
      // The head line up to the start of the line after the body.
      {"range", {{"start", Pos(def.line - 1, 0)}, {"end", Pos(std::max(def.end, def.line), 0)}}},
      {"selectionRange", NameRange(path, def.line, def.name)},
      {"data", {{"path", ToDisplay(path)}, {"uri", PathToUri(path)}, {"line", def.line}}}};
}

json Server::PrepareCallHierarchy(const json& params) {
  std::string path;
  const std::string word = WordAt(params, path);
  if (word.empty() || !calls_) return nullptr;
  json out = json::array();
  const long line0 = params["position"]["line"].get<long>();
  // The definition under the cursor itself.
  for (const FunctionCalls& d : DefinitionsOfFile(path, false))
    if (d.name == word && static_cast<long>(d.line) - 1 == line0) return json::array({CallItem(d)});
  // Else the definitions of that name the function-tree pass finds where the lists have them.
  const std::vector<FunctionCalls> named = calls_->DefinitionsNamed(word);
  for (const RowRef& row : workspace_->Exact(word)) {
    if (row.kind != ListKind::Function) continue;
    std::string where;
    long line = 0;
    if (!workspace_->Where(row, where, line)) continue;
    const FunctionCalls* best = nullptr;
    for (const FunctionCalls& d : named)
      if (d.path == where && (!best || std::labs(static_cast<long>(d.line) - line) <
                                           std::labs(static_cast<long>(best->line) - line)))
        best = &d;
    if (best) {
      out.push_back(CallItem(*best));
    } else {
      // A row the function-tree pass does not find as a definition: the name on its line.
      FunctionCalls alone;
      alone.path = where;
      alone.name = word;
      alone.line = alone.end = static_cast<std::uint32_t>(line);
      out.push_back(CallItem(alone));
    }
  }
  // Else any definition of that name the pass found, registered in the lists or not.
  if (out.empty())
    for (const FunctionCalls& d : named) out.push_back(CallItem(d));
  return out.empty() ? json(nullptr) : out;
}

json Server::IncomingCalls(const json& params) {
  if (!params.contains("item") || !params["item"].is_object() || !calls_) return nullptr;
  const json& item = params["item"];
  const std::string name = Utf8ToCp932(item.value("name", ""));
  // Thousands of callers for a hot function: the answer is written as text, each file's strings
  // made once (the callers of a file come together).
  auto text = [](const std::string& s) {
    return json(s).dump(-1, ' ', false, json::error_handler_t::replace);
  };
  auto range = [](const json& r) {
    char buf[128];
    std::snprintf(buf, sizeof buf,
                  R"({"start":{"line":%ld,"character":%zu},"end":{"line":%ld,"character":%zu}})",
                  r["start"]["line"].get<long>(), r["start"]["character"].get<std::size_t>(),
                  r["end"]["line"].get<long>(), r["end"]["character"].get<std::size_t>());
    return std::string(buf);
  };
  std::string out = "[";
  std::string path, uri, file_name, display;
  std::unordered_map<std::string, std::string> utf8_names;
  for (const CallSites::Caller& c : calls_->CallersOf(name, &current_cancelled_)) {
    if (Cancelled()) return nullptr;
    const FunctionCalls& d = c.definition;
    if (d.path != path) {
      path = d.path;
      uri = text(PathToUri(path));
      file_name = ToDisplay(path.substr(path.rfind('/') + 1));
      display = text(ToDisplay(path));
    }
    auto [it, fresh] = utf8_names.try_emplace(d.name);
    if (fresh) it->second = text(Cp932ToUtf8Marked(d.name));
    if (out.size() > 1) out += ',';
    char lines[160];
    std::snprintf(lines, sizeof lines,
                  R"({"start":{"line":%u,"character":0},"end":{"line":%u,"character":0}})",
                  d.line - 1, std::max(d.end, d.line));
    std::string detail = file_name;
    detail.append("(").append(std::to_string(d.line)).append(")");
    out.append(R"({"from":{"name":)")
        .append(it->second)
        .append(R"(,"kind":12,"detail":)")
        .append(text(detail))
        .append(R"(,"uri":)")
        .append(uri)
        .append(R"(,"range":)")
        .append(lines)
        .append(R"(,"selectionRange":)")
        .append(range(NameRange(path, d.line, d.name)))
        .append(R"(,"data":{"path":)")
        .append(display)
        .append(R"(,"uri":)")
        .append(uri)
        .append(R"(,"line":)")
        .append(std::to_string(d.line))
        .append(R"(}},"fromRanges":[)");
    for (std::size_t k = 0; k < c.sites.size(); ++k) {
      if (k > 0) out += ',';
      out += range(NameRange(path, c.sites[k].line, name, c.sites[k].column));
    }
    out += "]}";
  }
  out += ']';
  raw_result_ = std::move(out);
  return nullptr;
}

json Server::OutgoingCalls(const json& params) {
  if (!params.contains("item") || !params["item"].is_object() || !calls_) return nullptr;
  const json& item = params["item"];
  const std::optional<std::string> path = UriToPath(item.value("uri", ""));
  if (!path) return nullptr;
  const std::string name = Utf8ToCp932(item.value("name", ""));
  const json data = item.value("data", json::object());
  long line = data.is_object() ? data.value("line", 0L) : 0L;
  if (line <= 0 && item.contains("selectionRange"))
    line = item["selectionRange"]["start"].value("line", 0L) + 1;
  const std::vector<FunctionCalls> defs = DefinitionsOfFile(*path, true);
  const FunctionCalls* def = nullptr;
  for (const FunctionCalls& d : defs)
    if (d.name == name && (!def || static_cast<long>(d.line) == line)) def = &d;
  if (!def) return json::array();
  json out = json::array();
  for (const CalleeCalls& callee : def->callees) {
    json ranges = json::array();
    for (const CallSite& s : callee.sites)
      ranges.push_back(NameRange(*path, s.line, callee.name, s.column));
    bool any = false;
    std::vector<FunctionCalls> named;
    bool named_read = false;
    for (const RowRef& row : workspace_->Exact(callee.name)) {
      if (row.kind != ListKind::Function) continue;
      std::string where;
      long at = 0;
      if (!workspace_->Where(row, where, at)) continue;
      if (!named_read) {
        named = calls_->DefinitionsNamed(callee.name);
        named_read = true;
      }
      const FunctionCalls* target = nullptr;
      for (const FunctionCalls& d : named)
        if (d.path == where && (!target || static_cast<long>(d.line) == at)) target = &d;
      FunctionCalls alone;
      if (!target) {
        alone.path = where;
        alone.name = callee.name;
        alone.line = alone.end = static_cast<std::uint32_t>(at);
        target = &alone;
      }
      out.push_back({{"to", CallItem(*target)}, {"fromRanges", ranges}});
      any = true;
    }
    if (!any && !callee.sites.empty()) {
      // A callee the lists do not hold (a library function, a macro): shown at its first call.
      FunctionCalls at_call;
      at_call.path = *path;
      at_call.name = callee.name;
      at_call.line = at_call.end = callee.sites.front().line;
      json to = CallItem(at_call);
      to["selectionRange"] =
          NameRange(*path, at_call.line, callee.name, callee.sites.front().column);
      to["detail"] = "not registered";
      out.push_back({{"to", to}, {"fromRanges", ranges}});
    }
  }
  return out;
}

json Server::References(const json& params) {
  std::string path;
  const std::string word = WordAt(params, path);
  if (word.empty()) return nullptr;
  const bool declaration = params.contains("context") && params["context"].is_object() &&
                           params["context"].value("includeDeclaration", false);
  // Definitions of the name: left out unless asked for.
  std::vector<std::pair<std::string, long>> definitions;
  for (const RowRef& row : workspace_->Exact(word)) {
    std::string where;
    long line = 0;
    if (workspace_->Where(row, where, line)) definitions.emplace_back(where, line);
  }
  bool cancelled = false;
  const std::size_t threads = options_.threads ? options_.threads : 2;
  const std::vector<Occurrence> found =
      FindReferences(workspace_->Files(), word, *setup_, threads, current_cancelled_, &cancelled);
  if (cancelled) return nullptr;
  json out = json::array();
  for (const Occurrence& o : found) {
    const bool is_definition =
        std::find(definitions.begin(), definitions.end(),
                  std::make_pair(o.path, static_cast<long>(o.line))) != definitions.end();
    if (is_definition && !declaration) continue;
    const json start = PositionOf(o.path, o.line, o.column);
    json end = start;
    end["character"] = start["character"].get<std::size_t>() + word.size();
    out.push_back({{"uri", PathToUri(o.path)}, {"range", {{"start", start}, {"end", end}}}});
  }
  // The search threads' buffers go back to the system rather than stay in their heaps.
  ReturnFreedMemory();
  return out;
}

}  // namespace kelvora::lsp
