#include "webdata/views/common.h"

#include <QScrollBar>
#include <QWidget>

#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"

namespace qm::webviews {

ColumnDef column(std::string header, std::string field, std::string picture, int width,
                 Justify data, Justify heading) {
  ColumnDef c;
  c.width = width;
  c.justify = data;
  c.header = std::move(header);
  c.headerJustify = heading;
  c.field = std::move(field);
  c.picture = std::move(picture);
  return c;
}

std::vector<ColumnDef> pageListColumns(const std::vector<ColumnLook>& looks) {
  struct Text {
    const char* header;
    const char* field;
    const char* picture;
  };
  static const Text kColumns[] = {{"Domain Name", "WEB:DOMAINNAME", "@s50"},
                                  {"Page Name", "WEB:PAGENAME", "@s20"},
                                  {"Use Now", "WEB:USENOW", "@s1"},
                                  {"Page Path", "WEB:PAGEPATH", "@s80"},
                                  {"Local Path", "WEB:LOCALPATH", "@s80"},
                                  {"Local Default Directory", "WEB:LOCALDEFAULTDIRECTORY", "@s90"},
                                  {"Author", "WEB:AUTHOR", "@s30"},
                                  {"Purpose", "WEB:PURPOSE", "@s40"},
                                  {"Implement Date", "WEB:IMPLEMENTDATE", "@d17"}};
  std::vector<ColumnDef> out;
  for (size_t i = 0; i < looks.size() && i < std::size(kColumns); ++i)
    out.push_back(column(kColumns[i].header, kColumns[i].field, kColumns[i].picture, looks[i].width,
                         looks[i].data, looks[i].heading));
  return out;
}

void raiseOverSheets(WindowProcedure& p) {
  if (!p.built()) return;
  for (auto& c : p.built()->controls()) {
    if (c->kind() == Kind::Sheet || c->kind() == Kind::Tab || !c->def().parent.empty() ||
        !c->widget())
      continue;
    c->widget()->raise();
    if (c->scrollBar()) c->scrollBar()->raise();
  }
}

}  // namespace qm::webviews
