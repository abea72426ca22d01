// IndexMode: the index window's rows and placement, and the choice of the row browsing starts at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/index_rows.h"
#include "data/registration_lists.h"
#include "lookup/menu_state.h"

namespace kelvora {

class SettingsStore;
struct Settings;

IndexWindowSettings ReadIndexWindowSettings(const SettingsStore& store, const Settings& settings);

// Shows the index window and returns the chosen entry, or nullopt when it was cancelled.
using IndexChooser = std::function<std::optional<std::size_t>(const IndexWindowModel&)>;

// IndexMode selection: sets state.index_start_row to 0, and with IndexMode on to the first row
// of the group chosen in the index window. False when the window was cancelled.
bool SelectIndexStart(const RegistrationList& list, const MenuLayout& layout, MenuState& state,
                      const IndexWindowSettings& settings, const IndexChooser& choose);

}  // namespace kelvora
