#include "runtime/ui/rundisplay.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>
#include <algorithm>

#include "runtime/ui/procedure.h"

namespace qm {

RunDisplay::RunDisplay(WindowProcedure& p) : p_(p) {
  skipped_.setSingleShot(true);
  skipped_.setInterval(0);
  QObject::connect(&skipped_, &QTimer::timeout, [this] { showNow(); });
  p_.beginRun();
}

RunDisplay::~RunDisplay() { p_.endRun(); }

bool RunDisplay::stopAsked() const { return p_.stopAsked(); }

bool RunDisplay::letEventsIn() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  return !stopAsked();
}

void RunDisplay::operator()() {
  if (since_.isValid() && since_.elapsed() < waitMs_) {
    if (!skipped_.isActive()) skipped_.start();
    return;
  }
  showNow();
}

void RunDisplay::showNow() {
  skipped_.stop();
  QElapsedTimer cost;
  cost.start();
  p_.display();
  // Only the update requests: the changed controls are painted, nothing
  // else runs in the middle of the run.
  if (QWidget* w = p_.window())
    QCoreApplication::sendPostedEvents(w->window(), QEvent::UpdateRequest);
  ++shown_;
  waitMs_ = std::max(kIntervalMs, cost.elapsed() * (kCostShare - 1));
  since_.start();
}

}  // namespace qm
