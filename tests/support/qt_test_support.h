// Shared pieces of the Qt tests: a main() that keeps Qt away from the real home folder, and
// scripted answers to modal dialogs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace kelvora::testing {

// Calls answer with the next modal dialog once it shows; one still open five seconds later is
// rejected so that a failing test cannot hang.
inline void OnNextModal(std::function<void(QDialog*)> answer) {
  auto* timer = new QTimer;
  auto ticks = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, [timer, ticks, answer] {
    auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (modal == nullptr && ++*ticks < 500) return;
    timer->stop();
    timer->deleteLater();
    if (modal == nullptr) return;
    QPointer<QDialog> dialog(modal);
    answer(modal);
    QTimer::singleShot(5000, [dialog] {
      if (dialog != nullptr && dialog->isVisible()) {
        qWarning("a dialog did not take its scripted answer");
        dialog->reject();
      }
    });
  });
  timer->start(10);
}

}  // namespace kelvora::testing

// Qt writes dialog state below the home folder: point every user folder at a temporary one.
#define KELVORA_WINDOW_TEST_MAIN(TestClass)                                                \
  int main(int argc, char** argv) {                                                        \
    QTemporaryDir home;                                                                    \
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", \
                             "XDG_STATE_HOME", "XDG_RUNTIME_DIR", "KELVORA_HOME"}) {       \
      qputenv(name, home.path().toLocal8Bit());                                            \
    }                                                                                      \
    QApplication app(argc, argv);                                                          \
    TestClass test;                                                                        \
    return QTest::qExec(&test, argc, argv);                                                \
  }
