#pragma once
// Answers the real message boxes (tamrel::BoxMessages) that a test makes the
// program show, with real key presses, and records what each box showed.
//
//   BoxAnswerer boxes;
//   boxes.expect(BoxAnswerer::Key::TabSpace);   // the next box: Tab, Space
//   click the button that asks;
//   QCOMPARE(boxes.seen().at(0).text, "終了しますか？");
//   QCOMPARE(boxes.seen().at(0).pressed, "いいえ");
//   QCOMPARE(boxes.faults(), QStringList{});
//
// No test can hang on a box: a box nobody expected, and a box that is still
// open two seconds after its key, are closed by force and recorded in
// faults().

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QQueue>
#include <QStringList>
#include <QTest>
#include <QTimer>

namespace tamrel::testdata {

class BoxAnswerer : public QObject {
 public:
  enum class Key {
    Return,    // the focused button (the default one, unless moved)
    Space,     // the focused button
    Escape,    // the box's escape button
    TabSpace,  // Tab to the next button, then Space on it
  };

  struct Seen {
    QString title;
    QString text;
    QStringList buttons;  // as the box lists them
    QString defaultButton;
    QString focused;  // the button holding the focus when it came up
    QString pressed;  // the button the key pressed (the focus at the key)
    bool modal = false;
  };

  BoxAnswerer() {
    poll_.setInterval(10);
    QObject::connect(&poll_, &QTimer::timeout, this, [this] { tick(); });
    poll_.start();
  }

  void expect(Key key) { keys_.enqueue(key); }

  const QList<Seen>& seen() const { return seen_; }
  const QStringList& faults() const { return faults_; }
  bool allAnswered() const { return keys_.isEmpty(); }

 private:
  static QString textOf(const QWidget* w) {
    const auto* b = qobject_cast<const QAbstractButton*>(w);
    return b != nullptr ? b->text() : QString();
  }

  void tick() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    if (box == answered_) {
      // Answered, and still open: the key did nothing.
      if (++ticksOpen_ > 200) {
        faults_ << QStringLiteral("box still open after its key: ") + box->text();
        box->done(QDialog::Rejected);
      }
      return;
    }
    // A user answers a box once it has come up in front, holding the focus.
    if (!box->isActiveWindow() && ++ticksWaiting_ <= 200) return;
    ticksWaiting_ = 0;
    answered_ = box;
    ticksOpen_ = 0;
    Seen s;
    s.title = box->windowTitle();
    s.text = box->text();
    s.modal = box->isModal();
    s.defaultButton = textOf(box->defaultButton());
    QWidget* focus = QApplication::focusWidget();
    const bool inBox = focus != nullptr && box->isAncestorOf(focus);
    s.focused = inBox ? textOf(focus) : QString();
    for (QAbstractButton* b : box->buttons()) s.buttons << b->text();
    if (keys_.isEmpty()) {
      faults_ << QStringLiteral("unexpected box: ") + box->text();
      seen_ << s;
      box->done(QDialog::Rejected);
      return;
    }
    const Key key = keys_.dequeue();
    QWidget* target = inBox ? focus : box;
    if (key == Key::TabSpace) {
      QTest::keyClick(target, Qt::Key_Tab);
      target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : box;
    }
    s.pressed = key == Key::Escape ? QString() : textOf(target);
    seen_ << s;
    switch (key) {
      case Key::Return:
        QTest::keyClick(target, Qt::Key_Return);
        break;
      case Key::Escape:
        QTest::keyClick(target, Qt::Key_Escape);
        break;
      case Key::Space:
      case Key::TabSpace:
        QTest::keyClick(target, Qt::Key_Space);
        break;
    }
  }

  QTimer poll_;
  QQueue<Key> keys_;
  QList<Seen> seen_;
  QStringList faults_;
  QPointer<QMessageBox> answered_;
  int ticksOpen_ = 0;
  int ticksWaiting_ = 0;
};

}  // namespace tamrel::testdata
