#include "runtime/report/placement.h"

#include <QWidget>
#include <charconv>

#include "runtime/config/messages.h"
#include "runtime/config/settings.h"
#include "runtime/values/text.h"

namespace qm {

namespace {

int readInt(const std::string& section, const char* entry, int deflt) {
  const std::string s = settings().read(section, entry, std::to_string(deflt));
  int v = deflt;
  const char* b = s.data();
  const char* e = b + s.size();
  while (b < e && *b == ' ') ++b;
  auto [p, ec] = std::from_chars(b, e, v);
  if (ec != std::errc{} || p == b) return deflt;
  return v;
}

}  // namespace

void restorePlacement(QWidget& window, const std::string& section, bool resizable) {
  if (compareNoCase(settings().read(section, "Maximize", "No"), "Yes") == 0) {
    window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return;
  }
  const QPoint at = window.pos();
  const int x = readInt(section, "XPos", at.x());
  const int y = readInt(section, "YPos", at.y());
  window.move(x, y);
  if (resizable) {
    const int w = readInt(section, "Width", window.width());
    const int h = readInt(section, "Height", window.height());
    if (w > 0 && h > 0) window.resize(w, h);
  }
}

void savePlacement(const QWidget& window, const std::string& section, bool resizable) {
  if (window.isMinimized()) return;
  const bool maximized = window.isMaximized();
  IniFile& ini = settings();
  bool ok = ini.write(section, "Maximize", maximized ? "Yes" : "No");
  if (ok && !maximized) {
    ok = ini.write(section, "XPos", std::to_string(window.pos().x())) &&
         ini.write(section, "YPos", std::to_string(window.pos().y()));
    if (ok && resizable)
      ok = ini.write(section, "Width", std::to_string(window.width())) &&
           ini.write(section, "Height", std::to_string(window.height()));
  }
  if (!ok)
    message("The window position could not be saved in " + ini.fileName() + ": " + ini.lastError(),
            "Settings", MsgIcon::Exclamation);
}

}  // namespace qm
