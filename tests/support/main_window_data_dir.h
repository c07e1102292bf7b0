#pragma once
// Data directories for the main window tests: a temporary directory holding
// a "tosidata.dat" and an "info.dat" built with the program's own writers,
// or broken on purpose.

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "detail/detail_file.h"
#include "detail/month_transfer.h"
#include "detail/ticket_records.h"
#include "ledger/ledger_file.h"
#include "ledger/ledger_init.h"
#include "ledger/ledger_records.h"
#include "store/data_files.h"

namespace tamrel::testdata {

// A year with one posted day (3 May: 単勝 1000 staked, 2500 paid) and its
// single ticket.
inline void fillSampleYear(YearLedger& ledger, TicketStore& tickets) {
  resetYear(ledger, tickets);
  BetAmounts values;
  values.stake[index(BetType::Tan)] = 1000;
  values.payout[index(BetType::Tan)] = 2500;
  BetAmounts baseline;
  (void)postDay(ledger, baseline, 5, 3, values);

  DayTicketList list;
  TicketRecord t = newTicket(5, 3);
  t.setField(TicketField::Racecourse, "6");
  t.setField(TicketField::RaceNo, "B");
  t.setField(TicketField::Weekday, "1");
  t.setField(TicketField::Surface, "1");
  t.setField(TicketField::DistanceBand, "2");
  t.setField(TicketField::RaceClass, "1");
  t.setField(TicketField::BetType, "1");
  t.setField(TicketField::AgeGroup, "4");
  t.setField(TicketField::Condition, "0");
  t.setField(TicketField::RunnersBand, "4");
  setAmountField(t, TicketField::Purchase, 1000);
  setAmountField(t, TicketField::Payout, 2500);
  list.entries[0] = t;
  list.count = 1;
  (void)storeDayTickets(tickets, 5, 3, list);
}

// The bytes of the sample year's two files.
struct SampleFiles {
  std::string ledger;
  std::string tickets;
};

inline SampleFiles sampleFiles() {
  auto ledger = std::make_unique<YearLedger>();
  auto tickets = std::make_unique<TicketStore>();
  fillSampleYear(*ledger, *tickets);
  return {ledgerFileText(*ledger), ticketFileText(*tickets)};
}

// The sample ledger with its December month line left out: 11 month lines.
inline std::string elevenMonthLedger() {
  std::string text = sampleFiles().ledger;
  const std::size_t at = text.find("\r\nM12,");
  const std::size_t end = text.find("\r\n", at + 2);
  text.erase(at, end - at);
  return text;
}

class DataDir {
 public:
  DataDir() = default;

  bool ok() const { return dir_.isValid(); }
  QString path() const { return dir_.path(); }
  QString filePath(const QString& name) const { return dir_.filePath(name); }
  QString ledgerPath() const { return filePath(QStringLiteral("tosidata.dat")); }
  QString ticketPath() const { return filePath(QStringLiteral("info.dat")); }

  bool write(const QString& name, const std::string& bytes) const {
    QFile f(filePath(name));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const auto size = static_cast<qint64>(bytes.size());
    return f.write(bytes.data(), size) == size;
  }
  bool writeSample() const {
    const SampleFiles files = sampleFiles();
    return write(QStringLiteral("tosidata.dat"), files.ledger) &&
           write(QStringLiteral("info.dat"), files.tickets);
  }

  QByteArray read(const QString& name) const {
    QFile f(filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // Dates both files a day back, so that any rewrite shows in the date.
  bool backdate() const {
    const QDateTime past = QDateTime::currentDateTime().addDays(-1);
    for (const QString& p : {ledgerPath(), ticketPath()}) {
      QFile f(p);
      if (!f.exists()) continue;
      if (!f.open(QIODevice::ReadWrite) || !f.setFileTime(past, QFileDevice::FileModificationTime))
        return false;
    }
    return true;
  }
  QDateTime modified(const QString& name) const { return QFileInfo(filePath(name)).lastModified(); }

 private:
  QTemporaryDir dir_;
};

}  // namespace tamrel::testdata
