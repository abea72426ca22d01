// "解析関連(1)", "解析関連(2)", "排除関数", "出力関連" and "IndexMode関連".
#include "settings/property_pages.h"

#include <algorithm>

#include "platform/ui.h"

namespace kelvora {
namespace {

int ToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, -2147483647LL - 1, 2147483647LL));
}

std::uint32_t ToColor(long long v) {
  return static_cast<std::uint32_t>(v & 0xFFFFFFFFLL);
}

std::string Numbered(const char* prefix, int n) {
  return prefix + std::to_string(n);
}

std::string ReadExtensions(SettingsStore& store, std::string_view key, std::string_view fallback) {
  std::string value = store.ReadString("Extention", key);
  if (value.empty()) {
    value = std::string(fallback);
    store.WriteString("Extention", key, value);
  }
  return value;
}

int ReadChoiceOf3(const SettingsStore& store, std::string_view key) {
  const long long value = store.ReadInt("Analysis", key, 0);
  return value < 0 || value > 2 ? 0 : static_cast<int>(value);
}

int ReadSpace(const SettingsStore& store, std::string_view key, int fallback) {
  const long long value = store.ReadInt("Tree", key, fallback);
  return value < kSpaceMin || value > kSpaceMax ? fallback : static_cast<int>(value);
}

}  // namespace

AnalysisPage ReadAnalysisPage(SettingsStore& store) {
  AnalysisPage page;
  page.src = ReadExtensions(store, "src", "*.c;*.cpp");
  page.header = ReadExtensions(store, "header", "*.h");
  auto on_off = [&store](std::string_view key) {
    return store.ReadInt("Analysis", key, 1) == 1 ? 1 : 0;
  };
  page.func = on_off("func");
  page.structs = on_off("struct");
  page.define = on_off("define");
  page.table = on_off("table");
  page.func_prop = ReadChoiceOf3(store, "func_prop");
  page.struct_prop = ReadChoiceOf3(store, "struct_prop");
  page.func_header_str = store.ReadString("Analysis", "FuncHeaderStr", Settings().func_header_str);
  // The store keeps the count in one byte; the spin field cannot show more than 200.
  page.func_header_line = std::min(
      static_cast<int>(store.ReadInt("Analysis", "FuncHeaderLine", 10) & 0xFF), kHeaderLineMax);
  return page;
}

void WriteAnalysisPage(const AnalysisPage& page, SettingsStore& store) {
  store.WriteString("Extention", "src", page.src);
  store.WriteString("Extention", "header", page.header);
  store.WriteInt("Analysis", "func", page.func == 1 ? 1 : 0);
  store.WriteInt("Analysis", "struct", page.structs == 1 ? 1 : 0);
  store.WriteInt("Analysis", "define", page.define == 1 ? 1 : 0);
  store.WriteInt("Analysis", "table", page.table == 1 ? 1 : 0);
  store.WriteInt("Analysis", "func_prop", page.func_prop);
  store.WriteInt("Analysis", "struct_prop", page.struct_prop);
  store.WriteString("Analysis", "FuncHeaderStr", page.func_header_str);
  store.WriteInt("Analysis", "FuncHeaderLine",
                 std::clamp(page.func_header_line, kHeaderLineMin, kHeaderLineMax));
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
  page.preprocessor = store.ReadString("Analysis", "Preprocessor");
  page.char_change = store.ReadInt("Analysis", "CharChange", 0) == 1 ? 1 : 0;
  return page;
}

void WritePreprocessorPage(const PreprocessorPage& page, SettingsStore& store) {
  store.WriteString("Analysis", "Preprocessor", page.preprocessor);
  store.WriteInt("Analysis", "CharChange", page.char_change == 1 ? 1 : 0);
}

ExcludedPage ReadExcludedPage(const SettingsStore& store) {
  ExcludedPage page;
  for (int n = 1; n <= kExcludedSlots; ++n) {
    page.names[n - 1] = store.ReadString("UnMatch_Func", Numbered("Func", n));
    page.flags[n - 1] = store.ReadInt("UnMatch_Func", Numbered("Flag_Func", n), 0) == 1;
  }
  return page;
}

bool ClearExcludedPage(ExcludedPage& page, Ui& ui) {
  if (!ui.AskYesNo(kAskClearExcluded, "全てクリアしてもよろしいですか？　", Ui::kCaption)) return false;
  page.names.fill(std::string());
  page.flags.fill(false);
  return true;
}

void WriteExcludedPage(const ExcludedPage& page, SettingsStore& store) {
  for (int n = 1; n <= kExcludedSlots; ++n)
    store.WriteString("UnMatch_Func", Numbered("Func", n), page.names[n - 1]);
  for (int n = 1; n <= kExcludedSlots; ++n)
    store.WriteInt("UnMatch_Func", Numbered("Flag_Func", n), page.flags[n - 1] ? 1 : 0);
}

int OutputPage::NestMask() const {
  int mask = 0;
  for (int level = 1; level <= kNestLevels; ++level)
    if (nest_levels[level - 1]) mask |= 1 << (level - 1);
  return mask;
}

OutputPage ReadOutputPage(const SettingsStore& store) {
  OutputPage page;
  const long long mask = store.ReadInt("Tree", "NestLevelText", 0);
  for (int level = 1; level <= kNestLevels; ++level)
    page.nest_levels[level - 1] = (mask >> (level - 1) & 1) != 0;
  page.space = ReadSpace(store, "Space", 30);
  page.struct_space = ReadSpace(store, "StructSpace", 40);
  page.table_space = ReadSpace(store, "TableSpace", 40);
  return page;
}

void WriteOutputPage(const OutputPage& page, SettingsStore& store) {
  store.WriteInt("Tree", "NestLevelText", page.NestMask());
  store.WriteInt("Tree", "Space", page.space);
  store.WriteInt("Tree", "StructSpace", page.struct_space);
  store.WriteInt("Tree", "TableSpace", page.table_space);
}

IndexPage ReadIndexPage(const SettingsStore& store, int desktop_width, int desktop_height) {
  IndexPage page;
  page.text_color = ToColor(store.ReadInt("Index", "TextColor", 0xFFFFFF));
  page.back_color = ToColor(store.ReadInt("Index", "BkColor", 0));
  page.left =
      std::clamp(ToInt(store.ReadInt("Index", "LeftPos", 20)), 0, std::max(desktop_width, 0));
  page.top =
      std::clamp(ToInt(store.ReadInt("Index", "TopPos", 20)), 0, std::max(desktop_height, 0));
  return page;
}

void WriteIndexPage(const IndexPage& page, SettingsStore& store) {
  store.WriteInt("Index", "TextColor", page.text_color);
  store.WriteInt("Index", "BkColor", page.back_color);
  store.WriteInt("Index", "LeftPos", page.left);
  store.WriteInt("Index", "TopPos", page.top);
}

std::array<std::uint32_t, kCustomColors> ReadCustomColors(const SettingsStore& store) {
  std::array<std::uint32_t, kCustomColors> colors{};
  for (int i = 0; i < kCustomColors; ++i)
    colors[i] = ToColor(store.ReadInt("Color", Numbered("CustomColor", i), 0xFFFFFF));
  return colors;
}

void WriteCustomColors(const std::array<std::uint32_t, kCustomColors>& colors,
                       SettingsStore& store) {
  for (int i = 0; i < kCustomColors; ++i)
    store.WriteInt("Color", Numbered("CustomColor", i), colors[i]);
}

}  // namespace kelvora
