#include "reader/readpages.h"

#include <QLabel>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "appkit/layout.h"
#include "dictionary/batchrun.h"
#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "reader/globals.h"
#include "reader/window.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/ui/form.h"
#include "runtime/ui/rundisplay.h"
#include "runtime/ui/window.h"
#include "runtime/values/clock.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"
#include "webdata/import/detailwriter.h"
#include "webdata/scan/scan.h"

namespace qm::reader {
namespace {

constexpr const char* kParseCaption = "Parse HTML File";
constexpr const char* kClearing =
    "Clearing old HTML data before reading in new data. Please be patient.";
constexpr const char* kDriveLetter = "A path with a drive letter cannot be used here.";

const char* const kMarkFields[] = {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4", "WEB:DATA5"};

// ---- the run ------------------------------------------------------------------

void show(const RunShow& redisplay) {
  if (redisplay) redisplay(false);
}

std::string dateAndTime(int32_t day, int32_t time) {
  return formatDate("@d1", day) + " " + formatTime("@t3", time);
}

bool directoryFound(const std::string& dir) {
  const std::string clipped(clip(dir));
  return !clipped.empty() && !hasDriveLetter(clipped) && directoryExists(normalizePath(clipped));
}

void cannotFind(const std::string& dir) {
  std::string text = "Cannot find that directory: " + dir;
  if (hasDriveLetter(dir)) text += std::string("||") + kDriveLetter;
  message(text, "Huh?");
}

// Adds the domain when Domains has no record of it.
void ensureDomain() {
  FileManager& fm = access(FileId::Domains);
  RecordFile& f = fm.file();
  RecordBuffer& b = f.buffer();
  b.clear();
  b.setText("DOM:DOMAINNAME", domainname.clipped());
  b.setText("DOM:DEFAULTLOCALDIR", ReaderLocalDir.clipped());
  b.setText("DOM:DEFAULTWEBPATH", "http://www." + domainname.str());
  const RecordBuffer wanted = b;
  if (f.fetch(f.def().keyIndex("DOM:NAME")) != ErrNotFound) return;
  b = wanted;
  FailureReport report(fm.name(), kInsertError);
  if (!report.check(f.add(), f)) return;
  message(
      "Your domain has been added to the Domains file. |Please update the record when returning to "
      "Quillmark.",
      domainname.str() + " Domain Added");
}

// The files one page touches; the run writes them in batches of pages.
const std::vector<FileId> kRunFiles = {FileId::WebPages, FileId::Domains, FileId::WPIMG,
                                       FileId::WPLinks,  FileId::WPMeta,  FileId::WPForm,
                                       FileId::WPScripts};

// What one run reads: the domain's own directory stays in the window.
struct Run {
  std::string dir;      // the directory read, sub-directory joined
  std::string subName;  // the page names' prefix, "" without a sub-directory
  BatchRun batch{kRunFiles, kParseCaption, "stored"};
};

// Writes the page record of one listed file and its detail records from
// scanned. "" or the page's first failure, in plain words.
std::string writePage(const DirEntry& file, const std::string& path, const ScannedPage& scanned,
                      Run& run, Progress* progress) {
  FileManager& fm = access(FileId::WebPages);
  RecordFile& f = fm.file();
  RecordBuffer& web = f.buffer();
  const std::string pagePath = SiteAddress.str() + "/" + file.name;
  web.setText("WEB:PAGEPATH", pagePath);
  const bool found = f.fetch(f.def().keyIndex("WEB:PATH")) == 0;
  if (!found) {
    // A new page starts blank, whatever the buffer held before.
    web.clear();
    web.setText("WEB:PAGEPATH", pagePath);
  }
  web.setText("WEB:PAGENAME", run.subName.empty() ? file.name : joinName(run.subName, file.name));
  web.setText("WEB:DOMAINNAME", domainname.clipped());
  web.setText("WEB:LOCALPATH", path);
  web.setText("WEB:LOCALDEFAULTDIRECTORY", run.dir);
  web.setText("WEB:FILEDATETIME", dateAndTime(file.day, file.time));
  web.setInteger("WEB:FILESIZE", file.size);
  web.setText("WEB:PAGEREADDATE", dateAndTime(today(), clockTime()));
  for (const char* mark : kMarkFields) web.setText(mark, "");

  const PageFacts page = pageFactsOf(web);  // the path as cut to its field
  std::string failure;
  const auto advance = [progress](long n) {
    if (progress) progress->advance(n);
  };
  if (writePageDetails(scanned, page, advance, &failure, !found)) {
    if (scanned.hasTitle) web.setText("WEB:HTMLPAGETITLE", scanned.title);
    for (std::size_t i = 0; i < scanned.marks.size(); ++i)
      if (scanned.marks[i]) web.setText(kMarkFields[i], "Y");
    // Written for every file read, an empty one too: its marks, size and
    // date then say what the file holds now.
    FailureReport(fm.name(), found ? kUpdateError : kInsertError, &failure)
        .check(found ? f.put() : f.add(), f);
  }
  return failure;
}

// One listed file into its page record and detail records, all of them or
// none. False when the run ends.
bool readOne(const DirEntry& file, Run& run, Progress& progress) {
  const std::string path = joinName(run.dir, file.name);
  HtmlFileName = path;
  ++FileCount;
  LineCounter = 1;

  // The page's lines stay in memory: no work file is written beside the data.
  WorkFileName = std::to_string(clockTime()) + ".txt";
  std::string error;
  auto scanned = std::make_shared<ScannedPage>(scanPageFile(path, &error));
  progress.advance(scanned->progressSteps);
  LineCounter += static_cast<double>(scanned->scannedLines);

  // A page written again (its batch failed to commit) is read again from
  // its file: the batch keeps no page's bytes.
  const bool goOn = run.batch.page(
      [file, path, scanned, error, &run, &progress]() mutable -> std::string {
        if (!error.empty()) return HtmlFileName.str() + "||" + error;  // not stored
        if (!scanned) {
          std::string again;
          const ScannedPage reread = scanPageFile(path, &again);
          return again.empty() ? writePage(file, path, reread, run, nullptr) : path + "||" + again;
        }
        std::string failure = writePage(file, path, *scanned, run, &progress);
        scanned.reset();
        return failure;
      },
      HtmlFileName.str());
  ProgressCount = "";
  HtmlFileName = "";
  return goOn;
}

}  // namespace

void ReadAllPages(const RunShow& redisplay) {
  ProcedureScope scope("ReadAllPages");
  if (ReadConfirmed.blank()) {
    if (message("Are you sure you wish to read in the Web Pages?", "Reading Confirmation",
                MsgIcon::Exclamation, BtnYes | BtnNo, BtnYes) != BtnYes) {
      ReadConfirmed = "";
      return;
    }
    ReadConfirmed = "Y";
  }
  FileCount = 0;
  StatusText = "";
  show(redisplay);
  if (domainname.blank() || ReaderLocalDir.blank()) {
    message("Cannot continue. Need both Domain Name and Local Directory Path.", "ERROR:Need Data");
    ReadConfirmed = "";
    return;
  }

  ProbeDir = ReaderLocalDir.view();
  if (!directoryFound(ReaderLocalDir.str())) {
    cannotFind(ReaderLocalDir.str());
    return;
  }
  StatusText = "";
  // The sub-directory is joined for this run only: the window keeps the
  // domain's own directory for the next run.
  Run run;
  run.subName = ReaderSubDir.str();
  run.dir = run.subName.empty() ? normalizePath(ReaderLocalDir.str())
                                : joinPath(ReaderLocalDir.str(), run.subName);
  ProbeDir = run.dir;
  if (!directoryFound(run.dir)) {
    cannotFind(ProbeDir.str());
    return;
  }

  StatusText = "";
  SiteAddress = run.subName.empty() ? "http://www." + domainname.str()
                                    : "http://www." + domainname.str() + "/" + run.subName;
  StatusText = "Preparing to read pages...";
  show(redisplay);
  // The store keeps every key current as records change: there is nothing to
  // rebuild before or after the run.
  for (FileId id : kRunFiles)
    if (!access(id).isOpen()) access(id).open();  // failures are reported by the managers

  Progress progress;
  progress.set(1);
  progress.advance();
  StatusText = kClearing;
  show(redisplay);

  ensureDomain();

  std::string listError;
  const std::vector<DirEntry> files = listHtmlFiles(run.dir, &listError);
  if (!listError.empty())
    message("The directory " + run.dir + " could not be listed.||" + listError, "Huh?");
  // A page is shown as read once it is on the disk, not before.
  run.batch.onStored = [&redisplay](const std::string& last) {
    StatusText = last + " " + " file reading done.";
    show(redisplay);
  };
  bool goOn = true, stopped = false;
  for (auto it = files.rbegin(); goOn && it != files.rend(); ++it) {
    goOn = readOne(*it, run, progress);
    stopped = goOn && !run.batch.show(redisplay);
    goOn = goOn && !stopped;
  }
  if (!goOn) {
    run.batch.hold();
    HtmlFileName = "";
    ProgressCount = "";
  } else {
    run.batch.finish();
  }
  // File Count, the status line and the closing box say what is on the disk.
  if (run.batch.failed() || stopped) FileCount = static_cast<int32_t>(run.batch.stored());
  if (stopped) {
    // Stopped from the window: it stays open and says what was stored.
    StatusText = "Reading stopped. " + run.batch.count();
    show(redisplay);
    return;
  }
  if (!goOn) {
    // No closing message for a run ended early; the status line counts.
    if (run.batch.failed()) StatusText = "Reading ended. " + run.batch.tally();
    show(redisplay);
    return;
  }
  if (run.batch.failed() && run.batch.stored() == 0) {
    StatusText = "Reading ended. " + run.batch.tally();
    show(redisplay);
    message("No page was stored." + run.batch.tallyLine(), kParseCaption);
    return;
  }
  message("HTML file read done." + run.batch.tallyLine(), kParseCaption);
}

// ---- the window ---------------------------------------------------------------

namespace {

WindowDef readWindow() {
  WindowDef w;
  w.title = "Read Multiple Web Pages";
  w.icon = "qm.ico";
  w.w = 400, w.h = 262;
  w.controls.push_back(control(Kind::Group, "?Steps", "", 6, 4, 388, 26));
  ControlDef bulb = control(Kind::Image, "?Bulb", "", 6, 4, 16, 16, "?Steps");
  bulb.icon = "litebulb.ico";
  w.controls.push_back(bulb);
  w.controls.push_back(
      control(Kind::Prompt, "?Simple", "Do These Simple Steps:", 28, 8, 200, 10, "?Steps"));
  w.controls.push_back(prompt("Step 1:", 10, 36, 30));
  w.controls.push_back(prompt("Enter the Domain Name that you wish to read in:", 42, 36, 240));
  w.controls.push_back(prompt(
      "Do steps 1, 2 && 4 for the main directory. Then add the subdirectories (step 3) as needed.",
      42, 46, 350));
  w.controls.push_back(prompt("File Count:", 290, 36, 44));
  w.controls.push_back(shown("FileCount", "@n-14", 336, 37, 56));
  w.controls.push_back(prompt("Domain Name:", 42, 60, 70));
  ControlDef dom = entry("domainname", "@s50", 114, 60, 200);
  dom.tip = "Enter just the domain name.  An example would be:\nexample.com";
  w.controls.push_back(dom);
  w.controls.push_back(prompt("Reading File:", 42, 74, 70));
  w.controls.push_back(shown("HtmlFileName", "@s80", 114, 75, 278));
  w.controls.push_back(prompt("Step 2:", 10, 92, 30));
  w.controls.push_back(
      prompt("Enter the LOCAL directory where the pages are stored:", 42, 92, 300));
  w.controls.push_back(prompt("Default Local Dir:", 42, 106, 70));
  ControlDef local = entry("ReaderLocalDir", "@s80", 114, 106, 278);
  local.tip = "Be sure to include drive letter in path.";
  w.controls.push_back(local);
  ControlDef go = control(Kind::Button, "?GO", "GO!", 42, 122, 50, 14);
  go.tip = "Pressing this button will start the process of reading in your pages.";
  w.controls.push_back(go);
  w.controls.push_back(
      prompt("(Press the GO button to begin reading in your files.)", 98, 124, 250));
  w.controls.push_back(prompt("OPTIONAL Sub Directory:", 42, 172, 90));
  ControlDef sub = entry("ReaderSubDir", "@s30", 134, 172, 120);
  sub.tip =
      "This is an OPTIONAL sub directory where more HTML files\nmay be stored.  Add this sub "
      "directory AFTER you\n"
      "have read in the main directory files, and BEFORE you exit this window.";
  w.controls.push_back(sub);
  w.controls.push_back(shown("ProgressCount", "", 300, 124, 92));
  w.controls.push_back(prompt("Step 3:", 10, 144, 30));
  w.controls.push_back(prompt(
      "Enter an OPTIONAL sub directory where other html files may be stored:", 42, 144, 340));
  w.controls.push_back(prompt("Step 4:", 10, 158, 30));
  w.controls.push_back(shown("StatusText", "@s100", 42, 190, 350));
  w.controls.push_back(
      prompt("Use this Reader program when reading a site for the first time. Existing webpage "
             "records for the domain will be overwritten!",
             10, 206, 384));
  qm::addButtons(w,
                 {{"?OK", "OK", Role::Ok},
                  {"?Close", "Close", Role::Close, "Progm039.ico"},
                  {"?Help", "Help", Role::Help}},
                 232, 240, 16, 4);
  return w;
}

constexpr const char* kLocalDirStatus =
    "This is the default local directory where HTL pages are kept.\n"
    "Be sure to include the complete path including drive letter of\n"
    "the path.\n"
    "This path will used in the Web Pages file.";

class ReadPages : public FormProcedure {
 public:
  ReadPages() : FormProcedure("readpages", readWindow(), FormDef{}, &managedFile(FileId::Con)) {
    useFile(&managedFile(FileId::Domains));
    bindText("domainname", domainname);
    bindText("ReaderLocalDir", ReaderLocalDir);
    bindText("ReaderSubDir", ReaderSubDir);
    bindText("HtmlFileName", HtmlFileName);
    bindText("ProgressCount", ProgressCount);
    bindText("StatusText", StatusText);
    bindDisplay("FileCount", [] { return std::to_string(FileCount); });
  }

 protected:
  bool takeWindowEvent(Event e) override {
    if (FormProcedure::takeWindowEvent(e)) return true;
    if (e == Event::OpenWindow) {
      decorate(*this, {{"?Simple", WindowTouch::Bold}, {"?Bulb", WindowTouch::Picture}});
      setStatusTip(*this, "?ReaderLocalDir", kLocalDirStatus);
      domainname = "";
      ReaderLocalDir = "";
      ReaderSubDir = "";
      looked_ = "";
      display();
    }
    return false;
  }

  bool takeAccepted(Control& c) override {
    const std::string& id = c.id();
    if (compareNoCase(id, "?domainname") == 0) {
      if (domainname.str() != looked_) lookUpDomain();
      return false;
    }
    if (compareNoCase(id, "?GO") == 0) {
      takeScreenValues(*this);
      RunDisplay shown(*this);
      ReadAllPages(shown.callback());
      display();
      if (Control* close = control("?Close")) select(*close);
      return true;
    }
    if (c.def().role == Role::Ok) {
      close(RequestCompleted);  // nothing is saved to the control file
      return true;
    }
    if (c.def().role == Role::Close) {
      close(RequestCancelled);
      return true;
    }
    return FormProcedure::takeAccepted(c);
  }

 private:
  void lookUpDomain() {
    looked_ = domainname.str();
    FileManager& fm = access(FileId::Domains);
    fm.buffer().setText("DOM:DOMAINNAME", domainname.clipped());
    if (fm.tryFetch(fm.def().keyIndex("DOM:NAME")) == ErrNotFound) return;
    ReaderLocalDir = fm.buffer().text("DOM:DEFAULTLOCALDIR");
    display();
  }

  std::string looked_;
};

}  // namespace

std::unique_ptr<WindowProcedure> makeReadPages() { return std::make_unique<ReadPages>(); }

}  // namespace qm::reader
