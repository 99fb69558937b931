#include "runtime/report/procedure.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <utility>

#include "runtime/config/errors.h"
#include "runtime/config/requests.h"
#include "runtime/report/placement.h"
#include "runtime/report/preview.h"
#include "runtime/report/printer.h"
#include "runtime/report/progress.h"
#include "runtime/store/thread.h"

namespace qm {

namespace {
constexpr int NoRecordsEntry = 22;
}

BatchProcedure::BatchProcedure(std::string name, RecordSource& source)
    : name_(std::move(name)), source_(source) {}

BatchProcedure::~BatchProcedure() {
  if (threadEnd_ >= 0) removeThreadEndListener(threadEnd_);
  // A run still going when its owner goes away ends as cancelled; the
  // procedure's own cleanup can no longer run here.
  stopRun(false);
}

void BatchProcedure::abandon() { stopRun(true); }

void BatchProcedure::stopRun(bool withCleanup) {
  if (!running_) return;
  cancelled_ = true;
  done_ = nullptr;
  if (timer_) timer_->stop();
  if (progress_) {
    progress_->closingByProgram_ = true;
    progress_->close();
    progress_->onCancel({});
  }
  // A thread that ended first took the source's files with it.
  if (sourceOpen_ && !threadGone_) {
    ThreadScope scope(thread_);
    if (quickScan) source_.setQuickScan(false);
    if (withCleanup) cleanup();
    source_.close();
    sourceOpen_ = false;
  }
  running_ = false;
  errors().popProcedure();
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
  threadGone_ = false;
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
  shownAt_.start();
  beginRun();
  setup();
  if (quickScan) source_.setQuickScan(true);
  restorePlacement(*progress_, name_, false);

  reader_ = std::make_unique<BatchReader>([this] { return readOne(); });
  timer_ = std::make_unique<QTimer>();
  timer_->setInterval(0);
  QObject::connect(timer_.get(), &QTimer::timeout, [this] { onTimer(); });
  timer_->start();
  // The thread's record buffers go when it ends; a run its owner left
  // behind must not read them after that.
  if (threadEnd_ < 0)
    threadEnd_ = addThreadEndListener([this](int ended) {
      if (ended != thread_ || !running_) return;
      threadGone_ = true;
      cancelled_ = true;
      if (timer_) timer_->stop();
    });
}

void BatchProcedure::cancel() { cancelled_ = true; }

bool BatchProcedure::readOne() {
  if (cancelled_ || !source_.next()) return false;
  ++recordsRead_;
  recordStep();
  showProgress();
  return true;
}

// Shown as records are read, not only between timer events: one event may
// read for long, and the window must not stand still meanwhile. The share
// shown never goes back.
void BatchProcedure::showProgress() {
  if (!progress_) return;
  const int p = source_.percentDone();
  if (p <= progress_->percent()) return;
  progress_->setPercent(p);
  progress_->repaint();
}

// Reading starts once the progress window is on screen (or has had a
// moment to get there): what it shows while the work runs must be seen.
bool BatchProcedure::waitingToShow() const {
  constexpr int kShowWaitMs = 1000;
  const QWindow* w = progress_ ? progress_->windowHandle() : nullptr;
  return w && !w->isExposed() && shownAt_.elapsed() < kShowWaitMs;
}

void BatchProcedure::onTimer() {
  if (!running_ || !timer_->isActive()) return;
  if (!cancelled_ && waitingToShow()) return;
  ThreadScope scope(thread_);
  const bool more = !cancelled_ && reader_->runEvent();
  showProgress();
  if (more && !cancelled_) {
    betweenEvents();
    return;
  }
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

ReportProcedure::~ReportProcedure() {
  // A preview that outlives the run stops waiting for more pages.
  pages_->complete = true;
}

void ReportProcedure::beginRun() {
  engine_.open();
  pages_ = engine_.sharedModel();
  previewOpen_ = previewClosed_ = readingEnded_ = false;
}

void ReportProcedure::recordStep() {
  if (takeRecord()) engine_.printDetail();
}

void ReportProcedure::betweenEvents() {
  // A long report shows its first pages without waiting for the last.
  if (!previewOpen_ && pages_->pageCount() > 0) showPages();
}

void ReportProcedure::endOfRun() {
  readingEnded_ = true;
  if (previewOpen_) {
    // What was printed before a cancel stays in the preview, whole.
    engine_.close();
    if (previewClosed_) finish(RequestCancelled);
    return;
  }
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
  if (pages_->pageCount() == 0) {
    finish(RequestCompleted);
    return;
  }
  showPages();
}

void ReportProcedure::showPages() {
  previewOpen_ = true;
  std::weak_ptr<int> alive = alive_;
  QWidget* preview = openPreview(pages_, [this, alive] {
    if (!alive.expired()) previewClosed();
  });
  // While pages are still read, the run's Cancel stays above the preview.
  if (ProgressWindow* progress = progressWindow(); preview && progress && !readingEnded_) {
    progress->winId();
    preview->winId();
    progress->windowHandle()->setTransientParent(preview->windowHandle());
    progress->raise();
    progress->activateWindow();
  }
}

void ReportProcedure::previewClosed() {
  previewClosed_ = true;
  // Closed before the last page came: the reading stops there.
  if (!readingEnded_) {
    cancel();
    return;
  }
  finish(cancelled() ? RequestCancelled : RequestCompleted);
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
