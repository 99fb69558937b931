// The web page windows used one after another on one thread, as a user goes:
// the domain browse, its page browse, the page form and every window the form
// calls, with the record files read back after each step.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "guitest.h"
#include "records/register.h"
#include "rowclick.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/report/pagemodel.h"
#include "runtime/report/preview.h"
#include "runtime/store/thread.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/window.h"
#include "runtime/values/fsutil.h"
#include "utf8check.h"
#include "webdata/details/register.h"
#include "webdata/pages/pagebrowse.h"
#include "webdata/pages/pageform.h"
#include "webdata/pages/register.h"
#include "webdata/reports/register.h"
#include "webdata/views/register.h"

namespace fs = std::filesystem;
using namespace qm;
using namespace qm::webpages;
using namespace qmtest;

namespace {

using Strings = std::vector<std::string>;

// Every record of every file a page's journey may touch, as stored.
using Snapshot = std::map<FileId, std::vector<RecordBuffer>>;
const FileId kDetailFiles[] = {FileId::WPLinks, FileId::WPIMG, FileId::WPMeta, FileId::WPScripts,
                               FileId::WPForm};

std::string shown(WindowProcedure* p, const std::string& id) {
  QWidget* w = widgetOf(p, id);
  if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
  if (auto* c = qobject_cast<QComboBox*>(w)) return c->currentText().toStdString();
  return "?";
}

// Clicks into the entry, types over it and leaves it with Tab.
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

void clickInto(WindowProcedure* p, const std::string& id) {
  QWidget* w = widgetOf(p, id);
  showTabOf(w);
  QTest::mouseClick(w, Qt::LeftButton);
  pump();
}

// The domain list as the keyboard picks: the first letter of the domain.
void pickDomain(WindowProcedure* form, const std::string& domain) {
  auto* box = qobject_cast<QComboBox*>(widgetOf(form, "?WEB:DOMAINNAME"));
  ASSERT_NE(box, nullptr);
  showTabOf(box);
  box->setFocus();
  QTest::qWait(QApplication::keyboardInputInterval() +
               20);  // a new search, not the last one's continuation
  QTest::keyClicks(box, QString::fromStdString(domain.substr(0, 1)));
  pump();
  ASSERT_EQ(box->currentText().toStdString(), domain);
}

// Clicks the first row whose fields hold the values.
void clickRow(BrowseProcedure* b, const Fields& match) {
  ASSERT_TRUE(clickRowWhere(*b, match)) << "no row " << match[0].second;
  pump();
  ASSERT_NE(b->list().current(), nullptr);
}

Strings column(BrowseProcedure* b, const char* field) {
  Strings v;
  for (const Row& r : b->list().rows()) v.push_back(r.record.text(field));
  return v;
}

struct PageJourneys : GuiTest {
  std::vector<std::shared_ptr<const PageModel>> previews;
  int thread = 0;

  void beforeDictionary() override {
    initGlobals();
    setQueryFilter("");
  }
  void SetUp() override {
    GuiTest::SetUp();
    registerRecordProcedures();
    const ProcedureRegistrar reg = [](std::string n, int stack, ProcedureFactory f) {
      registerProcedure(std::move(n), std::move(f), stack);
    };
    registerWebPageProcedures(reg, mainWebContext());
    details::registerDetailProcedures(reg, mainWebContext());
    webreports::registerWebReportProcedures(reg, mainWebContext());
    webviews::registerWebViewProcedures(reg, mainWebContext());
    setPreviewOpener([this](std::shared_ptr<const PageModel> pages, std::function<void()> closed) {
      previews.push_back(std::move(pages));
      closed();
    });

    for (const char* d : {"a", "b", "c"}) {
      const std::string dom = std::string(d) + ".com";
      add(FileId::Domains, {{"DOM:DOMAINNAME", dom},
                            {"DOM:DEFAULTLOCALDIR", std::string("site_") + d},
                            {"DOM:DEFAULTWEBPATH", "http://www." + dom}});
      ASSERT_EQ(::mkdir((std::string("site_") + d).c_str(), 0755), 0);
    }
    page("a.com", "index.htm", {{"WEB:DATA1", "Y"}, {"WEB:DATA3", "Y"}});
    page("b.com", "index.htm");
    page("b.com", "about.htm");
    page("c.com", "other.htm", {{"WEB:USENOW", "Y"}});
    // Detail records already there, one page each.
    for (const char* p : {"http://www.a.com/index.htm", "http://www.b.com/about.htm"}) {
      add(FileId::WPLinks,
          {{"WPL:WEBPAGEPATHNAME", p}, {"WPL:WEBPAGELINK", std::string(p) + "#top"}});
      add(FileId::WPMeta, {{"WPM:WEBPAGEPATH", p}, {"WPM:METANAME", "author"}});
    }
    std::ofstream("site_b/index.htm")
        << "<html><head><title>Bee home</title>\n"
        << "<meta name=\"keywords\" content=\"bees\">\n"
        << "<script>var hive;</script></head>\n"
        << "<body><a href=\"about.htm\">about</a><img src=\"bee.png\">\n"
        << "<form action=\"/go\"><input name=\"q\"></form></body></html>\n";
  }
  void TearDown() override {
    closeProcedures();
    setPreviewOpener({});
    setPageFileChooser({});
    expectRecordFilesHoldUtf8();
    GuiTest::TearDown();
  }

  static void page(const std::string& domain, const std::string& name, Fields more = {}) {
    const char* d = domain.substr(0, 1) == "a" ? "a" : domain.substr(0, 1) == "b" ? "b" : "c";
    Fields f{{"WEB:DOMAINNAME", domain},
             {"WEB:PAGENAME", name},
             {"WEB:PAGEPATH", "http://www." + domain + "/" + name},
             {"WEB:LOCALPATH", std::string("site_") + d + "/" + name},
             {"WEB:LOCALDEFAULTDIRECTORY", std::string("site_") + d}};
    f.insert(f.end(), more.begin(), more.end());
    add(FileId::WebPages, f);
  }
  static RecordBuffer stored(const std::string& domain, const std::string& name) {
    for (const RecordBuffer& r : all(FileId::WebPages))
      if (r.text("WEB:DOMAINNAME") == domain && r.text("WEB:PAGENAME") == name) return r;
    ADD_FAILURE() << "no page " << domain << " " << name;
    return RecordBuffer(access(FileId::WebPages).def());
  }
  static Snapshot snapshot() {
    Snapshot s;
    s[FileId::WebPages] = all(FileId::WebPages);
    for (FileId id : kDetailFiles) s[id] = all(id);
    return s;
  }
  Strings asked() const {
    Strings v;
    for (const auto& a : answers.asked) v.push_back(a.caption + ": " + a.text);
    return v;
  }
  Strings printedTexts() const {
    Strings out;
    for (const auto& p : previews)
      for (int i = 0; i < p->pageCount(); ++i)
        for (const auto& t : p->texts(i)) out.push_back(t);
    return out;
  }

  WindowProcedure* top() const { return topProcedure(thread); }
  UpdateWebPages* form() const { return dynamic_cast<UpdateWebPages*>(top()); }

  // Main Work Area: By Domain, the domain highlighted, "Web Pages".
  BrowseWebPages* pagesOf(const std::string& domain) {
    auto* d = start<BrowseProcedure>("BrowseDomains", &thread);
    if (!d) return nullptr;
    clickRow(d, {{"DOM:DOMAINNAME", domain}});
    click(d, "?WebPages");
    return dynamic_cast<BrowseWebPages*>(top());
  }
  // Change on the page's row of the page browse's tab.
  UpdateWebPages* change(BrowseWebPages* b, const std::string& domain, const std::string& name) {
    clickRow(b, {{"WEB:DOMAINNAME", domain}, {"WEB:PAGENAME", name}});
    click(b, "?Change");
    return form();
  }
  // "Select WebPages" in the detail browse on top, the page's row, "Select".
  void selectPage(const std::string& domain, const std::string& name) {
    WindowProcedure* detail = top();
    click(detail, "?SelectPage");
    auto* list = dynamic_cast<BrowseProcedure*>(top());
    ASSERT_NE(list, detail);
    ASSERT_EQ(list->name(), "SelectWebPages");
    clickRow(list, {{"WEB:DOMAINNAME", domain}, {"WEB:PAGENAME", name}});
    click(list, "?Select");
    ASSERT_EQ(top(), detail);
  }
};

// A local path of 150 characters typed into the page form is taken whole:
// Auto Read finds the file (a Windows-1252 page) and OK stores the path, the
// title and the page name, each cut between characters.
TEST_F(PageJourneys, ATypedLongLocalPathIsReadAndStoredWhole) {
  std::string dir = "site_a";
  while (QString::fromStdString(dir).size() < 130)
    dir += "/Verzeichnis-\xC3\xA4\xC3\xB6\xC3\xBC-\xD1\x91\xD0\xB6";
  fs::create_directories(dir);
  const std::string path = dir +
                           "/Stra\xC3\x9F"
                           "e-Seite.htm";
  ASSERT_GE(QString::fromStdString(path).size(), 150);
  std::ofstream(path, std::ios::binary) << "<title>Gr\xFC\xDF"
                                           "e \x96 \x93Test\x94</title>\n";

  BrowseWebPages* b = pagesOf("a.com");
  ASSERT_NE(b, nullptr);
  ASSERT_NE(change(b, "a.com", "index.htm"), nullptr);
  // Typed key by key into the entry the click gave the focus; the keys carry
  // letters no US keyboard has, as a user's layout gives them.
  clickInto(form(), "?WEB:LOCALPATH");
  QWidget* typing = QApplication::focusWidget();
  ASSERT_NE(typing, nullptr);
  QTest::keyClick(typing, Qt::Key_A, Qt::ControlModifier);
  for (const QChar ch : QString::fromStdString(path)) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(typing, &press);
  }
  QTest::keyClick(typing, Qt::Key_Tab);
  pump();
  EXPECT_EQ(shown(form(), "?WEB:LOCALPATH"), path);
  answers.asked.clear();
  click(form(), "?AutoRead");
  EXPECT_EQ(asked().back(), "Parse HTML File: HTML file read done.");
  for (const std::string& a : asked()) EXPECT_EQ(a.find("File not found"), std::string::npos);
  click(form(), "?OK");
  ASSERT_EQ(top(), b);
  int found = 0;
  for (const RecordBuffer& r : all(FileId::WebPages)) {
    if (r.text("WEB:LOCALPATH") != path) continue;
    ++found;
    EXPECT_EQ(r.text("WEB:HTMLPAGETITLE"),
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x80\x93 \xE2\x80\x9CTest\xE2\x80\x9D");
    EXPECT_EQ(QString::fromStdString(r.text("WEB:PAGENAME")).size(), 20);
  }
  EXPECT_EQ(found, 1);
}

// A page added under another domain, then pages of the first domain changed
// and added: each keeps to its own domain's paths and directory.
TEST_F(PageJourneys, EachPageTakesItsPathsFromItsOwnDomain) {
  BrowseWebPages* b = pagesOf("a.com");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(column(b, "WEB:PAGENAME"), Strings{"index.htm"});

  click(b, "?Insert");
  ASSERT_NE(form(), nullptr);
  pickDomain(form(), "b.com");
  typeAndTab(form(), "?WEB:LOCALPATH", "site_b/new.htm");
  click(form(), "?OK");
  ASSERT_EQ(top(), b);
  EXPECT_EQ(stored("b.com", "new.htm").text("WEB:PAGEPATH"), "http://www.b.com/new.htm");
  EXPECT_EQ(stored("b.com", "new.htm").text("WEB:LOCALDEFAULTDIRECTORY"), "site_b");
  // The first tab still lists the domain the browse was opened for.
  EXPECT_EQ(column(b, "WEB:DOMAINNAME"), Strings{"a.com"});

  // a.com's page on the second tab: its paths stay under a.com.
  qobject_cast<QTabWidget*>(widgetOf(b, "?Sheet"))->setCurrentIndex(1);
  pump();
  ASSERT_NE(change(b, "a.com", "index.htm"), nullptr);
  EXPECT_EQ(shown(form(), "?WEB:DOMAINNAME"), "a.com");
  clickInto(form(), "?WEB:LOCALPATH");
  EXPECT_EQ(shown(form(), "?WEB:PAGEPATH"), "http://www.a.com/index.htm");
  clickInto(form(), "?WEB:PAGEPATH");
  EXPECT_EQ(shown(form(), "?WEB:PAGEPATH"), "http://www.a.com/index.htm");
  const Snapshot details = snapshot();
  click(form(), "?OK");
  ASSERT_EQ(top(), b);
  EXPECT_EQ(stored("a.com", "index.htm").text("WEB:PAGEPATH"), "http://www.a.com/index.htm");
  for (FileId id : kDetailFiles) EXPECT_EQ(all(id), details.at(id)) << static_cast<int>(id);

  // Typed in on the first tab with the domain shown, not picked again: the
  // domain's directory, the whole relative path in the address.
  std::ofstream("site_a/typed-page-with-a-long-name.htm")
      << "<html><body><img src=\"logo.png\"></body></html>\n";
  std::ofstream("site_a/logo.png") << "png";
  qobject_cast<QTabWidget*>(widgetOf(b, "?Sheet"))->setCurrentIndex(0);
  pump();
  click(b, "?Insert");
  ASSERT_NE(form(), nullptr);
  EXPECT_EQ(shown(form(), "?WEB:DOMAINNAME"), "a.com");
  typeAndTab(form(), "?WEB:LOCALPATH", "site_a/typed-page-with-a-long-name.htm");
  EXPECT_EQ(shown(form(), "?WEB:PAGENAME"), "typed-page-with-a-lo");
  clickInto(form(), "?WEB:PAGEPATH");
  EXPECT_EQ(shown(form(), "?WEB:PAGEPATH"), "http://www.a.com/typed-page-with-a-long-name.htm");
  click(form(), "?AutoRead");
  click(form(), "?OK");
  ASSERT_EQ(top(), b);
  const RecordBuffer typed = stored("a.com", "typed-page-with-a-lo");
  EXPECT_EQ(typed.text("WEB:PAGEPATH"), "http://www.a.com/typed-page-with-a-long-name.htm");
  EXPECT_EQ(typed.text("WEB:LOCALDEFAULTDIRECTORY"), "site_a");
  Strings images;
  for (const RecordBuffer& r : all(FileId::WPIMG)) images.push_back(r.text("WPI:IMAGEPATH"));
  ASSERT_EQ(images.size(), 1u);
  EXPECT_TRUE(fileExists(normalizePath(images[0]))) << images[0];
  EXPECT_EQ(column(b, "WEB:PAGENAME"), (Strings{"index.htm", "typed-page-with-a-lo"}));
}

// The import's results survive a visit to the meta tags of another page.
TEST_F(PageJourneys, SelectWebPagesInADetailBrowseLeavesTheFormsPageAlone) {
  BrowseWebPages* b = pagesOf("b.com");
  ASSERT_NE(b, nullptr);
  struct Case {
    const char* domain;
    const char* name;
  };
  for (const Case& c : {Case{"b.com", "about.htm"}, Case{"c.com", "other.htm"}}) {
    SCOPED_TRACE(c.name);
    const RecordBuffer chosen = stored(c.domain, c.name);
    ASSERT_NE(change(b, "b.com", "index.htm"), nullptr);
    click(form(), "?AutoRead");
    ASSERT_EQ(shown(form(), "?WEB:HTMLPAGETITLE"), "Bee home");
    click(form(), "?ViewMeta");
    ASSERT_EQ(top()->name(), "BrowseMeta");
    selectPage(c.domain, c.name);
    click(top(), "?Close");
    ASSERT_NE(form(), nullptr);
    EXPECT_EQ(shown(form(), "?WEB:PAGENAME"), "index.htm");
    EXPECT_EQ(shown(form(), "?WEB:HTMLPAGETITLE"), "Bee home");
    click(form(), "?OK");
    ASSERT_EQ(top(), b);
    const RecordBuffer saved = stored("b.com", "index.htm");
    EXPECT_EQ(saved.text("WEB:HTMLPAGETITLE"), "Bee home");
    EXPECT_EQ(saved.text("WEB:PAGEPATH"), "http://www.b.com/index.htm");
    EXPECT_NE(saved.text("WEB:FILESIZE"), "0");
    EXPECT_FALSE(saved.text("WEB:FILEDATETIME").empty());
    for (const char* mark : {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4", "WEB:DATA5"})
      EXPECT_EQ(saved.text(mark), "Y") << mark;
    EXPECT_TRUE(stored(c.domain, c.name) == chosen);
    EXPECT_EQ(all(FileId::WebPages).size(), 4u);
  }

  // Nothing changed on the form: Cancel after the visit asks nothing.
  answers.asked.clear();
  ASSERT_NE(change(b, "b.com", "index.htm"), nullptr);
  click(form(), "?ViewMeta");
  selectPage("b.com", "about.htm");
  click(top(), "?Close");
  click(form(), "?Cancel");
  EXPECT_EQ(top(), b);
  EXPECT_EQ(asked(), Strings{});
}

// A listing asked for by a page's links prints with no filter of its own,
// whatever filter a cross-reference view printed with before.
TEST_F(PageJourneys, AListingPrintsWithTheFilterOfTheWindowThatAskedForIt) {
  add(FileId::WPScripts, {{"WPS:WEBPAGEPATHNAME", "http://www.b.com/index.htm"},
                          {"WPS:DOMAINNAME", "b.com"},
                          {"WPS:SCRIPTLINE1", "var hive;"}});
  int viewThread = 0;
  auto* v = start<BrowseProcedure>("viewscripts", &viewThread);
  ASSERT_NE(v, nullptr);
  click(v, "?Find");
  WindowProcedure* q = topProcedure(viewThread);
  ASSERT_NE(q, v);
  qobject_cast<QLineEdit*>(widgetOf(q, "?Value1"))->setText("b.com");
  click(q, "?OK");
  ASSERT_EQ(topProcedure(viewThread), v);
  widgetOf(v, "?Print")->setFocus();
  click(v, "?Print");
  ASSERT_TRUE(QTest::qWaitFor([&] { return previews.size() == 1u; }));
  pump();
  EXPECT_EQ(QueryFilter, v->view().filterText());

  BrowseWebPages* b = pagesOf("a.com");
  ASSERT_NE(b, nullptr);
  ASSERT_NE(change(b, "a.com", "index.htm"), nullptr);
  answers.asked.clear();
  click(form(), "?ViewLinks");
  ASSERT_EQ(top()->name(), "BrowseLinks");
  click(top(), "?Print");
  ASSERT_TRUE(QTest::qWaitFor([&] { return previews.size() == 2u; }));
  pump();
  EXPECT_EQ(asked(), Strings{});
  previews.erase(previews.begin());
  const Strings printed = printedTexts();
  EXPECT_NE(std::find(printed.begin(), printed.end(), "http://www.a.com/index.htm#top"),
            printed.end());
}

// The page form through every window it can call, then OK, then again with
// Cancel: the stored page, the other pages and the detail files stay as the
// form and its import left them, and an unchanged form asks nothing.
TEST_F(PageJourneys, ThePageFormWalksThroughEveryWindowItCalls) {
  BrowseWebPages* b = pagesOf("b.com");
  ASSERT_NE(b, nullptr);
  ASSERT_NE(change(b, "b.com", "index.htm"), nullptr);
  click(form(), "?AutoRead");  // finds data of all five kinds
  click(form(), "?OK");
  ASSERT_EQ(top(), b);
  setPageFileChooser([](QWidget*, const PageFileDialog&) { return Strings{"site_b/index.htm"}; });

  // A detail browse: its first row viewed and left, another page chosen
  // where the browse offers it, closed.
  auto detail = [this](const char* button, const char* browse, bool choose) {
    return [=, this] {
      click(form(), button);
      ASSERT_EQ(top()->name(), browse);
      auto* list = dynamic_cast<BrowseProcedure*>(top());
      ASSERT_FALSE(list->list().rows().empty());
      click(list, "?Change");
      ASSERT_NE(top(), list);
      click(top(), "?Cancel");
      ASSERT_EQ(top(), list);
      if (choose) selectPage("c.com", "other.htm");
      click(list, "?Close");
    };
  };
  struct Step {
    const char* what;
    std::function<void()> visit;
  };
  const Step steps[] = {
      {"links", detail("?ViewLinks", "BrowseLinks", false)},
      {"images", detail("?ViewImages", "BrowseImages", false)},
      {"meta tags", detail("?ViewMeta", "BrowseMeta", true)},
      {"scripts", detail("?ViewScripts", "browsescripts", true)},
      {"forms", detail("?ViewForms", "browseforms", true)},
      {"domain list", [this] { pickDomain(form(), "c.com"), pickDomain(form(), "b.com"); }},
      {"file lookup", [this] { click(form(), "?FileLookup"); }},
  };
  for (const Step& step : steps)
    for (const char* close : {"?OK", "?Cancel"}) {
      SCOPED_TRACE(std::string(step.what) + " " + close);
      const Snapshot before = snapshot();
      ASSERT_NE(change(b, "b.com", "index.htm"), nullptr);
      step.visit();
      ASSERT_NE(form(), nullptr);
      EXPECT_EQ(shown(form(), "?WEB:PAGENAME"), "index.htm");
      EXPECT_EQ(shown(form(), "?WEB:HTMLPAGETITLE"), "Bee home");
      answers.asked.clear();
      click(form(), close);
      ASSERT_EQ(top(), b);
      EXPECT_EQ(asked(), Strings{});
      const Snapshot after = snapshot();
      for (const auto& [id, records] : before)
        EXPECT_TRUE(after.at(id) == records) << "file " << static_cast<int>(id);
      EXPECT_EQ(stored("b.com", "index.htm").text("WEB:DATA5"), "Y");
    }
}

}  // namespace
