#include "webdata/pages/domaindelete.h"

#include <QWidget>
#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "appkit/layout.h"
#include "dictionary/batchrun.h"
#include "dictionary/datafile_adapter.h"
#include "dictionary/dictionary.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/rundisplay.h"
#include "runtime/ui/window.h"
#include "webdata/import/detailwriter.h"

namespace qm {

namespace {

using qm::control;
using qm::entry;
using qm::prompt;

constexpr int kPasses = 6;
constexpr int kChunk = 500;  // pages listed at a time
constexpr const char* kTitle = "Delete Web Pages By Domain Name";
const std::vector<FileId> kFiles = {FileId::WebPages, FileId::WPLinks, FileId::WPScripts,
                                    FileId::WPForm,   FileId::WPIMG,   FileId::WPMeta};

// The count starts at 1 on the screen, but that 1 is the first record
// processed, not one before it.
void advance(FixedText<20>& progress, long& processed, long by) {
  processed += by;
  progress = std::to_string(std::max(1L, processed));
}

}  // namespace

void deleteDomainPages(const DomainDeleteSpec& spec, const RunShow& redisplay) {
  ProcedureScope scope("DeleteDomainPages");
  const auto show = [&] {
    if (redisplay) redisplay(false);
  };
  *spec.progress = "1";
  *spec.count = 0;
  show();
  *spec.status = "Working, please be patient.";
  show();
  const std::string domain = spec.domain->str();  // the run's own copy
  if (domain.empty()) {
    *spec.status = "No domain name entered: no pages deleted.";
    show();
    return;
  }
  for (FileId id : kFiles)
    if (!access(id).isOpen()) access(id).open();  // failures are reported by the managers
  FileManager& pages = access(FileId::WebPages);
  RecordFile& f = pages.file();
  const int key = f.def().keyIndex("WEB:NAMES");
  RecordBuffer probe(f.def());
  probe.setText("WEB:DOMAINNAME", domain);
  bool ended = false, stopped = false;  // stopped: from the window
  long processed = 0;                   // records read for the progress count
  BatchRun batch(kFiles, kTitle, "deleted");
  std::set<int64_t> failed;  // pages that could not go: not tried again by later passes
  // Pages deleted in one pass are gone in the next: later passes find nothing.
  for (int pass = 0; pass < kPasses && !ended; ++pass) {
    std::vector<std::pair<int64_t, RecordBuffer>> chunk;
    RecordBuffer last(f.def());
    int64_t lastPos = 0;
    bool first = true;
    for (;;) {
      // The domain's key range: letter case and trailing blanks do not count.
      const int rc = f.readPage(key, first ? nullptr : &last, lastPos, true, kChunk, chunk,
                                KeyRange{1}, &probe);
      if (rc != 0) {
        ended = !batch.hold() ||
                stopBox(errors().text(1, {.file = pages.name(), .errorText = errorTextFor(rc)}),
                        kTitle);
        break;
      }
      if (chunk.empty()) break;
      for (const auto& [position, page] : chunk) {
        if (failed.count(position)) continue;
        const std::string pagePath = page.text("WEB:PAGEPATH");
        const std::string pageName = page.text("WEB:PAGENAME");
        bool fresh = true;  // a page written again is not counted again
        ended = !batch.page(
            [&, position, pagePath, pageName, fresh]() mutable {
              std::string failure;
              const auto counted = [&](long n) {
                if (fresh) advance(*spec.progress, processed, n);
              };
              bool ok = clearPageDetails(pagePath, counted, &failure);
              counted(1);
              fresh = false;
              *spec.status = "Processing: " + pageName;
              if (ok) {
                int gone = f.fetchPosition(position);
                if (gone == 0) gone = f.erase();
                FailureReport(pages.name(), kDeleteError, &failure).check(gone, f);
              }
              if (!failure.empty()) failed.insert(position);
              return failure;
            },
            pageName);
        // The counter shows the pages gone or on their way; a failure takes its own back.
        *spec.count = static_cast<int32_t>(batch.stored() + batch.pending());
        if (!ended && !batch.show(redisplay)) ended = stopped = true;
        if (ended) break;
      }
      if (ended || chunk.size() < static_cast<std::size_t>(kChunk)) break;
      last = chunk.back().second;
      lastPos = chunk.back().first;
      first = false;
    }
  }
  batch.finish();
  *spec.count = static_cast<int32_t>(batch.stored());
  *spec.status = "";
  show();
  *spec.status = "Finished. Records deleted. Pages deleted: " + std::to_string(*spec.count);
  if (batch.failed()) *spec.status = (ended ? "Stopped. " : "Finished. ") + batch.tally();
  if (stopped && !batch.failed())
    *spec.status = "Stopped. Pages deleted: " + std::to_string(*spec.count);
  show();
  BrowseProcedure::refreshAllOf(fileDef(FileId::WebPages).label);
}

namespace {

WindowDef deleteWindow(const DomainDeleteSpec& spec) {
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
  ControlDef count = control(Kind::Text, spec.countId, {}, 148, 82, 60, 10);
  count.field = "DeletedPages", count.picture = "@n-14";
  w.controls.push_back(count);
  w.controls.push_back(prompt("Records processed:", 8, 104, 70));
  w.controls.push_back(shown("ProgressCount", "@s20", 80, 104, 90));
  w.controls.push_back(shown("StatusText", "@s100", 8, 118, 284));
  qm::addButtons(w, {{"?Close", "Close", Role::Close, "Progm039.ico", 50}}, 242, 152, 16, 4);
  return w;
}

class DomainDeleteWindow : public WindowProcedure {
 public:
  explicit DomainDeleteWindow(const DomainDeleteSpec& spec)
      : WindowProcedure("delpages"), spec_(spec) {
    setDefinition(deleteWindow(spec_));
    useFile(&managedFile(FileId::WebPages), true);
    bindText("domainname", *spec_.domain);
    bindDisplay("StatusText", [this] { return spec_.status->str(); });
    bindDisplay("ProgressCount", [this] { return spec_.progress->str(); });
    bindDisplay("DeletedPages", [this] { return std::to_string(*spec_.count); });
  }

 protected:
  bool takeWindowEvent(Event e) override {
    if (WindowProcedure::takeWindowEvent(e)) return true;
    if (e == Event::OpenWindow) {
      if (Control* c = control("?domainname"); c && c->widget() && !spec_.domainStatus.empty())
        c->widget()->setStatusTip(QString::fromStdString(spec_.domainStatus));
      *spec_.domain = "";
      *spec_.count = 0;
      *spec_.status = "";
      display();
      if (Control* run = control("?Run")) run->setEnabled(false);
    }
    return false;
  }

  bool takeAccepted(Control& c) override {
    if (WindowProcedure::takeAccepted(c)) return true;
    if (compareNoCase(c.id(), "?domainname") == 0) {
      // Once a domain has been entered the run stays possible.
      if (!spec_.domain->blank())
        if (Control* run = control("?Run")) run->setEnabled(true);
      return false;
    }
    if (compareNoCase(c.id(), "?Run") == 0) {
      if (Control* dom = control("?domainname")) dom->take(nullptr);
      RunDisplay shown(*this);
      deleteDomainPages(spec_, shown.callback());
      display();
      return true;
    }
    if (c.def().role == Role::Close) {
      close(RequestCancelled);
      return true;
    }
    return false;
  }

 private:
  const DomainDeleteSpec spec_;  // a copy: the window outlives its maker's
};

}  // namespace

std::unique_ptr<WindowProcedure> makeDomainDeleteWindow(const DomainDeleteSpec& spec) {
  return std::make_unique<DomainDeleteWindow>(spec);
}

}  // namespace qm
