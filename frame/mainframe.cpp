#include "frame/mainframe.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QResizeEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "frame/procedures.h"
#include "frame/program/globals.h"
#include "frame/program/startup.h"
#include "frame/splash.h"
#include "resources/resources.h"
#include "runtime/config/settings.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/help.h"
#include "runtime/desktop/jpeg.h"
#include "runtime/report/printer.h"
#include "runtime/ui/windowdef.h"
#include "runtime/values/fsutil.h"

namespace qm {
namespace {

MainFrame* g_frame = nullptr;

constexpr const char* kStartupCheck = "StartupReminderCheck";
constexpr const char* kWallpaper = "newqmk 2.jpg";
constexpr std::size_t kSettingMax = 1024;

// The client area, with the wallpaper filling it.
class FrameArea : public QMdiArea {
 public:
  explicit FrameArea(QWidget* parent) : QMdiArea(parent) {
    std::string error;
    const QByteArray data = resourceData(kWallpaper, &error);
    if (!data.isEmpty()) picture_ = decodeJpeg(data, &error);
    if (picture_.isNull()) qWarning("wallpaper %s: %s", kWallpaper, error.c_str());
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QMdiArea::resizeEvent(e);
    if (picture_.isNull() || viewport()->size().isEmpty()) return;
    setBackground(QBrush(picture_.scaled(viewport()->size(), Qt::KeepAspectRatioByExpanding,
                                         Qt::SmoothTransformation)));
  }

 private:
  QImage picture_;
};

WindowDef frameWindow() {
  WindowDef def;
  def.title = "Quillmark Main Menu";
  def.font = "MS Sans Serif";
  def.w = 640;  // room for a browse and its form side by side
  def.h = 420;
  def.resizable = true;
  def.mdi = false;
  def.icon = "qm.ico";
  return def;
}

// Calls f(key, default, global) for each entry of section cpanel.
template <class F>
void eachControlPanelEntry(ControlPanelGlobals& g, F&& f) {
  f("html", "", g.html);
  f("grphx", "", g.grphx);
  f("brwsr", "", g.brwsr);
  f("txted", "", g.txted);
  f("usr1", "", g.usr1);
  f("usr2", "", g.usr2);
  f("usr3", "", g.usr3);
  f("usr4", "", g.usr4);
  f("fftp", "", g.fftp);
  f("mail", "", g.mail);
  f("ubut1", "User 1", g.ubut1);
  f("ubut2", "User 2", g.ubut2);
  f("ubut3", "User 3", g.ubut3);
  f("ubut4", "User 4", g.ubut4);
}

}  // namespace

// ---- helpers ----------------------------------------------------------------

void readControlPanelSettings() {
  eachControlPanelEntry(controlPanel, [](const char* key, const char* deflt, auto& global) {
    std::string value = settings().read("cpanel", key, deflt);
    if (value.size() > kSettingMax) value.resize(kSettingMax);
    global = value;  // cut to the global's width
  });
}

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

MainFrame* mainFrame() { return g_frame; }

void registerFrameProcedures() {
  registerProcedure("splash", [] { return std::make_unique<Splash>(); }, 25000);
}

// ---- the frame ----------------------------------------------------------------

MainFrame::MainFrame() : WindowProcedure("Main") {
  // The program's icons and help, before the window is built.
  setProgramIcon(resourceIcon("~qm.ico"));
  setIconLoader([](const std::string& name) { return resourceIcon(name); });
  setHelpHandler([](const std::string&) { showHelp(helpFileName(), HelpRequest::Contents); });
  setDefinition(frameWindow());
}

MainFrame::~MainFrame() {
  if (g_frame == this) g_frame = nullptr;
}

QAction* MainFrame::menuAction(std::size_t index) const {
  return index < menuActions_.size() ? menuActions_[index] : nullptr;
}

QAction* MainFrame::menuAction(std::string_view text) const {
  const auto& items = mainMenu();
  for (std::size_t i = 0; i < items.size() && i < menuActions_.size(); ++i)
    if (text == items[i].text) return menuActions_[i];
  return nullptr;
}

QAction* MainFrame::toolAction(Nav nav) const {
  const auto& buttons = mainToolbar();
  for (std::size_t i = 0; i < buttons.size() && i < toolActions_.size(); ++i)
    if (buttons[i].nav == nav) return toolActions_[i];
  return nullptr;
}

void MainFrame::setup() {
  g_frame = this;
  QWidget* client = window();
  main_ = new QMainWindow(client);
  main_->setWindowFlags(Qt::Widget);  // it makes itself a window; here it is part of one
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(main_);
  area_ = new FrameArea(main_);
  main_->setCentralWidget(area_);
  main_->statusBar();  // the menu's tips show here
  buildMenu();
  buildToolbar();
  setFrameArea(area_);
}

void MainFrame::buildMenu() {
  const auto& items = mainMenu();
  std::vector<QMenu*> open;  // the submenu at each depth
  menuActions_.assign(items.size(), nullptr);
  for (std::size_t i = 0; i < items.size(); ++i) {
    const MenuItem& item = items[i];
    open.resize(static_cast<std::size_t>(item.depth));
    const QString text = QString::fromUtf8(item.text);
    QAction* action = nullptr;
    if (item.action == MenuAction::Submenu) {
      QMenu* menu = open.empty() ? main_->menuBar()->addMenu(text) : open.back()->addMenu(text);
      open.push_back(menu);
      action = menu->menuAction();
    } else {
      action = open.empty() ? main_->menuBar()->addAction(text) : open.back()->addAction(text);
      if (*item.key) action->setShortcut(QKeySequence(QString::fromUtf8(item.key)));
      connect(action, &QAction::triggered, this, [this, i] { perform(mainMenu()[i]); });
    }
    if (*item.tip) action->setStatusTip(QString::fromUtf8(item.tip));
    // The reader item is only ever enabled, when the window opens and finds the program.
    if (std::string_view(item.id) == kReaderItem) action->setEnabled(false);
    menuActions_[i] = action;
  }
}

void MainFrame::buildToolbar() {
  toolbar_ = main_->addToolBar("Toolbar");
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(20, 20));
  const auto& buttons = mainToolbar();
  for (const ToolButton& b : buttons) {
    QAction* a = toolbar_->addAction(resourceIcon(b.icon), QString::fromUtf8(b.tip));
    a->setToolTip(QString::fromUtf8(b.tip));
    a->setStatusTip(QString::fromUtf8(b.tip));
    const Nav nav = b.nav;
    connect(a, &QAction::triggered, this, [this, nav] { forward(nav); });
    toolActions_.push_back(a);
  }
  toolbar_->addSeparator();
  cptogBox_ = new QCheckBox(" X", toolbar_);
  cptogBox_->setFocusPolicy(Qt::NoFocus);
  cptogBox_->setChecked(cptog == 1);
  connect(cptogBox_, &QCheckBox::toggled, this, [](bool on) { cptog = on ? 1 : 0; });
  toolbar_->addWidget(cptogBox_);
}

bool MainFrame::takeWindowEvent(Event event) {
  if (event == Event::OpenWindow) {
    windowOpen();
    return false;
  }
  // An accepted event of no control ends the start-up check.
  if (event == Event::Accepted && startupThread_ != 0) {
    postEvent(startupThread_, Event::CloseWindow);
    startupThread_ = 0;
  }
  return false;
}

void MainFrame::windowOpen() {
  if (opened_) return;
  opened_ = true;
  readControlPanelSettings();
  if (!resolveExecutable("skimwell.exe", programDirectory()).empty())
    if (QAction* reader = menuAction("Multi-WebPage Reader Program")) reader->setEnabled(true);
  StartDirectory = currentDirectory();
  // Its own issue fills the check's slot; until then nothing starts.
  if (const ProcedureEntry* check = findProcedure(kStartupCheck))
    startupThread_ = startProcedure(check->name, check->stackSize, check->factory);
}

void MainFrame::perform(const MenuItem& item) {
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
      (void)startCommandLine(item.target);  // a failed start is not reported
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
      break;
    case MenuAction::Cascade:
      area_->cascadeSubWindows();
      break;
    case MenuAction::ArrangeIcons:
      arrangeIcons(area_);
      break;
    case MenuAction::HelpContents:
      showHelp(helpFileName(), HelpRequest::Contents);
      break;
    case MenuAction::HelpSearch:
      showHelp(helpFileName(), HelpRequest::Search);
      break;
    case MenuAction::HelpHowTo:
      showHelp(helpFileName(), HelpRequest::HowToUse);
      break;
  }
}

void MainFrame::forward(Nav nav) {
  WindowProcedure* target = activeProcedure();
  if (!target || target == this) return;  // never back to the frame
  postEvent(target->threadId(), Event::Accepted, controlOfNav(nav));
}

// Asks every other thread's window to close, as its close box would. False
// when one of them stays open (its user kept it).
bool MainFrame::closeChildren() {
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

void MainFrame::closeRequested() {
  if (!closeChildren()) return;
  close(2);
}

void MainFrame::cleanup() {
  if (frameArea() == area_) setFrameArea(nullptr);
  if (g_frame == this) g_frame = nullptr;
  if (ended_) {
    auto f = std::move(ended_);
    ended_ = nullptr;
    f();
  }
}

void Main() {
  QEventLoop loop;
  bool ended = false;
  startProcedure("Main", 0, [&] {
    auto frame = std::make_unique<MainFrame>();
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
