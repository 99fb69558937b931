// The reading window a user drives, offscreen, over the site bench_read
// reads: the frame's menu opens it, the domain and directory are typed in,
// GO! is pressed for the directory and again for its sub-directory, and
// the boxes are answered as a user would. Then the same pages are deleted
// through the delete-by-domain window. The first read is timed against the
// peer script too; the same runs over a site dense with detail records,
// and its first read at 1,000 and 100,000 pages (common/readruns.h).
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "appkit/procedures.h"
#include "common/readruns.h"
#include "common/site.h"
#include "common/window.h"
#include "dictionary/dictionary.h"
#include "reader/frame.h"
#include "reader/globals.h"
#include "reader/register.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"

namespace fs = std::filesystem;
using namespace qm;
namespace rd = qm::reader;
using bench::press;
using bench::pump;
using bench::typeInto;

namespace {

// Opens a window from the frame's menu and returns its procedure.
WindowProcedure* openFromMenu(rd::ReaderFrame& frame, const char* item, const char* name) {
  frame.menuAction(item)->trigger();
  pump();
  for (int t : runningThreads())
    if (WindowProcedure* p = topProcedure(t); p && p->name() == name) return p;
  std::fprintf(stderr, "%s did not open %s\n", item, name);
  std::exit(1);
}

// Both GO! presses of one read: the domain's directory, then "blog".
double readSite(WindowProcedure* w) {
  typeInto(w, "?ReaderSubDir", "");
  double s = press(w, "?GO");
  typeInto(w, "?ReaderSubDir", "blog");
  return s + press(w, "?GO");
}

// Runs one step, then prints its pages/s and its CPU time a page; returns
// its seconds.
double timed(const char* what, const std::function<double()>& step,
             const std::function<int()>& pages) {
  const double cpu = bench::cpuSeconds();
  const double secs = step();
  const int n = pages();
  std::printf("%-28s %6d pages %8.2f s %8.0f pages/s %7.3f ms a page  peak %.0f MB\n", what, n,
              secs, n / secs, secs * 1e3 / n, bench::peakMB());
  bench::printCpu(n, bench::cpuSeconds() - cpu);
  return secs;
}

}  // namespace

int main(int argc, char** argv) {
  const bench::ReadOptions opt = bench::readOptions(argc, argv);
  if (!opt.one) return bench::runSet(argv[0], opt);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int pages = opt.pages;
  std::string dir = (fs::temp_directory_path() / "bench-read-window-XXXXXX").string();
  if (!mkdtemp(dir.data())) return 1;
  fs::current_path(dir);

  const bench::Site site = bench::writeSite("site", "blog", pages, pages / 10, opt.kind);
  // The reader opens its frame only beside the main program's files.
  std::ofstream("QUILLMARK.EXE") << "x";
  rd::initReaderGlobals();
  StartDictionary(DictionaryKind::Reader,
                  {[] { return rd::HtmlFileName.str(); }, [] { return rd::WorkFileName.str(); }});
  {
    RecordFile con(fileDef(FileId::Con));
    if (con.open(OpenMode::ReadWriteDenyNone, true, 1, fileDef(FileId::Con).ownerPassword) != 0)
      return 1;
    con.close();
  }
  rd::registerReaderProcedures(procedureRegistrar());
  ScriptedAnswerer answers;
  answers.install();

  startProcedure("Main", 0, [] { return std::make_unique<rd::ReaderFrame>(); });
  pump();
  rd::ReaderFrame* frame = rd::readerFrame();
  if (!frame) return 1;

  std::printf("site: %s, %d pages, %.0f MB\n", bench::kindName(opt.kind), pages,
              static_cast<double>(site.bytes) / 1e6);
  WindowProcedure* w = openFromMenu(*frame, "&Speed Read Pages", "readpages");
  std::printf("window open: peak %.0f MB\n", bench::peakMB());
  typeInto(w, "?domainname", "example.com");
  typeInto(w, "?ReaderLocalDir", "site");
  const auto all = [pages] { return pages; };
  const double first = timed(
      "first read (window)", [w] { return readSite(w); }, all);
  const double peer = opt.peer ? bench::peerSeconds("site", "blog") : -1;
  bench::printPeer(first, peer);
  bench::printScaleLine(opt.kind, pages, first, peer);
  if (opt.firstOnly) {
    w->close(2);
    pump();
  } else {
    timed(
        "re-read (window)", [w] { return readSite(w); }, all);
    const bench::NextDayClock nextDay;
    setClock(&nextDay);
    timed(
        "re-read a day later (window)", [w] { return readSite(w); }, all);
    setClock(nullptr);
    std::printf("asked %zu questions (confirmation, domain added, done)\n", answers.asked.size());
    w->close(2);
    pump();

    WindowProcedure* del = openFromMenu(*frame, "Delete WebPages By Domain", "delpages");
    typeInto(del, "?domainname", "example.com");
    timed(
        "delete by domain (window)", [del] { return press(del, "?Run"); },
        [] { return rd::FileCount; });
    std::printf("status: %s\n", rd::StatusText.str().c_str());
  }

  for (int guard = 0; guard < 20 && !runningThreads().empty(); ++guard) {
    if (WindowProcedure* p = topProcedure(runningThreads().front())) p->close(2);
    pump();
  }
  StopDictionary();
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}
