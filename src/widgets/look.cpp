#include "widgets/look.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <cmath>

namespace tamrel {

namespace {

constexpr double kTwipsPerInch = 1440.0;

QFont japaneseFont(const QStringList& families, QFont::StyleHint hint) {
  QFont font;
  // Families are tried in order; the style hint is the last resort when none
  // of them is installed, so the program still starts with some font.
  font.setFamilies(families);
  font.setStyleHint(hint);
  font.setPointSize(9);
  return font;
}

double logicalDpi(const QWidget* widget) {
  if (widget != nullptr) return widget->logicalDpiX();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    return screen->logicalDotsPerInchX();
  }
  return 96.0;
}

}  // namespace

QFont uiFont() {
  return japaneseFont(
      {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
       QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic")},
      QFont::SansSerif);
}

QFont minchoFont() {
  return japaneseFont({QStringLiteral("Noto Serif CJK JP"), QStringLiteral("Noto Serif JP"),
                       QStringLiteral("IPAexMincho"), QStringLiteral("IPAMincho")},
                      QFont::Serif);
}

void setUpJapaneseApplication(QApplication& app) {
  QApplication::setFont(uiFont());
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* qtTexts = new QTranslator(&app);
  if (qtTexts->load(QStringLiteral("qtbase_ja"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(qtTexts);
  }
}

void setUpDesktopIdentity() {
  QGuiApplication::setDesktopFileName(QStringLiteral(TAMREL_APP_ID));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/" TAMREL_APP_ID "-48.png")));
}

int twipsToPixels(int twips, const QWidget* widget) {
  return static_cast<int>(std::lround(twips * logicalDpi(widget) / kTwipsPerInch));
}

QRect twipsRect(int left, int top, int width, int height, const QWidget* widget) {
  return {twipsToPixels(left, widget), twipsToPixels(top, widget), twipsToPixels(width, widget),
          twipsToPixels(height, widget)};
}

QColor rateTint(RateBand band) {
  switch (band) {
    case RateBand::AtLeastEven:
      return QColor(186, 232, 186);
    case RateBand::BelowEven:
      return QColor(255, 236, 150);
    case RateBand::BelowThreeQuarters:
      return QColor(180, 228, 242);
    case RateBand::BelowHalf:
      break;
  }
  return QColor(250, 190, 190);
}

void setBoxColours(QWidget* box, const QColor& text, const QColor& background) {
  QPalette palette = box->palette();
  // Text/Base colour editable boxes, WindowText/Window colour labels and
  // frames; setting both lets one call serve either kind.
  palette.setColor(QPalette::Text, text);
  palette.setColor(QPalette::Base, background);
  palette.setColor(QPalette::WindowText, text);
  palette.setColor(QPalette::Window, background);
  box->setPalette(palette);
  box->setAutoFillBackground(true);
}

QPushButton* commandButton(const QString& name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAccessibleName(caption);
  button->setAutoDefault(true);
  return button;
}

ValueBox::ValueBox(QWidget* parent) : QLineEdit(parent) {
  setReadOnly(true);
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setContextMenuPolicy(Qt::NoContextMenu);
  setCursor(Qt::ArrowCursor);
}

void ValueBox::focusInEvent(QFocusEvent* event) {
  if (target_) {
    QWidget* target = target_();
    if (target != nullptr && target != this) {
      // Handing the focus on before the line edit takes it means the caret
      // and selection never appear in the box.
      target->setFocus(event->reason());
      return;
    }
  }
  QLineEdit::focusInEvent(event);
}

}  // namespace tamrel
