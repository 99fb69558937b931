#include "appkit/framehost.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QResizeEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "appkit/procedures.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/help.h"
#include "runtime/report/printer.h"

namespace qm {

// ---- the area -----------------------------------------------------------------

WallpaperArea::WallpaperArea(QWidget* parent, QImage picture, std::function<QImage(QSize)> plain)
    : QMdiArea(parent), picture_(std::move(picture)), plain_(std::move(plain)) {}

void WallpaperArea::resizeEvent(QResizeEvent* e) {
  QMdiArea::resizeEvent(e);
  const QSize size = viewport()->size();
  if (size.isEmpty()) return;
  if (!picture_.isNull()) {
    setBackground(
        QBrush(picture_.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
    return;
  }
  if (plain_) setBackground(QBrush(plain_(size)));
}

// ---- helpers --------------------------------------------------------------------

void editFocused(const char* operation) {
  QWidget* w = QApplication::focusWidget();
  if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit()) w = combo->lineEdit();
  if (!w) return;
  const QByteArray slot = QByteArray(operation) + "()";
  if (w->metaObject()->indexOfSlot(slot.constData()) >= 0) QMetaObject::invokeMethod(w, operation);
}

void arrangeIcons(QMdiArea* area) {
  if (!area) return;
  const int width = area->viewport()->width();
  int x = 0, bottom = area->viewport()->height();
  int rowHeight = 0;
  for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isMinimized()) continue;
    const QSize s = w->size();
    if (x > 0 && x + s.width() > width) {
      x = 0;
      bottom -= rowHeight;
      rowHeight = 0;
    }
    w->move(x, bottom - s.height());
    x += s.width();
    rowHeight = std::max(rowHeight, s.height());
  }
}

void cascadeWindows(QMdiArea* area) {
  if (!area) return;
  const QSize room = area->viewport()->size();
  int n = 0;
  // Bottom of the stack first: the window on top ends last, still on top.
  for (QMdiSubWindow* w : area->subWindowList(QMdiArea::StackingOrder)) {
    if (!w->isVisible() || w->isMinimized()) continue;
    if (w->isMaximized()) w->showNormal();
    const int step = std::max(16, w->contentsMargins().top());  // a title bar
    // Smallest a cascaded window gets: its title bar and a few lines.
    const QSize least(std::min(room.width(), 12 * step), std::min(room.height(), 6 * step));
    QPoint at(n * step, n * step);
    if (at.x() + least.width() > room.width() || at.y() + least.height() > room.height()) {
      n = 0;  // a stack longer than the area starts again at the corner
      at = QPoint(0, 0);
    }
    ++n;
    w->move(at);
    // One that would reach past the area is shrunk to fit; its content scrolls.
    w->resize(
        std::max(std::min(w->width(), least.width()), std::min(w->width(), room.width() - at.x())),
        std::max(std::min(w->height(), least.height()),
                 std::min(w->height(), room.height() - at.y())));
  }
}

void activateNext(QMdiArea* area) {
  if (!area) return;
  const auto list = area->subWindowList(QMdiArea::CreationOrder);
  const int n = static_cast<int>(list.size());
  const int at = static_cast<int>(list.indexOf(area->activeSubWindow()));
  // A window waiting for the one it called cannot take the keyboard: passed over.
  for (int i = 1; i <= n; ++i) {
    QMdiSubWindow* w = list[(at + i + n) % n];
    if (w->isVisible() && w->isEnabled()) {
      area->setActiveSubWindow(w);
      return;
    }
  }
}

// ---- the frame ------------------------------------------------------------------

FrameHost::FrameHost(std::string name, const std::vector<MenuItem>& menu,
                     const std::vector<ToolButton>& toolbar)
    : WindowProcedure(std::move(name)), menu_(menu), tools_(toolbar) {}

QAction* FrameHost::menuAction(std::size_t index) const {
  return index < menuActions_.size() ? menuActions_[index] : nullptr;
}

QAction* FrameHost::menuAction(std::string_view text) const {
  for (std::size_t i = 0; i < menu_.size() && i < menuActions_.size(); ++i)
    if (text == menu_[i].text) return menuActions_[i];
  return nullptr;
}

QAction* FrameHost::toolAction(Nav nav) const {
  for (std::size_t i = 0; i < tools_.size() && i < toolActions_.size(); ++i)
    if (tools_[i].nav == nav) return toolActions_[i];
  return nullptr;
}

void FrameHost::setup() {
  QWidget* client = window();
  main_ = new QMainWindow(client);
  main_->setWindowFlags(Qt::Widget);  // it makes itself a window; here it is part of one
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(main_);
  area_ = makeArea(main_);
  // Each child window opens in its own placement: one maximised does not
  // maximise every window activated after it.
  area_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
  main_->setCentralWidget(area_);
  // Ctrl+F4 is the Window menu's: a child window's own menu does not claim it too.
  connect(area_, &QMdiArea::subWindowActivated, this, [](QMdiSubWindow* w) {
    if (QMenu* m = w ? w->systemMenu() : nullptr)
      for (QAction* a : m->actions()) a->setShortcuts({});
  });
  main_->statusBar();  // the menu's tips show here

  std::vector<QMenu*> open;  // the submenu at each depth
  menuActions_.assign(menu_.size(), nullptr);
  for (std::size_t i = 0; i < menu_.size(); ++i) {
    const MenuItem& item = menu_[i];
    open.resize(static_cast<std::size_t>(item.depth));
    const QString text = QString::fromUtf8(item.text);
    QAction* action = nullptr;
    if (item.action == MenuAction::Submenu) {
      QMenu* menu = open.empty() ? main_->menuBar()->addMenu(text) : open.back()->addMenu(text);
      open.push_back(menu);
      action = menu->menuAction();
    } else {
      action = open.empty() ? main_->menuBar()->addAction(text) : open.back()->addAction(text);
      if (*item.key)
        action->setShortcuts(QKeySequence::listFromString(QString::fromUtf8(item.key)));
      connect(action, &QAction::triggered, this, [this, i] { perform(menu_[i]); });
    }
    if (*item.tip) action->setStatusTip(QString::fromUtf8(item.tip));
    menuActions_[i] = action;
    // The menu that arranges the child windows lists them too.
    if ((item.action == MenuAction::Tile || item.action == MenuAction::Cascade) && !open.empty() &&
        !windowMenu_) {
      windowMenu_ = open.back();
      connect(windowMenu_, &QMenu::aboutToShow, this, [this] { listWindows(); });
    }
  }

  toolbar_ = main_->addToolBar("Toolbar");
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(20, 20));
  toolActions_.clear();
  for (const ToolButton& b : tools_) {
    QAction* a = toolbar_->addAction(loadIcon(b.icon), QString::fromUtf8(b.tip));
    a->setToolTip(QString::fromUtf8(b.tip));
    a->setStatusTip(QString::fromUtf8(b.tip));
    const Nav nav = b.nav;
    connect(a, &QAction::triggered, this, [this, nav] { forward(nav); });
    toolActions_.push_back(a);
  }
  setFrameArea(area_);
}

// After the menu's own items: one item per child window, numbered as the
// user opened them, the active one checked; choosing one activates it.
void FrameHost::listWindows() {
  if (!windowMenu_ || !area_) return;
  for (QAction* a : windowList_) {
    windowMenu_->removeAction(a);
    a->deleteLater();
  }
  windowList_.clear();
  int n = 0;
  for (QMdiSubWindow* w : area_->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isVisible() && !w->isMinimized()) continue;
    if (windowList_.empty()) windowList_.push_back(windowMenu_->addSeparator());
    ++n;
    const QString text =
        (n < 10 ? QStringLiteral("&%1 ").arg(n) : QStringLiteral("%1 ").arg(n)) + w->windowTitle();
    QAction* a = windowMenu_->addAction(text);
    a->setCheckable(true);
    a->setChecked(w == area_->activeSubWindow());
    QPointer<QMdiSubWindow> target = w;
    connect(a, &QAction::triggered, this, [this, target] {
      if (!target || !area_) return;
      if (target->isMinimized()) target->showNormal();
      area_->setActiveSubWindow(target);
    });
    windowList_.push_back(a);
  }
}

void FrameHost::runCommand(const char* commandLine) {
  (void)startCommandLine(commandLine);  // a failed start is not reported
}

void FrameHost::perform(const MenuItem& item) {
  switch (item.action) {
    case MenuAction::Submenu:
      break;
    case MenuAction::Start:
      startNamedProcedure(item.target, item.stackSize);
      break;
    case MenuAction::Call:
      callNamedProcedure(*this, item.target, 0, {});
      break;
    case MenuAction::Run:
      runCommand(item.target);
      if (main_) main_->update();
      break;
    case MenuAction::PrintSetup:
      printSetup(outerWindow());
      break;
    case MenuAction::Exit:
      requestClose();
      break;
    case MenuAction::Cut:
      editFocused("cut");
      break;
    case MenuAction::Copy:
      editFocused("copy");
      break;
    case MenuAction::Paste:
      editFocused("paste");
      break;
    case MenuAction::Tile:
      area_->tileSubWindows();
      refocus();
      break;
    case MenuAction::Cascade:
      cascadeWindows(area_);
      refocus();
      break;
    case MenuAction::ArrangeIcons:
      arrangeIcons(area_);
      refocus();
      break;
    case MenuAction::CloseWindow:
      if (QMdiSubWindow* w = area_->activeSubWindow()) w->close();
      break;
    case MenuAction::NextWindow:
      activateNext(area_);
      break;
    case MenuAction::HelpContents:
      showHelp(helpFile(), HelpRequest::Contents);
      break;
    case MenuAction::HelpSearch:
      showHelp(helpFile(), HelpRequest::Search);
      break;
    case MenuAction::HelpHowTo:
      showHelp(helpFile(), HelpRequest::HowToUse);
      break;
  }
}

// Windows moved about: the active one keeps the keyboard where it had it.
void FrameHost::refocus() {
  WindowProcedure* p = activeProcedure();
  if (p && p != this) p->focusWindow();
}

void FrameHost::forward(Nav nav) {
  WindowProcedure* target = activeProcedure();
  if (!target || target == this) return;  // never back to the frame
  postEvent(target->threadId(), Event::Accepted, controlOfNav(nav));
}

// Asks every other thread's window to close, as its close box would. False
// when one of them stays open (its user kept it).
bool FrameHost::closeChildren() {
  for (int round = 0; round < 1000; ++round) {
    bool any = false, moved = false;
    for (int t : runningThreads()) {
      if (t == threadId()) continue;
      QPointer<WindowProcedure> top = topProcedure(t);
      if (!top) continue;
      any = true;
      top->requestClose();
      if (!top || !top->isRunning() || topProcedure(t) != top.data()) moved = true;
    }
    if (!any) return true;
    if (!moved) return false;
  }
  return false;
}

// Every window that would ask is asked first, once: one the user keeps
// keeps them all, and the program, open.
bool FrameHost::mayCloseChildren() {
  std::vector<QPointer<WindowProcedure>> agreed;
  for (int t : runningThreads()) {
    if (t == threadId()) continue;
    for (WindowProcedure* p = topProcedure(t); p; p = p->caller()) {
      if (!p->isRunning()) continue;
      if (!p->mayClose()) {
        for (auto& a : agreed)
          if (a) a->keepOpen();
        return false;
      }
      agreed.push_back(p);
    }
  }
  return true;
}

void FrameHost::closeRequested() {
  if (!mayCloseChildren() || !closeChildren()) return;
  close(2);
}

void FrameHost::cleanup() {
  if (frameArea() == area_) setFrameArea(nullptr);
  if (ended_) {
    auto f = std::move(ended_);
    ended_ = nullptr;
    f();
  }
}

void runFrame(const std::function<std::unique_ptr<FrameHost>()>& make) {
  QEventLoop loop;
  bool ended = false;
  startProcedure("Main", 0, [&] {
    std::unique_ptr<FrameHost> frame = make();
    frame->onEnded([&] {
      ended = true;
      loop.quit();
    });
    return frame;
  });
  if (!ended) loop.exec();
  // The frame's widgets go now, before shut-down.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace qm
