#include "reader/register.h"

#include "reader/delpages.h"
#include "reader/readpages.h"
#include "reader/showpages.h"

namespace qm::reader {

void registerReaderProcedures(const ProcedureRegistrar& reg) {
  struct Entry {
    const char* name;
    ProcedureFactory factory;
    int stack;
  };
  const Entry entries[] = {
      {"readpages", makeReadPages, 25000},         {"ShowPages", makeShowPages, 50000},
      {"delpages", makeDelPages, 25000},           {"getdom", makeGetdom, 0},
      {"BrowseWebPages", makeBrowseWebPages, 0},   {"UpdateWebPages", makeUpdateWebPages, 0},
      {"UpdateWPMeta", makeUpdateWPMeta, 0},       {"UpdateWPLinks", makeUpdateWPLinks, 0},
      {"UpdateWPForm", makeUpdateWPForm, 0},       {"UpdateWPIMG", makeUpdateWPIMG, 0},
      {"UpdateWPScripts", makeUpdateWPScripts, 0},
  };
  for (const Entry& e : entries) reg(e.name, e.stack, e.factory);
}

}  // namespace qm::reader
