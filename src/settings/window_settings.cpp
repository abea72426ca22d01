#include "settings/window_settings.h"

namespace kelvora {

void SetTransparency(SettingsStore& store, Settings& settings, int percent) {
  settings.raruviz_par = percent;
  WriteValue(store, keys::kTransparency, percent);
}

void SetAlwaysOnTop(SettingsStore& store, Settings& settings, bool on) {
  settings.window_top = on ? 1 : 0;
  WriteValue(store, keys::kWindowTop, settings.window_top);
}

void SetDialogColor(SettingsStore& store, Settings& settings, DialogColor which,
                    std::uint32_t color) {
  switch (which) {
    case DialogColor::Line:
      settings.dlg_base = color;
      WriteValue(store, keys::kDlgBase, color);
      return;
    case DialogColor::Text:
      settings.dlg_text = color;
      WriteValue(store, keys::kDlgText, color);
      return;
    case DialogColor::Background:
      settings.dlg_bkground = color;
      WriteValue(store, keys::kDlgBackground, color);
      return;
  }
}

void SetCustomColors(SettingsStore& store, Settings& settings,
                     const std::array<std::uint32_t, kCustomColors>& colors) {
  settings.custom_colors = colors;
  for (int i = 0; i < kCustomColors; ++i)
    WriteValue(store, keys::kCustomColor, i, colors[static_cast<std::size_t>(i)]);
}

void SetHatchPattern(SettingsStore& store, Settings& settings, int style) {
  settings.hatch_pattern = style;
  WriteValue(store, keys::kHatchPattern, style);
}

void SetButtonPattern(SettingsStore& store, Settings& settings, int index) {
  settings.button_pattern = index;
  WriteValue(store, keys::kButtonPattern, index);
}

WindowPlacement ReadWindowPlacement(const SettingsStore& store) {
  WindowPlacement p;
  p.left = ReadValue(store, keys::kWindowLeft);
  p.top = ReadValue(store, keys::kWindowTopEdge);
  p.right = ReadValue(store, keys::kWindowRight);
  p.bottom = ReadValue(store, keys::kWindowBottom);
  p.show = ReadInt(store, keys::kWindowShow);
  return p;
}

void WriteWindowPlacement(SettingsStore& store, const WindowPlacement& p) {
  WriteValue(store, keys::kWindowLeft, p.left);
  WriteValue(store, keys::kWindowTopEdge, p.top);
  WriteValue(store, keys::kWindowRight, p.right);
  WriteValue(store, keys::kWindowBottom, p.bottom);
  WriteValue(store, keys::kWindowShow, p.show);
}

}  // namespace kelvora
