// What a screen reader hears in the main window: each button and the work
// area by a Japanese name, through Qt's accessibility interface.

#include <QAccessible>
#include <QMdiArea>
#include <QPushButton>
#include <QTest>

#include "shell/main_window.h"
#include "support/main_window_data_dir.h"
#include "support/scripted_messages.h"

using namespace tamrel;

namespace {

QString spokenName(QWidget* widget) {
  QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
  return face != nullptr ? face->text(QAccessible::Name) : QString();
}

}  // namespace

class TestMainWindowNames : public QObject {
  Q_OBJECT
 private slots:
  void buttons_data();
  void buttons();
  void workArea();
};

void TestMainWindowNames::buttons_data() {
  QTest::addColumn<QString>("objectName");
  QTest::addColumn<QString>("spoken");
  QTest::newRow("収支入力") << "Command3D1"
                            << "収支入力";
  QTest::newRow("総合分析") << "Blowse"
                            << "総合分析";
  QTest::newRow("統計分析") << "BLOWSENEW"
                            << "統計分析";
  // The captions' half-width kana are spoken as full-width words.
  QTest::newRow("ﾃﾞｰﾀ入れ替え") << "SSCommand1"
                                << "データ入れ替え";
  QTest::newRow("ﾃﾞｰﾀ初期化") << "Command3D2"
                              << "データ初期化";
  QTest::newRow("終了") << "Finish"
                        << "終了";
}

void TestMainWindowNames::buttons() {
  QFETCH(QString, objectName);
  QFETCH(QString, spoken);
  testdata::DataDir dir;
  QVERIFY(dir.writeSample());
  ScriptedMessages messages;
  MainWindow window(messages, dir.path());
  window.show();
  auto* button = window.findChild<QPushButton*>(objectName);
  QVERIFY(button != nullptr);
  QCOMPARE(spokenName(button), spoken);
}

void TestMainWindowNames::workArea() {
  testdata::DataDir dir;
  QVERIFY(dir.writeSample());
  ScriptedMessages messages;
  MainWindow window(messages, dir.path());
  window.show();
  QCOMPARE(spokenName(window.workArea()), QStringLiteral("作業領域"));
}

QTEST_MAIN(TestMainWindowNames)
#include "test_main_window_names.moc"
