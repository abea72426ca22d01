// Program start: the settings folder becomes the current directory, then the main window runs
// until it closes.
#include <unistd.h>

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "analysis/analysis_run.h"
#include "app/main_window.h"
#include "gui_common/japanese_fonts.h"
#include "platform/user_folder.h"

int main(int argc, char** argv) {
  kelvora::TuneHeapForAnalysis();
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Kelvora"));

  // Working files of the analysis are written to the current directory.
  const std::string folder = kelvora::SettingsFolder();
  if (::chdir(folder.c_str()) != 0) {
    std::fprintf(stderr, "kelvora: cannot change to the settings folder %s: %s\n", folder.c_str(),
                 std::strerror(errno));
  }

  kelvora::ApplyApplicationFont();

  // Qt's own texts (dialog buttons, file chooser) in Japanese, like the rest of the window.
  QTranslator qt_texts;
  if (qt_texts.load(QStringLiteral("qtbase_ja"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }

  kelvora::MainWindow window;
  if (window.Start() != kelvora::StartResult::Started) return 0;
  window.show();
  return QApplication::exec();
}
