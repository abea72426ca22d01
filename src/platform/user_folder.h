// Where the settings file, the user store and the working files live.
#pragma once

#include <string>

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

// "registry.ini" in the user folder: the stand-in for the current user's registry.
std::string UserStorePath();

}  // namespace kelvora
