#pragma once
// The program's title window, shown for a few seconds.
#include "runtime/ui/procedure.h"

class QTimer;

namespace qm {

class Splash : public WindowProcedure {
  Q_OBJECT
 public:
  // timerHundredths: how long the window stays when left alone.
  explicit Splash(int timerHundredths = 800);

 protected:
  void setup() override;
  bool filterEvent(QObject* watched, QEvent* event) override;

 private:
  void watch(QObject* o);
  int hundredths_;
  QTimer* timer_ = nullptr;
  bool closing_ = false;
  void closeSoon();
};

}  // namespace qm
