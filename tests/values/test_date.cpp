#include <gtest/gtest.h>

#include <QDate>

#include "runtime/values/clock.h"
#include "runtime/values/date.h"

using namespace qm;

TEST(Date, DayNumbers) {
  struct Case {
    int y, m, d;
    int32_t day;
  };
  const Case cases[] = {
      {1801, 1, 1, 4},     {1800, 12, 29, 1}, {1800, 12, 28, 0},  // before day 1
      {1801, 2, 29, 0},    {1900, 2, 29, 0},  {2000, 2, 29, 72746}, {2024, 2, 29, 81512},
      {1900, 1, 1, 36163}, {2023, 2, 29, 0},  {2024, 4, 31, 0},     {2024, 13, 1, 0},
      {2024, 0, 1, 0},     {2024, 1, 0, 0},   {10000, 1, 1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dayNumber(c.y, c.m, c.d), c.day) << c.y << "-" << c.m << "-" << c.d;
  }
  // Cross-check against Qt's calendar over the whole range.
  const QDate base(1801, 1, 1);
  for (const QDate& q : {QDate(1801, 3, 1), QDate(1900, 3, 1), QDate(1999, 12, 31),
                         QDate(2000, 3, 1), QDate(2038, 1, 19), QDate(9999, 12, 31)}) {
    const int32_t n = dayNumber(q.year(), q.month(), q.day());
    EXPECT_EQ(n, 4 + base.daysTo(q));
    int y = 0, m = 0, d = 0;
    ASSERT_TRUE(splitDay(n, y, m, d));
    EXPECT_EQ(QDate(y, m, d), q);
    EXPECT_EQ(dayOfWeek(n), q.dayOfWeek() % 7);
  }
  int y = 7, m = 7, d = 7;
  EXPECT_FALSE(splitDay(0, y, m, d));
  EXPECT_FALSE(splitDay(-5, y, m, d));
  EXPECT_FALSE(splitDay(dayNumber(9999, 12, 31) + 1, y, m, d));
  EXPECT_EQ(y, 7);
  EXPECT_EQ(dayOfWeek(0), -1);
}

TEST(Date, StoredForm) {
  unsigned char b[4];
  storeDate(b, dayNumber(2024, 2, 29));
  EXPECT_EQ(b[0], 29);
  EXPECT_EQ(b[1], 2);
  EXPECT_EQ(b[2], 2024 & 0xff);
  EXPECT_EQ(b[3], 2024 >> 8);
  EXPECT_EQ(loadDate(b), dayNumber(2024, 2, 29));

  for (int32_t day : {1, 4, 36525, 81510, dayNumber(9999, 12, 31)}) {
    storeDate(b, day);
    EXPECT_EQ(loadDate(b), day);
  }
  for (int32_t none : {0, -1, 99999999}) {
    storeDate(b, none);
    EXPECT_EQ(b[0] | b[1] | b[2] | b[3], 0);
    EXPECT_EQ(loadDate(b), 0);
  }
  const unsigned char damaged[][4] = {
      {31, 2, 0xe8, 0x07}, {1, 13, 0xe8, 0x07}, {0, 1, 0xe8, 0x07}, {0xff, 0xff, 0xff, 0xff}};
  for (const auto& x : damaged) EXPECT_EQ(loadDate(x), 0);
}

TEST(Date, Times) {
  EXPECT_EQ(timeOf(0, 0, 0), 1);
  EXPECT_EQ(timeOf(23, 59, 59, 99), kTimeMax);
  EXPECT_EQ(timeOf(13, 5, 7, 42), ((13 * 60 + 5) * 60 + 7) * 100 + 42 + 1);
  for (auto bad : {timeOf(24, 0, 0), timeOf(0, 60, 0), timeOf(0, 0, 60), timeOf(0, 0, 0, 100),
                   timeOf(-1, 0, 0)})
    EXPECT_EQ(bad, 0);
  int h = 0, m = 0, s = 0, hs = 0;
  ASSERT_TRUE(splitTime(timeOf(13, 5, 7, 42), h, m, s, hs));
  EXPECT_EQ(std::vector<int>({h, m, s, hs}), std::vector<int>({13, 5, 7, 42}));
  EXPECT_FALSE(splitTime(0, h, m, s, hs));
  EXPECT_FALSE(splitTime(kTimeMax + 1, h, m, s, hs));
}

TEST(Clock, FakeClockReplacesAndRestores) {
  const int32_t sysToday = today();
  EXPECT_EQ(sysToday, dayNumber(QDate::currentDate().year(), QDate::currentDate().month(),
                                QDate::currentDate().day()));
  EXPECT_GT(clockTime(), 0);

  FakeClock fake(dayNumber(2024, 12, 31), timeOf(23, 59, 59, 50), 1000);
  setClock(&fake);
  EXPECT_EQ(today(), dayNumber(2024, 12, 31));
  fake.advance(75);  // past midnight: the day turns
  EXPECT_EQ(today(), dayNumber(2025, 1, 1));
  EXPECT_EQ(clockTime(), timeOf(0, 0, 0, 25));
  EXPECT_EQ(qm::clock().hundredthsNow(), 1075);
  fake.advance(-50);  // and back
  EXPECT_EQ(today(), dayNumber(2024, 12, 31));
  EXPECT_EQ(clockTime(), timeOf(23, 59, 59, 75));
  setClock(nullptr);
  EXPECT_NE(&qm::clock(), &fake);
  const int64_t a = qm::clock().hundredthsNow();
  EXPECT_GE(qm::clock().hundredthsNow(), a);
}
