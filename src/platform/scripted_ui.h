// A Ui for tests: records everything shown and replays scripted answers; an unscripted
// question throws UnscriptedQuestion so the test fails loudly.
#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace kelvora {

class UnscriptedQuestion : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class ScriptedUi : public Ui {
 public:
  struct Shown {
    std::string text;
    std::string caption;
    MsgIcon icon;
    bool question;        // true for a Yes/No question or a chooser
    std::string_view id;  // the question's id; empty for messages and choosers
  };

  // Scripting. Answers are consumed in order, one queue per kind of dialog.
  ScriptedUi& AnswerYes() { return Answer(true); }
  ScriptedUi& AnswerNo() { return Answer(false); }
  ScriptedUi& Answer(bool yes);
  // Answers the next question, which must carry `id`; another question throws UnscriptedQuestion.
  ScriptedUi& Answer(QuestionId id, bool yes);
  ScriptedUi& ChooseFolderAnswer(std::optional<std::string> path);
  ScriptedUi& ChooseOpenAnswer(std::optional<std::string> path);
  ScriptedUi& ChooseSaveAnswer(std::optional<std::string> path);
  // The n-th call of PollEscape (1-based, counted from now) reports Escape.
  ScriptedUi& EscapeAtPoll(int n);

  // What happened.
  const std::vector<Shown>& shown() const { return shown_; }
  std::vector<std::string> messages() const;           // texts of plain messages
  std::vector<std::string> questions() const;          // texts of questions
  std::vector<std::string_view> question_ids() const;  // ids of Yes/No questions, in order
  const std::string& status(int line) const { return status_[Clamp(line)]; }
  const std::vector<std::string>& status_history(int line) const {
    return status_hist_[Clamp(line)];
  }
  long long progress_max() const { return progress_max_; }
  long long progress_pos() const { return progress_pos_; }
  int polls() const { return polls_; }
  bool wait_cursor() const { return wait_cursor_; }
  int wait_cursor_changes() const { return wait_cursor_changes_; }
  const std::vector<std::string>& opened() const { return opened_; }
  const std::vector<WindowLayout>& layouts() const { return layouts_; }
  bool list_redraw() const { return list_redraw_; }
  const std::string& count_label(int kind) const {
    return count_labels_[kind >= 1 && kind <= 5 ? kind : 0];
  }
  bool AllAnswersUsed() const;

  // Ui
  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override;
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption) override;
  std::optional<std::string> ChooseFolder(std::string_view title) override;
  std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_dir) override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_name,
                                            std::string_view default_suffix) override;
  // The default suffix the last save dialog was asked with.
  const std::string& last_save_suffix() const { return last_save_suffix_; }
  void SetStatus(int line, std::string_view text) override;
  void SetProgressRange(long long maximum) override;
  void SetProgressPos(long long pos) override;
  void AdvanceProgress(long long delta) override;
  void SetWaitCursor(bool on) override;
  bool PollEscape() override;
  bool OpenWithDefaultApp(std::string_view path) override;
  void SetLayout(WindowLayout layout) override { layouts_.push_back(layout); }
  void SetListRedraw(bool on) override { list_redraw_ = on; }
  void SetCountLabel(int kind, std::string_view text) override {
    count_labels_[kind >= 1 && kind <= 5 ? kind : 0] = std::string(text);
  }

 private:
  static int Clamp(int line) { return line < 1 ? 0 : line > 3 ? 0 : line; }
  std::optional<std::string> TakeChoice(std::deque<std::optional<std::string>>& queue,
                                        std::string_view what, std::string_view title);

  struct Reply {
    bool yes;
    std::string_view id;  // empty: any question
  };
  std::deque<Reply> answers_;
  std::deque<std::optional<std::string>> folders_, opens_, saves_;
  std::vector<int> escape_polls_;
  std::vector<Shown> shown_;
  std::string status_[4];
  std::vector<std::string> status_hist_[4];
  long long progress_max_ = 0, progress_pos_ = 0;
  int polls_ = 0;
  bool wait_cursor_ = false;
  int wait_cursor_changes_ = 0;
  std::vector<std::string> opened_;
  std::vector<WindowLayout> layouts_;
  bool list_redraw_ = true;
  std::string count_labels_[6];
  std::string last_save_suffix_;
};

}  // namespace kelvora
