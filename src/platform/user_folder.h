// Where the settings file, the user store and the working files live.
#pragma once

#include <string>

#include "platform/ui.h"

namespace kelvora {

// The folder of the running program (from /proc/self/exe).
std::string ProgramDirectory();

// The user folder: $KELVORA_HOME when set, else $XDG_CONFIG_HOME/Kelv, else ~/.config/Kelv.
// The folder is created when missing.
std::string UserFolder();

// The settings folder: $KELVORA_HOME when set; else the program's folder when it is writable;
// else the user folder.
std::string SettingsFolder();

// "Kelvora.ini" in the settings folder.
std::string SettingsFilePath();

// True when the settings file can be saved: a file can be made in its folder (the file is
// replaced through a sibling). Otherwise says so once through ui, with the path and the reason
// (the settings then hold for this run only), and returns false.
bool CheckSettingsSavable(const std::string& settings_file, Ui& ui);

// "registry.ini" in the user folder: the stand-in for the current user's registry.
std::string UserStorePath();

}  // namespace kelvora
