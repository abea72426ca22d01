// The tool windows and dialogs that the command table asks the main window for.
// Before any Qt header: word_history.h uses the name "slots".
#include "lookup/word_history.h"

#include <QPointer>

#include "app/main_window.h"
#include "grep/ui/grep_result_window.h"
#include "gui_common/background_patterns.h"
#include "gui_common/colors.h"
#include "lookup/ui/comment_search_dialog.h"
#include "output/ui/html_options_dialog.h"
#include "settings/window_settings.h"
#include "tools/ui/tool_windows.h"

namespace kelvora {

namespace {

// Opens a modeless tool window, deleted when closed.
template <typename Window>
void ShowModeless(Window* window) {
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

std::optional<HtmlOptions> MainWindow::AskHtmlOptions() {
  HtmlOptionsDialog dialog(ui(), this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.options();
}

void MainWindow::ShowInformation(const std::string& text) {
  ShowModeless(
      new InfoWindow(QString::fromStdString(text), WindowOpacity(settings_.raruviz_par), this));
}

void MainWindow::ShowSystemInfo() {
  ShowModeless(new SystemInfoWindow(WindowOpacity(settings_.raruviz_par), this));
}

void MainWindow::ShowBitmapPatternList() {
  const int current =
      settings_.hatch_pattern >= kHatchStyles ? settings_.hatch_pattern - kHatchStyles : 0;
  BitmapPatternList list(current, WindowOpacity(settings_.raruviz_par), this);
  if (list.exec() == QDialog::Accepted) SetBitmapPattern(list.pattern());
}

void MainWindow::ShowVersion() {
  VersionDialog dialog(QString::fromStdString(regex_.LibraryVersionText()), this);
  dialog.exec();
}

void MainWindow::RunGrepMenu() {
  RunGrepCommand(GrepContext{data_, settings_, regex_, ui(), options_.work_dir}, Launcher(),
                 settings_.raruviz_par, this);
}

void MainWindow::RunCommentSearch() {
  if (!comment_history_) {
    comment_history_ = std::make_unique<WordHistory>(kCommentHistoryPrefix);
    comment_history_->Load(*store_);
  }
  const EditorLauncher editor = Launcher();
  CommentSearchContext ctx{data_,  *store_, comment_request_, *comment_history_, menu_state_,
                           editor, ui()};
  ctx.had_rows = {!data_.functions().empty(), !data_.structs().empty(), !data_.defines().empty(),
                  !data_.tables().empty()};
  RunCommentSearchCommand(ctx, this);
  ShowCountField();
}

// A bitmap pattern (0..94) as the background: stored as 6..100 like the pattern list's choice.
void MainWindow::SetBitmapPattern(int pattern) {
  if (pattern < 0 || pattern >= kBackgroundPatternCount) return;
  kelvora::SetHatchPattern(*store_, settings_, kHatchStyles + pattern);
  SetBackgroundType(false);
  update();
}

}  // namespace kelvora
