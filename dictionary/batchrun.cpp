#include "dictionary/batchrun.h"

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
  const long before = writer_.uncommittedParts();
  int rc = writer_.endPart(ok);
  if (ok) label_ = label;
  const bool replayed = replaying_ > 0;
  if (replayed) --replaying_;
  if (writesAgain_ && !ok && rc != 0 && before > 0 && !replayed) {
    // The batch went back with this page: its pages are written again, one
    // commit each, before anything is called failed.
    replay_ = replaying_ = before + 1;
    forgiven_ += replay_;
    return true;
  }
  if (ok && rc == 0 && replayed) rc = writer_.commit();
  noteStored();
  if (!ok) return fail(failure);
  if (rc != 0) return fail(errors().text(kUpdateFailed, {.file = file_, .errorText = reason(rc)}));
  return true;
}

long BatchRun::takeReplay() { return std::exchange(replay_, 0); }

bool BatchRun::hold() {
  const int rc = writer_.commit();
  noteStored();
  return rc == 0 || fail(errors().text(kUpdateFailed, {.file = file_, .errorText = reason(rc)}));
}

void BatchRun::finish() {
  const int rc = writer_.commit();
  noteStored();
  if (rc != 0 && !shown_) {
    shown_ = true;
    message(errors().text(kUpdateFailed, {.file = file_, .errorText = reason(rc)}), caption_,
            MsgIcon::Stop);
  }
}

bool BatchRun::fail(const std::string& failure) {
  // Nothing of the run stays uncommitted while the user reads the box.
  const int rc = writer_.commit();
  noteStored();
  if (!shown_) {
    shown_ = true;
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

std::string BatchRun::tally() const {
  if (failed() == 0) return {};
  return pages(stored()) + " " + done_ + ", " + pages(failed()) + " not " + done_ + ".";
}

}  // namespace qm
