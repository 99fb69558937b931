#pragma once
// The reports as window procedures, so the frame's menu starts them on
// threads of their own and the browses call them on theirs (request 5).
#include <memory>
#include <string>
#include <string_view>

#include "records/reports/reports.h"
#include "runtime/ui/procedure.h"

namespace qm::reports {

// A procedure without a window that runs one report on its thread and
// returns the report's response.
class ReportWindowProcedure : public WindowProcedure {
 public:
  explicit ReportWindowProcedure(std::string name);
  ~ReportWindowProcedure() override;

  RecordReport* report() const { return report_.get(); }

 protected:
  void setup() override;
  // Closed from outside while it runs: the run ends before the thread's files go.
  void cleanup() override;

 private:
  std::unique_ptr<RecordReport> report_;
};

// The factory of a report by name; empty for a name that is not a report here.
ProcedureFactory reportFactory(std::string_view name);

// Hands every report to reg with its name and stack size (0: called only).
using ProcedureRegistrar = qm::ProcedureRegistrar;
void registerRecordReports(const ProcedureRegistrar& reg);

}  // namespace qm::reports
