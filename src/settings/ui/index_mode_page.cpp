// "IndexMode関連": the index window's colours with a sample, and its position on the desktop.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui_common/colors.h"
#include "gui_common/index_table.h"
#include "settings/ui/property_page_widgets.h"

namespace kelvora {
namespace {

constexpr int kIndexFrameWidth = 2;

}  // namespace

int CPropPage5::IndexWindowWidth() {
  return kelvora::IndexWindowWidth(kIndexFrameWidth);
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
  SetUpIndexColumns(sample_);
  sample_->setHeaderLabels({QStringLiteral("No."), QStringLiteral("INDEX")});
  sample_->setSelectionMode(QAbstractItemView::NoSelection);
  sample_->setFocusPolicy(Qt::NoFocus);
  sample_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sample_->setFixedWidth(kelvora::IndexWindowWidth(sample_->frameWidth()) + 25);
  sample_->setFixedHeight(150);
  AddIndexSampleRows(sample_);
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
  SetListColors(sample_, page_.text_color, page_.back_color);
}

}  // namespace kelvora
