#include "benchmark/benchmark_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/interval_chart.h"
#include "widgets/look.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

QLabel* captionFor(QWidget* control, const QString& caption, QWidget* parent) {
  auto* label = new QLabel(caption, parent);
  label->setBuddy(control);
  return label;
}

QString noteText() {
  return QStringLiteral(
             "回収率は払戻金額÷投資金額、払戻率は券種ごとに売上から払い戻される割合（複数の券種では"
             "投資金額で重み付け）。95%区間は馬券を選び直して%1回計算した回収率の幅で、"
             "区間全体が払戻率より上なら「控除率より上」、下なら「控除率より下」、"
             "またがれば運と区別できません。%2件未満は「件数不足」です。")
      .arg(kBootstrapResamples)
      .arg(kBenchmarkMinTickets);
}

}  // namespace

BenchmarkWindow::BenchmarkWindow(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(ownMessages(messages)) {
  setObjectName(QStringLiteral("Benchmark"));
  setWindowTitle(QStringLiteral("運か実力か"));
  setAccessibleName(windowTitle());
  setFont(uiFont());
  buildLayout();
  recompute();

  followSession(session_, Follows::Tickets);
}

BenchmarkWindow::~BenchmarkWindow() = default;

std::optional<PrintPage> BenchmarkWindow::printPage() const {
  return printPageOf(windowTitle() + QStringLiteral(" ") + dimensionChooser_->currentText(),
                     periodText(period()), {table_}, {chart_});
}

// Fits the work area of the main window at its opening size.
QSize BenchmarkWindow::sizeHint() const { return QSize(1000, 610).expandedTo(minimumSizeHint()); }

void BenchmarkWindow::buildLayout() {
  auto* choices = new QHBoxLayout;
  dimensionChooser_ = new QComboBox(this);
  dimensionChooser_->setObjectName(QStringLiteral("Dimension"));
  dimensionChooser_->setAccessibleName(QStringLiteral("分類"));
  for (const CrossDimensionInfo& info : kCrossDimensions) {
    dimensionChooser_->addItem(fromCore(info.name));
  }
  dimensionChooser_->setCurrentIndex(static_cast<int>(CrossDimension::BetType));
  choices->addWidget(captionFor(dimensionChooser_, QStringLiteral("分類(&D)"), this));
  choices->addWidget(dimensionChooser_);
  choices->addSpacing(16);
  periodBoxes_ = makePeriodBoxes(this);
  for (std::size_t i = 0; i < periodBoxes_.boxes.size(); ++i) {
    QComboBox* box = periodBoxes_.boxes[i];
    if (i == 0) choices->addWidget(captionFor(box, QStringLiteral("期間(&P)"), this));
    if (i == 2) choices->addWidget(new QLabel(QStringLiteral("～"), this));
    choices->addWidget(box);
    connect(box, &QComboBox::currentIndexChanged, this, &BenchmarkWindow::recompute);
  }
  choices->addStretch(1);
  connect(dimensionChooser_, &QComboBox::currentIndexChanged, this, &BenchmarkWindow::recompute);

  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("BenchmarkTable"));
  table_->setAccessibleName(QStringLiteral("運か実力かの表"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setWordWrap(false);
  table_->setTabKeyNavigation(false);
  table_->setModel(&model_);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table_->horizontalHeader()->setSectionResizeMode(static_cast<int>(BenchmarkColumn::Interval),
                                                   QHeaderView::ResizeToContents);
  installTableExport(table_, session_, messages_);

  chart_ = new IntervalChart(QStringLiteral("回収率と95%区間"), QStringLiteral("払戻率"), this);
  chart_->setObjectName(QStringLiteral("BenchmarkChart"));
  chart_->setAccessibleName(QStringLiteral("回収率と払戻率のグラフ"));
  chart_->setMinimumHeight(200);

  note_ = new QLabel(noteText(), this);
  note_->setObjectName(QStringLiteral("Note"));
  note_->setAccessibleName(QStringLiteral("数字の意味"));
  note_->setWordWrap(true);

  closeButton_ = commandButton(QStringLiteral("CloseButton"), QStringLiteral("閉じる"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(note_, 1);
  buttons->addWidget(closeButton_, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(choices);
  layout->addWidget(table_);
  layout->addWidget(chart_, 1);
  layout->addLayout(buttons);
  connect(closeButton_, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

void BenchmarkWindow::recompute() {
  const auto dimension = static_cast<CrossDimension>(dimensionChooser_->currentIndex());
  model_.setTable(
      computeBenchmark(session_.tickets(), dimension, benchmarkYear(session_.ledger()), period()));
  std::vector<IntervalPoint> points;
  for (int row = 0; row < model_.rowCount(); ++row) {
    const BenchmarkGroup& g = model_.group(row);
    IntervalPoint p{fromCore(g.caption), g.rate, {}, {}, g.poolRate};
    if (g.interval) {
      p.low = g.interval->low;
      p.high = g.interval->high;
    }
    points.push_back(p);
  }
  chart_->setPoints(points);
  // As tall as its rows, whichever dimension: the chart takes the rest.
  table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                         table_->verticalHeader()->length() + 2 * table_->frameWidth());
}

void BenchmarkWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    closeWindow();
    return;
  }
  ChildWindow::keyPressEvent(event);
}

}  // namespace tamrel
