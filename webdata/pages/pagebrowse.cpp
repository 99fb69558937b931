#include "webdata/pages/pagebrowse.h"

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/requests.h"
#include "runtime/ui/window.h"

namespace qm::webpages {

namespace {

using qm::addButtons;
using qm::addSheet;
using qm::control;
using qm::prompt;
using J = Justify;

// width, justification, indent, header, header justification, header indent, field, picture
const std::vector<ColumnDef> kBrowseColumns = {
    {80, J::Left, 2, "Domain Name", J::Left, 2, "WEB:DOMAINNAME", "@s30"},
    {80, J::Left, 2, "Page Name", J::Left, 2, "WEB:PAGENAME", "@s20"},
    {36, J::Center, 2, "Use Now", J::Center, 0, "WEB:USENOW", "@s1"},
    {80, J::Left, 2, "Page Path", J::Left, 2, "WEB:PAGEPATH", "@s40"},
    {80, J::Left, 2, "Local Path", J::Left, 2, "WEB:LOCALPATH", "@s40"},
    {80, J::Left, 2, "Author", J::Left, 2, "WEB:AUTHOR", "@s30"},
    {80, J::Left, 2, "Purpose", J::Left, 2, "WEB:PURPOSE", "@s40"},
    {80, J::Right, 2, "Implement Date", J::Center, 0, "WEB:IMPLEMENTDATE", "@d17"},
    {80, J::Right, 2, "Update Date", J::Center, 0, "WEB:FILEDATETIME", "@s20"},
};

const std::vector<ColumnDef> kSelectColumns = {
    {80, J::Left, 2, "Domain Name", J::Left, 2, "WEB:DOMAINNAME", "@s50"},
    {80, J::Left, 2, "Page Name", J::Left, 2, "WEB:PAGENAME", "@s20"},
    {34, J::Center, 2, "Use Now", J::Left, 0, "WEB:USENOW", "@s1"},
    {80, J::Left, 2, "Page Path", J::Left, 2, "WEB:PAGEPATH", "@s80"},
    {80, J::Left, 2, "Local Path", J::Left, 2, "WEB:LOCALPATH", "@s80"},
    {80, J::Decimal, 10, "Local Default Directory", J::Center, 0, "WEB:LOCALDEFAULTDIRECTORY",
     "@s90"},
    {80, J::Left, 2, "Author", J::Left, 2, "WEB:AUTHOR", "@s30"},
    {80, J::Left, 2, "Purpose", J::Left, 2, "WEB:PURPOSE", "@s40"},
    {80, J::Right, 2, "Implement Date", J::Center, 0, "WEB:IMPLEMENTDATE", "@d17"},
};

// ---- BrowseWebPages ---------------------------------------------------------

WindowDef browseWindow(const PageBrowseSpec& s) {
  WindowDef w;
  w.title = "Browse the Web Pages File";
  w.w = s.width, w.h = 236;
  w.resizable = true;
  w.status = "Browsing Records";
  addSheet(w, s.tabs, 4, 4, s.width - 8, s.sheetHeight);
  const std::string tab = s.listOnTab ? qm::tabId(1) : std::string();
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, s.width - 20, s.listHeight, tab);
  list.columns = s.columns;
  w.controls.push_back(list);
  w.controls.push_back(prompt(s.text, 10, 28 + s.listHeight, s.textWidth, tab));
  if (s.select) {
    ControlDef select = control(Kind::Button, "?Select", "&Select", 4, s.buttonsY, 40, 16);
    select.role = Role::Select;
    select.hidden = true;
    w.controls.push_back(select);
  }
  addButtons(w, s.buttons, s.buttonsX, s.buttonsY, 16, 4);
  return w;
}

// ---- SelectWebPages ---------------------------------------------------------

WindowDef selectWindow() {
  WindowDef w;
  w.title = "Select a WebPages Record";
  w.w = 440, w.h = 222;
  w.resizable = true;
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, 420, 164);
  list.columns = kSelectColumns;
  list.tip = "Browsing Records";
  w.controls.push_back(list);
  ControlDef select = control(Kind::Button, "?Select", "&Select", 4, 198, 46, 16);
  select.role = Role::Select;
  w.controls.push_back(select);
  addSheet(w, {"Names", "Path", "Pages"}, 4, 4, 432, 188);
  addButtons(
      w,
      {{"?Close", "Close", Role::Close, "Progm039.ico", 46}, {"?Help", "Help", Role::Help, "", 46}},
      340, 198, 16, 4);
  return w;
}

BrowseDef selectListDef() {
  BrowseDef b;
  b.orders = {SortOrder{"WEB:NAMES", LocatorKind::Step, {}, {}, {}},
              SortOrder{"WEB:PATH", LocatorKind::Step, {}, {}, {}},
              SortOrder{"WEB:PAGES", LocatorKind::Step, {}, {}, {}}};
  b.sheet = "?Sheet";
  b.keepFormats = false;
  b.selectMode = true;
  return b;
}

}  // namespace

const PageBrowseSpec& domainPageBrowse() {
  static const PageBrowseSpec spec = [] {
    PageBrowseSpec s;
    s.width = 460, s.sheetHeight = 196;
    s.tabs = {"By DomainName", "By Page Name"};
    s.listOnTab = false;
    s.listHeight = 156;
    s.columns = kBrowseColumns;
    s.text = "To resize columns, use mouse on vertical lines. To reset use F9 key.";
    s.textWidth = 300;
    s.buttons = {{"?Insert", "&Insert", Role::Insert, "insert3.ico", 50},
                 {"?Change", "&Change", Role::Change, "chg4.ico", 50},
                 {"?Delete", "&Delete", Role::Delete, "delete4.ico", 50},
                 {"?Print", "&Print Web Page Listing", Role::Print, "", 96},
                 {"?Close", "Close", Role::Close, "", 46},
                 {"?Help", "Help", Role::Help, "", 46}};
    s.buttonsX = 48, s.buttonsY = 210;
    s.select = true;
    s.domainRange = true;
    s.orders.orders = {SortOrder{"WEB:NAMES", LocatorKind::Step, {}, {"DOM:DOMAINNAME"}, {}},
                       SortOrder{"WEB:PAGES", LocatorKind::Step, {}, {}, {}}};
    s.orders.sheet = "?Sheet";
    s.form = "updatewebpages1";
    s.listing = "listwebpages";
    return s;
  }();
  return spec;
}

BrowseWebPages::BrowseWebPages() : BrowseWebPages(domainPageBrowse()) {}

BrowseWebPages::BrowseWebPages(const PageBrowseSpec& spec)
    : RecordBrowse("BrowseWebPages", browseWindow(spec), spec.orders,
                   &managedFile(FileId::WebPages)),
      spec_(spec) {
  if (spec_.domainRange) {
    // The first tab's range is the domain in this thread's buffer as the
    // browse opens; the forms it calls may load other domains.
    useFile(&managedFile(FileId::Domains));
    ownRecord(&managedFile(FileId::Domains));
  }
}

void BrowseWebPages::runUpdate(int number, int request, ResponseHandler done) {
  if (number == 1) return callNamedProcedure(*this, spec_.form, request, std::move(done));
  if (number == 2 && !spec_.listing.empty())
    return callNamedProcedure(*this, spec_.listing, request, std::move(done));
  if (done) done(RequestCancelled);
}

bool BrowseWebPages::takeWindowEvent(Event e) {
  if (RecordBrowse::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow)
    if (Control* select = control("?Select")) select->setHidden(request() != SelectRecord);
  return false;
}

SelectWebPages::SelectWebPages()
    : RecordBrowse("SelectWebPages", selectWindow(), selectListDef(),
                   &managedFile(FileId::WebPages)) {}

bool SelectWebPages::takeWindowEvent(Event e) {
  if (RecordBrowse::takeWindowEvent(e)) return true;
  // The sheet comes after the list in the window: the list stays on top.
  if (e == Event::OpenWindow)
    if (Control* list = control("?Browse:1"); list && list->widget()) {
      list->widget()->raise();
      if (list->scrollBar()) list->scrollBar()->raise();
    }
  return false;
}

std::unique_ptr<WindowProcedure> makeBrowseWebPages() { return std::make_unique<BrowseWebPages>(); }
std::unique_ptr<WindowProcedure> makePageBrowse(const PageBrowseSpec& spec) {
  return std::make_unique<BrowseWebPages>(spec);
}
std::unique_ptr<WindowProcedure> makeSelectWebPages() { return std::make_unique<SelectWebPages>(); }

}  // namespace qm::webpages
