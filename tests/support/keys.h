#pragma once
// Keys as a user gives them, for the tests that drive windows. Header only.
#include <QTest>
#include <QWidget>

namespace qmtest {

// Leaves the control with Tab. Its window is made active first: only there
// does the focus really move on, so that the control is accepted.
inline void leaveWithTab(QWidget* w) {
  QWidget* top = w->window();
  if (!top->isActiveWindow()) {
    top->activateWindow();
    (void)QTest::qWaitForWindowActive(top, 1000);
  }
  w->setFocus();
  QTest::keyClick(w, Qt::Key_Tab);
}

}  // namespace qmtest
