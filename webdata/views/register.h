#pragma once
// Hands the quick view and the cross-reference views to the frame's registry.
#include <string>

#include "runtime/ui/procedure.h"
#include "webdata/context.h"

namespace qm::webviews {

using ProcedureRegistrar = qm::ProcedureRegistrar;

// BrowseWebPages2 and the five views (started from the menu, 25000 bytes)
// and UpdateWebPages (called on the quick view's thread).
// The views use the globals ctx names; ctx outlives them.
void registerWebViewProcedures(const ProcedureRegistrar& reg, const WebContext& ctx);

}  // namespace qm::webviews
