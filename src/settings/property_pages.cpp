// "解析関連(1)", "解析関連(2)", "排除関数", "出力関連" and "IndexMode関連".
#include "settings/property_pages.h"

#include <algorithm>

#include "platform/ui.h"

namespace kelvora {

AnalysisPage ReadAnalysisPage(SettingsStore& store) {
  AnalysisPage page;
  page.src = LoadText(store, keys::kSourceExtensions);
  page.header = LoadText(store, keys::kHeaderExtensions);
  page.func = ReadInt(store, keys::kFunc);
  page.structs = ReadInt(store, keys::kStruct);
  page.define = ReadInt(store, keys::kDefine);
  page.table = ReadInt(store, keys::kTable);
  page.func_prop = ReadInt(store, keys::kFuncProp);
  page.struct_prop = ReadInt(store, keys::kStructProp);
  // The page shows the words as stored; loading is what trims them.
  page.func_header_str = store.ReadString(keys::kFuncHeaderStr.section, keys::kFuncHeaderStr.key,
                                          DefaultText(keys::kFuncHeaderStr));
  // The store keeps the count in one byte; the spin field cannot show more than 200.
  page.func_header_line = std::min(ReadInt(store, keys::kFuncHeaderLine), kHeaderLineMax);
  page.func_head_words = ReadInt(store, keys::kFuncHeadWords);
  return page;
}

void WriteAnalysisPage(const AnalysisPage& page, SettingsStore& store) {
  WriteText(store, keys::kSourceExtensions, page.src);
  WriteText(store, keys::kHeaderExtensions, page.header);
  WriteValue(store, keys::kFunc, page.func == 1 ? 1 : 0);
  WriteValue(store, keys::kStruct, page.structs == 1 ? 1 : 0);
  WriteValue(store, keys::kDefine, page.define == 1 ? 1 : 0);
  WriteValue(store, keys::kTable, page.table == 1 ? 1 : 0);
  WriteValue(store, keys::kFuncProp, page.func_prop);
  WriteValue(store, keys::kStructProp, page.struct_prop);
  WriteText(store, keys::kFuncHeaderStr, page.func_header_str);
  WriteValue(store, keys::kFuncHeaderLine,
             std::clamp(page.func_header_line, kHeaderLineMin, kHeaderLineMax));
  WriteValue(store, keys::kFuncHeadWords, page.func_head_words == 1 ? 1 : 0);
}

std::string HeaderWordsHelpText() {
  return "■ 取得条件文字について ■　\n\n"
         "関数定義の前にあるコメント行（取得範囲に指定した行数まで遡ります）の中から、\n"
         "取得条件文字にマッチした行を、その関数のコメントとして取得します。\n"
         "取得条件文字は正規表現として扱われます。複数指定する場合は\"|\"で区切って下さい。\n"
         "　※例）　関数名|処理名|機能名\n\n"
         "■ 主な正規表現のメタキャラクタ ■　\n\n"
         "　.　　　任意の１文字\n"
         "　*　　　直前の文字の０回以上の繰り返し\n"
         "　+　　　直前の文字の１回以上の繰り返し\n"
         "　?　　　直前の文字が０回または１回\n"
         "　^　　　行の先頭\n"
         "　$　　　行の末尾\n"
         "　[ ]　　括弧内のいずれか１文字（[^ ]はそれ以外の１文字）\n"
         "　|　　　いずれかにマッチ（区切り）\n"
         "　( )　　グループ化\n"
         "　\\　　　直後のメタキャラクタを通常の文字として扱う（例：\\.　\\|　\\(）\n\n"
         "　※メタキャラクタを文字として検索する場合は、直前に\\を付けて下さい。　";
}

PreprocessorPage ReadPreprocessorPage(const SettingsStore& store) {
  PreprocessorPage page;
  page.preprocessor = ReadText(store, keys::kPreprocessor);
  page.char_change = ReadInt(store, keys::kCharChange);
  return page;
}

void WritePreprocessorPage(const PreprocessorPage& page, SettingsStore& store) {
  WriteText(store, keys::kPreprocessor, page.preprocessor);
  WriteValue(store, keys::kCharChange,
             page.char_change >= 0 && page.char_change <= 2 ? page.char_change : 0);
}

ExcludedPage ReadExcludedPage(const SettingsStore& store) {
  ExcludedPage page;
  for (int n = 1; n <= kExcludedSlots; ++n) {
    page.names[n - 1] = ReadText(store, keys::kExcludedName, n);
    page.flags[n - 1] = ReadInt(store, keys::kExcludedFlag, n) == 1;
  }
  return page;
}

bool ClearExcludedPage(ExcludedPage& page, Ui& ui) {
  if (!ui.AskYesNo(kAskClearExcluded, "全てクリアしてもよろしいですか？　", Ui::kCaption))
    return false;
  page.names.fill(std::string());
  page.flags.fill(false);
  return true;
}

void WriteExcludedPage(const ExcludedPage& page, SettingsStore& store) {
  for (int n = 1; n <= kExcludedSlots; ++n)
    WriteText(store, keys::kExcludedName, n, page.names[n - 1]);
  for (int n = 1; n <= kExcludedSlots; ++n)
    WriteValue(store, keys::kExcludedFlag, n, page.flags[n - 1] ? 1 : 0);
}

int OutputPage::NestMask() const {
  int mask = 0;
  for (int level = 1; level <= kNestLevels; ++level)
    if (nest_levels[level - 1]) mask |= 1 << (level - 1);
  return mask;
}

OutputPage ReadOutputPage(const SettingsStore& store) {
  OutputPage page;
  const long long mask = ReadValue(store, keys::kNestLevelText);
  for (int level = 1; level <= kNestLevels; ++level)
    page.nest_levels[level - 1] = (mask >> (level - 1) & 1) != 0;
  page.space = ReadInt(store, keys::kSpace);
  page.struct_space = ReadInt(store, keys::kStructSpace);
  page.table_space = ReadInt(store, keys::kTableSpace);
  page.graph_node_budget = ReadInt(store, keys::kGraphNodeBudget);
  return page;
}

void WriteOutputPage(const OutputPage& page, SettingsStore& store) {
  WriteValue(store, keys::kNestLevelText, page.NestMask());
  WriteValue(store, keys::kSpace, page.space);
  WriteValue(store, keys::kStructSpace, page.struct_space);
  WriteValue(store, keys::kTableSpace, page.table_space);
  WriteValue(store, keys::kGraphNodeBudget, page.graph_node_budget);
}

IndexPage ReadIndexPage(const SettingsStore& store, int desktop_width, int desktop_height) {
  IndexPage page;
  page.text_color = ReadColor(store, keys::kIndexTextColor);
  page.back_color = ReadColor(store, keys::kIndexBackColor);
  page.left = std::clamp(ReadInt(store, keys::kIndexLeft), 0, std::max(desktop_width, 0));
  page.top = std::clamp(ReadInt(store, keys::kIndexTop), 0, std::max(desktop_height, 0));
  return page;
}

void WriteIndexPage(const IndexPage& page, SettingsStore& store) {
  WriteValue(store, keys::kIndexTextColor, page.text_color);
  WriteValue(store, keys::kIndexBackColor, page.back_color);
  WriteValue(store, keys::kIndexLeft, page.left);
  WriteValue(store, keys::kIndexTop, page.top);
}

std::array<std::uint32_t, kCustomColors> ReadCustomColors(const SettingsStore& store) {
  std::array<std::uint32_t, kCustomColors> colors{};
  for (int i = 0; i < kCustomColors; ++i) colors[i] = ReadColor(store, keys::kCustomColor, i);
  return colors;
}

void WriteCustomColors(const std::array<std::uint32_t, kCustomColors>& colors,
                       SettingsStore& store) {
  for (int i = 0; i < kCustomColors; ++i) WriteValue(store, keys::kCustomColor, i, colors[i]);
}

}  // namespace kelvora
