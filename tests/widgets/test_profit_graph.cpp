#include <QBarCategoryAxis>
#include <QBarSet>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>
#include <QValueAxis>

#include "state/data_session.h"
#include "support/scripted_messages.h"
#include "widgets/profit_graph.h"

using namespace tamrel;

namespace {

std::vector<ProfitPoint> points(std::initializer_list<std::optional<std::int32_t>> values) {
  std::vector<ProfitPoint> result;
  int i = 0;
  for (const auto& v : values) result.push_back({QStringLiteral("P%1").arg(++i), v});
  return result;
}

}  // namespace

class TestProfitGraph : public QObject {
  Q_OBJECT
 private slots:
  void barsBySign_data();
  void barsBySign();
  void tipTellsExactValue();
  void closingRunsTheHook_data();
  void closingRunsTheHook();
  void labelsOnlyWhereTheyFit_data();
  void labelsOnlyWhereTheyFit();
};

using Values = QList<qreal>;

void TestProfitGraph::barsBySign_data() {
  QTest::addColumn<std::vector<ProfitPoint>>("input");
  QTest::addColumn<Values>("profit");
  QTest::addColumn<Values>("loss");
  QTest::newRow("mixed") << points({1500, -300, 0}) << Values{1500, 0, 0} << Values{0, -300, 0};
  QTest::newRow("all losses") << points({-5, -2147483647 - 1}) << Values{0, 0}
                              << Values{-5, -2147483648.0};
  QTest::newRow("all zero") << points({0, 0}) << Values{0, 0} << Values{0, 0};
  // A point that could not be computed shows no bar at all.
  QTest::newRow("missing") << points({std::nullopt, 7}) << Values{0, 7} << Values{0, 0};
}

void TestProfitGraph::barsBySign() {
  QFETCH(std::vector<ProfitPoint>, input);
  QFETCH(Values, profit);
  QFETCH(Values, loss);
  ProfitGraph graph;
  graph.setPoints(input);
  QCOMPARE(graph.pointCount(), static_cast<int>(input.size()));
  for (int i = 0; i < graph.pointCount(); ++i) {
    QCOMPARE(graph.profitBars()->at(i), profit[i]);
    QCOMPARE(graph.lossBars()->at(i), loss[i]);
  }
  // Every bar starts at the zero line, which is always on the axis; the
  // axis reaches the tallest bar either way.
  const QValueAxis* axis = graph.valueAxis();
  QVERIFY(axis->min() <= 0.0);
  QVERIFY(axis->max() >= 0.0);
  QVERIFY(axis->max() > axis->min());
  for (int i = 0; i < graph.pointCount(); ++i) {
    QVERIFY(axis->min() <= loss[i]);
    QVERIFY(axis->max() >= profit[i]);
  }
}

void TestProfitGraph::tipTellsExactValue() {
  ProfitGraph graph;
  graph.setPoints({{QStringLiteral(" 3月"), -1234567}, {QStringLiteral("東京"), std::nullopt}});
  QCOMPARE(graph.tipText(0), QStringLiteral("3月： -1,234,567円"));
  QCOMPARE(graph.tipText(1), QStringLiteral("東京： －"));
}

void TestProfitGraph::closingRunsTheHook_data() {
  QTest::addColumn<bool>("byButton");
  QTest::newRow("閉じる") << true;
  QTest::newRow("title-bar close") << false;
}

void TestProfitGraph::closingRunsTheHook() {
  QFETCH(bool, byButton);
  QMdiArea area;
  DataSession session;
  ScriptedMessages messages;
  area.resize(900, 700);
  area.show();
  int closed = 0;
  auto* window = new ProfitGraphWindow(session, messages, QStringLiteral("FGrapher1"),
                                       QStringLiteral("月別利益表示"), points({1, 2}),
                                       [&closed] { ++closed; });
  QMdiSubWindow* frame = openChildWindow(area, window);
  QCOMPARE(frame->windowTitle(), QStringLiteral("月別利益表示"));
  QCOMPARE(window->graph()->objectName(), QStringLiteral("Graph1"));
  if (byButton) {
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Close3d1")), Qt::LeftButton);
  } else {
    frame->close();
  }
  QCOMPARE(closed, 1);
  QTRY_VERIFY(area.subWindowList().isEmpty());
}

// A thousand year folders would give a row of "…" under the bars, and a
// long moment to lay it out; a year's months keep their labels.
void TestProfitGraph::labelsOnlyWhereTheyFit_data() {
  QTest::addColumn<int>("count");
  QTest::addColumn<bool>("labelled");
  QTest::newRow("twelve months") << 12 << true;
  QTest::newRow("sixty") << 60 << true;
  QTest::newRow("a thousand years") << 1000 << false;
}

void TestProfitGraph::labelsOnlyWhereTheyFit() {
  QFETCH(int, count);
  QFETCH(bool, labelled);
  std::vector<ProfitPoint> many;
  for (int i = 0; i < count; ++i) many.push_back({QString::number(2000 + i), i});
  ProfitGraph graph;
  graph.setPoints(std::move(many));
  const auto axes = graph.chart()->axes(Qt::Horizontal);
  QCOMPARE(axes.size(), 1);
  QCOMPARE(axes.front()->labelsVisible(), labelled);
  QCOMPARE(graph.pointCount(), count);
}

QTEST_MAIN(TestProfitGraph)
#include "test_profit_graph.moc"
