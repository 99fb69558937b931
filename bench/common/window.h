#pragma once
// Driving a window offscreen as a user would, for the benchmarks that time
// what the user waits for: typing and clicking. A control that is missing
// ends the benchmark.
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/site.h"
#include "keys.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"

namespace bench {

inline void pump() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

inline QWidget* widgetOf(qm::WindowProcedure* p, const std::string& id) {
  qm::Control* c = p ? p->control(id) : nullptr;
  if (!c || !c->widget()) {
    std::fprintf(stderr, "the window has no control %s\n", id.c_str());
    std::exit(1);
  }
  return c->widget();
}

inline void typeInto(qm::WindowProcedure* p, const std::string& id, const QString& text) {
  auto* e = qobject_cast<QLineEdit*>(widgetOf(p, id));
  if (!e) std::exit(1);
  e->setFocus();
  e->clear();
  QTest::keyClicks(e, text);
  qmtest::leaveWithTab(e);  // accepts it; Return would press the default button
  pump();
}

// Seconds from the click until what it started has returned (its boxes
// answered).
inline double press(qm::WindowProcedure* p, const std::string& id) {
  const auto t0 = std::chrono::steady_clock::now();
  QTest::mouseClick(widgetOf(p, id), Qt::LeftButton);
  const double s = seconds(std::chrono::steady_clock::now() - t0);
  pump();
  return s;
}

}  // namespace bench
