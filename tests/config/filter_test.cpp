#include "runtime/config/filter.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "runtime/values/clock.h"

using namespace qm;

namespace {

constexpr int32_t kToday = 80000;

// A record: field labels (upper case) to values.
class Record : public NameResolver {
 public:
  std::map<std::string, FilterValue, std::less<>> fields;
  std::optional<FilterValue> lookup(std::string_view n) const override {
    auto it = fields.find(n);
    if (it == fields.end()) return std::nullopt;
    return it->second;
  }
  Record& text(const std::string& n, std::string v) {
    fields[n] = FilterValue::ofText(std::move(v));
    return *this;
  }
  Record& number(const std::string& n, double v) {
    fields[n] = FilterValue::ofNumber(v);
    return *this;
  }
};

class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setClock(&clock_);
    boundNames().bind("domainname", [this] { return FilterValue::ofText(domain); });
    boundNames().bind("ding", [this] { return FilterValue::ofText(ding); });
  }
  void TearDown() override {
    setClock(nullptr);
    boundNames().bind("domainname", [] { return FilterValue::ofText(""); });
    boundNames().bind("ding", [] { return FilterValue::ofText(" "); });
  }
  bool passes(const std::string& expr, const NameResolver& rec) {
    std::string error;
    Filter f = Filter::parse(expr, &error);
    EXPECT_TRUE(f.valid()) << expr << ": " << error;
    return f.matches(rec);
  }
  FakeClock clock_{kToday, 1};
  std::string domain = "example.com                                       ";
  std::string ding = " ";
};

}  // namespace

TEST_F(FilterTest, RenewalRuleBothEndsIncluded) {
  const char* rules[] = {"dom:renewaldate => today() and dom:renewaldate =< today()+30",
                         "(dom:renewaldate => today() and dom:renewaldate =< today()+30)",
                         "DOM:RenewalDate >= TODAY() AND DOM:RENEWALDATE <= today() + 30"};
  struct Case {
    int offset;
    bool due;
  } cases[] = {{-1, false}, {0, true}, {10, true}, {30, true}, {31, false}};
  for (const char* rule : rules)
    for (const Case& c : cases) {
      Record r;
      r.number("DOM:RENEWALDATE", kToday + c.offset);
      EXPECT_EQ(passes(rule, r), c.due) << rule << " offset " << c.offset;
    }
}

TEST_F(FilterTest, ExpressionsOverTextFieldsAndBoundNames) {
  Record r;
  r.text("WPI:DOMAINNAME", "example.com   ")
      .text("WEB:DOMAINNAME", "Example.COM")
      .text("DNO:REMINDER", "Y")
      .text("WPI:PAGE", "O'Brien's page")
      .text("DOM:COST", " 12.50")
      .number("DOM:HOSTDATE", 0)
      .text("DOM:NOTES", "");
  struct Case {
    const char* expr;
    std::string ding;
    bool expected;
  } cases[] = {
      {"wpi:domainname=domainname", " ", true},         // trailing blanks ignored
      {"web:domainname=clip(domainname)", " ", false},  // case as written
      {"UPPER(CLIP(WEB:DOMAINNAME)) = UPPER(CLIP(domainname))", " ", true},
      {"(dno:reminder=ding)", "Y", true},
      {"(dno:reminder=ding)", " ", false},
      {"UPPER(WPI:Page) = 'O''BRIEN''S PAGE'", " ", true},
      {"UPPER(WPI:DomainName) = 'EXAMPLE.COM' AND UPPER(WPI:Page) = 'X'", " ", false},
      {"UPPER(WPI:DomainName) = 'X' OR NOT (UPPER(WPI:Page) = 'X')", " ", true},
      {"dom:cost = 12.5", " ", true},  // text reading as a number
      {"dom:cost > 9", " ", true},
      {"dom:hostdate = 0 and dom:notes = 0", " ", true},  // blank text is zero
      {"wpi:domainname <> 'example.com'", " ", false},
      {"'abc' < 'abd' and 'b' > 'abc'", " ", true},
      {"clip(wpi:domainname) & '/' = 'example.com/'", " ", true},
      {"-2 + 5 - 1 = 2", " ", true},
      {"DOM:Notes", " ", false},  // blank text is false
  };
  for (const Case& c : cases) {
    ding = c.ding;
    EXPECT_EQ(passes(c.expr, r), c.expected) << c.expr;
  }
}

TEST_F(FilterTest, QuotedUserTextMatchesOnlyItself) {
  struct Case {
    const char* typed;
    const char* quoted;
  } cases[] = {{"O'Brien", "'O''Brien'"},
               {"", "''"},
               {"''", "''''''"},
               {"x' OR 'a'='a", "'x'' OR ''a''=''a'"}};
  for (const Case& c : cases) {
    EXPECT_EQ(quoteText(c.typed), c.quoted);
    Filter f = Filter::parse("WPI:PAGE = " + quoteText(c.typed), nullptr);
    ASSERT_TRUE(f.valid()) << c.typed;
    Record same, other;
    same.text("WPI:PAGE", c.typed);
    other.text("WPI:PAGE", "something else");
    EXPECT_TRUE(f.matches(same)) << c.typed;
    EXPECT_FALSE(f.matches(other)) << c.typed;
  }
}

TEST_F(FilterTest, SyntaxErrorsAreReportedNeverCrash) {
  const std::string deep = std::string(5000, '(') + "1" + std::string(5000, ')');
  const std::string longChain = [] {
    std::string s = "1";
    for (int i = 0; i < 3000; ++i) s += "+1";
    return s;
  }();
  const std::string cases[] = {"dom:a =",     "(dom:a = 1", "dom:a = 'abc", "foo(1) = 1",
                               "dom:a = = 1", "dom:a $ 1",  "today(1)",     "upper()",
                               "1 2",         "and",        deep,           longChain,
                               "dom:a = 1)",  "clip(1,2)"};
  for (const std::string& expr : cases) {
    std::string error;
    Filter f = Filter::parse(expr, &error);
    EXPECT_FALSE(f.valid()) << expr.substr(0, 40);
    EXPECT_FALSE(error.empty()) << expr.substr(0, 40);
    EXPECT_TRUE(f.matches(NoNames()));  // an unusable filter limits nothing
  }
  std::string error;
  Filter::parse("dom:name = 'x' and foo(1)", &error);
  EXPECT_EQ(error, "Unknown function 'FOO' at position 20");
}

TEST_F(FilterTest, EmptyFilterNamesAndUnknownNames) {
  Filter empty = Filter::parse("   ", nullptr);
  EXPECT_TRUE(empty.valid());
  EXPECT_TRUE(empty.empty());
  EXPECT_TRUE(empty.matches(NoNames()));

  Filter f = Filter::parse("wpi:domainname = domainname and Wpi:DomainName <> dom:xyz", nullptr);
  EXPECT_EQ(f.names(), (std::vector<std::string>{"WPI:DOMAINNAME", "DOMAINNAME", "DOM:XYZ"}));
  Record r;
  r.text("WPI:DOMAINNAME", "a");
  EXPECT_EQ(f.firstUnknownName(r), "DOM:XYZ");
  r.text("DOM:XYZ", "b");
  EXPECT_EQ(f.firstUnknownName(r), "");
}

TEST_F(FilterTest, BoundNamesFollowTheirGlobal) {
  Filter f = Filter::parse("wpi:domainname=domainname", nullptr);
  Record r;
  r.text("WPI:DOMAINNAME", "other.org");
  EXPECT_FALSE(f.matches(r));
  domain = "other.org";  // read at each test, not when parsed
  EXPECT_TRUE(f.matches(r));
  EXPECT_EQ(boundNames().lookup("DomainName")->text, "other.org");
  EXPECT_FALSE(boundNames().lookup("nosuchname").has_value());
}

// What a store may select by before the filter runs: only comparisons that
// every passing record meets, their values worked out now.
TEST_F(FilterTest, BoundsAreTheTopLevelComparisonsOfARecordName) {
  ding = "Y";
  auto isField = [](std::string_view n) {
    return n.substr(0, 4) == "DOM:" || n.substr(0, 4) == "DNO:";
  };
  using Op = Filter::Bound::Op;
  struct Case {
    const char* expr;
    std::vector<std::tuple<std::string, Op, std::string>> bounds;  // value as text
  };
  const Case cases[] = {
      {"(dom:renewaldate => today() and dom:renewaldate =< today()+30)",
       {{"DOM:RENEWALDATE", Op::Ge, "80000"}, {"DOM:RENEWALDATE", Op::Le, "80030"}}},
      {"dno:reminder=ding", {{"DNO:REMINDER", Op::Eq, "Y"}}},
      {"today() > dom:renewaldate and dom:host = 'x'",
       {{"DOM:RENEWALDATE", Op::Lt, "80000"}, {"DOM:HOST", Op::Eq, "x"}}},
      {"dom:renewaldate > 1 or dom:host = 'x'", {}},  // either side may pass
      {"not dom:renewaldate > 1", {}},
      {"dom:renewaldate <> 5", {}},
      {"dom:renewaldate > dom:datestarted", {}},  // both sides vary by record
      {"upper(dom:host) = 'X' and dom:feepaid < 3", {{"DOM:FEEPAID", Op::Lt, "3"}}},
  };
  for (const Case& c : cases) {
    std::string err;
    Filter f = Filter::parse(c.expr, &err);
    ASSERT_TRUE(f.valid()) << c.expr << ": " << err;
    std::vector<std::tuple<std::string, Op, std::string>> got;
    for (const auto& b : f.bounds(isField))
      got.emplace_back(
          b.name, b.op,
          b.value.isText ? b.value.text : std::to_string(static_cast<long>(b.value.number)));
    EXPECT_EQ(got, c.bounds) << c.expr;
  }
}
