#include "years/years_window.h"

#include <QCloseEvent>
#include <QDir>
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

#include "state/data_session.h"
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

fs::path toPath(const QString& dir) { return fs::path(QDir(dir).absolutePath().toStdString()); }

}  // namespace

YearsWindow::YearsWindow(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(messages), reader_(summariseFolder) {
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
  table_->setSortingEnabled(true);
  table_->sortByColumn(YearTableModel::Folder, Qt::AscendingOrder);
  installTableExport(table_, messages_);

  graph_ = new ProfitGraph(this);
  graph_->setObjectName(QStringLiteral("YearsGraph"));
  graph_->setAccessibleName(QStringLiteral("年別の利益のグラフ"));
  installImageExport(graph_, messages_, QStringLiteral("年別比較"));

  // A year is a row: the table needs little height, the bars more.
  graph_->setMinimumHeight(260);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildFolderRow());
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
  connect(&watcher_, &QFutureWatcher<YearSummary>::resultReadyAt, this, &YearsWindow::folderRead);
  connect(&watcher_, &QFutureWatcher<YearSummary>::progressValueChanged, progress_,
          &QProgressBar::setValue);
  connect(&watcher_, &QFutureWatcher<YearSummary>::finished, this, &YearsWindow::loadingEnded);
  connect(&proxy_, &QAbstractItemModel::layoutChanged, this, &YearsWindow::redrawGraph);

  // Postings show at once; a load may be another directory altogether.
  // Once per step, however many stores it touched.
  connect(&session_, &DataSession::changed, this, &ChildWindow::followData);
  connect(&session_, &DataSession::dataLoaded, this, &YearsWindow::reload);

  // The folder that holds the data directory holds its sibling years.
  QDir dataDir(session_.dataDirPath());
  dataDir.cdUp();
  setParentFolder(dataDir.absolutePath());
}

YearsWindow::~YearsWindow() {
  watcher_.cancel();
  watcher_.waitForFinished();
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

void YearsWindow::reload() {
  watcher_.cancel();
  watcher_.waitForFinished();
  const fs::path current = toPath(session_.dataDirPath());
  std::vector<YearSummary> years;
  std::vector<fs::path> toRead;
  readRows_.clear();
  for (const fs::path& folder : yearFolders(toPath(parent_))) {
    YearSummary year;
    year.folder = folder;
    year.name = folder.filename().string();
    year.current = sameFolder(folder, current);
    if (!year.current) {
      readRows_.push_back(static_cast<int>(years.size()));
      toRead.push_back(folder);
    }
    years.push_back(std::move(year));
  }
  model_.setFolders(std::move(years), kReading);
  refreshCurrent();
  if (toRead.empty()) {
    loadingEnded();
    return;
  }
  progress_->setRange(0, static_cast<int>(toRead.size()));
  progress_->setValue(0);
  progressDelay_->start();
  loading_ = true;
  watcher_.setFuture(QtConcurrent::mapped(&pool_, std::move(toRead), reader_));
}

void YearsWindow::cancelLoading() {
  watcher_.cancel();
  cancel_->setEnabled(false);
}

void YearsWindow::folderRead(int index) {
  if (index < 0 || index >= static_cast<int>(readRows_.size())) return;
  model_.setYear(readRows_[static_cast<std::size_t>(index)], watcher_.resultAt(index));
  redrawGraph();
}

void YearsWindow::loadingEnded() {
  loading_ = false;
  progressDelay_->stop();
  progress_->setVisible(false);
  cancel_->setVisible(false);
  cancel_->setEnabled(true);
  if (watcher_.isCanceled()) model_.setPendingText(kCancelled);
  // A sum over the years that leaves the range is empty, and said once.
  const auto& total = model_.total();
  if (total && (!total->stake || !total->payout) && !overflowTold_) {
    overflowTold_ = true;
    messages_.error(kAmountOutOfRange);
  }
  redrawGraph();
  fitColumns();
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
  redrawGraph();
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

void YearsWindow::fitColumns() {
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
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
  watcher_.cancel();
  ChildWindow::closeEvent(event);
}

}  // namespace tamrel
