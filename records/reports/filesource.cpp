#include "records/reports/filesource.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include "runtime/config/errors.h"
#include "runtime/store/thread.h"

namespace qm::reports {

namespace {

constexpr int PageRows = 64;
constexpr int RecordRetrievalError = 1;
constexpr int ViewOpenError = 40;

}  // namespace

ReportFileSource::ReportFileSource(FileAccess access, int key, std::string filter, int progressField)
    : access_(std::move(access)), key_(key), filter_(std::move(filter)), progressField_(progressField) {}

ReportFileSource::~ReportFileSource() {
  if (open_) close();
}

bool ReportFileSource::open() {
  if (open_) return true;
  thread_ = currentThread();
  if (access_.open() != 0) return false;  // the manager has said why
  open_ = true;
  file_ = &access_.file();
  buffer_ = &access_.buffer();
  held_ = HeldRecord::of(access_.file, access_.buffer);
  rows_.clear();
  haveLast_ = false;
  atEnd_ = false;
  percent_ = 0;

  view_ = std::make_unique<RecordView>([f = file_]() -> RecordFile& { return *f; });
  view_->setOrder(key_);

  // The bounds of the whole file (no filter) for the progress estimate.
  progress_.start(*view_, progressField_);

  std::string error;
  if (!filter_.empty() && !view_->setFilter(filter_, &error)) {
    MessageArgs args;
    args.file = access_.name;
    args.errorText = error;
    errors().raise(ViewOpenError, args);
  }
  return true;
}

bool ReportFileSource::fill() {
  std::vector<Row> page;
  const int rc = view_->page(haveLast_ ? &last_ : nullptr, true, PageRows, page);
  if (rc != 0) {
    reportReadError(*file_);
    return false;
  }
  for (auto& r : page) rows_.push_back(std::move(r));
  return !rows_.empty();
}

void ReportFileSource::reportReadError(const RecordFile& file) {
  MessageArgs args;
  args.file = access_.name;
  args.errorText = file.errorText();
  errors().raise(RecordRetrievalError, args);
}

bool ReportFileSource::next() {
  if (!open_ || atEnd_) return false;
  ThreadScope scope(thread_);
  if (rows_.empty() && !fill()) {
    atEnd_ = true;
    percent_ = 100;
    return false;
  }
  last_ = std::move(rows_.front());
  rows_.pop_front();
  haveLast_ = true;
  *buffer_ = last_.record;
  percent_ = progress_.at(last_);
  return true;
}

int ReportFileSource::percentDone() const { return percent_; }

void ReportFileSource::close() {
  if (!open_) return;
  ThreadScope scope(thread_);
  rows_.clear();
  view_.reset();
  // The caller (a browse's highlighted row) gets its record back.
  held_.putBack();
  open_ = false;
  file_ = nullptr;
  access_.close();
  buffer_ = nullptr;
}

void ReportFileSource::setQuickScan(bool on) {
  if (!open_) return;
  ThreadScope scope(thread_);
  file_->setQuickScan(on);
}

}  // namespace qm::reports
