#include "webdata/reports/register.h"

#include <memory>
#include <utility>

#include "appkit/reportrun.h"
#include "runtime/ui/browse.h"
#include "webdata/reports/changes.h"
#include "webdata/reports/reports.h"
#include "webdata/reports/windows.h"

namespace qm::webreports {

namespace {

constexpr int ThreadStack = 25000;

// A listing prints with the filter of the browse that asked for it.
std::unique_ptr<WebReport> reportFor(WindowProcedure& run, const WebContext& ctx) {
  std::unique_ptr<WebReport> report = makeWebReport(run.name(), ctx);
  auto* asking = qobject_cast<BrowseProcedure*>(run.caller());
  if (report) report->setCallerFilter(asking ? asking->view().filterText() : std::string());
  return report;
}

}  // namespace

void registerWebReportProcedures(const ProcedureRegistrar& reg, const WebContext& ctx) {
  for (const WebReportDef& d : webReportDefs())
    reg(d.name, d.stackSize, [n = d.name, &ctx]() -> std::unique_ptr<WindowProcedure> {
      return std::make_unique<RunProcedure<WebReport>>(
          n, [&ctx](WindowProcedure& self) { return reportFor(self, ctx); });
    });
  for (const char* w : {"preimgreport", "ChgLoPaWindow", "chgcurruse"})
    reg(w, ThreadStack, [n = std::string(w), &ctx]() -> std::unique_ptr<WindowProcedure> {
      return std::make_unique<StarterWindow>(n, starterSpec(n), ctx);
    });
  const std::pair<const char*, DomainChange> runs[] = {{"ChgLoPath", DomainChange::LocalPath},
                                                       {"ChgLoPath1", DomainChange::UseNow}};
  for (const auto& [name, kind] : runs)
    reg(name, ThreadStack,
        [n = std::string(name), k = kind, &ctx]() -> std::unique_ptr<WindowProcedure> {
          return std::make_unique<RunProcedure<DomainChangeRun>>(
              n, [k, &ctx](WindowProcedure&) { return std::make_unique<DomainChangeRun>(k, ctx); });
        });
}

}  // namespace qm::webreports
