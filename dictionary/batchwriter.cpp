#include "dictionary/batchwriter.h"

namespace qm {

namespace {
int gParts = 1000, gMillis = 1000;
}  // namespace

void BatchWriter::setCommitEvery(int parts, int millis) {
  gParts = parts;
  gMillis = millis;
}

BatchWriter::BatchWriter(std::vector<FileId> files)
    : files_(std::move(files)), partsPerCommit_(gParts), millisPerCommit_(gMillis) {}

BatchWriter::~BatchWriter() { commit(); }

int BatchWriter::beginPart() {
  if (tx_.active()) return 0;
  std::vector<const RecordFile*> list;
  for (FileId id : files_) list.push_back(&access(id).file());
  if (int rc = tx_.begin(list, access(files_.front()).lockRecovery())) return rc;
  for (FileId id : files_) {
    if (int rc = tx_.enlist(access(id).file())) {
      tx_.rollback();
      return rc;
    }
  }
  parts_ = 0;
  started_ = std::chrono::steady_clock::now();
  return 0;
}

int BatchWriter::endPart(bool ok) {
  if (!tx_.active()) return 0;
  if (!ok) {
    // No savepoint per part (one costs more than the part): the batch goes
    // back whole, each of its parts as it was before.
    tx_.rollback();
    return 0;
  }
  if (++parts_ < partsPerCommit_ && std::chrono::steady_clock::now() - started_ < std::chrono::milliseconds(millisPerCommit_))
    return 0;
  parts_ = 0;
  started_ = std::chrono::steady_clock::now();
  // The connection stays: what it read stays cached for the next batch.
  return tx_.commitAndContinue();
}

int BatchWriter::commit() {
  if (!tx_.active()) return 0;
  return tx_.commit();
}

}  // namespace qm
