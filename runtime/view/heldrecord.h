#pragma once
#include <cstdint>
#include <functional>
#include <utility>

#include "runtime/store/store.h"

namespace qm {

// A file's record, position and key order as one procedure or report holds
// them, put back after others on the thread have moved the thread's buffer
// or read the file in another order.
struct HeldRecord {
  std::function<RecordFile&()> file;
  std::function<RecordBuffer&()> buffer;  // where the record goes back
  RecordBuffer record;
  int64_t position = 0;
  int order = -1;

  // Of anything with recordFile() and buffer() (a window's DataFile).
  template <class File>
  static HeldRecord of(File& f) {
    return of([&f]() -> RecordFile& { return f.recordFile(); },
              [&f]() -> RecordBuffer& { return f.buffer(); });
  }
  static HeldRecord of(std::function<RecordFile&()> file, std::function<RecordBuffer&()> buffer) {
    RecordFile& rf = file();
    RecordBuffer record = buffer();
    const int64_t position = rf.position();
    const int order = rf.order();
    return HeldRecord{std::move(file), std::move(buffer), std::move(record), position, order};
  }
  // The order, the buffer and the record that a write-back rewrites become
  // the held ones again (sequential reading goes on from that record); a
  // record deleted meanwhile leaves none current.
  void putBack() const {
    RecordFile& rf = file();
    const bool reordered = rf.order() != order;
    if (reordered) rf.setOrder(order);  // which also moves the reading to the start
    if ((reordered || rf.position() != position) &&
        (position == 0 || !rf.isOpen() || rf.fetchPosition(position) != 0))
      rf.forgetPosition();
    buffer() = record;
  }
};

}  // namespace qm
