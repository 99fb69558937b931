#include "reader/showpages.h"

#include <QHeaderView>
#include <QStandardItemModel>
#include <QTableView>

#include <string>
#include <utility>
#include <vector>

#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "frame/tabcolor.h"
#include "reader/globals.h"
#include "records/layout.h"
#include "records/recordwindows.h"
#include "runtime/config/requests.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/form.h"
#include "runtime/ui/window.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"

namespace qm::reader {
namespace {

using records::addButtons;
using records::addSheet;
using records::control;
using records::entry;
using records::prompt;
using records::tabId;
using J = Justify;

ColumnDef column(int width, const char* header, const char* field, const char* picture, J justify = J::Left) {
  ColumnDef c;
  c.width = width;
  c.header = header;
  c.field = field;
  c.picture = picture;
  c.justify = justify;
  c.headerJustify = justify == J::Center ? J::Center : J::Left;
  return c;
}

// A form with coloured tabs.
class ReaderForm : public FormProcedure {
 public:
  ReaderForm(std::string name, const WindowDef& window, FormDef form, DataFile* primary)
      : FormProcedure(std::move(name), window, std::move(form), primary) {}

 protected:
  bool takeWindowEvent(Event e) override {
    if (FormProcedure::takeWindowEvent(e)) return true;
    if (e == Event::OpenWindow && window()) {
      tabs_.createStandard(window());
      tabs_.colour();
    }
    return false;
  }
  void cleanup() override {
    tabs_.release();
    FormProcedure::cleanup();
  }

 private:
  TabColorClass tabs_;
};

// ---- the five detail forms ----------------------------------------------------------

struct FieldSpec {
  std::string prompt;
  std::string field;
  std::string picture;  // "" for a check box
};

struct TabSpec {
  std::string title;
  std::vector<FieldSpec> fields;
};

struct DetailFormSpec {
  const char* name;
  FileId file;
  const char* title;
  const char* insertTitle;
  const char* changeTitle;
  std::vector<TabSpec> tabs;
  const char* note;  // under the sheet; nullptr for none
};

constexpr const char* kWarning =
    "This record will be overwritten the next time you read in the web page. Therefore it is not advisable to "
    "update or change this record.";

// "<prompt> n:" rows for fields prefix+n, from..to.
std::vector<FieldSpec> lineRows(const std::string& prompt, const std::string& prefix, int from, int to) {
  std::vector<FieldSpec> rows;
  for (int i = from; i <= to; ++i) {
    const std::string n = std::to_string(i);
    rows.push_back({prompt + " " + n + ":", prefix + n, "@s200"});
  }
  return rows;
}

std::vector<FieldSpec> joined(std::vector<FieldSpec> a, const std::vector<FieldSpec>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<DetailFormSpec>& detailForms() {
  static const std::vector<DetailFormSpec> forms = [] {
    const std::vector<FieldSpec> formHead = {{"Page Path:", "WPF:WEBPAGEPATHNAME", "@s80"},
                                             {"Domain Name:", "WPF:DOMAINNAME", "@s50"},
                                             {"Page Name:", "WPF:PAGE", "@s20"}};
    const std::vector<FieldSpec> scriptHead = {{"Page Path:", "WPS:WEBPAGEPATHNAME", "@s80"},
                                               {"Domain Name:", "WPS:DOMAINNAME", "@s50"},
                                               {"Page Name:", "WPS:PAGENAME", "@s20"}};
    return std::vector<DetailFormSpec>{
        {"UpdateWPMeta", FileId::WPMeta, "Update the Meta Tags File", "Adding a WPMeta Record",
         "Changing a WPMeta Record",
         {{"General",
           {{"Page Path:", "WPM:WEBPAGEPATH", "@s80"},
            {"Domain Name:", "WPM:DOMAINNAME", "@s50"},
            {"Page Name:", "WPM:PAGENAME", "@s20"},
            {"Local Path:", "WPM:LOCALPATH", "@s80"},
            {"Meta Name:", "WPM:METANAME", "@s20"},
            {"Meta Contents:", "WPM:METACONTENTS", "@s200"}}}},
         nullptr},
        {"UpdateWPLinks", FileId::WPLinks, "Update the Links File", "Adding a Links Record", "Changing a Links Record",
         {{"General",
           {{"Web Page Path Name:", "WPL:WEBPAGEPATHNAME", "@s80"}, {"Web Page Link:", "WPL:WEBPAGELINK", "@s200"}}}},
         nullptr},
        {"UpdateWPForm", FileId::WPForm, "Update the Forms File", "Adding a Form Record", "Changing a Form Record",
         {{"General", joined(formHead, lineRows("Form Line", "WPF:FORMLINE", 1, 5))},
          {"Lines 6-15", lineRows("Form Line", "WPF:FORMLINE", 6, 15)},
          {"Lines 16-25", lineRows("Form Line", "WPF:FORMLINE", 16, 25)},
          {"Lines 26-35", lineRows("Form Line", "WPF:FORMLINE", 26, 35)},
          {"Lines 36-40", lineRows("Form Line", "WPF:FORMLINE", 36, 40)}},
         nullptr},
        {"UpdateWPIMG", FileId::WPIMG, "Update the IMAGE Data File", "Adding a WPIMG Record", "Changing a WPIMG Record",
         {{"General",
           {{"Page Name:", "WPI:WEBPAGEPATHNAME", "@s80"},
            {"Height:", "WPI:HEIGHT", "@s20"},
            {"Width:", "WPI:WIDTH", "@s20"},
            {"Web Page IMG:", "WPI:WEBPAGEIMG", "@s200"},
            {"Line Number:", "WPI:LINENUMBER", "@n-7"},
            {"Date Entered:", "WPI:DATEENTERED", "@d17"},
            {"Currently Use", "WPI:CURRENTLYUSE", ""}}}},
         nullptr},
        {"UpdateWPScripts", FileId::WPScripts, "Update the Scripts File", "Adding a Scripts Record",
         "Changing a Scripts Record",
         {{"Lines 1-10", joined(scriptHead, lineRows("Script Line", "WPS:SCRIPTLINE", 1, 10))},
          {"Lines 11-20", lineRows("Script Line", "WPS:SCRIPTLINE", 11, 20)},
          {"Lines 21-30", lineRows("Script Line", "WPS:SCRIPTLINE", 21, 30)},
          {"Lines 31-40", lineRows("Script Line", "WPS:SCRIPTLINE", 31, 40)}},
         "Lines may extend beyond width of field on screen. Just use your right arrow (in field) to scroll, or "
         "\"end key\" to jump,  to end of line."},
    };
  }();
  return forms;
}

int entryWidth(const std::string& picture) {
  if (picture == "@s20" || picture == "@n-7" || picture == "@d17") return 90;
  if (picture == "@s50") return 200;
  return 300;
}

WindowDef detailWindow(const DetailFormSpec& s) {
  WindowDef w;
  w.title = s.title;
  w.w = 420, w.h = 250;
  std::vector<std::string> titles;
  for (const TabSpec& t : s.tabs) titles.push_back(t.title);
  addSheet(w, titles, 4, 4, 412, 190);
  for (std::size_t i = 0; i < s.tabs.size(); ++i) {
    const std::string tab = tabId(static_cast<int>(i) + 1);
    int y = 22;
    for (const FieldSpec& f : s.tabs[i].fields) {
      if (f.picture.empty()) {
        w.controls.push_back(records::check(f.field, f.prompt, 96, y, 120, tab));
      } else {
        w.controls.push_back(prompt(f.prompt, 8, y, 86, tab));
        w.controls.push_back(entry(f.field, f.picture, 96, y, entryWidth(f.picture), tab));
      }
      y += 13;  // an entry's height and a gap
    }
  }
  ControlDef warn = control(Kind::Prompt, "?Warning", kWarning, 8, 198, 404, 18);
  w.controls.push_back(warn);
  if (s.note) w.controls.push_back(control(Kind::Prompt, "?Note", s.note, 8, 216, 404, 10));
  addButtons(w, {{"?OK", "OK", Role::Ok}, {"?Cancel", "Cancel", Role::Cancel}, {"?Help", "Help", Role::Help}}, 258,
             230, 14, 4);
  return w;
}

class DetailForm : public ReaderForm {
 public:
  explicit DetailForm(const DetailFormSpec& s)
      : ReaderForm(s.name, detailWindow(s), FormDef{s.insertTitle, s.changeTitle}, &managedFile(s.file)) {}

 protected:
  bool takeWindowEvent(Event e) override {
    if (ReaderForm::takeWindowEvent(e)) return true;
    if (e == Event::OpenWindow)
      if (Control* c = control("?Warning"); c && c->widget())
        if (auto* label = qobject_cast<QLabel*>(c->widget())) label->setWordWrap(true);
    return false;
  }
};

ProcedureFactory detailFormFactory(const char* name) {
  for (const DetailFormSpec& s : detailForms())
    if (std::string_view(s.name) == name)
      return [&s]() -> std::unique_ptr<WindowProcedure> { return std::make_unique<DetailForm>(s); };
  return {};
}

// ---- the page form and its detail lists --------------------------------------------

struct ListSpec {
  FileId file;
  const char* key;     // the page-path key
  const char* path;    // the page-path field
  const char* domain;  // primed into a new record with the path
  const char* page;
  const char* tab;
  const char* text;
  const char* form;
  std::vector<ColumnDef> columns;
};

const std::vector<ListSpec>& detailLists() {
  static const std::vector<ListSpec> lists = {
      {FileId::WPMeta, "WPM:PAGEPATH", "WPM:WEBPAGEPATH", "WPM:DOMAINNAME", "WPM:PAGENAME", "MetaTags",
       "Use these buttons for the Meta Tag records.", "UpdateWPMeta",
       {column(80, "Domain Name", "WPM:DOMAINNAME", "@s50"), column(60, "Page Name", "WPM:PAGENAME", "@s20"),
        column(160, "Meta Contents", "WPM:METACONTENTS", "@s200"), column(60, "Meta Name", "WPM:METANAME", "@s20")}},
      {FileId::WPLinks, "WPL:PATHNAME", "WPL:WEBPAGEPATHNAME", "WPL:DOMAINNAME", "WPL:PAGENAME", "Links",
       "Use these buttons for the Links records.", "UpdateWPLinks",
       {column(80, "Domain Name", "WPL:DOMAINNAME", "@s50"), column(60, "Page Name", "WPL:PAGENAME", "@s20"),
        column(160, "Web Page Link", "WPL:WEBPAGELINK", "@s200"),
        column(46, "Line Number", "WPL:LINENUMBER", "@P####PB", J::Right)}},
      {FileId::WPForm, "WPF:PAGENAME", "WPF:WEBPAGEPATHNAME", "WPF:DOMAINNAME", "WPF:PAGE", "Forms",
       "Use these buttons for the Forms records.", "UpdateWPForm",
       {column(80, "Domain Name", "WPF:DOMAINNAME", "@s50"), column(60, "Page Name", "WPF:PAGE", "@s20"),
        column(120, "Form Line 1", "WPF:FORMLINE1", "@s200"), column(80, " 2", "WPF:FORMLINE2", "@s200"),
        column(80, " 3", "WPF:FORMLINE3", "@s200"), column(80, " 4", "WPF:FORMLINE4", "@s200")}},
      {FileId::WPIMG, "WPI:PAGENAME", "WPI:WEBPAGEPATHNAME", "WPI:DOMAINNAME", "WPI:PAGE", "Images",
       "Use these buttons for the Images records.", "UpdateWPIMG",
       {column(80, "Domain Name", "WPI:DOMAINNAME", "@s50"), column(60, "Page", "WPI:PAGE", "@s20"),
        column(120, "Web Page IMG", "WPI:WEBPAGEIMG", "@s200"),
        column(46, "Line Number", "WPI:LINENUMBER", "@n-7", J::Right), column(30, "Height", "WPI:HEIGHT", "@s20"),
        column(30, "Width", "WPI:WIDTH", "@s20"), column(100, "imagepath", "WPI:IMAGEPATH", "@s80")}},
      {FileId::WPScripts, "WPS:PAGENAM", "WPS:WEBPAGEPATHNAME", "WPS:DOMAINNAME", "WPS:PAGENAME", "Scripts",
       "Use these buttons for the Scripts records.", "UpdateWPScripts",
       {column(80, "Domain Name", "WPS:DOMAINNAME", "@s50"), column(60, "Page Name", "WPS:PAGENAME", "@s20"),
        column(100, "Script Line 1", "WPS:SCRIPTLINE1", "@s200"),
        column(100, "Script Line 1", "WPS:SCRIPTLINE2", "@s200"),
        column(100, "Script Line 1", "WPS:SCRIPTLINE3", "@s200"),
        column(100, "Script Line 1", "WPS:SCRIPTLINE4", "@s200"),
        column(100, "Script Line 1", "WPS:SCRIPTLINE5", "@s200")}},
  };
  return lists;
}

std::string listId(std::size_t i, const char* what) { return "?" + std::string(what) + ":" + std::to_string(i + 1); }

WindowDef pageWindow() {
  WindowDef w;
  w.title = "Update the Web Pages File (Use Quillmark for better access)";
  w.w = 440, w.h = 250;
  std::vector<std::string> tabs = {"General", "General (cont.)", "Notes"};
  for (const ListSpec& l : detailLists()) tabs.push_back(l.tab);
  addSheet(w, tabs, 4, 4, 432, 222);

  std::string tab = tabId(1);
  records::addRows(w,
                   {{"Domain Name:", "WEB:DOMAINNAME", "@s50", 200},
                    {"Page Name:", "WEB:PAGENAME", "@s20", 90}},
                   tab, 10, 24, 100, 14);
  w.controls.push_back(records::check("WEB:USENOW", "Use Now", 112, 52, 80, tab));
  records::addRows(w,
                   {{"Page Path:", "WEB:PAGEPATH", "@s80", 300},
                    {"Local Path:", "WEB:LOCALPATH", "@s80", 300},
                    {"Local Default Directory:", "WEB:LOCALDEFAULTDIRECTORY", "@s90", 300},
                    {"Author:", "WEB:AUTHOR", "@s30", 130},
                    {"Purpose:", "WEB:PURPOSE", "@s40", 170},
                    {"Implement Date:", "WEB:IMPLEMENTDATE", "@d17", 60},
                    {"File Date Time:", "WEB:FILEDATETIME", "@s20", 90}},
                   tab, 10, 66, 100, 14);
  tab = tabId(2);
  records::addRows(w,
                   {{"File Size:", "WEB:FILESIZE", "@n-14", 60},
                    {"Link To 1:", "WEB:LINKTO1", "@s80", 300},
                    {"Link To 2:", "WEB:LINKTO2", "@s30", 300},
                    {"Link To 3:", "WEB:LINKTO3", "@s80", 300},
                    {"Link To 4:", "WEB:LINKTO4", "@s80", 300},
                    {"Link To 5:", "WEB:LINKTO5", "@s80", 300},
                    {"Html Page Title:", "WEB:HTMLPAGETITLE", "@s80", 300},
                    {"Page Read Date:", "WEB:PAGEREADDATE", "@s20", 90}},
                   tab, 10, 24, 100, 14);
  tab = tabId(3);
  w.controls.push_back(prompt("Notes:", 10, 24, 60, tab));
  ControlDef memo = control(Kind::Memo, "?WEB:NOTES", {}, 10, 36, 416, 180, tab);
  memo.field = "WEB:NOTES";
  w.controls.push_back(memo);

  for (std::size_t i = 0; i < detailLists().size(); ++i) {
    const ListSpec& l = detailLists()[i];
    tab = tabId(static_cast<int>(i) + 4);
    ControlDef list = control(Kind::List, listId(i, "List"), {}, 10, 22, 412, 168, tab);
    list.columns = l.columns;
    w.controls.push_back(list);
    w.controls.push_back(prompt(l.text, 10, 198, 190, tab));
    addButtons(w,
               {{listId(i, "Insert").c_str(), "&Insert", Role::None, "insert3.ico"},
                {listId(i, "Change").c_str(), "&Change", Role::None, "chg4.ico"},
                {listId(i, "Delete").c_str(), "&Delete", Role::None, "delete4.ico"}},
               222, 196, 14, 4, tab);
  }
  addButtons(w, {{"?OK", "OK", Role::Ok}, {"?Cancel", "Cancel", Role::Cancel}, {"?Help", "Help", Role::Help}}, 278,
             232, 14, 4);
  return w;
}

// A detail file's records of the page, as one of the form's lists shows them.
class DetailList {
 public:
  DetailList(const ListSpec& spec, QTableView* table) : spec_(spec), table_(table) {
    model_ = new QStandardItemModel(0, static_cast<int>(spec.columns.size()), table);
    for (std::size_t c = 0; c < spec.columns.size(); ++c)
      model_->setHeaderData(static_cast<int>(c), Qt::Horizontal, QString::fromStdString(spec.columns[c].header));
    table->setModel(model_);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);  // every row of the page is loaded
    const QFontMetrics fm(table->font());
    for (std::size_t c = 0; c < spec.columns.size(); ++c)
      table->setColumnWidth(static_cast<int>(c), spec.columns[c].width * fm.averageCharWidth() / 4);
  }

  // Loads the records whose page path is exactly pagePath.
  void reload(const std::string& pagePath) {
    model_->removeRows(0, model_->rowCount());
    positions_.clear();
    RecordFile& f = access(spec_.file).file();
    const FileDef& def = f.def();
    const int pathField = def.fieldIndex(spec_.path);
    if (pagePath.empty()) return;  // a blank path is in no key
    RecordBuffer probe(def);
    probe.setText(pathField, pagePath);
    const auto exact = [&](const RecordBuffer& r) { return r.text(pathField) == pagePath; };
    std::vector<std::pair<int64_t, RecordBuffer>> rows;
    constexpr int kMaxRows = 100000;
    if (f.readPage(def.keyIndex(spec_.key), nullptr, 0, true, kMaxRows, rows, KeyRange{1}, &probe, exact) != 0)
      return;
    for (const auto& [pos, rec] : rows) {
      QList<QStandardItem*> items;
      for (const ColumnDef& c : spec_.columns) {
        const std::string shown = formatAny(c.picture, rec.valueText(c.field));
        auto* item = new QStandardItem(QString::fromStdString(std::string(clip(shown))));
        if (c.justify == J::Right) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
      }
      model_->appendRow(items);
      positions_.push_back(pos);
    }
    if (!positions_.empty()) table_->selectRow(0);
  }

  // Position of the highlighted record; 0 when none.
  int64_t highlighted() const {
    const QModelIndex i = table_->currentIndex();
    const int row = i.isValid() ? i.row() : (positions_.empty() ? -1 : 0);
    return row >= 0 && row < static_cast<int>(positions_.size()) ? positions_[static_cast<std::size_t>(row)] : 0;
  }
  int rowCount() const { return static_cast<int>(positions_.size()); }
  const ListSpec& spec() const { return spec_; }

 private:
  const ListSpec& spec_;
  QTableView* table_;
  QStandardItemModel* model_ = nullptr;
  std::vector<int64_t> positions_;
};

class UpdateWebPages : public ReaderForm {
 public:
  UpdateWebPages()
      : ReaderForm("UpdateWebPages", pageWindow(),
                   FormDef{"Adding a WebPages Record", "Changing a WebPages Record"}, &managedFile(FileId::WebPages)) {
    for (const ListSpec& l : detailLists()) useFile(&managedFile(l.file));
  }

 protected:
  bool takeWindowEvent(Event e) override {
    if (ReaderForm::takeWindowEvent(e)) return true;
    if (e == Event::OpenWindow) {
      for (std::size_t i = 0; i < detailLists().size(); ++i)
        if (Control* c = control(listId(i, "List")))
          if (auto* table = qobject_cast<QTableView*>(c->widget()))
            lists_.push_back(std::make_unique<DetailList>(detailLists()[i], table));
      reloadLists();
    }
    return false;
  }

  bool beforeWindow() override {
    if (request() == InsertRecord) {
      // A new page belongs to the domain listed, so it stays in the list; the
      // numbering's "1" is no page name.
      RecordBuffer& p = primaryFile()->buffer();
      p.setText("WEB:DOMAINNAME", domainname.str());
      if (p.text("WEB:PAGENAME") == "1") p.setText("WEB:PAGENAME", "");
    }
    return ReaderForm::beforeWindow();
  }

  bool takeAccepted(Control& c) override {
    for (std::size_t i = 0; i < lists_.size(); ++i) {
      if (compareNoCase(c.id(), listId(i, "Insert")) == 0) return callDetail(i, InsertRecord), true;
      if (compareNoCase(c.id(), listId(i, "Change")) == 0) return callDetail(i, ChangeRecord), true;
      if (compareNoCase(c.id(), listId(i, "Delete")) == 0) return callDetail(i, DeleteRecord), true;
    }
    return ReaderForm::takeAccepted(c);
  }

 private:
  std::string pagePath() const { return access(FileId::WebPages).buffer().text("WEB:PAGEPATH"); }

  void reloadLists() {
    const std::string path = pagePath();
    for (auto& l : lists_) l->reload(path);
  }

  void callDetail(std::size_t i, int request) {
    DetailList& list = *lists_[i];
    const ListSpec& s = list.spec();
    FileManager& fm = access(s.file);
    if (request == InsertRecord) {
      if (fm.primeRecord() != 0) return;
      // A new record belongs to the page on the form.
      const RecordBuffer& web = access(FileId::WebPages).buffer();
      fm.buffer().setText(s.path, web.text("WEB:PAGEPATH"));
      fm.buffer().setText(s.domain, web.text("WEB:DOMAINNAME"));
      fm.buffer().setText(s.page, web.text("WEB:PAGENAME"));
    } else {
      const int64_t pos = list.highlighted();
      if (pos == 0 || fm.file().fetchPosition(pos) != 0) return;
    }
    callProcedure(detailFormFactory(s.form), request, [this](int) { reloadLists(); });
  }

  std::vector<std::unique_ptr<DetailList>> lists_;
};

// ---- the page browse -----------------------------------------------------------------

WindowDef browseWindow() {
  WindowDef w;
  w.title = "Browse the Web Pages File";
  w.w = 440, w.h = 236;
  w.resizable = true;
  w.status = "Browsing Records";
  addSheet(w, {"Pages Read In"}, 4, 4, 432, 204);
  const std::string tab = tabId(1);
  ControlDef list = control(Kind::List, "?Browse:1", {}, 10, 22, 420, 162, tab);
  list.columns = {column(120, "Domain Name", "WEB:DOMAINNAME", "@s50"),
                  column(80, "Page Name", "WEB:PAGENAME", "@s20"),
                  column(32, "Use Now", "WEB:USENOW", "@s1", J::Center),
                  column(140, "Page Path", "WEB:PAGEPATH", "@s80"),
                  column(140, "Local Path", "WEB:LOCALPATH", "@s80"),
                  column(140, "Local Default Directory", "WEB:LOCALDEFAULTDIRECTORY", "@s90"),
                  column(80, "Author", "WEB:AUTHOR", "@s30"),
                  column(100, "Purpose", "WEB:PURPOSE", "@s40"),
                  column(56, "Implement Date", "WEB:IMPLEMENTDATE", "@d17", J::Right)};
  w.controls.push_back(list);
  w.controls.push_back(prompt("Pages shown are for domain just read in. Use Quillmark for general work.", 10, 190,
                              380, tab));
  addButtons(w,
             {{"?Insert", "&Insert", Role::Insert, "insert3.ico"},
              {"?Change", "&Change", Role::Change, "chg4.ico"},
              {"?Delete", "&Delete", Role::Delete, "delete4.ico"},
              {"?Close", "Close", Role::Close, "Progm039.ico"},
              {"?Help", "Help", Role::Help}},
             170, 214, 16, 4);
  return w;
}

BrowseDef pagesBrowseDef() {
  BrowseDef b;
  b.orders = {SortOrder{"WEB:NAMES", LocatorKind::None, "", {}, "(web:domainname=domainname)"}};
  b.sheet = "?Sheet";
  return b;
}

class BrowseWebPages : public records::RecordBrowse {
 public:
  BrowseWebPages() : RecordBrowse("BrowseWebPages", browseWindow(), pagesBrowseDef(), &managedFile(FileId::WebPages)) {
    setUpdate(1, makeUpdateWebPages);
  }
};

// ---- the ways in ---------------------------------------------------------------------

class ShowPages : public WindowProcedure {
 public:
  ShowPages() : WindowProcedure("ShowPages") {}

 protected:
  void setup() override {
    callProcedure(domainname.blank() ? makeGetdom : makeBrowseWebPages, 0, [this](int r) { close(r); });
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
std::unique_ptr<WindowProcedure> makeBrowseWebPages() { return std::make_unique<BrowseWebPages>(); }
std::unique_ptr<WindowProcedure> makeUpdateWebPages() { return std::make_unique<UpdateWebPages>(); }
std::unique_ptr<WindowProcedure> makeUpdateWPMeta() { return detailFormFactory("UpdateWPMeta")(); }
std::unique_ptr<WindowProcedure> makeUpdateWPLinks() { return detailFormFactory("UpdateWPLinks")(); }
std::unique_ptr<WindowProcedure> makeUpdateWPForm() { return detailFormFactory("UpdateWPForm")(); }
std::unique_ptr<WindowProcedure> makeUpdateWPIMG() { return detailFormFactory("UpdateWPIMG")(); }
std::unique_ptr<WindowProcedure> makeUpdateWPScripts() { return detailFormFactory("UpdateWPScripts")(); }

}  // namespace qm::reader
