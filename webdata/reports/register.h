#pragma once
// Hands the image reports, the selected-record listings, the web page,
// script and form reports and the per-domain change utilities to the
// procedure registry.
#include <string>

#include "runtime/ui/procedure.h"
#include "webdata/context.h"

namespace qm::webreports {

using ProcedureRegistrar = qm::ProcedureRegistrar;

// A stack size of 0: only called, on the caller's thread.
// Their runs use the globals ctx names; ctx outlives them.
void registerWebReportProcedures(const ProcedureRegistrar& reg, const WebContext& ctx);

}  // namespace qm::webreports
