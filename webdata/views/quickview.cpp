#include "webdata/views/quickview.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTableView>

#include "dictionary/datafile_adapter.h"
#include "frame/procedures.h"
#include "records/layout.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "webdata/views/common.h"

namespace qm::webviews {

using records::addButtons;
using records::addRows;
using records::addSheet;
using records::control;
using records::prompt;
using records::tabId;

namespace {

// ---- the browse ----------------------------------------------------------------

WindowDef browseWindow() {
  using J = Justify;
  WindowDef w;
  w.title = "QuickView WebPages";
  w.w = 440, w.h = 232;
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, 420, 160);
  list.tip = "Browsing Records";
  list.columns = {
      column("Domain Name", "WEB:DOMAINNAME", "@s50"),
      column("Page Name", "WEB:PAGENAME", "@s20"),
      column("Use Now", "WEB:USENOW", "@s1", 36, J::Center),
      column("Page Path", "WEB:PAGEPATH", "@s80"),
      column("Local Path", "WEB:LOCALPATH", "@s80"),
      column("Local Default Directory", "WEB:LOCALDEFAULTDIRECTORY", "@s90", 80, J::Decimal, J::Center),
      column("Author", "WEB:AUTHOR", "@s30"),
      column("Purpose", "WEB:PURPOSE", "@s40"),
      column("Implement Date", "WEB:IMPLEMENTDATE", "@d17", 80, J::Right, J::Center),
  };
  w.controls.push_back(list);
  ControlDef select = records::button({"?Select", "&Select", Role::Select}, 6, 212, 14);
  select.hidden = true;
  w.controls.push_back(select);
  ControlDef insert = records::button({"?Insert", "Insert", Role::Insert, "insert3.ico"}, 60, 212, 14);
  insert.hidden = insert.disabled = true;
  w.controls.push_back(insert);
  w.controls.push_back(records::button({"?View", "View", Role::Change}, 6, 212, 14));
  w.controls.push_back(prompt("You may not add or delete records from this screen.", 10, 186, 300));
  ControlDef del = records::button({"?Delete", "Delete", Role::Delete, "delete4.ico"}, 114, 212, 14);
  del.hidden = del.disabled = true;
  w.controls.push_back(del);
  addSheet(w, {"By Page Name"}, 4, 4, 432, 200);
  addButtons(w, {{"?Close", "Close", Role::Close, "Progm039.ico"}, {"?Help", "Help", Role::Help}}, 332, 212, 14, 4);
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

struct DetailTab {
  const char* tab;
  FileId file;
  const char* key;
  const char* form;
  bool stepLocator;
  std::vector<ColumnDef> columns;
};

const std::vector<DetailTab>& detailTabs() {
  static const std::vector<DetailTab> tabs = {
      {"Meta", FileId::WPMeta, "WPM:PAGEPATH", "UpdateWPMeta", false,
       {column("Page Path", "WPM:WEBPAGEPATH", "@s80"), column("Domain Name", "WPM:DOMAINNAME", "@s50"),
        column("Page Name", "WPM:PAGENAME", "@s20"), column("Local Path", "WPM:LOCALPATH", "@s80"),
        column("Meta Contents", "WPM:METACONTENTS", "@s200"), column("Meta Name", "WPM:METANAME", "@s20")}},
      {"Links", FileId::WPLinks, "WPL:PATHNAME", "UpdateWPLinks", false,
       {column("Domain Name", "WPL:DOMAINNAME", "@s50"), column("Page Name", "WPL:PAGENAME", "@s20"),
        column("Page Path", "WPL:WEBPAGEPATHNAME", "@s80"), column("Web Page Link", "WPL:WEBPAGELINK", "@s200"),
        column("Line Number", "WPL:LINENUMBER", "@P####PB", 48), column("Record Date", "WPL:RECORDDATE", "@d17")}},
      {"Forms", FileId::WPForm, "WPF:PAGENAME", "UpdateWPForm", false,
       {column("Page Path", "WPF:WEBPAGEPATHNAME", "@s80"), column("Domain Name", "WPF:DOMAINNAME", "@s50"),
        column("Page Name", "WPF:PAGE", "@s20"), column("Record Date", "WPF:RECORDDATE", "@d17"),
        column("Line Number", "WPF:LINENUMBER", "@n-7", 48), column("Form Line 1", "WPF:FORMLINE1", "@s200"),
        column(" 2", "WPF:FORMLINE2", "@s200"), column(" 3", "WPF:FORMLINE3", "@s200"),
        column(" 4", "WPF:FORMLINE4", "@s200")}},
      {"Images", FileId::WPIMG, "WPI:PAGENAME", "UpdateWPIMG", true,
       {column("Page Path", "WPI:WEBPAGEPATHNAME", "@s80"), column("Domain Name", "WPI:DOMAINNAME", "@s50"),
        column("Page", "WPI:PAGE", "@s20"), column("Web Page IMG", "WPI:WEBPAGEIMG", "@s200"),
        column("Line Number", "WPI:LINENUMBER", "@n-7", 48), column("Date Entered", "WPI:DATEENTERED", "@d17"),
        column("Height", "WPI:HEIGHT", "@s20"), column("Width", "WPI:WIDTH", "@s20")}},
      {"Scripts", FileId::WPScripts, "WPS:PAGENAM", "UpdateWPScripts", false,
       {column("Page Path", "WPS:WEBPAGEPATHNAME", "@s80"), column("Domain Name", "WPS:DOMAINNAME", "@s50"),
        column("Page Name", "WPS:PAGENAME", "@s20"), column("Record Date", "WPS:RECORDDATE", "@d17"),
        column("Script Line 1", "WPS:SCRIPTLINE1", "@s200"), column("Script Line 1", "WPS:SCRIPTLINE2", "@s200"),
        column("Script Line 1", "WPS:SCRIPTLINE3", "@s200"), column("Script Line 1", "WPS:SCRIPTLINE4", "@s200")}},
  };
  return tabs;
}

std::string detailId(const char* what, int number) { return std::string("?") + what + ":" + std::to_string(number); }

WindowDef formWindow() {
  WindowDef w;
  w.title = "View the Web Pages File";
  w.w = 420, w.h = 262;
  addSheet(w, {"General", "General (cont.)", "Notes", "Meta", "Links", "Forms", "Images", "Scripts"}, 4, 4, 412,
           234);

  std::string tab = tabId(1);
  addRows(w,
          {{"Domain Name:", "WEB:DOMAINNAME", "@s50", 200},
           {"Page Name:", "WEB:PAGENAME", "@s20", 90}},
          tab, 12, 24, 96, 15);
  w.controls.push_back(records::check("WEB:USENOW", "Use Now", 110, 54, 80, tab));
  // LINKTO2 and the file size: the entries hold what their fields can hold.
  addRows(w,
          {{"Page Path:", "WEB:PAGEPATH", "@s80", 290},
           {"Local Path:", "WEB:LOCALPATH", "@s80", 290},
           {"Local Default Directory:", "WEB:LOCALDEFAULTDIRECTORY", "@s90", 290},
           {"Author:", "WEB:AUTHOR", "@s30", 130},
           {"Purpose:", "WEB:PURPOSE", "@s40", 170},
           {"Implement Date:", "WEB:IMPLEMENTDATE", "@d17", 60},
           {"File Date Time:", "WEB:FILEDATETIME", "@s20", 90},
           {"File Size:", "WEB:FILESIZE", "@n-14", 60}},
          tab, 12, 69, 96, 15);

  tab = tabId(2);
  addRows(w,
          {{"Link To 1:", "WEB:LINKTO1", "@s80", 290},
           {"Link To 2:", "WEB:LINKTO2", "@s30", 290},
           {"Link To 3:", "WEB:LINKTO3", "@s80", 290},
           {"Link To 4:", "WEB:LINKTO4", "@s80", 290},
           {"Link To 5:", "WEB:LINKTO5", "@s80", 290},
           {"Html Page Title:", "WEB:HTMLPAGETITLE", "@s80", 290},
           {"Page Read Date:", "WEB:PAGEREADDATE", "@s20", 90}},
          tab, 12, 24, 96, 15);

  tab = tabId(3);
  w.controls.push_back(prompt("Notes:", 12, 24, 60, tab));
  ControlDef memo = control(Kind::Memo, "?WEB:NOTES", {}, 12, 36, 396, 192, tab);
  memo.field = "WEB:NOTES";
  w.controls.push_back(memo);

  int n = 0;
  for (const DetailTab& d : detailTabs()) {
    ++n;
    tab = tabId(3 + n);
    ControlDef list = control(Kind::List, detailId("Detail", n), {}, 12, 24, 396, 186, tab);
    list.tip = "Browsing Records";
    list.columns = d.columns;
    w.controls.push_back(list);
    ControlDef view = records::button({"", "&View Detail", Role::None, "", 60}, 12, 216, 14, tab);
    view.id = detailId("ViewDetail", n);
    w.controls.push_back(view);
    for (const char* what : {"Insert", "Delete"}) {
      ControlDef b = records::button({"", what[0] == 'I' ? "&Insert" : "&Delete", Role::None}, 80, 216, 14, tab);
      b.id = detailId(what, n);
      b.hidden = true;
      w.controls.push_back(b);
    }
  }

  addButtons(w, {{"?OK", "OK", Role::Ok}, {"?Cancel", "Cancel", Role::Cancel}, {"?Help", "Help", Role::Help}}, 254,
             244, 14, 4);
  return w;
}

FormDef viewingForm() {
  FormDef f;
  f.changeTitle = "Viewing a WebPages Record";
  f.allowInsert = false;
  f.allowDelete = false;
  return f;
}

}  // namespace

// ---- BrowseWebPages2 ---------------------------------------------------------------

BrowseWebPages2::BrowseWebPages2()
    : RecordBrowse("BrowseWebPages2", browseWindow(), quickViewOrders(), &managedFile(FileId::WebPages)) {}

void BrowseWebPages2::setup() {
  RecordBrowse::setup();
  raiseOverSheets(*this);
  if (QTableView* t = table()) {
    // The pattern's popup offers Insert and Delete; this list only views.
    t->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* view = new QAction(QStringLiteral("&View"), t);
    connect(view, &QAction::triggered, this, [this] { inScope([&] { changeRecord(); }); });
    t->addAction(view);
  }
}

void BrowseWebPages2::runUpdate(int, int request, ResponseHandler done) {
  callProcedure(makeUpdateWebPages, request, std::move(done));
}

void BrowseWebPages2::refuse(bool insert) {
  QApplication::beep();
  message(insert ? "You cannot insert a record from this screen." : "You cannot delete a record from this screen.",
          "Error");
}

void BrowseWebPages2::navigate(Nav nav) {
  if (nav == Nav::Insert || nav == Nav::Delete) return refuse(nav == Nav::Insert);
  RecordBrowse::navigate(nav);
}

bool BrowseWebPages2::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table() && event->type() == QEvent::KeyPress && !waitingForCall()) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Insert || key == Qt::Key_Delete) {
      inScope([&] { refuse(key == Qt::Key_Insert); });
      return true;
    }
  }
  return RecordBrowse::eventFilter(watched, event);
}

// ---- UpdateWebPages ------------------------------------------------------------------

UpdateWebPages::UpdateWebPages()
    : FormProcedure("UpdateWebPages", formWindow(), viewingForm(), &managedFile(FileId::WebPages)) {
  for (const DetailTab& d : detailTabs()) useFile(&managedFile(d.file));
}

void UpdateWebPages::setup() {
  FormProcedure::setup();
  DataFile* page = primaryFile();
  int n = 0;
  for (const DetailTab& d : detailTabs()) {
    ++n;
    Control* c = control(detailId("Detail", n));
    if (!c) continue;
    auto* list = new DetailList(*this, *c, managedFile(d.file), d.key,
                                [page] { return page->buffer().text("WEB:PAGEPATH"); }, d.stepLocator);
    list->activated = [this, n] { inScope([&] { viewDetail(n); }); };
    lists_[static_cast<size_t>(n - 1)] = list;
    list->first();
  }
}

DetailList* UpdateWebPages::detailList(int number) const {
  return number >= 1 && number <= 5 ? lists_[static_cast<size_t>(number - 1)] : nullptr;
}

void UpdateWebPages::runUpdate(int number, int request, ResponseHandler done) {
  if (number < 1 || number > static_cast<int>(detailTabs().size())) {
    ResponseCode = RequestCancelled;
    if (done) done(RequestCancelled);
    return;
  }
  callNamedProcedure(*this, detailTabs()[static_cast<size_t>(number - 1)].form, request, std::move(done));
}

void UpdateWebPages::viewDetail(int number) {
  DetailList* list = detailList(number);
  if (!list || !list->loadHighlighted()) return;
  runUpdate(number, ChangeRecord, [list](int) { list->refresh(); });
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
  // This form only views: leaving never asks about changes.
  if (c.def().role == Role::Cancel) {
    close(RequestCancelled);
    return true;
  }
  for (int n = 1; n <= static_cast<int>(lists_.size()); ++n)
    if (compareNoCase(c.id(), detailId("ViewDetail", n)) == 0) {
      viewDetail(n);
      return true;
    }
  return FormProcedure::takeAccepted(c);
}

void UpdateWebPages::closeRequested() { close(RequestCancelled); }

void UpdateWebPages::recordReshown() {
  for (DetailList* list : lists_)
    if (list) list->first();
}

void UpdateWebPages::cleanup() {
  tabs_.release();
  // A record left by the numbering step (page name "1", no domain) is removed
  // when the window closes. The test is on the record as stored, so a page
  // the user saved or only looked at is never lost.
  if (built()) {
    RecordFile& f = primaryFile()->recordFile();
    if (f.position() > 0 && f.fetchPosition(f.position()) == 0) {
      const RecordBuffer& r = f.buffer();
      if (clip(r.text("WEB:PAGENAME")) == "1" && clip(r.text("WEB:DOMAINNAME")).empty() && f.erase() != 0)
        errors().raise(11, MessageArgs{primaryFile()->name(), f.errorText(), {}, {}});
    }
  }
  FormProcedure::cleanup();
}

std::unique_ptr<WindowProcedure> makeBrowseWebPages2() { return std::make_unique<BrowseWebPages2>(); }
std::unique_ptr<WindowProcedure> makeUpdateWebPages() { return std::make_unique<UpdateWebPages>(); }

}  // namespace qm::webviews
