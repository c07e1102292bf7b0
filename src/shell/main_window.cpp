#include "shell/main_window.h"

#include <QApplication>
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

#include "analysis/analysis_window.h"
#include "browse/year_browse.h"
#include "entry/entry_window.h"
#include "ledger/ledger_init.h"
#include "shell/data_dir_lock.h"
#include "state/app_state.h"
#include "state/data_files.h"
#include "state/data_session.h"
#include "switch/switch_window.h"
#include "widgets/child_window.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

const QString kAlreadyOpen = QStringLiteral("すでにウィンドウは開かれています");
const QString kCloseOthers = QStringLiteral("他のウィンドウを全て閉じて下さい");
const QString kWriteError = QStringLiteral("ファイル書き込みエラー");

}  // namespace

MainWindow::MainWindow(Messages& messages, const QString& dataDir, QWidget* parent)
    : QMainWindow(parent), messages_(messages), session_(new DataSession(this)) {
  setObjectName(QStringLiteral("Fmain"));
  setWindowTitle(QStringLiteral("Tamrel Ver2.03"));
  setFont(uiFont());
  // The strip must not be hidden through the tool-bar context menu.
  setContextMenuPolicy(Qt::NoContextMenu);

  auto* strip = new QToolBar(this);
  strip->setObjectName(QStringLiteral("Picture1"));
  strip->setMovable(false);
  strip->setFloatable(false);
  strip->addWidget(buildButtonStrip());
  addToolBar(Qt::TopToolBarArea, strip);

  workArea_ = new QMdiArea(this);
  workArea_->setObjectName(QStringLiteral("workArea"));
  workArea_->setAccessibleName(QStringLiteral("作業領域"));
  setCentralWidget(workArea_);
  resize(1024, 740);

  session_->setDataDir(dataDir);
  if (!state().StartupNoticePending) {
    state().StartupNoticePending = true;
    showWaitingNotice();
  }
  load();
  state().OpenWindowCount = 0;
  if (initMsg_ != nullptr) initMsg_->close();
}

AppState& MainWindow::state() { return session_->legacyState(); }
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

  connect(entryButton_, &QPushButton::clicked, this, &MainWindow::openEntry);
  connect(yearBrowseButton_, &QPushButton::clicked, this, &MainWindow::openYearBrowse);
  connect(analysisButton_, &QPushButton::clicked, this, &MainWindow::openAnalysis);
  connect(switchButton_, &QPushButton::clicked, this, &MainWindow::switchData);
  connect(initButton_, &QPushButton::clicked, this, &MainWindow::initialiseData);
  connect(finishButton_, &QPushButton::clicked, this, &MainWindow::confirmFinish);
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
  // Either file failing leaves the data unusable for the working windows.
  if (!outcome.ok()) disableWorkingButtons();
  return outcome;
}

void MainWindow::disableWorkingButtons() {
  entryButton_->setEnabled(false);
  yearBrowseButton_->setEnabled(false);
  analysisButton_->setEnabled(false);
  switchButton_->setEnabled(false);
}

bool MainWindow::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  if (event->type() == QEvent::WindowActivate && state().StartupNoticePending) reportLoadResult();
  return handled;
}

void MainWindow::reportLoadResult() {
  if (initMsg_ != nullptr && initMsg_->isVisible()) initMsg_->close();
  // Cleared before the box is shown: closing the box activates this window
  // again, and the start-up load is reported once only.
  state().StartupNoticePending = false;
  if (state().LoadResult != LoadCode::Ok)
    messages_.error(QString::fromStdString(loadCodeMessage(state().LoadResult)));
}

void MainWindow::openEntry() {
  if (findOpenWindow(workArea_, QStringLiteral("Finput")) != nullptr) {
    messages_.error(kAlreadyOpen);
  } else if (state().LoadResult == LoadCode::Ok) {
    state().OpenWindowCount = 1;
    auto* entry = new EntryWindow(*session_, messages_);
    connect(entry, &QObject::destroyed, this, [this] { state().OpenWindowCount = 0; });
    openChildWindow(*workArea_, entry);
  } else {
    messages_.error(QStringLiteral("ファイルが破損または存在しません"));
  }
}

void MainWindow::openYearBrowse() {
  if (state().YearBrowseOpen) {
    messages_.error(kAlreadyOpen);
    return;
  }
  // A new year browse starts the drill-down afresh.
  closeMonthAndDayBrowse(*workArea_);
  state().OpenWindowCount = 2;
  state().YearBrowseOpen = true;
  openChildWindow(*workArea_, new YearBrowse(state(), messages_));
}

void MainWindow::openAnalysis() {
  if (state().AnalysisOpen) {
    messages_.error(kAlreadyOpen);
    return;
  }
  state().AnalysisOpen = true;
  openChildWindow(*workArea_, new AnalysisWindow(state(), messages_));
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
  // Every step runs whatever the one before gave; a failed load has disabled
  // the working buttons, and nothing enables them again.
  const LoadOutcome outcome = load();
  state().OpenWindowCount = 0;
  if (outcome.tickets == LoadCode::Ok) {
    messages_.notice(QStringLiteral("データの読み込みが終了しました"));
  }
  if (switchWindow_) switchWindow_->closeWindow();
}

bool MainWindow::adoptDataDir(const QString& dir) {
  if (lock_ != nullptr) {
    switch (lock_->tryLock(dir)) {
      case DataDirLock::Result::Locked:
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
  // The flags miss a graph left open by its browse window, and the switch
  // window, which would go on to load over the reset.
  if (state().OpenWindowCount >= 1 || state().AnalysisOpen || windowOpenBesides(nullptr)) {
    messages_.error(kCloseOthers);
    return;
  }
  if (!messages_.ask(QStringLiteral("データを初期化しますか？"))) return;
  session_->resetYear();
  // The reset year is not on disk yet: the working windows stay shut until
  // the next start.
  entryButton_->setEnabled(false);
  yearBrowseButton_->setEnabled(false);
  analysisButton_->setEnabled(false);
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
  event->accept();
}

}  // namespace tamrel
