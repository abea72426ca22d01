// "出力関連": separator levels of the tree text output and the comment columns.
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "settings/settings_schema.h"
#include "settings/ui/property_page_widgets.h"

namespace kelvora {
namespace {

QSpinBox* MakeSpaceSpin(QWidget* parent, const char* name, int& value) {
  auto* spin = new QSpinBox(parent);
  spin->setObjectName(QString::fromLatin1(name));
  spin->setRange(kSpaceMin, kSpaceMax);
  spin->setValue(value);
  QObject::connect(spin, &QSpinBox::valueChanged, [&value](int v) { value = v; });
  return spin;
}

}  // namespace

CPropPage4::CPropPage4(OutputPage& page, QWidget* parent) : PropertyPageBase(parent), page_(page) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(4);
  layout->addWidget(Heading(QStringLiteral("≪関数TREEツール≫")));

  auto* body = new QVBoxLayout;
  body->setContentsMargins(16, 0, 0, 0);
  body->setSpacing(4);
  layout->addLayout(body);
  body->addLayout(BulletRow(QStringLiteral("ＴＲＥＥテキスト出力")));
  body->addWidget(Text(QStringLiteral(
      "階層レベル区切りテキスト出力（チェックのある階層レベルに区切りテキスト出力）")));
  auto* levels = new QGridLayout;
  levels->setContentsMargins(16, 0, 0, 0);
  for (int level = 1; level <= kNestLevels; ++level) {
    auto* box = new QCheckBox(QStringLiteral("階層レベル%1").arg(level), this);
    box->setChecked(page_.nest_levels[static_cast<std::size_t>(level - 1)]);
    connect(box, &QCheckBox::toggled, this, [this, level](bool on) {
      page_.nest_levels[static_cast<std::size_t>(level - 1)] = on;
    });
    levels->addWidget(box, (level - 1) / 6, (level - 1) % 6);
    levels_[static_cast<std::size_t>(level - 1)] = box;
  }
  body->addLayout(levels);
  body->addSpacing(12);

  body->addLayout(BulletRow(
      QStringLiteral("項目名先頭～コメント先頭までの文字数（階層レベル毎に表示位置を合わせる）")));
  auto* spaces = new QGridLayout;
  spaces->setContentsMargins(16, 0, 0, 0);
  space_ = MakeSpaceSpin(this, "Space", page_.space);
  struct_space_ = MakeSpaceSpin(this, "StructSpace", page_.struct_space);
  table_space_ = MakeSpaceSpin(this, "TableSpace", page_.table_space);
  spaces->addWidget(Text(QStringLiteral("関数　（コメント取得時）")), 0, 0);
  spaces->addWidget(space_, 0, 1);
  spaces->addWidget(Text(QStringLiteral("構造体　（TREEファイル読込時）")), 1, 0);
  spaces->addWidget(struct_space_, 1, 1);
  spaces->addWidget(Text(QStringLiteral("テーブル　（TREEファイル読込時）")), 2, 0);
  spaces->addWidget(table_space_, 2, 1);
  spaces->setColumnStretch(2, 1);
  body->addLayout(spaces);
  body->addWidget(Text(QStringLiteral("※本設定は上記の処理にて有効")));
  body->addSpacing(12);

  body->addLayout(BulletRow(QStringLiteral("コールグラフ（表示・画像出力）")));
  auto* graph = new QHBoxLayout;
  graph->setContentsMargins(16, 0, 0, 0);
  graph_budget_ = new QSpinBox(this);
  graph_budget_->setObjectName(QStringLiteral("GraphNodeBudget"));
  graph_budget_->setRange(static_cast<int>(keys::kGraphNodeBudget.min),
                          static_cast<int>(keys::kGraphNodeBudget.max));
  graph_budget_->setValue(page_.graph_node_budget);
  connect(graph_budget_, &QSpinBox::valueChanged, this,
          [this](int v) { page_.graph_node_budget = v; });
  graph->addWidget(Text(QStringLiteral("ノード数の上限（超えた関数は「…(N more)」にまとめる）")));
  graph->addWidget(graph_budget_);
  graph->addStretch(1);
  body->addLayout(graph);
  layout->addStretch(1);
}

}  // namespace kelvora
