#include "years/years_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentMap>
#include <QtConcurrent/QtConcurrentRun>

#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/image_export.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/profit_graph.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace fs = std::filesystem;

namespace {

const QString kReading = QStringLiteral("読み込み中…");
const QString kCancelled = QStringLiteral("中止しました");
// A reading shorter than this shows no progress bar: it would only flicker.
constexpr int kProgressDelayMs = 300;
// Folders read within this time go into the table together: often enough
// that rows are seen filling, seldom enough that re-sorting them is no load.
constexpr int kShowIntervalMs = 40;
// Columns fit the texts of this many rows besides those in view.
constexpr int kFitRows = 200;
// Of the work that follows the reading, this much goes in one turn of the
// event loop: half a frame.
constexpr qint64 kStepMs = 8;

fs::path toPath(const QString& dir) { return fs::path(QDir(dir).absolutePath().toStdString()); }

}  // namespace

YearsWindow::YearsWindow(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent),
      session_(session),
      messages_(ownMessages(messages)),
      reader_(summariseFolder) {
  setObjectName(QStringLiteral("Years"));
  setWindowTitle(QStringLiteral("年別比較"));
  setFont(uiFont());
  proxy_.setSourceModel(&model_);

  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("YearsTable"));
  table_->setAccessibleName(QStringLiteral("年別の表"));
  table_->setModel(&proxy_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the table for the next control; arrows move between rows.
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->horizontalHeader()->setResizeContentsPrecision(kFitRows);
  table_->setSortingEnabled(true);
  table_->sortByColumn(YearTableModel::Folder, Qt::AscendingOrder);
  installTableExport(table_, session_, messages_);

  graph_ = new ProfitGraph(this);
  graph_->setObjectName(QStringLiteral("YearsGraph"));
  graph_->setAccessibleName(QStringLiteral("年別の利益のグラフ"));
  installImageExport(graph_, session_, messages_, QStringLiteral("年別比較"));

  // A year is a row: the table needs little height, the bars more.
  graph_->setMinimumHeight(260);
  notice_ = new QLabel(this);
  notice_->setObjectName(QStringLiteral("Notice"));
  notice_->setWordWrap(true);
  notice_->setVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildFolderRow());
  layout->addWidget(notice_);
  layout->addWidget(table_, 2);
  layout->addWidget(graph_, 3);
  layout->addWidget(buildBottomRow());

  progressDelay_ = new QTimer(this);
  progressDelay_->setSingleShot(true);
  progressDelay_->setInterval(kProgressDelayMs);
  connect(progressDelay_, &QTimer::timeout, this, [this] {
    progress_->setVisible(true);
    cancel_->setVisible(true);
  });
  showTimer_ = new QTimer(this);
  showTimer_->setSingleShot(true);
  showTimer_->setInterval(kShowIntervalMs);
  connect(showTimer_, &QTimer::timeout, this, &YearsWindow::showRead);
  finishTimer_ = new QTimer(this);
  finishTimer_->setSingleShot(true);
  finishTimer_->setInterval(0);
  connect(finishTimer_, &QTimer::timeout, this, &YearsWindow::finishStep);
  connect(&listWatcher_, &QFutureWatcher<Listing>::finished, this, &YearsWindow::folderListed);
  connect(&watcher_, &QFutureWatcher<YearSummary>::resultsReadyAt, this, &YearsWindow::foldersRead);
  connect(&watcher_, &QFutureWatcher<YearSummary>::progressValueChanged, progress_,
          &QProgressBar::setValue);
  connect(&watcher_, &QFutureWatcher<YearSummary>::finished, this, [this] {
    // The watcher also finishes when it lets go of a reading for a new one.
    if (!reading_) return;
    reading_ = false;
    loadingEnded();
  });
  // The bars follow the rows' order, once every row is read.
  connect(&proxy_, &QAbstractItemModel::layoutChanged, this, [this] {
    if (!loading_) redrawGraph();
  });

  // Postings show at once; a load may be another directory altogether.
  // Once per step, however many stores it touched.
  connect(&session_, &DataSession::changed, this, &ChildWindow::followData);
  connect(&session_, &DataSession::dataLoaded, this, &YearsWindow::reload);

  // The folder that holds the data directory holds its sibling years.
  QDir dataDir(session_.dataDirPath());
  dataDir.cdUp();
  setParentFolder(dataDir.absolutePath());
}

std::optional<PrintPage> YearsWindow::printPage() const {
  // Whole years side by side: no period of one.
  return printPageOf(windowTitle(), QString(), {table_}, {graph_});
}

YearsWindow::~YearsWindow() {
  watcher_.cancel();
  watcher_.waitForFinished();
  listWatcher_.waitForFinished();
}

QString YearsWindow::notice() const { return notice_->isVisible() ? notice_->text() : QString(); }

void YearsWindow::showNotice(const QString& text) {
  notice_->setText(text);
  notice_->setAccessibleName(text);
  notice_->setVisible(!text.isEmpty());
}

QWidget* YearsWindow::buildFolderRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  parentBox_ = new QLineEdit(row);
  parentBox_->setObjectName(QStringLiteral("ParentFolder"));
  parentBox_->setAccessibleName(QStringLiteral("親フォルダ"));
  parentBox_->setReadOnly(true);
  auto* label = new QLabel(QStringLiteral("親フォルダ"), row);
  label->setBuddy(parentBox_);
  QPushButton* browse = commandButton(QStringLiteral("Browse"), QStringLiteral("参照…"), row);
  QPushButton* reread = commandButton(QStringLiteral("Reload"), QStringLiteral("再読み込み"), row);
  layout->addWidget(label);
  layout->addWidget(parentBox_, 1);
  layout->addWidget(browse);
  layout->addWidget(reread);
  connect(browse, &QPushButton::clicked, this, &YearsWindow::chooseParent);
  connect(reread, &QPushButton::clicked, this, &YearsWindow::reload);
  return row;
}

QWidget* YearsWindow::buildBottomRow() {
  auto* row = new QWidget(this);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  progress_ = new QProgressBar(row);
  progress_->setObjectName(QStringLiteral("Progress"));
  progress_->setAccessibleName(QStringLiteral("読み込みの進み具合"));
  progress_->setVisible(false);
  cancel_ = commandButton(QStringLiteral("Cancel"), QStringLiteral("キャンセル"), row);
  cancel_->setVisible(false);
  QPushButton* close = commandButton(QStringLiteral("Close"), QStringLiteral("閉じる"), row);
  layout->addWidget(progress_, 1);
  layout->addWidget(cancel_);
  layout->addStretch();
  layout->addWidget(close);
  connect(cancel_, &QPushButton::clicked, this, &YearsWindow::cancelLoading);
  connect(close, &QPushButton::clicked, this, &ChildWindow::closeWindow);
  return row;
}

void YearsWindow::setParentFolder(const QString& folder) {
  parent_ = QDir(folder).absolutePath();
  parentBox_->setText(QDir::toNativeSeparators(parent_));
  reload();
}

void YearsWindow::chooseParent() {
  const QString folder =
      QFileDialog::getExistingDirectory(this, QStringLiteral("親フォルダを選択"), parent_);
  if (!folder.isEmpty()) setParentFolder(folder);
}

YearsWindow::Listing YearsWindow::listYears(const fs::path& parent, const fs::path& current) {
  Listing listing;
  for (const fs::path& folder : yearFolders(parent, listing.error)) {
    YearSummary year;
    year.folder = folder;
    year.name = folder.filename().string();
    year.current = sameFolder(folder, current);
    listing.years.push_back(std::move(year));
  }
  return listing;
}

void YearsWindow::reload() {
  watcher_.cancel();
  watcher_.waitForFinished();
  // Results of the reading dropped must not land in the new rows.
  watcher_.setFuture(QFuture<YearSummary>());
  reading_ = false;
  showTimer_->stop();
  finishTimer_->stop();
  table_->setUpdatesEnabled(true);
  graph_->setUpdatesEnabled(true);
  arrived_.clear();
  readRows_.clear();
  cancelled_ = false;
  loading_ = true;
  cancel_->setEnabled(true);
  showNotice({});
  model_.setFolders({}, kReading);
  // No bars until the rows are all in: a scale from some of them would only
  // jump as the rest arrive.
  graph_->setPoints({});
  // Busy until the folders are counted.
  progress_->setRange(0, 0);
  progressDelay_->start();
  // Even listing the parent waits on its disk: a share on a network may take
  // seconds.
  listWatcher_.setFuture(QtConcurrent::run(&pool_, &YearsWindow::listYears, toPath(parent_),
                                           toPath(session_.dataDirPath())));
}

void YearsWindow::folderListed() {
  Listing listing = listWatcher_.result();
  if (listing.error) {
    showNotice(QStringLiteral("親フォルダを読み取れません: ") +
               fromCore(listingFaultText(listing.error)));
    loadingEnded();
    return;
  }
  std::vector<fs::path> toRead;
  for (std::size_t row = 0; row < listing.years.size(); ++row) {
    if (listing.years[row].current) continue;
    readRows_.push_back(static_cast<int>(row));
    toRead.push_back(listing.years[row].folder);
  }
  if (listing.years.empty()) showNotice(QStringLiteral("年のフォルダがありません"));
  model_.setFolders(std::move(listing.years), kReading);
  refreshCurrent();
  if (toRead.empty() || cancelled_) {
    loadingEnded();
    return;
  }
  progress_->setRange(0, static_cast<int>(toRead.size()));
  progress_->setValue(0);
  reading_ = true;
  watcher_.setFuture(QtConcurrent::mapped(&pool_, std::move(toRead), reader_));
}

void YearsWindow::cancelLoading() {
  cancelled_ = true;
  watcher_.cancel();
  cancel_->setEnabled(false);
}

void YearsWindow::foldersRead(int begin, int end) {
  for (int i = begin; i < end; ++i) arrived_.push_back(i);
  if (!showTimer_->isActive()) showTimer_->start();
}

void YearsWindow::showRead() {
  showTimer_->stop();
  std::vector<std::pair<int, YearSummary>> rows;
  rows.reserve(arrived_.size());
  for (const int i : arrived_) {
    if (i < 0 || i >= static_cast<int>(readRows_.size())) continue;
    rows.emplace_back(readRows_[static_cast<std::size_t>(i)], watcher_.resultAt(i));
  }
  arrived_.clear();
  model_.setYears(std::move(rows));
}

void YearsWindow::loadingEnded() {
  showRead();
  progressDelay_->stop();
  progress_->setVisible(false);
  cancel_->setVisible(false);
  cancel_->setEnabled(true);
  if (cancelled_) model_.setPendingText(kCancelled);
  // A sum over the years that leaves the range is empty, and said once.
  const auto& total = model_.total();
  if (total && (!total->stake || !total->payout) && !overflowTold_) {
    overflowTold_ = true;
    messages_.error(kAmountOutOfRange);
  }
  // Still loading until the columns fit and the bars are drawn.
  finishStep_ = 0;
  finishTimer_->start();
}

void YearsWindow::finishStep() {
  // The columns, then the bars, then their first paint, each in turns of the
  // event loop of their own: with a thousand folders any two together hold
  // it for longer than a frame. The table waits to paint its columns once.
  const int columns = proxy_.columnCount();
  if (finishStep_ < columns) {
    table_->setUpdatesEnabled(false);
    QElapsedTimer spent;
    spent.start();
    while (finishStep_ < columns && spent.elapsed() < kStepMs) {
      table_->resizeColumnToContents(finishStep_++);
    }
    if (finishStep_ == columns) {
      // Fitted to its texts, the last column no longer reaches the edge.
      table_->horizontalHeader()->setStretchLastSection(false);
      table_->horizontalHeader()->setStretchLastSection(true);
      table_->setUpdatesEnabled(true);
    }
    finishTimer_->start();
    return;
  }
  if (finishStep_ == columns) {
    ++finishStep_;
    // The bars are made and laid out now, painted at the next turn.
    graph_->setUpdatesEnabled(false);
    redrawGraph();
    finishTimer_->start();
    return;
  }
  loading_ = false;
  graph_->setUpdatesEnabled(true);
}

void YearsWindow::refreshCurrent() {
  for (int row = 0; row < model_.yearCount(); ++row) {
    if (!model_.year(row).current) continue;
    YearSummary year = model_.year(row);
    year.figures.reset();
    year.refused.clear();
    if (session_.data().LoadResult == LoadCode::Ok) {
      year.figures = summariseYear(session_.ledger(), session_.tickets());
    } else {
      year.refused = session_.lastLoad().refused;
    }
    model_.setYear(row, std::move(year));
  }
  if (!loading_) redrawGraph();
}

void YearsWindow::redrawGraph() {
  std::vector<ProfitPoint> points;
  for (int row = 0; row < proxy_.rowCount(); ++row) {
    const int source = proxy_.mapToSource(proxy_.index(row, 0)).row();
    if (source >= model_.yearCount()) continue;  // 合計
    const YearSummary& year = model_.year(source);
    points.push_back(
        {QString::fromStdString(year.name), year.figures ? year.figures->profit : std::nullopt});
  }
  graph_->setPoints(std::move(points));
}

void YearsWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    closeWindow();
    return;
  }
  ChildWindow::keyPressEvent(event);
}

void YearsWindow::closeEvent(QCloseEvent* event) {
  // A reading under way is of no use once the window is gone.
  cancelled_ = true;
  watcher_.cancel();
  ChildWindow::closeEvent(event);
}

}  // namespace tamrel
