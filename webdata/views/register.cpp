#include "webdata/views/register.h"

#include "webdata/views/crossref.h"
#include "webdata/views/quickview.h"

namespace qm::webviews {

void registerWebViewProcedures(const ProcedureRegistrar& reg, const WebContext& ctx) {
  constexpr int kStack = 25000;
  reg("BrowseWebPages2", kStack, makeBrowseWebPages2);
  reg("UpdateWebPages", 0, makeUpdateWebPages);
  for (const std::string& name : crossRefViewNames())
    reg(name, kStack, [name, &ctx] { return makeCrossRefView(name, ctx); });
}

}  // namespace qm::webviews
