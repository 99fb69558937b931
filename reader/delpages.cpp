#include "reader/delpages.h"

#include <QWidget>

#include <string>
#include <utility>
#include <vector>

#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "reader/globals.h"
#include "reader/window.h"
#include "records/layout.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "webdata/import/detailwriter.h"

namespace qm::reader {
namespace {

using records::control;
using records::entry;
using records::prompt;

constexpr int kPasses = 6;
constexpr const char* kTitle = "Delete Web Pages By Domain Name";

// The domain's pages in the order of WEB:NAMES: positions and page records.
std::vector<std::pair<int64_t, RecordBuffer>> domainPages(RecordFile& f, const std::string& domain) {
  const FileDef& def = f.def();
  std::vector<std::pair<int64_t, RecordBuffer>> all;
  // A failed read ends the list where it stopped.
  eachExactMatch(f, def.keyIndex("WEB:NAMES"), def.fieldIndex("WEB:DOMAINNAME"), domain,
                 [&all](int64_t position, const RecordBuffer& record) { all.emplace_back(position, record); });
  return all;
}

}  // namespace

void DeleteDomainPages(const std::function<void()>& redisplay) {
  ProcedureScope scope("DeleteDomainPages");
  const auto show = [&] {
    if (redisplay) redisplay();
  };
  Progress progress;
  progress.set(1);
  FileCount = 0;
  show();
  StatusText = "Working, please be patient.";
  show();
  const std::string domain = domainname.str();  // the run's own copy
  FileManager& fm = access(FileId::WebPages);
  if (!fm.isOpen()) fm.open();  // failures are reported by the manager
  RecordFile& f = fm.file();
  FailureReport report(fm.name(), kDeleteError);
  bool ended = false;
  // Later passes find nothing left: each pass deletes all it lists.
  for (int pass = 0; pass < kPasses && !ended; ++pass) {
    for (auto& [position, page] : domainPages(f, domain)) {
      ++FileCount;
      show();
      std::string readError;
      clearPageDetails(page.text("WEB:PAGEPATH"), [&progress](long n) { progress.advance(n); }, &readError);
      if (!readError.empty() && stopBox(readError, kTitle)) {
        ended = true;
        break;
      }
      progress.advance();
      StatusText = "Processing: " + page.text("WEB:PAGENAME");
      show();
      int rc = f.fetchPosition(position);
      if (rc == 0) rc = f.erase();
      report.check(rc, f.errorText());
    }
  }
  StatusText = "";
  show();
  StatusText = "Finished. Records deleted.";
  show();
}

namespace {

constexpr const char* kDomainStatus =
    "Enter the complete domain name exactly as you registered it,\n"
    "without \"http://www.\" in front of it.\n"
    "For the address http://www.example.com\n"
    "enter example.com";

WindowDef delWindow() {
  WindowDef w;
  w.title = kTitle;
  w.w = 300, w.h = 170;
  w.controls.push_back(control(Kind::Prompt, "?Intro",
                               "Enter the Domain Name whose web pages you wish to delete. Press the TAB key. Then "
                               "press the RUN button. The web pages will then be deleted along with any records in "
                               "related files such as meta, scripts, etc. Wait until process is finished, then CLOSE.",
                               8, 6, 284, 40));
  w.controls.push_back(prompt("Domain Name:", 8, 52, 52));
  ControlDef dom = entry("domainname", "@s50", 62, 52, 200);
  dom.tip = "This is the actual domain name that you have registered.";
  w.controls.push_back(dom);
  w.controls.push_back(prompt("(Press TAB after entry.)", 62, 64, 200));
  ControlDef run = control(Kind::Button, "?Run", "Run Deletions", 8, 80, 70, 14);
  run.disabled = true;
  w.controls.push_back(run);
  ControlDef status = control(Kind::Text, "?StatusText", "", 8, 102, 284, 10);
  status.field = "StatusText", status.picture = "@s100";
  w.controls.push_back(status);
  ControlDef count = control(Kind::Text, "?FileCount", "", 8, 116, 60, 10);
  count.field = "FileCount", count.picture = "@n-14";
  w.controls.push_back(count);
  ControlDef progress = control(Kind::Text, "?ProgressCount", "", 80, 116, 90, 10);
  progress.field = "ProgressCount";
  w.controls.push_back(progress);
  records::addButtons(w, {{"?Close", "Close", Role::Close, "Progm039.ico"}}, 242, 148, 16, 4);
  return w;
}

class DelPages : public WindowProcedure {
 public:
  DelPages() : WindowProcedure("delpages") {
    setDefinition(delWindow());
    useFile(&managedFile(FileId::WebPages), true);
    bindText("domainname", domainname);
    bindDisplay("StatusText", [] { return StatusText.str(); });
    bindDisplay("ProgressCount", [] { return ProgressCount.str(); });
    bindDisplay("FileCount", [] { return std::to_string(FileCount); });
  }

 protected:
  bool takeWindowEvent(Event e) override {
    if (WindowProcedure::takeWindowEvent(e)) return true;
    if (e == Event::OpenWindow) {
      decorate(*this, {{"?Intro", WindowTouch::Wrap}});
      setStatusTip(*this, "?domainname", kDomainStatus);
      domainname = "";
      FileCount = 0;
      StatusText = "";
      display();
      if (Control* run = control("?Run")) run->setEnabled(false);
    }
    return false;
  }

  bool takeAccepted(Control& c) override {
    if (compareNoCase(c.id(), "?domainname") == 0) {
      // Once a domain has been entered the run stays possible.
      if (!domainname.blank())
        if (Control* run = control("?Run")) run->setEnabled(true);
      return false;
    }
    if (compareNoCase(c.id(), "?Run") == 0) {
      takeScreenValues(*this);
      DeleteDomainPages([this] { redisplay(*this); });
      display();
      return true;
    }
    if (c.def().role == Role::Close) {
      close(2);
      return true;
    }
    return WindowProcedure::takeAccepted(c);
  }
};

}  // namespace

std::unique_ptr<WindowProcedure> makeDelPages() { return std::make_unique<DelPages>(); }

}  // namespace qm::reader
