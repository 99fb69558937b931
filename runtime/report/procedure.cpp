#include "runtime/report/procedure.h"

#include <QEventLoop>
#include <QTimer>
#include <utility>

#include "runtime/config/errors.h"
#include "runtime/config/requests.h"
#include "runtime/report/placement.h"
#include "runtime/report/preview.h"
#include "runtime/store/thread.h"
#include "runtime/report/printer.h"
#include "runtime/report/progress.h"

namespace qm {

namespace {
constexpr int NoRecordsEntry = 22;
}

BatchProcedure::BatchProcedure(std::string name, RecordSource& source)
    : name_(std::move(name)), source_(source) {}

BatchProcedure::~BatchProcedure() {
  // A run still going when its owner goes away ends as cancelled.
  if (running_) {
    cancelled_ = true;
    done_ = nullptr;
    if (timer_) timer_->stop();
    if (progress_) {
      progress_->closingByProgram_ = true;
      progress_->close();
    }
    if (sourceOpen_) {
      if (quickScan) source_.setQuickScan(false);
      source_.close();
    }
    errors().popProcedure();
  }
}

int BatchProcedure::run() {
  bool finished = false;
  int response = RequestCancelled;
  QEventLoop loop;
  start([&](int r) {
    finished = true;
    response = r;
    loop.quit();
  });
  if (!finished) loop.exec();
  return response;
}

void BatchProcedure::start(std::function<void(int)> done) {
  if (running_) return;  // one run at a time per procedure object
  done_ = std::move(done);
  running_ = true;
  cancelled_ = false;
  recordsRead_ = 0;
  errors().pushProcedure(name_);
  thread_ = currentThread();
  request_ = RequestCode;
  RequestCode = 0;
  ResponseCode = 0;

  if (!source_.open()) {
    // The source reported its own failure.
    finish(RequestCancelled);
    return;
  }
  sourceOpen_ = true;

  progress_ = std::make_unique<ProgressWindow>();
  progress_->onCancel([this] { cancel(); });
  progress_->show();
  beginRun();
  setup();
  if (quickScan) source_.setQuickScan(true);
  restorePlacement(*progress_, name_, false);

  reader_ = std::make_unique<BatchReader>([this] { return readOne(); });
  timer_ = std::make_unique<QTimer>();
  timer_->setInterval(0);
  QObject::connect(timer_.get(), &QTimer::timeout, [this] { onTimer(); });
  timer_->start();
}

void BatchProcedure::cancel() { cancelled_ = true; }

bool BatchProcedure::readOne() {
  if (cancelled_ || !source_.next()) return false;
  ++recordsRead_;
  recordStep();
  return true;
}

void BatchProcedure::onTimer() {
  if (!running_ || !timer_->isActive()) return;
  ThreadScope scope(thread_);
  const bool more = !cancelled_ && reader_->runEvent();
  afterEvent();
  progress_->setPercent(source_.percentDone());
  if (more && !cancelled_) return;
  timer_->stop();
  progress_->closingByProgram_ = true;
  savePlacement(*progress_, name_, false);
  progress_->close();
  progress_->onCancel({});
  if (quickScan) source_.setQuickScan(false);
  cleanup();
  source_.close();
  sourceOpen_ = false;
  endOfRun();
}

void BatchProcedure::endOfRun() {
  finish(!cancelled_ && recordsRead_ > 0 ? RequestCompleted : RequestCancelled);
}

void BatchProcedure::finish(int response) {
  if (!running_) return;
  running_ = false;
  errors().popProcedure();
  ResponseCode = static_cast<uint8_t>(response);
  // The last thing: done may end this object's life.
  auto done = std::move(done_);
  done_ = nullptr;
  if (done) done(response);
}

ReportProcedure::ReportProcedure(std::string name, RecordSource& source, ReportLayout layout)
    : ReportProcedure(std::move(name), source, std::move(layout), {}) {}

ReportProcedure::ReportProcedure(std::string name, RecordSource& source, ReportLayout layout,
                                 std::function<bool()> takeRecord)
    : BatchProcedure(std::move(name), source),
      engine_(std::move(layout), reportPaper()),
      pages_(std::make_shared<PageModel>()),
      step_(std::move(takeRecord)) {}

bool ReportProcedure::takeRecord() { return step_ ? step_() : true; }

void ReportProcedure::beginRun() {
  pages_ = std::make_shared<PageModel>();
  engine_.open();
}

void ReportProcedure::recordStep() {
  if (takeRecord()) engine_.printDetail();
}

void ReportProcedure::endOfRun() {
  if (cancelled()) {
    finish(RequestCancelled);
    return;
  }
  if (recordsRead() == 0) {
    errors().raise(NoRecordsEntry);
    finish(RequestCancelled);
    return;
  }
  engine_.close();
  *pages_ = engine_.takeModel();
  if (pages_->pageCount() == 0) {
    finish(RequestCompleted);
    return;
  }
  std::weak_ptr<int> alive = alive_;
  openPreview(pages_, [this, alive] {
    if (!alive.expired()) finish(RequestCompleted);
  });
}

ProcessProcedure::ProcessProcedure(std::string name, RecordSource& source,
                                   std::function<void()> action)
    : BatchProcedure(std::move(name), source), action_(std::move(action)) {
  quickScan = true;
}

bool ProcessProcedure::takeRecord() {
  if (action_) action_();
  return true;
}

}  // namespace qm
