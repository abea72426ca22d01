// Qt popups of the tag jump: the one-column menu, the paged several-column browse menu and the
// index window, each rendering a core model and returning the user's choice.
#pragma once

#include <QString>
#include <cstddef>
#include <functional>
#include <optional>

#include "lookup/index_window.h"
#include "lookup/menu_model.h"

class QWidget;

namespace kelvora {

// Shows the menu at the model's screen point and waits for the choice: the chosen item's
// identifier, or kNoCommand when the menu was closed without a choice. One-column models are
// shown as a QMenu; paged models as a popup that lays the items out in columns. Items with a
// position show it as their tooltip, and highlighted, hand it to on_highlight (an empty text when
// the highlight leaves them, and once more when the menu closes).
using HighlightSink = std::function<void(const QString& position)>;
int ExecMenu(const MenuModel& model, QWidget* parent, const HighlightSink& on_highlight = {});

// Shows the index window and waits: the chosen index entry, or nullopt when cancelled.
std::optional<std::size_t> ExecIndexWindow(const IndexWindowModel& model, QWidget* parent);

}  // namespace kelvora
