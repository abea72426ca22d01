// "その他" with the history clearing, and the sheet's reading and writing of all pages.
#include "platform/ui.h"
#include "settings/property_pages.h"

namespace kelvora {
namespace {

constexpr int kHistorySlots = 20;

struct HistoryKeys {
  const TextKey& family;
  std::string_view question;
  QuestionId id;
};

HistoryKeys KeysOf(History history) {
  switch (history) {
    case History::Word:
      return {keys::kWordHistory,
              "「指定」コンボボックスの過去入力履歴を　\n全てクリアしてもいいですか？\n",
              kAskClearWordHistory};
    case History::CommentSearch:
      return {keys::kCommentSearchHistory,
              "「コメント検索」コンボボックスの過去入力履歴を　\n全てクリアしてもいいですか？\n",
              kAskClearCommentSearchHistory};
    case History::TreeSearch:
      return {keys::kTreeSearchHistory,
              "関数TREE Viewerの「検索Word」コンボボックス　\n"
              "過去入力履歴を全てクリアしてもいいですか？\n",
              kAskClearTreeSearchHistory};
    case History::Emphasis:
      break;
  }
  return {keys::kEmphasisHistory,
          "「情報表示Window 強調表示」コンボボックスの過去入力履歴を　\n"
          "全てクリアしてもいいですか？\n",
          kAskClearEmphasisHistory};
}

}  // namespace

OtherPage ReadOtherPage(const SettingsStore& store) {
  OtherPage page;
  page.toolbar = ReadInt(store, keys::kToolbar);
  page.file_dlg = ReadInt(store, keys::kFileDialog);
  return page;
}

void WriteOtherPage(const OtherPage& page, SettingsStore& store) {
  WriteValue(store, keys::kToolbar, page.toolbar);
  WriteValue(store, keys::kFileDialog, page.file_dlg);
}

bool ClearHistory(History history, SettingsStore& store, Ui& ui) {
  const HistoryKeys keys = KeysOf(history);
  if (!ui.AskYesNo(keys.id, keys.question, Ui::kCaption)) return false;
  for (int n = 1; n <= kHistorySlots; ++n) WriteText(store, keys.family, n, "");
  ui.Message("履歴をクリアしました！　", Ui::kCaption, MsgIcon::Information);
  return true;
}

bool WordHistoryEmpty(const SettingsStore& store) {
  for (int n = 1; n <= kHistorySlots; ++n)
    if (!ReadText(store, keys::kWordHistory, n).empty()) return false;
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
