#pragma once
// What a report or process reads: a view over a record file with its order,
// range and filter already applied. The window layer adapts its views to it.
#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace qm {

class RecordSource {
 public:
  virtual ~RecordSource();
  virtual bool open() = 0;
  // Loads the next record into the caller's buffer; false at the end.
  virtual bool next() = 0;
  // 0..100
  virtual int percentDone() const = 0;
  virtual void close() = 0;
  // The store's quick sequential scanning of the file being read.
  virtual void setQuickScan(bool) {}
};

// Rows held in memory, copied one by one into a buffer; an optional filter
// stands in for the view's filter.
template <class Row>
class VectorSource : public RecordSource {
 public:
  VectorSource(std::vector<Row> rows, Row& buffer, std::function<bool(const Row&)> filter = {})
      : rows_(std::move(rows)), buffer_(buffer), filter_(std::move(filter)) {}

  bool open() override {
    if (failOpen) return false;
    opened = true;
    pos_ = 0;
    return true;
  }
  bool next() override {
    while (pos_ < rows_.size()) {
      const Row& r = rows_[pos_++];
      if (!filter_ || filter_(r)) {
        buffer_ = r;
        return true;
      }
    }
    return false;
  }
  int percentDone() const override {
    return rows_.empty() ? 100 : static_cast<int>(pos_ * 100 / rows_.size());
  }
  void close() override {
    opened = false;
    ++closes;
  }
  void setQuickScan(bool on) override {
    quickScan = on;
    quickScanSeen = quickScanSeen || on;
  }

  bool failOpen = false;
  bool opened = false;
  int closes = 0;
  bool quickScan = false;
  bool quickScanSeen = false;

 private:
  std::vector<Row> rows_;
  Row& buffer_;
  std::function<bool(const Row&)> filter_;
  std::size_t pos_ = 0;
};

}  // namespace qm
