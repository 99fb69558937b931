#include "webdata/reports/changes.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QString>
#include <chrono>
#include <thread>
#include <utility>

#include "dictionary/dictionary.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/report/progress.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"
#include "webdata/import/detailwriter.h"

namespace qm::webreports {

namespace {

SourceSpec pagesOfDomain() {
  return {FileId::WebPages, "WEB:NAMES", 1, "web:domainname=clip(domainname)", "", "WEB:PAGENAME"};
}

const char* procedureName(DomainChange k) {
  return k == DomainChange::LocalPath ? "ChgLoPath" : "ChgLoPath1";
}

}  // namespace

class DomainChangeRun::Procedure : public ProcessProcedure {
 public:
  Procedure(DomainChangeRun& owner)
      : ProcessProcedure(procedureName(owner.kind_), owner.source_,
                         [&owner] { owner.takeRecord(); }),
        owner_(owner) {}

 protected:
  void setup() override {
    ProgressWindow* p = progressWindow();
    if (!p) return;
    p->setWindowTitle(QStringLiteral("Processing Records"));
    p->setText(2, QStringLiteral("Changing Local Path"));
    p->setText(3, QStringLiteral("0% Completed"));
  }
  void beginRun() override {
    // The domain record goes with the pages: open it for the run.
    if (owner_.kind_ == DomainChange::LocalPath) domainsOpen_ = relate(FileId::Domains).open() == 0;
    std::vector<FileId> files{FileId::WebPages};
    if (domainsOpen_) files.push_back(FileId::Domains);
    owner_.batch_ = std::make_unique<BatchRun>(files, "Processing Records", "changed");
    // Another program may hold the files: the progress window (its Cancel)
    // answers while the run waits for them.
    owner_.batch_->waitForFiles([this] {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      return !cancelled();
    });
  }
  // The pages an event changed commit together; nothing is held between events.
  void betweenEvents() override {
    if (owner_.batch_) owner_.batch_->hold();
  }
  void cleanup() override {
    if (owner_.batch_) {
      owner_.batch_->finish();  // commits what a cancel left
      // The run ends without a word unless pages could not be changed.
      if (owner_.batch_->failed()) message(owner_.batch_->tally(), "Processing Records");
    }
    owner_.batch_.reset();
    if (domainsOpen_) relate(FileId::Domains).close();
    domainsOpen_ = false;
  }

 private:
  DomainChangeRun& owner_;
  bool domainsOpen_ = false;
};

DomainChangeRun::DomainChangeRun(DomainChange kind, const WebContext& ctx)
    : kind_(kind), ctx_(ctx), source_(pagesOfDomain()) {
  procedure_ = std::make_unique<Procedure>(*this);
}

DomainChangeRun::~DomainChangeRun() { procedure_.reset(); }

void DomainChangeRun::takeGlobals() {
  domain_ = ctx_.domain->str();
  newDir_ = ctx_.newLocalDir->str();
  runFlag_ = 0;
  source_.setRangeValues({domain_});
  source_.setRunName("domainname", domain_);
}

int DomainChangeRun::run() {
  takeGlobals();
  return procedure_->run();
}

void DomainChangeRun::start(std::function<void(int)> done) {
  takeGlobals();
  procedure_->start(std::move(done));
}

void DomainChangeRun::takeRecord() {
  FileManager& pages = access(FileId::WebPages);
  RecordFile& file = pages.file();
  // No directory: no page would name its file. The window refuses it too.
  if (kind_ == DomainChange::LocalPath && newDir_.empty()) return;
  if (!batch_) {
    procedure_->cancel();
    return;
  }
  if (batch_->stopped()) {
    // The run goes on to the end of the domain only to count what it did not change.
    batch_->notTried();
    return;
  }
  // The page as the run found it: a page written again after a failed
  // commit is changed from these, not from where the source has moved on.
  const bool ofDomain = textEqual(domain_, source_.record().text("WEB:DOMAINNAME"));
  const int64_t position = source_.position();
  const std::string pageName = source_.record().text("WEB:PAGENAME");
  const bool domainDue = kind_ == DomainChange::LocalPath && runFlag_ != 1;
  if (domainDue) runFlag_ = 1;
  const long failedBefore = batch_->failed();
  // A page that stops the run: the pages after it are counted above.
  batch_->page(
      [this, &pages, &file, ofDomain, position, domainDue] {
        // The first failure of the page, in plain words: the page then stays as it was.
        std::string failure;
        if (ofDomain) {
          int rc = file.fetchPosition(position);
          if (rc == 0) {
            RecordBuffer& b = file.buffer();
            if (kind_ == DomainChange::LocalPath) {
              b.setText("WEB:LOCALPATH", joinPath(newDir_, b.text("WEB:PAGENAME")));  // cut
              b.setText("WEB:LOCALDEFAULTDIRECTORY", newDir_);
            } else {
              b.setText("WEB:USENOW", "Y");
            }
            rc = file.put();
          }
          if (rc == ErrNotFound) rc = 0;  // deleted under the run: nothing to change
          FailureReport(pages.name(), kUpdateError, &failure).check(rc, file);
        }
        if (domainDue && failure.empty()) {
          FileManager& dm = access(FileId::Domains);
          RecordFile& domains = dm.file();
          domains.buffer().clear();
          domains.buffer().setText("DOM:DOMAINNAME", domain_);
          if (domains.fetch(fileDef(FileId::Domains).keyIndex("DOM:NAME")) == 0) {
            domains.buffer().setText("DOM:DEFAULTLOCALDIR", newDir_);
            FailureReport(dm.name(), kUpdateError, &failure).check(domains.put(), domains);
          }
        }
        return failure;
      },
      pageName);
  // Taken back, the domain record is written with the next page.
  if (domainDue && batch_->failed() > failedBefore) runFlag_ = 0;
}

}  // namespace qm::webreports
