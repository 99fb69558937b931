#include "dictionary/batchrun.h"

#include <chrono>
#include <utility>

#include "runtime/config/errors.h"
#include "runtime/config/messages.h"

namespace qm {

namespace {

constexpr int kFrameError = 21;    // "Transaction cancelled"
constexpr int kUpdateFailed = 25;  // "Record was not updated"

std::string pages(long n) { return std::to_string(n) + (n == 1 ? " page" : " pages"); }

}  // namespace

BatchRun::BatchRun(std::vector<FileId> files, std::string caption, std::string done, bool ask)
    : writer_(files),
      file_(access(files.front()).name()),
      caption_(std::move(caption)),
      done_(std::move(done)),
      lockRecovery_(writer_.lockWait()),
      ask_(ask) {}

BatchRun::~BatchRun() = default;  // the writer commits what is done

std::string BatchRun::reason(int rc) const {
  const std::string detail = writer_.errorDetail();
  return detail.empty() ? errorTextFor(rc) : errorTextFor(rc) + " - " + detail;
}

void BatchRun::noteStored() {
  if (writer_.storedParts() == seen_) return;
  seen_ = writer_.storedParts();
  if (onStored) onStored(label_);
}

bool BatchRun::begin() {
  if (stopped_) return false;
  if (const int rc = writer_.beginPart(); rc != 0) {
    // The page may not be written outside a transaction: the run stops.
    stopped_ = true;
    if (!shown_) {
      shown_ = true;
      errors().raise(kFrameError, {.file = file_, .errorText = reason(rc)});
    }
    return false;
  }
  return true;
}

bool BatchRun::end(bool ok, const std::string& failure, const std::string& label) {
  const int rc = writer_.endPart(ok);
  if (ok) label_ = label;
  noteStored();
  if (!ok) return fail(failure);
  if (rc != 0) return fail(commitFailure(rc, label));
  return true;
}

std::string BatchRun::commitFailure(int rc, const std::string& label) const {
  const std::string text = errors().text(kUpdateFailed, {.file = file_, .errorText = reason(rc)});
  return label.empty() ? text : label + "||" + text;
}

bool BatchRun::page(Work work, const std::string& label) {
  if (!begin()) return false;
  const int failedBefore = writer_.failedParts();
  const std::string failure = work();
  const bool ok = failure.empty();
  const int rc = writer_.endPart(ok);
  const long lost = writer_.failedParts() - failedBefore;  // this page among them
  if (lost > 1) {
    // The batch went with this page: its pages, this one last, are written
    // again before anything is called failed.
    std::vector<Kept> again = std::exchange(kept_, {});
    if (static_cast<long>(again.size()) != lost - 1)
      again.clear();  // not all kept: they stay failed
    again.push_back({std::move(work), label});
    writeAgain(std::move(again));
    return !stopped_;
  }
  if (ok && lost == 0) label_ = label;
  if (writer_.uncommittedParts() == 0)
    kept_.clear();  // on the disk, or gone with the page
  else if (ok && lost == 0)
    kept_.push_back({std::move(work), label});
  noteStored();
  if (lost == 0) return true;
  return fail(ok ? commitFailure(rc, label) : failure);
}

void BatchRun::writeAgain(std::vector<Kept> pages) {
  forgiven_ += static_cast<long>(pages.size());
  for (Kept& k : pages) {
    if (stopped_ || !begin()) {
      --forgiven_;  // not tried: it stays failed
      continue;
    }
    const std::string failure = k.work();
    const bool ok = failure.empty();
    int rc = writer_.endPart(ok);
    if (ok && rc == 0) rc = writer_.commit();
    if (ok && rc == 0) label_ = k.label;
    noteStored();
    if (!ok)
      fail(failure);
    else if (rc != 0)
      fail(commitFailure(rc, k.label));
  }
}

int BatchRun::commitKept(bool pause) {
  const int failedBefore = writer_.failedParts();
  const int rc = pause ? writer_.pause() : writer_.commit();
  const long lost = writer_.failedParts() - failedBefore;
  std::vector<Kept> again = std::exchange(kept_, {});
  if (lost > 0 && static_cast<long>(again.size()) == lost) {
    writeAgain(std::move(again));
    return 0;
  }
  noteStored();
  return lost > 0 ? rc : 0;
}

bool BatchRun::show(const std::function<bool(bool free)>& show) {
  if (!show) return true;
  const bool free = writer_.uncommittedParts() == 0 && !stopped_ && hold();
  return show(free);
}

void BatchRun::waitForFiles(const std::function<bool()>& answer) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(lockRecovery_);
  for (;;) {
    const int rc = writer_.beginBatch(0);
    if (rc != ErrLocked && rc != ErrAccessDenied) return;  // free, or refused for good
    if (std::chrono::steady_clock::now() >= until || !answer()) break;
  }
  writer_.setBeginWait(0);  // waited long enough
}

bool BatchRun::hold() {
  // The connection stays: what it read stays cached for the next page.
  const int rc = commitKept(true);
  if (rc == 0) return !stopped_;
  return fail(errors().text(kUpdateFailed, {.file = file_, .errorText = reason(rc)}));
}

void BatchRun::finish() {
  const int rc = commitKept();
  if (rc != 0 && !shown_) {
    shown_ = true;
    message(errors().text(kUpdateFailed, {.file = file_, .errorText = reason(rc)}), caption_,
            MsgIcon::Stop);
  }
}

bool BatchRun::fail(const std::string& failure) {
  // The first failure is the one named, even when pages written again
  // below fail too.
  const bool show = !shown_;
  shown_ = true;
  // Nothing of the run stays uncommitted while the user reads the box.
  const int rc = commitKept();
  if (show) {
    const std::string text =
        failure.empty() ? errors().text(kUpdateFailed, {.file = file_, .errorText = reason(rc)})
                        : failure;
    if (ask_)
      stopped_ = stopBox(text, caption_);
    else
      message(text, caption_, MsgIcon::Stop);
  }
  return !stopped_;
}

std::string BatchRun::count() const {
  return failed() ? tally() : pages(stored()) + " " + done_ + ".";
}

std::string BatchRun::tally() const {
  if (failed() == 0) return {};
  return pages(stored()) + " " + done_ + ", " + pages(failed()) + " not " + done_ + ".";
}

}  // namespace qm
