// Call graphs laid out by the Graphviz library (cgraph and gvc, the dot layout) and rendered to
// SVG, PNG or DOT in memory; no program is started.
#pragma once

#include <string>

#include "tree/call_graph.h"

namespace kelvora {

struct GraphFormats {
  bool svg = false, png = false, dot = false;
};

struct RenderedGraph {
  std::string svg, png, dot;
};

// The font family of every label; fontconfig finds it (package fonts-ipafont-gothic).
inline constexpr const char* kGraphFont = "IPAGothic";

// Lays the graph out once and renders the asked formats (DOT is the graph before layout, without
// coordinates). False with a UTF-8 reason in `error` when Graphviz cannot do it (a plugin or
// its configuration missing).
bool RenderCallGraph(const CallGraph& graph, bool comments, const GraphFormats& formats,
                     RenderedGraph& out, std::string& error);

struct DrawnGraph {
  CallGraph graph;
  RenderedGraph out;
  GraphBuild build = GraphBuild::Complete;
  bool ok = false;  // built and rendered (false after the message, or when cancelled)
};

// Builds the graph and renders it with the wait cursor; the layout runs on a worker thread while
// Escape is polled (which serves the window), and Escape cancels either step.
DrawnGraph DrawCallGraph(const TreePage& page, const GraphStart& start,
                         const CallGraphOptions& options,
                         const std::vector<FunctionComment>* comments, const GraphFormats& formats,
                         Ui& ui);

}  // namespace kelvora
