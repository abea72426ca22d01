// The dialog port: every message, question, chooser, status text and progress step of a command.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvora {

enum class MsgIcon { None, Information, Warning, Error, Question };

// The stable name of a Yes/No question. Front ends that answer without asking a person (the
// command line, scripted tests) answer by this name, never by the question's text, so rewording a
// message never changes an answer. Each module declares the ids of its own questions next to the
// function that asks them, e.g. `inline constexpr QuestionId kAskDeleteAll{"lists.delete-all"};`.
struct QuestionId {
  std::string_view key;
  friend bool operator==(QuestionId, QuestionId) = default;
};

// Asked by every long command when Escape was pressed: Yes cancels the command.
inline constexpr QuestionId kAskCancelOnEscape{"run.cancel-on-escape"};

// Layouts of the main window: before any data, while a long command runs, with data.
enum class WindowLayout { NoData, Running, Data };

// Texts passed to the port are UTF-8. Data kept as CP932 bytes (names, comments) is converted
// with ToDisplay() (platform/cp932.h) before it is put into a message.
class Ui {
 public:
  virtual ~Ui() = default;

  static constexpr std::string_view kCaption = "Kelvora";
  static constexpr std::string_view kTreeCaption = "Kelvora -TREE-";

  // A message box with an OK button.
  virtual void Message(std::string_view text, std::string_view caption = kCaption,
                       MsgIcon icon = MsgIcon::Information) = 0;
  // A Yes/No question with the question icon; true means Yes.
  virtual bool AskYesNo(QuestionId id, std::string_view text,
                        std::string_view caption = kCaption) = 0;

  // Choosers return the chosen path as file-system bytes, or nullopt when cancelled.
  // A folder chooser returns "" for the file-system root.
  virtual std::optional<std::string> ChooseFolder(std::string_view title) = 0;
  // filter: "Description (*.ext *.ext2)" entries separated by ";;", as Qt writes them.
  virtual std::optional<std::string> ChooseOpenFile(std::string_view title, std::string_view filter,
                                                    std::string_view initial_dir = {}) = 0;
  // default_suffix ("txt") is appended to a name typed without one; empty takes it from the
  // chosen filter entry.
  virtual std::optional<std::string> ChooseSaveFile(std::string_view title, std::string_view filter,
                                                    std::string_view initial_name = {},
                                                    std::string_view default_suffix = {}) = 0;

  // Status lines 1, 2 and 3 of the main window (line numbers outside 1..3 are ignored).
  virtual void SetStatus(int line, std::string_view text) = 0;

  // Progress bar: a range 0..maximum, an absolute position, or a step forward.
  virtual void SetProgressRange(long long maximum) = 0;
  virtual void SetProgressPos(long long pos) = 0;
  virtual void AdvanceProgress(long long delta) = 0;

  virtual void SetWaitCursor(bool on) = 0;

  // Serves waiting paint requests, drops other input and reports whether Escape was pressed
  // since the last poll.
  virtual bool PollEscape() = 0;

  // Opens a file with the desktop's default application (xdg-open); false when it cannot start.
  virtual bool OpenWithDefaultApp(std::string_view path) = 0;

  // Main-window hooks of long commands; front ends without a main window ignore them.
  virtual void SetLayout(WindowLayout) {}
  // Shows the progress bar in place of the Index button (true) or the button again (false).
  virtual void SetProgressVisible(bool) {}
  // Switches redrawing of the registration list views off during a run and back on after it.
  virtual void SetListRedraw(bool) {}
  // The count label of a list (kind 1..5), "◆関数 登録数：%d" and its siblings; empty clears it.
  virtual void SetCountLabel(int /*kind*/, std::string_view /*text*/) {}
  // A command that completes has left something out (a folder it could not read, a file it
  // skipped, rows over a limit, a tree cut short): the command line then exits with its own
  // status and prints `what` when given. The window has said it in a message or question
  // already and ignores this.
  virtual void NoteLeftOut(std::string_view /*what*/ = {}) {}
};

}  // namespace kelvora
