#include "tree/ui/source_display.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

#include "gui_common/japanese_fonts.h"
#include "platform/cp932.h"
#include "platform/ui.h"
#include "settings/settings.h"
#include "text/source_clean.h"

namespace kelvora {
namespace {

constexpr int kStripHeight = 26;
constexpr int kMargin = 4;

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

struct Palette {
  QColor back, text, header, ruler, body_number, context_number, emphasis_back, emphasis_text,
      separator;
};

Palette Colours(bool inverted) {
  if (inverted)
    return {QColor(0, 0, 0),       QColor(230, 230, 230), QColor(255, 170, 120),
            QColor(110, 210, 110), QColor(120, 180, 255), QColor(140, 140, 140),
            QColor(170, 130, 0),   QColor(255, 255, 255), QColor(90, 90, 90)};
  return {QColor(255, 255, 255), QColor(0, 0, 0),   QColor(140, 0, 0),
          QColor(0, 120, 0),     QColor(0, 0, 170), QColor(130, 130, 130),
          QColor(255, 240, 0),   QColor(200, 0, 0), QColor(190, 190, 190)};
}

}  // namespace

SourceDisplay::SourceDisplay(SettingsStore& store, Ui& ui, QWidget* parent)
    : QWidget(parent), store_(store), ui_(ui), pats_(std::make_unique<CleaningPatterns>(regex_)) {
  if (QFont::substitutes(FixedGothicName()).isEmpty()) SubstituteJapaneseFonts();
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);
  menu_ = new QMenu(this);
  connect(menu_, &QMenu::aboutToShow, this, &SourceDisplay::BuildMenu);
  button_ = new QToolButton(this);
  button_->setText(QStringLiteral("  Src表示"));
  button_->setPopupMode(QToolButton::InstantPopup);
  button_->setMenu(menu_);
  emphasis_ = new QComboBox(this);
  emphasis_->setEditable(true);
  // Return inserts the text, which emits activated once; the list is then refilled from the
  // history, so only accepted patterns stay in it.
  emphasis_->setInsertPolicy(QComboBox::InsertAtTop);
  emphasis_->setToolTip(
      QStringLiteral("強調表示する文字列（正規表現）を設定\n（※コメント範囲は対象外）"));
  connect(emphasis_, &QComboBox::activated, this,
          [this](int index) { SetEmphasis(emphasis_->itemText(index)); });
  position_ = new QLabel(this);
  scroll_ = new QScrollBar(Qt::Vertical, this);
  connect(scroll_, &QScrollBar::valueChanged, this, [this] {
    position_->setText(position_text());
    update();
  });
  history_.Load(store_);
  FillEmphasisBox();
  ReloadSettings();
}

SourceDisplay::~SourceDisplay() = default;

void SourceDisplay::ReloadSettings() {
  settings_ = LoadSourceViewSettings(store_);
  history_.Load(store_);
  FillEmphasisBox();
  ApplySettings();
  Rebuild();
}

void SourceDisplay::ApplySettings() {
  QFont f(Q(Cp932ToUtf8(settings_.font)), settings_.font_size);
  f.setStyleHint(QFont::TypeWriter);
  f.setFixedPitch(true);
  setFont(f);
  const QFontMetrics m(f);
  cell_w_ = std::max(1, m.horizontalAdvance(QLatin1Char('0')));
  cell_h_ = std::max(1, m.height());
  ascent_ = m.ascent();
  LayOutChildren();
}

void SourceDisplay::ShowItem(std::string data, std::string data1) {
  data_ = std::move(data);
  data1_ = std::move(data1);
  shown_ = true;
  Rebuild();
  scroll_->setValue(0);
}

void SourceDisplay::clear() {
  shown_ = false;
  data_.clear();
  view_ = SourceView();
  UpdateScrollRange();
  update();
}

void SourceDisplay::SetInverted(bool on) {
  inverted_ = on;
  update();
}

void SourceDisplay::Rebuild() {
  if (!shown_) return;
  std::vector<const Regex*> patterns;
  if (emphasis_pattern_.ok()) patterns.push_back(&emphasis_pattern_);
  const int top = scroll_->value();
  view_ = BuildSourceView(data_, data1_, settings_, *pats_, patterns);
  UpdateScrollRange();
  scroll_->setValue(top);
  position_->setText(position_text());
  update();
}

QString SourceDisplay::position_text() const {
  const int top = scroll_->value();
  if (top < 0 || top >= static_cast<int>(view_.lines.size())) return {};
  return QStringLiteral("FilePos:%1").arg(view_.lines[static_cast<std::size_t>(top)].number);
}

void SourceDisplay::FillEmphasisBox() {
  const QString current = emphasis_->currentText();
  const QSignalBlocker block(emphasis_);
  emphasis_->clear();
  for (const std::string& p : history_.items()) emphasis_->addItem(Q(ToDisplay(p)));
  emphasis_->setEditText(current);
}

void SourceDisplay::SetEmphasis(const QString& text) {
  // Return in the box reaches here more than once: apply each text once.
  if (text == applied_) {
    FillEmphasisBox();
    return;
  }
  applied_ = text;
  const std::string pattern = Utf8ToCp932(text.toStdString());
  emphasis_pattern_ = Regex();
  if (!pattern.empty()) {
    const int checked = regex_.ValidatePattern(pattern, ui_);
    if (checked == -2)
      ui_.Message("正規表現が長すぎます（2048バイトまで）。　", Ui::kTreeCaption, MsgIcon::Warning);
    if (checked == 0 && regex_.Compile(pattern, emphasis_pattern_)) history_.Add(pattern, store_);
  }
  FillEmphasisBox();
  emphasis_->setEditText(text);
  Rebuild();
}

void SourceDisplay::BuildMenu() {
  menu_->clear();
  auto act = [this](QMenu* m, const QString& text, auto slot, bool checked = false) {
    QAction* a = m->addAction(text);
    if (checked) {
      a->setCheckable(true);
      a->setChecked(true);
    }
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* items = menu_->addMenu(QStringLiteral("表示項目関連"));
  for (SourceItem item : kSourceItems)
    act(items, Q(SourceItemMenuText(item, settings_)), [this, item] {
      ToggleSourceItem(item, settings_, store_);
      Rebuild();
    });
  QMenu* tabs = menu_->addMenu(QStringLiteral("タブの文字数（現在：%1）").arg(settings_.tab));
  for (int tab : {2, 4, 8})
    act(
        tabs, QStringLiteral("タブ：%1").arg(tab),
        [this, tab] {
          SetSourceTab(tab, settings_, store_);
          Rebuild();
        },
        settings_.tab == tab);
  QMenu* widths = menu_->addMenu(QStringLiteral("スクロールバーの幅"));
  const std::pair<int, const char*> width_items[] = {{6, "幅：細"}, {15, "幅：中"}, {25, "幅：太"}};
  for (const auto& [width, text] : width_items)
    act(
        widths, QString::fromUtf8(text),
        [this, width] {
          SetSourceScrollWidth(width, settings_, store_);
          LayOutChildren();
          update();
        },
        settings_.scroll_width == width);
  QMenu* columns = menu_->addMenu(QStringLiteral("表示列数の設定"));
  for (int n = 1; n <= 3; ++n)
    act(
        columns, QStringLiteral("%1列").arg(n),
        [this, n] {
          SetSourceColumns(n, settings_, store_);
          UpdateScrollRange();
          update();
        },
        settings_.columns == n);
  menu_->addSeparator();
  act(menu_, QStringLiteral("背景色反転  (&R)"), [this] {
    SetInverted(!inverted_);
    emit invertedChanged(inverted_);
  });
  act(menu_, QStringLiteral("フォント変更  (&F)"), [this] {
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, font(), this, QString(), QFontDialog::MonospacedFonts);
    if (!ok) return;
    SetSourceFont(Utf8ToCp932(chosen.family().toStdString()), chosen.pointSize(), settings_,
                  store_);
    ApplySettings();
    update();
  });
  menu_->addSeparator();
  act(
      menu_, QStringLiteral("条件付きコンパイル・ディレクティブ無効範囲  (&D)"),
      [this] {
        if (ToggleInactiveRanges(settings_, store_, ui_)) Rebuild();
      },
      settings_.hide_inactive);
  act(
      menu_, QStringLiteral("文字コード変換（EUC⇒S-JIS）  (&C)"),
      [this] {
        if (ToggleEucConversion(settings_, store_, ui_)) Rebuild();
      },
      settings_.euc);
  menu_->addSeparator();
  act(menu_, QStringLiteral("デフォルト設定に戻す  (&D)"), [this] {
    if (!RestoreSourceDefaults(settings_, store_, ui_)) return;
    ApplySettings();
    Rebuild();
  });
}

QMenu* SourceDisplay::menu() {
  BuildMenu();
  return menu_;
}

std::vector<std::string> SourceDisplay::PinnedLines() const {
  std::vector<std::string> pinned = view_.header;
  // Notes beside shown lines (reading stopped early) stay in sight above them.
  if (!view_.lines.empty()) pinned.insert(pinned.end(), view_.notes.begin(), view_.notes.end());
  return pinned;
}

int SourceDisplay::TextTop() const {
  const std::size_t pinned = PinnedLines().size();
  int y = kStripHeight + kMargin + static_cast<int>(pinned) * cell_h_;
  if (pinned > 0) y += kMargin;
  return y + (settings_.show_ruler && !view_.lines.empty() ? cell_h_ : 0);
}

int SourceDisplay::RowsShown() const {
  return std::max(1, (height() - TextTop() - kMargin) / cell_h_);
}

void SourceDisplay::UpdateScrollRange() {
  const int per_screen = RowsShown() * settings_.columns;
  const int lines = static_cast<int>(view_.lines.size());
  scroll_->setRange(0, std::max(0, lines - per_screen));
  scroll_->setPageStep(std::max(1, per_screen));
  scroll_->setSingleStep(1);
  position_->setText(position_text());
}

void SourceDisplay::LayOutChildren() {
  const int w = width(), h = height();
  const int bar = settings_.scroll_width;
  const int button_w = button_->sizeHint().width();
  // A narrow display shares the strip between the emphasis box and "FilePos:" so that neither
  // covers the other.
  const int room = std::max(0, w - button_w - 10);
  const int label_w = std::min(
      position_->fontMetrics().horizontalAdvance(QStringLiteral("FilePos:000000")), room / 2);
  button_->setGeometry(0, 1, button_w, kStripHeight - 2);
  emphasis_->setGeometry(button_w + 4, 1, std::max(0, room - label_w), kStripHeight - 2);
  position_->setGeometry(w - label_w - 2, 1, label_w, kStripHeight - 2);
  scroll_->setGeometry(w - bar, kStripHeight, bar, std::max(0, h - kStripHeight));
  UpdateScrollRange();
}

void SourceDisplay::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayOutChildren();
}

void SourceDisplay::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 40;
  scroll_->setValue(scroll_->value() - steps);
  event->accept();
}

QString SourceDisplay::HeaderLineAt(QPoint pos) const {
  const std::vector<std::string> pinned = PinnedLines();
  const int row = (pos.y() - kStripHeight - kMargin) / std::max(1, cell_h_);
  if (pos.y() < kStripHeight + kMargin || row >= static_cast<int>(pinned.size())) return {};
  return Q(pinned[static_cast<std::size_t>(row)]);
}

bool SourceDisplay::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    auto* help = static_cast<QHelpEvent*>(event);
    const QString line = HeaderLineAt(help->pos());
    if (!line.isEmpty())
      QToolTip::showText(help->globalPos(), line, this);
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::event(event);
}

void SourceDisplay::contextMenuEvent(QContextMenuEvent* event) {
  menu()->popup(event->globalPos());
}

void SourceDisplay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const Palette c = Colours(inverted_);
  p.fillRect(rect(), palette().window());
  const int area_w = width() - settings_.scroll_width;
  p.fillRect(QRect(0, kStripHeight, area_w, height() - kStripHeight), c.back);
  p.setFont(font());
  const QFontMetrics m(font());
  int y = kStripHeight + kMargin;
  p.setPen(c.header);
  const std::vector<std::string> pinned = PinnedLines();
  for (const std::string& h : pinned) {
    // A long path keeps its file name and line: cut in the middle, whole in the tooltip.
    p.drawText(kMargin, y + ascent_, m.elidedText(Q(h), Qt::ElideMiddle, area_w - 2 * kMargin));
    y += cell_h_;
  }
  if (!pinned.empty()) y += kMargin;

  const int columns = std::max(1, settings_.columns);
  const int column_w = area_w / columns;
  const int gutter = settings_.show_line_numbers ? kLineNumberCells : 0;
  const int rows = ColumnRows(view_.lines.size(), RowsShown(), columns);
  const int top = scroll_->value();
  for (int col = 0; col < columns; ++col) {
    const int x0 = col * column_w + kMargin;
    p.save();
    p.setClipRect(QRect(col * column_w, kStripHeight, column_w - 2, height() - kStripHeight));
    int row_y = y;
    if (settings_.show_ruler && !view_.lines.empty()) {
      p.setPen(c.ruler);
      const int cells = std::max(1, (column_w - kMargin) / cell_w_ - gutter);
      p.drawText(x0 + gutter * cell_w_, row_y + ascent_, Q(RulerText(cells)));
      row_y += cell_h_;
    }
    for (int r = 0; r < rows; ++r, row_y += cell_h_) {
      const std::size_t i = static_cast<std::size_t>(top + col * rows + r);
      if (i >= view_.lines.size()) break;
      const SourceLine& line = view_.lines[i];
      int x = x0;
      if (settings_.show_line_numbers) {
        p.setPen(line.body ? c.body_number : c.context_number);
        p.drawText(x, row_y + ascent_, Q(LineNumberText(line)));
        x += gutter * cell_w_;
      }
      // Each line is shown as UTF-8 when it is valid UTF-8, else as CP932.
      const bool utf8 = IsValidUtf8(line.text);
      auto show = [&](std::size_t from, std::size_t to, bool emphasised) {
        if (to <= from) return;
        const std::string_view part(line.text.data() + from, to - from);
        const QString s = Q(utf8 ? std::string(part) : Cp932ToUtf8(part));
        const int w = m.horizontalAdvance(s);
        if (emphasised) p.fillRect(QRect(x, row_y, w, cell_h_), c.emphasis_back);
        p.setPen(emphasised ? c.emphasis_text : c.text);
        p.drawText(x, row_y + ascent_, s);
        x += w;
      };
      std::size_t at = 0;
      for (const MatchSpan& e : line.emphasis) {
        show(at, e.pos, false);
        show(e.pos, e.pos + e.len, true);
        at = e.pos + e.len;
      }
      show(at, line.text.size(), false);
    }
    int note_y = row_y;
    p.setPen(c.header);
    if (col == 0 && view_.lines.empty())
      for (const std::string& n : view_.notes) {
        p.drawText(x0, note_y + ascent_, Q(n));
        note_y += cell_h_;
      }
    p.restore();
    if (col > 0) {
      p.setPen(c.separator);
      p.drawLine(col * column_w - 1, y, col * column_w - 1, height());
    }
  }
}

}  // namespace kelvora
