#pragma once
// The renewal report the reminder list prints. Kept apart from the window
// code, whose controls share a name with the report's.
#include "runtime/ui/procedure.h"

namespace qm::desk {

inline constexpr const char* RenewalReport = "PrintDomains2";
// Empty when the reports library holds no such report.
ProcedureFactory renewalReportFactory();

}  // namespace qm::desk
