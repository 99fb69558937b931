#pragma once
// The notes report: every note by date and then topic. Kept apart from the
// window code, whose controls share a name with the report's.
#include <functional>
#include <memory>
#include <vector>

#include "runtime/report/procedure.h"
#include "runtime/report/source.h"
#include "runtime/store/store.h"
#include "runtime/ui/datafile.h"
#include "runtime/ui/procedure.h"

namespace qm::desk {

// Every note, by date and then topic, loaded from dnotes on the calling
// thread into its buffer one at a time.
class NotesSource : public RecordSource {
 public:
  bool open() override;
  bool next() override;
  int percentDone() const override;
  void close() override;
  // The buffer each note is loaded into (null before the first open).
  const RecordBuffer* record() const { return buffer_; }

 private:
  std::vector<RecordBuffer> rows_;
  size_t pos_ = 0;
  int64_t lastPos_ = 0;
  RecordBuffer* buffer_ = nullptr;
  HeldRecord held_;  // the list's record, put back when the run ends
  bool open_ = false;
};

// The notes report as a procedure of its thread.
class PrintNote : public WindowProcedure {
  Q_OBJECT
 public:
  PrintNote();
  ~PrintNote() override;
  ReportProcedure* report() const { return report_.get(); }

 protected:
  void setup() override;
  // Closed from outside while it runs: the run ends before the thread's files go.
  void cleanup() override;

 private:
  NotesSource source_;
  std::unique_ptr<ReportProcedure> report_;
};

// The report's bands over the record that rec gives.
ReportLayout printnoteLayout(std::function<const RecordBuffer&()> rec);

std::unique_ptr<WindowProcedure> makePrintnote();

}  // namespace qm::desk
