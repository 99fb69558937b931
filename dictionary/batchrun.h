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

  // Runs one page: work writes its records and returns "" or the page's
  // failure in plain words; label names the page for the boxes and
  // onStored. The run keeps work until the page is on the disk: when a
  // commit fails, or the engine takes the batch back with a failed page,
  // each page the batch held is written again, one commit each, so every
  // page that fits is stored. work must write the same again after its
  // records went back. False: the run stops.
  using Work = std::function<std::string()>;
  bool page(Work work, const std::string& label = {});

  // A run of one page that waits on the user in between writes it by hand:
  // begin, then end. False from begin: nothing may be written for the page,
  // the reason has been shown and the run stops. end(ok) keeps the page,
  // otherwise only it is taken back and failure is shown unless one was
  // shown before. False: the run stops.
  bool begin();
  bool end(bool ok, const std::string& failure, const std::string& label = {});
  // After a page: shows the run through show, when given. Right after a
  // commit the run lets go of the files first, so that show may let events
  // in (no other window's save then waits on the run). False when show
  // says the user stopped the run.
  bool show(const std::function<bool(bool free)>& show);
  // Before the first page: waits for the files (another program may hold
  // them), calling answer every few milliseconds to let the window's events
  // in; answer false stops the wait. Files still held after their lock
  // recovery time: the first page's begin names it at once.
  void waitForFiles(const std::function<bool()>& answer);
  // Counts a page the run did not try once it had stopped, as not done.
  void notTried() { ++untried_; }
  // Commits now: before anything waits on the user. False: the run stops.
  bool hold();
  // Commits the rest; a failure there is shown unless one was before.
  void finish();

  // Gets the label of the last page of each batch that reached the disk.
  std::function<void(const std::string& label)> onStored;

  long stored() const { return writer_.storedParts(); }
  long failed() const { return writer_.failedParts() - forgiven_ + untried_; }
  long pending() const { return writer_.uncommittedParts(); }
  bool stopped() const { return stopped_; }
  // "" when nothing failed, else "N pages stored, M pages not stored."
  std::string tally() const;
  // The tally, or "N pages stored." when nothing failed.
  std::string count() const;
  // A line for the run's closing message: "" or "||" and the tally.
  std::string tallyLine() const { return failed() ? "||" + tally() : std::string(); }

 private:
  struct Kept {
    Work work;
    std::string label;
  };
  // The writer's failure rc in plain words, its file named.
  std::string reason(int rc) const;
  // What a failed commit of the page label says.
  std::string commitFailure(int rc, const std::string& label) const;
  // Commits, writing the kept pages again when the commit failed.
  int commitKept(bool pause = false);
  // Writes each page again in a commit of its own.
  void writeAgain(std::vector<Kept> pages);
  // Tells onStored when a commit took pages to the disk.
  void noteStored();
  bool fail(const std::string& failure);

  BatchWriter writer_;
  std::string file_, caption_, done_;
  std::string label_;       // of the last page ended well
  long seen_ = 0;           // pages stored when onStored was last told
  long forgiven_ = 0;       // parts counted failed by a lost batch, then tried again
  long untried_ = 0;        // pages after the run stopped
  std::vector<Kept> kept_;  // the uncommitted pages' work
  int lockRecovery_;
  bool ask_, shown_ = false, stopped_ = false;
};

}  // namespace qm
