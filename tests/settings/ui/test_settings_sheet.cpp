// The settings sheet: its pages, what they show and write, Cancel, the editor page's limits,
// the colour dialog, and how the main window opens it and follows it.
#include "app/test_main_window_fixture.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "settings/ui/executable_chooser_ui.h"
#include "settings/ui/prop_sheet.h"

using namespace kelvora;
using kelvora::testing::OnNextModal;
using kelvora::testing::Q;
using kelvora::testing::WindowEnv;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// One key press carrying text, as an input method commits it.
void TypeText(QLineEdit* field, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
  QApplication::sendEvent(field, &press);
}

// Types into a field as the user would, so that the page sees an edit.
void Retype(QLineEdit* field, const QString& text) {
  field->selectAll();
  QTest::keyClick(field, Qt::Key_Delete);
  TypeText(field, text);
}

QStringList LabelTexts(QWidget* page) {
  QStringList texts;
  for (QLabel* label : page->findChildren<QLabel*>()) texts << label->text();
  return texts;
}

}  // namespace

class TestSettingsSheet : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { kelvora::testing::QuietSizeHintWarnings(); }

  void SheetHasItsTitleAndSevenPagesInOrder() {
    WindowEnv env;
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1280, 1024));
    QCOMPARE(sheet.windowTitle(), Q("Kelvora  - プロパティ - "));
    const QStringList expected = {Q("エディタ設定"), Q("解析関連(1)"), Q("解析関連(2)"),
                                  Q("排除関数"),     Q("出力関連"),    Q("IndexMode関連"),
                                  Q("その他")};
    QStringList titles;
    for (int i = 0; i < sheet.Tabs()->count(); ++i) titles << sheet.Tabs()->tabText(i);
    QCOMPARE(titles, expected);
    QCOMPARE(sheet.Tabs()->widget(0), static_cast<QWidget*>(sheet.Page1()));
    QCOMPARE(sheet.Tabs()->widget(2), static_cast<QWidget*>(sheet.Page6()));
    QCOMPARE(sheet.Tabs()->widget(3), static_cast<QWidget*>(sheet.Page3()));
    QCOMPARE(sheet.Tabs()->widget(6), static_cast<QWidget*>(sheet.Page9()));
    QVERIFY(env.ui.shown().empty());
  }

  void PagesPaintTheGradientAndWhiteAndYellowLabels() {
    QCOMPARE(PropertyPageBase::GradientColorAt(0, 400), QColor(25, 25, 25));
    QCOMPARE(PropertyPageBase::GradientColorAt(399, 400), QColor(150, 150, 150));
    WindowEnv env;
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1280, 1024));
    sheet.show();
    QWidget* page = sheet.Page1();
    const QImage image = page->grab().toImage();
    const QColor top = image.pixelColor(image.width() - 2, 1);
    const QColor bottom = image.pixelColor(image.width() - 2, image.height() - 2);
    QVERIFY2(top.red() < 40 && bottom.red() > 135, qPrintable(top.name() + bottom.name()));
    QLabel* heading = nullptr;
    QLabel* note = nullptr;
    for (QLabel* label : page->findChildren<QLabel*>()) {
      if (label->text() == Q("≪起動オプション（行番号）について≫")) heading = label;
      if (label->text() == Q("行番号指定時につける起動オプションです。")) note = label;
    }
    QVERIFY(heading != nullptr && note != nullptr);
    QCOMPARE(heading->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    QCOMPARE(note->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(note->font().family(), Q("ＭＳ Ｐゴシック"));
    QCOMPARE(note->font().pointSize(), 9);
    const QStringList texts = LabelTexts(page);
    QVERIFY(texts.contains(Q("※例外：MIFESの場合は、\"MIFES\"を指定すればＯＫです。")));
    QVERIFY(texts.contains(Q("※例：サクラエディタの場合、\"-Y=\"を指定。")));
    QVERIFY(texts.filter(Q("vim")).size() == 1);
  }

  void EveryPageShowsTheStoredValues() {
    WindowEnv env;
    const std::string editor = env.WriteFile("bin/my editor", "#!/bin/sh\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    env.WriteRegistry("[Software\\Kelv\\Config]\r\nEditorPath=" + editor +
                      "\r\nEditorOption=-Y=\r\n");
    env.WriteIni(
        "[Extention]\r\nsrc=*.cc\r\n[Analysis]\r\nstruct=0\r\nfunc_prop=2\r\nFuncHeaderStr=" +
        Utf8ToCp932("概要") +
        "\r\nFuncHeaderLine=7\r\nPreprocessor=LINUX\r\nCharChange=1\r\n"
        "[UnMatch_Func]\r\nFunc16=" +
        Utf8ToCp932("関数") +
        "\r\nFlag_Func16=1\r\n[Tree]\r\nNestLevelText=6\r\nSpace=0\r\nStructSpace=55\r\n"
        "GraphNodeBudget=120\r\n"
        "toolbar=2\r\n[Index]\r\nLeftPos=99\r\nTextColor=255\r\n[Dialog]\r\nfileDLG=2\r\n");
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1280, 1024));

    QCOMPARE(sheet.Page1()->PathField()->text(), QString::fromStdString(editor));
    QVERIFY(sheet.Page1()->PathField()->isReadOnly());
    QVERIFY(!sheet.Page1()->IconField()->pixmap().isNull());
    QCOMPARE(sheet.Page1()->OptionField()->text(), Q("-Y="));

    CPropPage2* p2 = sheet.Page2();
    QCOMPARE(p2->SourceField()->text(), Q("*.cc"));
    QCOMPARE(p2->HeaderField()->text(), Q("*.h"));  // empty: the default, written back at once
    QCOMPARE(store.ReadString("Extention", "header"), std::string("*.h"));
    QVERIFY(p2->TakeRadio(0)->isChecked());
    QVERIFY(p2->SkipRadio(1)->isChecked());
    QCOMPARE(p2->FunctionKinds()->currentText(), Q("「関数マクロ」のみ"));
    QCOMPARE(p2->StructKinds()->currentIndex(), 0);
    QCOMPARE(p2->HeaderWordsField()->text(), Q("概要"));
    QCOMPARE(p2->HeaderLinesSpin()->value(), 7);
    QCOMPARE(p2->HeaderLinesSpin()->maximum(), 200);

    QCOMPARE(sheet.Page6()->MacroField()->text(), Q("LINUX"));
    QCOMPARE(sheet.Page6()->ConversionBox()->currentText(), Q("EUC → S-JIS変換"));

    QCOMPARE(sheet.Page3()->NameField(16)->text(), Q("関数"));
    QVERIFY(sheet.Page3()->FlagBox(16)->isChecked());
    QVERIFY(!sheet.Page3()->FlagBox(1)->isChecked());

    CPropPage4* p4 = sheet.Page4();
    QVERIFY(!p4->LevelBox(1)->isChecked());
    QVERIFY(p4->LevelBox(2)->isChecked() && p4->LevelBox(3)->isChecked());
    QCOMPARE(p4->LevelBox(12)->text(), Q("階層レベル12"));
    QCOMPARE(p4->SpaceSpin()->value(), 30);
    QCOMPARE(p4->StructSpaceSpin()->value(), 55);
    QCOMPARE(p4->TableSpaceSpin()->value(), 40);
    QCOMPARE(p4->GraphNodeBudgetSpin()->value(), 120);
    QCOMPARE(p4->GraphNodeBudgetSpin()->maximum(), 5000);

    CPropPage5* p5 = sheet.Page5();
    QCOMPARE(p5->LeftSpin()->value(), 99);
    QCOMPARE(p5->LeftSpin()->maximum(), 1280);
    QCOMPARE(p5->TopSpin()->maximum(), 1024);
    QCOMPARE(p5->Sample()->palette().color(QPalette::Text), QColor(255, 0, 0));
    QCOMPARE(p5->Sample()->palette().color(QPalette::Base), QColor(0, 0, 0));
    const QStringList texts = LabelTexts(p5);
    QVERIFY(texts.contains(Q("ﾃﾞｽｸﾄｯﾌﾟｻｲｽﾞ：1280×1024ﾋﾟｸｾﾙ")));
    QVERIFY(texts.contains(Q("Index（目次）横幅：192ﾋﾟｸｾﾙ")));
    QVERIFY(texts.contains(Q("左上X座標（0～1280）")));
    QTreeWidget* sample = p5->Sample();
    QCOMPARE(sample->topLevelItem(0)->text(1), Q("” A ”  or  ” a ” ～"));
    QCOMPARE(sample->topLevelItem(sample->topLevelItemCount() - 1)->text(1), Q("ｷｬﾝｾﾙ（ESC）"));

    QVERIFY(sheet.Page9()->ToolbarRadio(2)->isChecked());
    QVERIFY(sheet.Page9()->FileDialogRadio(2)->isChecked());
    QVERIFY(env.ui.shown().empty());
  }

  void OkWritesWhatEachPageHoldsAndReloads() {
    WindowEnv env;
    const std::string editor = env.WriteFile("bin/vim", "");
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1024, 768));
    env.ui.ChooseOpenAnswer(editor);
    sheet.Page1()->BrowseButton()->click();
    Retype(sheet.Page1()->OptionField(), Q("+"));
    Retype(sheet.Page2()->SourceField(), Q("*.c;*.cxx"));
    sheet.Page2()->SkipRadio(3)->click();
    sheet.Page2()->StructKinds()->setCurrentIndex(1);
    Retype(sheet.Page2()->HeaderWordsField(), Q("|概要|"));
    sheet.Page2()->HeaderLinesSpin()->setValue(200);
    Retype(sheet.Page6()->MacroField(), Q("LINUX,_DEBUG"));
    sheet.Page6()->ConversionBox()->setCurrentIndex(1);
    Retype(sheet.Page3()->NameField(60), Q("メモリ確保"));
    sheet.Page3()->FlagBox(60)->click();
    // Levels 1 and 3 give 5.
    sheet.Page4()->LevelBox(1)->click();
    sheet.Page4()->LevelBox(3)->click();
    sheet.Page4()->TableSpaceSpin()->setValue(100);
    sheet.Page4()->GraphNodeBudgetSpin()->setValue(800);
    sheet.Page5()->TopSpin()->setValue(700);
    sheet.Page9()->ToolbarRadio(2)->click();
    sheet.Page9()->FileDialogRadio(2)->click();
    sheet.accept();

    QVERIFY2(env.ui.messages().empty(),
             env.ui.messages().empty() ? "" : env.ui.messages()[0].c_str());
    QCOMPARE(*store.user().ReadStringValue(kConfigKey, "EditorPath"), editor);
    QCOMPARE(*store.user().ReadStringValue(kConfigKey, "EditorOption"), std::string("+"));
    QCOMPARE(store.ReadString("Extention", "src"), std::string("*.c;*.cxx"));
    QCOMPARE(store.ReadInt("Analysis", "table", -1), 0LL);
    QCOMPARE(store.ReadInt("Analysis", "struct_prop", -1), 1LL);
    QCOMPARE(store.ReadInt("Analysis", "FuncHeaderLine", -1), 200LL);
    QCOMPARE(store.ReadString("Analysis", "Preprocessor"), std::string("LINUX,_DEBUG"));
    QCOMPARE(store.ReadInt("Analysis", "CharChange", -1), 1LL);
    QCOMPARE(store.ReadString("UnMatch_Func", "Func60"), Utf8ToCp932("メモリ確保"));
    QCOMPARE(store.ReadInt("UnMatch_Func", "Flag_Func60", -1), 1LL);
    QCOMPARE(store.ReadInt("Tree", "NestLevelText", -1), 5LL);
    QCOMPARE(store.ReadInt("Tree", "TableSpace", -1), 100LL);
    QCOMPARE(store.ReadInt("Tree", "GraphNodeBudget", -1), 800LL);
    QCOMPARE(store.ReadInt("Index", "TopPos", -1), 700LL);
    QCOMPARE(store.ReadInt("Tree", "toolbar", -1), 2LL);
    QCOMPARE(store.ReadInt("Dialog", "fileDLG", -1), 2LL);
    // Reloaded, with the header words' outer bars removed and stored back.
    QCOMPARE(settings.editor_path, editor);
    QCOMPARE(settings.editor_option, std::string("+"));
    QCOMPARE(settings.table, 0);
    QCOMPARE(settings.char_change, 1);
    QVERIFY(settings.IsExcludedFunction(Utf8ToCp932("メモリ確保")));
    QCOMPARE(settings.func_header_str, Utf8ToCp932("概要"));
    QCOMPARE(store.ReadString("Analysis", "FuncHeaderStr"), Utf8ToCp932("概要"));
    QCOMPARE(sheet.result(), int(QDialog::Accepted));
  }

  void CancelWritesNothing() {
    WindowEnv env;
    const std::string editor = env.WriteFile("bin/vim", "");
    env.WriteIni("[Extention]\r\nsrc=*.c\r\nheader=*.h\r\n[Tree]\r\ntoolbar=7\r\n");
    SettingsStore store = env.Store();
    Settings settings;
    const std::string ini_before = ReadAll(env.IniPath());
    const std::string registry_before = ReadAll(env.RegistryPath());
    {
      CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1024, 768));
      env.ui.ChooseOpenAnswer(editor);
      sheet.Page1()->BrowseButton()->click();
      Retype(sheet.Page1()->OptionField(), Q("-n"));
      Retype(sheet.Page2()->SourceField(), Q("*.x"));
      sheet.Page3()->FlagBox(1)->click();
      sheet.Page4()->LevelBox(5)->click();
      sheet.Page5()->LeftSpin()->setValue(3);
      sheet.Page9()->FileDialogRadio(2)->click();
      sheet.reject();
    }
    QCOMPARE(ReadAll(env.IniPath()), ini_before);
    QCOMPARE(ReadAll(env.RegistryPath()), registry_before);
    QCOMPARE(settings.editor_path, std::string());
    QVERIFY(env.ui.messages().empty());
  }

  void ToolbarSevenShowsAsOneAndIsWrittenBackAsOne() {
    WindowEnv env;
    env.WriteIni("[Tree]\r\ntoolbar=7\r\n[Dialog]\r\nfileDLG=0\r\n");
    env.WriteRegistry("[Software\\Kelv\\Config]\r\nEditorPath=" + env.WriteFile("ed", "") + "\r\n");
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1024, 768));
    QVERIFY(sheet.Page9()->ToolbarRadio(1)->isChecked());
    QVERIFY(!sheet.Page9()->ToolbarRadio(2)->isChecked());
    QVERIFY(sheet.Page9()->FileDialogRadio(1)->isChecked());
    sheet.accept();
    QCOMPARE(store.ReadInt("Tree", "toolbar", -1), 1LL);
    QCOMPARE(store.ReadInt("Dialog", "fileDLG", -1), 1LL);
  }

  void EditorPageLimitsAndItsOkMessage() {
    WindowEnv env;
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1024, 768));
    CPropPage1* page = sheet.Page1();
    QCOMPARE(page->OptionField()->text(), Q("/j"));

    // A path typed into the field is not taken over.
    QTest::keyClicks(page->PathField(), Q("/usr/bin/vi"));
    QCOMPARE(page->PathField()->text(), QString());

    // Fifty bytes are taken; the 51st is refused and the field goes back to the held option.
    Retype(page->OptionField(), QString(50, QLatin1Char('o')));
    QVERIFY(env.ui.messages().empty());
    QTest::keyClick(page->OptionField(), Qt::Key_P);
    QCOMPARE(env.ui.messages(),
             std::vector<std::string>{"起動オプションの指定文字数(50)オーバーです。　"});
    QCOMPARE(page->OptionField()->text(), QString(50, QLatin1Char('o')));
    // Bytes are counted in CP932: 25 kanji are 50 bytes, a 26th is over.
    Retype(page->OptionField(), QString(25, QChar(0x6F22)));
    QCOMPARE(env.ui.messages().size(), std::size_t{1});
    TypeText(page->OptionField(), Q("字"));
    QCOMPARE(env.ui.messages().size(), std::size_t{2});
    QCOMPARE(sheet.model().editor.option, Utf8ToCp932(QString(25, QChar(0x6F22)).toStdString()));

    // The chooser: over 1000 bytes, a missing file, then cancelled.
    env.ui.ChooseOpenAnswer("/" + std::string(1000, 'a'));
    env.ui.ChooseOpenAnswer(env.Home() + "/missing");
    env.ui.ChooseOpenAnswer(std::nullopt);
    page->BrowseButton()->click();
    page->BrowseButton()->click();
    page->BrowseButton()->click();
    QCOMPARE(page->PathField()->text(), QString());
    QVERIFY(page->IconField()->pixmap().isNull());
    const std::vector<std::string> messages = env.ui.messages();
    QCOMPARE(messages.size(), std::size_t{4});
    QCOMPARE(messages[2], std::string("エディタのファイルパスの指定文字数(1000)オーバーです。　"));
    QCOMPARE(messages[3], std::string("ファイルが存在しません！　"));

    // OK with no editor chosen: the option is written, the path is not, and nothing is said.
    sheet.accept();
    QCOMPARE(env.ui.messages().size(), std::size_t{4});
    QVERIFY(!store.user().ReadStringValue(kConfigKey, "EditorPath").has_value());
    QCOMPARE(*store.user().ReadStringValue(kConfigKey, "EditorOption"),
             Utf8ToCp932(QString(25, QChar(0x6F22)).toStdString()));
    QVERIFY(env.ui.AllAnswersUsed());
  }

  void ExcludedNamesSitInFourColumnsAndClearAllAsks() {
    WindowEnv env;
    env.WriteIni("[UnMatch_Func]\r\nFunc1=printf\r\nFlag_Func1=1\r\nFunc45=puts\r\n");
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1024, 768));
    sheet.show();
    sheet.Tabs()->setCurrentWidget(sheet.Page3());
    CPropPage3* page = sheet.Page3();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet));
    const auto at = [page](int slot) { return page->NameField(slot)->geometry(); };
    QCOMPARE(at(2).x(), at(1).x());
    QVERIFY(at(2).y() > at(1).y());
    QCOMPARE(at(16).y(), at(1).y());
    QVERIFY(at(16).x() > at(15).x());
    QCOMPARE(at(46).y(), at(1).y());
    QCOMPARE(at(60).y(), at(15).y());
    QVERIFY(at(60).right() <= page->width());

    env.ui.AnswerNo().AnswerYes();
    page->ClearAllButton()->click();
    QCOMPARE(page->NameField(1)->text(), Q("printf"));
    page->ClearAllButton()->click();
    QCOMPARE(env.ui.questions(), std::vector<std::string>(2, "全てクリアしてもよろしいですか？　"));
    QCOMPARE(page->NameField(1)->text(), QString());
    QCOMPARE(page->NameField(45)->text(), QString());
    QVERIFY(!page->FlagBox(1)->isChecked());
    sheet.accept();
    QCOMPARE(store.ReadString("UnMatch_Func", "Func1", "x"), std::string());
    QCOMPARE(store.ReadInt("UnMatch_Func", "Flag_Func1", -1), 0LL);
    QCOMPARE(store.ReadString("UnMatch_Func", "Func45", "x"), std::string());
  }

  void HelpButtonExplainsTheHeaderWords() {
    WindowEnv env;
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1024, 768));
    QCOMPARE(sheet.Page2()->HelpButton()->text(), Q("補足説明"));
    sheet.Page2()->HelpButton()->click();
    QCOMPARE(env.ui.messages().size(), std::size_t{1});
    const std::string text = env.ui.messages()[0];
    QVERIFY(text.find("正規表現") != std::string::npos);
    QVERIFY(text.find("|") != std::string::npos);
  }

  void ColourButtonsChangeTheSampleAndOkStoresTheColours() {
    WindowEnv env;
    SettingsStore store = env.Store();
    Settings settings;
    CPropSheet sheet(store, settings, env.ui, nullptr, QSize(1024, 768));
    std::vector<std::uint32_t> asked;
    std::optional<std::uint32_t> answer = 0x00FF00;
    sheet.SetColorChooser([&](std::uint32_t current) {
      asked.push_back(current);
      return answer;
    });
    sheet.Page5()->TextColorButton()->click();
    answer = std::nullopt;
    sheet.Page5()->BackColorButton()->click();
    QCOMPARE(asked, (std::vector<std::uint32_t>{0xFFFFFF, 0}));
    QCOMPARE(sheet.Page5()->Sample()->palette().color(QPalette::Text), QColor(0, 255, 0));
    sheet.accept();
    QCOMPARE(store.ReadInt("Index", "TextColor", -1), 0x00FF00LL);
    QCOMPARE(store.ReadInt("Index", "BkColor", -1), 0LL);
  }

  void ColourDialogCarriesTheSixteenCustomColours() {
    WindowEnv env;
    env.WriteIni("[Color]\r\nCustomColor2=255\r\n");
    SettingsStore store = env.Store();
    QColor seen_custom;
    OnNextModal([&seen_custom](QDialog* dialog) {
      auto* colors = qobject_cast<QColorDialog*>(dialog);
      QVERIFY(colors != nullptr);
      seen_custom = QColorDialog::customColor(2);
      QColorDialog::setCustomColor(5, QColor(1, 2, 3));
      colors->setCurrentColor(QColor(0, 0, 255));
      colors->accept();
    });
    const std::optional<std::uint32_t> chosen =
        ChooseColorWithCustomColors(store, 0x00FFFF, nullptr);
    QCOMPARE(seen_custom, QColor(255, 0, 0));
    QVERIFY(chosen.has_value());
    QCOMPARE(*chosen, 0xFF0000u);
    QCOMPARE(store.ReadInt("Color", "CustomColor5", -1), 0x030201LL);
    QCOMPARE(store.ReadInt("Color", "CustomColor2", -1), 255LL);
    QCOMPARE(store.ReadInt("Color", "CustomColor15", -1), 0xFFFFFFLL);

    OnNextModal([](QDialog* dialog) { dialog->reject(); });
    QVERIFY(!ChooseColorWithCustomColors(store, 0, nullptr).has_value());
  }

  void EditorChooserListsExecutablesAndOtherChoosersPassOn() {
    WindowEnv env;
    const std::string tool = env.WriteFile("tools/run editor", "#!/bin/sh\n");
    env.WriteFile("tools/notes.txt", "text");
    std::filesystem::permissions(tool, std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
    const QString folder = QString::fromStdString(env.Home() + "/tools");
    ExecutableChooserUi chooser(env.ui, nullptr);

    env.ui.ChooseOpenAnswer(std::string("/x.tree"));
    QCOMPARE(chooser.ChooseOpenFile("t", "tree (*.tree)", ""),
             std::optional<std::string>("/x.tree"));

    QStringList visible;
    OnNextModal([&visible, folder](QDialog* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      QVERIFY(files != nullptr);
      QCOMPARE(files->windowTitle(), Q("■■ 秀丸エディタのEXEを指定 ■■"));
      QAbstractProxyModel* proxy = files->proxyModel();
      auto* model = qobject_cast<QFileSystemModel*>(proxy->sourceModel());
      QVERIFY(model != nullptr);
      const QModelIndex dir = model->index(folder);
      QVERIFY(QTest::qWaitFor([&] { return model->rowCount(dir) == 2; }, 3000));
      const QModelIndex shown = proxy->mapFromSource(dir);
      for (int row = 0; row < proxy->rowCount(shown); ++row)
        visible << proxy->index(row, 0, shown).data().toString();
      auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(name != nullptr);
      name->setText(Q("run editor"));
      dialog->accept();
    });
    const std::optional<std::string> chosen =
        chooser.ChooseOpenFile(kEditorBrowseTitle, kEditorBrowseFilter, env.Home() + "/tools");
    QCOMPARE(visible, QStringList{Q("run editor")});
    QCOMPARE(chosen, std::optional<std::string>(tool));
    QVERIFY(env.ui.AllAnswersUsed());
  }

  void ClearingTheWordHistoryEmptiesTheWordBox() {
    WindowEnv env;
    env.WriteIni("[ComboHistory]\r\nstr1=alpha\r\nstr2=beta\r\nCommentSearchstr1=c\r\n");
    {
      MainWindow window(env.Options());
      QCOMPARE(window.Start(), StartResult::Started);
      QCOMPARE(window.WordBox()->count(), 2);

      // Another history cleared, then Cancel: the word box keeps its list.
      env.ui.AnswerYes();
      OnNextModal([](QDialog* dialog) {
        auto* sheet = qobject_cast<CPropSheet*>(dialog);
        QVERIFY(sheet != nullptr);
        sheet->Page9()->ClearButton(History::CommentSearch)->click();
        sheet->reject();
      });
      window.Command(cmd::kProperties);
      QCOMPARE(window.WordBox()->count(), 2);
      QCOMPARE(env.Store().ReadString("ComboHistory", "CommentSearchstr1", "x"), std::string());

      env.ui.AnswerYes();
      OnNextModal([](QDialog* dialog) {
        auto* sheet = qobject_cast<CPropSheet*>(dialog);
        QVERIFY(sheet != nullptr);
        sheet->Page9()->ClearButton(History::Word)->click();
        sheet->reject();
      });
      window.Command(cmd::kProperties);
      QCOMPARE(window.WordBox()->count(), 0);
      QVERIFY(window.history().dropdown().empty());
      QCOMPARE(window.history().next_slot(), std::size_t{0});
      QCOMPARE(env.ui.messages(), std::vector<std::string>(2, "履歴をクリアしました！　"));
    }
    // Closing the window does not bring the old words back.
    QCOMPARE(env.Store().ReadString("ComboHistory", "str1"), std::string());
  }

  void OkReloadsTheWindowsSettings() {
    WindowEnv env;
    const std::string editor = env.WriteFile("tools/ed", "");
    MainWindow window(env.Options());
    QCOMPARE(window.Start(), StartResult::Started);
    QCOMPARE(window.settings().editor_path, std::string());
    env.ui.ChooseOpenAnswer(editor);
    OnNextModal([](QDialog* dialog) {
      auto* sheet = qobject_cast<CPropSheet*>(dialog);
      QVERIFY(sheet != nullptr);
      sheet->Page1()->BrowseButton()->click();
      Retype(sheet->Page2()->SourceField(), Q("*.m"));
      sheet->accept();
    });
    auto* button = window.findChild<QPushButton*>(QStringLiteral("cmd1066"));
    QVERIFY(button != nullptr && button->isEnabled());
    QCOMPARE(button->text(), Q("ﾌﾟﾛﾊﾟﾃｨ"));
    button->click();
    QCOMPARE(window.settings().editor_path, editor);
    QCOMPARE(window.settings().ext_src, std::string("*.m"));
  }

  void FirstRunOpensTheSheetAfterTheMessage() {
    WindowEnv env;
    env.WriteRegistry("");
    MainWindow window(env.Options());
    QCOMPARE(window.Start(), StartResult::Started);
    QVERIFY(window.first_run());
    QCOMPARE(env.ui.messages().size(), std::size_t{1});
    QString title;
    bool done = false;
    OnNextModal([&title, &done](QDialog* dialog) {
      title = dialog->windowTitle();
      done = true;
      dialog->reject();
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 6000);
    QCOMPARE(title, Q("Kelvora  - プロパティ - "));
  }

  void CtrlPOpensTheSheet() {
    WindowEnv env;
    MainWindow window(env.Options());
    QCOMPARE(window.Start(), StartResult::Started);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    bool opened = false;
    OnNextModal([&opened](QDialog* dialog) {
      opened = qobject_cast<CPropSheet*>(dialog) != nullptr;
      dialog->reject();
    });
    QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
    QTRY_VERIFY_WITH_TIMEOUT(opened, 6000);
  }
};

KELVORA_WINDOW_TEST_MAIN(TestSettingsSheet)
#include "test_settings_sheet.moc"
