#pragma once
// "年別比較": the year folders of one parent folder side by side -- days,
// amounts, tickets, hits and the deepest fall of each year, a 合計 row and a
// profit bar per folder. Other folders are only read, off the user-interface
// thread; the data directory in use is figured from memory, unsaved postings
// included, and follows the data session while the window is open.
//
// How to open it (the main window's 表示 menu):
//
//   if (auto* open = findOpenWindow(workArea, QStringLiteral("Years"))) {
//     ChildWindow::bringToFront(open);
//   } else {
//     openChildWindow(*workArea, new YearsWindow(session, messages));
//   }

#include <QFutureWatcher>
#include <QString>
#include <QThreadPool>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "analysis/year_summary.h"
#include "widgets/child_window.h"
#include "years/year_model.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;

namespace tamrel {

class DataSession;
class Messages;
class ProfitGraph;

class YearsWindow : public ChildWindow {
  Q_OBJECT
 public:
  // How one folder is read; the default loads it through the loaders. Runs
  // on a worker thread.
  using FolderReader = std::function<YearSummary(const std::filesystem::path&)>;

  YearsWindow(const DataSession& session, Messages& messages, QWidget* parent = nullptr);
  ~YearsWindow() override;

  QString parentFolder() const { return parent_; }
  // Shows the year folders of `folder` (read again from disk).
  void setParentFolder(const QString& folder);
  // Reads the folders again (再読み込み).
  void reload();
  // Stops a reading under way (キャンセル); the folders not read yet say so.
  void cancelLoading();
  // From the start of a reading until its results are all shown.
  bool isLoading() const { return loading_; }
  // What the window says above the table: why the parent folder could not
  // be read, or that it holds no year; empty otherwise.
  QString notice() const;

  void setFolderReader(FolderReader reader) { reader_ = std::move(reader); }

  // The table of the years and its graph.
  std::optional<PrintPage> printPage() const override;

  QTableView* table() const { return table_; }
  const YearTableModel& model() const { return model_; }
  const YearSortProxy& proxy() const { return proxy_; }
  ProfitGraph* graph() const { return graph_; }
  QProgressBar* progressBar() const { return progress_; }
  QPushButton* cancelButton() const { return cancel_; }

  QSize sizeHint() const override { return {1000, 620}; }

 protected:
  void showData() override { refreshCurrent(); }
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The folders of a parent, listed off the user-interface thread.
  struct Listing {
    std::vector<YearSummary> years;  // names only; the one in use marked
    std::error_code error;           // the parent could not be listed
  };
  static Listing listYears(const std::filesystem::path& parent,
                           const std::filesystem::path& current);

  QWidget* buildFolderRow();
  QWidget* buildBottomRow();
  void chooseParent();
  void folderListed();
  void foldersRead(int begin, int end);
  void showRead();
  void loadingEnded();
  void showNotice(const QString& text);
  // The row of the data directory in use, from memory.
  void refreshCurrent();
  void redrawGraph();
  // One step of what follows the reading: fitting the columns, or the bars.
  void finishStep();

  const DataSession& session_;
  Messages& messages_;
  QString parent_;
  FolderReader reader_;
  YearTableModel model_;
  YearSortProxy proxy_;
  // Folders are read on threads of their own: the shared pool also paints
  // (raster fills), and a folder on a slow disk must not stop the drawing.
  QThreadPool pool_;
  QFutureWatcher<Listing> listWatcher_;
  QFutureWatcher<YearSummary> watcher_;
  // Model rows of the folders being read, in the order they are read.
  std::vector<int> readRows_;
  // Results read but not yet in the table: they go in together, so that a
  // thousand fast folders cost a few updates of the table, not a thousand.
  std::vector<int> arrived_;
  QTimer* showTimer_ = nullptr;
  QTimer* finishTimer_ = nullptr;
  int finishStep_ = 0;
  bool loading_ = false;
  bool reading_ = false;  // the folders are being read (after the listing)
  bool cancelled_ = false;
  bool overflowTold_ = false;

  QLineEdit* parentBox_ = nullptr;
  QLabel* notice_ = nullptr;
  QTableView* table_ = nullptr;
  ProfitGraph* graph_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer* progressDelay_ = nullptr;
};

}  // namespace tamrel
