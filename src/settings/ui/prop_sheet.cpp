#include "settings/ui/prop_sheet.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include "gui_common/background_patterns.h"
#include "gui_common/controls.h"
#include "gui_common/japanese_fonts.h"
#include "settings/ui/executable_chooser_ui.h"

namespace kelvora {
namespace {

QSize PrimaryDesktop() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().size() : QSize(0, 0);
}

}  // namespace

CPropSheet::CPropSheet(SettingsStore& store, Settings& settings, Ui& ui, QWidget* parent,
                       QSize desktop)
    : QDialog(parent), store_(store), settings_(settings), ui_(ui) {
  if (!desktop.isValid()) desktop = PrimaryDesktop();
  setWindowTitle(Title());
  setFont(QFont(ProportionalGothicName(), 9));
  model_ = ReadPropertySheet(store_, ui_, desktop.width(), desktop.height());

  tabs_ = new QTabWidget(this);
  page1_ = new CPropPage1(model_.editor, ui_);
  page2_ = new CPropPage2(model_.analysis, ui_);
  page6_ = new CPropPage6(model_.preprocessor);
  page3_ = new CPropPage3(model_.excluded, ui_);
  page4_ = new CPropPage4(model_.output);
  page5_ = new CPropPage5(
      model_.index, [this](std::uint32_t current) { return ChooseColor(current); }, desktop);
  page9_ = new CPropPage9(model_.other, store_, ui_);
  tabs_->addTab(page1_, QStringLiteral("エディタ設定"));
  tabs_->addTab(page2_, QStringLiteral("解析関連(1)"));
  tabs_->addTab(page6_, QStringLiteral("解析関連(2)"));
  tabs_->addTab(page3_, QStringLiteral("排除関数"));
  tabs_->addTab(page4_, QStringLiteral("出力関連"));
  tabs_->addTab(page5_, QStringLiteral("IndexMode関連"));
  tabs_->addTab(page9_, QStringLiteral("その他"));
  KeepSpinArrowsVisible(tabs_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &CPropSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CPropSheet::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  resize(720, 560);
}

QString CPropSheet::Title() {
  return QStringLiteral("Kelvora  - プロパティ - ");
}

bool CPropSheet::word_history_cleared() const {
  return page9_->word_history_cleared();
}

void CPropSheet::accept() {
  WritePropertySheet(model_, store_, settings_, ui_);
  QDialog::accept();
}

std::optional<std::uint32_t> CPropSheet::ChooseColor(std::uint32_t current) {
  if (choose_color_) return choose_color_(current);
  return ChooseColorWithCustomColors(store_, current, this);
}

std::optional<std::uint32_t> ChooseColorWithCustomColors(SettingsStore& store,
                                                         std::uint32_t current, QWidget* parent) {
  std::array<std::uint32_t, kCustomColors> custom = ReadCustomColors(store);
  for (int i = 0; i < kCustomColors; ++i)
    QColorDialog::setCustomColor(i, FromColorRef(custom[static_cast<std::size_t>(i)]));
  QColorDialog dialog(FromColorRef(current), parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  for (int i = 0; i < kCustomColors; ++i)
    custom[static_cast<std::size_t>(i)] = ToColorRef(QColorDialog::customColor(i));
  WriteCustomColors(custom, store);
  return ToColorRef(dialog.selectedColor());
}

PropertySheetResult RunPropertySheet(SettingsStore& store, Settings& settings, Ui& ui,
                                     bool qt_choosers, QWidget* parent) {
  ExecutableChooserUi chooser_ui(ui, parent, settings.file_dlg);
  Ui& sheet_ui = qt_choosers ? static_cast<Ui&>(chooser_ui) : ui;
  CPropSheet sheet(store, settings, sheet_ui, parent);
  PropertySheetResult result;
  result.accepted = sheet.exec() == QDialog::Accepted;
  result.word_history_cleared = sheet.word_history_cleared();
  return result;
}

}  // namespace kelvora
