#pragma once
// Batch writers (the batch reader, the import, global changes, delete by
// domain) write many records of several files in one transaction, over the
// thread's own record files. Work comes in parts (a page with its detail
// records): a part is never split between two commits, and a part that
// failed takes its uncommitted batch back with it. A commit comes when a
// part ends and enough parts or time have gone by, so other programs read
// and write between the commits.
#include <chrono>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"

namespace qm {

class BatchWriter {
 public:
  // The files must be open on the calling thread when a part begins.
  explicit BatchWriter(std::vector<FileId> files);
  ~BatchWriter();  // commits what is done
  BatchWriter(const BatchWriter&) = delete;
  BatchWriter& operator=(const BatchWriter&) = delete;

  // Starts a part, and a transaction when none is open. When none can be
  // begun (another holds a file) the code is returned and the files write
  // on their own, each change committing itself.
  int beginPart();
  // Ends the part. Not ok: the parts not yet committed are rolled back,
  // each as it was before. Commits when due; 0 or the failed commit's code.
  int endPart(bool ok);
  // Commits now: before anything waits on the user.
  int commit();
  // Text of the last failure, for "%ErrorText".
  std::string errorText() const { return tx_.errorText(); }
  bool inTransaction() const { return tx_.active(); }
  // Parts ended since the last commit: what a failed part takes back with it.
  int uncommittedParts() const { return tx_.active() ? parts_ : 0; }

  // Test seam: when writers made from now on commit (1000 parts or one
  // second, whichever comes first, unless changed).
  static void setCommitEvery(int parts, int millis);

 private:
  std::vector<FileId> files_;
  int partsPerCommit_, millisPerCommit_;
  Transaction tx_;
  int parts_ = 0;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace qm
