#include "tree/ui/tree_models.h"

#include <QApplication>
#include <QKeyEvent>

#include "platform/cp932.h"
#include "tree/tree_window_rules.h"

namespace kelvora {

namespace {

QString Display(std::string_view cp932) {
  return QString::fromStdString(Cp932ToUtf8(cp932));
}

constexpr quintptr kRootId = 0;

}  // namespace

void SelectionTreeModel::SetPage(const TreePage* page) {
  beginResetModel();
  page_ = page;
  endResetModel();
}

std::int32_t SelectionTreeModel::EntryOf(const QModelIndex& index) const {
  if (!index.isValid()) return -1;
  const quintptr id = index.internalId();
  if (id == kRootId || (id >> 32) != 0) return -1;
  return static_cast<std::int32_t>(id - 1);
}

QModelIndex SelectionTreeModel::RootIndex() const {
  return page_ && !page_->root_text.empty() ? createIndex(0, 0, kRootId) : QModelIndex();
}

QModelIndex SelectionTreeModel::EntryIndex(std::int32_t entry) const {
  return createIndex(entry, 0, static_cast<quintptr>(entry) + 1);
}

QModelIndex SelectionTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (!page_ || column != 0 || row < 0) return {};
  if (!parent.isValid()) return row == 0 && !page_->root_text.empty() ? RootIndex() : QModelIndex();
  const quintptr id = parent.internalId();
  if (id == kRootId)
    return static_cast<std::size_t>(row) < page_->entry_count() ? EntryIndex(row) : QModelIndex();
  if ((id >> 32) != 0) return {};
  const std::size_t entry = id - 1;
  if (static_cast<std::uint32_t>(row) >= page_->entries[entry].callee_count) return {};
  return createIndex(row, 0,
                     (static_cast<quintptr>(entry) + 1) << 32 | (static_cast<quintptr>(row) + 1));
}

QModelIndex SelectionTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  const quintptr id = child.internalId();
  if (id == kRootId) return {};
  if ((id >> 32) == 0) return RootIndex();
  return EntryIndex(static_cast<std::int32_t>((id >> 32) - 1));
}

int SelectionTreeModel::rowCount(const QModelIndex& parent) const {
  if (!page_) return 0;
  if (!parent.isValid()) return page_->root_text.empty() ? 0 : 1;
  const quintptr id = parent.internalId();
  if (id == kRootId) return static_cast<int>(page_->entry_count());
  if ((id >> 32) != 0) return 0;
  return static_cast<int>(page_->entries[id - 1].callee_count);
}

bool SelectionTreeModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

QVariant SelectionTreeModel::data(const QModelIndex& index, int role) const {
  if (!page_ || !index.isValid() || role != Qt::DisplayRole) return {};
  const quintptr id = index.internalId();
  if (id == kRootId) return Display(page_->root_text);
  if ((id >> 32) == 0) return Display(page_->EntryText(id - 1));
  const std::size_t entry = (id >> 32) - 1;
  const TreeCallee& c = page_->CalleesBegin(entry)[(id & 0xFFFFFFFFu) - 1];
  return Display(page_->Text(c.text));
}

SelectionTreeView::SelectionTreeView(QWidget* parent) : QTreeView(parent) {
  setUniformRowHeights(true);
}

void SelectionTreeView::keyPressEvent(QKeyEvent* event) {
  key_stamp_ = event->timestamp();
  QTreeView::keyPressEvent(event);
  key_stamp_ = 0;
}

void SelectionTreeView::keyboardSearch(const QString& text) {
  auto* m = qobject_cast<SelectionTreeModel*>(model());
  if (!m || !m->page()) return QTreeView::keyboardSearch(text);
  // Long names in a list of half a million: a typed name is continued for up to a second
  // between two keys, measured between the keys themselves where they carry a time stamp.
  const quint64 interval =
      static_cast<quint64>(std::max(1000, QApplication::keyboardInputInterval()));
  bool continued = false;
  if (key_stamp_ != 0 && last_stamp_ != 0)
    continued = key_stamp_ >= last_stamp_ && key_stamp_ - last_stamp_ <= interval;
  else if (key_stamp_ == 0 && since_.isValid())
    continued = static_cast<quint64>(since_.elapsed()) <= interval;
  if (!continued) typed_.clear();
  typed_ += text;
  const std::int32_t entry = FindEntryByPrefix(*m->page(), Utf8ToCp932(typed_.toStdString()));
  if (entry >= 0) {
    const QModelIndex index = m->EntryIndex(entry);
    setCurrentIndex(index);
    scrollTo(index);
  }
  last_stamp_ = key_stamp_;
  since_.start();  // after the answer: the time it took does not count against the next key
}

void CallTreeModel::SetTree(CallTree* tree) {
  beginResetModel();
  tree_ = tree;
  endResetModel();
}

void CallTreeModel::Reset() {
  beginResetModel();
  endResetModel();
}

std::int32_t CallTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<std::int32_t>(index.internalId()) - 1 : CallTree::kNone;
}

int CallTreeModel::RowOf(std::int32_t node) const {
  const std::int32_t parent = tree_->node(node).parent;
  if (parent < 0) return 0;
  int row = 0;
  for (std::int32_t s = tree_->PrevSibling(node); s != CallTree::kNone; s = tree_->PrevSibling(s))
    ++row;
  return row;
}

QModelIndex CallTreeModel::IndexOf(std::int32_t node) const {
  if (!tree_ || tree_->empty() || node < 0) return {};
  return createIndex(RowOf(node), 0, static_cast<quintptr>(node) + 1);
}

QModelIndex CallTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (!tree_ || tree_->empty() || column != 0 || row < 0) return {};
  if (!parent.isValid()) return row == 0 ? createIndex(0, 0, quintptr{1}) : QModelIndex();
  const std::int32_t n = NodeOf(parent);
  if (tree_->Make(n)) nest_limited_ = true;
  std::int32_t child = tree_->FirstChild(n);
  for (int r = 0; r < row && child != CallTree::kNone; ++r) child = tree_->NextSibling(child);
  return child == CallTree::kNone ? QModelIndex()
                                  : createIndex(row, 0, static_cast<quintptr>(child) + 1);
}

QModelIndex CallTreeModel::parent(const QModelIndex& child) const {
  const std::int32_t n = NodeOf(child);
  if (n <= 0) return {};
  return IndexOf(tree_->node(n).parent);
}

int CallTreeModel::rowCount(const QModelIndex& parent) const {
  if (!tree_ || tree_->empty()) return 0;
  if (!parent.isValid()) return 1;
  const std::int32_t n = NodeOf(parent);
  if (tree_->Make(n)) nest_limited_ = true;
  return tree_->ChildCount(n);
}

bool CallTreeModel::hasChildren(const QModelIndex& parent) const {
  if (!tree_ || tree_->empty()) return false;
  if (!parent.isValid()) return true;
  return tree_->HasChildren(NodeOf(parent));
}

QVariant CallTreeModel::data(const QModelIndex& index, int role) const {
  if (!tree_ || !index.isValid() || role != Qt::DisplayRole) return {};
  return Display(tree_->Text(NodeOf(index)));
}

void CallTreeModel::DeleteNode(std::int32_t node) {
  if (!tree_ || node < 0) return;
  if (node == tree_->root()) {
    beginResetModel();
    tree_->Delete(node);
    endResetModel();
    return;
  }
  const QModelIndex parent = IndexOf(tree_->node(node).parent);
  const int row = RowOf(node);
  beginRemoveRows(parent, row, row);
  tree_->Delete(node);
  endRemoveRows();
}

bool CallTreeModel::TakeNestLimited() {
  const bool limited = nest_limited_;
  nest_limited_ = false;
  return limited;
}

}  // namespace kelvora
