// Field layouts and the packed record buffer.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "runtime/store/store.h"
#include "runtime/store/store_internal.h"
#include "runtime/values/date.h"
#include "runtime/values/text.h"

namespace qm {

namespace {

template <class Defs>
int findLabel(const Defs& defs, std::string_view label) {
  for (std::size_t i = 0; i < defs.size(); ++i)
    if (store_detail::equalNoCase(defs[i].label, label)) return static_cast<int>(i);
  return -1;
}

}  // namespace

int FileDef::fieldIndex(std::string_view label) const { return findLabel(fields, label); }
int FileDef::keyIndex(std::string_view label) const { return findLabel(keys, label); }
int FileDef::memoIndex(std::string_view label) const { return findLabel(memos, label); }

std::string columnName(std::string_view label) {
  auto colon = label.find(':');
  return std::string(colon == std::string_view::npos ? label : label.substr(colon + 1));
}

std::string diskFileName(const FileDef& def) {
  const std::string& n = def.diskName;
  if (def.kind == FileKind::Line) return n;
  auto slash = n.find_last_of("/\\");
  auto base = slash == std::string::npos ? n : n.substr(slash + 1);
  return base.find('.') == std::string::npos ? n + ".qdf" : n;
}

// ---- RecordBuffer ----------------------------------------------------------

RecordBuffer::RecordBuffer(const FileDef& def)
    : def_(&def), bytes_(static_cast<std::size_t>(def.recordSize)), memos_(def.memos.size()) {
  clear();
}

void RecordBuffer::clear() {
  if (!def_) return;
  std::memset(bytes_.data(), 0, bytes_.size());
  // Neighbouring text fields are blanked in one go: a record of 40 lines
  // is one run of blanks.
  std::size_t from = 0, to = 0;
  for (const auto& f : def_->fields) {
    if (f.type != FieldType::Text) continue;
    const auto at = static_cast<std::size_t>(f.offset), end = at + static_cast<std::size_t>(f.size);
    if (at != to) {
      std::memset(bytes_.data() + from, ' ', to - from);
      from = at;
    }
    to = end;
  }
  std::memset(bytes_.data() + from, ' ', to - from);
  for (auto& m : memos_) m.clear();
  wide_.clear();
}

namespace {
bool sameWide(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() == b.size()) return a == b;
  const std::vector<std::string>& longer = a.size() > b.size() ? a : b;
  const std::vector<std::string>& shorter = a.size() > b.size() ? b : a;
  for (std::size_t i = 0; i < longer.size(); ++i)
    if (longer[i] != (i < shorter.size() ? shorter[i] : std::string())) return false;
  return true;
}
}  // namespace

bool RecordBuffer::operator==(const RecordBuffer& o) const {
  return def_ == o.def_ && bytes_ == o.bytes_ && memos_ == o.memos_ && sameWide(wide_, o.wide_);
}

void RecordBuffer::copyFields(const RecordBuffer& o) {
  if (o.bytes_.size() != bytes_.size()) return;
  bytes_ = o.bytes_;
  wide_ = o.wide_;
}

std::string_view RecordBuffer::textView(int field) const {
  const auto at = static_cast<std::size_t>(field);
  const FieldDef& f = def_->fields.at(at);
  if (at < wide_.size() && !wide_[at].empty()) return wide_[at];
  return clip(std::string_view(reinterpret_cast<const char*>(bytes_.data()) + f.offset,
                               static_cast<std::size_t>(f.size)));
}

std::string RecordBuffer::text(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  if (f.type != FieldType::Text) return valueText(field);
  return std::string(textView(field));
}

void RecordBuffer::setText(int field, std::string_view value) {
  const auto at = static_cast<std::size_t>(field);
  const FieldDef& f = def_->fields.at(at);
  if (f.type == FieldType::Text) {
    const auto width = static_cast<std::size_t>(f.size);
    std::string read;
    if (!validUtf8(value)) value = read = toUtf8(value);
    // The width counts characters; a cut falls between two of them.
    if (value.size() > width) value = clip(cutChars(value, width));
    char* slot = reinterpret_cast<char*>(bytes_.data()) + f.offset;
    assignText(slot, width, value);
    if (value.size() > width) {
      if (wide_.size() < def_->fields.size()) wide_.resize(def_->fields.size());
      wide_[at] = value;
    } else if (at < wide_.size()) {
      wide_[at].clear();
    }
    return;
  }
  // Typed fields take the text's number.
  double d = store_detail::parseNumber(value);
  switch (f.type) {
    case FieldType::Date:
      setDate(field, static_cast<int32_t>(d));
      break;
    case FieldType::Decimal42: {
      auto v = Decimal42::parse(value);
      setDecimal(field, v ? *v : Decimal42());
      break;
    }
    case FieldType::Real:
      setReal(field, d);
      break;
    default:
      setInteger(field, static_cast<int64_t>(d));
      break;
  }
}

int32_t RecordBuffer::date(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  if (f.type != FieldType::Date) return static_cast<int32_t>(number(field));
  return loadDate(bytes_.data() + f.offset);
}

void RecordBuffer::setDate(int field, int32_t day) {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  if (f.type != FieldType::Date) {
    setInteger(field, day);
    return;
  }
  storeDate(bytes_.data() + f.offset, day);
}

Decimal42 RecordBuffer::decimal(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  if (f.type == FieldType::Decimal42) return Decimal42::load(bytes_.data() + f.offset);
  auto v = Decimal42::fromCents(std::llround(number(field) * 100.0));
  return v ? *v : Decimal42();
}

void RecordBuffer::setDecimal(int field, Decimal42 value) {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  if (f.type == FieldType::Decimal42) {
    value.store(bytes_.data() + f.offset);
    return;
  }
  setReal(field, value.toDouble());
}

double RecordBuffer::real(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  if (f.type != FieldType::Real) return number(field);
  double d;
  std::memcpy(&d, bytes_.data() + f.offset, sizeof d);
  return d;
}

void RecordBuffer::setReal(int field, double value) {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  switch (f.type) {
    case FieldType::Real:
      std::memcpy(bytes_.data() + f.offset, &value, sizeof value);
      break;
    case FieldType::Decimal42: {
      auto v =
          std::isfinite(value) ? Decimal42::fromCents(std::llround(value * 100.0)) : std::nullopt;
      setDecimal(field, v ? *v : Decimal42());
      break;
    }
    case FieldType::Text:
      setText(field, store_detail::formatNumber(value));
      break;
    case FieldType::Date:
      setDate(field, static_cast<int32_t>(value));
      break;
    default:
      setInteger(field, std::isfinite(value)
                            ? static_cast<int64_t>(std::clamp(value, -9.2e18, 9.2e18))
                            : 0);
      break;
  }
}

int64_t RecordBuffer::integer(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  const unsigned char* p = bytes_.data() + f.offset;
  switch (f.type) {
    case FieldType::UInt1:
      return p[0];
    case FieldType::Int2:
      return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    case FieldType::Int4:
      return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                                  (static_cast<uint32_t>(p[2]) << 16) |
                                  (static_cast<uint32_t>(p[3]) << 24));
    case FieldType::Date:
      return date(field);
    case FieldType::Decimal42:
      return decimal(field).cents() / 100;
    case FieldType::Real: {
      double d = real(field);
      return std::isfinite(d) ? static_cast<int64_t>(std::clamp(d, -9.2e18, 9.2e18)) : 0;
    }
    case FieldType::Text:
      return static_cast<int64_t>(number(field));
  }
  return 0;
}

void RecordBuffer::setInteger(int field, int64_t value) {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  unsigned char* p = bytes_.data() + f.offset;
  switch (f.type) {
    case FieldType::UInt1:
      p[0] = static_cast<unsigned char>(std::clamp<int64_t>(value, 0, 255));
      break;
    case FieldType::Int2: {
      auto u =
          static_cast<uint16_t>(static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767)));
      p[0] = static_cast<unsigned char>(u & 0xFF);
      p[1] = static_cast<unsigned char>(u >> 8);
      break;
    }
    case FieldType::Int4: {
      auto u = static_cast<uint32_t>(static_cast<int32_t>(std::clamp<int64_t>(
          value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max())));
      for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>((u >> (8 * i)) & 0xFF);
      break;
    }
    case FieldType::Date:
      setDate(field, static_cast<int32_t>(std::clamp<int64_t>(value, 0, 1 << 30)));
      break;
    case FieldType::Decimal42: {
      auto v = Decimal42::fromCents(std::clamp<int64_t>(value, -1000000, 1000000) * 100);
      setDecimal(field, v ? *v : Decimal42());
      break;
    }
    case FieldType::Real:
      setReal(field, static_cast<double>(value));
      break;
    case FieldType::Text:
      setText(field, std::to_string(value));
      break;
  }
}

std::string RecordBuffer::memo(int memoIndex) const {
  return memos_.at(static_cast<std::size_t>(memoIndex));
}

void RecordBuffer::setMemo(int memoIndex, std::string_view value) {
  const MemoDef& m = def_->memos.at(static_cast<std::size_t>(memoIndex));
  const std::string text = toUtf8(value);
  memos_.at(static_cast<std::size_t>(memoIndex)) =
      std::string(cutChars(text, static_cast<std::size_t>(m.size)));
}

void RecordBuffer::keepMemo(int memoIndex, std::string_view value) {
  memos_.at(static_cast<std::size_t>(memoIndex)) = toUtf8(value);
}

std::string RecordBuffer::valueText(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  switch (f.type) {
    case FieldType::Text:
      return text(field);
    case FieldType::Date:
      return std::to_string(date(field));
    case FieldType::Decimal42:
      return decimal(field).toString();
    case FieldType::Real:
      return store_detail::formatNumber(real(field));
    default:
      return std::to_string(integer(field));
  }
}

double RecordBuffer::number(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  switch (f.type) {
    case FieldType::Text:
      return store_detail::parseNumber(text(field));
    case FieldType::Date:
      return date(field);
    case FieldType::Decimal42:
      return decimal(field).toDouble();
    case FieldType::Real:
      return real(field);
    default:
      return static_cast<double>(integer(field));
  }
}

bool RecordBuffer::isBlankOrZero(int field) const {
  const FieldDef& f = def_->fields.at(static_cast<std::size_t>(field));
  if (f.type == FieldType::Text) return text(field).empty();
  return number(field) == 0.0;
}

int RecordBuffer::field(std::string_view label) const {
  int i = def_ ? def_->fieldIndex(label) : -1;
  if (i < 0) throw std::out_of_range("unknown field " + std::string(label));
  return i;
}

int RecordBuffer::memoAt(std::string_view label) const {
  int i = def_ ? def_->memoIndex(label) : -1;
  if (i < 0) throw std::out_of_range("unknown memo " + std::string(label));
  return i;
}

std::string RecordBuffer::text(std::string_view l) const { return text(field(l)); }
void RecordBuffer::setText(std::string_view l, std::string_view v) { setText(field(l), v); }
int32_t RecordBuffer::date(std::string_view l) const { return date(field(l)); }
void RecordBuffer::setDate(std::string_view l, int32_t d) { setDate(field(l), d); }
Decimal42 RecordBuffer::decimal(std::string_view l) const { return decimal(field(l)); }
void RecordBuffer::setDecimal(std::string_view l, Decimal42 v) { setDecimal(field(l), v); }
double RecordBuffer::real(std::string_view l) const { return real(field(l)); }
void RecordBuffer::setReal(std::string_view l, double v) { setReal(field(l), v); }
int64_t RecordBuffer::integer(std::string_view l) const { return integer(field(l)); }
void RecordBuffer::setInteger(std::string_view l, int64_t v) { setInteger(field(l), v); }
std::string RecordBuffer::memo(std::string_view l) const { return memo(memoAt(l)); }
void RecordBuffer::setMemo(std::string_view l, std::string_view v) { setMemo(memoAt(l), v); }
std::string RecordBuffer::valueText(std::string_view l) const { return valueText(field(l)); }

// ---- helpers -----------------------------------------------------------------

namespace store_detail {

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldCase(static_cast<unsigned char>(a[i])) != foldCase(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

double parseNumber(std::string_view text) {
  std::string s(clip(text));
  std::size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  if (i == s.size()) return 0.0;
  const char* begin = s.c_str() + i;
  char* end = nullptr;
  double d = std::strtod(begin, &end);
  if (end == begin || *end != '\0' || !std::isfinite(d)) return 0.0;
  // Hexadecimal, "inf" and "nan" are not numbers here.
  for (const char* c = begin; c < end; ++c)
    if (!(std::isdigit(static_cast<unsigned char>(*c)) || *c == '.' || *c == '-' || *c == '+' ||
          *c == 'e' || *c == 'E'))
      return 0.0;
  return d;
}

std::string formatNumber(double value) {
  if (!std::isfinite(value) || value == 0.0) return "0";
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", value);
    return buf;
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  return buf;
}

}  // namespace store_detail

}  // namespace qm
