#include "tree/ui/tree_viewer_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStatusBar>
#include <QTabBar>
#include <QToolBar>
#include <QTreeView>

#include "data/position.h"
#include "platform/cp932.h"
#include "platform/line_reader.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tree/ui/graph_widget.h"
#include "tree/ui/source_display.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_search_dialog.h"
#include "tree/ui/tree_viewer_ui.h"

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
      p.drawRect(2, 5, 12, 8);
      p.drawLine(2, 5, 5, 2);
      p.drawLine(5, 2, 8, 5);
      break;
    default:
      break;
  }
  return QIcon(pm);
}

}  // namespace

TreeViewSettings LoadTreeViewSettings(SettingsStore& store) {
  TreeViewSettings v;
  auto bounded = [&](std::string_view section, std::string_view key, int def, int lo, int hi) {
    const long long value = store.ReadInt(section, key, def);
    if (value < lo || value > hi) {
      store.WriteInt(section, key, def);
      return def;
    }
    return static_cast<int>(value);
  };
  v.tree_rect = bounded(kDialog, "TreeRect%", 20, 5, 40);
  v.graph_rect = bounded(kDialog, "GraphRect%", 65, v.tree_rect, 85);
  const long long type = store.ReadInt(kDialog, "ColorType", 9);
  v.color_type = type > 9 || type < 0 ? 9 : static_cast<int>(type);
  if (type > 9) store.WriteInt(kDialog, "ColorType", 9);
  v.color_bright = store.ReadInt(kDialog, "ColorBright", 0) == 1;
  v.sel_text = static_cast<unsigned>(store.ReadInt(kTree, "Sel_TextColor", 0xffffff));
  v.sel_back = static_cast<unsigned>(store.ReadInt(kTree, "Sel_BackColor", 0xa00000));
  v.out_text = static_cast<unsigned>(store.ReadInt(kTree, "Out_TextColor", 0xffffff));
  v.out_back = static_cast<unsigned>(store.ReadInt(kTree, "Out_BackColor", 0));
  v.graph_height =
      static_cast<int>(std::clamp<long long>(store.ReadInt(kTree, "GraphHeight", 4), 0, 7));
  v.src_line = static_cast<int>(std::max<long long>(0, store.ReadInt(kTree, "SrcLine", 0)));
  return v;
}

TreeViewerWindow::TreeViewerWindow(SettingsStore& store, Ui& outer,
                                   std::function<EditorLauncher()> editor, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      editor_(std::move(editor)),
      regex_(std::make_unique<RegexService>()) {
  setWindowTitle(QStringLiteral("Kelvora  - TREE -"));
  setMinimumSize(520, 430);
  for (auto& pane : panes_) {
    pane = new QLabel(this);
    pane->setFrameStyle(QFrame::Panel | QFrame::Raised);
    statusBar()->addWidget(pane, 1);
  }
  ui_ = std::make_unique<TreeViewerUi>(outer, panes_);
  state_.settings = LoadTreeSettings(store_);
  state_.history.Load(store_);
  view_ = LoadTreeViewSettings(store_);

  body_ = new QWidget(this);
  setCentralWidget(body_);
  BuildPages(body_);
  BuildMenus();
  BuildExportActions();
  ShowPage(0);
  // Saved placement, used only when it is complete and large enough.
  const int l = static_cast<int>(store_.ReadInt("Window", "tree_left", 0));
  const int t = static_cast<int>(store_.ReadInt("Window", "tree_top", 0));
  const int r = static_cast<int>(store_.ReadInt("Window", "tree_right", 0));
  const int b = static_cast<int>(store_.ReadInt("Window", "tree_bottom", 0));
  if (l && t && r && b && r - l >= 520 && b - t >= 430)
    setGeometry(l, t, r - l, b - t);
  else
    resize(1000, 700);
}

TreeViewerWindow::~TreeViewerWindow() = default;

Ui& TreeViewerWindow::ui() {
  return *ui_;
}

std::string TreeViewerWindow::status(int pane) const {
  return ui_->status(pane);
}

void TreeViewerWindow::BuildPages(QWidget* body) {
  tabs_ = new QTabBar(body);
  for (int i = 0; i < TreeViewerState::kPages; ++i)
    tabs_->addTab(QStringLiteral("Page %1").arg(i + 1));
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (state_.SelectPage(index, *ui_)) ShowPage(index);
  });
  for (int i = 0; i < TreeViewerState::kPages; ++i) {
    PageWidgets& w = pages_[static_cast<std::size_t>(i)];
    // A fixed-pitch font keeps the padded member and element columns aligned.
    QFont fixed(QStringLiteral("IPAGothic"));
    fixed.setStyleHint(QFont::Monospace);
    fixed.setFixedPitch(true);
    w.selection = new QTreeView(body);
    w.selection->setFont(fixed);
    w.selection->setHeaderHidden(true);
    w.selection_model = new SelectionTreeModel(this);
    w.selection_model->SetPage(&state_.page(i).file);
    w.selection->setModel(w.selection_model);
    w.selection->installEventFilter(this);
    connect(w.selection, &QTreeView::doubleClicked, this, [this] { ExpandSelectedEntry(false); });

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
  source_ = new SourceDisplay(store_, *ui_, body);
  left_slider_ = new QSlider(Qt::Horizontal, body);
  left_slider_->setRange(5, 40);
  right_slider_ = new QSlider(Qt::Horizontal, body);
  connect(left_slider_, &QSlider::sliderReleased, this, [this] {
    view_.tree_rect = left_slider_->value();
    store_.WriteInt(kDialog, "TreeRect%", view_.tree_rect);
    if (view_.graph_rect < view_.tree_rect) {
      view_.graph_rect = view_.tree_rect;
      store_.WriteInt(kDialog, "GraphRect%", view_.graph_rect);
    }
    LayOut();
  });
  connect(right_slider_, &QSlider::sliderReleased, this, [this] {
    view_.graph_rect = right_slider_->value();
    store_.WriteInt(kDialog, "GraphRect%", view_.graph_rect);
    LayOut();
  });
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

  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  QAction* status_bar =
      add(view, "ｽﾃｰﾀｽ ﾊﾞｰ(&S)", [this](bool on) { statusBar()->setVisible(on); });
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
  add(graph, "フォント角度変更(&E)", [this] {
    if (!graph_->NextAngle())
      ui_->Message("GRAPH Windowのバーが、横描画の場合は変更できません。　", Ui::kTreeCaption,
                   MsgIcon::Information);
  });
  add(graph, "フォント太さ変更(&W)", [this] { graph_->ToggleWeight(); });
  add(graph, "バー縦・横変更(&T)", [this] { graph_->ToggleDirection(); });
  QMenu* glass = view->addMenu(QStringLiteral("半透明表示"));
  add(glass, "透明にしない", [this] { setWindowOpacity(1.0); });
  for (int n = 1; n <= 9; ++n) {
    QAction* a = glass->addAction(QStringLiteral("%1％　透明").arg(n * 10));
    connect(a, &QAction::triggered, this,
            [this, n] { setWindowOpacity((255.0 - 2 * 20 * n) / 255.0); });
  }

  QMenu* other = menuBar()->addMenu(QStringLiteral("その他(&O)"));
  add(other, "ショートカット一覧（&S）", [this] {
    ui_->Message(
        "≪ショートカット・キー　一覧≫\n\n　TREE用ファイルOPEN　　　　「Ctrl + "
        "O」\n　TREE出力Window内検索　 「Ctrl + F」\n　ページタブ移動　左　　　　　  「Ctrl + Page "
        "Up」\n　ページタブ移動　右　　　　　  「Ctrl + Page "
        "Down」　\n　関数TREE　コメント取得　　 「Ctrl + G」\n",
        Ui::kTreeCaption, MsgIcon::Information);
  });

  toolbar_ = addToolBar(QStringLiteral("TREE"));
  toolbar_->setMovable(false);
  auto tool = [this](char glyph, const char* tip, auto slot) {
    QAction* a = toolbar_->addAction(Glyph(glyph), QString());
    a->setToolTip(QString::fromUtf8(tip));
    connect(a, &QAction::triggered, this, slot);
  };
  tool('o', "TREEファイルを開く", [this] { OpenWithDialog(); });
  tool('e', "選択されている項目を展開or閉じる", [this] { ToggleExpandAllCommand(); });
  tool('u', "選択関数の上位関数取得", [this] { CallersCommand(); });
  tool('c', "選択している項目名をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰ", [this] { CopyNameCommand(); });
  tool('d', "選択している項目を削除", [this] { DeleteCommand(); });
  toolbar_->addSeparator();
  for (int k = 1; k <= 8; ++k) {
    QAction* a = toolbar_->addAction(QString::number(k));
    a->setToolTip(QStringLiteral("階層レベル%1まで展開").arg(k));
    connect(a, &QAction::triggered, this, [this, k] { ExpandToLevelCommand(k); });
  }

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
  if (tabs_->currentIndex() != index) {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(index);
  }
  current().info->clear();
  current().selection->setFocus();
  graph_->SetBars({});
  source_->clear();
  LayOut();
  ApplyColours();
}

void TreeViewerWindow::LayOut() {
  const int W = body_->width(), H = body_->height();
  const int tr = view_.tree_rect, gr = view_.graph_rect;
  const bool sliders = sliders_shown_;
  const int t = tabs_->sizeHint().height() + 4;
  const int b = sliders ? 40 : 5;
  tabs_->setGeometry(5, 0, W - 10, t - 4);
  PageWidgets& w = current();
  w.selection->setGeometry(5, t, W * tr / 100 - 5, H * 65 / 100 - 4 - t);
  w.info->setGeometry(5, H * 65 / 100, W * tr / 100 - 5, H * 35 / 100 - b - 1);
  w.output->setGeometry(W * tr / 100 + 4, t, W * gr / 100 - W * tr / 100, H - b - t - 1);
  const int right_x = W * gr / 100 + 8;
  const int right_w = std::max(10, W - 25 - right_x);
  const int area_h = H - b - t - 1;
  graph_->setGeometry(right_x, t, right_w, area_h * 45 / 100);
  source_->setGeometry(right_x, t + area_h * 45 / 100 + 4, right_w, area_h - area_h * 45 / 100 - 4);
  left_slider_->setGeometry(W * 5 / 100 - 8, H - b + 1, W * 40 / 100 - W * 5 / 100 + 16, 16);
  right_slider_->setRange(tr, 85);
  right_slider_->setGeometry(W * tr / 100 - 8, H - b + 20, W * 85 / 100 - W * tr / 100 + 16, 16);
  left_slider_->setValue(tr);
  right_slider_->setValue(gr);
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
  store_.WriteInt(kTree, "GraphHeight", view_.graph_height);
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
    tabs_->setTabText(state_.current(), Q(ToDisplay(page.file.tab_label)));
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
  graph_->SetBars(GraphBars(tree, tree.selected, state_.settings, *ui_));
  ShowSourceFor(tree.selected);
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
  LayOut();
  ApplyColours();
}

}  // namespace kelvora
