#pragma once
// A report's or process's record source over a view: reads the view's rows
// in batches and makes each the file's current record (buffer and position),
// so a process may rewrite it. Every read runs on the logical thread that
// owns the source, whatever thread the timer driving it fires on.
#include <vector>

#include "runtime/report/source.h"
#include "runtime/view/view.h"

namespace qm {

class ViewSource : public RecordSource {
 public:
  // Owned by the logical thread current when it is made (the procedure's).
  explicit ViewSource(RecordView& view, int batch = 100);

  bool open() override;
  bool next() override;
  int percentDone() const override;
  void close() override {}
  void setQuickScan(bool on) override;
  // The store's code of the last failed read (0 when none).
  int errorCode() const { return error_; }
  int thread() const { return thread_; }
  void setThread(int thread) { thread_ = thread; }

 private:
  RecordView& view_;
  int batch_;
  int thread_;
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
