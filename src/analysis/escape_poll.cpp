#include "analysis/escape_poll.h"

#include "platform/ui.h"

namespace kelvora {

bool PollAnalysisCancel(Ui& ui) {
  if (!ui.PollEscape()) return false;
  return ui.AskYesNo(kAskCancelOnEscape,
                     "「ESCキー」が押されました。\n解析キャンセルしますか？　\n", Ui::kCaption);
}

}  // namespace kelvora
