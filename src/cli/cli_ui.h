// The command-line dialog port: answers the analysis questions from the command's flags and
// writes messages and progress to standard error.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/ui.h"

namespace kelvora {

// The exit statuses of kelvora-cli; an interrupted run exits 128 + the signal (130, 143).
inline constexpr int kExitDone = 0;     // complete
inline constexpr int kExitFailed = 1;   // failed: no data, or an output not written
inline constexpr int kExitUsage = 2;    // usage error
inline constexpr int kExitLeftOut = 3;  // completed, but something was left out

class CliUi : public Ui {
 public:
  struct Answers {
    bool add_to_existing = false;  // "既にデータが存在します…": はい adds, いいえ replaces
    bool subfolders = true;  // "…サブフォルダのファイルも解析しますか？"
  };

  // Thrown when a command asks a question the command line has no answer for: the command ends
  // and the program reports the question's id instead of guessing.
  class UnansweredQuestion : public std::runtime_error {
   public:
    using std::runtime_error::runtime_error;
  };

  // err receives messages; progress lines are drawn only when err is a terminal.
  explicit CliUi(std::FILE* err = stderr);

  void set_answers(const Answers& a) { answers_ = a; }
  // Answers the question `id` with `yes` from now on (commands add their own questions' answers).
  void SetAnswer(QuestionId id, bool yes) { fixed_[std::string(id.key)] = yes; }
  // The path the next folder, open or save dialog returns (a command's output path); a dialog
  // without one is cancelled.
  void SetNextPath(std::string path) { next_paths_.push_back(std::move(path)); }
  // Forgets the paths no dialog took (a command that ended before its dialog).
  void ClearNextPaths() { next_paths_.clear(); }
  // Set from a SIGINT handler: the next poll reports Escape and the cancel is confirmed.
  static void RequestInterrupt();
  // Set for good once an interrupt was requested.
  static bool Interrupted();
  // What the run left out so far (Ui::NoteLeftOut).
  int left_out() const { return left_out_; }
  int message_count() const { return messages_; }

  // Writes one message as a single line (newlines become blanks).
  void Print(std::string_view text);

  void Message(std::string_view text, std::string_view caption, MsgIcon icon) override;
  bool AskYesNo(QuestionId id, std::string_view text, std::string_view caption) override;
  std::optional<std::string> ChooseFolder(std::string_view title) override;
  std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_dir) override;
  std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                            std::string_view initial_name,
                                            std::string_view default_suffix) override;
  void SetStatus(int line, std::string_view text) override;
  void SetProgressRange(long long maximum) override;
  void SetProgressPos(long long pos) override;
  void AdvanceProgress(long long delta) override;
  void SetWaitCursor(bool on) override;
  bool PollEscape() override;
  bool OpenWithDefaultApp(std::string_view path) override;
  void NoteLeftOut(std::string_view what = {}) override;

  // Ends a progress line that is on screen.
  void FinishProgress();

 private:
  void DrawProgress();

  std::FILE* err_;
  bool tty_;
  Answers answers_;
  std::map<std::string, bool, std::less<>> fixed_;
  std::deque<std::string> next_paths_;
  std::optional<std::string> TakePath();
  int messages_ = 0;
  int left_out_ = 0;
  long long max_ = 0, pos_ = 0;
  std::string status_[4];
  std::uint64_t started_ms_ = 0, last_draw_ms_ = 0;
  bool progress_shown_ = false;
};

// A message as one line: every CR or LF becomes a blank.
std::string OneLine(std::string_view text);

// The exit status of a command that returned status (0 done, else failed): kExitLeftOut when
// it completed with something left out.
int CliExitStatus(int status, const CliUi& ui);

}  // namespace kelvora
