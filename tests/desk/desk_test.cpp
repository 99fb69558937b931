// The reminder check, notes and control panel driven through their windows.
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "desk/cpanel.h"
#include "desk/cpsetup.h"
#include "desk/notes.h"
#include "desk/reminders.h"
#include "deskfixture.h"
#include "keys.h"
#include "records/domains.h"
#include "records/register.h"
#include "runtime/config/settings.h"
#include "runtime/desktop/commandline.h"
#include "runtime/ui/window.h"
#include "runtime/values/fsutil.h"

using namespace qm;
using namespace qm::desk;
using namespace desktest;

namespace {

// The title window as the check calls it: logged, closed at once.
std::vector<std::string> splashLog;
class SplashStub : public WindowProcedure {
 public:
  SplashStub() : WindowProcedure("splash") {}
  void setup() override {
    splashLog.push_back("splash");
    close(2);
  }
};

std::vector<std::string> shown(BrowseProcedure* b, const char* field) {
  std::vector<std::string> out;
  if (b)
    for (const Row& r : b->list().rows()) out.push_back(r.record.text(field));
  return out;
}

void showTabOf(QWidget* w) {
  for (QWidget* p = w; p; p = p->parentWidget())
    if (auto* sheet = qobject_cast<QTabWidget*>(
            p->parentWidget() ? p->parentWidget()->parentWidget() : nullptr))
      if (int i = sheet->indexOf(p); i >= 0) sheet->setCurrentIndex(i);
}

void typeInto(WindowProcedure* p, const std::string& id, const QString& text) {
  Control* c = p->control(id);
  ASSERT_NE(c, nullptr) << id;
  auto* e = qobject_cast<QLineEdit*>(c->widget());
  ASSERT_NE(e, nullptr) << id;
  showTabOf(e);
  e->setFocus();
  e->clear();
  QTest::keyClicks(e, text);
  qmtest::leaveWithTab(e);  // accepts
  pump();
}

void click(WindowProcedure* p, const std::string& id) {
  Control* c = p->control(id);
  ASSERT_NE(c, nullptr) << id;
  showTabOf(c->widget());
  QTest::mouseClick(c->widget(), Qt::LeftButton);
  pump();
}

std::string readFileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool enabled(WindowProcedure* p, const std::string& id) {
  Control* c = p->control(id);
  return c && c->widget() && c->widget()->isEnabled();
}

struct Reminders : DeskTest {
  void SetUp() override {
    DeskTest::SetUp();
    splashLog.clear();
    registerProcedure(
        "splash", [] { return std::make_unique<SplashStub>(); }, 25000);
  }
};

// ---- start-up check -------------------------------------------------------------------

namespace {
std::vector<std::string> sideLockFiles() {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator("."))
    if (e.path().filename().string().ends_with("-lock"))
      out.push_back(e.path().filename().string());
  return out;
}
}  // namespace

TEST(RenewalRule, DueFromTodayToThirtyDaysAhead) {
  FakeClock clock(kToday, 0);
  setClock(&clock);
  struct Case {
    int32_t renewal;
    bool due;
  };
  const Case cases[] = {
      {kToday, true}, {kToday + 30, true}, {kToday + 31, false}, {kToday - 1, false}, {0, false}};
  RecordBuffer d(fileDef(FileId::Domains));
  for (const Case& c : cases) {
    RenewalDueFlag = "";
    d.setDate("DOM:RENEWALDATE", c.renewal);
    CheckRenewalDue(d, RenewalDueFlag);
    EXPECT_EQ(RenewalDueFlag == "Yes", c.due) << c.renewal;
  }
  setClock(nullptr);
}

TEST_F(Reminders, CheckShowsPanelThenDueDomainsThenReminderNotesOnce) {
  cptog = 1;
  domain("zeta.com", kToday + 5);
  domain("old.com", kToday - 1);
  domain("alpha.com", kToday);
  domain("late.com", kToday + 31);
  domain("blank.com", 0);
  note("b topic", "Y", kToday);
  note("plain", "N", kToday);
  note("a topic", "Y", kToday);

  const int th = startNamedProcedure("StartupReminderCheck", 0);
  pump();
  EXPECT_EQ(splashLog.size(), 1u);
  auto* panel = top<Cpanel2>(th);
  ASSERT_NE(panel, nullptr);  // the reminders wait for the panel
  EXPECT_TRUE(CpanelOpen == "Y");
  panel->requestClose();
  pump();
  EXPECT_TRUE(CpanelOpen == "N");

  auto* notice = top<Notice>(th);
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(sideLockFiles().empty());  // the check denies nobody writing while the list waits
  EXPECT_EQ(notice->outerWindow()->windowTitle(), "Domain Reminders:   Due In 30 Days or Less");
  EXPECT_EQ(shown(notice, "DOM:DOMAINNAME"), (std::vector<std::string>{"alpha.com", "zeta.com"}));
  notice->requestClose();
  pump();

  auto* notes = top<BrowseNotes>(th);
  ASSERT_NE(notes, nullptr);  // not a second reminder list
  EXPECT_TRUE(NoteReminderDue == "Y");
  EXPECT_EQ(shown(notes, "DNO:TOPIC"), (std::vector<std::string>{"a topic", "b topic"}));
  notes->requestClose();
  pump();
  EXPECT_FALSE(threadRunning(th));
  EXPECT_TRUE(NoteReminderDue == "");
  EXPECT_EQ(splashLog.size(), 1u);
  // The scans let go of both files: others may write again, and no side
  // file of their locks stays behind.
  domain("new.com", kToday);
  note("new", "N", kToday);
  EXPECT_TRUE(sideLockFiles().empty());
}

TEST_F(Reminders, NothingDueEndsTheCheckAfterTheTitleWindow) {
  domain("late.com", kToday + 31);
  note("plain", "N", kToday);
  const int th = startNamedProcedure("StartupReminderCheck", 0);
  pump();
  EXPECT_EQ(splashLog.size(), 1u);
  EXPECT_FALSE(threadRunning(th));
  EXPECT_TRUE(answers.asked.empty());
  domain("new.com", kToday);
}

TEST_F(Reminders, EditsElsewhereSaveWhileTheStartUpListsWait) {
  registerRecordProcedures();
  domain("due.com", kToday);
  domain("other.com", kToday + 90);
  note("remember", "Y", kToday);
  const int th = startNamedProcedure("StartupReminderCheck", 0);
  pump();
  ASSERT_NE(top<Notice>(th), nullptr);

  // Main Data Files > Main Work Area: By Domain, the second domain changed.
  const int bt = startNamedProcedure("BrowseDomains", 50000);
  pump();
  auto* browse = top<records::BrowseDomains>(bt);
  ASSERT_NE(browse, nullptr);
  browse->list().setSelected(1);
  press(browse, "&Change");
  auto* form = top<records::UpdateDomains>(bt);
  ASSERT_NE(form, nullptr);
  typeInto(form, "?DOM:OWNERNAME", "Olga");
  press(form, "OK");
  EXPECT_EQ(captions(), std::vector<std::string>{});
  for (const RecordBuffer& r : all(FileId::Domains))
    EXPECT_EQ(r.text("DOM:OWNERNAME"), r.text("DOM:DOMAINNAME") == "other.com" ? "Olga" : "");
  browse->requestClose();
  top<Notice>(th)->requestClose();
  pump();

  // The reminder-mode notes list waits; a second notes list changes the note.
  ASSERT_NE(top<BrowseNotes>(th), nullptr);
  const int nt = startNamedProcedure("BrowseNotes", 0);
  pump();
  auto* notes = top<BrowseNotes>(nt);
  ASSERT_NE(notes, nullptr);
  press(notes, "&Change");
  auto* nf = top<Updatednotes>(nt);
  ASSERT_NE(nf, nullptr);
  typeInto(nf, "?DNO:TOPIC", "remembered");
  press(nf, "OK");
  EXPECT_EQ(captions(), std::vector<std::string>{});
  ASSERT_EQ(all(FileId::dnotes).size(), 1u);
  EXPECT_EQ(all(FileId::dnotes)[0].text("DNO:TOPIC"), "remembered");
}

// Many domains, the due ones scattered through the file and at its ends: the
// check opens the list, and the list pages through exactly the due domains
// in name order, as the rule picks them record by record.
TEST_F(Reminders, RuleOnALargeFile) {
  const int32_t offsets[] = {-1, 0, 30, 31, -400, 400, 15};
  std::vector<std::string> due;
  {
    ThreadScope t(1);
    RecordFile& f = access(FileId::Domains).file();
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    ASSERT_EQ(f.beginBatch(), 0);
    RecordBuffer& b = f.buffer();
    char name[32];
    for (int i = 0; i < 20000; ++i) {
      b.clear();
      std::snprintf(name, sizeof name, "d%05d.com", (i * 7919) % 20000);
      b.setText("DOM:DOMAINNAME", name);
      // Mostly not due; every 331st a boundary case; the last one due.
      int32_t renewal = i % 3 ? kToday + 31 + i % 500 : (i % 2 ? 0 : kToday - 1 - i % 700);
      if (i % 331 == 0) renewal = kToday + offsets[(i / 331) % 7];
      if (i == 19999) renewal = kToday + 30;
      b.setDate("DOM:RENEWALDATE", renewal);
      RenewalDueFlag = "";
      CheckRenewalDue(b, RenewalDueFlag);
      if (RenewalDueFlag == "Yes") due.push_back(name);
      ASSERT_EQ(f.add(), 0);
    }
    ASSERT_EQ(f.commitBatch(), 0);
    f.close();
  }
  RenewalDueFlag = "";
  std::sort(due.begin(), due.end());
  ASSERT_GT(due.size(), 20u);  // more than one page

  const int th = startNamedProcedure("StartupReminderCheck", 0);
  pump();
  auto* notice = top<Notice>(th);
  ASSERT_NE(notice, nullptr);
  std::vector<std::string> listed = shown(notice, "DOM:DOMAINNAME");
  for (int guard = 0; guard < 100; ++guard) {
    QTest::keyClick(notice->table(), Qt::Key_PageDown);
    pump();
    const size_t before = listed.size();
    for (const std::string& n : shown(notice, "DOM:DOMAINNAME"))
      if (n > listed.back()) listed.push_back(n);
    if (listed.size() == before) break;
  }
  EXPECT_EQ(listed, due);
  QTest::keyClick(notice->table(), Qt::Key_End);
  pump();
  EXPECT_EQ(shown(notice, "DOM:DOMAINNAME").back(), due.back());
}

TEST_F(Reminders, ListFormatFollowsItsOwnTwoEntries) {
  domain("alpha.com", kToday);
  settings().write("notice", Notice::OriginalEntry, "80L2~Old~");
  settings().write("notice", Notice::FormatEntry, "999L2~Old~");
  int th = startNamedProcedure("notice", 0);
  pump();
  EXPECT_EQ(threadStackSize(th), 25000);
  auto* n = top<Notice>(th);
  ASSERT_NE(n, nullptr);
  // A changed built-in format is shown and remembered.
  EXPECT_EQ(n->shownFormat().columns[0].width, 80);
  EXPECT_EQ(settings().read("notice", Notice::OriginalEntry, ""), Notice::builtFormat());
  n->table()->horizontalHeader()->resizeSection(0, n->built()->units().x(120));
  n->requestClose();
  pump();
  const std::string saved = settings().read("notice", Notice::FormatEntry, "");
  EXPECT_EQ(saved.substr(0, 4), "120L");
  EXPECT_EQ(settings().read("notice", "?Browse:1:USER", "none"), "none");

  th = startNamedProcedure("notice", 0);
  pump();
  n = top<Notice>(th);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->shownFormat().columns[0].width, 120);  // the format saved at the last close
}

TEST_F(Reminders, FirstFourColumnsStayInViewWhenTheListScrollsSideways) {
  domain("alpha.com", kToday);
  const int th = startNamedProcedure("notice", 0);
  pump();
  auto* n = top<Notice>(th);
  ASSERT_NE(n, nullptr);
  QTableView* t = n->table();
  auto* frozen = t->findChild<QTableView*>("qmFrozenColumns");
  ASSERT_NE(frozen, nullptr);
  int width = 0;
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(frozen->isColumnHidden(c), c == 4) << c;
    if (c < 4) width += t->horizontalHeader()->sectionSize(c);
  }
  t->horizontalHeader()->resizeSection(4,
                                       2 * t->viewport()->width());  // "Fee Paid" pushed far right
  pump();
  t->horizontalScrollBar()->setValue(t->horizontalScrollBar()->maximum());
  pump();
  EXPECT_TRUE(frozen->isVisible());
  EXPECT_EQ(frozen->width(), width);
  EXPECT_EQ(frozen->columnViewportPosition(0), 0);
  EXPECT_LT(t->columnViewportPosition(0), 0);
}

// ---- notes -----------------------------------------------------------------------------

TEST_F(DeskTest, NotesListAllNotesMarksRemindersAndStoresAClearedMarkAsN) {
  setIconLoader([](const std::string&) {
    QPixmap p(8, 8);
    p.fill(Qt::red);
    return QIcon(p);
  });
  note("Zed", "Y", kToday);
  note("Alpha", "N", kToday);
  note("Mid", "", kToday);
  const int th = startNamedProcedure("BrowseNotes", 0);
  pump();
  EXPECT_EQ(threadStackSize(th), 25000);
  auto* b = top<BrowseNotes>(th);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(shown(b, "DNO:TOPIC"), (std::vector<std::string>{"Mid", "Alpha", "Zed"}));
  EXPECT_TRUE(b->rowIcon(0).isNull());
  EXPECT_TRUE(b->rowIcon(1).isNull());
  EXPECT_FALSE(b->rowIcon(2).isNull());

  press(b, "&Insert");
  auto* f = top<Updatednotes>(th);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Adding a Notes Record");
  typeInto(f, "?DNO:TOPIC", "Beta");
  press(f, "OK");
  EXPECT_EQ(top<BrowseNotes>(th), b);
  EXPECT_EQ(shown(b, "DNO:TOPIC"), (std::vector<std::string>{"Mid", "Alpha", "Beta", "Zed"}));
  bool found = false;
  for (const RecordBuffer& r : all(FileId::dnotes))
    if (r.text("DNO:TOPIC") == "Beta") {
      found = true;
      EXPECT_EQ(r.text("DNO:REMINDER"), "N");
    }
  EXPECT_TRUE(found);
  setIconLoader({});
}

// A note written by another tool: a memo far past what may be typed, with
// CR LF line ends, and a mark the check box cannot show. OK without a change
// writes back all of it; a typed change is held to the memo's 1,000 characters.
TEST_F(DeskTest, AnUntouchedNoteKeepsItsWholeMemoAndMark) {
  std::string memo;
  while (memo.size() < 219000) memo += "Zeile \xD1\x91 eins\r\n";
  {
    ThreadScope t(1);
    FileManager& m = access(FileId::dnotes);
    ASSERT_EQ(m.open(), 0);
    m.buffer().clear();
    m.buffer().setText("DNO:TOPIC", "Lang");
    m.buffer().setText("DNO:REMINDER", "y");
    m.buffer().keepMemo(0, memo);
    ASSERT_EQ(m.file().add(), 0);
    m.close();
  }
  const int th = startNamedProcedure("BrowseNotes", 0);
  pump();
  auto* b = top<BrowseNotes>(th);
  ASSERT_NE(b, nullptr);
  press(b, "&Change");
  ASSERT_NE(top<Updatednotes>(th), nullptr);
  press(top<Updatednotes>(th), "OK");
  ASSERT_EQ(top<BrowseNotes>(th), b);
  ASSERT_EQ(all(FileId::dnotes).size(), 1u);
  EXPECT_TRUE(all(FileId::dnotes)[0].memo(0) == memo);
  EXPECT_EQ(all(FileId::dnotes)[0].text("DNO:REMINDER"), "y");

  press(b, "&Change");
  auto* f = top<Updatednotes>(th);
  ASSERT_NE(f, nullptr);
  auto* edit = qobject_cast<QPlainTextEdit*>(f->control("?DNO:MainMemo")->widget());
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  edit->moveCursor(QTextCursor::Start);
  QTest::keyClick(edit, Qt::Key_X);
  press(f, "OK");
  ASSERT_EQ(top<BrowseNotes>(th), b);
  const std::string typed = all(FileId::dnotes)[0].memo(0);
  EXPECT_EQ(QString::fromStdString(typed).size(), 1000);
  EXPECT_EQ(typed.substr(0, 9), "xZeile \xD1\x91");
}

// ---- control panel set-up ----------------------------------------------------------------

struct Setup : DeskTest {
  FileChooser before;
  std::vector<std::string> titles;
  void SetUp() override {
    DeskTest::SetUp();
    before =
        setFileChooser([this](QWidget*, const std::string& title) -> std::optional<std::string> {
          titles.push_back(title);
          if (title == "HTML Editor") return "/opt/" + std::string(120, 'e');
          return std::nullopt;
        });
  }
  void TearDown() override {
    setFileChooser(before);
    DeskTest::TearDown();
  }
  Browsecpanel* openList(int* th) {
    *th = startNamedProcedure("ConfigureControlPanel", 0);
    pump();
    EXPECT_EQ(threadStackSize(*th), 25000);
    return top<Browsecpanel>(*th);
  }
};

TEST_F(Setup, InsertFillsTheRecordTheGlobalsAndSectionCpanel) {
  int th = 0;
  auto* list = openList(&th);
  ASSERT_NE(list, nullptr);
  press(list, "&Insert");
  auto* form = top<Controlpanel>(th);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->outerWindow()->windowTitle(), "Record Will Be Added");

  typeInto(form, "?EDI:MYBROWSER", "/usr/bin/web");
  click(form, "?Pick1");  // the browser's dialog, cancelled
  click(form, "?Pick5");  // the HTML editor's: a name of 124 characters
  EXPECT_EQ(titles, (std::vector<std::string>{"Browser", "HTML Editor"}));
  typeInto(form, "?EDI:MYUSER1", "/bin/true");
  typeInto(form, "?EDI:MYUSER1TITLE", "Go");
  press(form, "OK");
  EXPECT_EQ(top<Browsecpanel>(th), list);

  const std::string editor = ("/opt/" + std::string(120, 'e')).substr(0, 100);
  auto rows = all(FileId::Editor);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].text("EDI:MYEDITOR"), editor);
  EXPECT_EQ(rows[0].text("EDI:MYBROWSER"), "/usr/bin/web");  // the cancelled dialog kept it
  EXPECT_EQ(rows[0].text("EDI:CURRENTCONFIG"), "Y");
  EXPECT_EQ(controlPanel.html.str(), editor);
  EXPECT_EQ(controlPanel.ubut1.str(), "Go");
  for (const char* key : {"html", "grphx", "brwsr", "txted", "mail", "usr1", "usr2", "usr3", "usr4",
                          "fftp", "ubut1", "ubut2", "ubut3", "ubut4"})
    EXPECT_NE(settings().read("cpanel", key, "absent"), "absent") << key;
  EXPECT_EQ(settings().read("cpanel", "html", ""), editor);
  EXPECT_EQ(settings().read("cpanel", "usr1", ""), "/bin/true");
  EXPECT_EQ(settings().read("cpanel", "brwsr", ""), "/usr/bin/web");
}

TEST_F(Setup, ASecondRecordIsRefusedWithClosit) {
  add(FileId::Editor, {{"EDI:MYEDITOR", "/bin/ed"}});
  int th = 0;
  auto* list = openList(&th);
  ASSERT_NE(list, nullptr);
  press(list, "&Insert");
  WindowProcedure* w = topProcedure(th);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->name(), "closit");
  EXPECT_EQ(w->outerWindow()->windowTitle(), "You can only have One (1)Control Panel Setup");
  EXPECT_FALSE(list->outerWindow()->isEnabled());  // the list waits for it
  press(w, "OK");
  EXPECT_EQ(top<Browsecpanel>(th), list);
  EXPECT_TRUE(list->outerWindow()->isEnabled());
  auto rows = all(FileId::Editor);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].text("EDI:MYEDITOR"), "/bin/ed");
}

TEST_F(Setup, DeleteAnsweredNoChangesNothingAndYesForgetsThePrograms) {
  add(FileId::Editor, {{"EDI:MYEDITOR", "/bin/ed"}, {"EDI:CURRENTCONFIG", "Y"}});
  controlPanel.html = "/bin/ed";
  controlPanel.ubut1 = "Go";
  settings().write("cpanel", "html", "/bin/ed");
  settings().write("cpanel", "ubut1", "Go");
  const std::string before = readFileText(settings().fileName());
  int th = 0;
  auto* list = openList(&th);
  ASSERT_NE(list, nullptr);
  answers.replies = {BtnNo};
  press(list, "&Delete");
  EXPECT_EQ(captions(), (std::vector<std::string>{"Confirm Delete"}));
  EXPECT_EQ(all(FileId::Editor).size(), 1u);
  EXPECT_EQ(controlPanel.html.str(), "/bin/ed");
  EXPECT_EQ(controlPanel.ubut1.str(), "Go");
  EXPECT_EQ(readFileText(settings().fileName()), before);

  answers.replies = {BtnYes};
  press(list, "&Delete");
  EXPECT_TRUE(all(FileId::Editor).empty());
  EXPECT_TRUE(controlPanel.html.blank());
  EXPECT_TRUE(controlPanel.ubut1.blank());
  EXPECT_EQ(settings().read("cpanel", "html", "absent"), "");
  EXPECT_EQ(settings().read("cpanel", "ubut4", "absent"), "");
}

TEST_F(Setup, AnOpenPanelIsOnlyWarnedAbout) {
  CpanelOpen = "Y";
  const int th = startNamedProcedure("ConfigureControlPanel", 0);
  pump();
  WindowProcedure* w = topProcedure(th);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->name(), "cpwarn");
  press(w, "OK");
  EXPECT_FALSE(threadRunning(th));
}

// ---- control panel ---------------------------------------------------------------------------

struct Panel : DeskTest {
  std::vector<std::pair<std::string, std::vector<std::string>>> started;
  ProcessStarter before;
  void SetUp() override {
    DeskTest::SetUp();
    before =
        setProcessStarter([this](const std::string& program, const std::vector<std::string>& args) {
          started.push_back({program, args});
          return true;
        });
  }
  void TearDown() override {
    setProcessStarter(before);
    DeskTest::TearDown();
  }
};

TEST_F(Panel, CellsFollowTheGlobalsAndStartWholeCommandLines) {
  controlPanel.ubut1 = "User 1";
  controlPanel.ubut2 = "User 2";
  controlPanel.usr3 = "/bin/true";  // a program without a caption
  controlPanel.txted = "/bin/true -edit  ";
  StartDirectory = currentDirectory();
  const int th = startNamedProcedure("cpanel2", 0);
  pump();
  EXPECT_EQ(threadStackSize(th), 25000);
  auto* p = top<Cpanel2>(th);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->outerWindow()->windowTitle(), "MyControl Panel: Quillmark Pro");
  EXPECT_TRUE(CpanelOpen == "Y");
  EXPECT_TRUE(enabled(p, "?TextEditor"));
  EXPECT_TRUE(enabled(p, "?Notes"));
  EXPECT_TRUE(enabled(p, "?User1"));
  EXPECT_TRUE(enabled(p, "?User2"));
  for (const char* off : {"?HtmlEditor", "?Ftp", "?Browser", "?GraphicsEditor", "?EMail", "?User3"})
    EXPECT_FALSE(enabled(p, off)) << off;
  EXPECT_EQ(qobject_cast<QLabel*>(p->control("?User1Caption")->widget())->text(), "User 1");

  // A program that moves the current directory: the panel goes back.
  QDir().mkdir("elsewhere");
  QDir::setCurrent("elsewhere");
  click(p, "?TextEditor");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(QFileInfo(QString::fromStdString(started[0].first)).fileName(), "true");
  EXPECT_EQ(started[0].second, (std::vector<std::string>{"-edit"}));
  EXPECT_EQ(currentDirectory(), StartDirectory.str());

  click(p, "?User2");  // a caption without a program starts nothing
  EXPECT_EQ(started.size(), 1u);
  EXPECT_TRUE(answers.asked.empty());

  click(p, "?Notes");
  bool notes = false;
  for (int t : runningThreads())
    if (t != th && dynamic_cast<BrowseNotes*>(topProcedure(t))) notes = threadStackSize(t) == 25000;
  EXPECT_TRUE(notes);
  EXPECT_EQ(top<Cpanel2>(th), p);  // the panel does not wait for the list

  p->requestClose();
  pump();
  EXPECT_TRUE(CpanelOpen == "N");
}

}  // namespace
