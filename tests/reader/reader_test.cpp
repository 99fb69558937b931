#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "appkit/procedures.h"
#include "dictionary/batchwriter.h"
#include "dictionary/dictionary.h"
#include "guitest.h"
#include "reader/companion.h"
#include "reader/delpages.h"
#include "reader/frame.h"
#include "reader/globals.h"
#include "reader/readpages.h"
#include "reader/register.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/desktop/commandline.h"
#include "runtime/desktop/shellopen.h"
#include "runtime/store/store.h"
#include "runtime/store/thread.h"
#include "runtime/ui/browse.h"
#include "runtime/ui/form.h"
#include "runtime/ui/window.h"
#include "runtime/values/clock.h"
#include "runtime/values/picture.h"
#include "testdir.h"
#include "utf8check.h"

namespace fs = std::filesystem;
using namespace qm;
namespace rd = qm::reader;
using namespace qmtest;

namespace {

// Settles after accepting, unlike the shared typeInto.
void typeInto(WindowProcedure* p, const std::string& id, const QString& text) {
  qmtest::typeInto(p, id, text);
  pump();
}

using Fields = std::vector<std::pair<const char*, std::string>>;

struct Reader : ::testing::Test {
  ScriptedAnswerer answers;

  void SetUp() override {
    answers.install();
    FormProcedure::clearHistory();
    rd::initReaderGlobals();
    errors().setExitFunction([](int) { throw std::runtime_error("the program would end here"); });
    StartDictionary(DictionaryKind::Reader,
                    {[] { return rd::HtmlFileName.str(); }, [] { return rd::WorkFileName.str(); }});
    rd::registerReaderProcedures([](std::string name, int stack, ProcedureFactory f) {
      registerProcedure(std::move(name), std::move(f), stack);
    });
    fs::copy(qmtest::fixture("reader/site"), "site", fs::copy_options::recursive);
  }
  void TearDown() override {
    for (int guard = 0; guard < 20 && !runningThreads().empty(); ++guard) {
      if (WindowProcedure* p = topProcedure(runningThreads().front())) p->close(2);
      pump();
    }
    pump();
    StopDictionary();
  }

  static void add(FileId id, const Fields& fields) {
    ThreadScope t(1);
    FileManager& m = access(id);
    ASSERT_EQ(m.open(), 0);
    m.buffer().clear();
    for (auto& [label, value] : fields) m.buffer().setText(label, value);
    ASSERT_EQ(m.file().add(), 0);
    m.close();
  }
  static std::vector<RecordBuffer> pagesOf(FileId id, const char* field, const std::string& value) {
    std::vector<RecordBuffer> out;
    for (auto& r : all(id))
      if (r.text(field) == value) out.push_back(r);
    return out;
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> v;
    for (auto& a : answers.asked) v.push_back(a.caption);
    return v;
  }
  static void makeMainProgramFiles() {
    std::ofstream("QUILLMARK.EXE") << "x";
    RecordFile con(fileDef(FileId::Con));
    ASSERT_EQ(con.open(OpenMode::ReadWriteDenyNone, true, 1, fileDef(FileId::Con).ownerPassword),
              0);
    con.close();
  }
  // Runs the batch read as the reading window would, on thread 1.
  static void readSite(const std::string& domain, const std::string& dir,
                       const std::string& sub = "") {
    ThreadScope t(1);
    rd::domainname = domain;
    rd::ReaderLocalDir = dir;
    rd::ReaderSubDir = sub;
    rd::ReadAllPages();
  }
  // Reads the example site and opens the reader's page list of its two
  // pages; nullptr (and a failure) when it does not show them.
  static BrowseProcedure* readAndList(int* thread = nullptr) {
    readSite("example.com", "site");
    const int th = startNamedProcedure("ShowPages", 50000);
    if (thread) *thread = th;
    pump();
    auto* browse = dynamic_cast<BrowseProcedure*>(topProcedure(th));
    EXPECT_TRUE(browse && browse->list().rows().size() == 2u);
    return browse && browse->list().rows().size() == 2u ? browse : nullptr;
  }
};

const char* const kHome = "http://www.example.com/index.htm";
const char* const kAbout = "http://www.example.com/about.html";

// ---- batch reading -------------------------------------------------------------------

TEST_F(Reader, ReadsEveryPageOfTheDirectoryWithBothLineEnds) {
  readSite("example.com", "site");
  EXPECT_EQ(captions(), (std::vector<std::string>{"Reading Confirmation",
                                                  "example.com Domain Added", "Parse HTML File"}));
  EXPECT_EQ(rd::ReadConfirmed, "Y");
  EXPECT_EQ(rd::FileCount, 2);  // notes.txt and the sub-directory are not pages
  // The last listed file (index.htm) is read first, so the status ends on about.html.
  EXPECT_EQ(rd::StatusText.str(), "site/about.html  file reading done.");

  const auto domains = all(FileId::Domains);
  ASSERT_EQ(domains.size(), 1u);
  EXPECT_EQ(domains[0].text("DOM:DEFAULTLOCALDIR"), "site");
  EXPECT_EQ(domains[0].text("DOM:DEFAULTWEBPATH"), "http://www.example.com");

  const auto home = pagesOf(FileId::WebPages, "WEB:PAGEPATH", kHome);
  ASSERT_EQ(home.size(), 1u);
  EXPECT_EQ(home[0].text("WEB:PAGENAME"), "index.htm");
  EXPECT_EQ(home[0].text("WEB:DOMAINNAME"), "example.com");
  EXPECT_EQ(home[0].text("WEB:LOCALPATH"), "site/index.htm");
  EXPECT_EQ(home[0].text("WEB:HTMLPAGETITLE"), "Home Page");  // CR LF: no carriage return kept
  EXPECT_GT(home[0].integer("WEB:FILESIZE"), 0);
  for (const char* mark : {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4"})
    EXPECT_EQ(home[0].text(mark), "Y") << mark;
  EXPECT_EQ(home[0].text("WEB:DATA5"), "");

  const auto about = pagesOf(FileId::WebPages, "WEB:PAGEPATH", kAbout);
  ASSERT_EQ(about.size(), 1u);
  EXPECT_EQ(about[0].text("WEB:HTMLPAGETITLE"), "About Us");  // LF only
  EXPECT_EQ(about[0].text("WEB:DATA5"), "Y");

  const auto images = pagesOf(FileId::WPIMG, "WPI:WEBPAGEPATHNAME", kHome);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0].text("WPI:WEBPAGEIMG"), "/img/logo.gif");
  EXPECT_EQ(images[0].text("WPI:IMAGEPATH"), "site/img/logo.gif");
  EXPECT_EQ(images[0].integer("WPI:LINENUMBER"), 6);
  const auto metas = pagesOf(FileId::WPMeta, "WPM:WEBPAGEPATH", kHome);
  ASSERT_EQ(metas.size(), 1u);
  EXPECT_EQ(metas[0].text("WPM:METACONTENTS"), "a, b");
  EXPECT_EQ(pagesOf(FileId::WPLinks, "WPL:WEBPAGEPATHNAME", kAbout).at(0).text("WPL:WEBPAGELINK"),
            "index.htm");
  EXPECT_EQ(pagesOf(FileId::WPForm, "WPF:WEBPAGEPATHNAME", kAbout).at(0).text("WPF:FORMLINE2"),
            "<input name=\"q\">");
  EXPECT_EQ(pagesOf(FileId::WPScripts, "WPS:WEBPAGEPATHNAME", kHome).size(), 1u);
  // No work file is left (or made) in the data directory.
  for (auto& e : fs::directory_iterator(".")) EXPECT_NE(e.path().extension(), ".txt") << e.path();
}

TEST_F(Reader, ReadingAgainKeepsTheUsersFieldsAndReplacesTheDetails) {
  readSite("example.com", "site");
  {
    ThreadScope t(1);
    FileManager& m = access(FileId::WebPages);
    m.buffer().setText("WEB:PAGEPATH", kHome);
    ASSERT_EQ(m.file().fetch(m.def().keyIndex("WEB:PATH")), 0);
    m.buffer().setText("WEB:AUTHOR", "Ann");
    ASSERT_EQ(m.file().put(), 0);
  }
  add(FileId::Domains, {});  // nothing: the domain record stays as it is
  answers.asked.clear();
  readSite("example.com", "site");
  EXPECT_EQ(captions(),
            (std::vector<std::string>{"Parse HTML File"}));  // confirmed once; domain present
  const auto home = pagesOf(FileId::WebPages, "WEB:PAGEPATH", kHome);
  ASSERT_EQ(home.size(), 1u);
  EXPECT_EQ(home[0].text("WEB:AUTHOR"), "Ann");
  EXPECT_EQ(pagesOf(FileId::WPIMG, "WPI:WEBPAGEIMG", "/img/logo.gif").size(), 1u);
  EXPECT_EQ(all(FileId::WebPages).size(), 2u);
}

// A page read for the first time after a stored page was read starts blank:
// nothing of that page's own fields passes on to it.
TEST_F(Reader, ANewPageReadAfterAStoredOneInheritsNothingOfIt) {
  readSite("example.com", "site");
  {
    ThreadScope t(1);
    FileManager& m = access(FileId::WebPages);
    m.buffer().setText("WEB:PAGEPATH", kAbout);
    ASSERT_EQ(m.file().fetch(m.def().keyIndex("WEB:PATH")), 0);
    m.buffer().setText("WEB:AUTHOR", "Zoë Ångström");
    m.buffer().setText("WEB:PURPOSE", "Über uns");
    m.buffer().setDate("WEB:IMPLEMENTDATE", today());
    m.buffer().setText("WEB:LINKTO1", "http://www.example.com/kontakt.htm");
    m.buffer().setMemo("WEB:NOTES", "Notizen für später");
    ASSERT_EQ(m.file().put(), 0);
  }
  // Listed first, so read last, right after about.html; it has no <title>.
  std::ofstream("site/aaa.htm") << "<p>Gr\xfc\xdf"
                                   "e</p>\n";  // Windows-1252
  readSite("example.com", "site");
  const auto fresh = pagesOf(FileId::WebPages, "WEB:PAGENAME", "aaa.htm");
  ASSERT_EQ(fresh.size(), 1u);
  for (const char* field : {"WEB:AUTHOR", "WEB:PURPOSE", "WEB:LINKTO1", "WEB:HTMLPAGETITLE"})
    EXPECT_EQ(fresh[0].text(field), "") << field;
  EXPECT_EQ(fresh[0].date("WEB:IMPLEMENTDATE"), 0);
  EXPECT_EQ(fresh[0].memo("WEB:NOTES"), "");
  EXPECT_EQ(pagesOf(FileId::WebPages, "WEB:PAGEPATH", kAbout).at(0).text("WEB:AUTHOR"),
            "Zoë Ångström");
}

TEST_F(Reader, AFirstReadDeletesDetailsLeftWithoutTheirPageOnlyWhenThePathIsExact) {
  // Records of a page that has no page record: the first read of the page
  // still clears them, and leaves those of a path that differs in case.
  const std::string shouted = "HTTP://WWW.EXAMPLE.COM/INDEX.HTM";
  add(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", kHome}, {"WPL:WEBPAGELINK", "old.htm"}});
  add(FileId::WPLinks, {{"WPL:WEBPAGEPATHNAME", shouted}, {"WPL:WEBPAGELINK", "kept.htm"}});
  add(FileId::WPIMG, {{"WPI:WEBPAGEPATHNAME", kHome}, {"WPI:WEBPAGEIMG", "old.gif"}});
  add(FileId::WPScripts, {{"WPS:WEBPAGEPATHNAME", kHome}, {"WPS:SCRIPTLINE1", "old();"}});
  readSite("example.com", "site");
  EXPECT_TRUE(pagesOf(FileId::WPLinks, "WPL:WEBPAGELINK", "old.htm").empty());
  EXPECT_TRUE(pagesOf(FileId::WPIMG, "WPI:WEBPAGEIMG", "old.gif").empty());
  EXPECT_TRUE(pagesOf(FileId::WPScripts, "WPS:SCRIPTLINE1", "old();").empty());
  EXPECT_EQ(pagesOf(FileId::WPLinks, "WPL:WEBPAGEPATHNAME", shouted).size(), 1u);
  // What the page holds now, once each.
  EXPECT_EQ(pagesOf(FileId::WPLinks, "WPL:WEBPAGEPATHNAME", kHome).size(), 1u);
  EXPECT_EQ(pagesOf(FileId::WPIMG, "WPI:WEBPAGEPATHNAME", kHome).size(), 1u);
  EXPECT_EQ(pagesOf(FileId::WPScripts, "WPS:WEBPAGEPATHNAME", kHome).size(), 1u);
  EXPECT_EQ(pagesOf(FileId::WPMeta, "WPM:WEBPAGEPATH", kHome).size(), 1u);
}

TEST_F(Reader, SubDirectoryIsJoinedForTheRunOnlyAndEveryStoredPathNamesAFile) {
  std::ofstream("site/sub/back\\slash.htm") << "<title>Slash</title>\n<img src=\"pic.gif\">\n";
  readSite("example.com", "site", "sub");
  EXPECT_EQ(rd::ReaderLocalDir.str(), "site");  // the window keeps the domain's own directory
  auto pages = all(FileId::WebPages);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].text("WEB:PAGEPATH"), "http://www.example.com/sub/deep.htm");
  EXPECT_EQ(pages[0].text("WEB:PAGENAME"), "sub/deep.htm");
  EXPECT_EQ(pages[0].text("WEB:LOCALPATH"), "site/sub/deep.htm");
  EXPECT_EQ(pages[1].text("WEB:LOCALPATH"), "site/sub/back\\slash.htm");
  EXPECT_EQ(pages[1].text("WEB:HTMLPAGETITLE"), "Slash");  // the file opened
  EXPECT_EQ(all(FileId::WPIMG).at(0).text("WPI:IMAGEPATH"), "site/sub/pic.gif");
  // A second GO with the sub-directory still filled in reads it again.
  answers.asked.clear();
  readSite("example.com", rd::ReaderLocalDir.str(), "sub");
  EXPECT_EQ(captions(), (std::vector<std::string>{"Parse HTML File"}));
  EXPECT_EQ(all(FileId::WebPages).size(), 2u);
  // Cleared, it reads the root's pages and not the sub-directory's again.
  readSite("example.com", rd::ReaderLocalDir.str(), "");
  pages = all(FileId::WebPages);
  EXPECT_EQ(pages.size(), 4u);
  for (const auto& p : pages) {
    EXPECT_TRUE(fs::is_regular_file(p.text("WEB:LOCALPATH"))) << p.text("WEB:LOCALPATH");
    EXPECT_TRUE(fs::is_directory(p.text("WEB:LOCALDEFAULTDIRECTORY")))
        << p.text("WEB:LOCALDEFAULTDIRECTORY");
  }
  // A missing sub-directory is reported with the path looked for, no blanks behind it.
  answers.asked.clear();
  readSite("example.com", "site", "nothere");
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].text, "Cannot find that directory: site/nothere");
  EXPECT_EQ(rd::ProbeDir.str(), "site/nothere");
  EXPECT_EQ(rd::ReaderLocalDir.str(), "site");
}

TEST_F(Reader, AFileReadEmptyLeavesItsPageBlankMarkedWithSizeZero) {
  readSite("example.com", "site");
  std::ofstream("site/index.htm", std::ios::trunc).close();
  readSite("example.com", "site");
  const auto home = pagesOf(FileId::WebPages, "WEB:PAGEPATH", kHome);
  ASSERT_EQ(home.size(), 1u);
  for (const char* mark : {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4", "WEB:DATA5"})
    EXPECT_EQ(home[0].text(mark), "") << mark;
  EXPECT_EQ(home[0].integer("WEB:FILESIZE"), 0);
  EXPECT_EQ(home[0].text("WEB:HTMLPAGETITLE"), "Home Page");  // no title read: the stored one stays
  const std::string emptied = formatDate("@d1", today()) + " ";  // the file was emptied just now
  EXPECT_EQ(home[0].text("WEB:FILEDATETIME").substr(0, emptied.size()), emptied);
  EXPECT_TRUE(pagesOf(FileId::WPIMG, "WPI:WEBPAGEPATHNAME", kHome).empty());
  EXPECT_TRUE(pagesOf(FileId::WPLinks, "WPL:WEBPAGEPATHNAME", kHome).empty());
}

TEST_F(Reader, RefusalsWriteNothing) {
  struct Case {
    const char* domain;
    const char* dir;
    std::vector<int> replies;
    const char* caption;
    const char* confirmedAfter;
  };
  const Case cases[] = {
      {"example.com", "site", {BtnNo}, "Reading Confirmation", ""},
      {"", "site", {BtnYes}, "ERROR:Need Data", ""},
      {"example.com", "nowhere", {BtnYes}, "Huh?", "Y"},
      {"example.com", "C:\\site", {BtnYes}, "Huh?", "Y"},
  };
  for (const Case& c : cases) {
    rd::ReadConfirmed = "";
    answers.asked.clear();
    answers.replies.assign(c.replies.begin(), c.replies.end());
    readSite(c.domain, c.dir);
    ASSERT_FALSE(answers.asked.empty());
    EXPECT_EQ(answers.asked.back().caption, c.caption) << c.dir;
    EXPECT_EQ(rd::ReadConfirmed.str(), c.confirmedAfter) << c.dir;
    EXPECT_TRUE(all(FileId::WebPages).empty());
    EXPECT_TRUE(all(FileId::Domains).empty());
  }
}

TEST_F(Reader, EmptyDirectoryStillAddsTheDomainAndEnds) {
  fs::create_directory("empty");
  readSite("empty.org", "empty");
  EXPECT_EQ(captions(), (std::vector<std::string>{"Reading Confirmation", "empty.org Domain Added",
                                                  "Parse HTML File"}));
  EXPECT_EQ(rd::FileCount, 0);
}

// ---- a killed run -------------------------------------------------------------------

namespace {

// The five detail files and their page-path fields.
const std::pair<FileId, const char*> kDetailFiles[] = {{FileId::WPLinks, "WPL:WEBPAGEPATHNAME"},
                                                       {FileId::WPIMG, "WPI:WEBPAGEPATHNAME"},
                                                       {FileId::WPMeta, "WPM:WEBPAGEPATH"},
                                                       {FileId::WPScripts, "WPS:WEBPAGEPATHNAME"},
                                                       {FileId::WPForm, "WPF:WEBPAGEPATHNAME"}};

// Two versions of each page, told apart by their title and by what they hold:
// A has links, images and a meta tag; B one link, a script and a form.
// Pages from kPages on exist only in B.
constexpr int kPages = 60, kOnlyInB = 10;

void writeVersion(char v) {
  fs::create_directories("kill");
  for (int i = 0; i < kPages + (v == 'B' ? kOnlyInB : 0); ++i) {
    std::ofstream f("kill/p" + std::to_string(i) + ".htm", std::ios::trunc);
    f << "<title>" << v << "</title>\n";
    if (v == 'A') {
      for (int l = 0; l < 3 + i % 4; ++l) f << "<a href=\"x" << l << ".htm\">x</a>\n";
      f << "<img src=\"a.gif\">\n<img src=\"b.gif\">\n<meta name=\"k\" content=\"v\">\n";
    } else {
      f << "<a href=\"only.htm\">o</a>\n<script>\nvar x;\n</script>\n<form>\n<input>\n</form>\n";
    }
    for (int pad = 0; pad < 200; ++pad)
      f << "<p>padding text of the page, line " << pad << "</p>\n";
  }
}

// Every page whole in one version, or (a page only in B) wholly absent.
void expectEveryPageWhole(const std::string& when) {
  std::map<std::string, std::array<int, 5>>
      details;  // page path -> links, images, metas, scripts, forms
  for (std::size_t k = 0; k < 5; ++k)
    for (const auto& r : all(kDetailFiles[k].first)) ++details[r.text(kDetailFiles[k].second)][k];
  std::map<std::string, RecordBuffer> pages;
  for (const auto& r : all(FileId::WebPages)) pages[r.text("WEB:PAGEPATH")] = r;
  for (int i = 0; i < kPages + kOnlyInB; ++i) {
    const std::string path = "http://www.kill.com/p" + std::to_string(i) + ".htm";
    const auto page = pages.find(path);
    const std::array<int, 5> got = details.count(path) ? details[path] : std::array<int, 5>{};
    if (page == pages.end()) {
      EXPECT_GE(i, kPages) << when << path;
      EXPECT_EQ(got, (std::array<int, 5>{})) << when << path << ": details without their page";
      continue;
    }
    const std::string v = page->second.text("WEB:HTMLPAGETITLE");
    const std::array<int, 5> want =
        v == "A" ? std::array<int, 5>{3 + i % 4, 2, 1, 0, 0} : std::array<int, 5>{1, 0, 0, 1, 1};
    EXPECT_TRUE(v == "A" || v == "B") << when << path << " " << v;
    EXPECT_EQ(got, want) << when << path << " " << v;
    std::string marks;
    for (const char* m : {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4", "WEB:DATA5"})
      marks += page->second.text(m).empty() ? "." : page->second.text(m);
    EXPECT_EQ(marks, v == "A" ? "YYY.." : "Y..YY") << when << path;
  }
}

}  // namespace

TEST_F(Reader, AKilledRunLeavesEveryPageAsBeforeOrAsRead) {
  writeVersion('A');
  const auto t0 = std::chrono::steady_clock::now();
  readSite("kill.com", "kill");
  const auto whole = std::chrono::steady_clock::now() - t0;
  expectEveryPageWhole("first read: ");
  // Several commits a run, so kills fall between them and inside them.
  BatchWriter::setCommitEvery(7, 1000);
  std::mt19937 random(1234);
  const long span = std::max<long>(
      20000, std::chrono::duration_cast<std::chrono::microseconds>(whole).count() * 3 / 2);
  std::uniform_int_distribution<long> moment(0, span);
  for (int round = 0; round < 30 && !HasFailure(); ++round) {
    writeVersion(round % 2 ? 'A' : 'B');
    const pid_t pid = fork();
    if (pid == 0) {
      ThreadScope t(2);  // the parent's connections are not the child's
      rd::domainname = "kill.com";
      rd::ReaderLocalDir = "kill";
      rd::ReaderSubDir = "";
      rd::ReadAllPages();
      _exit(0);
    }
    ASSERT_GT(pid, 0);
    usleep(static_cast<useconds_t>(moment(random)));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    expectEveryPageWhole("round " + std::to_string(round) + ": ");
  }
  BatchWriter::setCommitEvery(1000, 1000);
}

namespace {

// Each detail file's records of each page, in the order the page lists them,
// with their positions when asked.
using Details = std::map<std::string, std::vector<std::pair<int64_t, std::string>>>;
Details detailsByPage(bool positions) {
  Details out;
  for (const auto& [id, pathField] : kDetailFiles) {
    RecordFile f(fileDef(id));
    EXPECT_EQ(f.open(OpenMode::ReadOnlyDenyNone, false, 1), 0);
    std::vector<std::pair<int64_t, RecordBuffer>> rows;
    EXPECT_EQ(f.readPage(-1, nullptr, 0, true, 1 << 20, rows), 0);
    for (const auto& [position, r] : rows) {
      std::string whole(reinterpret_cast<const char*>(r.data()),
                        static_cast<std::size_t>(r.size()));
      out[f.def().label + " " + r.text(pathField)].emplace_back(positions ? position : 0, whole);
    }
  }
  return out;
}

}  // namespace

// A re-read stores what reading the pages afresh stores, and rewrites none
// of the records a page still holds as they are.
TEST_F(Reader, ReadingAgainStoresWhatAFreshReadStoresAndRewritesNothingUnchanged) {
  writeVersion('A');
  readSite("kill.com", "kill");
  const Details first = detailsByPage(true);
  readSite("kill.com", "kill");
  EXPECT_EQ(detailsByPage(true), first);  // the same records at the same positions

  // Another day and another version: fewer links, no images or meta tags,
  // new scripts and forms, new pages; every date changes.
  writeVersion('B');
  const FakeClock nextDay(today() + 1, clockTime());
  setClock(&nextDay);
  readSite("kill.com", "kill");
  expectEveryPageWhole("re-read: ");
  const Details again = detailsByPage(false);
  {
    ThreadScope t(1);
    rd::DeleteDomainPages();
  }
  ASSERT_TRUE(detailsByPage(false).empty());
  readSite("kill.com", "kill");
  EXPECT_EQ(detailsByPage(false), again);
  setClock(nullptr);
}

// ---- write failures ------------------------------------------------------------------

namespace {

// A site of n pages under dir, each with a title, an image and four links.
void writeSite(const std::string& dir, int n) {
  fs::create_directories(dir);
  for (int i = 0; i < n; ++i) {
    std::ofstream f(dir + "/p" + std::to_string(i) + ".htm");
    f << "<title>T" << i << "</title>\n<img src=\"picture-of-the-page.gif\">\n";
    for (int l = 0; l < 4; ++l)
      f << "<a href=\"a-link-to-another-page-of-the-site-" << l << ".htm\">x</a>\n";
  }
}

// Record files opened from now on may grow to twice the largest one now,
// as on a disk that fills up part way through the next run.
void diskFillsSoon() {
  uintmax_t most = 0;
  for (auto& e : fs::directory_iterator("."))
    if (e.path().extension() == ".qdf") most = std::max(most, e.file_size());
  store::setPageLimitForTests(static_cast<int>(most / 4096 * 2));
}

// The domain's stored pages; every one must be whole: its own title, its
// image and its four links.
long wholePagesOf(const std::string& domain) {
  std::map<std::string, std::pair<int, int>> details;
  for (const auto& r : all(FileId::WPLinks)) ++details[r.text("WPL:WEBPAGEPATHNAME")].first;
  for (const auto& r : all(FileId::WPIMG)) ++details[r.text("WPI:WEBPAGEPATHNAME")].second;
  long n = 0;
  for (const auto& r : all(FileId::WebPages)) {
    if (r.text("WEB:DOMAINNAME") != domain) continue;
    ++n;
    const std::string path = r.text("WEB:PAGEPATH");
    const std::string title =
        "T" + path.substr(path.rfind("/p") + 2, path.size() - path.rfind("/p") - 6);
    EXPECT_EQ(r.text("WEB:HTMLPAGETITLE"), title) << path;
    EXPECT_EQ(details[path], std::make_pair(4, 1)) << path;
    details.erase(path);
  }
  for (const auto& [path, counts] : details)
    EXPECT_NE(path.find("http://www." + domain + "/"), 0u)
        << path << ": details without their page";
  return n;
}

// The numbers of "N pages stored, M pages not stored." in text.
std::pair<long, long> tallyOf(const std::string& text) {
  long stored = -1, failed = -1;
  const std::size_t at = text.find_first_of("0123456789");
  if (at != std::string::npos) std::sscanf(text.c_str() + at, "%ld %*s %*s %ld", &stored, &failed);
  return {stored, failed};
}

}  // namespace

TEST_F(Reader, AFullDiskAsksOnceThroughTheWindowAndTheEndCountsWhatWasStored) {
  makeMainProgramFiles();
  writeSite("small", 200);
  writeSite("large", 1000);
  readSite("small.com", "small");
  ASSERT_EQ(wholePagesOf("small.com"), 200);
  add(FileId::Domains, {{"DOM:DOMAINNAME", "large.com"}, {"DOM:DEFAULTLOCALDIR", "large"}});
  diskFillsSoon();
  answers.asked.clear();
  answers.replies = {BtnIgnore};  // go on after the first failure

  const int th = startNamedProcedure("readpages", 25000);
  pump();
  WindowProcedure* w = topProcedure(th);
  ASSERT_NE(w, nullptr);
  typeInto(w, "?domainname", "large.com");
  click(w, "?GO");
  store::clearFaultsForTests();

  ASSERT_EQ(captions(), (std::vector<std::string>{"Parse HTML File", "Parse HTML File"}));
  const MessageRequest& failure = answers.asked[0];
  EXPECT_EQ(failure.icon, MsgIcon::Stop);
  EXPECT_NE(failure.text.find("Disk Full"), std::string::npos) << failure.text;
  EXPECT_NE(failure.text.find(".qdf"), std::string::npos) << failure.text;  // names the file
  const auto [stored, failed] = tallyOf(answers.asked[1].text);
  EXPECT_EQ(answers.asked[1].text.rfind("HTML file read done.||", 0), 0u) << answers.asked[1].text;
  EXPECT_GT(stored, 0);
  EXPECT_GT(failed, 0);
  EXPECT_EQ(stored + failed, 1000);
  EXPECT_EQ(wholePagesOf("large.com"), stored);
  EXPECT_EQ(wholePagesOf("small.com"), 200);
  EXPECT_EQ(qobject_cast<QLabel*>(widgetOf(w, "?FileCount"))->text().remove(',').trimmed(),
            QString::number(stored));
  // The page the status line calls done is on the disk.
  const std::string status = rd::StatusText.str();
  ASSERT_NE(status.find("  file reading done."), std::string::npos) << status;
  const std::string name =
      status.substr(status.rfind('/') + 1, status.find("  file") - status.rfind('/') - 1);
  EXPECT_EQ(pagesOf(FileId::WebPages, "WEB:PAGEPATH", "http://www.large.com/" + name).size(), 1u)
      << status;
}

TEST_F(Reader, AFullDiskEndsTheRunWhenTheUserSaysSoAndKeepsEveryStoredPage) {
  writeSite("small", 200);
  writeSite("large", 1000);
  readSite("small.com", "small");
  add(FileId::Domains, {{"DOM:DOMAINNAME", "large.com"}});
  diskFillsSoon();
  answers.asked.clear();
  answers.replies = {BtnAbort};
  readSite("large.com", "large");
  store::clearFaultsForTests();
  ASSERT_EQ(captions(), (std::vector<std::string>{"Parse HTML File"}));  // no closing message
  const auto [stored, failed] = tallyOf(rd::StatusText.str());
  EXPECT_EQ(rd::StatusText.str().rfind("Reading ended. ", 0), 0u) << rd::StatusText.str();
  EXPECT_EQ(failed, 1);  // the page that failed, alone
  EXPECT_EQ(stored, rd::FileCount);
  EXPECT_LT(rd::FileCount + failed, 1000);
  EXPECT_EQ(wholePagesOf("large.com"), stored);
}

// The disk fills at the commit, as when the written pages stay in memory
// until then: the batch's pages are written again, one commit each.
TEST_F(Reader, AFailedCommitStoresEveryPageThatFitsAndCountsWhatIsStored) {
  writeSite("small", 200);
  writeSite("large", 300);
  readSite("small.com", "small");
  add(FileId::Domains, {{"DOM:DOMAINNAME", "large.com"}});
  long pages = 0;
  for (auto& e : fs::directory_iterator("."))
    if (e.path().extension() == ".qdf") pages += static_cast<long>(e.file_size() / 4096);
  BatchWriter::setCommitEvery(100000, 600000);  // the whole run in one batch
  store::setDiskRoomForTests(pages / 2);        // about a hundred pages more
  answers.asked.clear();
  answers.replies = {BtnIgnore};
  readSite("large.com", "large");
  store::clearFaultsForTests();
  BatchWriter::setCommitEvery(1000, 1000);

  ASSERT_EQ(captions(), (std::vector<std::string>{"Parse HTML File", "Parse HTML File"}));
  const std::string& failure = answers.asked[0].text;
  EXPECT_NE(failure.find("Disk Full"), std::string::npos) << failure;
  EXPECT_EQ(failure.find(joinName("large", "p")), 0u) << failure;  // names the page
  const std::string& end = answers.asked[1].text;
  EXPECT_EQ(end.rfind("HTML file read done.||", 0), 0u) << end;
  const auto [stored, failed] = tallyOf(end);
  EXPECT_GT(stored, 20);
  EXPECT_GT(failed, 0);
  EXPECT_EQ(stored + failed, 300);
  EXPECT_EQ(wholePagesOf("large.com"), stored);
  EXPECT_EQ(rd::FileCount, stored);
  EXPECT_EQ(wholePagesOf("small.com"), 200);
}

// A listed page that cannot be read (a link to a file that fails every
// read): after Ignore it is not stored empty, and the end box counts it.
TEST_F(Reader, APageThatCannotBeReadIsNotStoredAndIsCounted) {
  writeSite("mem", 3);
  fs::create_symlink("/proc/self/mem", "mem/zz-mem.htm");
  answers.replies = {BtnYes, BtnOk, BtnIgnore};
  readSite("mem.com", "mem");
  ASSERT_EQ(captions(), (std::vector<std::string>{"Reading Confirmation", "mem.com Domain Added",
                                                  "Parse HTML File", "Parse HTML File"}));
  EXPECT_NE(answers.asked[2].text.find("zz-mem.htm"), std::string::npos) << answers.asked[2].text;
  EXPECT_EQ(answers.asked[3].text, "HTML file read done.||3 pages stored, 1 page not stored.");
  EXPECT_EQ(wholePagesOf("mem.com"), 3);
  EXPECT_EQ(rd::FileCount, 3);
}

TEST_F(Reader, AReadOnlyPagesFileIsNamedOnceAndNothingIsCalledStored) {
  writeSite("ro", 200);
  store::setUnwritableForTests("WEBPAGES.qdf");
  readSite("ro.com", "ro");
  store::clearFaultsForTests();
  ASSERT_EQ(captions(), (std::vector<std::string>{"Reading Confirmation", "ro.com Domain Added",
                                                  "Parse HTML File", "Parse HTML File"}));
  EXPECT_NE(answers.asked[2].text.find("Read-Only"), std::string::npos) << answers.asked[2].text;
  EXPECT_NE(answers.asked[2].text.find(".qdf"), std::string::npos)
      << answers.asked[2].text;  // names the file
  EXPECT_EQ(answers.asked[3].text, "No page was stored.||0 pages stored, 200 pages not stored.");
  EXPECT_EQ(wholePagesOf("ro.com"), 0);
  EXPECT_EQ(rd::StatusText.str().find("file reading done."), std::string::npos)
      << rd::StatusText.str();
}

// ---- delete by domain ----------------------------------------------------------------

TEST_F(Reader, DeleteByDomainTakesThePagesAndTheirDetailsOnly) {
  readSite("example.com", "site");
  add(FileId::WebPages, {{"WEB:DOMAINNAME", "other.net"},
                         {"WEB:PAGENAME", "x.htm"},
                         {"WEB:PAGEPATH", "http://www.other.net/x.htm"}});
  add(FileId::WPLinks,
      {{"WPL:WEBPAGEPATHNAME", "http://www.other.net/x.htm"}, {"WPL:WEBPAGELINK", "y"}});
  add(FileId::WebPages,
      {{"WEB:PAGENAME", "nameless.htm"}, {"WEB:PAGEPATH", "http://www./nameless.htm"}});
  const struct {
    const char* domain;
    int deleted;
    const char* status;
  } cases[] = {
      {"http://www.example.com", 0, "Finished. Records deleted. Pages deleted: 0"},
      {"", 0, "No domain name entered: no pages deleted."},
      {"EXAMPLE.com", 2, "Finished. Records deleted. Pages deleted: 2"},  // the key ignores case
      {"example.com", 0, "Finished. Records deleted. Pages deleted: 0"}};
  for (const auto& c : cases) {
    ThreadScope t(1);
    rd::domainname = c.domain;
    rd::DeleteDomainPages();
    EXPECT_EQ(rd::FileCount, c.deleted) << c.domain;
    EXPECT_EQ(rd::StatusText.str(), c.status) << c.domain;
  }
  const auto pages = all(FileId::WebPages);
  ASSERT_EQ(pages.size(), 2u);  // the other domain's page and the one without a domain
  EXPECT_EQ(pages[0].text("WEB:DOMAINNAME"), "other.net");
  for (FileId id : {FileId::WPIMG, FileId::WPMeta, FileId::WPScripts, FileId::WPForm})
    EXPECT_TRUE(all(id).empty());
  EXPECT_EQ(all(FileId::WPLinks).size(), 1u);
  EXPECT_EQ(all(FileId::Domains).size(), 1u);  // the domain record stays
}

TEST_F(Reader, DeleteByDomainWritesAFailedCommitsPagesAgain) {
  writeSite("gone", 40);
  readSite("gone.com", "gone");
  ASSERT_EQ(wholePagesOf("gone.com"), 40);
  answers.asked.clear();
  store::failCommitsForTests(1);
  {
    ThreadScope t(1);
    rd::domainname = "gone.com";
    rd::DeleteDomainPages();
  }
  store::clearFaultsForTests();
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(rd::StatusText.str(), "Finished. Records deleted. Pages deleted: 40");
  EXPECT_EQ(rd::FileCount, 40);
  EXPECT_EQ(wholePagesOf("gone.com"), 0);
  EXPECT_TRUE(all(FileId::WPLinks).empty());
  // Every record read once: 40 pages, 160 links and 40 images.
  EXPECT_EQ(rd::ProgressCount.str(), "240");
}

// Esc in the window while it reads or deletes: the window has answered
// between two batches, the run ends after its page and the window stays,
// saying what is on the disk.
TEST_F(Reader, EscStopsARunFromItsWindowAndKeepsWhatItStored) {
  makeMainProgramFiles();
  writeSite("big", 300);
  add(FileId::Domains, {{"DOM:DOMAINNAME", "big.com"}, {"DOM:DEFAULTLOCALDIR", "big"}});
  BatchWriter::setCommitEvery(50, 600000);
  const struct {
    const char* window;
    const char* button;
    const char* status;
    long left;  // of the site's pages on the disk after the stop
  } cases[] = {{"readpages", "?GO", "Reading stopped. 50 pages stored.", 50},
               {"delpages", "?Run", "Stopped. Pages deleted: 50", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.window);
    const int th = startNamedProcedure(c.window, 25000);
    pump();
    WindowProcedure* w = topProcedure(th);
    ASSERT_NE(w, nullptr);
    typeInto(w, "?domainname", "big.com");
    if (c.left == 0) {
      readSite("big.com", "big");  // the whole site, to be deleted
      ASSERT_EQ(wholePagesOf("big.com"), 300);
    }
    answers.asked.clear();
    long storedAtEsc = -1;
    QTimer::singleShot(0, [&] {
      storedAtEsc = wholePagesOf("big.com");
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    click(w, c.button);
    EXPECT_EQ(storedAtEsc, c.left == 0 ? 250 : 50);  // Esc came during the run
    EXPECT_EQ(rd::StatusText.str(), c.status);
    EXPECT_EQ(rd::FileCount, 50);
    EXPECT_EQ(wholePagesOf("big.com"), c.left == 0 ? 250 : 50);
    EXPECT_EQ(topProcedure(th), w);  // the window stays, showing the count
    EXPECT_EQ(qobject_cast<QLabel*>(widgetOf(w, "?StatusText"))->text().toStdString(), c.status);
    for (const auto& a : answers.asked) EXPECT_EQ(a.caption, "Reading Confirmation") << a.text;
    // A second Esc closes it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    pump();
    EXPECT_NE(topProcedure(th), w);
  }
  BatchWriter::setCommitEvery(1000, 1000);
}

TEST_F(Reader, DeleteWindowEnablesRunOnceADomainIsEntered) {
  const int th = startNamedProcedure("delpages", 25000);
  pump();
  WindowProcedure* w = topProcedure(th);
  ASSERT_NE(w, nullptr);
  auto* run = qobject_cast<QPushButton*>(widgetOf(w, "?Run"));
  EXPECT_FALSE(run->isEnabled());
  typeInto(w, "?domainname", "example.com");
  EXPECT_TRUE(run->isEnabled());
  typeInto(w, "?domainname", "");
  EXPECT_TRUE(run->isEnabled());  // not disabled again
  typeInto(w, "?domainname", "nothing.here");
  click(w, "?Run");
  EXPECT_EQ(rd::StatusText.str(), "Finished. Records deleted. Pages deleted: 0");
  EXPECT_EQ(qobject_cast<QLabel*>(widgetOf(w, "?StatusText"))->text(),
            "Finished. Records deleted. Pages deleted: 0");
}

TEST_F(Reader, DeleteWindowLabelsItsCountsAndThePageListShowsWhatIsLeft) {
  BrowseProcedure* browse = readAndList();
  ASSERT_NE(browse, nullptr);

  const int th = startNamedProcedure("delpages", 25000);
  pump();
  WindowProcedure* w = topProcedure(th);
  ASSERT_NE(w, nullptr);
  // Every number the window shows has its label beside it.
  std::vector<std::string> labels;
  for (const char* id : {"?FileCount", "?ProgressCount"}) {
    QWidget* number = widgetOf(w, id);
    for (auto* l : w->window()->findChildren<QLabel*>())
      if (l != number && l->isVisible() && std::abs(l->y() - number->y()) < 4 &&
          l->x() < number->x())
        labels.push_back(l->text().toStdString());
  }
  EXPECT_EQ(labels, (std::vector<std::string>{"Pages deleted:", "Records processed:"}));
  typeInto(w, "?domainname", "example.com");
  click(w, "?Run");
  EXPECT_EQ(rd::StatusText.str(), "Finished. Records deleted. Pages deleted: 2");
  EXPECT_TRUE(browse->list().rows().empty());  // read again, without a touch
}

TEST_F(Reader, DeleteNamesAReadOnlyFileOnceAndCountsThePagesLeft) {
  readSite("example.com", "site");
  answers.asked.clear();
  store::setUnwritableForTests("WPLINKS.qdf");
  {
    ThreadScope t(1);
    rd::domainname = "example.com";
    rd::DeleteDomainPages();
  }
  store::clearFaultsForTests();
  ASSERT_EQ(
      captions(),
      (std::vector<std::string>{"Delete Web Pages By Domain Name"}));  // going on asks no more
  EXPECT_NE(answers.asked[0].text.find("Read-Only"), std::string::npos) << answers.asked[0].text;
  EXPECT_EQ(rd::StatusText.str(), "Finished. 0 pages deleted, 2 pages not deleted.");
  EXPECT_EQ(rd::FileCount, 0);
  EXPECT_EQ(all(FileId::WebPages).size(), 2u);
  EXPECT_EQ(pagesOf(FileId::WPIMG, "WPI:WEBPAGEPATHNAME", kHome).size(), 1u);  // each page whole
}

// ---- companion check and frame -------------------------------------------------------

TEST_F(Reader, CompanionCheckRefusesWithoutTheMainProgramsFiles) {
  std::vector<std::string> halts;
  rd::setHaltFunction([&](const std::string& text, int level) {
    halts.push_back(text + "/" + std::to_string(level));
  });
  struct Case {
    bool exe, con;
  };
  for (Case c : {Case{false, false}, Case{true, false}, Case{false, true}}) {
    fs::remove("QUILLMARK.EXE");
    fs::remove("Control.qdf");
    if (c.exe) std::ofstream("quillmark.exe") << "";
    if (c.con) std::ofstream("CONTROL.QDF") << "any content";
    halts.clear();
    answers.asked.clear();
    const int th = startProcedure("Main", 0, [] { return std::make_unique<rd::ReaderFrame>(); });
    pump();
    EXPECT_EQ(topProcedure(th), nullptr) << "no frame without the files";
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].text, "Sorry. This program can only be run as part of Quillmark.");
    EXPECT_EQ(answers.asked[0].caption, "");
    EXPECT_EQ(halts, (std::vector<std::string>{"Exiting Program./0"}));
    fs::remove("quillmark.exe");
    fs::remove("CONTROL.QDF");
  }
  // Beside the main program the frame opens, its menu starts the reading window.
  makeMainProgramFiles();
  rd::ReadConfirmed = "Y";
  halts.clear();
  const int th = startProcedure("Main", 0, [] { return std::make_unique<rd::ReaderFrame>(); });
  pump();
  rd::ReaderFrame* frame = rd::readerFrame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(halts.empty());
  EXPECT_EQ(rd::ReadConfirmed, "");
  EXPECT_EQ(frame->toolBar()->actions().size(), 13);
  // Help > Contents: the main program's help file, found and shown the same way.
  std::vector<std::string> started, opened;
  ProcessStarter before =
      setProcessStarter([&](const std::string& p, const std::vector<std::string>&) {
        started.push_back(p);
        return false;
      });
  UrlOpener opener = setUrlOpener([&](const QUrl& u) {
    opened.push_back(u.fileName().toStdString());
    return true;
  });
  answers.asked.clear();
  frame->menuAction("&Contents")->trigger();
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].caption, "Help");
  EXPECT_EQ(
      answers.asked[0].text,
      "The help file QUILLMARK.HLP was not found beside the program or in the current directory.");
  std::ofstream("Quillmark.hlp") << "help";
  answers.asked.clear();
  frame->menuAction("&Contents")->trigger();
  EXPECT_TRUE(answers.asked.empty());
  EXPECT_EQ(opened, std::vector<std::string>{"Quillmark.hlp"});
  EXPECT_TRUE(started.empty());  // no outside viewer
  setProcessStarter(before);
  setUrlOpener(opener);
  frame->menuAction("&Speed Read Pages")->trigger();
  pump();
  bool reading = false;
  for (int t : runningThreads())
    if (t != th && topProcedure(t) && topProcedure(t)->name() == "readpages")
      reading = threadStackSize(t) == 25000;
  EXPECT_TRUE(reading);
  rd::setHaltFunction({});
}

// ---- windows -------------------------------------------------------------------------

TEST_F(Reader, ReadingWindowFillsTheDirectoryFromTheDomainAndRunsOnGo) {
  makeMainProgramFiles();
  add(FileId::Domains, {{"DOM:DOMAINNAME", "example.com"}, {"DOM:DEFAULTLOCALDIR", "site"}});
  const int th = startNamedProcedure("readpages", 25000);
  pump();
  WindowProcedure* w = topProcedure(th);
  ASSERT_NE(w, nullptr);
  typeInto(w, "?domainname", "example.com");
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(w, "?ReaderLocalDir"))->text(), "site");
  // A real box lets events in while it is up: the window behind it shows
  // the run as it ended, however quickly the pages went by.
  struct BoxAnswerer : ScriptedAnswerer {
    WindowProcedure* w = nullptr;
    std::string countShown, statusShown;
    int answer(const MessageRequest& r) override {
      QApplication::processEvents();
      if (r.caption == "Parse HTML File") {
        countShown =
            qobject_cast<QLabel*>(widgetOf(w, "?FileCount"))->text().trimmed().toStdString();
        statusShown = qobject_cast<QLabel*>(widgetOf(w, "?StatusText"))->text().toStdString();
      }
      return ScriptedAnswerer::answer(r);
    }
  } box;
  box.w = w;
  box.install();
  click(w, "?GO");
  answers.install();
  EXPECT_EQ(box.countShown, "2");
  EXPECT_EQ(box.statusShown, "site/about.html  file reading done.");
  answers.asked = box.asked;
  EXPECT_EQ(captions(), (std::vector<std::string>{"Reading Confirmation", "Parse HTML File"}));
  EXPECT_EQ(all(FileId::WebPages).size(), 2u);
  EXPECT_EQ(qobject_cast<QLabel*>(widgetOf(w, "?FileCount"))->text().trimmed(), "2");
  EXPECT_TRUE(widgetOf(w, "?Close")->hasFocus());
  click(w, "?Close");
  EXPECT_EQ(topProcedure(th), nullptr);
  EXPECT_TRUE(all(FileId::Con).empty());  // nothing is saved to the control file
}

// Keys as a user's keyboard sends them, letters beyond ASCII included, into
// whatever has the focus.
void typeKeys(const QString& text) {
  for (const QChar ch : text) {
    QWidget* w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &press);
  }
  pump();
}

// The reading window opened from the frame's menu reads a site from a folder
// of about 200 characters, then its 60-character sub-directory: every path
// is stored whole, names a file, and no message shows padding blanks.
TEST_F(Reader, AJourneyReadsASiteFromALongFolderAndItsSubDirectory) {
  std::string dir = "site_\xC3\xBC";
  while (QString::fromStdString(dir).size() < 190)
    dir += "/Ordner-\xC3\xA4\xC3\x9F-\xD0\xB4\xD0\xB8\xD1\x80";
  std::string sub = "Unter-\xE2\x80\x93-";
  while (QString::fromStdString(sub).size() < 60) sub += "\xC3\xB1";
  ASSERT_EQ(QString::fromStdString(sub).size(), 60);
  fs::create_directories(dir + "/" + sub);
  std::ofstream(dir + "/index.htm", std::ios::binary) << "<title>Caf\xE9 \x96 home</title>\n";
  // UTF-16 LE with its mark: "<title>ñ!</title>".
  std::string utf16 = "\xFF\xFE";
  for (const char16_t u : std::u16string(u"<title>\u00F1!</title>\n")) {
    utf16 += static_cast<char>(u & 0xFF);
    utf16 += static_cast<char>(u >> 8);
  }
  std::ofstream(dir + "/" + sub + "/\xC3\xB1.htm", std::ios::binary) << utf16;

  makeMainProgramFiles();
  const int th = startProcedure("Main", 0, [] { return std::make_unique<rd::ReaderFrame>(); });
  pump();
  rd::ReaderFrame* frame = rd::readerFrame();
  ASSERT_NE(frame, nullptr);
  frame->menuAction("&Speed Read Pages")->trigger();
  pump();
  WindowProcedure* w = nullptr;
  for (int t : runningThreads())
    if (t != th && topProcedure(t) && topProcedure(t)->name() == "readpages") w = topProcedure(t);
  ASSERT_NE(w, nullptr);

  const auto clickInto = [w](const char* id) {
    QTest::mouseClick(widgetOf(w, id), Qt::LeftButton);
    pump();
  };
  clickInto("?domainname");
  typeKeys("beispiel.de");
  clickInto("?ReaderLocalDir");
  typeKeys(QString::fromStdString(dir));
  click(w, "?GO");
  EXPECT_EQ(answers.asked.back().text, "HTML file read done.");
  clickInto("?ReaderSubDir");
  typeKeys(QString::fromStdString(sub));
  click(w, "?GO");
  EXPECT_EQ(answers.asked.back().text, "HTML file read done.");

  for (const auto& a : answers.asked) EXPECT_EQ(a.text.find("  "), std::string::npos) << a.text;
  const auto pages = all(FileId::WebPages);
  ASSERT_EQ(pages.size(), 2u);
  std::map<std::string, std::string> titles;
  for (const RecordBuffer& p : pages) {
    EXPECT_TRUE(fs::is_regular_file(p.text("WEB:LOCALPATH"))) << p.text("WEB:LOCALPATH");
    titles[p.text("WEB:LOCALPATH")] = p.text("WEB:HTMLPAGETITLE");
  }
  EXPECT_EQ(titles[dir + "/index.htm"], "Caf\xC3\xA9 \xE2\x80\x93 home");
  EXPECT_EQ(titles[dir + "/" + sub + "/\xC3\xB1.htm"], "\xC3\xB1!");
  const auto domains = all(FileId::Domains);
  ASSERT_EQ(domains.size(), 1u);
  EXPECT_EQ(domains[0].text("DOM:DEFAULTLOCALDIR"), dir);
  expectRecordFilesHoldUtf8();
}

TEST_F(Reader, BrowseAsksForTheDomainThenEditsAPageAndItsDetails) {
  readSite("example.com", "site");
  add(FileId::WebPages, {{"WEB:DOMAINNAME", "other.net"},
                         {"WEB:PAGENAME", "x.htm"},
                         {"WEB:PAGEPATH", "http://www.other.net/x.htm"}});
  rd::domainname = "";
  const int th = startNamedProcedure("ShowPages", 50000);
  pump();
  WindowProcedure* prompt = topProcedure(th);
  ASSERT_NE(prompt, nullptr);
  EXPECT_EQ(prompt->name(), "getdom");
  typeInto(prompt, "?domainname", "example.com");
  click(prompt, "?Close");
  auto* browse = dynamic_cast<BrowseProcedure*>(topProcedure(th));
  ASSERT_NE(browse, nullptr);
  EXPECT_EQ(browse->name(), "BrowseWebPages");
  ASSERT_EQ(browse->list().rows().size(), 2u);  // only the domain asked for, by page name
  EXPECT_EQ(browse->list().rows()[0].record.text("WEB:PAGENAME"), "about.html");
  browse->list().setSelected(1);  // index.htm

  click(browse, "?Change");
  auto* form = dynamic_cast<FormProcedure*>(topProcedure(th));
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->outerWindow()->windowTitle(), "Changing a WebPages Record");
  auto* scripts = qobject_cast<QTableView*>(widgetOf(form, "?List:5"));
  ASSERT_EQ(scripts->model()->rowCount(), 1);
  for (int c = 2; c < 7; ++c)
    EXPECT_EQ(scripts->model()->headerData(c, Qt::Horizontal).toString(), "Script Line 1");
  auto* metas = qobject_cast<QTableView*>(widgetOf(form, "?List:1"));
  ASSERT_EQ(metas->model()->rowCount(), 1);
  EXPECT_EQ(metas->model()->index(0, 2).data().toString(), "a, b");

  // A new meta tag record belongs to the page on the form.
  click(form, "?Insert:1");
  auto* meta = dynamic_cast<FormProcedure*>(topProcedure(th));
  ASSERT_NE(meta, nullptr);
  EXPECT_EQ(meta->name(), "UpdateWPMeta");
  EXPECT_EQ(meta->outerWindow()->windowTitle(), "Adding a WPMeta Record");
  typeInto(meta, "?WPM:METANAME", "author");
  click(meta, "?OK");
  EXPECT_EQ(topProcedure(th), form);
  EXPECT_EQ(metas->model()->rowCount(), 2);
  EXPECT_EQ(pagesOf(FileId::WPMeta, "WPM:WEBPAGEPATH", kHome).size(), 2u);
  // And the list's Delete takes the highlighted one away again.
  answers.replies = {BtnYes};
  click(form, "?Delete:1");
  EXPECT_EQ(topProcedure(th), form);
  EXPECT_EQ(metas->model()->rowCount(), 1);
  EXPECT_EQ(pagesOf(FileId::WPMeta, "WPM:WEBPAGEPATH", kHome).size(), 1u);
  click(form, "?Cancel");

  // Deleting a page through the browse takes its detail records with it.
  ASSERT_EQ(topProcedure(th), browse);
  browse->list().setSelected(1);
  answers.replies = {BtnYes};
  click(browse, "?Delete");
  EXPECT_TRUE(pagesOf(FileId::WebPages, "WEB:PAGEPATH", kHome).empty());
  EXPECT_TRUE(pagesOf(FileId::WPMeta, "WPM:WEBPAGEPATH", kHome).empty());
  EXPECT_TRUE(pagesOf(FileId::WPIMG, "WPI:WEBPAGEPATHNAME", kHome).empty());
  EXPECT_EQ(pagesOf(FileId::WebPages, "WEB:PAGEPATH", kAbout).size(), 1u);
}

TEST_F(Reader, InsertedPageBelongsToTheListedDomain) {
  int th = 0;
  BrowseProcedure* browse = readAndList(&th);
  ASSERT_NE(browse, nullptr);
  click(browse, "?Insert");
  auto* form = dynamic_cast<FormProcedure*>(topProcedure(th));
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->outerWindow()->windowTitle(), "Adding a WebPages Record");
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(form, "?WEB:DOMAINNAME"))->text(), "example.com");
  EXPECT_EQ(qobject_cast<QLineEdit*>(widgetOf(form, "?WEB:PAGENAME"))->text(), "");
  typeInto(form, "?WEB:PAGENAME", "new.htm");
  typeInto(form, "?WEB:PAGEPATH", "http://www.example.com/new.htm");
  click(form, "?OK");
  ASSERT_EQ(topProcedure(th), browse);
  std::vector<std::string> names;
  for (const Row& r : browse->list().rows()) names.push_back(r.record.text("WEB:PAGENAME"));
  EXPECT_EQ(names, (std::vector<std::string>{"about.html", "index.htm", "new.htm"}));
  const auto saved = pagesOf(FileId::WebPages, "WEB:PAGEPATH", "http://www.example.com/new.htm");
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].text("WEB:DOMAINNAME"), "example.com");
}

TEST_F(Reader, BrowseOpensWithoutAskingAfterARead) {
  readSite("example.com", "site");
  const int th = startNamedProcedure("ShowPages", 50000);
  pump();
  WindowProcedure* p = topProcedure(th);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->name(), "BrowseWebPages");
}

}  // namespace
