#include "shell/data_dir_lock.h"

#include <QDir>
#include <QLockFile>
#include <QSysInfo>

#include "store/data_files.h"
#include "widgets/messages.h"

namespace tamrel {

namespace {

// Long enough for a copy that is just releasing the lock, short enough not
// to be noticed at start-up.
constexpr int kLockWaitMs = 200;

}  // namespace

DataDirLock::DataDirLock() = default;
DataDirLock::~DataDirLock() = default;

DataDirLock::Result DataDirLock::tryLock(const QString& dir) {
  holder_ = {};
  const QDir d(dir);
  const QString canonical = d.canonicalPath();
  if (lock_ && !canonical.isEmpty() && canonical == dir_) return Result::Locked;

  auto lock = std::make_unique<QLockFile>(d.absoluteFilePath(kDataDirLockName));
  // The lock is held for the whole run: its age says nothing. Only a holder
  // that is no longer running makes it stale.
  lock->setStaleLockTime(0);
  if (lock->tryLock(kLockWaitMs)) {
    lock_ = std::move(lock);
    dir_ = canonical;
    return Result::Locked;
  }
  if (lock->error() != QLockFile::LockFailedError) return Result::NotLockable;
  if (!lock->getLockInfo(&holder_.pid, &holder_.hostName, &holder_.appName)) holder_ = {};
  return Result::HeldByOther;
}

void DataDirLock::unlock() {
  lock_.reset();
  dir_.clear();
}

QString dataInUseMessage(const LockHolder& holder) {
  QString text = QStringLiteral("データは他のウィンドウで使用中です");
  if (holder.pid <= 0) return text;
  const bool elsewhere =
      !holder.hostName.isEmpty() && holder.hostName != QSysInfo::machineHostName();
  if (elsewhere) {
    text += QStringLiteral("(ﾎｽﾄ %1 ﾌﾟﾛｾｽ番号 %2)").arg(holder.hostName).arg(holder.pid);
  } else {
    text += QStringLiteral("(ﾌﾟﾛｾｽ番号 %1)").arg(holder.pid);
  }
  return text;
}

bool lockDataDirAtStart(DataDirLock& lock, const QString& dir, Messages& messages) {
  switch (lock.tryLock(dir)) {
    case DataDirLock::Result::Locked:
      // No other copy can be saving here now: what a save cut short by a
      // crash left behind can go.
      removeSaveLeftoversIn(dir.toStdString());
      return true;
    case DataDirLock::Result::NotLockable:
      return true;
    case DataDirLock::Result::HeldByOther:
      break;
  }
  messages.error(dataInUseMessage(lock.holder()));
  return false;
}

}  // namespace tamrel
