#include "lookup/menu_commands.h"

namespace kelvora {

std::optional<ListKind> KindOfButton(int command) {
  switch (command) {
    case 1000:
      return ListKind::Function;
    case 1001:
      return ListKind::Struct;
    case 1002:
      return ListKind::Define;
    case 1006:
      return ListKind::File;
    case 1018:
      return ListKind::Table;
    default:
      return std::nullopt;
  }
}

std::optional<MenuModel> BrowseKindButton(const RegisteredData& data, ListKind kind,
                                          const MenuLayout& layout, MenuState& state,
                                          const IndexWindowSettings& index_settings,
                                          const IndexChooser& choose) {
  state.current_kind = static_cast<int>(kind);
  const RegistrationList& list = data.List(kind);
  if (!SelectIndexStart(list, layout, state, index_settings, choose)) return std::nullopt;
  MenuModel menu = BuildBrowseMenu(list, layout, state, 0);
  state.count_text = menu.count_text;
  return menu;
}

LookupOutcome SpecifyKindButton(const RegisteredData& data, ListKind kind, std::string_view word,
                                const MenuLayout& layout, MenuState& state, WordHistory& history,
                                const EditorLauncher& editor, Ui& ui, const LoweredNames* lowered) {
  state.current_kind = static_cast<int>(kind);
  history.Add(word);
  return LookupWord(data, kind, word, layout, state, editor, ui, lowered);
}

MenuCommandOutcome HandleMenuCommand(int id, const RegisteredData& data, const MenuLayout& layout,
                                     MenuState& state, const EditorLauncher& editor, Ui& ui) {
  MenuCommandOutcome outcome;
  if (state.comment_search_active) {
    outcome.result = MenuCommandResult::ForCommentSearch;
    return outcome;
  }
  if (state.current_kind >= 1 && state.current_kind <= kListCount) {
    const ListKind kind = static_cast<ListKind>(state.current_kind);
    if (id == kPreviousPageCommand || id == kNextPageCommand) {
      std::uint32_t page = state.current_page;
      if (id == kPreviousPageCommand) {
        if (page > 0) --page;
      } else {
        ++page;
      }
      outcome.menu = BuildBrowseMenu(data.List(kind), layout, state, page);
      outcome.result = MenuCommandResult::ShowMenu;
    } else if (const std::optional<std::size_t> row = RowOfCommand(id);
               row && *row < data.List(kind).RowCount()) {
      outcome.open = OpenRow(data, kind, *row, editor, ui);
      ResetMenuState(state);
      outcome.result = MenuCommandResult::Opened;
    }
    state.count_text.clear();
    return outcome;
  }
  if (state.context_menu_active) {
    outcome.result = MenuCommandResult::ForContextMenu;
    return outcome;
  }
  state.count_text.clear();
  return outcome;
}

}  // namespace kelvora
