#include "runtime/view/view.h"

#include <algorithm>

#include "runtime/values/text.h"
#include "runtime/view/fieldvalue.h"

namespace qm {

RecordView::RecordView(std::function<RecordFile&()> file) : file_(std::move(file)) {}

void RecordView::setOrder(int key) {
  order_ = key;
  if (key < 0) range_.clear();
}

void RecordView::setRange(std::vector<std::function<std::string()>> values) {
  range_ = std::move(values);
  if (order_ < 0) range_.clear();
  if (order_ >= 0) {
    size_t n = file().def().keys.at(static_cast<size_t>(order_)).components.size();
    if (range_.size() > n) range_.resize(n);
  }
}

bool RecordView::setFilter(std::string_view expression, std::string* error) {
  std::string err;
  Filter f = Filter::parse(expression, &err);
  if (!f.valid()) {
    if (error) *error = err;
    filter_ = Filter();
    filterText_.clear();
    return false;
  }
  filter_ = std::move(f);
  filterText_ = std::string(expression);
  return true;
}

RecordBuffer RecordView::rangeBuffer() const {
  RecordBuffer b(file().def());
  b.clear();
  if (order_ < 0) return b;
  const KeyDef& key = b.def().keys.at(static_cast<size_t>(order_));
  for (size_t i = 0; i < range_.size() && i < key.components.size(); ++i)
    setValueText(b, key.components[i], range_[i]());
  return b;
}

bool RecordView::inRange(const RecordBuffer& r) const {
  if (range_.empty() || order_ < 0) return true;
  RecordBuffer b = rangeBuffer();
  const KeyDef& key = b.def().keys.at(static_cast<size_t>(order_));
  for (size_t i = 0; i < range_.size(); ++i) {
    int f = key.components[i];
    if (b.def().fields[static_cast<size_t>(f)].type == FieldType::Text) {
      if (compareNoCase(r.text(f), b.text(f)) != 0) return false;
    } else if (r.number(f) != b.number(f)) {
      return false;
    }
  }
  return true;
}

bool RecordView::passesFilter(const RecordBuffer& r) const {
  if (filter_.empty()) return true;
  RecordNames names(r);
  return filter_.matches(names);
}

int RecordView::page(const Row* from, bool forward, int count, std::vector<Row>& out) const {
  out.clear();
  if (count <= 0) return 0;
  std::vector<std::pair<int64_t, RecordBuffer>> got;
  RecordBuffer rv;
  const RecordBuffer* rvp = nullptr;
  KeyRange kr;
  if (order_ >= 0 && !range_.empty()) {
    rv = rangeBuffer();
    rvp = &rv;
    kr.components = static_cast<int>(range_.size());
  }
  std::function<bool(const RecordBuffer&)> accept;
  if (!filter_.empty()) accept = [this](const RecordBuffer& r) { return passesFilter(r); };
  int rc = file().readPage(order_, from ? &from->record : nullptr, from ? from->position : 0, forward, count,
                           got, kr, rvp, accept);
  out.reserve(got.size());
  for (auto& g : got) out.push_back(Row{g.first, std::move(g.second)});
  if (rc == ErrNotAvailable || rc == ErrNotFound) rc = 0;
  return rc;
}

int RecordView::pageFrom(const RecordBuffer& keyValues, int64_t afterPosition, int count,
                         std::vector<Row>& out) const {
  Row from{afterPosition, keyValues};
  return page(&from, true, count, out);
}

int RecordView::locateField() const {
  if (order_ < 0) return -1;
  const KeyDef& key = file().def().keys.at(static_cast<size_t>(order_));
  size_t i = range_.size();
  return i < key.components.size() ? key.components[i] : -1;
}

RecordBuffer RecordView::locateKey(std::string_view text) const {
  RecordBuffer b = rangeBuffer();
  int f = locateField();
  if (f >= 0 && !setValueText(b, f, text)) b.setText(f, "");
  return b;
}

// ---- PagedList ---------------------------------------------------------------

void PagedList::setSelected(int i) {
  if (rows_.empty()) return;
  selected_ = std::clamp(i, 0, static_cast<int>(rows_.size()) - 1);
}

const Row* PagedList::current() const {
  if (rows_.empty()) return nullptr;
  return &rows_[static_cast<size_t>(selected_)];
}

int PagedList::first() {
  std::vector<Row> v;
  int rc = view_.page(nullptr, true, pageSize_, v);
  if (rc) return rc;
  rows_ = std::move(v);
  selected_ = 0;
  return 0;
}

int PagedList::last() {
  std::vector<Row> v;
  int rc = view_.page(nullptr, false, pageSize_, v);
  if (rc) return rc;
  std::reverse(v.begin(), v.end());
  rows_ = std::move(v);
  selected_ = rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1;
  return 0;
}

int PagedList::nextRecord() {
  if (rows_.empty()) return first();
  if (selected_ < static_cast<int>(rows_.size()) - 1) {
    ++selected_;
    return 0;
  }
  std::vector<Row> v;
  int rc = view_.page(&rows_.back(), true, 1, v);
  if (rc) return rc;
  if (v.empty()) return ErrNotAvailable;
  if (static_cast<int>(rows_.size()) >= pageSize_) rows_.erase(rows_.begin());
  rows_.push_back(std::move(v.front()));
  selected_ = static_cast<int>(rows_.size()) - 1;
  return 0;
}

int PagedList::priorRecord() {
  if (rows_.empty()) return last();
  if (selected_ > 0) {
    --selected_;
    return 0;
  }
  std::vector<Row> v;
  int rc = view_.page(&rows_.front(), false, 1, v);
  if (rc) return rc;
  if (v.empty()) return ErrNotAvailable;
  rows_.insert(rows_.begin(), std::move(v.front()));
  if (static_cast<int>(rows_.size()) > pageSize_) rows_.pop_back();
  selected_ = 0;
  return 0;
}

int PagedList::nextPage() {
  if (rows_.empty()) return first();
  std::vector<Row> v;
  int rc = view_.page(&rows_.back(), true, pageSize_, v);
  if (rc) return rc;
  int n = static_cast<int>(rows_.size());
  if (v.empty()) {
    if (selected_ == n - 1) return ErrNotAvailable;
    selected_ = n - 1;
    return 0;
  }
  std::vector<Row> all = std::move(rows_);
  for (auto& r : v) all.push_back(std::move(r));
  int total = static_cast<int>(all.size());
  int target = std::min(selected_ + pageSize_, total - 1);
  int start = std::max(0, total - pageSize_);
  start = std::min(start, target);
  rows_.assign(std::make_move_iterator(all.begin() + start),
               std::make_move_iterator(all.begin() + std::min(total, start + pageSize_)));
  selected_ = target - start;
  return 0;
}

int PagedList::priorPage() {
  if (rows_.empty()) return last();
  std::vector<Row> v;
  int rc = view_.page(&rows_.front(), false, pageSize_, v);
  if (rc) return rc;
  if (v.empty()) {
    if (selected_ == 0) return ErrNotAvailable;
    selected_ = 0;
    return 0;
  }
  int k = static_cast<int>(v.size());
  std::reverse(v.begin(), v.end());
  for (auto& r : rows_) v.push_back(std::move(r));
  int target = std::max(0, selected_ + k - pageSize_);
  int end = std::min(static_cast<int>(v.size()), pageSize_);
  rows_.assign(std::make_move_iterator(v.begin()), std::make_move_iterator(v.begin() + end));
  selected_ = std::min(target, end - 1);
  return 0;
}

// Puts the target row on the given line, filling the page from both sides.
int PagedList::fillAround(std::vector<Row> targetFirst, int line, const Row*) {
  Row target = std::move(targetFirst.front());
  line = std::clamp(line, 0, pageSize_ - 1);
  std::vector<Row> before, after, more;
  int rc = view_.page(&target, false, line, before);
  if (rc) return rc;
  rc = view_.page(&target, true, pageSize_ - 1 - static_cast<int>(before.size()), after);
  if (rc) return rc;
  int missing = pageSize_ - 1 - static_cast<int>(before.size() + after.size());
  if (missing > 0 && static_cast<int>(before.size()) == line) {
    rc = view_.page(before.empty() ? &target : &before.back(), false, missing, more);
    if (rc) return rc;
    for (auto& r : more) before.push_back(std::move(r));
  }
  rows_.clear();
  for (auto it = before.rbegin(); it != before.rend(); ++it) rows_.push_back(std::move(*it));
  selected_ = static_cast<int>(rows_.size());
  rows_.push_back(std::move(target));
  for (auto& r : after) rows_.push_back(std::move(r));
  return 0;
}

int PagedList::locate(std::string_view text) {
  if (view_.locateField() < 0) return first();
  std::vector<Row> v;
  int rc = view_.pageFrom(view_.locateKey(text), 0, 1, v);
  if (rc) return rc;
  if (v.empty()) return last();
  return fillAround(std::move(v), 0, nullptr);
}

int PagedList::showRecord(const RecordBuffer& record, int64_t position) {
  std::vector<Row> v;
  int line = rows_.empty() ? 0 : selected_;
  int rc = view_.pageFrom(record, position > 0 ? position - 1 : 0, 1, v);
  if (rc) return rc;
  if (v.empty()) return last();
  return fillAround(std::move(v), line, nullptr);
}

int PagedList::refresh() {
  if (rows_.empty()) return first();
  Row anchor = *current();
  return showRecord(anchor.record, anchor.position);
}

bool PagedList::hasBefore() const {
  if (rows_.empty()) return false;
  std::vector<Row> v;
  return view_.page(&rows_.front(), false, 1, v) == 0 && !v.empty();
}

bool PagedList::hasAfter() const {
  if (rows_.empty()) return false;
  std::vector<Row> v;
  return view_.page(&rows_.back(), true, 1, v) == 0 && !v.empty();
}

double PagedList::approxFraction() const {
  if (!hasBefore()) return 0.0;
  if (!hasAfter()) return 1.0;
  return 0.5;
}

}  // namespace qm
