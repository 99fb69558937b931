// The web page browse, form, selection list, delete-by-domain tool and key
// rebuild, driven through their own windows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <fstream>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "guitest.h"
#include "keys.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/store/thread.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/window.h"
#include "runtime/view/fieldvalue.h"
#include "webdata/pages/delpages.h"
#include "webdata/pages/pagebrowse.h"
#include "webdata/pages/pageform.h"
#include "webdata/pages/pathrules.h"
#include "webdata/pages/register.h"

using namespace qm;
using namespace qm::webpages;
using namespace qmtest;

namespace {

QString shown(WindowProcedure* p, const std::string& id) {
  QWidget* w = widgetOf(p, id);
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
  if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
  return "?";
}

void focus(WindowProcedure* p, const std::string& id) {
  QWidget* w = widgetOf(p, id);
  showTabOf(w);
  w->setFocus();
  pump();
}

// Settles after focusing and after accepting, unlike the shared typeInto.
void typeInto(WindowProcedure* p, const std::string& id, const QString& text) {
  auto* e = qobject_cast<QLineEdit*>(widgetOf(p, id));
  ASSERT_NE(e, nullptr) << id;
  focus(p, id);
  e->clear();
  QTest::keyClicks(e, text);
  qmtest::leaveWithTab(e);  // accepts
  pump();
}

bool enabled(WindowProcedure* p, const std::string& id) { return widgetOf(p, id)->isEnabled(); }

struct WebPagesTest : GuiTest {
  std::vector<std::string> opened;
  std::vector<std::vector<std::string>> started;
  UrlOpener urlBefore;
  ProcessStarter startBefore;

  void beforeDictionary() override { initGlobals(); }
  void SetUp() override {
    GuiTest::SetUp();
    registerWebPageProcedures(
        [](std::string name, int stack, ProcedureFactory f) {
          registerProcedure(std::move(name), std::move(f), stack);
        },
        mainWebContext());
    urlBefore = setUrlOpener([this](const QUrl& u) {
      opened.push_back(u.toString().toStdString());
      return true;
    });
    startBefore =
        setProcessStarter([this](const std::string& program, const std::vector<std::string>& args) {
          std::vector<std::string> line{program};
          line.insert(line.end(), args.begin(), args.end());
          started.push_back(line);
          return true;
        });
  }
  void TearDown() override {
    closeProcedures();
    setUrlOpener(urlBefore);
    setProcessStarter(startBefore);
    setPageFileChooser({});
    GuiTest::TearDown();
  }

  std::vector<std::string> texts(FileId id, const char* field) {
    std::vector<std::string> v;
    for (auto& r : all(id)) v.push_back(r.text(field));
    return v;
  }
  std::vector<std::string> asked() const {
    std::vector<std::string> v;
    for (auto& a : answers.asked) v.push_back(a.caption + ": " + a.text);
    return v;
  }
  // Runs the procedure on thread 1, the domain `domain` in its buffer.
  template <class P>
  P* run(ProcedureFactory f, const std::string& domain, int request = 0, int* response = nullptr) {
    {
      ThreadScope t(1);
      FileManager& d = access(FileId::Domains);
      d.buffer().clear();
      d.buffer().setText("DOM:DOMAINNAME", domain);
      d.open();
      d.file().fetch(d.def().keyIndex("DOM:NAME"));
      d.close();
    }
    runProcedure(1, std::move(f), request, [response](int r) {
      if (response) *response = r;
    });
    pump();
    return dynamic_cast<P*>(topProcedure(1));
  }
  std::vector<std::string> column(BrowseProcedure* b, const char* field) {
    std::vector<std::string> v;
    for (const Row& r : b->list().rows()) v.push_back(r.record.text(field));
    return v;
  }
  UpdateWebPages* formOver(WindowProcedure* b) {
    return dynamic_cast<UpdateWebPages*>(topProcedure(b->threadId()));
  }
  void page(const std::string& domain, const std::string& name, const std::string& path,
            Fields more = {}) {
    Fields f{{"WEB:DOMAINNAME", domain}, {"WEB:PAGENAME", name}, {"WEB:PAGEPATH", path}};
    f.insert(f.end(), more.begin(), more.end());
    add(FileId::WebPages, f);
  }
};

// ---- derivation rules ----------------------------------------------------------------

TEST(PathRules, PageNameFromLocalPath) {
  struct Case {
    const char* local;
    const char* dir;
    const char* name;
  } cases[] = {
      {"D\\about.htm", "D", "about.htm"},
      {"C:\\Site\\sub\\a.htm", "c:\\site", "sub\\a.htm"},  // any letter case
      {"/home/u/site/a.htm", "/home/u/site/", "a.htm"},    // a trailing separator costs no letter
      {"C:\\elsewhere\\b.htm", "C:\\site", "b.htm"},       // outside the directory: the file's name
      {"C:\\sitemap\\c.htm", "C:\\site", "c.htm"},         // a longer directory is not the domain's
      {"x.htm", "", "x.htm"},
      {"D\\abcdefghijklmnopqrstuvwxyz.htm", "D", "abcdefghijklmnopqrst"},  // cut to 20
  };
  for (const Case& c : cases) EXPECT_EQ(pageNameFromLocalPath(c.local, c.dir), c.name) << c.local;
  EXPECT_EQ(pagePathFor("http://a.com  ", "b.htm  "), "http://a.com/b.htm");
  // The address takes the whole relative path while the name is its cut.
  struct PathCase {
    const char* name;
    const char* local;
    const char* path;
  } paths[] = {
      {"products/widget-larg", "D/products/widget-large-blue.htm",
       "http://a.com/products/widget-large-blue.htm"},
      {"about.htm", "D\\about.htm", "http://a.com/about.htm"},
      {"renamed.htm", "D/products/widget-large-blue.htm",
       "http://a.com/renamed.htm"},  // typed apart
      {"x.htm", "", "http://a.com/x.htm"},
  };
  for (const PathCase& c : paths)
    EXPECT_EQ(pagePathOf("http://a.com", c.name, c.local, "D"), c.path) << c.name;
  EXPECT_EQ(slashFirstBackslash("http://a.com/x\\y\\z.htm  "), "http://a.com/x/y\\z.htm");
}

// ---- browse --------------------------------------------------------------------------

TEST_F(WebPagesTest, BrowseListsTheDomainsPagesFirstAndEveryPageOnTheSecondTab) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"}});
  add(FileId::Domains, {{"DOM:DOMAINNAME", "c.com"}});
  page("b.com", "index.htm", "http://b.com/index.htm");
  page("a.com", "zeta.htm", "http://a.com/zeta.htm");
  page("a.com", "index.htm", "http://a.com/index.htm", {{"WEB:FILEDATETIME", "3/04/24 9:05AM"}});

  auto* b = run<BrowseWebPages>(makeBrowseWebPages, "a.com");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->outerWindow()->windowTitle(), "Browse the Web Pages File");
  EXPECT_TRUE(widgetOf(b, "?Select")->isHidden());
  EXPECT_EQ(column(b, "WEB:PAGENAME"), (std::vector<std::string>{"index.htm", "zeta.htm"}));
  EXPECT_EQ(b->table()->model()->headerData(8, Qt::Horizontal).toString(), "Update Date");
  EXPECT_EQ(b->table()->model()->index(0, 8).data().toString().trimmed(), "3/04/24 9:05AM");

  auto* sheet = qobject_cast<QTabWidget*>(widgetOf(b, "?Sheet"));
  sheet->setCurrentIndex(1);
  pump();
  EXPECT_EQ(column(b, "WEB:DOMAINNAME"), (std::vector<std::string>{"b.com", "a.com", "a.com"}));
  EXPECT_EQ(column(b, "WEB:PAGENAME"),
            (std::vector<std::string>{"index.htm", "index.htm", "zeta.htm"}));
  b->close(2);
  pump();

  b = run<BrowseWebPages>(makeBrowseWebPages, "c.com");
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->list().rows().empty());
  b->close(2);
  pump();
  EXPECT_TRUE(answers.asked.empty()) << asked()[0];
}

// ---- form ------------------------------------------------------------------------------

TEST_F(WebPagesTest, InsertDerivesTheNameAndPathsAndSavesOnePage) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"},
                        {"DOM:DEFAULTLOCALDIR", "site"},
                        {"DOM:DEFAULTWEBPATH", "http://a.com"}});
  auto* b = run<BrowseWebPages>(makeBrowseWebPages, "a.com");
  ASSERT_NE(b, nullptr);
  click(b, "?Insert");
  UpdateWebPages* f = formOver(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Record Will Be Added  (New)");
  EXPECT_EQ(shown(f, "?WEB:PAGENAME"), "");  // the numbering's "1" is not shown
  EXPECT_EQ(qobject_cast<QComboBox*>(widgetOf(f, "?WEB:DOMAINNAME"))->currentText(), "a.com");
  typeInto(f, "?WEB:LOCALPATH", "site\\sub\\about.htm");
  EXPECT_EQ(shown(f, "?WEB:PAGENAME"), "sub\\about.htm");
  EXPECT_EQ(shown(f, "?WEB:PAGEPATH"), "http://a.com/sub/about.htm");
  typeInto(f, "?WEB:AUTHOR", "Ann");
  QPointer<UpdateWebPages> saving = f;  // closing deletes the form
  click(f, "?OK");
  EXPECT_FALSE(saving && saving->isRunning() && topProcedure(1) == saving.data());
  ASSERT_EQ(all(FileId::WebPages).size(), 1u);
  RecordBuffer saved = all(FileId::WebPages)[0];
  EXPECT_EQ(saved.text("WEB:DOMAINNAME"), "a.com");
  EXPECT_EQ(saved.text("WEB:PAGEPATH"), "http://a.com/sub/about.htm");
  EXPECT_EQ(saved.text("WEB:AUTHOR"), "Ann");
  EXPECT_EQ(column(b, "WEB:PAGENAME"), std::vector<std::string>{"sub\\about.htm"});

  // A page named from its name alone gets both paths.
  click(b, "?Insert");
  f = formOver(b);
  ASSERT_NE(f, nullptr);
  typeInto(f, "?WEB:PAGENAME", "new.htm");
  EXPECT_EQ(shown(f, "?WEB:PAGEPATH"), "http://a.com/new.htm");
  EXPECT_EQ(shown(f, "?WEB:LOCALPATH"), "site/new.htm");
  answers.replies = {BtnYes};
  click(f, "?Cancel");
  EXPECT_EQ(all(FileId::WebPages).size(), 1u);  // nothing left of the cancelled page
  EXPECT_EQ(asked(),
            std::vector<std::string>{"Changes will be lost!: Are you sure you want to cancel?"});
}

TEST_F(WebPagesTest, DomainDirectoriesAreCheckedAndThePagePathRebuiltOnFocus) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"},
                        {"DOM:DEFAULTLOCALDIR", "site"},
                        {"DOM:DEFAULTWEBPATH", "http://a.com"}});
  add(FileId::Domains, {{"DOM:DOMAINNAME", "b.com"}, {"DOM:DEFAULTLOCALDIR", "bdir"}});
  add(FileId::Domains, {{"DOM:DOMAINNAME", "c.com"}});
  page("a.com", "x\\y\\z.htm", "old");
  auto* b = run<BrowseWebPages>(makeBrowseWebPages, "a.com");
  click(b, "?Change");
  UpdateWebPages* f = formOver(b);
  ASSERT_NE(f, nullptr);
  focus(f, "?WEB:PAGEPATH");
  EXPECT_EQ(shown(f, "?WEB:PAGEPATH"), "http://a.com/x/y\\z.htm");  // only the first backslash
  EXPECT_TRUE(answers.asked.empty());

  auto* box = qobject_cast<QComboBox*>(widgetOf(f, "?WEB:DOMAINNAME"));
  for (auto [domain, expected] :
       {std::pair<const char*, std::vector<std::string>>{
            "b.com",
            {"Domain Data Error: The default Web Path for this domain is blank. Please correct."}},
        {"c.com",
         {"Domain Data Error: The default local dir for this domain is blank. Please correct.",
          "Domain Data Error: The default Web Path for this domain is blank. Please correct."}}}) {
    answers.asked.clear();
    showTabOf(box);
    box->setCurrentIndex(box->findText(domain));
    emit box->activated(box->currentIndex());
    pump();
    EXPECT_EQ(asked(), expected) << domain;
  }
  answers.asked.clear();
  focus(f, "?WEB:LOCALPATH");  // the same checks on entering the local path
  EXPECT_EQ(answers.asked.size(), 2u);
  EXPECT_TRUE(f->isRunning());
  answers.asked.clear();
  click(f, "?OK");
  ASSERT_EQ(all(FileId::WebPages).size(), 1u);
  EXPECT_EQ(all(FileId::WebPages)[0].text("WEB:DOMAINNAME"), "c.com");
  EXPECT_EQ(all(FileId::WebPages)[0].text("WEB:LOCALDEFAULTDIRECTORY"), "");
}

TEST_F(WebPagesTest, ChangeTitleViewButtonsAndAutoRead) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"},
                        {"DOM:DEFAULTLOCALDIR", "site"},
                        {"DOM:DEFAULTWEBPATH", "http://a.com"}});
  ASSERT_EQ(::mkdir("site", 0755), 0);
  std::ofstream("site/about.htm") << "<html><head><title>About us</title></head>\n"
                                  << "<body><a href=\"next.htm\">next</a></body></html>\n";
  page("a.com", "about.htm", "http://a.com/about.htm",
       {{"WEB:LOCALPATH", "site/about.htm"}, {"WEB:DATA3", "Y"}});
  auto* b = run<BrowseWebPages>(makeBrowseWebPages, "a.com");
  click(b, "?Change");
  UpdateWebPages* f = formOver(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Record Will Be Changed  (about.htm           )");
  EXPECT_FALSE(enabled(f, "?ViewLinks"));
  EXPECT_TRUE(enabled(f, "?ViewMeta"));

  click(f, "?AutoRead");
  ASSERT_FALSE(answers.asked.empty());
  EXPECT_EQ(answers.asked.back().text, "HTML file read done.");
  EXPECT_TRUE(enabled(f, "?ViewLinks"));
  EXPECT_TRUE(enabled(f, "?ViewMeta"));  // once enabled it stays so
  EXPECT_EQ(shown(f, "?WEB:HTMLPAGETITLE"), "About us");
  EXPECT_EQ(texts(FileId::WPLinks, "WPL:WEBPAGELINK"), std::vector<std::string>{"next.htm"});

  // A called browse that is not built says so; the form goes on.
  answers.asked.clear();
  click(f, "?ViewLinks");
  EXPECT_EQ(asked(), std::vector<std::string>{
                         "Procedure not defined: The Procedure BrowseLinks has not been defined."});
  answers.replies = {BtnYes};
  click(f, "?Cancel");
  EXPECT_EQ(all(FileId::WebPages)[0].text("WEB:HTMLPAGETITLE"), "");  // not saved
  EXPECT_EQ(all(FileId::WPLinks).size(), 1u);                         // the import's records stay
}

// The editors really started: a recording program writes each argument it
// got on a line of its own.
TEST_F(WebPagesTest, EditorsGetThePagePathAsOneArgument) {
  const std::string dir = QDir::currentPath().toStdString();
  QDir().mkpath("my tools");
  QDir().mkpath("my site");
  const std::string recorder = dir + "/my tools/rec args";
  std::ofstream(recorder) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \""
                          << dir << "/args.tmp\"\nmv \"" << dir << "/args.tmp\" \"" << dir
                          << "/args.txt\"\n";
  ASSERT_EQ(::chmod(recorder.c_str(), 0755), 0);
  const std::string path = dir + "/my site/page one -rf.htm";
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"}, {"DOM:DEFAULTLOCALDIR", dir + "/my site"}});
  page("a.com", "a.htm", "http://a.com/a.htm", {{"WEB:LOCALPATH", path}});
  add(FileId::Editor, {{"EDI:MYEDITOR", "\"" + recorder + "\" --edit"}});
  controlPanel.txted = recorder;  // unquoted, blanks and all
  setProcessStarter({});
  auto argsOf = [&](const char* button, UpdateWebPages* f) {
    QFile::remove("args.txt");
    click(f, button);
    for (int i = 0; i < 200 && !QFile::exists("args.txt"); ++i) QTest::qWait(25);
    std::vector<std::string> args;
    std::ifstream in("args.txt");
    for (std::string line; std::getline(in, line);) args.push_back(line);
    return args;
  };
  auto* b = run<BrowseWebPages>(makeBrowseWebPages, "a.com");
  click(b, "?Change");
  UpdateWebPages* f = formOver(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(argsOf("?EditPage", f), (std::vector<std::string>{"--edit", path}));
  EXPECT_EQ(argsOf("?ViewSource", f), (std::vector<std::string>{path}));
}

TEST_F(WebPagesTest, OutsideProgramsAndTheFileLookup) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"},
                        {"DOM:DEFAULTLOCALDIR", "site"},
                        {"DOM:DEFAULTWEBPATH", "http://a.com"}});
  page("a.com", "a.htm", "http://a.com/a.htm", {{"WEB:LOCALPATH", "site/a.htm"}});
  std::ofstream("myedit") << "#!/bin/sh\n";
  ASSERT_EQ(::chmod("myedit", 0755), 0);
  auto* b = run<BrowseWebPages>(makeBrowseWebPages, "a.com");
  click(b, "?Change");
  UpdateWebPages* f = formOver(b);
  ASSERT_NE(f, nullptr);

  click(f, "?EditPage");  // no editor set up: nothing can start, nothing is said
  EXPECT_TRUE(started.empty());
  add(FileId::Editor, {{"EDI:MYEDITOR", "myedit"}});
  click(f, "?EditPage");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0].back(), "site/a.htm");
  EXPECT_EQ(controlPanel.html.str(), "myedit");
  controlPanel.txted = "myedit";
  click(f, "?ViewSource");
  ASSERT_EQ(started.size(), 2u);
  EXPECT_EQ(HtmlFileName.str(), "site/a.htm");
  click(f, "?Web");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "http://a.com/a.htm");
  QTest::mouseClick(widgetOf(f, "?PagePathRegion"), Qt::LeftButton);
  EXPECT_EQ(opened.size(), 2u);

  PageFileDialog asked;
  setPageFileChooser([&](QWidget*, const PageFileDialog& d) {
    asked = d;
    return std::vector<std::string>{"site/one.htm", "site/two.htm"};
  });
  click(f, "?FileLookup");
  EXPECT_EQ(asked.title, "Local Web Pages");
  EXPECT_EQ(asked.directory, "site");
  ASSERT_EQ(asked.types.size(), 2u);
  EXPECT_EQ(asked.types[0].second, "*.htm;*.html;*.shtml;*.ssi");
  EXPECT_EQ(shown(f, "?WEB:LOCALPATH"), "site/two.htm");
  EXPECT_EQ(shown(f, "?WEB:PAGENAME"), "two.htm");
  EXPECT_EQ(shown(f, "?WEB:PAGEPATH"), "http://a.com/two.htm");
  EXPECT_TRUE(answers.asked.empty());
}

// ---- selection list --------------------------------------------------------------------------

TEST_F(WebPagesTest, SelectionListReturnsThePickedPage) {
  page("b.com", "Zulu.htm", "http://b.com/z.htm");
  page("A.com", "beta.htm", "/same");
  page("a.com", "alpha.htm", "/same");
  int response = 0;
  auto* s = run<SelectWebPages>(makeSelectWebPages, "", SelectRecord, &response);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->outerWindow()->windowTitle(), "Select a WebPages Record");
  EXPECT_EQ(column(s, "WEB:PAGENAME"),
            (std::vector<std::string>{"alpha.htm", "beta.htm", "Zulu.htm"}));

  auto* sheet = qobject_cast<QTabWidget*>(widgetOf(s, "?Sheet"));
  sheet->setCurrentIndex(2);
  pump();
  QTest::keyClick(s->table(), Qt::Key_Z);
  pump();
  ASSERT_NE(s->list().current(), nullptr);
  EXPECT_EQ(s->list().current()->record.text("WEB:PAGENAME"), "Zulu.htm");
  sheet->setCurrentIndex(1);  // by path: both pages of "/same" show
  pump();
  EXPECT_EQ(column(s, "WEB:PAGEPATH"),
            (std::vector<std::string>{"/same", "/same", "http://b.com/z.htm"}));
  s->list().setSelected(1);
  const std::string chosen = s->list().current()->record.text("WEB:PAGENAME");
  click(s, "?Select");
  EXPECT_EQ(response, RequestCompleted);
  {
    ThreadScope t(1);
    EXPECT_EQ(access(FileId::WebPages).buffer().text("WEB:PAGENAME"), chosen);
    EXPECT_EQ(access(FileId::WebPages).buffer().text("WEB:PAGEPATH"), "/same");
  }
  s = run<SelectWebPages>(makeSelectWebPages, "", SelectRecord, &response);
  click(s, "?Close");
  EXPECT_EQ(response, RequestCancelled);
}

// ---- delete by domain, rebuild ----------------------------------------------------------------

TEST_F(WebPagesTest, DeletePagesByDomainRemovesThemWithTheirDetailRecords) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"}});
  page("a.com", "zeta.htm", "/a/zeta");
  page("a.com", "", "/a/blank");  // a nameless page goes like any other
  page("a.com", "alpha.htm", "/a/alpha");
  page("A.COM ", "other.htm", "/A/other");  // the same domain: keys ignore case and trailing blanks
  page("b.com", "index.htm", "/b/index");
  page("", "nameless.htm", "/nameless");  // a blank domain is deleted by nothing
  struct Detail {
    FileId id;
    const char* path;
    const char* other;
  };
  const Detail details[] = {{FileId::WPLinks, "WPL:WEBPAGEPATHNAME", "WPL:WEBPAGELINK"},
                            {FileId::WPScripts, "WPS:WEBPAGEPATHNAME", "WPS:SCRIPTLINE1"},
                            {FileId::WPForm, "WPF:WEBPAGEPATHNAME", "WPF:FORMLINE1"},
                            {FileId::WPIMG, "WPI:WEBPAGEPATHNAME", "WPI:WEBPAGEIMG"},
                            {FileId::WPMeta, "WPM:WEBPAGEPATH", "WPM:METANAME"}};
  for (const Detail& d : details)
    for (const char* p : {"/a/zeta", "/a/blank", "/a/alpha", "/A/other", "/b/index"})
      add(d.id, {{d.path, p}, {d.other, "x"}});

  const int th = startNamedProcedure("delpages", 0);
  pump();
  EXPECT_EQ(threadStackSize(th), 25000);
  WindowProcedure* w = topProcedure(th);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(enabled(w, "?Run"));
  typeInto(w, "?domainname", "");
  EXPECT_FALSE(enabled(w, "?Run"));
  typeInto(w, "?domainname", "a.com");
  EXPECT_TRUE(enabled(w, "?Run"));
  click(w, "?Run");
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(deletedPageCount(), 4);
  EXPECT_EQ(shown(w, "?Count").trimmed(), "4");
  EXPECT_EQ(shown(w, "?StatusText"), "Finished. Records deleted. Pages deleted: 4");
  EXPECT_EQ(texts(FileId::WebPages, "WEB:PAGEPATH"),
            (std::vector<std::string>{"/b/index", "/nameless"}));
  for (const Detail& d : details)
    EXPECT_EQ(texts(d.id, d.path), (std::vector<std::string>{"/b/index"})) << d.path;
  EXPECT_EQ(all(FileId::Domains).size(), 1u);

  // A domain without pages finds nothing; a cleared entry deletes nothing and says so.
  const struct {
    const char* domain;
    const char* status;
  } cases[] = {{"none.com", "Finished. Records deleted. Pages deleted: 0"},
               {"", "No domain name entered: no pages deleted."}};
  for (const auto& c : cases) {
    typeInto(w, "?domainname", c.domain);
    click(w, "?Run");
    EXPECT_EQ(shown(w, "?Count").trimmed(), "0");
    EXPECT_EQ(shown(w, "?StatusText"), c.status);
    EXPECT_EQ(all(FileId::WebPages).size(), 2u);
  }
}

TEST_F(WebPagesTest, RebuildOfThePageIndexesAsksNothing) {
  page("a.com", "a.htm", "/a");
  add(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", "/a"}});
  startNamedProcedure("RebuildWebPageIndexes", 0);
  pump();
  ASSERT_EQ(answers.asked.size(), 2u);
  EXPECT_EQ(answers.asked[0].caption, "");
  EXPECT_EQ(answers.asked[0].buttons, BtnOk);
  EXPECT_EQ(answers.asked[0].text,
            "This will rebuild indexes for the following files: |Web Pages|Meta "
            "Tags|Scripts|Images|Links|Forms|"
            "Press OK To Start");
  EXPECT_EQ(answers.asked[1].caption, "Finished");
  EXPECT_EQ(answers.asked[1].text, "Thanks for Waiting.|Press OK to Continue");
  EXPECT_TRUE(runningThreads().empty());
  EXPECT_EQ(all(FileId::WebPages).size(), 1u);
  EXPECT_EQ(all(FileId::WPLinks).size(), 1u);
}

}  // namespace
