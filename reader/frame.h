#pragma once
// The reader's multiple-document frame and the program's main body.
#include <functional>
#include <string_view>
#include <vector>

#include "frame/menu.h"
#include "runtime/ui/procedure.h"

class QAction;
class QMainWindow;
class QMdiArea;
class QToolBar;

namespace qm::reader {

// In menu order; a Submenu's items follow it one level deeper.
const std::vector<MenuItem>& readerMenu();

class ReaderFrame : public WindowProcedure {
  Q_OBJECT
 public:
  ReaderFrame();
  ~ReaderFrame() override;

  QMainWindow* mainWindow() const { return main_; }
  QMdiArea* area() const { return area_; }
  QToolBar* toolBar() const { return toolbar_; }
  // The item of the menu table whose text (with its "&") is text.
  QAction* menuAction(std::string_view text) const;
  QAction* toolAction(Nav nav) const;

  void perform(const MenuItem& item);
  // A toolbar button goes to the active child window's thread.
  void forward(Nav nav);
  void onEnded(std::function<void()> f) { ended_ = std::move(f); }

 protected:
  bool beforeWindow() override;
  void setup() override;
  void closeRequested() override;
  void cleanup() override;

 private:
  bool closeChildren();

  QMainWindow* main_ = nullptr;
  QMdiArea* area_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  std::vector<QAction*> menuActions_;
  std::vector<QAction*> toolActions_;
  std::function<void()> ended_;
};

// The frame while it runs, else nullptr.
ReaderFrame* readerFrame();

// Opens the frame and returns when it has closed.
void Main();

// The main body: settings, dictionary, frame, and the steps back. The Qt
// application object must exist. Returns the exit code.
int runReader();

}  // namespace qm::reader
