// The settings the main window changes: each change is kept in Settings and stored at once.
#pragma once

#include <array>
#include <cstdint>

#include "settings/settings.h"

namespace kelvora {

// Translucency in percent, 0..90 ("TransparentWindow" RarUviz_Par).
void SetTransparency(SettingsStore& store, Settings& settings, int percent);
// "Dialog" window_top.
void SetAlwaysOnTop(SettingsStore& store, Settings& settings, bool on);

enum class DialogColor { Line, Text, Background };
// "Color" Dlg_Base, Dlg_Text or Dlg_Bkground, 0x00BBGGRR.
void SetDialogColor(SettingsStore& store, Settings& settings, DialogColor which,
                    std::uint32_t color);
// The colour dialog's 16 custom colours, "Color" CustomColor0..CustomColor15.
void SetCustomColors(SettingsStore& store, Settings& settings,
                     const std::array<std::uint32_t, kCustomColors>& colors);
void SetHatchPattern(SettingsStore& store, Settings& settings, int style);
void SetButtonPattern(SettingsStore& store, Settings& settings, int index);

// The main window's collapsed rectangle and show state ("Window": 1 normal, 2 minimised,
// 3 maximised).
struct WindowPlacement {
  long long left = 0, top = 0, right = 0, bottom = 0;
  int show = 1;
};
WindowPlacement ReadWindowPlacement(const SettingsStore& store);
void WriteWindowPlacement(SettingsStore& store, const WindowPlacement& placement);

}  // namespace kelvora
