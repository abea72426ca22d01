#include "tools/ui/tool_windows.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <ctime>

#include "gui_common/background_patterns.h"
#include "gui_common/japanese_fonts.h"
#include "gui_common/readable_rows.h"
#include "platform/version.h"
#include "settings/background_pattern_table.h"
#include "tools/system_info.h"

namespace kelvora {

namespace {

QString U(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

InfoWindow::InfoWindow(const QString& text, double opacity, QWidget* parent) : QDialog(parent) {
  setWindowTitle(U("Kelvora - 情報表示 -"));
  setWindowOpacity(opacity);
  setSizeGripEnabled(true);
  // Lines of a fixed height that holds the underscore: the Japanese fixed fonts draw "_" below
  // their descent, where a plain text view's next line cuts it off (the 0x5F row of the ASCII
  // table looked empty).
  edit_ = new QTextEdit(this);
  edit_->setReadOnly(true);
  edit_->setAcceptRichText(false);
  edit_->setLineWrapMode(QTextEdit::NoWrap);
  edit_->setFont(QFont(FixedGothicName(), 10));
  edit_->setPlainText(text);
  QTextBlockFormat rows;
  rows.setLineHeight(ReadableRowHeight(edit_->font()), QTextBlockFormat::FixedHeight);
  QTextCursor all(edit_->document());
  all.select(QTextCursor::Document);
  all.mergeBlockFormat(rows);
  auto* copy = new QPushButton(U("ALLコピー(&A)"), this);
  auto* close = new QPushButton(U("閉じる(&C)"), this);
  connect(copy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(edit_->toPlainText()); });
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(copy);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(edit_);
  layout->addLayout(buttons);
  resize(900, 640);
}

QString InfoWindow::text() const {
  return edit_->toPlainText();
}

SystemInfoWindow::SystemInfoWindow(double opacity, QWidget* parent) : QDialog(parent) {
  setWindowTitle(U("各種情報"));
  setWindowOpacity(opacity);
  static const char* const kLabels[kFieldCount] = {"現在日時",
                                                   "OS バージョン",
                                                   "Internet Explorer",
                                                   "メモリ使用率",
                                                   "物理メモリ",
                                                   "スワップ（ページングファイル）",
                                                   "ユーザーアドレス空間",
                                                   "空きユーザーアドレス空間"};
  auto* grid = new QGridLayout(this);
  for (int i = 0; i < kFieldCount; ++i) {
    auto* label = new QLabel(U(kLabels[i]) + U("："), this);
    label->setAutoFillBackground(true);
    fields_[i] = new QLabel(this);
    fields_[i]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fields_[i]->setMinimumWidth(300);
    fields_[i]->setAutoFillBackground(true);
    grid->addWidget(label, i, 0);
    grid->addWidget(fields_[i], i, 1);
  }
  load_bar_ = new QProgressBar(this);
  load_bar_->setRange(0, 100);
  phys_bar_ = new QProgressBar(this);
  load_bar_->setFormat(U("メモリ使用率 %p%"));
  phys_bar_->setFormat(U("空き物理メモリ"));
  auto* bars = new QHBoxLayout;
  bars->addWidget(load_bar_);
  bars->addWidget(phys_bar_);
  grid->addLayout(bars, kFieldCount, 0, 1, 2);
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &SystemInfoWindow::Refresh);
  timer_->start(1000);
  Refresh();
}

void SystemInfoWindow::Refresh() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  Show(ReadSystemInfo(local));
}

void SystemInfoWindow::Show(const SystemInfoTexts& t) {
  const std::string* texts[kFieldCount] = {&t.local_time,    &t.os_version,  &t.ie_version,
                                           &t.memory_load,   &t.physical,    &t.paging,
                                           &t.address_total, &t.address_free};
  for (int i = 0; i < kFieldCount; ++i) fields_[i]->setText(U(*texts[i]));
  load_bar_->setValue(t.load_bar);
  phys_bar_->setRange(0, t.phys_bar_max);
  phys_bar_->setValue(t.phys_bar_pos);
}

QString SystemInfoWindow::FieldText(int field) const {
  return field >= 0 && field < kFieldCount ? fields_[field]->text() : QString();
}

void SystemInfoWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
      event->key() == Qt::Key_Escape) {
    event->accept();  // the window closes only with its close box
    return;
  }
  QDialog::keyPressEvent(event);
}

void SystemInfoWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QBrush(BackgroundPatternTile(73)));  // "ﾄﾞｯﾄ　白-灰"
}

BitmapPatternList::BitmapPatternList(int current_pattern, double opacity, QWidget* parent)
    : QDialog(parent),
      pattern_(current_pattern >= 0 && current_pattern < 95 ? current_pattern : 0) {
  setWindowTitle(U("ﾋﾞｯﾄﾏｯﾌﾟﾊﾟﾀｰﾝﾘｽﾄ"));
  setWindowOpacity(opacity);
  const auto& entries = BackgroundPatternEntries();
  table_ = new QTableWidget(static_cast<int>(entries.size()), 3, this);
  table_->setHorizontalHeaderLabels({U("No."), U("項目"), U("説明")});
  table_->verticalHeader()->hide();
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  for (int row = 0; row < table_->rowCount(); ++row) {
    const auto& e = entries[static_cast<std::size_t>(row)];
    table_->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
    table_->setItem(row, 1, new QTableWidgetItem(U(e.name)));
    table_->setItem(row, 2, new QTableWidgetItem(U(e.remark)));
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
  auto* note = new QLabel(U("選択したパターンがメインウィンドウの背景になります。\n"
                            "文字色は背景に合わせて設定して下さい。"),
                          this);
  note->setAutoFillBackground(true);
  auto* ok = new QPushButton(U("OK"), this);
  auto* cancel = new QPushButton(U("ｷｬﾝｾﾙ"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(table_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row < 0) return;
    pattern_ = row;
    update();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(note, 1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  table_->setCurrentCell(pattern_, 0);
  resize(520, 560);
}

void BitmapPatternList::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QBrush(BackgroundPatternTile(pattern_)));
}

VersionDialog::VersionDialog(const QString& engine_version, QWidget* parent)
    : QDialog(parent), engine_version_(engine_version) {
  setWindowTitle(U("ﾊﾞｰｼﾞｮﾝ情報"));
  setFixedSize(420, 230);
  auto* ok = new QPushButton(U("OK"), this);
  ok->setDefault(true);
  ok->setGeometry(330, 190, 75, 26);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void VersionDialog::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, QColor(90, 140, 230));
  g.setColorAt(1, QColor(235, 240, 255));
  p.fillRect(rect(), g);
  QFont title(ProportionalGothicName());
  title.setPixelSize(30);
  title.setWeight(QFont::Black);
  title.setStretch(10 * 100 * 2 / 30);  // 10 pixels wide characters on a 30-pixel height
  p.setFont(title);
  const QString text = U("Kelvora Version ") + U(kVersionText);
  const int ascent = QFontMetrics(title).ascent();
  p.setPen(QColor(0x64, 0x64, 0x64));
  p.drawText(23, 17 + ascent, text);
  p.setPen(Qt::black);
  p.drawText(20, 15 + ascent, text);
  QFont small(ProportionalGothicName(), 9);
  p.setFont(small);
  p.setPen(QColor(0x32, 0x32, 0x32));
  const int small_ascent = QFontMetrics(small).ascent();
  p.drawText(10, 140 + small_ascent, U("━━━━━━━━━━━━━━━━━━━━━━━━"));
  p.setPen(Qt::black);
  p.drawText(20, 160 + small_ascent, engine_version_);
}

}  // namespace kelvora
