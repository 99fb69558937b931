#pragma once
// The main program's multiple-document frame: menu, toolbar, the control for
// cptog, and the steps run when its window opens.
#include <functional>
#include <string_view>

#include "frame/menu.h"
#include "runtime/ui/procedure.h"

class QAction;
class QCheckBox;
class QMainWindow;
class QMdiArea;
class QToolBar;

namespace qm {

class MainFrame : public WindowProcedure {
  Q_OBJECT
 public:
  MainFrame();
  ~MainFrame() override;

  QMainWindow* mainWindow() const { return main_; }
  QMdiArea* area() const { return area_; }
  QToolBar* toolBar() const { return toolbar_; }
  QCheckBox* cptogBox() const { return cptogBox_; }
  // The menu item for an entry of the menu table (by its position), and the
  // first item whose text (with its "&") is text; nullptr when none.
  QAction* menuAction(std::size_t index) const;
  QAction* menuAction(std::string_view text) const;
  QAction* toolAction(Nav nav) const;
  // Thread of the start-up check; 0 when none runs.
  int startupThread() const { return startupThread_; }

  // What a menu item does.
  void perform(const MenuItem& item);
  // A toolbar button: the active child window gets it; nothing without one.
  void forward(Nav nav);

  // Runs when the frame has ended.
  void onEnded(std::function<void()> f) { ended_ = std::move(f); }

 protected:
  void setup() override;
  bool takeWindowEvent(Event event) override;
  void closeRequested() override;
  void cleanup() override;

 private:
  void buildMenu();
  void buildToolbar();
  void windowOpen();
  bool closeChildren();

  QMainWindow* main_ = nullptr;
  QMdiArea* area_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  QCheckBox* cptogBox_ = nullptr;
  std::vector<QAction*> menuActions_;  // parallel to mainMenu()
  std::vector<QAction*> toolActions_;  // parallel to mainToolbar()
  int startupThread_ = 0;
  bool opened_ = false;
  std::function<void()> ended_;
};

// The frame while it runs, else nullptr.
MainFrame* mainFrame();

// Settings section cpanel into the control-panel globals, with their defaults,
// each value cut to its global's width.
void readControlPanelSettings();

// Clipboard operations ("cut", "copy", "paste") on the focused control.
void editFocused(const char* operation);

// Lines up the minimised child windows along the bottom of the area.
void arrangeIcons(QMdiArea* area);

// Registers the procedures of the frame (the title window "splash").
void registerFrameProcedures();

// Opens the frame and returns when it has closed.
void Main();

}  // namespace qm
