#include "state/data_session.h"

#include <QDir>

namespace tamrel {

DataSession::DataSession(QObject* parent) : QObject(parent), state_(std::make_unique<AppState>()) {}

DataSession::~DataSession() = default;

QString DataSession::dataDirPath() const {
  return state_->DataDirSwitched ? QDir(QString::fromStdString(state_->DataDir)).absolutePath()
                                 : QDir::currentPath();
}

void DataSession::setDataDir(const QString& dir) {
  state_->DataDirSwitched = !dir.isEmpty();
  state_->DataDir = dir.toStdString();
}

LoadOutcome DataSession::load() {
  const LoadOutcome outcome = loadData(*state_);
  state_->LoadResult = outcome.combined();
  setModified(false);
  emit dataLoaded();
  return outcome;
}

SaveOutcome DataSession::save() {
  const SaveOutcome outcome = saveData(*state_);
  if (outcome.ok()) setModified(false);
  return outcome;
}

PostResult DataSession::postDay(int month, int day, BetAmounts& baseline,
                                const BetAmounts& amounts) {
  const PostResult result = tamrel::postDay(state_->ledger, baseline, month, day, amounts);
  if (result != PostResult::Ok) return result;
  setModified(true);
  emit dayPosted(month, day);
  return result;
}

TransferResult DataSession::storeDayTickets(int month, int day, const DayTicketList& list) {
  const TransferResult result = tamrel::storeDayTickets(state_->tickets, month, day, list);
  if (result != TransferResult::Ok) return result;
  setModified(true);
  emit ticketsChanged(month);
  return result;
}

void DataSession::resetYear() {
  tamrel::resetYear(state_->ledger, state_->tickets);
  setModified(true);
  emit yearReset();
}

void DataSession::setModified(bool modified) {
  if (state_->DataChanged == modified) return;
  state_->DataChanged = modified;
  emit modifiedChanged(modified);
}

}  // namespace tamrel
