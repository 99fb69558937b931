#pragma once
// Batch writers (the batch reader, the import, global changes, delete by
// domain) write many records of several files in one transaction, over the
// thread's own record files. Work comes in parts (a page with its detail
// records): a part is never split between two commits, and a part that
// failed takes back only itself. A commit comes when a part ends and enough
// parts or time have gone by, or another writer waits for the files, so
// other programs read and write between the commits; or when the changed
// pages take much memory, so a run's memory stays flat as files grow.
//
// Contract for callers: write a part only after beginPart() returned 0.
// When it did not (another program holds a file past the files' lock
// recovery time, or denies writing), the files refuse every write until the
// part ends: report errorText() / errorDetail() and write nothing. No record
// is ever written outside the batch's transaction.
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

  // Starts a part, and a transaction when none is open (waiting for it up
  // to the files' lock recovery time). 0, or the code of the refusal.
  int beginPart();
  // Begins the batch's transaction now when none is open, waiting for the
  // files up to waitSeconds (-1: the files' lock recovery time); no part is
  // begun. 0, or the code of the refusal (nothing is counted for it).
  int beginBatch(int waitSeconds);
  // How long a part's begin waits for the files from now on (-1: the
  // files' lock recovery time).
  void setBeginWait(int seconds) { beginWait_ = seconds; }
  // How long a begin waits for the files unless told otherwise.
  int lockWait() const;
  // Ends the part. Not ok: only this part is taken back, the parts ended
  // before it stay. Commits when due; 0 or the failed commit's code (the
  // parts that commit held are then lost, and counted as failed).
  int endPart(bool ok);
  // Commits now: before anything waits on the user.
  int commit();
  // Commits and leaves the files free until the next part begins, the
  // connection and its cache kept (a commit when a part is open).
  int pause();
  // Text of the last failure, for "%ErrorText", and its detail (the file).
  std::string errorText() const { return tx_.errorText(); }
  std::string errorDetail() const { return tx_.errorDetail(); }
  int errorCode() const { return tx_.errorCode(); }
  bool inTransaction() const { return tx_.active(); }
  // Another writer waits for the files: the part that ends next commits.
  bool othersWaiting() const { return tx_.othersWaiting(); }
  // Parts ended well since the last commit: what a failed commit loses.
  int uncommittedParts() const { return tx_.active() ? parts_ : 0; }
  // Parts committed, and parts taken back (failed, refused, or lost with a
  // failed commit), since the writer was made: for the run's end message.
  int storedParts() const { return stored_; }
  int failedParts() const { return failed_; }

  // Test seam: when writers made from now on commit (1000 parts or one
  // second, whichever comes first, unless changed).
  static void setCommitEvery(int parts, int millis);
  // Test seam: how long a begin waits for the files, in seconds (-1: the
  // files' lock recovery time).
  static void setBeginWaitForTests(int seconds);

 private:
  void allowWrites();
  int commitNow(bool keepOpen);

  std::vector<FileId> files_;
  int partsPerCommit_, millisPerCommit_;
  Transaction tx_;
  int parts_ = 0;
  int beginWait_ = -1;
  int stored_ = 0, failed_ = 0;
  bool inPart_ = false, refused_ = false;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace qm
