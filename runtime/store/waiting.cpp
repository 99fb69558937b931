// Writers that find a file busy say so, so that a batch holding the file
// commits at its next part's end and lets them in before it goes on. Other
// threads see a count; other programs see a read lock on a byte of the file
// far past the engine's own lock bytes, taken on a descriptor of our own.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "runtime/store/store_internal.h"

namespace qm::store_detail {

namespace {

constexpr off_t kWaitByte = 0x60000000;

struct WaitSlotKey {
  dev_t dev;
  ino_t ino;
  pid_t pid;  // a child after fork shares the parent's descriptor: it needs its own
  bool operator<(const WaitSlotKey& o) const {
    if (dev != o.dev) return dev < o.dev;
    if (ino != o.ino) return ino < o.ino;
    return pid < o.pid;
  }
};

std::mutex gSlotMutex;
std::map<WaitSlotKey, std::unique_ptr<WaitSlot>> gSlots;

bool lockWaitByte(int fd, short type, int cmd) {
  struct flock fl {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = kWaitByte;
  fl.l_len = 1;
  return ::fcntl(fd, cmd, &fl) == 0;
}

}  // namespace

struct WaitSlot {
  // Never closed: closing any descriptor of a file drops the process's
  // record locks on it, the engine's among them.
  int fd = -1;
  int waiters = 0;  // under gSlotMutex
};

WaitSlot* waitSlotFor(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
  std::lock_guard lock(gSlotMutex);
  auto& slot = gSlots[{st.st_dev, st.st_ino, ::getpid()}];
  if (!slot) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      gSlots.erase({st.st_dev, st.st_ino, ::getpid()});
      return nullptr;
    }
    slot = std::make_unique<WaitSlot>();
    slot->fd = fd;
  }
  return slot.get();
}

bool othersWait(WaitSlot* slot) {
  if (!slot) return false;
  {
    std::lock_guard lock(gSlotMutex);
    if (slot->waiters > 0) return true;
  }
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_start = kWaitByte;
  fl.l_len = 1;
  return ::fcntl(slot->fd, F_OFD_GETLK, &fl) == 0 && fl.l_type != F_UNLCK;
}

void announceWait(WaitSlot* slot) {
  std::lock_guard lock(gSlotMutex);
  if (slot->waiters++ == 0) lockWaitByte(slot->fd, F_RDLCK, F_OFD_SETLK);
}

void retractWait(WaitSlot* slot) {
  std::lock_guard lock(gSlotMutex);
  if (--slot->waiters == 0) lockWaitByte(slot->fd, F_UNLCK, F_OFD_SETLK);
}

BusyWait::~BusyWait() { settle(); }

void BusyWait::attach(sqlite3* db, int seconds, std::vector<std::string> paths) {
  settle();
  paths_ = std::move(paths);
  timeoutMs_ = seconds < 0 ? 0 : seconds * 1000;
  sqlite3_busy_handler(db, &BusyWait::onBusy, this);
}

void BusyWait::settle() {
  for (WaitSlot* s : announced_) retractWait(s);
  announced_.clear();
  waiting_ = false;
}

int BusyWait::onBusy(void* self, int count) {
  auto& w = *static_cast<BusyWait*>(self);
  const auto now = std::chrono::steady_clock::now();
  if (count == 0 || !w.waiting_) {
    w.waiting_ = true;
    w.since_ = now;
    if (w.announced_.empty())
      for (const auto& p : w.paths_)
        if (WaitSlot* s = waitSlotFor(p)) {
          announceWait(s);
          w.announced_.push_back(s);
        }
  }
  if (now - w.since_ >= std::chrono::milliseconds(w.timeoutMs_)) {
    w.settle();
    return 0;
  }
  // Small steps: the holder lets go for a moment only.
  std::this_thread::sleep_for(std::chrono::milliseconds(count < 20 ? 1 : 3));
  return 1;
}

}  // namespace qm::store_detail
