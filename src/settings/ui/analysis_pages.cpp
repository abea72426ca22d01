// "解析関連(1)" and "解析関連(2)": extensions, what the analysis registers, header comments,
// preprocessor definitions and the character conversion.
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/ui.h"
#include "settings/ui/property_page_widgets.h"

namespace kelvora {
namespace {

QVBoxLayout* Group(QBoxLayout* page_layout, QLabel* heading) {
  page_layout->addWidget(heading);
  auto* body = new QVBoxLayout;
  body->setContentsMargins(16, 0, 0, 4);
  body->setSpacing(3);
  page_layout->addLayout(body);
  return body;
}

QLineEdit* Field(QWidget* parent, const char* name, const std::string& bytes) {
  auto* field = new QLineEdit(DataToField(bytes), parent);
  field->setObjectName(QString::fromLatin1(name));
  return field;
}

// Keeps the field's edits in the page as CP932 bytes, at once.
void HoldEdits(QLineEdit* field, std::string& target) {
  QObject::connect(field, &QLineEdit::textEdited,
                   [&target](const QString& text) { target = FieldToData(text); });
}

}  // namespace

CPropPage2::CPropPage2(AnalysisPage& page, Ui& ui, QWidget* parent)
    : PropertyPageBase(parent), page_(page), ui_(ui) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(4);

  QVBoxLayout* ext = Group(layout, Heading(QStringLiteral("≪解析拡張子設定≫")));
  auto* ext_grid = new QGridLayout;
  src_ = Field(this, "src", page_.src);
  header_ = Field(this, "header", page_.header);
  ext_grid->addLayout(BulletRow(QStringLiteral("ソースファイル")), 0, 0);
  ext_grid->addWidget(src_, 0, 1);
  ext_grid->addLayout(BulletRow(QStringLiteral("ヘッダファイル")), 1, 0);
  ext_grid->addWidget(header_, 1, 1);
  ext_grid->setColumnStretch(1, 1);
  ext->addLayout(ext_grid);
  ext->addWidget(Text(
      QStringLiteral("「*.拡張子」形式で半角入力。複数指定（最大20）はセミコロン\";\"区切り")));
  ext->addWidget(Text(
      QStringLiteral("※例）　　*.c;*.cpp　　（ファイル名は関係ありません。*にしておいて下さい）")));
  HoldEdits(src_, page_.src);
  HoldEdits(header_, page_.header);

  QVBoxLayout* what = Group(layout, Heading(QStringLiteral("≪解析内容設定≫")));
  what->addWidget(Text(QStringLiteral("解析する内容を設定　（※Fileは必ず取得します）")));
  auto* what_grid = new QGridLayout;
  what_grid->setHorizontalSpacing(12);
  const char* const kinds[4] = {"関数", "構造体", "#define", "テーブル"};
  int* const values[4] = {&page_.func, &page_.structs, &page_.define, &page_.table};
  for (int i = 0; i < 4; ++i) {
    auto* group = new QButtonGroup(this);
    take_[i] = new QRadioButton(QStringLiteral("取得する"), this);
    skip_[i] = new QRadioButton(QStringLiteral("しない"), this);
    group->addButton(take_[i], 1);
    group->addButton(skip_[i], 0);
    (*values[i] == 1 ? take_[i] : skip_[i])->setChecked(true);
    int* value = values[i];
    connect(group, &QButtonGroup::idToggled, this, [value](int id, bool checked) {
      if (checked) *value = id;
    });
    what_grid->addLayout(BulletRow(QString::fromUtf8(kinds[i])), i, 0);
    what_grid->addWidget(take_[i], i, 1);
    what_grid->addWidget(skip_[i], i, 2);
  }
  func_prop_ = new QComboBox(this);
  func_prop_->addItems({QStringLiteral("「関数」、「関数マクロ」、両方"),
                        QStringLiteral("「関数」のみ"), QStringLiteral("「関数マクロ」のみ")});
  func_prop_->setCurrentIndex(page_.func_prop);
  what_grid->addWidget(func_prop_, 0, 3);
  struct_prop_ = new QComboBox(this);
  struct_prop_->addItems({QStringLiteral("「タグ名」、「typedef」、両方"),
                          QStringLiteral("「タグ名」のみ"), QStringLiteral("「typedef」のみ")});
  struct_prop_->setCurrentIndex(page_.struct_prop);
  what_grid->addWidget(struct_prop_, 1, 3);
  // How many words a function definition head may have before its name.
  head_words_ = new QComboBox(this);
  head_words_->setObjectName(QStringLiteral("FuncHeadWords"));
  head_words_->addItems({QStringLiteral("関数名の前は2語まで（標準）"),
                         QStringLiteral("修飾語・属性（__attribute__等）は何語でも")});
  head_words_->setCurrentIndex(page_.func_head_words == 1 ? 1 : 0);
  what_grid->addLayout(BulletRow(QStringLiteral("関数定義")), 4, 0);
  what_grid->addWidget(head_words_, 4, 1, 1, 3);
  what_grid->setColumnStretch(4, 1);
  what->addLayout(what_grid);
  connect(head_words_, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.func_head_words = index; });
  connect(func_prop_, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.func_prop = index; });
  connect(struct_prop_, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.struct_prop = index; });

  QVBoxLayout* header = Group(layout, Heading(QStringLiteral("≪関数ヘッダ内コメント取得設定≫")));
  words_ = Field(this, "FuncHeaderStr", page_.func_header_str);
  HoldEdits(words_, page_.func_header_str);
  header->addWidget(Text(
      QStringLiteral("取得条件文字（マッチした行を取得。正規表現可。複数指定は\"|\"区切り）")));
  auto* words_row = new QHBoxLayout;
  words_row->addWidget(words_, 1);
  help_ = new QPushButton(QStringLiteral("補足説明"), this);
  words_row->addWidget(help_);
  header->addLayout(words_row);
  header->addWidget(
      Text(QStringLiteral("取得範囲（関数宣言位置より何行前までの範囲を対象とするかの設定）")));
  lines_ = new QSpinBox(this);
  lines_->setObjectName(QStringLiteral("FuncHeaderLine"));
  lines_->setRange(kHeaderLineMin, kHeaderLineMax);
  lines_->setValue(page_.func_header_line);
  auto* lines_row = new QHBoxLayout;
  lines_row->addWidget(lines_);
  lines_row->addStretch(1);
  header->addLayout(lines_row);
  connect(lines_, &QSpinBox::valueChanged, this, [this](int v) { page_.func_header_line = v; });
  connect(help_, &QPushButton::clicked, this,
          [this] { ui_.Message(HeaderWordsHelpText(), Ui::kCaption, MsgIcon::Information); });
  layout->addStretch(1);
}

CPropPage6::CPropPage6(PreprocessorPage& page, QWidget* parent)
    : PropertyPageBase(parent), page_(page) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(4);

  QVBoxLayout* macros = Group(layout, Heading(QStringLiteral("≪プリプロセッサ定義≫")));
  macros_ = Field(this, "Preprocessor", page_.preprocessor);
  HoldEdits(macros_, page_.preprocessor);
  macros->addWidget(macros_);
  macros->addWidget(
      Text(QStringLiteral("プリプロセッサの定義を設定。複数指定時はカンマ\",\"区切り")));
  macros->addWidget(Text(QStringLiteral("※例）　　WIN32,_DEBUG,_WINDOWS")));
  layout->addSpacing(12);

  QVBoxLayout* conversion = Group(layout, Heading(QStringLiteral("≪文字コード変換≫")));
  conversion_ = new QComboBox(this);
  conversion_->addItems({QStringLiteral("文字コード変換しない"), QStringLiteral("EUC → S-JIS変換"),
                         QStringLiteral("ファイルごとに自動判定 → S-JIS変換")});
  conversion_->setCurrentIndex(page_.char_change);
  auto* row = new QHBoxLayout;
  row->addWidget(conversion_);
  row->addStretch(1);
  conversion->addLayout(row);
  conversion->addWidget(Text(
      QStringLiteral("解析するソース・ヘッダファイルの文字コードをS-JISに変換して登録します。")));
  conversion->addWidget(Text(
      QStringLiteral("※解析時に文字コード変換します。既に登録済みのデータは変換されません。")));
  conversion->addWidget(
      Text(QStringLiteral("※自動判定：S-JIS・EUC-JP・UTF-8(BOM有無)を判定。S-JISにない文字は〓")));
  connect(conversion_, &QComboBox::currentIndexChanged, this,
          [this](int index) { page_.char_change = index; });
  layout->addStretch(1);
}

}  // namespace kelvora
