#pragma once
// The per-domain changes of web page records: new local paths (and the
// domain's default local directory), or every page marked currently used.
#include <memory>
#include <string>

#include "dictionary/batchwriter.h"
#include "runtime/report/procedure.h"
#include "webdata/reports/source.h"

namespace qm::webreports {

enum class DomainChange {
  LocalPath,   // ChgLoPath
  UseNow,      // ChgLoPath1
};

// One run over the pages of the domain that domainname names as it starts;
// NewLocalDir is taken at the start too.
class DomainChangeRun {
 public:
  explicit DomainChangeRun(DomainChange kind);
  ~DomainChangeRun();
  DomainChangeRun(const DomainChangeRun&) = delete;
  DomainChangeRun& operator=(const DomainChangeRun&) = delete;

  BatchProcedure& procedure() { return *procedure_; }
  int run();
  void start(std::function<void(int)> done);

 private:
  class Procedure;
  void takeRecord();
  void takeGlobals();

  DomainChange kind_;
  PageDataSource source_;
  std::unique_ptr<BatchProcedure> procedure_;
  std::string domain_, newDir_;
  int runFlag_ = 0;
  std::unique_ptr<BatchWriter> writer_;  // while a run writes
};

}  // namespace qm::webreports
