#include "webdata/details/browses.h"

#include <cstring>

#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/errors.h"
#include "runtime/config/requests.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "webdata/details/builders.h"
#include "webdata/details/forms.h"
#include "webdata/details/orderedfile.h"

namespace qm::details {

namespace {

constexpr const char* kF9Text =
    "To resize columns, use mouse on vertical lines. To reset use F9 key.";
constexpr const char* kList = "?Browse:1";
constexpr const char* kSelectPage = "?SelectPage";

ColumnDef col(int width, Justify j, std::string header, std::string field, std::string picture,
              Justify hj = Justify::Left, int hIndent = 2) {
  return ColumnDef{width, j, 2, header, hj, hIndent, field, picture};
}

std::vector<ColumnDef> scriptColumns() {
  std::vector<ColumnDef> c = {col(80, Justify::Left, "Page Name", "WPS:PAGENAME", "@s20")};
  for (int i = 1; i <= 5; ++i)
    c.push_back(col(80, Justify::Left, "Script Line " + std::to_string(i),
                    "WPS:SCRIPTLINE" + std::to_string(i), "@s80"));
  return c;
}

const std::vector<DetailBrowseSpec>& table() {
  using J = Justify;
  static const std::vector<DetailBrowseSpec> specs = {
      {"BrowseLinks",
       "Browse the Web Pages Links File",
       FileId::WPLinks,
       "WPL:PATHNAME",
       "WPL:WEBPAGELINK",
       LocatorKind::Step,
       "PathName",
       "&Print All Links",
       "listlinks2",
       makeUpdateWPLinks,
       BrowseLayout::DomainEntry,
       "WPL:DOMAINNAME",
       {col(80, J::Left, "Page Name", "WPL:PAGENAME", "@s20"),
        col(80, J::Left, "Web Page Link", "WPL:WEBPAGELINK", "@s80")}},
      {"BrowseImages",
       "Browse Images Data File",
       FileId::WPIMG,
       "WPI:PAGENAME",
       "",
       LocatorKind::Step,
       "By PageName",
       "&Print All Images",
       "PrintImage2",
       makeUpdateWPIMG,
       BrowseLayout::DomainEntry,
       "WPI:DOMAINNAME",
       {col(80, J::Left, "Page", "WPI:PAGE", "@s20"),
        col(80, J::Left, "Web Page IMG", "WPI:WEBPAGEIMG", "@s80"),
        col(30, J::Right, "Line", "WPI:LINENUMBER", "@n-7", J::Center, 0),
        col(48, J::Left, "Date Entered", "WPI:DATEENTERED", "@d17", J::Center, 0)}},
      {"BrowseMeta",
       "Browse the MetaTags  File",
       FileId::WPMeta,
       "WPM:PAGEPATH",
       "WPM:METANAME",
       LocatorKind::None,
       "Meta Tags",
       "&Print Meta Tags",
       "listmetas2",
       makeUpdateWPMeta,
       BrowseLayout::SelectPage,
       "",
       {col(80, J::Left, "Page Name", "WPM:PAGENAME", "@s20"),
        col(80, J::Left, "Meta Name", "WPM:METANAME", "@s20"),
        col(80, J::Left, "Meta Contents", "WPM:METACONTENTS", "@s200")}},
      {"browsescripts", "Browse the Scripts File", FileId::WPScripts, "WPS:PAGENAM", "",
       LocatorKind::None, "PageName", "&Print Scripts", "PrintScript", makeUpdateWPScripts,
       BrowseLayout::SelectPage, "", scriptColumns()},
      {"browseforms",
       "Browse the Forms File",
       FileId::WPForm,
       "WPF:PAGENAME",
       "",
       LocatorKind::None,
       "By PageName",
       "&Print Forms",
       "printform",
       makeUpdateWPForm,
       BrowseLayout::FormsFile,
       "",
       {col(80, J::Left, "Page Path", "WPF:WEBPAGEPATHNAME", "@s80"),
        col(80, J::Left, "Domain Name", "WPF:DOMAINNAME", "@s50"),
        col(80, J::Left, "Page Name", "WPF:PAGE", "@s20"),
        col(80, J::Right, "Record Date", "WPF:RECORDDATE", "@d17", J::Center, 0),
        col(48, J::Right, "Line Number", "WPF:LINENUMBER", "@n-7", J::Center, 0),
        col(80, J::Left, "Form Line 1", "WPF:FORMLINE1", "@s200"),
        col(80, J::Left, " 2", "WPF:FORMLINE2", "@s200"),
        col(80, J::Left, " 3", "WPF:FORMLINE3", "@s200"),
        col(80, J::Left, " 4", "WPF:FORMLINE4", "@s200")}},
  };
  return specs;
}

WindowDef browseWindow(const DetailBrowseSpec& s) {
  WindowDef w;
  w.title = s.title;
  w.w = 420;
  w.resizable = true;
  w.status = "Browsing Records";
  ControlDef list = control(Kind::List, kList, {}, 4, 4, 412, 132);
  list.columns = s.columns;
  list.tip = "Browsing Records";
  w.controls.push_back(list);

  const bool domain = s.layout == BrowseLayout::DomainEntry;
  const bool forms = s.layout == BrowseLayout::FormsFile;
  auto sheet = [&](int y) {
    w.controls.push_back(control(Kind::Sheet, "?Sheet", {}, 4, y, 412, 40));
    w.controls.push_back(control(Kind::Tab, "?Tab1", s.tab, 0, 0, 0, 0, "?Sheet"));
  };
  const int row = 140;
  w.controls.push_back(button({"?Select", "&Select", Role::Select, "", 44}, 4, row, 14));
  if (forms) w.controls.push_back(promptAt(kF9Text, 4, 158, 300));
  w.controls.push_back(
      button({"?Insert", "&Insert", Role::Insert, domain ? "insert3.ico" : "", 44}, 52, row, 14));
  w.controls.push_back(
      button({"?Change", "&View Detail", Role::Change, forms ? "chg4.ico" : "", 54}, 100, row, 14));
  if (forms) {
    w.controls.push_back(button({"?Delete", "&Delete", Role::Delete, "", 44}, 158, row, 14));
    w.controls.push_back(button({"?Print", s.printText, Role::Print, "", 72}, 206, row, 14));
  } else {
    w.controls.push_back(button({"?Print", s.printText, Role::Print, "", 72}, 158, row, 14));
    w.controls.push_back(button(
        {"?Delete", "&Delete", Role::Delete, domain ? "delete4.ico" : "", 44}, 234, row, 14));
  }
  if (domain) {
    sheet(158);
    w.controls.push_back(promptAt("Domain Name:", 12, 180, 50, "?Tab1"));
    ControlDef e =
        control(Kind::Entry, std::string("?") + s.domainField, {}, 64, 178, 200, 10, "?Tab1");
    e.field = s.domainField;
    e.picture = "@s50";
    e.tip = "This is the actual domain name that you have registered.";
    w.controls.push_back(e);
    w.controls.push_back(button({"?Close", "Close", Role::Close, "Progm039.ico", 44}, 4, 202, 14));
    w.controls.push_back(button({"?Help", "Help", Role::Help, "", 44}, 52, 202, 14));
    w.controls.push_back(promptAt(kF9Text, 100, 204, 300));
    w.h = 220;
    return w;
  }
  if (!forms) w.controls.push_back(promptAt(kF9Text, 4, 158, 300));
  sheet(170);
  w.controls.push_back(
      button({kSelectPage, "Select WebPages", Role::None, "", 70}, 12, 188, 14, "?Tab1"));
  w.controls.push_back(button({"?Close", "Close", Role::Close, "", 44}, 4, 214, 14));
  w.controls.push_back(button({"?Help", "Help", Role::Help, "", 44}, 52, 214, 14));
  w.h = 232;
  return w;
}

BrowseDef detailBrowseDef(const DetailBrowseSpec& s) {
  BrowseDef b;
  b.list = kList;
  // Only the rows of the page in the WebPages buffer as the browse opens, or
  // of the page chosen with "Select WebPages".
  b.orders = {SortOrder{s.key, s.locator, {}, {"WEB:PAGEPATH"}, {}}};
  b.sheet = "?Sheet";
  b.updateNumber = 1;
  b.printNumber = 2;
  return b;
}

}  // namespace

const std::vector<DetailBrowseSpec>& detailBrowses() { return table(); }

const DetailBrowseSpec* detailBrowse(const std::string& name) {
  for (const DetailBrowseSpec& s : table())
    if (name == s.name) return &s;
  return nullptr;
}

DetailFileHolder::DetailFileHolder(const DetailBrowseSpec& spec) {
  if (*spec.thenBy) {
    ordered = std::make_unique<OrderedDetailFile>(spec.file, spec.key, spec.thenBy);
    file = ordered.get();
  } else {
    file = &managedFile(spec.file);
  }
}

DetailFileHolder::~DetailFileHolder() = default;

DetailBrowse::DetailBrowse(const DetailBrowseSpec& spec, const WebContext& ctx)
    : DetailFileHolder(spec),
      BrowseProcedure(spec.name, browseWindow(spec), detailBrowseDef(spec), file),
      spec_(spec) {
  useFile(&managedFile(FileId::WebPages));
  setUpdate(1, [form = spec.form, &ctx] { return form(ctx); });
}

DetailBrowse::~DetailBrowse() = default;

void DetailBrowse::runUpdate(int number, int request, ResponseHandler done) {
  // The list's reader loaded the row; the form and the report find it in
  // the file manager's buffer.
  if (ordered && request != InsertRecord && list().current()) {
    if (int rc = ordered->adoptLoaded()) {
      errors().raise(1, MessageArgs{.file = ordered->name(), .errorText = errorTextFor(rc)});
      refreshList();
      return;
    }
  }
  if (number == 2) return callNamedProcedure(*this, spec_.report, request, std::move(done));
  BrowseProcedure::runUpdate(number, request, std::move(done));
}

void DetailBrowse::selectPage() {
  if (list().current()) {
    if (!loadHighlighted()) return;
    if (ordered && ordered->adoptLoaded() != 0) return;
  }
  callNamedProcedure(*this, "SelectWebPages", SelectRecord, [this](int response) {
    // The chosen page limits the list from now on.
    if (response == RequestCompleted) fixRange();
    // Another page: its rows from the first; the same page: as it was.
    const Row* r = list().current();
    if (r && view().inRange(r->record))
      refreshList();
    else
      navigate(Nav::First);
  });
}

bool DetailBrowse::takeAccepted(Control& c) {
  if (BrowseProcedure::takeAccepted(c)) return true;
  if (compareNoCase(c.id(), kSelectPage) == 0) {
    selectPage();
    return true;
  }
  return false;
}

void DetailBrowse::takeNewSelection(Control& c) {
  BrowseProcedure::takeNewSelection(c);
  if (compareNoCase(c.id(), kList) == 0) showPageDomain();
}

// The entry shows the detail buffer's domain: every row of the page carries
// the page's, so the highlighted row's is put there.
void DetailBrowse::showPageDomain() {
  if (!*spec_.domainField) return;
  const Row* r = list().current();
  RecordBuffer& b = file->buffer();
  if (r) b.copyFields(r->record);
  if (Control* e = control(std::string("?") + spec_.domainField)) display(*e);
}

bool DetailBrowse::takeWindowEvent(Event e) {
  if (BrowseProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow && window()) {
    tabs_.createStandard(window());
    tabs_.colour();
  }
  return false;
}

void DetailBrowse::cleanup() {
  tabs_.release();
  BrowseProcedure::cleanup();
}

std::unique_ptr<WindowProcedure> makeDetailBrowse(const std::string& name, const WebContext& ctx) {
  const DetailBrowseSpec* s = detailBrowse(name);
  return s ? std::make_unique<DetailBrowse>(*s, ctx) : nullptr;
}

}  // namespace qm::details
