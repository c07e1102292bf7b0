#pragma once
// The one owner of the year's data: the ledger and the ticket store, where
// they are loaded from and whether they differ from what was saved. Every
// change goes through here as a step of the undo history and is announced,
// so a window that shows data listens instead of being told by the window
// that changed it.

#include <QObject>
#include <QString>
#include <memory>

#include "detail/month_transfer.h"
#include "import/import_engine.h"
#include "store/app_state.h"
#include "store/data_files.h"

class QUndoStack;

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
  // Differs from what was last loaded or saved: the history is away from
  // its saved place.
  bool isModified() const { return state_->DataChanged; }
  // The data directory as the user knows it (absolute).
  QString dataDirPath() const;
  // The history of changes since the last load, for 編集 and 履歴. Its
  // commands are the session's own: push nothing else on it.
  QUndoStack* undoStack() const { return undoStack_; }

  // Where later loads and saves go: `dir`, or the working directory when
  // empty (the program's own start).
  void setDataDir(const QString& dir);
  // Loads both files from the data directory; announces dataLoaded(),
  // leaves nothing modified and forgets the history.
  LoadOutcome load();
  // What the last load gave, the files refused and why included.
  const LoadOutcome& lastLoad() const { return lastLoad_; }
  // Saves both files; on success this place in the history is the saved
  // one. A saved ﾃﾞｰﾀ初期化 cannot be undone: the history is forgotten. On
  // failure saveFailureText() of the outcome says why.
  SaveOutcome save();
  // One step: posts the amounts of a day by differences against what the
  // day holds, and, when `tickets` is given, makes them the day's tickets.
  // Nothing changes unless all of it can be done (tickets that
  // canStoreDayTickets refuses give Overflow, as an amount out of range
  // does). Announces dayPosted(), then ticketsChanged() when tickets were
  // given, then changed().
  PostResult postDay(int month, int day, const BetAmounts& amounts,
                     const DayTicketList* tickets = nullptr);
  // One step: replaces the day's stored tickets by `list`; announces
  // ticketsChanged(), then changed().
  TransferResult storeDayTickets(int month, int day, const DayTicketList& list);
  // One step: an empty year in memory, the working windows shut until a
  // start; announces yearReset(), then changed().
  void resetYear();
  // One step: the rows of an import that `options` accept, all or none
  // ("取り込み N件"). Announces dayPosted() for each day and ticketsChanged()
  // for each month it changed, then changed() once. False, and no step,
  // when a row cannot be applied (nothing changes) or nothing would change.
  bool applyImport(const ImportPlan& plan, const ImportOptions& options);

 signals:
  // Each step, done, undone or redone, announces what it touches, then
  // changed() once: a view that shows several stores listens to changed()
  // alone and recomputes once per step.
  void dayPosted(int month, int day);
  void ticketsChanged(int month);
  // The whole year was replaced: reset, or the reset undone (data().YearReset
  // tells which).
  void yearReset();
  void changed();
  void dataLoaded();
  void modifiedChanged(bool modified);

 private:
  // Tests put figures straight into the stores, as a damaged or edited file
  // would leave them (tests/support/session_access.h).
  friend struct DataSessionTestAccess;
  friend class SessionCommand;

  void setModified(bool modified);

  std::unique_ptr<AppState> state_;
  LoadOutcome lastLoad_;
  QUndoStack* undoStack_ = nullptr;
};

}  // namespace tamrel
