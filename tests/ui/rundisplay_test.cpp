#include "runtime/ui/rundisplay.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <memory>
#include <string>

#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"
#include "runtime/ui/windowdef.h"

using namespace qm;

namespace {

// Counts the events of one type a watched object receives.
struct Counter : QObject {
  QEvent::Type type;
  int got = 0;
  explicit Counter(QEvent::Type t) : type(t) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == type) ++got;
    return false;
  }
  bool event(QEvent* e) override {
    if (e->type() == type) ++got;
    return QObject::event(e);
  }
};

TEST(RunDisplay, ShowsTheRunAtOncePaintingWhatChangedAndNothingElse) {
  std::string count = "1";
  WindowProcedure* p = nullptr;
  startProcedure("Run", 25000, [&]() -> std::unique_ptr<WindowProcedure> {
    struct Run : WindowProcedure {
      explicit Run(std::string& v) : WindowProcedure("Run") {
        WindowDef d;
        d.title = "Run";
        d.w = 120, d.h = 40;
        ControlDef c;
        c.kind = Kind::Text, c.id = "?Count", c.field = "Count";
        c.x = 4, c.y = 4, c.w = 60, c.h = 10;
        d.controls.push_back(c);
        setDefinition(d);
        bindDisplay("Count", [&v] { return v; });
      }
    };
    auto q = std::make_unique<Run>(count);
    p = q.get();
    return q;
  });
  ASSERT_NE(p, nullptr);
  QApplication::processEvents();
  auto* label = qobject_cast<QLabel*>(p->control("?Count")->widget());
  ASSERT_NE(label, nullptr);

  Counter paints(QEvent::Paint);
  label->installEventFilter(&paints);
  // A queued event stands for a click or a timer: the run's showing lets none in.
  Counter other(QEvent::User);
  QCoreApplication::postEvent(&other, new QEvent(QEvent::User));

  {
    RunDisplay show(*p);
    count = "2";
    show.callback()(false);
    EXPECT_EQ(show.shown(), 1);
    EXPECT_EQ(label->text().trimmed(), "2");
    EXPECT_GE(paints.got, 1) << "painted before the run goes on";
    EXPECT_EQ(other.got, 0);

    // Too soon after: skipped, and shown once events are let in (the box that
    // ends the run), so the window never stays behind the run.
    count = "3";
    show.callback()(false);
    EXPECT_EQ(show.shown(), 1);
    EXPECT_EQ(label->text().trimmed(), "2");
    QApplication::processEvents();
    EXPECT_EQ(other.got, 1);
    EXPECT_EQ(show.shown(), 2);
    EXPECT_EQ(label->text().trimmed(), "3");
    {
      // A display gone with its run shows nothing more.
      RunDisplay gone(*p);
      gone();
      count = "4";
      gone();
    }
    QApplication::processEvents();
    EXPECT_EQ(label->text().trimmed(), "3");
    // Where the run holds nothing, events come in; a close among them asks
    // the run to stop and leaves the window showing what the run did.
    QTimer::singleShot(0, p, [&] { p->close(2); });
    EXPECT_FALSE(show.callback()(true));
    EXPECT_TRUE(p->isRunning());
    EXPECT_TRUE(show.stopAsked());
  }
  p->close(2);
  QApplication::processEvents();
}

}  // namespace
