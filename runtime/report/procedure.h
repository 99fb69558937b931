#pragma once
// The life of report and process procedures: name on the error reporter's
// stack, request taken from the globals, the source opened, the progress
// window placed from the settings file, records read in batches on timer
// events, then clean-up, placement saved, name popped, response returned.
#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "runtime/report/batch.h"
#include "runtime/report/engine.h"
#include "runtime/report/source.h"

class QTimer;

namespace qm {

class ProgressWindow;

class BatchProcedure {
 public:
  BatchProcedure(std::string name, RecordSource& source);
  virtual ~BatchProcedure();
  BatchProcedure(const BatchProcedure&) = delete;
  BatchProcedure& operator=(const BatchProcedure&) = delete;

  // The whole life; returns when the run (and a report's preview) is over.
  // The response is returned and left in ResponseCode.
  int run();
  // The same without waiting: done gets the response at the end.
  void start(std::function<void(int response)> done = {});
  // What "Cancel" does: the run stops at the next record.
  void cancel();
  // Ends a run at once, as cancelled, without calling done: for an owner
  // that closes while the run goes on. Its files are closed before the
  // owner's thread lets them go.
  void abandon();

  const std::string& name() const { return name_; }
  uint8_t request() const { return request_; }
  int64_t recordsRead() const { return recordsRead_; }
  bool cancelled() const { return cancelled_; }
  bool running() const { return running_; }
  // The run's progress window (closed once reading has ended); null before a run.
  ProgressWindow* progressWindow() const { return progress_.get(); }
  const BatchReader* reader() const { return reader_.get(); }

 protected:
  // After the window opened and before the first record.
  virtual void setup() {}
  // For each record the source loaded; a report prints its detail band when it returns true.
  virtual bool takeRecord() { return true; }
  // After the last record or a cancel, before the files close.
  virtual void cleanup() {}
  // The pattern's own steps around the procedure's hooks.
  virtual void beginRun() {}
  virtual void recordStep() { takeRecord(); }
  // After each timer event that leaves records to read.
  virtual void betweenEvents() {}
  // The end of the run; calls finish(response) once it is done with its pages.
  virtual void endOfRun();
  void finish(int response);

  // The quick-scan mode the source is read with (processes: on).
  bool quickScan = false;
  RecordSource& source() { return source_; }

 private:
  void onTimer();
  void stopRun(bool withCleanup);
  bool readOne();
  bool waitingToShow() const;
  void showProgress();

  std::string name_;
  RecordSource& source_;
  uint8_t request_ = 0;
  int64_t recordsRead_ = 0;
  bool cancelled_ = false;
  bool running_ = false;
  bool sourceOpen_ = false;
  std::unique_ptr<ProgressWindow> progress_;
  std::unique_ptr<QTimer> timer_;
  QElapsedTimer shownAt_;
  std::unique_ptr<BatchReader> reader_;
  std::function<void(int)> done_;
  int thread_ = 0;      // the logical thread the run belongs to: timer events read its buffers
  int threadEnd_ = -1;  // listener that stops the reading when that thread ends first
  bool threadGone_ = false;

 protected:
  // Lets callbacks that may outlive the procedure (the preview's) see that it is gone.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

class ReportProcedure : public BatchProcedure {
 public:
  ReportProcedure(std::string name, RecordSource& source, ReportLayout layout);
  // With a per-record step instead of a subclass.
  ReportProcedure(std::string name, RecordSource& source, ReportLayout layout,
                  std::function<bool()> takeRecord);

  ~ReportProcedure() override;

  ReportEngine& engine() { return engine_; }
  // The pages of the last run, complete once its reading ended.
  const PageModel& pages() const { return *pages_; }

 protected:
  bool takeRecord() override;
  void beginRun() override;
  void recordStep() override;
  void endOfRun() override;
  void betweenEvents() override;

 private:
  void showPages();
  void previewClosed();

  ReportEngine engine_;
  std::shared_ptr<PageModel> pages_;
  std::function<bool()> step_;
  // The preview opens with the first finished page while the rest are read.
  bool previewOpen_ = false;
  bool previewClosed_ = false;
  bool readingEnded_ = false;
};

class ProcessProcedure : public BatchProcedure {
 public:
  ProcessProcedure(std::string name, RecordSource& source, std::function<void()> action = {});

 protected:
  bool takeRecord() override;

 private:
  std::function<void()> action_;
};

}  // namespace qm
