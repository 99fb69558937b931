#pragma once
// The main program's multiple-document frame: its menu, the toolbar's
// control for cptog, and the steps run when its window opens.
#include <string>

#include "appkit/framehost.h"
#include "appkit/menu.h"

class QCheckBox;

namespace qm {

class MainFrame : public FrameHost {
  Q_OBJECT
 public:
  MainFrame();
  ~MainFrame() override;

  QCheckBox* cptogBox() const { return cptogBox_; }
  // Thread of the start-up check; 0 when none runs.
  int startupThread() const { return startupThread_; }

 protected:
  QMdiArea* makeArea(QWidget* parent) override;
  std::string helpFile() const override;
  void setup() override;
  bool takeWindowEvent(Event event) override;
  void cleanup() override;

 private:
  void windowOpen();

  QCheckBox* cptogBox_ = nullptr;
  int startupThread_ = 0;
  bool opened_ = false;
};

// The frame while it runs, else nullptr.
MainFrame* mainFrame();

// Settings section cpanel into the control-panel globals, with their defaults,
// each value cut to its global's width.
void readControlPanelSettings();

// Registers the procedures of the frame (the title window "splash").
void registerFrameProcedures();

// Opens the frame and returns when it has closed.
void Main();

}  // namespace qm
