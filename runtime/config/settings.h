#pragma once
// The settings (INI) file: text entries in named sections. Each call reads the
// file afresh, so changes made by another window or program are seen; a write
// replaces the file in one rename, so it is never left half-written.
#include <mutex>
#include <string>
#include <string_view>

namespace qm {

class IniFile {
 public:
  // fileName without a directory is looked for in the current directory,
  // whatever its letter case.
  explicit IniFile(std::string fileName);

  // The entry's value, or deflt when the file, section or entry is missing or
  // the file cannot be read. Section and entry names ignore letter case.
  std::string read(std::string_view section, std::string_view entry, std::string_view deflt) const;

  // Sets the entry, keeping every other line of the file as it was; creates
  // the file and the section when needed. False (and lastError) on failure,
  // in which case the file on disk is unchanged.
  bool write(std::string_view section, std::string_view entry, std::string_view value);

  // The file found on disk, or the name as given when none exists yet.
  std::string fileName() const;
  // The reason of the last failed read or write; empty after a success.
  std::string lastError() const;
  // Shows "Settings File Error" with what (what could not be saved) and the
  // reason, once for each reason: a folder nobody may write does not ask
  // again at every window close.
  void reportWriteFailure(const std::string& what);

 private:
  friend void setSettingsFileName(std::string);
  std::string resolvedPath() const;

  mutable std::mutex mutex_;
  std::string name_;
  mutable std::string lastError_;
  std::string reported_;  // the reason last shown
};

// The program's settings file ("quillmark.INI" unless set otherwise).
IniFile& settings();
void setSettingsFileName(std::string);

}  // namespace qm
