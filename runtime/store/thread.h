#pragma once
// Logical threads: a procedure started "on a new thread" gets a number, and
// every record file keeps its buffer and open state per number.
#include <functional>

namespace qm {

// The calling code's logical thread; 1 is the program's first thread.
int currentThread();

// Makes `id` the current logical thread until the scope ends.
class ThreadScope {
 public:
  explicit ThreadScope(int id);
  ~ThreadScope();
  ThreadScope(const ThreadScope&) = delete;
  ThreadScope& operator=(const ThreadScope&) = delete;

 private:
  int previous_;
};

// A number not given out before in this run (2, 3, ...).
int newThreadNumber();

// Tells every listener that thread `id` has ended (they drop its buffers and
// close its files).
void endThread(int id);

// Returns a handle for removeThreadEndListener.
int addThreadEndListener(std::function<void(int)> listener);
void removeThreadEndListener(int handle);

}  // namespace qm
