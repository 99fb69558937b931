#pragma once
// Day numbers, the 4-byte stored date and clock times.
#include <cstdint>

namespace qm {

// Day 4 is 1 January 1801; 0 means no date. Valid for years up to 9999.
constexpr int32_t kNoDate = 0;
// Day number of a calendar date; 0 when the date is invalid or before day 1.
int32_t dayNumber(int year, int month, int day);
// Calendar date of a day number; false (outputs untouched) for day <= 0 or past 9999-12-31.
bool splitDay(int32_t day, int& year, int& month, int& dayOfMonth);
// 0 Sunday .. 6 Saturday; -1 for no date.
int32_t dayOfWeek(int32_t day);

// Stored date: day in byte 0, month in byte 1, year in bytes 2-3 (low byte first).
// Day 0 (or any invalid day) stores as four zero bytes.
void storeDate(unsigned char* dst4, int32_t day);
// All-zero or invalid bytes load as 0 (no date).
int32_t loadDate(const unsigned char* src4);

// Clock time: hundredths of a second since midnight plus one; 0 means no time,
// 1 is 00:00:00.00, 8640000 is 23:59:59.99.
constexpr int32_t kNoTime = 0;
constexpr int32_t kTimeMax = 8640000;
// 0 when any part is out of range.
int32_t timeOf(int h, int m, int s, int hundredths = 0);
// false (outputs untouched) for t <= 0 or t > kTimeMax.
bool splitTime(int32_t t, int& h, int& m, int& s, int& hundredths);

}  // namespace qm
