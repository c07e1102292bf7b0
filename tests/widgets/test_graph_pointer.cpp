// Needs a real X server: the pointer is warped for real, so the tooltip
// comes the way it comes to a user, from the pointer resting over a bar.
#include <QChart>
#include <QCursor>
#include <QMdiArea>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include "state/data_session.h"
#include "support/scripted_messages.h"
#include "widgets/profit_graph.h"

using namespace tamrel;

namespace {

// Counts the moments the pointer rested long enough for a tooltip.
class ToolTipCounter : public QObject {
 public:
  explicit ToolTipCounter(int* count) : count_(count) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::ToolTip) ++*count_;
    return false;
  }

 private:
  int* count_;
};

}  // namespace

class TestGraphPointer : public QObject {
  Q_OBJECT
 private slots:
  void barTellsItsValue_data();
  void barTellsItsValue();
  void valueAxisNamesTheUnit();
};

void TestGraphPointer::barTellsItsValue_data() {
  QTest::addColumn<int>("point");
  QTest::addColumn<QString>("tip");
  QTest::newRow("profit bar") << 0 << QStringLiteral("１月： 1,234,567円");
  QTest::newRow("loss bar") << 2 << QStringLiteral("３月： -800,000円");
}

void TestGraphPointer::barTellsItsValue() {
  QFETCH(int, point);
  QFETCH(QString, tip);
  // In a work area, as the windows show it.
  QMdiArea area;
  DataSession session;
  ScriptedMessages messages;
  area.resize(900, 700);
  auto* window = new ProfitGraphWindow(session, messages, QStringLiteral("FGrapher1"),
                                       QStringLiteral("月別利益表示"),
                                       {{QStringLiteral("１月"), 1234567},
                                        {QStringLiteral("２月"), 300000},
                                        {QStringLiteral("３月"), -800000}},
                                       {});
  openChildWindow(area, window);
  area.show();
  area.activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&area));
  ProfitGraph* graph = window->graph();
  QToolTip::hideText();
  // Halfway up the bar, in the middle of its width.
  const std::int32_t value = *graph->point(point).value;
  const QPointF inChart = graph->chart()->mapToPosition({static_cast<qreal>(point), value / 2.0});
  const QPoint inView = graph->mapFromScene(graph->chart()->mapToScene(inChart));
  int restings = 0;
  ToolTipCounter counter(&restings);
  graph->viewport()->installEventFilter(&counter);
  QCursor::setPos(graph->viewport()->mapToGlobal(inView + QPoint(1, 0)));
  QCursor::setPos(graph->viewport()->mapToGlobal(inView));
  // The pointer has rested there long enough for a tooltip...
  QTRY_VERIFY(restings > 0);
  QTRY_VERIFY(QToolTip::isVisible());
  QCOMPARE(QToolTip::text(), tip);
  // ...and the tooltip stays while it rests.
  QVERIFY(!QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 1500));
}

void TestGraphPointer::valueAxisNamesTheUnit() {
  ProfitGraph graph;
  graph.setPoints({{QStringLiteral("東京"), 5000}});
  QVERIFY(graph.valueAxis()->labelFormat().endsWith(QStringLiteral("円")));
}

QTEST_MAIN(TestGraphPointer)
#include "test_graph_pointer.moc"
