// The small tool windows: the information window, the system information window, the
// background bitmap pattern list and the version dialog.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QTextEdit;
class QProgressBar;
class QTableWidget;
class QTimer;

namespace kelvora {

struct SystemInfoTexts;

// "Kelvora - 情報表示 -": a resizable read-only text with "ALLコピー(&A)" and "閉じる(&C)".
class InfoWindow : public QDialog {
  Q_OBJECT
 public:
  InfoWindow(const QString& text, double opacity, QWidget* parent = nullptr);
  QString text() const;

 private:
  QTextEdit* edit_;
};

// "各種情報": time, OS, memory, swap and address space, refreshed every second. Enter and
// Escape do nothing; the close box closes it.
class SystemInfoWindow : public QDialog {
  Q_OBJECT
 public:
  explicit SystemInfoWindow(double opacity, QWidget* parent = nullptr);
  // Fills every field from texts (the timer calls it with fresh figures).
  void Show(const SystemInfoTexts& texts);
  QString FieldText(int field) const;
  static constexpr int kFieldCount = 8;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Refresh();
  QLabel* fields_[kFieldCount] = {};
  QProgressBar* load_bar_ = nullptr;
  QProgressBar* phys_bar_ = nullptr;
  QTimer* timer_ = nullptr;
};

// "ﾋﾞｯﾄﾏｯﾌﾟﾊﾟﾀｰﾝﾘｽﾄ": the 95 patterns; the selected row paints the window's own background,
// OK makes it the choice.
class BitmapPatternList : public QDialog {
  Q_OBJECT
 public:
  BitmapPatternList(int current_pattern, double opacity, QWidget* parent = nullptr);
  // 0..94, the selected row.
  int pattern() const { return pattern_; }
  QTableWidget* table() const { return table_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTableWidget* table_;
  int pattern_ = 0;
};

// "ﾊﾞｰｼﾞｮﾝ情報": the painted version text with its shadow, a rule and the regex engine's
// version text.
class VersionDialog : public QDialog {
  Q_OBJECT
 public:
  VersionDialog(const QString& engine_version, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString engine_version_;
};

}  // namespace kelvora
