#include "webdata/reports/register.h"

#include <memory>
#include <utility>

#include "runtime/config/requests.h"
#include "runtime/ui/browse.h"
#include "webdata/reports/changes.h"
#include "webdata/reports/reports.h"
#include "webdata/reports/windows.h"

namespace qm::webreports {

namespace {

constexpr int ThreadStack = 25000;

// Runs one report on its thread and returns the report's response.
class ReportRun : public WindowProcedure {
 public:
  ReportRun(std::string name, const WebContext& ctx)
      : WindowProcedure(std::move(name)), ctx_(ctx) {}

 protected:
  void setup() override {
    report_ = makeWebReport(name(), ctx_);
    if (!report_) {
      close(RequestCancelled);
      return;
    }
    // A listing prints with the filter of the browse that asked for it.
    auto* asking = qobject_cast<BrowseProcedure*>(caller());
    report_->setCallerFilter(asking ? asking->view().filterText() : std::string());
    // The report's own life takes the request from the globals again.
    RequestCode = static_cast<uint8_t>(request());
    report_->start([this](int response) { close(response); });
  }
  // Closed from outside while it runs: the run ends before the thread's files go.
  void cleanup() override {
    if (report_) report_->procedure().abandon();
  }

 private:
  const WebContext& ctx_;
  std::unique_ptr<WebReport> report_;
};

class ChangeRun : public WindowProcedure {
 public:
  ChangeRun(std::string name, DomainChange kind, const WebContext& ctx)
      : WindowProcedure(std::move(name)), kind_(kind), ctx_(ctx) {}

 protected:
  void setup() override {
    run_ = std::make_unique<DomainChangeRun>(kind_, ctx_);
    RequestCode = static_cast<uint8_t>(request());
    run_->start([this](int response) { close(response); });
  }
  // Closed from outside while it runs: the run ends before the thread's files go.
  void cleanup() override {
    if (run_) run_->procedure().abandon();
  }

 private:
  DomainChange kind_;
  const WebContext& ctx_;
  std::unique_ptr<DomainChangeRun> run_;
};

}  // namespace

void registerWebReportProcedures(const ProcedureRegistrar& reg, const WebContext& ctx) {
  for (const WebReportDef& d : webReportDefs())
    reg(d.name, d.stackSize, [n = d.name, &ctx]() -> std::unique_ptr<WindowProcedure> {
      return std::make_unique<ReportRun>(n, ctx);
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
          return std::make_unique<ChangeRun>(n, k, ctx);
        });
}

}  // namespace qm::webreports
