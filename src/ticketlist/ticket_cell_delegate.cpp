#include "ticketlist/ticket_cell_delegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

namespace tamrel {

QStaticText TicketCellDelegate::layOut(const QString& text, const QFont& font) {
  QStaticText laidOut(text);
  laidOut.setTextFormat(Qt::PlainText);
  laidOut.setPerformanceHint(QStaticText::AggressiveCaching);
  laidOut.prepare(QTransform(), font);
  return laidOut;
}

void TicketCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  // The focus frame, icons and check boxes, and a text that must be elided
  // are left to the style, as are the ones painted in another direction.
  const bool plain = !(opt.state & QStyle::State_HasFocus) &&
                     (opt.features & ~QStyleOptionViewItem::HasDisplay) == 0 &&
                     opt.direction == Qt::LeftToRight;
  if (!plain) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  const QWidget* widget = opt.widget;
  const QStyle* style = widget ? widget->style() : QApplication::style();
  // As the style places an item's text: inside its focus frame's margin.
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
  // A text is laid out in one font: another font lays every text out anew.
  if (opt.font != font_) {
    texts_.clear();
    font_ = opt.font;
  }
  auto kept = texts_.find(opt.text);
  if (kept == texts_.end()) {
    if (texts_.size() >= kMaxKept) texts_.clear();
    kept = texts_.insert(opt.text, layOut(opt.text, opt.font));
  }
  const QStaticText& text = kept.value();
  const QSizeF size = text.size();
  if (size.width() > textRect.width()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
  if (opt.text.isEmpty()) return;
  QPalette::ColorGroup group =
      opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
  if (group == QPalette::Normal && !(opt.state & QStyle::State_Active)) group = QPalette::Inactive;
  const QPalette::ColorRole role =
      opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text;
  qreal x = textRect.left();
  if (opt.displayAlignment & Qt::AlignRight) x = textRect.right() + 1 - size.width();
  if (opt.displayAlignment & Qt::AlignHCenter)
    x = textRect.left() + (textRect.width() - size.width()) / 2;
  const qreal y = textRect.top() + (textRect.height() - size.height()) / 2;
  // The text fits its cell: no clip is needed.
  painter->save();
  painter->setPen(opt.palette.color(group, role));
  painter->setFont(opt.font);
  painter->drawStaticText(QPointF(x, y), text);
  painter->restore();
}

}  // namespace tamrel
