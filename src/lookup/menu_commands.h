// Tag-jump commands of the main window: the kind buttons in both modes and posted menu commands.
#pragma once

#include <optional>
#include <string_view>

#include "data/registration_lists.h"
#include "lookup/index_window.h"
#include "lookup/menu_model.h"
#include "lookup/menu_state.h"
#include "lookup/word_history.h"
#include "lookup/word_lookup.h"
#include "platform/editor_launch.h"

namespace kelvora {

class Ui;

// Kind button numbers: 1000, 1001, 1002, 1006, 1018 for kinds 1..5.
std::optional<ListKind> KindOfButton(int command);

// "MENU" mode: makes kind current, runs IndexMode selection and returns the browse menu of
// page 0, or nullopt when the index window was cancelled.
std::optional<MenuModel> BrowseKindButton(const RegisteredData& data, ListKind kind,
                                          const MenuLayout& layout, MenuState& state,
                                          const IndexWindowSettings& index_settings,
                                          const IndexChooser& choose);

// "指定" mode: makes kind current, adds the word (CP932) to the history and looks it up.
LookupOutcome SpecifyKindButton(const RegisteredData& data, ListKind kind, std::string_view word,
                                const MenuLayout& layout, MenuState& state, WordHistory& history,
                                const EditorLauncher& editor, Ui& ui,
                                const LoweredNames* lowered = nullptr);

enum class MenuCommandResult {
  ShowMenu,          // a page was turned: show outcome.menu
  Opened,            // a row was opened (see open) and the menu state reset
  Ignored,           // not a command of the current kind's menu
  ForCommentSearch,  // comment search is active: its own handler takes the command
  ForContextMenu,    // the context menu is active: the main window's handler takes it
};

struct MenuCommandOutcome {
  MenuCommandResult result = MenuCommandResult::Ignored;
  OpenResult open = OpenResult::NoPosition;
  MenuModel menu;
};

// A menu command posted to the main window. Page commands turn the page (not below 0) and
// rebuild the browse menu; a row identifier of a row of the list opens it (RowOfCommand). The count
// field is cleared afterwards (the page's menu carries its own count text while it is open).
MenuCommandOutcome HandleMenuCommand(int id, const RegisteredData& data, const MenuLayout& layout,
                                     MenuState& state, const EditorLauncher& editor, Ui& ui);

}  // namespace kelvora
