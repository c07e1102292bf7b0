// The main window's commands: one QAction each, shared by the menu bar and
// the strip buttons, so a menu item keeps every rule its button keeps; the
// status bar and the remembered geometry.

#include <QAction>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QUndoStack>
#include <QUndoView>
#include <QVBoxLayout>

#include "base/version.h"
#include "benchmark/benchmark_window.h"
#include "budget/budget_dialog.h"
#include "budget/budget_status.h"
#include "cross/cross_window.h"
#include "entry/entry_window.h"
#include "export/report_dialog.h"
#include "income/income_window.h"
#include "intake/import_window.h"
#include "shell/main_window.h"
#include "state/data_session.h"
#include "store/data_files.h"
#include "ticketlist/ticket_list.h"
#include "trend/trend_window.h"
#include "widgets/child_window.h"
#include "widgets/messages.h"
#include "widgets/print_page.h"
#include "widgets/settings.h"
#include "years/years_window.h"

namespace tamrel {

namespace {

const QString kWriteError = QStringLiteral("ファイル書き込みエラー");
constexpr int kStatusMillis = 5000;
const QString kGeometryKey = QStringLiteral("mainWindow/geometry");
const QString kUndo = QStringLiteral("元に戻す");
const QString kRedo = QStringLiteral("やり直し");

// "元に戻す: ３月５日の収支(&U)": the step named, the mnemonic last as in
// every Japanese menu.
QString stepCaption(const QString& verb, const QString& step, QChar mnemonic) {
  const QString named = step.isEmpty() ? verb : verb + QStringLiteral(": ") + step;
  return named + QStringLiteral("(&") + mnemonic + QLatin1Char(')');
}

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
  // 印刷… and PDF保存… put the active view on paper; greyed while the
  // window in front has nothing to print.
  const auto activePage = [this]() -> std::optional<PrintPage> {
    QMdiSubWindow* frame = workArea_->currentSubWindow();
    const auto* child = frame != nullptr && isOpen(frame)
                            ? qobject_cast<const ChildWindow*>(frame->widget())
                            : nullptr;
    return child != nullptr ? child->printPage() : std::nullopt;
  };
  auto* print = new QAction(QStringLiteral("印刷(&P)..."), this);
  print->setObjectName(QStringLiteral("actionPrint"));
  print->setShortcut(QKeySequence::Print);
  connect(print, &QAction::triggered, this, [this, activePage] {
    if (const std::optional<PrintPage> page = activePage()) {
      showPrintPreview(this, *page, session_->dataDirPath());
    }
  });
  auto* pdf = new QAction(QStringLiteral("PDF保存(&F)..."), this);
  pdf->setObjectName(QStringLiteral("actionSavePdf"));
  connect(pdf, &QAction::triggered, this, [this, activePage] {
    if (const std::optional<PrintPage> page = activePage()) {
      savePrintPdf(this, *session_, messages_, *page);
    }
  });
  const auto followActive = [print, pdf, activePage] {
    const bool prints = activePage().has_value();
    print->setEnabled(prints);
    pdf->setEnabled(prints);
  };
  connect(workArea_, &QMdiArea::subWindowActivated, this, followActive);
  followActive();

  // Changes of the year: shut with the working windows. A file dropped on
  // the window is the same command.
  setAcceptDrops(true);
  viewActions_.append(
      addCommand("actionImport", QStringLiteral("取り込み(&M)..."), &MainWindow::importFile));
  viewActions_.append(addCommand("actionImportClipboard", QStringLiteral("貼り付けて取り込み(&V)"),
                                 &MainWindow::importClipboard));
  QUndoStack* steps = session_->undoStack();
  undoAction_ = new QAction(this);
  undoAction_->setObjectName(QStringLiteral("actionUndo"));
  undoAction_->setShortcut(QKeySequence::Undo);
  connect(undoAction_, &QAction::triggered, this, [this, steps] {
    if (!steps->canUndo()) return;
    const QString step = steps->undoText();
    steps->undo();
    tellStatus(QStringLiteral("元に戻しました: ") + step);
  });
  redoAction_ = new QAction(this);
  redoAction_->setObjectName(QStringLiteral("actionRedo"));
  redoAction_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  connect(redoAction_, &QAction::triggered, this, [this, steps] {
    if (!steps->canRedo()) return;
    const QString step = steps->redoText();
    steps->redo();
    tellStatus(QStringLiteral("やり直しました: ") + step);
  });
  connect(steps, &QUndoStack::indexChanged, this, &MainWindow::nameUndoSteps);
  connect(steps, &QUndoStack::cleanChanged, this, &MainWindow::nameUndoSteps);
  nameUndoSteps();
  historyAction_ =
      addCommand("actionHistory", QStringLiteral("履歴(&H)..."), &MainWindow::showHistory);

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
  file->addActions(
      {action(QStringLiteral("actionImport")), action(QStringLiteral("actionImportClipboard"))});
  file->addAction(exportAction_);
  file->addSeparator();
  file->addActions(
      {action(QStringLiteral("actionPrint")), action(QStringLiteral("actionSavePdf"))});
  file->addSeparator();
  // 予算 belongs to the data directory, not to the year's files: it may be
  // set whether or not the year loaded.
  auto* budget = new QAction(QStringLiteral("予算(&B)..."), this);
  budget->setObjectName(QStringLiteral("actionBudget"));
  connect(budget, &QAction::triggered, this, [this] {
    if (!editBudget(this, *session_, messages_)) return;
    findChild<BudgetStatusLabel*>()->refresh();
    // 収支推移 draws each month against its limit: new limits show at once.
    if (ChildWindow* trend = findOpenWindow(workArea_, QStringLiteral("Trend"))) {
      trend->followData();
    }
  });
  file->addAction(budget);
  file->addSeparator();
  file->addActions({switchAction_, initAction_});
  file->addSeparator();
  file->addAction(finishAction_);

  QMenu* edit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
  edit->setObjectName(QStringLiteral("menuEdit"));
  edit->addActions({undoAction_, redoAction_});
  edit->addSeparator();
  edit->addAction(historyAction_);

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
          [this](const DataSession& s, Messages& m) {
            auto* cross = new CrossWindow(s, m);
            // A cell's tickets open in 馬券一覧, filtered to its pair.
            connect(cross, &CrossWindow::ticketsWanted, this, [this](const TicketFilter& filter) {
              if (findOpenWindow(workArea_, QStringLiteral("TicketList")) == nullptr) {
                action(QStringLiteral("actionTicketList"))->trigger();
              }
              auto* list = qobject_cast<TicketList*>(
                  findOpenWindow(workArea_, QStringLiteral("TicketList")));
              if (list == nullptr) return;
              ChildWindow::bringToFront(list);
              list->setFilter(filter);
            });
            return cross;
          });
  addView(menu, "actionYears", QStringLiteral("年別比較(&N)"), QStringLiteral("Years"),
          [](const DataSession& s, Messages& m) { return new YearsWindow(s, m); });
  addView(menu, "actionBenchmark", QStringLiteral("運か実力か(&L)"), QStringLiteral("Benchmark"),
          [](const DataSession& s, Messages& m) { return new BenchmarkWindow(s, m); });
  addView(menu, "actionIncome", QStringLiteral("一時所得(&I)"), QStringLiteral("Income"),
          [](const DataSession& s, Messages& m) { return new IncomeWindow(s, m); });
  addView(menu, "actionTicketList", QStringLiteral("馬券一覧(&K)"), QStringLiteral("TicketList"),
          [this](const DataSession& s, Messages& m) {
            auto* list = new TicketList(s, m);
            // A ticket's day opens as if chosen in 収支入力, with its 詳細入力.
            connect(list, &TicketList::dayChosen, this, [this](int month, int day) {
              if (findOpenWindow(workArea_, QStringLiteral("Finput")) == nullptr) openEntry();
              auto* entry =
                  qobject_cast<EntryWindow*>(findOpenWindow(workArea_, QStringLiteral("Finput")));
              if (entry == nullptr) return;
              ChildWindow::bringToFront(entry);
              entry->openDay(month, day);
            });
            return list;
          });
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

void MainWindow::importFile() {
  QFileDialog dialog(this, QStringLiteral("取り込み"));
  dialog.setObjectName(QStringLiteral("ImportDialog"));
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters({QStringLiteral("CSV・タブ区切り (*.csv *.txt *.tsv)"),
                         QStringLiteral("すべてのファイル (*)")});
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  importPath(dialog.selectedFiles().front());
}

namespace {

// The file a drag brings that 取り込み reads; empty for any other drag.
QString droppedImportFile(const QMimeData* data) {
  if (data == nullptr || data->urls().size() != 1) return {};
  const QString path = data->urls().front().toLocalFile();
  const QString suffix = QFileInfo(path).suffix().toLower();
  const bool text = suffix == QLatin1String("csv") || suffix == QLatin1String("tsv") ||
                    suffix == QLatin1String("txt");
  return text ? path : QString();
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QAction* import = action(QStringLiteral("actionImport"));
  if (import->isEnabled() && !droppedImportFile(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = droppedImportFile(event->mimeData());
  if (path.isEmpty() || !action(QStringLiteral("actionImport"))->isEnabled()) return;
  event->acceptProposedAction();
  importPath(path);
}

void MainWindow::importPath(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    messages_.error(QStringLiteral("取り込めません"),
                    QDir::toNativeSeparators(path) + QLatin1Char('\n') + file.errorString());
    return;
  }
  // One byte past the limit is enough to refuse it; a larger file is never
  // read whole.
  const QByteArray bytes = file.read(static_cast<qint64>(kImportMaxBytes) + 1);
  openImport(bytes, QString(), QDir::toNativeSeparators(path));
}

void MainWindow::importClipboard() {
  const QString text = QGuiApplication::clipboard()->text();
  if (text.isEmpty()) {
    messages_.error(QStringLiteral("クリップボードに文字がありません"));
    return;
  }
  openImport(QByteArray(), text, QStringLiteral("クリップボード"));
}

ChildWindow* MainWindow::openImport(const QByteArray& bytes, const QString& text,
                                    const QString& source) {
  // A preview changes nothing: a new one takes the place of the old.
  if (ChildWindow* open = findOpenWindow(workArea_, QStringLiteral("Import"))) open->closeWindow();
  auto* window = new ImportWindow(*session_, messages_, TrendWindow::defaultYear(*session_));
  const bool shown =
      text.isNull() ? window->showBytes(bytes, source) : window->showText(text, source);
  if (!shown) {
    delete window;
    return nullptr;
  }
  openChildWindow(*workArea_, window);
  return window;
}

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
  bar->addPermanentWidget(new BudgetStatusLabel(*session_, bar));
  bar->addPermanentWidget(dataDirLabel_);

  connect(session_, &DataSession::modifiedChanged, this, &MainWindow::showModified);
  connect(session_, &DataSession::yearReset, this, &MainWindow::followYearReset);
}

void MainWindow::nameUndoSteps() {
  const QUndoStack* steps = session_->undoStack();
  undoAction_->setText(stepCaption(kUndo, steps->undoText(), QLatin1Char('U')));
  undoAction_->setEnabled(steps->canUndo());
  redoAction_->setText(stepCaption(kRedo, steps->redoText(), QLatin1Char('R')));
  redoAction_->setEnabled(steps->canRedo());
}

void MainWindow::followYearReset() {
  if (state().YearReset) {
    // The reset year is not on disk yet: the working windows stay shut
    // until the next start, or until the reset is undone.
    disableWorkingCommands(/*includingSwitch=*/false);
    tellStatus(QStringLiteral("新しい年を始めました。保存して再起動すると入力できます"));
    return;
  }
  // As they were before the reset: open after a good load.
  for (QAction* command : viewActions_) command->setEnabled(state().LoadResult == LoadCode::Ok);
}

void MainWindow::showHistory() {
  if (history_) {
    history_->raise();
    history_->activateWindow();
    return;
  }
  // A tool window beside the work area, not in it: it is no working window
  // and must not stop a switch or a ﾃﾞｰﾀ初期化.
  auto* dialog = new QDialog(this, Qt::Tool);
  dialog->setObjectName(QStringLiteral("History"));
  dialog->setWindowTitle(QStringLiteral("履歴"));
  dialog->setAccessibleName(dialog->windowTitle());
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  auto* list = new QUndoView(session_->undoStack(), dialog);
  list->setObjectName(QStringLiteral("historyView"));
  list->setAccessibleName(QStringLiteral("変更の履歴"));
  list->setEmptyLabel(QStringLiteral("読み込んだとき"));
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* close = buttons->addButton(QStringLiteral("閉じる"), QDialogButtonBox::RejectRole);
  close->setObjectName(QStringLiteral("historyClose"));
  close->setAccessibleName(close->text());
  connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(list);
  layout->addWidget(buttons);
  dialog->resize(320, 360);
  history_ = dialog;
  dialog->show();
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
