#pragma once
// One program per data directory. Two copies working on the same files would
// each save over the other's work, so the program holds a lock file in its
// data directory for as long as it works there.

#include <QString>
#include <memory>

class QLockFile;

namespace tamrel {

class Messages;

// The lock file's name inside a data directory.
inline const QString kDataDirLockName = QStringLiteral(".tamrel.lock");

// Who holds a directory's lock, as far as its lock file tells.
struct LockHolder {
  qint64 pid = 0;  // 0: not known
  QString hostName;
  QString appName;
};

class DataDirLock {
 public:
  enum class Result {
    Locked,       // this program now holds the directory
    HeldByOther,  // another running copy holds it: see holder()
    NotLockable,  // no lock file can be made there (a read-only directory)
  };

  DataDirLock();
  ~DataDirLock();  // releases the lock
  DataDirLock(const DataDirLock&) = delete;
  DataDirLock& operator=(const DataDirLock&) = delete;

  // Takes the lock of `dir`, waiting only briefly. A lock left by a copy that
  // is no longer running is taken over. On Locked the lock held until now
  // (of another directory) is released; otherwise it is kept, so the caller
  // can stay where it was. Asking for the directory already held is Locked.
  Result tryLock(const QString& dir);

  // Who holds the directory that the last tryLock found held.
  const LockHolder& holder() const { return holder_; }
  // The directory held (its canonical path); empty when none.
  const QString& directory() const { return dir_; }

  void unlock();

 private:
  std::unique_ptr<QLockFile> lock_;
  QString dir_;
  LockHolder holder_;
};

// The refusal shown when another copy holds the data directory.
QString dataInUseMessage(const LockHolder& holder);

// Start-up: takes the lock of `dir`, then removes what saves cut short by a
// crash left there; when another copy holds it, tells the user so and
// returns false: this copy must not start. A directory in which no lock file
// can be made is worked on without one (nothing can be saved there either).
bool lockDataDirAtStart(DataDirLock& lock, const QString& dir, Messages& messages);

}  // namespace tamrel
