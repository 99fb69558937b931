// The keyboard from the first key: every window of both programs opens with
// the focus on a control of its own, and a user's day is done through
// whatever holds the focus.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <fstream>

#include "appkit/procedures.h"
#include "appkit/tour.h"
#include "desk/register.h"
#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "reader/frame.h"
#include "reader/globals.h"
#include "reader/register.h"
#include "records/register.h"
#include "records/reports/register.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/store/store.h"
#include "runtime/ui/form.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"
#include "webdata/details/register.h"
#include "webdata/pages/register.h"
#include "webdata/reports/register.h"
#include "webdata/views/register.h"

using namespace qm;

namespace {

// The innermost procedure window showing, on any thread but the frame's.
WindowProcedure* frontProcedure(int frame) {
  for (int t : runningThreads())
    if (t != frame)
      if (WindowProcedure* p = topProcedure(t);
          p && p->outerWindow() && p->outerWindow()->isVisible())
        return p;
  return nullptr;
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

// What holds the focus, said as a test failure names it.
std::string focusName(WindowProcedure* p) {
  QWidget* fw = QApplication::focusWidget();
  if (!fw) return "nothing";
  Control* c = p && p->built() ? p->built()->byWidget(fw) : nullptr;
  if (c) return "control " + c->id() + " \"" + c->screenText() + "\"";
  return std::string(fw->metaObject()->className()) + " " + fw->objectName().toStdString();
}

bool isInput(Kind k) {
  switch (k) {
    case Kind::Entry:
    case Kind::Memo:
    case Kind::Check:
    case Kind::Radio:
    case Kind::Drop:
    case Kind::List:
      return true;
    default:
      return false;
  }
}

bool hasInput(WindowProcedure* p) {
  for (auto& c : p->built()->controls())
    if (isInput(c->kind()) && c->widget() && c->widget()->isVisibleTo(p->window()) &&
        c->widget()->isEnabled() && !c->def().readOnly)
      return true;
  return false;
}

struct Program {
  ScriptedAnswerer boxes;
  int frame = 0;
  QWidget* top = nullptr;
  void activate() {
    top->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(top));
  }
};

// Each registered window in turn: opened by name as the menu does, the focus
// lands on one of its input controls (a button where it has none), and Esc
// closes it.
void everyWindow(Program& run, int least) {
  int windows = 0;
  for (const std::string& name : registeredProcedures()) {
    if (name == "Main") continue;
    run.activate();
    startNamedProcedure(name, 0);
    WindowProcedure* p = nullptr;
    const auto shownOrEnded = [&] {
      if ((p = frontProcedure(run.frame)) && p->built()) return true;
      for (int t : runningThreads())
        if (t != run.frame) return false;
      return true;
    };
    if (!waitUntil(shownOrEnded, 3000) || !p) {
      closeAllBut(run.frame);
      continue;  // a report, a process or a message: no window of its own
    }
    settle(20);
    p = frontProcedure(run.frame);
    if (!p || !p->built()) continue;
    ++windows;
    // The title window lives by the mouse alone: a keystroke does not close it.
    if (p->name() == "splash") {
      closeAllBut(run.frame);
      continue;
    }
    QWidget* fw = QApplication::focusWidget();
    Control* c = fw ? p->built()->byWidget(fw) : nullptr;
    const bool inside = fw && p->outerWindow()->isAncestorOf(fw);
    if (!inside || !c || (!isInput(c->kind()) && hasInput(p)))
      ADD_FAILURE() << name << " (" << p->name() << "): the focus is on " << focusName(p);
    const int thread = p->threadId();
    QPointer<WindowProcedure> was = p;
    if (fw) QTest::keyClick(fw, Qt::Key_Escape);
    settle(20);
    if (was && was->isRunning() && topProcedure(thread) == was.data())
      ADD_FAILURE() << name << " (" << p->name() << "): Esc left it open";
    closeAllBut(run.frame);
  }
  EXPECT_GE(windows, least) << "every window was opened";
}

}  // namespace

TEST(Keyboard, EveryWindowOfTheMainProgramOpensOnItsFirstControlAndEscClosesIt) {
  Program run;
  run.boxes.install();
  setSettingsFileName("quillmark.INI");
  initGlobals();
  StartDictionary(DictionaryKind::Main,
                  {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  registerFrameProcedures();
  registerRecordProcedures();
  const auto& reg = procedureRegistrar();
  reports::registerRecordReports(reg);
  registerWebPageProcedures(reg, mainWebContext());
  details::registerDetailProcedures(reg, mainWebContext());
  webviews::registerWebViewProcedures(reg, mainWebContext());
  webreports::registerWebReportProcedures(reg, mainWebContext());
  registerDeskProcedures(reg, mainDeskContext());
  run.frame = startProcedure("Main", 0, [] { return std::make_unique<MainFrame>(); });
  ASSERT_TRUE(
      waitUntil([] { return mainFrame() && mainFrame()->outerWindow()->isVisible(); }, 10000));
  run.top = mainFrame()->outerWindow();
  closeAllBut(run.frame);
  everyWindow(run, 40);
  closeAllBut(0);
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  StopDictionary();
}

TEST(Keyboard, EveryWindowOfTheReaderOpensOnItsFirstControlAndEscClosesIt) {
  Program run;
  run.boxes.install();
  reader::initReaderGlobals();
  StartDictionary(DictionaryKind::Reader, {[] { return reader::HtmlFileName.str(); },
                                           [] { return reader::WorkFileName.str(); }});
  std::ofstream("QUILLMARK.EXE") << "x";
  {
    RecordFile con(fileDef(FileId::Con));
    ASSERT_EQ(con.open(OpenMode::ReadWriteDenyNone, true, 1, fileDef(FileId::Con).ownerPassword),
              0);
    con.close();
  }
  reader::registerReaderProcedures(procedureRegistrar());
  run.frame = startProcedure("Main", 0, [] { return std::make_unique<reader::ReaderFrame>(); });
  ASSERT_TRUE(waitUntil(
      [] { return reader::readerFrame() && reader::readerFrame()->outerWindow()->isVisible(); },
      10000));
  run.top = reader::readerFrame()->outerWindow();
  closeAllBut(run.frame);
  everyWindow(run, 10);
  closeAllBut(0);
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  StopDictionary();
}
