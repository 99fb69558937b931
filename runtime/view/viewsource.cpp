#include "runtime/view/viewsource.h"

#include <algorithm>

#include "runtime/store/thread.h"

namespace qm {

ViewSource::ViewSource(RecordView& view, int batch)
    : view_(view), batch_(batch < 1 ? 1 : batch), thread_(currentThread()) {}

bool ViewSource::open() {
  ThreadScope scope(thread_);
  rows_.clear();
  at_ = 0;
  started_ = ended_ = false;
  read_ = 0;
  error_ = 0;
  total_ = view_.file().count();
  return view_.file().isOpen();
}

bool ViewSource::next() {
  ThreadScope scope(thread_);
  while (!ended_) {
    if (at_ >= rows_.size()) {
      int rc = view_.page(started_ ? &last_ : nullptr, true, batch_, rows_);
      started_ = true;
      at_ = 0;
      if (rc) error_ = rc;
      if (rc || rows_.empty()) {
        ended_ = true;
        return false;
      }
    }
    last_ = rows_[at_++];
    // A record deleted since the batch was read is passed over.
    if (view_.file().fetchPosition(last_.position) != 0) continue;
    ++read_;
    return true;
  }
  return false;
}

void ViewSource::setQuickScan(bool on) {
  ThreadScope scope(thread_);
  view_.file().setQuickScan(on);
}

int ViewSource::percentDone() const {
  if (ended_ || total_ <= 0) return ended_ ? 100 : 0;
  return static_cast<int>(std::min<int64_t>(100, read_ * 100 / total_));
}

}  // namespace qm
