#pragma once
// Hands the reminder, notes and control-panel procedures to the registry.
#include <string>

#include "desk/context.h"
#include "runtime/ui/procedure.h"

namespace qm {

// StartupReminderCheck (default stack), notice, BrowseNotes, cpanel2 and
// ConfigureControlPanel (25000 bytes), and the procedures they call (0).
// Their windows use the globals ctx names from now on.
void registerDeskProcedures(const ProcedureRegistrar& reg, const DeskContext& ctx);

}  // namespace qm
