#pragma once
// Opens every window of a program in turn, for the layout check and the
// window gallery: each procedure named is started on a thread of its own and
// left to open (with what it calls at once), the windows then showing are
// handed over, and everything the start opened is closed again.
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace qm {

class WindowProcedure;

struct TourLook {
  // A procedure window that is showing (the started one or one it called).
  std::function<void(const std::string& started, WindowProcedure& p)> window;
  // Another top-level window that the start opened (a progress window, a preview).
  std::function<void(const std::string& started, QWidget& w)> other;
  // A start (or a pressed button, named after it) that showed nothing in time.
  std::function<void(const std::string& what)> stalled = {};
  // Buttons pressed in each window opened, to see the windows they call.
  std::vector<std::string> press = {"?Find"};  // the views' query window
};

// Starts each of names in turn (request 0); procedures running before the
// tour are left alone.
void tourProcedures(const std::vector<std::string>& names, const TourLook& look);

// Closes every procedure window but those of thread keep (the start-up
// windows a frame opens beside itself, say), a bounded number of rounds.
void closeAllBut(int keep);

// Lets queued events run for about ms milliseconds.
void settle(int ms);

// Runs events until `ready` holds or `ms` pass; true when it held.
bool waitUntil(const std::function<bool()>& ready, int ms);

}  // namespace qm
