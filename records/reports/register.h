#pragma once
// The reports as window procedures, so the frame's menu starts them on
// threads of their own and the browses call them on theirs (request 5).
#include <string_view>

#include "runtime/ui/procedure.h"

namespace qm::reports {

// The factory of a report by name; empty for a name that is not a report here.
ProcedureFactory reportFactory(std::string_view name);

// Hands every report to reg with its name and stack size (0: called only).
using ProcedureRegistrar = qm::ProcedureRegistrar;
void registerRecordReports(const ProcedureRegistrar& reg);

}  // namespace qm::reports
