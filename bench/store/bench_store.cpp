// Store figures on big files: paging, locating, bulk adds, a large cascade.
// Prints the figures; runs in a fresh temporary directory.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "dictionary/dictionary.h"
#include "runtime/config/errors.h"

using namespace qm;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

void check(int rc, const char* what) {
  if (rc != 0) {
    std::fprintf(stderr, "%s failed: %d\n", what, rc);
    std::exit(1);
  }
}

}  // namespace

int main(int argc, char** argv) {
  long domains = argc > 1 ? std::atol(argv[1]) : 1000000;
  char dir[] = "/tmp/qm-bench-store-XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return 1;
  errors().setExitFunction([](int) { std::exit(1); });
  StartDictionary(DictionaryKind::Main,
                  {[] { return std::string("page.htm"); }, [] { return std::string("work.txt"); }});

  FileManager& dom = *Access_Domains;
  check(dom.open(), "open Domains");
  RecordFile& f = dom.file();
  auto t = Clock::now();
  check(f.beginBatch(), "begin");
  char name[64];
  for (long i = 0; i < domains; ++i) {
    f.buffer().clear();
    std::snprintf(name, sizeof name, "domain%07ld.example.com", (i * 7919) % domains);
    f.buffer().setText("DOM:DOMAINNAME", name);
    f.buffer().setText("DOM:HOST", (i % 3) ? "Host A" : "Host B");
    check(f.add(), "add domain");
  }
  check(f.commitBatch(), "commit");
  std::printf("fill Domains with %ld records: %.0f ms\n", domains, msSince(t));
  dom.close();

  // Fresh connection, as a browse opening the file.
  check(dom.open(), "reopen Domains");
  std::vector<std::pair<int64_t, RecordBuffer>> page;
  t = Clock::now();
  check(f.readPage(0, nullptr, 0, true, 20, page), "first page");
  std::printf("first page of 20 in key order: %.3f ms (%s .. %s)\n", msSince(t),
              page.front().second.text("DOM:DOMAINNAME").c_str(),
              page.back().second.text("DOM:DOMAINNAME").c_str());
  RecordBuffer last = page.back().second;
  int64_t lastPos = page.back().first;
  t = Clock::now();
  check(f.readPage(0, &last, lastPos, true, 20, page), "next page");
  std::printf("next page of 20: %.3f ms\n", msSince(t));
  t = Clock::now();
  for (int i = 0; i < 100; ++i) {
    last = page.back().second;
    lastPos = page.back().first;
    f.readPage(1, &last, lastPos, true, 20, page);
  }
  std::printf(
      "next page of 20 on a key with many duplicates (DOM:HOSTEDBY), mean of 100: %.3f ms\n",
      msSince(t) / 100);
  t = Clock::now();
  int rc = f.locatePrefix(0, "domain05");
  std::printf("locate by prefix: %.3f ms (rc %d, %s)\n", msSince(t), rc,
              f.buffer().text("DOM:DOMAINNAME").c_str());
  t = Clock::now();
  f.seekLast();
  f.previous();
  std::printf("last record in key order: %.3f ms\n", msSince(t));
  dom.close();

  // 100,000 link records in one transaction.
  FileManager& links = *Access_WPLinks;
  check(links.open(), "open WPLinks");
  t = Clock::now();
  RecordFile& lf = links.file();
  check(lf.beginBatch(), "begin links");
  for (int i = 0; i < 100000; ++i) {
    lf.buffer().clear();
    lf.buffer().setText("WPL:WEBPAGEPATHNAME",
                        std::string("http://bulk/p").append(std::to_string(i / 20)));
    lf.buffer().setText("WPL:WEBPAGELINK",
                        std::string("http://elsewhere/").append(std::to_string(i)));
    lf.buffer().setReal("WPL:LINENUMBER", i);
    check(lf.add(), "add link");
  }
  check(lf.commitBatch(), "commit links");
  std::printf("add 100,000 WPLinks in one transaction: %.0f ms\n", msSince(t));

  // A domain with 5,000 pages and 100,000 detail records, deleted by cascade.
  FileManager* details[] = {Access_WPMeta, Access_WPLinks, Access_WPForm, Access_WPIMG,
                            Access_WPScripts};
  const char* linkField[] = {"WPM:WEBPAGEPATH", "WPL:WEBPAGEPATHNAME", "WPF:WEBPAGEPATHNAME",
                             "WPI:WEBPAGEPATHNAME", "WPS:WEBPAGEPATHNAME"};
  check(Relate_Domains->open(), "open Domains");
  check(Relate_WebPages->open(), "open WebPages");
  for (auto* d : details) check(d->open(), "open detail");
  dom.buffer().clear();
  dom.buffer().setText("DOM:DOMAINNAME", "big.example.com");
  check(dom.insert(), "add big domain");
  RecordFile& pages = Access_WebPages->file();
  check(pages.beginBatch(), "begin pages");
  for (auto* d : details) check(d->file().beginBatch(), "begin details");
  for (int p = 0; p < 5000; ++p) {
    std::string path = std::string("http://big.example.com/p").append(std::to_string(p)) + ".htm";
    pages.buffer().clear();
    pages.buffer().setText("WEB:DOMAINNAME", "big.example.com");
    pages.buffer().setText("WEB:PAGENAME", std::string("p").append(std::to_string(p)));
    pages.buffer().setText("WEB:PAGEPATH", path);
    check(pages.add(), "add page");
    for (int k = 0; k < 20; ++k) {
      RecordFile& df = details[k % 5]->file();
      df.buffer().clear();
      df.buffer().setText(linkField[k % 5], path);
      check(df.add(), "add detail");
    }
  }
  check(pages.commitBatch(), "commit pages");
  for (auto* d : details) check(d->file().commitBatch(), "commit details");
  dom.buffer().setText("DOM:DOMAINNAME", "big.example.com");
  check(dom.tryFetch(0), "fetch big domain");
  int64_t before = 0;
  for (auto* d : details) before += d->file().count();
  t = Clock::now();
  check(Relate_Domains->deleteRecord(false), "cascade");
  double cascadeMs = msSince(t);
  int64_t after = 0;
  for (auto* d : details) after += d->file().count();
  std::printf("cascading delete of a domain with 5,000 pages and %lld detail records: %.0f ms\n",
              static_cast<long long>(before - after), cascadeMs);
  std::printf("  (detail records before %lld, after %lld; pages left %lld)\n",
              static_cast<long long>(before), static_cast<long long>(after),
              static_cast<long long>(pages.count()));
  StopDictionary();
  std::filesystem::remove_all(dir);
  return 0;
}
