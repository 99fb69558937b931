#pragma once
// The records a page-data report or process reads: one dictionary file in
// record or key order, optionally limited to the key range of the caller's
// record, filtered, and ordered by a second field within equal keys. Runs
// copy what they depend on when they open (range values, filter text, the
// filter's global names), so another thread changing a global cannot move
// them. Records are loaded into the file's buffer on the opening thread; the
// caller's record is put back when the run ends.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "runtime/config/filter.h"
#include "runtime/view/viewsource.h"

namespace qm::webreports {

struct SourceSpec {
  FileId file = FileId::WebPages;
  std::string key;            // "" : record order
  int rangeComponents = 0;    // leading key components fixed at the buffer's values
  std::string filter;         // "" : none
  std::string thenBy;         // field ordering records of equal key
  std::string progressField;  // text field of the order; "" : by record position
};

class PageDataSource : public ViewSource {
 public:
  explicit PageDataSource(SourceSpec spec);

  // The filter text taken at the next open (overrides the definition's).
  void setFilter(std::string text) { spec_.filter = std::move(text); }
  // A value the filter sees for a global name during the next run, in place
  // of the global's own ("domainname").
  void setRunName(const std::string& name, std::string value);
  // Range values (value texts) for the next run in place of the buffer's.
  void setRangeValues(std::vector<std::string> values) { givenRange_ = std::move(values); }

  bool open() override;

  // The record last loaded and its position in the file.
  const RecordBuffer& record() const { return current().record; }
  int64_t position() const { return current().position; }
  const SourceSpec& spec() const { return spec_; }

 private:
  // The run's filter, or false (having said why) when it does not apply.
  bool takeFilter();

  SourceSpec spec_;
  const FileDef& def_;
  int key_ = -1;
  int thenBy_ = -1;
  int progress_ = -1;
  std::map<std::string, std::string> runNames_;
  std::vector<std::string> givenRange_;
  Filter filter_;
};

}  // namespace qm::webreports
