#include "runtime/values/clock.h"

#include <QDateTime>
#include <atomic>
#include <chrono>

#include "runtime/values/date.h"

namespace qm {

Clock::~Clock() = default;

int32_t Clock::today() const {
  const QDate d = QDate::currentDate();
  return dayNumber(d.year(), d.month(), d.day());
}

int32_t Clock::clockTime() const {
  const QTime t = QTime::currentTime();
  return timeOf(t.hour(), t.minute(), t.second(), t.msec() / 10);
}

int64_t Clock::hundredthsNow() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() / 10;
}

void FakeClock::advance(int64_t by) {
  hundredths += by;
  if (time <= 0) return;
  constexpr int64_t kPerDay = kTimeMax;
  int64_t t = static_cast<int64_t>(time - 1) + by;
  int64_t days = t / kPerDay;
  t %= kPerDay;
  if (t < 0) {
    t += kPerDay;
    --days;
  }
  time = static_cast<int32_t>(t + 1);
  if (day > 0) day = static_cast<int32_t>(day + days);
}

namespace {
const Clock kSystemClock;
std::atomic<const Clock*> gClock{&kSystemClock};
}  // namespace

const Clock& clock() { return *gClock.load(std::memory_order_acquire); }

void setClock(const Clock* c) { gClock.store(c ? c : &kSystemClock, std::memory_order_release); }

int32_t today() { return clock().today(); }
int32_t clockTime() { return clock().clockTime(); }

}  // namespace qm
