#pragma once
// Opening a document, a web address or a mail address with the desktop's
// default handler for it.
#include <QUrl>
#include <functional>
#include <string_view>

class QWidget;

namespace qm {

// What the desktop is asked to open for text: trailing blanks removed, cut at 255
// characters; a text with a scheme ("mailto:", "http://", "file:") as it is; an
// existing file or directory as a local file; anything else as a web address
// ("http://" + text). Empty (invalid) for a blank text.
QUrl shellUrl(std::string_view text);

// Opens url; tests replace it to record instead. Returns whether it was accepted.
using UrlOpener = std::function<bool(const QUrl&)>;
// Installs opener (an empty one restores the desktop's); returns the one before.
UrlOpener setUrlOpener(UrlOpener opener);
// Through the installed opener.
bool openUrl(const QUrl& url);

// Hands text to the desktop's default handler; a blank text opens nothing.
// The outcome is not reported. owner is the calling window (not needed here).
void RunShellCommand(QWidget* owner, std::string_view text);

}  // namespace qm
