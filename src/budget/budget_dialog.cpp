#include "budget/budget_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "state/data_session.h"
#include "widgets/budget_settings.h"
#include "widgets/core_text.h"
#include "widgets/look.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

// The highest 回収率 target a box takes, in percent.
constexpr std::int32_t kHighestRateTarget = 9999;

QLineEdit* limitBox(const char* name, const QString& caption, std::optional<std::int32_t> value,
                    QWidget* parent) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setAccessibleName(caption);
  box->setAlignment(Qt::AlignRight);
  // Digits (full-width too) and group commas: a limit is never negative.
  box->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9０-９,，\\s　]*")), box));
  box->setPlaceholderText(QStringLiteral("なし"));
  if (value) box->setText(fromCore(formatGroupedAmount(*value)));
  return box;
}

// A row of the form: the caption (its letter reaching the box), the box and
// its unit.
void addLimitRow(QFormLayout* form, const QString& caption, QLineEdit* box, const QString& unit) {
  auto* label = new QLabel(caption, box->parentWidget());
  label->setBuddy(box);
  auto* row = new QHBoxLayout;
  row->addWidget(box);
  row->addWidget(new QLabel(unit, box->parentWidget()));
  form->addRow(label, row);
}

// Empty for an empty box; nullopt inside when the amount is out of range.
std::optional<std::optional<std::int32_t>> boxValue(const QLineEdit* box) {
  const QString text = asciiForms(box->text()).remove(u',').trimmed();
  if (text.isEmpty()) return std::optional<std::int32_t>{};
  const std::optional<std::int32_t> value = parseAmount(amountInputText(text));
  if (!value) return std::nullopt;
  return value;
}

}  // namespace

BudgetDialog::BudgetDialog(const QString& dataDir, Messages& messages, QWidget* parent)
    : QDialog(parent), dataDir_(dataDir), messages_(messages) {
  setObjectName(QStringLiteral("BudgetDialog"));
  setWindowTitle(QStringLiteral("予算"));
  setFont(uiFont());
  const BudgetLimits limits = budgetLimits(dataDir);
  setsu_ = limitBox("BudgetSetsu", QStringLiteral("1節の上限"), limits.setsu, this);
  month_ = limitBox("BudgetMonth", QStringLiteral("1か月の上限"), limits.month, this);
  year_ = limitBox("BudgetYear", QStringLiteral("1年の上限"), limits.year, this);
  rate_ = limitBox("BudgetRate", QStringLiteral("回収率の目標"), limits.rateTarget, this);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("BudgetOk"));
  QPushButton* cancel =
      buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  cancel->setObjectName(QStringLiteral("BudgetCancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &BudgetDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* form = new QFormLayout(this);
  form->addRow(new QLabel(QStringLiteral("投資金額の上限（空欄は上限なし）"), this));
  addLimitRow(form, QStringLiteral("1節(&S)"), setsu_, QStringLiteral("円"));
  addLimitRow(form, QStringLiteral("1か月(&M)"), month_, QStringLiteral("円"));
  addLimitRow(form, QStringLiteral("1年(&Y)"), year_, QStringLiteral("円"));
  addLimitRow(form, QStringLiteral("回収率の目標(&R)"), rate_, QStringLiteral("%"));
  form->addRow(buttons);
}

std::optional<BudgetLimits> BudgetDialog::typedLimits() const {
  BudgetLimits limits;
  const std::pair<QLineEdit*, std::optional<std::int32_t>*> boxes[] = {
      {setsu_, &limits.setsu}, {month_, &limits.month}, {year_, &limits.year}};
  for (const auto& [box, value] : boxes) {
    const auto typed = boxValue(box);
    if (!typed) {
      box->setFocus(Qt::OtherFocusReason);
      return std::nullopt;
    }
    *value = *typed;
  }
  const auto rate = boxValue(rate_);
  if (!rate || (*rate && **rate > kHighestRateTarget)) {
    rate_->setFocus(Qt::OtherFocusReason);
    return std::nullopt;
  }
  if (*rate) limits.rateTarget = static_cast<int>(**rate);
  return limits;
}

void BudgetDialog::accept() {
  const std::optional<BudgetLimits> limits = typedLimits();
  if (!limits) {
    messages_.error(kAmountOutOfRange);
    return;
  }
  storeBudgetLimits(dataDir_, *limits);
  QDialog::accept();
}

bool editBudget(QWidget* parent, const DataSession& session, Messages& messages) {
  BudgetDialog dialog(session.dataDirPath(), messages, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace tamrel
