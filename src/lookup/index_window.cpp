#include "lookup/index_window.h"

#include "settings/settings.h"

namespace kelvora {

IndexWindowSettings ReadIndexWindowSettings(const SettingsStore& store, const Settings& settings) {
  IndexWindowSettings s;
  s.left = ReadInt(store, keys::kIndexLeft);
  s.top = ReadInt(store, keys::kIndexTop);
  s.text_color = ReadColor(store, keys::kIndexTextColor);
  s.back_color = ReadColor(store, keys::kIndexBackColor);
  s.transparency_percent = settings.raruviz_par;
  return s;
}

bool SelectIndexStart(const RegistrationList& list, const MenuLayout& layout, MenuState& state,
                      const IndexWindowSettings& settings, const IndexChooser& choose) {
  state.index_start_row = 0;
  if (!layout.index_mode) return true;
  IndexWindowModel model = BuildIndexWindow(list.index(), settings);
  std::optional<std::size_t> chosen = choose ? choose(model) : std::nullopt;
  if (!chosen || *chosen >= model.entries.size()) return false;
  state.index_start_row = static_cast<std::uint32_t>(model.entries[*chosen].row);
  return true;
}

}  // namespace kelvora
