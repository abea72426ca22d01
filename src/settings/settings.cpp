#include "settings/settings.h"

#include <cstdio>

#include "platform/cp932.h"
#include "platform/ui.h"
#include "platform/user_folder.h"

namespace kelvora {
namespace {

const std::string& MultiColumnText() {
  static const std::string text = Utf8ToCp932("複数列表示");
  return text;
}

int ToInt(long long v) {
  if (v > 2147483647LL) return 2147483647;
  if (v < -2147483647LL - 1) return -2147483647 - 1;
  return static_cast<int>(v);
}

// Colours are stored as one decimal integer in the 0x00BBGGRR layout.
std::uint32_t ToColor(long long v) {
  return static_cast<std::uint32_t>(v & 0xFFFFFFFFLL);
}

// An empty extension list takes its default, which is written back.
std::string ReadExtensions(SettingsStore& store, std::string_view key, std::string_view fallback) {
  std::string value = store.ReadString("Extention", key);
  if (value.empty()) {
    value = std::string(fallback);
    store.WriteString("Extention", key, value);
  }
  return value;
}

// 0 (and, as no layout can use it, a negative count) takes its default, which is written back.
int ReadMenuCount(SettingsStore& store, std::string_view key, int fallback) {
  int value = ToInt(store.ReadInt("Menu", key, 0));
  if (value <= 0) {
    value = fallback;
    store.WriteInt("Menu", key, value);
  }
  return value;
}

// 0, 1 or 2: anything else becomes 0.
int ReadChoiceOf3(SettingsStore& store, std::string_view key) {
  int value = ToInt(store.ReadInt("Analysis", key, 0));
  return value < 0 || value > 2 ? 0 : value;
}

void LoadExcludedNames(SettingsStore& store, Settings& s, Ui& ui) {
  char key[32];
  for (int n = 1; n <= kExcludedSlots; ++n) {
    std::snprintf(key, sizeof key, "Func%d", n);
    std::string name = store.ReadString("UnMatch_Func", key);
    if (name.size() > kExcludedNameMax) {
      char text[256];
      std::snprintf(text, sizeof text,
                    "排他関数名で指定できる最大文字数は、%dです。\n%d番目は無効とします。",
                    static_cast<int>(kExcludedNameMax), n);
      ui.Message(text, Ui::kCaption, MsgIcon::Warning);
      continue;
    }
    s.excluded_names[n - 1] = std::move(name);
  }
  for (int n = 1; n <= kExcludedSlots; ++n) {
    std::snprintf(key, sizeof key, "Flag_Func%d", n);
    s.excluded_flags[n - 1] = ToInt(store.ReadInt("UnMatch_Func", key, 0));
  }
}

}  // namespace

SettingsStore SettingsStore::Default() {
  return SettingsStore(SettingsFilePath(), UserStorePath());
}

Settings::Settings()
    : func_header_str(Utf8ToCp932("関数名|処理名|機能名")), disp_type(MultiColumnText()) {
  custom_colors.fill(0xFFFFFF);
}

bool Settings::MultiColumnMenu() const {
  return disp_type == MultiColumnText();
}

bool Settings::IsExcludedFunction(std::string_view name) const {
  if (name.empty()) return false;
  for (int i = 0; i < kExcludedSlots; ++i)
    if (excluded_flags[i] == 1 && excluded_names[i] == name) return true;
  return false;
}

std::string TrimHeaderWords(std::string_view words) {
  std::string text(words);
  for (int round = 0; round < 16; ++round) {
    // A final 0x7C that is the second byte of a double-byte character (ポ is 0x83 0x7C) is no "|".
    bool ends_with_bar = !text.empty() && text.back() == '|' &&
                         Cp932SafeCut(text, text.size() - 1) == text.size() - 1;
    if (ends_with_bar)
      text.pop_back();
    else if (!text.empty() && text.front() == '|')
      text.erase(0, 1);
    else
      break;
  }
  return text;
}

void LoadSettings(SettingsStore& store, Settings& s, Ui& ui) {
  s.debug_on = ToInt(store.ReadInt("Debug", "ON", 0));

  s.editor_path = store.user().ReadStringValue(kConfigKey, "EditorPath").value_or(std::string());
  s.editor_option =
      store.user().ReadStringValue(kConfigKey, "EditorOption").value_or(std::string());
  if (s.editor_option.empty()) s.editor_option = "/j";

  s.index_mode = ToInt(store.ReadInt("Index", "Mode", 0));
  if (s.index_mode != 0 && s.index_mode != 1) s.index_mode = 0;

  s.raruviz_par = ToInt(store.ReadInt("TransparentWindow", "RarUviz_Par", 0));
  if (s.raruviz_par > 90 || s.raruviz_par < 0) s.raruviz_par = 0;

  s.list_data_max = ToInt(store.ReadInt("List", "DataMax", 5000));

  s.ext_src = ReadExtensions(store, "src", "*.c;*.cpp");
  s.ext_header = ReadExtensions(store, "header", "*.h");

  auto on_off = [&](std::string_view key) {
    return store.ReadInt("Analysis", key, 1) == 1 ? 1 : 0;
  };
  s.func = on_off("func");
  s.structs = on_off("struct");
  s.define = on_off("define");
  s.table = on_off("table");
  s.func_prop = ReadChoiceOf3(store, "func_prop");
  s.struct_prop = ReadChoiceOf3(store, "struct_prop");

  std::string header_words =
      store.ReadString("Analysis", "FuncHeaderStr", Settings().func_header_str);
  s.func_header_str = TrimHeaderWords(header_words);
  if (s.func_header_str != header_words)
    store.WriteString("Analysis", "FuncHeaderStr", s.func_header_str);
  s.func_header_line =
      static_cast<std::uint8_t>(store.ReadInt("Analysis", "FuncHeaderLine", 10) & 0xFF);
  s.preprocessor = store.ReadString("Analysis", "Preprocessor");
  s.char_change = ToInt(store.ReadInt("Analysis", "CharChange", 0));

  LoadExcludedNames(store, s, ui);

  s.brush_type = ToInt(store.ReadInt("Dialog", "Brush_type", 1));
  s.hatch_pattern = ToInt(store.ReadInt("Color", "Hatch_Pattern", 3));
  s.button_pattern = ToInt(store.ReadInt("Color", "Button_Pattern", 14));
  s.dlg_base = ToColor(store.ReadInt("Color", "Dlg_Base", 0x646464));
  s.dlg_text = ToColor(store.ReadInt("Color", "Dlg_Text", 0xFFFFFF));
  s.dlg_bkground = ToColor(store.ReadInt("Color", "Dlg_Bkground", 0));
  char key[32];
  for (int i = 0; i < kCustomColors; ++i) {
    std::snprintf(key, sizeof key, "CustomColor%d", i);
    s.custom_colors[i] = ToColor(store.ReadInt("Color", key, 0xFFFFFF));
  }

  s.disp_type = store.ReadString("Menu", "disp_type", MultiColumnText());
  s.disp_x_max = ReadMenuCount(store, "disp_x_max", 2);
  s.disp_y_max = ReadMenuCount(store, "disp_y_max", 30);
  s.comment_disp = ToInt(store.ReadInt("Menu", "comment_disp", 1));

  s.window_top = ToInt(store.ReadInt("Dialog", "window_top", 0));
  s.file_dlg = ToInt(store.ReadInt("Dialog", "fileDLG", 1));
  if (s.file_dlg < 1 || s.file_dlg > 2) s.file_dlg = 1;
}

}  // namespace kelvora
