#pragma once
// Reading and writing the data files: the one reader and the only writer.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tamrel {

struct FileContent {
  std::string bytes;
  // False when a read error cut the file short; `bytes` then holds only the
  // whole lines read before it.
  bool complete = true;
};

// The whole file; nullopt when it cannot be opened (missing, a directory).
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

// Writes `content` to a temporary file in the same directory, flushes and
// syncs it, then renames it over `path`. Returns false on any failure, in
// which case `path` is left byte for byte as it was and no temporary remains.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace tamrel
