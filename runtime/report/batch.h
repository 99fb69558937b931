#pragma once
// Reading in batches on timer events: each event reads records until its
// count reaches RecordsPerCycle, then grows or shrinks the batch so one event
// takes about one TimeSlice. No window here, so the rule is tested alone.
#include <cstdint>
#include <functional>

namespace qm {

class BatchReader {
 public:
  static constexpr int64_t TimeSlice = 100;  // hundredths of a second

  // readOne reads and handles one record; false when there is none left.
  explicit BatchReader(std::function<bool()> readOne);

  // One timer event. False once readOne has reported the end.
  bool runEvent();

  int recordsPerCycle() const { return recordsPerCycle_; }
  int64_t recordsRead() const { return recordsRead_; }
  int lastEventCount() const { return lastEventCount_; }
  bool atEnd() const { return atEnd_; }

 private:
  std::function<bool()> readOne_;
  int recordsPerCycle_ = 1;
  int64_t recordsRead_ = 0;
  int lastEventCount_ = 0;
  bool atEnd_ = false;
};

}  // namespace qm
