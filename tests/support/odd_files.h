#pragma once
// Files for the file tests: plain bytes read and written, and the odd things
// users' disks hold where a data file should be.

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

inline std::string readBytes(const std::filesystem::path& path) {
  std::ifstream f(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline bool writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(f);
}

// Every entry of `dir` with what it holds, sorted: "name -> target" for a
// link, "name/" for a directory, "name = bytes" for a small file, its size
// and a hash for a larger one. Equal listings mean nothing in the directory
// changed. A directory that is not there lists empty.
inline std::vector<std::string> listing(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) {
    const std::string name = e.path().filename().string();
    if (e.is_symlink()) {
      out.push_back(name + " -> " + fs::read_symlink(e.path()).string());
    } else if (e.is_directory()) {
      out.push_back(name + "/");
    } else if (!e.is_regular_file()) {
      out.push_back(name + " (special)");
    } else if (const std::string bytes = readBytes(e.path()); bytes.size() <= 64) {
      out.push_back(name + " = " + bytes);
    } else {
      out.push_back(name + " " + std::to_string(bytes.size()) + " bytes #" +
                    std::to_string(std::hash<std::string>{}(bytes)));
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

// Puts at `path` (which must not exist) one of:
//   "fifo", "link to fifo", "link to /dev/zero", "directory",
//   "link to directory", "dangling link" (into a folder that is not there),
//   "link loop", or "sparse N" (a file of N bytes, hardly any on disk).
// A link's target is made beside `path`. False for an unknown kind or when
// the file system refuses.
inline bool makeOddFile(const std::filesystem::path& path, std::string_view kind) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path beside = path;
  beside += ".target";
  if (kind == "fifo") return ::mkfifo(path.c_str(), 0600) == 0;
  if (kind == "link to fifo") {
    if (::mkfifo(beside.c_str(), 0600) != 0) return false;
    fs::create_symlink(beside.filename(), path, ec);
  } else if (kind == "link to /dev/zero") {
    fs::create_symlink("/dev/zero", path, ec);
  } else if (kind == "directory") {
    fs::create_directory(path, ec);
  } else if (kind == "link to directory") {
    if (!fs::create_directory(beside, ec)) return false;
    fs::create_symlink(beside.filename(), path, ec);
  } else if (kind == "dangling link") {
    fs::create_symlink(fs::path("gone") / path.filename(), path, ec);
  } else if (kind == "link loop") {
    fs::create_symlink(beside.filename(), path, ec);
    if (!ec) fs::create_symlink(path.filename(), beside, ec);
  } else if (kind.rfind("sparse ", 0) == 0) {
    if (!writeBytes(path, "S00\r\n")) return false;
    fs::resize_file(path, std::stoull(std::string(kind.substr(7))), ec);
  } else {
    return false;
  }
  return !ec;
}

}  // namespace testsupport
