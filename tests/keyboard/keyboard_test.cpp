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
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <set>

#include "appkit/procedures.h"
#include "appkit/tour.h"
#include "desk/register.h"
#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "frame/registerall.h"
#include "guitest.h"
#include "keys.h"
#include "reader/frame.h"
#include "reader/globals.h"
#include "reader/register.h"
#include "readerstart.h"
#include "records/register.h"
#include "records/reports/register.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/store/store.h"
#include "runtime/ui/browse.h"
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

// The main program's frame with every window registered, in the test's empty folder.
void startMain(Program& run) {
  run.boxes.install();
  setSettingsFileName("quillmark.INI");
  initGlobals();
  StartDictionary(DictionaryKind::Main,
                  {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  registerMainProgramProcedures();
  run.frame = startProcedure("Main", 0, [] { return std::make_unique<MainFrame>(); });
  ASSERT_TRUE(
      waitUntil([] { return mainFrame() && mainFrame()->outerWindow()->isVisible(); }, 10000));
  run.top = mainFrame()->outerWindow();
  closeAllBut(run.frame);
}

// The reader's frame beside the main program, with its control file.
void startReader(Program& run) {
  run.boxes.install();
  ASSERT_NO_FATAL_FAILURE(qmtest::startReaderData());
  run.frame = startProcedure("Main", 0, [] { return std::make_unique<reader::ReaderFrame>(); });
  ASSERT_TRUE(waitUntil(
      [] { return reader::readerFrame() && reader::readerFrame()->outerWindow()->isVisible(); },
      10000));
  run.top = reader::readerFrame()->outerWindow();
  closeAllBut(run.frame);
}

void endProgram() {
  closeAllBut(0);
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  StopDictionary();
}

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
  startMain(run);
  everyWindow(run, 40);
  endProgram();
}

TEST(Keyboard, EveryWindowOfTheReaderOpensOnItsFirstControlAndEscClosesIt) {
  Program run;
  startReader(run);
  everyWindow(run, 10);
  endProgram();
}

// ---- a user's day, through whatever holds the focus ---------------------------

namespace {

// Where the user's keys go: the focused widget, or the frame before any has it.
QWidget* keyTarget(QWidget* top) {
  QWidget* fw = QApplication::focusWidget();
  return fw ? fw : top;
}

struct MainDay : ::testing::Test {
  Program run;
  void SetUp() override {
    startMain(run);
    run.activate();
  }
  void TearDown() override { endProgram(); }
  void key(int k, Qt::KeyboardModifiers mods = {}) {
    QTest::keyClick(keyTarget(run.top), static_cast<Qt::Key>(k), mods);
    settle(20);
  }
  void type(const QString& text) {
    qmtest::typeText(keyTarget(run.top), text);
    settle(10);
  }
  // The procedure of the active child window.
  WindowProcedure* front() {
    WindowProcedure* p = activeProcedure();
    return p && p->threadId() != run.frame ? p : nullptr;
  }
};

}  // namespace

// F7, Insert, the registrar's name and fee typed where the focus is, Enter
// saves; the list has the keyboard again, Esc closes it.
TEST_F(MainDay, ARegistrarIsAddedFromTheKeyboardAlone) {
  key(Qt::Key_F7);
  ASSERT_NE(front(), nullptr);
  EXPECT_EQ(front()->name(), "BrowseRegistrars");
  EXPECT_TRUE(qobject_cast<QTableView*>(QApplication::focusWidget()));
  for (const QString& company : {QStringLiteral("Nomïna Ltd"), QStringLiteral("Ørsted Names")}) {
    key(Qt::Key_Insert);
    ASSERT_EQ(front()->name(), "UpdateRegistrars");
    key(Qt::Key_Tab);  // past "Currently Use"
    type(company);
    key(Qt::Key_Return);
    ASSERT_EQ(front()->name(), "BrowseRegistrars") << company.toStdString();
  }
  const auto saved = qmtest::all(FileId::Registrars);
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0].text("REG:COMPANYNAME"), "Nomïna Ltd");
  EXPECT_EQ(saved[1].text("REG:COMPANYNAME"), "Ørsted Names");
  EXPECT_TRUE(qobject_cast<QTableView*>(QApplication::focusWidget()));
  key(Qt::Key_Escape);
  EXPECT_EQ(front(), nullptr);
  EXPECT_TRUE(run.boxes.asked.empty()) << run.boxes.asked[0].caption;
}

// A host's File Downloads choice made before another window saved the host
// comes back with Ctrl+' after "Record Was Not Updated", as typed texts do;
// each form chosen from the frame gets the keyboard where it had it.
TEST_F(MainDay, RecallAfterARefusedSaveBringsBackARadioChoice) {
  qmtest::add(FileId::Hosts, {{"HOS:HOSTNAME", "Hôst One"}, {"HOS:FILEDOWNLOADS", "\"F"}});
  key(Qt::Key_F6);
  key(Qt::Key_Return);
  WindowProcedure* later = front();
  ASSERT_EQ(later->name(), "UpdateHosts");
  auto* other = qobject_cast<QRadioButton*>(qmtest::widgetOf(later, "?HOS:FILEDOWNLOADS:2"));
  ASSERT_NE(other, nullptr);
  qmtest::showTabOf(other);
  QTest::mouseClick(other, Qt::LeftButton);
  settle(20);
  ASSERT_TRUE(other->isChecked());

  run.activate();
  key(Qt::Key_F6);
  key(Qt::Key_Return);
  ASSERT_NE(front(), later);
  ASSERT_EQ(front()->name(), "UpdateHosts");
  key(Qt::Key_Tab);  // past "Currently Use"
  key(Qt::Key_End);
  type("X");
  key(Qt::Key_Return);
  ASSERT_EQ(qmtest::all(FileId::Hosts).at(0).text("HOS:HOSTNAME"), "Hôst OneX");

  mainFrame()->area()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(later->outerWindow()));
  settle(20);
  ASSERT_EQ(QApplication::focusWidget(), other);
  key(Qt::Key_Return);
  ASSERT_EQ(run.boxes.asked.size(), 1u);
  EXPECT_EQ(run.boxes.asked[0].caption, "Record Was Not Updated");
  EXPECT_FALSE(other->isChecked());
  key(Qt::Key_Apostrophe, Qt::ControlModifier);
  EXPECT_TRUE(other->isChecked());
  key(Qt::Key_Return);
  const auto host = qmtest::all(FileId::Hosts).at(0);
  EXPECT_EQ(host.text("HOS:FILEDOWNLOADS"), "O\"");
  EXPECT_EQ(host.text("HOS:HOSTNAME"), "Hôst OneX");
}

// File > Exit over a changed form: No keeps every window and the program
// open, asked once; Yes then closes them all, asked once more.
TEST_F(MainDay, ExitAnsweredNoKeepsEveryWindowOpen) {
  key(Qt::Key_F7);
  key(Qt::Key_F6);
  mainFrame()->menuAction("&MyControl Panel")->trigger();
  settle(50);
  run.activate();
  key(Qt::Key_F5);
  key(Qt::Key_Insert);
  ASSERT_EQ(front()->name(), "UpdateDomains");
  type("ünsaved.example");
  std::vector<QPointer<WindowProcedure>> open;
  for (int t : runningThreads())
    for (WindowProcedure* p = topProcedure(t); p; p = p->caller())
      if (t != run.frame) open.push_back(p);
  ASSERT_EQ(open.size(), 5u);  // three browses, the domain form, the control panel

  run.boxes.replies = {BtnNo};
  mainFrame()->menuAction("E&xit")->trigger();
  settle(50);
  ASSERT_EQ(run.boxes.asked.size(), 1u);
  EXPECT_EQ(run.boxes.asked[0].caption, "Changes will be lost!");
  ASSERT_NE(mainFrame(), nullptr);
  for (auto& p : open) EXPECT_TRUE(p && p->isRunning()) << (p ? p->name() : "gone");

  run.boxes.replies = {BtnYes};
  mainFrame()->menuAction("E&xit")->trigger();
  settle(50);
  EXPECT_EQ(run.boxes.asked.size(), 2u);
  for (auto& p : open) EXPECT_FALSE(p && p->isRunning()) << p->name();
  EXPECT_EQ(mainFrame(), nullptr);
  EXPECT_TRUE(qmtest::all(FileId::Domains).empty());
}

// The frame's own keys for its child windows, shown in its Window menu:
// Ctrl+F6 and Ctrl+Tab go to the next window, which gets the keyboard where
// it had it; Ctrl+F4 closes the active one as its close box does.
TEST_F(MainDay, CtrlF6AndCtrlTabGoToTheNextWindowCtrlF4ClosesIt) {
  key(Qt::Key_F7);
  key(Qt::Key_F6);
  key(Qt::Key_Insert);
  ASSERT_EQ(front()->name(), "UpdateHosts");
  key(Qt::Key_Tab);
  type("Hôst Two");
  QWidget* typedIn = QApplication::focusWidget();
  QMenu* menu = mainFrame()->windowMenu();
  ASSERT_NE(menu, nullptr);
  QStringList shown;
  for (QAction* a : menu->actions()) shown << a->text() + "\t" + a->shortcut().toString();
  EXPECT_TRUE(shown.contains("Cl&ose\tCtrl+F4")) << shown.join("|").toStdString();
  EXPECT_TRUE(shown.contains("&Next\tCtrl+F6")) << shown.join("|").toStdString();

  std::set<std::string> seen;
  for (Qt::Key k : {Qt::Key_F6, Qt::Key_Tab}) {
    key(k, Qt::ControlModifier);
    ASSERT_NE(front(), nullptr);
    seen.insert(front()->name());
    QWidget* fw = QApplication::focusWidget();
    EXPECT_TRUE(fw && front()->outerWindow()->isAncestorOf(fw)) << front()->name();
  }
  EXPECT_EQ(seen.size(), 2u);  // each press another window
  while (front() && front()->name() != "UpdateHosts") key(Qt::Key_F6, Qt::ControlModifier);
  ASSERT_NE(front(), nullptr);
  EXPECT_EQ(QApplication::focusWidget(), typedIn);
  run.boxes.replies = {BtnYes};
  key(Qt::Key_F4, Qt::ControlModifier);
  ASSERT_EQ(run.boxes.asked.size(), 1u);
  EXPECT_EQ(run.boxes.asked[0].caption, "Changes will be lost!");
  ASSERT_NE(front(), nullptr);
  EXPECT_EQ(front()->name(), "BrowseHosts");
  EXPECT_TRUE(qobject_cast<QTableView*>(QApplication::focusWidget()));
  key(Qt::Key_F4, Qt::ControlModifier);
  key(Qt::Key_F4, Qt::ControlModifier);
  EXPECT_EQ(front(), nullptr);
  EXPECT_TRUE(qmtest::all(FileId::Hosts).empty());
}

// The control panel's Notes by Tab and Enter, Insert, a topic, a memo of two
// lines that Tab leaves, the reminder mark by Space, Enter presses OK.
TEST_F(MainDay, ANoteWithAReminderIsWrittenFromTheKeyboardAlone) {
  mainFrame()->menuAction("&MyControl Panel")->trigger();
  settle(50);
  ASSERT_NE(front(), nullptr);
  const auto focusText = [] {
    auto* b = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    return b ? b->text() : QString();
  };
  for (int i = 0; i < 20 && focusText() != "Notes"; ++i) key(Qt::Key_Tab);
  ASSERT_EQ(focusText(), "Notes");
  key(Qt::Key_Return);
  ASSERT_TRUE(waitUntil([&] { return front() && front()->name() == "BrowseNotes"; }, 3000));
  key(Qt::Key_Insert);
  ASSERT_EQ(front()->name(), "Updatednotes");
  type("Renew ünïcode.example");
  QWidget* memo = nullptr;
  for (int i = 0; i < 10 && !(memo = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget()));
       ++i)
    key(Qt::Key_Tab);
  ASSERT_NE(memo, nullptr);
  type("Call the registrar");
  key(Qt::Key_Return);  // a new line, not OK
  type("before the 3rd");
  key(Qt::Key_Tab);
  EXPECT_NE(QApplication::focusWidget(), memo);
  key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), memo);
  QCheckBox* mark = nullptr;
  for (int i = 0; i < 10 && !(mark = qobject_cast<QCheckBox*>(QApplication::focusWidget())); ++i)
    key(Qt::Key_Tab);
  ASSERT_NE(mark, nullptr);
  key(Qt::Key_Space);
  key(Qt::Key_Return);
  ASSERT_EQ(front()->name(), "BrowseNotes");
  const auto notes = qmtest::all(FileId::dnotes);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_EQ(notes[0].text("DNO:TOPIC"), "Renew ünïcode.example");
  EXPECT_EQ(notes[0].memo(0), "Call the registrar\nbefore the 3rd");
  EXPECT_EQ(notes[0].text("DNO:REMINDER"), "Y");
  EXPECT_TRUE(run.boxes.asked.empty()) << run.boxes.asked[0].caption;
}

// In the reader, Speed Read Pages then the domain typed at once lands in its
// "Domain Name:" entry; Esc closes the window.
TEST(ReaderDay, TheDomainTypedIntoSpeedReadPagesIsKept) {
  Program run;
  startReader(run);
  run.activate();
  reader::readerFrame()->menuAction("&Speed Read Pages")->trigger();
  settle(50);
  WindowProcedure* p = activeProcedure();
  ASSERT_TRUE(p && p->name() == "readpages");
  qmtest::typeText(keyTarget(run.top), "ünïcode.example");
  auto* e = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->text(), "ünïcode.example");
  Control* c = p->built()->byWidget(e);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->def().field, "domainname");
  QPointer<WindowProcedure> alive = p;
  QTest::keyClick(e, Qt::Key_Escape);
  settle(20);
  EXPECT_TRUE(!alive || !alive->isRunning());
  endProgram();
}

// A domain deleted in one browse is gone from a second browse of the file as
// soon as that one comes forward, before any move key.
TEST_F(MainDay, ABrowseBroughtForwardShowsTheFileAsItIs) {
  qmtest::add(FileId::Domains, {{"DOM:DOMAINNAME", "älpha.example"}});
  qmtest::add(FileId::Domains, {{"DOM:DOMAINNAME", "beta.example"}});
  key(Qt::Key_F5);
  auto* first = dynamic_cast<BrowseProcedure*>(front());
  ASSERT_NE(first, nullptr);
  key(Qt::Key_F5);
  ASSERT_NE(front(), first);
  ASSERT_EQ(front()->name(), "BrowseDomains");
  ASSERT_EQ(first->list().rows().size(), 2u);
  key(Qt::Key_Delete);  // the highlighted first domain, answered Yes
  const auto left = qmtest::all(FileId::Domains);
  ASSERT_EQ(left.size(), 1u);
  key(Qt::Key_F6, Qt::ControlModifier);
  ASSERT_EQ(front(), first);
  ASSERT_EQ(first->list().rows().size(), 1u);
  EXPECT_EQ(first->list().rows()[0].record.text("DOM:DOMAINNAME"), left[0].text("DOM:DOMAINNAME"));
}

// Closing a window brings its caller forward: the links view stays in front
// of the pages list after its print found nothing.
TEST_F(MainDay, AViewStaysInFrontAfterItsPrintFoundNothing) {
  key(Qt::Key_F8);
  ASSERT_NE(front(), nullptr);
  mainFrame()->menuAction("View Links")->trigger();
  settle(50);
  WindowProcedure* view = front();
  ASSERT_TRUE(view && view->name() == "viewlinks");
  qmtest::click(view, "?Find");
  ASSERT_NE(front(), view);
  qmtest::typeInto(front(), "?Value1", "nowhere.example");
  qmtest::click(front(), "?OK");
  ASSERT_EQ(front(), view);
  qmtest::click(view, "?Print");
  settle(50);
  ASSERT_EQ(run.boxes.asked.size(), 1u);
  EXPECT_EQ(run.boxes.asked[0].caption, "No Records") << run.boxes.asked[0].text;
  EXPECT_EQ(front(), view) << (front() ? front()->name() : "none");
  QWidget* fw = QApplication::focusWidget();
  EXPECT_TRUE(fw && view->outerWindow()->isAncestorOf(fw));
}

// F5, Insert and the domain's name typed at once: "Domain Name:" holds it and
// Enter saves it; Home and Down move in the list that has the keyboard again.
TEST_F(MainDay, ADomainNameTypedAfterInsertIsSaved) {
  key(Qt::Key_F5);
  ASSERT_EQ(front()->name(), "BrowseDomains");
  for (const char* name : {"zeta.example", "ålesund.example"}) {
    key(Qt::Key_Insert);
    ASSERT_EQ(front()->name(), "UpdateDomains");
    type(QString::fromUtf8(name));
    key(Qt::Key_Return);
    ASSERT_EQ(front()->name(), "BrowseDomains") << name;
  }
  const auto saved = qmtest::all(FileId::Domains);
  ASSERT_EQ(saved.size(), 2u);
  auto* b = dynamic_cast<BrowseProcedure*>(front());
  ASSERT_NE(b, nullptr);
  key(Qt::Key_Home);
  const std::string top = b->list().current()->record.text("DOM:DOMAINNAME");
  key(Qt::Key_Down);
  EXPECT_NE(b->list().current()->record.text("DOM:DOMAINNAME"), top);
  EXPECT_TRUE(run.boxes.asked.empty()) << run.boxes.asked[0].caption;
}
