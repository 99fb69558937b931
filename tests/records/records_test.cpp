// The domain, host and registrar windows driven through their own controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <fstream>
#include <regex>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "guitest.h"
#include "records/domains.h"
#include "records/hosts.h"
#include "records/rebuild.h"
#include "records/register.h"
#include "records/registrars.h"
#include "records/reports/register.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/store/thread.h"
#include "runtime/ui/window.h"
#include "runtime/view/fieldvalue.h"

using namespace qm;
using namespace qm::records;
using namespace qmtest;

namespace {

QString shownText(WindowProcedure* p, const std::string& id) {
  return qobject_cast<QLineEdit*>(widgetOf(p, id))->text();
}

struct RecordsTest : GuiTest {
  std::vector<std::string> opened;
  UrlOpener before;

  void SetUp() override {
    GuiTest::SetUp();
    registerRecordProcedures();
    before = setUrlOpener([this](const QUrl& u) {
      opened.push_back(u.toString().toStdString());
      return true;
    });
  }
  void TearDown() override {
    closeProcedures();
    setUrlOpener(before);
    GuiTest::TearDown();
  }

  std::vector<std::string> captions() const {
    std::vector<std::string> v;
    for (auto& a : answers.asked) v.push_back(a.caption);
    return v;
  }

  // The form a browse button opened.
  template <class F>
  F* formOver(WindowProcedure* browse) {
    return dynamic_cast<F*>(topProcedure(browse->threadId()));
  }
  std::string current(BrowseProcedure* b, const char* field) {
    const Row* r = b->list().current();
    return r ? r->record.text(field) : "-";
  }
  // Opens UpdateDomains on the highlighted (only) domain.
  UpdateDomains* changeFirstDomain(BrowseDomains** browse) {
    *browse = start<BrowseDomains>("BrowseDomains");
    click(*browse, "?Change");
    return formOver<UpdateDomains>(*browse);
  }
};

// ---- the road of a typical request ---------------------------------------------

TEST_F(RecordsTest, InsertFromTheDomainsBrowseAndADuplicateNameIsRefused) {
  int th = 0;
  auto* b = start<BrowseDomains>("BrowseDomains", &th);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(threadStackSize(th), 50000);
  EXPECT_EQ(b->outerWindow()->windowTitle(), "Browse the Domains File");

  QTest::keyClick(b->table(), Qt::Key_Insert);
  auto* f = formOver<UpdateDomains>(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Record will be added");
  EXPECT_EQ(shownText(f, "?DOM:DOMAINNAME"), "");  // the numbering's "1" is not shown
  typeInto(f, "?DOM:DOMAINNAME", "Alpha.com");
  typeInto(f, "?DOM:OWNERNAME", "Ann");
  click(f, "?OK");
  EXPECT_TRUE(answers.asked.empty());
  ASSERT_EQ(all(FileId::Domains).size(), 1u);
  EXPECT_EQ(all(FileId::Domains)[0].text("DOM:OWNERNAME"), "Ann");
  EXPECT_EQ(current(b, "DOM:DOMAINNAME"), "Alpha.com");

  click(b, "?Insert");
  f = formOver<UpdateDomains>(b);
  ASSERT_NE(f, nullptr);
  typeInto(f, "?DOM:DOMAINNAME", "ALPHA.COM");
  click(f, "?OK");
  ASSERT_EQ(captions(), std::vector<std::string>{"Duplicate Key Error"});
  EXPECT_TRUE(f->isRunning());
  EXPECT_EQ(all(FileId::Domains).size(), 1u);
  f->close(2);
}

TEST_F(RecordsTest, ABlankNameIsRefusedInEachForm) {
  struct Case {
    const char* browse;
    const char* nameId;
  };
  for (Case c : {Case{"BrowseDomains", "?DOM:DOMAINNAME"}, Case{"BrowseHosts", "?HOS:HOSTNAME"},
                 Case{"BrowseRegistrars", "?REG:COMPANYNAME"}}) {
    SCOPED_TRACE(c.browse);
    answers.asked.clear();
    auto* b = start<BrowseProcedure>(c.browse);
    ASSERT_NE(b, nullptr);
    click(b, "?Insert");
    auto* f = dynamic_cast<RecordForm*>(topProcedure(b->threadId()));
    ASSERT_NE(f, nullptr);
    typeInto(f, c.nameId, "   ");
    click(f, "?OK");
    ASSERT_EQ(captions(), std::vector<std::string>{"Name Required"});
    EXPECT_TRUE(f->isRunning());
    EXPECT_EQ(QApplication::focusWidget(), widgetOf(f, c.nameId));
    f->close(2);
    b->close(2);
    pump();
  }
  EXPECT_TRUE(all(FileId::Domains).empty());
  EXPECT_TRUE(all(FileId::Hosts).empty());
  EXPECT_TRUE(all(FileId::Registrars).empty());
}

TEST_F(RecordsTest, ARealRecordNamedOneKeepsItsName) {
  add(FileId::Registrars, {{"REG:COMPANYNAME", "1"}, {"REG:CITY", "Rome"}});
  auto* b = start<BrowseRegistrars>("BrowseRegistrars");
  click(b, "?Change");
  auto* f = formOver<UpdateRegistrars>(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Record will be Changed");
  EXPECT_EQ(shownText(f, "?REG:COMPANYNAME"), "1");
  click(f, "?OK");
  EXPECT_TRUE(answers.asked.empty());
  ASSERT_EQ(all(FileId::Registrars).size(), 1u);
  EXPECT_EQ(all(FileId::Registrars)[0].text("REG:COMPANYNAME"), "1");
}

// ---- costs --------------------------------------------------------------------------

TEST(DomainTotals, SumsToTheCentAndRefusesAnOverflow) {
  struct Case {
    Fields amounts;
    const char* nonMonthly;
    const char* monthly;
    const char* over;
  };
  const Case cases[] = {
      {{{"DOM:FEEPAID", "35.00"},
        {"DOM:INITIALDESIGNCOST", "0.10"},
        {"DOM:MISCSETUPCOSTS", "0.20"}},
       "35.30",
       "0.00",
       nullptr},
      {{{"DOM:HOSTMOCOST", "19.99"}, {"DOM:ECOMMOCOST", "0.01"}, {"DOM:DESIGNMOCOST", "-5.00"}},
       "0.00",
       "15.00",
       nullptr},
      {{{"DOM:FEEPAID", "99999.98"}, {"DOM:INITPROGRAMCOST", "0.01"}}, "99999.99", "0.00", nullptr},
      {{{"DOM:FEEPAID", "99999.99"}, {"DOM:INITPROGRAMCOST", "0.01"}, {"DOM:HOSTMOCOST", "1.25"}},
       "7.00",
       "1.25",
       "Non Monthly Total"},
      {{{"DOM:ADDLMOCOST", "60000"}, {"DOM:SERVICEMOCOST", "40000"}},
       "0.00",
       "7.00",
       "Monthly Total"},
  };
  for (const Case& c : cases) {
    RecordBuffer d(fileDef(FileId::Domains));
    d.setDecimal("DOM:NONMONTHTOTAL", *Decimal42::parse("7"));
    d.setDecimal("DOM:MONTHLYTOTAL", *Decimal42::parse("7"));
    for (auto& [f, v] : c.amounts) d.setDecimal(f, *Decimal42::parse(v));
    const char* over = computeDomainTotals(d);
    EXPECT_EQ(d.decimal("DOM:NONMONTHTOTAL").toString(), c.nonMonthly);
    EXPECT_EQ(d.decimal("DOM:MONTHLYTOTAL").toString(), c.monthly);
    EXPECT_STREQ(over ? over : "", c.over ? c.over : "");
  }
}

TEST_F(RecordsTest, TotalsFollowEachAmountAndAnOverflowStopsTheSave) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"}, {"DOM:MONTHLYTOTAL", "123.00"}});
  BrowseDomains* b = nullptr;
  auto* f = changeFirstDomain(&b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(shownText(f, "?DOM:MONTHLYTOTAL"), "123.00");  // opening computes nothing
  typeInto(f, "?DOM:HOSTMOCOST", "19.95");
  typeInto(f, "?DOM:ECOMMOCOST", "0.05");
  EXPECT_EQ(shownText(f, "?DOM:MONTHLYTOTAL"), "20.00");
  typeInto(f, "?DOM:MONTHLYTOTAL", "5");  // a typed total gives way to the sum
  EXPECT_EQ(shownText(f, "?DOM:MONTHLYTOTAL"), "20.00");
  typeInto(f, "?DOM:FEEPAID", "99999.99");
  typeInto(f, "?DOM:MISCSETUPCOSTS", "1");
  ASSERT_EQ(captions(), std::vector<std::string>{"Range Error"});
  EXPECT_EQ(QApplication::focusWidget(), widgetOf(f, "?DOM:MISCSETUPCOSTS"));
  click(f, "?OK");  // the pass meets the overflow again: nothing is saved
  EXPECT_EQ(captions().size(), 2u);
  EXPECT_TRUE(f->isRunning());
  EXPECT_EQ(all(FileId::Domains)[0].decimal("DOM:MONTHLYTOTAL").toString(), "123.00");
  typeInto(f, "?DOM:MISCSETUPCOSTS", "0");
  QPointer<UpdateDomains> saving = f;  // closing deletes the form
  click(f, "?OK");
  EXPECT_TRUE(!saving || !saving->isRunning());
  RecordBuffer saved = all(FileId::Domains)[0];
  EXPECT_EQ(saved.decimal("DOM:MONTHLYTOTAL").toString(), "20.00");
  EXPECT_EQ(saved.decimal("DOM:NONMONTHTOTAL").toString(), "99999.99");
}

TEST_F(RecordsTest, HostTotalCountsTheSetUpFeeAtOnce) {
  auto* b = start<BrowseHosts>("BrowseHosts");
  click(b, "?Insert");
  auto* f = formOver<UpdateHosts>(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->outerWindow()->windowTitle(), "Record Will Be Added");
  typeInto(f, "?HOS:FEEMONTHLY", "10.50");
  typeInto(f, "?HOS:FEESETUP", "25");
  typeInto(f, "?HOS:ECOMCOST", "4.25");
  EXPECT_EQ(shownText(f, "?HOS:TOTALMONTHLYCOST"), "39.75");
  typeInto(f, "?HOS:ANNUALPREPAYMENT", "100");
  EXPECT_EQ(shownText(f, "?HOS:TOTALMONTHLYCOST"), "39.75");
  f->close(2);
}

// ---- the local directory --------------------------------------------------------------

TEST_F(RecordsTest, LocalDirectoryQuestionAndCreation) {
  QDir().mkdir("there");
  const std::string longName = std::string(79, 'd') + "e";  // all 80 characters count
  struct Case {
    std::string dir;
    std::vector<int> replies;
    std::vector<std::string> asked;
    bool saved;
    std::string created;
  };
  const std::vector<Case> cases = {
      {"there", {}, {}, true, ""},
      {"", {}, {}, true, ""},
      // Yes on leaving the entry creates it; OK then finds it.
      {"newsite", {BtnYes}, {"Data Warning"}, true, "newsite"},
      {longName, {BtnYes}, {"Data Warning"}, true, longName},
      // No keeps the focus there, and OK asks again.
      {"nosite", {BtnNo, BtnNo}, {"Data Warning", "Data Warning"}, false, ""},
      // Not created: a warning names it each time, and the save goes on.
      {"missing/child",
       {BtnYes, BtnYes},
       {"Data Warning", "Data Warning", "Data Warning", "Data Warning"},
       true,
       ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dir);
    const std::string name = std::string("d").append(std::to_string(++n)).append(".com");
    add(FileId::Domains, {{"DOM:DOMAINNAME", name}});
    answers.asked.clear();
    answers.replies.assign(c.replies.begin(), c.replies.end());
    auto* b = start<BrowseDomains>("BrowseDomains");
    typeInto(b, "?DOM:DOMAINNAME", QString::fromStdString(name));  // the entry locator
    ASSERT_EQ(current(b, "DOM:DOMAINNAME"), name);
    click(b, "?Change");
    QPointer<UpdateDomains> f = formOver<UpdateDomains>(b);  // a save deletes it
    ASSERT_TRUE(f);
    typeInto(f, "?DOM:OWNERNAME", "Owner");
    typeInto(f, "?DOM:DEFAULTLOCALDIR", QString::fromStdString(c.dir));
    click(f, "?OK");
    EXPECT_EQ(captions(), c.asked);
    if (!c.asked.empty()) {
      EXPECT_EQ(answers.asked[0].text, "The directory entered, does not exist.||\"" + c.dir +
                                           "\"||Do you wish to create it (only 1 level deep)?");
    }
    if (c.asked.size() > 2) {
      EXPECT_NE(answers.asked[1].text.find("\"missing/child\" could not be created"),
                std::string::npos);
    }
    EXPECT_EQ(f && f->isRunning(), !c.saved);
    if (!c.saved) {
      EXPECT_EQ(QApplication::focusWidget(), widgetOf(f, "?DOM:DEFAULTLOCALDIR"));
    }
    if (!c.created.empty()) {
      EXPECT_TRUE(QDir(QString::fromStdString(c.created)).exists());
    }
    bool ownerSaved = false;
    for (auto& r : all(FileId::Domains))
      if (r.text("DOM:DOMAINNAME") == name) ownerSaved = r.text("DOM:OWNERNAME") == "Owner";
    EXPECT_EQ(ownerSaved, c.saved);
    if (f && f->isRunning()) f->close(2);
    b->close(2);
    pump();
  }
  EXPECT_FALSE(QDir("missing").exists());
}

// ---- drop lists -------------------------------------------------------------------------

TEST_F(RecordsTest, DropListsChangeTheDomainOnlyWhenPicked) {
  add(FileId::Registrars, {{"REG:COMPANYNAME", "Acme Names"}});
  add(FileId::Hosts, {{"HOS:HOSTNAME", std::string(45, 'h')}});
  add(FileId::Domains,
      {{"DOM:DOMAINNAME", "a.com"}, {"DOM:REGISTRAR", "Gone Inc"}, {"DOM:HOST", "Old Host"}});
  BrowseDomains* b = nullptr;
  auto* f = changeFirstDomain(&b);
  ASSERT_NE(f, nullptr);
  auto* reg = qobject_cast<QComboBox*>(widgetOf(f, "?DOM:REGISTRAR"));
  auto* host = qobject_cast<QComboBox*>(widgetOf(f, "?DOM:HOST"));
  EXPECT_EQ(reg->count(), 1);
  EXPECT_EQ(reg->currentIndex(), -1);
  EXPECT_EQ(reg->placeholderText(), "Gone Inc");  // kept and shown
  click(f, "?OK");
  RecordBuffer saved = all(FileId::Domains)[0];
  EXPECT_EQ(saved.text("DOM:REGISTRAR"), "Gone Inc");
  EXPECT_EQ(saved.text("DOM:HOST"), "Old Host");

  f = changeFirstDomain(&b);
  host = qobject_cast<QComboBox*>(widgetOf(f, "?DOM:HOST"));
  host->setCurrentIndex(0);
  emit host->activated(0);  // the user's pick
  EXPECT_EQ(host->placeholderText(), QString(40, 'h'));
  click(f, "?OK");
  EXPECT_EQ(all(FileId::Domains)[0].text("DOM:HOST"), std::string(40, 'h'));  // cut to the field
  EXPECT_EQ(all(FileId::Domains)[0].text("DOM:REGISTRAR"), "Gone Inc");
}

TEST_F(RecordsTest, AHostNameCutToTheDomainsFieldSelectsItsHost) {
  // Beyond the list's first page, and a shorter name that the stored text does not begin with.
  {
    ThreadScope t(1);
    FileManager& m = access(FileId::Hosts);
    ASSERT_EQ(m.open(), 0);
    ASSERT_EQ(m.file().beginBatch(), 0);
    for (int i = 0; i < 230; ++i) {
      m.buffer().clear();
      m.buffer().setText("HOS:HOSTNAME", "Host " + std::to_string(1000 + i));
      ASSERT_EQ(m.file().add(), 0);
    }
    ASSERT_EQ(m.file().commitBatch(), 0);
    m.close();
  }
  const std::string full = std::string(40, 'w') + "ide host!";  // 49: a blank-free cut
  add(FileId::Hosts, {{"HOS:HOSTNAME", full}});
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"}, {"DOM:HOST", full.substr(0, 40)}});
  BrowseDomains* b = nullptr;
  auto* f = changeFirstDomain(&b);
  ASSERT_NE(f, nullptr);
  auto* host = qobject_cast<QComboBox*>(widgetOf(f, "?DOM:HOST"));
  EXPECT_EQ(host->currentText().toStdString(), full);
  click(f, "?Cancel");  // shown as it was stored: no change to lose
  EXPECT_TRUE(answers.asked.empty());
  f = changeFirstDomain(&b);
  click(f, "?OK");
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(all(FileId::Domains)[0].text("DOM:HOST"), full.substr(0, 40));
}

// ---- shell buttons ---------------------------------------------------------------------------

TEST_F(RecordsTest, MailAndWebButtonsOpenTheirAddresses) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"}, {"DOM:IPPRIMARYADDRESS", "a.com"}});
  BrowseDomains* b = nullptr;
  auto* f = changeFirstDomain(&b);
  ASSERT_NE(f, nullptr);
  typeInto(f, "?DOM:EMAILACCT3", "sales@a.com");
  for (const char* button : {"?MailContact", "?WebPrimary", "?WebSecondary", "?MailAcct3"})
    click(f, button);
  EXPECT_EQ(opened, (std::vector<std::string>{"mailto:", "http://www.a.com", "http://www.",
                                              "mailto:sales@a.com"}));
}

// ---- the host's link records -------------------------------------------------------------------

TEST_F(RecordsTest, SavingAHostWritesItsTwoLinkRecordsInPlace) {
  auto* b = start<BrowseHosts>("BrowseHosts");
  click(b, "?Insert");
  auto* f = formOver<UpdateHosts>(b);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(shownText(f, "?HOS:HOSTNAME"), "");
  typeInto(f, "?HOS:HOSTNAME", "Best Hosting");
  typeInto(f, "?HOS:URL", "best.example");
  typeInto(f, "?HOS:SUPPORTEMAIL", "help@best.example");
  click(f, "?Web");
  click(f, "?MailTo");
  EXPECT_EQ(opened, (std::vector<std::string>{"http://best.example", "mailto:help@best.example"}));
  click(f, "?OK");
  ASSERT_TRUE(answers.asked.empty());
  ASSERT_EQ(all(FileId::Hosts).size(), 1u);
  const std::string id = all(FileId::Hosts)[0].text("HOS:RECID");
  EXPECT_TRUE(std::regex_match(id, std::regex("HS[1-9][0-9]*[1-9][0-9]*"))) << id;

  auto links = [&] {
    std::map<std::string, std::tuple<int64_t, std::string, std::string>> m;
    for (auto& r : all(FileId::Intlink))
      m[r.text("INL:RECID")] = {r.integer("INL:TYPE"), r.text("INL:DESCRIPTION"),
                                r.text("INL:LINK")};
    return m;
  };
  auto first = links();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[id],
            std::make_tuple(int64_t{2}, std::string("Best Hosting"), std::string("best.example")));
  EXPECT_EQ(first["A" + id], std::make_tuple(int64_t{1}, std::string("Best Hosting"),
                                             std::string("help@best.example")));

  // Saving again changes both in place.
  click(b, "?Change");
  f = formOver<UpdateHosts>(b);
  ASSERT_NE(f, nullptr);
  typeInto(f, "?HOS:URL", "www.best.example");
  click(f, "?OK");
  auto second = links();
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(all(FileId::Hosts)[0].text("HOS:RECID"), id);
  EXPECT_EQ(std::get<2>(second[id]), "www.best.example");
  EXPECT_EQ(std::get<2>(second["A" + id]), "help@best.example");
}

TEST_F(RecordsTest, ARefusedHostSaveLeavesNoLinkRecords) {
  auto* b = start<BrowseHosts>("BrowseHosts");
  auto insertHost = [&](const char* name) {
    click(b, "?Insert");
    auto* f = formOver<UpdateHosts>(b);
    EXPECT_NE(f, nullptr);
    if (!f) return f;
    typeInto(f, "?HOS:HOSTNAME", name);
    typeInto(f, "?HOS:URL", "acme.example");
    typeInto(f, "?HOS:SUPPORTEMAIL", "help@acme.example");
    click(f, "?OK");
    return f;
  };
  insertHost("Acme Hosting");
  ASSERT_TRUE(answers.asked.empty());
  ASSERT_EQ(all(FileId::Intlink).size(), 2u);

  UpdateHosts* f = insertHost("ACME hosting");
  ASSERT_EQ(captions(), std::vector<std::string>{"Duplicate Key Error"});
  EXPECT_EQ(all(FileId::Intlink).size(), 2u);
  ASSERT_NE(f, nullptr);
  answers.replies = {BtnYes};
  click(f, "?Cancel");
  EXPECT_EQ(all(FileId::Hosts).size(), 1u);
  EXPECT_EQ(all(FileId::Intlink).size(), 2u);

  // A changed host keeps exactly its two.
  click(b, "?Change");
  f = formOver<UpdateHosts>(b);
  ASSERT_NE(f, nullptr);
  typeInto(f, "?HOS:URL", "www.acme.example");
  click(f, "?OK");
  const auto links = all(FileId::Intlink);
  ASSERT_EQ(links.size(), 2u);
  const std::string id = all(FileId::Hosts)[0].text("HOS:RECID");
  for (const auto& l : links)
    EXPECT_TRUE(l.text("INL:RECID") == id || l.text("INL:RECID") == "A" + id);
}

// ---- step locators and called procedures
// ---------------------------------------------------------

TEST_F(RecordsTest, StepLocatorsMoveToTheFirstNameAtOrAfterTheKey) {
  for (const char* n : {"Alpha", "beta", "Gamma"}) {
    add(FileId::Hosts, {{"HOS:HOSTNAME", std::string(n) + " Host"}});
    add(FileId::Registrars, {{"REG:COMPANYNAME", std::string(n) + " Names"}});
  }
  struct Case {
    const char* browse;
    const char* field;
  };
  for (Case c :
       {Case{"BrowseHosts", "HOS:HOSTNAME"}, Case{"BrowseRegistrars", "REG:COMPANYNAME"}}) {
    SCOPED_TRACE(c.browse);
    auto* b = start<BrowseProcedure>(c.browse);
    ASSERT_NE(b, nullptr);
    for (auto [key, first] :
         {std::pair{'g', "Gamma"}, {'B', "beta"}, {'c', "Gamma"}, {'a', "Alpha"}}) {
      QTest::keyClick(b->table(), key);
      EXPECT_EQ(current(b, c.field).substr(0, std::string(first).size()), first) << key;
    }
    b->close(2);
    pump();
  }
}

TEST_F(RecordsTest, ButtonsCallingProceduresNotBuiltSaySo) {
  add(FileId::Domains, {{"DOM:DOMAINNAME", "a.com"}});
  add(FileId::Hosts, {{"HOS:HOSTNAME", "H"}});
  add(FileId::Registrars, {{"REG:COMPANYNAME", "R"}});
  unregisterProcedure("PrintHosts");
  unregisterProcedure("PrintRegistrars");
  unregisterProcedure("BrowseWebPages");
  auto* d = start<BrowseDomains>("BrowseDomains");
  click(d, "?WebPages");
  click(d, "?Hosts");
  auto* h = formOver<BrowseHosts>(d);
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(d->outerWindow()->isEnabled());
  click(h, "?Print");
  h->close(2);
  pump();
  EXPECT_TRUE(d->outerWindow()->isEnabled());
  click(d, "?Registrars");
  auto* r = formOver<BrowseRegistrars>(d);
  ASSERT_NE(r, nullptr);
  click(r, "?Print");
  r->close(2);
  pump();
  ASSERT_EQ(answers.asked.size(), 3u);
  EXPECT_EQ(answers.asked[0].caption, "Procedure not defined");
  EXPECT_EQ(answers.asked[0].text, "The Procedure BrowseWebPages has not been defined.");
  EXPECT_EQ(answers.asked[1].text, "The Procedure PrintHosts has not been defined.");
  EXPECT_EQ(answers.asked[2].text, "The Procedure PrintRegistrars has not been defined.");
}

TEST_F(RecordsTest, PrintOnAnEmptyListRunsTheReportWhichSaysNoRecords) {
  reports::registerRecordReports(
      [](std::string name, int stack, ProcedureFactory f) { registerProcedure(name, f, stack); });
  for (const char* browse : {"BrowseHosts", "BrowseRegistrars"}) {
    answers.asked.clear();
    auto* b = start<BrowseProcedure>(browse);
    ASSERT_NE(b, nullptr) << browse;
    ASSERT_EQ(b->list().current(), nullptr);
    click(b, "?Print");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !answers.asked.empty(); }, 3000)) << browse;
    ASSERT_EQ(answers.asked.size(), 1u) << browse;
    EXPECT_EQ(answers.asked[0].caption, "No Records");
    EXPECT_EQ(answers.asked[0].text, "There are no records available to process.");
    pump();
    EXPECT_EQ(topProcedure(b->threadId()), b);  // the list stays open
    b->close(2);
    pump();
  }
}

TEST_F(RecordsTest, AMaximisedBrowseStretchesItsList) {
  for (const char* name : {"BrowseDomains", "BrowseHosts", "BrowseRegistrars"}) {
    auto* b = start<BrowseProcedure>(name);
    ASSERT_NE(b, nullptr) << name;
    const QSize content = b->window()->size();
    const QRect list = b->table()->geometry();
    b->outerWindow()->showMaximized();
    pump();
    const QSize grown = b->window()->size() - content;
    ASSERT_GT(grown.width(), 0) << name;
    ASSERT_GT(grown.height(), 0) << name;
    EXPECT_EQ(b->table()->geometry().size() - list.size(), grown) << name;
    EXPECT_EQ(b->table()->geometry().topLeft(), list.topLeft()) << name;
    b->close(2);
    pump();
  }
}

// ---- deleting a domain ------------------------------------------------------------------------

TEST_F(RecordsTest, DeletingADomainRemovesItsPagesAndTheirDetails) {
  for (const char* d : {"a.com", "b.com"}) {
    add(FileId::Domains, {{"DOM:DOMAINNAME", d}});
    const std::string path = std::string("/") + d + "/index.htm";
    add(FileId::WebPages,
        {{"WEB:DOMAINNAME", d}, {"WEB:PAGENAME", "index.htm"}, {"WEB:PAGEPATH", path}});
    add(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", path}, {"WPL:WEBPAGELINK", "x.htm"}});
    add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", path}, {"WPI:WEBPAGEIMG", "x.gif"}});
  }
  auto* b = start<BrowseDomains>("BrowseDomains");
  ASSERT_EQ(current(b, "DOM:DOMAINNAME"), "a.com");
  answers.replies = {BtnYes};
  click(b, "?Delete");
  ASSERT_EQ(captions(), std::vector<std::string>{"Confirm Delete"});
  ASSERT_EQ(all(FileId::Domains).size(), 1u);
  EXPECT_EQ(current(b, "DOM:DOMAINNAME"), "b.com");
  for (auto [id, field] : {std::pair{FileId::WebPages, "WEB:PAGEPATH"},
                           {FileId::WPLinks, "WPL:WEBPAGEPATHNAME"},
                           {FileId::WPIMG, "WPI:WEBPAGEPATHNAME"}}) {
    auto left = all(id);
    ASSERT_EQ(left.size(), 1u) << field;
    EXPECT_EQ(left[0].text(field), "/b.com/index.htm");
  }
}

// ---- key rebuilds -----------------------------------------------------------------------------

TEST_F(RecordsTest, KeyRebuildsAreSilentUnlessTheyFail) {
  add(FileId::Hosts, {{"HOS:HOSTNAME", "H"}});
  int got = -1;
  callNamedProcedure(*start<BrowseDomains>("BrowseDomains"), "RebuildHostsKeys", 0,
                     [&](int r) { got = r; });
  pump();
  EXPECT_EQ(got, RequestCompleted);
  EXPECT_EQ(rebuildFileKeys(FileId::Registrars), 0);  // no file yet, no records
  EXPECT_TRUE(answers.asked.empty());

  std::ofstream("DOMAINS.qdf") << "not a record file at all, just some text";
  EXPECT_NE(rebuildFileKeys(FileId::Domains), 0);
  ASSERT_EQ(captions(), std::vector<std::string>{"Key was not built"});
  EXPECT_NE(answers.asked[0].text.find("repairing key for Domains"), std::string::npos)
      << answers.asked[0].text;
}

}  // namespace
