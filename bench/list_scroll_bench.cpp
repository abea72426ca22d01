// kelvora_bench_list_scroll [rows]: fills a #define list with rows shaped like a kernel's
// (4 600 000 by default), shows it through the main window's list model in a QTableView, and
// times jumps to 200 places across the list and 500 wheel steps, each with a repaint of the
// visible page, then a sort of the list. Prints the resident memory after filling.
// Run under xvfb-run or with QT_QPA_PLATFORM=offscreen.
#include <QApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/registration_table_model.h"
#include "data/registration_lists.h"

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

long RssKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(4096, '\n');
  }
  return 0;
}

void PrintTimes(const char* what, std::vector<double>& ms) {
  std::sort(ms.begin(), ms.end());
  double sum = 0;
  for (double m : ms) sum += m;
  std::printf("%-28s %6zu pages  mean %6.2f ms  median %6.2f ms  max %6.2f ms\n", what, ms.size(),
              sum / static_cast<double>(ms.size()), ms[ms.size() / 2], ms.back());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::size_t rows = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 4600000;

  kelvora::RegistrationList list(kelvora::ListKind::Define);
  Clock::time_point t0 = Clock::now();
  const long rss0 = RssKb();
  std::uint32_t seed = 1;
  for (std::size_t r = 0; r < rows; ++r) {
    seed = seed * 1103515245u + 12345u;
    const std::string name = "REG_" + std::to_string(seed % 50000) + "_FIELD_MASK";
    const std::string position = "%1/drivers/net/wireless/vendor/chip" + std::to_string(r / 400) +
                                 "/reg.h(" + std::to_string(r % 400 + 1) + ")";
    const std::string comment = r % 7 == 0 ? "/* bit " + std::to_string(r % 32) + " */" : "";
    const std::string_view cells[] = {name, position, "", comment};
    list.AppendRow(cells);
  }
  std::printf("filled %zu rows in %.0f ms, resident memory +%.1f MB\n", rows, MsSince(t0),
              static_cast<double>(RssKb() - rss0) / 1024.0);

  kelvora::RegistrationTableModel model(list);
  model.Refresh();
  QTableView view;
  view.setModel(&model);
  view.verticalHeader()->hide();
  view.verticalHeader()->setDefaultSectionSize(18);
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.resize(900, 700);
  view.show();
  QApplication::processEvents();

  std::vector<double> jumps;
  for (int i = 0; i < 200; ++i) {
    seed = seed * 1103515245u + 12345u;
    const int row = static_cast<int>(seed % rows);
    t0 = Clock::now();
    view.scrollTo(model.index(row, 0), QAbstractItemView::PositionAtTop);
    view.viewport()->repaint();
    jumps.push_back(MsSince(t0));
  }
  PrintTimes("jump to a random row", jumps);

  std::vector<double> steps;
  QScrollBar* bar = view.verticalScrollBar();
  bar->setValue(bar->maximum() / 2);
  for (int i = 0; i < 500; ++i) {
    t0 = Clock::now();
    bar->setValue(bar->value() + 3);
    view.viewport()->repaint();
    steps.push_back(MsSince(t0));
  }
  PrintTimes("wheel step (3 rows)", steps);

  t0 = Clock::now();
  list.Sort();
  model.Refresh();
  view.viewport()->repaint();
  std::printf("sort and repaint: %.0f ms\n", MsSince(t0));
  return 0;
}
