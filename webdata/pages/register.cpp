#include "webdata/pages/register.h"

#include "webdata/pages/delpages.h"
#include "webdata/pages/pagebrowse.h"
#include "webdata/pages/pageform.h"

namespace qm {

void registerWebPageProcedures(const ProcedureRegistrar& reg, const WebContext& ctx) {
  using namespace webpages;
  struct Entry {
    const char* name;
    int stack;
    ProcedureFactory factory;
  };
  const Entry entries[] = {
      {"BrowseWebPages", 0, makeBrowseWebPages},
      {"updatewebpages1", 0, [&ctx] { return makeUpdateWebPages(ctx); }},
      {"SelectWebPages", 0, makeSelectWebPages},
      {"delpages", 25000, [&ctx] { return makeDelPages(ctx); }},
      {"RebuildWebPageIndexes", 25000, makeRebuildWebPageIndexes},
  };
  for (const Entry& e : entries) reg(e.name, e.stack, e.factory);
}

}  // namespace qm
