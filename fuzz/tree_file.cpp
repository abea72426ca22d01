// The tree-file reader (function, struct and table trees) and the lazy call tree over what it
// read. Input: a tree file's bytes. The file is read twice: without an entry limit, and with a
// DataMax below the entry count. Every callee's target is the first entry of its name or -1 when
// no entry has that name; entries are in display order; the limited read stops at DataMax.
#include <algorithm>
#include <set>

#include "fuzz_support.h"
#include "platform/scripted_ui.h"
#include "text/regex_service.h"
#include "tree/call_tree.h"
#include "tree/tree_file.h"
#include "tree/tree_text.h"

using namespace kelvora;

namespace {

// The selection window's order, written out byte by byte: letters without case, "_" just
// before the digits, a prefix first.
int Key(unsigned char c) {
  if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c - 'A' + 'a');
  return c == '_' ? 0x2F : c;
}

bool Before(std::string_view a, std::string_view b) {
  for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
    if (Key(static_cast<unsigned char>(a[i])) != Key(static_cast<unsigned char>(b[i])))
      return Key(static_cast<unsigned char>(a[i])) < Key(static_cast<unsigned char>(b[i]));
  return a.size() < b.size();
}

void CheckPage(const TreePage& page) {
  std::size_t next = 0;
  for (std::size_t e = 0; e < page.entry_count(); ++e) {
    const TreeEntry& entry = page.entries[e];
    const std::string_view text = page.EntryText(e);
    FUZZ_CHECK(!text.empty() && text.find('*') == std::string_view::npos);
    FUZZ_CHECK(page.FindEntry(text) >= 0 && page.FindEntry(text) <= static_cast<int>(e));
    FUZZ_CHECK(page.EntryText(static_cast<std::size_t>(page.FindEntry(text))) == text);
    if (e > 0) FUZZ_CHECK(!Before(text, page.EntryText(e - 1)));
    FUZZ_CHECK(entry.first_callee <= page.callees.size());
    FUZZ_CHECK(entry.callee_count <= page.callees.size() - entry.first_callee);
    next += entry.callee_count;
    for (const TreeCallee* c = page.CalleesBegin(e); c != page.CalleesEnd(e); ++c) {
      const std::string name(FirstWord(StripUnionMark(page.Text(c->text))));
      if (c->target < 0) {
        FUZZ_CHECK(c->target == -1);
        FUZZ_CHECK(name.empty() || page.FindEntry(name) == -1);
      } else {
        FUZZ_CHECK(static_cast<std::size_t>(c->target) < page.entry_count());
        FUZZ_CHECK(page.FindEntry(name) == c->target);
      }
      const auto callers = page.CallerEntries(page.Text(c->text));
      FUZZ_CHECK(std::find(callers.begin(), callers.end(), static_cast<std::int32_t>(e)) !=
                 callers.end());
    }
  }
  FUZZ_CHECK(next == page.callees.size());
  FUZZ_CHECK(page.recursions.size() <= TreePage::kRecursionMax);
  for (const std::string& r : page.recursions) FUZZ_CHECK(r.size() < TreePage::kRecursionNameMax);
}

// Walks the expansion of an entry in pre-order for a while: parents come first, depths follow
// their parents and never pass the nest limit.
void WalkCallTree(const TreePage& page, std::int32_t entry) {
  CallTree tree;
  tree.Build(page, entry, 3000);
  bool nest_limited = false;
  std::int32_t n = tree.root();
  for (int steps = 0; n != CallTree::kNone && steps < 2000; ++steps) {
    const CallNode& node = tree.node(n);
    FUZZ_CHECK(node.depth <= CallTree::kNestLimit);
    if (node.parent >= 0) {
      FUZZ_CHECK(node.parent < n);
      FUZZ_CHECK(tree.node(node.parent).depth + 1 == node.depth);
      FUZZ_CHECK(node.callee >= 0 && static_cast<std::size_t>(node.callee) < page.callees.size());
    }
    tree.Text(n);
    tree.Data(n);
    n = tree.NextPreOrder(n, nest_limited);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const RegexService regex;
  static const fuzz::ScratchFile file("tree.txt");
  file.Write(fuzz::AsText(data, size));

  ScriptedUi ui;
  TreeSettings unlimited;
  unlimited.data_max = 100000000;
  TreePage page;
  FUZZ_CHECK(TreeFileReader(file.path(), page, unlimited, regex, ui) == ReadResult::Complete);
  CheckPage(page);
  if (page.entry_count() > 0) {
    WalkCallTree(page, 0);
    WalkCallTree(page, static_cast<std::int32_t>(page.entry_count() - 1));
  }

  // DataMax: reading stops at the limit and says so; what it read is what the whole read holds.
  TreeSettings limited;
  limited.data_max = 1 + static_cast<int>(size % (page.entry_count() + 1));
  TreePage part;
  const ReadResult r = TreeFileReader(file.path(), part, limited, regex, ui);
  const std::size_t want = std::min<std::size_t>(limited.data_max, page.entry_count());
  FUZZ_CHECK(part.entry_count() == want);
  FUZZ_CHECK((r == ReadResult::EntryLimit) ==
             (page.entry_count() >= static_cast<std::size_t>(limited.data_max)));
  FUZZ_CHECK(part.kind == page.kind);
  if (r == ReadResult::Complete) FUZZ_CHECK(part.data1 == page.data1);
  CheckPage(part);
  std::set<std::pair<std::string_view, std::string_view>> whole;
  for (const TreeEntry& e : page.entries) whole.emplace(page.Text(e.text), page.Text(e.data));
  for (const TreeEntry& e : part.entries)
    FUZZ_CHECK(whole.count({part.Text(e.text), part.Text(e.data)}) == 1);
  return 0;
}
