// The quick view and the cross-reference views driven through their windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "guitest.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/store/thread.h"
#include "runtime/ui/form.h"
#include "runtime/ui/window.h"
#include "runtime/view/fieldvalue.h"
#include "webdata/views/crossref.h"
#include "webdata/views/quickview.h"
#include "webdata/views/register.h"

using namespace qm;
using namespace qm::webviews;
using namespace qmtest;

namespace {

// A stand-in for the detail forms and listings: notes what it was called
// with and what the caller left in the buffer, then completes.
struct Call {
  std::string name;
  int request;
  std::string buffered;
  std::string queryFilter;
};
std::vector<Call> calls;

struct Stub : WindowProcedure {
  Stub(std::string n, FileId f, std::string field)
      : WindowProcedure(std::move(n)), file(f), field(std::move(field)) {}
  void setup() override {
    calls.push_back(
        {name(), request(), field.empty() ? "" : access(file).buffer().text(field), QueryFilter});
    close(RequestCompleted);
  }
  FileId file;
  std::string field;
};

struct WebViewsTest : GuiTest {
  void beforeDictionary() override {
    calls.clear();
    setQueryFilter("");
  }
  void SetUp() override {
    GuiTest::SetUp();
    registerWebViewProcedures(
        [](std::string name, int stack, ProcedureFactory f) {
          registerProcedure(std::move(name), std::move(f), stack);
        },
        mainWebContext());
    struct S {
      const char* name;
      FileId file;
      const char* field;
    };
    for (S s : {S{"UpdateWPMeta", FileId::WPMeta, "WPM:METANAME"},
                S{"UpdateWPLinks", FileId::WPLinks, "WPL:WEBPAGELINK"},
                S{"UpdateWPForm", FileId::WPForm, "WPF:FORMLINE1"},
                S{"UpdateWPIMG", FileId::WPIMG, "WPI:WEBPAGEIMG"},
                S{"UpdateWPScripts", FileId::WPScripts, "WPS:SCRIPTLINE1"},
                S{"listimages", FileId::WPIMG, ""}, S{"listlinks", FileId::WPLinks, ""}})
      registerProcedure(s.name, [s] { return std::make_unique<Stub>(s.name, s.file, s.field); });
  }
  void addPage(const std::string& domain, const std::string& name, const std::string& path) {
    add(FileId::WebPages,
        {{"WEB:DOMAINNAME", domain}, {"WEB:PAGENAME", name}, {"WEB:PAGEPATH", path}});
  }
  template <class P>
  P* over(WindowProcedure* caller) {
    return dynamic_cast<P*>(topProcedure(caller->threadId()));
  }
  static std::vector<std::string> column(const PagedList& l, const char* field) {
    std::vector<std::string> v;
    for (const Row& r : l.rows()) v.push_back(r.record.text(field));
    return v;
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> v;
    for (auto& a : answers.asked) v.push_back(a.caption + ": " + a.text);
    return v;
  }
};

using Strings = std::vector<std::string>;

// ---- the quick view ------------------------------------------------------------

TEST_F(WebViewsTest, QuickViewListsEveryPageByNameAndRefusesInsertAndDelete) {
  int th = 0;
  auto* b = start<BrowseWebPages2>("BrowseWebPages2", &th);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(threadStackSize(th), 25000);
  EXPECT_EQ(b->outerWindow()->windowTitle(), "QuickView WebPages");
  EXPECT_TRUE(b->list().rows().empty());
  b->close(2);
  pump();

  addPage("b.com", "zeta", "/b/zeta");
  addPage("a.com", "Alpha", "/a/alpha");
  addPage("b.com", "beta", "/b/beta");
  b = start<BrowseWebPages2>("BrowseWebPages2");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(column(b->list(), "WEB:PAGENAME"), (Strings{"Alpha", "beta", "zeta"}));
  QTest::keyClick(b->table(), Qt::Key_Z);  // the step locator
  EXPECT_EQ(b->list().current()->record.text("WEB:PAGENAME"), "zeta");

  QTest::keyClick(b->table(), Qt::Key_Delete);
  QTest::keyClick(b->table(), Qt::Key_Insert);
  b->navigate(Nav::Insert);  // the toolbar
  pump();
  EXPECT_EQ(texts(), (Strings{"Error: You cannot delete a record from this screen.",
                              "Error: You cannot insert a record from this screen.",
                              "Error: You cannot insert a record from this screen."}));
  EXPECT_EQ(answers.asked[0].buttons, BtnOk);
  EXPECT_EQ(all(FileId::WebPages).size(), 3u);
  EXPECT_TRUE(b->isRunning());
  EXPECT_EQ(topProcedure(b->threadId()), b);  // no form was opened
}

TEST_F(WebViewsTest, ViewingFormShowsOnlyThePagesDetailsAndOpensThem) {
  addPage("a.com", "home", "/a/home");
  addPage("a.com", "other", "/a/other");
  add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", "/a/home"}, {"WPI:WEBPAGEIMG", "logo.gif"}});
  add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", "/a/home"}, {"WPI:WEBPAGEIMG", "back.jpg"}});
  add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", "/a/other"}, {"WPI:WEBPAGEIMG", "x.png"}});
  add(FileId::WPMeta, {{"WPM:WEBPAGEPATH", "/a/home"}, {"WPM:METANAME", "author"}});
  add(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", "/a/other"}, {"WPL:WEBPAGELINK", "http://x"}});

  auto* b = start<BrowseWebPages2>("BrowseWebPages2");
  ASSERT_NE(b, nullptr);
  click(b, "?View");
  auto* f = over<UpdateWebPages>(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Viewing a WebPages Record");
  EXPECT_EQ(column(f->detailList(4)->list(), "WPI:WEBPAGEIMG"), (Strings{"back.jpg", "logo.gif"}));
  EXPECT_EQ(column(f->detailList(1)->list(), "WPM:METANAME"), (Strings{"author"}));
  for (int n : {2, 3, 5}) EXPECT_TRUE(f->detailList(n)->list().rows().empty()) << n;

  // The step locator of the images list, then the detail form on that row.
  QTableView* images = f->detailList(4)->table();
  showTabOf(images);
  QTest::keyClick(images, Qt::Key_L);
  click(f, "?ViewDetail:4");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].name, "UpdateWPIMG");
  EXPECT_EQ(calls[0].request, ChangeRecord);
  EXPECT_EQ(calls[0].buffered, "logo.gif");
  EXPECT_TRUE(f->isRunning());
  click(f, "?Cancel");

  // The other page, by a double-click on its row: no images, one link.
  QTest::keyClick(b->table(), Qt::Key_Down);
  click(b, "?View");
  f = over<UpdateWebPages>(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(column(f->detailList(4)->list(), "WPI:WEBPAGEIMG"), (Strings{"x.png"}));
  EXPECT_EQ(column(f->detailList(2)->list(), "WPL:WEBPAGELINK"), (Strings{"http://x"}));
  EXPECT_TRUE(f->detailList(1)->list().rows().empty());
  EXPECT_TRUE(answers.asked.empty());
}

TEST_F(WebViewsTest, ViewingFormSavesOnOkAndLeavesWithoutAskingOnCancel) {
  addPage("a.com", "home", "/a/home");
  auto* b = start<BrowseWebPages2>("BrowseWebPages2");
  click(b, "?View");
  // Closing deletes the form: only the guarded pointer may be looked at after.
  QPointer<UpdateWebPages> f = over<UpdateWebPages>(b);
  ASSERT_TRUE(f);
  typeInto(f, "?WEB:AUTHOR", "Ann");
  click(f, "?Cancel");
  EXPECT_TRUE(!f || !f->isRunning());
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(all(FileId::WebPages)[0].text("WEB:AUTHOR"), "");

  click(b, "?View");
  f = over<UpdateWebPages>(b);
  ASSERT_TRUE(f);
  typeInto(f, "?WEB:AUTHOR", "Bob");
  click(f, "?OK");
  EXPECT_TRUE(!f || !f->isRunning());
  ASSERT_EQ(all(FileId::WebPages).size(), 1u);
  EXPECT_EQ(all(FileId::WebPages)[0].text("WEB:AUTHOR"), "Bob");
  EXPECT_TRUE(answers.asked.empty());
}

TEST_F(WebViewsTest, ViewingFormRefusesInsertAndDeleteRequests) {
  addPage("a.com", "home", "/a/home");
  struct Case {
    uint8_t request;
    const char* text;
  };
  for (Case c :
       {Case{InsertRecord, "Invalid Request: This form cannot be used to insert a record"},
        Case{DeleteRecord, "Invalid Request: This form cannot be used to delete a record"}}) {
    answers.asked.clear();
    RequestCode = c.request;
    int th = startProcedure("UpdateWebPages", 0, makeUpdateWebPages);
    pump();
    EXPECT_EQ(texts(), Strings{c.text});
    EXPECT_FALSE(threadRunning(th));
  }
  EXPECT_EQ(all(FileId::WebPages).size(), 1u);
}

TEST_F(WebViewsTest, OnlyTheNumberingPlaceholderIsRemovedWhenTheFormCloses) {
  // A page the user shortens to one letter without a domain is kept; the
  // record the numbering step leaves ("1", no domain) is removed.
  addPage("", "1", "");
  addPage("a.com", "home", "/a/home");
  auto* b = start<BrowseWebPages2>("BrowseWebPages2");
  ASSERT_EQ(column(b->list(), "WEB:PAGENAME"), (Strings{"1", "home"}));
  click(b, "?View");
  auto* f = over<UpdateWebPages>(b);
  ASSERT_NE(f, nullptr);
  click(f, "?Cancel");
  EXPECT_EQ(column(b->list(), "WEB:PAGENAME"), (Strings{"home"}));

  click(b, "?View");
  f = over<UpdateWebPages>(b);
  ASSERT_NE(f, nullptr);
  typeInto(f, "?WEB:DOMAINNAME", "");
  typeInto(f, "?WEB:PAGENAME", "h");
  click(f, "?OK");
  ASSERT_EQ(all(FileId::WebPages).size(), 1u);
  EXPECT_EQ(all(FileId::WebPages)[0].text("WEB:PAGENAME"), "h");
}

// ---- the cross-reference views ---------------------------------------------------

TEST(QueryFilterText, OneConditionPerFilledRowJoinedWithAnd) {
  struct Case {
    std::vector<QueryObject::Condition> rows;
    const char* filter;
  };
  const Case cases[] = {
      {{{"=", ""}, {"=", "  "}}, ""},
      {{{"=", "a.com"}, {"=", ""}}, "UPPER(WPI:DomainName) = 'A.COM'"},
      {{{"<>", "o'brien"}, {">=", "X"}},
       "UPPER(WPI:DomainName) <> 'O''BRIEN' AND UPPER(WPI:Page) >= 'X'"},
      {{{"Begins With", "ab"}, {"=", ""}},
       "(UPPER(WPI:DomainName) >= 'AB' AND UPPER(WPI:DomainName) < 'AC')"},
  };
  for (const Case& c : cases) {
    QueryObject q;
    q.addItem("UPPER(WPI:DomainName)", "Domain Name", "@s50");
    q.addItem("UPPER(WPI:Page)", "Page Name", "@s20");
    q.conditions() = c.rows;
    EXPECT_EQ(q.filter(), c.filter);
  }
}

TEST_F(WebViewsTest, PrintBeforeAnyQueryPrintsNothing) {
  add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", "/a"}, {"WPI:WEBPAGEIMG", "a.gif"}});
  int th = 0;
  auto* v = start<CrossRefView>("viewimages", &th);
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(threadStackSize(th), 25000);
  EXPECT_EQ(v->outerWindow()->windowTitle(), "Cross Reference: Images");
  setQueryFilter("UPPER(WPL:DomainName) = 'LEFT BY ANOTHER VIEW'");
  click(v, "?Print");
  EXPECT_EQ(texts(), Strings{": No query string to print, Please run query First."});
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(QueryFilter, "");
}

TEST_F(WebViewsTest, AQueryNarrowsTheListAndItsFilterIsPrinted) {
  add(FileId::WPLinks,
      {{"WPL:WEBPAGEPATHNAME", "/a/1"}, {"WPL:DOMAINNAME", "a.com"}, {"WPL:WEBPAGELINK", "x.htm"}});
  add(FileId::WPLinks,
      {{"WPL:WEBPAGEPATHNAME", "/b/1"}, {"WPL:DOMAINNAME", "b.com"}, {"WPL:WEBPAGELINK", "y.htm"}});
  add(FileId::WPLinks,
      {{"WPL:WEBPAGEPATHNAME", "/a/2"}, {"WPL:DOMAINNAME", "A.com"}, {"WPL:WEBPAGELINK", "z.htm"}});
  auto* v = start<CrossRefView>("viewlinks");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->list().rows().size(), 3u);

  click(v, "?Find");
  WindowProcedure* q = topProcedure(v->threadId());
  ASSERT_NE(q, v);
  EXPECT_EQ(q->outerWindow()->windowTitle(), "Make Selections (F1 for Help)");
  auto* op = qobject_cast<QComboBox*>(widgetOf(q, "?Operator1"));
  ASSERT_NE(op, nullptr);
  op->setCurrentIndex(op->findText("Begins With"));
  qobject_cast<QLineEdit*>(widgetOf(q, "?Value1"))->setText("a");  // typed, not yet left
  click(q, "?OK");
  EXPECT_EQ(topProcedure(v->threadId()), v);
  EXPECT_EQ(column(v->list(), "WPL:WEBPAGELINK"), (Strings{"x.htm", "z.htm"}));
  const std::string filter = "(UPPER(WPL:DomainName) >= 'A' AND UPPER(WPL:DomainName) < 'B')";
  EXPECT_EQ(v->view().filterText(), filter);

  // Reaching the button copies the filter; pressing it calls the listing.
  widgetOf(v, "?Print")->setFocus();
  pump();
  EXPECT_EQ(QueryFilter, filter);
  click(v, "?Print");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].name, "listlinks");
  EXPECT_EQ(calls[0].queryFilter, filter);

  // The highlighted link in its detail form.
  QTest::keyClick(v->table(), Qt::Key_Down);
  click(v, "?View");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].name, "UpdateWPLinks");
  EXPECT_EQ(calls[1].request, ChangeRecord);
  EXPECT_EQ(calls[1].buffered, "z.htm");
  EXPECT_TRUE(answers.asked.empty());
}

TEST_F(WebViewsTest, SelectionsAreSavedLoadedAndTheLastOneComesBack) {
  auto* v = start<CrossRefView>("viewmeta");
  ASSERT_NE(v, nullptr);
  click(v, "?Find");
  WindowProcedure* q = topProcedure(v->threadId());
  typeInto(q, "?Value3", "keywords");
  typeInto(q, "?Name", "Keys");
  click(q, "?Save");
  click(q, "?Clear");
  EXPECT_EQ(v->query().filter(), "");
  click(q, "?Load");
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(q, "?Value3"))->text(), "keywords");
  click(q, "?OK");
  EXPECT_EQ(v->view().filterText(), "UPPER(WPM:MetaName) = 'KEYWORDS'");
  v->close(2);
  pump();

  // A new view: the saved name is listed and the last rows are shown again,
  // but no query is in force until OK.
  v = start<CrossRefView>("viewmeta");
  EXPECT_EQ(v->view().filterText(), "");
  EXPECT_EQ(v->query().savedNames(), Strings{"Keys"});
  click(v, "?Find");
  q = topProcedure(v->threadId());
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(q, "?Value3"))->text(), "keywords");
  click(q, "?Cancel");
  EXPECT_EQ(v->view().filterText(), "");

  // A saved column the view no longer has is dropped with a message.
  ASSERT_TRUE(settings().write("viewmeta:Keys:Query", "Expression2", "UPPER(WPM:Gone)"));
  EXPECT_TRUE(v->query().load("Keys"));
  EXPECT_EQ(
      texts(),
      Strings{"Unsupported QBE Column: The saved QBE column, UPPER(WPM:Gone) is not supported. It "
              "will be dropped from the query."});
  EXPECT_EQ(v->query().filter(), "UPPER(WPM:MetaName) = 'KEYWORDS'");
}

TEST_F(WebViewsTest, EachViewsControlsFollowItsOrder) {
  // viewforms: the find button first, the print button last.
  struct Case {
    const char* view;
    const char* first;
    const char* last;
  };
  for (Case c : {Case{"viewforms", "?Find", "?Print"}, Case{"viewimages", "?Browse:1", "?Help"},
                 Case{"viewscripts", "?Browse:1", "?Help"}}) {
    auto* v = start<CrossRefView>(c.view);
    ASSERT_NE(v, nullptr) << c.view;
    std::vector<std::string> chain;
    QWidget* start = v->window();
    for (QWidget* w = start->nextInFocusChain(); w && w != start; w = w->nextInFocusChain())
      if (Control* ctl = v->built()->byWidget(w); ctl && !ctl->id().empty() &&
                                                  ctl->kind() != Kind::Tab &&
                                                  (chain.empty() || chain.back() != ctl->id()))
        chain.push_back(ctl->id());
    ASSERT_FALSE(chain.empty());
    EXPECT_EQ(chain.front(), c.first) << c.view;
    EXPECT_EQ(chain.back(), c.last) << c.view;
    v->close(2);
    pump();
  }
}

}  // namespace
