#pragma once
// The procedures the menu and other procedures start by name. Each subsystem
// registers its procedures at program start; a name nobody registered is a
// procedure not built yet.
#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/procedure.h"

namespace qm {

struct ProcedureEntry {
  std::string name;
  ProcedureFactory factory;
  int stackSize = 0;  // 0: the runtime's default
};

// Registers (or replaces) name.
void registerProcedure(std::string name, ProcedureFactory factory, int stackSize = 0);
void unregisterProcedure(std::string_view name);
// nullptr when name is not registered.
const ProcedureEntry* findProcedure(std::string_view name);
std::vector<std::string> registeredProcedures();
// The registrar the programs hand to every subsystem: registers here.
const ProcedureRegistrar& procedureRegistrar();

// Starts name on a new thread and returns its number; an unregistered name
// shows "Procedure not defined" naming it and returns 0.
int startNamedProcedure(std::string_view name, int stackSize);
// Calls name on caller's thread (caller disabled meanwhile); done gets the
// response. An unregistered name shows "Procedure not defined" and done gets 2.
void callNamedProcedure(WindowProcedure& caller, std::string_view name, int request,
                        ResponseHandler done);

}  // namespace qm
