#pragma once
// Pieces shared by the store's own sources; not part of its interface.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

namespace qm::store_detail {

// The engine's NOCASE folding: ASCII upper case to lower case.
inline unsigned char foldCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}
bool equalNoCase(std::string_view a, std::string_view b);

// Whole text as a number (blanks around allowed); anything else is 0.
double parseNumber(std::string_view text);
// 12 -> "12", 12.5 -> "12.5".
std::string formatNumber(double value);

// Hex SHA-256 of the bytes.
std::string sha256Hex(std::string_view bytes);
std::string randomHex(int bytes);

// An advisory lock on a file, released when closed or when the process dies.
// The exclusive holder removes the file as it lets go, so no empty side file
// outlives a clean close; a lock taken on a file that was removed meanwhile
// is taken again on the file now at the path.
class FileLock {
 public:
  FileLock() = default;
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  // Takes the exclusive lock, creating the file; waits up to `seconds`.
  bool lockExclusive(const std::string& path, int seconds);
  // Takes a shared lock when the file exists (none: nothing to share, true).
  // False while someone holds it exclusively.
  bool lockSharedIfPresent(const std::string& path);
  void release();
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
  std::string path_;
  bool exclusive_ = false;
};

// Test faults (faults.cpp): the path must open read-only; the pragma that
// caps a schema's size ("" when no cap is set); a read-only URI for ATTACH.
bool unwritableForTests(const std::string& path);
// Whether commits may fail (the disk's room is limited, or commits are to
// fail); takes `pages` of the room, false when they do not fit (nothing is
// taken then) or the commit is to fail.
bool diskRoomLimitedForTests();
bool takeDiskRoomForTests(long pages);
std::string limitPagesSql(const std::string& schema);
std::string readOnlyUri(const std::string& path);

// Waiting writers (waiting.cpp). A file's slot in this process; null when
// the file is not there.
struct WaitSlot;
WaitSlot* waitSlotFor(const std::string& path);
// Whether a writer of another thread or program waits for the file.
bool othersWait(WaitSlot* slot);

// A connection's busy handler: waits for the files up to the lock recovery
// time in small steps, saying that it waits until settle() (the operation
// is over) or the time is up.
class BusyWait {
 public:
  BusyWait() = default;
  ~BusyWait();
  BusyWait(const BusyWait&) = delete;
  BusyWait& operator=(const BusyWait&) = delete;

  void attach(sqlite3* db, int seconds, std::vector<std::string> paths);
  void settle();

 private:
  static int onBusy(void* self, int count);
  std::vector<std::string> paths_;
  std::vector<WaitSlot*> announced_;
  std::chrono::steady_clock::time_point since_;
  int timeoutMs_ = 0;
  bool waiting_ = false;
};

// Side lock file of an indexed file: where a deny-write open holds its lock.
inline std::string lockPathFor(const std::string& dataPath) { return dataPath + "-lock"; }

}  // namespace qm::store_detail
