#include "appkit/procedures.h"

#include <map>

#include "runtime/config/errors.h"
#include "runtime/config/requests.h"

namespace qm {
namespace {

std::map<std::string, ProcedureEntry, std::less<>>& registry() {
  static std::map<std::string, ProcedureEntry, std::less<>> r;
  return r;
}

void notDefined(std::string_view name) {
  MessageArgs args;
  args.message = std::string(name);
  errors().raise(24, args);
}

}  // namespace

void registerProcedure(std::string name, ProcedureFactory factory, int stackSize) {
  ProcedureEntry e{name, std::move(factory), stackSize};
  registry()[std::move(name)] = std::move(e);
}

const ProcedureRegistrar& procedureRegistrar() {
  static const ProcedureRegistrar reg = [](std::string name, int stackSize,
                                           ProcedureFactory factory) {
    registerProcedure(std::move(name), std::move(factory), stackSize);
  };
  return reg;
}

void unregisterProcedure(std::string_view name) {
  auto it = registry().find(name);
  if (it != registry().end()) registry().erase(it);
}

const ProcedureEntry* findProcedure(std::string_view name) {
  auto it = registry().find(name);
  return it == registry().end() || !it->second.factory ? nullptr : &it->second;
}

std::vector<std::string> registeredProcedures() {
  std::vector<std::string> out;
  for (const auto& [name, e] : registry()) out.push_back(name);
  return out;
}

int startNamedProcedure(std::string_view name, int stackSize) {
  const ProcedureEntry* e = findProcedure(name);
  if (!e) {
    notDefined(name);
    return 0;
  }
  return startProcedure(e->name, stackSize ? stackSize : e->stackSize, e->factory);
}

void callNamedProcedure(WindowProcedure& caller, std::string_view name, int request,
                        ResponseHandler done) {
  const ProcedureEntry* e = findProcedure(name);
  if (!e) {
    notDefined(name);
    if (done) done(RequestCancelled);
    return;
  }
  caller.callProcedure(e->factory, request, std::move(done));
}

}  // namespace qm
