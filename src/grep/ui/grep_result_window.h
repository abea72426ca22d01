// The modeless result window "Grep結果": the hits of "Grep結果.txt" over a list model, the
// three-part status bar, and the jump into the editor.
#pragma once

#include <QAbstractTableModel>
#include <QDialog>
#include <memory>

#include "grep/grep_results.h"
#include "grep/grep_search.h"
#include "gui_common/dialog_owner.h"
#include "platform/editor_launch.h"

class QLabel;
class QPushButton;
class QStatusBar;
class QTableView;

namespace kelvora {

class Ui;

class GrepResultModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit GrepResultModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
  GrepResultList& list() { return list_; }
  void Reset(const std::function<void()>& change);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  GrepResultList list_;
};

class GrepResultWindow : public QDialog {
  Q_OBJECT

 public:
  // Reads the result file of run. opacity_par is the main window's translucency setting. The
  // window keeps its own copy of the editor; ui must outlive it.
  GrepResultWindow(const GrepRun& run, const EditorLauncher& editor, Ui& ui, int opacity_par,
                   QWidget* parent = nullptr);
  ~GrepResultWindow() override;

  // The open window, if any: one instance at a time.
  static GrepResultWindow* Current();

  QTableView* table() const { return table_; }
  GrepResultModel* model() const { return model_; }
  QLabel* footer() const { return footer_; }
  QString StatusText(int part) const;

 public slots:
  // Double click or F5: opens the selected row in the editor.
  void JumpToSelected();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Fill();
  void SortBy(int column);

  GrepRun run_;
  EditorLauncher editor_;
  OwnedDialogsUi ui_;  // messages of the window belong to it
  GrepResultModel* model_;
  QTableView* table_;
  QLabel* footer_;
  QPushButton* close_;
  QStatusBar* status_;
  QLabel* parts_[3];
};

// The Grep menu command of the main window: the dialogs, the search, then the result window
// (modeless, deleted when closed). ctx.result_window_open is taken from the open window.
GrepOutcome RunGrepCommand(GrepContext ctx, const EditorLauncher& editor, int opacity_par,
                           QWidget* parent);

}  // namespace kelvora
