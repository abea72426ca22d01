#include "settings/ui/executable_chooser_ui.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

#include "gui_common/file_dialog_style.h"
#include "gui_common/fs_names.h"
#include "settings/property_pages.h"

namespace kelvora {
namespace {

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Hides files without an execute permission while the first filter is chosen; folders stay.
class ExecutableFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

  void SetExecutablesOnly(bool on) {
    executables_only_ = on;
    invalidateFilter();
  }

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    if (!executables_only_) return true;
    auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
    if (files == nullptr) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || info.isExecutable();
  }

 private:
  bool executables_only_ = true;
};

}  // namespace

std::optional<std::string> ExecutableChooserUi::ChooseOpenFile(std::string_view title,
                                                               std::string_view filter,
                                                               std::string_view initial_dir) {
  if (filter != kEditorBrowseFilter) return inner_.ChooseOpenFile(title, filter, initial_dir);
  QFileDialog dialog(parent_, FromUtf8(title),
                     QFile::decodeName(QByteArray(initial_dir.data(), initial_dir.size())),
                     FromUtf8(filter));
  ApplyFileDialogStyle(dialog, file_dialog_style_);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.testOption(QFileDialog::DontUseNativeDialog)) {
    auto* executables = new ExecutableFilter(&dialog);
    dialog.setProxyModel(executables);
    const QString first_filter = dialog.nameFilters().value(0);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [executables, first_filter](const QString& chosen) {
                       executables->SetExecutablesOnly(chosen == first_filter);
                     });
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty() || chosen.front().isEmpty()) return std::nullopt;
  return FileSystemBytes(chosen.front());
}

}  // namespace kelvora
