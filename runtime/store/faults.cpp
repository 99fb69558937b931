// Faults that tests make on purpose: a disk that fills (at a write or at a
// commit), a file nobody may write (whoever the tests run as).
#include <sqlite3.h>

#include <filesystem>
#include <mutex>
#include <set>

#include "runtime/store/store.h"
#include "runtime/store/store_internal.h"

namespace qm {

namespace {

std::mutex gFaultMutex;
int gPageLimit = 0;
long gDiskRoom = -1;
int gFailingCommits = 0;
std::set<std::string> gUnwritable;

std::string absoluteOf(const std::string& path) {
  std::error_code ec;
  auto p = std::filesystem::absolute(path, ec);
  return ec ? path : p.lexically_normal().string();
}

}  // namespace

namespace store {

void setPageLimitForTests(int pages) {
  std::lock_guard lock(gFaultMutex);
  gPageLimit = pages < 0 ? 0 : pages;
}

void setDiskRoomForTests(long pages) {
  std::lock_guard lock(gFaultMutex);
  gDiskRoom = pages < 0 ? -1 : pages;
}

void failCommitsForTests(int commits) {
  std::lock_guard lock(gFaultMutex);
  gFailingCommits = commits;
}

void setUnwritableForTests(const std::string& path, bool unwritable) {
  std::lock_guard lock(gFaultMutex);
  if (unwritable)
    gUnwritable.insert(absoluteOf(path));
  else
    gUnwritable.erase(absoluteOf(path));
}

void clearFaultsForTests() {
  std::lock_guard lock(gFaultMutex);
  gPageLimit = 0;
  gDiskRoom = -1;
  gFailingCommits = 0;
  gUnwritable.clear();
}

}  // namespace store

namespace store_detail {

bool unwritableForTests(const std::string& path) {
  std::lock_guard lock(gFaultMutex);
  return !gUnwritable.empty() && gUnwritable.count(absoluteOf(path)) > 0;
}

bool diskRoomLimitedForTests() {
  std::lock_guard lock(gFaultMutex);
  return gDiskRoom >= 0 || gFailingCommits > 0;
}

bool takeDiskRoomForTests(long pages) {
  std::lock_guard lock(gFaultMutex);
  if (gFailingCommits > 0) {
    --gFailingCommits;
    return false;
  }
  if (gDiskRoom < 0 || pages <= 0) return true;
  if (pages > gDiskRoom) return false;
  gDiskRoom -= pages;
  return true;
}

std::string limitPagesSql(const std::string& schema) {
  std::lock_guard lock(gFaultMutex);
  if (gPageLimit == 0) return {};
  return "PRAGMA " + (schema.empty() ? std::string() : schema + ".") +
         "max_page_count=" + std::to_string(gPageLimit);
}

std::string readOnlyUri(const std::string& path) {
  std::string out = "file:";
  for (char c : absoluteOf(path)) {
    if (c == '%' || c == '?' || c == '#') {
      static const char* hex = "0123456789ABCDEF";
      out += '%';
      out += hex[(static_cast<unsigned char>(c) >> 4) & 0xF];
      out += hex[static_cast<unsigned char>(c) & 0xF];
    } else {
      out += c;
    }
  }
  return out + "?mode=ro";
}

}  // namespace store_detail

}  // namespace qm
