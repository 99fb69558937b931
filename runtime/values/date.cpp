#include "runtime/values/date.h"

namespace qm {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
int64_t daysFromCivil(int64_t y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

bool leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : kDays[m - 1];
}

// Day 4 is 1801-01-01.
const int64_t kBase = daysFromCivil(1801, 1, 1) - 4;
const int32_t kLastDay = static_cast<int32_t>(daysFromCivil(9999, 12, 31) - kBase);

}  // namespace

int32_t dayNumber(int year, int month, int day) {
  if (year < 1800 || year > 9999 || month < 1 || month > 12 || day < 1) return 0;
  if (day > daysInMonth(year, month)) return 0;
  const int64_t n = daysFromCivil(year, month, day) - kBase;
  return n > 0 ? static_cast<int32_t>(n) : 0;
}

bool splitDay(int32_t day, int& year, int& month, int& dayOfMonth) {
  if (day <= 0 || day > kLastDay) return false;
  civilFromDays(kBase + day, year, month, dayOfMonth);
  return true;
}

int32_t dayOfWeek(int32_t day) {
  if (day <= 0) return -1;
  // Day 4 (1801-01-01) was a Thursday, so day 0 would be a Sunday.
  return day % 7;
}

void storeDate(unsigned char* dst4, int32_t day) {
  int y = 0, m = 0, d = 0;
  if (!splitDay(day, y, m, d)) {
    dst4[0] = dst4[1] = dst4[2] = dst4[3] = 0;
    return;
  }
  dst4[0] = static_cast<unsigned char>(d);
  dst4[1] = static_cast<unsigned char>(m);
  dst4[2] = static_cast<unsigned char>(y & 0xff);
  dst4[3] = static_cast<unsigned char>((y >> 8) & 0xff);
}

int32_t loadDate(const unsigned char* src4) {
  const int y = src4[2] | (src4[3] << 8);
  return dayNumber(y, src4[1], src4[0]);
}

int32_t timeOf(int h, int m, int s, int hundredths) {
  if (h < 0 || h > 23 || m < 0 || m > 59 || s < 0 || s > 59 || hundredths < 0 || hundredths > 99)
    return 0;
  return ((h * 60 + m) * 60 + s) * 100 + hundredths + 1;
}

bool splitTime(int32_t t, int& h, int& m, int& s, int& hundredths) {
  if (t <= 0 || t > kTimeMax) return false;
  int32_t v = t - 1;
  hundredths = v % 100;
  v /= 100;
  s = v % 60;
  v /= 60;
  m = v % 60;
  h = v / 60;
  return true;
}

}  // namespace qm
