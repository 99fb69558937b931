// The batch reader's run over a generated site of 10,000 pages (20-60 KB,
// 1,000 of them in a sub-directory): first read and re-read, against a
// plain read of the same files and the peer script, and a re-read a day
// later (every dated detail record then changes); then the domain's pages
// are deleted. The same for a site dense with detail records, and its
// first read at 1,000 and 100,000 pages. See common/readruns.h for the
// options that run one site.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/readruns.h"
#include "common/site.h"
#include "dictionary/dictionary.h"
#include "reader/delpages.h"
#include "reader/globals.h"
#include "reader/readpages.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"

namespace fs = std::filesystem;
using namespace qm;
namespace rd = qm::reader;

namespace {

// The window's two runs: the domain's directory, then its sub-directory.
double readSite() {
  const auto t0 = std::chrono::steady_clock::now();
  for (const char* sub : {"", "blog"}) {
    rd::domainname = "example.com";
    rd::ReaderLocalDir = "site";
    rd::ReaderSubDir = sub;
    rd::ReadAllPages();
  }
  return bench::seconds(std::chrono::steady_clock::now() - t0);
}

}  // namespace

int main(int argc, char** argv) {
  const bench::ReadOptions opt = bench::readOptions(argc, argv);
  if (!opt.one) return bench::runSet(argv[0], opt);
  const int pages = opt.pages;
  std::string dir = (fs::temp_directory_path() / "bench-read-XXXXXX").string();
  if (!mkdtemp(dir.data())) return 1;
  fs::current_path(dir);

  const bench::Site site = bench::writeSite("site", "blog", pages, pages / 10, opt.kind);
  rd::initReaderGlobals();
  StartDictionary(DictionaryKind::Reader,
                  {[] { return rd::HtmlFileName.str(); }, [] { return rd::WorkFileName.str(); }});
  ScriptedAnswerer answers;
  answers.install();
  ThreadScope thread(1);

  std::printf("site: %s, %d pages, %.0f MB\n", bench::kindName(opt.kind), pages,
              static_cast<double>(site.bytes) / 1e6);
  const double plain = bench::plainReadSeconds(site);
  std::printf("%-28s %6d pages %8.2f s %8.0f pages/s %7.1f MB/s\n", "plain read", pages, plain,
              pages / plain, static_cast<double>(site.bytes) / 1e6 / plain);
  double cpu = bench::cpuSeconds();
  const double first = readSite();
  bench::printRate("first read (ReadAllPages)", pages, site.bytes, first, plain);
  bench::printCpu(pages, bench::cpuSeconds() - cpu);
  std::printf("%-28s", "detail records a page");
  for (FileId id :
       {FileId::WPIMG, FileId::WPLinks, FileId::WPMeta, FileId::WPScripts, FileId::WPForm})
    std::printf(" %s %.1f", access(id).name().c_str(),
                static_cast<double>(access(id).file().count()) / pages);
  std::printf("\n");
  const double peer = opt.peer ? bench::peerSeconds("site", "blog") : -1;
  bench::printPeer(first, peer);
  bench::printScaleLine(opt.kind, pages, first, peer);
  if (opt.firstOnly) {
    StopDictionary();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
    return 0;
  }
  cpu = bench::cpuSeconds();
  const double again = readSite();
  bench::printRate("re-read (ReadAllPages)", pages, site.bytes, again, plain);
  bench::printCpu(pages, bench::cpuSeconds() - cpu);
  const bench::NextDayClock nextDay;
  setClock(&nextDay);
  cpu = bench::cpuSeconds();
  const double later = readSite();
  bench::printRate("re-read a day later", pages, site.bytes, later, plain);
  bench::printCpu(pages, bench::cpuSeconds() - cpu);
  setClock(nullptr);
  std::printf("asked %zu questions (confirmation, domain added, done)\n", answers.asked.size());
  cpu = bench::cpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  rd::DeleteDomainPages();
  const double gone = bench::seconds(std::chrono::steady_clock::now() - t0);
  std::printf("%-28s %6d pages %8.2f s %8.0f pages/s  peak %.0f MB\n", "delete by domain (core)",
              rd::FileCount, gone, rd::FileCount / gone, bench::peakMB());
  bench::printCpu(rd::FileCount, bench::cpuSeconds() - cpu);

  StopDictionary();
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}
