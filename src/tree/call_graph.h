// Call graphs of a function tree: one node per function (name and position) however often it is
// reached, one edge per distinct call, built from a tree page in the callee or caller direction
// to a depth, within a node budget; the commands that draw them to files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ui.h"
#include "tree/tree_comments.h"
#include "tree/tree_file.h"

namespace kelvora {

class RegexService;
class SettingsStore;

inline constexpr QuestionId kAskCancelCallGraph = kAskCancelOnEscape;
inline constexpr QuestionId kAskOpenCallGraph{"tree.open-call-graph"};

enum class GraphDirection { Callees, Callers };

struct CallGraphOptions {
  static constexpr int kMinDepth = 1, kMaxDepth = 8, kDefaultDepth = 3;
  static constexpr long long kDefaultBudget = 300;

  GraphDirection direction = GraphDirection::Callees;
  int depth = kDefaultDepth;               // levels of callees (or callers) below the start
  long long node_budget = kDefaultBudget;  // most function nodes; the cut parts become "…" nodes
  bool comments = false;                   // labels with comments and step counts
};

// The node budget of settings key "GraphNodeBudget" (section "Tree"); outside 1-5000 gives 300.
long long LoadGraphNodeBudget(const SettingsStore& store);

struct GraphNode {
  std::string name;        // CP932, without asterisks and recursion mark
  std::string position;    // CP932 "path(line)"; empty for a function the tree does not know
  std::string real_steps;  // as the tree file writes them
  std::string total_steps;
  std::string comment;      // CP932, without "//" or "/* */"; empty when none
  bool registered = false;  // the tree file gives it function information
  bool start = false;
  long long more = 0;          // above 0: stands for that many functions the budget left out
  std::int32_t cut_from = -1;  // of a "…" node: the node whose callees (callers) were cut
  int level = 0;               // calls between it and the start
};

// Edges always point from the caller to the callee, in either direction of the walk.
struct GraphEdge {
  std::int32_t caller;
  std::int32_t callee;
  friend bool operator==(const GraphEdge&, const GraphEdge&) = default;
};

struct CallGraph {
  std::vector<GraphNode> nodes;  // nodes[0] is the start
  std::vector<GraphEdge> edges;  // in the order first met
  long long left_out = 0;        // functions the budget cut (the sum of the "…" nodes)
};

enum class GraphBuild { Complete, Cut, Cancelled };

// The function a graph starts at: its name (CP932) and function information text.
struct GraphStart {
  std::string name;
  std::string data;
};

// The start named `name` (CP932): an entry of the page; for the callers also a function that
// entries call without an entry of its own (a leaf such as a header's inline function). nullopt
// when it is neither.
std::optional<GraphStart> FindGraphStart(const TreePage& page, std::string_view name,
                                         GraphDirection direction);

// The start from the text of the item the user chose (CP932, its first name); nullopt after the
// message when there is none.
std::optional<GraphStart> GraphStartOf(const TreePage& page, std::string_view item_text,
                                       GraphDirection direction, Ui& ui);

// Builds the graph of a function tree page from the start. A node's callees come from the
// entries of its name at its position. Escape (polled while walking) asks whether to stop;
// Cancelled leaves `graph` incomplete.
GraphBuild BuildCallGraph(const TreePage& page, const GraphStart& start,
                          const CallGraphOptions& options,
                          const std::vector<FunctionComment>* comments, Ui& ui, CallGraph& graph);

// The names Graphviz gets for the nodes (they become the SVG <title>s, UTF-8): the function
// name, with " (position)" added when two nodes share the name; "… (N more)" nodes are named
// after the node they were cut from.
std::vector<std::string> GraphNodeTitles(const CallGraph& graph);

// The lines of a node's label, UTF-8.
std::vector<std::string> GraphNodeLabel(const GraphNode& node, bool comments);

// What a drawing command writes: any of the three outputs (empty paths are not written).
struct GraphOutputs {
  std::string svg, png, dot;
};

enum class GraphCommandResult { Written, Cut, Failed, Cancelled };

// Draws the graph into the files (SVG, PNG, DOT) through the Graphviz library.
// Messages go through ui; Cut when everything was written but the budget left functions out.
GraphCommandResult WriteCallGraphFiles(const TreePage& page, const GraphStart& start,
                                       const CallGraphOptions& options,
                                       const std::vector<FunctionComment>* comments,
                                       const GraphOutputs& outputs, Ui& ui);

// "コールグラフ画像出力": the save dialog (SVG, PNG or DOT by the file's extension), the drawing,
// and the offer to open the picture.
GraphCommandResult ExportCallGraph(const TreePage& page, const GraphStart& start,
                                   const CallGraphOptions& options,
                                   const std::vector<FunctionComment>* comments, Ui& ui);

// Writes one output file of a graph; false after the message when it cannot be written.
bool WriteGraphFile(const std::string& path, std::string_view bytes, Ui& ui);

// The comment file's comments, read for the labels; nullopt after the message when it cannot be
// read.
std::optional<std::vector<FunctionComment>> ReadGraphComments(const std::string& path,
                                                              const RegexService& regex, Ui& ui);

}  // namespace kelvora
