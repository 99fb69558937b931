#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/store/store.h"
#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "webdata/import/import.h"
#include "webdata/scan/scan.h"

namespace fs = std::filesystem;

namespace {

using namespace qm;

const char* const kPath = "http://www.example.com/index.htm";
const char* const kPage = "site\\index.htm";  // as stored, with a backslash

// Each detail file's page-path field and one field that tells records apart.
struct Detail {
  FileId id;
  const char* path;
  const char* tag;
};
const Detail kDetails[] = {
    {FileId::WPLinks, "WPL:WEBPAGEPATHNAME", "WPL:WEBPAGELINK"},
    {FileId::WPIMG, "WPI:WEBPAGEPATHNAME", "WPI:WEBPAGEIMG"},
    {FileId::WPMeta, "WPM:WEBPAGEPATH", "WPM:METANAME"},
    {FileId::WPScripts, "WPS:WEBPAGEPATHNAME", "WPS:SCRIPTLINE1"},
    {FileId::WPForm, "WPF:WEBPAGEPATHNAME", "WPF:FORMLINE1"},
};

std::vector<RecordBuffer> records(FileId id) {
  FileManager& fm = access(id);
  fm.open();
  std::vector<std::pair<int64_t, RecordBuffer>> rows;
  EXPECT_EQ(fm.file().readPage(-1, nullptr, 0, true, 100000, rows), 0);
  fm.close();
  std::vector<RecordBuffer> out;
  for (auto& r : rows) out.push_back(r.second);
  return out;
}

std::vector<RecordBuffer> recordsOf(const Detail& d, const std::string& path) {
  std::vector<RecordBuffer> out;
  for (auto& r : records(d.id))
    if (r.text(d.path) == path) out.push_back(r);
  return out;
}

void seed(const Detail& d, const std::string& path, const std::string& tag) {
  FileManager& fm = access(d.id);
  ASSERT_EQ(fm.open(), 0);
  RecordBuffer& b = fm.file().buffer();
  b.clear();
  b.setText(d.path, path);
  b.setText(d.tag, tag);
  ASSERT_EQ(fm.file().add(), 0);
  fm.close();
}

class Import : public ::testing::Test {
 protected:
  void SetUp() override {
    initGlobals();
    setClock(&clock_);
    errors().setExitFunction([](int) { throw std::runtime_error("the program would end here"); });
    StartDictionary(DictionaryKind::Main,
                    {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
    answers_.install();
    RecordBuffer& w = web();
    w.clear();
    w.setText("WEB:PAGEPATH", kPath);
    w.setText("WEB:DOMAINNAME", "example.com");
    w.setText("WEB:PAGENAME", "index.htm");
    w.setText("WEB:USENOW", "Y");
    w.setText("WEB:LOCALPATH", kPage);
    w.setText("WEB:LOCALDEFAULTDIRECTORY", "D");
  }
  void TearDown() override {
    StopDictionary();
    setClock(nullptr);
    errors().setExitFunction([](int code) { std::exit(code); });
  }

  static RecordBuffer& web() { return access(FileId::WebPages).buffer(); }

  // The page file in the test directory, last changed 5 March 2024 14:07 (UTC).
  static void writePage(const std::string& from) {
    fs::create_directories("site");
    fs::copy_file(std::string(QM_FIXTURE_DIR) + "/scan/" + from, "site/index.htm",
                  fs::copy_options::overwrite_existing);
    std::tm tm{};
    tm.tm_year = 124;
    tm.tm_mon = 2;
    tm.tm_mday = 5;
    tm.tm_hour = 14;
    tm.tm_min = 7;
    const utimbuf times{timegm(&tm), timegm(&tm)};
    ASSERT_EQ(::utime("site/index.htm", &times), 0);
  }

  std::vector<std::string> captions() const {
    std::vector<std::string> out;
    for (const auto& a : answers_.asked) out.push_back(a.caption + ": " + a.text);
    return out;
  }

  FakeClock clock_{dayNumber(2025, 1, 2), timeOf(9, 5, 0)};
  ScriptedAnswerer answers_;
};

const std::string kQuestion =
    "Parse HTML File: Depending upon the size of the file,|this process can take up to several "
    "minutes.||Continue process?";
const std::string kDone = "Parse HTML File: HTML file read done.";

TEST_F(Import, YesWritesTheScannedRecordsAndThePageFields) {
  writePage("page-crlf.htm");
  answers_.replies = {BtnYes};
  ParseHtmlFile(mainWebContext());

  EXPECT_EQ(captions(), (std::vector<std::string>{kQuestion, kDone}));
  EXPECT_EQ(answers_.asked[0].icon, MsgIcon::Exclamation);
  EXPECT_EQ(answers_.asked[0].buttons, BtnYes | BtnNo);

  std::string error;
  const ScanResult found = scanFile("site/index.htm", &error);
  ASSERT_EQ(error, "");
  const int32_t day = dayNumber(2025, 1, 2);

  const auto images = records(FileId::WPIMG);
  ASSERT_EQ(images.size(), found.images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const RecordBuffer& r = images[i];
    EXPECT_EQ(r.text("WPI:WEBPAGEPATHNAME"), kPath);
    EXPECT_EQ(r.text("WPI:DOMAINNAME"), "example.com");
    EXPECT_EQ(r.text("WPI:PAGE"), "index.htm");
    EXPECT_EQ(r.text("WPI:WEBPAGEIMG"), found.images[i].src);
    EXPECT_EQ(r.text("WPI:HEIGHT"), found.images[i].height);
    EXPECT_EQ(r.text("WPI:WIDTH"), found.images[i].width);
    EXPECT_EQ(r.integer("WPI:LINENUMBER"), found.images[i].line);
    EXPECT_EQ(r.text("WPI:CURRENTLYUSE"), "Y");
    EXPECT_EQ(r.date("WPI:DATEENTERED"), day);
  }
  EXPECT_EQ(images[0].text("WPI:IMAGEPATH"), "D/images/logo.gif");
  EXPECT_EQ(images[0].integer("WPI:LINENUMBER"), 10);

  const auto links = records(FileId::WPLinks);
  ASSERT_EQ(links.size(), found.links.size());
  for (std::size_t i = 0; i < links.size(); ++i) {
    EXPECT_EQ(links[i].text("WPL:WEBPAGELINK"), found.links[i].link);
    EXPECT_EQ(links[i].real("WPL:LINENUMBER"), static_cast<double>(found.links[i].line));
    EXPECT_EQ(links[i].date("WPL:RECORDDATE"), day);
    EXPECT_EQ(links[i].text("WPL:PAGENAME"), "index.htm");
  }

  const auto metas = records(FileId::WPMeta);
  ASSERT_EQ(metas.size(), found.metas.size());
  for (std::size_t i = 0; i < metas.size(); ++i) {
    EXPECT_EQ(metas[i].text("WPM:METANAME"), found.metas[i].name);
    EXPECT_EQ(metas[i].text("WPM:METACONTENTS"), found.metas[i].content);
    EXPECT_EQ(metas[i].text("WPM:LOCALPATH"), kPage);
  }

  const auto scripts = records(FileId::WPScripts);
  ASSERT_EQ(scripts.size(), 1u);
  const auto forms = records(FileId::WPForm);
  ASSERT_EQ(forms.size(), 1u);
  for (std::size_t n = 0; n < kBlockSlots; ++n) {
    const std::string want = n < found.scripts[0].lines.size() ? found.scripts[0].lines[n] : "";
    EXPECT_EQ(scripts[0].text("WPS:SCRIPTLINE" + std::to_string(n + 1)), want) << n;
    const std::string wantForm = n < found.forms[0].lines.size() ? found.forms[0].lines[n] : "";
    EXPECT_EQ(forms[0].text("WPF:FORMLINE" + std::to_string(n + 1)), wantForm) << n;
  }
  EXPECT_EQ(forms[0].integer("WPF:LINENUMBER"), 12);
  EXPECT_EQ(scripts[0].date("WPS:RECORDDATE"), day);

  const RecordBuffer& w = web();
  EXPECT_EQ(w.text("WEB:HTMLPAGETITLE"), "My Page");
  EXPECT_EQ(w.text("WEB:FILEDATETIME"), "3/05/24 2:07PM");
  EXPECT_EQ(w.integer("WEB:FILESIZE"), static_cast<int64_t>(fs::file_size("site/index.htm")));
  EXPECT_EQ(w.text("WEB:PAGEREADDATE"), "1/02/25 9:05AM");
  for (const char* mark : {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4", "WEB:DATA5"})
    EXPECT_EQ(w.text(mark), "Y") << mark;

  EXPECT_TRUE(ProgressCount.blank());
  EXPECT_TRUE(HtmlFileName.blank());
  EXPECT_TRUE(StatusText.blank());
  EXPECT_EQ(WorkFileName.str(), std::to_string(timeOf(9, 5, 0)) + ".txt");
  // Nothing is left behind in the data directory.
  for (const auto& e : fs::directory_iterator("."))
    EXPECT_NE(e.path().extension(), ".txt") << e.path();
  // The five files stay open on the thread for the form.
  for (const Detail& d : kDetails) EXPECT_TRUE(access(d.id).isOpen());
}

// Another program's globals: the run writes the file names, status and
// count it is handed, and none of the main program's.
TEST_F(Import, WritesTheGlobalsOfTheContextItIsHanded) {
  writePage("page-lf.htm");
  FixedText<kPathWidth> html;
  FixedText<20> work;
  FixedText<50> domain;
  FixedText<100> status;
  FixedText<20> progress;
  progress = "7";
  const WebContext other{&html, &work, &domain, &status, &progress};
  WorkFileName = "main.txt";
  answers_.replies = {BtnYes};
  ParseHtmlFile(other);
  EXPECT_EQ(captions(), (std::vector<std::string>{kQuestion, kDone}));
  EXPECT_EQ(web().text("WEB:HTMLPAGETITLE"), "My Page");
  EXPECT_EQ(work.str(), std::to_string(timeOf(9, 5, 0)) + ".txt");
  EXPECT_TRUE(progress.blank());
  EXPECT_TRUE(html.blank());
  EXPECT_EQ(WorkFileName.str(), "main.txt");
}

TEST_F(Import, SecondImportReplacesTheOldRecordsOnly) {
  writePage("page-lf.htm");
  for (const Detail& d : kDetails) {
    seed(d, kPath, "old");
    seed(d, "http://www.example.com/other.htm", "other");
    seed(d, "HTTP://WWW.EXAMPLE.COM/INDEX.HTM", "other case");  // not exactly the page path
  }
  answers_.replies = {BtnYes, BtnOk, BtnYes};
  ParseHtmlFile(mainWebContext());
  std::vector<std::size_t> first;
  for (const Detail& d : kDetails) first.push_back(recordsOf(d, kPath).size());
  ParseHtmlFile(mainWebContext());
  for (std::size_t i = 0; i < std::size(kDetails); ++i) {
    const Detail& d = kDetails[i];
    const auto mine = recordsOf(d, kPath);
    EXPECT_EQ(mine.size(), first[i]) << d.path;
    EXPECT_GT(mine.size(), 0u) << d.path;
    for (const auto& r : mine) EXPECT_NE(r.text(d.tag), "old") << d.path;
    EXPECT_EQ(recordsOf(d, "http://www.example.com/other.htm").size(), 1u) << d.path;
    EXPECT_EQ(recordsOf(d, "HTTP://WWW.EXAMPLE.COM/INDEX.HTM").size(), 1u) << d.path;
  }
}

TEST_F(Import, LongPathsAreKeptWholeAndPagesSharingTheirStartStayApart) {
  const std::string dir = "site/" + std::string(100, 'd');
  const std::string mine = "http://www.example.com/" + std::string(90, 'p') + "/index.htm";
  const std::string other = "http://www.example.com/" + std::string(90, 'p') + "/other.htm";
  writePage("page-lf.htm");
  fs::create_directories(dir);
  fs::rename("site/index.htm", dir + "/index.htm");
  for (const Detail& d : kDetails) seed(d, other, "other");
  RecordBuffer& w = web();
  w.setText("WEB:PAGEPATH", mine);
  w.setText("WEB:LOCALPATH", dir + "/index.htm");
  w.setText("WEB:LOCALDEFAULTDIRECTORY", dir);
  answers_.replies = {BtnYes};
  ParseHtmlFile(mainWebContext());
  EXPECT_EQ(captions(), (std::vector<std::string>{kQuestion, kDone}));
  for (const Detail& d : kDetails) {
    EXPECT_GT(recordsOf(d, mine).size(), 0u) << d.path;
    ASSERT_EQ(recordsOf(d, other).size(), 1u) << d.path;
  }
  for (const auto& m : recordsOf(kDetails[2], mine))
    EXPECT_EQ(m.text("WPM:LOCALPATH"), dir + "/index.htm");
  for (const auto& i : recordsOf(kDetails[1], mine))
    EXPECT_EQ(i.text("WPI:IMAGEPATH").rfind(dir + "/", 0), 0u);
}

TEST_F(Import, NoLeavesEverythingAsItWas) {
  writePage("page-lf.htm");
  for (const Detail& d : kDetails) seed(d, kPath, "old");
  RecordBuffer& w = web();
  w.setText("WEB:HTMLPAGETITLE", "Old title");
  for (const char* mark : {"WEB:DATA1", "WEB:DATA3"}) w.setText(mark, "Y");
  const RecordBuffer before = w;
  answers_.replies = {BtnNo};
  ParseHtmlFile(mainWebContext());
  EXPECT_EQ(captions(), (std::vector<std::string>{kQuestion}));
  EXPECT_TRUE(web() == before);
  for (const Detail& d : kDetails) {
    const auto mine = recordsOf(d, kPath);
    ASSERT_EQ(mine.size(), 1u) << d.path;
    EXPECT_EQ(mine[0].text(d.tag), "old");
  }
}

TEST_F(Import, MissingFileSaysSoAndStillEnds) {
  for (const Detail& d : kDetails) seed(d, kPath, "old");
  RecordBuffer& w = web();
  w.setText("WEB:HTMLPAGETITLE", "Old title");
  w.setInteger("WEB:FILESIZE", 77);
  w.setText("WEB:DATA2", "Y");
  answers_.replies = {BtnYes};
  ParseHtmlFile(mainWebContext());
  EXPECT_EQ(captions(),
            (std::vector<std::string>{kQuestion, std::string(kPage) + ": File not found", kDone}));
  for (const Detail& d : kDetails) EXPECT_TRUE(records(d.id).empty()) << d.path;
  EXPECT_EQ(w.text("WEB:HTMLPAGETITLE"), "Old title");
  EXPECT_EQ(w.integer("WEB:FILESIZE"), 77);
  EXPECT_EQ(w.text("WEB:DATA2"), "");
  EXPECT_TRUE(HtmlFileName.blank());
}

TEST_F(Import, EmptyFileKeepsTheFileFacts) {
  writePage("empty.htm");
  RecordBuffer& w = web();
  w.setInteger("WEB:FILESIZE", 77);
  w.setText("WEB:PAGEREADDATE", "earlier");
  answers_.replies = {BtnYes};
  ParseHtmlFile(mainWebContext());
  EXPECT_EQ(captions(), (std::vector<std::string>{kQuestion, kDone}));
  EXPECT_EQ(w.integer("WEB:FILESIZE"), 77);
  EXPECT_EQ(w.text("WEB:PAGEREADDATE"), "earlier");
}

TEST_F(Import, AFailedWriteStoresNothingOfThePageAndSaysWhyOnce) {
  writePage("page-lf.htm");
  for (const FileId id :
       {FileId::WPIMG, FileId::WPLinks, FileId::WPMeta, FileId::WPForm, FileId::WPScripts})
    ASSERT_EQ(access(id).open(), 0);  // the files exist: a full disk can still hold them
  const struct {
    const char* fault;
    const char* said;  // in the one message about it
  } cases[] = {
      {"held", "Transaction cancelled: "}, {"read-only", "Read-Only"}, {"full", "Disk Full"}};
  for (const auto& c : cases) {
    const std::string fault = c.fault;
    RecordFile other(access(FileId::WPLinks).def());  // another user denies writing
    if (fault == "held") {
      ASSERT_EQ(other.open(OpenMode::ReadWriteDenyWrite, true, 0), 0);
    }
    if (fault == "read-only") store::setUnwritableForTests("WPLINKS.qdf");
    if (fault == "full") {
      store::setPageLimitForTests(1);  // no file may grow
      std::ofstream big("site/index.htm");
      for (int i = 0; i < 500; ++i)
        big << "<a href=\"a-link-long-enough-to-fill-the-pages-" << i << ".htm\">\n";
    }
    web().setText("WEB:DATA1", "Y");  // as the form had it
    answers_.asked.clear();
    answers_.replies = {BtnYes};
    ParseHtmlFile(mainWebContext());
    other.close();
    store::clearFaultsForTests();
    const auto asked = captions();
    ASSERT_EQ(asked.size(), 3u) << fault;
    EXPECT_NE(asked[1].find(c.said), std::string::npos) << asked[1];
    EXPECT_EQ(asked[2], kDone + "||0 pages stored, 1 page not stored.") << fault;
    EXPECT_TRUE(records(FileId::WPLinks).empty()) << fault;
    EXPECT_TRUE(records(FileId::WPIMG).empty()) << fault;  // nothing of the page, not half of it
    EXPECT_EQ(web().text("WEB:DATA1"), "Y") << fault;      // the form keeps what is stored
  }
}

// A detail file the import must create, on a full disk: the import fails,
// naming the disk; the program goes on and the form's page stays as typed.
TEST_F(Import, ADetailFileThatCannotBeCreatedFailsTheImportOnly) {
  writePage("page-lf.htm");
  ASSERT_FALSE(std::filesystem::exists("WPIMG.qdf"));
  web().setText("WEB:HTMLPAGETITLE", "Typed by hand");
  const RecordBuffer typed = web();
  store::setPageLimitForTests(1);
  answers_.asked.clear();
  answers_.replies = {BtnYes};
  ParseHtmlFile(mainWebContext());  // the test's exit function throws: it is not called
  store::clearFaultsForTests();
  ASSERT_EQ(answers_.asked.size(), 1u);
  EXPECT_EQ(answers_.asked[0].text.rfind("Error: (Disk Full) creating ", 0), 0u)
      << answers_.asked[0].text;
  EXPECT_EQ(answers_.asked[0].icon, MsgIcon::Stop);
  EXPECT_TRUE(web() == typed);
  for (const char* name : {"WPIMG.qdf", "WPLINKS.qdf"})
    EXPECT_FALSE(std::filesystem::exists(name)) << name;
}

}  // namespace
