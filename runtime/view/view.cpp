#include "runtime/view/view.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <utility>

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

Conditions RecordView::storeConditions() const {
  Conditions out;
  if (filter_.empty()) return out;
  const FileDef& def = file().def();
  RecordBuffer none(def);
  RecordNames names(none);
  const auto bounds =
      filter_.bounds([&names](std::string_view n) { return names.lookup(n).has_value(); });
  for (const Filter::Bound& b : bounds) {
    const int f = def.fieldIndex(b.name);
    if (f < 0) continue;
    FieldCondition c;
    c.field = f;
    using Op = FieldCondition::Op;
    switch (b.op) {
      case Filter::Bound::Op::Eq:
        c.op = Op::Eq;
        break;
      case Filter::Bound::Op::Lt:
        c.op = Op::Lt;
        break;
      case Filter::Bound::Op::Le:
        c.op = Op::Le;
        break;
      case Filter::Bound::Op::Gt:
        c.op = Op::Gt;
        break;
      case Filter::Bound::Op::Ge:
        c.op = Op::Ge;
        break;
    }
    switch (def.fields[static_cast<size_t>(f)].type) {
      case FieldType::Text:
        // The filter tests text as written, the store in any case: only an
        // equality selects no fewer records than the filter.
        if (b.op != Filter::Bound::Op::Eq || !b.value.isText) continue;
        c.text = b.value.text;
        break;
      case FieldType::Date:
      case FieldType::Int2:
      case FieldType::Int4:
      case FieldType::UInt1:
        if (b.value.isText) continue;
        c.number = b.value.number;
        break;
      default:
        continue;  // kept as reals, where the two may round apart
    }
    out.push_back(std::move(c));
  }
  return out;
}

bool RecordView::ends(Row& first, Row& last) const {
  std::vector<Row> edge;
  if (page(nullptr, true, 1, edge) != 0 || edge.empty()) return false;
  first = std::move(edge.front());
  if (page(nullptr, false, 1, edge) != 0 || edge.empty()) return false;
  last = std::move(edge.front());
  return true;
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
  int rc = file().readPage(order_, from ? &from->record : nullptr, from ? from->position : 0,
                           forward, count, got, kr, rvp, accept, storeConditions());
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
  forgetEnds();
  std::vector<Row> v;
  int rc = view_.page(nullptr, true, pageSize_, v);
  if (rc) return rc;
  rows_ = std::move(v);
  selected_ = 0;
  return 0;
}

int PagedList::last() {
  forgetEnds();
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
  forgetEnds();
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

// ---- scroll bar place ------------------------------------------------------
// Text keys are read as numbers: after the prefix the two end keys share,
// six characters (ASCII case folded, the way the keys compare) are digits of
// an alphabet chosen from the first differing characters: digits, letters,
// both, or every character. Characters outside it count as its nearest end,
// so the reading never goes against the key order, and a key made from a
// number holds only characters of the alphabet.

namespace {

constexpr int kPlaces = 6;

unsigned char folded(unsigned char c) {
  return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}
bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool isLetter(unsigned char c) { return c >= 'A' && c <= 'Z'; }

class Alphabet {
 public:
  enum Kind { Digits, Letters, Alnum, All };
  Alphabet(unsigned char a, unsigned char b) {
    a = folded(a), b = folded(b);
    if (isDigit(a) && isDigit(b))
      kind_ = Digits, base_ = 10;
    else if (isLetter(a) && isLetter(b))
      kind_ = Letters, base_ = 26;
    else if ((isDigit(a) || isLetter(a)) && (isDigit(b) || isLetter(b)))
      kind_ = Alnum, base_ = 36;
    else
      kind_ = All, base_ = 198;
  }
  int base() const { return base_; }
  int digit(unsigned char c) const {
    c = folded(c);
    switch (kind_) {
      case Digits:
        return c < '0' ? 0 : (c > '9' ? 9 : c - '0');
      case Letters:
        return c < 'A' ? 0 : (c > 'Z' ? 25 : c - 'A');
      case Alnum:
        if (c < '0') return 0;
        if (c <= '9') return c - '0';
        if (c < 'A') return 10;
        return c > 'Z' ? 35 : 10 + c - 'A';
      case All:
        if (c < 0x20) return 0;
        if (c <= 0x60) return c - 0x20;
        return c - 0x20 - 26;  // 0x7B..0xFF: the lower-case letters are left out
    }
    return 0;
  }
  char character(int d) const {
    switch (kind_) {
      case Digits:
        return static_cast<char>('0' + d);
      case Letters:
        return static_cast<char>('A' + d);
      case Alnum:
        return static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10);
      case All:
        return static_cast<char>(d <= 64 ? 0x20 + d : 0x20 + 26 + d);
    }
    return ' ';
  }

 private:
  Kind kind_ = All;
  int base_ = 198;
};

size_t sharedPrefix(const std::string& a, const std::string& b) {
  size_t n = 0;
  while (n < a.size() && n < b.size() &&
         folded(static_cast<unsigned char>(a[n])) == folded(static_cast<unsigned char>(b[n])))
    ++n;
  return n;
}

unsigned char charAt(const std::string& s, size_t i) {
  return i < s.size() ? static_cast<unsigned char>(s[i]) : ' ';
}

// The end keys' text reading: their shared prefix and alphabet.
struct TextScale {
  TextScale(const std::string& lo, const std::string& hi)
      : prefix(sharedPrefix(lo, hi)), alphabet(charAt(lo, prefix), charAt(hi, prefix)) {}
  double number(const std::string& s) const {
    double v = 0, scale = 1;
    for (int i = 0; i < kPlaces; ++i) {
      scale /= alphabet.base();
      v += alphabet.digit(charAt(s, prefix + static_cast<size_t>(i))) * scale;
    }
    return v;
  }
  std::string text(const std::string& lo, double v) const {
    std::string s = lo.substr(0, prefix);
    for (int i = 0; i < kPlaces; ++i) {
      v *= alphabet.base();
      int d = std::clamp(static_cast<int>(std::floor(v)), 0, alphabet.base() - 1);
      v -= d;
      s += alphabet.character(d);
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s;
  }
  size_t prefix;
  Alphabet alphabet;
};

bool sameValue(const RecordBuffer& a, const RecordBuffer& b, int f) {
  if (a.def().fields[static_cast<size_t>(f)].type == FieldType::Text)
    return compareNoCase(a.text(f), b.text(f)) == 0;
  return a.number(f) == b.number(f);
}

// The first free key component in which the two end rows differ: the one
// the place is read from (-1: none, the position is used).
int splitField(const RecordView& view, const RecordBuffer& a, const RecordBuffer& b) {
  if (view.order() < 0) return -1;
  const KeyDef& k = a.def().keys.at(static_cast<size_t>(view.order()));
  for (size_t i = static_cast<size_t>(view.rangeComponents()); i < k.components.size(); ++i)
    if (!sameValue(a, b, k.components[i])) return k.components[i];
  return -1;
}

std::string numberValueText(FieldType t, double v) {
  char buf[64];
  switch (t) {
    case FieldType::Decimal42:
      std::snprintf(buf, sizeof buf, "%.2f", v);
      break;
    case FieldType::Real:
      std::snprintf(buf, sizeof buf, "%.17g", v);
      break;
    default:
      std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(std::llround(v)));
      break;
  }
  return buf;
}

}  // namespace

bool PagedList::ends() const {
  RecordBuffer range = view_.rangeValues();
  if (endsKnown_ && ends_.order == view_.order() && ends_.filter == view_.filterText() &&
      ends_.range == range)
    return ends_.any;
  ends_ = Ends{};
  ends_.order = view_.order();
  ends_.filter = view_.filterText();
  ends_.range = std::move(range);
  std::vector<Row> a, b;
  endsKnown_ = true;
  if (view_.page(nullptr, true, 1, a) != 0 || a.empty() || view_.page(nullptr, false, 1, b) != 0 ||
      b.empty()) {
    endsKnown_ = false;  // read again next time
    return false;
  }
  ends_.first = std::move(a.front());
  ends_.last = std::move(b.front());
  ends_.any = true;
  return true;
}

double PagedList::approxFraction() const {
  const Row* cur = current();
  if (!cur || !ends()) return 0.0;
  const Row &a = ends_.first, &b = ends_.last;
  if (cur->position == a.position) return 0.0;
  if (cur->position == b.position) return 1.0;
  double f = 0.5;
  int field = splitField(view_, a.record, b.record);
  if (field < 0) {
    if (b.position != a.position)
      f = static_cast<double>(cur->position - a.position) /
          static_cast<double>(b.position - a.position);
  } else if (a.record.def().fields[static_cast<size_t>(field)].type == FieldType::Text) {
    std::string lo = a.record.text(field), hi = b.record.text(field);
    TextScale t(lo, hi);
    double l = t.number(lo), h = t.number(hi);
    if (h > l) f = (t.number(cur->record.text(field)) - l) / (h - l);
  } else {
    double l = a.record.number(field), h = b.record.number(field);
    if (h != l) f = (cur->record.number(field) - l) / (h - l);
  }
  // Not on an end row: never shown as at an end.
  return std::clamp(f, 0.001, 0.999);
}

int PagedList::locateFraction(double fraction) {
  if (!(fraction > 0.0)) return first();
  if (fraction >= 1.0) return last();
  if (!ends()) return first();
  const Row &a = ends_.first, &b = ends_.last;
  Row from;
  int field = splitField(view_, a.record, b.record);
  if (field < 0) {
    from.record = a.record;
    from.position =
        a.position + static_cast<int64_t>(std::llround((b.position - a.position) * fraction)) - 1;
  } else {
    // The components before the split one are the same at both ends.
    from.record = view_.rangeValues();
    const KeyDef& k = a.record.def().keys.at(static_cast<size_t>(view_.order()));
    for (size_t i = static_cast<size_t>(view_.rangeComponents()); i < k.components.size(); ++i) {
      int c = k.components[i];
      if (c == field) break;
      setValueText(from.record, c, a.record.valueText(c));
    }
    FieldType t = a.record.def().fields[static_cast<size_t>(field)].type;
    if (t == FieldType::Text) {
      std::string lo = a.record.text(field), hi = b.record.text(field);
      TextScale ts(lo, hi);
      double l = ts.number(lo), h = ts.number(hi);
      setValueText(from.record, field, ts.text(lo, l + (h - l) * fraction));
    } else {
      double l = a.record.number(field), h = b.record.number(field);
      setValueText(from.record, field, numberValueText(t, l + (h - l) * fraction));
    }
    from.position = 0;
  }
  std::vector<Row> v;
  int rc = view_.page(&from, true, 1, v);
  if (rc) return rc;
  if (v.empty()) return last();
  int line = static_cast<int>(std::lround(fraction * (pageSize_ - 1)));
  return fillAround(std::move(v), line, nullptr);
}

bool PagedList::wholeViewShown() const {
  if (rows_.empty()) return true;
  if (!ends()) return true;
  return rows_.front().position == ends_.first.position &&
         rows_.back().position == ends_.last.position;
}

namespace {

// A key text as a fraction: digits, then letters, each place one of 37
// (0 for anything else), four places deep.
double keyFraction(std::string_view s) {
  double v = 0, scale = 1.0;
  int places = 0;
  for (char ch : s) {
    if (places == 4) break;
    const unsigned char c =
        static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(ch)));
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

void ReadProgress::start(const RecordView& view, int keyField) {
  field_ = keyField;
  firstPos_ = lastPos_ = 0;
  firstKey_.clear();
  lastKey_.clear();
  Row first, last;
  if (!view.ends(first, last)) return;
  firstPos_ = first.position;
  lastPos_ = last.position;
  if (field_ >= 0) {
    firstKey_ = first.record.text(field_);
    lastKey_ = last.record.text(field_);
  }
}

int ReadProgress::at(const Row& row) const {
  if (field_ >= 0) return textKeyPercent(firstKey_, lastKey_, row.record.text(field_));
  if (lastPos_ <= firstPos_) return 0;
  return static_cast<int>(
      std::clamp<int64_t>((row.position - firstPos_) * 100 / (lastPos_ - firstPos_ + 1), 0, 100));
}

}  // namespace qm
