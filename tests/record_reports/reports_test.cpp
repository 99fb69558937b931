#include "records/reports/reports.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dictionary/dictionary.h"
#include "records/reports/register.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/report/preview.h"
#include "runtime/report/render.h"
#include "runtime/store/thread.h"
#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/values/picture.h"
#include "runtime/view/fieldvalue.h"

namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

TEST(KeyProgress, FollowsTheKeyTextBetweenFirstAndLast) {
  struct Case {
    const char* first;
    const char* last;
    const char* value;
    int percent;
  };
  const Case cases[] = {{"A", "Z", "A", 0},  {"A", "Z", "Z", 100},        {"a", "z", "M", 48},
                        {"0", "9", "5", 55}, {"Same", "same", "Same", 0}, {"B", "D", "zz", 100}};
  for (const Case& c : cases)
    EXPECT_EQ(qm::textKeyPercent(c.first, c.last, c.value), c.percent) << c.value;
}

class RecordReports : public ::testing::Test {
 protected:
  void SetUp() override {
    qm::setClock(&clock_);
    answers_.install();
    qm::setPreviewOpener(
        [this](std::shared_ptr<const qm::PageModel> pages, std::function<void()> closed) {
          ++previews_;
          shown_ = *pages;
          closed();
        });
    qm::StartDictionary(qm::DictionaryKind::Main, {[] { return std::string("page.htm"); },
                                                   [] { return std::string("work.txt"); }});
  }
  void TearDown() override {
    qm::StopDictionary();
    qm::setPreviewOpener({});
    qm::setClock(nullptr);
  }

  // Adds a record; values as value text (dates as day numbers), memos by label.
  void add(qm::FileId id, const Fields& fields, const Fields& memos = {}) {
    qm::FileManager& m = qm::access(id);
    ASSERT_EQ(m.open(), 0);
    qm::RecordBuffer& b = m.buffer();
    b.clear();
    for (const auto& [label, value] : fields) {
      const int f = b.def().fieldIndex(label);
      ASSERT_GE(f, 0) << label;
      ASSERT_TRUE(qm::setValueText(b, f, value)) << label << "=" << value;
    }
    for (const auto& [label, value] : memos) b.setMemo(label, value);
    ASSERT_EQ(m.file().add(), 0) << m.file().errorDetail();
    m.close();
  }

  int run(const std::string& name) {
    auto report = qm::reports::makeRecordReport(name);
    EXPECT_TRUE(report) << name;
    if (!report) return -1;
    return report->run();
  }

  std::vector<std::string> allTexts() const {
    std::vector<std::string> out;
    for (int p = 0; p < shown_.pageCount(); ++p)
      for (auto& t : shown_.texts(p)) out.push_back(t);
    return out;
  }
  // The detail values in the order they were printed, for one field's column
  // (texts that equal one of the candidates).
  std::vector<std::string> printed(const std::vector<std::string>& candidates) const {
    std::vector<std::string> out;
    for (const auto& t : allTexts())
      if (std::find(candidates.begin(), candidates.end(), t) != candidates.end()) out.push_back(t);
    return out;
  }
  const qm::PageItem* item(int page, const std::string& text) const {
    for (const auto& it : shown_.pages.at(static_cast<size_t>(page)).items)
      if (it.text == text) return &it;
    return nullptr;
  }

  const int32_t today_ = qm::dayNumber(2024, 3, 15);
  qm::FakeClock clock_{today_, 0};
  qm::ScriptedAnswerer answers_;
  int previews_ = 0;
  qm::PageModel shown_;
};

TEST_F(RecordReports, RenewalReportListsTodayToThirtyDaysAhead) {
  const std::vector<std::pair<std::string, int32_t>> domains = {
      {"yesterday.com", today_ - 1}, {"today.com", today_}, {"plus30.com", today_ + 30},
      {"plus31.com", today_ + 31},   {"nodate.com", 0},
  };
  for (const auto& [name, day] : domains)
    add(qm::FileId::Domains, {{"DOM:DOMAINNAME", name}, {"DOM:RENEWALDATE", std::to_string(day)}});

  EXPECT_EQ(run("PrintDomains2"), qm::RequestCompleted);
  std::vector<std::string> names;
  for (const auto& d : domains) names.push_back(d.first);
  EXPECT_EQ(printed(names), (std::vector<std::string>{"today.com", "plus30.com"}));
  EXPECT_TRUE(answers_.asked.empty());

  // The whole file prints in the order stored.
  EXPECT_EQ(run("PrintDomains"), qm::RequestCompleted);
  EXPECT_EQ(printed(names), names);
}

TEST_F(RecordReports, NothingToPrintShowsNoRecords) {
  add(qm::FileId::Domains,
      {{"DOM:DOMAINNAME", "late.com"}, {"DOM:RENEWALDATE", std::to_string(today_ + 31)}});
  for (const char* name : {"PrintDomains2", "PrintHosts", "PrintRegistrars", "comparisons"}) {
    answers_.asked.clear();
    EXPECT_EQ(run(name), qm::RequestCancelled) << name;
    ASSERT_EQ(answers_.asked.size(), 1u) << name;
    EXPECT_EQ(answers_.asked[0].caption, "No Records");
    EXPECT_EQ(answers_.asked[0].text, "There are no records available to process.");
  }
  EXPECT_EQ(previews_, 0);
}

TEST_F(RecordReports, DomainListingGridLabelsAndPictures) {
  add(qm::FileId::Domains, {{"DOM:DOMAINNAME", "grid.com"},
                            {"DOM:DATESTARTED", std::to_string(qm::dayNumber(2020, 1, 9))},
                            {"DOM:FEEPAID", "1234.5"},
                            {"DOM:IPPRIMARYADDRESS", "10.0.0.1"},
                            {"DOM:FORWARD4", "last@grid.com"}});
  ASSERT_EQ(run("PrintDomains"), qm::RequestCompleted);
  ASSERT_EQ(shown_.pageCount(), 1);
  EXPECT_EQ(shown_.paper.width, 8500);
  EXPECT_EQ(shown_.paper.height, 11000);

  const auto texts = shown_.texts(0);
  for (const char* bad : {"IPP rimary Address", "Forward 0"})
    EXPECT_EQ(std::count(texts.begin(), texts.end(), bad), 0) << bad;
  for (const char* label :
       {"Email Acct 1", "Email Acct 3", "Email Acct 5", "Forward 1", "Forward 5"})
    EXPECT_EQ(std::count(texts.begin(), texts.end(), label), 1) << label;

  // Label (header) and value (detail) share the grid cell's column.
  struct Cell {
    const char* label;
    const char* value;
    int column, row;
  };
  const Cell cells[] = {{"Domain Name", "grid.com", 0, 0},
                        {"Date Started", "01/09/2020", 1, 0},
                        {"Fee Paid", "1,234.50", 2, 1},
                        {"IP Primary Address", "10.0.0.1", 0, 4},
                        {"Forward 5", "last@grid.com", 3, 6}};
  const qm::PageItem* first = item(0, "Domain Name");
  ASSERT_TRUE(first);
  const int left = first->x - 50, top = first->y - 310;
  for (const Cell& c : cells) {
    const qm::PageItem* l = item(0, c.label);
    const qm::PageItem* v = item(0, c.value);
    ASSERT_TRUE(l && v) << c.label;
    const int columns[] = {50, 1550, 3050, 4550};
    EXPECT_EQ(l->x, left + columns[c.column]) << c.label;
    EXPECT_EQ(l->y, top + 310 + 180 * c.row) << c.label;
    EXPECT_EQ(l->w, 1400);
    EXPECT_EQ(l->h, 170);
    EXPECT_EQ(v->x, l->x) << c.value;
    EXPECT_GT(v->y, l->y) << c.value;
  }
  EXPECT_TRUE(item(0, "Print the Domains File"));
  EXPECT_TRUE(item(0, "Report Date:"));
  EXPECT_TRUE(item(0, qm::formatDate("@d17", today_)));
  EXPECT_EQ(std::count_if(
                texts.begin(), texts.end(),
                [](const std::string& t) { return t.rfind("Page ", 0) == 0 && t.back() == '1'; }),
            1);
}

TEST_F(RecordReports, HostsPrintInNameOrderAndTheCallersRowIsKept) {
  add(qm::FileId::Hosts,
      {{"HOS:HOSTNAME", "zulu hosting"}, {"HOS:POP3NUMBER", "-12"}, {"HOS:FEEMONTHLY", "9.5"}});
  add(qm::FileId::Hosts,
      {{"HOS:HOSTNAME", "Alpha Web"}, {"HOS:POP3NUMBER", "250"}, {"HOS:FEESETUP", "20"}});
  add(qm::FileId::Registrars, {{"REG:COMPANYNAME", "Names Inc"}, {"REG:REGULARFEE", "35"}});

  // Called from the hosts list: request 5, the highlighted row in the buffer.
  qm::FileManager& hosts = qm::access(qm::FileId::Hosts);
  ASSERT_EQ(hosts.open(), 0);
  hosts.buffer().setText("HOS:HOSTNAME", "Alpha Web");
  qm::RequestCode = qm::ProcessRecord;
  EXPECT_EQ(run("PrintHosts"), qm::RequestCompleted);
  EXPECT_EQ(printed({"zulu hosting", "Alpha Web"}),
            (std::vector<std::string>{"Alpha Web", "zulu hosting"}));
  for (const char* t : {"-12", "250", "9.50", "20.00", "0.00"}) EXPECT_TRUE(item(0, t)) << t;
  EXPECT_EQ(hosts.buffer().text("HOS:HOSTNAME"), "Alpha Web");  // not the last host read
  hosts.close();

  EXPECT_EQ(run("PrintRegistrars"), qm::RequestCompleted);
  EXPECT_TRUE(item(0, "Print the Registrars File"));
  EXPECT_TRUE(item(0, "Names Inc"));
  EXPECT_TRUE(item(0, "35.00"));
}

TEST_F(RecordReports, HostingProfileOneBlockPerHostWithCheckBoxes) {
  add(qm::FileId::Hosts,
      {{"HOS:HOSTNAME", "Beta Host"},
       {"HOS:LINUX", "Y"},
       {"HOS:DAILYBACKUP", "Y"},
       {"HOS:CURRENTLYUSE", "N"},
       {"HOS:TOTALMONTHLYCOST", "19.99"}},
      {{"HOS:NOTES", "Fast support."}});
  add(qm::FileId::Hosts,
      {{"HOS:HOSTNAME", "Alpha Host"}, {"HOS:WINDOWSNT", "Y"}, {"HOS:LINUX", "N"}});

  ASSERT_EQ(run("comparisons"), qm::RequestCompleted);
  ASSERT_EQ(shown_.pageCount(), 2);
  const std::map<int, std::vector<std::string>> ticked = {{0, {"Windows NT"}},
                                                          {1, {"Linux", "Daily Backup"}}};
  for (int p = 0; p < 2; ++p) {
    int boxes = 0;
    std::vector<std::string> on;
    for (const auto& it : shown_.pages[static_cast<size_t>(p)].items)
      if (it.kind == qm::ItemKind::CheckBox) {
        ++boxes;
        if (it.checked) on.push_back(it.text);
      }
    EXPECT_EQ(boxes, 27) << p;
    EXPECT_EQ(on, ticked.at(p)) << p;
    EXPECT_TRUE(item(p, "Quillmark Hosting Profile Report"));
    EXPECT_TRUE(item(p, "Notes:"));
    EXPECT_TRUE(item(p, "Perl   CGI"));
  }
  EXPECT_TRUE(item(0, "Alpha Host"));
  EXPECT_TRUE(item(1, "Beta Host"));
  EXPECT_TRUE(item(1, "19.99"));
  EXPECT_TRUE(item(1, "Fast support."));
  EXPECT_FALSE(item(0, "Fast support."));

  // Positions are the block's own: "Currently Use" at (1656, 21) from the band's corner.
  const qm::PageItem* general = item(1, "General Data");
  const qm::PageItem* use = item(1, "Currently Use");
  ASSERT_TRUE(general && use);
  EXPECT_EQ(use->x - general->x, 1656 - 281);
  EXPECT_EQ(use->y - general->y, 21 - 10);
}

TEST_F(RecordReports, RegisteredAndStartedOnTheirOwnThreads) {
  std::map<std::string, int> stacks;
  std::map<std::string, qm::ProcedureFactory> factories;
  qm::reports::registerRecordReports([&](std::string name, int stack, qm::ProcedureFactory f) {
    stacks[name] = stack;
    factories[name] = std::move(f);
  });
  EXPECT_EQ(stacks, (std::map<std::string, int>{{"PrintDomains", 50000},
                                                {"PrintDomains2", 0},
                                                {"PrintHosts", 50000},
                                                {"PrintRegistrars", 50000},
                                                {"comparisons", 25000}}));

  add(qm::FileId::Registrars, {{"REG:COMPANYNAME", "Threaded Names"}});
  const int thread = qm::startProcedure("PrintRegistrars", 50000, factories["PrintRegistrars"]);
  EXPECT_NE(thread, qm::currentThread());
  ASSERT_TRUE(QTest::qWaitFor([&] { return previews_ == 1; }, 5000));
  EXPECT_TRUE(item(0, "Threaded Names"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !qm::threadRunning(thread); }, 5000));
}

// Writes each report as a PDF; QM_REPORT_PDF_DIR keeps them for looking at.
TEST_F(RecordReports, EachReportWritesAPdf) {
  add(qm::FileId::Domains, {{"DOM:DOMAINNAME", "example.com"},
                            {"DOM:DATESTARTED", std::to_string(today_ - 700)},
                            {"DOM:RENEWALDATE", std::to_string(today_ + 3)},
                            {"DOM:REGISTRAR", "Names Inc"},
                            {"DOM:REGLOGIN", "owner"},
                            {"DOM:FEEPAID", "35"},
                            {"DOM:OWNERNAME", "Pat Owner"},
                            {"DOM:HOST", "Alpha Host"},
                            {"DOM:HOSTDATE", std::to_string(today_ - 600)},
                            {"DOM:IPPRIMARYADDRESS", "192.168.10.20"},
                            {"DOM:EMAILACCT0", "info@example.com"},
                            {"DOM:EMAILACCT4", "sales@example.com"},
                            {"DOM:FORWARD0", "pat@mail.example.net"}});
  add(qm::FileId::Domains, {{"DOM:DOMAINNAME", "second-site.org"},
                            {"DOM:RENEWALDATE", std::to_string(today_ + 20)},
                            {"DOM:FEEPAID", "1250.75"},
                            {"DOM:TECHPERSON", "Sam Tech"}});
  add(qm::FileId::Hosts,
      {{"HOS:HOSTNAME", "Alpha Host"},
       {"HOS:CONTACTNAME", "Lee Contact"},
       {"HOS:PHONENUMBER", "555-0100"},
       {"HOS:SUPPORTEMAIL", "help@alpha.example"},
       {"HOS:URL", "www.alpha.example"},
       {"HOS:STATE", "CA"},
       {"HOS:ZIPCODE", "94000"},
       {"HOS:HOSCITY", "Springfield"},
       {"HOS:DISKSPACE", "500"},
       {"HOS:POP3NUMBER", "10"},
       {"HOS:SMTP", "Y"},
       {"HOS:EMAILCONTROL", "User"},
       {"HOS:FEEMONTHLY", "9.95"},
       {"HOS:FEESETUP", "25"},
       {"HOS:ECOMCOST", "5"},
       {"HOS:TOTALMONTHLYCOST", "14.95"},
       {"HOS:MINIMUMCONTRACT", "1 year"},
       {"HOS:LINUX", "Y"},
       {"HOS:CURRENTLYUSE", "Y"},
       {"HOS:DAILYBACKUP", "Y"}},
      {{"HOS:NOTES", "Line one.\nLine two."}});
  add(qm::FileId::Registrars, {{"REG:COMPANYNAME", "Names Inc"},
                               {"REG:ADDRESS", "1 Main St"},
                               {"REG:CITY", "Boston"},
                               {"REG:STATE", "MA"},
                               {"REG:REGULARFEE", "35"},
                               {"REG:RENEWALPERIOD", "1 year"}});
  const char* keep = std::getenv("QM_REPORT_PDF_DIR");
  for (const auto& e : qm::reports::recordReports()) {
    ASSERT_EQ(run(e.name), qm::RequestCompleted) << e.name;
    const std::string file = (keep ? std::string(keep) + "/" : std::string()) + e.name + ".pdf";
    std::string error;
    ASSERT_TRUE(qm::writePdf(shown_, file, &error)) << error;
    EXPECT_GT(QFile(QString::fromStdString(file)).size(), 1000) << e.name;
  }
}

}  // namespace
