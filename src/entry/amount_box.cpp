#include "entry/amount_box.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace tamrel {

namespace {

bool isModifierKey(int key) {
  switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
      return true;
    default:
      return false;
  }
}

bool allowed(const QString& text, AmountBox::Filter filter) {
  // One typed character only; keys without a printable character (Backspace,
  // arrows, Delete) are rejected just like letters.
  if (text.size() != 1) return false;
  const QChar c = text.front();
  if (c >= u'0' && c <= u'9') return true;
  return filter == AmountBox::Filter::DigitsAndMinus && c == u'-';
}

}  // namespace

AmountBox::AmountBox(Filter filter, int maxLength, QWidget* parent)
    : QLineEdit(parent), filter_(filter) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setMaxLength(maxLength);
}

void AmountBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  emit focusReceived();
}

void AmountBox::keyPressEvent(QKeyEvent* event) {
  if (filter_ == Filter::None) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    rejectKey_ = false;
    event->accept();
    emit enterPressed();
    return;
  }
  // A bare modifier is no key of its own: the character it helps to type
  // decides.
  if (!isModifierKey(key)) rejectKey_ = !allowed(event->text(), filter_);
  QLineEdit::keyPressEvent(event);
}

void AmountBox::keyReleaseEvent(QKeyEvent* event) {
  QLineEdit::keyReleaseEvent(event);
  if (filter_ == Filter::None || event->isAutoRepeat() || !rejectKey_) return;
  clear();
  setFocus(Qt::OtherFocusReason);
}

}  // namespace tamrel
