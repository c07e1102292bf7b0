#pragma once
// The amount input box of the two entry windows: right-aligned, an optional
// key filter that empties the box when a rejected key is released, Enter
// reported so the window can move the focus along its chain.
//
// The length limit holds for what is typed or pasted only: a text the
// program puts in with setText() (a stored day, a sum, a computed payout) is
// shown whole, never cut to the limit.

#include <QLineEdit>

namespace tamrel {

class AmountBox : public QLineEdit {
  Q_OBJECT
 public:
  enum class Filter {
    None,            // any text; its leading number is used
    Digits,          // "0".."9"
    DigitsAndMinus,  // "0".."9" and "-"
  };

  AmountBox(Filter filter, int typedLength, QWidget* parent = nullptr);

  Filter filter() const { return filter_; }
  // The most characters the user can type or paste.
  int typedLength() const { return typedLength_; }

 signals:
  // The box received the focus; the window decides whether to empty it or to
  // send the focus elsewhere.
  void focusReceived();
  // Enter was pressed in a filtered box.
  void enterPressed();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  bool allowed(const QString& text) const;

  Filter filter_;
  int typedLength_;
  bool rejectKey_ = false;  // the last key with a character was not allowed
};

}  // namespace tamrel
