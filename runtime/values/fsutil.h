#pragma once
// File-system helpers: case-blind file names, "X.exe" commands, path separators.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// The existing path of name inside dir whatever its letter case ("Control.qdf" finds
// "control.qdf"); an exact match wins; each component of name is matched. "" when none.
// An empty dir is the current directory (the result is then relative).
std::string findNoCase(const std::string& dir, const std::string& name);

// The program to start for command: "X.exe" (any case) in the current directory, then
// in programDir; failing those the executable X in the same two places. Other commands
// are looked for as they are in the same two places. "" when none.
std::string resolveExecutable(const std::string& command, const std::string& programDir);

// Backslashes become "/".
std::string normalizePath(std::string_view path);
// a and b joined by the host separator (one between them); backslashes normalised.
std::string joinPath(std::string_view a, std::string_view b);
// dir (backslashes normalised) and one file name as a directory listing
// gives it, kept whole (a backslash in it is part of the name), joined as
// joinPath joins.
std::string joinName(std::string_view dir, std::string_view name);
// "C:\x", "c:/x", "C:".
bool hasDriveLetter(std::string_view path);

std::string currentDirectory();
// Directory of the running executable.
std::string programDirectory();

bool fileExists(const std::string& path);  // a file (not a directory)
// The name on disk of a stored path (backslashes normalised). Record files hold
// UTF-8 only, so a file whose name is in Windows-1252 bytes is stored under its
// reading; when the path as stored names nothing, its file name's 1252 bytes are tried.
std::string diskPath(std::string_view path);
bool directoryExists(const std::string& path);

// Room a record file gives a stored path (page path, local path, image path):
// a directory, a sub-directory and the longest file name the host allows.
inline constexpr int kPathWidth = 512;

struct DirEntry {
  std::string name;
  int64_t size = 0;
  int32_t day = 0;   // last modification, local day number
  int32_t time = 0;  // last modification, local clock time
};

// Files in dir named "*.htm" or "*.html" in any case, sorted by name case-insensitively.
// Names are kept byte for byte, valid UTF-8 or not. Only regular files and links to
// them are listed: a pipe, socket or device of that name would hang or mislead a read.
// On failure returns nothing and sets *error (when given); otherwise clears it.
std::vector<DirEntry> listHtmlFiles(const std::string& dir, std::string* error);

}  // namespace qm
