// What the main-window tests share: a folder with the two stores, a scripted port, a recording
// editor spawner, and a main() that keeps every user folder in a temporary place.
#pragma once

// Before any Qt header: word_history.h uses the name "slots".
#include "lookup/word_history.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/cp932.h"
#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "support/qt_test_support.h"

namespace kelvora::testing {

class WindowEnv {
 public:
  WindowEnv() { WriteRegistry("[Software\\Kelv\\RunInf]\r\nRunCnt=5\r\n"); }

  std::string Home() const { return QFile::encodeName(dir_.path()).toStdString(); }
  std::string IniPath() const { return Home() + "/Kelvora.ini"; }
  std::string RegistryPath() const { return Home() + "/registry.ini"; }
  SettingsStore Store() const { return SettingsStore(IniPath(), RegistryPath()); }

  void WriteIni(const std::string& text) const {
    std::ofstream(IniPath(), std::ios::binary) << text;
  }
  void WriteRegistry(const std::string& text) const {
    std::ofstream(RegistryPath(), std::ios::binary) << text;
  }
  // A file below the folder, parents created; returns its path.
  std::string WriteFile(const std::string& relative, const std::string& bytes) const {
    const std::string path = Home() + "/" + relative;
    QDir().mkpath(QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  MainWindowOptions Options() {
    MainWindowOptions options;
    options.store = Store();
    options.work_dir = Home();
    options.lock_name = Home() + "/instance.lock";
    options.dialogs = &ui;
    options.spawner = [this](const std::vector<std::string>& argv) {
      spawned.push_back(argv);
      return true;
    };
    return options;
  }

  ScriptedUi ui;
  std::vector<std::vector<std::string>> spawned;

 private:
  QTemporaryDir dir_;
};

// The offscreen platform warns at every fixed-size change; nothing to learn from that. Call it
// from initTestCase, after QTest has installed its own handler.
inline void QuietSizeHintWarnings() {
  static QtMessageHandler previous = nullptr;
  previous = qInstallMessageHandler(
      [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (message.contains(QStringLiteral("propagateSizeHints"))) return;
        if (previous != nullptr) previous(type, context, message);
      });
}

inline QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

}  // namespace kelvora::testing
