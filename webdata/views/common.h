#pragma once
// What the quick view and the cross-reference views share.
#include <string>
#include <vector>

#include "runtime/ui/windowdef.h"

namespace qm {
class WindowProcedure;
}

namespace qm::webviews {

// A list column: width in dialog units, data and heading justification.
ColumnDef column(std::string header, std::string field, std::string picture, int width = 80,
                 Justify data = Justify::Left, Justify heading = Justify::Left);

// The page lists' nine columns (domain and page name, use now, page and local
// path, local default directory, author, purpose, implement date) with each
// list's own widths and justifications, one look per column.
struct ColumnLook {
  int width;
  Justify data = Justify::Left;
  Justify heading = Justify::Left;
};
std::vector<ColumnDef> pageListColumns(const std::vector<ColumnLook>& looks);

// The controls that lie over a sheet without being on one of its tabs are
// built before it; this brings them back in front of it.
void raiseOverSheets(WindowProcedure& p);

}  // namespace qm::webviews
