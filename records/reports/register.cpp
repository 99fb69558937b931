#include "records/reports/register.h"

#include <memory>

#include "appkit/reportrun.h"
#include "records/reports/reports.h"

namespace qm::reports {

ProcedureFactory reportFactory(std::string_view name) {
  for (const ReportEntry& e : recordReports())
    if (e.name == name)
      return [n = e.name]() -> std::unique_ptr<WindowProcedure> {
        return std::make_unique<RunProcedure<RecordReport>>(
            n, [](auto& self) { return makeRecordReport(self.name()); });
      };
  return {};
}

void registerRecordReports(const ProcedureRegistrar& reg) {
  for (const ReportEntry& e : recordReports()) reg(e.name, e.stackSize, reportFactory(e.name));
}

}  // namespace qm::reports
