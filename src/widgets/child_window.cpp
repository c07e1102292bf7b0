#include "widgets/child_window.h"

#include <QEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QShortcut>

namespace tamrel {

ChildWindow::ChildWindow(QWidget* parent) : QWidget(parent) {
  // A shortcut rather than a key handler: a grid or a box holding the focus
  // would take the key for itself and never pass it on.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::WidgetWithChildrenShortcut);
  connect(escape, &QShortcut::activated, this, [this] { escapePressed(); });
}

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

void ChildWindow::followData() {
  if (showing_) {
    showAgain_ = true;
    return;
  }
  showing_ = true;
  do {
    showAgain_ = false;
    showData();
    emit dataShown();
  } while (showAgain_);
  showing_ = false;
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
