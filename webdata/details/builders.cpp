#include "webdata/details/builders.h"

#include <stdexcept>

#include "runtime/values/text.h"

namespace qm::details {

ControlDef prompt(std::string text, int x, int y, int w, std::string parent, int h) {
  return control(Kind::Prompt, {}, std::move(text), x, y, w, h, std::move(parent));
}

ControlDef button(std::string id, std::string text, Role role, int x, int y, int w, std::string icon,
                  std::string parent) {
  ControlDef b = control(Kind::Button, std::move(id), std::move(text), x, y, w, 14, std::move(parent));
  b.role = role;
  b.icon = std::move(icon);
  return b;
}

void addRows(WindowDef& w, const std::vector<FieldRow>& rows, const std::string& parent, int x, int y,
             int promptWidth, int step) {
  for (const FieldRow& r : rows) {
    w.controls.push_back(prompt(r.prompt, x, y + 2, promptWidth - 2, parent));
    ControlDef e = control(Kind::Entry, r.id.empty() ? "?" + r.field : r.id, {}, x + promptWidth, y, r.width, 10,
                           parent);
    e.field = r.field;
    e.picture = r.picture;
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
