#pragma once
// Small builders that turn the tables of the record windows (prompt, field,
// picture rows; list columns; button rows) into window definitions.
#include <string>
#include <vector>

#include "runtime/ui/windowdef.h"

namespace qm {

// One prompt-and-entry row. A button, when named, follows the entry.
struct FieldRow {
  const char* prompt;
  const char* field;
  const char* picture;
  int width;                     // of the entry, dialog units
  const char* button = nullptr;  // caption of a button beside it
  const char* buttonId = nullptr;
};

// One button of a button row.
struct ButtonSpec {
  const char* id;
  const char* text;
  Role role = Role::None;
  const char* icon = "";
  int width = 50;
};

// A prompt a unit below the entry line at y, as rows set it.
ControlDef prompt(std::string text, int x, int y, int w, std::string parent = {});
// A prompt exactly at (x, y).
ControlDef promptAt(std::string text, int x, int y, int w, std::string parent = {}, int h = 10);
// An entry bound to field ("?" + field is its id).
ControlDef entry(std::string field, std::string picture, int x, int y, int w,
                 std::string parent = {});
// A text showing field, one line high ("?" + field is its id).
ControlDef shown(std::string field, std::string picture, int x, int y, int w);
ControlDef check(std::string field, std::string text, int x, int y, int w, std::string parent = {});
ControlDef button(const ButtonSpec& b, int x, int y, int h, std::string parent = {});

// Rows one below the other from y, each `step` apart: prompt at x (promptWidth
// wide), entry after it, the row's button after the entry.
void addRows(WindowDef& w, const std::vector<FieldRow>& rows, const std::string& parent, int x,
             int y, int promptWidth, int step);
// Buttons side by side from x, `gap` apart.
void addButtons(WindowDef& w, const std::vector<ButtonSpec>& buttons, int x, int y, int h, int gap,
                const std::string& parent = {});
// An option group with one radio per (caption, value), stacked or side by side.
void addOption(WindowDef& w, std::string id, std::string title, std::string field,
               const std::vector<std::pair<std::string, std::string>>& choices, int x, int y,
               int width, bool across, const std::string& parent);
// A sheet with tabs: ids "?Sheet" and "?Tab1".."?TabN".
void addSheet(WindowDef& w, const std::vector<std::string>& tabs, int x, int y, int width,
              int height);
std::string tabId(int oneBased);

// The record browses' window: one tab holding an optional entry locator, the
// list and the F9 hint, with the buttons below the sheet.
struct ListBrowseSpec {
  std::string title;
  std::string tab;
  std::vector<ColumnDef> columns;
  std::vector<ButtonSpec> buttons;
  std::string locatorPrompt = {};  // with the next two: an entry locator above the list
  std::string locatorField = {};
  std::string locatorPicture = {};
};
WindowDef listBrowseWindow(const ListBrowseSpec& spec);

}  // namespace qm
