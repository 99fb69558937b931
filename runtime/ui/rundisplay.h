#pragma once
// A long run holds the GUI thread: its window shows the run's globals now
// and then, without letting other events (clicks, timers) in meanwhile.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace qm {

class WindowProcedure;

class RunDisplay {
 public:
  static constexpr qint64 kIntervalMs = 50;
  // Showing may take at most about this share of the run: a slow screen
  // is painted less often rather than slowing the run down.
  static constexpr qint64 kCostShare = 10;

  explicit RunDisplay(WindowProcedure& p);

  // Shows the window when its interval has passed since the last showing:
  // every control from its field, then what changed painted at once. A
  // call that comes too soon is shown as soon as events are let in: by the
  // box that ends the run (or stops it), or when the run returns.
  void operator()();
  // The call as the runs take it.
  std::function<void()> callback() {
    return [this] { (*this)(); };
  }
  int shown() const { return shown_; }

 private:
  void showNow();

  WindowProcedure& p_;
  QTimer skipped_;  // stopped with the display: never fires after it
  QElapsedTimer since_;
  qint64 waitMs_ = 0;
  int shown_ = 0;
};

}  // namespace qm
