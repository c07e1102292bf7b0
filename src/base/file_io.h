#pragma once
// Reading and writing the data files: the one reader and the only writer.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

// The largest file the reader takes. The largest valid data file is the
// ticket file at 1 + 12 x 499 lines of 52 bytes (about 311 KB); anything far
// beyond that is not a data file, and reading it could exhaust memory.
inline constexpr std::size_t kMaxDataFileBytes = std::size_t{8} << 20;

struct FileContent {
  // The bytes are read straight into a buffer that is never cleared first:
  // loading is then little more than the read itself.
  std::unique_ptr<char[]> buffer;
  std::size_t size = 0;
  // False when a read error cut the file short; `bytes()` then holds only
  // the whole lines read before it.
  bool complete = true;

  std::string_view bytes() const { return {buffer.get(), size}; }
};

// The whole file; nullopt when it cannot be read as a data file: missing,
// not a regular file (a directory, a FIFO, a device, also behind a link),
// larger than kMaxDataFileBytes, or no memory to hold it.
std::optional<FileContent> readWholeFile(const std::filesystem::path& path);

// Calls `onLine` for each line of `text`. A line ends at LF, and a CR just
// before the LF is dropped, so files edited on other systems read the same.
template <typename OnLine>
void forEachLine(std::string_view text, OnLine&& onLine) {
  while (!text.empty()) {
    const std::size_t lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
    if (lf != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!onLine(line)) return;
  }
}

// Whether a record holds an LF: written out, it would split its line, so the
// writers refuse it. A CR is carried: the reader ends a line at LF only, so
// a record with a CR (which only a loaded file can give it) reads back as it
// was, and refusing it would leave such a file impossible to save.
bool breaksLine(std::string_view record);

// The number of previous versions a save keeps beside a data file: "name.1"
// (newest) to "name.3" (oldest).
inline constexpr int kKeptGenerations = 3;

// How a save ended: Ok, or why it failed.
enum class SaveResult : std::int16_t {
  Ok = 0,
  WriteError = 1,  // a failure not named below, such as an I/O error of the disk
  NotAFile,        // a directory, FIFO or device (even behind a link) in the file's place
  NoFolder,        // the folder the file goes in is not there
  DiskFull,        // no space left, or the user's disk quota used up
  TooLarge,        // beyond the process's file-size limit
  ReadOnly,        // a file system mounted read-only
  NoPermission,    // refused by the folder's or the file's permissions
  LineBreak,       // a record holds an LF, which would split its line
  NoMemory,
};

// The reason in the user's words (UTF-8); empty for Ok.
std::string saveResultText(SaveResult result);

// A test's hold on a save in progress. `afterStep` is called after each step
// that changes the disk (each write, fsync, link, copy and rename) with the
// file being replaced and the step's name, so that a test can end the
// process there as a crash would; with `refuseLinks` the save behaves as on
// a file system without hard links. The program passes none.
struct SaveProbe {
  std::function<void(const std::filesystem::path& file, std::string_view step)> afterStep;
  bool refuseLinks = false;
};

// Writes `content` to a temporary file in the file's directory, flushes and
// syncs it, then renames it over the file: at every instant the file is the
// complete old or the complete new version. A `path` that is a symbolic link
// is followed: the file it points at is replaced, in its own directory, and
// the link stays.
//
// With `generations` > 0 the replaced version is kept as "name.1", the older
// ones moving up to "name.<generations>" (the oldest is dropped). The
// versions that exist under those names are complete and in age order at
// every instant; a rotation cut short (by a crash, or a failing step) is
// finished by the next save, so a gap it left loses no version.
//
// On failure the file itself is as it was and no temporary remains; a
// failure before the rotation (a full disk, a file-size limit, a read-only
// folder, a directory in a generation's place) leaves the generations as they
// were too. A file-size limit makes the write fail as an error instead of its
// signal ending the process.
SaveResult writeFileAtomically(const std::filesystem::path& path, std::string_view content,
                               int generations = 0, const SaveProbe* probe = nullptr);

// Saves a data file: `makeText()` gives its bytes, or nullopt when a record
// holds an LF; the file is then replaced keeping kKeptGenerations. Running
// out of memory is a failure like any other.
template <typename MakeText>
SaveResult saveDataFile(const std::filesystem::path& path, MakeText&& makeText,
                        const SaveProbe* probe = nullptr) {
  try {
    const std::optional<std::string> text = makeText();
    if (!text) return SaveResult::LineBreak;
    return writeFileAtomically(path, *text, kKeptGenerations, probe);
  } catch (const std::bad_alloc&) {
    return SaveResult::NoMemory;
  }
}

// Removes what saves cut short by a crash left beside `file` (or beside the
// file its link points at): regular files named as the writer names its
// temporaries, nothing else. Only while no save can be running there, that
// is, with the data directory's lock held. Returns how many were removed.
int removeSaveLeftovers(const std::filesystem::path& file);

}  // namespace tamrel
