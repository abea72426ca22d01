#include "settings/settings.h"

#include <cstdio>

#include "platform/cp932.h"
#include "platform/ui.h"
#include "platform/user_folder.h"

namespace kelvora {
namespace {

const std::string& MultiColumnText() {
  static const std::string text = DefaultText(keys::kDispType);
  return text;
}

void LoadExcludedNames(SettingsStore& store, Settings& s, Ui& ui) {
  for (int n = 1; n <= kExcludedSlots; ++n) {
    std::string name = ReadText(store, keys::kExcludedName, n);
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
  for (int n = 1; n <= kExcludedSlots; ++n)
    s.excluded_flags[n - 1] = ReadInt(store, keys::kExcludedFlag, n);
}

}  // namespace

SettingsStore SettingsStore::Default() {
  return SettingsStore(SettingsFilePath(), UserStorePath());
}

Settings::Settings()
    : func_header_str(DefaultText(keys::kFuncHeaderStr)), disp_type(MultiColumnText()) {
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
  s.debug_on = ReadInt(store, keys::kDebugOn);

  s.editor_path = ReadText(store, keys::kEditorPath);
  s.editor_option = ReadText(store, keys::kEditorOption);

  s.index_mode = ReadInt(store, keys::kIndexMode);
  s.raruviz_par = ReadInt(store, keys::kTransparency);
  s.list_data_max = ReadInt(store, keys::kDataMax);

  s.ext_src = LoadText(store, keys::kSourceExtensions);
  s.ext_header = LoadText(store, keys::kHeaderExtensions);

  s.func = ReadInt(store, keys::kFunc);
  s.structs = ReadInt(store, keys::kStruct);
  s.define = ReadInt(store, keys::kDefine);
  s.table = ReadInt(store, keys::kTable);
  s.func_prop = ReadInt(store, keys::kFuncProp);
  s.struct_prop = ReadInt(store, keys::kStructProp);

  s.func_header_str = LoadText(store, keys::kFuncHeaderStr);
  s.func_header_line = static_cast<std::uint8_t>(ReadInt(store, keys::kFuncHeaderLine));
  s.func_head_words = ReadInt(store, keys::kFuncHeadWords);
  s.preprocessor = ReadText(store, keys::kPreprocessor);
  s.char_change = ReadInt(store, keys::kCharChange);

  LoadExcludedNames(store, s, ui);

  s.brush_type = ReadInt(store, keys::kBrushType);
  s.hatch_pattern = ReadInt(store, keys::kHatchPattern);
  s.button_pattern = ReadInt(store, keys::kButtonPattern);
  s.dlg_base = ReadColor(store, keys::kDlgBase);
  s.dlg_text = ReadColor(store, keys::kDlgText);
  s.dlg_bkground = ReadColor(store, keys::kDlgBackground);
  for (int i = 0; i < kCustomColors; ++i)
    s.custom_colors[i] = ReadColor(store, keys::kCustomColor, i);

  s.disp_type = ReadText(store, keys::kDispType);
  s.disp_x_max = LoadInt(store, keys::kDispXMax);
  s.disp_y_max = LoadInt(store, keys::kDispYMax);
  s.comment_disp = ReadInt(store, keys::kCommentDisp);

  s.window_top = ReadInt(store, keys::kWindowTop);
  s.file_dlg = ReadInt(store, keys::kFileDialog);
}

}  // namespace kelvora
