#include "dictionary/batchwriter.h"

#include <utility>

namespace qm {

namespace {
int gParts = 1000, gMillis = 1000;
int gBeginWait = -1;
}  // namespace

void BatchWriter::setBeginWaitForTests(int seconds) { gBeginWait = seconds; }

void BatchWriter::setCommitEvery(int parts, int millis) {
  gParts = parts;
  gMillis = millis;
}

BatchWriter::BatchWriter(std::vector<FileId> files)
    : files_(std::move(files)), partsPerCommit_(gParts), millisPerCommit_(gMillis) {}

BatchWriter::~BatchWriter() {
  if (inPart_) endPart(false);
  commit();
  allowWrites();
}

void BatchWriter::allowWrites() {
  if (!refused_) return;
  refused_ = false;
  for (FileId id : files_) access(id).file().refuseWrites(0);
}

int BatchWriter::lockWait() const {
  return gBeginWait >= 0 ? gBeginWait : access(files_.front()).lockRecovery();
}

int BatchWriter::beginBatch(int waitSeconds) {
  if (tx_.active() && tx_.paused()) return tx_.resume();  // a failed resume ends it
  if (tx_.active()) return 0;
  std::vector<const RecordFile*> list;
  for (FileId id : files_) list.push_back(&access(id).file());
  const int wait = waitSeconds >= 0 ? waitSeconds : lockWait();
  int rc = tx_.begin(list, wait);
  for (std::size_t i = 0; rc == 0 && i < files_.size(); ++i)
    rc = tx_.enlist(access(files_[i]).file());
  if (rc == 0) {
    parts_ = 0;
    started_ = std::chrono::steady_clock::now();
  } else {
    tx_.rollback();
  }
  return rc;
}

int BatchWriter::beginPart() {
  allowWrites();
  if (inPart_) return 0;
  int rc = beginBatch(beginWait_);
  if (rc == 0) rc = tx_.markPart();
  if (rc == 0) {
    inPart_ = true;
    return 0;
  }
  // No part may write record by record outside the transaction.
  const std::string why = tx_.errorDetail();
  tx_.rollback();
  refused_ = true;
  for (FileId id : files_) access(id).file().refuseWrites(rc, why);
  ++failed_;
  return rc;
}

int BatchWriter::endPart(bool ok) {
  if (refused_) {
    allowWrites();
    return 0;
  }
  if (!inPart_) return 0;
  inPart_ = false;
  if (!tx_.active()) {
    // Split by a commit: what it wrote is in, and nothing is left to take back.
    ++(ok ? stored_ : failed_);
    return 0;
  }
  if (!ok) {
    ++failed_;
    if (tx_.dropPart() == 0) return 0;
    // The batch could not step back: it is gone, and its parts with it.
    failed_ += parts_;
    parts_ = 0;
    return tx_.errorCode();
  }
  if (int rc = tx_.keepPart()) {
    failed_ += parts_ + 1;
    parts_ = 0;
    return rc;
  }
  ++parts_;
  // Also when the changed pages take much memory: pages dense with records
  // in files that have grown large change more of them.
  constexpr int64_t kCacheBytes = 16 << 20;
  if (parts_ < partsPerCommit_ &&
      std::chrono::steady_clock::now() - started_ < std::chrono::milliseconds(millisPerCommit_) &&
      !tx_.othersWaiting() && tx_.cacheBytes() < kCacheBytes)
    return 0;
  return commitNow(true);
}

int BatchWriter::commitNow(bool keepOpen) {
  const int parts = parts_;
  parts_ = 0;
  started_ = std::chrono::steady_clock::now();
  // The connection stays: what it read stays cached for the next batch.
  bool committed = false;
  int rc = 0;
  if (keepOpen) {
    rc = tx_.commitAndContinue(&committed);
  } else {
    rc = tx_.commit();
    committed = rc == 0;
  }
  (committed ? stored_ : failed_) += parts;
  return rc;
}

int BatchWriter::pause() {
  if (!tx_.active() || inPart_) return commit();
  const int parts = std::exchange(parts_, 0);
  started_ = std::chrono::steady_clock::now();
  const int rc = tx_.commitAndPause();
  (rc == 0 ? stored_ : failed_) += parts;
  return rc;
}

int BatchWriter::commit() {
  if (!tx_.active()) return 0;
  // Inside a part the caller splits it: what it wrote so far is committed,
  // and it ends outside the batch.
  return commitNow(false);
}

}  // namespace qm
