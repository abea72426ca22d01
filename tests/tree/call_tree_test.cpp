// The lazily made call tree against the full expansion built the described way (recursively,
// with the top-level name set, the ancestor path and the nest level), node by node.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "tree/call_tree.h"
#include "tree/tree_fixture.h"
#include "tree/tree_ops.h"

namespace kelvora {
namespace {

using testing::ReadTree;

struct EagerNode {
  std::string text, data;
  std::vector<EagerNode> children;
};

// The full expansion: ExpandIntoOutput and ExpandCallee as described, with the callees after a
// recursion listed.
class EagerBuilder {
 public:
  EagerBuilder(const TreePage& page, int data_max) : page_(page), data_max_(data_max) {
    for (std::size_t e = 0; e < page.entry_count(); ++e)
      names_.insert(std::string(page.EntryText(e)));
  }

  EagerNode Build(std::int32_t entry) {
    const TreeEntry& e = page_.entries[static_cast<std::size_t>(entry)];
    EagerNode root{std::string(page_.Text(e.text)), "1," + std::string(page_.Text(e.data)), {}};
    path_[0] = root.text;
    for (std::uint32_t i = 0; i < e.callee_count && i <= static_cast<std::uint32_t>(data_max_);
         ++i) {
      const TreeCallee& c = page_.callees[e.first_callee + i];
      level_ = 1;
      path_[1] = std::string(page_.Text(c.text));
      root.children.push_back({path_[1], "1," + std::string(page_.Text(c.data)), {}});
      ExpandCallee(StripUnionMark(path_[1]), root.children.back());
    }
    return root;
  }
  int nest_messages = 0;

 private:
  void ExpandCallee(const std::string& text, EagerNode& parent) {
    std::string name;
    if (regex_.ExtractMatch(text, "[A-Za-z0-9_]+", name) != 0 || !names_.count(name)) return;
    std::size_t found = 0;
    while (found < page_.entry_count() && page_.EntryText(found) != name) ++found;
    if (found == page_.entry_count()) return;
    ++level_;
    if (level_ == 50) {
      ++nest_messages;
      --level_;
      return;
    }
    const TreeEntry& e = page_.entries[found];
    for (std::uint32_t i = 0; i < e.callee_count; ++i) {
      const TreeCallee& c = page_.callees[e.first_callee + i];
      const std::string child(page_.Text(c.text));
      bool recursion = false;
      for (int k = 0; k < level_; ++k) recursion = recursion || path_[k] == child;
      path_[level_] = child;
      const std::string data = std::to_string(level_) + "," + std::string(page_.Text(c.data));
      if (recursion) {
        parent.children.push_back({child + kRecursionMarkCp932, data, {}});
      } else {
        parent.children.push_back({child, data, {}});
        ExpandCallee(StripUnionMark(child), parent.children.back());
      }
    }
    --level_;
  }

  const TreePage& page_;
  int data_max_;
  std::set<std::string> names_;
  std::string path_[51];
  int level_ = 0;
  RegexService regex_;
};

// Compares every node; returns the number of nodes compared.
long Compare(CallTree& lazy, std::int32_t n, const EagerNode& eager, int& limited) {
  EXPECT_EQ(lazy.Text(n), eager.text);
  EXPECT_EQ(lazy.Data(n), eager.data) << eager.text;
  if (lazy.Make(n)) ++limited;
  const std::vector<std::int32_t> children = lazy.Children(n);
  EXPECT_EQ(children.size(), eager.children.size()) << eager.text;
  EXPECT_EQ(lazy.HasChildren(n), !eager.children.empty()) << eager.text;
  long count = 1;
  for (std::size_t i = 0; i < children.size() && i < eager.children.size(); ++i) {
    // Asked before the child is made, as a view asks whether to draw its expander; at the nest
    // limit the answer is no even where the name has callees.
    EXPECT_EQ(lazy.HasChildren(children[i]), !eager.children[i].children.empty())
        << eager.children[i].text;
    count += Compare(lazy, children[i], eager.children[i], limited);
  }
  return count;
}

// A function tree with shared callees, self calls in both spellings, calls of unregistered
// names, duplicate entries, asterisks and, when deep, a chain longer than the nest limit.
std::vector<std::string> RandomTree(unsigned seed, bool deep) {
  std::mt19937 rng(seed);
  const int entries = 6 + static_cast<int>(rng() % 12);
  auto name = [](int i) { return (i % 3 == 0 ? "F" : "f") + std::to_string(i); };
  std::vector<std::string> lines{"//Data1:SEED" + std::to_string(seed), ""};
  for (int e = 0; e < entries; ++e) {
    const bool star = rng() % 7 == 0;
    lines.push_back((star ? "*" : "") + name(e) + "," + std::to_string(e) + ",9,0,/src/f.c(" +
                    std::to_string(e + 1) + ")");
    const int callees = static_cast<int>(rng() % 5);
    for (int c = 0; c < callees; ++c) {
      const int target = static_cast<int>(rng() % (entries + 3));
      const unsigned mark = rng() % 6;
      std::string text = name(target);
      if (target == e && mark < 3)
        text += "  ※再起処理";
      else if (mark == 5)
        text += "  ※再帰処理";
      lines.push_back("・ " + text + "," + (target < entries ? "1,2,0,/src/f.c(9)" : ""));
    }
    lines.push_back("");
    if (e == 2 && rng() % 2)
      lines.insert(lines.end(), {name(e) + ",dup", "・ " + name(0) + ",", ""});
  }
  if (deep) {
    lines.insert(lines.end(), {name(1) + ",deep", "・ d00,", ""});
    for (int d = 0; d < 60; ++d)
      lines.insert(lines.end(), {"d" + std::to_string(100 + d).substr(1),
                                 "・ d" + std::to_string(101 + d).substr(1) + ",", "・ f1,", ""});
  }
  return lines;
}

TEST(CallTree, LazyEqualsFullExpansionOnEveryEntry) {
  long total_nodes = 0;
  int nest_messages = 0;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    TreeSettings settings;
    settings.data_max = seed % 5 == 0 ? 2 : 3000;
    ReadTree t(RandomTree(seed, seed % 4 == 0), settings);
    for (std::size_t e = 0; e < t.page.entry_count(); ++e) {
      EagerBuilder eager(t.page, settings.data_max);
      const EagerNode full = eager.Build(static_cast<std::int32_t>(e));
      CallTree lazy;
      lazy.Build(t.page, static_cast<std::int32_t>(e), settings.data_max);
      int limited = 0;
      const long nodes = Compare(lazy, lazy.root(), full, limited);
      EXPECT_EQ(limited > 0, eager.nest_messages > 0);
      EXPECT_EQ(static_cast<std::size_t>(nodes), lazy.made_count());
      total_nodes += nodes;
      nest_messages += eager.nest_messages;
    }
  }
  // The seeds reach the nest limit and build trees of some size.
  EXPECT_GT(nest_messages, 0);
  EXPECT_GT(total_nodes, 10000);
}

TEST(CallTree, StructMembersExpandThroughUnionMarkAndKeepIt) {
  ReadTree t({"構造体", "", "//Data1:", "inner_t,0,0,0,/s.h(3),1", "・ int    a    // first", "",
              "outer_t,0,0,0,/s.h(12),8", "・ (※unionﾒﾝﾊﾞ)  inner_t    in", "・ outer_t    *next",
              ""});
  ASSERT_EQ(t.page.kind, TreeKind::Struct);
  const std::int32_t outer = t.Entry("outer_t");
  EagerBuilder eager(t.page, 3000);
  const EagerNode full = eager.Build(outer);
  CallTree lazy;
  lazy.Build(t.page, outer, 3000);
  int limited = 0;
  Compare(lazy, lazy.root(), full, limited);
  const auto members = lazy.Children(lazy.root());
  ASSERT_EQ(members.size(), 2u);
  EXPECT_EQ(t.U(lazy.Text(members[0])), "(※unionﾒﾝﾊﾞ)  inner_t    in");
  ASSERT_EQ(lazy.Children(members[0]).size(), 1u);
  EXPECT_EQ(t.U(lazy.Text(lazy.Children(members[0])[0])).substr(0, 10), "int    a  ");
  // outer_t names its own entry: listed with the mark under outer_t's expansion.
  ASSERT_EQ(lazy.Children(members[1]).size(), 2u);
  EXPECT_EQ(t.U(lazy.Text(lazy.Children(members[1])[1])).find("※再帰処理") != std::string::npos,
            true);
}

}  // namespace
}  // namespace kelvora
