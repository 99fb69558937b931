#pragma once
// Small builders that turn the tables of the detail windows into window
// definitions.
#include <string>
#include <vector>

#include "runtime/ui/windowdef.h"

namespace qm::details {

using qm::control;
ControlDef prompt(std::string text, int x, int y, int w, std::string parent = {}, int h = 10);
ControlDef button(std::string id, std::string text, Role role, int x, int y, int w, std::string icon = {},
                  std::string parent = {});

// One prompt-and-entry row of a form tab.
struct FieldRow {
  std::string prompt;
  std::string field;
  std::string picture;
  int width;             // of the entry, dialog units
  std::string tip = {};
  std::string id = {};   // "" gives "?" + field
};
// Rows one below the other from y, `step` apart: prompt at x, entry at
// x + promptWidth.
void addRows(WindowDef& w, const std::vector<FieldRow>& rows, const std::string& parent, int x, int y,
             int promptWidth, int step);

// The region the page-link routine lays exactly over an entry: it shows the
// hand cursor and reports mouse presses, so a click opens the entry's text.
void PageLinkHelper(WindowDef& w, const std::string& entryId, const std::string& regionId);

}  // namespace qm::details
