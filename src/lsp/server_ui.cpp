#include "lsp/server_ui.h"

#include "analysis/analysis_run.h"

namespace kelvora::lsp {

void ServerUi::Message(std::string_view text, std::string_view, MsgIcon icon) {
  if (message_) message_(text, icon);
}

bool ServerUi::AskYesNo(QuestionId id, std::string_view text, std::string_view) {
  if (id == kAskAddToExisting) return add_to_existing_;
  // An unreadable file is skipped (No), never the end of the run.
  if (id == kAskCancelOnUnreadableFile) {
    if (message_) message_(text, MsgIcon::Warning);
    return false;
  }
  // The client gone: the run is cancelled.
  if (id == kAskCancelOnEscape) return true;
  return id == kAskSubfolders || id == kAskConfirmRun || id == kAskReanalyse;
}

void ServerUi::SetProgressRange(long long maximum) {
  max_ = maximum;
  pos_ = 0;
  percent_ = -1;
}

void ServerUi::SetProgressPos(long long pos) {
  pos_ = pos;
  if (max_ <= 0 || !progress_) return;
  const int percent = static_cast<int>(std::min<long long>(100, pos_ * 100 / max_));
  if (percent == percent_) return;
  percent_ = percent;
  progress_(percent);
}

}  // namespace kelvora::lsp
