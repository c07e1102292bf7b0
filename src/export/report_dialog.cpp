#include "export/report_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "state/data_session.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/period_boxes.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

struct KindInfo {
  const char* caption;
  const char* file;  // the report command's name of the kind
  int dimensions;    // how many dimensions it is cut by: 0, 1 or 2
  bool period;
};

// In the order of the report command's kinds; the year comparison has its
// own window, whose table saves as CSV.
constexpr KindInfo kKinds[] = {
    {"月別", "months", 0, false},
    {"券種別", "bettypes", 0, false},
    {"開催日別", "days", 0, true},
    {"収支推移の数字", "trend", 0, true},
    {"馬券一覧", "tickets", 0, true},
    {"分析（1項目）", "category", 1, true},
    {"クロス分析（2項目）", "cross", 2, true},
};

QComboBox* newList(const char* name, const QString& caption, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(caption);
  return list;
}

QComboBox* dimensionList(const char* name, const QString& caption, QWidget* parent) {
  QComboBox* list = newList(name, caption, parent);
  for (const CrossDimensionInfo& d : kCrossDimensions) {
    list->addItem(QString::fromUtf8(d.name.data(), static_cast<qsizetype>(d.name.size())));
  }
  return list;
}

}  // namespace

ReportDialog::ReportDialog(const DataSession& session, Messages& messages, QWidget* parent)
    : QDialog(parent), session_(session), messages_(messages) {
  setObjectName(QStringLiteral("ReportDialog"));
  setWindowTitle(QStringLiteral("CSV書き出し"));
  setFont(uiFont());

  kind_ = newList("ReportKind", QStringLiteral("内容"), this);
  for (const KindInfo& kind : kKinds) kind_->addItem(QString::fromUtf8(kind.caption));
  first_ = dimensionList("ReportFirst", QStringLiteral("項目"), this);
  second_ = dimensionList("ReportSecond", QStringLiteral("列の項目"), this);
  second_->setCurrentIndex(kCrossDimensionCount - 1);
  periodBoxes_ = makePeriodBoxes(this, QStringLiteral("Report"));
  auto* periodRow = new QHBoxLayout;
  for (std::size_t i = 0; i < periodBoxes_.boxes.size(); ++i) {
    if (i == 2) periodRow->addWidget(new QLabel(QStringLiteral("～"), this));
    periodRow->addWidget(periodBoxes_.boxes[i]);
  }
  periodRow->addStretch(1);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("書き出し…"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("ReportOk"));
  QPushButton* cancel =
      buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("ReportCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("内容(&K)"), kind_);
  form->addRow(QStringLiteral("項目(&D)"), first_);
  form->addRow(QStringLiteral("列の項目(&C)"), second_);
  form->addRow(QStringLiteral("期間(&P)"), periodRow);
  form->addRow(buttons);

  connect(kind_, &QComboBox::currentIndexChanged, this, &ReportDialog::kindChosen);
  kindChosen();
}

void ReportDialog::kindChosen() {
  const KindInfo& kind = kKinds[kind_->currentIndex()];
  first_->setEnabled(kind.dimensions >= 1);
  second_->setEnabled(kind.dimensions >= 2);
  for (QComboBox* list : periodBoxes_.boxes) list->setEnabled(kind.period);
}

CrossDimension ReportDialog::dimension(const QComboBox* list) const {
  return kCrossDimensions[static_cast<std::size_t>(list->currentIndex())].dimension;
}

std::optional<Report> ReportDialog::report() const {
  const Period span = periodBoxes_.period();
  if (kKinds[kind_->currentIndex()].period && !span.ordered()) {
    messages_.error(QStringLiteral("期間の開始が終了より後になっています"));
    return std::nullopt;
  }
  const YearLedger& ledger = session_.ledger();
  const TicketStore& tickets = session_.tickets();
  switch (static_cast<Kind>(kind_->currentIndex())) {
    case Months:
      return monthsReport(ledger);
    case BetTypes:
      return betTypesReport(ledger);
    case Days:
      return daysReport(ledger, span);
    case Trend:
      return trendReport(ledger, span);
    case Tickets:
      return ticketsReport(tickets, span);
    case Category:
      return categoryReport(tickets, dimension(first_), span);
    case Cross:
      if (first_->currentIndex() == second_->currentIndex()) {
        messages_.error(kSameDimensionTwice);
        return std::nullopt;
      }
      return crossReport(tickets, dimension(first_), dimension(second_), span);
  }
  return std::nullopt;
}

QString ReportDialog::suggestedName() const {
  const KindInfo& kind = kKinds[kind_->currentIndex()];
  QString name = QString::fromLatin1(kind.file);
  for (const QComboBox* list : {first_, second_}) {
    if (!list->isEnabled()) continue;
    const std::string_view key =
        kCrossDimensions[static_cast<std::size_t>(list->currentIndex())].key;
    name += QLatin1Char('-') + QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
  }
  return name;
}

void exportReport(QWidget* parent, const DataSession& session, Messages& messages) {
  ReportDialog dialog(session, messages, parent);
  while (dialog.exec() == QDialog::Accepted) {
    const std::optional<Report> report = dialog.report();
    if (!report) continue;  // told why: the user may choose again
    if (!saveCsvText(parent, session, messages, report->csv, QStringLiteral("CSV書き出し"),
                     dialog.suggestedName())) {
      return;
    }
    // Written with the figure left empty, as the report command does.
    if (report->overflow) messages.error(kAmountOutOfRange);
    return;
  }
}

}  // namespace tamrel
