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

// A key text as a fraction: digits, then letters, each place one of 37
// (0 for anything else), four places deep.
double keyFraction(std::string_view s) {
  double v = 0, scale = 1.0;
  int places = 0;
  for (char ch : s) {
    if (places == 4) break;
    const unsigned char c = static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(ch)));
    int d = 0;
    if (c >= '0' && c <= '9')
      d = 1 + (c - '0');
    else if (c >= 'A' && c <= 'Z')
      d = 11 + (c - 'A');
    else if (c == ' ')
      d = 0;
    else
      continue;  // punctuation does not move the estimate
    scale /= 37.0;
    v += d * scale;
    ++places;
  }
  return v;
}

}  // namespace

int textKeyPercent(std::string_view first, std::string_view last, std::string_view value) {
  const double lo = keyFraction(first), hi = keyFraction(last), v = keyFraction(value);
  if (hi <= lo) return 0;
  const double p = (v - lo) * 100.0 / (hi - lo);
  return std::clamp(static_cast<int>(p), 0, 100);
}

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
  saved_ = *buffer_;
  rows_.clear();
  haveLast_ = false;
  atEnd_ = false;
  percent_ = 0;

  view_ = std::make_unique<RecordView>([f = file_]() -> RecordFile& { return *f; });
  view_->setOrder(key_);

  // The bounds of the whole file (no filter) for the progress estimate.
  firstPos_ = lastPos_ = 0;
  firstKey_.clear();
  lastKey_.clear();
  Row first, last;
  if (view_->ends(first, last)) {
    firstPos_ = first.position;
    lastPos_ = last.position;
    if (progressField_ >= 0) {
      firstKey_ = first.record.text(progressField_);
      lastKey_ = last.record.text(progressField_);
    }
  }

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
  if (progressField_ >= 0)
    percent_ = textKeyPercent(firstKey_, lastKey_, last_.record.text(progressField_));
  else if (lastPos_ > firstPos_)
    percent_ = static_cast<int>(std::clamp<int64_t>(
        (last_.position - firstPos_) * 100 / (lastPos_ - firstPos_ + 1), 0, 100));
  return true;
}

int ReportFileSource::percentDone() const { return percent_; }

void ReportFileSource::close() {
  if (!open_) return;
  ThreadScope scope(thread_);
  rows_.clear();
  view_.reset();
  // The caller (a browse's highlighted row) gets its record back.
  *buffer_ = saved_;
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
