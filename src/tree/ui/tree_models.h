// Item models of the TREE viewer's two trees: the selection window over a tree page and the
// output window over a lazily made call tree (children are made when the view first asks).
#pragma once

#include <QAbstractItemModel>
#include <QColor>
#include <QElapsedTimer>
#include <QTreeView>

#include "tree/call_tree.h"
#include "tree/tree_file.h"

namespace kelvora {

// Root item, its entries (display order) and their callees.
class SelectionTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit SelectionTreeModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}
  void SetPage(const TreePage* page);
  const TreePage* page() const { return page_; }

  // The entry index of an entry item, -1 for the root or a callee.
  std::int32_t EntryOf(const QModelIndex& index) const;
  QModelIndex RootIndex() const;
  QModelIndex EntryIndex(std::int32_t entry) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& = {}) const override { return 1; }
  QVariant data(const QModelIndex& index, int role) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;

 private:
  // internalId: 0 root, 1 + entry for entries, (entry + 1) << 32 | (callee + 1) for callees.
  const TreePage* page_ = nullptr;
};

// The selection window's view: typing jumps to the first entry that starts with the typed text
// (a binary search over the sorted entries instead of the view's walk through every row). Rows
// have one height, so jumping far into half a million entries lays nothing out on the way.
class SelectionTreeView : public QTreeView {
  Q_OBJECT

 public:
  explicit SelectionTreeView(QWidget* parent = nullptr);
  void keyboardSearch(const QString& text) override;
  // The text typed so far (the name being looked for).
  QString typed() const { return typed_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QString typed_;
  // When the previous typed key was pressed: its event's time stamp, or (for events without one)
  // the end of its answer, so keys typed while an answer was drawn still continue the word.
  quint64 last_stamp_ = 0;
  quint64 key_stamp_ = 0;
  QElapsedTimer since_;
};

class CallTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  explicit CallTreeModel(QObject* parent = nullptr) : QAbstractItemModel(parent) {}
  void SetTree(CallTree* tree);
  CallTree* tree() const { return tree_; }
  // Call around changes of the tree made outside the model.
  void Reset();

  std::int32_t NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(std::int32_t node) const;
  // Removes a node with its subtree (rows removed from the view).
  void DeleteNode(std::int32_t node);
  // True once when making children met the nest limit since the last call.
  bool TakeNestLimited();

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& = {}) const override { return 1; }
  QVariant data(const QModelIndex& index, int role) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;

 private:
  int RowOf(std::int32_t node) const;
  CallTree* tree_ = nullptr;
  mutable bool nest_limited_ = false;
};

}  // namespace kelvora
