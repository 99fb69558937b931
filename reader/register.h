#pragma once
// Hands the reader's procedures to the program's registry.
#include <string>

#include "runtime/ui/procedure.h"

namespace qm::reader {

using ProcedureRegistrar = qm::ProcedureRegistrar;

// readpages and delpages (25000 bytes) and ShowPages (50000) started from the
// menu; getdom, BrowseWebPages, UpdateWebPages and the five detail forms
// called on their caller's thread (0).
void registerReaderProcedures(const ProcedureRegistrar& reg);

}  // namespace qm::reader
