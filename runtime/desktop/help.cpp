#include "runtime/desktop/help.h"

#include <QFileInfo>
#include <QUrl>

#include "runtime/config/messages.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/values/fsutil.h"

namespace qm {

std::string findHelpFile(const std::string& fileName) {
  if (fileName.empty()) return {};
  for (const std::string& dir : {programDirectory(), currentDirectory()}) {
    std::string found = findNoCase(dir, fileName);
    if (!found.empty() && fileExists(found)) return found;
  }
  return {};
}

bool showHelp(const std::string& fileName, HelpRequest /*request*/) {
  // The desktop has one view of a help file: contents, search and the viewer's
  // own help all open the file itself.
  const std::string path = findHelpFile(fileName);
  if (path.empty()) {
    message("The help file " + fileName +
                " was not found beside the program or in the current directory.",
            "Help", MsgIcon::Exclamation);
    return false;
  }
  const QString abs = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
  if (!openUrl(QUrl::fromLocalFile(abs))) {
    message("The help file " + path + " could not be shown: no program on this desktop opens it.",
            "Help", MsgIcon::Exclamation);
    return false;
  }
  return true;
}

}  // namespace qm
