#include "frame/mainframe.h"

#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QToolBar>

#include "appkit/procedures.h"
#include "frame/program/globals.h"
#include "frame/program/startup.h"
#include "frame/splash.h"
#include "resources/resources.h"
#include "runtime/config/settings.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/help.h"
#include "runtime/desktop/jpeg.h"
#include "runtime/ui/windowdef.h"
#include "runtime/values/fsutil.h"

namespace qm {
namespace {

MainFrame* g_frame = nullptr;

constexpr const char* kStartupCheck = "StartupReminderCheck";
constexpr const char* kWallpaper = "newqmk 2.jpg";
constexpr std::size_t kSettingMax = 1024;

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

MainFrame* mainFrame() { return g_frame; }

void registerFrameProcedures() {
  registerProcedure(
      "splash", [] { return std::make_unique<Splash>(); }, 25000);
}

// ---- the frame ----------------------------------------------------------------

MainFrame::MainFrame() : FrameHost("Main", mainMenu(), mainToolbar()) {
  // The program's icons and help, before the window is built.
  setProgramIcon(resourceIcon("~qm.ico"));
  setIconLoader([](const std::string& name) { return resourceIcon(name); });
  setHelpHandler([](const std::string&) { showHelp(helpFileName(), HelpRequest::Contents); });
  setDefinition(frameWindow());
}

MainFrame::~MainFrame() {
  if (g_frame == this) g_frame = nullptr;
}

QMdiArea* MainFrame::makeArea(QWidget* parent) {
  std::string error;
  QImage picture;
  const QByteArray data = resourceData(kWallpaper, &error);
  if (!data.isEmpty()) picture = decodeJpeg(data, &error);
  if (picture.isNull()) qWarning("wallpaper %s: %s", kWallpaper, error.c_str());
  return new WallpaperArea(parent, std::move(picture));
}

std::string MainFrame::helpFile() const { return helpFileName(); }

void MainFrame::setup() {
  g_frame = this;
  FrameHost::setup();
  // The reader item is only ever enabled, when the window opens and finds the program.
  const auto& items = mainMenu();
  for (std::size_t i = 0; i < items.size(); ++i)
    if (std::string_view(items[i].id) == kReaderItem) menuAction(i)->setEnabled(false);

  toolBar()->addSeparator();
  cptogBox_ = new QCheckBox(" X", toolBar());
  cptogBox_->setFocusPolicy(Qt::NoFocus);
  cptogBox_->setChecked(cptog == 1);
  connect(cptogBox_, &QCheckBox::toggled, this, [](bool on) { cptog = on ? 1 : 0; });
  toolBar()->addWidget(cptogBox_);
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
  // The desk registers the reminder check; a frame without it starts nothing.
  if (const ProcedureEntry* check = findProcedure(kStartupCheck))
    startupThread_ = startProcedure(check->name, check->stackSize, check->factory);
}

void MainFrame::cleanup() {
  if (g_frame == this) g_frame = nullptr;
  FrameHost::cleanup();
}

void Main() {
  runFrame([] { return std::make_unique<MainFrame>(); });
}

}  // namespace qm
