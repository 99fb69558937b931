#include "runtime/ui/rundisplay.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <algorithm>

#include "runtime/ui/procedure.h"

namespace qm {

void RunDisplay::operator()() {
  if (since_.isValid() && since_.elapsed() < waitMs_) return;
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
