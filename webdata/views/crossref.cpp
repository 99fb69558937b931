#include "webdata/views/crossref.h"

#include <map>

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "webdata/views/common.h"

namespace qm::webviews {

// The family of views: what differs between them.
struct CrossRefSpec {
  const char* name;
  const char* title;
  FileId file;
  const char* key;
  bool stepLocator;
  const char* findCaption;
  const char* viewCaption;
  const char* detailForm;
  const char* listing;
  std::vector<ColumnDef> columns;
  std::vector<QueryField> query;
  std::vector<const char*> order;  // control ids in window order
};

namespace {

using qm::control;

const std::vector<const char*> kListFirst = {"?Browse:1", "?Select", "?Find",  "?Insert", "?View",
                                             "?Print",    "?Delete", "?Sheet", "?Close",  "?Help"};
const std::vector<const char*> kFindFirst = {"?Find", "?Browse:1", "?Select", "?Insert",
                                             "?View", "?Delete",   "?Sheet",  "?Close",
                                             "?Help", "?Print"};
const std::vector<const char*> kFindLater = {"?Browse:1", "?Select", "?Insert", "?View",  "?Print",
                                             "?Find",     "?Delete", "?Sheet",  "?Close", "?Help"};

const std::vector<CrossRefSpec>& specs() {
  static const std::vector<CrossRefSpec> all = {
      {"viewimages",
       "Cross Reference: Images",
       FileId::WPIMG,
       "WPI:PAGENAME",
       true,
       "&Find By..",
       "&View Details",
       "UpdateWPIMG",
       "listimages",
       {column("Domain Name", "WPI:DOMAINNAME", "@s50"), column("Page", "WPI:PAGE", "@s20"),
        column("Web Page IMG", "WPI:WEBPAGEIMG", "@s200"),
        column("Currently Use", "WPI:CURRENTLYUSE", "@s1", 60)},
       {{"UPPER(WPI:DomainName)", "Domain Name", "@s50"},
        {"UPPER(WPI:Page)", "Page Name", "@s20"},
        {"UPPER(WPI:WebPageIMG)", "Image Name", "@s100"}},
       kListFirst},
      {"viewforms",
       "Cross Reference: Forms ",
       FileId::WPForm,
       "WPF:PAGENAME",
       false,
       "&Find By",
       "&View Detail",
       "UpdateWPForm",
       "listforms2",
       {column("Page Name", "WPF:PAGE", "@s20"), column("Domain Name", "WPF:DOMAINNAME", "@s50"),
        column("Page Path", "WPF:WEBPAGEPATHNAME", "@s80"),
        column("Form Line 1", "WPF:FORMLINE1", "@s200", 800),
        column(" 2", "WPF:FORMLINE2", "@s200", 800), column(" 3", "WPF:FORMLINE3", "@s200", 800)},
       {{"UPPER(WPF:DomainName)", "Doinain Name", "@s50"},
        {"UPPER(WPF:Page)", "Page Name", "@s20"},
        {"UPPER(WPF:FormLine1)", "Form Line 1 (up to 100 chars)", "@s60"}},
       kFindFirst},
      {"viewlinks",
       "Cross Reference: Links",
       FileId::WPLinks,
       "WPL:PATHNAME",
       false,
       "&Find By...",
       "&View Detail",
       "UpdateWPLinks",
       "listlinks",
       {column("Domain Name", "WPL:DOMAINNAME", "@s50"),
        column("Page Name", "WPL:PAGENAME", "@s20"), column("Link", "WPL:WEBPAGELINK", "@s200")},
       {{"UPPER(WPL:DomainName)", "Domain Name", "@s50"},
        {"UPPER(WPL:PageName)", "Page Name", "@s20"},
        {"UPPER(WPL:WebPageLink)", "Link", "@s100"}},
       kListFirst},
      {"viewmeta",
       "Cross Reference: Meta Tags",
       FileId::WPMeta,
       "WPM:PAGEPATH",
       false,
       "&Find By...",
       "&View Detail",
       "UpdateWPMeta",
       "listmetas",
       {column("Domain Name", "WPM:DOMAINNAME", "@s50"),
        column("Page Name", "WPM:PAGENAME", "@s20"), column("Meta Name", "WPM:METANAME", "@s20"),
        column("Meta Contents", "WPM:METACONTENTS", "@s200")},
       {{"UPPER(WPM:DomainName)", "Domain Name", "@s50"},
        {"UPPER(WPM:PageName)", "Page Name", "@s20"},
        {"UPPER(WPM:MetaName)", "Meta name", "@s20"},
        {"UPPER(WPM:MetaContents)", "Meta Contents", "@s100"}},
       kFindLater},
      {"viewscripts",
       "Cross Reference: Scripts",
       FileId::WPScripts,
       "WPS:PAGENAM",
       false,
       "&Find By...",
       "&View Detail",
       "UpdateWPScripts",
       "listscripts",
       {column("Domain Name", "WPS:DOMAINNAME", "@s50"),
        column("Page Name", "WPS:PAGENAME", "@s20"),
        column("Script Line 1", "WPS:SCRIPTLINE1", "@s200")},
       {{"UPPER(WPS:DomainName)", "Domain Name", "@s50"},
        {"UPPER(WPS:PageName)", "Page Name", "@s20"},
        {"UPPER(WPS:ScriptLine1)", "Script Line 1 (up to 100 chars)", "@s100"}},
       kFindLater},
  };
  return all;
}

WindowDef viewWindow(const CrossRefSpec& s) {
  using qm::ButtonSpec;
  std::map<std::string, ControlDef> byId;
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, 420, 176);
  list.tip = "Browsing Records";
  list.columns = s.columns;
  byId[list.id] = list;
  auto hidden = [](ControlDef c) {
    c.hidden = true;
    return c;
  };
  byId["?Select"] = hidden(qm::button(ButtonSpec{"?Select", "&Select", Role::Select}, 6, 212, 14));
  byId["?Insert"] = hidden(qm::button(ButtonSpec{"?Insert", "&Insert", Role::Insert}, 6, 212, 14));
  byId["?Delete"] = hidden(qm::button(ButtonSpec{"?Delete", "&Delete", Role::Delete}, 6, 212, 14));
  ControlDef find =
      qm::button(ButtonSpec{"?Find", s.findCaption, Role::None, "target.ico", 60}, 6, 212, 14);
  find.tip = "Use Find By to select specific records.";
  byId[find.id] = find;
  byId["?View"] = qm::button(ButtonSpec{"?View", s.viewCaption, Role::Change, "", 60}, 70, 212, 14);
  ControlDef print =
      qm::button(ButtonSpec{"?Print", "Print Selected Records", Role::None, "", 90}, 134, 212, 14);
  print.tip =
      "First select the records to print with the Find By button,\nthen click here to print them.";
  byId[print.id] = print;
  byId["?Sheet"] = control(Kind::Sheet, "?Sheet", {}, 4, 4, 432, 200);
  byId["?Close"] =
      qm::button(ButtonSpec{"?Close", "Close", Role::Close, "Progm039.ico"}, 332, 212, 14);
  byId["?Help"] = qm::button(ButtonSpec{"?Help", "Help", Role::Help}, 386, 212, 14);

  WindowDef w;
  w.title = s.title;
  w.w = 440, w.h = 232;
  for (const char* id : s.order) {
    w.controls.push_back(byId.at(id));
    if (std::string(id) == "?Sheet")
      w.controls.push_back(control(Kind::Tab, "?Tab1", "By Page Name", 0, 0, 0, 0, "?Sheet"));
  }
  return w;
}

BrowseDef viewDef(const CrossRefSpec& s) {
  BrowseDef b;
  b.orders = {SortOrder{s.key, s.stepLocator ? LocatorKind::Step : LocatorKind::None, {}, {}, {}}};
  b.sheet = "?Sheet";
  b.keepFormats = false;
  return b;
}

}  // namespace

CrossRefView::CrossRefView(const CrossRefSpec& spec, const WebContext& ctx)
    : RecordBrowse(spec.name, viewWindow(spec), viewDef(spec), &managedFile(spec.file)),
      spec_(spec),
      ctx_(ctx) {
  query_.init(settings(), spec.name);
  for (const QueryField& f : spec.query) query_.addItem(f.expression, f.title, f.picture);
}

void CrossRefView::setup() {
  RecordBrowse::setup();
  raiseOverSheets(*this);
  query_.load(QueryObject::kRecent);  // shown, not applied, when the query window opens
}

void CrossRefView::runUpdate(int number, int request, ResponseHandler done) {
  if (number != 1) {
    ResponseCode = RequestCancelled;
    if (done) done(RequestCancelled);
    return;
  }
  callNamedProcedure(*this, spec_.detailForm, request, std::move(done));
}

void CrossRefView::findBy() {
  callProcedure([this] { return makeQueryWindow(query_); }, 0,
                [this](int response) {
                  if (response == RequestCompleted) applyQuery();
                });
}

void CrossRefView::applyQuery() {
  std::string err;
  if (!view().setFilter(query_.filter(), &err))
    errors().raise(40, MessageArgs{primaryFile()->name(), err, {}, {}});
  int rc = list().first();
  if (rc != 0 && rc != ErrNotAvailable && rc != ErrNotFound)
    errors().raise(1, MessageArgs{primaryFile()->name(), errorTextFor(rc), {}, {}});
  listMoved();
}

void CrossRefView::printSelected() {
  // Taken again on the press: the focus may have stayed on the button while
  // another view wrote its own filter.
  ctx_.setQueryFilter(view().filterText());
  if (clip(*ctx_.queryFilter).empty()) {
    message("No query string to print, Please run query First.");
    return;
  }
  callNamedWithRow(spec_.listing);
}

bool CrossRefView::takeFieldEvent(Control& c, Event e) {
  if (e == Event::Selected && c.id() == "?Print") ctx_.setQueryFilter(view().filterText());
  return RecordBrowse::takeFieldEvent(c, e);
}

bool CrossRefView::takeAccepted(Control& c) {
  if (c.id() == "?Find") {
    findBy();
    return true;
  }
  if (c.id() == "?Print") {
    printSelected();
    return true;
  }
  return RecordBrowse::takeAccepted(c);
}

std::unique_ptr<WindowProcedure> makeCrossRefView(const std::string& name, const WebContext& ctx) {
  for (const CrossRefSpec& s : specs())
    if (name == s.name) return std::make_unique<CrossRefView>(s, ctx);
  return nullptr;
}

const std::vector<std::string>& crossRefViewNames() {
  static const std::vector<std::string> names = [] {
    std::vector<std::string> v;
    for (const CrossRefSpec& s : specs()) v.push_back(s.name);
    return v;
  }();
  return names;
}

}  // namespace qm::webviews
