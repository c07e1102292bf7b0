#pragma once
// Small pieces the windows build their controls from, so that a tab chain
// or a column of amounts looks and behaves the same in every window.

#include <qnamespace.h>
#include <initializer_list>
#include <vector>

class QTableWidget;
class QWidget;

namespace tamrel {

// Amounts line up on their last digit, in boxes and grid cells alike.
inline constexpr Qt::Alignment kAmountAlignment = Qt::AlignRight | Qt::AlignVCenter;

// Tab moves through `order` from first to last (Shift+Tab back).
void setTabChain(const std::vector<QWidget*>& order);

// Right-aligns the cells of `row` in `columns` that hold an item (view
// coordinates, headers not counted).
void alignCellsRight(QTableWidget& table, int row, std::initializer_list<int> columns);

}  // namespace tamrel
