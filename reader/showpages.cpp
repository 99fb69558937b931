#include "reader/showpages.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "appkit/layout.h"
#include "appkit/recordwindows.h"
#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "reader/globals.h"
#include "runtime/config/requests.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/form.h"
#include "runtime/ui/window.h"
#include "webdata/details/forms.h"
#include "webdata/pages/pagebrowse.h"
#include "webdata/views/common.h"
#include "webdata/views/quickview.h"

namespace qm::reader {
namespace {

using qm::addButtons;
using qm::control;
using qm::entry;
using qm::prompt;
using J = Justify;

// ---- the five detail forms: the web page files' detail forms, laid out here ---------

using details::DetailField;
using details::numberedRows;
using details::TabbedDetailForm;

std::vector<DetailField> joined(std::vector<DetailField> a, const std::vector<DetailField>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TabbedDetailForm detailForm(const char* name, FileId file, const char* title, const char* noun,
                            std::vector<details::DetailTab> tabs, std::string note = {}) {
  const std::string n = noun;
  return {{name, title, "", file, false},
          FormDef{"Adding a " + n + " Record", "Changing a " + n + " Record"},
          std::move(tabs),
          std::move(note)};
}

const std::vector<TabbedDetailForm>& detailForms() {
  static const std::vector<TabbedDetailForm> forms = [] {
    const std::vector<DetailField> formHead = {{"Page Path:", "WPF:WEBPAGEPATHNAME", "@s80"},
                                               {"Domain Name:", "WPF:DOMAINNAME", "@s50"},
                                               {"Page Name:", "WPF:PAGE", "@s20"}};
    const std::vector<DetailField> scriptHead = {{"Page Path:", "WPS:WEBPAGEPATHNAME", "@s80"},
                                                 {"Domain Name:", "WPS:DOMAINNAME", "@s50"},
                                                 {"Page Name:", "WPS:PAGENAME", "@s20"}};
    return std::vector<TabbedDetailForm>{
        detailForm("UpdateWPMeta", FileId::WPMeta, "Update the Meta Tags File", "WPMeta",
                   {{"General",
                     {{"Page Path:", "WPM:WEBPAGEPATH", "@s80"},
                      {"Domain Name:", "WPM:DOMAINNAME", "@s50"},
                      {"Page Name:", "WPM:PAGENAME", "@s20"},
                      {"Local Path:", "WPM:LOCALPATH", "@s80"},
                      {"Meta Name:", "WPM:METANAME", "@s20"},
                      {"Meta Contents:", "WPM:METACONTENTS", "@s200"}}}}),
        detailForm("UpdateWPLinks", FileId::WPLinks, "Update the Links File", "Links",
                   {{"General",
                     {{"Web Page Path Name:", "WPL:WEBPAGEPATHNAME", "@s80"},
                      {"Web Page Link:", "WPL:WEBPAGELINK", "@s200"}}}}),
        detailForm("UpdateWPForm", FileId::WPForm, "Update the Forms File", "Form",
                   {{"General", joined(formHead, numberedRows("Form Line", "WPF:FORMLINE", 1, 5))},
                    {"Lines 6-15", numberedRows("Form Line", "WPF:FORMLINE", 6, 15)},
                    {"Lines 16-25", numberedRows("Form Line", "WPF:FORMLINE", 16, 25)},
                    {"Lines 26-35", numberedRows("Form Line", "WPF:FORMLINE", 26, 35)},
                    {"Lines 36-40", numberedRows("Form Line", "WPF:FORMLINE", 36, 40)}}),
        detailForm("UpdateWPIMG", FileId::WPIMG, "Update the IMAGE Data File", "WPIMG",
                   {{"General",
                     {{"Page Name:", "WPI:WEBPAGEPATHNAME", "@s80"},
                      {"Height:", "WPI:HEIGHT", "@s20"},
                      {"Width:", "WPI:WIDTH", "@s20"},
                      {"Web Page IMG:", "WPI:WEBPAGEIMG", "@s200"},
                      {"Line Number:", "WPI:LINENUMBER", "@n-7"},
                      {"Date Entered:", "WPI:DATEENTERED", "@d17"},
                      {"Currently Use", "WPI:CURRENTLYUSE", ""}}}}),
        detailForm("UpdateWPScripts", FileId::WPScripts, "Update the Scripts File", "Scripts",
                   {{"Lines 1-10",
                     joined(scriptHead, numberedRows("Script Line", "WPS:SCRIPTLINE", 1, 10))},
                    {"Lines 11-20", numberedRows("Script Line", "WPS:SCRIPTLINE", 11, 20)},
                    {"Lines 21-30", numberedRows("Script Line", "WPS:SCRIPTLINE", 21, 30)},
                    {"Lines 31-40", numberedRows("Script Line", "WPS:SCRIPTLINE", 31, 40)}},
                   "Lines may extend beyond width of field on screen. Just use your right arrow "
                   "(in field) to scroll, or \"end key\" to jump,  to end of line."),
    };
  }();
  return forms;
}

std::unique_ptr<WindowProcedure> makeDetailForm(std::string_view name) {
  for (const TabbedDetailForm& f : detailForms())
    if (name == f.spec.name) return details::makeTabbedDetailForm(f);
  return nullptr;
}

// ---- the page form: the web page files' page form with its lists, laid out here ----

ColumnDef column(int width, const char* header, const char* field, const char* picture,
                 J justify = J::Left) {
  return webviews::column(header, field, picture, width, justify);
}

const webviews::PageFormSpec& pageForm() {
  static const webviews::PageFormSpec spec = [] {
    webviews::PageFormSpec s;
    s.title = "Update the Web Pages File (Use Quillmark for better access)";
    s.form = FormDef{"Adding a WebPages Record", "Changing a WebPages Record"};
    s.viewOnly = false;
    s.newPageInDomain = true;
    s.width = 440, s.height = 250, s.sheetWidth = 432, s.sheetHeight = 222;
    s.x = 10, s.promptWidth = 100, s.step = 14;
    s.names = webviews::pageNameRows();
    s.general = webviews::pageFactRows(300);
    s.more = webviews::pageLinkRows(300);
    s.more.insert(s.more.begin(), webviews::pageSizeRow());
    s.listId = "List";
    s.buttonsX = 278, s.buttonsY = 232;
    s.details = {
        webviews::pageDetail(FileId::WPMeta, "MetaTags", false,
                             {column(80, "Domain Name", "WPM:DOMAINNAME", "@s50"),
                              column(60, "Page Name", "WPM:PAGENAME", "@s20"),
                              column(160, "Meta Contents", "WPM:METACONTENTS", "@s200"),
                              column(60, "Meta Name", "WPM:METANAME", "@s20")},
                             "Use these buttons for the Meta Tag records."),
        webviews::pageDetail(FileId::WPLinks, "Links", false,
                             {column(80, "Domain Name", "WPL:DOMAINNAME", "@s50"),
                              column(60, "Page Name", "WPL:PAGENAME", "@s20"),
                              column(160, "Web Page Link", "WPL:WEBPAGELINK", "@s200"),
                              column(46, "Line Number", "WPL:LINENUMBER", "@P####PB", J::Right)},
                             "Use these buttons for the Links records."),
        webviews::pageDetail(
            FileId::WPForm, "Forms", false,
            {column(80, "Domain Name", "WPF:DOMAINNAME", "@s50"),
             column(60, "Page Name", "WPF:PAGE", "@s20"),
             column(120, "Form Line 1", "WPF:FORMLINE1", "@s200"),
             column(80, " 2", "WPF:FORMLINE2", "@s200"), column(80, " 3", "WPF:FORMLINE3", "@s200"),
             column(80, " 4", "WPF:FORMLINE4", "@s200")},
            "Use these buttons for the Forms records."),
        webviews::pageDetail(
            FileId::WPIMG, "Images", false,
            {column(80, "Domain Name", "WPI:DOMAINNAME", "@s50"),
             column(60, "Page", "WPI:PAGE", "@s20"),
             column(120, "Web Page IMG", "WPI:WEBPAGEIMG", "@s200"),
             column(46, "Line Number", "WPI:LINENUMBER", "@n-7", J::Right),
             column(30, "Height", "WPI:HEIGHT", "@s20"), column(30, "Width", "WPI:WIDTH", "@s20"),
             column(100, "imagepath", "WPI:IMAGEPATH", "@s80")},
            "Use these buttons for the Images records."),
        webviews::pageDetail(FileId::WPScripts, "Scripts", false,
                             {column(80, "Domain Name", "WPS:DOMAINNAME", "@s50"),
                              column(60, "Page Name", "WPS:PAGENAME", "@s20"),
                              column(100, "Script Line 1", "WPS:SCRIPTLINE1", "@s200"),
                              column(100, "Script Line 1", "WPS:SCRIPTLINE2", "@s200"),
                              column(100, "Script Line 1", "WPS:SCRIPTLINE3", "@s200"),
                              column(100, "Script Line 1", "WPS:SCRIPTLINE4", "@s200"),
                              column(100, "Script Line 1", "WPS:SCRIPTLINE5", "@s200")},
                             "Use these buttons for the Scripts records."),
    };
    return s;
  }();
  return spec;
}

// ---- the page browse -----------------------------------------------------------------

const webpages::PageBrowseSpec& pageBrowse() {
  static const webpages::PageBrowseSpec spec = [] {
    webpages::PageBrowseSpec s;
    s.width = 440, s.sheetHeight = 204;
    s.tabs = {"Pages Read In"};
    s.listOnTab = true;
    s.listHeight = 162;
    s.columns = webviews::pageListColumns({{120},
                                           {80},
                                           {32, J::Center, J::Center},
                                           {140},
                                           {140},
                                           {140},
                                           {80},
                                           {100},
                                           {56, J::Right}});
    s.text = "Pages shown are for domain just read in. Use Quillmark for general work.";
    s.textWidth = 380;
    s.buttons = {{"?Insert", "&Insert", Role::Insert, "insert3.ico"},
                 {"?Change", "&Change", Role::Change, "chg4.ico"},
                 {"?Delete", "&Delete", Role::Delete, "delete4.ico"},
                 {"?Close", "Close", Role::Close, "Progm039.ico"},
                 {"?Help", "Help", Role::Help}};
    s.buttonsX = 170, s.buttonsY = 214;
    s.select = false;
    s.domainRange = false;
    s.orders.orders = {
        SortOrder{"WEB:NAMES", LocatorKind::None, "", {}, "(web:domainname=domainname)"}};
    s.orders.sheet = "?Sheet";
    s.form = "UpdateWebPages";
    return s;
  }();
  return spec;
}

// ---- the ways in ---------------------------------------------------------------------

class ShowPages : public WindowProcedure {
 public:
  ShowPages() : WindowProcedure("ShowPages") {}

 protected:
  void setup() override {
    callProcedure(domainname.blank() ? makeGetdom : makeBrowseWebPages, 0,
                  [this](int r) { close(r); });
  }
};

WindowDef getdomWindow() {
  WindowDef w;
  w.title = "Need a domain name...";
  w.w = 250, w.h = 62;
  w.controls.push_back(prompt("Please enter a domain name:", 8, 8, 200));
  ControlDef dom = entry("domainname", "@s50", 8, 22, 234);
  dom.tip = "This is the actual domain name that you have registered.";
  w.controls.push_back(dom);
  addButtons(w, {{"?Close", "Close", Role::Close, "Progm039.ico"}}, 192, 40, 16, 4);
  return w;
}

class Getdom : public WindowProcedure {
 public:
  Getdom() : WindowProcedure("getdom") {
    setDefinition(getdomWindow());
    bindText("domainname", domainname);
  }

 protected:
  bool takeAccepted(Control& c) override {
    if (c.def().role != Role::Close) return WindowProcedure::takeAccepted(c);
    if (Control* e = control("?domainname")) {
      std::string error;
      e->take(&error);
    }
    callProcedure(makeBrowseWebPages, 0, [this](int r) { close(r); });
    return true;
  }
};

}  // namespace

std::unique_ptr<WindowProcedure> makeShowPages() { return std::make_unique<ShowPages>(); }
std::unique_ptr<WindowProcedure> makeGetdom() { return std::make_unique<Getdom>(); }
std::unique_ptr<WindowProcedure> makeBrowseWebPages() {
  return webpages::makePageBrowse(pageBrowse());
}
std::unique_ptr<WindowProcedure> makeUpdateWebPages() {
  return webviews::makePageForm(pageForm(), readerContext());
}
std::unique_ptr<WindowProcedure> makeUpdateWPMeta() { return makeDetailForm("UpdateWPMeta"); }
std::unique_ptr<WindowProcedure> makeUpdateWPLinks() { return makeDetailForm("UpdateWPLinks"); }
std::unique_ptr<WindowProcedure> makeUpdateWPForm() { return makeDetailForm("UpdateWPForm"); }
std::unique_ptr<WindowProcedure> makeUpdateWPIMG() { return makeDetailForm("UpdateWPIMG"); }
std::unique_ptr<WindowProcedure> makeUpdateWPScripts() { return makeDetailForm("UpdateWPScripts"); }

}  // namespace qm::reader
