// Pages in every common encoding, read by the import and by the batch reader:
// each stores the texts the page says, as UTF-8.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "guitest.h"
#include "reader/globals.h"
#include "reader/readpages.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"
#include "utf8check.h"
#include "webdata/import/import.h"

namespace fs = std::filesystem;
using namespace qm;
namespace rd = qm::reader;

namespace {

struct Texts {
  std::string title, meta, link;
};

// The page as its author wrote it; `head` goes first in the head.
std::string page(const std::string& head, const Texts& t, const char* eol = "\n") {
  return "<html><head>" + head + eol + "<meta name=\"description\" content=\"" + t.meta + "\">" +
         eol + "<title>" + t.title + "</title>" + eol + "</head><body>" + eol + "<a href=\"" +
         t.link + "\">x</a>" + eol + "</body></html>" + eol;
}

std::string encoded(const std::string& utf8, const char* codec) {
  QStringEncoder enc(codec);
  const QByteArray b = enc.encode(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

std::string encoded(const std::string& utf8, QStringConverter::Encoding e) {
  QStringEncoder enc(e);
  const QByteArray b = enc.encode(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
  return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

const Texts kWestern{"Caf\xC3\xA9 \xE2\x80\x93 \xE2\x80\x9CSmart\xE2\x80\x9D",
                     "Cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                     "e \xE2\x80\x93 \xE2\x80\x98"
                     "fine\xE2\x80\x99",
                     "\xC3\xB1"
                     "and\xC3\xBA.htm"};
const Texts kLatin1{"Caf\xC3\xA9 cr\xC3\xA8me",
                    "Br\xC3\xBBl\xC3\xA9"
                    "e \xC2\xBD",
                    "\xC3\xB1"
                    "and\xC3\xBA.htm"};
const Texts kCyrillic{
    "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE2\x80\x93 \xD0\xBC\xD0\xB8\xD1\x80",
    "\xD0\x9E\xD0\xBF\xD0\xB8\xD1\x81\xD0\xB0\xD0\xBD\xD0\xB8\xD0\xB5",
    "\xD1\x81\xD1\x82\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x86\xD0\xB0.htm"};
const std::string kDeclared1251 =
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">";

struct Case {
  const char* name;
  std::string bytes;
  Texts want;
};

std::vector<Case> cases() {
  using E = QStringConverter::Encoding;
  const std::string western = page("", kWestern);
  return {
      {"UTF-8", western, kWestern},
      {"UTF-8 with a mark", "\xEF\xBB\xBF" + western, kWestern},
      {"UTF-8, CR LF", page("", kWestern, "\r\n"), kWestern},
      {"Windows-1252, undeclared", encoded(western, "windows-1252"), kWestern},
      {"ISO-8859-1, declared",
       encoded(page("<meta charset=\"ISO-8859-1\">", kLatin1), "ISO-8859-1"), kLatin1},
      {"Windows-1251, declared", encoded(page(kDeclared1251, kCyrillic), "windows-1251"),
       kCyrillic},
      {"UTF-8 declared as Windows-1251: the bytes win", page(kDeclared1251, kCyrillic), kCyrillic},
      {"UTF-16 LE", "\xFF\xFE" + encoded(western, E::Utf16LE), kWestern},
      {"UTF-16 BE, CR LF", "\xFE\xFF" + encoded(page("", kWestern, "\r\n"), E::Utf16BE), kWestern},
      {"UTF-32 LE", std::string("\xFF\xFE\0\0", 4) + encoded(western, E::Utf32LE), kWestern},
      {"UTF-32 BE", std::string("\0\0\xFE\xFF", 4) + encoded(western, E::Utf32BE), kWestern},
  };
}

const char* const kFile = "Seite-\xC3\xBC.htm";

std::vector<RecordBuffer> records(FileId id) {
  ThreadScope t(1);
  FileManager& fm = access(id);
  fm.open();
  std::vector<std::pair<int64_t, RecordBuffer>> rows;
  EXPECT_EQ(fm.file().readPage(-1, nullptr, 0, true, 1000, rows), 0);
  fm.close();
  std::vector<RecordBuffer> out;
  for (auto& r : rows) out.push_back(r.second);
  return out;
}

// What the detail files hold of the page: its meta content and link.
Texts details() {
  Texts t;
  for (const RecordBuffer& m : records(FileId::WPMeta)) t.meta = m.text("WPM:METACONTENTS");
  for (const RecordBuffer& l : records(FileId::WPLinks)) t.link = l.text("WPL:WEBPAGELINK");
  return t;
}

void removeRecordFiles() {
  for (const auto& e : fs::directory_iterator("."))
    if (e.path().extension() == ".qdf") fs::remove(e.path());
}

Texts imported() {
  initGlobals();
  StartDictionary(DictionaryKind::Main,
                  {[] { return HtmlFileName.str(); }, [] { return WorkFileName.str(); }});
  ThreadScope t(1);
  RecordBuffer& w = access(FileId::WebPages).buffer();
  w.clear();
  w.setText("WEB:PAGEPATH", std::string("http://www.example.com/") + kFile);
  w.setText("WEB:DOMAINNAME", "example.com");
  w.setText("WEB:PAGENAME", kFile);
  w.setText("WEB:LOCALPATH", std::string("site/") + kFile);
  w.setText("WEB:LOCALDEFAULTDIRECTORY", "site");
  ParseHtmlFile(mainWebContext());
  Texts got = details();
  got.title = w.text("WEB:HTMLPAGETITLE");
  StopDictionary();
  return got;
}

Texts readByTheReader() {
  rd::initReaderGlobals();
  StartDictionary(DictionaryKind::Reader,
                  {[] { return rd::HtmlFileName.str(); }, [] { return rd::WorkFileName.str(); }});
  {
    ThreadScope t(1);
    rd::domainname = "example.com";
    rd::ReaderLocalDir = "site";
    rd::ReaderSubDir = "";
    rd::ReadAllPages();
  }
  Texts got = details();
  for (const RecordBuffer& p : records(FileId::WebPages)) got.title = p.text("WEB:HTMLPAGETITLE");
  StopDictionary();
  return got;
}

TEST(Encodings, EveryPageIsStoredAsItReadsByTheImportAndByTheReader) {
  ScriptedAnswerer answers;
  answers.install();
  errors().setExitFunction([](int) { throw std::runtime_error("the program would end here"); });
  fs::create_directory("site");
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    std::ofstream(std::string("site/") + kFile, std::ios::binary | std::ios::trunc) << c.bytes;
    for (const auto& [by, read] : {std::pair{"import", &imported}, {"reader", &readByTheReader}}) {
      answers.replies = {BtnYes, BtnYes, BtnOk, BtnOk};
      const Texts got = read();
      EXPECT_EQ(got.title, c.want.title) << by;
      EXPECT_EQ(got.meta, c.want.meta) << by;
      EXPECT_EQ(got.link, c.want.link) << by;
      qmtest::expectRecordFilesHoldUtf8();
      removeRecordFiles();
    }
  }
  errors().setExitFunction([](int code) { std::exit(code); });
}

}  // namespace
