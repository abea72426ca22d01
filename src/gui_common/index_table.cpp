#include "gui_common/index_table.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <initializer_list>
#include <vector>

#include "data/index_rows.h"

namespace kelvora {

void SetUpIndexColumns(QTreeWidget* list) {
  list->setColumnCount(2);
  list->setRootIsDecorated(false);
  list->setIndentation(0);
  list->header()->setStretchLastSection(false);
  list->header()->setMinimumSectionSize(1);
  list->setColumnWidth(0, IndexWindowModel::kNumberColumnWidth);
  list->setColumnWidth(1, IndexWindowModel::kIndexColumnWidth);
}

void AddIndexRows(QTreeWidget* list, const IndexWindowModel& model, int row_height) {
  QList<QTreeWidgetItem*> items;
  items.reserve(static_cast<qsizetype>(model.rows.size()));
  for (const IndexRow& row : model.rows) {
    auto* item =
        new QTreeWidgetItem({QString::fromStdString(row.number), QString::fromStdString(row.text)});
    if (row_height > 0)
      item->setSizeHint(0, QSize(IndexWindowModel::kNumberColumnWidth, row_height));
    items.append(item);
  }
  list->addTopLevelItems(items);
}

void AddIndexSampleRows(QTreeWidget* list) {
  std::vector<IndexEntry> entries;
  std::size_t row = 0;
  for (unsigned char c : std::initializer_list<unsigned char>{'A', 'B', 'C', 'S', '_', 0x83})
    entries.push_back({c, row++});
  AddIndexRows(list, BuildIndexWindow(entries, IndexWindowSettings{}));
}

int IndexWindowWidth(int frame_width) {
  return IndexWindowModel::kNumberColumnWidth + IndexWindowModel::kIndexColumnWidth +
         2 * frame_width - 5;
}

}  // namespace kelvora
