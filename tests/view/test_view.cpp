#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "runtime/config/filter.h"
#include "runtime/store/store.h"
#include "runtime/store/thread.h"
#include "runtime/view/fieldvalue.h"
#include "runtime/view/view.h"
#include "runtime/view/viewsource.h"

using namespace qm;

namespace {

// PEO:NAME text 10, PEO:CITY text 10, PEO:BORN date; keys on NAME and CITY+NAME.
FileDef peopleDef() {
  FileDef d;
  d.label = "People";
  d.prefix = "PEO:";
  d.diskName = "PEOPLE";
  d.recordSize = 24;
  d.fields = {{"PEO:NAME", FieldType::Text, 0, 10},
              {"PEO:CITY", FieldType::Text, 10, 10},
              {"PEO:BORN", FieldType::Date, 20, 4}};
  d.keys = {{"PEO:NAMEKEY", {0}, true, "PEO:name", 0},
            {"PEO:CITYKEY", {1, 0}, false, "PEO:city", 0}};
  d.memos = {{"PEO:NOTES", "PEO:Notes", 100}};
  return d;
}

struct ViewTest : ::testing::Test {
  FileDef def = peopleDef();
  RecordFile file{def};
  RecordView view{[this]() -> RecordFile& { return file; }};

  void SetUp() override { ASSERT_EQ(file.open(OpenMode::ReadWriteDenyNone, true, 1), 0); }
  void add(const std::string& name, const std::string& city, const std::string& notes = "") {
    file.buffer().clear();
    file.buffer().setText(0, name);
    file.buffer().setText(1, city);
    file.buffer().setMemo(0, notes);
    ASSERT_EQ(file.add(), 0) << file.errorDetail();
  }
  // "n00".."n49"
  void addNumbered(int n) {
    file.beginBatch();
    for (int i = 0; i < n; ++i)
      add("n" + std::string(i < 10 ? "0" : "") + std::to_string(i), i % 2 ? "Oslo" : "Rome");
    file.commitBatch();
  }
  static std::vector<std::string> names(const PagedList& l) {
    std::vector<std::string> v;
    for (auto& r : l.rows()) v.push_back(r.record.text(0));
    return v;
  }
  static std::string sel(const PagedList& l) {
    return l.current() ? l.current()->record.text(0) : "-";
  }
};

TEST_F(ViewTest, PagedNavigationMovesByRecordsAndPages) {
  addNumbered(25);
  view.setOrder(0);
  PagedList l(view);
  l.setPageSize(10);
  ASSERT_EQ(l.first(), 0);
  EXPECT_EQ(names(l).front(), "n00");
  EXPECT_EQ(names(l).size(), 10u);
  EXPECT_EQ(l.priorRecord(), ErrNotAvailable);  // nowhere to go
  struct Step {
    int (PagedList::*op)();
    std::string top, selected;
  } steps[] = {
      {&PagedList::nextPage, "n10", "n10"},    {&PagedList::nextPage, "n15", "n20"},
      {&PagedList::nextPage, "n15", "n24"},    {&PagedList::priorPage, "n05", "n14"},
      {&PagedList::first, "n00", "n00"},       {&PagedList::last, "n15", "n24"},
      {&PagedList::priorRecord, "n15", "n23"},
  };
  for (auto& s : steps) {
    (l.*s.op)();
    EXPECT_EQ(names(l).front(), s.top);
    EXPECT_EQ(sel(l), s.selected);
    EXPECT_EQ(l.rows().size(), 10u);
  }
  // Scrolling past the bottom line moves the page one record.
  l.first();
  l.setSelected(9);
  ASSERT_EQ(l.nextRecord(), 0);
  EXPECT_EQ(names(l).front(), "n01");
  EXPECT_EQ(sel(l), "n10");
  l.setSelected(0);
  ASSERT_EQ(l.priorRecord(), 0);
  EXPECT_EQ(names(l).front(), "n00");
}

TEST_F(ViewTest, LocateIsCaseBlindAndStopsAtOrAfter) {
  for (const char* n : {"alpha", "Bravo", "charlie", "Delta", "echo"}) add(n, "X");
  view.setOrder(0);
  PagedList l(view);
  l.setPageSize(3);
  struct {
    const char* typed;
    const char* found;
  } cases[] = {{"b", "Bravo"}, {"BR", "Bravo"},   {"c", "charlie"},
               {"d", "Delta"}, {"bz", "charlie"}, {"zz", "echo"}};
  for (auto& c : cases) {
    ASSERT_EQ(l.locate(c.typed), 0);
    EXPECT_EQ(sel(l), c.found) << c.typed;
    EXPECT_EQ(l.rows().size(), 3u) << c.typed;  // the page is filled from both sides
  }
}

TEST_F(ViewTest, RangeFollowsItsValueAndLocatesWithinIt) {
  addNumbered(20);
  std::string city = "Oslo";
  view.setOrder(1);
  view.setRange({[&] { return city; }});
  PagedList l(view);
  l.setPageSize(50);
  l.first();
  EXPECT_EQ(l.rows().size(), 10u);
  for (auto& r : l.rows()) EXPECT_EQ(r.record.text(1), "Oslo");
  city = "rome";  // any case
  l.first();
  EXPECT_EQ(names(l).front(), "n00");
  EXPECT_EQ(l.rows().size(), 10u);
  l.locate("N1");
  EXPECT_EQ(sel(l), "n10");
}

TEST_F(ViewTest, ShowRecordAndRefreshKeepThePlace) {
  addNumbered(30);
  view.setOrder(0);
  PagedList l(view);
  l.setPageSize(5);
  l.locate("n12");
  l.setSelected(2);  // n14
  // The selected record is deleted elsewhere: refresh shows the one after it.
  ASSERT_EQ(file.fetchPosition(l.current()->position), 0);
  ASSERT_EQ(file.erase(), 0);
  ASSERT_EQ(l.refresh(), 0);
  EXPECT_EQ(sel(l), "n15");
  EXPECT_EQ(l.selected(), 2);
  // A new record is shown after the call that added it.
  add("n145", "Oslo");
  ASSERT_EQ(l.showRecord(file.buffer(), file.position()), 0);
  EXPECT_EQ(sel(l), "n145");
}

TEST_F(ViewTest, FilterBindsFieldsMemosAndGlobalsAndQuotesTypedText) {
  add("ann", "O'Hara", "likes tea");
  add("bob", "Oslo", "");
  add("cy", "a' or 'b", "");
  static std::string wanted;
  boundNames().bind("viewcity", [] { return FilterValue::ofText(wanted); });
  view.setOrder(0);
  PagedList l(view);
  l.setPageSize(10);
  struct {
    std::string filter;
    std::vector<std::string> rows;
  } cases[] = {
      {filterTerm("PEO:CITY", "=", "O'Hara"), {"ann"}},
      {filterTerm("peo:city", "=", "a' or 'b"), {"cy"}},  // typed text stays text
      {filterTerm("PEO:CITY", "=", "z' or 'b"), {}},
      {"PEO:Notes = 'likes tea'", {"ann"}},
      {"UPPER(PEO:CITY) = UPPER(viewcity)", {"bob"}},
      {"", {"ann", "bob", "cy"}},
  };
  wanted = "oslo";
  for (auto& c : cases) {
    std::string err;
    ASSERT_TRUE(view.setFilter(c.filter, &err)) << c.filter << ": " << err;
    l.first();
    EXPECT_EQ(names(l), c.rows) << c.filter;
  }
  EXPECT_FALSE(view.setFilter("PEO:CITY = = (", nullptr));
}

TEST(FieldValue, SetsEachTypeFromValueText) {
  FileDef d;
  d.label = "T";
  d.prefix = "T:";
  d.recordSize = 4 + 4 + 8 + 2 + 5;
  d.fields = {{"T:D", FieldType::Date, 0, 4},
              {"T:M", FieldType::Decimal42, 4, 4},
              {"T:R", FieldType::Real, 8, 8},
              {"T:I", FieldType::Int2, 16, 2},
              {"T:S", FieldType::Text, 18, 5}};
  RecordBuffer b(d);
  struct {
    int field;
    const char* in;
    bool ok;
    const char* out;
  } cases[] = {{0, "80000", true, "80000"}, {0, "x", false, "0"},
               {1, "12.5", true, "12.50"},  {1, "1.234", false, "0.00"},
               {2, "2.5", true, "2.5"},     {3, "-7", true, "-7"},
               {3, "", true, "0"},          {4, "abcdefg", true, "abcde"}};
  for (auto& c : cases) {
    b.clear();
    EXPECT_EQ(setValueText(b, c.field, c.in), c.ok) << c.in;
    EXPECT_EQ(b.valueText(c.field), c.out) << c.in;
  }
}

// The file itself, always open, under the name "People".
SourceFile bareFile(std::function<RecordFile&()> f, int* closes = nullptr) {
  return SourceFile{"People", [] { return 0; },
                    [closes] {
                      if (closes) ++*closes;
                    },
                    f, [f]() -> RecordBuffer& { return f().buffer(); }};
}

// What each plan reads: key, range, both filters, the order within equal
// keys (the whole view in record order) and how far the run says it is.
TEST_F(ViewTest, ViewSourceReadsWhatItsPlanSays) {
  addNumbered(7);  // n00..n06, Rome on even numbers
  file.buffer().clear();
  file.buffer().setText(1, "Rome");  // the caller's record gives the range
  auto byNameDown = [](const RecordBuffer& a, const RecordBuffer& b) {
    return a.text(0) > b.text(0);
  };
  auto notN04 = [](const RecordBuffer& r) { return r.text(0) != "n04"; };
  auto city = [](const RecordBuffer& caller) { return std::vector<std::string>{caller.text(1)}; };
  struct Case {
    SourcePlan plan;
    std::vector<std::string> names;
    std::vector<int> percents;  // after each record, when checked
  } cases[] = {
      {{.key = 1, .range = city, .fetch = true, .batch = 2}, {"n00", "n02", "n04", "n06"}, {}},
      {{.key = 1, .range = city, .accept = notN04, .batch = 3}, {"n00", "n02", "n06"}, {}},
      {{.key = 0, .filter = "PEO:CITY = 'Oslo'"}, {"n01", "n03", "n05"}, {}},
      {{.key = -1, .accept = notN04, .within = byNameDown, .batch = 2},
       {"n06", "n05", "n03", "n02", "n01", "n00"},
       {16, 33, 50, 66, 83, 100}},
      // Only records of equal key change places; these keys are all unlike.
      {{.key = 1, .filter = "PEO:NAME <> 'n05'", .within = byNameDown, .batch = 1},
       {"n01", "n03", "n00", "n02", "n04", "n06"},
       {}},
  };
  for (const Case& c : cases) {
    ViewSource src(bareFile([this]() -> RecordFile& { return file; }), c.plan);
    ASSERT_TRUE(src.open());
    std::vector<std::string> seen;
    std::vector<int> percents;
    while (src.next()) {
      seen.push_back(file.buffer().text(0));
      EXPECT_EQ(src.current().record.text(0), seen.back());
      percents.push_back(src.percentDone());
    }
    EXPECT_EQ(seen, c.names) << c.plan.key << " " << c.plan.filter;
    if (!c.percents.empty()) {
      EXPECT_EQ(percents, c.percents);
    }
    EXPECT_EQ(src.percentDone(), 100);
    EXPECT_EQ(src.errorCode(), 0);
    src.close();
  }
}

// The caller's record, position and order come back after a run, even one
// that made each record current and passed over a record deleted under it;
// a plan that refuses to start leaves the file closed again.
TEST_F(ViewTest, ViewSourcePutsTheCallersRecordBack) {
  addNumbered(6);
  file.setOrder(0);
  ASSERT_EQ(file.next(), 0);
  ASSERT_EQ(file.next(), 0);
  const RecordBuffer caller = file.buffer();
  const int64_t at = file.position();
  int closes = 0;
  ViewSource src(bareFile([this]() -> RecordFile& { return file; }, &closes),
                 {.key = 1, .fetch = true, .batch = 2});
  ASSERT_TRUE(src.open());
  std::vector<std::string> seen;
  while (src.next()) {
    seen.push_back(file.buffer().text(0));
    if (seen.size() == 1) {  // n03 is in the page already read
      file.buffer().setText(0, "n03");
      ASSERT_EQ(file.fetch(0), 0);
      ASSERT_EQ(file.erase(), 0);
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"n01", "n05", "n00", "n02", "n04"}));
  src.close();
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(file.buffer().text(0), caller.text(0));
  EXPECT_EQ(file.position(), at);
  EXPECT_EQ(file.order(), 0);
  ASSERT_EQ(file.next(), 0);
  EXPECT_EQ(file.buffer().text(0), "n02");

  SourcePlan refused;
  refused.prepare = [] { return false; };
  src.setPlan(refused);
  EXPECT_FALSE(src.open());
  EXPECT_EQ(closes, 2);
}

// The scroll bar's place: locating on a fraction lands near that share of
// the view, and the fraction read back is about the same.
TEST_F(ViewTest, FractionLocatesByInterpolatedKeyAndReadsBack) {
  addNumbered(100);  // n00..n99, Rome on even numbers
  struct Case {
    int order;
    const char* range;  // city, or none
    double f;
    int near;  // index of the expected name
  } cases[] = {{0, nullptr, 0.0, 0},  {0, nullptr, 0.25, 25}, {0, nullptr, 0.5, 50},
               {0, nullptr, 0.9, 90}, {0, nullptr, 1.0, 99},  {-1, nullptr, 0.5, 50},
               {1, "Rome", 0.5, 50},  {1, "Rome", 1.0, 98}};
  for (auto& c : cases) {
    view.setOrder(c.order);
    view.setRange({});
    if (c.range) view.setRange({[r = std::string(c.range)] { return r; }});
    PagedList l(view);
    l.setPageSize(5);
    ASSERT_EQ(l.first(), 0);
    EXPECT_FALSE(l.wholeViewShown());
    ASSERT_EQ(l.locateFraction(c.f), 0);
    ASSERT_LE(l.rows().size(), 5u);
    int at = std::stoi(sel(l).substr(1));
    EXPECT_NEAR(at, c.near, 4) << c.order << " " << c.f;
    EXPECT_NEAR(l.approxFraction(), c.f, 0.05) << c.order << " " << c.f;
    if (c.range) {
      EXPECT_EQ(l.current()->record.text(1), c.range);
    }
  }
  view.setOrder(0);
  PagedList all(view);
  all.setPageSize(200);
  ASSERT_EQ(all.first(), 0);
  EXPECT_TRUE(all.wholeViewShown());
}

// A report's timer fires outside the procedure's thread: the source still
// reads with its own thread's file and buffer.
TEST(ViewSourceThreads, ReadsOnTheThreadThatOwnsIt) {
  FileDef def = peopleDef();
  std::map<int, std::unique_ptr<RecordFile>> files;
  auto mine = [&]() -> RecordFile& {
    auto& f = files[currentThread()];
    if (!f) {
      f = std::make_unique<RecordFile>(def);
      EXPECT_EQ(f->open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    }
    return *f;
  };
  for (const char* n : {"Ann", "Bob"}) {
    mine().buffer().clear();
    mine().buffer().setText(0, n);
    ASSERT_EQ(mine().add(), 0);
  }
  mine().buffer().setText(0, "mine");
  auto src =
      std::make_unique<ViewSource>(bareFile(mine), SourcePlan{.key = 0, .fetch = true, .batch = 1});
  {
    ThreadScope t(2);
    ASSERT_TRUE(src->open());
  }
  EXPECT_EQ(src->thread(), 2);
  std::vector<std::string> seen;
  while (src->next()) {
    ThreadScope t(2);
    seen.push_back(mine().buffer().text(0));
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"Ann", "Bob"}));
  EXPECT_EQ(mine().buffer().text(0), "mine");  // this thread's buffer untouched
}

}  // namespace
