#include "app/main_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace kelvora {
namespace {

// A label that shows data as it is (no rich text) and never widens the window for a long text.
QLabel* PlainLabel(QWidget* parent, const QString& object_name) {
  auto* label = new QLabel(parent);
  label->setObjectName(object_name);
  label->setTextFormat(Qt::PlainText);
  label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  label->setMinimumHeight(label->fontMetrics().height());  // an empty line keeps its place
  return label;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle(Title());

  auto* central = new QWidget(this);
  auto* columns = new QHBoxLayout(central);

  auto* controls = new QVBoxLayout;
  content_area_ = new QWidget(central);
  content_area_->setObjectName(QStringLiteral("contentArea"));
  content_area_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  controls->addWidget(content_area_);
  for (int i = 0; i < 3; ++i) {
    status_[i] = PlainLabel(central, QStringLiteral("status%1").arg(i + 1));
    controls->addWidget(status_[i]);
  }
  progress_ = new QProgressBar(central);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(false);
  controls->addWidget(progress_);
  columns->addLayout(controls, 1);

  list_area_ = new QWidget(central);
  list_area_->setObjectName(QStringLiteral("listArea"));
  auto* lists = new QVBoxLayout(list_area_);
  for (int i = 0; i < 5; ++i) {
    count_[i] = PlainLabel(list_area_, QStringLiteral("count%1").arg(i + 1));
    lists->addWidget(count_[i]);
  }
  lists->addStretch(1);
  list_area_->hide();
  columns->addWidget(list_area_, 1);

  setCentralWidget(central);
  resize(400, 240);
}

QString MainWindow::Title() {
  return QStringLiteral("Kelvora  - RarUviz -");
}

QLabel* MainWindow::StatusLine(int line) {
  return line >= 1 && line <= 3 ? status_[line - 1] : nullptr;
}

QLabel* MainWindow::CountLabel(int kind) const {
  return kind >= 1 && kind <= 5 ? count_[kind - 1] : nullptr;
}

void MainWindow::ApplyLayout(WindowLayout layout) {
  const bool running_view = layout != WindowLayout::Data;
  for (QLabel* line : status_) line->setVisible(running_view);
  progress_->setVisible(running_view);
  progress_->setValue(progress_->minimum());
  if (layout == WindowLayout::Running) {
    for (QLabel* label : count_) label->clear();
  }
  update();
}

void MainWindow::SetListRedraw(bool on) {
  list_area_->setUpdatesEnabled(on);
  if (on) list_area_->update();
}

void MainWindow::SetCountLabel(int kind, const QString& text) {
  if (QLabel* label = CountLabel(kind)) label->setText(text);
}

}  // namespace kelvora
