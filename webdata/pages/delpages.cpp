#include "webdata/pages/delpages.h"

#include <QElapsedTimer>
#include <QWidget>

#include <utility>
#include <vector>

#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "records/layout.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/ui/window.h"
#include "runtime/values/text.h"
#include "webdata/import/detailwriter.h"

namespace qm::webpages {

namespace {

using records::control;
using records::entry;
using records::prompt;

constexpr int kPasses = 6;
constexpr const char* kTitle = "Delete Web Pages By Domain Name";

// The detail files in the order their records are deleted, with the key on
// the page path and its field.
struct DetailFile {
  FileId id;
  const char* key;
  const char* path;
};
const DetailFile kDetails[] = {
    {FileId::WPLinks, "WPL:PATHNAME", "WPL:WEBPAGEPATHNAME"}, {FileId::WPScripts, "WPS:PAGENAM", "WPS:WEBPAGEPATHNAME"},
    {FileId::WPForm, "WPF:PAGENAME", "WPF:WEBPAGEPATHNAME"},  {FileId::WPIMG, "WPI:PAGENAME", "WPI:WEBPAGEPATHNAME"},
    {FileId::WPMeta, "WPM:PAGEPATH", "WPM:WEBPAGEPATH"},
};

// The six files in the order the rebuild closes and rebuilds them.
const FileId kRebuildOrder[] = {FileId::WebPages, FileId::WPIMG,  FileId::WPScripts,
                                FileId::WPMeta,   FileId::WPForm, FileId::WPLinks};

int deleted = 0;

void advanceProgress(long by) {
  const long n = std::strtol(ProgressCount.str().c_str(), nullptr, 10);
  ProgressCount = std::to_string(n + by);
}

// Positions of the records whose `field` is exactly `value`, read through `key`.
int matching(RecordFile& f, int key, int field, const std::string& value, std::vector<int64_t>& out) {
  return eachExactMatch(f, key, field, value, [&out](int64_t position, const RecordBuffer&) { out.push_back(position); });
}

std::string deleteErrorText(const FileManager& m, int code) {
  return errors().text(kDeleteError, {.file = m.name(), .errorText = errorTextFor(code)});
}

// Opens a file's store without creating it (a missing file has no keys to
// rebuild) and rebuilds its keys; the outcome is the caller's to ignore.
int rebuildQuietly(FileId id) {
  FileManager& m = access(id);
  RecordFile& f = m.file();
  if (f.isOpen()) return f.rebuildKeys();
  int rc = f.open(m.openMode(), false, m.lockRecovery(), m.def().ownerPassword);
  if (rc == 0) {
    rc = f.rebuildKeys();
    f.close();
  }
  return rc;
}

}  // namespace

int deletedPageCount() { return deleted; }

int DeletePageRows(std::string* error) {
  const std::string pagePath = access(FileId::WebPages).buffer().text("WEB:PAGEPATH");
  for (const DetailFile& d : kDetails) {
    FileManager& m = access(d.id);
    RecordFile& f = m.file();
    std::vector<int64_t> doomed;
    int rc = matching(f, f.def().keyIndex(d.key), f.def().fieldIndex(d.path), pagePath, doomed);
    advanceProgress(static_cast<long>(doomed.size()) + 1);
    // One commit per file; without a batch each delete commits on its own.
    const bool batch = rc == 0 && !doomed.empty() && f.beginBatch() == 0;
    for (std::size_t i = 0; rc == 0 && i < doomed.size(); ++i) {
      rc = f.fetchPosition(doomed[i]);
      if (rc == 0) rc = f.erase();
    }
    if (batch) {
      if (rc == 0) rc = f.commitBatch();
      else f.rollbackBatch();
    }
    if (rc != 0) {
      if (error) *error = deleteErrorText(m, rc);
      return rc;
    }
  }
  return 0;
}

void DeleteDomainPages(const std::function<void()>& redisplay) {
  ProcedureScope scope("DeleteDomainPages");
  const auto show = [&] {
    if (redisplay) redisplay();
  };
  ProgressCount = "1";
  deleted = 0;
  show();
  StatusText = "Working, please be patient.";
  show();

  const std::string domain = domainname.str();  // the run's own copy
  FileManager& pages = access(FileId::WebPages);
  // Opened for this run (failures are reported by the managers).
  pages.open();
  for (const DetailFile& d : kDetails) access(d.id).open();
  RecordFile& f = pages.file();
  const int key = f.def().keyIndex("WEB:NAMES");
  const int domainField = f.def().fieldIndex("WEB:DOMAINNAME");
  bool ended = false;
  // Pages deleted in one pass are gone in the next; each pass reads the
  // domain's pages from its first one, whatever the buffer held before.
  for (int pass = 0; pass < kPasses && !ended; ++pass) {
    f.rebuildKeys();  // not tested: another holder of the file makes it fail harmlessly
    std::vector<int64_t> found;
    if (!domain.empty()) {
      if (const int rc = matching(f, key, domainField, domain, found); rc != 0) {
        ended = stopBox(errors().text(1, {.file = pages.name(), .errorText = errorTextFor(rc)}), kTitle);
        continue;
      }
    }
    for (const int64_t position : found) {
      if (f.fetchPosition(position) != 0) continue;  // deleted by someone else meanwhile
      ++deleted;
      show();
      std::string error;
      if (DeletePageRows(&error) != 0) {
        // The page stays, so its remaining detail records keep their page.
        --deleted;
        if (stopBox(error, kTitle)) {
          ended = true;
          break;
        }
        continue;
      }
      advanceProgress(1);
      StatusText = "Processing: " + f.buffer().text("WEB:PAGENAME");
      show();
      if (const int rc = f.erase(); rc != 0) {
        --deleted;
        if (stopBox(deleteErrorText(pages, rc), kTitle)) {
          ended = true;
          break;
        }
      }
    }
  }
  for (const DetailFile& d : kDetails) access(d.id).close();
  pages.close();
  StatusText = "";
  show();
  StatusText = "Finished. Records deleted.";
  show();
}

namespace {

WindowDef delWindow() {
  WindowDef w;
  w.title = kTitle;
  w.w = 300, w.h = 176;
  const char* const intro[] = {
      "Enter the Domain Name whose web pages you wish to delete. Press the TAB key.",
      "Then press the RUN button. The web pages will then be deleted along with any",
      "records in related files such as meta, scripts, etc. Wait until process is",
      "finished, then CLOSE.",
  };
  int y = 6;
  for (const char* line : intro) {
    w.controls.push_back(prompt(line, 8, y, 288));
    y += 9;
  }
  w.controls.push_back(prompt("Domain Name:", 8, 50, 52));
  ControlDef dom = entry("domainname", "@s50", 62, 50, 200);
  dom.tip = "This is the actual domain name that you have registered.";
  w.controls.push_back(dom);
  w.controls.push_back(prompt("(Press TAB after entry.)", 62, 62, 200));
  ControlDef run = control(Kind::Button, "?Run", "Run Deletions", 8, 80, 70, 14);
  run.disabled = true;
  w.controls.push_back(run);
  w.controls.push_back(prompt("Pages deleted:", 90, 82, 56));
  ControlDef count = control(Kind::Text, "?Count", {}, 148, 82, 60, 10);
  count.field = "DeletedPages", count.picture = "@n-14";
  w.controls.push_back(count);
  ControlDef progress = control(Kind::Text, "?ProgressCount", {}, 8, 104, 90, 10);
  progress.field = "ProgressCount", progress.picture = "@s20";
  w.controls.push_back(progress);
  ControlDef status = control(Kind::Text, "?StatusText", {}, 8, 118, 284, 10);
  status.field = "StatusText", status.picture = "@s100";
  w.controls.push_back(status);
  records::addButtons(w, {{"?Close", "Close", Role::Close, "Progm039.ico", 50}}, 242, 152, 16, 4);
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
    bindDisplay("DeletedPages", [] { return std::to_string(deleted); });
  }

 protected:
  bool takeWindowEvent(Event e) override {
    if (WindowProcedure::takeWindowEvent(e)) return true;
    if (e == Event::OpenWindow) {
      domainname = "";
      deleted = 0;
      StatusText = "";
      display();
      if (Control* run = control("?Run")) run->setEnabled(false);
    }
    return false;
  }

  bool takeAccepted(Control& c) override {
    if (WindowProcedure::takeAccepted(c)) return true;
    if (c.id() == "?domainname") {
      // Once a domain has been entered the run stays possible.
      if (!domainname.blank())
        if (Control* run = control("?Run")) run->setEnabled(true);
      return false;
    }
    if (c.id() == "?Run") {
      if (Control* dom = control("?domainname")) dom->take(nullptr);
      QElapsedTimer shown;
      shown.start();
      DeleteDomainPages([this, &shown] {
        // Repainting every step would cost more than the deletions.
        if (shown.elapsed() < 50) return;
        shown.restart();
        display();
        if (window()) window()->repaint();
      });
      display();
      return true;
    }
    if (c.def().role == Role::Close) {
      close(RequestCancelled);
      return true;
    }
    return false;
  }
};

class RebuildWebPageIndexes : public WindowProcedure {
 public:
  RebuildWebPageIndexes() : WindowProcedure("RebuildWebPageIndexes") {}

 protected:
  void setup() override {
    message("This will rebuild indexes for the following files: |Web Pages|Meta Tags|Scripts|Images|Links|Forms|Press "
            "OK To Start");
    for (FileId id : kRebuildOrder)
      if (access(id).isOpen()) access(id).close();
    // A rebuild that fails passes without a message.
    for (FileId id : kRebuildOrder) rebuildQuietly(id);
    message("Thanks for Waiting.|Press OK to Continue", "Finished");
    close(RequestCompleted);
  }
};

}  // namespace

std::unique_ptr<WindowProcedure> makeDelPages() { return std::make_unique<DelPages>(); }
std::unique_ptr<WindowProcedure> makeRebuildWebPageIndexes() { return std::make_unique<RebuildWebPageIndexes>(); }

}  // namespace qm::webpages
