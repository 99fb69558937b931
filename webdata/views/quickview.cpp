#include "webdata/views/quickview.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTableView>

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "webdata/views/common.h"

namespace qm::webviews {

using qm::addButtons;
using qm::addRows;
using qm::addSheet;
using qm::control;
using qm::prompt;
using qm::tabId;

namespace {

// ---- the browse ----------------------------------------------------------------

WindowDef browseWindow() {
  using J = Justify;
  WindowDef w;
  w.title = "QuickView WebPages";
  w.w = 440, w.h = 232;
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, 420, 160);
  list.tip = "Browsing Records";
  list.columns = pageListColumns({{80},
                                  {80},
                                  {36, J::Center},
                                  {80},
                                  {80},
                                  {80, J::Decimal, J::Center},
                                  {80},
                                  {80},
                                  {80, J::Right, J::Center}});
  w.controls.push_back(list);
  ControlDef select = qm::button({"?Select", "&Select", Role::Select}, 6, 212, 14);
  select.hidden = true;
  w.controls.push_back(select);
  ControlDef insert = qm::button({"?Insert", "Insert", Role::Insert, "insert3.ico"}, 60, 212, 14);
  insert.hidden = insert.disabled = true;
  w.controls.push_back(insert);
  w.controls.push_back(qm::button({"?View", "View", Role::Change}, 6, 212, 14));
  w.controls.push_back(prompt("You may not add or delete records from this screen.", 10, 186, 300));
  ControlDef del = qm::button({"?Delete", "Delete", Role::Delete, "delete4.ico"}, 114, 212, 14);
  del.hidden = del.disabled = true;
  w.controls.push_back(del);
  addSheet(w, {"By Page Name"}, 4, 4, 432, 200);
  addButtons(w, {{"?Close", "Close", Role::Close, "Progm039.ico"}, {"?Help", "Help", Role::Help}},
             332, 212, 14, 4);
  return w;
}

BrowseDef quickViewOrders() {
  BrowseDef b;
  b.orders = {SortOrder{"WEB:PAGES", LocatorKind::Step, {}, {}, {}}};
  b.sheet = "?Sheet";
  b.keepFormats = false;
  return b;
}

// ---- the viewing form ------------------------------------------------------------

}  // namespace

PageDetailTab pageDetail(FileId file, const char* tab, bool stepLocator,
                         std::vector<ColumnDef> columns, const char* text) {
  // file, page-path key, form; the page's path, domain and name in a record.
  static const PageDetailTab kFiles[] = {
      {"",
       FileId::WPMeta,
       "WPM:PAGEPATH",
       "UpdateWPMeta",
       false,
       {},
       "",
       "WPM:WEBPAGEPATH",
       "WPM:DOMAINNAME",
       "WPM:PAGENAME"},
      {"",
       FileId::WPLinks,
       "WPL:PATHNAME",
       "UpdateWPLinks",
       false,
       {},
       "",
       "WPL:WEBPAGEPATHNAME",
       "WPL:DOMAINNAME",
       "WPL:PAGENAME"},
      {"",
       FileId::WPForm,
       "WPF:PAGENAME",
       "UpdateWPForm",
       false,
       {},
       "",
       "WPF:WEBPAGEPATHNAME",
       "WPF:DOMAINNAME",
       "WPF:PAGE"},
      {"",
       FileId::WPIMG,
       "WPI:PAGENAME",
       "UpdateWPIMG",
       false,
       {},
       "",
       "WPI:WEBPAGEPATHNAME",
       "WPI:DOMAINNAME",
       "WPI:PAGE"},
      {"",
       FileId::WPScripts,
       "WPS:PAGENAM",
       "UpdateWPScripts",
       false,
       {},
       "",
       "WPS:WEBPAGEPATHNAME",
       "WPS:DOMAINNAME",
       "WPS:PAGENAME"},
  };
  PageDetailTab d;
  for (const PageDetailTab& f : kFiles)
    if (f.file == file) d = f;
  d.tab = tab;
  d.stepLocator = stepLocator;
  d.columns = std::move(columns);
  d.text = text;
  return d;
}

std::vector<qm::FieldRow> pageNameRows() {
  return {{"Domain Name:", "WEB:DOMAINNAME", "@s50", 200},
          {"Page Name:", "WEB:PAGENAME", "@s20", 90}};
}

std::vector<qm::FieldRow> pageFactRows(int wide) {
  return {{"Page Path:", "WEB:PAGEPATH", "@s80", wide},
          {"Local Path:", "WEB:LOCALPATH", "@s80", wide},
          {"Local Default Directory:", "WEB:LOCALDEFAULTDIRECTORY", "@s90", wide},
          {"Author:", "WEB:AUTHOR", "@s30", 130},
          {"Purpose:", "WEB:PURPOSE", "@s40", 170},
          {"Implement Date:", "WEB:IMPLEMENTDATE", "@d17", 60},
          {"File Date Time:", "WEB:FILEDATETIME", "@s20", 90}};
}

// The entries hold what their fields can hold: the file size's digits, LINKTO2's 30.
qm::FieldRow pageSizeRow() { return {"File Size:", "WEB:FILESIZE", "@n-14", 60}; }

std::vector<qm::FieldRow> pageLinkRows(int wide) {
  std::vector<qm::FieldRow> rows;
  static const char* const kLinks[][3] = {{"Link To 1:", "WEB:LINKTO1", "@s80"},
                                          {"Link To 2:", "WEB:LINKTO2", "@s30"},
                                          {"Link To 3:", "WEB:LINKTO3", "@s80"},
                                          {"Link To 4:", "WEB:LINKTO4", "@s80"},
                                          {"Link To 5:", "WEB:LINKTO5", "@s80"}};
  for (const auto& l : kLinks) rows.push_back({l[0], l[1], l[2], wide});
  rows.push_back({"Html Page Title:", "WEB:HTMLPAGETITLE", "@s80", wide});
  rows.push_back({"Page Read Date:", "WEB:PAGEREADDATE", "@s20", 90});
  return rows;
}

namespace {

const PageFormSpec& quickViewForm() {
  static const PageFormSpec spec = [] {
    PageFormSpec s;
    s.title = "View the Web Pages File";
    s.form.changeTitle = "Viewing a WebPages Record";
    s.form.allowInsert = false;
    s.form.allowDelete = false;
    s.viewOnly = true;
    s.newPageInDomain = false;
    s.width = 420, s.height = 262, s.sheetWidth = 412, s.sheetHeight = 234;
    s.x = 12, s.promptWidth = 96, s.step = 15;
    s.names = pageNameRows();
    s.general = pageFactRows(290);
    s.general.push_back(pageSizeRow());
    s.more = pageLinkRows(290);
    s.listId = "Detail";
    s.buttonsX = 254, s.buttonsY = 244;
    s.details = {
        pageDetail(FileId::WPMeta, "Meta", false,
                   {column("Page Path", "WPM:WEBPAGEPATH", "@s80"),
                    column("Domain Name", "WPM:DOMAINNAME", "@s50"),
                    column("Page Name", "WPM:PAGENAME", "@s20"),
                    column("Local Path", "WPM:LOCALPATH", "@s80"),
                    column("Meta Contents", "WPM:METACONTENTS", "@s200"),
                    column("Meta Name", "WPM:METANAME", "@s20")}),
        pageDetail(FileId::WPLinks, "Links", false,
                   {column("Domain Name", "WPL:DOMAINNAME", "@s50"),
                    column("Page Name", "WPL:PAGENAME", "@s20"),
                    column("Page Path", "WPL:WEBPAGEPATHNAME", "@s80"),
                    column("Web Page Link", "WPL:WEBPAGELINK", "@s200"),
                    column("Line Number", "WPL:LINENUMBER", "@P####PB", 48),
                    column("Record Date", "WPL:RECORDDATE", "@d17")}),
        pageDetail(FileId::WPForm, "Forms", false,
                   {column("Page Path", "WPF:WEBPAGEPATHNAME", "@s80"),
                    column("Domain Name", "WPF:DOMAINNAME", "@s50"),
                    column("Page Name", "WPF:PAGE", "@s20"),
                    column("Record Date", "WPF:RECORDDATE", "@d17"),
                    column("Line Number", "WPF:LINENUMBER", "@n-7", 48),
                    column("Form Line 1", "WPF:FORMLINE1", "@s200"),
                    column(" 2", "WPF:FORMLINE2", "@s200"), column(" 3", "WPF:FORMLINE3", "@s200"),
                    column(" 4", "WPF:FORMLINE4", "@s200")}),
        pageDetail(
            FileId::WPIMG, "Images", true,
            {column("Page Path", "WPI:WEBPAGEPATHNAME", "@s80"),
             column("Domain Name", "WPI:DOMAINNAME", "@s50"), column("Page", "WPI:PAGE", "@s20"),
             column("Web Page IMG", "WPI:WEBPAGEIMG", "@s200"),
             column("Line Number", "WPI:LINENUMBER", "@n-7", 48),
             column("Date Entered", "WPI:DATEENTERED", "@d17"),
             column("Height", "WPI:HEIGHT", "@s20"), column("Width", "WPI:WIDTH", "@s20")}),
        pageDetail(FileId::WPScripts, "Scripts", false,
                   {column("Page Path", "WPS:WEBPAGEPATHNAME", "@s80"),
                    column("Domain Name", "WPS:DOMAINNAME", "@s50"),
                    column("Page Name", "WPS:PAGENAME", "@s20"),
                    column("Record Date", "WPS:RECORDDATE", "@d17"),
                    column("Script Line 1", "WPS:SCRIPTLINE1", "@s200"),
                    column("Script Line 1", "WPS:SCRIPTLINE2", "@s200"),
                    column("Script Line 1", "WPS:SCRIPTLINE3", "@s200"),
                    column("Script Line 1", "WPS:SCRIPTLINE4", "@s200")}),
    };
    return s;
  }();
  return spec;
}

std::string detailId(const char* what, int number) {
  return std::string("?") + what + ":" + std::to_string(number);
}

// A list that only views: its "View Detail" button, Insert and Delete hidden.
void addViewingList(WindowDef& w, const PageFormSpec& s, const PageDetailTab& d, int n,
                    const std::string& tab) {
  ControlDef list = control(Kind::List, detailId(s.listId, n), {}, s.x, 24, s.sheetWidth - 16,
                            s.sheetHeight - 48, tab);
  list.tip = "Browsing Records";
  list.columns = d.columns;
  w.controls.push_back(list);
  ControlDef view = qm::button({"", "&View Detail", Role::None, "", 60}, s.x, 216, 14, tab);
  view.id = detailId("ViewDetail", n);
  w.controls.push_back(view);
  for (const char* what : {"Insert", "Delete"}) {
    ControlDef b =
        qm::button({"", what[0] == 'I' ? "&Insert" : "&Delete", Role::None}, 80, 216, 14, tab);
    b.id = detailId(what, n);
    b.hidden = true;
    w.controls.push_back(b);
  }
}

// A list with its text and its Insert, Change and Delete buttons below it.
void addEditingList(WindowDef& w, const PageFormSpec& s, const PageDetailTab& d, int n,
                    const std::string& tab) {
  ControlDef list = control(Kind::List, detailId(s.listId, n), {}, s.x, 22, s.sheetWidth - 20,
                            s.sheetHeight - 54, tab);
  list.columns = d.columns;
  w.controls.push_back(list);
  w.controls.push_back(prompt(d.text, s.x, s.sheetHeight - 24, 190, tab));
  addButtons(w,
             {{detailId("Insert", n).c_str(), "&Insert", Role::None, "insert3.ico"},
              {detailId("Change", n).c_str(), "&Change", Role::None, "chg4.ico"},
              {detailId("Delete", n).c_str(), "&Delete", Role::None, "delete4.ico"}},
             222, s.sheetHeight - 26, 14, 4, tab);
}

WindowDef pageFormWindow(const PageFormSpec& s) {
  WindowDef w;
  w.title = s.title;
  w.w = s.width, w.h = s.height;
  std::vector<std::string> tabs = {"General", "General (cont.)", "Notes"};
  for (const PageDetailTab& d : s.details) tabs.push_back(d.tab);
  addSheet(w, tabs, 4, 4, s.sheetWidth, s.sheetHeight);

  std::string tab = tabId(1);
  addRows(w, s.names, tab, s.x, 24, s.promptWidth, s.step);
  w.controls.push_back(
      qm::check("WEB:USENOW", "Use Now", s.x + s.promptWidth + 2, 24 + 2 * s.step, 80, tab));
  addRows(w, s.general, tab, s.x, 24 + 3 * s.step, s.promptWidth, s.step);
  addRows(w, s.more, tabId(2), s.x, 24, s.promptWidth, s.step);

  tab = tabId(3);
  w.controls.push_back(prompt("Notes:", s.x, 24, 60, tab));
  ControlDef memo =
      control(Kind::Memo, "?WEB:NOTES", {}, s.x, 36, s.sheetWidth - 16, s.sheetHeight - 42, tab);
  memo.field = "WEB:NOTES";
  w.controls.push_back(memo);

  int n = 0;
  for (const PageDetailTab& d : s.details) {
    ++n;
    if (s.viewOnly)
      addViewingList(w, s, d, n, tabId(3 + n));
    else
      addEditingList(w, s, d, n, tabId(3 + n));
  }
  addButtons(
      w,
      {{"?OK", "OK", Role::Ok}, {"?Cancel", "Cancel", Role::Cancel}, {"?Help", "Help", Role::Help}},
      s.buttonsX, s.buttonsY, 14, 4);
  return w;
}

}  // namespace

// ---- BrowseWebPages2 ---------------------------------------------------------------

BrowseWebPages2::BrowseWebPages2()
    : RecordBrowse("BrowseWebPages2", browseWindow(), quickViewOrders(),
                   &managedFile(FileId::WebPages)) {}

void BrowseWebPages2::setup() {
  RecordBrowse::setup();
  raiseOverSheets(*this);
  if (QTableView* t = table()) {
    // The pattern's popup offers Insert and Delete; this list only views.
    t->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* view = new QAction(QStringLiteral("&View"), t);
    connectInScope(view, &QAction::triggered, [this] { changeRecord(); });
    t->addAction(view);
  }
}

void BrowseWebPages2::runUpdate(int, int request, ResponseHandler done) {
  callProcedure(makeUpdateWebPages, request, std::move(done));
}

void BrowseWebPages2::refuse(bool insert) {
  QApplication::beep();
  message(insert ? "You cannot insert a record from this screen."
                 : "You cannot delete a record from this screen.",
          "Error");
}

void BrowseWebPages2::navigate(Nav nav) {
  if (nav == Nav::Insert || nav == Nav::Delete) return refuse(nav == Nav::Insert);
  RecordBrowse::navigate(nav);
}

bool BrowseWebPages2::filterEvent(QObject* watched, QEvent* event) {
  if (watched == table() && event->type() == QEvent::KeyPress && !waitingForCall()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Insert || key == Qt::Key_Delete) {
      refuse(key == Qt::Key_Insert);
      return true;
    }
  }
  return RecordBrowse::filterEvent(watched, event);
}

// ---- UpdateWebPages ------------------------------------------------------------------

UpdateWebPages::UpdateWebPages() : UpdateWebPages(quickViewForm(), nullptr) {}

UpdateWebPages::UpdateWebPages(const PageFormSpec& spec, const WebContext* ctx)
    : FormProcedure("UpdateWebPages", pageFormWindow(spec), spec.form,
                    &managedFile(FileId::WebPages)),
      spec_(spec),
      ctx_(ctx) {
  for (const PageDetailTab& d : spec_.details) useFile(&managedFile(d.file));
}

bool UpdateWebPages::beforeWindow() {
  if (spec_.newPageInDomain && ctx_ && request() == InsertRecord) {
    // A new page belongs to the domain listed, so it stays in the list; the
    // numbering's "1" is no page name.
    RecordBuffer& p = primaryFile()->buffer();
    p.setText("WEB:DOMAINNAME", ctx_->domain->str());
    if (p.text("WEB:PAGENAME") == "1") p.setText("WEB:PAGENAME", "");
  }
  return FormProcedure::beforeWindow();
}

void UpdateWebPages::setup() {
  FormProcedure::setup();
  DataFile* page = primaryFile();
  int n = 0;
  for (const PageDetailTab& d : spec_.details) {
    ++n;
    Control* c = control(detailId(spec_.listId, n));
    if (!c) continue;
    auto* list = new DetailList(
        *this, *c, managedFile(d.file), d.key,
        [page] { return page->buffer().text("WEB:PAGEPATH"); }, d.stepLocator);
    list->activated = scoped([this, n] { callDetail(n, ChangeRecord); });
    lists_[static_cast<size_t>(n - 1)] = list;
    list->first();
  }
}

DetailList* UpdateWebPages::detailList(int number) const {
  return number >= 1 && number <= 5 ? lists_[static_cast<size_t>(number - 1)] : nullptr;
}

void UpdateWebPages::runUpdate(int number, int request, ResponseHandler done) {
  if (number < 1 || number > static_cast<int>(spec_.details.size())) {
    ResponseCode = RequestCancelled;
    if (done) done(RequestCancelled);
    return;
  }
  callNamedProcedure(*this, spec_.details[static_cast<size_t>(number - 1)].form, request,
                     std::move(done));
}

void UpdateWebPages::callDetail(int number, int request) {
  DetailList* list = detailList(number);
  if (!list) return;
  const PageDetailTab& d = spec_.details[static_cast<size_t>(number - 1)];
  if (request == InsertRecord) {
    FileManager& fm = access(d.file);
    if (fm.primeRecord() != 0) return;
    // A new record belongs to the page on the form.
    const RecordBuffer& page = primaryFile()->buffer();
    fm.buffer().setText(d.pathField, page.text("WEB:PAGEPATH"));
    fm.buffer().setText(d.domainField, page.text("WEB:DOMAINNAME"));
    fm.buffer().setText(d.pageField, page.text("WEB:PAGENAME"));
  } else if (!list->loadHighlighted()) {
    return;
  }
  runUpdate(number, request, [list](int) { list->refresh(); });
}

bool UpdateWebPages::takeWindowEvent(Event e) {
  if (FormProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow && window()) {
    tabs_.createStandard(window());
    tabs_.colour();
  }
  return false;
}

bool UpdateWebPages::takeAccepted(Control& c) {
  // A form that only views: leaving never asks about changes.
  if (spec_.viewOnly && c.def().role == Role::Cancel) {
    close(RequestCancelled);
    return true;
  }
  const std::pair<const char*, int> buttons[] = {{"ViewDetail", ChangeRecord},
                                                 {"Insert", InsertRecord},
                                                 {"Change", ChangeRecord},
                                                 {"Delete", DeleteRecord}};
  for (int n = 1; n <= static_cast<int>(spec_.details.size()); ++n)
    for (const auto& [what, request] : buttons)
      if (compareNoCase(c.id(), detailId(what, n)) == 0) {
        callDetail(n, request);
        return true;
      }
  return FormProcedure::takeAccepted(c);
}

void UpdateWebPages::closeRequested() {
  if (spec_.viewOnly)
    close(RequestCancelled);
  else
    FormProcedure::closeRequested();
}

void UpdateWebPages::recordReshown() {
  for (DetailList* list : lists_)
    if (list) list->first();
}

void UpdateWebPages::cleanup() {
  tabs_.release();
  // A record left by the numbering step (page name "1", no domain) is removed
  // when the window closes. The test is on the record as stored, so a page
  // the user saved or only looked at is never lost.
  if (built() && spec_.viewOnly) {
    RecordFile& f = primaryFile()->recordFile();
    if (f.position() > 0 && f.fetchPosition(f.position()) == 0) {
      const RecordBuffer& r = f.buffer();
      if (clip(r.text("WEB:PAGENAME")) == "1" && clip(r.text("WEB:DOMAINNAME")).empty() &&
          f.erase() != 0)
        errors().raise(11, MessageArgs{primaryFile()->name(), f.errorText(), {}, {}});
    }
  }
  FormProcedure::cleanup();
}

std::unique_ptr<WindowProcedure> makeBrowseWebPages2() {
  return std::make_unique<BrowseWebPages2>();
}
std::unique_ptr<WindowProcedure> makeUpdateWebPages() { return std::make_unique<UpdateWebPages>(); }
std::unique_ptr<WindowProcedure> makePageForm(const PageFormSpec& spec, const WebContext& ctx) {
  return std::make_unique<UpdateWebPages>(spec, &ctx);
}

}  // namespace qm::webviews
