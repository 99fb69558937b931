#pragma once
// The main frame's menu and toolbar, as data.
#include <vector>

#include "runtime/ui/procedure.h"

namespace qm {

enum class MenuAction {
  Submenu,  // opens the items one level deeper that follow it
  Start,    // the procedure on a new thread with the stack size
  Call,     // the procedure on the frame's thread, the frame waiting
  Run,      // the outside command line, not waited for
  PrintSetup,
  Exit,
  Cut,
  Copy,
  Paste,
  Tile,
  Cascade,
  ArrangeIcons,
  CloseWindow,  // the active child window, as its close box
  NextWindow,   // activates the next child window
  HelpContents,
  HelpSearch,
  HelpHowTo,
};

struct MenuItem {
  int depth;  // 0 on the menu bar
  const char* text;
  const char* tip;  // status-bar text; "" for none
  MenuAction action;
  const char* target;  // procedure name or command line
  int stackSize;       // Start items
  const char* key;     // hot key ("F5"; more than one: "Ctrl+F6; Ctrl+Tab"); "" for none
  const char* id;      // for the items the frame changes; "" for none
};

// In menu order; a Submenu's items follow it one level deeper.
const std::vector<MenuItem>& mainMenu();

// The reader program's item, enabled when that program is found.
constexpr const char* kReaderItem = "reader";

struct ToolButton {
  Nav nav;
  const char* tip;
  const char* icon;
};

// The thirteen navigation buttons, forwarded to the active child window.
const std::vector<ToolButton>& mainToolbar();

}  // namespace qm
