#include "runtime/desktop/commandline.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include "runtime/config/messages.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace qm {
namespace {

// Why the last real start failed, in the system's words.
std::string& startFailure() {
  static std::string why;
  return why;
}

bool realStart(const std::string& program, const std::vector<std::string>& arguments) {
  QStringList args;
  for (const auto& a : arguments) args << QString::fromStdString(a);
  QProcess p;
  p.setProgram(QString::fromStdString(program));
  p.setArguments(args);
  p.setWorkingDirectory(QDir::currentPath());
  if (p.startDetached()) return true;
  // "execv: Permission denied": the reason without the call that gave it.
  const QString why = p.errorString();
  const qsizetype colon = why.lastIndexOf(QStringLiteral(": "));
  startFailure() = (colon < 0 ? why : why.mid(colon + 2)).toStdString();
  return false;
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

namespace {

struct Word {
  std::string text;
  size_t begin = 0, end = 0;  // where it stands in the line
  bool quoted = false;
};

std::vector<Word> words(std::string_view line) {
  std::vector<Word> out;
  Word w;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      if (!inWord) w.begin = i;
      quoted = !quoted;
      inWord = w.quoted = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) {
        w.end = i;
        out.push_back(std::move(w));
      }
      w = Word();
      inWord = false;
    } else {
      if (!inWord) w.begin = i;
      w.text += c;
      inWord = true;
    }
  }
  if (inWord) {
    w.end = line.size();
    out.push_back(std::move(w));
  }
  return out;
}

CommandParts partsFrom(std::vector<Word> ws, size_t programWords, std::string program) {
  CommandParts parts;
  parts.program = std::move(program);
  for (size_t i = programWords; i < ws.size(); ++i)
    parts.arguments.push_back(std::move(ws[i].text));
  return parts;
}

}  // namespace

CommandParts splitCommandLine(std::string_view line) {
  std::vector<Word> ws = words(line);
  if (ws.empty()) return {};
  std::string program = std::move(ws.front().text);
  return partsFrom(std::move(ws), 1, std::move(program));
}

std::string locateProgram(const std::string& program) {
  if (program.empty()) return {};
  // Absolute, so that the start does not look the name up on the search path.
  std::string found = resolveExecutable(program, programDirectory());
  if (!found.empty())
    return QFileInfo(QString::fromStdString(found)).absoluteFilePath().toStdString();
  const QString name = QString::fromStdString(normalizePath(program));
  if (name.contains('/')) return isExecutableFile(name) ? name.toStdString() : std::string();
  QString onPath = QStandardPaths::findExecutable(name);
  if (onPath.isEmpty() && name.endsWith(".exe", Qt::CaseInsensitive))
    onPath = QStandardPaths::findExecutable(name.chopped(4));
  return onPath.toStdString();
}

namespace {

// The program to start and its arguments. An unquoted program path with
// blanks in it is found as the desktop finds it: when the first word names no
// program, the first two words as written, then three, and so on.
bool resolveCommand(std::string_view line, std::string& program,
                    std::vector<std::string>& arguments) {
  std::vector<Word> ws = words(line);
  if (ws.empty()) return false;
  for (size_t n = 1; n <= ws.size(); ++n) {
    if (n > 1 && ws[n - 1].quoted) break;
    const std::string name =
        n == 1 ? ws[0].text : std::string(line.substr(ws[0].begin, ws[n - 1].end - ws[0].begin));
    program = locateProgram(name);
    if (!program.empty()) {
      arguments = partsFrom(std::move(ws), n, {}).arguments;
      return true;
    }
    if (ws[0].quoted) break;
  }
  return false;
}

}  // namespace

namespace {

void notStarted(const std::string& program, const std::string& why) {
  message("The program \"" + program + "\" could not be started:|" + why, "Program Not Started",
          MsgIcon::Exclamation);
}

// Starts the resolved command, or says which program did not start and why;
// a line that names nothing is no start and says nothing.
bool start(std::string_view line, const std::string* path) {
  std::string program;
  std::vector<std::string> arguments;
  if (!resolveCommand(line, program, arguments)) {
    const std::vector<Word> ws = words(line);
    if (!ws.empty())
      notStarted(
          ws.front().text,
          "no program of that name was found beside this program, in the current directory or on "
          "the search path.");
    return false;
  }
  // Never an option, whatever the path begins with.
  if (path) arguments.push_back(!path->empty() && path->front() == '-' ? "./" + *path : *path);
  startFailure().clear();
  if (starter()(program, arguments)) return true;
  notStarted(program,
             startFailure().empty() ? "the system refused to start it." : startFailure() + ".");
  return false;
}

}  // namespace

bool startCommandLine(std::string_view line) { return start(line, nullptr); }

bool startCommandLineWith(std::string_view line, const std::string& path) {
  return start(line, &path);
}

ProcessStarter setProcessStarter(ProcessStarter s) {
  ProcessStarter old = std::move(starter());
  starter() = s ? std::move(s) : ProcessStarter(realStart);
  return old;
}

}  // namespace qm
