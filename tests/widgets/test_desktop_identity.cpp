// The program's name towards the desktop and its icon: the name is the one
// its menu entry is installed under, and every window shows the icon, the
// frames in the work area included.

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <QTest>
#include <cstdlib>

#include "widgets/child_window.h"
#include "widgets/look.h"

using namespace tamrel;

namespace {

const QString kDesktopDir = QStringLiteral(TAMREL_SOURCE_DIR "/desktop");

bool near(const QColor& a, const QColor& b, int tolerance) {
  return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
         std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

// The deep green of the icon's ledger cover, which nothing in Qt's own
// title bars or default icons comes near.
bool hasCoverGreen(const QImage& image) {
  const QColor green(0x1d, 0x5e, 0x43);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (near(image.pixelColor(x, y), green, 24)) return true;
    }
  }
  return false;
}

// Opens a child window in a fresh work area and returns a picture of its
// frame's title bar, where the frame draws its window icon.
QImage titleBarOfNewFrame() {
  QMdiArea area;
  area.resize(500, 300);
  area.show();
  auto* window = new ChildWindow;
  window->setWindowTitle(QStringLiteral("収支入力"));
  window->resize(300, 150);
  QMdiSubWindow* frame = openChildWindow(area, window);
  if (!QTest::qWaitForWindowExposed(&area)) return {};
  const int height = frame->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, frame);
  return frame->grab(QRect(0, 0, 3 * height, height)).toImage();
}

}  // namespace

class TestDesktopIdentity : public QObject {
  Q_OBJECT
 private slots:
  void nameIsTheMenuEntrys();
  void iconIsOurs();
  void framesInTheWorkAreaShowIt();
};

void TestDesktopIdentity::nameIsTheMenuEntrys() {
  setUpDesktopIdentity();
  const QString id = QGuiApplication::desktopFileName();
  QVERIFY(!id.isEmpty());
  // The entry and both icons are installed under this same name.
  QVERIFY(QFileInfo::exists(kDesktopDir + '/' + id + QStringLiteral(".desktop.in")));
  QVERIFY(QFileInfo::exists(kDesktopDir + '/' + id + QStringLiteral(".svg")));
  QVERIFY(QFileInfo::exists(kDesktopDir + '/' + id + QStringLiteral("-48.png")));
}

void TestDesktopIdentity::iconIsOurs() {
  setUpDesktopIdentity();
  const QIcon icon = QApplication::windowIcon();
  QVERIFY(!icon.isNull());
  QVERIFY(icon.availableSizes().contains(QSize(48, 48)));
  // The program carries the very picture that is installed.
  const QImage shown = icon.pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32);
  const QImage installed =
      QImage(kDesktopDir + '/' + QGuiApplication::desktopFileName() + QStringLiteral("-48.png"))
          .convertToFormat(QImage::Format_ARGB32);
  QVERIFY(!installed.isNull());
  QCOMPARE(shown.size(), installed.size());
  // Edge pixels that are partly transparent may differ by a rounding step,
  // as the icon keeps its pixels premultiplied.
  for (int y = 0; y < installed.height(); ++y) {
    for (int x = 0; x < installed.width(); ++x) {
      QVERIFY2(near(shown.pixelColor(x, y), installed.pixelColor(x, y), 2),
               qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
    }
  }
}

void TestDesktopIdentity::framesInTheWorkAreaShowIt() {
  // Without the icon the frame shows Qt's default: the check below tells
  // the two apart.
  QApplication::setWindowIcon(QIcon());
  const QImage plain = titleBarOfNewFrame();
  QVERIFY(!plain.isNull());
  QVERIFY(!hasCoverGreen(plain));

  setUpDesktopIdentity();
  const QImage ours = titleBarOfNewFrame();
  QVERIFY(!ours.isNull());
  QVERIFY(hasCoverGreen(ours));
}

QTEST_MAIN(TestDesktopIdentity)
#include "test_desktop_identity.moc"
