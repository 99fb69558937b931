#pragma once
// What the detail windows lay out their own way, over the shared builders:
// rows whose entries carry a tip and may take an id of their own, and the
// page-link region.
#include <string>
#include <vector>

#include "appkit/layout.h"
#include "runtime/ui/windowdef.h"

namespace qm::details {

// One prompt-and-entry row of a form tab.
struct DetailRow {
  std::string prompt;
  std::string field;
  std::string picture;
  int width;  // of the entry, dialog units
  std::string tip = {};
  std::string id = {};  // "" gives "?" + field
};
// Rows one below the other from y, `step` apart: prompt at x, entry at
// x + promptWidth.
void addRows(WindowDef& w, const std::vector<DetailRow>& rows, const std::string& parent, int x,
             int y, int promptWidth, int step);

// The region the page-link routine lays exactly over an entry: it shows the
// hand cursor and reports mouse presses, so a click opens the entry's text.
void PageLinkHelper(WindowDef& w, const std::string& entryId, const std::string& regionId);

}  // namespace qm::details
