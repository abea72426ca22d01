#include "platform/scripted_ui.h"

#include <algorithm>

namespace kelvora {

ScriptedUi& ScriptedUi::Answer(bool yes) {
  answers_.push_back({yes, {}});
  return *this;
}

ScriptedUi& ScriptedUi::Answer(QuestionId id, bool yes) {
  answers_.push_back({yes, id.key});
  return *this;
}

ScriptedUi& ScriptedUi::ChooseFolderAnswer(std::optional<std::string> path) {
  folders_.push_back(std::move(path));
  return *this;
}

ScriptedUi& ScriptedUi::ChooseOpenAnswer(std::optional<std::string> path) {
  opens_.push_back(std::move(path));
  return *this;
}

ScriptedUi& ScriptedUi::ChooseSaveAnswer(std::optional<std::string> path) {
  saves_.push_back(std::move(path));
  return *this;
}

ScriptedUi& ScriptedUi::EscapeAtPoll(int n) {
  escape_polls_.push_back(polls_ + n);
  return *this;
}

std::vector<std::string> ScriptedUi::messages() const {
  std::vector<std::string> out;
  for (const auto& s : shown_)
    if (!s.question) out.push_back(s.text);
  return out;
}

std::vector<std::string_view> ScriptedUi::question_ids() const {
  std::vector<std::string_view> out;
  for (const auto& s : shown_)
    if (s.question && !s.id.empty()) out.push_back(s.id);
  return out;
}

std::vector<std::string> ScriptedUi::questions() const {
  std::vector<std::string> out;
  for (const auto& s : shown_)
    if (s.question) out.push_back(s.text);
  return out;
}

bool ScriptedUi::AllAnswersUsed() const {
  return answers_.empty() && folders_.empty() && opens_.empty() && saves_.empty();
}

void ScriptedUi::Message(std::string_view text, std::string_view caption, MsgIcon icon) {
  shown_.push_back({std::string(text), std::string(caption), icon, false, {}});
}

bool ScriptedUi::AskYesNo(QuestionId id, std::string_view text, std::string_view caption) {
  shown_.push_back({std::string(text), std::string(caption), MsgIcon::Question, true, id.key});
  if (answers_.empty())
    throw UnscriptedQuestion("unscripted question " + std::string(id.key) + ": " +
                             std::string(text));
  const Reply reply = answers_.front();
  if (!reply.id.empty() && reply.id != id.key)
    throw UnscriptedQuestion("expected question " + std::string(reply.id) + ", asked " +
                             std::string(id.key) + ": " + std::string(text));
  answers_.pop_front();
  return reply.yes;
}

std::optional<std::string> ScriptedUi::TakeChoice(std::deque<std::optional<std::string>>& queue,
                                                  std::string_view what, std::string_view title) {
  shown_.push_back({std::string(title), std::string(what), MsgIcon::None, true, {}});
  if (queue.empty())
    throw UnscriptedQuestion("unscripted " + std::string(what) + ": " + std::string(title));
  auto choice = std::move(queue.front());
  queue.pop_front();
  return choice;
}

std::optional<std::string> ScriptedUi::ChooseFolder(std::string_view title) {
  return TakeChoice(folders_, "folder chooser", title);
}

std::optional<std::string> ScriptedUi::ChooseOpenFile(std::string_view title, std::string_view,
                                                      std::string_view) {
  return TakeChoice(opens_, "open dialog", title);
}

std::optional<std::string> ScriptedUi::ChooseSaveFile(std::string_view title, std::string_view,
                                                      std::string_view,
                                                      std::string_view default_suffix) {
  last_save_suffix_ = std::string(default_suffix);
  return TakeChoice(saves_, "save dialog", title);
}

void ScriptedUi::SetStatus(int line, std::string_view text) {
  int i = Clamp(line);
  if (i == 0) return;
  status_[i] = std::string(text);
  status_hist_[i].push_back(status_[i]);
}

void ScriptedUi::SetProgressRange(long long maximum) {
  progress_max_ = maximum;
  progress_pos_ = 0;
}

void ScriptedUi::SetProgressPos(long long pos) {
  progress_pos_ = pos;
}

void ScriptedUi::AdvanceProgress(long long delta) {
  progress_pos_ += delta;
}

void ScriptedUi::SetWaitCursor(bool on) {
  wait_cursor_ = on;
  ++wait_cursor_changes_;
}

bool ScriptedUi::PollEscape() {
  ++polls_;
  auto it = std::find(escape_polls_.begin(), escape_polls_.end(), polls_);
  if (it == escape_polls_.end()) return false;
  escape_polls_.erase(it);
  return true;
}

bool ScriptedUi::OpenWithDefaultApp(std::string_view path) {
  opened_.emplace_back(path);
  return true;
}

}  // namespace kelvora
