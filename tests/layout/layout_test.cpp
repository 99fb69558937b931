// Every window of both programs, built at the default font, shows its whole
// text, keeps its controls inside and off each other's text, and fits its frame.
#include "runtime/report/layout.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <fstream>
#include <map>

#include "appkit/procedures.h"
#include "appkit/tour.h"
#include "desk/notesreport.h"
#include "desk/register.h"
#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/program/globals.h"
#include "frame/registerall.h"
#include "reader/frame.h"
#include "reader/globals.h"
#include "reader/register.h"
#include "readerstart.h"
#include "records/register.h"
#include "records/reports/register.h"
#include "records/reports/reports.h"
#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/store/store.h"
#include "runtime/ui/layoutcheck.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"
#include "runtime/ui/windowdef.h"
#include "webdata/details/register.h"
#include "webdata/pages/register.h"
#include "webdata/reports/register.h"
#include "webdata/reports/reports.h"
#include "webdata/views/register.h"

using namespace qm;

namespace {

using Faults = std::map<std::string, std::vector<std::string>>;

// Windows whose definitions give no title.
bool untitled(const std::string& name) { return name == "cpwarn" || name == "splash"; }
// The control panel's ten tabs scroll, as on a one-row tab control.
bool scrollsTabs(const std::string& name, const std::string& fault) {
  return name == "controlpanel" && fault.find("tabs need") != std::string::npos;
}

// Runs events until the frame on thread `frame` shows.
bool frameShown(int frame) {
  return waitUntil(
      [frame] {
        WindowProcedure* p = topProcedure(frame);
        return p && p->outerWindow() && p->outerWindow()->isVisible();
      },
      10000);
}

void closeAll() {
  for (int round = 0; round < 20 && !runningThreads().empty(); ++round) {
    for (int t : runningThreads())
      if (WindowProcedure* p = topProcedure(t)) p->close(2);
    settle(10);
  }
}

// Tours every registered procedure but the frame, collecting each window's faults.
Faults tourAll(int frameThread) {
  Faults faults;
  std::vector<std::string> names;
  for (const std::string& n : registeredProcedures())
    if (n != "Main") names.push_back(n);
  TourLook look{[&](const std::string&, WindowProcedure& p) {
                  if (p.threadId() == frameThread) return;
                  auto& f = faults[p.name()];
                  if (!f.empty()) return;
                  if (p.built())
                    for (auto& s : layoutFaults(*p.built()))
                      if (!scrollsTabs(p.name(), s)) f.push_back(s);
                  for (auto& s : frameFaults(p.outerWindow()))
                    if (!untitled(p.name()) || s != "the window has no title") f.push_back(s);
                  if (f.empty()) f.push_back("");
                },
                {}};
  look.stalled = [&](const std::string& what) {
    faults[what].push_back("showed nothing within 10 s");
  };
  tourProcedures(names, look);
  return faults;
}

int report(const Faults& faults) {
  int n = 0;
  for (auto& [name, list] : faults)
    for (auto& f : list)
      if (!f.empty()) {
        ADD_FAILURE() << name << ": " << f;
        ++n;
      }
  return n;
}

class Plain : public WindowProcedure {
 public:
  explicit Plain(const WindowDef& d) : WindowProcedure("Plain") { setDefinition(d); }
};

ControlDef make(Kind k, std::string text, int x, int y, int w, int h) {
  ControlDef c;
  c.kind = k;
  c.id = "?C" + std::to_string(x) + "_" + std::to_string(y);
  c.text = std::move(text);
  c.x = x, c.y = y, c.w = w, c.h = h;
  return c;
}

}  // namespace

// The check finds each kind of fault, and what the builder mends it leaves alone.
TEST(Layout, CheckFindsWhatAUserWouldSee) {
  ScriptedAnswerer boxes;
  boxes.install();
  ControlDef list = make(Kind::List, "", 4, 4, 120, 60);
  list.columns = {ColumnDef{}};
  list.columns[0].header = "Date Entered";
  list.columns[0].width = 12;
  ControlDef dates = make(Kind::List, "", 4, 4, 120, 60);
  dates.columns = {ColumnDef{}};
  dates.columns[0].header = "Date";
  dates.columns[0].picture = "@D2";
  dates.columns[0].width = 24;
  ControlDef texts = dates;
  texts.columns[0].picture = "@s80";
  struct Case {
    const char* what;
    std::vector<ControlDef> controls;
    std::string fault;  // "" for none
  } cases[] = {
      {"a prompt with no room to grow",
       {make(Kind::Prompt, "A prompt much longer than its room", 4, 4, 30, 10),
        make(Kind::Entry, "", 36, 4, 60, 10)},
       "text needs"},
      {"a prompt widened into free room",
       {make(Kind::Prompt, "A prompt much longer than its room", 4, 4, 30, 10)},
       ""},
      {"a prompt two lines tall wraps",
       {make(Kind::Prompt, "A prompt much longer than its room", 4, 4, 80, 20)},
       ""},
      {"a button beside another cut",
       {make(Kind::Button, "Browser View of  Local Page", 4, 4, 40, 14),
        make(Kind::Button, "OK", 44, 4, 40, 14)},
       "text needs"},
      {"a button past the window's edge",
       {make(Kind::Button, "OK", 280, 4, 40, 14)},
       "lies outside its window"},
      {"a picture over a prompt",
       {make(Kind::Prompt, "(Reminders will pop-up)", 4, 10, 120, 10),
        make(Kind::Image, "", 4, 4, 20, 20)},
       "lies over the text"},
      {"a narrow column header", {list}, "column header \"Date Entered\""},
      {"a date column narrower than its date", {dates}, "column \"Date\" value \""},
      {"a long text column ends in an ellipsis", {texts}, ""},
      {"a prompt's && shows one &", {make(Kind::Prompt, "Do steps 1, 2 && 4", 4, 4, 120, 10)}, ""},
      {"a prompt's mnemonic goes to its entry",
       {make(Kind::Prompt, "&Selection name:", 4, 4, 80, 10), make(Kind::Entry, "", 90, 4, 60, 10)},
       ""},
  };
  for (const Case& c : cases) {
    WindowDef def;
    def.title = "Fixture";
    def.w = 300, def.h = 100;
    def.mdi = false;
    def.controls = c.controls;
    const int th = startProcedure("Plain", 0, [&] { return std::make_unique<Plain>(def); });
    settle(10);
    WindowProcedure* p = topProcedure(th);
    ASSERT_TRUE(p && p->built()) << c.what;
    std::string all;
    for (const std::string& f : layoutFaults(*p->built())) all += f + "\n";
    if (c.fault.empty())
      EXPECT_EQ(all, "") << c.what;
    else
      EXPECT_NE(all.find(c.fault), std::string::npos) << c.what << ": " << all;
    p->close(2);
    settle(10);
  }
}

// Bands print their headings whole, fixed-form values whole and longer texts
// with an ellipsis.
TEST(Layout, CheckFindsCutReportTexts) {
  const auto value = [] { return std::string("12.5"); };
  struct Case {
    const char* what;
    ReportControl control;
    std::string fault;  // "" for none
  } cases[] = {
      {"a heading narrower than its text", textAt(0, 0, 450, 167, "Use Now"),
       "text \"Use Now\" needs"},
      {"a heading with room", textAt(0, 0, 1000, 167, "Use Now"), ""},
      {"a heading past the band", textAt(7000, 0, 0, 167, "Currently Use"), "needs"},
      {"a cell past the band's edge", textAt(7000, 0, 1000, 167, "Use"),
       "past the band's right edge"},
      {"a date cut", fieldAt(0, 0, 300, 167, value, "@D2"), "value \"01/22/2028\" needs"},
      {"a number with room", fieldAt(0, 0, 900, 167, value, "@n-14"), ""},
      {"a number cut", fieldAt(0, 0, 300, 167, value, "@n-14"), "needs"},
      {"a long text ends in an ellipsis", fieldAt(0, 0, 1000, 167, value, "@s80"), ""},
      {"a check box caption cut", checkBoxAt(0, 0, 500, 167, "Currently Use", value),
       "caption \"Currently Use\""},
      {"a date stamp cut", dateStampAt(0, 0, 300, 167), "date stamp"},
      {"a page number with room", pageNumberAt(0, 0, 1500, 167), ""},
  };
  for (const Case& c : cases) {
    ReportLayout l;
    l.detail = Band{0, 0, 7500, 300, {c.control}};
    std::string all;
    for (const std::string& f : reportFaults(l)) all += f + "\n";
    if (c.fault.empty())
      EXPECT_EQ(all, "") << c.what;
    else
      EXPECT_NE(all.find(c.fault), std::string::npos) << c.what << ": " << all;
  }
}

TEST(Layout, EveryReport) {
  setSettingsFileName("quillmark.INI");
  initGlobals();
  StartDictionary(DictionaryKind::Main,
                  {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  std::map<std::string, ReportLayout> layouts;
  for (const reports::ReportEntry& e : reports::recordReports())
    layouts[e.name] = reports::makeRecordReport(e.name)->procedure().engine().layout();
  for (const webreports::WebReportDef& d : webreports::webReportDefs())
    layouts[d.name] =
        webreports::makeWebReport(d.name, mainWebContext())->procedure().engine().layout();
  RecordBuffer none(fileDef(FileId::dnotes));
  layouts["printnote"] = desk::printnoteLayout([&]() -> const RecordBuffer& { return none; });
  EXPECT_GE(layouts.size(), 20u);
  Faults faults;
  for (const auto& [name, layout] : layouts) faults[name] = reportFaults(layout);
  report(faults);
  StopDictionary();
}

namespace {

// The main program's dictionary and every window of it registered.
void startMainProgram() {
  setSettingsFileName("quillmark.INI");
  initGlobals();
  StartDictionary(DictionaryKind::Main,
                  {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  registerMainProgramProcedures();
}

}  // namespace

TEST(Layout, EveryWindowOfTheMainProgram) {
  ScriptedAnswerer boxes;
  boxes.install();
  startMainProgram();
  const int frame = startProcedure("Main", 0, [] { return std::make_unique<MainFrame>(); });
  ASSERT_TRUE(frameShown(frame));
  closeAllBut(frame);
  ASSERT_NE(mainFrame(), nullptr);
  const Faults faults = tourAll(frame);
  EXPECT_GE(faults.size(), 40u) << "every window was opened";
  report(faults);
  closeAll();
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  StopDictionary();
}

TEST(Layout, EveryWindowOfTheReader) {
  ScriptedAnswerer boxes;
  boxes.install();
  ASSERT_NO_FATAL_FAILURE(qmtest::startReaderData());
  const int frame =
      startProcedure("Main", 0, [] { return std::make_unique<reader::ReaderFrame>(); });
  ASSERT_TRUE(frameShown(frame));
  ASSERT_NE(reader::readerFrame(), nullptr);
  closeAllBut(frame);
  const Faults faults = tourAll(frame);
  EXPECT_GE(faults.size(), 8u) << "every window was opened";
  report(faults);
  closeAll();
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  StopDictionary();
}

namespace {

// The widget scrolled into view where its window scrolls; then its place in
// the child window's client area.
QRect shownIn(QMdiSubWindow* sub, QWidget* w) {
  for (QWidget* p = w->parentWidget(); p && p != sub; p = p->parentWidget())
    if (auto* scroll = qobject_cast<QScrollArea*>(p)) scroll->ensureWidgetVisible(w, 0, 0);
  return QRect(w->mapTo(sub, QPoint(0, 0)), w->size());
}

}  // namespace

// Tiled into a small frame, the four main windows keep every button and
// entry within reach: inside the child window, or scrolled into it.
TEST(Layout, TiledWindowsKeepEveryControlWithinReach) {
  ScriptedAnswerer boxes;
  boxes.install();
  startMainProgram();
  const int frame = startProcedure("Main", 0, [] { return std::make_unique<MainFrame>(); });
  ASSERT_TRUE(frameShown(frame));
  closeAllBut(frame);
  MainFrame* main = mainFrame();
  ASSERT_NE(main, nullptr);
  main->outerWindow()->resize(1024, 700);
  settle(20);
  for (const char* name : {"BrowseDomains", "BrowseHosts", "BrowseRegistrars", "BrowseWebPages2"})
    startNamedProcedure(name, 0);
  QMdiArea* area = main->area();
  ASSERT_TRUE(waitUntil([area] { return area->subWindowList().size() == 4; }, 10000));
  ASSERT_EQ(area->subWindowList().size(), 4);
  main->menuAction("T&ile")->trigger();
  settle(50);
  const QRect room = area->viewport()->rect();
  int checked = 0;
  for (QMdiSubWindow* sub : area->subWindowList()) {
    EXPECT_TRUE(room.contains(sub->geometry())) << sub->windowTitle().toStdString();
    WindowProcedure* p = nullptr;
    for (int t : runningThreads())
      if (topProcedure(t) && topProcedure(t)->outerWindow() == sub) p = topProcedure(t);
    ASSERT_TRUE(p && p->built());
    for (auto& c : p->built()->controls()) {
      QWidget* w = c->widget();
      if (!w || !w->isVisibleTo(sub) || (c->kind() != Kind::Button && c->kind() != Kind::Entry))
        continue;
      ++checked;
      EXPECT_TRUE(sub->contentsRect().contains(shownIn(sub, w)))
          << p->name() << ": " << c->screenText() << " cannot be reached";
    }
  }
  EXPECT_GE(checked, 20);

  // Cascade then: a title bar apart, each inside the area, none hiding another.
  main->menuAction("&Cascade")->trigger();
  settle(50);
  const auto stack = area->subWindowList(QMdiArea::StackingOrder);
  const int step = stack.front()->contentsMargins().top();
  for (int i = 0; i < stack.size(); ++i) {
    EXPECT_EQ(stack[i]->pos(), QPoint(i * step, i * step)) << i;
    EXPECT_TRUE(room.contains(stack[i]->geometry())) << i;
  }
  closeAll();
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  StopDictionary();
}
