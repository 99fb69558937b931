#pragma once
// A small DataFile over RecordFile with per-thread state, counted opens and
// failures on demand.
#include <map>
#include <memory>

#include "runtime/config/errors.h"
#include "runtime/store/store.h"
#include "runtime/store/thread.h"
#include "runtime/ui/datafile.h"

namespace qmtest {

class TestFile : public qm::DataFile {
 public:
  explicit TestFile(qm::FileDef d) : def_(std::move(d)) {}
  std::string name() const override { return def_.label; }
  const qm::FileDef& def() const override { return def_; }
  qm::RecordFile& recordFile() override { return mine().file; }
  qm::RecordBuffer& buffer() override { return mine().file.buffer(); }
  bool isOpen() const override { return const_cast<TestFile*>(this)->mine().file.isOpen(); }
  int open() override {
    PerThread& t = mine();
    if (t.opens++ > 0) return 0;
    int rc = t.file.open(qm::OpenMode::ReadWriteDenyNone, true, 1);
    if (rc) {
      t.opens = 0;
      return qm::errors().raise(23, qm::MessageArgs{name(), qm::errorTextFor(rc), {}, {}});
    }
    return 0;
  }
  int close() override {
    PerThread& t = mine();
    if (t.opens > 0 && --t.opens == 0) t.file.close();
    return 0;
  }
  int primeRecord(bool keep) override {
    if (!keep) buffer().clear();
    ++primes;
    return 0;
  }
  int insert() override { return err_ = recordFile().add(); }
  int update(const qm::RecordBuffer& asRead) override {
    if (failUpdates > 0) return --failUpdates, err_ = qm::ErrLocked;
    return err_ = recordFile().putIfUnchanged(asRead);
  }
  int removeCascade() override {
    if (failDeletes > 0) return --failDeletes, err_ = qm::ErrLocked;
    return err_ = recordFile().erase();
  }
  int errorCode() const override { return err_; }
  std::string errorText() const override { return qm::errorTextFor(err_); }

  int failUpdates = 0;
  int failDeletes = 0;
  int primes = 0;

 private:
  struct PerThread {
    explicit PerThread(const qm::FileDef& d) : file(d) {}
    qm::RecordFile file;
    int opens = 0;
  };
  PerThread& mine() {
    auto& p = threads_[qm::currentThread()];
    if (!p) p = std::make_unique<PerThread>(def_);
    return *p;
  }
  qm::FileDef def_;
  std::map<int, std::unique_ptr<PerThread>> threads_;
  int err_ = 0;
};

}  // namespace qmtest
