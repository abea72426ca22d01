// The two file-dialog styles of the "Dialog" fileDLG setting.
#pragma once

#include <QFileDialog>

namespace kelvora {

// 1: the desktop's own dialog (Qt shows it when the platform theme offers one, else its own);
// any other value: Qt's own dialog.
inline constexpr int kNativeFileDialog = 1;

inline void ApplyFileDialogStyle(QFileDialog& dialog, int style) {
  dialog.setOption(QFileDialog::DontUseNativeDialog, style != kNativeFileDialog);
}

}  // namespace kelvora
