// Faults that tests make on purpose: a disk that fills, a file nobody may
// write (whoever the tests run as).
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
  gUnwritable.clear();
}

}  // namespace store

namespace store_detail {

bool unwritableForTests(const std::string& path) {
  std::lock_guard lock(gFaultMutex);
  return !gUnwritable.empty() && gUnwritable.count(absoluteOf(path)) > 0;
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
