#include "desk/cpsetup.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <vector>

#include "appkit/layout.h"
#include "desk/common.h"
#include "desk/context.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/values/text.h"

namespace qm::desk {

namespace {

using qm::addButtons;
using qm::addSheet;
using qm::control;
using qm::entry;
using qm::prompt;
using qm::tabId;

// ---- section cpanel ------------------------------------------------------------------

// Each entry of section cpanel, in the order written, with its global and
// the Editor field the set-up fills it from.
struct CpanelEntry {
  const char* key;
  const char* field;
  std::string (*get)();
  void (*set)(std::string_view);
};

#define QM_CPANEL(member)                      \
  [] { return panelPrograms().member.str(); }, \
      [](std::string_view v) { panelPrograms().member = v; }
const CpanelEntry kCpanel[] = {
    {"html", "EDI:MYEDITOR", QM_CPANEL(html)},
    {"grphx", "EDI:MYGRAPHICSED", QM_CPANEL(grphx)},
    {"brwsr", "EDI:MYBROWSER", QM_CPANEL(brwsr)},
    {"txted", "EDI:MYTEXTED", QM_CPANEL(txted)},
    {"mail", "EDI:CMAIL", QM_CPANEL(mail)},
    {"usr1", "EDI:MYUSER1", QM_CPANEL(usr1)},
    {"usr2", "EDI:MYUSER2", QM_CPANEL(usr2)},
    {"usr3", "EDI:MYUSER3", QM_CPANEL(usr3)},
    {"usr4", "EDI:MYUSER4", QM_CPANEL(usr4)},
    {"fftp", "EDI:MYFTP", QM_CPANEL(fftp)},
    {"ubut1", "EDI:MYUSER1TITLE", QM_CPANEL(ubut1)},
    {"ubut2", "EDI:MYUSER2TITLE", QM_CPANEL(ubut2)},
    {"ubut3", "EDI:MYUSERTITLE3", QM_CPANEL(ubut3)},
    {"ubut4", "EDI:MYUSERTITLE4", QM_CPANEL(ubut4)},
};
#undef QM_CPANEL

constexpr const char* kCurrentConfig = "EDI:CURRENTCONFIG";

// ---- file dialogs ----------------------------------------------------------------------

std::optional<std::string> dialogChooser(QWidget* parent, const std::string& title) {
  // The dialog keeps the current directory as it found it.
  const QString here = QDir::currentPath();
  // "*.*" would hide the executables here, whose names have no dot.
  QString name = QFileDialog::getOpenFileName(parent, QString::fromStdString(title), QString(),
                                              QStringLiteral("All Files (*)"));
  QDir::setCurrent(here);
  if (name.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(name).toStdString();
}

FileChooser& chooser() {
  static FileChooser c = dialogChooser;
  return c;
}

// ---- the set-up form --------------------------------------------------------------------

struct ProgramTab {
  const char* tab;
  const char* prompt;
  const char* field;
  const char* dialogTitle;
  std::vector<const char*> notes;
  const char* captionPrompt = nullptr;
  const char* captionField = nullptr;
  const char* tip = nullptr;
};

const char* const kBrowseNote =
    "Press the \"...\" button to browse for the program's file and path.";
const char* const kUserNote1 = "A user program may also be a batch file.";
const char* const kUserNote2 = "Its title is the caption of its button: at most 10 characters.";

const std::vector<ProgramTab>& programTabs() {
  static const std::vector<ProgramTab> tabs = {
      {"My Browser",
       "My Browser:",
       "EDI:MYBROWSER",
       "Browser",
       {"This browser is also the one called from the web pages file."}},
      {"My E-Mail Client", "My E-Mail:", "EDI:CMAIL", "EMail Program", {}},
      {"My FTP",
       "My FTP:",
       "EDI:MYFTP",
       " FTP Program",
       {"The FTP program must be installed on this computer,",
        "and a connection is needed to use it."}},
      {"My Graphics Editor", "My Graphics Ed:", "EDI:MYGRAPHICSED", "Graphics Program", {}},
      {"My HTML Editor",
       "My Editor:",
       "EDI:MYEDITOR",
       "HTML Editor",
       {"Give the complete path with the executable file name, followed by",
        "any flag the editor needs after it (for example: -edit)."},
       nullptr,
       nullptr,
       "Your HTML editor program."},
      {"My Text Editor", "My Text Ed:", "EDI:MYTEXTED", "Text Editor", {}},
      {"User Defined Action 1",
       "My User 1:",
       "EDI:MYUSER1",
       "User Defined Action 1",
       {kUserNote1, kUserNote2},
       "My User 1 Title:",
       "EDI:MYUSER1TITLE"},
      {"User Defined Action 2",
       "My User 2:",
       "EDI:MYUSER2",
       "User Defined Action 2",
       {kUserNote1, kUserNote2},
       "My User 2 Title:",
       "EDI:MYUSER2TITLE"},
      {"User Defined Action 3",
       "My User 3:",
       "EDI:MYUSER3",
       "User Defined Action 3",
       {kUserNote1, kUserNote2},
       "My User Title 3:",
       "EDI:MYUSERTITLE3"},
  };
  return tabs;
}

std::string pickId(size_t i) { return "?Pick" + std::to_string(i + 1); }

WindowDef formWindow() {
  WindowDef w;
  w.title = "Set Up \"MyControl Panel\" integrated program functions.";
  w.w = 340, w.h = 176;
  std::vector<std::string> names = {"Start"};
  for (const ProgramTab& t : programTabs()) names.push_back(t.tab);
  addSheet(w, names, 4, 4, 332, 150);

  std::string tab = tabId(1);
  ControlDef wizard = control(Kind::Image, "?Wizard", {}, 12, 26, 60, 60, tab);
  w.controls.push_back(wizard);
  const char* const start[] = {
      "The programs you choose here are available throughout Quillmark.",
      "Switch the panel on and off with \"MyControl Panel\" in the File menu.",
      "Your changes take effect once this record is saved with OK.",
  };
  for (int i = 0; i < 3; ++i) w.controls.push_back(prompt(start[i], 80, 30 + i * 16, 250, tab));

  for (size_t i = 0; i < programTabs().size(); ++i) {
    const ProgramTab& t = programTabs()[i];
    tab = tabId(static_cast<int>(i) + 2);
    int y = 26;
    for (const char* note : t.notes) {
      w.controls.push_back(prompt(note, 12, y, 316, tab));
      y += 11;
    }
    w.controls.push_back(prompt(kBrowseNote, 12, y, 316, tab));
    y = 90;
    w.controls.push_back(prompt(t.prompt, 12, y + 1, 60, tab));
    ControlDef e = entry(t.field, "@s100", 74, y, 230, tab);
    if (t.tip) e.tip = t.tip;
    w.controls.push_back(e);
    w.controls.push_back(control(Kind::Button, pickId(i), "...", 308, y - 1, 20, 13, tab));
    if (t.captionPrompt) {
      w.controls.push_back(prompt(t.captionPrompt, 12, y + 19, 60, tab));
      w.controls.push_back(entry(t.captionField, "@s10", 74, y + 18, 50, tab));
    }
  }
  addButtons(w,
             {{"?OK", "OK", Role::Ok, "", 44},
              {"?Cancel", "Cancel", Role::Cancel, "", 44},
              {"?Help", "Help", Role::Help, "", 44}},
             196, 158, 14, 4);
  return w;
}

// ---- the set-up list -------------------------------------------------------------------

WindowDef browseWindow() {
  WindowDef w;
  w.title = "MyControl Panel Set Up";
  w.w = 360, w.h = 190;
  w.status = "Browsing Records";
  addSheet(w, {"Only ONE Record Allowed"}, 4, 4, 352, 132);
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, 340, 108, tabId(1));
  using J = Justify;
  const char* const cols[][3] = {
      {"My Editor", "EDI:MYEDITOR", "@s100"},
      {"My FTP", "EDI:MYFTP", "@s100"},
      {"My Text Ed", "EDI:MYTEXTED", "@s100"},
      {"My Browser", "EDI:MYBROWSER", "@s100"},
      {"My Graphics Ed", "EDI:MYGRAPHICSED", "@s100"},
      {"My User 1", "EDI:MYUSER1", "@s100"},
      {"My User 2", "EDI:MYUSER2", "@s100"},
      {"My User 1 Title", "EDI:MYUSER1TITLE", "@s10"},
      {"My User 2 Title", "EDI:MYUSER2TITLE", "@s10"},
  };
  for (const auto& c : cols)
    list.columns.push_back(
        {std::string(c[2]) == "@s10" ? 64 : 80, J::Left, 2, c[0], J::Left, 2, c[1], c[2]});
  w.controls.push_back(list);
  ControlDef text = prompt(
      "If there are no records showing, then press the Insert button.  If there is a record "
      "showing, then press "
      "the Change button.",
      6, 140, 348);
  text.id = "?Instructions";
  text.h = 18;
  w.controls.push_back(text);
  addButtons(w,
             {{"?Select", "&Select", Role::Select, "", 40},
              {"?Insert", "&Insert", Role::Insert, "insert3.ico", 44},
              {"?Change", "&Change", Role::Change, "chg4.ico", 44},
              {"?Delete", "&Delete", Role::Delete, "delete4.ico", 44},
              {"?Close", "Close", Role::Close, "Progm039.ico", 44},
              {"?Help", "Help", Role::Help, "", 40}},
             6, 168, 14, 4);
  return w;
}

BrowseDef setupBrowse() {
  BrowseDef b;
  b.orders = {SortOrder{}};  // record order, no locator, no filter
  b.sheet = "?Sheet";
  b.keepFormats = false;
  return b;
}

// ---- the two message windows ---------------------------------------------------------------

WindowDef messageWindow(const char* title, const char* text, bool withClose) {
  WindowDef w;
  w.title = title;
  w.w = 244, w.h = 64;  // the longest title shows whole
  ControlDef t = prompt(text, 8, 8, 228);
  t.id = "?Message";
  t.h = 28;
  w.controls.push_back(t);
  ControlDef ok = control(Kind::Button, "?OK", "OK", withClose ? 76 : 100, 44, 44, 14);
  ok.defaultButton = true;
  w.controls.push_back(ok);
  if (withClose) {
    ControlDef close = control(Kind::Button, "?Close", "Close", 124, 44, 44, 14);
    close.icon = "Progm039.ico";
    close.role = Role::Close;
    w.controls.push_back(close);
  }
  return w;
}

}  // namespace

FileChooser setFileChooser(FileChooser c) {
  FileChooser old = std::move(chooser());
  chooser() = c ? std::move(c) : FileChooser(dialogChooser);
  return old;
}

void writeCpanelSection() {
  IniFile& ini = settings();
  bool ok = true;
  for (const CpanelEntry& e : kCpanel) ok = ini.write("cpanel", e.key, e.get()) && ok;
  if (!ok)
    ini.reportWriteFailure("The control panel settings could not be saved in " + ini.fileName());
}

// ---- ConfigureControlPanel -------------------------------------------------------------------

ConfigureControlPanel::ConfigureControlPanel() : WindowProcedure("ConfigureControlPanel") {}

void ConfigureControlPanel::setup() {
  // Configuring while a panel is open is refused.
  callProcedure(*context().cpanelOpen == "Y" ? makeCpwarn : makeBrowsecpanel, 0,
                [this](int) { close(RequestCancelled); });
}

// ---- browsecpanel -------------------------------------------------------------------------------

Browsecpanel::Browsecpanel()
    : RecordBrowse("browsecpanel", browseWindow(), setupBrowse(), &managedFile(FileId::Editor)) {}

void Browsecpanel::runUpdate(int, int request, ResponseHandler done) {
  callProcedure(makeControlpanel, request, [this, request, done = std::move(done)](int response) {
    // Only a delete carried out forgets the programs: "No" changes nothing.
    if (request == DeleteRecord && response == RequestCompleted) forgetPrograms();
    if (done) done(response);
  });
}

void Browsecpanel::forgetPrograms() {
  panelPrograms() = ControlPanelGlobals{};
  primaryFile()->buffer().setText(kCurrentConfig, "");
  writeCpanelSection();
}

// ---- controlpanel
// -----------------------------------------------------------------------------------

Controlpanel::Controlpanel()
    : FormProcedure("controlpanel", formWindow(),
                    FormDef{"Record Will Be Added", "Record Will Be Changed"},
                    &managedFile(FileId::Editor)) {}

bool Controlpanel::beforeWindow() {
  if (request() == InsertRecord && primaryFile()->recordFile().count() > 0) {
    // One record only: the refusal shows over the list, which waits for it.
    if (caller())
      caller()->callProcedure(makeClosit, 0, {});
    else
      runProcedure(threadId(), makeClosit, 0, {});
    setResponse(RequestCancelled);
    return false;
  }
  return FormProcedure::beforeWindow();
}

bool Controlpanel::takeWindowEvent(Event e) {
  if (FormProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow && window()) {
    tabs_.createStandard(window());
    tabs_.colour();
    if (Control* c = control("?Wizard"))
      if (auto* l = qobject_cast<QLabel*>(c->widget()))
        l->setPixmap(loadIcon("wiz.jpg").pixmap(l->size()));
  }
  return false;
}

bool Controlpanel::takeAccepted(Control& c) {
  if (FormProcedure::takeAccepted(c)) return true;
  const auto& tabs = programTabs();
  for (size_t i = 0; i < tabs.size(); ++i) {
    if (compareNoCase(c.id(), pickId(i)) != 0) continue;
    takeAll(built());
    // Cancelling the dialog keeps what the field held; a name takes at most
    // the field's 100 characters.
    if (std::optional<std::string> name = chooser()(window(), tabs[i].dialogTitle)) {
      primaryFile()->buffer().setText(tabs[i].field, *name);
      display();
    }
    return true;
  }
  return false;
}

bool Controlpanel::okPressed() {
  takeAll(built());
  RecordBuffer& r = primaryFile()->buffer();
  for (const CpanelEntry& e : kCpanel) e.set(r.text(e.field));
  r.setText(kCurrentConfig, "Y");
  writeCpanelSection();
  return true;
}

void Controlpanel::cleanup() {
  tabs_.release();
  FormProcedure::cleanup();
}

// ---- closit and cpwarn
// -----------------------------------------------------------------------------

MessageWindow::MessageWindow(std::string name, const WindowDef& def)
    : WindowProcedure(std::move(name)) {
  setDefinition(def);
}

bool MessageWindow::takeWindowEvent(Event e) {
  if (WindowProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow)
    if (Control* c = control("?Message"))
      if (auto* l = qobject_cast<QLabel*>(c->widget())) {
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignCenter);
      }
  return false;
}

bool MessageWindow::takeAccepted(Control& c) {
  if (WindowProcedure::takeAccepted(c)) return true;
  if (c.kind() != Kind::Button) return false;
  close(RequestCancelled);
  return true;
}

std::unique_ptr<WindowProcedure> makeConfigureControlPanel() {
  return std::make_unique<ConfigureControlPanel>();
}
std::unique_ptr<WindowProcedure> makeBrowsecpanel() { return std::make_unique<Browsecpanel>(); }
std::unique_ptr<WindowProcedure> makeControlpanel() { return std::make_unique<Controlpanel>(); }

std::unique_ptr<WindowProcedure> makeClosit() {
  return std::make_unique<MessageWindow>(
      "closit",
      messageWindow("You can only have One (1)Control Panel Setup",
                    "You can only have one Control Panel Setup record.  You may change this record "
                    "anytime. Thank you.",
                    true));
}

std::unique_ptr<WindowProcedure> makeCpwarn() {
  return std::make_unique<MessageWindow>(
      "cpwarn",
      messageWindow("", "You must CLOSE the Control Panel before configuring it.  Thank you.",
                    false));
}

}  // namespace qm::desk
