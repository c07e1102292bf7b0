#pragma once
// The per-bet-type figures of a year, a month or a day: seven bet-type rows
// and 合計 under four captioned columns (投資金額, 払戻金額, 利益金額, 回収率)
// of read-only value boxes, green on black, with the colour rules of the
// figures.

#include <QGroupBox>
#include <array>
#include <functional>

#include "analysis/browse_figures.h"
#include "widgets/table_export.h"

class QGridLayout;

namespace tamrel {

class ValueBox;

class FiguresPanel : public QGroupBox {
  Q_OBJECT
 public:
  // Rows 0..6 are the bet types in their order, row 7 is 合計.
  static constexpr int kTotalRow = kBetTypeCount;
  static constexpr int kRowCount = kBetTypeCount + 1;

  // `caption` names the period ("総合累積", "月別累積", "日別累積").
  explicit FiguresPanel(const QString& caption, QWidget* parent = nullptr);

  // The widget each value box hands the focus to as soon as it gets it.
  void setFocusTarget(const std::function<QWidget*()>& target);

  void fill(const PanelFigures& figures);

  ValueBox* box(int row, Column column) const;

  // The figures as a table: a header row (券種 and the column captions),
  // then each row's caption and its four texts as shown.
  TableText tableText() const;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  // The boxes sit in this panel's own grid, on top of the column frames:
  // the grid's bands follow the frames' caption and edges.
  void fitBandsToFrames();

  QGridLayout* grid_ = nullptr;
  std::array<QGroupBox*, kColumnCount> frames_{};
  std::array<std::array<ValueBox*, kColumnCount>, kRowCount> boxes_{};
};

}  // namespace tamrel
