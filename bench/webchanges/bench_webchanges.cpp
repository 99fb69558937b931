// The per-domain changes ("Currently Use", local paths) and delete by domain
// over 50,000 pages of one domain (each with five detail records) beside
// 10,000 pages of another.
#include <unistd.h>

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/site.h"
#include "dictionary/batchwriter.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"
#include "webdata/pages/delpages.h"
#include "webdata/reports/changes.h"

namespace fs = std::filesystem;
using namespace qm;

namespace {

constexpr int kPages = 50000, kOthers = 10000;

struct Detail {
  FileId id;
  const char* path;
  const char* other;
};
const Detail kDetails[] = {{FileId::WPLinks, "WPL:WEBPAGEPATHNAME", "WPL:WEBPAGELINK"},
                           {FileId::WPLinks, "WPL:WEBPAGEPATHNAME", "WPL:WEBPAGELINK"},
                           {FileId::WPIMG, "WPI:WEBPAGEPATHNAME", "WPI:WEBPAGEIMG"},
                           {FileId::WPMeta, "WPM:WEBPAGEPATH", "WPM:METANAME"},
                           {FileId::WPScripts, "WPS:WEBPAGEPATHNAME", "WPS:SCRIPTLINE1"}};
const std::vector<FileId> kFiles = {FileId::WebPages, FileId::WPLinks,   FileId::WPIMG,
                                    FileId::WPMeta,   FileId::WPScripts, FileId::WPForm,
                                    FileId::Domains};

void seed() {
  for (FileId id : kFiles) access(id).open();
  BatchWriter writer(kFiles);
  RecordBuffer& dom = access(FileId::Domains).buffer();
  dom.clear();
  dom.setText("DOM:DOMAINNAME", "big.com");
  access(FileId::Domains).file().add();
  for (int i = 0; i < kPages + kOthers; ++i) {
    writer.beginPart();
    const std::string domain = i < kPages ? "big.com" : "other.com";
    const std::string name = "page" + std::to_string(i) + ".htm";
    const std::string path = "http://www." + domain + "/" + name;
    RecordFile& web = access(FileId::WebPages).file();
    web.buffer().clear();
    web.buffer().setText("WEB:DOMAINNAME", domain);
    web.buffer().setText("WEB:PAGENAME", name);
    web.buffer().setText("WEB:PAGEPATH", path);
    web.buffer().setText("WEB:LOCALPATH", "/old/" + name);
    web.add();
    for (const Detail& d : kDetails) {
      RecordFile& f = access(d.id).file();
      f.buffer().clear();
      f.buffer().setText(d.path, path);
      f.buffer().setText(d.other, "x");
      f.add();
    }
    writer.endPart(true);
  }
  writer.commit();
  for (FileId id : kFiles) access(id).close();
}

double changeRun(webreports::DomainChange kind) {
  webreports::DomainChangeRun run(kind, mainWebContext());
  const auto t0 = std::chrono::steady_clock::now();
  run.run();
  return bench::seconds(std::chrono::steady_clock::now() - t0);
}

void print(const char* what, double s) {
  std::printf("%-36s %6d pages %7.2f s %8.0f pages/s  peak %.0f MB\n", what, kPages, s, kPages / s,
              bench::peakMB());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::string dir = (fs::temp_directory_path() / "bench-changes-XXXXXX").string();
  if (!mkdtemp(dir.data())) return 1;
  fs::current_path(dir);
  initGlobals();
  StartDictionary(DictionaryKind::Main,
                  {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  ScriptedAnswerer answers;
  answers.install();
  ThreadScope thread(1);

  const auto t0 = std::chrono::steady_clock::now();
  seed();
  std::printf("seeded %d + %d pages with 5 detail records each in %.1f s\n", kPages, kOthers,
              bench::seconds(std::chrono::steady_clock::now() - t0));
  domainname = "big.com";
  print("Currently Use (ChgLoPath1)", changeRun(webreports::DomainChange::UseNow));
  NewLocalDir = "/srv/new";
  print("Change Local Paths (ChgLoPath)", changeRun(webreports::DomainChange::LocalPath));
  const auto t1 = std::chrono::steady_clock::now();
  webpages::DeleteDomainPages(mainWebContext());
  print("Delete by domain (DeleteDomainPages)",
        bench::seconds(std::chrono::steady_clock::now() - t1));
  std::printf("status: %s; messages asked: %zu\n", StatusText.str().c_str(), answers.asked.size());

  StopDictionary();
  fs::current_path(fs::temp_directory_path());
  fs::remove_all(dir);
  return 0;
}
