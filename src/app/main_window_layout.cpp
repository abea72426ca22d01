// Building the window's controls, their texts and tooltips, and the three layouts.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

#include "app/main_window.h"
#include "app/registration_table_model.h"
#include "gui_common/background_patterns.h"
#include "gui_common/button_patterns.h"
#include "gui_common/controls.h"
#include "platform/cp932.h"

namespace kelvora {
namespace {

QString U(const char* utf8) {
  return QString::fromUtf8(utf8);
}

QString Tip(const char* utf8) {
  return U(utf8).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

QLabel* PlainLabel(QWidget* parent, const QString& object_name) {
  auto* label = new QLabel(parent);
  label->setObjectName(object_name);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A push-like radio or check button that shows one bitmap when on and another when off.
QToolButton* LampButton(QWidget* parent, const QString& text, int on_bitmap, int off_bitmap,
                        bool exclusive) {
  auto* button = new QToolButton(parent);
  button->setCheckable(true);
  button->setAutoExclusive(exclusive);
  button->setAutoRaise(true);
  button->setText(text);
  button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly
                                            : Qt::ToolButtonTextBesideIcon);
  button->setIcon(QIcon(NumberedBitmap(off_bitmap)));
  // Radios show their state by the bitmap alone, not by a pressed frame.
  if (exclusive) button->setStyleSheet(QStringLiteral("QToolButton { border: none; }"));
  QObject::connect(button, &QToolButton::toggled, button, [button, on_bitmap, off_bitmap](bool on) {
    button->setIcon(QIcon(NumberedBitmap(on ? on_bitmap : off_bitmap)));
  });
  return button;
}

const char* const kKindTexts[kListCount] = {"関数", "構造体", "#define", "ﾌｧｲﾙ", "ﾃｰﾌﾞﾙ"};

}  // namespace

QLabel* MainWindow::PaintedLabel(const QString& text, int x, int y, int w, int h) {
  auto* label = new QLabel(text, panel_);
  label->setGeometry(x, y, w, h);
  label->setTextFormat(Qt::PlainText);
  painted_labels_.push_back(label);
  return label;
}

void MainWindow::BuildControls() {
  BuildTopControls();
  BuildPanelControls();
  BuildListArea();
  SetToolTips();
  ApplyTextColor();
}

void MainWindow::BuildTopControls() {
  for (int i = 0; i < 3; ++i) {
    status_[static_cast<std::size_t>(i)] = PlainLabel(this, QStringLiteral("status%1").arg(i + 1));
    status_[static_cast<std::size_t>(i)]->setGeometry(10, 8 + 18 * i, 320, 16);
  }
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("progress"));
  progress_->setGeometry(10, 66, 320, 14);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(false);

  analyse_ = new QPushButton(U("解析(&A)"), this);
  analyse_->setGeometry(10, 88, 110, 30);
  analyse_->setDefault(true);
  connect(analyse_, &QPushButton::clicked, this, [this] { Command(cmd::kAnalyse); });

  menu_radio_ = LampButton(this, QStringLiteral("MENU"), 459, 460, true);
  menu_radio_->setGeometry(6, 6, 76, 24);
  specify_radio_ = LampButton(this, U("指定"), 459, 460, true);
  specify_radio_->setGeometry(82, 6, 64, 24);
  connect(menu_radio_, &QToolButton::clicked, this, [this] {
    if (Idle()) SetSpecifyMode(false);
  });
  connect(specify_radio_, &QToolButton::clicked, this, [this] {
    if (Idle()) SetSpecifyMode(true);
  });

  index_ = LampButton(this, QStringLiteral("Index"), 424, 425, false);
  index_->setGeometry(150, 6, 72, 24);
  index_->setAutoRaise(false);
  connect(index_, &QToolButton::clicked, this, [this] {
    if (Idle()) ToggleIndex();
  });

  count_field_ = PlainLabel(this, QStringLiteral("countField"));
  count_field_->setGeometry(226, 8, 104, 20);
  count_field_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

  // The position of the highlighted match-menu item, below the kind buttons.
  menu_status_ = PlainLabel(this, QStringLiteral("menuStatus"));
  menu_status_->setGeometry(10, kCollapsedHeight - 28, kCollapsedWidth - 62, 20);
  menu_status_->hide();

  word_box_ = new QComboBox(this);
  word_box_->setEditable(true);
  word_box_->setInsertPolicy(QComboBox::NoInsert);
  word_box_->setGeometry(10, 36, 252, 26);
  get_ = new QPushButton(QStringLiteral("Get"), this);
  get_->setGeometry(268, 36, 62, 26);
  get_->setAutoDefault(false);
  connect(get_, &QPushButton::clicked, this, [this] { Command(cmd::kGet); });

  for (int slot = 0; slot < kListCount; ++slot) {
    auto* button = new QPushButton(this);
    button->setObjectName(QStringLiteral("kind%1").arg(slot + 1));
    button->setAccessibleName(U(kKindTexts[slot]));
    button->setGeometry(10 + 64 * slot, 70, 62, 30);
    button->setIconSize(QSize(kKindBitmapWidth, kKindBitmapHeight));
    button->setAutoDefault(false);
    button->setFlat(true);
    connect(button, &QPushButton::clicked, this, [this, slot] {
      if (Idle()) KindButtonPressed(KindOfSlot(slot));
    });
    kind_buttons_[static_cast<std::size_t>(slot)] = button;
  }

  panel_button_ = new QToolButton(this);
  panel_button_->setText(U("▼"));
  panel_button_->setGeometry(kCollapsedWidth - 42, kCollapsedHeight - 30, 32, 24);
  connect(panel_button_, &QToolButton::clicked, this, [this] {
    if (Idle()) TogglePanel();
  });

  for (QWidget* w :
       std::initializer_list<QWidget*>{menu_radio_, specify_radio_, index_, word_box_, get_}) {
    w->hide();
  }
  for (QPushButton* b : kind_buttons_) b->hide();
}

void MainWindow::BuildPanelControls() {
  panel_ = new QWidget(this);
  panel_->setObjectName(QStringLiteral("lowerPanel"));
  panel_->setGeometry(0, kCollapsedHeight, kCollapsedWidth, kPanelHeight);

  auto* colors = new QGroupBox(U("≪ダイアログカラー関連≫"), panel_);
  colors->setGeometry(10, 4, 320, 130);
  auto* menus = new QGroupBox(U("≪MENU表示関連≫"), panel_);
  menus->setGeometry(10, 138, 320, 162);
  auto* other = new QGroupBox(U("≪その他≫"), panel_);
  other->setGeometry(10, 304, 320, 72);
  groups_ = {colors, menus, other};

  hatch_radio_ = LampButton(colors, QString(), 459, 460, true);
  hatch_radio_->setGeometry(10, 20, 22, 22);
  bitmap_radio_ = LampButton(colors, QString(), 459, 460, true);
  bitmap_radio_->setGeometry(160, 20, 22, 22);
  connect(hatch_radio_, &QToolButton::clicked, this, [this] { SetBackgroundType(true); });
  connect(bitmap_radio_, &QToolButton::clicked, this, [this] { SetBackgroundType(false); });
  auto add_label = [this](QWidget* group, const char* text, int x, int y, int w) {
    QLabel* label = PaintedLabel(U(text), 0, 0, w, 18);
    label->setParent(group);
    label->setGeometry(x, y, w, 18);
    return label;
  };
  add_label(colors, "ﾊｯﾁﾝｸﾞﾊﾟﾀｰﾝ", 34, 22, 110);
  add_label(colors, "ﾋﾞｯﾄﾏｯﾌﾟﾊﾟﾀｰﾝ", 184, 22, 120);

  hatch_box_ = new QComboBox(colors);
  hatch_box_->addItems(HatchBoxEntries());
  hatch_box_->setGeometry(10, 46, 146, 24);
  connect(hatch_box_, &QComboBox::activated, this, [this](int entry) { SetHatchPattern(entry); });
  bitmap_list_ = new QPushButton(U("選択ﾘｽﾄ表示"), colors);
  bitmap_list_->setGeometry(160, 46, 146, 24);
  connect(bitmap_list_, &QPushButton::clicked, this, [this] { Command(cmd::kBitmapList); });

  line_color_ = new QPushButton(U("ﾗｲﾝｶﾗｰ"), colors);
  line_color_->setGeometry(10, 74, 96, 24);
  auto* text_color = new QPushButton(U("ﾃｷｽﾄｶﾗｰ"), colors);
  text_color->setObjectName(QStringLiteral("textColor"));
  text_color->setGeometry(110, 74, 96, 24);
  back_color_ = new QPushButton(U("ﾊﾞｯｸｶﾗｰ"), colors);
  back_color_->setGeometry(210, 74, 96, 24);
  const std::pair<QPushButton*, ColorTarget> color_buttons[] = {{line_color_, ColorTarget::Line},
                                                                {text_color, ColorTarget::Text},
                                                                {back_color_, ColorTarget::Back}};
  for (const auto& [button, target] : color_buttons) {
    connect(button, &QPushButton::clicked, this, [this, target = target] {
      if (Idle()) ChooseColor(target);
    });
  }

  add_label(colors, "◆ﾎﾞﾀﾝﾊﾟﾀｰﾝ", 10, 104, 84);
  button_box_ = new QComboBox(colors);
  for (int i = 0; i < kButtonPatternCount; ++i) button_box_->addItem(ButtonPatternName(i));
  button_box_->setMaxVisibleItems(kButtonPatternCount);
  button_box_->setGeometry(96, 101, 150, 24);
  connect(button_box_, &QComboBox::activated, this, [this](int index) { SetButtonPattern(index); });

  one_column_ = LampButton(menus, QString(), 459, 460, true);
  one_column_->setGeometry(10, 20, 22, 22);
  multi_column_ = LampButton(menus, QString(), 459, 460, true);
  multi_column_->setGeometry(130, 20, 22, 22);
  add_label(menus, "１列表示", 34, 22, 90);
  add_label(menus, "複数列表示", 154, 22, 100);
  add_label(menus, "（「指定」時は１列表示のみ）", 34, 42, 260);
  connect(one_column_, &QToolButton::clicked, this,
          [this] { ChangeDisplayType(false, *store_, settings_); });
  connect(multi_column_, &QToolButton::clicked, this,
          [this] { ChangeDisplayType(true, *store_, settings_); });

  add_label(menus, "縦項目数", 10, 66, 58);
  rows_spin_ = new QSpinBox(menus);
  rows_spin_->setRange(1, 9999);
  rows_spin_->setGeometry(70, 63, 70, 24);
  add_label(menus, "列数", 152, 66, 36);
  columns_spin_ = new QSpinBox(menus);
  columns_spin_->setRange(1, 9999);
  columns_spin_->setGeometry(190, 63, 70, 24);
  add_label(menus, "表示数", 10, 94, 58);
  page_size_ = new QLineEdit(menus);
  page_size_->setReadOnly(true);
  page_size_->setGeometry(70, 91, 90, 24);
  auto show_page_size = [this] {
    page_size_->setText(QString::fromStdString(PageSizeText(MenuLayoutFrom(settings_))));
    ShowCountField();
  };
  connect(rows_spin_, &QSpinBox::valueChanged, this, [this, show_page_size](int value) {
    if (!started_) return;
    ChangeMenuRows(value, *store_, settings_, menu_state_);
    show_page_size();
  });
  connect(columns_spin_, &QSpinBox::valueChanged, this, [this, show_page_size](int value) {
    if (!started_) return;
    ChangeMenuColumns(value, *store_, settings_, menu_state_);
    show_page_size();
  });

  comment_box_ = new QCheckBox(menus);
  comment_box_->setGeometry(10, 118, 20, 20);
  add_label(menus, "ｺﾒﾝﾄがある場合、表示する", 34, 119, 240);
  connect(comment_box_, &QCheckBox::clicked, this,
          [this](bool on) { ChangeCommentDisplay(on, *store_, settings_); });
  const std::pair<int, const char*> legend[] = {
      {134, "関数ﾏｸﾛ"}, {132, "ﾃｰﾌﾞﾙ"}, {133, "ﾍｯﾀﾞﾌｧｲﾙ"}};
  int x = 10;
  for (const auto& [bitmap, text] : legend) {
    auto* image = new QLabel(menus);
    image->setPixmap(NumberedBitmap(bitmap));
    image->setGeometry(x, 140, 16, 16);
    add_label(menus, text, x + 20, 139, 76);
    x += 100;
  }

  on_top_ = new QCheckBox(other);
  on_top_->setGeometry(10, 20, 20, 20);
  add_label(other, "常に手前に表示", 34, 21, 200);
  connect(on_top_, &QCheckBox::clicked, this, [this](bool on) { SetAlwaysOnTop(on); });
  // "ﾒﾆｭｰ" opens the context menu; the other two run their commands and are enabled while
  // those are built.
  const std::pair<const char*, int> buttons[] = {
      {"ﾒﾆｭｰ", 0}, {"ﾌﾟﾛﾊﾟﾃｨ", cmd::kProperties}, {"関数TREE Viewer", cmd::kTreeViewer}};
  const char* const names[] = {"cmd1150", "cmd1066", "cmd1024"};
  const int widths[] = {70, 80, 140};
  x = 10;
  for (int i = 0; i < 3; ++i) {
    auto* button = new QPushButton(U(buttons[i].first), other);
    button->setObjectName(QString::fromLatin1(names[i]));
    button->setGeometry(x, 42, widths[i], 24);
    button->setAutoDefault(false);
    const int id = buttons[i].second;
    if (id == 0) {
      connect(button, &QPushButton::clicked, this, [this] { ShowContextMenu(QCursor::pos()); });
    } else {
      connect(button, &QPushButton::clicked, this, [this, id] { Command(id); });
      const CommandRow* row = FindMainCommand(id);
      button->setEnabled(row != nullptr && row->run);
    }
    x += widths[i] + 6;
  }
  bitmap_list_->setEnabled(static_cast<bool>(FindMainCommand(cmd::kBitmapList)->run));
  panel_->hide();

  panel_timer_ = new QTimer(this);
  panel_timer_->setInterval(kPanelTickMs);
  connect(panel_timer_, &QTimer::timeout, this, [this] { PanelTick(); });
}

void MainWindow::BuildListArea() {
  list_area_ = new QWidget(this);
  list_area_->setObjectName(QStringLiteral("listArea"));
  list_area_->setGeometry(kCollapsedWidth, 0, kDebugWidth, kCollapsedHeight + kPanelHeight);
  const int block = (kCollapsedHeight + kPanelHeight) / kListCount;
  for (int slot = 0; slot < kListCount; ++slot) {
    const ListKind kind = KindOfSlot(slot);
    QLabel* label = PlainLabel(list_area_, QStringLiteral("count%1").arg(slot + 1));
    label->setGeometry(4, block * slot + 2, kDebugWidth - 8, 16);
    count_[static_cast<std::size_t>(slot)] = label;

    auto* model = new RegistrationTableModel(data_.List(kind), this);
    auto* view = new QTableView(list_area_);
    view->setModel(model);
    view->setGeometry(4, block * slot + 20, kDebugWidth - 8, block - 22);
    view->setShowGrid(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->horizontalHeader()->setSectionsMovable(true);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(18);
    // Fixed heights: a list of millions of rows never measures its rows.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const auto& columns = Columns(kind);
    // Never narrower than the header's text.
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const int column = static_cast<int>(c);
      view->setColumnWidth(
          column, std::max(columns[c].width, view->horizontalHeader()->sectionSizeHint(column)));
    }
    views_[static_cast<std::size_t>(slot)] = view;
    models_[static_cast<std::size_t>(slot)] = model;
  }
  list_area_->hide();
}

void MainWindow::SetToolTips() {
  QPalette tip = QToolTip::palette();
  tip.setColor(QPalette::ToolTipBase, FromColorRef(0x0000FF));
  tip.setColor(QPalette::ToolTipText, Qt::white);
  QToolTip::setPalette(tip);

  const std::pair<QWidget*, const char*> tips[] = {
      {menu_radio_, "登録されている一覧をMENU表示する"},
      {specify_radio_, "指定Wordで検索し、複数検出時はMENU表示する"},
      {count_field_, "MENU表示の際、検出数を表示する"},
      {panel_button_, "ダイアログ下設定画面表示（ダイアログ拡張）"},
      {line_color_, "ハッチングパターン選択時の\r\nダイアログのラインカラーを設定する"},
      {findChild<QPushButton*>(QStringLiteral("textColor")),
       "ダイアログのテキストカラーを設定する"},
      {back_color_, "ハッチングパターン選択時の\r\nダイアログのバックグラウンドカラーを設定する"},
      {hatch_box_, "ダイアログのハッチングパターンを設定する"},
      {one_column_, "解析後に表示されるボタン押下時の\r\nMENU表示を１列表示に設定する"},
      {multi_column_, "解析後に表示されるボタン押下時の\r\nMENU表示を複数列表示に設定する"},
      {button_box_, "解析後に表示されるダイアログの\r\nボタンパターンを設定する"},
      {findChild<QPushButton*>(QStringLiteral("cmd1024")),
       "関数TREEツールを起動する\r\n（解析にて「File」取得後であれば、\r\n."
       "treeファイルも出力できます）"},
      {rows_spin_, "MENU表示の際の、表示される縦項目数を設定する"},
      {columns_spin_, "MENU表示の際の、表示される列数を設定する"},
      {page_size_, "MENU表示される合計項目数\r\n（縦項目数×列数）"},
      {comment_box_,
       "解析時、またはコメント取得ファイルより取得した\r\nコメントをMENU表示の際に表示する"},
      {analyse_, "解析を実施し、データを取得する"},
      {on_top_, "「Kelvora」を常に手前に表示する"},
      {findChild<QPushButton*>(QStringLiteral("cmd1066")), "プロパティを起動する"},
      {bitmap_list_, "ダイアログのビットマップパターンを設定する"},
      {index_,
       "≪ NomalMode ≫\r\n　登録データをメニューで一覧表示する\r\n≪ IndexMode "
       "≫\r\n　メニュー表示の際"
       "に、Index表示を行う"},
  };
  for (const auto& [widget, text] : tips) {
    widget->setToolTip(Tip(text));
    widget->setToolTipDuration(6000);
  }
}

// Labels, group titles and lamp texts in the text colour over the window's own background.
void MainWindow::ApplyTextColor() {
  const QColor text = FromColorRef(settings_.dlg_text);
  auto recolor = [&text](QWidget* widget, bool button_text) {
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, text);
    if (button_text) pal.setColor(QPalette::ButtonText, text);
    widget->setPalette(pal);
  };
  for (QLabel* label : painted_labels_) recolor(label, false);
  for (QLabel* label : status_) recolor(label, false);
  for (QLabel* label : count_) recolor(label, false);
  recolor(count_field_, false);
  recolor(menu_status_, false);
  for (QGroupBox* group : groups_) recolor(group, false);
  for (QToolButton* b : {menu_radio_, specify_radio_}) recolor(b, true);
  KeepSpinArrowsVisible(panel_);
  update();
}

void MainWindow::ShowCountField() {
  count_field_->setText(QString::fromStdString(menu_state_.count_text));
}

void MainWindow::UpdateKindButtons() {
  for (int slot = 0; slot < kListCount; ++slot) {
    const ListKind kind = KindOfSlot(slot);
    QPushButton* button = kind_buttons_[static_cast<std::size_t>(slot)];
    button->setEnabled(data_.Count(kind) > 0);
    button->setToolTip(QString::fromStdString(CountTooltip(kind, data_.Count(kind))));
    button->setToolTipDuration(6000);
  }
}

void MainWindow::ApplyLayout(WindowLayout layout) {
  const bool data = layout == WindowLayout::Data;
  for (QPushButton* b : kind_buttons_) b->setVisible(data);
  menu_radio_->setVisible(data);
  specify_radio_->setVisible(data);
  get_->setVisible(data);
  word_box_->setVisible(data);
  index_->setVisible(data && !specify_mode_);
  for (QLabel* line : status_) line->setVisible(!data);
  progress_->setVisible(!data);
  progress_->setValue(progress_->minimum());

  switch (layout) {
    case WindowLayout::NoData:
      status_[0]->setText(QStringLiteral("C Programming Language"));
      status_[1]->setText(QStringLiteral("                    Analysis Support Tool"));
      status_[2]->setText(
          QStringLiteral("                                        Version ") +
          QString::fromLatin1(kVersionText.data(), static_cast<qsizetype>(kVersionText.size())));
      analyse_->show();
      break;
    case WindowLayout::Running:
      for (QLabel* label : count_) label->clear();
      break;
    case WindowLayout::Data:
      // The end of a run: the analysis button goes, and a kind button works only over rows.
      analyse_->hide();
      UpdateKindButtons();
      get_->setToolTip(Tip("「指定」の場合、クリップボードよりデータを取得します\r\n(Ctrl+G)"));
      break;
  }
  has_data_layout_ = data;
  menu_state_.count_text.clear();
  ShowCountField();
  update();
}

}  // namespace kelvora
