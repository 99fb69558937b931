#include "webdata/pages/register.h"

#include "webdata/pages/delpages.h"
#include "webdata/pages/pagebrowse.h"
#include "webdata/pages/pageform.h"

namespace qm {

void registerWebPageProcedures(const ProcedureRegistrar& reg) {
  using namespace webpages;
  struct Entry {
    const char* name;
    int stack;
    ProcedureFactory factory;
  };
  const Entry entries[] = {
      {"BrowseWebPages", 0, makeBrowseWebPages},
      {"updatewebpages1", 0, makeUpdateWebPages},
      {"SelectWebPages", 0, makeSelectWebPages},
      {"delpages", 25000, makeDelPages},
      {"RebuildWebPageIndexes", 25000, makeRebuildWebPageIndexes},
  };
  for (const Entry& e : entries) reg(e.name, e.stack, e.factory);
}

}  // namespace qm
