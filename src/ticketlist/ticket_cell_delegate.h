#pragma once
// How 馬券一覧 paints a cell: as the style paints an item view's cell, but
// with each distinct text laid out once and kept. A list of tickets shows
// the same few captions, dates and amounts over and over, and laying a
// cell's text out anew (three times, for its size, its eliding and its
// drawing) was most of the cost of showing a screen of rows.

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace tamrel {

class TicketCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;

  // A cell's text laid out as the delegate keeps it.
  static QStaticText layOut(const QString& text, const QFont& font);

  // How many texts are kept laid out (for tests).
  qsizetype keptTexts() const { return texts_.size(); }

 private:
  // A year shows at most some thousands of distinct texts; beyond this
  // many they are laid out afresh.
  static constexpr qsizetype kMaxKept = 4096;
  mutable QHash<QString, QStaticText> texts_;
  mutable QFont font_;  // the one texts_ are laid out in
};

}  // namespace tamrel
