#include "base/file_io.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <ctime>
#include <new>
#include <string>
#include <utility>

namespace tamrel {

namespace fs = std::filesystem;

namespace {

// Closes a descriptor on every way out.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, reporting the result (a delayed write error shows here).
  bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

// A write beyond the process's file-size limit raises SIGXFSZ, whose default
// action ends the process in the middle of a save, losing the unsaved data
// and leaving the temporary behind. While this is in scope the signal is
// blocked, so the write fails with EFBIG like any other write error; a signal
// left pending by it is taken off before the old mask returns.
class FileSizeSignalBlock {
 public:
  FileSizeSignalBlock() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGXFSZ);
    blocked_ = ::pthread_sigmask(SIG_BLOCK, &set_, &previous_) == 0;
  }
  ~FileSizeSignalBlock() {
    if (!blocked_) return;
    if (!sigismember(&previous_, SIGXFSZ)) {
      const timespec none{};
      while (::sigtimedwait(&set_, nullptr, &none) == SIGXFSZ) {
      }
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  FileSizeSignalBlock(const FileSizeSignalBlock&) = delete;
  FileSizeSignalBlock& operator=(const FileSizeSignalBlock&) = delete;

 private:
  sigset_t set_{};
  sigset_t previous_{};
  bool blocked_ = false;
};

// Writes all of `content`; 0, or the error number of the write that failed.
int writeAll(int fd, std::string_view content) {
  const FileSizeSignalBlock noKill;
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) return EIO;
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return 0;
}

// Why a system call failed, as a save reports it.
SaveResult failureOf(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return SaveResult::DiskFull;
    case EFBIG:
      return SaveResult::TooLarge;
    case EROFS:
      return SaveResult::ReadOnly;
    case EACCES:
    case EPERM:
      return SaveResult::NoPermission;
    case ENOENT:
    case ENOTDIR:
      return SaveResult::NoFolder;
    case EISDIR:
      return SaveResult::NotAFile;
    case ENOMEM:
      return SaveResult::NoMemory;
    default:
      return SaveResult::WriteError;
  }
}

SaveResult lastFailure() { return failureOf(errno); }

// The mode a newly created file gets, so that a first save does not narrow
// permissions to those of a private temporary.
mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Makes the renames themselves durable; failure here does not undo them, so
// it is not reported.
void syncDirectory(const fs::path& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

// The file a save replaces: `path` itself, or the end of its chain of
// symbolic links (which need not exist yet). nullopt for a chain that does
// not end.
std::optional<fs::path> finalTarget(fs::path path) {
  constexpr int kMaxLinks = 40;
  for (int i = 0; i < kMaxLinks; ++i) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::error_code ec;
    const fs::path next = fs::read_symlink(path, ec);
    if (ec) return std::nullopt;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return std::nullopt;
}

fs::path folderOf(const fs::path& file) {
  fs::path dir = file.parent_path();
  return dir.empty() ? fs::path(".") : dir;
}

bool present(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const fs::path& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

fs::path generationPath(const fs::path& file, int n) {
  fs::path p = file;
  // Appended in two steps: GCC 12 warns falsely on "." + std::string when
  // optimising.
  p += ".";
  p += std::to_string(n);
  return p;
}

// The writer's temporaries beside a file "name": the new version as
// ".name.XXXXXX" (mkostemp's six letters or digits), the version it replaces
// as the same name with "~" until that becomes "name.1". Start-up removes
// what a crash left of them, so the pattern must stay apart from any name a
// user gives a file.
constexpr std::string_view kPreviousSuffix = "~";

bool isTemporaryName(std::string_view name, std::string_view file) {
  if (name.size() < 1 + file.size() + 7 || name.front() != '.') return false;
  if (name.substr(1, file.size()) != file) return false;
  std::string_view rest = name.substr(1 + file.size());
  if (rest.ends_with(kPreviousSuffix)) rest.remove_suffix(kPreviousSuffix.size());
  const auto letterOrDigit = [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  };
  return rest.size() == 7 && rest.front() == '.' &&
         std::all_of(rest.begin() + 1, rest.end(), letterOrDigit);
}

// A name of the save's own, removed again unless it was given its final
// name (or the process ends first: start-up removes it then).
class Temporary {
 public:
  Temporary() = default;
  explicit Temporary(std::string path) : path_(std::move(path)) {}
  ~Temporary() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  const std::string& path() const { return path_; }
  void own(std::string path) { path_ = std::move(path); }
  // Renamed to its final name: nothing to remove.
  void release() { path_.clear(); }

 private:
  std::string path_;
};

// The steps of a save that change the disk, told to a test's probe.
class Steps {
 public:
  Steps(const SaveProbe* probe, const fs::path& file) : probe_(probe), file_(file) {}
  void done(std::string_view step) const {
    if (probe_ != nullptr && probe_->afterStep) probe_->afterStep(file_, step);
  }
  bool linksRefused() const { return probe_ != nullptr && probe_->refuseLinks; }
  // fsync(fd) as the step `step`; false, with errno set, when it fails.
  bool sync(int fd, std::string_view step) const {
    if (probe_ != nullptr && probe_->failure) {
      if (const int error = probe_->failure(step)) {
        errno = error;
        return false;
      }
    }
    if (::fsync(fd) != 0) return false;
    done(step);
    return true;
  }

 private:
  const SaveProbe* probe_;
  const fs::path& file_;
};

// The new version under a temporary name beside the file, complete and on
// the disk before the file's name is given to it.
SaveResult writeNewVersion(Temporary& temp, const fs::path& target, std::string_view content,
                           mode_t mode, const Steps& steps) {
  fs::path pattern = folderOf(target) / ".";
  pattern += target.filename();
  pattern += ".XXXXXX";
  std::string name = pattern.string();
  Descriptor fd(::mkostemp(name.data(), O_CLOEXEC));
  if (fd.get() < 0) return lastFailure();
  temp.own(std::move(name));
  steps.done("create the new version");
  if (const int error = writeAll(fd.get(), content)) return failureOf(error);
  steps.done("write the new version");
  if (::fchmod(fd.get(), mode) != 0 || !steps.sync(fd.get(), "fsync the new version")) {
    return lastFailure();
  }
  return fd.close() ? SaveResult::Ok : lastFailure();
}

// A copy of `from` as the new file `to`, complete and on the disk.
SaveResult copyFile(const fs::path& from, const std::string& to, mode_t mode, const Steps& steps) {
  const Descriptor in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.get() < 0) return lastFailure();
  Descriptor out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
  if (out.get() < 0) return lastFailure();
  steps.done("create the copy");
  std::array<char, 64 * 1024> buffer;
  for (;;) {
    const ssize_t n = ::read(in.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return lastFailure();
    if (n == 0) break;
    if (const int error = writeAll(out.get(), {buffer.data(), static_cast<std::size_t>(n)})) {
      return failureOf(error);
    }
    steps.done("write the copy");
  }
  if (::fchmod(out.get(), mode) != 0 || !steps.sync(out.get(), "fsync the copy")) {
    return lastFailure();
  }
  return out.close() ? SaveResult::Ok : lastFailure();
}

// Gives the version about to be replaced a second name, `previous`, while the
// file keeps its own: a hard link, or a copy where the file system has none
// (FAT-formatted drives, some network and synced folders refuse links, and
// a file may have reached its system's largest number of links).
SaveResult keepPrevious(const fs::path& target, const std::string& previous, mode_t mode,
                        const Steps& steps) {
  if (!steps.linksRefused()) {
    if (::link(target.c_str(), previous.c_str()) == 0) {
      steps.done("link the previous version");
      return SaveResult::Ok;
    }
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS && errno != EMLINK) {
      return lastFailure();
    }
  }
  return copyFile(target, previous, mode, steps);
}

bool sameBytes(const fs::path& a, const fs::path& b) {
  const Descriptor fa(::open(a.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  const Descriptor fb(::open(b.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fa.get() < 0 || fb.get() < 0) return false;
  std::array<char, 16 * 1024> ba;
  std::array<char, 16 * 1024> bb;
  for (;;) {
    const ssize_t na = ::read(fa.get(), ba.data(), ba.size());
    if (na < 0) return false;
    // Regular files deliver what is asked of them until their end.
    const ssize_t nb = ::read(fb.get(), bb.data(), static_cast<std::size_t>(na));
    if (nb != na) return false;
    if (na == 0) return true;
    if (!std::equal(ba.begin(), ba.begin() + na, bb.begin())) return false;
  }
}

// Whether "name.1" already holds the version about to be replaced: a save cut
// short after giving it that name, before it renamed its new version over
// the file. Rotating again would push out the oldest version for a
// duplicate of the newest.
bool alreadyKept(const fs::path& target, const struct stat& current) {
  const fs::path first = generationPath(target, 1);
  struct stat kept {};
  if (::lstat(first.c_str(), &kept) != 0 || !S_ISREG(kept.st_mode)) return false;
  if (kept.st_dev == current.st_dev && kept.st_ino == current.st_ino) return true;
  return kept.st_size == current.st_size && sameBytes(target, first);
}

// Moves the kept versions up one number to the first free one (the oldest
// is overwritten when none is free), then names `previous` "name.1". After
// each rename every name is absent or a complete version, in age order; a
// rotation cut short leaves a gap, which the next one fills from below, so
// no version is lost.
SaveResult rotateGenerations(const fs::path& target, int generations, const std::string& previous,
                             const Steps& steps) {
  int free = 1;
  while (free < generations && present(generationPath(target, free))) ++free;
  for (int n = free - 1; n >= 1; --n) {
    const fs::path from = generationPath(target, n);
    if (::rename(from.c_str(), generationPath(target, n + 1).c_str()) != 0) return lastFailure();
    steps.done("rename a generation");
  }
  if (::rename(previous.c_str(), generationPath(target, 1).c_str()) != 0) return lastFailure();
  steps.done("rename the previous version to .1");
  return SaveResult::Ok;
}

// The file is replaced only by the rename of its complete new version, so it
// is never missing; the version it held has the name "name.1" before that.
SaveResult replaceFile(const fs::path& path, std::string_view content, int generations,
                       const Steps& steps) {
  const std::optional<fs::path> target = finalTarget(path);
  if (!target || target->filename().empty()) return SaveResult::NotAFile;
  struct stat old {};
  const bool exists = ::lstat(target->c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return lastFailure();
  // Only a file is replaced: a directory, a FIFO or a device in its place
  // (even behind a link) is refused, never renamed over.
  if (exists && !S_ISREG(old.st_mode)) return SaveResult::NotAFile;
  const bool rotate = exists && generations > 0 && !alreadyKept(*target, old);
  for (int n = 1; rotate && n <= generations; ++n) {
    // A rename cannot move a file onto a directory: refuse before anything
    // changes.
    if (isDirectory(generationPath(*target, n))) return SaveResult::NotAFile;
  }

  Temporary fresh;
  const mode_t mode = exists ? (old.st_mode & 07777) : newFileMode();
  SaveResult result = writeNewVersion(fresh, *target, content, mode, steps);
  if (result != SaveResult::Ok) return result;
  const fs::path dir = folderOf(*target);
  if (rotate) {
    Temporary previous(fresh.path() + std::string(kPreviousSuffix));
    result = keepPrevious(*target, previous.path(), mode, steps);
    if (result != SaveResult::Ok) return result;
    result = rotateGenerations(*target, generations, previous.path(), steps);
    if (result != SaveResult::Ok) return result;
    previous.release();
    // On the disk before the file is replaced: after a power cut the file
    // is never new while its generations are still old.
    syncDirectory(dir);
    steps.done("fsync the folder");
  }
  if (::rename(fresh.path().c_str(), target->c_str()) != 0) return lastFailure();
  fresh.release();
  steps.done("rename the new version over the file");
  syncDirectory(dir);
  steps.done("fsync the folder");
  return SaveResult::Ok;
}

// Removes the writer's temporaries for the file named `file` in `dir`.
int removeTemporaries(const fs::path& dir, const std::string& file) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path& entry = it->path();
    struct stat st {};
    // Only regular files: a link or a directory that happens to match is the
    // user's, never the writer's.
    if (!isTemporaryName(entry.filename().string(), file) || ::lstat(entry.c_str(), &st) != 0 ||
        !S_ISREG(st.st_mode)) {
      continue;
    }
    if (::unlink(entry.c_str()) == 0) ++removed;
  }
  return removed;
}

}  // namespace

std::optional<FileContent> readWholeFile(const fs::path& path, ReadFailure& why) {
  why = ReadFailure::Unreadable;
  try {
    // Without O_NONBLOCK, opening a FIFO waits for a writer for ever; on a
    // regular file the flag changes nothing.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
      if (errno == ENOENT || errno == ENOTDIR) why = ReadFailure::Missing;
      return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return std::nullopt;
    if (!S_ISREG(st.st_mode)) {
      why = ReadFailure::NotRegularFile;
      return std::nullopt;
    }
    // A file far beyond any data file (a sparse one, say) is refused before
    // a byte of it is read.
    if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > kMaxDataFileBytes) {
      why = ReadFailure::TooLarge;
      return std::nullopt;
    }

    FileContent file;
    // One byte more than the file holds, so that its end is seen without
    // growing the buffer; a file that grows meanwhile is no data file.
    const auto capacity = static_cast<std::size_t>(st.st_size) + 1;
    file.buffer = std::make_unique_for_overwrite<char[]>(capacity);
    for (;;) {
      if (file.size == capacity) return std::nullopt;
      const ssize_t n = ::read(fd.get(), file.buffer.get() + file.size, capacity - file.size);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        // Only whole lines count as read; a cut-off tail is dropped.
        file.complete = false;
        const std::size_t lastLf = file.bytes().rfind('\n');
        file.size = lastLf == std::string_view::npos ? 0 : lastLf + 1;
        break;
      }
      if (n == 0) break;
      file.size += static_cast<std::size_t>(n);
    }
    why = ReadFailure::None;
    return file;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

std::optional<FileContent> readWholeFile(const fs::path& path) {
  ReadFailure why{};
  return readWholeFile(path, why);
}

bool breaksLine(std::string_view record) { return record.find('\n') != std::string_view::npos; }

std::string saveResultText(SaveResult result) {
  switch (result) {
    case SaveResult::Ok:
      return {};
    case SaveResult::NotAFile:
      return "通常のファイルではありません(フォルダなど)";
    case SaveResult::NoFolder:
      return "保存先のフォルダがありません";
    case SaveResult::DiskFull:
      return "ディスクの空き容量が足りません";
    case SaveResult::TooLarge:
      return "ファイルサイズの上限を超えます";
    case SaveResult::ReadOnly:
      return "保存先は読み取り専用です";
    case SaveResult::NoPermission:
      return "保存先に書き込む権限がありません";
    case SaveResult::LineBreak:
      return "改行を含むレコードがあります";
    case SaveResult::NoMemory:
      return "メモリが足りません";
    case SaveResult::WriteError:
      break;
  }
  return "ディスクへの書き込みに失敗しました";
}

SaveResult writeFileAtomically(const fs::path& path, std::string_view content, int generations,
                               const SaveProbe* probe) {
  try {
    return replaceFile(path, content, generations, Steps(probe, path));
  } catch (const std::bad_alloc&) {
    return SaveResult::NoMemory;
  }
}

int removeSaveLeftovers(const fs::path& file) {
  try {
    int removed = removeTemporaries(folderOf(file), file.filename().string());
    // A linked file is saved beside the file the link points at.
    const std::optional<fs::path> target = finalTarget(file);
    if (target && *target != file && !target->filename().empty()) {
      removed += removeTemporaries(folderOf(*target), target->filename().string());
    }
    return removed;
  } catch (const std::bad_alloc&) {
    return 0;
  }
}

}  // namespace tamrel
