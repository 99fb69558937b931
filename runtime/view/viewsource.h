#pragma once
// The one record source of reports and processes: a view over a record file
// read a page at a time on the logical thread that opened it, each record
// loaded into the file's buffer (or made the file's current record, so a
// process may rewrite it). What a run reads is data: the file, the key, the
// range, the filters and an order within equal keys. The caller's record,
// position and key order are put back when the run ends.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/report/source.h"
#include "runtime/view/heldrecord.h"
#include "runtime/view/view.h"

namespace qm {

// How the source reaches its file on the calling thread.
struct SourceFile {
  std::string name;           // for "%File"
  std::function<int()> open;  // 0, or the level of the message shown
  std::function<void()> close;
  std::function<RecordFile&()> file;
  std::function<RecordBuffer&()> buffer;  // where each record is loaded

  // Of anything with name(), open(), close(), recordFile() and buffer().
  template <class File>
  static SourceFile of(File& f) {
    return SourceFile{f.name(), [&f] { return f.open(); }, [&f] { f.close(); },
                      [&f]() -> RecordFile& { return f.recordFile(); },
                      [&f]() -> RecordBuffer& { return f.buffer(); }};
  }
};

// What a run reads, taken when the source opens.
struct SourcePlan {
  int key = -1;  // -1: record order
  // Value texts fixing the key's leading components, from the caller's record.
  std::function<std::vector<std::string>(const RecordBuffer& caller)> range{};
  // The view's filter, which the store may serve from an index. One that
  // does not parse is reported and the run reads unfiltered.
  std::string filter{};
  // Runs once the file is open: false stops the open (having said why).
  std::function<bool()> prepare{};
  // The source's own test of each record, for names the view does not know.
  std::function<bool(const RecordBuffer&)> accept{};
  // Orders records of equal key; in record order the whole view is one run
  // of equal keys, so it orders them all.
  std::function<bool(const RecordBuffer&, const RecordBuffer&)> within{};
  int progressField = -1;  // text field of the order; -1: by record position
  bool fetch = false;      // make each record the file's current one
  int batch = 64;
};

class ViewSource : public RecordSource {
 public:
  explicit ViewSource(SourceFile file, SourcePlan plan = {});
  ~ViewSource() override;

  // The plan of the next open.
  void setPlan(SourcePlan plan) { plan_ = std::move(plan); }
  const SourcePlan& plan() const { return plan_; }

  bool open() override;
  bool next() override;
  int percentDone() const override { return percent_; }
  void close() override;
  void setQuickScan(bool on) override;
  bool isOpen() const { return open_; }

  // The buffer records are loaded into (null until the first open).
  const RecordBuffer* record() const { return buffer_; }
  // The record last loaded and its position in the file.
  const Row& current() const { return current_; }
  // The logical thread that opened the source.
  int thread() const { return thread_; }
  // The store's code of the last failed read (0 when none).
  int errorCode() const { return error_; }

 private:
  bool readPage(std::vector<Row>& out);
  bool fill();
  bool sameKey(const RecordBuffer& a, const RecordBuffer& b) const;
  bool wholeView() const { return plan_.within && plan_.key < 0; }

  SourceFile file_;
  SourcePlan plan_;

  bool open_ = false;
  int thread_ = 0;
  RecordBuffer* buffer_ = nullptr;
  HeldRecord held_;
  std::unique_ptr<RecordView> view_;
  std::deque<Row> ready_, pending_;
  Row anchor_;  // the last row read from the view
  bool haveAnchor_ = false;
  bool viewDone_ = false;
  bool atEnd_ = false;
  Row current_;
  ReadProgress progress_;
  int64_t delivered_ = 0;
  int percent_ = 0;
  int error_ = 0;
};

}  // namespace qm
