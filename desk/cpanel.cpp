#include "desk/cpanel.h"

#include <QDir>
#include <QLabel>
#include <QWidget>
#include <string>

#include "appkit/layout.h"
#include "desk/common.h"
#include "desk/context.h"
#include "desk/notes.h"
#include "resources/resources.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/commandline.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"

namespace qm::desk {

namespace {

using qm::control;

// One cell of the panel. A program cell is enabled when its test text is not
// blank and then starts its command; a user cell tests its caption.
struct Cell {
  const char* id;
  const char* caption;  // "" for a user cell: its caption global shows instead
  int row, column;
  std::string (*test)();     // null: always enabled ("Notes")
  std::string (*command)();  // null: "Notes"
  const char* captionValue;  // user cells: the bound caption
};

// In window order: the buttons first, then each user cell's caption and area.
const Cell kCells[] = {
    {"?HtmlEditor", "HTML Editor", 1, 5, [] { return panelPrograms().html.str(); },
     [] { return panelPrograms().html.str(); }, nullptr},
    {"?TextEditor", "Text Editor", 2, 1, [] { return panelPrograms().txted.str(); },
     [] { return panelPrograms().txted.str(); }, nullptr},
    {"?Notes", "Notes", 2, 2, nullptr, nullptr, nullptr},
    {"?Ftp", "FTP", 1, 3, [] { return panelPrograms().fftp.str(); },
     [] { return panelPrograms().fftp.str(); }, nullptr},
    {"?Browser", "Browser", 1, 1, [] { return panelPrograms().brwsr.str(); },
     [] { return panelPrograms().brwsr.str(); }, nullptr},
    {"?GraphicsEditor", "Graphics Editor", 1, 4, [] { return panelPrograms().grphx.str(); },
     [] { return panelPrograms().grphx.str(); }, nullptr},
    {"?EMail", "E-Mail", 1, 2, [] { return panelPrograms().mail.str(); },
     [] { return panelPrograms().mail.str(); }, nullptr},
    {"?User1", "", 2, 3, [] { return panelPrograms().ubut1.str(); },
     [] { return panelPrograms().usr1.str(); }, "ubut1"},
    {"?User2", "", 2, 4, [] { return panelPrograms().ubut2.str(); },
     [] { return panelPrograms().usr2.str(); }, "ubut2"},
    {"?User3", "", 2, 5, [] { return panelPrograms().ubut3.str(); },
     [] { return panelPrograms().usr3.str(); }, "ubut3"},
};

constexpr int kCellW = 53, kCellH = 14, kGap = 2, kMargin = 4;

const Cell* cellOf(const std::string& id) {
  for (const Cell& c : kCells)
    if (compareNoCase(id, c.id) == 0) return &c;
  return nullptr;
}

std::string captionId(const Cell& c) { return std::string(c.id) + "Caption"; }

WindowDef panelWindow() {
  WindowDef w;
  w.title = "MyControl Panel: Quillmark Pro";
  w.w = kMargin * 2 + 5 * kCellW + 4 * kGap;
  w.h = kMargin * 2 + 2 * kCellH + kGap;
  for (const Cell& c : kCells) {
    const int x = kMargin + (c.column - 1) * (kCellW + kGap);
    const int y = kMargin + (c.row - 1) * (kCellH + kGap);
    if (!c.captionValue) {
      ControlDef b = control(Kind::Button, c.id, c.caption, x, y, kCellW, kCellH);
      b.disabled = c.test != nullptr;
      w.controls.push_back(b);
      continue;
    }
    // A caption under a plain area that takes the click.
    ControlDef text = control(Kind::Text, captionId(c), {}, x, y, kCellW, kCellH);
    text.field = c.captionValue;
    text.picture = "@s10";
    text.disabled = true;
    w.controls.push_back(text);
    ControlDef area = control(Kind::Region, c.id, {}, x, y, kCellW, kCellH);
    area.disabled = true;
    w.controls.push_back(area);
  }
  return w;
}

void restoreStartDirectory() {
  const std::string dir = context().startDirectory->str();
  if (!dir.empty()) QDir::setCurrent(QString::fromStdString(dir));  // a failure is not reported
}

}  // namespace

Cpanel2::Cpanel2() : WindowProcedure("cpanel2") {
  setDefinition(panelWindow());
  bindDisplay("ubut1", [] { return panelPrograms().ubut1.str(); });
  bindDisplay("ubut2", [] { return panelPrograms().ubut2.str(); });
  bindDisplay("ubut3", [] { return panelPrograms().ubut3.str(); });
}

bool Cpanel2::takeWindowEvent(Event e) {
  if (WindowProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow) {
    *context().cpanelOpen = "Y";
    enableCells();
    if (built())
      for (auto& c : built()->controls()) {
        if (!c->widget()) continue;
        c->widget()->setCursor(resourceCursor("Glove.cur", Qt::PointingHandCursor));
        if (auto* l = qobject_cast<QLabel*>(c->widget())) {
          // A user cell reads as a cell, like the buttons beside it.
          l->setAlignment(Qt::AlignCenter);
          l->setFrameStyle(QFrame::Panel | QFrame::Raised);
        }
      }
  }
  return false;
}

void Cpanel2::enableCells() {
  // Only ever enabled here: nothing disables a cell while the panel is open.
  for (const Cell& cell : kCells) {
    if (!cell.test || cell.test().empty()) continue;
    if (Control* c = control(cell.id)) c->setEnabled(true);
    if (cell.captionValue)
      if (Control* t = control(captionId(cell))) t->setEnabled(true);
  }
}

void Cpanel2::runProgram(Control& c) {
  const Cell* cell = cellOf(c.id());
  if (!cell || !cell->command) return;
  const bool button = cell->captionValue == nullptr;
  if (button && compareNoCase(c.id(), "?Browser") != 0) takeAll(built());
  // A blank command starts nothing; a program that will not start says why.
  startCommandLine(cell->command());
  if (button) display();
  restoreStartDirectory();
}

bool Cpanel2::takeFieldEvent(Control& c, Event e) {
  if (WindowProcedure::takeFieldEvent(c, e)) return true;
  if (e == Event::MouseDown && c.kind() == Kind::Region && c.widget() && c.widget()->isEnabled()) {
    runProgram(c);
    return true;
  }
  return false;
}

bool Cpanel2::takeAccepted(Control& c) {
  if (WindowProcedure::takeAccepted(c)) return true;
  if (c.kind() != Kind::Button) return false;
  if (compareNoCase(c.id(), "?Notes") == 0) {
    takeAll(built());
    startProcedure("BrowseNotes", 25000, makeBrowseNotes);
    display();
    return true;
  }
  runProgram(c);
  return true;
}

void Cpanel2::cleanup() {
  *context().cpanelOpen = "N";
  WindowProcedure::cleanup();
}

std::unique_ptr<WindowProcedure> makeCpanel2() { return std::make_unique<Cpanel2>(); }

}  // namespace qm::desk
