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

// Types text into the widget a key at a time, letters beyond ASCII too.
inline void typeText(QWidget* w, const QString& text) {
  for (const QChar ch : text) {
    const auto code =
        ch.unicode() < 0x80 ? static_cast<Qt::Key>(ch.toUpper().unicode()) : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Click, w, code, QString(ch), Qt::NoModifier);
  }
}

}  // namespace qmtest
