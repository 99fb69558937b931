#include "records/register.h"

#include "appkit/procedures.h"
#include "records/domains.h"
#include "records/hosts.h"
#include "records/rebuild.h"
#include "records/registrars.h"

namespace qm {

void registerRecordProcedures() {
  using namespace records;
  struct Entry {
    const char* name;
    ProcedureFactory factory;
    int stack;
  };
  const Entry entries[] = {
      {"BrowseDomains", makeBrowseDomains, 50000},
      {"BrowseHosts", makeBrowseHosts, 50000},
      {"BrowseRegistrars", makeBrowseRegistrars, 50000},
      {"UpdateDomains", makeUpdateDomains, 0},
      {"UpdateHosts", makeUpdateHosts, 0},
      {"UpdateRegistrars", makeUpdateRegistrars, 0},
      {"RebuildDomainsKeys", makeRebuildDomainsKeys, 0},
      {"RebuildHostsKeys", makeRebuildHostsKeys, 0},
      {"RebuildRegistrarsKeys", makeRebuildRegistrarsKeys, 0},
  };
  for (const Entry& e : entries) registerProcedure(e.name, e.factory, e.stack);
}

}  // namespace qm
