#pragma once
// Field values as text, both ways, and filter names over a record.
#include <optional>
#include <string>
#include <string_view>

#include "runtime/config/filter.h"
#include "runtime/store/store.h"

namespace qm {

// Sets a field from its value text as RecordBuffer::valueText gives it
// (text as is, dates as day numbers, numbers plainly). False when the text
// does not read as the field's type (the field is left unchanged).
bool setValueText(RecordBuffer& record, int field, std::string_view text);

// Filter names over one record: field labels and memo labels or memo
// expression names, any case. Other names fall through to the bound names.
class RecordNames : public NameResolver {
 public:
  explicit RecordNames(const RecordBuffer& record) : record_(record) {}
  std::optional<FilterValue> lookup(std::string_view upperName) const override;

 private:
  const RecordBuffer& record_;
};

// One filter term comparing a field with text the user typed, quoted so the
// text can never become part of the expression: ("DOM:HOST", "=", "O'Neil")
// gives "DOM:HOST = 'O''Neil'".
std::string filterTerm(std::string_view name, std::string_view op, std::string_view typed);

}  // namespace qm
