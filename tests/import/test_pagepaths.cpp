// Reading a site whose file names are long, not UTF-8, or not files at all.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "dictionary/dictionary.h"
#include "guitest.h"
#include "reader/globals.h"
#include "reader/readpages.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/text.h"

namespace fs = std::filesystem;
using namespace qm;
namespace rd = qm::reader;

namespace {

struct SitePaths : ::testing::Test {
  ScriptedAnswerer answers;

  void SetUp() override {
    answers.install();
    rd::initReaderGlobals();
    errors().setExitFunction([](int) { throw std::runtime_error("the program would end here"); });
    StartDictionary(DictionaryKind::Reader,
                    {[] { return rd::HtmlFileName.str(); }, [] { return rd::WorkFileName.str(); }});
  }
  void TearDown() override { StopDictionary(); }

  static void read() {
    ThreadScope t(1);
    rd::domainname = "example.com";
    rd::ReaderLocalDir = "site";
    rd::ReaderSubDir = "";
    rd::ReadAllPages();
  }
};

TEST_F(SitePaths, LongOddNamedPagesAreEachReadWholeAndAPipeIsPassedOver) {
  // Both names agree far beyond the old 80-character page path.
  const std::string common(90, 'n');
  const std::vector<std::string> names = {common + "-a.htm", common + "-b.htm", "caf\xe9.htm"};
  fs::create_directory("site");
  for (const std::string& n : names)
    std::ofstream("site/" + n) << "<title>" << n.substr(n.size() - 7) << "</title>\n<a href=\"" << n
                               << "\">\n";
  ASSERT_EQ(::mkfifo("site/p.htm", 0600), 0);  // a read of it would wait for a writer
  // Should the run open the pipe, this writer lets it go on, and says so.
  std::atomic<bool> done{false}, hung{false};
  std::jthread watchdog([&](std::stop_token stop) {
    for (int i = 0; i < 100 && !done; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (done || stop.stop_requested()) return;
    hung = true;
    const int fd = ::open("site/p.htm", O_WRONLY);
    if (fd >= 0) ::close(fd);
  });

  for (int run = 0; run < 2; ++run) {  // a second run finds each page again, no more
    read();
    const auto pages = qmtest::all(FileId::WebPages);
    ASSERT_EQ(pages.size(), names.size()) << "run " << run;
    const auto links = qmtest::all(FileId::WPLinks);
    ASSERT_EQ(links.size(), names.size()) << "run " << run;
    for (const std::string& name : names) {
      // Record files hold UTF-8 only: a name in Latin-1 bytes is kept as its
      // Windows-1252 reading, which still leads back to the file.
      const std::string n = qm::toUtf8(name);
      const std::string pagePath = "http://www.example.com/" + n;
      int found = 0;
      for (const auto& p : pages) {
        if (p.text("WEB:PAGEPATH") != pagePath) continue;
        ++found;
        EXPECT_EQ(p.text("WEB:LOCALPATH"), "site/" + n);
        EXPECT_TRUE(fs::is_regular_file(qm::diskPath(p.text("WEB:LOCALPATH"))));
        EXPECT_EQ(p.text("WEB:HTMLPAGETITLE"), qm::toUtf8(name.substr(name.size() - 7)));
      }
      EXPECT_EQ(found, 1) << n;
      int linked = 0;
      for (const auto& l : links)
        if (l.text("WPL:WEBPAGEPATHNAME") == pagePath && l.text("WPL:WEBPAGELINK") == n) ++linked;
      EXPECT_EQ(linked, 1) << n;
    }
  }
  done = true;
  watchdog.join();
  EXPECT_FALSE(hung) << "the run waited on the pipe";
  for (const auto& a : answers.asked) EXPECT_EQ(a.text.find("p.htm"), std::string::npos) << a.text;
  EXPECT_EQ(answers.asked.back().text, "HTML file read done.");
}

}  // namespace
