#pragma once
// Every procedure of the main program, registered as the program starts:
// the program itself and the tests that open its windows share this one list.
namespace qm {

// The frame's, then each subsystem's, which the menus start by name.
void registerMainProgramProcedures();

}  // namespace qm
