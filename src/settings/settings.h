// The settings store: "Kelvora.ini" and the user store, the values every command reads, and
// Load settings with its normalisations and write-backs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/ini_file.h"
#include "platform/user_store.h"
#include "settings/settings_schema.h"

namespace kelvora {

class Ui;

constexpr int kExcludedSlots = 60;
constexpr std::size_t kExcludedNameMax = 260;
constexpr int kCustomColors = 16;

// The two stores. Profile reads and writes go to the settings file; the editor and the run
// counter go to the user store.
class SettingsStore {
 public:
  SettingsStore(std::string ini_path, std::string user_store_path)
      : ini_(std::move(ini_path)), user_(std::move(user_store_path)) {}
  // The stores at their usual places (platform/user_folder.h).
  static SettingsStore Default();

  IniFile& ini() { return ini_; }
  const IniFile& ini() const { return ini_; }
  UserStore& user() { return user_; }
  const UserStore& user() const { return user_; }
  // Both stores refuse every write from now on: reading settings then changes no file, and
  // values Load settings normalises stay in memory.
  void set_read_only() {
    ini_.set_read_only();
    user_.set_read_only();
  }

  long long ReadInt(std::string_view section, std::string_view key, long long fallback) const {
    return ini_.ReadInt(section, key, fallback);
  }
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback = {}) const {
    return ini_.ReadString(section, key, fallback);
  }
  bool WriteInt(std::string_view section, std::string_view key, long long value) {
    return ini_.WriteInt(section, key, value);
  }
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) {
    return ini_.WriteString(section, key, value);
  }

 private:
  IniFile ini_;
  UserStore user_;
};

// The values Load settings reads. Strings hold CP932 bytes as stored.
struct Settings {
  // "Debug"
  int debug_on = 0;
  // user store, "Software\Kelv\Config"
  std::string editor_path;
  std::string editor_option = "/j";
  // "Index"
  int index_mode = 0;
  // "TransparentWindow"
  int raruviz_par = 0;
  // "List"
  int list_data_max = 5000;
  // "Extention"
  std::string ext_src = "*.c;*.cpp";
  std::string ext_header = "*.h";
  // "Analysis"
  int func = 1, structs = 1, define = 1, table = 1;
  int func_prop = 0;
  int struct_prop = 0;
  std::string func_header_str;  // CP932 of "関数名|処理名|機能名" by default
  std::uint8_t func_header_line = 10;
  int func_head_words = 0;  // 0 the two-word heads, 1 heads with any number of words
  std::string preprocessor;
  int char_change = 0;
  // "UnMatch_Func"
  std::array<std::string, kExcludedSlots> excluded_names{};
  std::array<int, kExcludedSlots> excluded_flags{};
  // "Dialog" / "Color"
  int brush_type = 1;
  int hatch_pattern = 3;
  int button_pattern = 14;
  std::uint32_t dlg_base = 0x646464;
  std::uint32_t dlg_text = 0xFFFFFF;
  std::uint32_t dlg_bkground = 0;
  std::array<std::uint32_t, kCustomColors> custom_colors{};
  // "Menu"
  std::string disp_type;  // CP932 of "複数列表示" by default
  int disp_x_max = 2;
  int disp_y_max = 30;
  int comment_disp = 1;
  // "Dialog"
  int window_top = 0;
  int file_dlg = 1;

  Settings();
  // True when the menu layout is the paged multi-column one.
  bool MultiColumnMenu() const;
  // True when a slot that is on holds exactly this name.
  bool IsExcludedFunction(std::string_view name) const;
};

// Reads every value in the documented order, applies the normalisations, writes back where a
// value was normalised (disp_x_max, disp_y_max, src, header, FuncHeaderStr) and reports an
// over-long excluded name through ui. Slots of such names keep what settings held before.
void LoadSettings(SettingsStore& store, Settings& settings, Ui& ui);

// Removes "|" from the ends of a header-word list, one at a time, at most 16 times.
std::string TrimHeaderWords(std::string_view words);

}  // namespace kelvora
