#include "grep/ui/grep_result_window.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>

#include "grep/ui/grep_dialogs.h"
#include "platform/cp932.h"
#include "platform/editor_launch.h"
#include "platform/ui.h"

namespace kelvora {

namespace {

QPointer<GrepResultWindow> g_current;

QString FromCp932(std::string_view bytes) {
  return QString::fromStdString(Cp932ToUtf8(bytes));
}

}  // namespace

void GrepResultModel::Reset(const std::function<void()>& change) {
  beginResetModel();
  change();
  endResetModel();
}

int GrepResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(list_.size());
}

int GrepResultModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant GrepResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<std::size_t>(index.row()) >= list_.size()) return {};
  if (role == Qt::ForegroundRole) return QColor(Qt::white);
  // A cut cell (the path is elided in its middle) shows its whole text as a tooltip.
  if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && index.column() > 0)) return {};
  const GrepHit& hit = list_.at(static_cast<std::size_t>(index.row()));
  switch (index.column()) {
    case 0:
      return QString::fromStdString(hit.number);
    case 1:
      return QString::fromStdString(ToDisplay(hit.position));
    default:
      return FromCp932(hit.rest);
  }
}

QVariant GrepResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0:
      return QStringLiteral("No.");
    case 1:
      return QStringLiteral("ファイルパス（行番号）");
    default:
      return QStringLiteral("検出結果");
  }
}

GrepResultWindow::GrepResultWindow(const GrepRun& run, const EditorLauncher& editor, Ui& ui,
                                   int opacity_par, QWidget* parent)
    : QDialog(parent), run_(run), editor_(editor), ui_(ui, this) {
  setWindowTitle(QStringLiteral("Grep結果"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(false);
  setMinimumSize(200, 150);
  g_current = this;

  model_ = new GrepResultModel(this);
  table_ = new QTableView(this);
  table_->setModel(model_);
  table_->setStyleSheet(QStringLiteral("QTableView { background: black; color: white; }"));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
  table_->setWordWrap(false);
  // A long path keeps its file name and line: cut in the middle.
  table_->setTextElideMode(Qt::ElideMiddle);
  table_->horizontalHeader()->setSectionsClickable(true);
  table_->horizontalHeader()->resizeSection(0, 40);
  table_->horizontalHeader()->resizeSection(1, 350);
  table_->horizontalHeader()->resizeSection(2, 360);
  connect(table_, &QTableView::doubleClicked, this, &GrepResultWindow::JumpToSelected);
  connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this,
          &GrepResultWindow::SortBy);

  footer_ = new QLabel(this);
  close_ = new QPushButton(QStringLiteral("閉じる (&X)"), this);
  close_->setAutoDefault(false);
  connect(close_, &QPushButton::clicked, this, &QDialog::close);
  status_ = new QStatusBar(this);
  status_->setSizeGripEnabled(false);
  for (QLabel*& part : parts_) {
    part = new QLabel(status_);
    status_->addWidget(part, 1);
  }
  if (opacity_par > 0) setWindowOpacity((255.0 - 2.0 * opacity_par) / 255.0);
  resize(780, 460);
  Fill();
}

GrepResultWindow::~GrepResultWindow() = default;

GrepResultWindow* GrepResultWindow::Current() {
  return g_current.data();
}

QString GrepResultWindow::StatusText(int part) const {
  return part >= 1 && part <= 3 ? parts_[part - 1]->text() : QString();
}

void GrepResultWindow::Fill() {
  // Read beside the model, so paints served while reading see the rows shown so far.
  GrepResultList loaded;
  loaded.Load(run_.result_path, [&](std::size_t row) {
    parts_[0]->setText(QStringLiteral("取得中：%1").arg(row));
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  });
  model_->Reset([&] { model_->list() = std::move(loaded); });
  parts_[0]->setText(QString::fromStdString(GrepFilesText(run_)));
  parts_[1]->setText(QString::fromStdString(GrepWordText(run_)));
  parts_[2]->setText(QString::fromStdString(GrepCountText(model_->list().size())));
  QString text =
      QString::fromStdString(GrepFooterText(FileModificationTime(run_.result_path), run_.kind));
  footer_->setText(text.remove(u'\r').trimmed());
}

void GrepResultWindow::SortBy(int column) {
  model_->Reset([&] { model_->list().SortByColumn(column); });
}

void GrepResultWindow::JumpToSelected() {
  std::optional<std::size_t> row;
  const QModelIndexList rows = table_->selectionModel()->selectedRows();
  if (!rows.isEmpty()) row = static_cast<std::size_t>(rows.front().row());
  OpenGrepHit(model_->list(), row, editor_, ui_);
}

void GrepResultWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_F5:
      JumpToSelected();
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void GrepResultWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  const int w = width(), h = height();
  const int bar = status_->sizeHint().height();
  table_->setGeometry(0, 0, w, std::max(0, h - 66));
  footer_->setGeometry(4, h - bar - 32, std::max(0, w - 126), 30);
  close_->setGeometry(w - 96, h - bar - 28, 90, 22);
  status_->setGeometry(0, h - bar, w, bar);
}

GrepOutcome RunGrepCommand(GrepContext ctx, const EditorLauncher& editor, int opacity_par,
                           QWidget* parent) {
  ctx.result_window_open = GrepResultWindow::Current() != nullptr;
  GrepDialogs dialogs{[&] { return GrepMenuDialog::Ask(ctx.ui, parent); },
                      [&] { return GrepInputDialog::Ask(ctx.ui, parent); }};
  GrepOutcome outcome = GrepCommand(ctx, dialogs);
  if (outcome.result == GrepResult::Found) {
    auto* window = new GrepResultWindow(outcome.run, editor, ctx.ui, opacity_par, parent);
    window->show();
  }
  return outcome;
}

}  // namespace kelvora
