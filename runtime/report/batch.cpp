#include "runtime/report/batch.h"

#include <utility>

#include "runtime/values/clock.h"

namespace qm {

namespace {
// Keeps the doubling from overflowing on a fast source.
constexpr int MaxPerCycle = 1 << 24;
}  // namespace

BatchReader::BatchReader(std::function<bool()> readOne) : readOne_(std::move(readOne)) {}

bool BatchReader::runEvent() {
  if (atEnd_) return false;
  const int64_t start = clock().hundredthsNow();
  int count = 0;
  for (;;) {
    while (count < recordsPerCycle_) {
      if (!readOne_()) {
        atEnd_ = true;
        lastEventCount_ = count;
        return false;
      }
      ++count;
      ++recordsRead_;
    }
    const int64_t t = clock().hundredthsNow() - start;
    if (5 * t < 4 * TimeSlice && recordsPerCycle_ < MaxPerCycle) recordsPerCycle_ *= 2;
    if (2 * t < TimeSlice && count < recordsPerCycle_) continue;
    if (2 * t > 3 * TimeSlice && recordsPerCycle_ > 1) recordsPerCycle_ /= 2;
    break;
  }
  lastEventCount_ = count;
  return true;
}

}  // namespace qm
