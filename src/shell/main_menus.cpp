// The main window's commands: one QAction each, shared by the menu bar and
// the strip buttons, so a menu item keeps every rule its button keeps; the
// status bar and the remembered geometry.

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>

#include "base/version.h"
#include "benchmark/benchmark_window.h"
#include "cross/cross_window.h"
#include "export/report_dialog.h"
#include "income/income_window.h"
#include "shell/main_window.h"
#include "state/data_session.h"
#include "store/data_files.h"
#include "trend/trend_window.h"
#include "widgets/child_window.h"
#include "widgets/messages.h"
#include "widgets/settings.h"
#include "years/years_window.h"

namespace tamrel {

namespace {

const QString kWriteError = QStringLiteral("ファイル書き込みエラー");
constexpr int kStatusMillis = 5000;
const QString kGeometryKey = QStringLiteral("mainWindow/geometry");

}  // namespace

QAction* MainWindow::addCommand(const char* name, const QString& text, void (MainWindow::*slot)()) {
  auto* command = new QAction(text, this);
  command->setObjectName(QString::fromLatin1(name));
  connect(command, &QAction::triggered, this, slot);
  return command;
}

void MainWindow::buildActions() {
  saveAction_ = addCommand("actionSave", QStringLiteral("保存(&S)"), &MainWindow::saveNow);
  saveAction_->setShortcut(QKeySequence::Save);
  // Nothing to save until something changed: saving the data of a failed
  // load would overwrite the files it could not read.
  saveAction_->setEnabled(false);
  switchAction_ =
      addCommand("actionSwitch", QStringLiteral("ﾃﾞｰﾀ入れ替え(&D)..."), &MainWindow::switchData);
  initAction_ = addCommand("actionInitialise", QStringLiteral("ﾃﾞｰﾀ初期化(&I)..."),
                           &MainWindow::initialiseData);
  finishAction_ =
      addCommand("actionFinish", QStringLiteral("終了(&X)"), &MainWindow::confirmFinish);
  finishAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  entryAction_ = addCommand("actionEntry", QStringLiteral("収支入力(&E)"), &MainWindow::openEntry);
  yearBrowseAction_ =
      addCommand("actionYearBrowse", QStringLiteral("総合分析(&Y)"), &MainWindow::openYearBrowse);
  analysisAction_ =
      addCommand("actionAnalysis", QStringLiteral("統計分析(&A)"), &MainWindow::openAnalysis);
  exportAction_ =
      addCommand("actionExportCsv", QStringLiteral("CSV書き出し(&C)..."), &MainWindow::exportCsv);
  // Reports of a year that did not load, or was reset, would be empty.
  viewActions_ = {entryAction_, yearBrowseAction_, analysisAction_, exportAction_};

  const auto areaCommand = [this](const char* name, const QString& text, void (QMdiArea::*slot)()) {
    auto* command = new QAction(text, this);
    command->setObjectName(QString::fromLatin1(name));
    // Straight to the work area's slot: called through a pointer to member
    // in a lambda nested in this one, GCC's sanitizer build read `this`
    // from a stack frame already gone and aborted.
    connect(command, &QAction::triggered, workArea_, slot);
    windowCommands_.append(command);
    return command;
  };
  areaCommand("actionCascade", QStringLiteral("重ねて表示(&C)"), &QMdiArea::cascadeSubWindows);
  areaCommand("actionTile", QStringLiteral("並べて表示(&T)"), &QMdiArea::tileSubWindows);
  areaCommand("actionNextWindow", QStringLiteral("次のウィンドウ(&N)"),
              &QMdiArea::activateNextSubWindow)
      ->setShortcuts(QKeySequence::NextChild);
  // The menu shows the first of the keys: the ones a user presses, rather
  // than Qt's Backtab (what X reports for Shift+Tab), which stays bound
  // behind them so the press still matches.
  const QKeySequence shiftTab(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab);
  QList<QKeySequence> previous = QKeySequence::keyBindings(QKeySequence::PreviousChild);
  previous.removeAll(shiftTab);
  previous.prepend(shiftTab);
  areaCommand("actionPreviousWindow", QStringLiteral("前のウィンドウ(&P)"),
              &QMdiArea::activatePreviousSubWindow)
      ->setShortcuts(previous);
}

void MainWindow::buildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
  file->setObjectName(QStringLiteral("menuFile"));
  file->addAction(saveAction_);
  file->addAction(exportAction_);
  file->addActions({switchAction_, initAction_});
  file->addSeparator();
  file->addAction(finishAction_);

  QMenu* view = menuBar()->addMenu(QStringLiteral("表示(&V)"));
  view->setObjectName(QStringLiteral("menuView"));
  view->addActions({entryAction_, yearBrowseAction_, analysisAction_});
  view->addSeparator();
  addViews(view);

  windowMenu_ = menuBar()->addMenu(QStringLiteral("ウィンドウ(&W)"));
  windowMenu_->setObjectName(QStringLiteral("menuWindow"));
  connect(windowMenu_, &QMenu::aboutToShow, this, &MainWindow::fillWindowMenu);

  QMenu* help = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
  help->setObjectName(QStringLiteral("menuHelp"));
  help->addAction(
      addCommand("actionAbout", QStringLiteral("バージョン情報(&A)"), &MainWindow::showAbout));
}

void MainWindow::addViews(QMenu* menu) {
  // Each view beyond the seed's is one entry here.
  addView(menu, "actionTrend", QStringLiteral("収支推移(&T)"), QStringLiteral("Trend"),
          [](const DataSession& s, Messages& m) { return new TrendWindow(s, m); });
  addView(menu, "actionCross", QStringLiteral("クロス分析(&C)"), QStringLiteral("Cross"),
          [](const DataSession& s, Messages& m) { return new CrossWindow(s, m); });
  addView(menu, "actionYears", QStringLiteral("年別比較(&N)"), QStringLiteral("Years"),
          [](const DataSession& s, Messages& m) { return new YearsWindow(s, m); });
  addView(menu, "actionBenchmark", QStringLiteral("運か実力か(&L)"), QStringLiteral("Benchmark"),
          [](const DataSession& s, Messages& m) { return new BenchmarkWindow(s, m); });
  addView(menu, "actionIncome", QStringLiteral("一時所得(&I)"), QStringLiteral("Income"),
          [](const DataSession& s, Messages& m) { return new IncomeWindow(s, m); });
}

QAction* MainWindow::addView(QMenu* menu, const char* actionName, const QString& text,
                             const QString& viewName, ViewFactory make) {
  auto* command = new QAction(text, this);
  command->setObjectName(QString::fromLatin1(actionName));
  connect(command, &QAction::triggered, this,
          [this, viewName, make = std::move(make)] { openView(viewName, make); });
  menu->addAction(command);
  viewActions_.append(command);
  return command;
}

void MainWindow::openView(const QString& name, const ViewFactory& make) {
  if (refuseSecondCopy(name)) return;
  openChildWindow(*workArea_, make(*session_, messages_));
}

void MainWindow::exportCsv() { exportReport(this, *session_, messages_); }

QAction* MainWindow::action(const QString& name) const {
  return findChild<QAction*>(name, Qt::FindDirectChildrenOnly);
}

void MainWindow::fillWindowMenu() {
  windowMenu_->clear();
  QList<QMdiSubWindow*> open;
  for (QMdiSubWindow* frame : workArea_->subWindowList()) {
    if (isOpen(frame)) open.append(frame);
  }
  for (QAction* command : windowCommands_) command->setEnabled(!open.isEmpty());
  windowMenu_->addActions(windowCommands_);
  windowMenu_->addSeparator();
  for (int i = 0; i < open.size(); ++i) {
    QMdiSubWindow* frame = open[i];
    // The first nine are reached by their digit, as in every MDI program.
    const QString mnemonic = i < 9 ? QStringLiteral("&%1 ").arg(i + 1) : QString();
    QAction* entry = windowMenu_->addAction(mnemonic + frame->windowTitle());
    entry->setCheckable(true);
    entry->setChecked(frame == workArea_->currentSubWindow());
    connect(entry, &QAction::triggered, frame, [frame] {
      if (auto* child = qobject_cast<ChildWindow*>(frame->widget())) {
        ChildWindow::bringToFront(child);
      } else if (QMdiArea* area = frame->mdiArea()) {
        area->setActiveSubWindow(frame);
      }
    });
  }
}

void MainWindow::follow(QPushButton* button, QAction* command) {
  button->setEnabled(command->isEnabled());
  connect(command, &QAction::changed, button,
          [button, command] { button->setEnabled(command->isEnabled()); });
  connect(button, &QPushButton::clicked, command, &QAction::trigger);
}

void MainWindow::disableWorkingCommands(bool includingSwitch) {
  for (QAction* command : viewActions_) command->setEnabled(false);
  if (includingSwitch) switchAction_->setEnabled(false);
}

void MainWindow::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("statusBar"));
  bar->setAccessibleName(QStringLiteral("ステータスバー"));
  unsavedLabel_ = new QLabel(QStringLiteral("未保存の変更があります"), bar);
  unsavedLabel_->setObjectName(QStringLiteral("statusUnsaved"));
  unsavedLabel_->setVisible(false);
  dataDirLabel_ = new QLabel(bar);
  dataDirLabel_->setObjectName(QStringLiteral("statusDataDir"));
  dataDirLabel_->setAccessibleName(QStringLiteral("データディレクトリ"));
  dataDirLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  bar->addPermanentWidget(unsavedLabel_);
  bar->addPermanentWidget(dataDirLabel_);

  connect(session_, &DataSession::modifiedChanged, this, &MainWindow::showModified);
  connect(session_, &DataSession::yearReset, this, [this] {
    tellStatus(QStringLiteral("新しい年を始めました。保存して再起動すると入力できます"));
  });
}

void MainWindow::tellStatus(const QString& text) { statusBar()->showMessage(text, kStatusMillis); }

void MainWindow::showModified(bool modified) {
  setWindowModified(modified);
  unsavedLabel_->setVisible(modified);
  saveAction_->setEnabled(modified);
}

void MainWindow::saveNow() {
  if (!session_->isModified()) return;
  const SaveOutcome saved = session_->save();
  if (!saved.ok()) {
    // Everything stays in memory, still marked unsaved, for another try.
    messages_.error(kWriteError, QString::fromStdString(saveFailureText(saved)));
    return;
  }
  tellStatus(QStringLiteral("保存しました"));
}

void MainWindow::showAbout() {
  const QString text =
      QStringLiteral(
          "%3\n"
          "競馬の収支を記録する家計簿\n\n"
          "ライセンス: GPL-3.0-or-later\n"
          "Qt %1\n\n"
          "データディレクトリ:\n%2")
          .arg(QString::fromLatin1(qVersion()), QDir::toNativeSeparators(session_->dataDirPath()),
               QString::fromUtf8(kProgramTitle));
  messages_.inform(QStringLiteral("バージョン情報"), text);
}

void MainWindow::restoreWindowGeometry() {
  const QByteArray geometry = programSettings()->value(kGeometryKey).toByteArray();
  if (!geometry.isEmpty()) restoreGeometry(geometry);
}

void MainWindow::storeWindowGeometry() const {
  programSettings()->setValue(kGeometryKey, saveGeometry());
}

}  // namespace tamrel
