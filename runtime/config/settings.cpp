#include "runtime/config/settings.h"

#include <QSaveFile>
#include <QString>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "runtime/config/messages.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}

struct Lines {
  std::vector<std::string> lines;  // without their line ends
  std::string eol = "\n";
};

enum class Load { Ok, Missing, Failed };

Load loadLines(const std::string& path, Lines& out, std::string& error) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return Load::Missing;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "Cannot read " + path + ": " + std::strerror(errno);
    return Load::Failed;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  if (in.bad()) {
    error = "Cannot read " + path;
    return Load::Failed;
  }
  const std::string text = ss.str();
  size_t start = 0;
  bool first = true;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string::npos ? text.size() : nl;
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.pop_back();
      if (first) out.eol = "\r\n";
    }
    first = false;
    out.lines.push_back(std::move(line));
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return Load::Ok;
}

// A "[name]" line gives its name.
bool sectionOf(std::string_view line, std::string_view& name) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() != '[') return false;
  size_t close = t.find(']');
  name = trim(t.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  return true;
}

bool entryOf(std::string_view line, std::string_view& key, std::string_view& value) {
  std::string_view t = trim(line);
  if (t.empty() || t.front() == ';') return false;
  size_t eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  key = trim(t.substr(0, eq));
  value = trim(t.substr(eq + 1));
  return true;
}

std::string unquote(std::string_view v) {
  if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
  return std::string(v);
}

// Blanks at either end would be lost on reading, so such a value is quoted.
std::string quoteIfNeeded(std::string_view v) {
  bool edgeBlank =
      !v.empty() && (v.front() == ' ' || v.front() == '\t' || v.back() == ' ' || v.back() == '\t');
  bool quoted = v.size() >= 2 && v.front() == '"' && v.back() == '"';
  if (!edgeBlank && !quoted) return std::string(v);
  std::string out;
  out.reserve(v.size() + 2);
  out.append(1, '"').append(v).append(1, '"');
  return out;
}

bool hasLineBreak(std::string_view s) {
  return s.find('\n') != std::string_view::npos || s.find('\r') != std::string_view::npos;
}

}  // namespace

IniFile::IniFile(std::string fileName) : name_(std::move(fileName)) {}

std::string IniFile::resolvedPath() const {
  std::filesystem::path p(name_);
  std::string dir = p.parent_path().string();
  std::string found = findNoCase(dir, p.filename().string());
  return found.empty() ? name_ : found;
}

std::string IniFile::fileName() const {
  std::lock_guard lock(mutex_);
  return resolvedPath();
}

std::string IniFile::lastError() const {
  std::lock_guard lock(mutex_);
  return lastError_;
}

std::string IniFile::read(std::string_view section, std::string_view entry,
                          std::string_view deflt) const {
  std::lock_guard lock(mutex_);
  Lines f;
  std::string error;
  Load r = loadLines(resolvedPath(), f, error);
  lastError_ = error;
  if (r != Load::Ok) return std::string(deflt);
  section = trim(section);
  entry = trim(entry);
  bool inSection = false;
  for (const std::string& line : f.lines) {
    std::string_view name, key, value;
    if (sectionOf(line, name)) {
      inSection = sameName(name, section);
    } else if (inSection && entryOf(line, key, value) && sameName(key, entry)) {
      return unquote(value);
    }
  }
  return std::string(deflt);
}

bool IniFile::write(std::string_view section, std::string_view entry, std::string_view value) {
  std::lock_guard lock(mutex_);
  section = trim(section);
  entry = trim(entry);
  if (section.empty() || section.find(']') != std::string_view::npos || hasLineBreak(section) ||
      entry.empty() || entry.find('=') != std::string_view::npos || entry.front() == '[' ||
      entry.front() == ';' || hasLineBreak(entry) || hasLineBreak(value)) {
    lastError_ = "Invalid settings entry [" + std::string(section) + "] " + std::string(entry);
    return false;
  }
  const std::string path = resolvedPath();
  Lines f;
  std::string error;
  // An existing file that cannot be read is left alone rather than replaced.
  if (loadLines(path, f, error) == Load::Failed) {
    lastError_ = error;
    return false;
  }

  const std::string newLine = std::string(entry) + "=" + quoteIfNeeded(value);
  bool inSection = false, sectionFound = false, done = false;
  size_t insertAt = 0;
  for (size_t i = 0; i < f.lines.size() && !done; ++i) {
    std::string_view name, key, val;
    if (sectionOf(f.lines[i], name)) {
      if (inSection) break;  // end of our section: add the entry there
      inSection = !sectionFound && sameName(name, section);
      if (inSection) {
        sectionFound = true;
        insertAt = i + 1;
      }
    } else if (inSection) {
      if (entryOf(f.lines[i], key, val) && sameName(key, entry)) {
        f.lines[i] = std::string(key) + "=" + quoteIfNeeded(value);
        done = true;
      } else if (!trim(f.lines[i]).empty()) {
        insertAt = i + 1;
      }
    }
  }
  if (!done) {
    if (sectionFound) {
      f.lines.insert(f.lines.begin() + static_cast<std::ptrdiff_t>(insertAt), newLine);
    } else {
      if (!f.lines.empty() && !trim(f.lines.back()).empty()) f.lines.emplace_back();
      f.lines.push_back("[" + std::string(section) + "]");
      f.lines.push_back(newLine);
    }
  }

  std::string text;
  for (const std::string& line : f.lines) text += line + f.eol;

  QSaveFile out(QString::fromStdString(path));
  errno = 0;
  if (!out.open(QIODevice::WriteOnly)) {
    const int err = errno;
    std::string why = out.errorString().toStdString();
    if (err != 0 && (why.empty() || why == "Unknown error")) why = std::strerror(err);
    lastError_ = "Cannot write " + path + ": " + why;
    return false;
  }
  if (out.write(text.data(), static_cast<qint64>(text.size())) !=
      static_cast<qint64>(text.size())) {
    lastError_ = "Cannot write " + path + ": " + out.errorString().toStdString();
    out.cancelWriting();
    return false;
  }
  if (!out.commit()) {
    lastError_ = "Cannot write " + path + ": " + out.errorString().toStdString();
    return false;
  }
  lastError_.clear();
  return true;
}

namespace {
IniFile& programSettings() {
  static IniFile file("quillmark.INI");
  return file;
}
}  // namespace

IniFile& settings() { return programSettings(); }

void setSettingsFileName(std::string name) {
  IniFile& f = programSettings();
  std::lock_guard lock(f.mutex_);
  f.name_ = std::move(name);
}

void IniFile::reportWriteFailure(const std::string& what) {
  const std::string why = lastError();
  {
    std::lock_guard lock(mutex_);
    if (why == reported_) return;
    reported_ = why;
  }
  message(what + ".|" + why, "Settings File Error", MsgIcon::Exclamation);
}

}  // namespace qm
