#pragma once
// The frame of the program: the menu bar and the button strip, the work
// area hosting every child window, the status bar, start-up (loading both
// files), 保存 and exit (the save).

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

#include "entry/day_marks.h"

class QAction;
class QDialog;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPushButton;
class QWidget;

namespace tamrel {

struct AppState;
class ChildWindow;
class DataDirLock;
class DataSession;
struct LoadOutcome;
class Messages;
class SwitchWindow;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // Loads both data files while the waiting notice is up. The program itself
  // passes no directory and works on the bare file names in the working
  // directory; given a directory, the window starts as if the user had
  // switched to it, so tests and tools need not change the process's
  // working directory.
  explicit MainWindow(Messages& messages, const QString& dataDir = QString(),
                      QWidget* parent = nullptr);
  ~MainWindow() override;

  DataSession& session() { return *session_; }
  const DataSession& session() const { return *session_; }
  const AppState& state() const;
  QMdiArea* workArea() const { return workArea_; }
  // Until the first activation has reported the start-up load.
  bool startupNoticePending() const { return startupNoticePending_; }

  // The lock of the data directory this window works in, taken before it was
  // built; a switch moves it to the new directory (or stays where it is when
  // another copy holds that one). Without a lock nothing is locked.
  void holdDataDirLock(DataDirLock& lock) { lock_ = &lock; }

  void openEntry();       // 収支入力
  void openYearBrowse();  // 総合分析
  void openAnalysis();    // 統計分析
  void switchData();      // ﾃﾞｰﾀ入れ替え
  void initialiseData();  // ﾃﾞｰﾀ初期化
  void confirmFinish();   // 終了
  void saveNow();         // 保存: both files, without a question
  void exportCsv();       // CSV書き出し: a report of the year as a CSV file
  void showAbout();       // バージョン情報
  void showHistory();     // 履歴: the steps since the load, for going back several at once

  // 取り込み: a CSV or tab-separated file, or the clipboard (貼り付けて取り込み),
  // previewed before anything changes.
  void importFile();
  void importClipboard();
  void importPath(const QString& path);
  // The 取り込み window of `bytes` (a file's) or `text` (pasted), named by
  // `source`; nullptr when they were refused, after telling why.
  ChildWindow* openImport(const QByteArray& bytes, const QString& text, const QString& source);

  // Builds a view over the data; the main window places and owns it.
  using ViewFactory = std::function<ChildWindow*(const DataSession&, Messages&)>;
  // Opens the view named `name` built by `make`; when one is open already,
  // says so and brings it forward.
  void openView(const QString& name, const ViewFactory& make);

  // The command of that object name (menu item and strip button alike).
  QAction* action(const QString& name) const;
  QMenu* windowMenu() const { return windowMenu_; }
  // Lists the open child windows in ウィンドウ, the active one checked.
  void fillWindowMenu();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // A .csv, .tsv or .txt file dropped on the window is previewed for 取り込み.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // One command of the menus; `slot` runs when it is triggered.
  QAction* addCommand(const char* name, const QString& text, void (MainWindow::*slot)());
  void buildActions();
  void buildMenus();
  // 表示's entries below the separator: one per view beyond the seed's.
  void addViews(QMenu* menu);
  QAction* addView(QMenu* menu, const char* actionName, const QString& text,
                   const QString& viewName, ViewFactory make);
  void buildStatusBar();
  // 元に戻す and やり直し name the step they would take; greyed when there is none.
  void nameUndoSteps();
  // The working windows open again once a reset is undone, and shut when it
  // is redone.
  void followYearReset();
  // The last event, shown for a few seconds.
  void tellStatus(const QString& text);
  void showModified(bool modified);
  void restoreWindowGeometry();
  void storeWindowGeometry() const;
  // The strip button follows its command: enabled, and triggering it.
  static void follow(QPushButton* button, QAction* command);
  void disableWorkingCommands(bool includingSwitch);
  QWidget* buildButtonStrip();
  void showWaitingNotice();
  LoadOutcome load();
  void reportLoadResult();

  // The frame `closing` is about to close: the one in front of the rest is
  // made active once it has gone.
  void frameClosing(QMdiSubWindow* closing);

  // Whether a window other than `except` is open in the work area.
  bool windowOpenBesides(const ChildWindow* except) const;
  // When a window of that name is open: says so and brings it forward.
  bool refuseSecondCopy(const QString& name);
  // "完了" in the switch window: load from `dir` and go on there.
  void completeSwitch(const QString& dir);
  // Makes `dir` the data directory; false (nothing changed, the user told
  // why) when another copy of the program holds it.
  bool adoptDataDir(const QString& dir);

  // From the waiting notice until the load result has been reported.
  bool startupNoticePending_ = false;
  DataDirLock* lock_ = nullptr;
  Messages& messages_;
  DataSession* session_ = nullptr;
  QMdiArea* workArea_ = nullptr;
  QWidget* initMsg_ = nullptr;
  QPointer<SwitchWindow> switchWindow_;
  // The day 収支入力 showed last in this run, where it opens again.
  std::optional<DaySlot> entryDay_;
  QPushButton* entryButton_ = nullptr;
  QPushButton* yearBrowseButton_ = nullptr;
  QPushButton* analysisButton_ = nullptr;
  QPushButton* switchButton_ = nullptr;
  QPushButton* initButton_ = nullptr;
  QPushButton* finishButton_ = nullptr;
  QAction* entryAction_ = nullptr;
  QAction* yearBrowseAction_ = nullptr;
  QAction* analysisAction_ = nullptr;
  QAction* switchAction_ = nullptr;
  QAction* initAction_ = nullptr;
  QAction* finishAction_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* exportAction_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* historyAction_ = nullptr;
  QPointer<QDialog> history_;
  // Every view the working windows' rule covers: shut after a failed load
  // or an initialisation.
  QList<QAction*> viewActions_;
  QMenu* windowMenu_ = nullptr;
  QList<QAction*> windowCommands_;
  QLabel* dataDirLabel_ = nullptr;
  QLabel* unsavedLabel_ = nullptr;
};

}  // namespace tamrel
