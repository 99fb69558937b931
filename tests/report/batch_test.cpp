#include "runtime/report/batch.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/values/clock.h"

namespace {

// Reads `total` records, each costing the hundredths that cost(i) gives.
struct TimedRun {
  qm::FakeClock clock;
  int total;
  int done = 0;
  std::function<int(int)> cost;
  qm::BatchReader reader{[this] {
    if (done >= total) return false;
    clock.advance(cost(done));
    ++done;
    return true;
  }};
  TimedRun(int n, std::function<int(int)> c) : total(n), cost(std::move(c)) {
    qm::setClock(&clock);
  }
  ~TimedRun() { qm::setClock(nullptr); }
};

struct BatchCase {
  const char* name;
  int perRecord;                  // hundredths each record takes
  std::vector<int> readPerEvent;  // records each event reads
  std::vector<int> cycleAfter;    // RecordsPerCycle after each event
};

TEST(BatchReader, GrowsAndSettlesByTheTimeEachRecordTakes) {
  const BatchCase cases[] = {
      // 1 → 2 → 4 → 8 inside the first event while 2t < 100; 8 records take 80: stays.
      {"fast", 10, {8, 8, 8}, {8, 8, 8}},
      // Doubles to 2 then 4 (t=60 ends the event); 4 records take 120: neither rule fires.
      {"medium", 30, {2, 4, 4}, {4, 4, 4}},
      // t=50 doubles but ends the event (2t is not below 100).
      {"edge", 50, {1, 2, 2}, {2, 2, 2}},
      // Slow records never double and never halve below 1.
      {"slow", 200, {1, 1, 1}, {1, 1, 1}},
      // No time passes: reading goes on to the end in one event.
      {"instant", 0, {1000}, {1024}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TimedRun run(c.perRecord == 0 ? 1000 : 100000, [&](int) { return c.perRecord; });
    for (std::size_t e = 0; e < c.readPerEvent.size(); ++e) {
      SCOPED_TRACE(e);
      const bool more = run.reader.runEvent();
      EXPECT_EQ(run.reader.lastEventCount(), c.readPerEvent[e]);
      if (c.perRecord == 0) {
        EXPECT_FALSE(more);
      } else {
        EXPECT_TRUE(more);
        EXPECT_EQ(run.reader.recordsPerCycle(), c.cycleAfter[e]);
      }
    }
  }
}

TEST(BatchReader, HalvesWhenRecordsBecomeSlow) {
  // 3 fast events build 8 per cycle, then records take 40: 320 halves to 4,
  // 160 halves to 2, then 80 holds.
  TimedRun run(100000, [](int i) { return i < 24 ? 10 : 40; });
  for (int e = 0; e < 3; ++e) run.reader.runEvent();
  ASSERT_EQ(run.reader.recordsPerCycle(), 8);
  std::vector<int> cycles;
  for (int e = 0; e < 3; ++e) {
    run.reader.runEvent();
    cycles.push_back(run.reader.recordsPerCycle());
  }
  EXPECT_EQ(cycles, (std::vector<int>{4, 2, 2}));
}

TEST(BatchReader, EndOfDataStopsAndCountsEveryRecord) {
  TimedRun run(5, [](int) { return 10; });
  EXPECT_FALSE(run.reader.runEvent());  // 1+1+2+... reaches the end within the event
  EXPECT_TRUE(run.reader.atEnd());
  EXPECT_EQ(run.reader.recordsRead(), 5);
  EXPECT_FALSE(run.reader.runEvent());
  EXPECT_EQ(run.done, 5);
}

}  // namespace
