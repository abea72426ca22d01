// The settings sheet `CPropSheet`: seven pages over one model, written on OK.
#pragma once

#include <QDialog>
#include <QSize>

#include "settings/property_pages.h"
#include "settings/ui/property_page_widgets.h"

class QTabWidget;

namespace kelvora {

class CPropSheet : public QDialog {
  Q_OBJECT

 public:
  // Every page reads its keys now (a stored option over its limit is reported through ui).
  // settings receives the reloaded values after OK. desktop: the size the index window's
  // position is limited to; empty means the primary screen's.
  CPropSheet(SettingsStore& store, Settings& settings, Ui& ui, QWidget* parent = nullptr,
             QSize desktop = QSize());

  static QString Title();  // "Kelvora  - プロパティ - "

  QTabWidget* Tabs() const { return tabs_; }
  CPropPage1* Page1() const { return page1_; }
  CPropPage2* Page2() const { return page2_; }
  CPropPage6* Page6() const { return page6_; }
  CPropPage3* Page3() const { return page3_; }
  CPropPage4* Page4() const { return page4_; }
  CPropPage5* Page5() const { return page5_; }
  CPropPage9* Page9() const { return page9_; }
  const PropertySheetModel& model() const { return model_; }
  // True when the word box history was cleared while the sheet was open (OK or Cancel).
  bool word_history_cleared() const;

  // The colour dialog of the index page; tests replace it.
  void SetColorChooser(CPropPage5::ColorChooser chooser) { choose_color_ = std::move(chooser); }

  // OK: every page writes its keys, then all settings are reloaded.
  void accept() override;

 private:
  std::optional<std::uint32_t> ChooseColor(std::uint32_t current);

  SettingsStore& store_;
  Settings& settings_;
  Ui& ui_;
  PropertySheetModel model_;
  CPropPage5::ColorChooser choose_color_;
  QTabWidget* tabs_ = nullptr;
  CPropPage1* page1_ = nullptr;
  CPropPage2* page2_ = nullptr;
  CPropPage6* page6_ = nullptr;
  CPropPage3* page3_ = nullptr;
  CPropPage4* page4_ = nullptr;
  CPropPage5* page5_ = nullptr;
  CPropPage9* page9_ = nullptr;
};

// The colour-choice dialog with the 16 custom colours read from the store and written back
// after OK; the chosen colour as 0x00BBGGRR, or nothing when cancelled.
std::optional<std::uint32_t> ChooseColorWithCustomColors(SettingsStore& store,
                                                         std::uint32_t current, QWidget* parent);

struct PropertySheetResult {
  bool accepted = false;
  bool word_history_cleared = false;
};

// Opens the sheet modally. With qt_choosers the editor's file chooser is the Qt one that lists
// executable files; otherwise ui's own chooser is used (scripted front ends).
PropertySheetResult RunPropertySheet(SettingsStore& store, Settings& settings, Ui& ui,
                                     bool qt_choosers, QWidget* parent);

}  // namespace kelvora
