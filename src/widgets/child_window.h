#pragma once
// Base of every window hosted in the main window's work area.

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>

#include "widgets/print_page.h"

class QMdiArea;
class QMdiSubWindow;

namespace tamrel {

class DataSession;
class Messages;

class ChildWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ChildWindow(QWidget* parent = nullptr);
  ~ChildWindow() override;

  // Called each time this window becomes the active child window.
  virtual void activated() {}

  // Escape anywhere in the window: what its 閉じる does, unless a window
  // gives Escape another meaning while it asks something.
  virtual void escapePressed() { closeWindow(); }

  // What 印刷… and PDF保存… put on paper; nothing for a window that does
  // not print (the commands then grey or hide).
  virtual std::optional<PrintPage> printPage() const { return std::nullopt; }

  // Closes the window with its frame (as the title-bar close box would).
  void closeWindow();

  // The frame this window lives in, or nullptr when shown on its own.
  QMdiSubWindow* subWindow() const;
  // The work area hosting this window, or nullptr.
  QMdiArea* workArea() const;

  // Shows `window` again in front (it stays where it is).
  static void bringToFront(ChildWindow* window);

  // A change of the data was announced: a view shows the data as it is now
  // (showData), once. A change announced while the window's own message is
  // open (a box runs the events) or while it shows the data waits until that
  // has ended and is then shown once, so a window never rebuilds under its
  // own question.
  void followData();

  // The steps a view shows: those touching the tickets, those touching the
  // day amounts, or every step; each view also follows a load of another
  // directory. A step announces each thing it touches, so a view follows
  // one kind only and is shown once per step.
  enum class Follows { Tickets, Days, Everything };
  void followSession(const DataSession& session, Follows what);

  // The messages this window asks and tells through: `messages` (the
  // program's), holding followData back while each box is open. The same
  // object every call; a window hands it on to the windows it opens, which
  // take the program's messages from it, never this window's hold.
  Messages& ownMessages(Messages& messages);

  // Holds followData back while it lives, as an open box of the window does.
  class DataHold;

 signals:
  // The window showed the data anew after a change.
  void dataShown();

 protected:
  // What followData shows again; views that follow the data override it.
  virtual void showData() {}

  // A window that closes itself (close()) takes its frame along, so no
  // empty frame is left behind in the work area.
  bool event(QEvent* event) override;

 private:
  void releaseData();

  int holds_ = 0;
  bool dataWaiting_ = false;
  std::unique_ptr<Messages> ownMessages_;
};

class ChildWindow::DataHold {
 public:
  explicit DataHold(ChildWindow* window);
  ~DataHold();
  DataHold(const DataHold&) = delete;
  DataHold& operator=(const DataHold&) = delete;

 private:
  QPointer<ChildWindow> window_;
};

// Whether a frame is open: a closed frame lingers, hidden, until its
// deferred deletion.
bool isOpen(const QMdiSubWindow* frame);

// The open child window of `area` with that object name, or nullptr.
ChildWindow* findOpenWindow(const QMdiArea* area, const QString& name);

// Opens `window` modeless at (0, 0) of the work area, deleted when closed;
// its caption is the window's windowTitle(). Returns the frame.
QMdiSubWindow* openChildWindow(QMdiArea& area, ChildWindow* window);

}  // namespace tamrel
