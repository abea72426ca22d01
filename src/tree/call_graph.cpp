#include "tree/call_graph.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "platform/cp932.h"
#include "platform/files.h"
#include "platform/output_file.h"
#include "settings/settings_schema.h"
#include "tree/tree_text.h"

namespace kelvora {

namespace {

// The four fields of a function information text: real steps, total steps, macro flag and the
// position (which may itself hold commas).
struct FunctionInfo {
  std::string_view real, total, position;
  bool registered = false;
};

FunctionInfo ParseInfo(std::string_view data) {
  FunctionInfo info;
  std::size_t a = data.find(',');
  if (a == std::string_view::npos) return info;
  std::size_t b = data.find(',', a + 1);
  if (b == std::string_view::npos) return info;
  std::size_t c = data.find(',', b + 1);
  if (c == std::string_view::npos) return info;
  info.real = data.substr(0, a);
  info.total = data.substr(a + 1, b - a - 1);
  info.position = data.substr(c + 1);
  info.registered = true;
  return info;
}

// The bare name of a callee or entry text: the recursion mark and blanks after it removed.
std::string_view BareName(std::string_view text) {
  if (std::size_t at = text.find(kRecursionMarkCp932); at != std::string_view::npos)
    text = text.substr(0, at);
  return TrimRight(text);
}

// A comment as the label shows it: without its "//" or "/* */" and the blanks around it.
std::string CommentBody(std::string_view comment) {
  if (comment.starts_with("//")) {
    comment.remove_prefix(2);
  } else if (comment.starts_with("/*")) {
    comment.remove_prefix(2);
    if (comment.ends_with("*/")) comment.remove_suffix(2);
  }
  while (!comment.empty() && (comment.front() == ' ' || comment.front() == '/'))
    comment.remove_prefix(1);
  return std::string(TrimRight(comment));
}

class GraphBuilder {
 public:
  GraphBuilder(const TreePage& page, const CallGraphOptions& options,
               const std::vector<FunctionComment>* comments, Ui& ui, CallGraph& graph)
      : page_(page), options_(options), ui_(ui), graph_(graph) {
    if (comments)
      for (const FunctionComment& c : *comments) {
        std::string_view name = c.name;
        while (!name.empty() && name.front() == '*') name.remove_prefix(1);
        comments_.emplace(std::string(name), CommentBody(c.comment));  // the first one holds
      }
  }

  GraphBuild Run(const GraphStart& from) {
    graph_ = CallGraph{};
    const std::int32_t start = NodeFor(from.name, from.data, 0, /*count=*/false);
    graph_.nodes[static_cast<std::size_t>(start)].start = true;
    queue_.push_back(start);
    while (!queue_.empty()) {
      const std::int32_t at = queue_.front();
      queue_.pop_front();
      if (graph_.nodes[static_cast<std::size_t>(at)].level >= options_.depth) continue;
      const bool go_on = options_.direction == GraphDirection::Callees ? Callees(at) : Callers(at);
      if (!go_on) return GraphBuild::Cancelled;
    }
    AddMoreNodes();
    return graph_.left_out > 0 ? GraphBuild::Cut : GraphBuild::Complete;
  }

 private:
  // The node of a function, made when new; kNone when the budget is spent (count: the new node
  // counts against the budget).
  std::int32_t NodeFor(std::string_view name, std::string_view data, int level, bool count = true) {
    const FunctionInfo info = ParseInfo(data);
    std::string key(name);
    key += '\0';
    key += info.position;
    if (auto it = index_.find(key); it != index_.end()) return it->second;
    if (count && static_cast<long long>(graph_.nodes.size()) >= options_.node_budget) return -1;
    GraphNode node;
    node.name = std::string(name);
    node.position = std::string(info.position);
    node.real_steps = std::string(info.real);
    node.total_steps = std::string(info.total);
    node.registered = info.registered;
    node.level = level;
    if (auto it = comments_.find(node.name); it != comments_.end()) node.comment = it->second;
    const auto id = static_cast<std::int32_t>(graph_.nodes.size());
    graph_.nodes.push_back(std::move(node));
    index_.emplace(std::move(key), id);
    return id;
  }

  // The entries a function's callees come from: the entries of its name (adjacent in display
  // order) at its position, all of them (a tree names every definition of a name with the first
  // one's information); else the first entry of the name.
  std::vector<std::int32_t> EntriesOf(const GraphNode& node) const {
    const std::int32_t first = page_.FindEntry(node.name);
    if (first < 0) return {};
    std::vector<std::int32_t> out;
    for (auto e = static_cast<std::size_t>(first);
         e < page_.entry_count() && page_.EntryText(e) == node.name; ++e)
      if (ParseInfo(page_.Text(page_.entries[e].data)).position == node.position)
        out.push_back(static_cast<std::int32_t>(e));
    if (out.empty()) out.push_back(first);
    return out;
  }

  void AddEdge(std::int32_t caller, std::int32_t callee) {
    const std::uint64_t key = static_cast<std::uint64_t>(static_cast<std::uint32_t>(caller)) << 32 |
                              static_cast<std::uint32_t>(callee);
    if (edges_.insert(key).second) graph_.edges.push_back({caller, callee});
  }

  // Polls Escape now and then; false when the user chose to stop.
  bool Tick() {
    if ((steps_++ & 0xFF) != 0) return true;
    ui_.SetStatus(3, "コールグラフ作成中…ノード数 " + std::to_string(graph_.nodes.size()));
    return !(ui_.PollEscape() &&
             ui_.AskYesNo(kAskCancelCallGraph,
                          "「ESCキー」が押されました。\nコールグラフの作成を中断しますか？　\n",
                          Ui::kTreeCaption));
  }

  bool Callees(std::int32_t at) {
    const int level = graph_.nodes[static_cast<std::size_t>(at)].level + 1;
    for (const std::int32_t e : EntriesOf(graph_.nodes[static_cast<std::size_t>(at)])) {
      const auto entry = static_cast<std::size_t>(e);
      for (const TreeCallee* c = page_.CalleesBegin(entry); c != page_.CalleesEnd(entry); ++c) {
        if (!Tick()) return false;
        const std::string_view name = BareName(page_.Text(c->text));
        if (name.empty()) continue;
        const std::size_t before = graph_.nodes.size();
        const std::int32_t callee = NodeFor(name, page_.Text(c->data), level);
        if (callee < 0) {
          ++cut_[at];
          continue;
        }
        AddEdge(at, callee);
        if (graph_.nodes.size() > before) queue_.push_back(callee);
      }
    }
    return true;
  }

  bool Callers(std::int32_t at) {
    const GraphNode& self = graph_.nodes[static_cast<std::size_t>(at)];
    const std::string name = self.name;
    const std::string position = self.position;
    const int level = self.level + 1;
    for (const std::string& text : {name, name + kRecursionMarkCp932}) {
      for (std::int32_t e : page_.CallerEntries(text)) {
        if (!Tick()) return false;
        const auto entry = static_cast<std::size_t>(e);
        // The caller's call must name this function (same position), not a same-named one.
        bool calls_this = false;
        for (const TreeCallee* c = page_.CalleesBegin(entry); c != page_.CalleesEnd(entry); ++c)
          if (page_.Text(c->text) == text &&
              ParseInfo(page_.Text(c->data)).position == std::string_view(position))
            calls_this = true;
        if (!calls_this) continue;
        const std::size_t before = graph_.nodes.size();
        const std::int32_t caller =
            NodeFor(BareName(page_.EntryText(entry)), page_.Text(page_.entries[entry].data), level);
        if (caller < 0) {
          ++cut_[at];
          continue;
        }
        AddEdge(caller, at);
        if (graph_.nodes.size() > before) queue_.push_back(caller);
      }
    }
    return true;
  }

  // One "…(N more)" node per node whose callees (callers) the budget cut.
  void AddMoreNodes() {
    std::vector<std::pair<std::int32_t, long long>> cut(cut_.begin(), cut_.end());
    std::sort(cut.begin(), cut.end());
    for (const auto& [parent, count] : cut) {
      GraphNode more;
      more.more = count;
      more.cut_from = parent;
      more.level = graph_.nodes[static_cast<std::size_t>(parent)].level + 1;
      const auto id = static_cast<std::int32_t>(graph_.nodes.size());
      graph_.nodes.push_back(std::move(more));
      if (options_.direction == GraphDirection::Callees)
        graph_.edges.push_back({parent, id});
      else
        graph_.edges.push_back({id, parent});
      graph_.left_out += count;
    }
  }

  const TreePage& page_;
  const CallGraphOptions& options_;
  Ui& ui_;
  CallGraph& graph_;
  std::unordered_map<std::string, std::string> comments_;
  std::unordered_map<std::string, std::int32_t> index_;
  std::unordered_set<std::uint64_t> edges_;
  std::unordered_map<std::int32_t, long long> cut_;
  std::deque<std::int32_t> queue_;
  long long steps_ = 0;
};

}  // namespace

long long LoadGraphNodeBudget(const SettingsStore& store) {
  return ReadValue(store, keys::kGraphNodeBudget);
}

GraphBuild BuildCallGraph(const TreePage& page, const GraphStart& start,
                          const CallGraphOptions& options,
                          const std::vector<FunctionComment>* comments, Ui& ui, CallGraph& graph) {
  return GraphBuilder(page, options, comments, ui, graph).Run(start);
}

std::vector<std::string> GraphNodeTitles(const CallGraph& graph) {
  std::unordered_map<std::string, int> uses;
  for (const GraphNode& n : graph.nodes)
    if (n.more == 0) ++uses[n.name];
  std::vector<std::string> titles;
  titles.reserve(graph.nodes.size());
  for (const GraphNode& n : graph.nodes) {
    std::string title = ToDisplay(n.name);
    if (n.more == 0 && uses[n.name] > 1 && !n.position.empty())
      title += " (" + ToDisplay(n.position) + ")";
    titles.push_back(std::move(title));
  }
  // A "…" node is named after the node it was cut from, whose title is unique already.
  for (std::size_t i = 0; i < graph.nodes.size(); ++i)
    if (graph.nodes[i].more > 0)
      titles[i] = titles[static_cast<std::size_t>(graph.nodes[i].cut_from)] + " …(" +
                  std::to_string(graph.nodes[i].more) + " more)";
  return titles;
}

std::vector<std::string> GraphNodeLabel(const GraphNode& node, bool comments) {
  if (node.more > 0) return {"…(" + std::to_string(node.more) + " more)"};
  std::vector<std::string> lines{ToDisplay(node.name)};
  if (!comments) return lines;
  if (!node.comment.empty()) lines.push_back(Cp932ToUtf8(node.comment));
  if (node.registered)
    lines.push_back("実/総 " + ToDisplay(node.real_steps) + " / " + ToDisplay(node.total_steps));
  return lines;
}

std::optional<GraphStart> FindGraphStart(const TreePage& page, std::string_view name,
                                         GraphDirection direction) {
  if (const std::int32_t entry = page.FindEntry(name); entry >= 0)
    return GraphStart{std::string(name),
                      std::string(page.Text(page.entries[static_cast<std::size_t>(entry)].data))};
  if (direction == GraphDirection::Callers)
    for (const std::string& text : {std::string(name), std::string(name) + kRecursionMarkCp932})
      for (std::int32_t e : page.CallerEntries(text))
        for (const TreeCallee* c = page.CalleesBegin(static_cast<std::size_t>(e));
             c != page.CalleesEnd(static_cast<std::size_t>(e)); ++c)
          if (page.Text(c->text) == text)
            return GraphStart{std::string(name), std::string(page.Text(c->data))};
  return std::nullopt;
}

std::optional<GraphStart> GraphStartOf(const TreePage& page, std::string_view item_text,
                                       GraphDirection direction, Ui& ui) {
  if (page.entry_count() == 0) {
    ui.Message("「選択Window」にデータがありません！　", Ui::kTreeCaption, MsgIcon::Warning);
    return std::nullopt;
  }
  const std::string text = StripUnionMark(item_text);
  const std::string_view name = FirstWord(text);
  std::optional<GraphStart> start;
  if (!name.empty()) start = FindGraphStart(page, name, direction);
  if (!start)
    ui.Message("【 " + ToDisplay(name.empty() ? item_text : name) +
                   (direction == GraphDirection::Callers
                        ? " 】を呼び出す関数がないため、コールグラフを作れません。　"
                        : " 】は選択Windowの項目にないため、コールグラフを作れません。　"),
               Ui::kTreeCaption, MsgIcon::Warning);
  return start;
}

bool WriteGraphFile(const std::string& path, std::string_view bytes, Ui& ui) {
  // The one output writer: the old picture stays whole until the new one is complete.
  OutputFile out(path);
  if (out.is_open()) out.Write(bytes);
  if (out.is_open() && out.Commit()) return true;
  ui.Message(out.message(), Ui::kTreeCaption, MsgIcon::Error);
  return false;
}

}  // namespace kelvora
