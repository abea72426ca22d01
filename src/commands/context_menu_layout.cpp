// The context menu's order: items by identifier, rules and submenus.
#include <string>

#include "commands/registry.h"
#include "data/registration_lists.h"

namespace kelvora {
namespace {

struct MenuLine {
  enum class Type { Item, Rule, Submenu, End };
  Type type = Type::Item;
  int id = 0;                    // Item
  const char* text = nullptr;    // Submenu
  bool only_with_files = false;  // shown only while the files list has rows
};

constexpr MenuLine Item(int id) {
  return {MenuLine::Type::Item, id, nullptr, false};
}
constexpr MenuLine Rule(bool only_with_files = false) {
  return {MenuLine::Type::Rule, 0, nullptr, only_with_files};
}
constexpr MenuLine Submenu(const char* text) {
  return {MenuLine::Type::Submenu, 0, text, false};
}
constexpr MenuLine End() {
  return {MenuLine::Type::End, 0, nullptr, false};
}

// The transparency submenu's title gets the current percent.
constexpr const char* kTransparencyTitle = "半透明化　";

const MenuLine kLayout[] = {
    Item(cmd::kAnalyse),
    Rule(),
    Item(cmd::kCommentSearch),
    Item(cmd::kCommentFile),
    Item(cmd::kTextList),
    Item(cmd::kHtmlSite),
    Item(cmd::kStepCsv),
    Item(cmd::kTableCsv),
    Rule(),
    Item(cmd::kSortAllAscending),
    Item(cmd::kSortAllDescending),
    Item(cmd::kSortFirstList + 0),
    Item(cmd::kSortFirstList + 1),
    Item(cmd::kSortFirstList + 2),
    Item(cmd::kSortFirstList + 3),
    Item(cmd::kSortFirstList + 4),
    Rule(),
    Item(cmd::kDeleteAll),
    Rule(true),
    {MenuLine::Type::Item, cmd::kReanalyse, nullptr, true},
    Rule(),
    Submenu("TREE用ファイル出力 (&T)"),
    Item(cmd::kFunctionTree),
    Rule(),
    Item(cmd::kStructTree),
    Item(cmd::kTableTree),
    End(),
    Item(cmd::kTreeViewer),
    Submenu(kTransparencyTitle),
    Item(cmd::kTransparency0 + 0),
    Item(cmd::kTransparency0 + 1),
    Item(cmd::kTransparency0 + 2),
    Item(cmd::kTransparency0 + 3),
    Item(cmd::kTransparency0 + 4),
    Item(cmd::kTransparency0 + 5),
    Item(cmd::kTransparency0 + 6),
    Item(cmd::kTransparency0 + 7),
    Item(cmd::kTransparency0 + 8),
    Item(cmd::kTransparency0 + 9),
    End(),
    Rule(),
    Submenu("オマケ機能 (&O)"),
    Item(cmd::kSystemInfo),
    Item(cmd::kAsciiTable),
    Rule(),
    Item(cmd::kIfRemoval),
    Submenu("■■■ EXCEL関連 ■■■"),
    Item(cmd::kSheetFirst + 0),
    Item(cmd::kSheetFirst + 1),
    Item(cmd::kSheetFirst + 2),
    Rule(),
    Item(cmd::kSheetFirst + 3),
    Item(cmd::kSheetFirst + 4),
    Item(cmd::kSheetFirst + 5),
    End(),
    End(),
    Rule(true),
    {MenuLine::Type::Item, cmd::kGrepMenu, nullptr, true},
    Rule(),
    Item(cmd::kProperties),
    Item(cmd::kHelp),
    Item(cmd::kReadme),
    Item(cmd::kVersion),
};

ContextEntry EntryOf(const CommandRow& row, const RegisteredData& data) {
  ContextEntry e;
  e.text = std::string(row.text);
  e.id = row.id;
  e.greyed = !RuleHolds(row.enable, data);
  e.enabled = !e.greyed && static_cast<bool>(row.run);
  if (row.sort_kind != 0) {
    const RegistrationList& list = data.List(KindOfSlot(row.sort_kind - 1));
    e.text += list.sort_flag() == 1 ? "（現在：昇順⇒降順）" : "（現在：降順⇒昇順）";
    e.bitmap_kind = row.sort_kind;
  }
  return e;
}

}  // namespace

std::vector<ContextEntry> ContextMenuEntries(const RegisteredData& data, int transparency_percent) {
  const bool has_files = data.Count(ListKind::File) != 0;
  std::vector<ContextEntry> top;
  std::vector<std::vector<ContextEntry>*> open = {&top};
  for (const MenuLine& line : kLayout) {
    if (line.only_with_files && !has_files) continue;
    std::vector<ContextEntry>& into = *open.back();
    switch (line.type) {
      case MenuLine::Type::Item:
        if (const CommandRow* row = FindMainCommand(line.id)) into.push_back(EntryOf(*row, data));
        break;
      case MenuLine::Type::Rule:
        into.push_back(ContextEntry{ContextEntry::Type::Rule, {}, 0, false, false, 0, {}});
        break;
      case MenuLine::Type::Submenu: {
        ContextEntry e;
        e.type = ContextEntry::Type::Submenu;
        e.text = line.text;
        if (e.text == kTransparencyTitle)
          e.text += "（現在：" + std::to_string(transparency_percent) + "％）";
        into.push_back(std::move(e));
        open.push_back(&into.back().children);
        break;
      }
      case MenuLine::Type::End:
        open.pop_back();
        break;
    }
  }
  return top;
}

}  // namespace kelvora
