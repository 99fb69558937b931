#pragma once
// Hands the reader's procedures to the program's registry.
#include <functional>
#include <string>

#include "runtime/ui/procedure.h"

namespace qm::reader {

// The same shape as the other subsystems' registrars.
using ProcedureRegistrar = std::function<void(std::string name, int stackSize, ProcedureFactory factory)>;

// readpages and delpages (25000 bytes) and ShowPages (50000) started from the
// menu; getdom, BrowseWebPages, UpdateWebPages and the five detail forms
// called on their caller's thread (0).
void registerReaderProcedures(const ProcedureRegistrar& reg);

}  // namespace qm::reader
