// "IndexMode関連": the index window's colours with a sample, and its position on the desktop.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/background_patterns.h"
#include "raruviz/index_window.h"
#include "settings/ui/property_page_widgets.h"

namespace kelvora {
namespace {

constexpr int kIndexFrameWidth = 2;

// Index rows as a list of functions starting with these characters would give.
std::vector<IndexEntry> SampleEntries() {
  std::vector<IndexEntry> entries;
  std::size_t row = 0;
  for (unsigned char c : std::initializer_list<unsigned char>{'A', 'B', 'C', 'S', '_', 0x83})
    entries.push_back({c, row++});
  return entries;
}

}  // namespace

int CPropPage5::IndexWindowWidth() {
  return IndexWindowModel::kNumberColumnWidth + IndexWindowModel::kIndexColumnWidth +
         2 * kIndexFrameWidth - 5;
}

CPropPage5::CPropPage5(IndexPage& page, ColorChooser choose_color, QSize desktop, QWidget* parent)
    : PropertyPageBase(parent), page_(page), choose_color_(std::move(choose_color)) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(4);
  layout->addWidget(
      Text(QStringLiteral("IndexModeとはメニュー表示する際、Index（目次）を表示するモードです")));
  layout->addSpacing(6);

  layout->addWidget(Heading(QStringLiteral("≪各種カラー設定≫")));
  auto* colors = new QHBoxLayout;
  colors->setContentsMargins(16, 0, 0, 0);
  auto* color_buttons = new QVBoxLayout;
  text_color_ = new QPushButton(QStringLiteral("ﾃｷｽﾄｶﾗｰ"), this);
  back_color_ = new QPushButton(QStringLiteral("背景ｶﾗｰ"), this);
  color_buttons->addWidget(text_color_);
  color_buttons->addWidget(back_color_);
  color_buttons->addStretch(1);
  colors->addLayout(color_buttons);
  auto* sample_box = new QVBoxLayout;
  sample_box->addWidget(Text(QStringLiteral("Index表示サンプル（透明化なしの場合）")));
  sample_ = new QTreeWidget(this);
  sample_->setObjectName(QStringLiteral("IndexSample"));
  sample_->setColumnCount(2);
  sample_->setHeaderLabels({QStringLiteral("No."), QStringLiteral("INDEX")});
  sample_->header()->setStretchLastSection(false);
  sample_->setColumnWidth(0, IndexWindowModel::kNumberColumnWidth);
  sample_->setColumnWidth(1, IndexWindowModel::kIndexColumnWidth);
  sample_->setRootIsDecorated(false);
  sample_->setIndentation(0);
  sample_->setSelectionMode(QAbstractItemView::NoSelection);
  sample_->setFocusPolicy(Qt::NoFocus);
  sample_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sample_->setFixedWidth(IndexWindowModel::kNumberColumnWidth +
                         IndexWindowModel::kIndexColumnWidth + 2 * sample_->frameWidth() + 20);
  sample_->setFixedHeight(150);
  const IndexWindowModel model = BuildIndexWindow(SampleEntries(), IndexWindowSettings{});
  for (const IndexRow& row : model.rows) {
    new QTreeWidgetItem(sample_,
                        {QString::fromStdString(row.number), QString::fromStdString(row.text)});
  }
  sample_box->addWidget(sample_);
  colors->addLayout(sample_box);
  colors->addStretch(1);
  layout->addLayout(colors);
  layout->addSpacing(6);

  layout->addWidget(Heading(QStringLiteral("≪表示位置設定≫")));
  auto* position = new QGridLayout;
  position->setContentsMargins(16, 0, 0, 0);
  position->addWidget(Text(QStringLiteral("以下のサイズを参考に座標を指定")), 0, 0, 1, 2);
  position->addLayout(
      BulletRow(
          QStringLiteral("ﾃﾞｽｸﾄｯﾌﾟｻｲｽﾞ：%1×%2ﾋﾟｸｾﾙ").arg(desktop.width()).arg(desktop.height())),
      1, 0, 1, 2);
  position->addLayout(
      BulletRow(QStringLiteral("Index（目次）横幅：%1ﾋﾟｸｾﾙ").arg(IndexWindowWidth())), 2, 0, 1, 2);
  left_ = new QSpinBox(this);
  left_->setObjectName(QStringLiteral("LeftPos"));
  left_->setRange(0, std::max(desktop.width(), 0));
  left_->setValue(page_.left);
  top_ = new QSpinBox(this);
  top_->setObjectName(QStringLiteral("TopPos"));
  top_->setRange(0, std::max(desktop.height(), 0));
  top_->setValue(page_.top);
  position->addWidget(Text(QStringLiteral("左上X座標（0～%1）").arg(desktop.width())), 3, 0);
  position->addWidget(left_, 3, 1);
  position->addWidget(Text(QStringLiteral("左上Y座標（0～%1）").arg(desktop.height())), 4, 0);
  position->addWidget(top_, 4, 1);
  position->setColumnStretch(2, 1);
  layout->addLayout(position);
  layout->addStretch(1);

  PaintSample();
  connect(left_, &QSpinBox::valueChanged, this, [this](int v) { page_.left = v; });
  connect(top_, &QSpinBox::valueChanged, this, [this](int v) { page_.top = v; });
  connect(text_color_, &QPushButton::clicked, this, [this] { ChooseColor(page_.text_color); });
  connect(back_color_, &QPushButton::clicked, this, [this] { ChooseColor(page_.back_color); });
}

void CPropPage5::ChooseColor(std::uint32_t& color) {
  if (!choose_color_) return;
  if (std::optional<std::uint32_t> chosen = choose_color_(color)) {
    color = *chosen;
    PaintSample();
  }
}

void CPropPage5::PaintSample() {
  QPalette pal = sample_->palette();
  pal.setColor(QPalette::Base, FromColorRef(page_.back_color));
  pal.setColor(QPalette::Text, FromColorRef(page_.text_color));
  sample_->setPalette(pal);
}

}  // namespace kelvora
