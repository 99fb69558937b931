#include "runtime/desktop/shellopen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QString>
#include <cctype>

#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm {
namespace {

bool desktopOpen(const QUrl& url) { return QDesktopServices::openUrl(url); }

UrlOpener& opener() {
  static UrlOpener o = desktopOpen;
  return o;
}

// "scheme:" with a scheme of two or more letters, so "C:\x" is no scheme.
bool hasScheme(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '+' ||
                          s[i] == '-' || s[i] == '.'))
    ++i;
  return i >= 2 && i < s.size() && s[i] == ':' && std::isalpha(static_cast<unsigned char>(s[0]));
}

}  // namespace

QUrl shellUrl(std::string_view text) {
  std::string_view t = clip(text);
  t = cutChars(t, 255);
  t = clip(t);
  if (t.empty()) return {};
  const std::string s(t);
  if (hasScheme(s)) return QUrl(QString::fromStdString(s));
  const std::string path = normalizePath(s);
  QFileInfo fi(QString::fromStdString(path));
  if (fi.exists()) return QUrl::fromLocalFile(fi.absoluteFilePath());
  return QUrl(QString::fromStdString("http://" + s));
}

UrlOpener setUrlOpener(UrlOpener o) {
  UrlOpener old = std::move(opener());
  opener() = o ? std::move(o) : UrlOpener(desktopOpen);
  return old;
}

bool openUrl(const QUrl& url) { return opener()(url); }

void RunShellCommand(QWidget* /*owner*/, std::string_view text) {
  const QUrl url = shellUrl(text);
  if (url.isEmpty()) return;
  (void)openUrl(url);  // the shell's answer is not reported
}

}  // namespace qm
