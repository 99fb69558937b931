#pragma once
// A long run holds the GUI thread: its window shows the run's globals now
// and then, and lets events in (menus, moving windows, Esc, Close) only
// where the run holds nothing uncommitted, so that no other window's save
// waits on it. A close asks the run to stop after its page.
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

namespace qm {

class WindowProcedure;

// What a run calls after each page: shows its globals; free tells that the
// run holds no transaction, so events may be let in. False when the user
// asked the run to stop.
using RunShow = std::function<bool(bool free)>;

class RunDisplay {
 public:
  static constexpr qint64 kIntervalMs = 50;
  // Showing may take at most about this share of the run: a slow screen
  // is painted less often rather than slowing the run down.
  static constexpr qint64 kCostShare = 10;

  explicit RunDisplay(WindowProcedure& p);
  ~RunDisplay();
  RunDisplay(const RunDisplay&) = delete;
  RunDisplay& operator=(const RunDisplay&) = delete;

  // Shows the window when its interval has passed since the last showing:
  // every control from its field, then what changed painted at once. A
  // call that comes too soon is shown as soon as events are let in: by the
  // box that ends the run (or stops it), or when the run returns.
  void operator()();
  // Lets the events waiting in: false when the user asked the run to stop.
  bool letEventsIn();
  // The call as the runs take it.
  RunShow callback() {
    return [this](bool free) {
      (*this)();
      return free ? letEventsIn() : !stopAsked();
    };
  }
  bool stopAsked() const;
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
