// kelvora_bench_type_ahead TREE_FILE [words...]: reads a kernel-sized function tree file into the
// TREE viewer's first page (DataMax raised so every entry is read) and types names into the
// selection window as a person does, one key every 120 ms, each name after a pause that starts a
// new one. Every key is timed from its key event to the repainted view. Prints the times per key
// and exits with 1 when a key took more than 100 ms or a name landed on another entry.
// Run under xvfb-run or with QT_QPA_PLATFORM=offscreen; bench/type_ahead.sh makes the file.
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/scripted_ui.h"
#include "settings/settings.h"
#include "tree/ui/tree_viewer_window.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kLimitMs = 100.0;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: kelvora_bench_type_ahead TREE_FILE [words...]\n");
    return 2;
  }
  QTemporaryDir home;
  qputenv("KELVORA_HOME", home.path().toLocal8Bit());
  QApplication app(argc, argv);
  std::vector<std::string> words;
  for (int i = 2; i < argc; ++i) words.emplace_back(argv[i]);
  if (words.empty()) words = {"start_kernel", "kmalloc", "tar", "schedule", "zzz_none"};

  const std::string dir = home.path().toStdString();
  kelvora::SettingsStore store(dir + "/Kelvora.ini", dir + "/registry.ini");
  store.WriteInt("Tree", "DataMax", 10000000);
  kelvora::ScriptedUi ui;
  kelvora::TreeViewerWindow viewer(store, ui, [] {
    return kelvora::EditorLauncher("/usr/bin/true", "+",
                                   [](const std::vector<std::string>&) { return true; });
  });
  viewer.resize(1000, 700);
  viewer.show();
  app.processEvents();
  const Clock::time_point t0 = Clock::now();
  if (!viewer.OpenFile(argv[1])) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  app.processEvents();
  std::printf("read %zu entries in %.0f ms\n", viewer.state().page().file.entry_count(),
              std::chrono::duration<double, std::milli>(Clock::now() - t0).count());

  QTreeView* view = viewer.selection_view(0);
  view->setFocus();
  quint64 stamp = 1000000;
  std::vector<double> all;
  bool wrong = false;
  for (const std::string& word : words) {
    stamp += 3000;  // a pause: a new name
    std::printf("%-14s", word.c_str());
    for (char c : word) {
      stamp += 120;
      const Clock::time_point start = Clock::now();
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(c)));
      press.setTimestamp(stamp);
      QApplication::sendEvent(view, &press);
      app.processEvents();
      view->viewport()->repaint();
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      all.push_back(ms);
      std::printf(" %5.1f", ms);
    }
    const QString shown = view->currentIndex().data().toString();
    const bool present = viewer.state().page().file.FindEntry(word) >= 0;
    if (present && shown != QString::fromStdString(word)) wrong = true;
    std::printf("   -> %s%s\n", qPrintable(shown), present ? "" : " (not in the file)");
  }
  std::sort(all.begin(), all.end());
  std::printf("keys %zu  median %.1f ms  max %.1f ms  (limit %.0f ms)\n", all.size(),
              all[all.size() / 2], all.back(), kLimitMs);
  if (wrong) std::printf("FAIL: a name landed on another entry\n");
  if (all.back() > kLimitMs) std::printf("FAIL: a key took longer than %.0f ms\n", kLimitMs);
  return wrong || all.back() > kLimitMs ? 1 : 0;
}
