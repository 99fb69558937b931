#include "webdata/details/builders.h"

#include <stdexcept>

#include "runtime/values/text.h"

namespace qm::details {

void addRows(WindowDef& w, const std::vector<DetailRow>& rows, const std::string& parent, int x,
             int y, int promptWidth, int step) {
  for (const DetailRow& r : rows) {
    w.controls.push_back(promptAt(r.prompt, x, y + 2, promptWidth - 2, parent));
    ControlDef e = entry(r.field, r.picture, x + promptWidth, y, r.width, parent);
    if (!r.id.empty()) e.id = r.id;
    e.tip = r.tip;
    w.controls.push_back(e);
    y += step;
  }
}

void PageLinkHelper(WindowDef& w, const std::string& entryId, const std::string& regionId) {
  for (const ControlDef& c : w.controls)
    if (compareNoCase(c.id, entryId) == 0) {
      ControlDef r = control(Kind::Region, regionId, {}, c.x, c.y, c.w, c.h, c.parent);
      r.anchor = c.anchor;
      w.controls.push_back(r);
      return;
    }
  throw std::logic_error("no entry " + entryId + " to lay a link region over");
}

}  // namespace qm::details
