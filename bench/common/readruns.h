#pragma once
// What the two reading benchmarks share: their options, the peer script
// timed over the same files, and the set of sites each run covers, every
// site in a process of its own so that each peak memory is that site's.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/site.h"

namespace bench {

struct ReadOptions {
  SiteKind kind = SiteKind::Standard;
  int pages = 10000;
  bool firstOnly = false;  // the first read alone (the scaling run)
  bool peer = true;        // time the peer script on the same files
  bool one = false;        // one site given: run it here
  bool quick = false;      // the whole set without the 100,000-page site
};

inline ReadOptions readOptions(int argc, char** argv) {
  ReadOptions o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--heavy") {
      o.kind = SiteKind::Heavy, o.one = true;
    } else if (a == "--standard") {
      o.one = true;
    } else if (a == "--first-only") {
      o.firstOnly = true;
    } else if (a == "--no-peer") {
      o.peer = false;
    } else if (a == "--quick") {
      o.quick = true;
    } else if (a == "--pages" && i + 1 < argc) {
      o.pages = std::atoi(argv[++i]), o.one = true;
    } else {
      std::fprintf(stderr,
                   "usage: %s [--quick] | [--standard|--heavy] [--pages N] [--first-only] "
                   "[--no-peer]\n",
                   argv[0]);
      std::exit(2);
    }
  }
  return o;
}

// Seconds the peer script takes over the site's two directories, its
// database beside them; a negative value when it could not run.
inline double peerSeconds(const std::string& dir, const std::string& sub) {
  const std::string cmd = std::string("python3 '") + QM_PEER_SCRIPT + "' peer.db '" + dir + "' '" +
                          dir + "/" + sub + "' 2>&1";
  const auto t0 = std::chrono::steady_clock::now();
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return -1;
  char line[512];
  std::string out;
  while (std::fgets(line, sizeof line, p)) out += line;
  const int rc = ::pclose(p);
  const double s = seconds(std::chrono::steady_clock::now() - t0);
  std::remove("peer.db");
  if (rc != 0) {
    std::fprintf(stderr, "peer script failed: %s", out.c_str());
    return -1;
  }
  return s;
}

inline void printPeer(double ours, double peer) {
  if (peer < 0) return;
  std::printf("%-28s %8.2f s  first read %.1fx faster than the peer script\n", "peer script", peer,
              peer / ours);
}

// The first read's figures in one line the whole set gathers.
inline void printScaleLine(SiteKind kind, int pages, double secs, double peer) {
  std::printf("scale: %s %d pages %.0f pages/s %.3f ms a page peak %.0f MB peer %.1fx\n",
              kindName(kind), pages, pages / secs, secs * 1e3 / pages, peakMB(),
              peer > 0 ? peer / secs : 0.0);
}

// Runs every site of the set, each in a child process of this program:
// the standard and heavy sites in full, then the heavy site's first read
// at 1,000 and 100,000 pages; finally the scaling in one table.
inline int runSet(const char* self, const ReadOptions& o) {
  std::vector<const char*> steps = {"--standard --pages 10000", "--heavy --pages 10000",
                                    "--heavy --pages 1000 --first-only"};
  if (!o.quick) steps.push_back("--heavy --pages 100000 --first-only");
  std::vector<std::string> scale;
  for (const char* args : steps) {
    std::printf("== %s\n", args);
    std::fflush(stdout);
    FILE* p = ::popen((std::string("'") + self + "' " + args).c_str(), "r");
    if (!p) return 1;
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
      std::fputs(line, stdout);
      if (std::strncmp(line, "scale: ", 7) == 0) scale.emplace_back(line + 7);
    }
    if (::pclose(p) != 0) return 1;
  }
  std::printf("== first read as the site grows\n");
  for (const std::string& l : scale) std::fputs(l.c_str(), stdout);
  return 0;
}

}  // namespace bench
