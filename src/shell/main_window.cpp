#include "shell/main_window.h"

#include <QApplication>
#include <QChildEvent>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "base/version.h"
#include "browse/year_browse.h"
#include "entry/entry_window.h"
#include "ledger/ledger_init.h"
#include "shell/data_dir_lock.h"
#include "state/data_session.h"
#include "stats/analysis_window.h"
#include "store/app_state.h"
#include "store/data_files.h"
#include "switch/switch_window.h"
#include "widgets/child_window.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

const QString kAlreadyOpen = QStringLiteral("すでにウィンドウは開かれています");
const QString kCloseOthers = QStringLiteral("他のウィンドウを全て閉じて下さい");
const QString kWriteError = QStringLiteral("ファイル書き込みエラー");

// A failed load's message: the code's text, and as its informative text
// which file was refused and why, so that the user knows what to mend.
void reportFailedLoad(Messages& messages, LoadCode code, const LoadOutcome& outcome) {
  messages.error(QString::fromStdString(loadCodeMessage(code)),
                 QString::fromStdString(outcome.detail()));
}

}  // namespace

MainWindow::MainWindow(Messages& messages, const QString& dataDir, QWidget* parent)
    : QMainWindow(parent), messages_(messages), session_(new DataSession(this)) {
  setObjectName(QStringLiteral("Fmain"));
  // [*]: Qt's marker of unsaved changes, shown while the data is modified.
  setWindowTitle(QString::fromUtf8(kProgramTitle) + QStringLiteral("[*]"));
  setFont(uiFont());
  // The strip must not be hidden through the tool-bar context menu.
  setContextMenuPolicy(Qt::NoContextMenu);

  // Before the commands, as the ウィンドウ commands are the work area's own;
  // parented only below, so that the strip stays the first of the children
  // and a search by name meets its buttons before any window's.
  workArea_ = new QMdiArea;
  workArea_->setObjectName(QStringLiteral("workArea"));
  workArea_->setAccessibleName(QStringLiteral("作業領域"));
  // Every frame is added to the viewport: each is watched as it closes.
  workArea_->viewport()->installEventFilter(this);

  // The commands first: the menus and the strip buttons both follow them.
  buildActions();
  buildMenus();
  auto* strip = new QToolBar(this);
  strip->setObjectName(QStringLiteral("Picture1"));
  strip->setMovable(false);
  strip->setFloatable(false);
  strip->addWidget(buildButtonStrip());
  addToolBar(Qt::TopToolBarArea, strip);

  setCentralWidget(workArea_);
  fillWindowMenu();
  buildStatusBar();

  resize(1024, 740);
  restoreWindowGeometry();

  session_->setDataDir(dataDir);
  if (!startupNoticePending_) {
    startupNoticePending_ = true;
    showWaitingNotice();
  }
  load();
  if (initMsg_ != nullptr) initMsg_->close();
}

const AppState& MainWindow::state() const { return session_->data(); }

MainWindow::~MainWindow() {
  // The child windows refer to the state: they go first.
  delete workArea_;
}

QWidget* MainWindow::buildButtonStrip() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);

  auto makeButton = [&](const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, row);
    button->setObjectName(QString::fromLatin1(name));
    // Spoken in full-width kana (NFKC turns ﾃﾞｰﾀ into データ): a screen
    // reader may spell half-width kana out sign by sign.
    button->setAccessibleName(caption.normalized(QString::NormalizationForm_KC));
    button->setFocusPolicy(Qt::TabFocus);
    return button;
  };
  entryButton_ = makeButton("Command3D1", QStringLiteral("収支入力"));
  yearBrowseButton_ = makeButton("Blowse", QStringLiteral("総合分析"));
  analysisButton_ = makeButton("BLOWSENEW", QStringLiteral("統計分析"));
  switchButton_ = makeButton("SSCommand1", QStringLiteral("ﾃﾞｰﾀ入れ替え"));
  initButton_ = makeButton("Command3D2", QStringLiteral("ﾃﾞｰﾀ初期化"));
  finishButton_ = makeButton("Finish", QStringLiteral("終了"));

  QPushButton* const all[] = {entryButton_,  yearBrowseButton_, analysisButton_,
                              switchButton_, initButton_,       finishButton_};
  // One size for all six: wide enough for the longest caption.
  const QFontMetrics metrics(uiFont());
  int width = 0;
  int height = 0;
  for (const QPushButton* button : all) {
    width = std::max(width, button->sizeHint().width());
    width = std::max(width, metrics.horizontalAdvance(button->text()) + 24);
    height = std::max(height, button->sizeHint().height());
  }
  height = std::max(height, metrics.height() + 16);
  for (QPushButton* button : all) button->setFixedSize(width, height);

  layout->addWidget(entryButton_);
  layout->addWidget(yearBrowseButton_);
  layout->addWidget(analysisButton_);
  layout->addWidget(switchButton_);
  layout->addWidget(initButton_);
  layout->addSpacing(width);
  layout->addWidget(finishButton_);
  layout->addStretch(1);

  follow(entryButton_, entryAction_);
  follow(yearBrowseButton_, yearBrowseAction_);
  follow(analysisButton_, analysisAction_);
  follow(switchButton_, switchAction_);
  follow(initButton_, initAction_);
  follow(finishButton_, finishAction_);
  return row;
}

void MainWindow::showWaitingNotice() {
  initMsg_ = new QWidget(this, Qt::Dialog | Qt::FramelessWindowHint);
  initMsg_->setObjectName(QStringLiteral("InitMsg"));
  initMsg_->setFont(uiFont());
  auto* layout = new QVBoxLayout(initMsg_);
  layout->setContentsMargins(4, 4, 4, 4);
  auto* panel =
      new QLabel(QStringLiteral("データ解析中です。    しばらくお待ち下さい。"), initMsg_);
  panel->setObjectName(QStringLiteral("Panel3D1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setLineWidth(2);
  panel->setAlignment(Qt::AlignCenter);
  panel->setMargin(16);
  layout->addWidget(panel);
  initMsg_->adjustSize();

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    initMsg_->move(area.left() + (area.width() - initMsg_->width()) / 2,
                   area.top() + (area.height() - initMsg_->height()) / 2);
  }
  initMsg_->show();
  // The load runs inside this event: paint the notice now or it never shows.
  initMsg_->repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

LoadOutcome MainWindow::load() {
  const LoadOutcome outcome = session_->load();
  dataDirLabel_->setText(QDir::toNativeSeparators(session_->dataDirPath()));
  // Either file failing leaves the data unusable for the working windows.
  if (outcome.ok()) {
    tellStatus(QStringLiteral("データを読み込みました"));
  } else {
    disableWorkingCommands(/*includingSwitch=*/true);
  }
  return outcome;
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::WindowActivate && startupNoticePending_) reportLoadResult();
  // A work-area frame clears the marker whenever it changes parent (Qt
  // takes it for the frame's own, as if it were shown maximised): the data
  // alone decides it.
  if (event->type() == QEvent::ModifiedChange && session_ != nullptr &&
      isWindowModified() != session_->isModified()) {
    setWindowModified(session_->isModified());
  }
  return handled;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Nothing of the work area is asked here: its children come and go while
  // it is being destroyed too.
  if (event->type() == QEvent::ChildAdded) {
    QObject* child = static_cast<QChildEvent*>(event)->child();
    if (auto* frame = qobject_cast<QMdiSubWindow*>(child)) frame->installEventFilter(this);
  } else if (event->type() == QEvent::Close) {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(watched)) frameClosing(frame);
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::frameClosing(QMdiSubWindow* closing) {
  // Only the active window hands the keys on; one closed behind it leaves
  // them where they are.
  if (closing != workArea_->currentSubWindow()) return;
  // Taken before the frame goes: as it hides, Qt may hand the top of the
  // pile to a window that lay behind the one the user sees next, leaving
  // the keys with a window drawn grey.
  QMdiSubWindow* next = nullptr;
  for (QMdiSubWindow* frame : workArea_->subWindowList(QMdiArea::StackingOrder)) {
    if (frame != closing && isOpen(frame) && !frame->isMinimized()) next = frame;
  }
  if (next == nullptr) return;
  // After the close has run its course, and only if it went through.
  QMetaObject::invokeMethod(
      this,
      [this, gone = QPointer<QMdiSubWindow>(closing), front = QPointer<QMdiSubWindow>(next)] {
        if (gone && isOpen(gone)) return;
        if (front && isOpen(front)) {
          front->raise();
          workArea_->setActiveSubWindow(front);
        }
      },
      Qt::QueuedConnection);
}

void MainWindow::reportLoadResult() {
  if (initMsg_ != nullptr && initMsg_->isVisible()) initMsg_->close();
  // Cleared before the box is shown: closing the box activates this window
  // again, and the start-up load is reported once only.
  startupNoticePending_ = false;
  if (state().LoadResult != LoadCode::Ok) {
    reportFailedLoad(messages_, state().LoadResult, session_->lastLoad());
  }
}

bool MainWindow::refuseSecondCopy(const QString& name) {
  ChildWindow* open = findOpenWindow(workArea_, name);
  if (open == nullptr) return false;
  messages_.error(kAlreadyOpen);
  // Hidden behind others, the user would not find it.
  ChildWindow::bringToFront(open);
  return true;
}

void MainWindow::openEntry() {
  if (refuseSecondCopy(QStringLiteral("Finput"))) return;
  if (state().LoadResult == LoadCode::Ok) {
    auto* entry = new EntryWindow(*session_, messages_);
    // Reopened in the same run, the window shows the day it showed last.
    connect(entry, &EntryWindow::dayShown, this, [this](int month, int day) {
      entryDay_ = DaySlot{month, day};
    });
    openChildWindow(*workArea_, entry);
    entry->startOn(entryDay_);
  } else {
    messages_.error(QStringLiteral("ファイルが破損または存在しません"));
  }
}

void MainWindow::openYearBrowse() {
  if (refuseSecondCopy(YearBrowse::kName)) return;
  // A new year browse starts the drill-down afresh.
  closeMonthAndDayBrowse(*workArea_);
  openChildWindow(*workArea_, new YearBrowse(*session_, messages_));
}

void MainWindow::openAnalysis() {
  if (refuseSecondCopy(AnalysisWindow::kName)) return;
  openChildWindow(*workArea_, new AnalysisWindow(*session_, messages_));
}

bool MainWindow::windowOpenBesides(const ChildWindow* except) const {
  const QMdiSubWindow* exceptFrame = except != nullptr ? except->subWindow() : nullptr;
  const QList<QMdiSubWindow*> frames = workArea_->subWindowList();
  return std::any_of(frames.begin(), frames.end(), [exceptFrame](const QMdiSubWindow* frame) {
    return frame != exceptFrame && isOpen(frame);
  });
}

void MainWindow::switchData() {
  if (switchWindow_ && isOpen(switchWindow_->subWindow())) {
    messages_.error(kAlreadyOpen);
    return;
  }
  // An open window would go on showing, or posting into, the old data.
  if (windowOpenBesides(switchWindow_)) {
    messages_.error(kCloseOthers);
    return;
  }
  if (session_->isModified() && messages_.ask(QStringLiteral("元のデータを更新しますか？"))) {
    const SaveOutcome saved = session_->save();
    if (!saved.ok()) {
      // The program stays on the old directory with its data in memory.
      messages_.error(kWriteError, QString::fromStdString(saveFailureText(saved)));
      return;
    }
  }
  const QString startDir =
      state().DataDirSwitched ? QString::fromStdString(state().DataDir) : QDir::currentPath();
  switchWindow_ = new SwitchWindow(startDir);
  connect(switchWindow_, &SwitchWindow::completed, this, &MainWindow::completeSwitch);
  openChildWindow(*workArea_, switchWindow_);
}

void MainWindow::completeSwitch(const QString& dir) {
  // The switch window is modeless: a window opened meanwhile would go on
  // with the old data, or post its baseline into the new ledger.
  if (windowOpenBesides(switchWindow_)) {
    messages_.error(kCloseOthers);
    return;
  }
  // Taken first, while nothing has changed yet: whatever may refuse a
  // directory refuses there, and the program stays where it was.
  if (!adoptDataDir(dir)) return;
  // Reported as at start-up: a failed load has disabled the working
  // buttons, and the user is told which file failed and why.
  const LoadOutcome outcome = load();
  if (outcome.ok()) {
    messages_.notice(QStringLiteral("データの読み込みが終了しました"));
  } else {
    reportFailedLoad(messages_, outcome.combined(), outcome);
  }
  if (switchWindow_) switchWindow_->closeWindow();
}

bool MainWindow::adoptDataDir(const QString& dir) {
  if (lock_ != nullptr) {
    switch (lock_->tryLock(dir)) {
      case DataDirLock::Result::Locked:
        // Ours now: no other copy can be writing there, so what a crashed
        // save left behind can go, as at start.
        removeSaveLeftoversIn(dir.toStdString());
        break;
      case DataDirLock::Result::HeldByOther:
        messages_.error(dataInUseMessage(lock_->holder()));
        return false;
      case DataDirLock::Result::NotLockable:
        // Nothing can be saved there either; the directory left behind must
        // not stay locked for a copy that works in it.
        lock_->unlock();
        break;
    }
  }
  session_->setDataDir(dir);
  return true;
}

void MainWindow::initialiseData() {
  // Any open window would go on showing, or posting into, the old year; the
  // switch window would go on to load over the reset.
  if (windowOpenBesides(nullptr)) {
    messages_.error(kCloseOthers);
    return;
  }
  // The whole year is lost on はい: Enter and Escape must not get there.
  if (!messages_.ask(QStringLiteral("データを初期化しますか？"), /*defaultYes=*/false)) return;
  // The working windows shut as the session announces the reset.
  session_->resetYear();
}

void MainWindow::confirmFinish() {
  if (messages_.ask(QStringLiteral("終了しますか？"))) close();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (session_->isModified() && messages_.ask(QStringLiteral("データ更新しますか？"))) {
    const SaveOutcome saved = session_->save();
    if (!saved.ok()) {
      // Ending now would throw the user's work away: stay open so the
      // cause can be mended and the exit tried again.
      messages_.error(kWriteError, QString::fromStdString(saveFailureText(saved)));
      event->ignore();
      return;
    }
  }
  storeWindowGeometry();
  event->accept();
}

}  // namespace tamrel
