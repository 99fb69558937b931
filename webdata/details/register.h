#pragma once
// Hands the page detail browses and forms to the frame's registry.
#include <string>

#include "runtime/ui/procedure.h"
#include "webdata/context.h"

namespace qm::details {

using ProcedureRegistrar = qm::ProcedureRegistrar;

// BrowseLinks, BrowseImages, BrowseMeta, browsescripts, browseforms and
// UpdateWPLinks, UpdateWPIMG, UpdateWPMeta, UpdateWPScripts, UpdateWPForm:
// all called on their caller's thread (stack size 0).
// Their windows use the globals ctx names; ctx outlives them.
void registerDetailProcedures(const ProcedureRegistrar& reg, const WebContext& ctx);

}  // namespace qm::details
