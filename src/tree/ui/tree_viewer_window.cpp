#include "tree/ui/tree_viewer_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "data/position.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "platform/user_folder.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tools/readme.h"
#include "tree/tree_text.h"
#include "tree/ui/call_graph_window.h"
#include "tree/ui/graph_widget.h"
#include "tree/ui/source_display.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_painted.h"
#include "tree/ui/tree_search_dialog.h"
#include "tree/ui/tree_viewer_ui.h"
#include "gui_common/colors.h"

namespace kelvora {

namespace {

constexpr std::string_view kDialog = "Tree_Dialog";
constexpr std::string_view kTree = "Tree";

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QColor FromBgr(unsigned bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}
unsigned ToBgr(const QColor& c) {
  return static_cast<unsigned>(c.red()) | static_cast<unsigned>(c.green()) << 8 |
         static_cast<unsigned>(c.blue()) << 16;
}

// Small bitmaps of the context menu and tool bar, drawn by code.
QIcon Glyph(char kind) {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 60, 140), 1.6));
  switch (kind) {
    case 'e':  // expand: a small tree
      p.drawLine(4, 3, 4, 13);
      p.drawLine(4, 7, 10, 7);
      p.drawLine(4, 13, 10, 13);
      p.fillRect(10, 5, 4, 4, QColor(40, 140, 60));
      p.fillRect(10, 11, 4, 4, QColor(40, 140, 60));
      break;
    case 'u':  // callers: an arrow up
      p.drawLine(8, 14, 8, 3);
      p.drawLine(8, 3, 4, 7);
      p.drawLine(8, 3, 12, 7);
      break;
    case 'c':  // copy: two sheets
      p.drawRect(2, 2, 8, 9);
      p.drawRect(6, 5, 8, 9);
      break;
    case 'd':  // delete: a cross
      p.setPen(QPen(QColor(180, 30, 30), 2.2));
      p.drawLine(3, 3, 13, 13);
      p.drawLine(13, 3, 3, 13);
      break;
    case 'o':  // open: a folder
      p.fillRect(2, 5, 12, 8, QColor(240, 200, 80));
      p.drawRect(2, 5, 12, 8);
      p.drawLine(2, 5, 5, 2);
      p.drawLine(5, 2, 8, 5);
      break;
    case 't':  // text output: a sheet with lines
      p.fillRect(3, 1, 10, 14, Qt::white);
      p.drawRect(3, 1, 10, 14);
      for (int y = 4; y <= 12; y += 3) p.drawLine(5, y, 11, y);
      break;
    case 'm':  // comment: a speech bubble
      p.setBrush(QColor(255, 250, 200));
      p.drawRoundedRect(1, 2, 14, 9, 3, 3);
      p.drawLine(4, 11, 3, 15);
      p.drawLine(3, 15, 8, 11);
      break;
    case '1':  // text and background colours of the two windows: a letter or a filled square
    case '2':
    case '3':
    case '4': {
      const QColor tone = kind <= '2' ? QColor(160, 0, 0) : QColor(0, 0, 0);
      if (kind == '1' || kind == '3') {
        QFont f;
        f.setPixelSize(13);
        f.setBold(true);
        p.setFont(f);
        p.setPen(tone == QColor(0, 0, 0) ? QColor(20, 120, 20) : QColor(0, 0, 160));
        p.drawText(QRect(0, 0, 16, 14), Qt::AlignCenter, QStringLiteral("A"));
        p.fillRect(2, 13, 12, 3, tone);
      } else {
        p.fillRect(2, 2, 12, 12, tone);
        p.setPen(Qt::white);
        p.drawText(QRect(2, 2, 12, 12), Qt::AlignCenter, QStringLiteral("a"));
      }
      break;
    }
    case 'a':  // font angle: a turned letter
      p.translate(8, 8);
      p.rotate(-45);
      p.drawText(QRect(-6, -7, 12, 14), Qt::AlignCenter, QStringLiteral("A"));
      break;
    case 'w': {  // font weight: a bold letter
      QFont f;
      f.setPixelSize(14);
      f.setBold(true);
      p.setFont(f);
      p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("B"));
      break;
    }
    case 'r':  // bar direction: upright and lying bars
      p.fillRect(2, 6, 3, 9, QColor(60, 120, 200));
      p.fillRect(6, 2, 3, 13, QColor(60, 120, 200));
      p.fillRect(10, 10, 5, 3, QColor(200, 120, 60));
      break;
    case 'i':  // background inversion: half black, half white
      p.fillRect(1, 1, 7, 14, Qt::black);
      p.fillRect(8, 1, 7, 14, Qt::white);
      p.drawRect(1, 1, 14, 14);
      break;
    case 'x':  // spreadsheet output: a green grid
      p.fillRect(1, 2, 14, 12, QColor(30, 120, 60));
      p.setPen(Qt::white);
      for (int x = 5; x < 15; x += 4) p.drawLine(x, 2, x, 13);
      for (int y = 6; y < 14; y += 4) p.drawLine(1, y, 14, y);
      break;
    default:
      break;
  }
  return QIcon(pm);
}

}  // namespace

TreeViewerWindow::TreeViewerWindow(SettingsStore& store, Ui& outer,
                                   std::function<EditorLauncher()> editor, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      editor_(std::move(editor)),
      regex_(std::make_unique<RegexService>()) {
  setWindowTitle(QStringLiteral("Kelvora  - TREE -"));
  setMinimumSize(kTreeViewerMinWidth, kTreeViewerMinHeight);
  for (auto& pane : panes_) {
    pane = new QLabel(this);
    pane->setFrameStyle(QFrame::Panel | QFrame::Raised);
    statusBar()->addWidget(pane, 1);
  }
  ui_ = std::make_unique<TreeViewerUi>(outer, panes_);
  state_.settings = LoadTreeSettings(store_);
  state_.history.Load(store_);
  view_ = LoadTreeViewSettings(store_);

  body_ = new TreeViewerBackground(this);
  setCentralWidget(body_);
  BuildPages(body_);
  BuildButtons(body_);
  BuildMenus();
  BuildToolBar();
  BuildExportActions();
  InstallCallGraphCommands(*this, editor_, store_);
  help_timer_.setInterval(HelpLineScroller::kTickMs);
  connect(&help_timer_, &QTimer::timeout, this, [this] {
    if (!help_.Tick(*ui_)) help_timer_.stop();
  });
  ApplyScheme();
  ShowPage(0);
  // Saved placement, used only when it is complete and large enough.
  const long long l = store_.ReadInt("Window", "tree_left", 0);
  const long long t = store_.ReadInt("Window", "tree_top", 0);
  const long long r = store_.ReadInt("Window", "tree_right", 0);
  const long long b = store_.ReadInt("Window", "tree_bottom", 0);
  if (SavedTreeRectUsable(l, t, r, b))
    setGeometry(static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l),
                static_cast<int>(b - t));
  else
    resize(1000, 700);
  if (store_.ReadInt("Window", "tree_show", 0) == 3) setWindowState(Qt::WindowMaximized);
}

TreeViewerWindow::~TreeViewerWindow() = default;

Ui& TreeViewerWindow::ui() {
  return *ui_;
}

std::string TreeViewerWindow::status(int pane) const {
  return ui_->status(pane);
}

void TreeViewerWindow::BuildPages(QWidget* body) {
  for (int i = 0; i < TreeViewerState::kPages; ++i) {
    PageWidgets& w = pages_[static_cast<std::size_t>(i)];
    // A fixed-pitch font keeps the padded member and element columns aligned.
    QFont fixed(QStringLiteral("IPAGothic"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    w.selection = new SelectionTreeView(body);
    w.selection->setFont(fixed);
    w.selection->setHeaderHidden(true);
    w.selection_model = new SelectionTreeModel(this);
    w.selection_model->SetPage(&state_.page(i).file);
    w.selection->setModel(w.selection_model);
    w.selection->installEventFilter(this);
    connect(w.selection, &QTreeView::doubleClicked, this, [this] { ExpandSelectedEntry(false); });
    connect(w.selection, &QTreeView::expanded, this,
            [this, i](const QModelIndex& index) { SelectionExpanded(i, index); });

    w.info = new QPlainTextEdit(body);
    w.info->setReadOnly(true);

    w.output = new QTreeView(body);
    w.output->setFont(fixed);
    w.output->setHeaderHidden(true);
    w.output->setUniformRowHeights(true);
    w.output_model = new CallTreeModel(this);
    w.output_model->SetTree(&state_.page(i).output);
    w.output->setModel(w.output_model);
    w.output->setContextMenuPolicy(Qt::CustomContextMenu);
    w.output->installEventFilter(this);
    connect(w.output, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
      context_menu_->popup(current().output->viewport()->mapToGlobal(at));
    });
    connect(w.output, &QTreeView::expanded, this, [this, i](const QModelIndex& index) {
      PageWidgets& pw = pages_[static_cast<std::size_t>(i)];
      state_.page(i).output.SetExpanded(pw.output_model->NodeOf(index), true);
      if (!syncing_ && pw.output_model->TakeNestLimited()) ShowNestLimitMessage(*ui_);
    });
    connect(w.output, &QTreeView::collapsed, this, [this, i](const QModelIndex& index) {
      state_.page(i).output.SetExpanded(
          pages_[static_cast<std::size_t>(i)].output_model->NodeOf(index), false);
    });
    connect(w.output->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { OutputSelectionChanged(); });
  }
  graph_ = new GraphWidget(body);
  graph_->SetScaleStep(view_.graph_height);
  connect(graph_->scale_down_button(), &QAbstractButton::clicked, this,
          [this] { GraphScaleCommand(-1); });
  connect(graph_->scale_up_button(), &QAbstractButton::clicked, this,
          [this] { GraphScaleCommand(+1); });
  connect(graph_->help_button(), &QAbstractButton::clicked, this, [this] { GraphHelpCommand(); });
  // The source display fills the lower part of the graph-and-source area; its background
  // inversion is the graph's.
  source_ = new SourceDisplay(store_, *ui_, body);
  connect(source_, &SourceDisplay::invertedChanged, this, [this](bool on) {
    if (graph_->inverted() != on) graph_->ToggleInverted();
    ApplyColours();
    emit BackgroundInvertedChanged(on);
  });
  left_slider_ = new QSlider(Qt::Horizontal, body);
  left_slider_->setRange(5, 40);
  right_slider_ = new QSlider(Qt::Horizontal, body);
  connect(left_slider_, &QSlider::sliderReleased, this, [this] {
    ReleaseTreeRectSlider(view_, left_slider_->value(), store_);
    LayOut();
  });
  connect(right_slider_, &QSlider::sliderReleased, this, [this] {
    ReleaseGraphRectSlider(view_, right_slider_->value(), store_);
    LayOut();
  });
}

void TreeViewerWindow::BuildButtons(QWidget* body) {
  for (int i = 0; i < TreeViewerState::kPages; ++i) {
    auto* tab = new PaintedButton(QStringLiteral("Page %1").arg(i + 1), body);
    tab->SetTab(true);
    tab->setCheckable(true);
    tabs_[static_cast<std::size_t>(i)] = tab;
    connect(tab, &QAbstractButton::clicked, this, [this, i] {
      if (state_.SelectPage(i, *ui_)) ShowPage(i);
      for (int k = 0; k < TreeViewerState::kPages; ++k)
        tabs_[static_cast<std::size_t>(k)]->setChecked(k == state_.current());
    });
  }
  list_button_ = new PaintedButton(QStringLiteral(" 一覧"), body);
  list_button_->setToolTip(QStringLiteral("選択Windowの一覧をテキスト出力する"));
  connect(list_button_, &QAbstractButton::clicked, this, [this] { EntryListCommand(); });
  for (int k = 1; k <= 8; ++k) {
    auto* b = new PaintedButton(QString::number(k), body);
    b->setToolTip(QStringLiteral("TREE出力Windowを階層レベル%1まで展開する").arg(k));
    level_buttons_[static_cast<std::size_t>(k - 1)] = b;
    connect(b, &QAbstractButton::clicked, this, [this, k] { ExpandToLevelCommand(k); });
  }
  scheme_box_ = new QComboBox(body);
  for (const char* name : {"0：ネイビー", "1：グリーン", "2：レッド", "3：パープル", "4：ティール",
                           "5：ブラウン", "6：グレー", "7：ブルー", "8：ワイン", "9：ミッドナイト"})
    scheme_box_->addItem(QString::fromUtf8(name));
  scheme_box_->setToolTip(QStringLiteral("背景の配色"));
  scheme_box_->setFocusPolicy(Qt::NoFocus);
  scheme_box_->setCurrentIndex(view_.color_type);
  connect(scheme_box_, &QComboBox::activated, this,
          [this](int index) { ChooseColourScheme(index); });
  bright_button_ = new PaintedButton(QStringLiteral(" 明度"), body);
  bright_button_->setCheckable(true);
  bright_button_->setChecked(view_.color_bright == 1);
  connect(bright_button_, &QAbstractButton::clicked, this, [this] { ToggleBrightCommand(); });
  details_button_ = new PaintedButton(QStringLiteral(" 詳細設定"), body);
  details_button_->setToolTip(QStringLiteral("設定画面を開く"));
  connect(details_button_, &QAbstractButton::clicked, this, [this] { emit SettingsRequested(); });
}

void TreeViewerWindow::BuildMenus() {
  auto add = [this](QMenu* menu, const char* text, auto slot, QKeySequence key = {}) {
    QAction* a = menu->addAction(QString::fromUtf8(text));
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  QMenu* analyse = menuBar()->addMenu(QStringLiteral("解析(&A)"));
  add(
      analyse, "開く(&O)\tCtrl+O", [this] { OpenWithDialog(); },
      QKeySequence(Qt::CTRL | Qt::Key_O));
  analyse->addSeparator();
  add(analyse, "全展開／閉じる(&E)", [this] { ToggleExpandAllCommand(); });
  add(analyse, "上位関数取得  - 出力Window - (&U)", [this] { CallersCommand(); });
  add(analyse, "選択項目 ｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ(&C)", [this] { CopyNameCommand(); });
  add(analyse, "選択項目 排除関数に登録(&S)", [this] { RegisterExcludedCommand(); });
  add(analyse, "選択項目以下を削除(&D)", [this] { DeleteCommand(); });
  analyse->addSeparator();
  add(analyse, "ルート関数候補の検索  - 選択Window - (&R)", [this] { RootCandidatesCommand(); });
  add(analyse, "再起処理の検索         - 選択Window - (&E)", [this] { RecursionsCommand(); });
  add(
      analyse, "TREE内検索    - 出力Window - (&S)\tCtrl+F", [this] { SearchCommand(); },
      QKeySequence(Qt::CTRL | Qt::Key_F));
  analyse->addSeparator();
  add(analyse, "選択Window・TREE出力Window 全削除(&L)", [this] { ClearPageCommand(); });

  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  QAction* status_bar = add(view, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", [this](bool on) {
    statusBar()->setVisible(on);
    LayOut();
  });
  status_bar->setCheckable(true);
  status_bar->setChecked(true);
  QAction* tool_bar = add(view, "ﾂｰﾙ ﾊﾞｰ(&T)", [this](bool on) {
    toolbar_->setVisible(on);
    LayOut();
  });
  tool_bar->setCheckable(true);
  tool_bar->setChecked(true);
  QAction* sliders = add(view, "ｽﾗｲﾀﾞｰ ｺﾝﾄﾛｰﾙ", [this](bool on) {
    sliders_shown_ = on;
    left_slider_->setVisible(on);
    right_slider_->setVisible(on);
    LayOut();
  });
  sliders->setCheckable(true);
  sliders->setChecked(true);
  QMenu* sel = view->addMenu(QStringLiteral("選択Window設定"));
  add(sel, "テキスト色設定(&T)", [this] { ChooseColour(false, false); });
  add(sel, "背景色設定(&B)", [this] { ChooseColour(false, true); });
  QMenu* out = view->addMenu(QStringLiteral("TREE出力Window設定"));
  add(out, "テキスト色設定(&T)", [this] { ChooseColour(true, false); });
  add(out, "背景色設定(&B)", [this] { ChooseColour(true, true); });
  QMenu* graph = view->addMenu(QStringLiteral("GRAPH Window設定"));
  add(graph, "フォント角度変更(&E)", [this] { GraphAngleCommand(); });
  add(graph, "フォント太さ変更(&W)", [this] { GraphWeightCommand(); });
  add(graph, "バー縦・横変更(&T)", [this] { GraphDirectionCommand(); });
  QMenu* glass = view->addMenu(QStringLiteral("半透明表示"));
  add(glass, "透明にしない", [this] { setWindowOpacity(1.0); });
  for (int n = 1; n <= 9; ++n) {
    QAction* a = glass->addAction(QStringLiteral("%1％　透明").arg(n * 10));
    // n0 percent, as the item says and the main window does (opacity 255 - 2p): twenty times n
    // would leave nothing visible from 70 percent on.
    connect(a, &QAction::triggered, this, [this, n] { setWindowOpacity(WindowOpacity(10 * n)); });
  }

  QMenu* other = menuBar()->addMenu(QStringLiteral("その他(&O)"));
  add(other, "ヘルプ(&H)", [this] { ShowManual(ProgramDirectory(), *ui_); });
  add(other, "ショートカット一覧（&S）", [this] {
    ui_->Message(
        "≪ショートカット・キー　一覧≫\n\n　TREE用ファイルOPEN　　　　「Ctrl + "
        "O」\n　TREE出力Window内検索　 「Ctrl + F」\n　ページタブ移動　左　　　　　  「Ctrl + Page "
        "Up」\n　ページタブ移動　右　　　　　  「Ctrl + Page "
        "Down」　\n　関数TREE　コメント取得　　 「Ctrl + G」\n",
        Ui::kTreeCaption, MsgIcon::Information);
  });

  context_menu_ = new QMenu(this);
  auto item = [this](char glyph, const char* text, auto slot) {
    QAction* a = glyph ? context_menu_->addAction(Glyph(glyph), QString::fromUtf8(text))
                       : context_menu_->addAction(QString::fromUtf8(text));
    connect(a, &QAction::triggered, this, [this, slot] {
      if (ContextSelection()) (this->*slot)();
    });
  };
  item('e', "全展開／閉じる (&E)", &TreeViewerWindow::ToggleExpandAllCommand);
  item(0, "選択している項目をエディタで開く (&O)  F5", &TreeViewerWindow::OpenInEditorCommand);
  context_menu_->addSeparator();
  item('u', "選択している関数の上位関数取得  (&I)", &TreeViewerWindow::CallersCommand);
  item('c', "選択している項目名をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ (&C)", &TreeViewerWindow::CopyNameCommand);
  item(0, "選択している項目名を排除関数に登録 (&S)", &TreeViewerWindow::RegisterExcludedCommand);
  context_menu_->addSeparator();
  item('d', "選択している項目削除  (&D)", &TreeViewerWindow::DeleteCommand);
}

void TreeViewerWindow::BuildToolBar() {
  const ToolbarVariant variant = ToolbarVariantOf(view_.toolbar);
  toolbar_ = addToolBar(QStringLiteral("TREE"));
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(16, 16));
  if (variant.old_style)  // raised, framed buttons that sink while pressed
    toolbar_->setStyleSheet(QStringLiteral(
        "QToolButton { border: 2px outset #c8c4bc; background: #d8d4cc; margin: 1px; }"
        "QToolButton:pressed { border-style: inset; }"
        "QToolBar { background: #d8d4cc; }"));
  auto tool = [this](char glyph, const char* tip, auto slot) {
    QAction* a = toolbar_->addAction(Glyph(glyph), QString());
    a->setToolTip(QString::fromUtf8(tip));
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  tool('o', "TREEファイルを開く", [this] { OpenWithDialog(); });
  tool('t', "TREEをテキスト出力する", [this] { ExportTextCommand(); });
  // Ctrl+G belongs to the menu item "関数TREE　コメント取得".
  tool('m', "指定ファイルよりコメントを取得して付加する", [this] { AttachCommentsCommand(); });
  toolbar_->addSeparator();
  tool('e', "選択されている項目を展開or閉じる", [this] { ToggleExpandAllCommand(); });
  tool('u', "選択関数の上位関数取得", [this] { CallersCommand(); });
  tool('c', "選択している項目名をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ", [this] { CopyNameCommand(); });
  tool('d', "選択している項目を削除", [this] { DeleteCommand(); });
  toolbar_->addSeparator();
  if (variant.full_set) {
    tool('1', "選択Windowのテキスト色を設定する", [this] { ChooseColour(false, false); });
    tool('2', "選択Windowの背景色を設定する", [this] { ChooseColour(false, true); });
    tool('3', "TREE出力Windowのテキスト色を設定する", [this] { ChooseColour(true, false); });
    tool('4', "TREE出力Windowの背景色を設定する", [this] { ChooseColour(true, true); });
    toolbar_->addSeparator();
  }
  tool('a', "GRAPH Windowの文字の角度を変更する\r\n（バー描画方向が縦の場合のみ）",
       [this] { GraphAngleCommand(); })
      ->setToolTip(
          QStringLiteral("GRAPH Windowの文字の角度を変更する\n（バー描画方向が縦の場合のみ）"));
  tool('w', "GRAPH Windowの文字の太さを変更する", [this] { GraphWeightCommand(); });
  tool('r', "GRAPH Windowのバー描画方向（縦・横）を変更する", [this] { GraphDirectionCommand(); });
  tool('i', "GRAPH・情報表示Windowの背景色を変更する", [this] { InvertBackgroundCommand(); });
  toolbar_->addSeparator();
  tool('x', "TREEをEXCEL出力する", [this] { ExportWorkbookCommand(); });
}

bool TreeViewerWindow::ContextSelection() {
  return RequireSelection(state_.page().output, *ui_);
}

void TreeViewerWindow::ShowPage(int index) {
  for (int i = 0; i < TreeViewerState::kPages; ++i) {
    const bool on = i == index;
    PageWidgets& w = pages_[static_cast<std::size_t>(i)];
    w.selection->setVisible(on);
    w.output->setVisible(on);
    w.info->setVisible(on);
  }
  for (int i = 0; i < TreeViewerState::kPages; ++i)
    tabs_[static_cast<std::size_t>(i)]->setChecked(i == index);
  current().info->clear();
  current().selection->setFocus();
  graph_->SetBars({});
  source_->clear();
  shown_item_ = CallTree::kNone;
  emit ShownItemChanged(shown_item_);
  LayOut();
  ApplyColours();
}

void TreeViewerWindow::LayOut() {
  // The rules count in the client area with the tool bar above and the status bar below the
  // trees, as the body lies between them: body coordinates are client ones less the tool bar.
  const bool tool_bar = toolbar_ && !toolbar_->isHidden();
  const bool status_bar = !statusBar()->isHidden();
  const int tb = tool_bar ? toolbar_->sizeHint().height() : 0;
  const int sb = status_bar ? statusBar()->sizeHint().height() : 0;
  const TreeLayout l = LayOutTreeViewer({body_->width(), body_->height() + tb + sb, view_.tree_rect,
                                         view_.graph_rect, tool_bar, status_bar, sliders_shown_});
  auto place = [tb](QWidget* w, const TreeRect& r) {
    w->setGeometry(r.x, r.y - tb, std::max(0, r.w), std::max(0, r.h));
  };
  PageWidgets& w = current();
  place(w.selection, l.selection);
  place(w.info, l.info);
  place(w.output, l.output);
  // The graph over the upper part of the side area, the source area below it.
  const int graph_h = l.side.h * 45 / 100;
  place(graph_, {l.side.x + 4, l.side.y, l.side.w - 4, graph_h});
  // The source display brings its own scroll bar, which stands in the scroll-bar column.
  place(source_, {l.side.x + 4, l.side.y + graph_h + 4, l.scroll_bar.right() - l.side.x - 4,
                  l.side.h - graph_h - 4});
  place(left_slider_, l.left_slider);
  place(right_slider_, l.right_slider);
  right_slider_->setRange(l.right_slider_min, 85);
  left_slider_->setValue(view_.tree_rect);
  right_slider_->setValue(view_.graph_rect);

  // The painted band between the tool bar and the trees: page tabs with the information area's
  // two buttons on the right, then the list, nest-level and colour-scheme buttons.
  const int band = l.top - tb;
  const int row_h = 22;
  const int row1 = std::max(2, band - 2 * row_h - 10), row2 = row1 + row_h + 4;
  const int right = l.scroll_bar.right();
  details_button_->setGeometry(right - 82, row1, 82, row_h);
  const int tab_w = std::clamp((right - 82 - 14 - 5) / TreeViewerState::kPages, 40, 160);
  for (int i = 0; i < TreeViewerState::kPages; ++i)
    tabs_[static_cast<std::size_t>(i)]->setGeometry(5 + i * tab_w, row1, tab_w - 2, row_h + 2);
  list_button_->setGeometry(5, row2, 56, row_h);
  int x = 70;
  for (PaintedButton* b : level_buttons_) {
    b->setGeometry(x, row2, 24, row_h);
    x += 26;
  }
  scheme_box_->setGeometry(x + 10, row2, 130, row_h);
  bright_button_->setGeometry(x + 144, row2, 56, row_h);
}

void TreeViewerWindow::ApplyColours() {
  auto paint = [](QTreeView* v, unsigned text, unsigned back) {
    QPalette p = v->palette();
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
      p.setColor(role, FromBgr(text));
    p.setColor(QPalette::Base, FromBgr(back));
    p.setColor(QPalette::Window, FromBgr(back));
    v->setPalette(p);
  };
  paint(current().selection, view_.sel_text, view_.sel_back);
  paint(current().output, view_.out_text, view_.out_back);
  // The information windows follow the graph's background inversion.
  const bool inverted = graph_->inverted();
  QPalette info = current().info->palette();
  info.setColor(QPalette::Base, inverted ? QColor(16, 16, 32) : Qt::white);
  info.setColor(QPalette::Text, inverted ? Qt::white : Qt::black);
  current().info->setPalette(info);
  if (view_.status_back != 0) {
    QPalette bar = statusBar()->palette();
    bar.setColor(QPalette::Window, FromBgr(view_.status_back));
    statusBar()->setPalette(bar);
    statusBar()->setAutoFillBackground(true);
  }
}

void TreeViewerWindow::ApplyScheme() {
  body_->SetColourScheme(view_.color_type, view_.color_bright == 1);
  for (PaintedButton* b : tabs_) b->SetColourScheme(view_.color_type, view_.color_bright == 1);
  for (PaintedButton* b : level_buttons_)
    b->SetColourScheme(view_.color_type, view_.color_bright == 1);
  for (PaintedButton* b :
       {list_button_, bright_button_, details_button_, graph_->scale_down_button(),
        graph_->scale_up_button(), graph_->help_button()})
    b->SetColourScheme(view_.color_type, view_.color_bright == 1);
  const QSignalBlocker block(scheme_box_);
  scheme_box_->setCurrentIndex(view_.color_type);
  bright_button_->setChecked(view_.color_bright == 1);
}

void TreeViewerWindow::ChooseColourScheme(int index) {
  if (ChooseColorType(view_, index, store_, *ui_)) ApplyScheme();
}

void TreeViewerWindow::ToggleBrightCommand() {
  ToggleColorBright(view_, store_);
  ApplyScheme();
}

void TreeViewerWindow::SelectionExpanded(int page, const QModelIndex& index) {
  (void)index;
  PageWidgets& w = pages_[static_cast<std::size_t>(page)];
  const QModelIndex selected = w.selection->currentIndex();
  SelectionItemKind kind = SelectionItemKind::None;
  if (selected.isValid())
    kind = !selected.parent().isValid()
               ? SelectionItemKind::Root
               : (w.selection_model->EntryOf(selected) >= 0 ? SelectionItemKind::Entry
                                                            : SelectionItemKind::Callee);
  if (!CollapseSelectedAfterExpansion(kind)) return;
  // After the view has finished its own expansion step.
  QTimer::singleShot(0, w.selection,
                     [view = w.selection, selected = QPersistentModelIndex(selected)] {
                       if (selected.isValid()) view->collapse(selected);
                     });
}

void TreeViewerWindow::GraphAngleCommand() {
  graph_->SetAngle(NextGraphAngle(graph_->angle(), graph_->vertical(), *ui_));
}

void TreeViewerWindow::GraphWeightCommand() {
  graph_->ToggleWeight();
}

void TreeViewerWindow::GraphDirectionCommand() {
  graph_->ToggleDirection();
}

void TreeViewerWindow::InvertBackgroundCommand() {
  graph_->ToggleInverted();
  source_->SetInverted(graph_->inverted());
  ApplyColours();
  emit BackgroundInvertedChanged(graph_->inverted());
}

bool TreeViewerWindow::background_inverted() const {
  return graph_->inverted();
}

void TreeViewerWindow::GraphScaleCommand(int delta) {
  graph_->SetScaleStep(StepGraphHeight(view_, delta, store_));
}

void TreeViewerWindow::GraphHelpCommand() {
  help_.Start(HelpLineScroller::GraphHelpLine());
  help_.Tick(*ui_);
  help_timer_.start();
}

void TreeViewerWindow::ClearPageCommand() {
  PageWidgets& w = current();
  TreeViewerPage& page = state_.page();
  const bool cleared = ClearPageTrees(page, *ui_, [&] {
    w.output_model->SetTree(nullptr);
    w.selection_model->SetPage(nullptr);
  });
  if (!cleared) return;
  w.selection_model->SetPage(&page.file);
  w.output_model->SetTree(&page.output);
  w.info->clear();
  graph_->SetBars({});
  source_->clear();
  shown_item_ = CallTree::kNone;
  emit ShownItemChanged(shown_item_);
}

void TreeViewerWindow::ChooseColour(bool output, bool background) {
  unsigned& value = output ? (background ? view_.out_back : view_.out_text)
                           : (background ? view_.sel_back : view_.sel_text);
  for (int i = 0; i < 16; ++i)
    QColorDialog::setCustomColor(i, FromBgr(static_cast<unsigned>(store_.ReadInt(
                                        "Color", "CustomColor" + std::to_string(i), 0xffffff))));
  const QColor chosen = QColorDialog::getColor(FromBgr(value), this);
  if (!chosen.isValid()) return;
  value = ToBgr(chosen);
  const char* key = output ? (background ? "Out_BackColor" : "Out_TextColor")
                           : (background ? "Sel_BackColor" : "Sel_TextColor");
  store_.WriteInt(kTree, key, value);
  for (int i = 0; i < 16; ++i)
    store_.WriteInt("Color", "CustomColor" + std::to_string(i),
                    ToBgr(QColorDialog::customColor(i)));
  ApplyColours();
}

void TreeViewerWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  LayOut();
}

void TreeViewerWindow::closeEvent(QCloseEvent* event) {
  const QRect r = normalGeometry();
  store_.WriteInt("Window", "tree_left", r.left());
  store_.WriteInt("Window", "tree_top", r.top());
  store_.WriteInt("Window", "tree_right", r.right() + 1);
  store_.WriteInt("Window", "tree_bottom", r.bottom() + 1);
  store_.WriteInt("Window", "tree_show", isMaximized() ? 3 : 1);
  store_.WriteInt(kTree, "GraphHeight", view_.graph_height);
  help_timer_.stop();
  QMainWindow::closeEvent(event);
}

bool TreeViewerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  const bool ctrl = key->modifiers() & Qt::ControlModifier;
  if (ctrl && key->key() == Qt::Key_PageUp) {
    if (state_.SwitchPage(-1, *ui_)) ShowPage(state_.current());
    return true;
  }
  if (ctrl && key->key() == Qt::Key_PageDown) {
    if (state_.SwitchPage(1, *ui_)) ShowPage(state_.current());
    return true;
  }
  if (key->key() == Qt::Key_F3) {
    SearchAgain(SearchDirection::Up);
    return true;
  }
  if (key->key() == Qt::Key_F4) {
    SearchAgain(SearchDirection::Down);
    return true;
  }
  if (key->key() == Qt::Key_F5) {
    OpenInEditorCommand();
    return true;
  }
  if (watched == current().selection &&
      (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
    ExpandSelectedEntry(true);
    return true;
  }
  if (watched == current().output && key->key() == Qt::Key_Menu) {
    context_menu_->popup(current().output->viewport()->mapToGlobal(
        current().output->visualRect(current().output->currentIndex()).center()));
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TreeViewerWindow::OpenFile(const std::string& path) {
  PageWidgets& w = current();
  TreeViewerPage& page = state_.page();
  w.output_model->SetTree(nullptr);
  page.output.Clear();
  w.selection_model->SetPage(nullptr);
  w.info->clear();
  const bool read = OpenTreeFile(path, page.file, state_.settings, *regex_, *ui_);
  w.selection_model->SetPage(&page.file);
  w.output_model->SetTree(&page.output);
  if (!page.file.tab_label.empty())
    tabs_[static_cast<std::size_t>(state_.current())]->setText(Q(ToDisplay(page.file.tab_label)));
  const QModelIndex root = w.selection_model->RootIndex();
  if (root.isValid()) {
    w.selection->expand(root);
    w.selection->setCurrentIndex(root);
    w.selection->scrollToTop();
  }
  w.selection->setFocus();
  return read;
}

void TreeViewerWindow::OpenWithDialog() {
  const auto path =
      ui_->ChooseOpenFile("■■ treeファイルを指定 ■■", "treeファイル（*.tree） (*.tree)", {});
  OpenFile(path.value_or(std::string()));
}

void TreeViewerWindow::ExpandSelectedEntry(bool ask) {
  PageWidgets& w = current();
  const std::int32_t entry = w.selection_model->EntryOf(w.selection->currentIndex());
  if (entry < 0) return;
  TreeViewerPage& page = state_.page();
  w.output_model->SetTree(nullptr);
  const bool built =
      ask ? ConfirmAndExpandIntoOutput(page.file, entry, page.output, state_.settings, *ui_)
          : (ExpandIntoOutput(page.file, entry, page.output, state_.settings, *ui_), true);
  w.output_model->SetTree(&page.output);
  if (!built) return;
  SyncOutputView();
  w.output->scrollToTop();
}

void TreeViewerWindow::SyncOutputView() {
  PageWidgets& w = current();
  CallTree& tree = state_.page().output;
  if (tree.empty()) return;
  syncing_ = true;
  w.output->setUpdatesEnabled(false);
  // Parents before children: made nodes come after their parents in the tree's order.
  for (std::int32_t n = 0; n < static_cast<std::int32_t>(tree.made_count()); ++n) {
    const CallNode& node = tree.node(n);
    if (node.deleted || !node.made) continue;
    bool alive = true;
    for (std::int32_t a = node.parent; a >= 0 && alive; a = tree.node(a).parent)
      alive = !tree.node(a).deleted && tree.node(a).expanded;
    if (!alive) continue;
    const QModelIndex index = w.output_model->IndexOf(n);
    if (w.output->isExpanded(index) != node.expanded) w.output->setExpanded(index, node.expanded);
  }
  w.output->setUpdatesEnabled(true);
  syncing_ = false;
  w.output_model->TakeNestLimited();  // the command that made the items reported it
  if (tree.selected != CallTree::kNone) {
    const QModelIndex index = w.output_model->IndexOf(tree.selected);
    w.output->setCurrentIndex(index);
    w.output->scrollTo(index);
  }
}

void TreeViewerWindow::SetInfo(const std::string& utf8) {
  state_.info_text = utf8;
  current().info->setPlainText(Q(utf8));
}

void TreeViewerWindow::OutputSelectionChanged() {
  if (syncing_) return;
  PageWidgets& w = current();
  CallTree& tree = state_.page().output;
  tree.selected = w.output_model->NodeOf(w.output->currentIndex());
  if (tree.selected == CallTree::kNone || tree.empty()) return;
  // Only an item with a name changes what the graph and the information area show.
  if (ItemName(StripUnionMark(tree.Text(tree.selected))).empty()) return;
  graph_->SetBars(GraphBars(tree, tree.selected, state_.settings, *ui_));
  ui_->SetStatus(3, "");  // the walk's progress text
  ShowSourceFor(tree.selected);
  shown_item_ = tree.selected;
  emit ShownItemChanged(shown_item_);
}

void TreeViewerWindow::ShowSourceFor(std::int32_t node) {
  source_->ShowItem(state_.page().output.Data(node), state_.page().file.data1);
}

void TreeViewerWindow::ToggleExpandAllCommand() {
  CallTree& tree = state_.page().output;
  if (tree.empty()) return;
  current().output->setUpdatesEnabled(false);
  ToggleExpandAll(tree, state_.settings, *ui_);
  current().output->setUpdatesEnabled(true);
  SyncOutputView();
}

void TreeViewerWindow::ExpandToLevelCommand(int level) {
  CallTree& tree = state_.page().output;
  if (tree.empty()) return;
  ExpandToLevel(tree, level, state_.settings, *ui_);
  SyncOutputView();
  current().output->scrollToTop();
}

void TreeViewerWindow::CallersCommand() {
  if (auto text = ShowCallers(state_.page().file, state_.page().output, *ui_)) SetInfo(*text);
}

void TreeViewerWindow::CopyNameCommand() {
  if (auto name = SelectedItemName(state_.page().output, *ui_))
    QApplication::clipboard()->setText(Q(ToDisplay(*name)));
}

void TreeViewerWindow::RegisterExcludedCommand() {
  RegisterExcludedFunction(state_.page().output, store_, *ui_);
}

void TreeViewerWindow::DeleteCommand() {
  CallTree& tree = state_.page().output;
  if (!RequireSelection(tree, *ui_)) return;
  const std::int32_t node = AskDeleteSelected(tree, *ui_);
  if (node == CallTree::kNone) return;
  current().output_model->DeleteNode(node);
  tree.selected = CallTree::kNone;
}

void TreeViewerWindow::RootCandidatesCommand() {
  if (auto text = RootCandidates(state_.page().file, *ui_)) SetInfo(*text);
}

void TreeViewerWindow::RecursionsCommand() {
  SetInfo(RecursionListText(state_.page().file));
}

void TreeViewerWindow::SearchCommand() {
  if (state_.page().output.empty()) {
    ui_->Message("「TREE出力Window」にデータがありません！　", Ui::kTreeCaption, MsgIcon::Warning);
    return;
  }
  state_.history.Load(store_);
  TreeSearchDialog dialog(state_.history, view_.color_type, view_.color_bright != 0, *ui_, this);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::string word = SubmitSearchWord(dialog.word(), state_.history, store_, *ui_);
  if (word.empty()) return;
  state_.search_word = word;
  SearchAgain(dialog.direction());
}

void TreeViewerWindow::SearchAgain(SearchDirection direction) {
  CallTree& tree = state_.page().output;
  if (state_.search_word.empty() || tree.empty()) return;
  current().output->setUpdatesEnabled(false);
  if (direction == SearchDirection::Up) SearchUp(tree, state_.search_word, *ui_);
  if (direction == SearchDirection::Down)
    SearchDown(tree, state_.search_word, state_.settings, *ui_);
  current().output->setUpdatesEnabled(true);
  SyncOutputView();
}

void TreeViewerWindow::OpenInEditorCommand() {
  OpenSelectedInEditor(state_.page().output, editor_(), *ui_);
}

void TreeViewerWindow::ReloadSettings() {
  state_.settings = LoadTreeSettings(store_);
  view_ = LoadTreeViewSettings(store_);
  state_.history.Load(store_);
  graph_->SetScaleStep(view_.graph_height);
  source_->ReloadSettings();
  ApplyScheme();
  LayOut();
  ApplyColours();
}

}  // namespace kelvora
