#include "browse/figures_panel.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>

#include "widgets/core_text.h"
#include "widgets/look.h"

namespace tamrel {

namespace {

const std::array<QString, kColumnCount> kColumnCaptions{
    QStringLiteral("投資金額"), QStringLiteral("払戻金額"), QStringLiteral("利益金額"),
    QStringLiteral("回収率")};
const std::array<QString, kColumnCount> kPrefixes{QStringLiteral("Tosi"), QStringLiteral("Harai"),
                                                  QStringLiteral("Rieki"), QStringLiteral("Ritu")};
const QString kTotalCaption = QStringLiteral("合計");

QColor colourOf(FigureColour colour) {
  switch (colour) {
    case FigureColour::Yellow:
      return {255, 255, 0};
    case FigureColour::Cyan:
      return {0, 255, 255};
    case FigureColour::Red:
      return {255, 0, 0};
    case FigureColour::Green:
      break;
  }
  return {0, 255, 0};
}

// Layout grid: row 0 is the band of the frames' captions, rows 1..7 the bet
// types, row 8 the frames' lower edge, row 9 the gap that sets 合計 apart and
// row 10 合計. Column 0 holds the row labels; each column frame k takes four
// grid columns from 1 + 4k: a gap, its left edge, its boxes, its right edge.
constexpr int kCaptionBand = 0;
constexpr int kLowerEdgeBand = kBetTypeCount + 1;
constexpr int kTotalGap = kLowerEdgeBand + 1;
constexpr int kTotalGridRow = kTotalGap + 1;
constexpr int kRowGap = 2;
constexpr int kFrameGap = 6;
constexpr int kInnerPad = 6;

int gridRowOf(int row) { return row == FiguresPanel::kTotalRow ? kTotalGridRow : row + 1; }
int frameColumn(int k) { return 2 + 4 * k; }
int boxColumn(int k) { return frameColumn(k) + 1; }

QString rowCaption(int row) {
  return row == FiguresPanel::kTotalRow
             ? kTotalCaption
             : fromCore(kBetTypes[static_cast<std::size_t>(row)].labelCaption);
}

QString boxName(int row, int k) {
  const auto column = static_cast<std::size_t>(k);
  if (row == FiguresPanel::kTotalRow) {
    // GokeiTosi, GokeiHarai, GokeiRieki, GokeiRitu
    return QStringLiteral("Gokei") + kPrefixes[column];
  }
  return kPrefixes[column] + fromCore(kBetTypes[static_cast<std::size_t>(row)].suffix);
}

}  // namespace

FiguresPanel::FiguresPanel(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {
  const QFontMetrics fm(font());
  const int boxHeight = fm.height() + 6;
  const int boxWidth = fm.horizontalAdvance(QStringLiteral("-2147483648")) + 20;
  const int labelWidth = fm.horizontalAdvance(QStringLiteral("３連複")) + 24;

  grid_ = new QGridLayout(this);
  grid_->setHorizontalSpacing(0);
  grid_->setVerticalSpacing(kRowGap);

  // The frames first, so that the boxes placed over them are drawn on top.
  for (int k = 0; k < kColumnCount; ++k) {
    auto* frame = new QGroupBox(kColumnCaptions[static_cast<std::size_t>(k)], this);
    frames_[static_cast<std::size_t>(k)] = frame;
    grid_->addWidget(frame, kCaptionBand, frameColumn(k), kLowerEdgeBand + 1, 3);
    grid_->setColumnMinimumWidth(frameColumn(k) - 1, kFrameGap);
  }
  for (int row = 0; row < kRowCount; ++row) {
    auto* label = new QLabel(rowCaption(row), this);
    label->setFrameStyle(QFrame::Panel | QFrame::Raised);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedSize(labelWidth, boxHeight);
    grid_->addWidget(label, gridRowOf(row), 0);
    for (int k = 0; k < kColumnCount; ++k) {
      auto* box = new ValueBox(this);
      box->setObjectName(boxName(row, k));
      box->setAccessibleName(rowCaption(row) + QLatin1Char(' ') +
                             kColumnCaptions[static_cast<std::size_t>(k)]);
      // Tab passes the boxes by (they would only hand the focus on); a click
      // still lands on them and is sent on by the focus target.
      box->setFocusPolicy(Qt::ClickFocus);
      // The panel's own menu (copy, save) is the one that serves here.
      box->setContextMenuPolicy(Qt::NoContextMenu);
      box->setFixedSize(boxWidth, boxHeight);
      setBoxColours(box, colourOf(FigureColour::Green), Qt::black);
      boxes_[static_cast<std::size_t>(row)][static_cast<std::size_t>(k)] = box;
      grid_->addWidget(box, gridRowOf(row), boxColumn(k));
    }
  }
  grid_->setRowMinimumHeight(kTotalGap, 2 * kRowGap);
  fitBandsToFrames();
}

void FiguresPanel::fitBandsToFrames() {
  const QMargins edge = frames_.front()->contentsMargins();
  grid_->setRowMinimumHeight(kCaptionBand, std::max(edge.top() + kInnerPad / 2 - kRowGap, 0));
  grid_->setRowMinimumHeight(kLowerEdgeBand, std::max(edge.bottom() + kInnerPad - kRowGap, 0));
  for (int k = 0; k < kColumnCount; ++k) {
    grid_->setColumnMinimumWidth(frameColumn(k), edge.left() + kInnerPad);
    grid_->setColumnMinimumWidth(boxColumn(k) + 1, edge.right() + kInnerPad);
  }
}

void FiguresPanel::changeEvent(QEvent* event) {
  QGroupBox::changeEvent(event);
  // The frames' captions grow with the font and the style.
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
    fitBandsToFrames();
  }
}

void FiguresPanel::setFocusTarget(const std::function<QWidget*()>& target) {
  for (auto& row : boxes_) {
    for (ValueBox* box : row) box->setFocusTarget(target);
  }
}

void FiguresPanel::fill(const PanelFigures& figures) {
  for (int row = 0; row < kRowCount; ++row) {
    const FigureRow& shown =
        row == kTotalRow ? figures.total : figures.bets[static_cast<std::size_t>(row)];
    for (int k = 0; k < kColumnCount; ++k) {
      const ShownFigure& figure = shown[static_cast<std::size_t>(k)];
      ValueBox* box = boxes_[static_cast<std::size_t>(row)][static_cast<std::size_t>(k)];
      box->setText(fromCore(figure.text));
      // A palette change repaints and re-polishes the box: only on a change.
      const QColor colour = colourOf(figure.colour);
      if (box->palette().color(QPalette::Text) != colour) setBoxColours(box, colour, Qt::black);
    }
  }
}

TableText FiguresPanel::tableText() const {
  QStringList header{QStringLiteral("券種")};
  for (const QString& caption : kColumnCaptions) header << caption;
  TableText table{header};
  for (int row = 0; row < kRowCount; ++row) {
    QStringList cells{rowCaption(row)};
    for (const ValueBox* box : boxes_[static_cast<std::size_t>(row)]) cells << box->text();
    table << cells;
  }
  return table;
}

ValueBox* FiguresPanel::box(int row, Column column) const {
  if (row < 0 || row >= kRowCount) return nullptr;
  return boxes_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

}  // namespace tamrel
