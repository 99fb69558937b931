#include "webdata/views/common.h"

#include <QScrollBar>
#include <QWidget>

#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"

namespace qm::webviews {

ColumnDef column(std::string header, std::string field, std::string picture, int width, Justify data,
                 Justify heading) {
  ColumnDef c;
  c.width = width;
  c.justify = data;
  c.header = std::move(header);
  c.headerJustify = heading;
  c.field = std::move(field);
  c.picture = std::move(picture);
  return c;
}

void raiseOverSheets(WindowProcedure& p) {
  if (!p.built()) return;
  for (auto& c : p.built()->controls()) {
    if (c->kind() == Kind::Sheet || c->kind() == Kind::Tab || !c->def().parent.empty() || !c->widget()) continue;
    c->widget()->raise();
    if (c->scrollBar()) c->scrollBar()->raise();
  }
}

}  // namespace qm::webviews
