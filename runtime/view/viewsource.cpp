#include "runtime/view/viewsource.h"

#include <algorithm>
#include <utility>

#include "runtime/config/errors.h"
#include "runtime/store/thread.h"
#include "runtime/values/text.h"

namespace qm {

namespace {

constexpr int RecordRetrievalError = 1;
constexpr int ViewOpenError = 40;

}  // namespace

ViewSource::ViewSource(SourceFile file, SourcePlan plan)
    : file_(std::move(file)), plan_(std::move(plan)) {}

ViewSource::~ViewSource() {
  if (open_) close();
}

bool ViewSource::open() {
  if (open_) return true;
  thread_ = currentThread();
  if (file_.open() != 0) return false;  // the manager has said why
  if (plan_.prepare && !plan_.prepare()) {
    file_.close();
    return false;
  }
  open_ = true;
  RecordFile* file = &file_.file();
  buffer_ = &file_.buffer();
  held_ = HeldRecord::of(file_.file, file_.buffer);
  ready_.clear();
  pending_.clear();
  haveAnchor_ = viewDone_ = atEnd_ = false;
  current_ = Row{};
  delivered_ = 0;
  percent_ = 0;
  error_ = 0;

  view_ = std::make_unique<RecordView>([file]() -> RecordFile& { return *file; });
  view_->setOrder(plan_.key);
  std::vector<std::function<std::string()>> range;
  if (plan_.key >= 0 && plan_.range)
    for (std::string& v : plan_.range(held_.record))
      range.push_back([v = std::move(v)] { return v; });
  view_->setRange(std::move(range));

  // The ends of the range, unfiltered, for the progress estimate.
  progress_.start(*view_, plan_.progressField);

  std::string error;
  if (!plan_.filter.empty() && !view_->setFilter(plan_.filter, &error)) {
    MessageArgs args;
    args.file = file_.name;
    args.errorText = error;
    errors().raise(ViewOpenError, args);
  }
  // Ordering the whole view needs all of it: read it now, on the opener's
  // thread, so the run itself only hands out rows.
  if (wholeView()) fill();
  return true;
}

bool ViewSource::readPage(std::vector<Row>& out) {
  out.clear();
  if (viewDone_) return true;
  const int rc = view_->page(haveAnchor_ ? &anchor_ : nullptr, true, std::max(1, plan_.batch), out);
  if (rc != 0) {
    error_ = rc;
    MessageArgs args;
    args.file = file_.name;
    args.errorText = view_->file().errorText();
    errors().raise(RecordRetrievalError, args);
    viewDone_ = true;
    return false;
  }
  if (out.empty()) {
    viewDone_ = true;
  } else {
    anchor_ = out.back();
    haveAnchor_ = true;
  }
  return true;
}

bool ViewSource::sameKey(const RecordBuffer& a, const RecordBuffer& b) const {
  if (plan_.key < 0) return true;
  for (int c : a.def().keys[static_cast<std::size_t>(plan_.key)].components)
    if (compareNoCase(a.text(c), b.text(c)) != 0) return false;
  return true;
}

bool ViewSource::fill() {
  std::vector<Row> page;
  auto take = [this](Row& r) {
    if (!plan_.accept || plan_.accept(r.record)) ready_.push_back(std::move(r));
  };
  while (ready_.empty()) {
    if (pending_.empty()) {
      if (!readPage(page) || page.empty()) return false;
      for (auto& r : page) pending_.push_back(std::move(r));
    }
    if (!plan_.within) {
      for (auto& r : pending_) take(r);
      pending_.clear();
      continue;
    }
    // A whole run of equal keys, then put in the plan's order.
    std::vector<Row> group;
    group.push_back(std::move(pending_.front()));
    pending_.pop_front();
    for (;;) {
      while (!pending_.empty() && sameKey(pending_.front().record, group.front().record)) {
        group.push_back(std::move(pending_.front()));
        pending_.pop_front();
      }
      if (!pending_.empty() || viewDone_) break;
      if (!readPage(page)) return false;
      if (page.empty()) break;
      for (auto& r : page) pending_.push_back(std::move(r));
    }
    std::stable_sort(group.begin(), group.end(), [this](const Row& a, const Row& b) {
      return plan_.within(a.record, b.record);
    });
    for (auto& r : group) take(r);
  }
  return true;
}

bool ViewSource::next() {
  if (!open_ || atEnd_) return false;
  ThreadScope scope(thread_);
  for (;;) {
    if (ready_.empty() && !fill()) {
      atEnd_ = true;
      percent_ = 100;
      return false;
    }
    current_ = std::move(ready_.front());
    ready_.pop_front();
    if (plan_.fetch) {
      // A record deleted since its page was read is passed over.
      if (view_->file().fetchPosition(current_.position) != 0) continue;
    } else {
      *buffer_ = current_.record;
    }
    ++delivered_;
    percent_ = wholeView() ? static_cast<int>(delivered_ * 100 /
                                              (delivered_ + static_cast<int64_t>(ready_.size())))
                           : progress_.at(current_);
    return true;
  }
}

void ViewSource::close() {
  if (!open_) return;
  ThreadScope scope(thread_);
  ready_.clear();
  pending_.clear();
  view_.reset();
  // The caller (a browse's highlighted row) gets its record back.
  held_.putBack();
  open_ = false;
  file_.close();
}

void ViewSource::setQuickScan(bool on) {
  if (!open_) return;
  ThreadScope scope(thread_);
  view_->file().setQuickScan(on);
}

}  // namespace qm
