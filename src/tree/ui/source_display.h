// The TREE viewer's source display: the header and source lines of the selected output item in
// one or more columns, its scroll bar, the "  Src表示" menu and the emphasis combo box.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "text/regex_service.h"
#include "tree/source_view.h"

class QComboBox;
class QLabel;
class QMenu;
class QScrollBar;
class QToolButton;

namespace kelvora {

class CleaningPatterns;
class SettingsStore;
class Ui;

class SourceDisplay : public QWidget {
  Q_OBJECT

 public:
  // Questions go to ui; every setting is read from and written to store.
  SourceDisplay(SettingsStore& store, Ui& ui, QWidget* parent = nullptr);
  ~SourceDisplay() override;

  // Shows an output item: its data text and the page's "//Data1:" text, both CP932.
  void ShowItem(std::string data, std::string data1);
  void clear();
  // The viewer's background inversion of the graph and information windows.
  void SetInverted(bool on);
  bool inverted() const { return inverted_; }
  // Reads the settings again (the settings sheet's OK, a cleared emphasis history).
  void ReloadSettings();

  const SourceViewSettings& settings() const { return settings_; }
  const SourceView& view() const { return view_; }
  QMenu* menu();  // the "  Src表示" menu, its texts brought up to date
  QScrollBar* scroll_bar() const { return scroll_; }
  QComboBox* emphasis_box() const { return emphasis_; }
  QString position_text() const;  // "FilePos:%d"
  // The whole header line (file position, step counts, definitions) under pos, as its tooltip
  // shows it; empty elsewhere.
  QString HeaderLineAt(QPoint pos) const;
  QLabel* position_label() const { return position_; }

 signals:
  // "背景色反転  (&R)" switched the inversion; the viewer keeps its flag in step.
  void invertedChanged(bool on);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildMenu();
  void Rebuild();
  void ApplySettings();
  void LayOutChildren();
  void UpdateScrollRange();
  void SetEmphasis(const QString& text);
  void FillEmphasisBox();
  int RowsShown() const;
  int TextTop() const;
  std::vector<std::string> PinnedLines() const;

  SettingsStore& store_;
  Ui& ui_;
  RegexService regex_;
  std::unique_ptr<CleaningPatterns> pats_;
  SourceViewSettings settings_;
  EmphasisHistory history_;
  Regex emphasis_pattern_;
  QString applied_;  // the emphasis box text in effect
  std::string data_, data1_;
  bool shown_ = false;
  SourceView view_;
  bool inverted_ = false;
  QMenu* menu_ = nullptr;
  QToolButton* button_ = nullptr;
  QComboBox* emphasis_ = nullptr;
  QLabel* position_ = nullptr;
  QScrollBar* scroll_ = nullptr;
  int cell_w_ = 8, cell_h_ = 16, ascent_ = 12;
};

}  // namespace kelvora
