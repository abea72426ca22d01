#include "cli/cli_ui.h"

#include <unistd.h>

#include <atomic>

#include "analysis/analysis_run.h"
#include "platform/process.h"

namespace kelvora {

namespace {

std::atomic<bool> g_interrupt{false};
std::atomic<bool> g_interrupted{false};

}  // namespace

std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\n' || c == '\r') c = ' ';
  return out;
}

CliUi::CliUi(std::FILE* err) : err_(err), tty_(isatty(fileno(err)) != 0) {
  started_ms_ = TickCountMs();
}

void CliUi::RequestInterrupt() {
  g_interrupt.store(true);
  g_interrupted.store(true);
}

bool CliUi::Interrupted() {
  return g_interrupted.load();
}

void CliUi::NoteLeftOut(std::string_view what) {
  ++left_out_;
  if (!what.empty()) Print(what);
}

int CliExitStatus(int status, const CliUi& ui) {
  if (status != kExitDone) return status;
  return ui.left_out() > 0 ? kExitLeftOut : kExitDone;
}

void CliUi::Print(std::string_view text) {
  FinishProgress();
  std::string line = OneLine(text);
  std::fprintf(err_, "%s\n", line.c_str());
  std::fflush(err_);
}

void CliUi::Message(std::string_view text, std::string_view, MsgIcon) {
  ++messages_;
  Print(text);
}

// The questions a headless run meets, answered by id from the flags. A question without an
// answer ends the command with UnansweredQuestion.
bool CliUi::AskYesNo(QuestionId id, std::string_view text, std::string_view) {
  if (auto it = fixed_.find(id.key); it != fixed_.end()) return it->second;
  if (id == kAskAddToExisting) return answers_.add_to_existing;
  if (id == kAskSubfolders) return answers_.subfolders;
  if (id == kAskConfirmRun) return true;
  if (id == kAskCancelOnEscape) return true;  // Ctrl+C was pressed
  if (id == kAskCancelOnUnreadableFile) {     // skip the file and go on
    ++messages_;
    ++left_out_;
    Print(text);
    return false;
  }
  ++messages_;
  Print(text);
  throw UnansweredQuestion("no answer on the command line for question \"" + std::string(id.key) +
                           "\"");
}

std::optional<std::string> CliUi::TakePath() {
  if (next_paths_.empty()) return std::nullopt;
  std::string path = std::move(next_paths_.front());
  next_paths_.pop_front();
  return path;
}

std::optional<std::string> CliUi::ChooseFolder(std::string_view) {
  return TakePath();
}

std::optional<std::string> CliUi::ChooseOpenFile(std::string_view, std::string_view,
                                                 std::string_view) {
  return TakePath();
}

std::optional<std::string> CliUi::ChooseSaveFile(std::string_view, std::string_view,
                                                 std::string_view, std::string_view) {
  return TakePath();
}

void CliUi::SetStatus(int line, std::string_view text) {
  if (line < 1 || line > 3) return;
  status_[line] = std::string(text);
  DrawProgress();
}

void CliUi::SetProgressRange(long long maximum) {
  max_ = maximum;
  pos_ = 0;
}

void CliUi::SetProgressPos(long long pos) {
  pos_ = pos;
  DrawProgress();
}

void CliUi::AdvanceProgress(long long delta) {
  pos_ += delta;
  DrawProgress();
}

void CliUi::SetWaitCursor(bool) {}

bool CliUi::PollEscape() {
  DrawProgress();
  return g_interrupt.exchange(false);
}

bool CliUi::OpenWithDefaultApp(std::string_view) {
  return false;
}

// A single progress line, redrawn at most five times a second once a run has lasted a second.
void CliUi::DrawProgress() {
  if (!tty_) return;
  std::uint64_t now = TickCountMs();
  if (now - started_ms_ < 1000 || now - last_draw_ms_ < 200) return;
  last_draw_ms_ = now;
  int percent = max_ > 0 ? static_cast<int>(pos_ * 100 / max_) : 0;
  if (percent > 100) percent = 100;
  std::string line = OneLine(status_[3] + " " + status_[2]);
  if (line.size() > 60) {
    std::size_t cut = 60;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    line.resize(cut);
  }
  std::fprintf(err_, "\r\033[K[%3d%%] %s", percent, line.c_str());
  std::fflush(err_);
  progress_shown_ = true;
}

void CliUi::FinishProgress() {
  if (!progress_shown_) return;
  std::fprintf(err_, "\r\033[K");
  std::fflush(err_);
  progress_shown_ = false;
}

}  // namespace kelvora
