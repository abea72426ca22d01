#include "tree/ui/tree_viewer_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>

#include "data/position.h"
#include "gui_common/colors.h"
#include "platform/cp932.h"
#include "settings/settings.h"
#include "text/regex_service.h"
#include "tree/tree_text.h"
#include "tree/ui/call_graph_window.h"
#include "tree/ui/entry_find_box.h"
#include "tree/ui/graph_widget.h"
#include "tree/ui/page_choice_dialog.h"
#include "tree/ui/shortcut_list.h"
#include "tree/ui/source_display.h"
#include "tree/ui/tree_models.h"
#include "tree/ui/tree_painted.h"
#include "tree/ui/tree_search_dialog.h"
#include "tree/ui/tree_viewer_ui.h"
#include "tree/ui/viewer_layout.h"
#include "tree/ui/viewer_menus.h"

namespace kelvora {

namespace {

QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
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
  ui_ = std::make_unique<TreeViewerUi>(outer, this, panes_);
  state_.settings = LoadTreeSettings(store_);
  state_.history.Load(store_);
  view_ = LoadTreeViewSettings(store_);

  body_ = new TreeViewerBackground(this);
  setCentralWidget(body_);
  BuildPages(body_);
  BuildButtons(body_);
  const ViewerRowRunner run = [this](const CommandRow& row, bool context) { RunRow(row, context); };
  BuildViewerMenuBar(*this, run);
  context_menu_ = BuildViewerContextMenu(*this, run);
  toolbar_ = BuildViewerToolBar(*this, view_.toolbar, run);
  call_graph_ = std::make_unique<CallGraphCommands>(*this, editor_, store_);
  help_timer_.setInterval(HelpLineScroller::kTickMs);
  connect(&help_timer_, &QTimer::timeout, this, [this] {
    if (!help_.Tick(*ui_)) help_timer_.stop();
  });
  ApplyScheme();
  ShowPage(0);
  // Saved placement, used only when it is complete and large enough.
  const TreePlacement p = ReadTreePlacement(store_);
  if (SavedTreeRectUsable(p.left, p.top, p.right, p.bottom))
    setGeometry(static_cast<int>(p.left), static_cast<int>(p.top),
                static_cast<int>(p.right - p.left), static_cast<int>(p.bottom - p.top));
  else
    resize(1000, 700);
  if (p.maximized) setWindowState(Qt::WindowMaximized);
  // Page switching, F3, F4 and F5 work whatever pane has the focus.
  installEventFilter(this);
  for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

TreeViewerWindow::~TreeViewerWindow() = default;

Ui& TreeViewerWindow::ui() {
  return *ui_;
}

std::string TreeViewerWindow::status(int pane) const {
  return ui_->status(pane);
}

CommandState TreeViewerWindow::State() {
  return commands_.State(store_, *regex_, state_, *this);
}

bool TreeViewerWindow::RunRow(const CommandRow& row, bool context) {
  CommandState state = State();
  const CommandResult result =
      context ? RunViewerContextCommand(row, state, *ui_) : RunViewerCommand(row, state, *ui_);
  return result.done();
}

bool TreeViewerWindow::RunCommand(std::string_view name) {
  const CommandRow* row = FindViewerCommand(name);
  if (row == nullptr) return false;
  RunRow(*row, false);
  return true;
}

void TreeViewerWindow::Forward(QAbstractButton* button, std::string_view name) {
  connect(button, &QAbstractButton::clicked, this, [this, name] { RunCommand(name); });
}

void TreeViewerWindow::BuildPages(QWidget* body) {
  for (int i = 0; i < TreeViewerState::kPages; ++i) {
    ViewerPageWidgets& w = pages_[static_cast<std::size_t>(i)];
    w = MakeViewerPage(body, this, state_.page(i));
    w.selection->installEventFilter(this);
    connect(w.selection, &QTreeView::doubleClicked, this, [this] { ExpandSelectedEntry(false); });
    connect(w.selection, &QTreeView::expanded, this,
            [this, i](const QModelIndex& index) { SelectionExpanded(i, index); });
    w.output->installEventFilter(this);
    connect(w.output, &QTreeView::customContextMenuRequested, this, [this](const QPoint& at) {
      context_menu_->popup(current().output->viewport()->mapToGlobal(at));
    });
    connect(w.output, &QTreeView::expanded, this, [this, i](const QModelIndex& index) {
      ViewerPageWidgets& pw = pages_[static_cast<std::size_t>(i)];
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
  Forward(graph_->scale_down_button(), "viewer.graph.smaller");
  Forward(graph_->scale_up_button(), "viewer.graph.larger");
  Forward(graph_->help_button(), "viewer.graph.help");
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
  band_ = MakeViewerBand(body, view_);
  for (int i = 0; i < TreeViewerState::kPages; ++i)
    connect(band_.tabs[static_cast<std::size_t>(i)], &QAbstractButton::clicked, this, [this, i] {
      if (state_.SelectPage(i, *ui_)) ShowPage(i);
      for (int k = 0; k < TreeViewerState::kPages; ++k)
        band_.tabs[static_cast<std::size_t>(k)]->setChecked(k == state_.current());
    });
  Forward(band_.list, "viewer.entry-list");
  for (int k = 1; k <= 8; ++k)
    connect(band_.levels[static_cast<std::size_t>(k - 1)], &QAbstractButton::clicked, this,
            [this, k] { ExpandToLevelCommand(k); });
  connect(band_.scheme, &QComboBox::activated, this,
          [this](int index) { ChooseColourScheme(index); });
  Forward(band_.bright, "viewer.bright");
  connect(band_.details, &QAbstractButton::clicked, this, [this] { emit SettingsRequested(); });
}

void TreeViewerWindow::ShowPage(int index) {
  for (int i = 0; i < TreeViewerState::kPages; ++i) {
    const bool on = i == index;
    ViewerPageWidgets& w = pages_[static_cast<std::size_t>(i)];
    w.selection->setVisible(on);
    w.output->setVisible(on);
    w.info->setVisible(on);
  }
  for (int i = 0; i < TreeViewerState::kPages; ++i)
    band_.tabs[static_cast<std::size_t>(i)]->setChecked(i == index);
  current().info->clear();
  current().selection->setFocus();
  ShowPageItem();
  band_.find->SetTarget(current().selection, current().selection_model);
  LayOut();
  ApplyColours();
}

void TreeViewerWindow::ShowPageItem() {
  CallTree& tree = state_.page().output;
  if (tree.empty() || tree.selected == CallTree::kNone ||
      ItemName(StripUnionMark(tree.Text(tree.selected))).empty()) {
    graph_->SetBars({});
    source_->clear();
    shown_item_ = CallTree::kNone;
  } else {
    graph_->SetBars(GraphBars(tree, tree.selected, state_.settings, *ui_));
    source_->ShowItem(tree.Data(tree.selected), state_.page().file.data1);
    shown_item_ = tree.selected;
  }
  emit ShownItemChanged(shown_item_);
}

bool TreeViewerWindow::OpenWrittenTree(const std::string& path) {
  int page = state_.FirstEmptyPage();
  if (page < 0) {
    QStringList labels;
    for (const PaintedButton* tab : band_.tabs) labels << tab->text();
    const std::optional<int> chosen = PageChoiceDialog::Ask(labels, state_.current(), this);
    if (!chosen) return false;
    page = *chosen;
  }
  if (state_.SelectPage(page, *ui_)) ShowPage(page);
  return OpenFile(path);
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
  PlaceViewerWidgets(l, tb, current(), {graph_, source_, left_slider_, right_slider_}, band_,
                     view_);
}

void TreeViewerWindow::ApplyColours() {
  // The information windows follow the graph's background inversion.
  PaintViewerPage(current(), view_, graph_->inverted());
  if (view_.status_back != 0) {
    QPalette bar = statusBar()->palette();
    bar.setColor(QPalette::Window, FromColorRef(view_.status_back));
    statusBar()->setPalette(bar);
    statusBar()->setAutoFillBackground(true);
  }
}

void TreeViewerWindow::ApplyScheme() {
  ApplyViewerScheme(view_, body_, band_, graph_);
}

void TreeViewerWindow::ChooseColourScheme(int index) {
  if (ChooseColorType(view_, index, store_, *ui_)) ApplyScheme();
}

void TreeViewerWindow::SelectionExpanded(int page, const QModelIndex& index) {
  (void)index;
  ViewerPageWidgets& w = pages_[static_cast<std::size_t>(page)];
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

bool TreeViewerWindow::background_inverted() const {
  return graph_->inverted();
}

void TreeViewerWindow::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  LayOut();
}

void TreeViewerWindow::closeEvent(QCloseEvent* event) {
  if (loading_) {
    // Closing while a file is read asks to stop reading; the window closes once it stopped.
    ui_->RequestCancel();
    close_after_load_ = true;
    event->ignore();
    return;
  }
  const QRect r = normalGeometry();
  SaveTreePlacement(store_, {r.left(), r.top(), r.right() + 1, r.bottom() + 1, isMaximized()},
                    view_.graph_height);
  help_timer_.stop();
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) emit Closed();
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
  // In the selection window's find box F3 and F4 find its previous and next entry.
  const bool in_find_box =
      watched == band_.find || band_.find->isAncestorOf(qobject_cast<QWidget*>(watched));
  if ((key->key() == Qt::Key_F3 || key->key() == Qt::Key_F4) && !in_find_box) {
    ViewerSearchAgain(state_, *this, *ui_,
                      key->key() == Qt::Key_F3 ? SearchDirection::Up : SearchDirection::Down);
    return true;
  }
  if (key->key() == Qt::Key_F5) {
    RunCommand("viewer.open-in-editor");
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
  // Settings changed since the viewer opened (the sheet, or Kelvora.ini by hand) apply from here.
  ReloadSettings();
  ViewerPageWidgets& w = current();
  TreeViewerPage& page = state_.page();
  w.output_model->SetTree(nullptr);
  page.output.Clear();
  w.selection_model->SetPage(nullptr);
  w.info->clear();
  loading_ = true;
  close_after_load_ = false;
  const bool read = OpenTreeFile(path, page.file, state_.settings, *regex_, *ui_);
  loading_ = false;
  w.selection_model->SetPage(&page.file);
  w.output_model->SetTree(&page.output);
  if (!page.file.tab_label.empty())
    band_.tabs[static_cast<std::size_t>(state_.current())]->setText(
        Q(ToDisplay(PageTabText(page.file))));
  if (close_after_load_) {
    close_after_load_ = false;
    if (page.file.cut) QTimer::singleShot(0, this, [this] { close(); });
  }
  const QModelIndex root = w.selection_model->RootIndex();
  if (root.isValid()) {
    w.selection->expand(root);
    w.selection->setCurrentIndex(root);
    w.selection->scrollToTop();
  }
  w.selection->setFocus();
  ShowPageItem();  // the replaced page's old item leaves the graph and source area
  return read;
}

void TreeViewerWindow::ExpandSelectedEntry(bool ask) {
  ViewerPageWidgets& w = current();
  const std::int32_t entry = w.selection_model->EntryOf(w.selection->currentIndex());
  if (entry < 0) return;
  TreeViewerPage& page = state_.page();
  w.output_model->SetTree(nullptr);
  const bool built =
      ask ? ConfirmAndExpandIntoOutput(page.file, entry, page.output, state_.settings, *ui_)
          : (ExpandIntoOutput(page.file, entry, page.output, state_.settings, *ui_), true);
  w.output_model->SetTree(&page.output);
  if (!built) return;
  SyncOutput();
  w.output->scrollToTop();
}

void TreeViewerWindow::SyncOutput() {
  const CallTree& tree = state_.page().output;
  if (!tree.empty()) SyncOutputView(current(), tree, syncing_);
}

void TreeViewerWindow::OutputSelectionChanged() {
  if (syncing_) return;
  ViewerPageWidgets& w = current();
  CallTree& tree = state_.page().output;
  tree.selected = w.output_model->NodeOf(w.output->currentIndex());
  if (tree.selected == CallTree::kNone || tree.empty()) return;
  // Only an item with a name changes what the graph and the information area show.
  if (ItemName(StripUnionMark(tree.Text(tree.selected))).empty()) return;
  graph_->SetBars(GraphBars(tree, tree.selected, state_.settings, *ui_));
  ui_->SetStatus(3, "");  // the walk's progress text
  source_->ShowItem(tree.Data(tree.selected), state_.page().file.data1);
  shown_item_ = tree.selected;
  emit ShownItemChanged(shown_item_);
}

void TreeViewerWindow::FreezeOutput(bool frozen) {
  current().output->setUpdatesEnabled(!frozen);
}

void TreeViewerWindow::ReloadOutputTexts() {
  current().output_model->Reset();
}

void TreeViewerWindow::ScrollOutputToTop() {
  current().output->scrollToTop();
}

void TreeViewerWindow::RemoveOutputItem(std::int32_t node) {
  current().output_model->DeleteNode(node);
}

void TreeViewerWindow::DetachPage() {
  current().output_model->SetTree(nullptr);
  current().selection_model->SetPage(nullptr);
}

void TreeViewerWindow::PageCleared() {
  ViewerPageWidgets& w = current();
  w.selection_model->SetPage(&state_.page().file);
  w.output_model->SetTree(&state_.page().output);
  w.info->clear();
  graph_->SetBars({});
  source_->clear();
  shown_item_ = CallTree::kNone;
  emit ShownItemChanged(shown_item_);
}

void TreeViewerWindow::ShowInfo(const std::string& utf8) {
  state_.info_text = utf8;
  current().info->setPlainText(Q(utf8));
}

void TreeViewerWindow::CopyText(const std::string& utf8) {
  QApplication::clipboard()->setText(Q(utf8));
}

std::optional<TreeViewerView::SearchRequest> TreeViewerWindow::AskSearch() {
  TreeSearchDialog dialog(state_.history, view_.color_type, view_.color_bright != 0, *ui_, this);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return SearchRequest{dialog.word(), dialog.direction()};
}

std::optional<unsigned> TreeViewerWindow::AskColour(unsigned initial,
                                                    std::array<std::uint32_t, 16>& custom) {
  for (int i = 0; i < 16; ++i)
    QColorDialog::setCustomColor(i, FromColorRef(custom[static_cast<std::size_t>(i)]));
  const QColor chosen = QColorDialog::getColor(FromColorRef(initial), this);
  for (int i = 0; i < 16; ++i)
    custom[static_cast<std::size_t>(i)] = ToColorRef(QColorDialog::customColor(i));
  if (!chosen.isValid()) return std::nullopt;
  return ToColorRef(chosen);
}

void TreeViewerWindow::ToggleBar(ViewerBar bar) {
  if (bar == ViewerBar::Status) statusBar()->setVisible(statusBar()->isHidden());
  if (bar == ViewerBar::Tool) toolbar_->setVisible(toolbar_->isHidden());
  if (bar == ViewerBar::Sliders) {
    sliders_shown_ = !sliders_shown_;
    left_slider_->setVisible(sliders_shown_);
    right_slider_->setVisible(sliders_shown_);
  }
  LayOut();
}

// n0 percent, as the item says and the main window does (opacity 255 - 2p).
void TreeViewerWindow::SetOpacityPercent(int percent) {
  setWindowOpacity(percent == 0 ? 1.0 : WindowOpacity(percent));
}

int TreeViewerWindow::GraphAngle() const {
  return graph_->angle();
}

bool TreeViewerWindow::GraphVertical() const {
  return graph_->vertical();
}

void TreeViewerWindow::SetGraphAngle(int angle) {
  graph_->SetAngle(angle);
}

void TreeViewerWindow::ToggleGraphWeight() {
  graph_->ToggleWeight();
}

void TreeViewerWindow::ToggleGraphDirection() {
  graph_->ToggleDirection();
}

void TreeViewerWindow::ToggleBackgroundInverted() {
  graph_->ToggleInverted();
  source_->SetInverted(graph_->inverted());
  ApplyColours();
  emit BackgroundInvertedChanged(graph_->inverted());
}

void TreeViewerWindow::SetGraphScale(int step) {
  graph_->SetScaleStep(step);
}

void TreeViewerWindow::ShowShortcutList(const std::string& utf8) {
  ShortcutListDialog list(QString::fromStdString(utf8), this);
  list.exec();
}

void TreeViewerWindow::ExportCallGraph() {
  call_graph_->Export();
}

void TreeViewerWindow::ShowCallGraph() {
  call_graph_->Show();
}

void TreeViewerWindow::StartGraphHelp() {
  help_.Start(HelpLineScroller::GraphHelpLine());
  help_.Tick(*ui_);
  help_timer_.start();
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
