#pragma once
// Reading and writing the data files: the one reader and the only writer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "base/simd.h"

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

// Why a file could not be read as a data file.
enum class ReadFailure : std::int8_t {
  None,
  Missing,         // no such file (a link to nothing included)
  NotRegularFile,  // a directory, a FIFO, a device, also behind a link
  TooLarge,        // larger than kMaxDataFileBytes
  Unreadable,      // no permission, a read error, no memory, it grew
};

// The whole file; nullopt when it cannot be read as a data file: missing,
// not a regular file, larger than kMaxDataFileBytes, or no memory to hold
// it. `why` then says which.
std::optional<FileContent> readWholeFile(const std::filesystem::path& path, ReadFailure& why);
std::optional<FileContent> readWholeFile(const std::filesystem::path& path);

// Whether `n` bytes from `p` hold an LF, looked at sixteen bytes at a time
// with SSE2, or eight in the byte lanes of a word, with no branch per block:
// a line of known length is then checked at the speed of reading it.
inline bool holdsLineFeed(const char* p, std::size_t n) {
  std::size_t i = 0;
  std::uint64_t found = 0;
#if TAMREL_SSE2
  if (n >= 16) {
    const __m128i lineFeeds = _mm_set1_epi8('\n');
    // The last block overlaps the one before it instead of a byte-wise tail.
    __m128i seen =
        _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16)), lineFeeds);
    for (; i + 16 < n; i += 16) {
      const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      seen = _mm_or_si128(seen, _mm_cmpeq_epi8(block, lineFeeds));
    }
    return _mm_movemask_epi8(seen) != 0;
  }
#endif
#if TAMREL_BYTE_LANES
  // XOR with LF makes an LF a zero byte; (w - 0x01..) & ~w & 0x80.. is
  // nonzero exactly when a byte of w is zero: a lane is marked only by its
  // own zero or by a borrow that a zero lane below it started.
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  constexpr std::uint64_t kLineFeeds = kOnes * '\n';
  for (; i + 8 <= n; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, 8);
    word ^= kLineFeeds;
    found |= (word - kOnes) & ~word & kHighBits;
  }
#endif
  for (; i < n; ++i) found |= static_cast<std::uint64_t>(p[i] == '\n');
  return found != 0;
}

// The line that starts at `p` (before `end`), with `p` moved past it. A line
// ends at LF, and a CR just before the LF is dropped, so files edited on
// other systems read the same.
//
// `usualLineBytes` is the length, LF included, that nearly every line of the
// file has (0 for none): such a line is taken in one look at its bytes
// instead of a search for its end, which would make the line's end wait on
// the previous one's. Any other line is found by the search; the lines are
// the same either way.
inline std::string_view nextLine(const char*& p, const char* end, std::size_t usualLineBytes = 0) {
  const auto left = static_cast<std::size_t>(end - p);
  const char* lf = nullptr;
  if (usualLineBytes != 0 && left >= usualLineBytes && p[usualLineBytes - 1] == '\n' &&
      !holdsLineFeed(p, usualLineBytes - 1)) {
    lf = p + usualLineBytes - 1;
  } else {
    lf = static_cast<const char*>(std::memchr(p, '\n', left));
  }
  const char* const lineEnd = lf != nullptr ? lf : end;
  std::string_view line(p, static_cast<std::size_t>(lineEnd - p));
  p = lf != nullptr ? lf + 1 : end;
  if (lf != nullptr && !line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// Calls `onLine` for each line of `text`, as nextLine takes them, until it
// returns false.
template <typename OnLine>
void forEachLine(std::string_view text, OnLine&& onLine, std::size_t usualLineBytes = 0) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p != end) {
    if (!onLine(nextLine(p, end, usualLineBytes))) return;
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
// a file system without hard links. `failure` gives the errno with which
// an fsync step ("fsync the new version", "fsync the copy") fails instead of
// running (0: it runs), as a disk that reports its write lost would. The
// program passes none.
struct SaveProbe {
  std::function<void(const std::filesystem::path& file, std::string_view step)> afterStep;
  bool refuseLinks = false;
  std::function<int(std::string_view step)> failure;
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
