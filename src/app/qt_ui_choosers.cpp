// The folder, open and save choosers of QtUi.
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>

#include "app/qt_ui.h"
#include "gui_common/arrow_cursor_scope.h"
#include "gui_common/file_dialog_style.h"
#include "gui_common/fs_names.h"

namespace kelvora {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The extension of a filter entry whose first pattern is "*.ext"; empty for "*.*" and the like.
QString DefaultSuffix(const QString& filter_entry) {
  static const QRegularExpression first_pattern(
      QStringLiteral(R"(\(\s*\*\.([^\s*?;()\[\]]+)[\s)])"));
  const QRegularExpressionMatch match = first_pattern.match(filter_entry);
  return match.hasMatch() ? match.captured(1) : QString();
}

std::optional<QString> Run(QFileDialog& dialog, bool wait_cursor, int style) {
  ApplyFileDialogStyle(dialog, style);
  ArrowCursorScope arrow(wait_cursor);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
  return chosen.front();
}

}  // namespace

std::optional<std::string> QtUi::ChooseFolder(std::string_view title) {
  QFileDialog dialog(DialogParent(), FromUtf8(title), QDir::homePath());
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  std::optional<QString> chosen = Run(dialog, wait_cursor_, file_dialog_style_);
  if (!chosen) return std::nullopt;
  QString folder = QDir::cleanPath(*chosen);
  if (folder == QStringLiteral("/")) return std::string();
  return FileSystemBytes(folder);
}

std::optional<std::string> QtUi::ChooseOpenFile(std::string_view title, std::string_view filter,
                                                std::string_view initial_dir) {
  QFileDialog dialog(DialogParent(), FromUtf8(title),
                     QFile::decodeName(QByteArray(initial_dir.data(), initial_dir.size())),
                     FromUtf8(filter));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  std::optional<QString> chosen = Run(dialog, wait_cursor_, file_dialog_style_);
  if (!chosen) return std::nullopt;
  return FileSystemBytes(*chosen);
}

std::optional<std::string> QtUi::ChooseSaveFile(std::string_view title, std::string_view filter,
                                                std::string_view initial_name,
                                                std::string_view default_suffix) {
  QFileDialog dialog(DialogParent(), FromUtf8(title),
                     QFile::decodeName(QByteArray(initial_name.data(), initial_name.size())),
                     FromUtf8(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!default_suffix.empty()) {
    // The caller's suffix, with the filter entry of that suffix chosen when there is one.
    const QString suffix = FromUtf8(default_suffix);
    for (const QString& entry : dialog.nameFilters())
      if (DefaultSuffix(entry) == suffix) dialog.selectNameFilter(entry);
    dialog.setDefaultSuffix(suffix);
  } else {
    dialog.setDefaultSuffix(DefaultSuffix(dialog.selectedNameFilter()));
  }
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& entry) {
    dialog.setDefaultSuffix(DefaultSuffix(entry));
  });
  std::optional<QString> chosen = Run(dialog, wait_cursor_, file_dialog_style_);
  if (!chosen) return std::nullopt;
  return FileSystemBytes(*chosen, /*last_may_be_new=*/true);
}

}  // namespace kelvora
