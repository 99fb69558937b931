#include "webdata/reports/reports.h"

#include <QImage>
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "runtime/config/requests.h"
#include "runtime/report/pagemodel.h"
#include "runtime/report/preview.h"
#include "webfixture.h"

namespace {

using qm::FileId;

class WebReports : public qmtest::WebData {
 protected:
  void SetUp() override {
    WebData::SetUp();
    qm::setPreviewOpener(
        [this](std::shared_ptr<const qm::PageModel> pages, std::function<void()> closed) {
          ++previews_;
          shown_ = *pages;
          closed();
        });
  }
  void TearDown() override {
    qm::setPreviewOpener({});
    WebData::TearDown();
  }
  std::vector<std::string> allTexts() const {
    std::vector<std::string> out;
    for (int p = 0; p < shown_.pageCount(); ++p)
      for (auto& t : shown_.texts(p)) out.push_back(t);
    return out;
  }
  // The printed texts that are among the candidates, in print order.
  std::vector<std::string> printed(const std::vector<std::string>& candidates) const {
    std::vector<std::string> out;
    for (const auto& t : allTexts())
      for (const auto& c : candidates)
        if (t == c) out.push_back(t);
    return out;
  }
  std::vector<const qm::PageItem*> items(qm::ItemKind kind) const {
    std::vector<const qm::PageItem*> out;
    for (const auto& p : shown_.pages)
      for (const auto& it : p.items)
        if (it.kind == kind) out.push_back(&it);
    return out;
  }

  int previews_ = 0;
  qm::PageModel shown_;

  // callerFilter: the filter of the window asking for the report, if one does.
  int run(const std::string& name, const std::optional<std::string>& callerFilter = std::nullopt) {
    auto report = qm::webreports::makeWebReport(name, qm::mainWebContext());
    EXPECT_TRUE(report) << name;
    if (report && callerFilter) report->setCallerFilter(*callerFilter);
    return report ? report->run() : -1;
  }
  // Puts a record with these key values into the file's buffer, as a browse
  // leaves its highlighted row, and runs the report.
  int runFrom(FileId id, const qmtest::Fields& row, const std::string& name,
              const std::optional<std::string>& callerFilter = std::nullopt) {
    qm::FileManager& m = qm::access(id);
    EXPECT_EQ(m.open(), 0);
    m.buffer().clear();
    for (const auto& [label, value] : row) m.buffer().setText(label, value);
    const int r = run(name, callerFilter);
    m.close();
    return r;
  }
  void image(const std::string& path, const std::string& img, const std::string& domain,
             const std::string& file, const std::string& use = "Y") {
    add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", path},
                        {"WPI:DOMAINNAME", domain},
                        {"WPI:WEBPAGEIMG", img},
                        {"WPI:IMAGEPATH", file},
                        {"WPI:CURRENTLYUSE", use},
                        {"WPI:LINENUMBER", "12"}});
  }
  std::vector<std::string> pictures() const {
    std::vector<std::string> out;
    for (const auto* it : items(qm::ItemKind::Image)) out.push_back(it->text);
    return out;
  }
};

TEST_F(WebReports, ImageReportsChooseRecordsAndPictures) {
  QImage red(8, 4, QImage::Format_RGB32);
  red.fill(Qt::red);
  ASSERT_TRUE(red.save("red.png"));
  ASSERT_TRUE(red.save("blue.png"));
  image("/a/index.htm", "logo.gif", "a.com", "red.png");
  image("/a/index.htm", "logo.gif", "a.com", "blue.png");  // the page names it twice
  image("/a/index.htm", "top.gif", "a.com", "missing.png", "N");
  image("/b/index.htm", "b.gif", "B.com", "blue.png");

  // The form's record: its picture for every record of the same path and name.
  qm::ImagePath = "blue.png   ";
  ASSERT_EQ(runFrom(FileId::WPIMG,
                    {{"WPI:WEBPAGEPATHNAME", "/a/index.htm"}, {"WPI:WEBPAGEIMG", "logo.gif"}},
                    "PrintImage"),
            qm::RequestCompleted);
  EXPECT_EQ(shown_.pageCount(), 2);
  EXPECT_EQ(pictures(), (std::vector<std::string>{"blue.png", "blue.png"}));
  EXPECT_EQ(printed({"Currently Use", "12", "logo.gif"}),
            (std::vector<std::string>{"logo.gif", "12", "Currently Use", "logo.gif", "12",
                                      "Currently Use"}));

  // All of a page, each with its own picture; a missing file shows none.
  qm::domainname = "a.com";
  ASSERT_EQ(runFrom(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", "/a/index.htm"}}, "PrintImage2"),
            qm::RequestCompleted);
  EXPECT_EQ(printed({"logo.gif", "top.gif"}),
            (std::vector<std::string>{"logo.gif", "logo.gif", "top.gif"}));
  EXPECT_EQ(pictures(), (std::vector<std::string>{"red.png", "blue.png"}));
  EXPECT_TRUE(qm::domainname.blank());
  const auto boxes = items(qm::ItemKind::CheckBox);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_TRUE(boxes[0]->checked);
  EXPECT_FALSE(boxes[2]->checked);

  // A domain: the text exactly as typed; the check box without caption.
  struct Case {
    const char* typed;
    std::vector<std::string> images;
  };
  const Case cases[] = {{"B.com", {"b.gif"}},
                        {"a.com", {"logo.gif", "logo.gif", "top.gif"}},
                        {"A.COM", {}},
                        {"www.a.com", {}}};
  for (const Case& c : cases) {
    qm::domainname = c.typed;
    answers_.asked.clear();
    shown_ = {};
    const int r = run("PrintImage3");
    EXPECT_EQ(r, c.images.empty() ? qm::RequestCancelled : qm::RequestCompleted) << c.typed;
    EXPECT_EQ(printed({"b.gif", "logo.gif", "top.gif"}), c.images) << c.typed;
    EXPECT_TRUE(printed({"Currently Use"}).empty());
    EXPECT_TRUE(qm::domainname.blank());
    if (c.images.empty()) {
      ASSERT_EQ(answers_.asked.size(), 1u);
      EXPECT_EQ(answers_.asked[0].caption, "No Records");
    }
  }
}

TEST_F(WebReports, LinkListingFollowsPageAndQuery) {
  const std::string longLink(200, 'x');
  for (const auto& [path, link] :
       std::vector<std::pair<std::string, std::string>>{{"/p/one.htm", "zeta.htm"},
                                                        {"/p/two.htm", "b.htm"},
                                                        {"/p/one.htm", "alpha.htm"},
                                                        {"/p/one.htm", longLink},
                                                        {"/p/one.htm", "beta.htm"}})
    add(FileId::WPLinks,
        {{"WPL:WEBPAGEPATHNAME", path}, {"WPL:DOMAINNAME", "p.com"}, {"WPL:WEBPAGELINK", link}});
  const std::vector<std::string> names = {"zeta.htm", "b.htm", "alpha.htm", "beta.htm"};

  qm::QueryFilter.clear();
  ASSERT_EQ(runFrom(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", "/p/one.htm"}}, "listlinks2"),
            qm::RequestCompleted);
  EXPECT_EQ(printed(names), (std::vector<std::string>{"alpha.htm", "beta.htm", "zeta.htm"}));
  const auto texts = allTexts();
  auto cut = std::find_if(texts.begin(), texts.end(),
                          [](const std::string& t) { return t.rfind("xxxx", 0) == 0; });
  ASSERT_NE(cut, texts.end());
  EXPECT_LT(cut->size(), 200u);
  EXPECT_EQ(printed({"Selected Links Listing"}).size(), 1u);

  // The filter of the window that asks, not one another view left in the global.
  const std::string query = "wpl:webpagelink='zeta.htm' or wpl:webpagelink='b.htm'";
  qm::setQueryFilter(query);
  ASSERT_EQ(runFrom(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", "/p/one.htm"}}, "listlinks2", ""),
            qm::RequestCompleted);
  EXPECT_EQ(printed(names), (std::vector<std::string>{"alpha.htm", "beta.htm", "zeta.htm"}));
  ASSERT_EQ(runFrom(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", "/p/one.htm"}}, "listlinks2", query),
            qm::RequestCompleted);
  EXPECT_EQ(printed(names), (std::vector<std::string>{"zeta.htm"}));
  qm::setQueryFilter("");
  ASSERT_EQ(run("listlinks", query), qm::RequestCompleted);
  EXPECT_EQ(printed(names), (std::vector<std::string>{"zeta.htm", "b.htm"}));
  EXPECT_EQ(qm::QueryFilter, "");  // read, never written
}

TEST_F(WebReports, ListingThatCannotPrintOpensNoPreview) {
  add(FileId::WPMeta, {{"WPM:WEBPAGEPATH", "/p/one.htm"}, {"WPM:METANAME", "keywords"}});
  struct Case {
    const char* filter;
    const char* caption;
  };
  const Case cases[] = {{"wpm:metaname='nothing'", "No Records"},
                        {"wpl:webpagelink='x'", "View Open Error"},  // left by another file's view
                        {"wpm:metaname = (", "View Open Error"}};
  for (const Case& c : cases) {
    qm::setQueryFilter(c.filter);
    answers_.asked.clear();
    EXPECT_EQ(run("listmetas"), qm::RequestCancelled) << c.filter;
    ASSERT_EQ(answers_.asked.size(), 1u) << c.filter;
    EXPECT_EQ(answers_.asked[0].caption, c.caption) << c.filter;
  }
  EXPECT_EQ(previews_, 0);
  qm::setQueryFilter("upper(wpm:metaname)='KEYWORDS'");
  EXPECT_EQ(run("listmetas"), qm::RequestCompleted);
  EXPECT_EQ(printed({"keywords"}).size(), 1u);
}

TEST_F(WebReports, WebPageListingAndReport) {
  const std::string longDomain = "a-domain-name-longer-than-thirty.com";
  for (const char* page : {"zz.htm", "index.htm", "about.htm"})
    add(FileId::WebPages,
        {{"WEB:DOMAINNAME", "one.com"}, {"WEB:PAGENAME", page}, {"WEB:USENOW", "Y"}});
  add(FileId::WebPages, {{"WEB:DOMAINNAME", "two.com"}, {"WEB:PAGENAME", "other.htm"}});
  add(FileId::WebPages,
      {{"WEB:DOMAINNAME", longDomain}, {"WEB:PAGENAME", "long.htm"}, {"WEB:LINKTO2", "/x.htm"}},
      {{"WEB:NOTES", "Remember the banner."}});
  const std::vector<std::string> pages = {"zz.htm", "index.htm", "about.htm", "other.htm",
                                          "long.htm"};

  ASSERT_EQ(runFrom(FileId::WebPages, {{"WEB:DOMAINNAME", "ONE.COM"}}, "listwebpages"),
            qm::RequestCompleted);
  EXPECT_EQ(printed(pages), (std::vector<std::string>{"about.htm", "index.htm", "zz.htm"}));
  EXPECT_EQ(printed({"Report the WebPages File", "File Size", "Link To 5"}).size(), 3u);

  ASSERT_EQ(run("webpagereport"), qm::RequestCompleted);
  EXPECT_EQ(printed(pages), (std::vector<std::string>{"long.htm", "about.htm", "index.htm",
                                                      "zz.htm", "other.htm"}));
  EXPECT_EQ(printed({longDomain.substr(0, 30)}).size(), 1u);
  EXPECT_TRUE(printed({longDomain}).empty());
  EXPECT_EQ(printed({"Remember the banner."}).size(), 1u);
  // Five link lines per block, blank where the page has no link.
  const auto texts = allTexts();
  auto at = std::find(texts.begin(), texts.end(), "Links TO This Page:");
  ASSERT_GE(std::distance(at, texts.end()), 6);
  EXPECT_EQ(std::vector<std::string>(at + 1, at + 6),
            (std::vector<std::string>{"", "/x.htm", "", "", ""}));
  const auto boxes = items(qm::ItemKind::CheckBox);
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_FALSE(boxes[0]->checked);
  EXPECT_TRUE(boxes[1]->checked);
}

TEST_F(WebReports, ScriptReportPrintsFortyLinesPerBlock) {
  for (int block = 1; block <= 3; ++block) {
    qmtest::Fields f = {{"WPS:WEBPAGEPATHNAME", "/s/page.htm"},
                        {"WPS:DOMAINNAME", "s.com"},
                        {"WPS:PAGENAME", "page.htm"}};
    for (int line = 1; line <= block; ++line)
      f.push_back({std::string("WPS:SCRIPTLINE").append(std::to_string(line)),
                   std::string("b")
                       .append(std::to_string(block))
                       .append("l")
                       .append(std::to_string(line))});
    add(FileId::WPScripts, f);
  }
  add(FileId::WPScripts,
      {{"WPS:WEBPAGEPATHNAME", "/s/other.htm"}, {"WPS:SCRIPTLINE1", "elsewhere"}});

  ASSERT_EQ(runFrom(FileId::WPScripts, {{"WPS:WEBPAGEPATHNAME", "/s/page.htm"}}, "PrintScript"),
            qm::RequestCompleted);
  EXPECT_EQ(printed({"b1l1", "b2l1", "b2l2", "b3l1", "b3l2", "b3l3", "elsewhere"}),
            (std::vector<std::string>{"b1l1", "b2l1", "b2l2", "b3l1", "b3l2", "b3l3"}));
  EXPECT_EQ(shown_.pageCount(), 3);  // a forty-line block to a page
  for (int p = 0; p < shown_.pageCount(); ++p) {
    const auto t = shown_.texts(p);
    EXPECT_EQ(std::count(t.begin(), t.end(), "Script Lines"), 1) << p;
    EXPECT_EQ(std::count(t.begin(), t.end(), "/s/page.htm"), 1) << p;  // the header's page path
    EXPECT_EQ(std::count(t.begin(), t.end(), "Script Report"), 1) << p;
  }

  // Forms alike, without a caption; nothing to print opens no preview.
  add(FileId::WPForm, {{"WPF:WEBPAGEPATHNAME", "/s/page.htm"},
                       {"WPF:PAGE", "page.htm"},
                       {"WPF:FORMLINE40", "end"}});
  ASSERT_EQ(runFrom(FileId::WPForm, {{"WPF:WEBPAGEPATHNAME", "/s/page.htm"}}, "printform"),
            qm::RequestCompleted);
  EXPECT_EQ(printed({"end", "Form Report", "Script Lines"}),
            (std::vector<std::string>{"Form Report", "end"}));
  previews_ = 0;
  EXPECT_EQ(runFrom(FileId::WPForm, {{"WPF:WEBPAGEPATHNAME", "/none.htm"}}, "printform"),
            qm::RequestCancelled);
  EXPECT_EQ(previews_, 0);
}

TEST_F(WebReports, RegisteredWithTheirStacks) {
  std::map<std::string, int> stacks;
  qm::webreports::registerWebReportProcedures(
      [&](std::string name, int stack, qm::ProcedureFactory f) {
        EXPECT_TRUE(f) << name;
        stacks[name] = stack;
      },
      qm::mainWebContext());
  const std::map<std::string, int> expected = {
      {"PrintImage", 0},        {"PrintImage2", 0},   {"PrintImage3", 25000},
      {"preimgreport", 25000},  {"listimages", 0},    {"listlinks", 0},
      {"listmetas", 0},         {"listscripts", 0},   {"listforms2", 0},
      {"listwebpages", 0},      {"listmetas2", 0},    {"listlinks2", 0},
      {"webpagereport", 25000}, {"PrintScript", 0},   {"printform", 0},
      {"ChgLoPaWindow", 25000}, {"ChgLoPath", 25000}, {"chgcurruse", 25000},
      {"ChgLoPath1", 25000}};
  EXPECT_EQ(stacks, expected);
}

}  // namespace
