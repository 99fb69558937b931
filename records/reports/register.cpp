#include "records/reports/register.h"

#include <utility>

#include "runtime/config/requests.h"

namespace qm::reports {

ReportWindowProcedure::ReportWindowProcedure(std::string name) : WindowProcedure(std::move(name)) {}

ReportWindowProcedure::~ReportWindowProcedure() = default;

void ReportWindowProcedure::setup() {
  report_ = makeRecordReport(name());
  if (!report_) {
    close(RequestCancelled);
    return;
  }
  // The report's own life takes the request from the globals again.
  RequestCode = static_cast<uint8_t>(request());
  report_->start([this](int response) { close(response); });
}

void ReportWindowProcedure::cleanup() {
  if (report_) report_->procedure().abandon();
}

ProcedureFactory reportFactory(std::string_view name) {
  for (const ReportEntry& e : recordReports())
    if (e.name == name)
      return [n = e.name]() -> std::unique_ptr<WindowProcedure> {
        return std::make_unique<ReportWindowProcedure>(n);
      };
  return {};
}

void registerRecordReports(const ProcedureRegistrar& reg) {
  for (const ReportEntry& e : recordReports()) reg(e.name, e.stackSize, reportFactory(e.name));
}

}  // namespace qm::reports
