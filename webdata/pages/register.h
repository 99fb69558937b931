#pragma once
// Hands the web page procedures to the frame's registry.
#include "runtime/ui/procedure.h"
#include "webdata/context.h"

namespace qm {

// BrowseWebPages, updatewebpages1 and SelectWebPages (called on their
// caller's thread), delpages and RebuildWebPageIndexes (started from the
// menu on threads of their own, 25000 bytes).
// Their windows use the globals ctx names; ctx outlives them.
void registerWebPageProcedures(const ProcedureRegistrar& reg, const WebContext& ctx);

}  // namespace qm
