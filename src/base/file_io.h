#pragma once
// Reading and writing the data files: the one reader and the only writer.

#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>

namespace tamrel {

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

// The whole file; nullopt when it cannot be opened (missing, a directory).
std::optional<FileContent> readWholeFile(const std::filesystem::path& path);

// Calls `onLine` for each line of `text`. A line ends at LF, and a CR just
// before the LF is dropped, so files edited on other systems read the same.
template <typename OnLine>
void forEachLine(std::string_view text, OnLine&& onLine) {
  const char* at = text.data();
  const char* const end = at + text.size();
  while (at != end) {
    const auto* lf = static_cast<const char*>(std::memchr(at, '\n', end - at));
    const char* lineEnd = lf != nullptr ? lf : end;
    if (lf != nullptr && lineEnd != at && lineEnd[-1] == '\r') --lineEnd;
    const std::string_view line(at, static_cast<std::size_t>(lineEnd - at));
    at = lf != nullptr ? lf + 1 : end;
    if (!onLine(line)) return;
  }
}

// Writes `content` to a temporary file in the same directory, flushes and
// syncs it, then renames it over `path`. Returns false on any failure, in
// which case `path` is left byte for byte as it was and no temporary remains.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace tamrel
