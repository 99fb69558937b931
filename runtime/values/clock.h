#pragma once
// The replaceable clock: everything that asks for today or the time goes through here,
// so tests can fix it.
#include <cstdint>

namespace qm {

class Clock {
 public:
  virtual ~Clock();
  // Today's day number (local time).
  virtual int32_t today() const;
  // The clock time now (local time), see date.h.
  virtual int32_t clockTime() const;
  // A monotonic count of hundredths of a second, for timing batches.
  virtual int64_t hundredthsNow() const;
};

// A clock that tests set by hand.
class FakeClock : public Clock {
 public:
  FakeClock() = default;
  FakeClock(int32_t d, int32_t t, int64_t h = 0) : day(d), time(t), hundredths(h) {}
  int32_t today() const override { return day; }
  int32_t clockTime() const override { return time; }
  int64_t hundredthsNow() const override { return hundredths; }
  // Moves the monotonic count and the clock time on (the day turns at midnight).
  void advance(int64_t by);

  int32_t day = 0;
  int32_t time = 0;
  int64_t hundredths = 0;
};

// The clock in use (the system clock unless a test set another).
const Clock& clock();
// Installs c (not owned; must outlive its use); nullptr restores the system clock.
void setClock(const Clock* c);

int32_t today();
int32_t clockTime();

}  // namespace qm
