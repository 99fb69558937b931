#include "appkit/tour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QWidget>
#include <functional>
#include <set>

#include "appkit/procedures.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"

namespace qm {

void settle(int ms) {
  QElapsedTimer t;
  t.start();
  do {
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  } while (t.elapsed() < ms);
}

void closeAllBut(int keep) {
  for (int round = 0; round < 20; ++round) {
    bool any = false;
    for (int t : runningThreads())
      if (t != keep && topProcedure(t)) {
        topProcedure(t)->close(2);
        any = true;
      }
    settle(10);
    if (!any) break;
  }
}

namespace {

QSet<QWidget*> visibleTopLevels() {
  QSet<QWidget*> s;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->isVisible()) s.insert(w);
  return s;
}

// Every procedure window of the threads, innermost last.
std::vector<WindowProcedure*> procedureWindows(const std::set<int>& skip) {
  std::vector<WindowProcedure*> out;
  for (int t : runningThreads()) {
    if (skip.count(t)) continue;
    std::vector<WindowProcedure*> chain;
    for (WindowProcedure* p = topProcedure(t); p; p = p->caller()) chain.insert(chain.begin(), p);
    for (WindowProcedure* p : chain)
      if (p->isRunning() && p->outerWindow()) out.push_back(p);
  }
  return out;
}

constexpr int kOpenLimitMs = 10000;

}  // namespace

bool waitUntil(const std::function<bool()>& ready, int ms) {
  QElapsedTimer t;
  t.start();
  while (!ready()) {
    if (t.elapsed() >= ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // What the window queued while it opened (first rows, redisplay) runs too.
  QApplication::processEvents(QEventLoop::AllEvents, 10);
  return true;
}

void tourProcedures(const std::vector<std::string>& names, const TourLook& look) {
  std::set<int> before;
  for (int t : runningThreads()) before.insert(t);
  const QSet<QWidget*> tops = visibleTopLevels();
  for (const std::string& name : names) {
    if (!findProcedure(name)) continue;
    startNamedProcedure(name, 0);
    // Open means a window showing, or the start done with nothing left running.
    auto opened_ = [&] {
      if (!procedureWindows(before).empty()) return true;
      for (QWidget* w : visibleTopLevels())
        if (!tops.contains(w)) return true;
      for (int t : runningThreads())
        if (!before.count(t)) return false;
      return true;
    };
    if (!waitUntil(opened_, kOpenLimitMs) && look.stalled) look.stalled(name);
    std::set<const QWidget*> seen;
    auto lookAt = [&](WindowProcedure* p) {
      seen.insert(p->outerWindow());
      if (p->outerWindow()->window()) seen.insert(p->outerWindow()->window());
      if (look.window) look.window(name, *p);
    };
    const std::vector<WindowProcedure*> opened = procedureWindows(before);
    for (WindowProcedure* p : opened) lookAt(p);
    // The windows that a button of the started window calls, one at a time.
    if (!opened.empty())
      for (const std::string& id : look.press) {
        WindowProcedure* p = opened.back();
        const int thread = p->threadId();
        Control* c = p->control(id);
        auto* b = c ? qobject_cast<QAbstractButton*>(c->widget()) : nullptr;
        if (!b || !b->isEnabled()) continue;
        const size_t had = procedureWindows(before).size();
        const int tops0 = visibleTopLevels().size();
        b->click();
        if (!waitUntil(
                [&] {
                  return procedureWindows(before).size() > had || visibleTopLevels().size() > tops0;
                },
                kOpenLimitMs) &&
            look.stalled)
          look.stalled(name + " " + id);
        for (WindowProcedure* q : procedureWindows(before))
          if (!seen.count(q->outerWindow())) lookAt(q);
        for (int guard = 0; guard < 10 && topProcedure(thread) && topProcedure(thread) != p;
             ++guard) {
          topProcedure(thread)->close(2);
          settle(20);
        }
      }
    for (QWidget* w : visibleTopLevels()) {
      if (tops.contains(w) || seen.count(w)) continue;
      if (look.other) look.other(name, *w);
    }
    // Close what the start opened, innermost first, then any window left.
    for (int round = 0; round < 20; ++round) {
      auto open = procedureWindows(before);
      bool any = false;
      for (int t : runningThreads())
        if (!before.count(t) && topProcedure(t)) {
          topProcedure(t)->close(2);
          any = true;
        }
      settle(20);
      if (!any && open.empty()) break;
    }
    for (QWidget* w : visibleTopLevels())
      if (!tops.contains(w)) w->close();
    settle(20);
  }
}

}  // namespace qm
