#pragma once
// The notes report: every note by date and then topic. Kept apart from the
// window code, whose controls share a name with the report's.
#include <functional>
#include <memory>

#include "runtime/report/procedure.h"
#include "runtime/store/store.h"
#include "runtime/ui/procedure.h"
#include "runtime/view/viewsource.h"

namespace qm::desk {

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
  ViewSource source_;
  std::unique_ptr<ReportProcedure> report_;
};

// The report's bands over the record that rec gives.
ReportLayout printnoteLayout(std::function<const RecordBuffer&()> rec);

std::unique_ptr<WindowProcedure> makePrintnote();

}  // namespace qm::desk
