#pragma once
// What every multiple-document frame of a program does alike: the client
// area with its wallpaper, the menu and toolbar built from their tables, the
// menu's actions, closing the child windows before the frame, and running
// the frame until it ends. A program's frame adds its title, its own menu
// table, help file and the steps of its window's opening.
#include <QImage>
#include <QMdiArea>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "appkit/menu.h"
#include "runtime/ui/procedure.h"

class QAction;
class QMenu;
class QMainWindow;
class QToolBar;

namespace qm {

// A client area with a picture filling it. Without the picture, plain (when
// given) paints a background of the area's size.
class WallpaperArea : public QMdiArea {
 public:
  WallpaperArea(QWidget* parent, QImage picture, std::function<QImage(QSize)> plain = {});

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  QImage picture_;
  std::function<QImage(QSize)> plain_;
};

// Clipboard operations ("cut", "copy", "paste") on the focused control.
void editFocused(const char* operation);

// Lines up the minimised child windows along the bottom of the area.
void arrangeIcons(QMdiArea* area);
// Stacks the open child windows from the area's corner, each a title bar
// lower and further right, at its own size where that fits the area and
// shrunk to fit where it does not.
void cascadeWindows(QMdiArea* area);
// Activates the next child window in the order they were opened, past the
// ones that are disabled while a window they called is open.
void activateNext(QMdiArea* area);

class FrameHost : public WindowProcedure {
  Q_OBJECT
 public:
  // The tables outlive the frame (they are the program's static data).
  FrameHost(std::string name, const std::vector<MenuItem>& menu,
            const std::vector<ToolButton>& toolbar);

  QMainWindow* mainWindow() const { return main_; }
  QMdiArea* area() const { return area_; }
  QToolBar* toolBar() const { return toolbar_; }
  // The menu item for an entry of the menu table (by its position), and the
  // first item whose text (with its "&") is text; nullptr when none.
  QAction* menuAction(std::size_t index) const;
  QAction* menuAction(std::string_view text) const;
  QAction* toolAction(Nav nav) const;
  // The menu that arranges the child windows; it lists them when it opens.
  QMenu* windowMenu() const { return windowMenu_; }

  // What a menu item does.
  void perform(const MenuItem& item);
  // A toolbar button: the active child window gets it; nothing without one.
  void forward(Nav nav);

  // Runs when the frame has ended.
  void onEnded(std::function<void()> f) { ended_ = std::move(f); }

 protected:
  // The client area, made once as the window is built.
  virtual QMdiArea* makeArea(QWidget* parent) = 0;
  // The help file of the Help items.
  virtual std::string helpFile() const = 0;
  // A Run item's command line: started, not waited for.
  virtual void runCommand(const char* commandLine);

  // Builds the main window, area, menu and toolbar; the area takes the
  // child windows.
  void setup() override;
  // Closes the frame once every child window has closed.
  void closeRequested() override;
  void cleanup() override;

 private:
  bool mayCloseChildren();
  void refocus();
  bool closeChildren();
  void listWindows();

  const std::vector<MenuItem>& menu_;
  const std::vector<ToolButton>& tools_;
  QMainWindow* main_ = nullptr;
  QMdiArea* area_ = nullptr;
  QToolBar* toolbar_ = nullptr;
  std::vector<QAction*> menuActions_;  // parallel to menu_
  std::vector<QAction*> toolActions_;  // parallel to tools_
  QMenu* windowMenu_ = nullptr;
  std::vector<QAction*> windowList_;  // its separator and one item per child window
  std::function<void()> ended_;
};

// Starts the frame make builds as the thread "Main" and returns when the
// frame has ended.
void runFrame(const std::function<std::unique_ptr<FrameHost>()>& make);

}  // namespace qm
