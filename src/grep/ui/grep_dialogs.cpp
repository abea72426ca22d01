#include "grep/ui/grep_dialogs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTextEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include "grep/grep_search.h"
#include "platform/cp932.h"
#include "platform/ui.h"

namespace kelvora {

namespace {

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// A small magnifier drawn in the row's colour.
QIcon SearchIcon(int row) {
  static const QColor kColours[] = {QColor(255, 200, 0), QColor(0, 220, 120), QColor(0, 180, 255),
                                    QColor(255, 90, 90)};
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(kColours[row % 4], 2));
  p.drawEllipse(QRectF(2, 2, 8, 8));
  p.drawLine(QPointF(9, 9), QPointF(14, 14));
  return QIcon(pixmap);
}

}  // namespace

GrepMenuDialog::GrepMenuDialog(Ui& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setWindowTitle(QStringLiteral("Grepメニュー"));
  model_ = new QStandardItemModel(0, 3, this);
  model_->setHorizontalHeaderLabels(
      {QStringLiteral("No."), QStringLiteral("項目"), QStringLiteral("機能説明")});
  for (const GrepMenuRow& row : GrepMenuRows()) {
    auto* number = new QStandardItem(SearchIcon(row.number - 1), QString::number(row.number));
    auto* item = new QStandardItem(Q(row.item));
    auto* description = new QStandardItem(Q(row.description));
    for (QStandardItem* cell : {number, item, description}) {
      cell->setEditable(false);
      cell->setBackground(QColor(1, 34, 146));
      cell->setForeground(Qt::white);
    }
    model_->appendRow({number, item, description});
  }
  list_ = new QTreeView(this);
  list_->setModel(model_);
  list_->setRootIsDecorated(false);
  list_->setAllColumnsShowFocus(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setStyleSheet(QStringLiteral("QTreeView { background: black; color: white; }"));
  list_->header()->resizeSection(0, 40);
  list_->header()->resizeSection(1, 200);
  list_->header()->resizeSection(2, 700);
  list_->setMinimumHeight(110);

  details_ = new QTextEdit(this);
  details_->setReadOnly(true);
  details_->setMinimumHeight(120);
  auto* note = new QLabel(Q(kGrepTargetNote), this);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
  connect(ok, &QPushButton::clicked, this, &GrepMenuDialog::Choose);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QTreeView::doubleClicked, this, &GrepMenuDialog::Choose);
  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &GrepMenuDialog::ShowDetails);
  connect(list_, &QTreeView::clicked, this, &GrepMenuDialog::ShowDetails);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(details_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(note);
  bottom->addStretch();
  bottom->addWidget(buttons);
  layout->addLayout(bottom);
  resize(980, 360);
}

std::optional<int> GrepMenuDialog::SelectedRow() const {
  const QModelIndexList rows = list_->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return rows.front().row() + 1;
}

void GrepMenuDialog::ShowDetails() {
  if (std::optional<int> row = SelectedRow())
    details_->setPlainText(
        QString::fromStdString(GrepLongDescription(static_cast<GrepKind>(*row))).remove(u'\r'));
}

void GrepMenuDialog::Choose() {
  const std::optional<int> row = SelectedRow();
  if (!AcceptGrepMenuChoice(row, ui_)) return;
  chosen_ = row;
  accept();
}

std::optional<int> GrepMenuDialog::Ask(Ui& ui, QWidget* parent) {
  GrepMenuDialog dialog(ui, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.chosen();
}

GrepInputDialog::GrepInputDialog(Ui& ui, QWidget* parent) : QDialog(parent), ui_(ui) {
  setWindowTitle(QStringLiteral("入力ダイアログ"));
  edit_ = new QLineEdit(this);
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  auto* cancel = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
  for (QPushButton* b : {ok, cancel}) {
    b->setAutoDefault(false);
    b->setDefault(false);
  }
  connect(ok, &QPushButton::clicked, this, &GrepInputDialog::TryAccept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Kelvora"), this));
  layout->addWidget(edit_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  edit_->setFocus();
}

std::string GrepInputDialog::name() const {
  return Utf8ToCp932(edit_->text().toStdString());
}

void GrepInputDialog::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void GrepInputDialog::TryAccept() {
  if (AcceptGrepName(name(), ui_)) accept();
}

std::optional<std::string> GrepInputDialog::Ask(Ui& ui, QWidget* parent) {
  GrepInputDialog dialog(ui, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.name();
}

}  // namespace kelvora
