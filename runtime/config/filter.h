#pragma once
// Filter expressions over record fields ("DOM:RENEWALDATE", any case) and
// bound global names ("domainname", "ding"): text and number constants,
// today(), clip(), upper(), + - &, the comparisons = <> < > <= >= => =<,
// and, or, not, parentheses. Parsed once into a tree, then evaluated per
// record.
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct FilterValue {
  bool isText = false;
  std::string text;
  double number = 0;

  static FilterValue ofText(std::string t) { return {true, std::move(t), 0}; }
  static FilterValue ofNumber(double n) { return {false, {}, n}; }
};

class NameResolver {
 public:
  virtual ~NameResolver() = default;
  // upperName is the name in upper case ("DOM:RENEWALDATE", "DOMAINNAME").
  virtual std::optional<FilterValue> lookup(std::string_view upperName) const = 0;
};

// A resolver that knows no names (bound names still resolve).
class NoNames : public NameResolver {
 public:
  std::optional<FilterValue> lookup(std::string_view) const override { return std::nullopt; }
};

class Filter {
 public:
  struct Node;

  Filter() = default;  // the empty filter: lets everything through
  // A blank expression gives the empty filter. On a syntax error the result
  // is not valid() and *error (when given) says what and where.
  static Filter parse(std::string_view expr, std::string* error);

  bool valid() const { return valid_; }
  bool empty() const { return !root_; }
  // True when the record passes; an empty or invalid filter passes all.
  bool matches(const NameResolver& names) const;
  // Names are looked up in the resolver, then among the bound names; an
  // unknown name reads as blank text.
  // The names the expression uses, upper case, each once.
  std::vector<std::string> names() const { return names_; }
  // The first name neither the resolver nor the bound names know; "" if none.
  std::string firstUnknownName(const NameResolver& names) const;

  // A comparison every record passing the filter meets: a record name
  // (upper case) against a value worked out now.
  struct Bound {
    enum class Op { Eq, Lt, Le, Gt, Ge };
    std::string name;
    Op op = Op::Eq;
    FilterValue value;
  };
  // The comparisons joined by "and" at the top of the expression whose one
  // side is a name isRecordName accepts and whose other side uses no such
  // name, so a store can select by them before the filter runs. They do not
  // replace the filter.
  std::vector<Bound> bounds(const std::function<bool(std::string_view)>& isRecordName) const;

 private:
  std::shared_ptr<const Node> root_;
  std::vector<std::string> names_;
  bool valid_ = true;
};

// A text constant for text the user typed: O'Brien gives 'O''Brien'.
std::string quoteText(std::string_view userText);

// Global names made known to filter expressions, looked up ignoring case.
class BoundNames {
 public:
  void bind(std::string name, std::function<FilterValue()> getter);
  std::optional<FilterValue> lookup(std::string_view name) const;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, std::function<FilterValue()>, std::less<>> getters_;
};

BoundNames& boundNames();

}  // namespace qm
