#include "runtime/desktop/commandline.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm {
namespace {

bool realStart(const std::string& program, const std::vector<std::string>& arguments) {
  QStringList args;
  for (const auto& a : arguments) args << QString::fromStdString(a);
  return QProcess::startDetached(QString::fromStdString(program), args, QDir::currentPath());
}

ProcessStarter& starter() {
  static ProcessStarter s = realStart;
  return s;
}

bool isExecutableFile(const QString& path) {
  QFileInfo fi(path);
  return fi.isFile() && fi.isExecutable();
}

}  // namespace

CommandParts splitCommandLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  CommandParts parts;
  if (!words.empty()) {
    parts.program = std::move(words.front());
    parts.arguments.assign(std::make_move_iterator(words.begin() + 1),
                           std::make_move_iterator(words.end()));
  }
  return parts;
}

std::string locateProgram(const std::string& program) {
  if (program.empty()) return {};
  // Absolute, so that the start does not look the name up on the search path.
  std::string found = resolveExecutable(program, programDirectory());
  if (!found.empty()) return QFileInfo(QString::fromStdString(found)).absoluteFilePath().toStdString();
  const QString name = QString::fromStdString(normalizePath(program));
  if (name.contains('/')) return isExecutableFile(name) ? name.toStdString() : std::string();
  QString onPath = QStandardPaths::findExecutable(name);
  if (onPath.isEmpty() && name.endsWith(".exe", Qt::CaseInsensitive))
    onPath = QStandardPaths::findExecutable(name.chopped(4));
  return onPath.toStdString();
}

bool startCommandLine(std::string_view line) {
  CommandParts parts = splitCommandLine(line);
  std::string program = locateProgram(parts.program);
  if (program.empty()) return false;
  return starter()(program, parts.arguments);
}

ProcessStarter setProcessStarter(ProcessStarter s) {
  ProcessStarter old = std::move(starter());
  starter() = s ? std::move(s) : ProcessStarter(realStart);
  return old;
}

}  // namespace qm
