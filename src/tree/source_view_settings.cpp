// The source display's settings, their menu commands and the emphasis history.
#include <algorithm>

#include "platform/cp932.h"
#include "settings/settings.h"
#include "settings/settings_schema.h"
#include "text/encoding_detect.h"
#include "tree/source_view.h"

namespace kelvora {
namespace {

constexpr std::string_view kNote = "\n（※変更時は、項目を再選択後に反映されます）　\n";

struct ItemKey {
  const IntKey& key;
  bool SourceViewSettings::*flag;
  std::string_view label;
};

ItemKey KeyOf(SourceItem item) {
  switch (item) {
    case SourceItem::Steps:
      return {keys::kDispStep, &SourceViewSettings::show_steps, "ステップ数"};
    case SourceItem::Position:
      return {keys::kDispFilepath, &SourceViewSettings::show_position, "ファイルパス"};
    case SourceItem::Prepro:
      return {keys::kDispPrepro, &SourceViewSettings::show_prepro, "プリプロセッサ定義"};
    case SourceItem::LineNumbers:
      return {keys::kDispLineNo, &SourceViewSettings::show_line_numbers, "行番号"};
    case SourceItem::Ruler:
      break;
  }
  return {keys::kDispRooler, &SourceViewSettings::show_ruler, "ルーラー"};
}

bool Allowed(const IntKey& key, long long v) {
  return v >= key.min && v <= key.max &&
         (key.rule != IntRule::kOneOf || v == key.min || v == key.mid || v == key.max);
}

}  // namespace

SourceViewSettings LoadSourceViewSettings(SettingsStore& store) {
  SourceViewSettings s;
  s.font = ReadText(store, keys::kInfoWinFont);
  s.font_size = ReadInt(store, keys::kInfoWinFontSize);
  s.tab = LoadInt(store, keys::kInfoWinTab);
  s.scroll_width = ReadInt(store, keys::kInfoWinScrl);
  s.columns = ReadInt(store, keys::kInfoWinRow);
  s.euc = ReadInt(store, keys::kInfoWinChar) == 1;
  s.detect = ReadInt(store, keys::kCharChange) == kCharChangeDetect;
  s.hide_inactive = ReadInt(store, keys::kInfoWinDrctive) == 1;
  for (SourceItem item : kSourceItems) {
    const ItemKey k = KeyOf(item);
    s.*k.flag = ReadInt(store, k.key) == 1;
  }
  s.src_line = ReadInt(store, keys::kSrcLine);
  return s;
}

std::string SourceItemMenuText(SourceItem item, const SourceViewSettings& s) {
  const ItemKey k = KeyOf(item);
  return std::string(k.label) + "表示設定→" + (s.*k.flag ? "非表示" : "表示");
}

void ToggleSourceItem(SourceItem item, SourceViewSettings& s, SettingsStore& store) {
  const ItemKey k = KeyOf(item);
  s.*k.flag = !(s.*k.flag);
  WriteValue(store, k.key, s.*k.flag ? 1 : 0);
}

bool SetSourceTab(int tab, SourceViewSettings& s, SettingsStore& store) {
  if (!Allowed(keys::kInfoWinTab, tab)) return false;
  s.tab = tab;
  WriteValue(store, keys::kInfoWinTab, tab);
  return true;
}

bool SetSourceScrollWidth(int width, SourceViewSettings& s, SettingsStore& store) {
  if (!Allowed(keys::kInfoWinScrl, width)) return false;
  s.scroll_width = width;
  WriteValue(store, keys::kInfoWinScrl, width);
  return true;
}

bool SetSourceColumns(int columns, SourceViewSettings& s, SettingsStore& store) {
  if (!Allowed(keys::kInfoWinRow, columns)) return false;
  s.columns = columns;
  WriteValue(store, keys::kInfoWinRow, columns);
  return true;
}

void SetSourceFont(std::string_view font_cp932, int size, SourceViewSettings& s,
                   SettingsStore& store) {
  s.font = font_cp932.empty() ? DefaultText(keys::kInfoWinFont) : std::string(font_cp932);
  s.font_size = std::clamp(size, static_cast<int>(keys::kInfoWinFontSize.min),
                           static_cast<int>(keys::kInfoWinFontSize.max));
  WriteText(store, keys::kInfoWinFont, s.font);
  WriteValue(store, keys::kInfoWinFontSize, s.font_size);
}

bool ToggleInactiveRanges(SourceViewSettings& s, SettingsStore& store, Ui& ui) {
  const std::string head = "条件付きコンパイル・ディレクティブ(#if、#ifdef…等)　\n";
  const bool asked =
      s.hide_inactive
          ? ui.AskYesNo(kAskShowInactiveRanges,
                        head + "無効範囲を表示する設定に戻しますか？　\n" + std::string(kNote),
                        Ui::kTreeCaption)
          : ui.AskYesNo(kAskHideInactiveRanges,
                        head +
                            "無効範囲を非表示にしますか？　\n\n※無効範囲の行数により、動作は重く"
                            "なります。　\n" +
                            std::string(kNote),
                        Ui::kTreeCaption);
  if (!asked) return false;
  s.hide_inactive = !s.hide_inactive;
  WriteValue(store, keys::kInfoWinDrctive, s.hide_inactive ? 1 : 0);
  return true;
}

bool ToggleEucConversion(SourceViewSettings& s, SettingsStore& store, Ui& ui) {
  const bool asked =
      s.euc ? ui.AskYesNo(kAskKeepCharset,
                          "文字コードを変換しない設定に戻しますか？　\n" + std::string(kNote),
                          Ui::kTreeCaption)
            : ui.AskYesNo(kAskConvertEuc,
                          "文字コードを「EUC ⇒ S-JIS変換」しますか？　\n" + std::string(kNote),
                          Ui::kTreeCaption);
  if (!asked) return false;
  s.euc = !s.euc;
  WriteValue(store, keys::kInfoWinChar, s.euc ? 1 : 0);
  return true;
}

bool RestoreSourceDefaults(SourceViewSettings& s, SettingsStore& store, Ui& ui) {
  const std::string font = std::string(keys::kInfoWinFont.fallback_utf8);
  if (!ui.AskYesNo(kAskSourceDefaults,
                   "デフォルトの設定に戻しますか？　\n・フォント：" + font +
                       "\n・行番号：表示する\n・ルーラー：表示する\n・表示列数：1列\n・ディレクテ"
                       "ィブ無効範囲：表示する\n・文字コードを変換しない\n\n（※その他は現設定を"
                       "継続）　\n",
                   Ui::kTreeCaption))
    return false;
  SetSourceFont(DefaultText(keys::kInfoWinFont), s.font_size, s, store);
  s.show_line_numbers = s.show_ruler = true;
  s.columns = 1;
  s.hide_inactive = s.euc = false;
  WriteValue(store, keys::kDispLineNo, 1);
  WriteValue(store, keys::kDispRooler, 1);
  WriteValue(store, keys::kInfoWinRow, 1);
  WriteValue(store, keys::kInfoWinDrctive, 0);
  WriteValue(store, keys::kInfoWinChar, 0);
  return true;
}

void EmphasisHistory::Load(const SettingsStore& store) {
  slots_.clear();
  for (int n = 1; n <= kSlots; ++n) {
    std::string pattern = ReadText(store, keys::kEmphasisHistory, n);
    if (pattern.empty()) break;
    slots_.push_back(std::move(pattern));
  }
  next_ = slots_.size() % kSlots;
}

bool EmphasisHistory::Add(std::string_view pattern, SettingsStore& store) {
  if (pattern.empty()) return false;
  if (std::find(slots_.begin(), slots_.end(), pattern) != slots_.end()) return true;
  if (next_ < slots_.size())
    slots_[next_] = std::string(pattern);
  else
    slots_.emplace_back(pattern);
  WriteText(store, keys::kEmphasisHistory, static_cast<int>(next_) + 1, pattern);
  next_ = (next_ + 1) % kSlots;
  return true;
}

std::vector<std::string> EmphasisHistory::items() const {
  std::vector<std::string> newest_first;
  const std::size_t n = slots_.size();
  for (std::size_t i = 0; i < n; ++i) newest_first.push_back(slots_[(next_ + n - 1 - i) % n]);
  return newest_first;
}

}  // namespace kelvora
