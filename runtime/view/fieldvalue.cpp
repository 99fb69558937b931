#include "runtime/view/fieldvalue.h"

#include <charconv>
#include <cstdlib>

#include "runtime/values/text.h"

namespace qm {

namespace {

bool readInt(std::string_view s, int64_t& out) {
  s = clip(s);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (s.empty()) {
    out = 0;
    return true;
  }
  if (s.front() == '+') s.remove_prefix(1);
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size();
}

bool readReal(std::string_view s, double& out) {
  std::string t(clip(s));
  size_t b = t.find_first_not_of(' ');
  if (b == std::string::npos) {
    out = 0;
    return true;
  }
  const char* begin = t.c_str() + b;
  char* end = nullptr;
  out = std::strtod(begin, &end);
  return end && *end == '\0' && end != begin;
}

}  // namespace

bool setValueText(RecordBuffer& record, int field, std::string_view text) {
  const FieldDef& f = record.def().fields.at(static_cast<size_t>(field));
  switch (f.type) {
    case FieldType::Text:
      record.setText(field, text);
      return true;
    case FieldType::Date: {
      int64_t d = 0;
      if (!readInt(text, d) || d < 0 || d > INT32_MAX) return false;
      record.setDate(field, static_cast<int32_t>(d));
      return true;
    }
    case FieldType::Decimal42: {
      auto d = Decimal42::parse(text);
      if (!d) return false;
      record.setDecimal(field, *d);
      return true;
    }
    case FieldType::Real: {
      double v = 0;
      if (!readReal(text, v)) return false;
      record.setReal(field, v);
      return true;
    }
    case FieldType::Int2:
    case FieldType::Int4:
    case FieldType::UInt1: {
      int64_t v = 0;
      if (!readInt(text, v)) {
        double r = 0;
        if (!readReal(text, r)) return false;
        v = static_cast<int64_t>(r);
      }
      record.setInteger(field, v);
      return true;
    }
  }
  return false;
}

std::optional<FilterValue> RecordNames::lookup(std::string_view upperName) const {
  const FileDef& def = record_.def();
  int f = def.fieldIndex(upperName);
  if (f >= 0) {
    const FieldDef& fd = def.fields[static_cast<size_t>(f)];
    if (fd.type == FieldType::Text) return FilterValue::ofText(record_.text(f));
    return FilterValue::ofNumber(record_.number(f));
  }
  int m = def.memoIndex(upperName);
  if (m < 0) {
    for (size_t i = 0; i < def.memos.size(); ++i)
      if (compareNoCase(def.memos[i].exprName, upperName) == 0) m = static_cast<int>(i);
  }
  if (m >= 0) return FilterValue::ofText(record_.memo(m));
  return std::nullopt;
}

std::string filterTerm(std::string_view name, std::string_view op, std::string_view typed) {
  std::string s(name);
  s += ' ';
  s += op;
  s += ' ';
  s += quoteText(typed);
  return s;
}

}  // namespace qm
