#include "widgets/child_window.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>
#include <utility>

#include "state/data_session.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

// The program's messages with the asking window held while each box is
// open. Built from another window's, it takes that one's program messages:
// holds never chain, and no window keeps a reference into another.
class WindowMessages final : public Messages {
 public:
  WindowMessages(ChildWindow* window, Messages& messages)
      : window_(window), messages_(programMessages(messages)) {}

  void error(const QString& text, const QString& detail) override {
    const ChildWindow::DataHold hold(window_);
    messages_.error(text, detail);
  }
  void notice(const QString& text) override {
    const ChildWindow::DataHold hold(window_);
    messages_.notice(text);
  }
  bool ask(const QString& text, bool defaultYes) override {
    const ChildWindow::DataHold hold(window_);
    return messages_.ask(text, defaultYes);
  }
  void inform(const QString& title, const QString& text) override {
    const ChildWindow::DataHold hold(window_);
    messages_.inform(title, text);
  }

 private:
  static Messages& programMessages(Messages& messages) {
    auto* own = dynamic_cast<WindowMessages*>(&messages);
    return own != nullptr ? own->messages_ : messages;
  }

  ChildWindow* window_;
  Messages& messages_;
};

// Sees each Escape before the shortcuts are tried. A drop-down list shuts
// its popup while the key is offered to it and lets it go on to the window's
// shortcut, which then finds no popup open: the key is marked here while the
// popup still is, until it is released.
class PopupEscapeWatch final : public QObject {
 public:
  explicit PopupEscapeWatch(QObject* parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
  }
  // Whether the key now going to the shortcut was meant for a popup; asked
  // once per key.
  bool takeMeantForPopup() { return std::exchange(forPopup_, false); }

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::KeyRelease) forPopup_ = false;
    if (event->type() != QEvent::ShortcutOverride) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape) return false;
    if (QApplication::activePopupWidget() != nullptr) {
      forPopup_ = true;
      pressedAt_ = key->timestamp();
    } else if (key->timestamp() != pressedAt_) {
      forPopup_ = false;  // another press whose release was not seen
    }
    return false;
  }

 private:
  bool forPopup_ = false;
  quint64 pressedAt_ = 0;
};

}  // namespace

ChildWindow::ChildWindow(QWidget* parent) : QWidget(parent) {
  // A shortcut rather than a key handler: a grid or a box holding the focus
  // would take the key for itself and never pass it on.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  auto* popupEscape = new PopupEscapeWatch(this);
  connect(escape, &QShortcut::activated, this, [this, popupEscape] {
    // An open list or menu is part of this window as far as the shortcut is
    // concerned: Escape there closes the popup, and only the popup.
    if (popupEscape->takeMeantForPopup()) return;
    if (QWidget* popup = QApplication::activePopupWidget()) {
      popup->close();
      return;
    }
    escapePressed();
  });
}

ChildWindow::~ChildWindow() = default;

void ChildWindow::closeWindow() {
  // Closing the frame closes the content first (QMdiSubWindow::closeEvent
  // calls close() on its widget), so the window's own closeEvent runs exactly
  // once and can still refuse; the frame follows only if it accepts.
  if (QMdiSubWindow* frame = subWindow()) {
    frame->close();
  } else {
    close();
  }
}

bool ChildWindow::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  if (event->type() == QEvent::Close && event->isAccepted()) {
    // When the frame is the one closing, this nested close() is a no-op;
    // otherwise it closes the frame without asking the content again, as
    // the content is already in the middle of closing.
    if (QMdiSubWindow* frame = subWindow()) frame->close();
  }
  return handled;
}

void ChildWindow::followSession(const DataSession& session, Follows what) {
  switch (what) {
    case Follows::Tickets:
      connect(&session, &DataSession::ticketsChanged, this, &ChildWindow::followData);
      connect(&session, &DataSession::yearReset, this, &ChildWindow::followData);
      break;
    case Follows::Days:
      connect(&session, &DataSession::dayPosted, this, &ChildWindow::followData);
      connect(&session, &DataSession::yearReset, this, &ChildWindow::followData);
      break;
    case Follows::Everything:
      connect(&session, &DataSession::changed, this, &ChildWindow::followData);
      break;
  }
  connect(&session, &DataSession::dataLoaded, this, &ChildWindow::followData);
}

void ChildWindow::followData() {
  if (holds_ > 0) {
    dataWaiting_ = true;
    return;
  }
  ++holds_;
  do {
    dataWaiting_ = false;
    showData();
    emit dataShown();
  } while (dataWaiting_);
  --holds_;
}

Messages& ChildWindow::ownMessages(Messages& messages) {
  if (!ownMessages_) ownMessages_ = std::make_unique<WindowMessages>(this, messages);
  return *ownMessages_;
}

ChildWindow::DataHold::DataHold(ChildWindow* window) : window_(window) {
  if (window_) ++window_->holds_;
}

ChildWindow::DataHold::~DataHold() {
  // The window may have gone while its box was open.
  if (window_) window_->releaseData();
}

void ChildWindow::releaseData() {
  if (--holds_ == 0 && dataWaiting_) followData();
}

QMdiSubWindow* ChildWindow::subWindow() const {
  return qobject_cast<QMdiSubWindow*>(parentWidget());
}

QMdiArea* ChildWindow::workArea() const {
  QMdiSubWindow* frame = subWindow();
  return frame != nullptr ? frame->mdiArea() : nullptr;
}

void ChildWindow::bringToFront(ChildWindow* window) {
  if (window == nullptr) return;
  QMdiSubWindow* frame = window->subWindow();
  if (frame == nullptr) {
    window->show();
    window->raise();
    window->activateWindow();
    return;
  }
  if (frame->isMinimized()) {
    frame->showNormal();
  } else {
    frame->show();
  }
  frame->raise();
  if (QMdiArea* area = frame->mdiArea()) {
    area->setActiveSubWindow(frame);
  } else {
    frame->setFocus();
  }
}

bool isOpen(const QMdiSubWindow* frame) { return frame != nullptr && !frame->isHidden(); }

ChildWindow* findOpenWindow(const QMdiArea* area, const QString& name) {
  if (area == nullptr) return nullptr;
  for (QMdiSubWindow* frame : area->subWindowList()) {
    if (!isOpen(frame)) continue;
    auto* window = qobject_cast<ChildWindow*>(frame->widget());
    if (window != nullptr && window->objectName() == name) return window;
  }
  return nullptr;
}

QMdiSubWindow* openChildWindow(QMdiArea& area, ChildWindow* window) {
  // The frame is built here rather than by addSubWindow(widget) so that the
  // activation hook is in place before the first activation.
  auto* frame = new QMdiSubWindow;
  frame->setAttribute(Qt::WA_DeleteOnClose);
  frame->setWidget(window);
  frame->setWindowTitle(window->windowTitle());
  QObject::connect(window, &QWidget::windowTitleChanged, frame, &QWidget::setWindowTitle);
  // The frame is the connection's context: once it is gone, so is the call.
  QObject::connect(&area, &QMdiArea::subWindowActivated, frame,
                   [frame, window](QMdiSubWindow* active) {
                     if (active == frame) window->activated();
                   });
  area.addSubWindow(frame);
  frame->resize(frame->sizeHint());
  frame->move(0, 0);
  frame->show();
  return frame;
}

}  // namespace tamrel
