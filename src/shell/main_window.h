#pragma once
// The frame of the program: the button strip, the work area hosting every
// child window, start-up (loading both files) and exit (the save).

#include <QMainWindow>
#include <QPointer>
#include <QString>

class QMdiArea;
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
  AppState& state();
  const AppState& state() const;
  QMdiArea* workArea() const { return workArea_; }

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

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* buildButtonStrip();
  void showWaitingNotice();
  LoadOutcome load();
  void reportLoadResult();
  void disableWorkingButtons();
  // Whether a window other than `except` is open in the work area.
  bool windowOpenBesides(const ChildWindow* except) const;
  // "完了" in the switch window: load from `dir` and go on there.
  void completeSwitch(const QString& dir);
  // Makes `dir` the data directory; false (nothing changed, the user told
  // why) when another copy of the program holds it.
  bool adoptDataDir(const QString& dir);

  DataDirLock* lock_ = nullptr;
  Messages& messages_;
  DataSession* session_ = nullptr;
  QMdiArea* workArea_ = nullptr;
  QWidget* initMsg_ = nullptr;
  QPointer<SwitchWindow> switchWindow_;
  QPushButton* entryButton_ = nullptr;
  QPushButton* yearBrowseButton_ = nullptr;
  QPushButton* analysisButton_ = nullptr;
  QPushButton* switchButton_ = nullptr;
  QPushButton* initButton_ = nullptr;
  QPushButton* finishButton_ = nullptr;
};

}  // namespace tamrel
