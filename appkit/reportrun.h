#pragma once
// A procedure without a window that runs one report or batch run on its
// thread and returns the run's response: the one shape every report and
// global change takes when the menu or a browse starts it by name.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "runtime/config/requests.h"
#include "runtime/ui/procedure.h"

namespace qm {

// Run: anything with start(done) and procedure().abandon().
template <class Run>
class RunProcedure : public WindowProcedure {
 public:
  // Makes the run as the thread starts; null when there is nothing to run.
  using Make = std::function<std::unique_ptr<Run>(RunProcedure&)>;
  RunProcedure(std::string name, Make make)
      : WindowProcedure(std::move(name)), make_(std::move(make)) {}

 protected:
  void setup() override {
    run_ = make_(*this);
    if (!run_) {
      close(RequestCancelled);
      return;
    }
    // The run's own life takes the request from the globals again.
    RequestCode = static_cast<uint8_t>(request());
    run_->start([this](int response) { close(response); });
  }
  // Closed from outside while it runs: the run ends before the thread's files go.
  void cleanup() override {
    if (run_) run_->procedure().abandon();
  }

 private:
  Make make_;
  std::unique_ptr<Run> run_;
};

}  // namespace qm
