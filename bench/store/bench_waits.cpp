// Another program's saves while a batch writes: how long each save waits.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dictionary/batchwriter.h"
#include "dictionary/dictionary.h"
#include "runtime/config/errors.h"

using namespace qm;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const int saves = argc > 1 ? std::atoi(argv[1]) : 200;
  char dir[] = "/tmp/qm-bench-waits-XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return 1;
  errors().setExitFunction([](int) { std::exit(1); });
  StartDictionary(DictionaryKind::Main,
                  {[] { return std::string("page.htm"); }, [] { return std::string("work.txt"); }});
  if (Access_WebPages->open() || Access_WPLinks->open()) return 1;
  int fds[2];
  if (pipe(fds) != 0) return 1;
  // The saver starts before the batch holds anything.
  const pid_t child = fork();
  if (child == 0) {
    RecordFile other(fileDef(FileId::WPLinks));
    if (other.open(OpenMode::ReadWriteDenyNone, false, 10)) _exit(1);
    for (int i = 0; i < saves; ++i) {
      usleep(5000);
      other.buffer().clear();
      other.buffer().setText("WPL:WEBPAGEPATHNAME", "http://other/" + std::to_string(i));
      const auto t = Clock::now();
      if (other.add()) _exit(2);
      const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t).count();
      if (write(fds[1], &ms, sizeof ms) != sizeof ms) _exit(3);
    }
    _exit(0);
  }
  close(fds[1]);
  BatchWriter w({FileId::WebPages, FileId::WPLinks});
  int status = 0, page = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (w.beginPart()) return 1;
    RecordFile& web = Access_WebPages->file();
    web.buffer().clear();
    web.buffer().setText("WEB:PAGEPATH", "http://batch/" + std::to_string(page));
    web.add();
    for (int l = 0; l < 20; ++l) {
      RecordFile& link = Access_WPLinks->file();
      link.buffer().clear();
      link.buffer().setText("WPL:WEBPAGEPATHNAME", "http://batch/" + std::to_string(page));
      link.add();
    }
    w.endPart(true);
    ++page;
  }
  w.commit();
  std::vector<double> waits;
  double ms = 0;
  while (read(fds[0], &ms, sizeof ms) == sizeof ms) waits.push_back(ms);
  if (waits.empty()) return 1;
  std::sort(waits.begin(), waits.end());
  const auto at = [&](double q) { return waits[static_cast<std::size_t>(q * (waits.size() - 1))]; };
  std::printf(
      "batch: %d pages; other program: %zu saves, wait p50 %.1f ms, p90 %.1f ms, max %.1f ms\n",
      page, waits.size(), at(0.5), at(0.9), waits.back());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
}
