#pragma once
// The amount input box of the two entry windows: right-aligned, an optional
// key filter that empties the box when a rejected key is released, Enter
// reported so the window can move the focus along its chain.

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

  explicit AmountBox(Filter filter, int maxLength, QWidget* parent = nullptr);

  Filter filter() const { return filter_; }

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

 private:
  Filter filter_;
  bool rejectKey_ = false;  // the last key typed was not allowed
};

}  // namespace tamrel
