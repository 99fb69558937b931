// Scanning a 10 MB page against plain reading of the same bytes.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "webdata/scan/scan.h"

namespace {

// A page made of the kinds of lines the scanner meets: markup, text, links,
// images, meta tags, scripts, forms, and now and then a line past 255.
std::string makePage(std::size_t bytes) {
  std::string out = "<html>\r\n<head>\r\n<title>Bench page</title>\r\n";
  unsigned seed = 12345;
  auto rnd = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  int n = 0;
  while (out.size() < bytes) {
    ++n;
    switch (rnd() % 12) {
      case 0:
        out += "<a href=\"page" + std::to_string(n) + ".htm\">Page " + std::to_string(n) +
               "</a><br>\r\n";
        break;
      case 1:
        out += "  <img src=\"/images/pic" + std::to_string(n) +
               ".gif\" width=\"120\" height=\"60\" alt=\"picture\" border=\"0\">\r\n";
        break;
      case 2:
        out +=
            "<meta name=\"keywords\" content=\"one, two, three, " + std::to_string(n) + "\">\r\n";
        break;
      case 3:
        out += "<script language=\"javascript\">\r\n  var x = " + std::to_string(n) +
               ";\r\n\r\n  function f() { return x; }\r\n</script>\r\n";
        break;
      case 4:
        out +=
            "<form action=\"send.cgi\" method=\"post\">\r\n<input type=\"text\" name=\"q\" "
            "size=\"20\">\r\n"
            "<input type=\"submit\" value=\"Go\">\r\n</form>\r\n";
        break;
      case 5:
        out += std::string(300, 'w') + " <b>long line</b> <a href=\"far.htm\">far</a>\r\n";
        break;
      case 6:
        out += "\r\n";
        break;
      case 7:
        out +=
            "<table border=\"0\" cellpadding=\"2\" cellspacing=\"0\" width=\"100%\"><tr><td>\r\n";
        break;
      default:
        out +=
            "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor "
            "incididunt ut labore.</p>\r\n";
        break;
    }
  }
  return out;
}

double seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// Reads the whole file with read() into one reused buffer.
std::size_t plainRead(const char* path) {
  static char buf[1 << 16];
  const int fd = ::open(path, O_RDONLY);
  if (fd < 0) return 0;
  std::size_t total = 0;
  for (;;) {
    const ssize_t got = ::read(fd, buf, sizeof buf);
    if (got <= 0) break;
    total += static_cast<std::size_t>(got) + static_cast<unsigned char>(buf[0]);
  }
  ::close(fd);
  return total;
}

// Reads the whole file into one fresh buffer, as a scan of it needs.
std::size_t wholeRead(const char* path, std::size_t size) {
  std::unique_ptr<char[]> buf(new char[size + 1]);
  const int fd = ::open(path, O_RDONLY);
  if (fd < 0) return 0;
  std::size_t total = 0;
  for (;;) {
    const ssize_t got = ::read(fd, buf.get() + total, size + 1 - total);
    if (got <= 0) break;
    total += static_cast<std::size_t>(got);
  }
  ::close(fd);
  return total + static_cast<unsigned char>(buf[total / 2]);
}

}  // namespace

int main() {
  const std::string text = makePage(10u * 1024 * 1024);
  const char* path = "bench-scan.htm";
  std::FILE* f = std::fopen(path, "wb");
  if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  const int runs = 15;
  double bestRead = 1e9, bestWhole = 1e9, bestPage = 1e9, bestOwned = 1e9;
  std::size_t sink = 0;
  for (int i = 0; i < runs; ++i) {
    qm::ScannedPage page;  // each run's findings are freed outside the timing
    qm::ScanResult owned;
    std::string error;
    auto t0 = std::chrono::steady_clock::now();
    sink += plainRead(path);
    auto t1 = std::chrono::steady_clock::now();
    page = qm::scanPageFile(path, &error);
    auto t2 = std::chrono::steady_clock::now();
    if (!error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    sink += wholeRead(path, text.size());
    auto t3 = std::chrono::steady_clock::now();
    owned = qm::scanFile(path, &error);
    auto t4 = std::chrono::steady_clock::now();
    sink += page.links.size() + owned.links.size();
    bestRead = std::min(bestRead, seconds(t1 - t0));
    bestPage = std::min(bestPage, seconds(t2 - t1));
    bestWhole = std::min(bestWhole, seconds(t3 - t2));
    bestOwned = std::min(bestOwned, seconds(t4 - t3));
    if (i == runs - 1)
      std::printf(
          "page: %.1f MB, %ld lines scanned, %zu images, %zu links, %zu metas, %zu scripts, %zu "
          "forms\n",
          static_cast<double>(text.size()) / 1e6, page.scannedLines, page.images.size(),
          page.links.size(), page.metas.size(), page.scripts.size(), page.forms.size());
  }
  std::remove(path);
  const double mb = static_cast<double>(text.size()) / 1e6;
  std::printf("plain read loop:           %8.3f ms  %8.0f MB/s\n", bestRead * 1e3, mb / bestRead);
  std::printf("whole-file read:           %8.3f ms  %8.0f MB/s\n", bestWhole * 1e3, mb / bestWhole);
  std::printf("scanPageFile (views):      %8.3f ms  %8.0f MB/s\n", bestPage * 1e3, mb / bestPage);
  std::printf("scanFile (owned strings):  %8.3f ms  %8.0f MB/s\n", bestOwned * 1e3, mb / bestOwned);
  std::printf("ratio scanPageFile / plain read loop: %.2f (scanFile: %.2f), best of %d runs%s\n",
              bestPage / bestRead, bestOwned / bestRead, runs, sink ? "" : " ");
  return 0;
}
