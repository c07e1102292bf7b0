#pragma once
// The only writer of the data files.

#include <filesystem>
#include <string_view>

namespace tamrel {

// Writes `content` to a temporary file in the same directory, flushes and
// syncs it, then renames it over `path`. Returns false on any failure, in
// which case `path` is left byte for byte as it was and no temporary remains.
bool writeFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace tamrel
