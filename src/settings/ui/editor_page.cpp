// "エディタ設定": the editor's executable, its icon and the line option.
#include <QApplication>
#include <QFile>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "settings/ui/property_page_widgets.h"

namespace kelvora {
namespace {

constexpr int kIconSize = 32;

QIcon ExecutableIcon(const std::string& path) {
  if (path.empty()) return QIcon();
  const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
  QIcon icon = QFileIconProvider().icon(info);
  if (icon.isNull()) icon = QIcon::fromTheme(QStringLiteral("application-x-executable"));
  if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
  return icon;
}

}  // namespace

CPropPage1::CPropPage1(EditorPage& page, Ui& ui, QWidget* parent)
    : PropertyPageBase(parent), page_(page), ui_(ui) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(16, 16, 16, 16);
  layout->setSpacing(6);

  auto* fields = new QGridLayout;
  fields->setHorizontalSpacing(8);
  fields->addLayout(BulletRow(QStringLiteral("エディタファイルパス")), 0, 0);
  path_ = new QLineEdit(this);
  path_->setObjectName(QStringLiteral("EditorPath"));
  // The path changes through "参照(&R)" only.
  path_->setReadOnly(true);
  fields->addWidget(path_, 1, 0);
  browse_ = new QPushButton(QStringLiteral("参照(&R)"), this);
  fields->addWidget(browse_, 1, 1);
  icon_ = new QLabel(this);
  icon_->setFixedSize(kIconSize + 4, kIconSize + 4);
  icon_->setAlignment(Qt::AlignCenter);
  fields->addWidget(icon_, 0, 2, 2, 1);
  fields->addLayout(BulletRow(QStringLiteral("起動オプション（行番号）")), 2, 0);
  option_ = new QLineEdit(this);
  option_->setObjectName(QStringLiteral("EditorOption"));
  option_->setMaximumWidth(160);
  fields->addWidget(option_, 3, 0, Qt::AlignLeft);
  fields->setColumnStretch(0, 1);
  layout->addLayout(fields);
  layout->addSpacing(16);

  layout->addWidget(Heading(QStringLiteral("≪起動オプション（行番号）について≫")));
  for (const char* line :
       {"行番号指定時につける起動オプションです。",
        "（本ソフトは秀丸使用を想定して作成しています。）",
        "秀丸の場合は\"/j行番号\"となっているので、\"/j\"を指定して下さい。",
        "その他のエディタを指定したい場合は、その起動オプションを指定して下さい。",
        "※例：サクラエディタの場合、\"-Y=\"を指定。",
        "※例外：MIFESの場合は、\"MIFES\"を指定すればＯＫです。",
        "※Linuxの例：gvim・emacsは\"+\"を指定（端末で動くvimはデスクトップからは使えません）。",
        "※\"%f\"を含むオプションはテンプレートです（%f：ファイル、%l：行番号）。",
        "　例：VS Code \"--goto %f:%l\"、Kate \"-l %l %f\"、gedit \"+%l %f\"、"
        "emacsclient \"-n +%l %f\""}) {
    QLabel* label = Text(QString::fromUtf8(line));
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  layout->addStretch(1);

  ShowPath();
  option_->setText(DataToField(page_.option));
  connect(browse_, &QPushButton::clicked, this, &CPropPage1::Browse);
  connect(option_, &QLineEdit::textEdited, this, &CPropPage1::OptionEdited);
}

void CPropPage1::ShowPath() {
  path_->setText(QFile::decodeName(QByteArray::fromStdString(page_.path)));
  const QIcon icon = ExecutableIcon(page_.path);
  icon_->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(kIconSize, kIconSize));
}

void CPropPage1::Browse() {
  if (BrowseEditor(page_, ui_)) ShowPath();
}

// A text over the limit is refused with its message and the field shows the held option again.
void CPropPage1::OptionEdited(const QString& text) {
  if (!SetEditorOption(page_, FieldToData(text), ui_)) option_->setText(DataToField(page_.option));
}

}  // namespace kelvora
