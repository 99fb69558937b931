#include "webdata/import/batchrun.h"

#include <utility>

#include "runtime/config/errors.h"
#include "runtime/config/messages.h"

namespace qm {

namespace {

constexpr int kFrameError = 21;   // "Transaction cancelled"
constexpr int kUpdateFailed = 25;  // "Record was not updated"

std::string pages(long n) { return std::to_string(n) + (n == 1 ? " page" : " pages"); }

}  // namespace

BatchRun::BatchRun(std::vector<FileId> files, std::string caption, std::string done, bool ask)
    : writer_(files), file_(access(files.front()).name()), caption_(std::move(caption)), done_(std::move(done)),
      ask_(ask) {}

BatchRun::~BatchRun() { settle(writer_.commit()); }

bool BatchRun::begin() {
  if (stopped_) return false;
  if (const int rc = writer_.beginPart(); rc != 0) {
    // Written outside a transaction a page could be left half old, half new.
    ++failed_;
    stopped_ = true;
    if (!shown_) {
      shown_ = true;
      errors().raise(kFrameError, {.file = file_, .errorText = errorTextFor(rc)});
    }
    return false;
  }
  return true;
}

bool BatchRun::end(bool ok, const std::string& failure, const std::string& label) {
  if (ok) {
    const int rc = writer_.endPart(true);
    ++pending_;
    pendingLabel_ = label;
    if (rc != 0) return fail(0, settle(rc));
    if (writer_.uncommittedParts() == 0) settle(0);  // the batch was committed
    return true;
  }
  writer_.endPart(false);
  // A writer that takes its whole uncommitted batch back takes the pages
  // before this one with it.
  long lost = 1;
  if (pending_ > 0 && !writer_.inTransaction()) {
    lost += pending_;
    pending_ = 0;
  }
  return fail(lost, failure);
}

bool BatchRun::hold() {
  const std::string failure = settle(writer_.commit());
  return failure.empty() || fail(0, failure);
}

void BatchRun::finish() {
  const std::string failure = settle(writer_.commit());
  if (!failure.empty() && !shown_) {
    shown_ = true;
    message(failure, caption_, MsgIcon::Stop);
  }
}

std::string BatchRun::settle(int rc) {
  if (rc != 0) {
    failed_ += pending_;
    pending_ = 0;
    return errors().text(kUpdateFailed, {.file = file_, .errorText = errorTextFor(rc)});
  }
  stored_ += pending_;
  if (pending_ > 0 && onStored) onStored(pendingLabel_);
  pending_ = 0;
  return {};
}

bool BatchRun::fail(long lost, const std::string& failure) {
  failed_ += lost;
  // Nothing of the run stays uncommitted while the user reads the box.
  const std::string later = settle(writer_.commit());
  if (!shown_) {
    shown_ = true;
    const std::string& text = failure.empty() ? later : failure;
    if (ask_) stopped_ = stopBox(text, caption_);
    else message(text, caption_, MsgIcon::Stop);
  }
  return !stopped_;
}

std::string BatchRun::tally() const {
  if (failed_ == 0) return {};
  return pages(stored_) + " " + done_ + ", " + pages(failed_) + " not " + done_ + ".";
}

}  // namespace qm
