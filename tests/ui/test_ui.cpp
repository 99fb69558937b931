#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>

#include "keys.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/report/preview.h"
#include "runtime/store/thread.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/form.h"
#include "runtime/ui/window.h"
#include "testfile.h"

using namespace qm;
using qmtest::TestFile;

namespace {

FileDef peopleDef() {
  FileDef d;
  d.label = "People";
  d.prefix = "PEO:";
  d.diskName = "PEOPLE";
  d.recordSize = 20 + 20 + 4 + 1 + 4 + 20;
  d.fields = {{"PEO:NAME", FieldType::Text, 0, 20}, {"PEO:CITY", FieldType::Text, 20, 20},
              {"PEO:BORN", FieldType::Date, 40, 4}, {"PEO:ACTIVE", FieldType::Text, 44, 1},
              {"PEO:KIND", FieldType::Text, 45, 4}, {"PEO:TOWN", FieldType::Text, 49, 20}};
  d.keys = {{"PEO:NAMEKEY", {0}, true, "PEO:name", 1},
            {"PEO:CITYKEY", {1, 0}, false, "PEO:city", 0}};
  d.memos = {{"PEO:NOTES", "PEO:Notes", 200}};
  return d;
}

FileDef townsDef() {
  FileDef d;
  d.label = "Towns";
  d.prefix = "TOW:";
  d.diskName = "TOWNS";
  d.recordSize = 20;
  d.fields = {{"TOW:NAME", FieldType::Text, 0, 20}};
  return d;
}

ControlDef ctl(Kind k, std::string id, std::string text, int x, int y, int w, int h) {
  ControlDef c;
  c.kind = k;
  c.id = std::move(id);
  c.text = std::move(text);
  c.x = x, c.y = y, c.w = w, c.h = h;
  return c;
}
ControlDef entry(std::string field, std::string picture, int y, std::string parent = "?Main") {
  ControlDef c = ctl(Kind::Entry, "?" + field, "", 60, y, 80, 10);
  c.field = std::move(field);
  c.picture = std::move(picture);
  c.parent = std::move(parent);
  return c;
}
ControlDef button(std::string id, std::string text, Role role, int x) {
  ControlDef c = ctl(Kind::Button, std::move(id), std::move(text), x, 180, 40, 14);
  c.role = role;
  return c;
}

WindowDef browseWindow() {
  WindowDef w;
  w.title = "Browse People";
  w.status = "Browsing Records";
  w.w = 320, w.h = 200, w.resizable = true;
  w.controls.push_back(ctl(Kind::Sheet, "?Sheet", "", 2, 2, 316, 170));
  ControlDef t1 = ctl(Kind::Tab, "?Tab1", "By Name", 0, 0, 0, 0);
  t1.parent = "?Sheet";
  ControlDef t2 = ctl(Kind::Tab, "?Tab2", "By City", 0, 0, 0, 0);
  t2.parent = "?Sheet";
  w.controls.push_back(t1);
  w.controls.push_back(t2);
  ControlDef loc = ctl(Kind::Entry, "?Locator", "", 60, 20, 80, 10);
  loc.picture = "@s20";
  w.controls.push_back(loc);
  ControlDef list = ctl(Kind::List, "?Browse:1", "", 8, 34, 300, 130);
  list.columns = {{80, Justify::Left, 2, "Name", Justify::Left, 2, "PEO:NAME", "@s20"},
                  {60, Justify::Left, 2, "City", Justify::Left, 2, "PEO:CITY", "@s20"},
                  {50, Justify::Right, 2, "Born", Justify::Center, 2, "PEO:BORN", "@D2"}};
  w.controls.push_back(list);
  w.controls.push_back(button("?Insert", "&Insert", Role::Insert, 10));
  w.controls.push_back(button("?Change", "&Change", Role::Change, 60));
  w.controls.push_back(button("?Delete", "&Delete", Role::Delete, 110));
  w.controls.push_back(button("?Select", "&Select", Role::Select, 160));
  w.controls.push_back(button("?Close", "Close", Role::Close, 210));
  return w;
}

BrowseDef peopleBrowseDef() {
  BrowseDef b;
  b.sheet = "?Sheet";
  b.orders = {{"PEO:NAMEKEY", LocatorKind::Entry, "?Locator", {}, ""},
              {"PEO:CITYKEY", LocatorKind::Step, "", {}, ""}};
  return b;
}

WindowDef formWindow() {
  WindowDef w;
  w.title = "Update People";
  w.w = 260, w.h = 200;
  w.controls.push_back(ctl(Kind::Sheet, "?Sheet", "", 2, 2, 256, 170));
  ControlDef main = ctl(Kind::Tab, "?Main", "Main", 0, 0, 0, 0);
  main.parent = "?Sheet";
  ControlDef notes = ctl(Kind::Tab, "?Notes", "Notes", 0, 0, 0, 0);
  notes.parent = "?Sheet";
  w.controls.push_back(main);
  w.controls.push_back(notes);
  w.controls.push_back(entry("PEO:NAME", "@s20", 20));
  w.controls.push_back(entry("PEO:CITY", "@s20", 34));
  w.controls.push_back(entry("PEO:BORN", "@D2", 48));
  ControlDef check = ctl(Kind::Check, "?PEO:ACTIVE", "Active", 60, 62, 80, 10);
  check.field = "PEO:ACTIVE", check.parent = "?Main";
  w.controls.push_back(check);
  ControlDef opt = ctl(Kind::Option, "?PEO:KIND", "Kind", 60, 76, 120, 30);
  opt.field = "PEO:KIND", opt.parent = "?Main";
  w.controls.push_back(opt);
  for (auto [text, value, x] : {std::tuple{"Home", "H", 64}, std::tuple{"Work", "W", 110}}) {
    ControlDef r = ctl(Kind::Radio, std::string("?") + text, text, x, 88, 40, 10);
    r.parent = "?PEO:KIND", r.value = value;
    w.controls.push_back(r);
  }
  ControlDef drop = ctl(Kind::Drop, "?PEO:TOWN", "", 60, 110, 80, 60);
  drop.field = "PEO:TOWN", drop.fromFile = "Towns", drop.fromField = "TOW:NAME",
  drop.parent = "?Main";
  w.controls.push_back(drop);
  ControlDef memo = ctl(Kind::Memo, "?PEO:NOTES", "", 10, 20, 200, 100);
  memo.field = "PEO:NOTES", memo.parent = "?Notes";
  w.controls.push_back(memo);
  w.controls.push_back(button("?OK", "OK", Role::Ok, 100));
  w.controls.push_back(button("?Cancel", "Cancel", Role::Cancel, 150));
  return w;
}

void pump() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

struct UiTest : ::testing::Test {
  TestFile people{peopleDef()};
  TestFile towns{townsDef()};
  ScriptedAnswerer answers;
  FormDef fdef{"Record will be added", "Record will be Changed", true, true, true};

  void SetUp() override {
    answers.install();
    FormProcedure::clearHistory();
    RequestCode = 0;
    ResponseCode = 0;
    ThreadScope t(1);
    people.open();
    reset();
    towns.open();
    for (const char* t : {"Lyon", "Nice"}) {
      towns.buffer().setText(0, t);
      towns.recordFile().add();
    }
  }
  void TearDown() override {
    pump();
    ThreadScope t(1);
    people.close();
    towns.close();
  }
  // Back to the four records of the fixture.
  void reset() {
    std::vector<std::pair<int64_t, RecordBuffer>> all;
    people.recordFile().readPage(-1, nullptr, 0, true, 1000, all);
    for (auto& r : all) {
      people.recordFile().fetchPosition(r.first);
      people.recordFile().erase();
    }
    for (auto [n, c] :
         {std::pair{"Ann", "Rome"}, {"Bob", "Oslo"}, {"Cy", "Paris"}, {"Dee", "Oslo"}})
      add(n, c);
  }
  void add(const std::string& n, const std::string& c) {
    people.buffer().clear();
    people.buffer().setText(0, n);
    people.buffer().setText(1, c);
    ASSERT_EQ(people.recordFile().add(), 0);
  }
  int64_t count() {
    ThreadScope t(1);
    return people.recordFile().count();
  }
  std::string cityOf(const std::string& name) {
    ThreadScope t(1);
    people.buffer().setText(0, name);
    if (people.recordFile().fetch(0) != 0) return "<none>";
    return people.buffer().text(1);
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> v;
    for (auto& a : answers.asked) v.push_back(a.caption);
    return v;
  }

  ProcedureFactory formFactory(FormProcedure** out = nullptr, FormDef d = {}) {
    if (d.insertTitle.empty()) d = fdef;
    return [this, out, d]() -> std::unique_ptr<WindowProcedure> {
      struct PeopleForm : FormProcedure {
        PeopleForm(UiTest& t, FormDef d)
            : FormProcedure("UpdatePeople", formWindow(), d, &t.people) {
          useFile(&t.towns);
        }
      };
      auto f = std::make_unique<PeopleForm>(*this, d);
      if (out) *out = f.get();
      return f;
    };
  }
};

// A browse whose update procedure is the test form.
class PeopleBrowse : public BrowseProcedure {
 public:
  PeopleBrowse(UiTest& t, BrowseDef b = peopleBrowseDef())
      : BrowseProcedure("BrowsePeople", browseWindow(), b, &t.people) {
    setUpdate(1, t.formFactory(&form));
  }
  FormProcedure* form = nullptr;
};

QWidget* widgetOf(WindowProcedure* p, const std::string& id) { return p->control(id)->widget(); }

void typeInto(WindowProcedure* p, const std::string& id, const QString& text) {
  auto* e = qobject_cast<QLineEdit*>(widgetOf(p, id));
  e->clear();
  QTest::keyClicks(e, text);
  qmtest::leaveWithTab(e);  // accepts
}

// Near the left edge, where check boxes and radios have their mark.
void click(WindowProcedure* p, const std::string& id) {
  QWidget* w = widgetOf(p, id);
  QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, w->height() / 2));
}

// Starts a browse on a thread of its own.
int startBrowse(UiTest& t, PeopleBrowse** out, BrowseDef b = peopleBrowseDef()) {
  return startProcedure("BrowsePeople", 50000, [&t, out, b]() -> std::unique_ptr<WindowProcedure> {
    auto p = std::make_unique<PeopleBrowse>(t, b);
    *out = p.get();
    return p;
  });
}

std::string selectedName(PeopleBrowse* b) {
  const Row* r = b->list().current();
  return r ? r->record.text(0) : "-";
}

TEST_F(UiTest, FirstOpenWritesBothListFormatsAndThePlacement) {
  PeopleBrowse* b = nullptr;
  int th = startBrowse(*this, &b);
  EXPECT_TRUE(threadRunning(th));
  EXPECT_EQ(threadStackSize(th), 50000);
  EXPECT_EQ(selectedName(b), "Ann");
  std::string built = ListFormat{browseWindow().controls[4].columns}.text();
  EXPECT_EQ(b->shownFormat().text(), built);
  click(b, "?Close");
  pump();
  EXPECT_FALSE(threadRunning(th));
  IniFile& ini = settings();
  EXPECT_EQ(ini.read("BrowsePeople", "?Browse:1:ORIG", "-"), built);
  EXPECT_EQ(ini.read("BrowsePeople", "?Browse:1:USER", "-"), built);
  for (const char* e : {"XPos", "YPos", "Width", "Height"})
    EXPECT_NE(ini.read("BrowsePeople", e, "-"), "-") << e;
  EXPECT_EQ(ini.read("BrowsePeople", "Maximize", "-"), "No");
}

TEST_F(UiTest, F9TwiceReturnsToTheUserFormatReadAtOpen) {
  const std::string user = "100L2~Name~|70L2~City~|44R2~Born~";
  ASSERT_TRUE(settings().write("BrowsePeople", "?Browse:1:USER", user));
  PeopleBrowse* b = nullptr;
  startBrowse(*this, &b);
  std::string built = ListFormat{browseWindow().controls[4].columns}.text();
  EXPECT_EQ(b->shownFormat().text(), user);
  b->table()->horizontalHeader()->resizeSection(0, 400);  // the user's change
  QTest::keyClick(b->table(), Qt::Key_F9);
  EXPECT_EQ(b->shownFormat().text(), built);
  QTest::keyClick(b->table(), Qt::Key_F9);
  EXPECT_EQ(b->shownFormat().text(), user);
  QTest::keyClick(b->table(), Qt::Key_F9);  // closed while ORIG shows
  b->requestClose();
  pump();
  EXPECT_EQ(settings().read("BrowsePeople", "?Browse:1:USER", "-"), built);
  EXPECT_EQ(settings().read("BrowsePeople", "?Browse:1:ORIG", "-"), built);
}

TEST_F(UiTest, BrowseWithoutKeptFormatsWritesNoneAndIgnoresF9) {
  BrowseDef d = peopleBrowseDef();
  d.keepFormats = false;
  ASSERT_TRUE(
      settings().write("BrowsePeople", "?Browse:1:USER", "100L2~Name~|70L2~City~|44R2~Born~"));
  PeopleBrowse* b = nullptr;
  startBrowse(*this, &b, d);
  std::string built = ListFormat{browseWindow().controls[4].columns}.text();
  EXPECT_EQ(b->shownFormat().text(), built);
  QTest::keyClick(b->table(), Qt::Key_F9);
  EXPECT_EQ(b->shownFormat().text(), built);
  b->requestClose();
  pump();
  EXPECT_EQ(settings().read("BrowsePeople", "?Browse:1:ORIG", "-"), "-");
}

TEST_F(UiTest, PlacementFollowsTheWindowState) {
  struct Case {
    const char* section;
    Qt::WindowState state;
    std::vector<std::string> written;
  } cases[] = {{"WinNormal", Qt::WindowNoState, {"Maximize", "XPos", "YPos", "Width", "Height"}},
               {"WinMin", Qt::WindowMinimized, {}},
               {"WinMax", Qt::WindowMaximized, {"Maximize"}}};
  for (auto& c : cases) {
    WindowProcedure* p = nullptr;
    startProcedure(c.section, 25000, [&]() -> std::unique_ptr<WindowProcedure> {
      struct Plain : WindowProcedure {
        explicit Plain(const char* n) : WindowProcedure(n) {
          WindowDef w;
          w.title = n;
          w.resizable = true;
          setDefinition(w);
        }
      };
      auto q = std::make_unique<Plain>(c.section);
      p = q.get();
      return q;
    });
    p->outerWindow()->setWindowState(c.state);
    p->close(2);
    pump();
    for (const char* e : {"Maximize", "XPos", "YPos", "Width", "Height"}) {
      bool want = std::find(c.written.begin(), c.written.end(), e) != c.written.end();
      EXPECT_EQ(settings().read(c.section, e, "-") != "-", want) << c.section << " " << e;
    }
  }
  EXPECT_EQ(settings().read("WinMax", "Maximize", "-"), "Yes");
  // Reopened, the maximised window comes back maximised.
  WindowProcedure* again = nullptr;
  startProcedure("WinMax", 25000, [&]() -> std::unique_ptr<WindowProcedure> {
    struct Plain : WindowProcedure {
      Plain() : WindowProcedure("WinMax") { setDefinition(WindowDef{}); }
    };
    auto q = std::make_unique<Plain>();
    again = q.get();
    return q;
  });
  EXPECT_TRUE(again->outerWindow()->isMaximized());
  again->close(2);
}

TEST_F(UiTest, RequestsTheFormRefusesOrDeletesWithoutAWindow) {
  struct Case {
    int request;
    FormDef def;
    std::vector<int> replies;
    std::vector<std::string> asked;
    std::string text;  // of the first message
    int response;
    int64_t left;
  } cases[] = {
      {3, {"a", "c", true, true, true}, {BtnYes}, {"Confirm Delete"}, "", 1, 3},
      {3, {"a", "c", true, true, true}, {BtnNo}, {"Confirm Delete"}, "", 2, 4},
      {3,
       {"a", "c", true, true, false},
       {},
       {"Invalid Request"},
       "This form cannot be used to delete a record",
       2,
       4},
      {1,
       {"a", "c", false, true, true},
       {},
       {"Invalid Request"},
       "This form cannot be used to insert a record",
       2,
       4},
      {2,
       {"a", "c", true, false, true},
       {},
       {"Invalid Request"},
       "This form cannot be used to update a record",
       2,
       4},
  };
  for (auto& c : cases) {
    {
      ThreadScope t(1);
      reset();
      people.buffer().setText(0, "Bob");
      ASSERT_EQ(people.recordFile().fetch(0), 0);
    }
    answers.asked.clear();
    answers.replies.assign(c.replies.begin(), c.replies.end());
    FormProcedure* f = nullptr;
    int got = -1;
    runProcedure(1, formFactory(&f, c.def), c.request, [&](int r) { got = r; });
    EXPECT_EQ(got, c.response) << c.request;
    EXPECT_EQ(ResponseCode, c.response);
    EXPECT_EQ(f->window(), nullptr);  // never built, never shown
    EXPECT_EQ(captions(), c.asked);
    if (!c.text.empty()) {
      EXPECT_EQ(answers.asked.at(0).text, c.text);
    }
    EXPECT_EQ(count(), c.left);
    pump();
  }
}

TEST_F(UiTest, InsertFromTheBrowseAddsOnOkAndRefusesADuplicate) {
  PeopleBrowse* b = nullptr;
  int th = startBrowse(*this, &b);
  QTest::keyClick(b->table(), Qt::Key_Insert);
  FormProcedure* f = b->form;
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(topProcedure(th), f);
  EXPECT_EQ(f->request(), 1);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Record will be added");
  EXPECT_FALSE(b->outerWindow()->isEnabled());  // the caller waits
  typeInto(f, "?PEO:NAME", "bob");              // Bob exists: the key ignores case
  typeInto(f, "?PEO:CITY", "Bergen");
  click(f, "?OK");
  ASSERT_EQ(captions(), std::vector<std::string>{"Duplicate Key Error"});
  EXPECT_EQ(answers.asked[0].text,
            "Adding this record creates a duplicate entry for the key: PEO:name");
  EXPECT_TRUE(f->isRunning());
  EXPECT_EQ(count(), 4);
  typeInto(f, "?PEO:NAME", "Eve");
  click(f, "?OK");
  pump();
  EXPECT_EQ(count(), 5);
  EXPECT_EQ(cityOf("Eve"), "Bergen");
  EXPECT_TRUE(b->outerWindow()->isEnabled());
  EXPECT_EQ(selectedName(b), "Eve");  // refreshed and positioned on the new record
  // Cancel on a fresh insert adds nothing.
  QTest::keyClick(b->table(), Qt::Key_Insert);
  click(b->form, "?Cancel");
  pump();
  EXPECT_EQ(count(), 5);
  b->close(2);
}

TEST_F(UiTest, CancelAsksOnlyWhenTheRecordChanged) {
  PeopleBrowse* b = nullptr;
  startBrowse(*this, &b);
  b->list().setSelected(1);  // Bob
  QRect cell = b->table()->visualRect(b->table()->model()->index(1, 0));
  ASSERT_TRUE(cell.isValid());
  QTest::mouseClick(b->table()->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(b->table()->viewport(), Qt::LeftButton, {}, cell.center());
  FormProcedure* f = b->form;
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->request(), 2);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Record will be Changed");
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(f, "?PEO:NAME"))->text(), "Bob");
  click(f, "?Cancel");  // nothing changed: no question
  pump();
  EXPECT_TRUE(answers.asked.empty());

  QTest::keyClick(b->table(), Qt::Key_Return);  // change again
  f = b->form;
  auto* city = qobject_cast<QLineEdit*>(widgetOf(f, "?PEO:CITY"));
  QTest::keyClicks(city, "X");  // typed, not yet accepted
  answers.replies = {BtnNo};
  click(f, "?Cancel");
  EXPECT_EQ(captions(), std::vector<std::string>{"Changes will be lost!"});
  EXPECT_TRUE(f->isRunning());
  answers.replies = {BtnYes};
  f->requestClose();  // the close box asks the same
  pump();
  EXPECT_EQ(captions().size(), 2u);
  EXPECT_EQ(cityOf("Bob"), "Oslo");
  b->close(2);
}

TEST_F(UiTest, EscapeCancelsAFormAndClosesABrowseOrAPreview) {
  struct Case {
    const char* what;
    std::string typed;  // into the form's city, not accepted ("" none; no form for the others)
    std::deque<int> replies;
    std::vector<std::string> asked;
    bool staysOpen;
  };
  const std::string lost = "Changes will be lost!";
  const Case cases[] = {
      {"form unchanged", "", {}, {}, false},
      {"form changed, No", "X", {BtnNo}, {lost}, true},
      {"form changed, Yes", "X", {BtnYes}, {lost}, false},
      {"browse", "", {}, {}, false},
      {"preview", "", {}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    answers.asked.clear();
    answers.replies = c.replies;
    const std::string what = c.what;
    PeopleBrowse* b = nullptr;
    QPointer<QWidget> preview;
    std::function<bool()> open;
    QWidget* target = nullptr;
    if (what == "preview") {
      auto* w = new PreviewWindow(std::make_shared<PageModel>());
      w->setAttribute(Qt::WA_DeleteOnClose);
      w->show();
      preview = w;
      open = [&] { return preview && preview->isVisible(); };
      target = w->findChild<QListView*>();  // the page list has the focus, not the window
    } else {
      startBrowse(*this, &b);
      if (what == "browse") {
        open = [&] { return b->isRunning(); };
        target = b->table();
      } else {
        QTest::keyClick(b->table(), Qt::Key_Return);  // change Ann
        ASSERT_NE(b->form, nullptr);
        open = [&] { return b->form->isRunning(); };
        target = widgetOf(b->form, "?PEO:CITY");
        QTest::keyClicks(target, QString::fromStdString(c.typed));
      }
    }
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(open());
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_EQ(captions(), c.asked);
    EXPECT_EQ(open(), c.staysOpen);
    if (b && b->form && b->form->isRunning()) b->form->close(2);
    if (b && b->isRunning()) b->close(2);
    if (preview) preview->close();
    pump();
  }
  EXPECT_EQ(cityOf("Ann"), "Rome");
}

TEST_F(UiTest, TwoThreadsFormsCloseInEitherOrder) {
  for (bool firstA : {true, false}) {
    std::map<std::string, int> responses;
    std::map<std::string, FormProcedure*> forms;
    std::map<std::string, int> threadsOf;
    for (std::string who : {"Ann", "Dee"}) {
      threadsOf[who] =
          startProcedure("Caller" + who, 25000, [&, who]() -> std::unique_ptr<WindowProcedure> {
            struct Caller : WindowProcedure {
              Caller(UiTest& t, std::string w, std::map<std::string, int>& r,
                     std::map<std::string, FormProcedure*>& f)
                  : WindowProcedure("Caller"), test(t), who(std::move(w)), resp(r), forms(f) {
                useFile(&t.people, true);
              }
              void setup() override {
                test.people.buffer().setText(0, who);
                test.people.recordFile().fetch(0);
                FormProcedure* f = nullptr;
                callProcedure(test.formFactory(&f), ChangeRecord, [this](int r) {
                  resp[who] = r;
                  // This thread's buffer still holds this thread's record.
                  EXPECT_EQ(test.people.buffer().text(0), who);
                  close(r);
                });
                forms[who] = f;
              }
              UiTest& test;
              std::string who;
              std::map<std::string, int>& resp;
              std::map<std::string, FormProcedure*>& forms;
            };
            return std::make_unique<Caller>(*this, who, responses, forms);
          });
    }
    ASSERT_EQ(forms.size(), 2u);
    EXPECT_NE(threadsOf["Ann"], threadsOf["Dee"]);
    std::string first = firstA ? "Ann" : "Dee", second = firstA ? "Dee" : "Ann";
    typeInto(forms[first], "?PEO:CITY", firstA ? "Lima" : "Kyiv");
    click(forms[first], "?OK");
    pump();
    EXPECT_EQ(responses[first], 1);
    EXPECT_EQ(responses.count(second), 0u);
    EXPECT_FALSE(threadRunning(threadsOf[first]));
    EXPECT_TRUE(threadRunning(threadsOf[second]));
    click(forms[second], "?Cancel");
    pump();
    EXPECT_EQ(responses[second], 2);
    EXPECT_FALSE(threadRunning(threadsOf[second]));
  }
  EXPECT_EQ(cityOf("Ann"), "Lima");
  EXPECT_EQ(cityOf("Dee"), "Kyiv");
}

// A form whose city handler sends the cursor back to the name while the city is blank.
class StrictForm : public FormProcedure {
 public:
  StrictForm(UiTest& t) : FormProcedure("UpdatePeople", formWindow(), t.fdef, &t.people) {}
  bool takeAccepted(Control& c) override {
    if (FormProcedure::takeAccepted(c)) return true;
    if (c.id() == "?PEO:CITY" && primaryFile()->buffer().text(1).empty()) {
      select(*control("?PEO:NAME"));
      return true;
    }
    return false;
  }
};

TEST_F(UiTest, OkPassStopsWhereAHandlerMovesTheFocusAndBadInputIsRefused) {
  StrictForm* f = nullptr;
  {
    ThreadScope t(1);
    people.primeRecord(false);
  }
  runProcedure(
      1,
      [&]() -> std::unique_ptr<WindowProcedure> {
        auto p = std::make_unique<StrictForm>(*this);
        f = p.get();
        return p;
      },
      InsertRecord, [](int) {});
  typeInto(f, "?PEO:NAME", "Fay");
  click(f, "?OK");
  EXPECT_TRUE(f->isRunning());
  EXPECT_EQ(count(), 4);  // nothing saved
  typeInto(f, "?PEO:BORN", "13/45/2020");
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].caption, "Invalid Entry");
  {
    ThreadScope t(1);
    EXPECT_EQ(people.buffer().date(2), 0);  // the field kept its value
  }
  typeInto(f, "?PEO:BORN", "02/03/2001");
  typeInto(f, "?PEO:CITY", "Turin");
  click(f, "?OK");
  pump();
  EXPECT_EQ(count(), 5);
  EXPECT_EQ(cityOf("Fay"), "Turin");
}

// A drop list over a large file reads a page of entries at a time as it is
// scrolled to its end, never the whole file when the form opens.
TEST_F(UiTest, DropListsReadTheirFileAPageAtATime) {
  {
    ThreadScope t(1);
    ASSERT_EQ(towns.recordFile().beginBatch(), 0);
    for (int i = 0; i < 1000; ++i) {
      towns.buffer().setText(0, "T" + std::to_string(1000 + i));
      ASSERT_EQ(towns.recordFile().add(), 0);
    }
    ASSERT_EQ(towns.recordFile().commitBatch(), 0);
    people.buffer().setText(0, "Ann");
    ASSERT_EQ(people.recordFile().fetch(0), 0);
    people.buffer().setText(5, "T1900");  // far beyond the first page
    ASSERT_EQ(people.recordFile().put(), 0);
  }
  FormProcedure* f = nullptr;
  runProcedure(1, formFactory(&f), ChangeRecord, [](int) {});
  auto* drop = qobject_cast<QComboBox*>(widgetOf(f, "?PEO:TOWN"));
  ASSERT_NE(drop, nullptr);
  EXPECT_LT(drop->count(), 1002);
  EXPECT_EQ(drop->currentIndex(), -1);
  EXPECT_EQ(drop->placeholderText(), "T1900");  // the stored town still shows
  for (int guard = 0; guard < 100 && drop->model()->canFetchMore({}); ++guard)
    drop->model()->fetchMore({});
  ASSERT_EQ(drop->count(), 1002);
  EXPECT_EQ(drop->itemText(1001), "T1999");
  drop->setCurrentIndex(1001);
  emit drop->activated(1001);
  click(f, "?OK");
  pump();
  EXPECT_EQ(answers.asked.size(), 0u);
  ThreadScope t(1);
  people.buffer().setText(0, "Ann");
  ASSERT_EQ(people.recordFile().fetch(0), 0);
  EXPECT_EQ(people.buffer().text(5), "T1999");
}

TEST_F(UiTest, DataControlsStoreTheirValuesAndDittoRecallsTheLastSaved) {
  FormProcedure* f = nullptr;
  {
    ThreadScope t(1);
    people.primeRecord(false);
  }
  runProcedure(1, formFactory(&f), InsertRecord, [](int) {});
  auto* drop = qobject_cast<QComboBox*>(widgetOf(f, "?PEO:TOWN"));
  ASSERT_EQ(drop->count(), 2);  // filled from the file, stored order
  EXPECT_EQ(drop->itemText(1), "Nice");
  typeInto(f, "?PEO:NAME", "Gus");
  typeInto(f, "?PEO:CITY", "Genoa");
  click(f, "?PEO:ACTIVE");
  click(f, "?Work");
  drop->setCurrentIndex(1);
  emit drop->activated(1);
  qobject_cast<QPlainTextEdit*>(widgetOf(f, "?PEO:NOTES"))->setPlainText("line one\nline two");
  click(f, "?OK");
  pump();
  {
    ThreadScope t(1);
    people.buffer().setText(0, "Gus");
    ASSERT_EQ(people.recordFile().fetch(0), 0);
    EXPECT_EQ(people.buffer().text(3), "Y");
    EXPECT_EQ(people.buffer().text(4), "W");
    EXPECT_EQ(people.buffer().text(5), "Nice");
    EXPECT_EQ(people.buffer().memo(0), "line one\nline two");
    people.primeRecord(false);
  }
  runProcedure(1, formFactory(&f), InsertRecord, [](int) {});
  click(f, "?PEO:ACTIVE");
  click(f, "?PEO:ACTIVE");
  {
    ThreadScope t(1);
    EXPECT_EQ(people.buffer().text(3), "N");
  }
  f->outerWindow()->activateWindow();
  QApplication::setActiveWindow(f->outerWindow());
  widgetOf(f, "?PEO:CITY")->setFocus();
  pump();
  QTest::keyClick(widgetOf(f, "?PEO:CITY"), Qt::Key_Apostrophe, Qt::ControlModifier);
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(f, "?PEO:CITY"))->text(), "Genoa");
  f->close(2);
}

TEST_F(UiTest, AnEntryLeftAsShownKeepsAValueLongerThanItsPicture) {
  struct NarrowCity : FormProcedure {
    explicit NarrowCity(UiTest& t) : FormProcedure("UpdatePeople", window(), t.fdef, &t.people) {}
    static WindowDef window() {
      WindowDef w = formWindow();
      for (auto& c : w.controls)
        if (c.field == "PEO:CITY") c.picture = "@s5";
      return w;
    }
  };
  const auto change = [this](const char* typed) {
    {
      ThreadScope t(1);
      people.buffer().setText(0, "Bob");
      ASSERT_EQ(people.recordFile().fetch(0), 0);
    }
    FormProcedure* f = nullptr;
    runProcedure(
        1,
        [this, &f] {
          auto p = std::make_unique<NarrowCity>(*this);
          f = p.get();
          return p;
        },
        ChangeRecord, [](int) {});
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(f, "?PEO:CITY"))->text(), "Copen");
    if (typed) typeInto(f, "?PEO:CITY", typed);
    click(f, "?OK");
    pump();
  };
  {
    ThreadScope t(1);
    people.buffer().setText(0, "Bob");
    ASSERT_EQ(people.recordFile().fetch(0), 0);
    people.buffer().setText(1, "Copenhagen");
    ASSERT_EQ(people.recordFile().put(), 0);
  }
  change(nullptr);
  EXPECT_EQ(cityOf("Bob"), "Copenhagen");  // not cut to what the entry shows
  change("Stockholm");
  EXPECT_EQ(cityOf("Bob"), "Stock");  // typed text goes through the picture
}

TEST_F(UiTest, ToolbarLocatorsTabsAndSelect) {
  PeopleBrowse* b = nullptr;
  int th = startBrowse(*this, &b);
  postEvent(th, Event::Accepted, controlOfNav(Nav::Last));
  pump();
  EXPECT_EQ(selectedName(b), "Dee");
  postEvent(th, Event::Accepted, controlOfNav(Nav::First));
  postEvent(th, Event::Accepted, controlOfNav(Nav::NextRecord));
  pump();
  EXPECT_EQ(selectedName(b), "Bob");
  QTest::keyClicks(qobject_cast<QLineEdit*>(widgetOf(b, "?Locator")),
                   "cY");  // entry locator, any case
  EXPECT_EQ(selectedName(b), "Cy");
  qobject_cast<QTabWidget*>(widgetOf(b, "?Sheet"))->setCurrentIndex(1);  // by city, step locator
  EXPECT_EQ(b->currentOrder(), 1);
  EXPECT_EQ(selectedName(b), "Cy");  // kept across the change of order
  QTest::keyClick(b->table(), Qt::Key_R);
  EXPECT_EQ(b->list().current()->record.text(1), "Rome");
  QTest::keyClick(b->table(), Qt::Key_O);
  EXPECT_EQ(selectedName(b), "Bob");  // Oslo, Bob before Dee
  b->close(2);
  pump();

  // Opened with the select request, Enter returns the highlighted record.
  int got = -1;
  {
    ThreadScope t(1);
    PeopleBrowse* sel = nullptr;
    runProcedure(
        1,
        [&]() -> std::unique_ptr<WindowProcedure> {
          auto p = std::make_unique<PeopleBrowse>(*this);
          sel = p.get();
          return p;
        },
        SelectRecord, [&](int r) { got = r; });
    QTest::keyClick(sel->table(), Qt::Key_Down);
    QTest::keyClick(sel->table(), Qt::Key_Down);
    QTest::keyClick(sel->table(), Qt::Key_Return);
    EXPECT_EQ(got, 1);
    EXPECT_EQ(people.buffer().text(0), "Cy");
  }
}

// A plain window procedure over a definition, started on a thread of its own.
WindowProcedure* startWindow(const WindowDef& def) {
  WindowProcedure* p = nullptr;
  startProcedure(def.title, 25000, [&]() -> std::unique_ptr<WindowProcedure> {
    struct Plain : WindowProcedure {
      explicit Plain(const WindowDef& d) : WindowProcedure(d.title) { setDefinition(d); }
    };
    auto q = std::make_unique<Plain>(def);
    p = q.get();
    return q;
  });
  return p;
}

std::string nameAt(int i) {
  char b[16];
  std::snprintf(b, sizeof b, "n%03d", i);
  return b;
}

TEST_F(UiTest, ScrollBarFollowsTheKeyAndMovesTheList) {
  {
    ThreadScope t(1);
    std::vector<std::pair<int64_t, RecordBuffer>> all;
    people.recordFile().readPage(-1, nullptr, 0, true, 1000, all);
    for (auto& r : all) {
      people.recordFile().fetchPosition(r.first);
      people.recordFile().erase();
    }
    people.recordFile().beginBatch();
    for (int i = 0; i < 300; ++i) add(nameAt(i), "Oslo");
    people.recordFile().commitBatch();
  }
  PeopleBrowse* b = nullptr;
  startBrowse(*this, &b);
  QScrollBar* bar = b->scrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(bar->isVisibleTo(b->window()));
  EXPECT_TRUE(bar->isEnabled());
  EXPECT_EQ(bar->value(), 0);
  QTest::keyClick(b->table(), Qt::Key_End);
  EXPECT_EQ(selectedName(b), "n299");
  EXPECT_EQ(bar->value(), bar->maximum());
  bar->triggerAction(QAbstractSlider::SliderToMinimum);
  EXPECT_EQ(selectedName(b), "n000");
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);  // as Page Down
  EXPECT_EQ(selectedName(b), nameAt(b->list().pageSize()));
  EXPECT_GT(bar->value(), 0);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(selectedName(b), nameAt(b->list().pageSize() - 1));
  // Dragged to the middle: the list shows the middle of the key order.
  bar->setSliderDown(true);
  bar->setSliderPosition(bar->maximum() / 2);
  EXPECT_NEAR(std::stoi(selectedName(b).substr(1)), 150, 6);
  EXPECT_EQ(bar->value(), bar->maximum() / 2);  // the thumb stays under the mouse
  bar->setSliderDown(false);
  EXPECT_NEAR(bar->value(), bar->maximum() / 2, 30);
  EXPECT_LE(static_cast<int>(b->list().rows().size()), b->list().pageSize());
  // The wheel over the bar moves records, as over the list.
  std::string before = selectedName(b);
  QWheelEvent wheel(QPointF(2, 2), bar->mapToGlobal(QPointF(2, 2)), {}, QPoint(0, -120),
                    Qt::NoButton, {}, Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar, &wheel);
  EXPECT_EQ(std::stoi(selectedName(b).substr(1)), std::stoi(before.substr(1)) + 3);
  // A view that fits on the page has nothing to scroll.
  {
    ThreadScope t(1);
    reset();
  }
  b->refreshList();
  EXPECT_FALSE(bar->isEnabled());
  b->close(2);
}

// What reaches a procedure from outside its pattern runs on its thread:
// a watched widget's events, a signal, a helper's callback.
TEST_F(UiTest, EventsSignalsAndCallbacksRunInTheirProceduresScope) {
  struct Watcher : WindowProcedure {
    Watcher() : WindowProcedure("Watcher") {
      WindowDef def;
      def.title = "Watcher";
      def.w = 120;
      def.h = 60;
      setDefinition(def);
    }
    void setup() override {
      edit = new QLineEdit(window());
      watchInScope(edit, [this](QObject*, QEvent* e) {
        if (e->type() == QEvent::KeyPress) seen["event"] = currentThread();
        return false;
      });
      connectInScope(edit, &QLineEdit::textEdited, [this] { seen["signal"] = currentThread(); });
      callback = scoped([this] { seen["callback"] = currentThread(); });
    }
    QLineEdit* edit = nullptr;
    std::function<void()> callback;
    std::map<std::string, int> seen;
  };
  Watcher* w = nullptr;
  const int thread = startProcedure("Watcher", 25000, [&]() -> std::unique_ptr<WindowProcedure> {
    auto p = std::make_unique<Watcher>();
    w = p.get();
    return p;
  });
  pump();
  ASSERT_TRUE(w && w->edit);
  ASSERT_NE(thread, currentThread());
  QTest::keyClicks(w->edit, "Zoe");
  w->callback();
  EXPECT_EQ(w->seen, (std::map<std::string, int>{
                         {"callback", thread}, {"event", thread}, {"signal", thread}}));
  w->close(2);
}

TEST_F(UiTest, ListRowsAreCompactAndTabLeavesTheList) {
  for (int i = 0; i < 30; ++i) add("P" + std::to_string(10 + i), "Oslo");
  PeopleBrowse* b = nullptr;
  startBrowse(*this, &b);
  QTableView* t = b->table();
  const int rowH = QFontMetrics(t->font()).height() + 4;
  EXPECT_EQ(t->rowHeight(0), rowH);
  EXPECT_EQ(b->list().pageSize(), t->viewport()->height() / rowH);
  EXPECT_EQ(t->model()->rowCount(), b->list().pageSize());

  QWidget* top = b->outerWindow();
  top->activateWindow();
  QApplication::setActiveWindow(top);
  ASSERT_TRUE(QTest::qWaitForWindowActive(top));
  t->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), t);
  const QModelIndex before = t->currentIndex();
  QTest::keyClick(t, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), widgetOf(b, "?Insert"));
  EXPECT_EQ(t->currentIndex(), before);
  b->close(2);
  pump();
}

TEST_F(UiTest, FixedColumnsStayInViewWhenTheListScrollsSideways) {
  WindowDef w = browseWindow();
  w.controls[4].columns[0].fixed = true;
  BrowseProcedure* b = nullptr;
  startProcedure("BrowsePeople", 0, [&]() -> std::unique_ptr<WindowProcedure> {
    auto p = std::make_unique<BrowseProcedure>("BrowsePeople", w, peopleBrowseDef(), &people);
    b = p.get();
    return p;
  });
  QTableView* t = b->table();
  auto* frozen = t->findChild<QTableView*>("qmFrozenColumns");
  ASSERT_NE(frozen, nullptr);
  EXPECT_TRUE(frozen->isVisible());
  EXPECT_FALSE(frozen->isColumnHidden(0));
  EXPECT_TRUE(frozen->isColumnHidden(1));
  EXPECT_TRUE(frozen->isColumnHidden(2));
  EXPECT_EQ(frozen->width(), t->horizontalHeader()->sectionSize(0));

  // A wide column makes the list scroll; the name column stays at the left edge.
  t->horizontalHeader()->resizeSection(1, 3 * t->viewport()->width());
  pump();
  t->horizontalScrollBar()->setValue(t->horizontalScrollBar()->maximum());
  pump();
  ASSERT_GT(t->horizontalScrollBar()->value(), 0);
  EXPECT_LT(t->columnViewportPosition(0), 0);  // the list's own column went by
  EXPECT_EQ(frozen->columnViewportPosition(0), 0);
  EXPECT_EQ(frozen->model()->data(frozen->model()->index(2, 0)).toString().trimmed(), "Cy");

  // A click on the frozen part picks the row; resizing it resizes the list's column.
  QTest::mouseClick(frozen->viewport(), Qt::LeftButton, {},
                    frozen->visualRect(frozen->model()->index(2, 0)).center());
  EXPECT_EQ(b->list().current()->record.text(0), "Cy");
  frozen->horizontalHeader()->resizeSection(0, 140);
  EXPECT_EQ(t->horizontalHeader()->sectionSize(0), 140);
  EXPECT_EQ(frozen->width(), 140);
  EXPECT_EQ(b->shownFormat().columns[0].width, b->built()->units().toDuX(140));
  b->close(2);
  pump();
}

TEST_F(UiTest, ResizableWindowMovesControlsByTheirAnchors) {
  WindowDef w;
  w.title = "Anchors";
  w.w = 260, w.h = 170, w.resizable = true;
  ControlDef list = ctl(Kind::List, "?List", "", 4, 4, 200, 100);
  list.columns = {{80, Justify::Left, 2, "Name", Justify::Left, 2, "PEO:NAME", ""}};
  w.controls = {list,
                ctl(Kind::Button, "?Right", "R", 210, 4, 40, 14),
                ctl(Kind::Button, "?Below", "B", 4, 110, 40, 14),
                ctl(Kind::Button, "?Corner", "C", 210, 110, 40, 14),
                ctl(Kind::Button, "?Pinned", "P", 60, 110, 40, 14),
                ctl(Kind::Memo, "?Memo", "", 4, 130, 200, 30)};
  w.controls[4].anchor = AnchorNone;
  WindowProcedure* p = startWindow(w);
  ASSERT_EQ(p->control("?List")->anchor(), AnchorGrow);
  std::map<std::string, QRect> at;
  for (auto& c : p->built()->controls()) at[c->id()] = c->widget()->geometry();
  QRect barAt = p->control("?List")->scrollBar()->geometry();
  p->window()->resize(p->window()->size() + QSize(80, 40));
  struct Case {
    const char* id;
    int dx, dy, dw, dh;
  } cases[] = {{"?List", 0, 0, 80, 40},   {"?Right", 80, 0, 0, 0}, {"?Below", 0, 40, 0, 0},
               {"?Corner", 80, 40, 0, 0}, {"?Pinned", 0, 0, 0, 0}, {"?Memo", 0, 40, 80, 0}};
  for (auto& c : cases) {
    QRect was = at[c.id], now = p->control(c.id)->widget()->geometry();
    EXPECT_EQ(now.topLeft() - was.topLeft(), QPoint(c.dx, c.dy)) << c.id;
    EXPECT_EQ(now.size() - was.size(), QSize(c.dw, c.dh)) << c.id;
  }
  QRect barNow = p->control("?List")->scrollBar()->geometry();
  EXPECT_EQ(barNow.topLeft() - barAt.topLeft(), QPoint(80, 0));
  EXPECT_EQ(barNow.height() - barAt.height(), 40);
  p->close(2);
}

TEST_F(UiTest, ControlsOnATabSitWhereTheDefinitionPutsThem) {
  FormProcedure* f = nullptr;
  runProcedure(1, formFactory(&f), InsertRecord, [](int) {});
  pump();
  const DialogUnits& u = f->built()->units();
  for (const char* id : {"?PEO:NAME", "?PEO:BORN"}) {
    Control* c = f->control(id);
    QPoint at = c->widget()->mapTo(f->window(), QPoint(0, 0));
    EXPECT_NEAR(at.x(), u.x(c->def().x), 1) << id;
    EXPECT_NEAR(at.y(), u.y(c->def().y), 1) << id;
  }
  f->close(2);
}

TEST_F(UiTest, StatusTextShowsOnTheWindowOrTheFrame) {
  PeopleBrowse* b = nullptr;
  startBrowse(*this, &b);
  QLabel* line = b->built()->statusLine();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text(), "Browsing Records");
  EXPECT_TRUE(line->isVisibleTo(b->window()));
  EXPECT_EQ(line->geometry().bottom(), b->window()->height() - 1);
  b->close(2);
  pump();
}

// Two browses as children of a frame: the toolbar reaches only the active
// one, and the frame's status bar shows the active one's status text.
TEST_F(UiTest, ToolbarAndStatusFollowTheActiveFrameChild) {
  {
    QMainWindow frame;
    auto* area = new QMdiArea;
    frame.setCentralWidget(area);
    frame.resize(900, 700);
    frame.show();
    QApplication::setActiveWindow(&frame);
    setFrameArea(area);
    PeopleBrowse *one = nullptr, *two = nullptr;
    startBrowse(*this, &one);
    startBrowse(*this, &two);
    pump();
    EXPECT_EQ(one->built()->statusLine(), nullptr);
    auto* status = frame.statusBar()->findChild<QLabel*>("qmWindowStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), "Browsing Records");

    area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(one->outerWindow()));
    pump();
    ASSERT_EQ(activeProcedure(), one);
    navigateActive(Nav::Last);
    pump();
    EXPECT_EQ(selectedName(one), "Dee");
    EXPECT_EQ(selectedName(two), "Ann");

    // Activated by the user's click on it, where the frame shows it.
    area->tileSubWindows();
    pump();
    QTest::mouseClick(two->table()->viewport(), Qt::LeftButton, {},
                      two->table()->visualRect(two->table()->model()->index(0, 0)).center());
    pump();
    ASSERT_EQ(activeProcedure(), two);
    navigateActive(Nav::NextRecord);
    pump();
    EXPECT_EQ(selectedName(two), "Bob");
    EXPECT_EQ(selectedName(one), "Dee");

    two->close(2);
    one->close(2);
    pump();
    EXPECT_EQ(status->text(), "");
    setFrameArea(nullptr);
  }
  pump();
}

// A procedure's record comes back with the order it was read in: reading
// goes on after it in that order, not in the one used meanwhile.
TEST(HeldRecord, PutsBackTheRecordItsPositionAndItsKeyOrder) {
  TestFile people(peopleDef());
  ASSERT_EQ(people.open(), 0);
  RecordFile& f = people.recordFile();
  for (const auto& [name, city] : {std::pair{"Ann", "Nice"}, {"Bob", "Paris"}, {"Cy", "Lyon"}}) {
    people.buffer().clear();
    people.buffer().setText("PEO:NAME", name);
    people.buffer().setText("PEO:CITY", city);
    ASSERT_EQ(f.add(), 0);
  }
  f.setOrder(0);  // by name
  ASSERT_EQ(f.seekFirst(), 0);
  ASSERT_EQ(f.next(), 0);
  ASSERT_EQ(f.next(), 0);
  ASSERT_EQ(people.buffer().text("PEO:NAME"), "Bob");
  const HeldRecord held = HeldRecord::of(people);

  f.setOrder(1);  // by city: Cy first
  ASSERT_EQ(f.seekFirst(), 0);
  ASSERT_EQ(f.next(), 0);
  ASSERT_EQ(people.buffer().text("PEO:NAME"), "Cy");

  held.putBack();
  EXPECT_EQ(f.order(), 0);
  EXPECT_EQ(f.position(), held.position);
  EXPECT_EQ(people.buffer().text("PEO:NAME"), "Bob");
  ASSERT_EQ(f.next(), 0);
  EXPECT_EQ(people.buffer().text("PEO:NAME"), "Cy");
  people.close();
}

}  // namespace

namespace {

// Esc in a window of neither pattern presses its Close button, which the
// procedure handles its own way; without such a button it closes the window
// as its close box does; a window the keyboard cannot work in keeps it.
TEST_F(UiTest, EscapePressesAPlainWindowsCloseButton) {
  struct Case {
    bool withClose, withEntry;
  };
  for (const Case& k : {Case{true, true}, Case{false, true}, Case{false, false}}) {
    const bool withClose = k.withClose;
    SCOPED_TRACE(withClose ? "with Close" : k.withEntry ? "no button" : "no control to type in");
    WindowDef def;
    def.title = "Plain";
    def.w = 120, def.h = 60;
    def.controls = {ctl(k.withEntry ? Kind::Entry : Kind::Prompt, "?Name", "", 4, 4, 80, 12)};
    if (withClose) {
      def.controls.push_back(ctl(Kind::Button, "?Close", "Close", 4, 30, 40, 14));
      def.controls.back().role = Role::Close;
    }
    int closes = 0;
    WindowProcedure* p = nullptr;
    startProcedure("Plain", 25000, [&]() -> std::unique_ptr<WindowProcedure> {
      struct Closing : WindowProcedure {
        Closing(const WindowDef& d, int& n) : WindowProcedure(d.title), closes(n) {
          setDefinition(d);
        }
        bool takeAccepted(Control& c) override {
          if (c.def().role != Role::Close) return false;
          ++closes;
          close(RequestCancelled);
          return true;
        }
        int& closes;
      };
      auto q = std::make_unique<Closing>(def, closes);
      p = q.get();
      return q;
    });
    ASSERT_NE(p, nullptr);
    QPointer<WindowProcedure> alive = p;
    QTest::keyClick(p->control("?Name")->widget(), Qt::Key_Escape);
    pump();
    EXPECT_EQ(closes, withClose ? 1 : 0);
    EXPECT_EQ(alive.isNull() || !alive->isRunning(), k.withEntry);
    if (alive && alive->isRunning()) alive->close(2);
    pump();
  }
}

}  // namespace
