#include "lookup/menu_state.h"

#include "platform/cp932.h"
#include "settings/settings.h"

namespace kelvora {

namespace {

constexpr int kSpinMax = 9999;

int SpinValue(int value) {
  return value < 1 || value > kSpinMax ? 1 : value;
}

}  // namespace

void ResetMenuState(MenuState& state) {
  state.current_kind = 0;
  state.comment_search_active = false;
  state.context_menu_active = false;
  state.index_start_row = 0;
  state.count_text.clear();
}

MenuLayout MenuLayoutFrom(const Settings& settings) {
  MenuLayout layout;
  layout.multi_column = settings.MultiColumnMenu();
  layout.rows = static_cast<std::size_t>(SpinValue(settings.disp_y_max));
  layout.columns = static_cast<std::size_t>(SpinValue(settings.disp_x_max));
  layout.comment_display = settings.comment_disp == 1;
  layout.index_mode = settings.index_mode == 1;
  return layout;
}

std::string PageSizeText(const MenuLayout& layout) {
  return std::to_string(layout.PageSize());
}

int ChangeMenuRows(int value, SettingsStore& store, Settings& settings, MenuState& state) {
  settings.disp_y_max = SpinValue(value);
  WriteValue(store, keys::kDispYMax, settings.disp_y_max);
  ResetMenuState(state);
  return settings.disp_y_max;
}

int ChangeMenuColumns(int value, SettingsStore& store, Settings& settings, MenuState& state) {
  settings.disp_x_max = SpinValue(value);
  WriteValue(store, keys::kDispXMax, settings.disp_x_max);
  ResetMenuState(state);
  return settings.disp_x_max;
}

void ChangeDisplayType(bool multi_column, SettingsStore& store, Settings& settings) {
  settings.disp_type = multi_column ? DefaultText(keys::kDispType) : Utf8ToCp932("１列表示");
  WriteText(store, keys::kDispType, settings.disp_type);
}

void ChangeCommentDisplay(bool on, SettingsStore& store, Settings& settings) {
  settings.comment_disp = on ? 1 : 0;
  WriteValue(store, keys::kCommentDisp, settings.comment_disp);
}

bool ToggleIndexMode(SettingsStore& store, Settings& settings) {
  settings.index_mode = settings.index_mode == 1 ? 0 : 1;
  WriteValue(store, keys::kIndexMode, settings.index_mode);
  return settings.index_mode == 1;
}

}  // namespace kelvora
