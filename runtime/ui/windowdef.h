#pragma once
// Window definitions as data: controls, prompts, list columns, tabs. Sizes
// and positions are in dialog units of the window's font.
#include <string>
#include <utility>
#include <vector>

namespace qm {

enum class Kind {
  Prompt,  // static text (may be a field's prompt)
  Text,    // display-only text bound to a field (or a literal)
  Entry,   // single-line entry bound to a field with a picture
  Memo,    // multi-line entry bound to a field or memo
  Check,   // check box storing trueValue / falseValue
  Option,  // option group storing the value of its chosen Radio
  Radio,   // one choice of its parent Option
  Button,
  List,    // a browse list (columns)
  Drop,    // drop-down list filled from a file, storing its choice in field
  Sheet,   // tab sheet
  Tab,     // one tab of its parent Sheet
  Group,   // a framed group
  Region,  // an invisible area reporting mouse presses
  Image,
  Progress,
};

enum class Justify { Left, Right, Center, Decimal };

// How a control follows a resizable window, as flags. AnchorAuto takes them
// from the definition: lists, sheets and memos grow; a control below a
// growing control of its container moves down, one to its right moves right.
enum Anchor : int {
  AnchorAuto = -1,
  AnchorNone = 0,
  AnchorRight = 1,   // moves right as the window widens
  AnchorBottom = 2,  // moves down as it grows taller
  AnchorWidth = 4,   // grows wider
  AnchorHeight = 8,  // grows taller
  AnchorGrow = AnchorWidth | AnchorHeight,
};

// Standard meanings the patterns attach to buttons.
enum class Role { None, Insert, Change, Delete, Select, Print, Close, Ok, Cancel, Help, Locator };

struct ColumnDef {
  int width = 40;  // dialog units
  Justify justify = Justify::Left;
  int indent = 2;  // dialog units (for Decimal: the offset)
  std::string header;
  Justify headerJustify = Justify::Left;
  int headerIndent = 2;
  std::string field;    // a field label, memo label or bound value name
  std::string picture;  // "@s50", "@D2", "@n10.2"
  bool resizable = true;
  bool rightBorder = true;
  bool fixed = false;  // a leading column that stays in view when the list scrolls sideways
};

struct ControlDef {
  Kind kind = Kind::Prompt;
  std::string id;                  // "?OK", "?Browse:1", "?DOM:DOMAINNAME"; unique when given
  std::string text;                // caption, prompt, tab or button text ("&Insert")
  int x = 0, y = 0, w = 0, h = 0;  // dialog units, relative to the window
  std::string parent;              // id of the Sheet (for a Tab), Tab, Group or Option it lies in
  std::string field;               // bound field, memo or value
  std::string picture;             // entries and texts
  Role role = Role::None;
  std::string icon;             // buttons: "insert3.ico"
  std::string trueValue = "Y";  // check boxes
  std::string falseValue = "N";
  std::string value;  // radios: the value stored when chosen
  bool readOnly = false;
  bool hidden = false;
  bool disabled = false;
  bool defaultButton = false;
  std::string key;  // a hot key ("F9", "Ctrl+'") for buttons
  std::string tip;
  // Lists and drops.
  std::vector<ColumnDef> columns;
  std::string fromFile;     // drop: label of the file that fills it
  std::string fromField;    // drop: field of that file copied into `field`
  int anchor = AnchorAuto;  // Anchor flags
};

// A control of a kind at (x, y), w by h dialog units, lying on `parent`.
inline ControlDef control(Kind kind, std::string id, std::string text, int x, int y, int w, int h,
                          std::string parent = {}) {
  ControlDef c;
  c.kind = kind;
  c.id = std::move(id);
  c.text = std::move(text);
  c.x = x, c.y = y, c.w = w, c.h = h;
  c.parent = std::move(parent);
  return c;
}

struct WindowDef {
  std::string title;
  int x = 0, y = 0, w = 300, h = 200;  // dialog units
  std::string font = "MS Sans Serif";
  int fontSize = 8;
  bool resizable = false;
  bool mdi = true;     // a child of the frame's area when it has one
  std::string icon;    // none: the program's icon
  std::string status;  // status text: the frame's status bar, or a line of the window
  std::vector<ControlDef> controls;
};

}  // namespace qm
