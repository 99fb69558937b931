#pragma once
// One batch run over pages (the batch reader, the import, global changes,
// delete by domain). Each page is written whole or not at all; the first
// write failure is named once, with the question whether to go on; the run
// counts the pages it stored and those it could not, for its last word.
#include <functional>
#include <string>
#include <vector>

#include "dictionary/batchwriter.h"

namespace qm {

class BatchRun {
 public:
  // caption: of the boxes the run shows; done: what a stored page is
  // ("stored", "deleted", "changed"). A run of one page (ask false) names
  // its failure without asking whether to go on.
  BatchRun(std::vector<FileId> files, std::string caption, std::string done, bool ask = true);
  ~BatchRun();  // commits what is done
  BatchRun(const BatchRun&) = delete;
  BatchRun& operator=(const BatchRun&) = delete;

  // Starts a page. False when no transaction can hold it: nothing may be
  // written for it, the reason has been shown and the run stops.
  bool begin();
  // Ends the page begun: ok keeps it, otherwise only it is taken back and
  // failure (the reason, in plain words) is shown unless one was shown
  // before. label names the page for stored(). False: the run stops.
  bool end(bool ok, const std::string& failure, const std::string& label = {});
  // When the engine took the whole uncommitted batch back with a failed
  // page (as on a full disk), how many pages the caller must write again,
  // the failed one last; each of them commits on its own, so a page that
  // cannot be stored fails alone. Taking the number clears it. Only for a
  // caller that said it writes such pages again (writesAgain).
  long takeReplay();
  void writesAgain() { writesAgain_ = true; }
  // Commits now: before anything waits on the user. False: the run stops.
  bool hold();
  // Commits the rest; a failure there is shown unless one was before.
  void finish();

  // Gets the label of the last page of each batch that reached the disk.
  std::function<void(const std::string& label)> onStored;

  long stored() const { return writer_.storedParts(); }
  long failed() const { return writer_.failedParts() - forgiven_; }
  long pending() const { return writer_.uncommittedParts(); }
  bool stopped() const { return stopped_; }
  // "" when nothing failed, else "N pages stored, M pages not stored."
  std::string tally() const;
  // A line for the run's closing message: "" or "||" and the tally.
  std::string tallyLine() const { return failed() ? "||" + tally() : std::string(); }

 private:
  // The writer's failure rc in plain words, its file named.
  std::string reason(int rc) const;
  // Tells onStored when a commit took pages to the disk.
  void noteStored();
  bool fail(const std::string& failure);

  BatchWriter writer_;
  std::string file_, caption_, done_;
  std::string label_;   // of the last page ended well
  long seen_ = 0;       // pages stored when onStored was last told
  long replay_ = 0;     // pages to write again
  long replaying_ = 0;  // of them, not yet ended
  long forgiven_ = 0;   // failed parts written again
  bool writesAgain_ = false;
  bool ask_, shown_ = false, stopped_ = false;
};

}  // namespace qm
