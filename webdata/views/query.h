#pragma once
// Query by example over a list: one row per query field (operator and
// value), built into one filter expression, with named selections kept in
// the settings file, and the window in which the user fills the rows.
#include <memory>
#include <string>
#include <vector>

#include "runtime/ui/procedure.h"

namespace qm {
class IniFile;
}

namespace qm::webviews {

struct QueryField {
  std::string expression;  // over the file's fields: "UPPER(WPI:DomainName)"
  std::string title;
  std::string picture;
};

class QueryObject {
 public:
  struct Condition {
    std::string op = "=";
    std::string value;
  };
  static constexpr const char* kRecent = "tsMRU";  // the most recently used settings
  // The operators offered, in the order the window lists them.
  static const std::vector<std::string>& operators();

  // family: the name the saved selections are kept under.
  void init(IniFile& ini, std::string family);
  void addItem(std::string expression, std::string title, std::string picture);

  const std::string& family() const { return family_; }
  const std::vector<QueryField>& fields() const { return fields_; }
  std::vector<Condition>& conditions() { return conditions_; }
  void clear();
  // One condition per row with a value, joined with " AND "; "" when none.
  std::string filter() const;

  // Saved selections, without the most recently used one, in saving order.
  std::vector<std::string> savedNames() const;
  // Each reports its failures (settings file, unknown name) and returns false.
  bool save(const std::string& name);
  bool load(const std::string& name);
  bool remove(const std::string& name);

 private:
  std::string indexSection() const;
  std::string selectionSection(const std::string& name) const;
  bool writeNames(const std::vector<std::string>& names);
  bool written(bool ok);

  IniFile* ini_ = nullptr;
  std::string family_;
  std::vector<QueryField> fields_;
  std::vector<Condition> conditions_;
};

// The window "Make Selections (F1 for Help)" over a query object; answers 1
// on OK (the rows are then the query's and kept as the recent settings), 2
// otherwise.
std::unique_ptr<WindowProcedure> makeQueryWindow(QueryObject& query);

}  // namespace qm::webviews
