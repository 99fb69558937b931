#pragma once
// The per-domain changes of web page records: new local paths (and the
// domain's default local directory), or every page marked currently used.
#include <memory>
#include <string>

#include "dictionary/batchrun.h"
#include "runtime/report/procedure.h"
#include "webdata/context.h"
#include "webdata/reports/source.h"

namespace qm::webreports {

enum class DomainChange {
  LocalPath,  // ChgLoPath
  UseNow,     // ChgLoPath1
};

// One run over the pages of the domain that ctx's domain names as it starts;
// its new local directory is taken at the start too.
class DomainChangeRun {
 public:
  DomainChangeRun(DomainChange kind, const WebContext& ctx);
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
  const WebContext& ctx_;
  PageDataSource source_;
  std::unique_ptr<BatchProcedure> procedure_;
  std::string domain_, newDir_;
  int runFlag_ = 0;
  std::unique_ptr<BatchRun> batch_;  // while a run writes
};

}  // namespace qm::webreports
