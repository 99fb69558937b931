#include "runtime/store/thread.h"

#include <atomic>
#include <map>
#include <mutex>
#include <vector>

namespace qm {
namespace {

thread_local int tCurrent = 1;
std::atomic<int> gLastNumber{1};

struct Listeners {
  std::mutex mutex;
  int nextHandle = 1;
  std::map<int, std::function<void(int)>> byHandle;
};

Listeners& listeners() {
  static Listeners l;
  return l;
}

}  // namespace

int currentThread() { return tCurrent; }

ThreadScope::ThreadScope(int id) : previous_(tCurrent) { tCurrent = id; }
ThreadScope::~ThreadScope() { tCurrent = previous_; }

int newThreadNumber() { return ++gLastNumber; }

void endThread(int id) {
  // Copy first: a listener may add or remove listeners.
  std::vector<std::function<void(int)>> calls;
  {
    std::lock_guard lock(listeners().mutex);
    for (auto& [handle, f] : listeners().byHandle) calls.push_back(f);
  }
  for (auto& f : calls) f(id);
}

int addThreadEndListener(std::function<void(int)> listener) {
  std::lock_guard lock(listeners().mutex);
  int h = listeners().nextHandle++;
  listeners().byHandle.emplace(h, std::move(listener));
  return h;
}

void removeThreadEndListener(int handle) {
  std::lock_guard lock(listeners().mutex);
  listeners().byHandle.erase(handle);
}

}  // namespace qm
