#pragma once
// Views over a record file: an order (key), a range on the key's leading
// components and a filter; and the paged list a browse shows, which loads
// only the rows on screen (keyset pages, so a million records page at once).
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/config/filter.h"
#include "runtime/store/store.h"

namespace qm {

struct Row {
  int64_t position = 0;
  RecordBuffer record;
};

class RecordView {
 public:
  // The file is asked for at each read (the caller's thread's file).
  explicit RecordView(std::function<RecordFile&()> file);

  RecordFile& file() const { return file_(); }
  void setOrder(int key);  // -1: record order
  int order() const { return order_; }

  // Fixes the leading key components to values given as value text
  // (setValueText), asked for at every read, so a range may follow a parent
  // record that changes. Empty clears the range.
  void setRange(std::vector<std::function<std::string()>> values);
  int rangeComponents() const { return static_cast<int>(range_.size()); }

  // Parses the filter; false (and *error) when it does not parse, and the
  // view then keeps no filter.
  bool setFilter(std::string_view expression, std::string* error = nullptr);
  const std::string& filterText() const { return filterText_; }

  bool inRange(const RecordBuffer& r) const;
  bool passesFilter(const RecordBuffer& r) const;
  // The filter's comparisons that the store can apply itself (and answer
  // from an index) before the filter runs: a due-date filter over a million
  // records reads only the due ones.
  Conditions storeConditions() const;

  // Up to count rows after (forward) or before `from` in the view's order,
  // nearest first; from == nullptr starts at the beginning or the end.
  // Returns the store's code (0, or an error; no rows is not an error).
  int page(const Row* from, bool forward, int count, std::vector<Row>& out) const;
  // The first row at or after the given key values (position 0 = before all
  // records of equal key).
  int pageFrom(const RecordBuffer& keyValues, int64_t afterPosition, int count,
               std::vector<Row>& out) const;
  // The view's first and last rows; false when it has none or a read fails.
  bool ends(Row& first, Row& last) const;
  // A buffer holding the range values and `text` in the first free key
  // component: the place a locator seeks.
  RecordBuffer locateKey(std::string_view text) const;
  // The first free key component's field (-1 when none).
  int locateField() const;
  // A cleared buffer holding the range values (what every row of the view
  // has in its leading key components).
  RecordBuffer rangeValues() const { return rangeBuffer(); }

 private:
  RecordBuffer rangeBuffer() const;

  std::function<RecordFile&()> file_;
  int order_ = -1;
  std::vector<std::function<std::string()>> range_;
  Filter filter_;
  std::string filterText_;
};

// The rows a list shows, moved by the browse's navigation.
class PagedList {
 public:
  explicit PagedList(RecordView& view) : view_(view) {}

  void setPageSize(int n) { pageSize_ = n < 1 ? 1 : n; }
  int pageSize() const { return pageSize_; }
  const std::vector<Row>& rows() const { return rows_; }
  int selected() const { return rows_.empty() ? -1 : selected_; }
  void setSelected(int i);
  const Row* current() const;

  // Each returns the store's code: 0, or 33 when there was nowhere to go
  // (the list is then unchanged), or a read error.
  int first();
  int last();
  int nextRecord();
  int priorRecord();
  int nextPage();
  int priorPage();
  // Positions on the first row at or after text in the locator's component
  // (any case); past the end, on the last row.
  int locate(std::string_view text);
  // Shows the row with these key values and position (after an insert or a
  // change) selected; when it is gone, the row after it.
  int showRecord(const RecordBuffer& record, int64_t position);
  // Reloads keeping the current row (or the one after it when it is gone)
  // on the same line.
  int refresh();

  bool hasBefore() const;
  bool hasAfter() const;
  // A rough place of the current row in the view for a scroll bar: 0 on the
  // first row, 1 on the last, otherwise its key interpolated between the
  // first and last rows' keys (record order: its position). Reads at most
  // the two end rows, once until the list reloads.
  double approxFraction() const;
  // Moves to about that place: the first row at or after the interpolated
  // key, on the page line matching the fraction; 0 first, 1 last.
  int locateFraction(double fraction);
  // The whole view fits on the rows shown (nothing before or after them).
  bool wholeViewShown() const;
  // Drops the remembered end rows (after the file changed under the list).
  void forgetEnds() { endsKnown_ = false; }

 private:
  int fillAround(std::vector<Row> after, int wantedIndex, const Row* anchor);
  // The view's first and last rows; false when the view is empty or unreadable.
  bool ends() const;

  struct Ends {
    Row first, last;
    bool any = false;
    int order = -2;
    std::string filter;
    RecordBuffer range;
  };

  RecordView& view_;
  std::vector<Row> rows_;
  int selected_ = 0;
  int pageSize_ = 20;
  mutable Ends ends_;
  mutable bool endsKnown_ = false;
};

// Share done of a key read in text order: where `value` lies between the
// first and last keys, by their letters and digits (case ignored).
int textKeyPercent(std::string_view first, std::string_view last, std::string_view value);

// How far a read through a view has got, estimated from the view's ends
// (unfiltered): by the text of `keyField` when one is given, else by position.
class ReadProgress {
 public:
  void start(const RecordView& view, int keyField);
  int at(const Row& row) const;

 private:
  int field_ = -1;
  int64_t firstPos_ = 0, lastPos_ = 0;
  std::string firstKey_, lastKey_;
};

}  // namespace qm
