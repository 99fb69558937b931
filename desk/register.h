#pragma once
// Hands the reminder, notes and control-panel procedures to the registry.
#include <functional>
#include <string>

#include "runtime/ui/procedure.h"

namespace qm {

// The same shape as the reports' registrar: (name, stack size, factory).
using DeskRegistrar = std::function<void(std::string name, int stackSize, ProcedureFactory factory)>;

// StartupReminderCheck (default stack), notice, BrowseNotes, cpanel2 and
// ConfigureControlPanel (25000 bytes), and the procedures they call (0).
void registerDeskProcedures(const DeskRegistrar& reg);

}  // namespace qm
