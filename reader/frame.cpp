#include "reader/frame.h"

#include <QLinearGradient>
#include <QPainter>

#include "dictionary/dictionary.h"
#include "reader/companion.h"
#include "reader/globals.h"
#include "resources/resources.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/config/settings.h"
#include "runtime/desktop/help.h"
#include "runtime/ui/windowdef.h"

namespace qm::reader {
namespace {

ReaderFrame* g_frame = nullptr;

// The main program's help file, found and shown the same way.
constexpr const char* kHelpFile = "QUILLMARK.HLP";
constexpr const char* kWallpaper = "skimwell.gif";

// Stands in for the program's picture when the resources lack it.
QImage plainWallpaper(QSize size) {
  QImage plain(size, QImage::Format_RGB32);
  QPainter p(&plain);
  QLinearGradient g(0, 0, 0, size.height());
  g.setColorAt(0, QColor(0x2f, 0x4f, 0x6f));
  g.setColorAt(1, QColor(0x8f, 0xaf, 0xc8));
  p.fillRect(plain.rect(), g);
  return plain;
}

WindowDef frameWindow() {
  WindowDef def;
  def.title = "Quillmark Multi-WebPage Reader Program  - reads every page of a site in one run";
  def.font = "MS Sans Serif";
  // Room for the reading window and a browse with its form.
  def.w = 560;
  def.h = 360;
  def.resizable = true;
  def.mdi = false;
  return def;
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
      {1, "Cl&ose", "Close the active window", A::CloseWindow, "", 0, "Ctrl+F4", ""},
      {1, "&Next", "Go to the next window", A::NextWindow, "", 0, "Ctrl+F6; Ctrl+Tab", ""},
      {0, "&Help", "", A::Submenu, "", 0, "", ""},
      {1, "&Contents", "View the contents of the help file", A::HelpContents, "", 0, "", ""},
      {1, "&Search for Help On...", "Search for help on a subject", A::HelpSearch, "", 0, "", ""},
      {1, "&How to Use Help", "How to use Windows Help", A::HelpHowTo, "", 0, "", ""},
  };
  return items;
}

ReaderFrame* readerFrame() { return g_frame; }

ReaderFrame::ReaderFrame() : FrameHost("Main", readerMenu(), mainToolbar()) {
  setProgramIcon(resourceIcon("~qm.ico"));
  setIconLoader([](const std::string& name) { return resourceIcon(name); });
  setHelpHandler([](const std::string&) { showHelp(kHelpFile, HelpRequest::Contents); });
  setDefinition(frameWindow());
}

ReaderFrame::~ReaderFrame() {
  if (g_frame == this) g_frame = nullptr;
}

QMdiArea* ReaderFrame::makeArea(QWidget* parent) {
  QImage picture;
  const QByteArray data = resourceData(kWallpaper);
  if (!data.isEmpty()) picture.loadFromData(data);
  return new WallpaperArea(parent, std::move(picture), plainWallpaper);
}

std::string ReaderFrame::helpFile() const { return kHelpFile; }

bool ReaderFrame::beforeWindow() {
  // Before any window shows: beside the main program or not at all.
  RequestCode = 0;
  ResponseCode = 0;
  return CompanionCheck();
}

void ReaderFrame::setup() {
  g_frame = this;
  FrameHost::setup();
}

void ReaderFrame::cleanup() {
  if (g_frame == this) g_frame = nullptr;
  FrameHost::cleanup();
}

void Main() {
  runFrame([] { return std::make_unique<ReaderFrame>(); });
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
  StartDictionary(DictionaryKind::Reader,
                  {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  started = true;
  Main();
  if (started) StopDictionary();
  errors().setFatalHandler(nullptr);
  return 0;
}

}  // namespace qm::reader
