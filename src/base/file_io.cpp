#include "base/file_io.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <new>
#include <string>
#include <utility>
#include <vector>

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

bool writeAll(int fd, std::string_view content) {
  const FileSizeSignalBlock noKill;
  const char* data = content.data();
  std::size_t left = content.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  return true;
}

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

// Renames that can be taken back, newest first, when a later one fails.
class Renames {
 public:
  bool move(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return false;
    done_.emplace_back(from, to);
    return true;
  }
  void undo() {
    for (auto it = done_.rbegin(); it != done_.rend(); ++it) {
      (void)::rename(it->second.c_str(), it->first.c_str());
    }
    done_.clear();
  }

 private:
  std::vector<std::pair<fs::path, fs::path>> done_;
};

bool replaceFile(const fs::path& path, std::string_view content, int generations) {
  const std::optional<fs::path> target = finalTarget(path);
  if (!target || target->filename().empty()) return false;

  struct stat old {};
  const bool exists = ::lstat(target->c_str(), &old) == 0;
  if (!exists && errno != ENOENT) return false;
  // Only a file is replaced: a directory, a FIFO or a device in its place
  // (even behind a link) is refused, never renamed over.
  if (exists && !S_ISREG(old.st_mode)) return false;
  const bool rotate = exists && generations > 0;
  if (rotate) {
    for (int n = 1; n <= generations; ++n) {
      // A rename cannot move a file onto a directory: refuse before anything
      // changes.
      if (isDirectory(generationPath(*target, n))) return false;
    }
  }

  fs::path dir = target->parent_path();
  if (dir.empty()) dir = ".";
  fs::path tempFile = dir / ".";
  tempFile += target->filename();
  tempFile += ".XXXXXX";
  std::string tempName = tempFile.string();
  Descriptor fd(::mkostemp(tempName.data(), O_CLOEXEC));
  if (fd.get() < 0) return false;

  bool ok = writeAll(fd.get(), content);
  ok = ok && ::fchmod(fd.get(), exists ? (old.st_mode & 07777) : newFileMode()) == 0;
  ok = ok && ::fsync(fd.get()) == 0;
  ok = fd.close() && ok;

  // The new content is safely on disk; now the renames. The generations
  // move up to the first free number; only when none is free is the oldest
  // dropped, and even then it is first only set aside, so that a failing
  // rename can put every name back as it was.
  Renames renames;
  fs::path aside;
  if (ok && rotate) {
    int free = 1;
    while (free <= generations && present(generationPath(*target, free))) ++free;
    if (free > generations) {
      free = generations;
      aside = tempName + "~";
      ok = renames.move(generationPath(*target, free), aside);
    }
    for (int n = free - 1; ok && n >= 1; --n) {
      ok = renames.move(generationPath(*target, n), generationPath(*target, n + 1));
    }
    ok = ok && renames.move(*target, generationPath(*target, 1));
  }
  ok = ok && renames.move(tempName, *target);
  if (!ok) {
    renames.undo();
    ::unlink(tempName.c_str());
    return false;
  }
  if (!aside.empty()) ::unlink(aside.c_str());
  syncDirectory(dir);
  return true;
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

bool writeFileAtomically(const fs::path& path, std::string_view content, int generations) {
  try {
    return replaceFile(path, content, generations);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tamrel
