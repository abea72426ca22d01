// A dialog port that passes everything on to another one, except the editor's file chooser,
// which it shows itself: in Qt's own dialog its first filter lists executable files only (the
// desktop's dialog, fileDLG 1, takes no such filter and lists every file).
#pragma once

#include "platform/ui.h"

class QWidget;

namespace kelvora {

class ExecutableChooserUi final : public Ui {
 public:
  ExecutableChooserUi(Ui& inner, QWidget* parent, int file_dialog_style = 2)
      : inner_(inner), parent_(parent), file_dialog_style_(file_dialog_style) {}

  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override {
    inner_.Message(text, caption, icon);
  }
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption) override {
    return inner_.AskYesNo(id, text, caption);
  }
  std::optional<std::string> ChooseFolder(std::string_view title) override {
    return inner_.ChooseFolder(title);
  }
  // The editor chooser (kEditorBrowseFilter) is shown here; other filters go to the inner port.
  std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_dir) override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_name,
                                            std::string_view default_suffix) override {
    return inner_.ChooseSaveFile(title, filter, initial_name, default_suffix);
  }
  void SetStatus(int line, std::string_view text) override { inner_.SetStatus(line, text); }
  void SetProgressRange(long long maximum) override { inner_.SetProgressRange(maximum); }
  void SetProgressPos(long long pos) override { inner_.SetProgressPos(pos); }
  void AdvanceProgress(long long delta) override { inner_.AdvanceProgress(delta); }
  void SetWaitCursor(bool on) override { inner_.SetWaitCursor(on); }
  bool PollEscape() override { return inner_.PollEscape(); }
  bool OpenWithDefaultApp(std::string_view path) override {
    return inner_.OpenWithDefaultApp(path);
  }
  void SetLayout(WindowLayout layout) override { inner_.SetLayout(layout); }
  void SetListRedraw(bool on) override { inner_.SetListRedraw(on); }
  void SetCountLabel(int kind, std::string_view text) override { inner_.SetCountLabel(kind, text); }

 private:
  Ui& inner_;
  QWidget* parent_;
  int file_dialog_style_;
};

}  // namespace kelvora
