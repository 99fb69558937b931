#include "runtime/values/fsutil.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "runtime/values/date.h"
#include "runtime/values/text.h"

namespace qm {

namespace fs = std::filesystem;

namespace {

bool isDir(const std::string& p) {
  std::error_code ec;
  return fs::is_directory(p.empty() ? "." : p, ec);
}

bool exists(const std::string& p) {
  std::error_code ec;
  return fs::exists(p, ec);
}

// One component, any case: exact first, else the first match in name order.
std::string findComponent(const std::string& dir, const std::string& name) {
  const std::string exact = joinPath(dir, name);
  if (exists(exact)) return exact;
  std::error_code ec;
  std::string best;
  for (fs::directory_iterator it(dir.empty() ? "." : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    if (compareNoCase(entry, name) == 0 && entry.size() == name.size() &&
        (best.empty() || entry < best))
      best = entry;
  }
  return best.empty() ? std::string() : joinPath(dir, best);
}

bool isExecutableFile(const std::string& p) {
  return fileExists(p) && ::access(p.c_str(), X_OK) == 0;
}

bool endsWithNoCase(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && compareNoCase(s.substr(s.size() - tail.size()), tail) == 0 &&
         s.substr(s.size() - tail.size()).find(' ') == std::string_view::npos;
}

}  // namespace

std::string normalizePath(std::string_view path) {
  std::string r(path);
  std::replace(r.begin(), r.end(), '\\', '/');
  return r;
}

namespace {

std::string joined(std::string left, std::string_view right) {
  if (left.empty()) return std::string(right);
  if (right.empty()) return left;
  while (left.size() > 1 && left.back() == '/') left.pop_back();
  std::size_t skip = 0;
  while (skip < right.size() && right[skip] == '/') ++skip;
  if (left == "/") return left + std::string(right.substr(skip));
  return left + "/" + std::string(right.substr(skip));
}

}  // namespace

std::string joinPath(std::string_view a, std::string_view b) {
  return joined(normalizePath(a), normalizePath(b));
}

std::string joinName(std::string_view dir, std::string_view name) {
  return joined(normalizePath(dir), name);
}

bool hasDriveLetter(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

std::string findNoCase(const std::string& dir, const std::string& name) {
  const std::string n = normalizePath(name);
  if (n.empty()) return "";
  std::string at = dir;
  std::size_t i = 0;
  if (n.front() == '/') {
    at.assign(1, '/');
    i = 1;
  }
  while (i < n.size()) {
    std::size_t j = n.find('/', i);
    if (j == std::string::npos) j = n.size();
    const std::string part = n.substr(i, j - i);
    i = j + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      at = joinPath(at.empty() ? "." : at, "..");
      continue;
    }
    if (!at.empty() && !isDir(at)) return "";
    at = findComponent(at, part);
    if (at.empty()) return "";
  }
  return at;
}

std::string resolveExecutable(const std::string& command, const std::string& programDir) {
  const std::string cmd = normalizePath(command);
  if (cmd.empty() || hasDriveLetter(cmd)) return "";
  std::vector<std::string> places{""};
  if (cmd.front() != '/' && !programDir.empty()) places.push_back(programDir);
  for (const auto& dir : places) {
    const std::string found = findNoCase(dir, cmd);
    if (!found.empty() && fileExists(found)) return found;
  }
  if (endsWithNoCase(cmd, ".exe")) {
    const std::string bare = cmd.substr(0, cmd.size() - 4);
    if (bare.empty() || bare.back() == '/') return "";
    for (const auto& dir : places) {
      const std::string found = findNoCase(dir, bare);
      if (!found.empty() && isExecutableFile(found)) return found;
    }
  }
  return "";
}

std::string currentDirectory() {
  std::error_code ec;
  const fs::path p = fs::current_path(ec);
  return ec ? std::string() : p.string();
}

std::string programDirectory() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(path, ec);
}

std::string diskPath(std::string_view path) {
  std::string p = normalizePath(path);
  if (p.empty() || exists(p)) return p;
  const std::size_t slash = p.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  std::string bytes;
  if (!toWindows1252(std::string_view(p).substr(start), &bytes) ||
      bytes == std::string_view(p).substr(start))
    return p;
  std::string other = p.substr(0, start) + bytes;
  return exists(other) ? other : p;
}

bool directoryExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(path, ec);
}

std::vector<DirEntry> listHtmlFiles(const std::string& dir, std::string* error) {
  std::vector<DirEntry> out;
  const std::string d = dir.empty() ? "." : normalizePath(dir);
  if (error) error->clear();
  auto failed = [&](int err) {
    if (error) *error = "Cannot read directory " + d + ": " + std::strerror(err);
    out.clear();
    return out;
  };
  // POSIX rather than QDir: QDir decodes names, and a name that is not
  // valid UTF-8 would come back naming no file.
  DIR* listing = ::opendir(d.c_str());
  if (!listing) return failed(errno);
  // Counted first, so the list is made once at its size: growing it would
  // hold two copies at a time, the largest memory of a big site's read.
  std::size_t count = 0;
  while (const dirent* e = ::readdir(listing))
    count += endsWithNoCase(e->d_name, ".htm") || endsWithNoCase(e->d_name, ".html");
  ::rewinddir(listing);
  out.reserve(count);
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(listing);
    if (!e) {
      const int err = errno;
      ::closedir(listing);
      if (err != 0) return failed(err);
      break;
    }
    const std::string name = e->d_name;
    if (!endsWithNoCase(name, ".htm") && !endsWithNoCase(name, ".html")) continue;
    struct stat st {};
    if (::stat(joinName(d, name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    std::tm tm{};
    const std::time_t mtime = st.st_mtim.tv_sec;
    if (!localtime_r(&mtime, &tm)) tm = std::tm{};
    out.push_back({name, static_cast<int64_t>(st.st_size),
                   dayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                   timeOf(tm.tm_hour, tm.tm_min, tm.tm_sec,
                          static_cast<int>(st.st_mtim.tv_nsec / 10000000))});
  }
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) {
    const int c = compareNoCase(a.name, b.name);
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return out;
}

}  // namespace qm
