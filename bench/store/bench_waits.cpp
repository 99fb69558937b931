// Another program's saves while a batch writes: how long each save waits,
// for a saver of the project's own and for a plain SQLite client that does
// not announce itself; and the batch's pages a second with the files left
// free once a second and without.
#include <sqlite3.h>
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

namespace {

enum class Saver { Own, Plain };

// One save of the plain client: its busy handler waits up to 10 s.
bool plainSave(sqlite3* db, sqlite3_stmt* insert, int i) {
  const std::string path = "http://plain/" + std::to_string(i);
  sqlite3_bind_text(insert, 1, path.c_str(), -1, SQLITE_TRANSIENT);
  const int rc = sqlite3_step(insert);
  sqlite3_reset(insert);
  if (rc != SQLITE_DONE) std::fprintf(stderr, "plain save: %s\n", sqlite3_errmsg(db));
  return rc == SQLITE_DONE;
}

// The saving process: `saves` saves, each wait written to fd.
[[noreturn]] void save(Saver saver, int saves, int fd) {
  RecordFile other(fileDef(FileId::WPLinks));
  sqlite3* db = nullptr;
  sqlite3_stmt* insert = nullptr;
  if (saver == Saver::Own) {
    if (other.open(OpenMode::ReadWriteDenyNone, false, 10)) _exit(1);
  } else {
    if (sqlite3_open(other.path().c_str(), &db) != SQLITE_OK) _exit(1);
    sqlite3_busy_timeout(db, 10000);
    const std::string sql = "INSERT INTO \"" + fileDef(FileId::WPLinks).label +
                            "\" (\"WEBPAGEPATHNAME\", \"WEBPAGELINK\") VALUES (?, 'x')";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &insert, nullptr) != SQLITE_OK) _exit(1);
  }
  for (int i = 0; i < saves; ++i) {
    usleep(5000);
    const auto t = Clock::now();
    if (saver == Saver::Own) {
      other.buffer().clear();
      other.buffer().setText("WPL:WEBPAGEPATHNAME", "http://other/" + std::to_string(i));
      if (other.add()) _exit(2);
    } else if (!plainSave(db, insert, i)) {
      _exit(2);
    }
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t).count();
    if (write(fd, &ms, sizeof ms) != sizeof ms) _exit(3);
  }
  _exit(0);
}

// One page of the batch: a page record and 20 links.
void writePage(BatchWriter& w, int page) {
  if (w.beginPart()) std::exit(1);
  RecordFile& web = Access_WebPages->file();
  web.buffer().clear();
  web.buffer().setText("WEB:PAGEPATH", "http://batch/" + std::to_string(page));
  web.add();
  for (int l = 0; l < 20; ++l) {
    RecordFile& link = Access_WPLinks->file();
    link.buffer().clear();
    link.buffer().setText("WPL:WEBPAGEPATHNAME", "http://batch/" + std::to_string(page));
    link.buffer().setText("WPL:WEBPAGELINK", std::to_string(l));
    link.add();
  }
  w.endPart(true);
}

int nextPage = 0;

bool waits(Saver saver, int saves) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  // The saver starts before the batch holds anything.
  const pid_t child = fork();
  if (child == 0) save(saver, saves, fds[1]);
  close(fds[1]);
  int status = 0, pages = 0;
  {
    BatchWriter w({FileId::WebPages, FileId::WPLinks});
    while (waitpid(child, &status, WNOHANG) == 0) {
      writePage(w, nextPage++);
      ++pages;
    }
    w.commit();
  }
  std::vector<double> waited;
  double ms = 0;
  while (read(fds[0], &ms, sizeof ms) == sizeof ms) waited.push_back(ms);
  close(fds[0]);
  if (waited.empty()) return false;
  std::sort(waited.begin(), waited.end());
  const auto at = [&](double q) {
    return waited[static_cast<std::size_t>(q * static_cast<double>(waited.size() - 1))];
  };
  std::printf(
      "%s saver: %zu saves beside a batch of %d pages, wait p50 %.1f ms, p90 %.1f ms, max %.1f "
      "ms\n",
      saver == Saver::Own ? "project's own" : "plain SQLite", waited.size(), pages, at(0.5),
      at(0.9), waited.back());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Pages a second of a batch alone for `seconds`.
double pagesPerSecond(double seconds) {
  BatchWriter w({FileId::WebPages, FileId::WPLinks});
  const auto start = Clock::now();
  int pages = 0;
  while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
    writePage(w, nextPage++);
    ++pages;
  }
  w.commit();
  return pages / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int saves = argc > 1 ? std::atoi(argv[1]) : 200;
  char dir[] = "/tmp/qm-bench-waits-XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return 1;
  errors().setExitFunction([](int) { std::exit(1); });
  StartDictionary(DictionaryKind::Main,
                  {[] { return std::string("page.htm"); }, [] { return std::string("work.txt"); }});
  if (Access_WebPages->open() || Access_WPLinks->open()) return 1;
  bool good = waits(Saver::Own, saves);
  good = waits(Saver::Plain, saves / 4) && good;  // each save may wait a second

  // What leaving the files free costs the batch: medians of five runs each way.
  std::vector<double> with, without;
  for (int run = 0; run < 5; ++run) {
    Transaction::setFreeGapMs(100);
    with.push_back(pagesPerSecond(3.0));
    Transaction::setFreeGapMs(0);
    without.push_back(pagesPerSecond(3.0));
  }
  Transaction::setFreeGapMs(100);
  std::sort(with.begin(), with.end());
  std::sort(without.begin(), without.end());
  std::printf("batch alone: %.0f pages/s with the files left free once a second, %.0f without\n",
              with[2], without[2]);
  return good ? 0 : 1;
}
