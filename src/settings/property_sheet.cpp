// "その他" with the history clearing, and the sheet's reading and writing of all pages.
#include "platform/ui.h"
#include "settings/property_pages.h"

namespace kelvora {
namespace {

constexpr int kHistorySlots = 20;

struct HistoryKeys {
  std::string_view section;
  std::string_view prefix;
  std::string_view question;
  QuestionId id;
};

HistoryKeys KeysOf(History history) {
  switch (history) {
    case History::Word:
      return {"ComboHistory", "str",
              "「指定」コンボボックスの過去入力履歴を　\n全てクリアしてもいいですか？\n",
              kAskClearWordHistory};
    case History::CommentSearch:
      return {"ComboHistory", "CommentSearchstr",
              "「コメント検索」コンボボックスの過去入力履歴を　\n全てクリアしてもいいですか？\n",
              kAskClearCommentSearchHistory};
    case History::TreeSearch:
      return {"ComboHistory", "TreeSearchstr",
              "関数TREE Viewerの「検索Word」コンボボックス　\n"
              "過去入力履歴を全てクリアしてもいいですか？\n",
              kAskClearTreeSearchHistory};
    case History::Emphasis:
      break;
  }
  return {"Tree", "InfoWinEmphasis",
          "「情報表示Window 強調表示」コンボボックスの過去入力履歴を　\n"
          "全てクリアしてもいいですか？\n",
          kAskClearEmphasisHistory};
}

std::string KeyOf(std::string_view prefix, int n) {
  return std::string(prefix) + std::to_string(n);
}

}  // namespace

OtherPage ReadOtherPage(const SettingsStore& store) {
  OtherPage page;
  const long long toolbar = store.ReadInt("Tree", "toolbar", 1);
  page.toolbar = toolbar < 1 || toolbar > 4 ? 1 : static_cast<int>(toolbar);
  const long long file_dlg = store.ReadInt("Dialog", "fileDLG", 1);
  page.file_dlg = file_dlg < 1 || file_dlg > 2 ? 1 : static_cast<int>(file_dlg);
  return page;
}

void WriteOtherPage(const OtherPage& page, SettingsStore& store) {
  store.WriteInt("Tree", "toolbar", page.toolbar);
  store.WriteInt("Dialog", "fileDLG", page.file_dlg);
}

bool ClearHistory(History history, SettingsStore& store, Ui& ui) {
  const HistoryKeys keys = KeysOf(history);
  if (!ui.AskYesNo(keys.id, keys.question, Ui::kCaption)) return false;
  for (int n = 1; n <= kHistorySlots; ++n)
    store.WriteString(keys.section, KeyOf(keys.prefix, n), "");
  ui.Message("履歴をクリアしました！　", Ui::kCaption, MsgIcon::Information);
  return true;
}

bool WordHistoryEmpty(const SettingsStore& store) {
  for (int n = 1; n <= kHistorySlots; ++n)
    if (!store.ReadString("ComboHistory", KeyOf("str", n)).empty()) return false;
  return true;
}

PropertySheetModel ReadPropertySheet(SettingsStore& store, Ui& ui, int desktop_width,
                                     int desktop_height) {
  PropertySheetModel model;
  model.editor = ReadEditorPage(store, ui);
  model.analysis = ReadAnalysisPage(store);
  model.preprocessor = ReadPreprocessorPage(store);
  model.excluded = ReadExcludedPage(store);
  model.output = ReadOutputPage(store);
  model.index = ReadIndexPage(store, desktop_width, desktop_height);
  model.other = ReadOtherPage(store);
  return model;
}

void WritePropertySheet(const PropertySheetModel& model, SettingsStore& store, Settings& settings,
                        Ui& ui) {
  WriteEditorPage(model.editor, store, ui);
  WriteAnalysisPage(model.analysis, store);
  WritePreprocessorPage(model.preprocessor, store);
  WriteExcludedPage(model.excluded, store);
  WriteOutputPage(model.output, store);
  WriteIndexPage(model.index, store);
  WriteOtherPage(model.other, store);
  LoadSettings(store, settings, ui);
}

}  // namespace kelvora
