#pragma once
// Messages for tests: records every message shown, answers questions from a
// queue the test fills. A question nobody scripted fails the running test.
//
//   ScriptedMessages msgs;
//   msgs.answer({true});                 // the next ask() gets はい
//   window.doSomething();
//   QCOMPARE(msgs.texts(), QStringList{"終了しますか？"});
//   QCOMPARE(msgs.last().title, kConfirmTitle);
//   QVERIFY(msgs.allAnswersUsed());

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>
#include <QTest>
#include <functional>
#include <initializer_list>
#include <utility>

#include "widgets/messages.h"

namespace tamrel {

struct ShownMessage {
  QString title;  // kErrorTitle or kConfirmTitle
  QString text;
  bool operator==(const ShownMessage&) const = default;
};

class ScriptedMessages final : public Messages {
 public:
  void error(const QString& text, const QString& detail = QString()) override {
    shown_.append({kErrorTitle, text});
    lastDetail_ = detail;
    runWhileOpen();
  }
  void notice(const QString& text) override {
    shown_.append({kConfirmTitle, text});
    runWhileOpen();
  }
  void inform(const QString& title, const QString& text) override {
    shown_.append({title, text});
    runWhileOpen();
  }
  bool ask(const QString& text, bool defaultYes = true) override {
    shown_.append({kConfirmTitle, text});
    runWhileOpen();
    ++questions_;
    lastDefaultYes_ = defaultYes;
    if (answers_.isEmpty()) {
      const QByteArray why =
          "ScriptedMessages: unexpected question (no answer queued): " + text.toUtf8();
      QTest::qFail(why.constData(), __FILE__, __LINE__);
      return false;
    }
    return answers_.dequeue();
  }

  // Queues answers for the coming questions, in order: true is はい.
  void answer(bool yes) { answers_.enqueue(yes); }
  void answer(std::initializer_list<bool> yes) {
    for (bool a : yes) answers_.enqueue(a);
  }

  // Everything shown so far, oldest first.
  const QList<ShownMessage>& shown() const { return shown_; }
  QStringList texts() const {
    QStringList result;
    for (const ShownMessage& m : shown_) result.append(m.text);
    return result;
  }
  int count() const { return static_cast<int>(shown_.size()); }
  // The newest message; an empty one when nothing was shown.
  ShownMessage last() const { return shown_.isEmpty() ? ShownMessage{} : shown_.back(); }
  // The informative text of the last error (which file, and why).
  const QString& lastDetail() const { return lastDetail_; }
  // Whether the last question offered はい as its default answer.
  bool lastDefaultYes() const { return lastDefaultYes_; }
  // Number of ask() calls so far.
  int questions() const { return questions_; }

  // True when every queued answer has been used.
  bool allAnswersUsed() const { return answers_.isEmpty(); }
  int pendingAnswers() const { return static_cast<int>(answers_.size()); }

  // What happens while the next box is open, as a real box runs the events
  // meanwhile: run once, by the next message shown.
  void whileOpen(std::function<void()> happen) { whileOpen_ = std::move(happen); }

  // Forgets what was shown and drops unused answers.
  void clear() {
    shown_.clear();
    answers_.clear();
    questions_ = 0;
  }

 private:
  void runWhileOpen() {
    if (auto happen = std::exchange(whileOpen_, {})) happen();
  }

  QList<ShownMessage> shown_;
  std::function<void()> whileOpen_;
  QQueue<bool> answers_;
  int questions_ = 0;
  bool lastDefaultYes_ = true;
  QString lastDetail_;
};

}  // namespace tamrel
