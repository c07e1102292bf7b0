#include "state/data_session.h"

#include <QDir>
#include <QUndoCommand>
#include <QUndoStack>
#include <array>
#include <optional>
#include <vector>

#include "base/amount.h"

namespace tamrel {

namespace {

// What a step touches: one day's records, its month's tickets, or, for a
// reset, everything.
struct Scope {
  int month = 0;  // 0: the whole year
  int day = 0;
  bool amounts = false;
  bool tickets = false;
  // An import: the whole year is kept, and the days and months it changed
  // are announced.
  bool imported = false;
  std::vector<std::pair<int, int>> days{};
  std::vector<int> months{};
  bool wholeYear() const { return month == 0; }
};

// The touched part of the stores as it stands, byte for byte.
struct Snapshot {
  std::array<LedgerRecord, 3> records;  // the day, its month, the year
  std::unique_ptr<MonthTickets> monthTickets;
  std::unique_ptr<YearLedger> ledger;
  std::unique_ptr<TicketStore> tickets;
  bool yearReset = false;
};

Snapshot take(const AppState& state, const Scope& scope) {
  Snapshot snapshot;
  if (scope.wholeYear()) {
    snapshot.ledger = std::make_unique<YearLedger>(state.ledger);
    snapshot.tickets = std::make_unique<TicketStore>(state.tickets);
    snapshot.yearReset = state.YearReset;
    return snapshot;
  }
  if (scope.amounts) {
    snapshot.records = {daySlot(state.ledger, scope.month, scope.day),
                        state.ledger.month(scope.month), state.ledger.year};
  }
  if (scope.tickets) {
    snapshot.monthTickets = std::make_unique<MonthTickets>(state.tickets.month(scope.month));
  }
  return snapshot;
}

void put(AppState& state, const Scope& scope, const Snapshot& snapshot) {
  if (scope.wholeYear()) {
    state.ledger = *snapshot.ledger;
    state.tickets = *snapshot.tickets;
    state.YearReset = snapshot.yearReset;
    return;
  }
  if (scope.amounts) {
    daySlot(state.ledger, scope.month, scope.day) = snapshot.records[0];
    state.ledger.month(scope.month) = snapshot.records[1];
    state.ledger.year = snapshot.records[2];
  }
  if (scope.tickets) state.tickets.month(scope.month) = *snapshot.monthTickets;
}

QString dayText(int month, int day, const char* what) {
  return QStringLiteral("%1月%2日の%3")
      .arg(QString::fromStdString(fullWidthNumber(month)),
           QString::fromStdString(fullWidthNumber(day)), QString::fromUtf8(what));
}

}  // namespace

// A step of the history: what it touches as it was before and after. Redo
// puts the after back (the first redo is the change itself), undo the
// before; both announce it as a fresh change would.
class SessionCommand : public QUndoCommand {
 public:
  SessionCommand(DataSession& session, const Scope& scope, Snapshot before, Snapshot after,
                 const QString& text)
      : QUndoCommand(text),
        session_(session),
        scope_(scope),
        before_(std::move(before)),
        after_(std::move(after)) {}

  void redo() override { apply(after_); }
  void undo() override { apply(before_); }
  bool resetsYear() const { return scope_.wholeYear() && !scope_.imported; }

 private:
  void apply(const Snapshot& snapshot) {
    put(*session_.state_, scope_, snapshot);
    if (scope_.imported) {
      for (const auto& [month, day] : scope_.days) emit session_.dayPosted(month, day);
      for (const int month : scope_.months) emit session_.ticketsChanged(month);
    } else if (scope_.wholeYear()) {
      emit session_.yearReset();
    } else {
      if (scope_.amounts) emit session_.dayPosted(scope_.month, scope_.day);
      if (scope_.tickets) emit session_.ticketsChanged(scope_.month);
    }
    emit session_.changed();
  }

  DataSession& session_;
  Scope scope_;
  Snapshot before_;
  Snapshot after_;
};

DataSession::DataSession(QObject* parent)
    : QObject(parent), state_(std::make_unique<AppState>()), undoStack_(new QUndoStack(this)) {
  undoStack_->setObjectName(QStringLiteral("undoStack"));
  connect(undoStack_, &QUndoStack::cleanChanged, this, [this](bool clean) { setModified(!clean); });
}

DataSession::~DataSession() {
  // The commands refer to the state: they go first, and the windows
  // listening to the history are not told of its end.
  undoStack_->blockSignals(true);
  delete undoStack_;
}

QString DataSession::dataDirPath() const {
  return state_->DataDirSwitched ? QDir(QString::fromStdString(state_->DataDir)).absolutePath()
                                 : QDir::currentPath();
}

void DataSession::setDataDir(const QString& dir) {
  state_->DataDirSwitched = !dir.isEmpty();
  state_->DataDir = dir.toStdString();
}

LoadOutcome DataSession::load() {
  lastLoad_ = loadData(*state_);
  const LoadOutcome& outcome = lastLoad_;
  state_->LoadResult = outcome.combined();
  // Steps of other data would undo into this data.
  undoStack_->clear();
  setModified(false);
  emit dataLoaded();
  return outcome;
}

SaveOutcome DataSession::save() {
  const SaveOutcome outcome = saveData(*state_);
  if (!outcome.ok()) return outcome;
  bool resetSaved = false;
  for (int i = 0; i < undoStack_->index(); ++i) {
    const auto* step = static_cast<const SessionCommand*>(undoStack_->command(i));
    resetSaved = resetSaved || step->resetsYear();
  }
  if (resetSaved) {
    // Once on disk the old year is gone for good, as it always was.
    undoStack_->clear();
  } else {
    undoStack_->setClean();
  }
  setModified(false);
  return outcome;
}

PostResult DataSession::postDay(int month, int day, const BetAmounts& amounts,
                                const DayTicketList* tickets) {
  if (month < 1 || month > 12 || day < 1 || day > kSlotsPerMonth) return PostResult::Overflow;
  // The day's differences are taken against what it holds now, whatever a
  // window showed before an undo.
  const std::optional<BetAmounts> stored = betAmounts(daySlot(state_->ledger, month, day));
  if (!stored) return PostResult::Overflow;
  if (tickets != nullptr && !canStoreDayTickets(state_->tickets, month, day, *tickets)) {
    return PostResult::Overflow;
  }
  const Scope scope{month, day, true, tickets != nullptr};
  Snapshot before = take(*state_, scope);
  BetAmounts baseline = *stored;
  // Changes nothing when it fails.
  if (tamrel::postDay(state_->ledger, baseline, month, day, amounts) != PostResult::Ok) {
    return PostResult::Overflow;
  }
  if (tickets != nullptr) {
    // Cannot fail: the room was checked above.
    [[maybe_unused]] const TransferResult result =
        tamrel::storeDayTickets(state_->tickets, month, day, *tickets);
  }
  Snapshot after = take(*state_, scope);
  put(*state_, scope, before);
  undoStack_->push(new SessionCommand(*this, scope, std::move(before), std::move(after),
                                      dayText(month, day, "収支")));
  return PostResult::Ok;
}

TransferResult DataSession::storeDayTickets(int month, int day, const DayTicketList& list) {
  if (month < 1 || month > 12 || day < 1 || day > kSlotsPerMonth) {
    return TransferResult::InvalidDate;
  }
  const Scope scope{month, day, false, true};
  Snapshot before = take(*state_, scope);
  const TransferResult result = tamrel::storeDayTickets(state_->tickets, month, day, list);
  if (result != TransferResult::Ok) return result;
  Snapshot after = take(*state_, scope);
  put(*state_, scope, before);
  undoStack_->push(new SessionCommand(*this, scope, std::move(before), std::move(after),
                                      dayText(month, day, "馬券")));
  return result;
}

void DataSession::resetYear() {
  const Scope scope;
  Snapshot before = take(*state_, scope);
  tamrel::resetYear(state_->ledger, state_->tickets);
  state_->YearReset = true;
  Snapshot after = take(*state_, scope);
  put(*state_, scope, before);
  undoStack_->push(new SessionCommand(*this, scope, std::move(before), std::move(after),
                                      QStringLiteral("ﾃﾞｰﾀ初期化")));
}

void DataSession::setModified(bool modified) {
  if (state_->DataChanged == modified) return;
  state_->DataChanged = modified;
  emit modifiedChanged(modified);
}

bool DataSession::applyImport(const ImportPlan& plan, const ImportOptions& options) {
  const int rows = acceptedRows(plan, options);
  if (rows == 0) return false;
  Scope scope;
  scope.imported = true;
  Snapshot before = take(*state_, scope);
  // Applied to copies: a row that fails half-way leaves the stores as they
  // were.
  auto ledger = std::make_unique<YearLedger>(state_->ledger);
  auto tickets = std::make_unique<TicketStore>(state_->tickets);
  if (!tamrel::applyImport(plan, options, *ledger, *tickets)) return false;
  for (int m = 1; m <= 12; ++m) {
    for (int d = 1; d <= kSlotsPerMonth; ++d) {
      if (daySlot(*ledger, m, d).text != daySlot(state_->ledger, m, d).text) {
        scope.days.emplace_back(m, d);
      }
    }
    const MonthTickets& now = state_->tickets.month(m);
    const MonthTickets& then = tickets->month(m);
    if (now.count != then.count || now.records != then.records) scope.months.push_back(m);
  }
  if (scope.days.empty() && scope.months.empty()) return false;
  state_->ledger = *ledger;
  state_->tickets = *tickets;
  Snapshot after = take(*state_, scope);
  put(*state_, scope, before);
  undoStack_->push(new SessionCommand(*this, scope, std::move(before), std::move(after),
                                      QStringLiteral("取り込み %1件").arg(rows)));
  return true;
}

}  // namespace tamrel
