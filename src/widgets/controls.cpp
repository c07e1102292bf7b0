#include "widgets/controls.h"

#include <QTableWidget>
#include <QWidget>

namespace tamrel {

void setTabChain(const std::vector<QWidget*>& order) {
  for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void alignCellsRight(QTableWidget& table, int row, std::initializer_list<int> columns) {
  for (int column : columns) {
    if (QTableWidgetItem* item = table.item(row, column)) item->setTextAlignment(kAmountAlignment);
  }
}

}  // namespace tamrel
