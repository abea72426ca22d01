// The window a dialog belongs to. Windows share one dialog port; while a window forwards a
// message, question or chooser to it, it marks itself as the owner, and the port parents the
// dialog to that window (never raising another one).
#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/ui.h"

namespace kelvora {

// Marks owner as the window that asks, for the scope's life. Scopes nest; user-interface thread
// only.
class DialogOwnerScope {
 public:
  explicit DialogOwnerScope(QWidget* owner);
  ~DialogOwnerScope();
  DialogOwnerScope(const DialogOwnerScope&) = delete;
  DialogOwnerScope& operator=(const DialogOwnerScope&) = delete;

  // The innermost owner still alive, or nullptr.
  static QWidget* Current();
};

// The parent for a dialog asked now: the modal dialog that runs (a message asked from inside a
// dialog belongs to it), else the marked owner's window, else fallback.
QWidget* DialogParentFor(QWidget* fallback);

// A port that forwards everything to another and marks owner around each dialog it forwards.
class OwnedDialogsUi : public Ui {
 public:
  OwnedDialogsUi(Ui& outer, QWidget* owner) : outer_(outer), owner_(owner) {}

  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override;
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption) override;
  std::optional<std::string> ChooseFolder(std::string_view title) override;
  std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_dir) override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_name,
                                            std::string_view default_suffix) override;
  void SetStatus(int line, std::string_view text) override { outer_.SetStatus(line, text); }
  void SetProgressRange(long long maximum) override { outer_.SetProgressRange(maximum); }
  void SetProgressPos(long long pos) override { outer_.SetProgressPos(pos); }
  void AdvanceProgress(long long delta) override { outer_.AdvanceProgress(delta); }
  void SetWaitCursor(bool on) override { outer_.SetWaitCursor(on); }
  bool PollEscape() override { return outer_.PollEscape(); }
  bool OpenWithDefaultApp(std::string_view path) override {
    return outer_.OpenWithDefaultApp(path);
  }

 protected:
  Ui& outer() { return outer_; }
  QWidget* owner() const { return owner_; }

 private:
  Ui& outer_;
  QPointer<QWidget> owner_;
};

}  // namespace kelvora
