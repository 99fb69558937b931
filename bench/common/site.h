#pragma once
// A generated web site for the reading benchmarks: pages of 20-60 KB with a
// title, meta tags, images, links, scripts and forms, in a root directory
// and one sub-directory, the same bytes on every run.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/values/clock.h"

namespace bench {

// The system clock a day on: a re-read then finds every dated detail
// record out of date, as a re-read on another day does.
class NextDayClock : public qm::Clock {
 public:
  int32_t today() const override { return qm::Clock::today() + 1; }
};

class Rng {
 public:
  explicit Rng(unsigned seed) : s_(seed) {}
  unsigned next(unsigned n) {
    s_ = s_ * 1103515245u + 12345u;
    return ((s_ >> 8) & 0xffffff) % n;
  }

 private:
  unsigned s_;
};

// The two kinds of generated site: the benchmark's own pages (about 75
// detail records a page) and pages dense with them (about 95: 28 images,
// 56 links, 6.5 meta tags, 4 scripts).
enum class SiteKind { Standard, Heavy };

inline const char* kindName(SiteKind k) { return k == SiteKind::Heavy ? "heavy" : "standard"; }

inline std::string makePage(int n, Rng& r, SiteKind kind = SiteKind::Standard) {
  const bool heavy = kind == SiteKind::Heavy;
  const std::size_t size = 20 * 1024 + r.next(40 * 1024);
  std::string p = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<title>Page " + std::to_string(n) +
                  " of the example site</title>\r\n";
  p += "<meta name=\"description\" content=\"About page " + std::to_string(n) +
       " and what it offers\">\r\n";
  p += "<meta name=\"keywords\" content=\"widgets, gadgets, tools, page" + std::to_string(n) +
       "\">\r\n";
  p += "<meta name=\"author\" content=\"Web Team\">\r\n";
  if (heavy) {
    p += "<meta name=\"robots\" content=\"index, follow\">\r\n"
         "<meta name=\"generator\" content=\"Site Builder 4.2\">\r\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n";
    if (n % 2) p += "<meta name=\"copyright\" content=\"Example Widgets Ltd\">\r\n";
  }
  p += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">\r\n";
  p += "<script language=\"javascript\">\r\n  function menu(id) { return "
       "document.getElementById(id); }\r\n"
       "  var page = " +
       std::to_string(n) + ";\r\n</script>\r\n</head>\r\n<body>\r\n";
  int k = 0;
  while (p.size() < size) {
    ++k;
    // A heavy page's lines: 52 in 240 a link, 26 an image, 3 a script.
    unsigned pick = heavy ? r.next(240) : r.next(16);
    if (heavy) pick = pick < 52 ? 0 : pick < 78 ? 3 : pick < 81 ? 4 : 6;
    switch (pick) {
      case 0:
      case 1:
      case 2:
        p += "<a href=\"page" + std::to_string(r.next(10000)) + ".htm\">Read about item " +
             std::to_string(k) + "</a> | <a href=\"http://www.example.org/ref" + std::to_string(k) +
             ".html\">reference</a><br>\r\n";
        break;
      case 3:
        p += "  <img src=\"images/pic" + std::to_string(r.next(500)) +
             ".gif\" width=\"120\" height=\"80\" alt=\"picture\" border=\"0\">\r\n";
        break;
      case 4:
        if (heavy || r.next(8) == 0)
          p += "<script type=\"text/javascript\">\r\n  var shown = " + std::to_string(k) +
               ";\r\n  function toggle() { shown = !shown; }\r\n</script>\r\n";
        else
          p += "<p>Short note number " + std::to_string(k) + ".</p>\r\n";
        break;
      case 5:
        if (r.next(10) == 0)
          p += "<form action=\"/cgi-bin/search.cgi\" method=\"post\">\r\n<input type=\"text\" "
               "name=\"q\" "
               "size=\"20\">\r\n<input type=\"submit\" value=\"Search\">\r\n</form>\r\n";
        else
          p += "<table border=\"0\" cellpadding=\"2\" cellspacing=\"0\" "
               "width=\"100%\"><tr><td>Cell</td></tr></table>\r\n";
        break;
      default:
        p += "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
             "incididunt ut "
             "labore et dolore magna aliqua. Ut enim ad minim veniam, quis nostrud "
             "exercitation.</p>\r\n";
        break;
    }
  }
  p += "</body>\r\n</html>\r\n";
  return p;
}

// The files are named by their number, not kept in a list: at 100,000
// pages a list would be part of the peak memory measured.
struct Site {
  std::string dir, sub;
  int pages = 0, subPages = 0;
  std::size_t bytes = 0;
  std::size_t size() const { return static_cast<std::size_t>(pages); }
  // Page i: root pages first, then the sub-directory's.
  std::string file(std::size_t i) const {
    const bool inSub = static_cast<int>(i) >= pages - subPages;
    return (inSub ? dir + "/" + sub : dir) + "/page" + std::to_string(i) + ".htm";
  }
};

// pages pages under dir, the last subPages of them in dir/sub.
inline Site writeSite(const std::string& dir, const std::string& sub, int pages, int subPages,
                      SiteKind kind = SiteKind::Standard) {
  Site site{dir, sub, pages, subPages};
  std::filesystem::create_directories(dir + "/" + sub);
  Rng r(20240611u);
  for (std::size_t i = 0; i < site.size(); ++i) {
    const std::string page = makePage(static_cast<int>(i), r, kind);
    std::ofstream(site.file(i), std::ios::binary) << page;
    site.bytes += page.size();
  }
  return site;
}

// Reads every file with read() into one reused buffer: the disk's own pace.
inline double plainReadSeconds(const Site& site) {
  static char buf[1 << 16];
  const auto t0 = std::chrono::steady_clock::now();
  std::size_t sink = 0;
  for (std::size_t i = 0; i < site.size(); ++i) {
    const int fd = ::open(site.file(i).c_str(), O_RDONLY);
    if (fd < 0) continue;
    for (ssize_t got; (got = ::read(fd, buf, sizeof buf)) > 0;)
      sink += static_cast<std::size_t>(got);
    ::close(fd);
  }
  const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  return sink ? s : s + 0.0;
}

// Peak resident memory of the process so far, in MB.
inline double peakMB() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_maxrss) / 1024.0;
}

// CPU time of the process so far (user and system), in seconds: steadier
// than the wall clock on a shared machine.
inline double cpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

inline void printCpu(int pages, double cpuSecs) {
  std::printf("%-28s %6.3f ms CPU a page\n", "", cpuSecs * 1e3 / pages);
}

inline double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

inline void printRate(const char* what, int pages, std::size_t bytes, double secs, double plain) {
  std::printf("%-28s %6d pages %8.2f s %8.0f pages/s %7.1f MB/s  %6.1fx plain read  peak %.0f MB\n",
              what, pages, secs, pages / secs, static_cast<double>(bytes) / 1e6 / secs,
              secs / plain, peakMB());
}

}  // namespace bench
