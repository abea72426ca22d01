#include "tree/call_graph_render.h"

#include <cgraph.h>
#include <gvc.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/cp932.h"

namespace kelvora {

namespace {

// Graphviz keeps global state (its error handler, the plugin registry): one drawing at a time.
std::mutex& GraphvizLock() {
  static std::mutex lock;
  return lock;
}

// Graphviz's messages of one drawing, kept for the failure text instead of going to stderr.
std::string* g_messages = nullptr;

int CollectMessage(char* text) {
  if (g_messages && text) *g_messages += text;
  return 0;
}

struct ContextDeleter {
  void operator()(GVC_t* gvc) const { gvFreeContext(gvc); }
};

// The context with the installed plugins, made once; null when Graphviz cannot start.
GVC_t* Context() {
  static std::unique_ptr<GVC_t, ContextDeleter> gvc(gvContext());
  return gvc.get();
}

bool HasPlugin(GVC_t* gvc, const char* kind, std::string_view name) {
  int count = 0;
  char** list = gvPluginList(gvc, kind, &count, nullptr);
  bool found = false;
  for (int i = 0; i < count; ++i) {
    if (name == list[i]) found = true;
    std::free(list[i]);
  }
  std::free(list);
  return found;
}

// A label text for Graphviz: a backslash starts an escape there ("\n", "\N", ...).
std::string LabelText(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) {
    if (!out.empty()) out += "\\n";
    for (char c : line) {
      if (c == '\\') out += '\\';
      out += c;
    }
  }
  return out;
}

void Set(void* object, const char* name, const std::string& value) {
  agsafeset(object, const_cast<char*>(name), const_cast<char*>(value.c_str()),
            const_cast<char*>(""));
}

struct GraphCloser {
  void operator()(Agraph_t* g) const { agclose(g); }
};
using GraphPtr = std::unique_ptr<Agraph_t, GraphCloser>;

GraphPtr MakeGraph(const CallGraph& graph, bool comments) {
  GraphPtr g(agopen(const_cast<char*>("callgraph"), Agdirected, nullptr));
  Set(g.get(), "charset", "UTF-8");
  Set(g.get(), "fontname", kGraphFont);
  Set(g.get(), "bgcolor", "white");
  Set(g.get(), "nodesep", "0.3");
  Set(g.get(), "ranksep", "0.45");
  agattr(g.get(), AGNODE, const_cast<char*>("fontname"), const_cast<char*>(kGraphFont));
  agattr(g.get(), AGNODE, const_cast<char*>("fontsize"), const_cast<char*>("11"));
  agattr(g.get(), AGNODE, const_cast<char*>("shape"), const_cast<char*>("box"));
  agattr(g.get(), AGNODE, const_cast<char*>("style"), const_cast<char*>("rounded,filled"));
  agattr(g.get(), AGNODE, const_cast<char*>("color"), const_cast<char*>("#3a5a8c"));
  agattr(g.get(), AGNODE, const_cast<char*>("fillcolor"), const_cast<char*>("#eef3fb"));
  agattr(g.get(), AGEDGE, const_cast<char*>("color"), const_cast<char*>("#4a4a4a"));
  agattr(g.get(), AGEDGE, const_cast<char*>("arrowsize"), const_cast<char*>("0.7"));

  const std::vector<std::string> titles = GraphNodeTitles(graph);
  std::vector<Agnode_t*> nodes;
  nodes.reserve(graph.nodes.size());
  for (std::size_t i = 0; i < graph.nodes.size(); ++i) {
    const GraphNode& n = graph.nodes[i];
    Agnode_t* node = agnode(g.get(), const_cast<char*>(titles[i].c_str()), 1);
    nodes.push_back(node);
    Set(node, "id", "n" + std::to_string(i));
    Set(node, "label", LabelText(GraphNodeLabel(n, comments)));
    // The class names the kind of node in the SVG (<g class="node start">).
    if (n.start) {
      Set(node, "class", "start");
      Set(node, "fillcolor", "#ffe3a3");
      Set(node, "color", "#b35900");
      Set(node, "penwidth", "2.2");
    } else if (n.more > 0) {
      Set(node, "class", "more");
      Set(node, "shape", "plaintext");
      Set(node, "style", "");
      Set(node, "fontcolor", "#666666");
    } else if (!n.registered) {
      // A function the tree does not know (a library call): lighter.
      Set(node, "class", "unregistered");
      Set(node, "style", "rounded,dashed");
      Set(node, "color", "#a0a0a0");
      Set(node, "fontcolor", "#808080");
    }
  }
  for (std::size_t i = 0; i < graph.edges.size(); ++i) {
    const GraphEdge& e = graph.edges[i];
    Agedge_t* edge = agedge(g.get(), nodes[static_cast<std::size_t>(e.caller)],
                            nodes[static_cast<std::size_t>(e.callee)], nullptr, 1);
    Set(edge, "id", "e" + std::to_string(i));
    if (e.caller == e.callee) Set(edge, "color", "#b03030");
    if (graph.nodes[static_cast<std::size_t>(e.caller)].more > 0 ||
        graph.nodes[static_cast<std::size_t>(e.callee)].more > 0)
      Set(edge, "style", "dashed");
  }
  return g;
}

// The graph in DOT, as built (before the layout adds coordinates).
bool WriteDot(Agraph_t* g, std::string& out) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* stream = open_memstream(&buffer, &size);
  if (!stream) return false;
  const bool ok = agwrite(g, stream) == 0;
  std::fclose(stream);
  if (ok) out.assign(buffer, size);
  std::free(buffer);
  return ok;
}

bool Render(GVC_t* gvc, Agraph_t* g, const char* format, std::string& out) {
  char* data = nullptr;
  unsigned int length = 0;
  if (gvRenderData(gvc, g, format, &data, &length) != 0) {
    if (data) gvFreeRenderData(data);
    return false;
  }
  out.assign(data, length);
  gvFreeRenderData(data);
  return true;
}

}  // namespace

bool RenderCallGraph(const CallGraph& graph, bool comments, const GraphFormats& formats,
                     RenderedGraph& out, std::string& error) {
  std::lock_guard<std::mutex> hold(GraphvizLock());
  std::string messages;
  g_messages = &messages;
  agusererrf previous = agseterrf(CollectMessage);
  struct Restore {
    agusererrf previous;
    ~Restore() {
      agseterrf(previous);
      g_messages = nullptr;
    }
  } restore{previous};

  GVC_t* gvc = Context();
  if (!gvc || !HasPlugin(gvc, "layout", "dot")) {
    error =
        "Graphviz の dot レイアウトが使えません（プラグインがないか、その設定が作られていません。"
        "root で「dot -c」を実行してください）。";
    return false;
  }
  GraphPtr g = MakeGraph(graph, comments);
  if (formats.dot && !WriteDot(g.get(), out.dot)) {
    error = "DOT を書き出せませんでした。";
    return false;
  }
  if (!formats.svg && !formats.png) return true;
  if (gvLayout(gvc, g.get(), "dot") != 0) {
    error = "Graphviz の dot レイアウトに失敗しました。" + messages;
    return false;
  }
  bool ok = true;
  if (formats.svg && !Render(gvc, g.get(), "svg:svg:core", out.svg)) {
    error = "Graphviz の SVG 出力プラグイン（core）がありません。" + messages;
    ok = false;
  }
  if (ok && formats.png && !Render(gvc, g.get(), "png:cairo", out.png)) {
    error = "Graphviz の PNG 出力プラグイン（cairo、libgvc6 の libgvplugin_pango）がありません。" +
            messages;
    ok = false;
  }
  gvFreeLayout(gvc, g.get());
  return ok;
}

}  // namespace kelvora
