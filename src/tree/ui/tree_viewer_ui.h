// The dialog port of the TREE viewer: status panes go to the viewer's own status bar, the wait
// cursor to the application; messages, questions and choosers go to the port the viewer was
// given, owned by the viewer window.
#pragma once

#include <QLabel>
#include <array>

#include "gui_common/dialog_owner.h"

namespace kelvora {

class TreeViewerUi : public OwnedDialogsUi {
 public:
  TreeViewerUi(Ui& outer, QWidget* window, std::array<QLabel*, 3> panes)
      : OwnedDialogsUi(outer, window), panes_(panes) {}

  void SetStatus(int line, std::string_view text) override;
  void SetProgressRange(long long) override {}
  void SetProgressPos(long long) override {}
  void AdvanceProgress(long long) override {}
  void SetWaitCursor(bool on) override;
  // Escape from the shared queue, or a close of the viewer while one of its commands runs.
  bool PollEscape() override;

  // The viewer was asked to close while a command polled: taken as Escape at the next poll.
  void RequestCancel() { cancel_requested_ = true; }

  std::string status(int line) const;

 private:
  std::array<QLabel*, 3> panes_;
  int waits_ = 0;
  bool cancel_requested_ = false;
};

}  // namespace kelvora
