#include "dictionary/batchwriter.h"

namespace qm {

BatchWriter::BatchWriter(std::vector<FileId> files, int partsPerCommit, int millisPerCommit)
    : files_(std::move(files)), partsPerCommit_(partsPerCommit), millisPerCommit_(millisPerCommit) {}

BatchWriter::~BatchWriter() { commit(); }

int BatchWriter::beginPart() {
  if (!tx_.active()) {
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
  }
  return tx_.savepoint();
}

int BatchWriter::endPart(bool ok) {
  if (!tx_.active()) return 0;
  if (ok) tx_.releaseSavepoint();
  else tx_.rollbackToSavepoint();
  ++parts_;
  const auto spent = std::chrono::steady_clock::now() - started_;
  if (parts_ >= partsPerCommit_ || spent >= std::chrono::milliseconds(millisPerCommit_)) return commit();
  return 0;
}

int BatchWriter::commit() {
  if (!tx_.active()) return 0;
  return tx_.commit();
}

}  // namespace qm
