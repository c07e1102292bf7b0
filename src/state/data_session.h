#pragma once
// The one owner of the year's data: the ledger and the ticket store, where
// they are loaded from and whether they changed since. Every change goes
// through here and is announced, so a window that shows data listens instead
// of being told by the window that changed it.

#include <QObject>
#include <QString>
#include <memory>

#include "detail/month_transfer.h"
#include "store/app_state.h"
#include "store/data_files.h"

namespace tamrel {

class DataSession : public QObject {
  Q_OBJECT
 public:
  explicit DataSession(QObject* parent = nullptr);
  ~DataSession() override;

  // What the windows read.
  const AppState& data() const { return *state_; }
  const YearLedger& ledger() const { return state_->ledger; }
  const TicketStore& tickets() const { return state_->tickets; }
  // Changed since the last load or save.
  bool isModified() const { return state_->DataChanged; }
  // The data directory as the user knows it (absolute).
  QString dataDirPath() const;

  // Where later loads and saves go: `dir`, or the working directory when
  // empty (the program's own start).
  void setDataDir(const QString& dir);
  // Loads both files from the data directory; announces dataLoaded() and
  // leaves nothing modified.
  LoadOutcome load();
  // What the last load gave, the files refused and why included.
  const LoadOutcome& lastLoad() const { return lastLoad_; }
  // Saves both files; on success nothing is modified any more. On failure
  // saveFailureText() of the outcome says why.
  SaveOutcome save();
  // Posts a day by differences against `baseline` (the amounts the day
  // showed); announces dayPosted() on success.
  PostResult postDay(int month, int day, BetAmounts& baseline, const BetAmounts& amounts);
  // Replaces the day's stored tickets by `list`; announces ticketsChanged().
  TransferResult storeDayTickets(int month, int day, const DayTicketList& list);
  // An empty year in memory; announces yearReset().
  void resetYear();

 signals:
  void dayPosted(int month, int day);
  void ticketsChanged(int month);
  void yearReset();
  void dataLoaded();
  void modifiedChanged(bool modified);

 private:
  // Tests put figures straight into the stores, as a damaged or edited file
  // would leave them (tests/support/session_access.h).
  friend struct DataSessionTestAccess;

  void setModified(bool modified);

  std::unique_ptr<AppState> state_;
  LoadOutcome lastLoad_;
};

}  // namespace tamrel
