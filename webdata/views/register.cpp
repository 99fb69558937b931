#include "webdata/views/register.h"

#include "webdata/views/crossref.h"
#include "webdata/views/quickview.h"

namespace qm::webviews {

void registerWebViewProcedures(const ProcedureRegistrar& reg) {
  constexpr int kStack = 25000;
  reg("BrowseWebPages2", kStack, makeBrowseWebPages2);
  reg("UpdateWebPages", 0, makeUpdateWebPages);
  for (const std::string& name : crossRefViewNames())
    reg(name, kStack, [name] { return makeCrossRefView(name); });
}

}  // namespace qm::webviews
