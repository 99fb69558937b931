#pragma once
// A report's or process's record source over a view: reads the view's rows
// in batches and makes each the file's current record (buffer and position),
// so a process may rewrite it.
#include <vector>

#include "runtime/report/source.h"
#include "runtime/view/view.h"

namespace qm {

class ViewSource : public RecordSource {
 public:
  explicit ViewSource(RecordView& view, int batch = 100) : view_(view), batch_(batch < 1 ? 1 : batch) {}

  bool open() override;
  bool next() override;
  int percentDone() const override;
  void close() override {}
  void setQuickScan(bool on) override { view_.file().setQuickScan(on); }
  // The store's code of the last failed read (0 when none).
  int errorCode() const { return error_; }

 private:
  RecordView& view_;
  int batch_;
  std::vector<Row> rows_;
  size_t at_ = 0;
  Row last_;
  bool started_ = false;
  bool ended_ = false;
  int64_t total_ = 0;
  int64_t read_ = 0;
  int error_ = 0;
};

}  // namespace qm
