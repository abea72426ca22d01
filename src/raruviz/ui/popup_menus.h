// Qt popups of the tag jump: the one-column menu, the paged several-column browse menu and the
// index window, each rendering a core model and returning the user's choice.
#pragma once

#include <cstddef>
#include <optional>

#include "raruviz/index_window.h"
#include "raruviz/menu_model.h"

class QWidget;

namespace kelvora {

// Shows the menu at the model's screen point and waits for the choice: the chosen item's
// identifier, or kNoCommand when the menu was closed without a choice. One-column models are
// shown as a QMenu; paged models as a popup that lays the items out in columns.
int ExecMenu(const MenuModel& model, QWidget* parent);

// Shows the index window and waits: the chosen index entry, or nullopt when cancelled.
std::optional<std::size_t> ExecIndexWindow(const IndexWindowModel& model, QWidget* parent);

}  // namespace kelvora
