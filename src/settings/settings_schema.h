// Every key of the settings file and the user store: section, key, default and the rule that
// normalises a stored value. Loading, the settings sheet and every write-back go through it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvora {

class SettingsStore;

// How a stored number is taken.
enum class IntRule {
  kStored,    // as stored, held within int
  kOnOff,     // 1 is 1, anything else 0
  kInRange,   // outside min..max gives the default
  kPositive,  // 0 or less (a missing key included) gives the default
  kColor,     // 0x00BBGGRR: the low 32 bits
  kByte,      // the low 8 bits
  kOneOf,     // anything but min, mid or max gives the default
  kClamped,   // outside min..max gives the nearer bound
};

struct IntKey {
  std::string_view section;
  std::string_view key;  // of a numbered family: the text before the number
  long long fallback = 0;
  IntRule rule = IntRule::kStored;
  long long min = 0, max = 0;
  bool write_back = false;  // loading writes a replaced value back
  long long mid = 0;        // kOneOf: the third allowed value
};

// How a stored text is taken.
enum class TextRule {
  kStored,
  kDefaultWhenEmpty,  // an empty value (a missing key included) gives the default
  kHeaderWords,       // "|" removed from both ends (TrimHeaderWords)
};

enum class StoreKind { kIni, kUser };

struct TextKey {
  std::string_view section;        // of the user store: the key path
  std::string_view key;            // of a numbered family: the text before the number
  std::string_view fallback_utf8;  // the default in UTF-8; the store holds CP932
  TextRule rule = TextRule::kStored;
  bool write_back = false;  // loading writes a replaced value back
  StoreKind store = StoreKind::kIni;
};

inline constexpr std::string_view kConfigKey = "Software\\Kelv\\Config";
inline constexpr std::string_view kRunInfKey = "Software\\Kelv\\RunInf";

namespace keys {

inline constexpr IntKey kDebugOn{"Debug", "ON", 0};
// User store
inline constexpr TextKey kEditorPath{kConfigKey,        "EditorPath", "",
                                     TextRule::kStored, false,        StoreKind::kUser};
inline constexpr TextKey kEditorOption{
    kConfigKey, "EditorOption", "/j", TextRule::kDefaultWhenEmpty, false, StoreKind::kUser};
// "Index"
inline constexpr IntKey kIndexMode{"Index", "Mode", 0, IntRule::kInRange, 0, 1};
inline constexpr IntKey kIndexTextColor{"Index", "TextColor", 0xFFFFFF, IntRule::kColor};
inline constexpr IntKey kIndexBackColor{"Index", "BkColor", 0, IntRule::kColor};
inline constexpr IntKey kIndexLeft{"Index", "LeftPos", 20};
inline constexpr IntKey kIndexTop{"Index", "TopPos", 20};
// "TransparentWindow": percent 0..90
inline constexpr IntKey kTransparency{
    "TransparentWindow", "RarUviz_Par", 0, IntRule::kInRange, 0, 90};
inline constexpr IntKey kDataMax{"List", "DataMax", 5000};
// "Extention"
inline constexpr TextKey kSourceExtensions{"Extention", "src", "*.c;*.cpp",
                                           TextRule::kDefaultWhenEmpty, true};
inline constexpr TextKey kHeaderExtensions{"Extention", "header", "*.h",
                                           TextRule::kDefaultWhenEmpty, true};
// "Analysis"
inline constexpr IntKey kFunc{"Analysis", "func", 1, IntRule::kOnOff};
inline constexpr IntKey kStruct{"Analysis", "struct", 1, IntRule::kOnOff};
inline constexpr IntKey kDefine{"Analysis", "define", 1, IntRule::kOnOff};
inline constexpr IntKey kTable{"Analysis", "table", 1, IntRule::kOnOff};
inline constexpr IntKey kFuncProp{"Analysis", "func_prop", 0, IntRule::kInRange, 0, 2};
inline constexpr IntKey kStructProp{"Analysis", "struct_prop", 0, IntRule::kInRange, 0, 2};
inline constexpr TextKey kFuncHeaderStr{"Analysis", "FuncHeaderStr", "関数名|処理名|機能名",
                                        TextRule::kHeaderWords, true};
inline constexpr IntKey kFuncHeaderLine{"Analysis", "FuncHeaderLine", 10, IntRule::kByte};
// Definition heads: 0 at most two words before the name, 1 any number of specifier and
// attribute words and "__attribute__((...))" groups.
inline constexpr IntKey kFuncHeadWords{"Analysis", "FuncHeadWords", 0, IntRule::kInRange, 0, 1};
inline constexpr TextKey kPreprocessor{"Analysis", "Preprocessor", ""};
// 0 no conversion, 1 EUC-JP to Shift-JIS, 2 each file's encoding detected and converted.
inline constexpr IntKey kCharChange{"Analysis", "CharChange", 0, IntRule::kInRange, 0, 2};
// "UnMatch_Func": Func1..Func60 and Flag_Func1..Flag_Func60
inline constexpr TextKey kExcludedName{"UnMatch_Func", "Func", ""};
inline constexpr IntKey kExcludedFlag{"UnMatch_Func", "Flag_Func", 0, IntRule::kOnOff};
// "Dialog"
inline constexpr IntKey kBrushType{"Dialog", "Brush_type", 1};
inline constexpr IntKey kWindowTop{"Dialog", "window_top", 0};
inline constexpr IntKey kFileDialog{"Dialog", "fileDLG", 1, IntRule::kInRange, 1, 2};
// "Color": CustomColor0..CustomColor15
inline constexpr IntKey kHatchPattern{"Color", "Hatch_Pattern", 3};
inline constexpr IntKey kButtonPattern{"Color", "Button_Pattern", 14};
inline constexpr IntKey kDlgBase{"Color", "Dlg_Base", 0x646464, IntRule::kColor};
inline constexpr IntKey kDlgText{"Color", "Dlg_Text", 0xFFFFFF, IntRule::kColor};
inline constexpr IntKey kDlgBackground{"Color", "Dlg_Bkground", 0, IntRule::kColor};
inline constexpr IntKey kCustomColor{"Color", "CustomColor", 0xFFFFFF, IntRule::kColor};
// "Menu"
inline constexpr TextKey kDispType{"Menu", "disp_type", "複数列表示"};
inline constexpr IntKey kDispXMax{"Menu", "disp_x_max", 2, IntRule::kPositive, 0, 0, true};
inline constexpr IntKey kDispYMax{"Menu", "disp_y_max", 30, IntRule::kPositive, 0, 0, true};
inline constexpr IntKey kCommentDisp{"Menu", "comment_disp", 1};
// "Tree"
inline constexpr IntKey kNestLevelText{"Tree", "NestLevelText", 0};
inline constexpr IntKey kSpace{"Tree", "Space", 30, IntRule::kInRange, 1, 100};
inline constexpr IntKey kStructSpace{"Tree", "StructSpace", 40, IntRule::kInRange, 1, 100};
inline constexpr IntKey kTableSpace{"Tree", "TableSpace", 40, IntRule::kInRange, 1, 100};
// Most function nodes of a call graph; beyond 5000 the dot layout takes minutes.
inline constexpr IntKey kGraphNodeBudget{"Tree", "GraphNodeBudget", 300, IntRule::kInRange, 1,
                                         5000};
inline constexpr IntKey kToolbar{"Tree", "toolbar", 1, IntRule::kInRange, 1, 4};
inline constexpr TextKey kEmphasisHistory{"Tree", "InfoWinEmphasis", ""};
// "Tree": the TREE viewer's source display
inline constexpr TextKey kInfoWinFont{"Tree", "InfoWinFont", "ＭＳ ゴシック",
                                      TextRule::kDefaultWhenEmpty};
inline constexpr IntKey kInfoWinFontSize{"Tree", "InfoWinFontSize", 9, IntRule::kInRange, 4, 72};
inline constexpr IntKey kInfoWinTab{"Tree", "InfoWinTab", 4, IntRule::kOneOf, 2, 8, true, 4};
inline constexpr IntKey kInfoWinScrl{"Tree", "InfoWinScrl", 15, IntRule::kOneOf, 6, 25, false, 15};
inline constexpr IntKey kInfoWinRow{"Tree", "InfoWinRow", 1, IntRule::kInRange, 1, 10};
inline constexpr IntKey kInfoWinChar{"Tree", "InfoWinChar", 0, IntRule::kOnOff};
inline constexpr IntKey kInfoWinDrctive{"Tree", "InfoWinDrctive", 0, IntRule::kOnOff};
inline constexpr IntKey kDispStep{"Tree", "DispStep", 1, IntRule::kOnOff};
inline constexpr IntKey kDispFilepath{"Tree", "DispFilepath", 1, IntRule::kOnOff};
inline constexpr IntKey kDispPrepro{"Tree", "DispPrepro", 1, IntRule::kOnOff};
inline constexpr IntKey kDispLineNo{"Tree", "DispLineNo", 1, IntRule::kOnOff};
inline constexpr IntKey kDispRooler{"Tree", "DispRooler", 1, IntRule::kOnOff};
inline constexpr IntKey kSrcLine{"Tree", "SrcLine", 0, IntRule::kInRange, 0, 9999};
// The TREE viewer window. GraphRect%'s lower bound is the TreeRect% read (5 the smallest):
// loading takes a copy of the key with that min.
inline constexpr IntKey kTreeRect{"Tree_Dialog", "TreeRect%", 20, IntRule::kInRange, 5, 40, true};
inline constexpr IntKey kGraphRect{"Tree_Dialog", "GraphRect%", 65, IntRule::kInRange, 5, 85, true};
inline constexpr IntKey kColorType{"Tree_Dialog", "ColorType", 9, IntRule::kInRange, 0, 9, true};
inline constexpr IntKey kColorBright{"Tree_Dialog", "ColorBright", 0, IntRule::kOnOff};
inline constexpr IntKey kSelTextColor{"Tree", "Sel_TextColor", 0xFFFFFF, IntRule::kColor};
inline constexpr IntKey kSelBackColor{"Tree", "Sel_BackColor", 0xA00000, IntRule::kColor};
inline constexpr IntKey kOutTextColor{"Tree", "Out_TextColor", 0xFFFFFF, IntRule::kColor};
inline constexpr IntKey kOutBackColor{"Tree", "Out_BackColor", 0, IntRule::kColor};
inline constexpr IntKey kGraphHeight{"Tree", "GraphHeight", 4, IntRule::kClamped, 0, 7};
inline constexpr IntKey kStatusBarBackColor{"StatusBar", "BkColor", 0, IntRule::kColor};
// "Window": the TREE viewer's rectangle and show state (3 maximized, else 1)
inline constexpr IntKey kTreeLeft{"Window", "tree_left", 0};
inline constexpr IntKey kTreeTop{"Window", "tree_top", 0};
inline constexpr IntKey kTreeRight{"Window", "tree_right", 0};
inline constexpr IntKey kTreeBottom{"Window", "tree_bottom", 0};
inline constexpr IntKey kTreeShow{"Window", "tree_show", 0};
// "Window": the main window's collapsed rectangle and show state
inline constexpr IntKey kWindowLeft{"Window", "left", 0};
inline constexpr IntKey kWindowTopEdge{"Window", "top", 0};
inline constexpr IntKey kWindowRight{"Window", "right", 0};
inline constexpr IntKey kWindowBottom{"Window", "bottom", 0};
inline constexpr IntKey kWindowShow{"Window", "show", 0};
// "ComboHistory": str1..str20 and the search boxes' histories
inline constexpr TextKey kWordHistory{"ComboHistory", "str", ""};
inline constexpr TextKey kCommentSearchHistory{"ComboHistory", "CommentSearchstr", ""};
inline constexpr TextKey kTreeSearchHistory{"ComboHistory", "TreeSearchstr", ""};

}  // namespace keys

// The key name of member n of a numbered family ("str" and 3 give "str3").
std::string NumberedKey(std::string_view prefix, int n);

// Reads and normalises; never writes. Numbers are held within int, colours within 32 bits.
long long ReadValue(const SettingsStore& store, const IntKey& key);
long long ReadValue(const SettingsStore& store, const IntKey& family, int n);
int ReadInt(const SettingsStore& store, const IntKey& key);
int ReadInt(const SettingsStore& store, const IntKey& family, int n);
std::uint32_t ReadColor(const SettingsStore& store, const IntKey& key);
std::uint32_t ReadColor(const SettingsStore& store, const IntKey& family, int n);
std::string ReadText(const SettingsStore& store, const TextKey& key);
std::string ReadText(const SettingsStore& store, const TextKey& family, int n);
// The default of a text key in CP932.
std::string DefaultText(const TextKey& key);
// True when the store holds the key (the user store: the value).
bool HasKey(const SettingsStore& store, const TextKey& family, int n);

// As Read, and a key with write_back whose stored value was replaced is written back.
int LoadInt(SettingsStore& store, const IntKey& key);
std::string LoadText(SettingsStore& store, const TextKey& key);

// Writes; false when the store refuses (cannot be written, or read-only).
bool WriteValue(SettingsStore& store, const IntKey& key, long long value);
bool WriteValue(SettingsStore& store, const IntKey& family, int n, long long value);
bool WriteText(SettingsStore& store, const TextKey& key, std::string_view value);
bool WriteText(SettingsStore& store, const TextKey& family, int n, std::string_view value);

}  // namespace kelvora
