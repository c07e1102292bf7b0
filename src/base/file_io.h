#pragma once
// Reading and writing the data files: the one reader and the only writer.

#include <cstddef>
#include <filesystem>
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

// Writes `content` to a temporary file in the file's directory, flushes and
// syncs it, then renames it over the file. A `path` that is a symbolic link
// is followed: the file it points at is replaced, in its own directory, and
// the link stays. With `generations` > 0 the replaced file is first kept as
// "name.1", the older ones moving up to "name.<generations>" (the oldest is
// dropped); only renames, no copies.
//
// Returns false on any failure: the target is not a regular file, the disk is
// full, a file-size limit is reached (the write fails as an error instead of
// the limit's signal ending the process), and so on. `path`, the file it
// points at and its generations are then as they were, and no temporary
// remains.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content,
                         int generations = 0);

// Saves a data file: `makeText()` gives its bytes, or nullopt when they
// cannot be written; the file is then replaced keeping kKeptGenerations.
// False on any failure, running out of memory included.
template <typename MakeText>
bool saveDataFile(const std::filesystem::path& path, MakeText&& makeText) {
  try {
    const std::optional<std::string> text = makeText();
    return text && writeFileAtomically(path, *text, kKeptGenerations);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace tamrel
