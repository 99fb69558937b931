#include "reader/frame.h"

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QLinearGradient>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "dictionary/dictionary.h"
#include "frame/mainframe.h"
#include "frame/procedures.h"
#include "reader/companion.h"
#include "reader/globals.h"
#include "resources/resources.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/help.h"
#include "runtime/report/printer.h"
#include "runtime/ui/windowdef.h"

namespace qm::reader {
namespace {

ReaderFrame* g_frame = nullptr;

constexpr const char* kHelpFile = "quillmark.HLP";
constexpr const char* kWallpaper = "skimwell.gif";

// The client area with the program's picture as wallpaper. Without the
// picture among the resources a plain gradient stands in.
class ReaderArea : public QMdiArea {
 public:
  explicit ReaderArea(QWidget* parent) : QMdiArea(parent) {
    const QByteArray data = resourceData(kWallpaper);
    if (!data.isEmpty()) picture_.loadFromData(data);
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QMdiArea::resizeEvent(e);
    const QSize size = viewport()->size();
    if (size.isEmpty()) return;
    if (!picture_.isNull()) {
      setBackground(QBrush(picture_.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation)));
      return;
    }
    QImage plain(size, QImage::Format_RGB32);
    QPainter p(&plain);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0x2f, 0x4f, 0x6f));
    g.setColorAt(1, QColor(0x8f, 0xaf, 0xc8));
    p.fillRect(plain.rect(), g);
    setBackground(QBrush(plain));
  }

 private:
  QImage picture_;
};

WindowDef frameWindow() {
  WindowDef def;
  def.title = "Quillmark Multi-WebPage Reader Program  - reads every page of a site in one run";
  def.font = "MS Sans Serif";
  def.w = 480;
  def.h = 300;
  def.resizable = true;
  def.mdi = false;
  return def;
}

void helpContents(const char* commandLine) {
  if (startCommandLine(commandLine)) return;
  message(std::string("The help viewer could not be started: ") + commandLine, "Help", MsgIcon::Exclamation);
}

}  // namespace

const std::vector<MenuItem>& readerMenu() {
  using A = MenuAction;
  static const std::vector<MenuItem> items = {
      {0, "&File", "", A::Submenu, "", 0, "", ""},
      {1, "&Print Setup ...", "Setup printer", A::PrintSetup, "", 0, "", ""},
      {1, "E&xit", "Exit this application", A::Exit, "", 0, "", ""},
      {0, "&Edit", "", A::Submenu, "", 0, "", ""},
      {1, "Cu&t", "Remove item to Windows Clipboard", A::Cut, "", 0, "", ""},
      {1, "&Copy", "Copy item to Windows Clipboard", A::Copy, "", 0, "", ""},
      {1, "&Paste", "Paste contents of Windows Clipboard", A::Paste, "", 0, "", ""},
      {0, "&Read and Manage WebPages", "", A::Submenu, "", 0, "", ""},
      {1, "&Speed Read Pages", "Browse the WebPages file", A::Start, "readpages", 25000, "", ""},
      {1, "Browse WebPages", "", A::Start, "ShowPages", 50000, "", ""},
      {1, "Delete WebPages By Domain", "", A::Start, "delpages", 25000, "", ""},
      {0, "&Window", "", A::Submenu, "", 0, "", ""},
      {1, "T&ile", "Make all open windows visible", A::Tile, "", 0, "", ""},
      {1, "&Cascade", "Stack all open windows", A::Cascade, "", 0, "", ""},
      {1, "&Arrange Icons", "Align all window icons", A::ArrangeIcons, "", 0, "", ""},
      {0, "&Help", "", A::Submenu, "", 0, "", ""},
      {1, "&Contents", "View the contents of the help file", A::Run,
       "winhelp.exe -i Multi-PageReaderProgram Quillmark.hlp", 0, "", ""},
      {1, "&Search for Help On...", "Search for help on a subject", A::HelpSearch, "", 0, "", ""},
      {1, "&How to Use Help", "How to use Windows Help", A::HelpHowTo, "", 0, "", ""},
  };
  return items;
}

ReaderFrame* readerFrame() { return g_frame; }

ReaderFrame::ReaderFrame() : WindowProcedure("Main") {
  setProgramIcon(resourceIcon("~qm.ico"));
  setIconLoader([](const std::string& name) { return resourceIcon(name); });
  setHelpHandler([](const std::string&) { showHelp(kHelpFile, HelpRequest::Contents); });
  setDefinition(frameWindow());
}

ReaderFrame::~ReaderFrame() {
  if (g_frame == this) g_frame = nullptr;
}

QAction* ReaderFrame::menuAction(std::string_view text) const {
  const auto& items = readerMenu();
  for (std::size_t i = 0; i < items.size() && i < menuActions_.size(); ++i)
    if (text == items[i].text) return menuActions_[i];
  return nullptr;
}

QAction* ReaderFrame::toolAction(Nav nav) const {
  const auto& buttons = mainToolbar();
  for (std::size_t i = 0; i < buttons.size() && i < toolActions_.size(); ++i)
    if (buttons[i].nav == nav) return toolActions_[i];
  return nullptr;
}

bool ReaderFrame::beforeWindow() {
  // Before any window shows: beside the main program or not at all.
  RequestCode = 0;
  ResponseCode = 0;
  return CompanionCheck();
}

void ReaderFrame::setup() {
  g_frame = this;
  QWidget* client = window();
  main_ = new QMainWindow(client);
  main_->setWindowFlags(Qt::Widget);
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(main_);
  area_ = new ReaderArea(main_);
  main_->setCentralWidget(area_);
  main_->statusBar();

  const auto& items = readerMenu();
  std::vector<QMenu*> open;
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
      connect(action, &QAction::triggered, this, [this, i] { perform(readerMenu()[i]); });
    }
    if (*item.tip) action->setStatusTip(QString::fromUtf8(item.tip));
    menuActions_[i] = action;
  }

  toolbar_ = main_->addToolBar("Toolbar");
  toolbar_->setMovable(false);
  toolbar_->setIconSize(QSize(20, 20));
  for (const ToolButton& b : mainToolbar()) {
    QAction* a = toolbar_->addAction(resourceIcon(b.icon), QString::fromUtf8(b.tip));
    a->setToolTip(QString::fromUtf8(b.tip));
    a->setStatusTip(QString::fromUtf8(b.tip));
    const Nav nav = b.nav;
    connect(a, &QAction::triggered, this, [this, nav] { forward(nav); });
    toolActions_.push_back(a);
  }
  setFrameArea(area_);
}

void ReaderFrame::perform(const MenuItem& item) {
  switch (item.action) {
    case MenuAction::Start:
      startNamedProcedure(item.target, item.stackSize);
      break;
    case MenuAction::Call:
      callNamedProcedure(*this, item.target, 0, {});
      break;
    case MenuAction::Run:
      helpContents(item.target);
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
      showHelp(kHelpFile, HelpRequest::Contents);
      break;
    case MenuAction::HelpSearch:
      showHelp(kHelpFile, HelpRequest::Search);
      break;
    case MenuAction::HelpHowTo:
      showHelp(kHelpFile, HelpRequest::HowToUse);
      break;
    case MenuAction::Submenu:
      break;
  }
}

void ReaderFrame::forward(Nav nav) {
  WindowProcedure* target = activeProcedure();
  if (!target || target == this) return;
  postEvent(target->threadId(), Event::Accepted, controlOfNav(nav));
}

// Asks every other thread's window to close as its close box would; false
// when one of them stays open.
bool ReaderFrame::closeChildren() {
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

void ReaderFrame::closeRequested() {
  if (!closeChildren()) return;
  close(2);
}

void ReaderFrame::cleanup() {
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
    auto frame = std::make_unique<ReaderFrame>();
    frame->onEnded([&] {
      ended = true;
      loop.quit();
    });
    return frame;
  });
  if (!ended) loop.exec();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

int runReader() {
  initReaderGlobals();
  bool started = false;
  // A fatal error ends the program after the dictionary is torn down.
  errors().setFatalHandler([&started] {
    if (started) StopDictionary();
    started = false;
  });
  setSettingsFileName("skimwell.INI");
  StartDictionary(DictionaryKind::Reader, {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  started = true;
  Main();
  if (started) StopDictionary();
  errors().setFatalHandler(nullptr);
  return 0;
}

}  // namespace qm::reader
