#pragma once
// The amount input box of the two entry windows: right-aligned, an optional
// key filter that empties the box when a rejected key is released, Enter
// reported so the window can move the focus along its chain.
//
// A digit-group comma (",", or "，" from an input method) passes the key
// filter: "1,500" stays as typed and is read as 1500.
//
// The length limit holds for what is typed or pasted only: a text the
// program puts in with setText() (a stored day, a sum, a computed payout) is
// shown whole, never cut to the limit.

#include <QLineEdit>
#include <optional>

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

  // Empties the box for a new entry. Left before anything is typed, the box
  // gets back the text it had.
  void startEntry();
  // The text the amount is read from: while an entry is started and nothing
  // typed yet, the text the box had.
  QString amountText() const { return held_.value_or(text()); }

  // Whether the user moved into the box (a click, Tab, Shift+Tab, a
  // shortcut) rather than the focus coming back with its window: only such
  // a move starts a new entry.
  static bool movedIn(Qt::FocusReason reason);

 signals:
  // The box received the focus; the window decides whether to empty it or to
  // send the focus elsewhere.
  void focusReceived(Qt::FocusReason reason);
  // Enter was pressed in a filtered box.
  void enterPressed();
  // What amountText() gives may have changed.
  void amountChanged();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  bool allowed(const QString& text) const;

  Filter filter_;
  int typedLength_;
  bool rejectKey_ = false;       // the last key with a character was not allowed
  std::optional<QString> held_;  // the text before startEntry, until an edit
  bool givenBack_ = false;       // left with nothing typed: held_ was put back
};

}  // namespace tamrel
