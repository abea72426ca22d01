#include "data/registration_lists.h"
#include "platform/ui.h"

namespace kelvora {

namespace {

constexpr std::string_view kNoData = "登録データがありません！　";
constexpr std::string_view kDeleteAllText = "登録データを全て削除してもよろしいですか？　";

}  // namespace

CommandResult SortListCommand(RegisteredData& data, ListKind kind, Ui& ui) {
  RegistrationList& list = data.List(kind);
  if (list.empty()) {
    ui.Message(kNoData);
    return CommandResult::Failed(std::string(kNoData));
  }
  ui.SetWaitCursor(true);
  list.Sort();
  ui.SetWaitCursor(false);
  return CommandResult::Done();
}

CommandResult SortAllCommand(RegisteredData& data, bool ascending, Ui& ui) {
  if (data.AllEmpty()) {
    ui.Message(kNoData);
    return CommandResult::Failed(std::string(kNoData));
  }
  ui.SetWaitCursor(true);
  if (ascending) {
    data.SortAllAscending();
  } else {
    data.SortAllDescending();
  }
  ui.SetWaitCursor(false);
  return CommandResult::Done();
}

CommandResult DeleteAllCommand(RegisteredData& data, Ui& ui) {
  if (!ui.AskYesNo(kAskDeleteAll, kDeleteAllText)) return CommandResult::Cancelled();
  if (data.AllEmpty()) {
    ui.Message(kNoData);
    return CommandResult::Failed(std::string(kNoData));
  }
  DeleteAllWithoutAsking(data, ui);
  return CommandResult::Done();
}

void DeleteAllWithoutAsking(RegisteredData& data, Ui& ui) {
  data.Clear();
  for (int slot = 0; slot < kListCount; ++slot) {
    ui.SetCountLabel(static_cast<int>(KindOfSlot(slot)), "");
  }
  ui.SetLayout(WindowLayout::NoData);
}

}  // namespace kelvora
