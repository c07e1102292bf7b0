#include "widgets/budget_settings.h"

#include <QDate>
#include <QSettings>
#include <memory>

#include "state/data_session.h"
#include "widgets/core_text.h"
#include "widgets/settings.h"

namespace tamrel {

namespace {

// One group per data directory, named so that any path is a key.
QString groupOf(const QString& dataDir) {
  return QStringLiteral("Budget/") +
         QString::fromLatin1(dataDir.toUtf8().toBase64(QByteArray::Base64UrlEncoding));
}

template <typename T>
std::optional<T> readValue(const QSettings& settings, const QString& key) {
  const QVariant v = settings.value(key);
  if (!v.isValid()) return std::nullopt;
  bool ok = false;
  const qlonglong n = v.toLongLong(&ok);
  if (!ok || n < 0 || n > std::numeric_limits<T>::max()) return std::nullopt;
  return static_cast<T>(n);
}

template <typename T>
void writeValue(QSettings& settings, const QString& key, const std::optional<T>& value) {
  if (value) {
    settings.setValue(key, static_cast<qlonglong>(*value));
  } else {
    settings.remove(key);
  }
}

}  // namespace

BudgetLimits budgetLimits(const QString& dataDir) {
  const std::unique_ptr<QSettings> settings = programSettings();
  settings->beginGroup(groupOf(dataDir));
  BudgetLimits limits;
  limits.setsu = readValue<std::int32_t>(*settings, QStringLiteral("Setsu"));
  limits.month = readValue<std::int32_t>(*settings, QStringLiteral("Month"));
  limits.year = readValue<std::int32_t>(*settings, QStringLiteral("Year"));
  limits.rateTarget = readValue<int>(*settings, QStringLiteral("RateTarget"));
  return limits;
}

void storeBudgetLimits(const QString& dataDir, const BudgetLimits& limits) {
  const std::unique_ptr<QSettings> settings = programSettings();
  settings->beginGroup(groupOf(dataDir));
  writeValue(*settings, QStringLiteral("Setsu"), limits.setsu);
  writeValue(*settings, QStringLiteral("Month"), limits.month);
  writeValue(*settings, QStringLiteral("Year"), limits.year);
  writeValue(*settings, QStringLiteral("RateTarget"), limits.rateTarget);
}

int budgetYear(const YearLedger& ledger) { return guessYear(ledger, QDate::currentDate().year()); }

BudgetStanding sessionBudget(const DataSession& session) {
  return budgetStanding(ledgerDaySums(session.ledger()), budgetLimits(session.dataDirPath()),
                        budgetYear(session.ledger()));
}

QStringList budgetWarnings(const DataSession& session, int month, int day,
                           const BetAmounts& amounts) {
  const BudgetLimits limits = budgetLimits(session.dataDirPath());
  if (!limits.setsu && !limits.month && !limits.year) return {};
  DaySums posted;
  posted.stake = checkedSum(amounts.stake);
  posted.payout = checkedSum(amounts.payout);
  for (std::size_t t = 0; t < kBetTypeCount; ++t) {
    posted.racing = posted.racing || amounts.stake[t] != 0 || amounts.payout[t] != 0;
  }
  QStringList lines;
  const int currentMonth = QDate::currentDate().month();
  for (const BudgetPass& pass : postingPasses(ledgerDaySums(session.ledger()), limits,
                                              budgetYear(session.ledger()), month, day, posted)) {
    lines << fromCore(budgetPassText(pass, month, currentMonth));
  }
  return lines;
}

}  // namespace tamrel
