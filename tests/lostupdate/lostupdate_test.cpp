// A record saved elsewhere while a form has it open: the form's OK must not
// write its stale copy over that change. Users' journeys through the windows,
// the reader in a process of its own, and every form of both programs.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <functional>
#include <set>

#include "appkit/procedures.h"
#include "desk/register.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "frame/registerall.h"
#include "guitest.h"
#include "reader/globals.h"
#include "reader/register.h"
#include "records/register.h"
#include "records/reports/register.h"
#include "rowclick.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/store/thread.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/form.h"
#include "runtime/ui/window.h"
#include "utf8check.h"
#include "webdata/details/register.h"
#include "webdata/pages/register.h"
#include "webdata/reports/register.h"
#include "webdata/views/register.h"

using namespace qm;
using namespace qmtest;

namespace {

using Strings = std::vector<std::string>;

const char* const kChanged =
    "Record Was Not Updated: This record was changed by another station. Those changes will now be "
    "displayed. "
    "Use the Ditto Button or Ctrl+' to recall your changes.";
const char* const kPage = "http://www.example.com/page00001.htm";

std::string shown(WindowProcedure* p, const std::string& id) {
  auto* e = qobject_cast<QLineEdit*>(widgetOf(p, id));
  return e ? e->text().toStdString() : "?";
}

void typeAndTab(WindowProcedure* p, const std::string& id, const QString& text) {
  auto* e = qobject_cast<QLineEdit*>(widgetOf(p, id));
  ASSERT_NE(e, nullptr) << id;
  showTabOf(e);
  QTest::mouseClick(e, Qt::LeftButton);
  pump();
  e->selectAll();
  QTest::keyClicks(e, text);
  QTest::keyClick(e, Qt::Key_Tab);
  pump();
}

// Ctrl+' in the entry, then leaves it with Tab.
void dittoInto(WindowProcedure* p, const std::string& id) {
  QWidget* e = widgetOf(p, id);
  ASSERT_NE(e, nullptr);
  showTabOf(e);
  p->outerWindow()->activateWindow();
  QApplication::setActiveWindow(p->outerWindow());
  QTest::mouseClick(e, Qt::LeftButton);
  e->setFocus();
  pump();
  QTest::keyClick(e, Qt::Key_Apostrophe, Qt::ControlModifier);
  QTest::keyClick(e, Qt::Key_Tab);
  pump();
}

// The form's own OK button, whatever its id.
void pressRole(WindowProcedure* p, Role role) {
  ASSERT_TRUE(p && p->built());
  for (auto& c : p->built()->controls())
    if (c->def().role == role && c->widget()) {
      showTabOf(c->widget());
      QTest::mouseClick(c->widget(), Qt::LeftButton);
      pump();
      return;
    }
  FAIL() << p->name() << " has no such button";
}

void clickRow(BrowseProcedure* b, const Fields& match) {
  ASSERT_NE(b, nullptr);
  ASSERT_TRUE(clickRowWhere(*b, match)) << "no row " << match[0].second;
  pump();
}

// Rewrites one record the way another program would: its own connection.
void changeOnDisk(const FileDef& def, int64_t position,
                  const std::function<void(RecordBuffer&)>& edit) {
  RecordFile f(def);
  ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, false, 1, def.ownerPassword), 0) << def.label;
  ASSERT_EQ(f.fetchPosition(position), 0) << def.label;
  edit(f.buffer());
  ASSERT_EQ(f.put(), 0) << def.label << " " << f.errorDetail();
}

RecordBuffer onDisk(const FileDef& def, int64_t position) {
  RecordFile f(def);
  RecordBuffer r(def);
  if (f.open(OpenMode::ReadOnlyDenyNone, false, 1, def.ownerPassword) == 0 &&
      f.fetchPosition(position) == 0)
    r = f.buffer();
  return r;
}

RecordBuffer pageOnDisk(const std::string& path) {
  for (const RecordBuffer& r : all(FileId::WebPages))
    if (r.text("WEB:PAGEPATH") == path) return r;
  ADD_FAILURE() << "no page " << path;
  return RecordBuffer(fileDef(FileId::WebPages));
}

struct LostUpdate : GuiTest {
  int thread = 0;

  void beforeDictionary() override {
    initGlobals();
    setQueryFilter("");
  }
  void SetUp() override {
    GuiTest::SetUp();
    registerRecordProcedures();
    const ProcedureRegistrar& reg = procedureRegistrar();
    registerWebPageProcedures(reg, mainWebContext());
    details::registerDetailProcedures(reg, mainWebContext());
    webreports::registerWebReportProcedures(reg, mainWebContext());
    webviews::registerWebViewProcedures(reg, mainWebContext());
    ASSERT_EQ(::mkdir("site", 0755), 0);
    add(FileId::Domains, {{"DOM:DOMAINNAME", "example.com"},
                          {"DOM:OWNERNAME", "Owner 0"},
                          {"DOM:REGLOGIN", "user1"},
                          {"DOM:DEFAULTLOCALDIR", "site"},
                          {"DOM:DEFAULTWEBPATH", "http://www.example.com"}});
    add(FileId::WebPages, {{"WEB:DOMAINNAME", "example.com"},
                           {"WEB:PAGENAME", "page00001.htm"},
                           {"WEB:PAGEPATH", kPage},
                           {"WEB:LOCALPATH", "site/page00001.htm"},
                           {"WEB:LOCALDEFAULTDIRECTORY", "site"},
                           {"WEB:AUTHOR", "Bob"}});
  }
  void TearDown() override {
    closeProcedures();
    for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
    qmtest::expectRecordFilesHoldUtf8();
    GuiTest::TearDown();
  }

  Strings asked() const {
    Strings v;
    for (const auto& a : answers.asked) v.push_back(a.caption + ": " + a.text);
    return v;
  }
  static FormProcedure* formOn(int th) { return dynamic_cast<FormProcedure*>(topProcedure(th)); }

  // Change on example.com in the domain browse of thread th.
  static FormProcedure* changeDomain(BrowseProcedure* b, int th) {
    clickRow(b, {{"DOM:DOMAINNAME", "example.com"}});
    click(b, "?Change");
    return formOn(th);
  }
  // Main Work Area, the domain highlighted, "Web Pages", Change on the page.
  FormProcedure* pageFormOf(const std::string& domain, int* th, const std::string& path = kPage) {
    auto* d = start<BrowseProcedure>("BrowseDomains", th);
    clickRow(d, {{"DOM:DOMAINNAME", domain}});
    click(d, "?WebPages");
    auto* pages = dynamic_cast<BrowseProcedure*>(topProcedure(*th));
    if (!pages || pages == d) return nullptr;
    qobject_cast<QTabWidget*>(widgetOf(pages, "?Sheet"))
        ->setCurrentIndex(1);  // By Page Name: every domain
    pump();
    clickRow(pages, {{"WEB:PAGEPATH", path}});
    click(pages, "?Change");
    return formOn(*th);
  }
};

// Two forms on one domain: the second OK gives way to the first, shows it, and
// ditto brings back what was typed.
TEST_F(LostUpdate, TwoDomainFormsTheLaterOkShowsTheEarlierAndDittoRecallsTheTyping) {
  int t1 = 0, t2 = 0;
  auto* b1 = start<BrowseProcedure>("BrowseDomains", &t1);
  auto* b2 = start<BrowseProcedure>("BrowseDomains", &t2);
  FormProcedure* f2 = changeDomain(b2, t2);
  ASSERT_NE(f2, nullptr);
  typeAndTab(f2, "?DOM:OWNERNAME", "Owner ONE");

  FormProcedure* f1 = changeDomain(b1, t1);
  ASSERT_NE(f1, nullptr);
  typeAndTab(f1, "?DOM:REGLOGIN", "user2");
  pressRole(f1, Role::Ok);
  ASSERT_EQ(topProcedure(t1), b1);
  EXPECT_TRUE(asked().empty()) << asked().front();

  pressRole(f2, Role::Ok);
  EXPECT_EQ(asked(), Strings{kChanged});
  ASSERT_EQ(formOn(t2), f2);
  auto domain = all(FileId::Domains).at(0);
  EXPECT_EQ(domain.text("DOM:OWNERNAME"), "Owner 0");
  EXPECT_EQ(domain.text("DOM:REGLOGIN"), "user2");
  EXPECT_EQ(shown(f2, "?DOM:REGLOGIN"), "user2");
  EXPECT_EQ(shown(f2, "?DOM:OWNERNAME"), "Owner 0");

  dittoInto(f2, "?DOM:OWNERNAME");
  EXPECT_EQ(shown(f2, "?DOM:OWNERNAME"), "Owner ONE");
  pressRole(f2, Role::Ok);
  ASSERT_EQ(topProcedure(t2), b2);
  domain = all(FileId::Domains).at(0);
  EXPECT_EQ(domain.text("DOM:OWNERNAME"), "Owner ONE");
  EXPECT_EQ(domain.text("DOM:REGLOGIN"), "user2");
  EXPECT_EQ(asked().size(), 1u);
}

// A change that cannot be saved says why. Deleted meanwhile, the record
// cannot be saved again: no retry is offered, the form stays, nothing is
// added. Held by another program that denies writing: the reason, then
// whether to try again; once it lets go, the save goes through.
TEST_F(LostUpdate, AFailedChangeSaysWhyAndOffersNoRetryForADeletedRecord) {
  auto* b = start<BrowseProcedure>("BrowseDomains", &thread);
  {
    FormProcedure* f = changeDomain(b, thread);
    ASSERT_NE(f, nullptr);
    typeAndTab(f, "?DOM:OWNERNAME", "Owner TWO");
    RecordFile other(fileDef(FileId::Domains));
    ASSERT_EQ(other.open(OpenMode::ReadWriteDenyWrite, false, 1), 0);
    answers.replies = {BtnNo};
    pressRole(f, Role::Ok);
    EXPECT_EQ(asked(), Strings{"Record Update Error: An error (Access Denied) was experienced when "
                               "making changes to the Domains file.||An error was experienced "
                               "changing this record. Do you want to try to save again?"});
    EXPECT_EQ(formOn(thread), f);
    other.close();
    answers.asked.clear();
    pressRole(f, Role::Ok);
    EXPECT_TRUE(asked().empty());
    EXPECT_NE(formOn(thread), f);
    EXPECT_EQ(all(FileId::Domains).at(0).text("DOM:OWNERNAME"), "Owner TWO");
  }
  FormProcedure* f = changeDomain(b, thread);
  ASSERT_NE(f, nullptr);
  typeAndTab(f, "?DOM:OWNERNAME", "Owner THREE");
  {
    RecordFile other(fileDef(FileId::Domains));
    ASSERT_EQ(other.open(OpenMode::ReadWriteDenyNone, false, 1), 0);
    ASSERT_EQ(other.fetchPosition(1), 0);
    ASSERT_EQ(other.erase(), 0);
  }
  answers.asked.clear();
  answers.replies = {BtnYes, BtnNo};
  pressRole(f, Role::Ok);
  EXPECT_EQ(asked(), Strings{"Record was not updated: An error (Record Not Found: another user "
                             "deleted it) was experienced when making changes to the Domains "
                             "file."});
  EXPECT_EQ(formOn(thread), f);
  EXPECT_EQ(shown(f, "?DOM:OWNERNAME"), "Owner THREE");
  EXPECT_TRUE(all(FileId::Domains).empty());
}

// The quick view and a second page form, each left open over a page that
// the page form then changes: their OK without typing keeps that change.
TEST_F(LostUpdate, AnOpenPageFormOkWithoutTypingKeepsTheAuthorSavedMeanwhile) {
  for (const char* first : {"BrowseWebPages2", "BrowseDomains"}) {
    SCOPED_TRACE(first);
    answers.asked.clear();
    int t1 = 0, t2 = 0;
    FormProcedure* viewing = nullptr;
    if (std::string(first) == "BrowseWebPages2") {
      auto* quick = start<BrowseProcedure>(first, &t1);
      clickRow(quick, {{"WEB:PAGEPATH", kPage}});
      click(quick, "?View");
      viewing = formOn(t1);
    } else {
      viewing = pageFormOf("example.com", &t1);
    }
    ASSERT_NE(viewing, nullptr);
    const std::string before = pageOnDisk(kPage).text("WEB:AUTHOR");

    FormProcedure* changing = pageFormOf("example.com", &t2);
    ASSERT_NE(changing, nullptr);
    typeAndTab(changing, "?WEB:AUTHOR", "Carol");
    pressRole(changing, Role::Ok);
    ASSERT_NE(formOn(t2), changing);
    EXPECT_EQ(pageOnDisk(kPage).text("WEB:AUTHOR"), "Carol");

    pressRole(viewing, Role::Ok);
    EXPECT_EQ(asked(), Strings{kChanged});
    EXPECT_EQ(pageOnDisk(kPage).text("WEB:AUTHOR"), "Carol");
    EXPECT_EQ(shown(viewing, "?WEB:AUTHOR"), "Carol");
    // Nothing typed since: Cancel asks nothing.
    answers.asked.clear();
    pressRole(viewing, Role::Cancel);
    EXPECT_NE(formOn(t1), viewing);
    EXPECT_TRUE(asked().empty()) << asked().front();
    closeProcedures();
    changeOnDisk(fileDef(FileId::WebPages), 1,
                 [&](RecordBuffer& r) { r.setText("WEB:AUTHOR", before); });
  }
}

// A per-domain change run under an open page form: the form's OK leaves
// the run's pages whole.
TEST_F(LostUpdate, AGlobalChangeUnderAnOpenPageFormIsKept) {
  struct Case {
    const char* run;
    const char* field;
    const char* value;
  };
  for (const Case& c : {Case{"ChgLoPath1", "WEB:USENOW", "Y"},
                        Case{"ChgLoPath", "WEB:LOCALPATH", "newdir/page00001.htm"}}) {
    SCOPED_TRACE(c.run);
    answers.asked.clear();
    int t1 = 0;
    FormProcedure* f = pageFormOf("example.com", &t1);
    ASSERT_NE(f, nullptr);
    {
      ThreadScope scope(1);
      domainname = "example.com";
      NewLocalDir = "newdir";
    }
    const int run = startNamedProcedure(c.run, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !threadRunning(run); }));
    pump();
    const RecordBuffer afterRun = pageOnDisk(kPage);
    ASSERT_EQ(afterRun.text(c.field), c.value);
    answers.asked.clear();

    pressRole(f, Role::Ok);
    EXPECT_EQ(asked(), Strings{kChanged});
    EXPECT_TRUE(pageOnDisk(kPage) == afterRun);
    closeProcedures();
  }
}

// A page whose domain has no record: a plain OK from another domain's page
// browse keeps its paths and its name.
TEST_F(LostUpdate, APageWithoutItsDomainRecordKeepsItsPaths) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"},
                        {"DOM:DEFAULTLOCALDIR", "site_a"},
                        {"DOM:DEFAULTWEBPATH", "http://www.a.com"}});
  add(FileId::WebPages, {{"WEB:DOMAINNAME", "c.com"},
                         {"WEB:PAGENAME", "about.htm"},
                         {"WEB:PAGEPATH", "http://www.c.com/about.htm"},
                         {"WEB:LOCALPATH", "site_c/about.htm"},
                         {"WEB:LOCALDEFAULTDIRECTORY", "site_c"}});
  add(FileId::WPLinks,
      {{"WPL:WEBPAGEPATHNAME", "http://www.c.com/about.htm"}, {"WPL:WEBPAGELINK", "index.htm"}});
  const RecordBuffer before = pageOnDisk("http://www.c.com/about.htm");
  FormProcedure* f = pageFormOf("a.com", &thread, "http://www.c.com/about.htm");
  ASSERT_NE(f, nullptr);
  pressRole(f, Role::Ok);
  EXPECT_NE(formOn(thread), f);
  const RecordBuffer after = pageOnDisk("http://www.c.com/about.htm");
  EXPECT_EQ(after.text("WEB:PAGENAME"), "about.htm");
  EXPECT_EQ(after.text("WEB:LOCALPATH"), "site_c/about.htm");
  EXPECT_EQ(after.text("WEB:LOCALDEFAULTDIRECTORY"), "site_c");
  EXPECT_EQ(after.text("WEB:DOMAINNAME"), "c.com");
}

// F1 imports its page (Auto Read) after F2 saved the same page: F1's OK
// gives way, the page it shows keeps what the import read, and its next OK
// stores the page with the marks, title, date and size its new detail
// records stand for.
TEST_F(LostUpdate, ARefusedSaveAfterAnAutoReadKeepsWhatTheImportRead) {
  std::ofstream("site/page00001.htm")
      << "<html><head><title>Read by F1</title></head>\n"
      << "<body><a href=\"next.htm\">next</a> <img src=\"logo.gif\"></body></html>\n";
  int t1 = 0, t2 = 0;
  FormProcedure* f1 = pageFormOf("example.com", &t1);
  ASSERT_NE(f1, nullptr);
  FormProcedure* f2 = pageFormOf("example.com", &t2);
  ASSERT_NE(f2, nullptr);
  typeAndTab(f2, "?WEB:AUTHOR", "Carol");
  pressRole(f2, Role::Ok);
  ASSERT_NE(formOn(t2), f2);

  answers.replies = {BtnYes};
  click(f1, "?AutoRead");
  ASSERT_EQ(shown(f1, "?WEB:HTMLPAGETITLE"), "Read by F1");
  answers.asked.clear();
  pressRole(f1, Role::Ok);
  EXPECT_EQ(asked(), Strings{kChanged});
  EXPECT_EQ(shown(f1, "?WEB:HTMLPAGETITLE"), "Read by F1");
  EXPECT_EQ(shown(f1, "?WEB:AUTHOR"), "Carol");
  pressRole(f1, Role::Ok);
  ASSERT_NE(formOn(t1), f1);
  const RecordBuffer saved = pageOnDisk(kPage);
  EXPECT_EQ(saved.text("WEB:HTMLPAGETITLE"), "Read by F1");
  EXPECT_EQ(saved.text("WEB:AUTHOR"), "Carol");
  EXPECT_NE(saved.text("WEB:FILESIZE"), "0");
  EXPECT_FALSE(saved.text("WEB:FILEDATETIME").empty());
  EXPECT_EQ(saved.text("WEB:DATA1") + saved.text("WEB:DATA2"), "YY");  // links and images
  EXPECT_EQ(all(FileId::WPLinks).size(), 1u);
  EXPECT_EQ(all(FileId::WPIMG).size(), 1u);
}

// The reader, a process of its own, re-reads the domain under an open page
// form: OK gives way, the page and its details agree, and ditto brings back
// the author typed.
TEST_F(LostUpdate, TheReaderInAnotherProcessUnderAnOpenPageForm) {
  std::ofstream("site/page00001.htm")
      << "<html><head><title>First</title></head><body></body></html>\n";
  ASSERT_EQ(QProcess::execute(QM_READER_RUN, {"example.com", "site"}), 0);
  ASSERT_EQ(pageOnDisk(kPage).text("WEB:HTMLPAGETITLE"), "First");
  FormProcedure* f = pageFormOf("example.com", &thread);
  ASSERT_NE(f, nullptr);
  // Opened on a page the reader wrote, untouched: Cancel asks nothing.
  pressRole(f, Role::Cancel);
  EXPECT_TRUE(asked().empty()) << asked().front();
  ASSERT_NE(formOn(thread), f);
  closeProcedures();

  f = pageFormOf("example.com", &thread);
  ASSERT_NE(f, nullptr);
  typeAndTab(f, "?WEB:AUTHOR", "Dora");
  std::ofstream("site/page00001.htm")
      << "<html><head><title>Second title</title></head>\n"
      << "<body><a href=\"new.htm\">new</a> and more text</body></html>\n";
  ASSERT_EQ(QProcess::execute(QM_READER_RUN, {"example.com", "site"}), 0);
  const RecordBuffer read = pageOnDisk(kPage);
  ASSERT_EQ(read.text("WEB:HTMLPAGETITLE"), "Second title");
  answers.asked.clear();

  pressRole(f, Role::Ok);
  EXPECT_EQ(asked(), Strings{kChanged});
  EXPECT_TRUE(pageOnDisk(kPage) == read);
  EXPECT_EQ(shown(f, "?WEB:HTMLPAGETITLE"), "Second title");
  Strings links;
  for (const RecordBuffer& r : all(FileId::WPLinks)) links.push_back(r.text("WPL:WEBPAGELINK"));
  EXPECT_EQ(links, Strings{"new.htm"});

  dittoInto(f, "?WEB:AUTHOR");
  pressRole(f, Role::Ok);
  ASSERT_NE(formOn(thread), f);
  const RecordBuffer saved = pageOnDisk(kPage);
  EXPECT_EQ(saved.text("WEB:AUTHOR"), "Dora");
  EXPECT_EQ(saved.text("WEB:HTMLPAGETITLE"), "Second title");
  EXPECT_EQ(saved.text("WEB:FILESIZE"), read.text("WEB:FILESIZE"));
}

// Untouched by the user, a page the reader wrote leaves without a question,
// straight away or after a visit to one of its detail browses, and its OK
// finds nothing changed elsewhere.
TEST_F(LostUpdate, AnUntouchedPageTheReaderWroteLeavesWithoutAQuestion) {
  std::ofstream("site/page00001.htm") << "<html><head><title>  Spaced   title </title>\n"
                                      << "<meta name=\"author\" content=\"x\"></head>\n"
                                      << "<body><a href=\"b.htm\">b</a></body></html>\n";
  ASSERT_EQ(QProcess::execute(QM_READER_RUN, {"example.com", "site"}), 0);
  for (Role leave : {Role::Cancel, Role::Ok})
    for (const char* visit : {"", "?ViewLinks", "?ViewMeta"}) {
      SCOPED_TRACE(std::string(visit) + (leave == Role::Ok ? " OK" : " Cancel"));
      answers.asked.clear();
      FormProcedure* f = pageFormOf("example.com", &thread);
      ASSERT_NE(f, nullptr);
      if (*visit) {
        click(f, visit);
        WindowProcedure* detail = topProcedure(thread);
        ASSERT_NE(detail, f);
        click(detail, "?Close");
        ASSERT_EQ(formOn(thread), f);
      }
      pressRole(f, leave);
      EXPECT_TRUE(asked().empty()) << asked().front();
      EXPECT_NE(formOn(thread), f);
      closeProcedures();
    }
}

// ---- every form of both programs ---------------------------------------------------

// Keeps a thread alive and its files positioned while a form runs over it.
class Holder : public WindowProcedure {
 public:
  Holder() : WindowProcedure("Holder") {}
};

// Opens every registered form allowing change on the first record of its
// file, changes that record underneath, presses OK: the form must show entry
// 7 and leave the other change on disk. Returns the forms walked.
std::set<std::string> walkEveryForm(ScriptedAnswerer& answers) {
  std::set<std::string> walked;
  for (const std::string& name : registeredProcedures()) {
    const ProcedureEntry* entry = findProcedure(name);
    std::unique_ptr<WindowProcedure> probe = entry->factory();
    auto* asForm = dynamic_cast<FormProcedure*>(probe.get());
    // The reading window is a form over the control file whose OK saves nothing.
    if (!asForm || !asForm->formDef().allowChange || name == "readpages") continue;
    DataFile* file = asForm->editedFile();
    const FileDef& def = file->def();
    // The change made elsewhere: a text field, one in no key where there is one.
    int field = -1;
    for (bool anyKeyed : {false, true})
      for (size_t i = 0; i < def.fields.size() && field < 0; ++i) {
        bool keyed = false;
        for (const KeyDef& k : def.keys)
          for (int c : k.components) keyed = keyed || c == static_cast<int>(i);
        if (def.fields[i].type == FieldType::Text && def.fields[i].size >= 9 &&
            (anyKeyed || !keyed))
          field = static_cast<int>(i);
      }
    if (field < 0) continue;
    probe.reset();
    SCOPED_TRACE(name);
    int64_t position = 0;
    const int th = startProcedure("Holder", 0, [] { return std::make_unique<Holder>(); });
    {
      ThreadScope scope(th);
      EXPECT_EQ(file->open(), 0);
      RecordFile& rf = file->recordFile();
      rf.setOrder(-1);
      if (rf.seekFirst() != 0 || rf.next() != 0) {
        ADD_FAILURE() << "no record in " << def.label;
        file->close();
        topProcedure(th)->close(2);
        pump();
        continue;
      }
      position = rf.position();
    }
    answers.asked.clear();
    runProcedure(th, entry->factory, ChangeRecord, {}, topProcedure(th));
    pump();
    auto* form = dynamic_cast<FormProcedure*>(topProcedure(th));
    if (!form || form->name() != name) {
      ADD_FAILURE() << "did not open";
    } else {
      const std::string elsewhere = "ELSE" + std::to_string(walked.size());
      changeOnDisk(def, position, [&](RecordBuffer& r) { r.setText(field, elsewhere); });
      answers.asked.clear();
      pressRole(form, Role::Ok);
      EXPECT_EQ(onDisk(def, position).text(field), elsewhere);
      bool seven = false;
      for (const auto& a : answers.asked) seven = seven || a.caption + ": " + a.text == kChanged;
      EXPECT_TRUE(seven) << (answers.asked.empty() ? std::string("nothing asked")
                                                   : answers.asked.back().text)
                         << " running " << (topProcedure(th) == form);
      walked.insert(name);
    }
    for (int guard = 0; guard < 5 && threadRunning(th); ++guard) {
      if (WindowProcedure* p = topProcedure(th)) {
        if (p != form && dynamic_cast<Holder*>(p)) {
          ThreadScope scope(th);
          file->close();
        }
        p->close(2);
      }
      pump();
    }
  }
  return walked;
}

void fillEveryFile() {
  for (int i = 0; i < FileIdCount; ++i) {
    const FileId id = static_cast<FileId>(i);
    if (!isDeclared(id)) continue;
    const FileDef& def = access(id).def();
    if (def.kind != FileKind::Indexed) continue;
    RecordFile f(def);
    if (f.open(OpenMode::ReadWriteDenyNone, true, 1, def.ownerPassword) != 0) continue;
    RecordBuffer& b = f.buffer();
    b.clear();
    for (size_t k = 0; k < def.fields.size(); ++k)
      if (def.fields[k].type == FieldType::Text)
        b.setText(static_cast<int>(k), "x" + std::to_string(k));
    EXPECT_EQ(f.add(), 0) << def.label << " " << f.errorDetail();
  }
}

TEST_F(LostUpdate, EveryFormOfTheMainProgramGivesWayToAChangeMadeUnderIt) {
  closeProcedures();
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  registerMainProgramProcedures();
  fillEveryFile();
  const std::set<std::string> walked = walkEveryForm(answers);
  EXPECT_GE(walked.size(), 12u);
  for (const char* must : {"UpdateDomains", "UpdateHosts", "UpdateRegistrars", "Updatednotes",
                           "controlpanel", "updatewebpages1", "UpdateWebPages", "UpdateWPLinks"})
    EXPECT_TRUE(walked.count(must)) << must;
}

TEST(LostUpdateReader, EveryFormOfTheReaderGivesWayToAChangeMadeUnderIt) {
  ScriptedAnswerer answers;
  answers.install();
  FormProcedure::clearHistory();
  reader::initReaderGlobals();
  StartDictionary(DictionaryKind::Reader, {[] { return reader::HtmlFileName.str(); },
                                           [] { return reader::WorkFileName.str(); }});
  reader::registerReaderProcedures(procedureRegistrar());
  fillEveryFile();
  const std::set<std::string> walked = walkEveryForm(answers);
  EXPECT_GE(walked.size(), 6u);
  closeProcedures();
  for (const std::string& n : registeredProcedures()) unregisterProcedure(n);
  StopDictionary();
}

}  // namespace
