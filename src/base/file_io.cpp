#include "base/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace tamrel {

namespace {

bool writeAll(int fd, std::string_view content) {
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

// The mode the replacement should carry: the old file's, or what a newly
// created file would get, so that replacing does not narrow permissions to
// those of a private temporary.
mode_t targetMode(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return static_cast<mode_t>(0666 & ~mask);
}

// Makes the rename itself durable; failure here does not undo the replace,
// so it is not reported.
void syncDirectory(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

std::optional<FileContent> readWholeFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  FileContent file;
  // One byte more than the file holds, so that its end is seen without
  // growing the buffer; a file that grows meanwhile, or one whose size is
  // not known, grows it.
  struct stat st {};
  std::size_t capacity = 65536;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
    capacity = static_cast<std::size_t>(st.st_size) + 1;
  file.buffer = std::make_unique_for_overwrite<char[]>(capacity);
  for (;;) {
    if (file.size == capacity) {
      capacity *= 2;
      auto larger = std::make_unique_for_overwrite<char[]>(capacity);
      std::memcpy(larger.get(), file.buffer.get(), file.size);
      file.buffer = std::move(larger);
    }
    const ssize_t n = ::read(fd, file.buffer.get() + file.size, capacity - file.size);
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
  ::close(fd);
  return file;
}

bool writeFileAtomically(const std::filesystem::path& path, std::string_view content) {
  const std::filesystem::path fileName = path.filename();
  if (fileName.empty()) return false;
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";

  std::filesystem::path tempFile = dir / ".";
  tempFile += fileName;
  tempFile += ".XXXXXX";
  std::string tempName = tempFile.string();
  const int fd = ::mkostemp(tempName.data(), O_CLOEXEC);
  if (fd < 0) return false;

  bool ok = writeAll(fd, content);
  ok = ok && ::fchmod(fd, targetMode(path.string())) == 0;
  ok = ok && ::fsync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  ok = ok && ::rename(tempName.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(tempName.c_str());
    return false;
  }
  syncDirectory(dir.string());
  return true;
}

}  // namespace tamrel
