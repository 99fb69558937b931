#include "desk/renewalreport.h"

#include "records/reports/register.h"

namespace qm::desk {

ProcedureFactory renewalReportFactory() { return reports::reportFactory(RenewalReport); }

}  // namespace qm::desk
