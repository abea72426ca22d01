// Call graphs of tests/golden/call_graph/input.tree (shared callees, direct and indirect
// recursion, unregistered callees, two same-named functions, Japanese comments): each case's
// options in args.txt, the expected graph in expected.txt. The graph is read back from the SVG
// (titles, classes and <text> lines, not bytes: coordinates differ between Graphviz versions)
// and from the DOT through Graphviz's own parser; both must give the same text.
#include <cgraph.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>
#include <sstream>

#include "platform/scripted_ui.h"
#include "support/golden.h"
#include "support/temp_dir.h"
#include "text/regex_service.h"
#include "tree/call_graph.h"
#include "tree/call_graph_render.h"

namespace kelvora {
namespace {

namespace fs = std::filesystem;
using testing::CompareOrUpdate;
using testing::GoldenCases;
using testing::TempDir;

const fs::path kDir = fs::path(KELVORA_GOLDEN) / "call_graph";

std::string XmlText(std::string text) {
  static const std::pair<const char*, const char*> kEntities[] = {{"&#45;", "-"}, {"&gt;", ">"},
                                                                  {"&lt;", "<"},  {"&quot;", "\""},
                                                                  {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [entity, c] : kEntities) text = testing::ReplaceAllText(text, entity, c);
  return text;
}

std::string Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& l : lines) out += l + "\n";
  return out;
}

// "node TITLE [class] = line | line" and "edge CALLER->CALLEE", sorted.
std::string GraphFromSvg(const std::string& svg) {
  static const std::regex group(
      R"(<g id="[^"]*" class="(node|edge)( [a-z]+)?">\n<title>([^<]*)</title>)");
  static const std::regex text(R"(<text[^>]*>([^<]*)</text>)");
  std::vector<std::string> lines;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), group); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    if (m[1] == "edge") {
      lines.push_back("edge " + XmlText(m[3]));
      continue;
    }
    std::string line =
        "node " + XmlText(m[3]) + (m[2].matched ? " [" + m[2].str().substr(1) + "]" : "") + " =";
    const std::size_t end = svg.find("</g>", static_cast<std::size_t>(m.position(0)));
    const std::string body = svg.substr(static_cast<std::size_t>(m.position(0)),
                                        end - static_cast<std::size_t>(m.position(0)));
    std::string sep = " ";
    for (auto t = std::sregex_iterator(body.begin(), body.end(), text); t != std::sregex_iterator();
         ++t, sep = " | ")
      line += sep + XmlText((*t)[1]);
    lines.push_back(line);
  }
  return Sorted(lines);
}

std::string GraphFromDot(const std::string& dot) {
  Agraph_t* g = agmemread(dot.c_str());
  if (!g) return "unreadable DOT\n";
  std::vector<std::string> lines;
  auto attr = [](void* obj, const char* name) {
    const char* v = agget(obj, const_cast<char*>(name));
    return std::string(v ? v : "");
  };
  for (Agnode_t* n = agfstnode(g); n; n = agnxtnode(g, n)) {
    const std::string cls = attr(n, "class");
    std::string label = testing::ReplaceAllText(attr(n, "label"), "\\n", "\n");
    label = testing::ReplaceAllText(label, "\\\\", "\\");
    std::string line =
        std::string("node ") + agnameof(n) + (cls.empty() ? "" : " [" + cls + "]") + " = ";
    line += testing::ReplaceAllText(label, "\n", " | ");
    lines.push_back(line);
    for (Agedge_t* e = agfstout(g, n); e; e = agnxtout(g, e))
      lines.push_back(std::string("edge ") + agnameof(agtail(e)) + "->" + agnameof(aghead(e)));
  }
  agclose(g);
  return Sorted(lines);
}

class CallGraphGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(CallGraphGolden, SvgAndDotHoldTheExpectedGraph) {
  RegexService regex;
  ScriptedUi ui;
  TreePage page;
  ASSERT_EQ(ReadResult::Complete,
            TreeFileReader((kDir / "input.tree").string(), page, TreeSettings{}, regex, ui));
  CallGraphOptions options;
  std::string start;
  std::istringstream args(TempDir::Read(kDir / GetParam() / "args.txt"));
  for (std::string key, value; args >> key >> value;) {
    if (key == "start") start = value;
    if (key == "direction")
      options.direction = value == "callers" ? GraphDirection::Callers : GraphDirection::Callees;
    if (key == "depth") options.depth = std::stoi(value);
    if (key == "budget") options.node_budget = std::stoll(value);
    if (key == "comments") options.comments = value == "on";
  }
  std::optional<std::vector<FunctionComment>> comments;
  if (options.comments) comments = ReadGraphComments((kDir / "comments.txt").string(), regex, ui);
  const std::optional<GraphStart> from = FindGraphStart(page, start, options.direction);
  ASSERT_TRUE(from);
  const DrawnGraph drawn = DrawCallGraph(page, *from, options, comments ? &*comments : nullptr,
                                         GraphFormats{true, false, true}, ui);
  ASSERT_TRUE(drawn.ok) << ::testing::PrintToString(ui.messages());
  const std::string from_svg = GraphFromSvg(drawn.out.svg);
  EXPECT_EQ(from_svg, GraphFromDot(drawn.out.dot));
  const std::string result = drawn.build == GraphBuild::Cut
                                 ? "cut " + std::to_string(drawn.graph.left_out) + "\n"
                                 : "complete\n";
  CompareOrUpdate(kDir / GetParam() / "expected.txt", result + from_svg);
}

INSTANTIATE_TEST_SUITE_P(Cases, CallGraphGolden, ::testing::ValuesIn(GoldenCases(kDir)),
                         [](const auto& info) { return info.param; });

// Escape while the graph is built asks, and Yes stops it: nothing is drawn or written.
// An output that cannot be written is reported, and the command fails.
TEST(CallGraphCommand, EscapeCancelsAndUnwritableOutputFails) {
  RegexService regex;
  ScriptedUi ui;
  TreePage page;
  TreeFileReader((kDir / "input.tree").string(), page, TreeSettings{}, regex, ui);
  TempDir dir;
  const GraphOutputs outputs{(dir.path() / "g.svg").string(), "", ""};
  ui.EscapeAtPoll(1).Answer(kAskCancelCallGraph, true);
  EXPECT_EQ(GraphCommandResult::Cancelled,
            WriteCallGraphFiles(page, *FindGraphStart(page, "main", {}), {}, nullptr, outputs, ui));
  EXPECT_FALSE(fs::exists(outputs.svg));

  const GraphOutputs blocked{(dir.path() / "no such folder" / "g.svg").string(), "", ""};
  EXPECT_EQ(GraphCommandResult::Failed,
            WriteCallGraphFiles(page, *FindGraphStart(page, "main", {}), {}, nullptr, blocked, ui));
  ASSERT_FALSE(ui.messages().empty());
  EXPECT_NE(ui.messages().back().find("no such folder"), std::string::npos);
}

}  // namespace
}  // namespace kelvora
