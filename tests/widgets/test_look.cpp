#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "widgets/look.h"

using namespace tamrel;

namespace {

// A browse-window-like form: an ordinary box, two value boxes and "閉じる".
struct Form {
  Form() {
    auto* layout = new QVBoxLayout(&window);
    other = new QLineEdit(&window);
    first = new ValueBox(&window);
    second = new ValueBox(&window);
    close = new QPushButton(QStringLiteral("閉じる"), &window);
    layout->addWidget(other);
    layout->addWidget(first);
    layout->addWidget(second);
    layout->addWidget(close);
    first->setText(QStringLiteral("12345"));
    auto toClose = [this]() -> QWidget* { return close; };
    first->setFocusTarget(toClose);
    second->setFocusTarget(toClose);
  }
  QWidget window;
  QLineEdit* other;
  ValueBox* first;
  ValueBox* second;
  QPushButton* close;
};

}  // namespace

class TestLook : public QObject {
  Q_OBJECT
 private slots:
  void twips_data();
  void twips();
  void twipsRectScalesEachSide();
  void fontsAreJapanese();
  void boxColoursPaint_data();
  void boxColoursPaint();
  void valueBoxPassesFocus_data();
  void valueBoxPassesFocus();
  void valueBoxWithoutTargetKeepsFocus();
  void valueBoxIgnoresTyping();
};

void TestLook::twips_data() {
  QTest::addColumn<int>("twips");
  QTest::newRow("zero") << 0;
  QTest::newRow("one inch") << 1440;
  QTest::newRow("half inch") << 720;
  QTest::newRow("grid column") << 1600;
  QTest::newRow("window width") << 9255;
}

void TestLook::twips() {
  QFETCH(int, twips);
  QWidget widget;
  const int dpi = widget.logicalDpiX();
  QCOMPARE(twipsToPixels(twips, &widget), qRound(twips * dpi / 1440.0));
  if (twips == 1440) QCOMPARE(twipsToPixels(twips, &widget), dpi);
  if (twips == 0) QCOMPARE(twipsToPixels(twips, nullptr), 0);
}

void TestLook::twipsRectScalesEachSide() {
  QWidget widget;
  const int dpi = widget.logicalDpiX();
  QCOMPARE(twipsRect(1440, 720, 2880, 1440, &widget), QRect(dpi, qRound(dpi / 2.0), 2 * dpi, dpi));
}

void TestLook::fontsAreJapanese() {
  const QStringList installed = QFontDatabase::families();
  if (installed.contains(QStringLiteral("Noto Sans CJK JP"))) {
    QCOMPARE(QFontInfo(uiFont()).family(), QStringLiteral("Noto Sans CJK JP"));
  }
  if (installed.contains(QStringLiteral("Noto Serif CJK JP"))) {
    QCOMPARE(QFontInfo(minchoFont()).family(), QStringLiteral("Noto Serif CJK JP"));
  }
  // Whatever is installed, both fonts can draw the captions.
  QVERIFY(QFontMetrics(uiFont()).inFontUcs4(U'収'));
  QVERIFY(QFontMetrics(minchoFont()).inFontUcs4(U'払'));
}

void TestLook::boxColoursPaint_data() {
  QTest::addColumn<bool>("label");
  QTest::newRow("value box") << false;
  QTest::newRow("label") << true;
}

void TestLook::boxColoursPaint() {
  QFETCH(bool, label);
  const QColor green(0, 255, 0);
  const QColor black(0, 0, 0);
  QWidget* box = label ? static_cast<QWidget*>(new QLabel) : new ValueBox;
  std::unique_ptr<QWidget> owner(box);
  box->resize(120, 30);
  setBoxColours(box, green, black);
  box->show();
  QVERIFY(QTest::qWaitForWindowExposed(box));
  const QImage image = box->grab().toImage();
  // An empty box shows its background inside the frame.
  QCOMPARE(image.pixelColor(image.width() / 2, image.height() / 2), black);
  // The text colour is the one a box or a label draws its text in.
  QCOMPARE(box->palette().color(label ? QPalette::WindowText : QPalette::Text), green);

  setBoxColours(box, QColor(255, 0, 0), black);
  QCOMPARE(box->palette().color(label ? QPalette::WindowText : QPalette::Text), QColor(255, 0, 0));
  QCOMPARE(box->grab().toImage().pixelColor(image.width() / 2, image.height() / 2), black);
}

void TestLook::valueBoxPassesFocus_data() {
  QTest::addColumn<bool>("byTab");
  QTest::newRow("set focus") << false;
  QTest::newRow("tab into the box") << true;
}

void TestLook::valueBoxPassesFocus() {
  QFETCH(bool, byTab);
  Form form;
  form.window.show();
  QApplication::setActiveWindow(&form.window);
  QVERIFY(QTest::qWaitForWindowActive(&form.window));
  form.other->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), form.other);
  if (byTab) {
    QTest::keyClick(form.other, Qt::Key_Tab);
  } else {
    form.first->setFocus(Qt::MouseFocusReason);
  }
  QTRY_COMPARE(QApplication::focusWidget(), form.close);
  QVERIFY(!form.first->hasFocus());
  QVERIFY(!form.second->hasFocus());
}

void TestLook::valueBoxWithoutTargetKeepsFocus() {
  Form form;
  form.first->setFocusTarget({});
  form.second->setFocusTarget([]() -> QWidget* { return nullptr; });
  form.window.show();
  QApplication::setActiveWindow(&form.window);
  QVERIFY(QTest::qWaitForWindowActive(&form.window));
  form.first->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), form.first);
  form.second->setFocus();
  QTRY_COMPARE(QApplication::focusWidget(), form.second);
}

void TestLook::valueBoxIgnoresTyping() {
  Form form;
  form.first->setFocusTarget({});
  form.window.show();
  QApplication::setActiveWindow(&form.window);
  QVERIFY(QTest::qWaitForWindowActive(&form.window));
  QVERIFY(form.first->isReadOnly());
  QCOMPARE(form.first->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  form.first->setFocus();
  QTest::keyClicks(form.first, QStringLiteral("9x"));
  QTest::keyClick(form.first, Qt::Key_Backspace);
  QCOMPARE(form.first->text(), QStringLiteral("12345"));
}

QTEST_MAIN(TestLook)
#include "test_look.moc"
