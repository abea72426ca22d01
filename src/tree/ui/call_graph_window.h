// The call graph of the TREE viewer: "コールグラフ表示" opens a window of its own that shows the
// Graphviz SVG (wheel zooms, dragging pans, a click selects the function in the viewer, a double
// click opens it in the editor); "コールグラフ画像出力" writes the picture to a file. Both ask
// for the direction, the depth and the comment labels first.
#pragma once

#include <QDialog>
#include <QGraphicsView>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <optional>
#include <string>

#include "platform/editor_launch.h"
#include "text/regex_service.h"
#include "tree/call_graph_render.h"

class QButtonGroup;
class QCheckBox;
class QGraphicsSvgItem;
class QLabel;
class QLineEdit;
class QSpinBox;
class QSvgRenderer;

namespace kelvora {

class SettingsStore;
class TreeViewerWindow;

// Direction, depth (1-8) and the comment labels with their comment file.
class CallGraphOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  CallGraphOptionsDialog(const CallGraphOptions& options, const std::string& comment_file,
                         QWidget* parent = nullptr);
  CallGraphOptions options() const;
  std::string comment_file() const;  // file-system bytes; empty without comments

 private:
  QButtonGroup* direction_ = nullptr;
  QSpinBox* depth_ = nullptr;
  QCheckBox* comments_ = nullptr;
  QLineEdit* file_ = nullptr;
};

// The SVG on a graphics view: the wheel zooms around the mouse, dragging pans, a click or double
// click on a node reports the node's index in the graph.
class CallGraphView : public QGraphicsView {
  Q_OBJECT

 public:
  explicit CallGraphView(QWidget* parent = nullptr);
  // Shows the SVG; false when Qt cannot read it.
  bool Show(const QByteArray& svg, int node_count);
  void Zoom(double factor);
  void Fit();
  // The node under a point of the view, or -1.
  int NodeAt(const QPoint& at) const;

 signals:
  void nodeClicked(int node);
  void nodeActivated(int node);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QSvgRenderer* renderer_ = nullptr;
  QGraphicsSvgItem* item_ = nullptr;
  int node_count_ = 0;
  QPoint pressed_at_;
};

class CallGraphWindow : public QMainWindow {
  Q_OBJECT

 public:
  // viewer receives the clicks; editor opens a double-clicked function.
  CallGraphWindow(TreeViewerWindow* viewer, std::function<EditorLauncher()> editor,
                  QWidget* parent = nullptr);
  // Shows a drawn graph; false after the message when the SVG cannot be shown.
  bool ShowGraph(DrawnGraph drawn, const CallGraphOptions& options, const std::string& title);
  CallGraphView* view() const { return view_; }
  const DrawnGraph& drawn() const { return drawn_; }

 private:
  void SelectInViewer(int node);
  void OpenInEditor(int node);
  void SaveAs();

  QPointer<TreeViewerWindow> viewer_;
  std::function<EditorLauncher()> editor_;
  CallGraphView* view_ = nullptr;
  QLabel* status_ = nullptr;
  DrawnGraph drawn_;
  CallGraphOptions options_;
};

// Draws the graph of `start` on the viewer's current page and shows it in a window of its own
// (a child window of the viewer, deleted when closed). nullptr after the message, or when the
// user cancelled the drawing with Escape.
CallGraphWindow* OpenCallGraphWindow(TreeViewerWindow& viewer,
                                     std::function<EditorLauncher()> editor,
                                     const GraphStart& start, const CallGraphOptions& options,
                                     const std::vector<FunctionComment>* comments);

// What the viewer's rows "コールグラフ画像出力" and "コールグラフ表示" run: the options dialog
// (the last choices offered again), then the picture file or a CallGraphWindow. store gives the
// node budget ("GraphNodeBudget").
class CallGraphCommands {
 public:
  CallGraphCommands(TreeViewerWindow& viewer, std::function<EditorLauncher()> editor,
                    const SettingsStore& store);
  void Export();
  void Show();

 private:
  // The start and the options; nullopt when cancelled or there is nothing to draw.
  std::optional<GraphStart> Ask(std::optional<std::vector<FunctionComment>>& comments);

  TreeViewerWindow& viewer_;
  std::function<EditorLauncher()> editor_;
  long long budget_;
  CallGraphOptions options_;
  std::string comment_file_;
  RegexService regex_;
};

}  // namespace kelvora
