#pragma once
// The domain, host and registrar reports and the hosting profile, each a
// report procedure over its dictionary file.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "records/reports/layouts.h"
#include "runtime/report/procedure.h"
#include "runtime/view/viewsource.h"

namespace qm::reports {

// One report: the source over its file and the procedure printing it.
class RecordReport {
 public:
  RecordReport(std::string name, std::unique_ptr<ViewSource> source,
               std::function<ReportLayout(RecordAccess)> layout, bool clearProgressLine);
  ~RecordReport();
  RecordReport(const RecordReport&) = delete;
  RecordReport& operator=(const RecordReport&) = delete;

  const std::string& name() const { return procedure_->name(); }
  ReportProcedure& procedure() { return *procedure_; }
  ViewSource& source() { return *source_; }
  // The pages of the last run.
  const PageModel& pages() const { return procedure_->pages(); }

  // Runs on the calling thread until the preview closes; the response.
  int run() { return procedure_->run(); }
  void start(std::function<void(int)> done) { procedure_->start(std::move(done)); }

 private:
  class Procedure;
  std::unique_ptr<ViewSource> source_;
  std::unique_ptr<ReportProcedure> procedure_;
};

std::unique_ptr<RecordReport> makePrintDomains();
std::unique_ptr<RecordReport> makeComparisons();

// By procedure name; null for a name that is not one of these reports.
std::unique_ptr<RecordReport> makeRecordReport(std::string_view procedure);

struct ReportEntry {
  std::string name;
  int stackSize;  // a thread's stack when the menu starts it; 0 only called
};
// Every report of this library, by name.
std::vector<ReportEntry> recordReports();

}  // namespace qm::reports
