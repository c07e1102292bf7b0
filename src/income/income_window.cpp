#include "income/income_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

enum Column { Exact, Upper, Rule };

QString yenShown(std::int64_t value) {
  const auto narrow = narrowAmount(value);
  return narrow ? fromCore(formatYen(*narrow)) : QStringLiteral("―");
}

}  // namespace

void IncomeModel::setFigures(const IncomeFigures& figures) {
  beginResetModel();
  figures_ = figures;
  lines_ = incomeLines(figures_);
  endResetModel();
}

int IncomeModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kIncomeLineCount;
}

int IncomeModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant IncomeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const IncomeLine& line = lines_[static_cast<std::size_t>(index.row())];
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue((index.column() == Rule ? Qt::AlignLeft : Qt::AlignRight) |
                               Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole) return {};
  switch (index.column()) {
    case Exact:
      return line.exact ? yenShown(*line.exact) : QString();
    case Upper:
      if (!line.upperBound) return QString();
      return line.dayCount ? QStringLiteral("%1日").arg(*line.upperBound)
                           : yenShown(*line.upperBound);
    default:
      return fromCore(line.rule);
  }
}

QVariant IncomeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical)
    return fromCore(lines_[static_cast<std::size_t>(section)].caption);
  switch (section) {
    case Exact:
      return QStringLiteral("馬券から");
    case Upper:
      return QStringLiteral("上限（馬券のない日を含む）");
    default:
      return QStringLiteral("算式");
  }
}

IncomeWindow::IncomeWindow(const DataSession& session, Messages& messages, QWidget* parent)
    : ChildWindow(parent), session_(session), messages_(ownMessages(messages)) {
  setObjectName(QStringLiteral("Income"));
  setWindowTitle(QStringLiteral("一時所得"));
  setAccessibleName(windowTitle());
  setFont(uiFont());

  auto* choices = new QHBoxLayout;
  periodBoxes_ = makePeriodBoxes(this);
  for (std::size_t i = 0; i < periodBoxes_.boxes.size(); ++i) {
    QComboBox* box = periodBoxes_.boxes[i];
    if (i == 0) {
      auto* caption = new QLabel(QStringLiteral("期間(&P)"), this);
      caption->setBuddy(box);
      choices->addWidget(caption);
    }
    if (i == 2) choices->addWidget(new QLabel(QStringLiteral("～"), this));
    choices->addWidget(box);
    connect(box, &QComboBox::currentIndexChanged, this, &IncomeWindow::recompute);
  }
  choices->addStretch(1);

  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("IncomeTable"));
  table_->setAccessibleName(QStringLiteral("一時所得の表"));
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setWordWrap(false);
  table_->setTabKeyNavigation(false);
  table_->setModel(&model_);
  table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
  table_->horizontalHeader()->setSectionResizeMode(Exact, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(Upper, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(Rule, QHeaderView::Stretch);
  installTableExport(table_, session_, messages_);
  // Every line in view, nothing empty below them.
  table_->setFixedHeight(table_->horizontalHeader()->sizeHint().height() +
                         kIncomeLineCount * table_->verticalHeader()->defaultSectionSize() +
                         2 * table_->frameWidth());

  unticketed_ = new QLabel(this);
  unticketed_->setObjectName(QStringLiteral("UnticketedNote"));
  unticketed_->setAccessibleName(QStringLiteral("馬券のない開催日"));
  unticketed_->setWordWrap(true);

  auto* plain = new QLabel(
      QStringLiteral("帳簿の数字から見積もった額です。税務の助言ではありません。申告は税務署や"
                     "税理士に確かめてください。"),
      this);
  plain->setObjectName(QStringLiteral("Disclaimer"));
  plain->setAccessibleName(QStringLiteral("ご注意"));
  plain->setWordWrap(true);

  closeButton_ = commandButton(QStringLiteral("CloseButton"), QStringLiteral("閉じる"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(plain, 1);
  buttons->addWidget(closeButton_, 0, Qt::AlignBottom);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->addLayout(choices);
  layout->addWidget(table_);
  layout->addStretch(1);
  layout->addWidget(unticketed_);
  layout->addLayout(buttons);
  connect(closeButton_, &QPushButton::clicked, this, &ChildWindow::closeWindow);

  recompute();
  // The day amounts and the tickets both count: a posting with its tickets
  // announces both, and changed() follows once per step.
  followSession(session_, Follows::Everything);
}

IncomeWindow::~IncomeWindow() = default;

std::optional<PrintPage> IncomeWindow::printPage() const {
  return printPageOf(windowTitle(), periodText(period()), {table_});
}

QSize IncomeWindow::sizeHint() const { return QSize(960, 380).expandedTo(minimumSizeHint()); }

void IncomeWindow::recompute() {
  model_.setFigures(computeIncome(session_.ledger(), session_.tickets(), period()));
  const IncomeFigures& f = model_.figures();
  if (f.unticketedDays == 0) {
    unticketed_->setText(
        QStringLiteral("期間のどの開催日にも馬券があり、左の額はすべて馬券から"
                       "求めたものです。"));
  } else {
    unticketed_->setText(
        QStringLiteral(
            "日の金額はあるのに馬券のない開催日が%1日あります。その日の払戻金と購入金額は"
            "馬券ごとに対にできないため、左は馬券だけから求めた額、右はその日の払戻金を"
            "購入金額を引かずに加えた上限です。")
            .arg(f.unticketedDays));
  }
}

void IncomeWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    closeWindow();
    return;
  }
  ChildWindow::keyPressEvent(event);
}

}  // namespace tamrel
