#pragma once
// Fonts, colours, sizes and the read-only value box, in one place.

#include <QColor>
#include <QFont>
#include <QLineEdit>
#include <functional>

#include "analysis/cross_totals.h"

class QApplication;
class QPushButton;

namespace tamrel {

// The Japanese UI font and the Mincho (serif) font of the ticket window.
QFont uiFont();
QFont minchoFont();

// The application speaks Japanese whatever the user's locale: the UI font,
// the Japanese locale and Qt's own Japanese texts for standard dialogs.
void setUpJapaneseApplication(QApplication& app);

// The name the desktop knows the program by (the id of its menu entry), and
// the program's own icon on every window, the work area's frames included.
// Called before the first window is built.
void setUpDesktopIdentity();

// Twips (1/1440 inch) to pixels at the widget's logical DPI.
int twipsToPixels(int twips, const QWidget* widget);
QRect twipsRect(int left, int top, int width, int height, const QWidget* widget);

// The background of a recovery rate's band, the same in every view that
// tints rates.
QColor rateTint(RateBand band);

// Text and background colours of a box, set through its palette.
void setBoxColours(QWidget* box, const QColor& text, const QColor& background);

// A command button named `name`, spoken by its caption; Enter on it when it
// has the focus presses it, as Space does.
QPushButton* commandButton(const QString& name, const QString& caption, QWidget* parent);

// A right-aligned display box that cannot be edited or hold the caret:
// whenever it receives the focus, the focus moves to the widget that
// `focusTarget` names.
class ValueBox : public QLineEdit {
  Q_OBJECT
 public:
  explicit ValueBox(QWidget* parent = nullptr);
  void setFocusTarget(std::function<QWidget*()> target) { target_ = std::move(target); }

 protected:
  void focusInEvent(QFocusEvent* event) override;

 private:
  std::function<QWidget*()> target_;
};

}  // namespace tamrel
