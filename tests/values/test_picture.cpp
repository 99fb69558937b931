#include <gtest/gtest.h>

#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/values/picture.h"
#include "runtime/values/picture_locale.h"

using namespace qm;

namespace {

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setPictureLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    setClock(&fake_);
  }
  void TearDown() override {
    resetPictureLocale();
    setClock(nullptr);
  }
  FakeClock fake_{dayNumber(2024, 6, 15), timeOf(10, 0, 0)};
};

}  // namespace

TEST_F(PictureTest, Kinds) {
  struct Case {
    std::string_view pic;
    PictureKind kind;
  };
  const Case cases[] = {
      {"@s20", PictureKind::Text},
      {"S1", PictureKind::Text},
      {"@n10.2", PictureKind::Number},
      {"N-7", PictureKind::Number},
      {"n5.2", PictureKind::Number},
      {"@n-14", PictureKind::Number},
      {"@D2", PictureKind::Date},
      {"d17", PictureKind::Date},
      {"@d1", PictureKind::Date},
      {"D17", PictureKind::Date},
      {"@t3", PictureKind::Time},
      {"T3", PictureKind::Time},
      {"@P####PB", PictureKind::Pattern},
      {"pPage <<<#p", PictureKind::Pattern},
      {"", PictureKind::Unknown},
      {"@", PictureKind::Unknown},
      {"@x5", PictureKind::Unknown},
      {"@n", PictureKind::Unknown},
      {"@n5.7", PictureKind::Unknown},
      {"@d99", PictureKind::Unknown},
      {"@s20x", PictureKind::Unknown},
      {"@P###", PictureKind::Unknown},
      {"@n99999999999", PictureKind::Unknown},
  };
  for (const auto& c : cases) EXPECT_EQ(pictureKind(c.pic), c.kind) << c.pic;
}

TEST_F(PictureTest, Numbers) {
  struct Case {
    std::string_view pic;
    double v;
    std::string want;
  };
  const Case cases[] = {
      {"@n10.2", 1234.5, "  1,234.50"},    {"@n10.2", 0, "      0.00"},
      {"@n10.2", -1234.5, " -1,234.50"},   {"@n10.2", 2.675, "      2.68"},
      {"@n10.2", 0.005, "      0.01"},     {"@n10.2", 9999.995, " 10,000.00"},
      {"@n10.2", 1234567.5, "1234567.50"},  // grouped does not fit, plain does
      {"@n10.2", 123456789, "##########"}, {"@n-7", 42, "     42"},
      {"@n-7", 1234, "  1,234"},           {"@n-7", -1234, " -1,234"},
      {"@n-7", 12.6, "     13"},           {"@n-7", -0.4, "      0"},
      {"n5.2", 3.14159, " 3.14"},          {"N-3", 1000, "###"},
      {"@n-14", -1e9, "-1,000,000,000"},   {"@n5B", 0, "     "},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.pic, c.v), c.want) << c.pic << " " << c.v;
  EXPECT_EQ(formatDecimal("@n10.2", *Decimal42::parse("-99999.99")), "-99,999.99");
  EXPECT_EQ(formatDecimal("@n10.2", *Decimal42::parse("0.05")), "      0.05");
  EXPECT_EQ(formatDecimal("@n-7", *Decimal42::parse("2.50")), "      3");
}

TEST_F(PictureTest, Patterns) {
  struct Case {
    std::string_view pic;
    double v;
    std::string want;
  };
  const Case cases[] = {
      {"@P####PB", 42, "0042"},         {"@P####PB", 0, "    "},
      {"@P####PB", 9999, "9999"},       {"@P####PB", 12345, "####"},
      {"pPage <<<#p", 7, "Page    7"},  {"pPage <<<#p", 1234, "Page 1234"},
      {"pPage <<<#p", 0, "Page    0"},  {"pPage <<<#p", 10000, "Page ####"},
      {"pPage <<<#p", -5, "Page   -5"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatNumber(c.pic, c.v), c.want) << c.pic << " " << c.v;
}

TEST_F(PictureTest, DatesAndTimes) {
  const int32_t d = dayNumber(2024, 1, 5);
  struct Case {
    std::string_view pic;
    int32_t day;
    std::string want;
  };
  const Case cases[] = {
      {"@D2", d, "01/05/2024"}, {"@d2", dayNumber(1801, 12, 31), "12/31/1801"},
      {"@d1", d, "1/05/24"},    {"d1", dayNumber(2009, 11, 30), "11/30/09"},
      {"@d17", d, "1/5/24"},    {"@D2", 0, ""},
      {"@d17", 0, ""},          {"@d1", -3, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(formatDate(c.pic, c.day), c.want) << c.pic << " " << c.day;

  setPictureLocale(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(formatDate("@d17", d), "05.01.24");
  EXPECT_EQ(formatDate("@D2", d), "01/05/2024");  // fixed whatever the locale
  EXPECT_EQ(formatNumber("@n10.2", 1234.5), "  1,234.50");
  setPictureLocale(QLocale(QLocale::English, QLocale::UnitedStates));

  struct TCase {
    int32_t t;
    std::string want;
  };
  const TCase times[] = {
      {timeOf(0, 5, 0), "12:05AM"},
      {timeOf(9, 7, 59), "9:07AM"},
      {timeOf(12, 0, 0), "12:00PM"},
      {timeOf(23, 59, 59, 99), "11:59PM"},
      {0, ""},
      {kTimeMax + 1, ""},
  };
  for (const auto& c : times) EXPECT_EQ(formatTime("@t3", c.t), c.want) << c.t;
  EXPECT_EQ(formatTime("t3", timeOf(13, 30, 0)), "1:30PM");
}

TEST_F(PictureTest, TextAndAny) {
  EXPECT_EQ(formatText("@s5", "abcdefg"), "abcde");
  EXPECT_EQ(formatText("@s5", "ab"), "ab   ");
  EXPECT_EQ(formatText("@s0", "ab"), "");
  EXPECT_EQ(formatText("@q7", "as is"), "as is");  // unknown: plain text
  EXPECT_EQ(formatAny("@s3", "abcd"), "abc");
  EXPECT_EQ(formatAny("@n10.2", "1234.565"), "  1,234.57");
  EXPECT_EQ(formatAny("@n10.2", " "), "      0.00");
  EXPECT_EQ(formatAny("@n10.2", "n/a"), "n/a");
  EXPECT_EQ(formatAny("@D2", std::to_string(dayNumber(2020, 2, 29))), "02/29/2020");
  EXPECT_EQ(formatAny("@D2", "0"), "");
  EXPECT_EQ(formatAny("@t3", std::to_string(timeOf(14, 1, 0))), "2:01PM");
  EXPECT_EQ(formatAny("@P####PB", "17"), "0017");
  // Text pictures count characters, of any number of bytes.
  EXPECT_EQ(formatText("@s3", "\xD1\x91\xE2\x80\x93\xF0\x9F\x98\x80z"),
            "\xD1\x91\xE2\x80\x93\xF0\x9F\x98\x80");
  EXPECT_EQ(formatText("@s3", "\xD1\x91"), "\xD1\x91  ");
  EXPECT_EQ(deformat("@s2", "\xC3\xA9\xC3\xA9\xC3\xA9").text, "\xC3\xA9\xC3\xA9");
}

TEST_F(PictureTest, DeformatAccepts) {
  struct Case {
    std::string_view pic, in;
    double number;
    int32_t day;
    int32_t time;
  };
  const Case cases[] = {
      {"@n10.2", "1,234.56", 1234.56, 0, 0},
      {"@n10.2", " -12.5 ", -12.5, 0, 0},
      {"@n10.2", "3-", -3, 0, 0},
      {"@n10.2", "1.234", 1.23, 0, 0},
      {"@n10.2", "", 0, 0, 0},
      {"@n-7", "1234", 1234, 0, 0},
      {"@P####PB", "0042", 42, 0, 0},
      {"pPage <<<#p", "Page   12", 12, 0, 0},
      {"@D2", "02/29/2024", 0, dayNumber(2024, 2, 29), 0},
      {"@D2", "2/9/2024", 0, dayNumber(2024, 2, 9), 0},
      {"@D2", "   ", 0, 0, 0},
      {"@d1", "1/05/24", 0, dayNumber(2024, 1, 5), 0},
      {"@d1", "12/31/70", 0, dayNumber(1970, 12, 31), 0},
      {"@d1", "1/1/43", 0, dayNumber(2043, 1, 1), 0},
      {"@d1", "1/1/44", 0, dayNumber(1944, 1, 1), 0},
      {"@d17", "1/5/24", 0, dayNumber(2024, 1, 5), 0},
      {"@d17", "12/25/2023", 0, dayNumber(2023, 12, 25), 0},
      {"@t3", "1:30PM", 0, 0, timeOf(13, 30, 0)},
      {"@t3", "12:05 am", 0, 0, timeOf(0, 5, 0)},
      {"@t3", "12:00PM", 0, 0, timeOf(12, 0, 0)},
      {"@t3", "17:45", 0, 0, timeOf(17, 45, 0)},
      {"@t3", "8:15:30", 0, 0, timeOf(8, 15, 30)},
      {"@t3", "", 0, 0, 0},
  };
  for (const auto& c : cases) {
    const Deformatted r = deformat(c.pic, c.in);
    EXPECT_TRUE(r.ok) << c.pic << " '" << c.in << "' " << r.error;
    EXPECT_DOUBLE_EQ(r.number, c.number) << c.pic << " " << c.in;
    EXPECT_EQ(r.day, c.day) << c.pic << " " << c.in;
    EXPECT_EQ(r.time, c.time) << c.pic << " " << c.in;
  }
  EXPECT_EQ(deformat("@s3", "abcdef").text, "abc");
  EXPECT_EQ(deformat("@s20", "  x ").text, "  x ");

  setPictureLocale(QLocale::c());  // a layout with month names
  EXPECT_EQ(formatDate("@d17", dayNumber(2024, 1, 5)), "5 Jan 2024");
  EXPECT_EQ(deformat("@d17", "5 Jan 2024").day, dayNumber(2024, 1, 5));
  EXPECT_FALSE(deformat("@d17", "5 Jab 2024").ok);
  setPictureLocale(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(deformat("@d17", "05.01.24").day, dayNumber(2024, 1, 5));
  EXPECT_EQ(formatDate("@d17", deformat("@d17", "31.12.1999").day), "31.12.99");
}

TEST_F(PictureTest, DeformatRefuses) {
  struct Case {
    std::string_view pic, in, errorHas;
  };
  const Case cases[] = {
      {"@D2", "13/45/2020", "Invalid date"},  {"@D2", "02/30/2023", "Invalid date"},
      {"@D2", "2/2", "Invalid date"},         {"@D2", "1/2/3/4", "Invalid date"},
      {"@D2", "Jan 5 2024", "Invalid date"},  {"@D2", "1/5/123456", "Invalid date"},
      {"@d17", "24/12/2024", "Invalid date"}, {"@d1", "0/05/24", "Invalid date"},
      {"@n10.2", "12a", "Invalid number"},    {"@n10.2", "abc", "Invalid number"},
      {"@n10.2", "1.2.3", "Invalid number"},  {"@n10.2", "-", "Invalid number"},
      {"@n10.2", "1,", "Invalid number"},     {"@n10.2", "12345678", "too large"},
      {"@n-7", "99999999", "too large"},      {"@P####PB", "12x", "Invalid number"},
      {"@t3", "13:00PM", "Invalid time"},     {"@t3", "25:00", "Invalid time"},
      {"@t3", "10:61", "Invalid time"},       {"@t3", "noon", "Invalid time"},
      {"@t3", "10", "Invalid time"},          {"@t3", "0:30AM", "Invalid time"},
  };
  for (const auto& c : cases) {
    const Deformatted r = deformat(c.pic, c.in);
    EXPECT_FALSE(r.ok) << c.pic << " '" << c.in << "'";
    EXPECT_NE(r.error.find(c.errorHas), std::string::npos)
        << c.pic << " '" << c.in << "' -> " << r.error;
    EXPECT_NE(r.error.find(std::string(c.in)), std::string::npos)
        << r.error;  // names what was typed
  }
}
