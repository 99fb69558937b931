#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <fstream>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "frame/program/startup.h"
#include "frame/splash.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/desktop/commandline.h"
#include "runtime/report/fontmap.h"
#include "runtime/ui/window.h"
#include "runtime/ui/windowdef.h"

namespace fs = std::filesystem;
using namespace qm;

namespace {

void processFor(int ms) {
  QElapsedTimer t;
  t.start();
  do QApplication::processEvents(QEventLoop::AllEvents, 10);
  while (t.elapsed() < ms);
}

// A child window standing in for a registered procedure: it counts its
// openings and the navigation the frame hands it.
struct ProbeLog {
  std::vector<Nav> navs;
  int opened = 0;
};
ProbeLog g_probe;

class Probe : public WindowProcedure {
 public:
  explicit Probe(std::string name, int w = 120, int h = 60) : WindowProcedure(std::move(name)) {
    WindowDef def;
    def.title = "Probe";
    def.w = w;
    def.h = h;
    def.resizable = true;
    setDefinition(def);
  }
  QLineEdit* edit = nullptr;
  void navigate(Nav nav) override { g_probe.navs.push_back(nav); }

 protected:
  void setup() override {
    ++g_probe.opened;
    edit = new QLineEdit(window());
    edit->setObjectName("probeEdit");
  }
};

ProcedureFactory probe(std::string name, int w = 120, int h = 60) {
  return [name, w, h] { return std::make_unique<Probe>(name, w, h); };
}

void closeEverything() {
  for (int round = 0; round < 20 && !runningThreads().empty(); ++round)
    for (int t : runningThreads())
      if (WindowProcedure* p = topProcedure(t)) p->close(2);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The thread of the procedure whose window a child window frames.
int threadOf(QMdiSubWindow* w) {
  for (int t : runningThreads())
    if (WindowProcedure* p = topProcedure(t); p && p->outerWindow() == w) return t;
  return 0;
}

void makeFile(const std::string& name, bool executable) {
  std::ofstream(name) << "#!/bin/sh\n";
  if (executable) fs::permissions(name, fs::perms::owner_all);
}

// The frame opened in the test's empty directory, messages answered by script.
struct FrameRun {
  ScriptedAnswerer boxes;
  MainFrame* frame = nullptr;
  int thread = 0;
  explicit FrameRun(std::function<void()> before = {}) {
    boxes.install();
    setSettingsFileName("quillmark.INI");
    initGlobals();
    registerFrameProcedures();
    g_probe = {};
    if (before) before();
    thread = startProcedure("Main", 0, [] { return std::make_unique<MainFrame>(); });
    frame = mainFrame();
  }
  ~FrameRun() {
    closeEverything();
    for (const char* name :
         {"BrowseDomains", "BrowseHosts", "StartupReminderCheck", "RebuildDomainsKeys"})
      unregisterProcedure(name);
  }
  QWidget* top() const { return frame->outerWindow(); }
  void activate() {
    top()->activateWindow();
    QApplication::setActiveWindow(top());
    ASSERT_TRUE(QTest::qWaitForWindowActive(top()));
  }
};

}  // namespace

TEST(Frame, ClosingWritesPreservedAndPlacementAndNoRecordFile) {
  ScriptedAnswerer boxes;
  boxes.install();
  registerFrameProcedures();
  bool sawFrame = false;
  QTimer::singleShot(0, [&] {
    MainFrame* f = mainFrame();
    if (!f) return;
    sawFrame = true;
    EXPECT_EQ(f->outerWindow()->windowTitle(), "Quillmark Main Menu");
    EXPECT_FALSE(f->cptogBox()->isChecked());
    f->cptogBox()->click();  // the user switches cptog on
    f->requestClose();
  });
  const int code = runProgram(
      Main,
      [] {
        StartDictionary(DictionaryKind::Main,
                        {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
      },
      [] { StopDictionary(); });
  EXPECT_EQ(code, 0);
  ASSERT_TRUE(sawFrame);
  EXPECT_EQ(mainFrame(), nullptr);
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(fs::current_path()))
    files.push_back(e.path().filename().string());
  EXPECT_EQ(files, std::vector<std::string>{"quillmark.INI"});
  IniFile ini("quillmark.INI");
  EXPECT_EQ(ini.read("Preserved", "cptog", ""), "1");
  EXPECT_NE(ini.read("Main", "Maximize", ""), "");
  EXPECT_NE(ini.read("Main", "Width", ""), "");
  EXPECT_TRUE(boxes.asked.empty());
}

TEST(Frame, ControlPanelSectionMissingGivesDefaults) {
  FrameRun run;
  const struct {
    std::string value;
    std::string expected;
  } rows[] = {{controlPanel.ubut1.str(), "User 1"}, {controlPanel.ubut2.str(), "User 2"},
              {controlPanel.ubut3.str(), "User 3"}, {controlPanel.ubut4.str(), "User 4"},
              {controlPanel.html.str(), ""},        {controlPanel.mail.str(), ""},
              {controlPanel.usr4.str(), ""},        {controlPanel.fftp.str(), ""}};
  for (const auto& r : rows) EXPECT_EQ(r.value, r.expected);
}

TEST(Frame, ControlPanelSectionReadBackWhole) {
  auto g = [](auto& field) { return [&field] { return field.str(); }; };
  const struct {
    const char* key;
    std::string written;
    std::string expected;
    std::function<std::string()> global;
  } rows[] = {
      {"html", "/usr/bin/htmledit", "/usr/bin/htmledit", g(controlPanel.html)},
      {"grphx", "gimp", "gimp", g(controlPanel.grphx)},
      {"brwsr", "firefox", "firefox", g(controlPanel.brwsr)},
      {"txted", "gedit", "gedit", g(controlPanel.txted)},
      {"usr1", "one", "one", g(controlPanel.usr1)},
      {"usr2", "two", "two", g(controlPanel.usr2)},
      {"usr3", "three", "three", g(controlPanel.usr3)},
      {"usr4", "four", "four", g(controlPanel.usr4)},
      {"fftp", "ftpclient", "ftpclient", g(controlPanel.fftp)},
      {"mail", "mailer", "mailer", g(controlPanel.mail)},
      {"ubut1", "Twelve chars", "Twelve cha", g(controlPanel.ubut1)},  // cut to its width
      {"ubut2", "Edit", "Edit", g(controlPanel.ubut2)},
      {"ubut3", "Draw", "Draw", g(controlPanel.ubut3)},
      {"ubut4", "A caption of twenty+", "A caption of twenty+", g(controlPanel.ubut4)},
  };
  FrameRun run([&] {
    for (const auto& r : rows) ASSERT_TRUE(settings().write("cpanel", r.key, r.written));
  });
  for (const auto& r : rows) EXPECT_EQ(r.global(), r.expected) << r.key;
  EXPECT_EQ(StartDirectory.str(), fs::current_path().string());
}

TEST(Frame, ReaderItemEnabledWhenTheReaderIsFound) {
  const struct {
    const char* file;
    bool executable;
    bool enabled;
  } cases[] = {{"", false, false}, {"skimwell.exe", false, true}, {"skimwell", true, true}};
  for (const auto& c : cases) {
    fs::remove("skimwell.exe");
    fs::remove("skimwell");
    if (*c.file) makeFile(c.file, c.executable);
    FrameRun run;
    QAction* reader = run.frame->menuAction("Multi-WebPage Reader Program");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->isEnabled(), c.enabled) << c.file;
  }
}

TEST(Frame, HotKeyOfAnUnbuiltProcedureSaysProcedureNotDefined) {
  FrameRun run;
  run.activate();
  QTest::keyClick(run.top()->windowHandle(), Qt::Key_F5);
  ASSERT_EQ(run.boxes.asked.size(), 1u);
  EXPECT_EQ(run.boxes.asked[0].caption, "Procedure not defined");
  EXPECT_EQ(run.boxes.asked[0].text, "The Procedure BrowseDomains has not been defined.");
}

TEST(Frame, EveryUnbuiltItemNamesItsProcedure) {
  FrameRun run;
  const auto& items = mainMenu();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const MenuItem& item = items[i];
    if (item.action != MenuAction::Start && item.action != MenuAction::Call) continue;
    if (findProcedure(item.target)) continue;
    run.boxes.asked.clear();
    run.frame->menuAction(i)->trigger();
    ASSERT_EQ(run.boxes.asked.size(), 1u) << item.text;
    EXPECT_EQ(run.boxes.asked[0].text,
              std::string("The Procedure ") + item.target + " has not been defined.");
  }
}

TEST(Frame, MenuItemsCarryTheirTipsAndKeys) {
  FrameRun run;
  const struct {
    const char* text;
    const char* key;
    const char* tip;
  } rows[] = {
      {"&Main Work Area: By Domain", "F5", "Browse Main file to house your domain data."},
      {"&Hosts File", "F6", "Browse ISP hosts file (where the domains are hosted.)"},
      {"&Registrar Companies File", "F7",
       "Browse This is the company that registered your domain name for the internet."},
      {"&QuickView Web Page Data", "F8", ""},
      {"E&xit", "", "Exit this application"},
      {"&Window", "", "Create and Arrange windows"},
      {"Cl&ose", "Ctrl+F4", "Close the active window"},
      {"&Next", "Ctrl+F6", "Go to the next window"},
  };
  for (const auto& r : rows) {
    QAction* a = run.frame->menuAction(r.text);
    ASSERT_NE(a, nullptr) << r.text;
    EXPECT_EQ(a->shortcut().toString(), r.key) << r.text;
    EXPECT_EQ(a->statusTip(), r.tip) << r.text;
  }
  // A tip shows in the status bar while its item is under the mouse.
  run.frame->menuAction("E&xit")->showStatusText(run.frame->mainWindow());
  EXPECT_EQ(run.frame->mainWindow()->statusBar()->currentMessage(), "Exit this application");
}

TEST(Frame, StartItemsRunOnNewThreadsCallItemsOnTheFrames) {
  FrameRun run([] {
    registerProcedure("BrowseDomains", probe("BrowseDomains"));
    registerProcedure("RebuildDomainsKeys", probe("RebuildDomainsKeys"));
  });
  QAction* f5 = run.frame->menuAction("&Main Work Area: By Domain");
  f5->trigger();
  f5->trigger();
  std::vector<int> browses;
  for (int t : runningThreads())
    if (threadName(t) == "BrowseDomains") browses.push_back(t);
  ASSERT_EQ(browses.size(), 2u);
  for (int t : browses) {
    EXPECT_EQ(threadStackSize(t), 50000);
    ASSERT_NE(topProcedure(t), nullptr);
    EXPECT_NE(qobject_cast<QMdiSubWindow*>(topProcedure(t)->outerWindow()), nullptr);
  }
  EXPECT_EQ(run.frame->area()->subWindowList().size(), 2);

  run.frame->menuAction("&Domains File")->trigger();  // first "&Domains File": the key rebuild
  WindowProcedure* called = topProcedure(run.frame->threadId());
  ASSERT_NE(called, run.frame);
  EXPECT_EQ(called->name(), "RebuildDomainsKeys");
  EXPECT_FALSE(run.top()->isEnabled());  // the frame waits for it
  called->close(1);
  EXPECT_TRUE(run.top()->isEnabled());
  EXPECT_TRUE(run.boxes.asked.empty());
}

TEST(Frame, ToolbarGoesToTheActiveChildOnly) {
  FrameRun run([] { registerProcedure("BrowseHosts", probe("BrowseHosts")); });
  ASSERT_EQ(run.frame->toolBar()->actions().size(), 15);  // 13 buttons, separator, cptog
  const auto& buttons = mainToolbar();
  for (const ToolButton& b : buttons) run.frame->toolAction(b.nav)->trigger();
  processFor(50);
  EXPECT_TRUE(g_probe.navs.empty());
  EXPECT_TRUE(run.boxes.asked.empty());

  run.frame->menuAction("&Hosts File")->trigger();
  ASSERT_NE(run.frame->area()->activeSubWindow(), nullptr);
  run.frame->toolAction(Nav::Insert)->trigger();
  run.frame->toolAction(Nav::Last)->trigger();
  EXPECT_TRUE(QTest::qWaitFor([] { return g_probe.navs.size() == 2; }));
  EXPECT_EQ(g_probe.navs, (std::vector<Nav>{Nav::Insert, Nav::Last}));
  EXPECT_EQ(run.frame->toolAction(Nav::Ditto)->toolTip(), "Previous value");
}

TEST(Frame, StartupCheckSlotStartsNothingUntilFilled) {
  {
    FrameRun run;
    EXPECT_EQ(run.frame->startupThread(), 0);
    EXPECT_TRUE(run.boxes.asked.empty());
  }
  FrameRun run([] { registerProcedure("StartupReminderCheck", probe("StartupReminderCheck")); });
  const int t = run.frame->startupThread();
  ASSERT_NE(t, 0);
  EXPECT_EQ(threadName(t), "StartupReminderCheck");
}

TEST(Frame, RunItemsStartTheirCommandLines) {
  struct Recorded {
    std::string program;
    std::vector<std::string> args;
  };
  std::vector<Recorded> started;
  ProcessStarter previous =
      setProcessStarter([&](const std::string& p, const std::vector<std::string>& a) {
        started.push_back({fs::path(p).filename().string(), a});
        return false;  // every start fails, and says so
      });
  for (const char* exe : {"qdffix", "policy", "links", "winhelp", "skimwell"}) makeFile(exe, true);
  FrameRun run;
  const struct {
    const char* item;
    const char* program;
    std::vector<std::string> args;
  } rows[] = {{"&File Fixer Utility", "qdffix", {}},
              {"Multi-WebPage Reader Program", "skimwell", {}},
              {"Reference Help", "winhelp", {"reference.hlp"}},
              {"Policy: Returns and Support", "policy", {}},
              {"Useful Links", "links", {}}};
  for (const auto& r : rows) {
    started.clear();
    run.boxes.asked.clear();
    run.frame->menuAction(r.item)->trigger();
    ASSERT_EQ(started.size(), 1u) << r.item;
    EXPECT_EQ(started[0].program, r.program);
    EXPECT_EQ(started[0].args, r.args);
    ASSERT_EQ(run.boxes.asked.size(), 1u) << r.item;
    EXPECT_NE(
        run.boxes.asked[0].text.find(std::string("/") + r.program + "\" could not be started"),
        std::string::npos)
        << run.boxes.asked[0].text;
  }
  fs::remove("qdffix");
  started.clear();
  run.boxes.asked.clear();
  run.frame->menuAction("&File Fixer Utility")->trigger();
  EXPECT_TRUE(started.empty());
  ASSERT_EQ(run.boxes.asked.size(), 1u);
  EXPECT_EQ(run.boxes.asked[0].caption, "Program Not Started");
  EXPECT_NE(run.boxes.asked[0].text.find(
                "\"qdffix.exe\" could not be started:|no program of that name was found"),
            std::string::npos);
  setProcessStarter(previous);
}

TEST(Frame, HelpItemsSayWhenTheHelpFileIsMissing) {
  FrameRun run;
  for (const char* item : {"&Contents", "&Search for Help On...", "&How to Use Help"}) {
    run.boxes.asked.clear();
    run.frame->menuAction(item)->trigger();
    ASSERT_EQ(run.boxes.asked.size(), 1u) << item;
    EXPECT_NE(run.boxes.asked[0].text.find("QUILLMARK.HLP"), std::string::npos);
  }
}

TEST(Frame, EditItemsWorkOnTheFocusedControl) {
  FrameRun run([] { registerProcedure("BrowseHosts", probe("BrowseHosts")); });
  run.activate();
  run.frame->menuAction("&Hosts File")->trigger();
  auto* edit = run.frame->area()->findChild<QLineEdit*>("probeEdit");
  ASSERT_NE(edit, nullptr);
  run.activate();
  edit->setText("example.org");
  edit->setFocus();
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == edit; }));
  edit->selectAll();
  run.frame->menuAction("&Copy")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "example.org");
  run.frame->menuAction("Cu&t")->trigger();
  EXPECT_EQ(edit->text(), "");
  run.frame->menuAction("&Paste")->trigger();
  run.frame->menuAction("&Paste")->trigger();
  EXPECT_EQ(edit->text(), "example.orgexample.org");
}

TEST(Frame, ArrangeIconsLinesUpMinimisedWindowsAtTheBottom) {
  FrameRun run([] { registerProcedure("BrowseHosts", probe("BrowseHosts")); });
  run.top()->resize(800, 600);
  processFor(20);
  QAction* hosts = run.frame->menuAction("&Hosts File");
  hosts->trigger();
  hosts->trigger();
  hosts->trigger();
  QMdiArea* area = run.frame->area();
  const auto subs = area->subWindowList();
  ASSERT_EQ(subs.size(), 3);
  run.frame->menuAction("T&ile")->trigger();
  EXPECT_FALSE(subs[0]->geometry().intersects(subs[1]->geometry()));
  subs[0]->showMinimized();
  subs[2]->showMinimized();
  subs[0]->move(100, 50);
  run.frame->menuAction("&Arrange Icons")->trigger();
  const int bottom = area->viewport()->height();
  EXPECT_EQ(subs[0]->geometry().bottom() + 1, bottom);
  EXPECT_EQ(subs[2]->geometry().bottom() + 1, bottom);
  EXPECT_EQ(subs[0]->x(), 0);
  EXPECT_FALSE(subs[0]->geometry().intersects(subs[2]->geometry()));
}

TEST(Frame, ChildWindowsOpenCascadedAndCascadeKeepsTheirSizes) {
  FrameRun run([] {
    registerProcedure("BrowseHosts", probe("BrowseHosts"));
    ASSERT_TRUE(settings().write("BrowseHosts", "XPos", "10"));
    ASSERT_TRUE(settings().write("BrowseHosts", "YPos", "8"));
  });
  run.top()->resize(1000, 800);
  processFor(20);
  QAction* hosts = run.frame->menuAction("&Hosts File");
  for (int i = 0; i < 3; ++i) hosts->trigger();
  QMdiArea* area = run.frame->area();
  const auto subs = area->subWindowList(QMdiArea::CreationOrder);
  ASSERT_EQ(subs.size(), 3);
  const int step = subs[0]->contentsMargins().top();
  ASSERT_GT(step, 10);
  // The saved spot for the first; each further one a title bar on, never hiding another.
  const DialogUnits& u = topProcedure(threadOf(subs[0]))->built()->units();
  EXPECT_EQ(subs[0]->pos(), QPoint(u.x(10), u.y(8)));
  EXPECT_EQ(subs[1]->pos(), subs[0]->pos() + QPoint(step, step));
  EXPECT_EQ(subs[2]->pos(), subs[1]->pos() + QPoint(step, step));

  std::vector<QSize> sizes;
  for (auto* w : subs) sizes.push_back(w->size());
  subs[0]->move(300, 200);
  subs[2]->move(5, 400);
  area->setActiveSubWindow(subs[1]);
  run.frame->menuAction("&Cascade")->trigger();
  processFor(20);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(subs[i]->size(), sizes[static_cast<size_t>(i)]) << i;
  // Stacked as they lay, the active one last and on top.
  const auto stack = area->subWindowList(QMdiArea::StackingOrder);
  ASSERT_EQ(stack.back(), subs[1]);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(stack[static_cast<size_t>(i)]->pos(), QPoint(i * step, i * step)) << i;
  EXPECT_EQ(area->activeSubWindow(), subs[1]);
}

TEST(Frame, WindowMenuListsTheChildWindowsAndActivatesTheOneChosen) {
  FrameRun run([] {
    registerProcedure("BrowseHosts", probe("BrowseHosts"));
    registerProcedure("BrowseDomains", probe("BrowseDomains"));
  });
  run.top()->resize(1000, 800);
  run.frame->menuAction("&Hosts File")->trigger();
  run.frame->menuAction("&Main Work Area: By Domain")->trigger();
  QMdiArea* area = run.frame->area();
  const auto subs = area->subWindowList(QMdiArea::CreationOrder);
  ASSERT_EQ(subs.size(), 2);
  subs[0]->setWindowTitle("Hosts");
  subs[1]->setWindowTitle("Domains");
  QMenu* menu = run.frame->windowMenu();
  ASSERT_NE(menu, nullptr);
  auto listed = [&] {
    emit menu->aboutToShow();
    std::vector<std::pair<std::string, bool>> out;
    for (QAction* a : menu->actions())
      if (a->isCheckable()) out.push_back({a->text().toStdString(), a->isChecked()});
    return out;
  };
  using Items = std::vector<std::pair<std::string, bool>>;
  EXPECT_EQ(listed(), (Items{{"&1 Hosts", false}, {"&2 Domains", true}}));
  EXPECT_EQ(menu->actions().front()->text(), "T&ile");  // after the menu's own items
  for (QAction* a : menu->actions())
    if (a->text() == "&1 Hosts") a->trigger();
  EXPECT_EQ(area->activeSubWindow(), subs[0]);
  EXPECT_EQ(listed(), (Items{{"&1 Hosts", true}, {"&2 Domains", false}}));
  topProcedure(threadOf(subs[0]))->close(2);
  processFor(20);
  EXPECT_EQ(listed(), (Items{{"&1 Domains", true}}));
  EXPECT_EQ(menu->actions().size(), 7);  // five items, a separator, one window
}

// ---- the title window ------------------------------------------------------------

namespace {

struct SplashRun {
  int thread;
  explicit SplashRun(int hundredths) {
    setSettingsFileName("quillmark.INI");
    thread = startProcedure("splash", 25000,
                            [hundredths] { return std::make_unique<Splash>(hundredths); });
  }
  ~SplashRun() { closeEverything(); }
  WindowProcedure* proc() const { return topProcedure(thread); }
  bool open() const { return threadRunning(thread); }
};

}  // namespace

TEST(Splash, ShowsItsTextsInTheirFont) {
  SplashRun s(800);
  ASSERT_TRUE(s.open());
  std::vector<std::string> texts;
  for (QLabel* l : s.proc()->window()->findChildren<QLabel*>()) {
    texts.push_back(l->text().toStdString());
    EXPECT_EQ(l->font().family(), mappedFont("Arial Black", 12).family());
  }
  std::sort(texts.begin(), texts.end());
  EXPECT_EQ(texts, (std::vector<std::string>{"Quillmark Pro", "Version 3.1"}));
}

TEST(Splash, ClosesByItselfAndSavesItsPlacement) {
  SplashRun s(20);  // a fifth of a second instead of eight
  EXPECT_TRUE(s.open());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !s.open(); }));
  EXPECT_NE(IniFile("quillmark.INI").read("splash", "XPos", ""), "");
}

TEST(Splash, MouseClicksCloseItKeysDoNot) {
  const struct {
    const char* what;
    std::function<void(QWidget*)> act;
  } cases[] = {
      {"left click", [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }},
      {"double click", [](QWidget* w) { QTest::mouseDClick(w, Qt::LeftButton); }},
      {"right click", [](QWidget* w) { QTest::mouseClick(w, Qt::RightButton); }},
      {"click on a text",
       [](QWidget* w) { QTest::mouseClick(w->findChildren<QLabel*>().front(), Qt::LeftButton); }},
  };
  for (const auto& c : cases) {
    SplashRun s(800);
    QWidget* w = s.proc()->window();
    QTest::keyClick(w, Qt::Key_A);
    QTest::keyClick(w, Qt::Key_Return);
    processFor(30);
    ASSERT_TRUE(s.open()) << c.what;
    c.act(w);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !s.open(); })) << c.what;
  }
}

TEST(Splash, LosingTheFocusClosesIt) {
  SplashRun s(800);
  QWidget* w = s.proc()->outerWindow();
  w->activateWindow();
  QApplication::setActiveWindow(w);
  ASSERT_TRUE(QTest::qWaitForWindowActive(w));
  QWidget other;
  other.show();
  other.activateWindow();
  QApplication::setActiveWindow(&other);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !s.open(); }));
}

TEST(Splash, AboutStartsItOnItsOwnThread) {
  FrameRun run;
  run.frame->menuAction("About QM")->trigger();
  int found = 0;
  for (int t : runningThreads())
    if (threadName(t) == "splash") {
      ++found;
      EXPECT_EQ(threadStackSize(t), 25000);
    }
  EXPECT_EQ(found, 1);
}

namespace {

// The child windows showing, in creation order.
std::vector<QMdiSubWindow*> shown(QMdiArea* area) {
  std::vector<QMdiSubWindow*> out;
  for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder))
    if (w->isVisible()) out.push_back(w);
  return out;
}

// A browse stand-in whose Change opens a form on its own thread.
class Caller : public Probe {
 public:
  using Probe::Probe;
  void navigate(Nav nav) override {
    if (nav == Nav::Change) callProcedure(probe("UpdateHosts"), 2, [](int) {});
  }
};

}  // namespace

TEST(Frame, CascadeStepsWindowsLargerThanTheAreaAndShrinksThem) {
  FrameRun run([] { registerProcedure("BrowseHosts", probe("BrowseHosts", 400, 300)); });
  run.top()->resize(700, 500);
  processFor(20);
  for (int i = 0; i < 3; ++i) run.frame->menuAction("&Hosts File")->trigger();
  QMdiArea* area = run.frame->area();
  run.frame->menuAction("T&ile")->trigger();
  run.frame->menuAction("&Cascade")->trigger();
  processFor(20);
  const QRect room = area->viewport()->rect();
  const auto stack = area->subWindowList(QMdiArea::StackingOrder);
  ASSERT_EQ(stack.size(), 3);
  const int step = stack[0]->contentsMargins().top();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(stack[i]->pos(), QPoint(i * step, i * step)) << i;
    EXPECT_TRUE(room.contains(stack[i]->geometry())) << i;
  }
}

TEST(Frame, AMaximisedWindowLeavesOthersInTheirOwnPlacement) {
  FrameRun run([] {
    registerProcedure("BrowseHosts", probe("BrowseHosts"));
    registerProcedure("BrowseDomains", probe("BrowseDomains"));
    ASSERT_TRUE(settings().write("BrowseDomains", "XPos", "300"));
    ASSERT_TRUE(settings().write("BrowseDomains", "YPos", "200"));
  });
  run.top()->resize(700, 500);
  processFor(20);
  QMdiArea* area = run.frame->area();
  run.frame->menuAction("&Hosts File")->trigger();
  run.frame->menuAction("&Hosts File")->trigger();
  auto subs = shown(area);
  ASSERT_EQ(subs.size(), 2u);
  const QSize normal = subs[0]->size();
  subs[1]->showMaximized();
  processFor(20);
  // Opened later, the domains window keeps its own placement, kept inside the area.
  run.frame->menuAction("&Main Work Area: By Domain")->trigger();
  processFor(20);
  subs = shown(area);
  ASSERT_EQ(subs.size(), 3u);
  EXPECT_FALSE(subs[2]->isMaximized());
  EXPECT_EQ(subs[2]->size(), normal);
  EXPECT_TRUE(area->viewport()->rect().contains(subs[2]->geometry()));
  EXPECT_EQ(area->currentSubWindow(), subs[2]);
  EXPECT_FALSE(subs[0]->isMaximized());
  // Closing the maximised one leaves the others where they were, inside.
  topProcedure(threadOf(subs[1]))->close(2);
  processFor(20);
  for (QMdiSubWindow* w : shown(area)) {
    EXPECT_FALSE(w->isMaximized());
    EXPECT_TRUE(area->viewport()->rect().contains(w->geometry()));
  }
}

TEST(Frame, ClosingAWindowBringsForwardTheOneThatOpenedIt) {
  FrameRun run([] {
    registerProcedure("BrowseHosts", [] { return std::make_unique<Caller>("BrowseHosts"); });
    registerProcedure("BrowseDomains", probe("BrowseDomains"));
  });
  run.top()->resize(1000, 800);
  processFor(20);
  QMdiArea* area = run.frame->area();
  run.frame->menuAction("&Main Work Area: By Domain")->trigger();
  run.frame->menuAction("&Hosts File")->trigger();
  run.frame->menuAction("&Main Work Area: By Domain")->trigger();
  auto subs = shown(area);
  ASSERT_EQ(subs.size(), 3u);
  // A form called from the hosts window, with a newer window between.
  area->setActiveSubWindow(subs[1]);
  const int hosts = threadOf(subs[1]);
  topProcedure(hosts)->navigate(Nav::Change);
  processFor(20);
  ASSERT_EQ(shown(area).size(), 4u);
  QMdiSubWindow* form = shown(area)[3];
  area->setActiveSubWindow(subs[2]);
  area->setActiveSubWindow(form);
  ASSERT_NE(topProcedure(hosts)->outerWindow(), subs[1]);
  topProcedure(hosts)->close(2);  // the form, on top of the hosts thread
  processFor(20);
  EXPECT_EQ(area->currentSubWindow(), subs[1]);
  EXPECT_EQ(area->subWindowList(QMdiArea::StackingOrder).back(), subs[1]);
  // A window opened from the menu: closing it goes back to the one in front before.
  area->setActiveSubWindow(subs[0]);
  run.frame->menuAction("&Main Work Area: By Domain")->trigger();
  processFor(20);
  QMdiSubWindow* last = shown(area).back();
  ASSERT_EQ(area->currentSubWindow(), last);
  topProcedure(threadOf(last))->close(2);
  processFor(20);
  EXPECT_EQ(area->currentSubWindow(), subs[0]);
}

TEST(Frame, AWindowOpenedAfterAPreviewClosedComesToTheFront) {
  FrameRun run([] { registerProcedure("BrowseHosts", probe("BrowseHosts")); });
  run.top()->resize(1000, 800);
  processFor(20);
  run.frame->menuAction("&Hosts File")->trigger();
  run.frame->menuAction("&Hosts File")->trigger();
  QMdiArea* area = run.frame->area();
  {
    QWidget preview;  // a top-level window over the frame, then closed
    preview.show();
    preview.activateWindow();
    QApplication::setActiveWindow(&preview);
    processFor(20);
    area->subWindowList(QMdiArea::CreationOrder)[0]->raise();
  }
  processFor(20);
  run.frame->menuAction("&Hosts File")->trigger();
  processFor(20);
  QMdiSubWindow* opened = shown(area).back();
  EXPECT_EQ(area->subWindowList(QMdiArea::StackingOrder).back(), opened);
  EXPECT_EQ(area->currentSubWindow(), opened);
  EXPECT_TRUE(opened->isActiveWindow());
}
