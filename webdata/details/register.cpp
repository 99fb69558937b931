#include "webdata/details/register.h"

#include <utility>

#include "webdata/details/browses.h"
#include "webdata/details/forms.h"

namespace qm::details {

void registerDetailProcedures(const ProcedureRegistrar& reg, const WebContext& ctx) {
  for (const DetailBrowseSpec& s : detailBrowses()) {
    const DetailBrowseSpec* spec = &s;
    reg(s.name, 0, [spec, &ctx] {
      return std::unique_ptr<WindowProcedure>(std::make_unique<DetailBrowse>(*spec, ctx));
    });
  }
  using Maker = std::unique_ptr<WindowProcedure> (*)(const WebContext&);
  const std::pair<const char*, Maker> forms[] = {{"UpdateWPLinks", makeUpdateWPLinks},
                                                 {"UpdateWPIMG", makeUpdateWPIMG},
                                                 {"UpdateWPMeta", makeUpdateWPMeta},
                                                 {"UpdateWPScripts", makeUpdateWPScripts},
                                                 {"UpdateWPForm", makeUpdateWPForm}};
  for (const auto& [name, make] : forms) reg(name, 0, [make, &ctx] { return make(ctx); });
}

}  // namespace qm::details
