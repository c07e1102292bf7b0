#include "entry/amount_box.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QValidator>
#include <algorithm>

#include "widgets/controls.h"
#include "widgets/core_text.h"

namespace tamrel {

namespace {

// Refuses an edit that would make the text longer than the limit. Unlike
// QLineEdit's maxLength it leaves setText() alone (validators check edits,
// not texts the program sets) and it refuses an over-long paste instead of
// cutting it.
class TypedLength final : public QValidator {
 public:
  TypedLength(int limit, QObject* parent) : QValidator(parent), limit_(limit) {}
  State validate(QString& input, int& /*pos*/) const override {
    return input.size() <= limit_ ? Acceptable : Invalid;
  }

 private:
  int limit_;
};

// Whether a key types a character. Arrows, Home, End, Page keys, function
// keys and bare modifiers type none, and neither does Delete, although some
// platforms give it the DEL code. Backspace, Escape and Ctrl+letter type
// control characters, which count.
bool typesCharacter(const QKeyEvent& event) {
  const QString text = event.text();
  return !text.isEmpty() && event.key() != Qt::Key_Delete && text != QString(QChar(0x7F));
}

}  // namespace

AmountBox::AmountBox(Filter filter, int typedLength, QWidget* parent)
    : QLineEdit(parent), filter_(filter), typedLength_(typedLength) {
  setAlignment(kAmountAlignment);
  setValidator(new TypedLength(typedLength, this));
  // Amounts are digits: no input method composes text here.
  setAttribute(Qt::WA_InputMethodEnabled, false);
  setInputMethodHints(filter == Filter::Digits ? Qt::ImhDigitsOnly : Qt::ImhFormattedNumbersOnly);
  // Any edit by the user, a rejected key's included, makes the entry new.
  connect(this, &QLineEdit::textEdited, this, [this] { held_.reset(); });
  connect(this, &QLineEdit::textChanged, this, &AmountBox::amountChanged);
}

void AmountBox::startEntry() {
  held_ = text();
  clear();
}

bool AmountBox::movedIn(Qt::FocusReason reason) {
  return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
         reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

void AmountBox::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // A context menu takes the focus for a moment only; the entry goes on.
  if (!held_ || event->reason() == Qt::PopupFocusReason) return;
  const QString before = *held_;
  held_.reset();
  setText(before);
  givenBack_ = true;
}

bool AmountBox::allowed(const QString& text) const {
  // Control characters (Backspace among them) are no digit and are rejected
  // like letters.
  return std::all_of(text.begin(), text.end(), [this](QChar c) {
    return (c >= u'0' && c <= u'9') || c == u',' || c == u'，' ||
           (filter_ == Filter::DigitsAndMinus && c == u'-');
  });
}

void AmountBox::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // Back with its window after an entry left untyped: the amount is shown
  // again, selected, so that typing replaces it as the entry meant to.
  if (givenBack_ && !movedIn(event->reason())) selectAll();
  givenBack_ = false;
  emit focusReceived(event->reason());
}

void AmountBox::keyPressEvent(QKeyEvent* event) {
  // A key that types (Backspace and Delete included) makes the entry the
  // user's, even where it changes no text; Enter and Tab only move on.
  const int key = event->key();
  const bool movesOn =
      key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab;
  if (held_ && !movesOn && (typesCharacter(*event) || key == Qt::Key_Delete)) {
    held_.reset();
    emit amountChanged();
  }
  if (filter_ == Filter::None) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    rejectKey_ = false;
    event->accept();
    emit enterPressed();
    return;
  }
  // A key without a character (an arrow, a bare Shift) is no entry of its
  // own and leaves the verdict on the last character as it was.
  if (typesCharacter(*event)) rejectKey_ = !allowed(event->text());
  QLineEdit::keyPressEvent(event);
}

void AmountBox::keyReleaseEvent(QKeyEvent* event) {
  QLineEdit::keyReleaseEvent(event);
  if (filter_ == Filter::None || event->isAutoRepeat() || !rejectKey_) return;
  clear();
  setFocus(Qt::OtherFocusReason);
}

void AmountBox::inputMethodEvent(QInputMethodEvent* event) {
  // The input method is off for this box, but text may still be committed
  // to it (a platform that ignores the flag): it is taken in its ASCII form
  // and held to the key filter, which it would otherwise pass by.
  const QString committed = asciiForms(event->commitString());
  if (committed.isEmpty()) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  if (filter_ != Filter::None && !allowed(committed)) {
    event->accept();
    clear();
    return;
  }
  QInputMethodEvent ascii(event->preeditString(), event->attributes());
  ascii.setCommitString(committed, event->replacementStart(), event->replacementLength());
  QLineEdit::inputMethodEvent(&ascii);
  event->setAccepted(ascii.isAccepted());
}

}  // namespace tamrel
