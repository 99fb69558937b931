#include "webdata/pages/pageform.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QProgressBar>
#include <QStringList>
#include <cstdlib>

#include "appkit/layout.h"
#include "appkit/procedures.h"
#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/ui/window.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"
#include "webdata/import/import.h"
#include "webdata/pages/pathrules.h"

namespace qm::webpages {

namespace {

using qm::addButtons;
using qm::addSheet;
using qm::button;
using qm::ButtonSpec;
using qm::check;
using qm::control;
using qm::entry;
using qm::prompt;
using qm::tabId;

constexpr const char* kDirCaption = "Domain Data Error";
constexpr const char* kBlankDir = "The default local dir for this domain is blank. Please correct.";
constexpr const char* kBlankWeb = "The default Web Path for this domain is blank. Please correct.";
constexpr const char* kViewHint =
    "Button is active only if Auto Read Web Page has\nfound this particular type of data in HTML "
    "page.";

// The five view buttons: caption, the page's mark, the browse they call.
struct ViewButton {
  const char* id;
  const char* text;
  const char* mark;
  const char* procedure;
};
const ViewButton kViews[] = {
    {"?ViewLinks", "View HREF Links", "WEB:DATA1", "BrowseLinks"},
    {"?ViewImages", "View  Image References", "WEB:DATA2", "BrowseImages"},
    {"?ViewMeta", "View Meta Tags", "WEB:DATA3", "BrowseMeta"},
    {"?ViewScripts", "View Scripts", "WEB:DATA4", "browsescripts"},
    {"?ViewForms", "View Forms", "WEB:DATA5", "browseforms"},
};

// One row of the "General" tab.
struct GeneralRow {
  const char* prompt;
  const char* field;  // nullptr: the domain list
  const char* picture;
  int width;
  const char* tip;
  const char* buttonId = nullptr;
  const char* buttonText = nullptr;
  const char* buttonTip = nullptr;
};

// The label shows one ampersand where the spelled caption doubles it.
const GeneralRow kGeneral[] = {
    {"Domain Name:", nullptr, "@s50", 200, "This is the actual domain name."},
    {"Local Path:", "WEB:LOCALPATH", "@s90", 200,
     "The path on THIS computer of the page.  Include the name of the page in the path.",
     "?FileLookup", " File Lookup"},
    {"Page Path:", "WEB:PAGEPATH", "@s90", 200,
     "The complete path of the page as listed under the domain. Include the page name in the path.",
     "?Web", "Web", "Click to open browser with URL shown."},
    {"Page Name:", "WEB:PAGENAME", "@s40", 110,
     "The HTML name of the page. Include any subdirectories if needed."},
    {"Author:", "WEB:AUTHOR", "@s30", 130, "Who designed the page."},
    {"Main Purpose:", "WEB:PURPOSE", "@s40", 170, "The main purpose of the page."},
    {"Implement Date:", "WEB:IMPLEMENTDATE", "@d17", 56,
     "The date the page will become live on the site."},
    {"File Date & Time:", "WEB:FILEDATETIME", "@s20", 90, "The last update date of this page."},
    {"File Size:", "WEB:FILESIZE", "@N14B", 60, "The size in bytes of the html file."},
    {"Html Page Title:", "WEB:HTMLPAGETITLE", "@s80", 240, "HTML Page Title"},
};

const char* const kLinksText[] = {
    "Other web sites may link to this page. Record here the addresses of",
    "the outside pages that link to it, so that you can tell them when it moves.",
    "",
    "Enter each address completely, for instance http://www.example.com/links.htm.",
};

constexpr int kSheetW = 340;
constexpr int kSheetH = 214;
constexpr int kPromptX = 10;
constexpr int kFieldX = 78;
constexpr int kRowStep = 15;

void addGeneralTab(WindowDef& w) {
  const std::string tab = tabId(1);
  ControlDef use = check("WEB:USENOW", "Currently Use", kFieldX, 22, 80, tab);
  use.tip = "Is this page in use now?";
  w.controls.push_back(use);
  int y = 22 + kRowStep;
  for (const GeneralRow& r : kGeneral) {
    w.controls.push_back(prompt(r.prompt, kPromptX, y, kFieldX - kPromptX - 2, tab));
    ControlDef c;
    if (!r.field) {
      c = control(Kind::Drop, "?WEB:DOMAINNAME", {}, kFieldX, y - 1, r.width, 12, tab);
      c.field = "WEB:DOMAINNAME";
      c.fromFile = "Domains";
      c.fromField = "DOM:DOMAINNAME";
      ColumnDef col;
      col.width = r.width;
      col.header = "Domain Name";
      col.field = c.fromField;
      col.picture = r.picture;
      c.columns = {col};
    } else {
      c = entry(r.field, r.picture, kFieldX, y, r.width, tab);
    }
    c.tip = r.tip;
    w.controls.push_back(c);
    if (r.buttonId) {
      ControlDef b = button(ButtonSpec{r.buttonId, r.buttonText, Role::None, "", 50},
                            kFieldX + r.width + 4, y - 1, 12, tab);
      if (r.buttonTip) b.tip = r.buttonTip;
      w.controls.push_back(b);
    }
    // A press on the page path opens it, as "Web" does.
    if (r.field && std::string(r.field) == "WEB:PAGEPATH")
      w.controls.push_back(
          control(Kind::Region, "?PagePathRegion", {}, kFieldX, y, r.width, 10, tab));
    y += kRowStep;
  }
}

void addLinksTab(WindowDef& w) {
  const std::string tab = tabId(2);
  int y = 22;
  for (const char* line : kLinksText) {
    if (*line) w.controls.push_back(prompt(line, kPromptX, y, kSheetW - 20, tab));
    y += 10;
  }
  y += 8;
  for (int i = 1; i <= 5; ++i) {
    const std::string n = std::to_string(i);
    w.controls.push_back(prompt(n + ". Link:", kPromptX, y, 40, tab));
    ControlDef e = entry("WEB:LINKTO" + n, "@s30", 52, y, 240, tab);
    e.tip = "URL link to this page (from where?)";
    w.controls.push_back(e);
    y += kRowStep;
  }
}

void addNotesTab(WindowDef& w) {
  const std::string tab = tabId(3);
  w.controls.push_back(prompt("Notes:", kPromptX, 22, 60, tab));
  ControlDef memo =
      control(Kind::Memo, "?WEB:NOTES", {}, kPromptX, 34, kSheetW - 20, kSheetH - 40, tab);
  memo.field = "WEB:NOTES";
  memo.tip = "Brief notes about this page.";
  w.controls.push_back(memo);
}

WindowDef formWindow() {
  WindowDef w;
  w.title = "Update the WebPages File";
  w.w = 460, w.h = 256;
  addSheet(w, {"General", "Links", "Notes"}, 4, 4, kSheetW, kSheetH);
  addGeneralTab(w);
  addLinksTab(w);
  addNotesTab(w);

  const int bx = kSheetW + 10, bw = 106;  // the longest caption and its icon whole
  w.controls.push_back(
      button(ButtonSpec{"?AutoRead", "Auto Read Web Page", Role::None, "", bw}, bx, 8, 14));
  w.controls.push_back(control(Kind::Group, "?ViewPanel", {}, bx, 26, bw, 86));
  int y = 32;
  for (const ViewButton& v : kViews) {
    ControlDef b =
        button(ButtonSpec{v.id, v.text, Role::None, "", bw - 8}, bx + 4, y, 14, "?ViewPanel");
    b.tip = kViewHint;
    b.disabled = true;
    w.controls.push_back(b);
    y += 16;
  }
  w.controls.push_back(button(ButtonSpec{"?Help", "Help", Role::None, "", bw}, bx, 118, 14));
  w.controls.push_back(
      button(ButtonSpec{"?EditPage", "Edit Web Page", Role::None, "cube.ico", bw}, bx, 136, 16));
  w.controls.push_back(button(
      ButtonSpec{"?BrowserView", "Browser View of  Local Page", Role::None, "webpage.ico", bw}, bx,
      154, 16));
  ControlDef source =
      button(ButtonSpec{"?ViewSource", "View HTML Source", Role::None, "", bw}, bx, 172, 14);
  source.tip = "Uses your text editor to view html source.";
  w.controls.push_back(source);
  addButtons(w, {{"?OK", "OK", Role::Ok, "", 50}, {"?Cancel", "Cancel", Role::Cancel, "", 50}}, bx,
             196, 14, 6);

  w.controls.push_back(prompt("This page last read in:", 8, 224, 80));
  ControlDef read = control(Kind::Text, "?WEB:PAGEREADDATE", {}, 90, 225, 100, 10);
  read.field = "WEB:PAGEREADDATE";
  read.picture = "@s20";
  w.controls.push_back(read);
  w.controls.push_back(control(Kind::Progress, "?Progress", {}, 8, 240, kSheetW, 8));
  return w;
}

FormDef pageFormDef() {
  FormDef f;
  f.insertTitle = "Record Will Be Added  (New)";
  return f;
}

bool isBlank(std::string_view s) { return clip(s).empty(); }

std::vector<std::string> realChooser(QWidget* owner, const PageFileDialog& d) {
  QStringList filters;
  for (const auto& [what, masks] : d.types) {
    QString m = QString::fromStdString(masks);
    m.replace(';', ' ');
    filters << QString::fromStdString(what) + " (" + m + ")";
  }
  const QStringList files =
      QFileDialog::getOpenFileNames(owner, QString::fromStdString(d.title),
                                    QString::fromStdString(d.directory), filters.join(";;"));
  std::vector<std::string> out;
  for (const QString& f : files) out.push_back(f.toStdString());
  return out;
}

PageFileChooser& chooser() {
  static PageFileChooser c = realChooser;
  return c;
}

}  // namespace

PageFileChooser setPageFileChooser(PageFileChooser c) {
  PageFileChooser before = chooser();
  chooser() = c ? std::move(c) : PageFileChooser(realChooser);
  return before;
}

UpdateWebPages::UpdateWebPages(const WebContext& ctx)
    : FormProcedure("updatewebpages1", formWindow(), pageFormDef(), &managedFile(FileId::WebPages)),
      ctx_(ctx) {
  // The page's own domain, found by its name: the paths come from it.
  useParent(&managedFile(FileId::Domains), "DOM:NAME", "WEB:DOMAINNAME");
  useFile(&managedFile(FileId::Editor));
  useFile(&managedFile(FileId::WPLinks));
}

RecordBuffer& UpdateWebPages::page() const { return primaryFile()->buffer(); }
RecordBuffer& UpdateWebPages::domain() const { return access(FileId::Domains).buffer(); }

bool UpdateWebPages::domainMissing() const {
  const std::string own = page().text("WEB:DOMAINNAME");
  return !isBlank(own) && compareNoCase(domain().text("DOM:DOMAINNAME"), own) != 0;
}

bool UpdateWebPages::beforeWindow() {
  // The numbering step leaves "1" in a new page's name: not the user's value.
  if (request() == InsertRecord && page().text("WEB:PAGENAME") == "1")
    page().setText("WEB:PAGENAME", "");
  if (!FormProcedure::beforeWindow()) return false;
  std::string stored = page().text("WEB:PAGENAME");
  stored.resize(kPageNameWidth, ' ');
  changeTitle_ = "Record Will Be Changed  (" + stored + ")";
  if (page().text("WEB:PAGENAME") == "1") page().setText("WEB:PAGENAME", "");
  return true;
}

void UpdateWebPages::primeFromParent() {
  // A new page keeps its domain's directory even when the domain is not
  // picked again: the import names its images from it.
  if (isBlank(page().text("WEB:LOCALDEFAULTDIRECTORY")) &&
      !isBlank(page().text("WEB:DOMAINNAME")) &&
      compareNoCase(domain().text("DOM:DOMAINNAME"), page().text("WEB:DOMAINNAME")) == 0)
    page().setText("WEB:LOCALDEFAULTDIRECTORY", domain().text("DOM:DEFAULTLOCALDIR"));
}

void UpdateWebPages::beforeEventLoop() {
  FormProcedure::beforeEventLoop();
  if (request() != ChangeRecord) return;
  const QString t = QString::fromStdString(changeTitle_);
  if (window()) window()->setWindowTitle(t);
  if (outerWindow()) outerWindow()->setWindowTitle(t);
}

bool UpdateWebPages::takeWindowEvent(Event e) {
  if (FormProcedure::takeWindowEvent(e)) return true;
  if (e == Event::OpenWindow && window()) {
    if (Control* region = control("?PagePathRegion"); region && region->widget()) {
      region->widget()->setCursor(Qt::PointingHandCursor);
      region->widget()->raise();
    }
    if (Control* bar = control("?Progress"))
      if (auto* p = qobject_cast<QProgressBar*>(bar->widget())) p->setRange(1, 900);
    showProgress();
    enableViewButtons();
    display();
    tabs_.createStandard(window());
    tabs_.colour();
  }
  return false;
}

void UpdateWebPages::cleanup() {
  tabs_.release();
  // The import leaves the detail files open for the form; they close with it.
  static const FileId kDetails[] = {FileId::WPIMG, FileId::WPLinks, FileId::WPMeta, FileId::WPForm,
                                    FileId::WPScripts};
  for (; importRuns_ > 0; --importRuns_)
    for (FileId id : kDetails)
      if (access(id).isOpen()) access(id).close();
  FormProcedure::cleanup();
}

void UpdateWebPages::enableViewButtons() {
  for (const ViewButton& v : kViews)
    if (page().text(v.mark) == "Y")
      if (Control* b = control(v.id)) b->setEnabled(true);  // once enabled it stays so
}

void UpdateWebPages::showProgress() {
  Control* c = control("?Progress");
  auto* bar = c ? qobject_cast<QProgressBar*>(c->widget()) : nullptr;
  if (!bar) return;
  const long n = std::strtol(ctx_.progress->str().c_str(), nullptr, 10);
  if (n < bar->minimum())
    bar->reset();
  else
    bar->setValue(static_cast<int>(std::min<long>(n, bar->maximum())));
}

void UpdateWebPages::takeWindowFields() {
  if (!built()) return;
  for (auto& c : built()->controls())
    if (c->isData()) c->take(nullptr);  // a value its picture refuses keeps the field as it was
}

void UpdateWebPages::checkDomainDirectories() {
  if (isBlank(domain().text("DOM:DEFAULTLOCALDIR"))) message(kBlankDir, kDirCaption);
  if (isBlank(domain().text("DOM:DEFAULTWEBPATH"))) message(kBlankWeb, kDirCaption);
}

void UpdateWebPages::domainChosen(Control& drop) {
  auto* box = qobject_cast<QComboBox*>(drop.widget());
  if (box && box->currentIndex() >= 0) {
    FileManager& dom = access(FileId::Domains);
    const RecordBuffer before = dom.buffer();
    dom.buffer().setText("DOM:DOMAINNAME", box->currentText().toStdString());
    if (dom.file().fetch(dom.def().keyIndex("DOM:NAME")) == 0)
      page().setText("WEB:LOCALDEFAULTDIRECTORY", dom.buffer().text("DOM:DEFAULTLOCALDIR"));
    else
      dom.buffer() = before;  // gone meanwhile: the page keeps the domain it had
  }
  checkDomainDirectories();
  display();
}

void UpdateWebPages::localPathEvent(bool accepted) {
  if (!accepted) checkDomainDirectories();
  RecordBuffer& p = page();
  if (!isBlank(p.text("WEB:LOCALPATH")) && !domainMissing()) {
    p.setText("WEB:PAGENAME",
              pageNameFromLocalPath(p.text("WEB:LOCALPATH"), domain().text("DOM:DEFAULTLOCALDIR")));
    p.setText("WEB:PAGEPATH", pagePath());
  }
  if (accepted) p.setText("WEB:PAGEPATH", slashFirstBackslash(p.text("WEB:PAGEPATH")));
  display();
}

std::string UpdateWebPages::pagePath() const {
  return pagePathOf(domain().text("DOM:DEFAULTWEBPATH"), page().text("WEB:PAGENAME"),
                    page().text("WEB:LOCALPATH"), domain().text("DOM:DEFAULTLOCALDIR"));
}

void UpdateWebPages::pagePathEvent(bool selected) {
  RecordBuffer& p = page();
  // Without a page name the rebuild would wipe the stored path.
  if (selected && !isBlank(p.text("WEB:PAGENAME")) && !domainMissing())
    p.setText("WEB:PAGEPATH", pagePath());
  p.setText("WEB:PAGEPATH", slashFirstBackslash(p.text("WEB:PAGEPATH")));
  display();
}

void UpdateWebPages::pageNameEvent(bool accepted) {
  RecordBuffer& p = page();
  if (p.text("WEB:PAGENAME") == "1") p.setText("WEB:PAGENAME", "");
  if (accepted && !isBlank(p.text("WEB:DOMAINNAME")) && !isBlank(p.text("WEB:PAGENAME")) &&
      !domainMissing()) {
    if (isBlank(p.text("WEB:PAGEPATH"))) p.setText("WEB:PAGEPATH", pagePath());
    const std::string dir = domain().text("DOM:DEFAULTLOCALDIR");
    if (!isBlank(dir) && isBlank(p.text("WEB:LOCALPATH")))
      p.setText("WEB:LOCALPATH", localPathFor(dir, p.text("WEB:PAGENAME")));
  }
  display();
}

bool UpdateWebPages::takeFieldEvent(Control& c, Event e) {
  if (FormProcedure::takeFieldEvent(c, e)) return true;
  if (e == Event::MouseDown && c.id() == "?PagePathRegion") {
    openPagePath();
    return true;
  }
  if (e != Event::Selected) return false;
  // Focus coming back after a message box or a called window is no new selection.
  const bool fresh = &c != lastSelected_;
  lastSelected_ = &c;
  if (c.isData()) lastData_ = &c;
  if (!fresh || quietFocus_) return false;
  if (c.id() == "?WEB:LOCALPATH")
    localPathEvent(false);
  else if (c.id() == "?WEB:PAGEPATH")
    pagePathEvent(true);
  else if (c.id() == "?WEB:PAGENAME")
    pageNameEvent(false);
  return false;
}

bool UpdateWebPages::takeAccepted(Control& c) {
  if (FormProcedure::takeAccepted(c)) return true;
  const std::string& id = c.id();
  if (id == "?WEB:DOMAINNAME") {
    domainChosen(c);
    return false;
  }
  if (id == "?WEB:LOCALPATH") {
    localPathEvent(true);
    return false;
  }
  if (id == "?WEB:PAGEPATH") {
    pagePathEvent(false);
    return false;
  }
  if (id == "?WEB:PAGENAME") {
    pageNameEvent(true);
    return false;
  }
  if (c.kind() != Kind::Button) return false;
  takeWindowFields();
  if (id == "?Web")
    openPagePath();
  else if (id == "?FileLookup")
    lookUpFiles();
  else if (id == "?AutoRead")
    autoRead();
  else if (id == "?EditPage")
    editPage();
  else if (id == "?BrowserView")
    viewLocalPage();
  else if (id == "?ViewSource")
    viewSource();
  else if (id == "?Help")
    requestHelp("updatewebpages");
  else {
    for (const ViewButton& v : kViews)
      if (id == v.id) callDetailBrowse(v.procedure);
  }
  return true;
}

void UpdateWebPages::openPagePath() { RunShellCommand(window(), page().text("WEB:PAGEPATH")); }

void UpdateWebPages::lookUpFiles() {
  PageFileDialog d{
      "Local Web Pages",
      normalizePath(domain().text("DOM:DEFAULTLOCALDIR")),
      {{"htm,html,shtml,ssi Files", "*.htm;*.html;*.shtml;*.ssi"}, {"ASP Files", "*.asp"}}};
  const std::vector<std::string> files = chooser()(window(), d);
  if (files.empty() || !isRunning()) return;
  // Each chosen file in turn takes the local path: the last one stays.
  page().setText("WEB:LOCALPATH", files.back());
  if (Control* local = control("?WEB:LOCALPATH")) {
    quietFocus_ = true;
    select(*local);
    quietFocus_ = false;
    lastSelected_ = lastData_ = local;
  }
  localPathEvent(false);
  page().setText("WEB:PAGEPATH", slashFirstBackslash(page().text("WEB:PAGEPATH")));
  display();
}

// The page fields an import writes.
const char* const kImportedFields[] = {"WEB:HTMLPAGETITLE", "WEB:FILEDATETIME", "WEB:FILESIZE",
                                       "WEB:PAGEREADDATE",  "WEB:DATA1",        "WEB:DATA2",
                                       "WEB:DATA3",         "WEB:DATA4",        "WEB:DATA5"};

void UpdateWebPages::recordReshown() {
  // A save refused because the page changed elsewhere shows the page as
  // stored now; its detail records are the ones the import wrote, so the
  // page keeps what the import read, and the next OK stores them together.
  for (const auto& [field, value] : imported_) page().setText(field, value);
  if (!imported_.empty()) display();
  enableViewButtons();
}

void UpdateWebPages::autoRead() {
  ++importRuns_;
  const RecordBuffer before = page();
  ParseHtmlFile(ctx_);
  if (!isRunning()) return;
  if (!(page() == before)) {  // stored: an import that failed leaves the page as it was
    imported_.clear();
    for (const char* field : kImportedFields) imported_.emplace_back(field, page().text(field));
  }
  display();
  showProgress();
  enableViewButtons();
}

void UpdateWebPages::callDetailBrowse(const std::string& procedure) {
  callNamedProcedure(*this, procedure, 0, [this](int) {
    display();
    enableViewButtons();
  });
}

void UpdateWebPages::editPage() {
  FileManager& editor = access(FileId::Editor);
  RecordFile& f = editor.file();
  // An empty or unreadable file leaves whatever the buffer holds.
  f.setOrder(-1);
  if (f.seekFirst() == 0) f.next();
  const std::string program = editor.buffer().text("EDI:MYEDITOR");
  *ctx_.htmlEditor = program;
  startCommandLineWith(program, page().text("WEB:LOCALPATH"));
}

void UpdateWebPages::viewLocalPage() {
  if (!locateProgram("hh.exe").empty()) {
    std::string shown = page().text("WEB:LOCALPATH");
    if (shown.size() > 93) shown.resize(93);  // "hh.exe " and the path: 100 at most
    startCommandLineWith("hh.exe", shown);
    return;
  }
  // No help viewer here: the desktop shows the local file instead.
  const std::string path = diskPath(page().text("WEB:LOCALPATH"));
  if (fileExists(path)) RunShellCommand(window(), path);
}

void UpdateWebPages::viewSource() {
  *ctx_.htmlFileName = page().text("WEB:LOCALPATH");
  startCommandLineWith(ctx_.textEditor->str(), ctx_.htmlFileName->str());
}

bool UpdateWebPages::dittoOnDomainList() const {
  QWidget* fw = QApplication::focusWidget();
  Control* c = fw && built() ? built()->byWidget(fw) : nullptr;
  if (c && c->isData()) return c->kind() == Kind::Drop;
  return lastData_ && lastData_->kind() == Kind::Drop;
}

bool UpdateWebPages::takeKey(int key, int modifiers) {
  // The domain list keeps no history.
  if (key == Qt::Key_Apostrophe && (modifiers & Qt::ControlModifier) && dittoOnDomainList())
    return true;
  return FormProcedure::takeKey(key, modifiers);
}

void UpdateWebPages::navigate(Nav nav) {
  if (nav == Nav::Ditto && dittoOnDomainList()) return;
  FormProcedure::navigate(nav);
}

std::unique_ptr<WindowProcedure> makeUpdateWebPages(const WebContext& ctx) {
  return std::make_unique<UpdateWebPages>(ctx);
}

}  // namespace qm::webpages
