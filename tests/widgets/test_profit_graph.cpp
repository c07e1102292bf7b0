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
  void manyBarsWhereTheAxesSay_data();
  void manyBarsWhereTheAxesSay();
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
// long moment to lay it out: past a label each, every 1st, 2nd or 5th times
// a power of ten point is named, about ten of them; a year's months keep
// their labels.
void TestProfitGraph::labelsOnlyWhereTheyFit_data() {
  QTest::addColumn<int>("count");
  QTest::addColumn<int>("step");
  QTest::newRow("twelve months") << 12 << 1;
  QTest::newRow("sixty") << 60 << 1;
  QTest::newRow("sixty-one") << 61 << 10;
  QTest::newRow("a hundred and one") << 101 << 20;
  QTest::newRow("a thousand years") << 1000 << 100;
}

void TestProfitGraph::labelsOnlyWhereTheyFit() {
  QFETCH(int, count);
  QFETCH(int, step);
  std::vector<ProfitPoint> many;
  for (int i = 0; i < count; ++i) many.push_back({QString::number(2000 + i), i});
  ProfitGraph graph;
  graph.setPoints(std::move(many));
  QCOMPARE(graph.chart()->axes(Qt::Horizontal).size(), 1);
  QVERIFY(graph.pointAxis()->labelsVisible());
  QStringList named;
  for (int i = 0; i < count; i += step) named << QString::number(2000 + i);
  QCOMPARE(graph.axisLabels(), named);
  QCOMPARE(graph.pointCount(), count);
}

// Past a label each the graph paints the bars itself: each must stand where
// the axes and the tooltips place its point, in the colour of its sign.
void TestProfitGraph::manyBarsWhereTheAxesSay_data() {
  QTest::addColumn<int>("point");
  QTest::addColumn<QColor>("colour");
  QTest::newRow("first, a profit") << 0 << QColor(0x2a, 0x6f, 0xc9);
  QTest::newRow("a loss") << 43 << QColor(0xd6, 0x3a, 0x3a);
  QTest::newRow("last but one, a profit") << 98 << QColor(0x2a, 0x6f, 0xc9);
}

void TestProfitGraph::manyBarsWhereTheAxesSay() {
  QFETCH(int, point);
  QFETCH(QColor, colour);
  std::vector<ProfitPoint> many;
  // Tall and short bars of either sign, one point without a value.
  for (int i = 0; i < 100; ++i) {
    const std::int32_t size = (i % 3 + 1) * 1000;
    many.push_back({QString::number(i), i % 2 ? -size : size});
  }
  many[50].value.reset();
  ProfitGraph graph;
  graph.resize(1000, 400);
  graph.setPoints(std::move(many));
  graph.show();
  QVERIFY(QTest::qWaitForWindowExposed(&graph));
  const QImage image = graph.grab().toImage();
  const auto at = [&](int i, double value) {
    const QPointF inChart = graph.chart()->mapToPosition({static_cast<qreal>(i), value},
                                                         graph.chart()->series().front());
    return image.pixelColor(graph.mapFromScene(graph.chart()->mapToScene(inChart)));
  };
  const std::int32_t value = *graph.point(point).value;
  QCOMPARE(at(point, value / 2.0), colour);
  // Beyond the bar's top, and in the gap beside it, no bar.
  QVERIFY(at(point, value * 1.2) != colour);
  const QPointF beside =
      graph.chart()->mapToPosition({point + 0.5, value / 2.0}, graph.chart()->series().front());
  QVERIFY(image.pixelColor(graph.mapFromScene(graph.chart()->mapToScene(beside))) != colour);
  // A point without a value has no bar.
  QVERIFY(at(50, 500) != QColor(0x2a, 0x6f, 0xc9));
  QVERIFY(at(50, -500) != QColor(0xd6, 0x3a, 0x3a));
}

QTEST_MAIN(TestProfitGraph)
#include "test_profit_graph.moc"
