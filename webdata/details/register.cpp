#include "webdata/details/register.h"

#include "webdata/details/browses.h"
#include "webdata/details/forms.h"

namespace qm::details {

void registerDetailProcedures(const ProcedureRegistrar& reg) {
  for (const DetailBrowseSpec& s : detailBrowses()) {
    const DetailBrowseSpec* spec = &s;
    reg(s.name, 0, [spec] { return std::unique_ptr<WindowProcedure>(std::make_unique<DetailBrowse>(*spec)); });
  }
  reg("UpdateWPLinks", 0, makeUpdateWPLinks);
  reg("UpdateWPIMG", 0, makeUpdateWPIMG);
  reg("UpdateWPMeta", 0, makeUpdateWPMeta);
  reg("UpdateWPScripts", 0, makeUpdateWPScripts);
  reg("UpdateWPForm", 0, makeUpdateWPForm);
}

}  // namespace qm::details
