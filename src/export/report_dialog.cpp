#include "export/report_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"
#include "widgets/period_boxes.h"
#include "widgets/table_export.h"

namespace tamrel {

namespace {

// The kinds this dialog offers, in the command's order.
std::vector<const ReportKindInfo*> offeredKinds() {
  std::vector<const ReportKindInfo*> kinds;
  for (const ReportKindInfo& kind : kReportKinds) {
    if (!kind.caption.empty()) kinds.push_back(&kind);
  }
  return kinds;
}

QComboBox* newList(const char* name, const QString& caption, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->setAccessibleName(caption);
  return list;
}

QComboBox* dimensionList(const char* name, const QString& caption, QWidget* parent) {
  QComboBox* list = newList(name, caption, parent);
  for (const CrossDimensionInfo& d : kCrossDimensions) list->addItem(fromCore(d.name));
  return list;
}

}  // namespace

ReportDialog::ReportDialog(const DataSession& session, Messages& messages, QWidget* parent)
    : QDialog(parent), session_(session), messages_(messages), kinds_(offeredKinds()) {
  setObjectName(QStringLiteral("ReportDialog"));
  setWindowTitle(QStringLiteral("CSV書き出し"));
  setFont(uiFont());

  kind_ = newList("ReportKind", QStringLiteral("内容"), this);
  for (const ReportKindInfo* kind : kinds_) kind_->addItem(fromCore(kind->caption));
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

const ReportKindInfo& ReportDialog::kind() const {
  return *kinds_[static_cast<std::size_t>(kind_->currentIndex())];
}

void ReportDialog::kindChosen() {
  const ReportKindInfo& kind = this->kind();
  first_->setEnabled(kind.dimensions >= 1);
  second_->setEnabled(kind.dimensions >= 2);
  for (QComboBox* list : periodBoxes_.boxes) list->setEnabled(kind.takesPeriod);
}

CrossDimension ReportDialog::dimension(const QComboBox* list) const {
  return kCrossDimensions[static_cast<std::size_t>(list->currentIndex())].dimension;
}

std::optional<Report> ReportDialog::report() const {
  const Period span = periodBoxes_.period();
  if (kind().takesPeriod && !span.ordered()) {
    messages_.error(QStringLiteral("期間の開始が終了より後になっています"));
    return std::nullopt;
  }
  const std::array<CrossDimension, 2> dimensions{dimension(first_), dimension(second_)};
  if (kind().dimensions == 2 && dimensions[0] == dimensions[1]) {
    messages_.error(kSameDimensionTwice);
    return std::nullopt;
  }
  return yearKindReport(kind().kind, session_.ledger(), session_.tickets(), dimensions, span);
}

QString ReportDialog::suggestedName() const {
  QString name = fromCore(kind().name);
  for (const QComboBox* list : {first_, second_}) {
    if (!list->isEnabled()) continue;
    name += QLatin1Char('-') +
            fromCore(kCrossDimensions[static_cast<std::size_t>(list->currentIndex())].key);
  }
  return name;
}

void exportReport(QWidget* parent, const DataSession& session, Messages& messages) {
  ReportDialog dialog(session, messages, parent);
  while (dialog.exec() == QDialog::Accepted) {
    const std::optional<Report> report = dialog.report();
    if (!report) continue;  // told why: the user may choose again
    if (!saveCsvText(parent, messages, report->csv, QStringLiteral("CSV書き出し"),
                     dialog.suggestedName())) {
      return;
    }
    // Written with the figure left empty, as the report command does.
    if (report->overflow) messages.error(kAmountOutOfRange);
    return;
  }
}

}  // namespace tamrel
