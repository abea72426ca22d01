// The seven pages of the settings sheet. Each page shows and changes its part of the sheet's
// model; the sheet writes the model on OK.
#pragma once

#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "settings/property_pages.h"
#include "settings/ui/property_page_base.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTreeWidget;

namespace kelvora {

// "エディタ設定"
class CPropPage1 : public PropertyPageBase {
  Q_OBJECT

 public:
  CPropPage1(EditorPage& page, Ui& ui, QWidget* parent = nullptr);

  QLineEdit* PathField() const { return path_; }
  QLineEdit* OptionField() const { return option_; }
  QPushButton* BrowseButton() const { return browse_; }
  QLabel* IconField() const { return icon_; }

 private:
  void Browse();
  void OptionEdited(const QString& text);
  void ShowPath();

  EditorPage& page_;
  Ui& ui_;
  QLineEdit* path_ = nullptr;
  QLineEdit* option_ = nullptr;
  QPushButton* browse_ = nullptr;
  QLabel* icon_ = nullptr;
};

// "解析関連(1)"
class CPropPage2 : public PropertyPageBase {
  Q_OBJECT

 public:
  CPropPage2(AnalysisPage& page, Ui& ui, QWidget* parent = nullptr);

  QLineEdit* SourceField() const { return src_; }
  QLineEdit* HeaderField() const { return header_; }
  // 0 functions, 1 structs, 2 #define, 3 tables: the "取得する" radio of the pair.
  QRadioButton* TakeRadio(int what) const { return take_[static_cast<std::size_t>(what)]; }
  QRadioButton* SkipRadio(int what) const { return skip_[static_cast<std::size_t>(what)]; }
  QComboBox* FunctionKinds() const { return func_prop_; }
  QComboBox* StructKinds() const { return struct_prop_; }
  QComboBox* HeadWords() const { return head_words_; }
  QLineEdit* HeaderWordsField() const { return words_; }
  QSpinBox* HeaderLinesSpin() const { return lines_; }
  QPushButton* HelpButton() const { return help_; }

 private:
  AnalysisPage& page_;
  Ui& ui_;
  QLineEdit* src_ = nullptr;
  QLineEdit* header_ = nullptr;
  std::array<QRadioButton*, 4> take_{};
  std::array<QRadioButton*, 4> skip_{};
  QComboBox* func_prop_ = nullptr;
  QComboBox* struct_prop_ = nullptr;
  QComboBox* head_words_ = nullptr;
  QLineEdit* words_ = nullptr;
  QSpinBox* lines_ = nullptr;
  QPushButton* help_ = nullptr;
};

// "解析関連(2)"
class CPropPage6 : public PropertyPageBase {
  Q_OBJECT

 public:
  explicit CPropPage6(PreprocessorPage& page, QWidget* parent = nullptr);

  QLineEdit* MacroField() const { return macros_; }
  QComboBox* ConversionBox() const { return conversion_; }

 private:
  PreprocessorPage& page_;
  QLineEdit* macros_ = nullptr;
  QComboBox* conversion_ = nullptr;
};

// "排除関数"
class CPropPage3 : public PropertyPageBase {
  Q_OBJECT

 public:
  CPropPage3(ExcludedPage& page, Ui& ui, QWidget* parent = nullptr);

  // Slot 1..60.
  QCheckBox* FlagBox(int slot) const { return flags_[static_cast<std::size_t>(slot - 1)]; }
  QLineEdit* NameField(int slot) const { return names_[static_cast<std::size_t>(slot - 1)]; }
  QPushButton* ClearAllButton() const { return clear_all_; }

 private:
  void ShowSlots();

  ExcludedPage& page_;
  Ui& ui_;
  std::array<QCheckBox*, kExcludedSlots> flags_{};
  std::array<QLineEdit*, kExcludedSlots> names_{};
  QPushButton* clear_all_ = nullptr;
};

// "出力関連"
class CPropPage4 : public PropertyPageBase {
  Q_OBJECT

 public:
  explicit CPropPage4(OutputPage& page, QWidget* parent = nullptr);

  // Level 1..12.
  QCheckBox* LevelBox(int level) const { return levels_[static_cast<std::size_t>(level - 1)]; }
  QSpinBox* SpaceSpin() const { return space_; }
  QSpinBox* StructSpaceSpin() const { return struct_space_; }
  QSpinBox* TableSpaceSpin() const { return table_space_; }
  QSpinBox* GraphNodeBudgetSpin() const { return graph_budget_; }

 private:
  OutputPage& page_;
  std::array<QCheckBox*, kNestLevels> levels_{};
  QSpinBox* space_ = nullptr;
  QSpinBox* struct_space_ = nullptr;
  QSpinBox* table_space_ = nullptr;
  QSpinBox* graph_budget_ = nullptr;
};

// "IndexMode関連"
class CPropPage5 : public PropertyPageBase {
  Q_OBJECT

 public:
  // The colour dialog: returns the chosen 0x00BBGGRR colour, or nothing when cancelled; it
  // reads and writes the 16 custom colours itself.
  using ColorChooser = std::function<std::optional<std::uint32_t>(std::uint32_t current)>;

  CPropPage5(IndexPage& page, ColorChooser choose_color, QSize desktop, QWidget* parent = nullptr);

  QPushButton* TextColorButton() const { return text_color_; }
  QPushButton* BackColorButton() const { return back_color_; }
  QTreeWidget* Sample() const { return sample_; }
  QSpinBox* LeftSpin() const { return left_; }
  QSpinBox* TopSpin() const { return top_; }

  // The width of the index window: its two columns and frame, less 5 pixels.
  static int IndexWindowWidth();

 private:
  void ChooseColor(std::uint32_t& color);
  void PaintSample();

  IndexPage& page_;
  ColorChooser choose_color_;
  QPushButton* text_color_ = nullptr;
  QPushButton* back_color_ = nullptr;
  QTreeWidget* sample_ = nullptr;
  QSpinBox* left_ = nullptr;
  QSpinBox* top_ = nullptr;
};

// "その他"
class CPropPage9 : public PropertyPageBase {
  Q_OBJECT

 public:
  CPropPage9(OtherPage& page, SettingsStore& store, Ui& ui, QWidget* parent = nullptr);

  QRadioButton* ToolbarRadio(int variant) const { return variant == 1 ? toolbar1_ : toolbar2_; }
  QRadioButton* FileDialogRadio(int style) const { return style == 1 ? new_style_ : old_style_; }
  QPushButton* ClearButton(History history) const {
    return clear_[static_cast<std::size_t>(history)];
  }
  // True once the word box history was cleared on this page.
  bool word_history_cleared() const { return word_history_cleared_; }

 private:
  OtherPage& page_;
  SettingsStore& store_;
  Ui& ui_;
  QRadioButton* toolbar1_ = nullptr;
  QRadioButton* toolbar2_ = nullptr;
  QRadioButton* new_style_ = nullptr;
  QRadioButton* old_style_ = nullptr;
  std::array<QPushButton*, 4> clear_{};
  bool word_history_cleared_ = false;
};

}  // namespace kelvora
