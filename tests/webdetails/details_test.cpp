// The page detail browses and forms driven through their own windows.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "guitest.h"
#include "keys.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/store/thread.h"
#include "runtime/ui/window.h"
#include "runtime/view/fieldvalue.h"
#include "webdata/details/browses.h"
#include "webdata/details/forms.h"
#include "webdata/details/register.h"

using namespace qm;
using namespace qm::details;
using namespace qmtest;

namespace {

QLineEdit* entry(WindowProcedure* p, const std::string& id) {
  return qobject_cast<QLineEdit*>(widgetOf(p, id));
}

// Types over the selection and may leave the entry unaccepted, unlike the shared typeInto.
void typeInto(WindowProcedure* p, const std::string& id, const QString& text, bool accept = true) {
  QLineEdit* e = entry(p, id);
  ASSERT_NE(e, nullptr) << id;
  showTabOf(e);
  e->setFocus();
  e->selectAll();
  QTest::keyClicks(e, text);
  if (accept) qmtest::leaveWithTab(e);
}

// A windowless stand-in for a procedure built elsewhere: records what it
// found and answers as told.
struct Seen {
  int calls = 0;
  int request = -1;
  std::string detail;  // a field of the caller's detail buffer
  std::string imagePath;
};

class StandIn : public WindowProcedure {
 public:
  StandIn(std::string name, Seen& seen, std::function<int()> act)
      : WindowProcedure(std::move(name)), seen_(seen), act_(std::move(act)) {}

 protected:
  void setup() override {
    ++seen_.calls;
    seen_.request = request();
    int r = act_ ? act_() : RequestCompleted;
    close(r);
  }

 private:
  Seen& seen_;
  std::function<int()> act_;
};

struct DetailsTest : GuiTest {
  std::vector<std::string> opened;
  UrlOpener before;

  void beforeDictionary() override { initGlobals(); }
  void SetUp() override {
    GuiTest::SetUp();
    registerDetailProcedures(
        [](std::string n, int stack, ProcedureFactory f) {
          EXPECT_EQ(stack, 0) << n;
          registerProcedure(std::move(n), std::move(f), stack);
        },
        mainWebContext());
    before = setUrlOpener([this](const QUrl& u) {
      opened.push_back(u.toString().toStdString());
      return true;
    });
    ThreadScope t(1);
    ASSERT_EQ(access(FileId::WebPages).open(), 0);
  }
  void TearDown() override {
    closeProcedures();
    {
      ThreadScope t(1);
      access(FileId::WebPages).close();
    }
    for (const char* n : {"SelectWebPages", "listlinks2", "PrintImage"}) unregisterProcedure(n);
    setUrlOpener(before);
    GuiTest::TearDown();
  }

  // The page the calling web page form holds.
  void currentPage(const std::string& path) {
    ThreadScope t(1);
    access(FileId::WebPages).buffer().clear();
    access(FileId::WebPages).buffer().setText("WEB:PAGEPATH", path);
  }
  // Loads the first record of the file whose field holds value into the buffer (as a caller does).
  void load(FileId id, const char* field, const std::string& value) {
    ThreadScope t(1);
    FileManager& m = access(id);
    ASSERT_EQ(m.open(), 0);
    std::vector<std::pair<int64_t, RecordBuffer>> rows;
    m.file().readPage(-1, nullptr, 0, true, 1000, rows);
    for (auto& r : rows)
      if (r.second.text(field) == value) {
        ASSERT_EQ(m.file().fetchPosition(r.first), 0);
        return;
      }
    FAIL() << value;
  }
  RecordBuffer& buffer(FileId id) {
    ThreadScope t(1);
    return access(id).buffer();
  }

  WindowProcedure* run(ProcedureFactory f, int request, int* response = nullptr) {
    runProcedure(1, std::move(f), request, [response](int r) {
      if (response) *response = r;
    });
    pump();
    return topProcedure(1);
  }
  DetailBrowse* browse(const std::string& name) {
    return dynamic_cast<DetailBrowse*>(
        run([name] { return makeDetailBrowse(name, mainWebContext()); }, 0));
  }
  void standIn(const std::string& name, Seen& seen, std::function<int()> act = {}) {
    registerProcedure(name,
                      [name, &seen, act] { return std::make_unique<StandIn>(name, seen, act); });
  }
  std::vector<std::string> shown(DetailBrowse* b, const char* field) {
    std::vector<std::string> v;
    for (const Row& r : b->list().rows()) v.push_back(r.record.text(field));
    return v;
  }
  std::vector<std::pair<std::string, std::string>> asked() const {
    std::vector<std::pair<std::string, std::string>> v;
    for (auto& a : answers.asked) v.emplace_back(a.caption, a.text);
    return v;
  }
};

// ---- the browses ------------------------------------------------------------------

TEST_F(DetailsTest, EachBrowseListsOnlyThePageRowsInItsOrder) {
  struct Case {
    const char* name;
    FileId file;
    const char* pathField;
    const char* valueField;
    std::vector<std::string> values;    // added in this order to page /a
    std::vector<std::string> expected;  // as listed
    const char* title;
    const char* tab;
    const char* print;
    const char* firstHeader;
  };
  const Case cases[] = {
      {"BrowseLinks",
       FileId::WPLinks,
       "WPL:WEBPAGEPATHNAME",
       "WPL:WEBPAGELINK",
       {"zeta.htm", "Alpha.htm", "mid.htm"},
       {"Alpha.htm", "mid.htm", "zeta.htm"},
       "Browse the Web Pages Links File",
       "PathName",
       "&Print All Links",
       "Page Name"},
      {"BrowseImages",
       FileId::WPIMG,
       "WPI:WEBPAGEPATHNAME",
       "WPI:WEBPAGEIMG",
       {"z.gif", "B.gif", "a.gif"},
       {"a.gif", "B.gif", "z.gif"},
       "Browse Images Data File",
       "By PageName",
       "&Print All Images",
       "Page"},
      {"BrowseMeta",
       FileId::WPMeta,
       "WPM:WEBPAGEPATH",
       "WPM:METANAME",
       {"keywords", "Author", "description"},
       {"Author", "description", "keywords"},
       "Browse the MetaTags  File",
       "Meta Tags",
       "&Print Meta Tags",
       "Page Name"},
      {"browsescripts",
       FileId::WPScripts,
       "WPS:WEBPAGEPATHNAME",
       "WPS:SCRIPTLINE1",
       {"var b;", "var a;"},
       {"var b;", "var a;"},
       "Browse the Scripts File",
       "PageName",
       "&Print Scripts",
       "Page Name"},
      {"browseforms",
       FileId::WPForm,
       "WPF:WEBPAGEPATHNAME",
       "WPF:FORMLINE1",
       {"<form b>", "<form a>"},
       {"<form b>", "<form a>"},
       "Browse the Forms File",
       "By PageName",
       "&Print Forms",
       "Page Path"},
  };
  currentPage("/a");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const std::string& v : c.values) add(c.file, {{c.pathField, "/a"}, {c.valueField, v}});
    add(c.file, {{c.pathField, "/b"}, {c.valueField, "Aaa other page"}});
    add(c.file, {{c.pathField, "/A/x"}, {c.valueField, "aab longer path"}});
    DetailBrowse* b = browse(c.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->outerWindow()->windowTitle().toStdString(), c.title);
    auto* sheet = qobject_cast<QTabWidget*>(widgetOf(b, "?Sheet"));
    ASSERT_EQ(sheet->count(), 1);
    EXPECT_EQ(sheet->tabText(0).toStdString(), c.tab);
    EXPECT_EQ(qobject_cast<QAbstractButton*>(widgetOf(b, "?Print"))->text().toStdString(), c.print);
    EXPECT_EQ(b->table()->model()->headerData(0, Qt::Horizontal).toString().toStdString(),
              c.firstHeader);
    EXPECT_EQ(shown(b, c.valueField), c.expected);
    // Refreshing keeps to the page it opened over, whatever the buffer holds now.
    currentPage("/b");
    b->refreshList();
    EXPECT_EQ(shown(b, c.valueField), c.expected);
    currentPage("/a");
    b->close(2);
    pump();
  }
}

TEST_F(DetailsTest, ABlankPagePathListsNothingAndAnEmptyListCallsNothing) {
  add(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", "/a"}, {"WPL:WEBPAGELINK", "x.htm"}});
  currentPage("");
  DetailBrowse* b = browse("BrowseLinks");
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->list().rows().empty());
  click(b, "?Change");
  click(b, "?Delete");
  EXPECT_EQ(topProcedure(1), b);
  EXPECT_TRUE(answers.asked.empty());
}

TEST_F(DetailsTest, ViewDetailEditsTheHighlightedRowAndTheListFollows) {
  currentPage("/a");
  for (const char* l : {"c.htm", "a.htm", "b.htm"})
    add(FileId::WPLinks,
        {{"WPL:WEBPAGEPATHNAME", "/a"}, {"WPL:WEBPAGELINK", l}, {"WPL:DOMAINNAME", "a.com"}});
  DetailBrowse* b = browse("BrowseLinks");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(entry(b, "?WPL:DOMAINNAME")->text(), "a.com");
  QTest::keyClick(b->table(), Qt::Key_Down);  // b.htm
  click(b, "?Change");
  auto* f = dynamic_cast<DetailForm*>(topProcedure(1));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Viewing a Links Record");
  EXPECT_EQ(entry(f, "?WPL:WEBPAGELINK")->text(), "b.htm");
  typeInto(f, "?WPL:WEBPAGELINK", "d.htm");
  click(f, "?OK");
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(topProcedure(1), b);
  EXPECT_EQ(shown(b, "WPL:WEBPAGELINK"), (std::vector<std::string>{"a.htm", "c.htm", "d.htm"}));
  EXPECT_EQ(b->list().current()->record.text("WPL:WEBPAGELINK"), "d.htm");
  std::vector<std::string> stored;
  for (auto& r : all(FileId::WPLinks)) stored.push_back(r.text("WPL:WEBPAGELINK"));
  EXPECT_EQ(stored, (std::vector<std::string>{"c.htm", "a.htm", "d.htm"}));
}

TEST_F(DetailsTest, InsertAndDeleteAreRefusedAndChangeNothing) {
  currentPage("/a");
  add(FileId::WPMeta, {{"WPM:WEBPAGEPATH", "/a"}, {"WPM:METANAME", "author"}});
  DetailBrowse* b = browse("BrowseMeta");
  ASSERT_NE(b, nullptr);
  click(b, "?Insert");
  click(b, "?Delete");
  EXPECT_EQ(asked(), (std::vector<std::pair<std::string, std::string>>{
                         {"Invalid Request", "This form cannot be used to insert a record"},
                         {"Invalid Request", "This form cannot be used to delete a record"}}));
  EXPECT_EQ(topProcedure(1), b);
  EXPECT_EQ(all(FileId::WPMeta).size(), 1u);
  EXPECT_EQ(shown(b, "WPM:METANAME"), std::vector<std::string>{"author"});
}

TEST_F(DetailsTest, EveryFormRefusesInsertAndDeleteWithoutAWindow) {
  struct Case {
    ProcedureFactory make;
    FileId file;
    const char* field;
  };
  const Case cases[] = {
      {[] { return makeUpdateWPLinks(mainWebContext()); }, FileId::WPLinks, "WPL:WEBPAGELINK"},
      {[] { return makeUpdateWPIMG(mainWebContext()); }, FileId::WPIMG, "WPI:WEBPAGEIMG"},
      {[] { return makeUpdateWPMeta(mainWebContext()); }, FileId::WPMeta, "WPM:METANAME"},
      {[] { return makeUpdateWPScripts(mainWebContext()); }, FileId::WPScripts, "WPS:SCRIPTLINE1"},
      {[] { return makeUpdateWPForm(mainWebContext()); }, FileId::WPForm, "WPF:FORMLINE1"}};
  for (const Case& c : cases) {
    add(c.file, {{c.field, "kept"}});
    load(c.file, c.field, "kept");
    for (int request : {1, 3}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(c.file)) + "/" + std::to_string(request));
      answers.asked.clear();
      int response = 0;
      EXPECT_EQ(run(c.make, request, &response), nullptr);
      EXPECT_EQ(response, RequestCancelled);
      ASSERT_EQ(answers.asked.size(), 1u);
      EXPECT_EQ(answers.asked[0].caption, "Invalid Request");
      EXPECT_EQ(answers.asked[0].text, request == 1
                                           ? "This form cannot be used to insert a record"
                                           : "This form cannot be used to delete a record");
    }
    ASSERT_EQ(all(c.file).size(), 1u);
    EXPECT_EQ(all(c.file)[0].text(c.field), "kept");
  }
}

TEST_F(DetailsTest, PrintHandsTheHighlightedRowToTheReport) {
  currentPage("/a");
  for (const char* l : {"b.htm", "a.htm"})
    add(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", "/a"}, {"WPL:WEBPAGELINK", l}});
  Seen seen;
  standIn("listlinks2", seen, [&] {
    seen.detail = buffer(FileId::WPLinks).text("WPL:WEBPAGELINK");
    return RequestCompleted;
  });
  DetailBrowse* b = browse("BrowseLinks");
  ASSERT_NE(b, nullptr);
  QTest::keyClick(b->table(), Qt::Key_Down);
  click(b, "?Print");
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.request, ProcessRecord);
  EXPECT_EQ(seen.detail, "b.htm");
  EXPECT_EQ(topProcedure(1), b);
}

TEST_F(DetailsTest, SelectWebPagesSwitchesTheListToTheChosenPage) {
  add(FileId::WPMeta, {{"WPM:WEBPAGEPATH", "/a"}, {"WPM:METANAME", "a-tag"}});
  add(FileId::WPMeta, {{"WPM:WEBPAGEPATH", "/b"}, {"WPM:METANAME", "b-tag2"}});
  add(FileId::WPMeta, {{"WPM:WEBPAGEPATH", "/b"}, {"WPM:METANAME", "b-tag1"}});
  currentPage("/a");
  std::string choice = "/b";
  Seen seen;
  standIn("SelectWebPages", seen, [&] {
    if (choice.empty()) return static_cast<int>(RequestCancelled);
    currentPage(choice);
    return static_cast<int>(RequestCompleted);
  });
  DetailBrowse* b = browse("BrowseMeta");
  ASSERT_NE(b, nullptr);
  click(b, "?SelectPage");
  EXPECT_EQ(seen.request, SelectRecord);
  EXPECT_EQ(shown(b, "WPM:METANAME"), (std::vector<std::string>{"b-tag1", "b-tag2"}));
  choice.clear();  // closed without a choice: the page stays
  click(b, "?SelectPage");
  EXPECT_EQ(seen.calls, 2);
  EXPECT_EQ(shown(b, "WPM:METANAME"), (std::vector<std::string>{"b-tag1", "b-tag2"}));
  b->close(2);
  pump();
  EXPECT_EQ(buffer(FileId::WebPages).text("WEB:PAGEPATH"), "/b");
}

TEST_F(DetailsTest, TypingALetterInTheImagesMovesToAnImageOfThatLetter) {
  currentPage("/a");
  for (const char* i : {"apple.gif", "Moon.gif", "nut.gif", "zed.gif"})
    add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", "/a"}, {"WPI:WEBPAGEIMG", i}});
  DetailBrowse* b = browse("BrowseImages");
  ASSERT_NE(b, nullptr);
  for (auto [key, expected] : {std::pair{"m", "Moon.gif"}, {"A", "apple.gif"}, {"N", "nut.gif"}}) {
    QTest::keyClicks(b->table(), key);
    EXPECT_EQ(b->list().current()->record.text("WPI:WEBPAGEIMG"), expected) << key;
  }
}

// ---- the forms ----------------------------------------------------------------------

TEST_F(DetailsTest, ScriptPageFieldsStayAlikeOnEveryTab) {
  add(FileId::WPScripts, {{"WPS:WEBPAGEPATHNAME", "/a/p.htm"},
                          {"WPS:PAGENAME", "p.htm"},
                          {"WPS:SCRIPTLINE40", "end"}});
  load(FileId::WPScripts, "WPS:PAGENAME", "p.htm");
  auto* f = dynamic_cast<DetailForm*>(
      run([] { return makeUpdateWPScripts(mainWebContext()); }, ChangeRecord));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Viewing a Scripts Record");
  const std::vector<std::string> paths = {"?WPS:WEBPAGEPATHNAME", "?WPS:WEBPAGEPATHNAME:2",
                                          "?WPS:WEBPAGEPATHNAME:3", "?WPS:WEBPAGEPATHNAME:4"};
  const std::vector<std::string> names = {"?WPS:PAGENAME", "?WPS:PAGENAME:2", "?WPS:PAGENAME:3",
                                          "?WPS:PAGENAME:4"};
  for (auto& id : paths) EXPECT_EQ(entry(f, id)->text(), "/a/p.htm") << id;
  for (auto& id : names) EXPECT_EQ(entry(f, id)->text(), "p.htm") << id;
  EXPECT_EQ(entry(f, "?WPS:SCRIPTLINE40")->text(), "end");
  typeInto(f, "?WPS:PAGENAME:3", "q.htm");
  for (auto& id : names) EXPECT_EQ(entry(f, id)->text(), "q.htm") << id;
  click(f, "?OK");
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(topProcedure(1), nullptr);
  EXPECT_EQ(all(FileId::WPScripts)[0].text("WPS:PAGENAME"), "q.htm");
}

TEST_F(DetailsTest, ImageFormShowsThePictureOpensTheReferenceAndPrints) {
  QImage red(12, 7, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save("pic.png"));
  add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", "/a"},
                      {"WPI:WEBPAGEIMG", "images/logo.gif"},
                      {"WPI:IMAGEPATH", "pic.png"},
                      {"WPI:LINENUMBER", "12"}});
  load(FileId::WPIMG, "WPI:WEBPAGEIMG", "images/logo.gif");
  Seen seen;
  standIn("PrintImage", seen, [&] {
    seen.imagePath = ImagePath.str();
    seen.detail = buffer(FileId::WPIMG).text("WPI:WEBPAGEIMG");
    return RequestCompleted;
  });
  auto* f =
      dynamic_cast<ImageForm*>(run([] { return makeUpdateWPIMG(mainWebContext()); }, ChangeRecord));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Viewing an IMG Record");
  EXPECT_EQ(ImagePath.str(), "pic.png");
  EXPECT_EQ(f->picture().size(), QSize(12, 7));

  // A press on the region over the entry opens the stored reference.
  QWidget* region = widgetOf(f, "?ImageLink");
  EXPECT_EQ(region->geometry(), entry(f, "?WPI:WEBPAGEIMG")->geometry());
  QTest::mousePress(region, Qt::LeftButton);
  // The button opens what was typed, without its trailing blanks.
  typeInto(f, "?WPI:WEBPAGEIMG", "http://x.com/a.gif   ", false);
  click(f, "?ShowImage");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://images/logo.gif", "http://x.com/a.gif"}));

  click(f, "?Print");
  EXPECT_EQ(seen.calls, 1);
  EXPECT_EQ(seen.imagePath, "pic.png");
  EXPECT_EQ(seen.detail, "http://x.com/a.gif");

  auto* use = qobject_cast<QCheckBox*>(widgetOf(f, "?WPI:CURRENTLYUSE"));
  QTest::mouseClick(use, Qt::LeftButton);
  click(f, "?OK");
  EXPECT_EQ(topProcedure(1), nullptr);
  ASSERT_EQ(all(FileId::WPIMG).size(), 1u);
  EXPECT_EQ(all(FileId::WPIMG)[0].text("WPI:CURRENTLYUSE"), "Y");
  EXPECT_EQ(all(FileId::WPIMG)[0].text("WPI:WEBPAGEIMG"), "http://x.com/a.gif");
  EXPECT_EQ(ImagePath.str(), "pic.png");  // kept after the form closed
}

TEST_F(DetailsTest, WithoutTheChangeRequestTheFormKeepsItsTitleAndOkCloses) {
  add(FileId::WPForm, {{"WPF:WEBPAGEPATHNAME", "/a"}, {"WPF:FORMLINE40", "last"}});
  load(FileId::WPForm, "WPF:WEBPAGEPATHNAME", "/a");
  int response = 0;
  auto* f = dynamic_cast<DetailForm*>(
      run([] { return makeUpdateWPForm(mainWebContext()); }, 0, &response));
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Update the Forms File");
  EXPECT_EQ(entry(f, "?WPF:FORMLINE40")->text(), "last");
  click(f, "?OK");
  EXPECT_EQ(topProcedure(1), nullptr);
  EXPECT_EQ(response, RequestCompleted);
}

}  // namespace
