#pragma once
// The records a report prints: a view over a record file in record or key
// order with a filter, read a page at a time into the file's buffer on the
// logical thread that opened it. Reading pages leaves the file's own
// position alone, so a browse on the same thread keeps its place.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/report/source.h"
#include "runtime/store/store.h"
#include "runtime/ui/datafile.h"
#include "runtime/view/view.h"

namespace qm::reports {

// How the source reaches its file on the calling thread.
struct FileAccess {
  std::string name;                        // for "%File"
  std::function<int()> open;               // 0, or the level of the message shown
  std::function<void()> close;
  std::function<RecordFile&()> file;
  std::function<RecordBuffer&()> buffer;   // where each record is loaded
};

using qm::textKeyPercent;

class ReportFileSource : public RecordSource {
 public:
  // key -1: record order; progressField -1: progress by record position.
  ReportFileSource(FileAccess access, int key, std::string filter, int progressField);
  ~ReportFileSource() override;

  bool open() override;
  bool next() override;
  int percentDone() const override;
  void close() override;
  void setQuickScan(bool on) override;

  // The buffer records are loaded into (null until open).
  const RecordBuffer* record() const { return buffer_; }
  int thread() const { return thread_; }

 private:
  bool fill();
  void reportReadError(const RecordFile& file);

  FileAccess access_;
  int key_;
  std::string filter_;
  int progressField_;

  bool open_ = false;
  int thread_ = 0;
  RecordFile* file_ = nullptr;
  RecordBuffer* buffer_ = nullptr;
  HeldRecord held_;  // the caller's record, put back when the run ends
  std::unique_ptr<RecordView> view_;
  std::deque<Row> rows_;
  Row last_;
  bool haveLast_ = false;
  bool atEnd_ = false;
  ReadProgress progress_;  // bounds found when the source opens
  int percent_ = 0;
};

}  // namespace qm::reports
