// The data dictionary: layouts, set-up, file and relation managers.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "dictionary/batchwriter.h"
#include "dictionary/dictionary.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/store/thread.h"
#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/values/fsutil.h"
#include "testdir.h"

namespace fs = std::filesystem;
using namespace qm;

TEST(Layouts, RecordSizesAndOffsetsAsTabled) {
  struct {
    FileId id;
    int size;
  } sizes[] = {
      {FileId::Domains, 2104},   {FileId::Con, 148},       {FileId::dnotes, 65},
      {FileId::WPMeta, 1314},    {FileId::DOS1, 255},      {FileId::DOS, 255},
      {FileId::Editor, 1041},    {FileId::WebPages, 2160}, {FileId::Hosts, 499},
      {FileId::Registrars, 323}, {FileId::Intlink, 316},   {FileId::WPLinks, 794},
      {FileId::WPScripts, 8586}, {FileId::WPForm, 8588},   {FileId::WPIMG, 1341},
  };
  for (auto& s : sizes) {
    const FileDef& d = fileDef(s.id);
    EXPECT_EQ(d.recordSize, s.size) << d.label;
    const FieldDef& last = d.fields.back();
    EXPECT_EQ(last.offset + last.size, s.size) << d.label;
  }
  struct {
    FileId id;
    const char* field;
    int offset;
    int size;
    FieldType type;
  } offsets[] = {
      {FileId::Domains, "DOM:FEEPAID", 138, 4, FieldType::Decimal42},
      {FileId::Domains, "DOM:HOST", 356, 40, FieldType::Text},
      {FileId::Domains, "DOM:HOSTMOCOST", 1372, 4, FieldType::Decimal42},
      {FileId::Domains, "DOM:RECID", 2076, 20, FieldType::Text},
      {FileId::Domains, "DOM:NONMONTHTOTAL", 2100, 4, FieldType::Decimal42},
      {FileId::WebPages, "WEB:FILESIZE", 1701, 4, FieldType::Int4},
      {FileId::WebPages, "WEB:HTMLPAGETITLE", 2055, 80, FieldType::Text},
      {FileId::WebPages, "WEB:DATA5", 2159, 1, FieldType::Text},
      {FileId::WPMeta, "WPM:METANAME", 1294, 20, FieldType::Text},
      {FileId::WPLinks, "WPL:LINENUMBER", 782, 8, FieldType::Real},
      {FileId::WPLinks, "WPL:RECORDDATE", 790, 4, FieldType::Date},
      {FileId::WPIMG, "WPI:LINENUMBER", 782, 2, FieldType::Int2},
      {FileId::WPIMG, "WPI:CURRENTLYUSE", 1340, 1, FieldType::Text},
      {FileId::WPForm, "WPF:LINENUMBER", 586, 2, FieldType::Int2},
      {FileId::WPForm, "WPF:FORMLINE1", 588, 200, FieldType::Text},
      {FileId::WPForm, "WPF:FORMLINE40", 8388, 200, FieldType::Text},
      {FileId::WPScripts, "WPS:SCRIPTLINE1", 586, 200, FieldType::Text},
      {FileId::WPScripts, "WPS:SCRIPTLINE40", 8386, 200, FieldType::Text},
      {FileId::Hosts, "HOS:POP3NUMBER", 282, 2, FieldType::Int2},
      {FileId::Hosts, "HOS:FEEMONTHLY", 285, 8, FieldType::Real},
      {FileId::Hosts, "HOS:RECID", 479, 20, FieldType::Text},
      {FileId::Registrars, "REG:REGULARFEE", 252, 8, FieldType::Real},
      {FileId::Registrars, "REG:RECID", 303, 20, FieldType::Text},
      {FileId::dnotes, "DNO:DATE", 61, 4, FieldType::Date},
      {FileId::Intlink, "INL:TYPE", 0, 1, FieldType::UInt1},
      {FileId::Intlink, "INL:RECID", 296, 20, FieldType::Text},
      {FileId::Editor, "EDI:CURRENTCONFIG", 1040, 1, FieldType::Text},
      {FileId::Con, "CON:PATH", 20, 128, FieldType::Text},
      {FileId::DOS, "DOS:LINE", 0, 255, FieldType::Text},
  };
  for (auto& o : offsets) {
    const FileDef& d = fileDef(o.id);
    int i = d.fieldIndex(o.field);
    ASSERT_GE(i, 0) << o.field;
    EXPECT_EQ(d.fields[i].offset, o.offset) << o.field;
    EXPECT_EQ(d.fields[i].size, o.size) << o.field;
    EXPECT_EQ(d.fields[i].type, o.type) << o.field;
  }
  // Every stored path, and each page-path relation, has room for a whole path.
  const std::pair<FileId, const char*> paths[] = {
      {FileId::WebPages, "WEB:PAGEPATH"},
      {FileId::WebPages, "WEB:LOCALPATH"},
      {FileId::WebPages, "WEB:LOCALDEFAULTDIRECTORY"},
      {FileId::Domains, "DOM:DEFAULTLOCALDIR"},
      {FileId::WPMeta, "WPM:WEBPAGEPATH"},
      {FileId::WPMeta, "WPM:LOCALPATH"},
      {FileId::WPLinks, "WPL:WEBPAGEPATHNAME"},
      {FileId::WPIMG, "WPI:WEBPAGEPATHNAME"},
      {FileId::WPIMG, "WPI:IMAGEPATH"},
      {FileId::WPForm, "WPF:WEBPAGEPATHNAME"},
      {FileId::WPScripts, "WPS:WEBPAGEPATHNAME"},
  };
  for (auto& [id, field] : paths) {
    const FileDef& d = fileDef(id);
    EXPECT_EQ(d.fields[d.fieldIndex(field)].size, kPathWidth) << field;
  }
  for (const RelationDef& r : relationDefs()) {
    const FileDef& child = fileDef(r.child);
    EXPECT_EQ(r.fieldSize, child.fields[child.fieldIndex(r.childField)].size) << r.childField;
  }
  EXPECT_EQ(readerConDef().recordSize, 20);
  EXPECT_EQ(readerConDef().fields.size(), 1u);
  EXPECT_EQ(readerConDef().ownerPassword, "QZVRKM");
}

TEST(Layouts, KeysMemosAndRelations) {
  int keys = 0, memos = 0;
  for (FileId id : mainFiles()) {
    keys += static_cast<int>(fileDef(id).keys.size());
    memos += static_cast<int>(fileDef(id).memos.size());
  }
  EXPECT_EQ(keys, 18);
  EXPECT_EQ(memos, 5);
  const FileDef& web = fileDef(FileId::WebPages);
  const KeyDef& names = web.keys[web.keyIndex("WEB:NAMES")];
  EXPECT_EQ(names.description, "domainnames, pagenames");
  EXPECT_EQ(names.autoNumber, 2);
  EXPECT_FALSE(names.unique);
  EXPECT_EQ(names.components,
            (std::vector<int>{web.fieldIndex("WEB:DOMAINNAME"), web.fieldIndex("WEB:PAGENAME")}));
  EXPECT_TRUE(fileDef(FileId::Hosts).keys[0].unique);
  EXPECT_EQ(fileDef(FileId::dnotes).memos[0].exprName, "DNO:MainMemo");
  EXPECT_EQ(fileDef(FileId::dnotes).memos[0].size, 1000);
  EXPECT_EQ(relationDefs().size(), 6u);
  EXPECT_EQ(relationDefs()[1].child, FileId::WPMeta);
  EXPECT_EQ(diskFileName(fileDef(FileId::Domains)), "DOMAINS.qdf");
  EXPECT_EQ(diskFileName(fileDef(FileId::Con)), "Control.qdf");
  EXPECT_FALSE(fileDef(FileId::Con).createWhenMissing);
  EXPECT_FALSE(fileDef(FileId::DOS).createWhenMissing);
  EXPECT_TRUE(fileDef(FileId::DOS).endAtLineFeed);
  EXPECT_FALSE(fileDef(FileId::DOS1).endAtLineFeed);
}

namespace {

std::string gHtml = "page.htm", gWork = "work.txt";

class Managers : public ::testing::Test {
 protected:
  void SetUp() override {
    answers.install();
    errors().setExitFunction([](int) {});
    clock.day = dayNumber(2024, 5, 17);
    setClock(&clock);
    StartDictionary(DictionaryKind::Main, {[] { return gHtml; }, [] { return gWork; }});
  }
  void TearDown() override {
    StopDictionary();
    setClock(nullptr);
    errors().setExitFunction([](int code) { std::exit(code); });
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> out;
    for (auto& a : answers.asked) out.push_back(a.caption);
    return out;
  }
  ScriptedAnswerer answers;
  FakeClock clock;
};

int addDomain(const std::string& name) {
  FileManager& m = *Access_Domains;
  m.primeRecord();
  m.buffer().setText("DOM:DOMAINNAME", name);
  return m.insert();
}

// A domain with `pages` pages, each with `details` records in each detail file.
void addSite(const std::string& domain, int pages, int details) {
  ASSERT_EQ(addDomain(domain), 0);
  FileManager* detailFiles[] = {Access_WPMeta, Access_WPLinks, Access_WPForm, Access_WPIMG,
                                Access_WPScripts};
  const char* linkField[] = {"WPM:WEBPAGEPATH", "WPL:WEBPAGEPATHNAME", "WPF:WEBPAGEPATHNAME",
                             "WPI:WEBPAGEPATHNAME", "WPS:WEBPAGEPATHNAME"};
  for (int p = 0; p < pages; ++p) {
    std::string path = "http://" + domain + std::string("/p").append(std::to_string(p)) + ".htm";
    Access_WebPages->primeRecord();
    Access_WebPages->buffer().setText("WEB:DOMAINNAME", domain);
    Access_WebPages->buffer().setText("WEB:PAGENAME", std::string("p").append(std::to_string(p)));
    Access_WebPages->buffer().setText("WEB:PAGEPATH", path);
    ASSERT_EQ(Access_WebPages->insert(), 0);
    for (int f = 0; f < 5; ++f)
      for (int d = 0; d < details; ++d) {
        detailFiles[f]->buffer().clear();
        detailFiles[f]->buffer().setText(linkField[f], path);
        ASSERT_EQ(detailFiles[f]->insert(), 0);
      }
  }
}

int64_t count(FileId id) { return access(id).file().count(); }

}  // namespace

TEST_F(Managers, SetUpFillsReferencesInOrder) {
  EXPECT_TRUE(dictionaryStarted());
  EXPECT_EQ(&access(FileId::WPIMG), Access_WPIMG);
  EXPECT_EQ(&Relate_Domains->file(), Access_Domains);
  EXPECT_EQ(Access_Domains->name(), "Domains");
  EXPECT_EQ(Access_Con->name(), "Control.qdf");
  EXPECT_EQ(Access_DOS->name(), "page.htm");
  EXPECT_EQ(Access_DOS->openMode(), OpenMode::ReadWriteDenyWrite);
  EXPECT_EQ(Access_DOS1->openMode(), OpenMode::ReadWriteDenyNone);
  EXPECT_EQ(Access_Hosts->lockRecovery(), 10);
  EXPECT_EQ(Relate_WebPages->parent(), Relate_Domains);
  ASSERT_EQ(Relate_WebPages->children().size(), 5u);
  EXPECT_EQ(Relate_WebPages->children()[0].child, Relate_WPMeta);
  EXPECT_EQ(Relate_WebPages->children()[4].child, Relate_WPScripts);
  EXPECT_EQ(Relate_WPLinks->parent(), Relate_WebPages);
  EXPECT_TRUE(fs::is_empty(qmtest::testDirectory()));  // nothing opened at set-up

  StartDictionary(DictionaryKind::Reader, {[] { return gHtml; }, [] { return gWork; }});
  EXPECT_EQ(Access_dnotes, nullptr);
  EXPECT_EQ(Access_Hosts, nullptr);
  EXPECT_EQ(Access_Con->def().recordSize, 20);
  EXPECT_EQ(Relate_WebPages->children().size(), 5u);
  StopDictionary();
  EXPECT_EQ(Access_Domains, nullptr);
}

TEST_F(Managers, FirstOpenCreatesEveryFileButConAndDos) {
  for (FileId id : mainFiles()) {
    bool mustFail = id == FileId::Con || id == FileId::DOS;
    int level = access(id).open();
    EXPECT_EQ(level != 0, mustFail) << fileDef(id).label;
  }
  for (FileId id : mainFiles()) {
    if (fileDef(id).kind != FileKind::Indexed) continue;
    EXPECT_EQ(fs::exists(diskFileName(fileDef(id))), id != FileId::Con) << fileDef(id).label;
  }
  EXPECT_TRUE(fs::exists("work.txt"));
  EXPECT_FALSE(fs::exists("page.htm"));
  EXPECT_EQ(captions(), (std::vector<std::string>{"File Access Error", "File Access Error"}));
  EXPECT_NE(answers.asked[0].text.find("Control.qdf"), std::string::npos) << answers.asked[0].text;
  EXPECT_NE(answers.asked[0].text.find("File Not Found"), std::string::npos);
}

TEST_F(Managers, DamagedFileIsReportedNotCrashed) {
  fs::copy_file(qmtest::fixture("store/notadb.qdf"), "DOMAINS.qdf");
  EXPECT_NE(Access_Domains->open(), 0);
  ASSERT_EQ(captions(), std::vector<std::string>{"File Access Error"});
  EXPECT_NE(answers.asked[0].text.find("Invalid Record File"), std::string::npos)
      << answers.asked[0].text;
  EXPECT_FALSE(Access_Domains->isOpen());
  EXPECT_FALSE(Access_Domains->useFile());
  EXPECT_EQ(captions().back(), "File Usage Error");
}

TEST_F(Managers, DuplicateNamesAndBlankNames) {
  ASSERT_EQ(Relate_Domains->open(), 0);
  ASSERT_EQ(addDomain("example.com"), 0);
  EXPECT_EQ(addDomain("EXAMPLE.com  "), 5);
  ASSERT_EQ(captions(), std::vector<std::string>{"Duplicate Key Error"});
  EXPECT_EQ(answers.asked[0].text,
            "Adding this record creates a duplicate entry for the key: DOM:name");
  EXPECT_EQ(count(FileId::Domains), 1);

  // A change onto another's name is refused and leaves the record as it was.
  ASSERT_EQ(addDomain("other.org"), 0);
  Access_Domains->buffer().setText("DOM:DOMAINNAME", "Example.COM");
  EXPECT_EQ(Access_Domains->update(), 5);
  Access_Domains->buffer().setText("DOM:DOMAINNAME", "other.org");
  EXPECT_EQ(Access_Domains->fetch(0), 0);

  ASSERT_EQ(addDomain(""), 0);  // a blank name is not in DOM:NAME
  RecordFile& f = Access_Domains->file();
  f.setOrder(f.def().keyIndex("DOM:NAME"));
  f.seekFirst();
  std::vector<std::string> listed;
  while (Access_Domains->next() == 0)
    listed.push_back(Access_Domains->buffer().text("DOM:DOMAINNAME"));
  EXPECT_EQ(Access_Domains->errorCode(), ErrNotAvailable);
  EXPECT_EQ(listed, (std::vector<std::string>{"example.com", "other.org"}));
  EXPECT_EQ(count(FileId::Domains), 3);
}

TEST_F(Managers, PrimingNumbersInTheBufferOnly) {
  ASSERT_EQ(Relate_Domains->open(), 0);
  ASSERT_EQ(Access_Domains->primeRecord(), 0);
  EXPECT_EQ(Access_Domains->buffer().text("DOM:DOMAINNAME"), "1");
  EXPECT_EQ(count(FileId::Domains), 0);  // cancel leaves nothing behind
  Access_Domains->buffer().setText("DOM:DOMAINNAME", "typed.com");
  ASSERT_EQ(Access_Domains->insert(), 0);
  EXPECT_EQ(count(FileId::Domains), 1);  // OK leaves exactly one record

  // A record left holding the reserved value does not block later inserts.
  ASSERT_EQ(addDomain("1"), 0);
  ASSERT_EQ(addDomain("next.com"), 0);

  // Within a domain the page name is numbered after that domain's pages.
  ASSERT_EQ(Relate_WebPages->open(), 0);
  for (auto [dom, page] : {std::pair{"a.com", "1"}, {"a.com", "7"}, {"b.com", "9"}}) {
    Access_WebPages->buffer().clear();
    Access_WebPages->buffer().setText("WEB:DOMAINNAME", dom);
    Access_WebPages->buffer().setText("WEB:PAGENAME", page);
    ASSERT_EQ(Access_WebPages->insert(), 0);
  }
  struct {
    const char* domain;
    const char* number;
  } cases[] = {{"A.COM", "8"}, {"b.com", "10"}, {"c.com", "1"}};
  for (auto& c : cases) {
    Access_WebPages->buffer().clear();
    Access_WebPages->buffer().setText("WEB:DOMAINNAME", c.domain);
    ASSERT_EQ(Access_WebPages->primeRecord(true), 0);
    EXPECT_EQ(Access_WebPages->buffer().text("WEB:PAGENAME"), c.number) << c.domain;
    EXPECT_EQ(Access_WebPages->buffer().text("WEB:DOMAINNAME"), c.domain);
  }
  // dnotes gets today's date.
  ASSERT_EQ(Access_dnotes->open(), 0);
  Access_dnotes->primeRecord();
  EXPECT_EQ(Access_dnotes->buffer().date("DNO:DATE"), dayNumber(2024, 5, 17));
}

TEST_F(Managers, AutoNumberRetriesThreeTimesThenAsks) {
  ASSERT_EQ(Relate_Hosts->open(), 0);
  auto otherWindowAdds = [](const char* name) {
    ThreadScope other(newThreadNumber());
    ASSERT_EQ(Access_Hosts->open(), 0);
    Access_Hosts->buffer().clear();
    Access_Hosts->buffer().setText("HOS:HOSTNAME", name);
    ASSERT_EQ(Access_Hosts->insert(), 0);
    Access_Hosts->close();
  };
  // The number is taken meanwhile: numbered again without a word.
  Access_Hosts->primeRecord();
  EXPECT_EQ(Access_Hosts->buffer().text("HOS:HOSTNAME"), "1");
  otherWindowAdds("1");
  ASSERT_EQ(Access_Hosts->insert(), 0);
  EXPECT_EQ(Access_Hosts->buffer().text("HOS:HOSTNAME"), "2");
  EXPECT_TRUE(answers.asked.empty());

  // Numbering cannot get past a taken value: asked after every third try.
  otherWindowAdds("zeta hosting");  // last in key order, reads as 0, so "1" again
  Access_Hosts->primeRecord();
  EXPECT_EQ(Access_Hosts->buffer().text("HOS:HOSTNAME"), "1");
  answers.replies = {BtnYes, BtnNo};
  EXPECT_EQ(Access_Hosts->insert(), 4);
  EXPECT_EQ(captions(), (std::vector<std::string>{"Auto Increment Error", "Auto Increment Error"}));
  EXPECT_EQ(count(FileId::Hosts), 3);
}

TEST_F(Managers, CascadeDeletesTwoLevelsChangeLeavesChildren) {
  ASSERT_EQ(Relate_Domains->open(), 0);
  for (FileId id : {FileId::WebPages, FileId::WPMeta, FileId::WPLinks, FileId::WPForm,
                    FileId::WPIMG, FileId::WPScripts})
    ASSERT_EQ(relate(id).open(), 0);
  addSite("keep.com", 2, 2);
  addSite("gone.com", 3, 2);
  EXPECT_EQ(count(FileId::WebPages), 5);
  EXPECT_EQ(count(FileId::WPLinks), 10);

  // Changing the name leaves the pages under the old name.
  Access_Domains->buffer().setText("DOM:DOMAINNAME", "keep.com");
  ASSERT_EQ(Access_Domains->fetch(0), 0);
  Access_Domains->buffer().setText("DOM:DOMAINNAME", "kept.com");
  ASSERT_EQ(Relate_Domains->update(), 0);
  Access_WebPages->buffer().setText("WEB:DOMAINNAME", "keep.com");
  Access_WebPages->buffer().setText("WEB:PAGENAME", "p0");
  EXPECT_EQ(Access_WebPages->fetch(0), 0);

  Access_Domains->buffer().setText("DOM:DOMAINNAME", "GONE.com");
  ASSERT_EQ(Access_Domains->fetch(0), 0);
  answers.replies = {BtnNo};
  EXPECT_EQ(Relate_Domains->deleteRecord(true), 4);
  EXPECT_EQ(count(FileId::Domains), 2);
  ASSERT_EQ(Relate_Domains->deleteRecord(false), 0);
  EXPECT_EQ(count(FileId::Domains), 1);
  for (FileId id :
       {FileId::WPMeta, FileId::WPLinks, FileId::WPForm, FileId::WPIMG, FileId::WPScripts})
    EXPECT_EQ(count(id), 4) << fileDef(id).label;
  EXPECT_EQ(count(FileId::WebPages), 2);
  EXPECT_EQ(captions(), std::vector<std::string>{"Confirm Delete"});

  // The deleted record is no longer current: a change or a quiet second
  // delete has nothing to act on, and no message comes.
  EXPECT_EQ(Access_Domains->file().position(), 0);
  EXPECT_EQ(Access_Domains->file().put(), ErrNotAvailable);
  EXPECT_EQ(Relate_Domains->tryDeleteRecord(), ErrNotAvailable);
  EXPECT_EQ(captions().size(), 1u);
}

TEST_F(Managers, AFileWrittenWithNarrowPathFieldsOpensAndKeepsItsRecords) {
  // The page file as written before its paths had room: 80 and 90 characters.
  FileDef narrow = fileDef(FileId::WebPages);
  int offset = 0;
  for (FieldDef& f : narrow.fields) {
    if (f.size == kPathWidth) f.size = f.label == "WEB:LOCALDEFAULTDIRECTORY" ? 90 : 80;
    f.offset = offset;
    offset += f.size;
  }
  narrow.recordSize = offset;
  ASSERT_EQ(narrow.recordSize, 874);
  const std::string path80 = "http://www.example.com/" + std::string(57, 'p');
  {
    RecordFile f(narrow);
    ASSERT_EQ(f.open(OpenMode::ReadWriteDenyNone, true, 1), 0);
    f.buffer().setText("WEB:PAGEPATH", path80);
    f.buffer().setText("WEB:HTMLPAGETITLE", "Old");
    f.buffer().setInteger("WEB:FILESIZE", 1234);
    ASSERT_EQ(f.add(), 0);
    f.close();
  }
  ASSERT_EQ(Access_WebPages->open(), 0);
  RecordFile& f = Access_WebPages->file();
  const int byPath = f.def().keyIndex("WEB:PATH");
  f.buffer().setText("WEB:PAGEPATH", path80);
  ASSERT_EQ(f.fetch(byPath), 0);
  EXPECT_EQ(f.buffer().text("WEB:HTMLPAGETITLE"), "Old");
  EXPECT_EQ(f.buffer().integer("WEB:FILESIZE"), 1234);
  // The same file now keeps a whole long path, found again by it.
  const std::string longer = path80 + std::string(300, 'q');
  f.buffer().setText("WEB:PAGEPATH", longer);
  ASSERT_EQ(f.put(), 0);
  f.buffer().clear();
  f.buffer().setText("WEB:PAGEPATH", longer);
  ASSERT_EQ(f.fetch(byPath), 0);
  EXPECT_EQ(f.buffer().text("WEB:PAGEPATH"), longer);
  EXPECT_EQ(f.buffer().text("WEB:HTMLPAGETITLE"), "Old");
  EXPECT_EQ(f.count(), 1);
}

TEST_F(Managers, EachThreadHasItsOwnBufferAndOpenState) {
  ASSERT_EQ(Access_Registrars->open(), 0);
  Access_Registrars->buffer().setText("REG:COMPANYNAME", "mine");
  int t = newThreadNumber();
  {
    ThreadScope scope(t);
    EXPECT_FALSE(Access_Registrars->isOpen());
    EXPECT_EQ(Access_Registrars->buffer().text("REG:COMPANYNAME"), "");
    ASSERT_EQ(Access_Registrars->open(), 0);
    ASSERT_EQ(Access_Registrars->open(), 0);  // nested opens are counted
    Access_Registrars->close();
    EXPECT_TRUE(Access_Registrars->isOpen());
  }
  endThread(t);
  {
    ThreadScope scope(t);
    EXPECT_FALSE(Access_Registrars->isOpen());
  }
  EXPECT_EQ(Access_Registrars->buffer().text("REG:COMPANYNAME"), "mine");
}

TEST_F(Managers, LineFilesTakeTheirNamesAtEachOpen) {
  std::ofstream("a.htm", std::ios::binary) << "<p>\r\n</p>\n";
  gHtml = "a.htm";
  ASSERT_EQ(Access_DOS->open(), 0);
  ASSERT_EQ(Access_DOS->next(), 0);
  EXPECT_EQ(Access_DOS->buffer().text("DOS:LINE"), "<p>\r");
  ASSERT_EQ(Access_DOS->next(), 0);
  EXPECT_EQ(Access_DOS->next(), 5);  // end of file, no message
  Access_DOS->close();
  gHtml = "b.htm";
  EXPECT_NE(Access_DOS->open(), 0);
  EXPECT_EQ(captions(), std::vector<std::string>{"File Access Error"});
  gHtml = "page.htm";
}

// ---- batch writers ------------------------------------------------------------------

namespace {

// A page and one link of it, written through the thread's own files.
int writePage(const std::string& path) {
  RecordFile& web = Access_WebPages->file();
  web.buffer().clear();
  web.buffer().setText("WEB:DOMAINNAME", "a.com");
  web.buffer().setText("WEB:PAGEPATH", path);
  if (int rc = web.add()) return rc;
  RecordFile& link = Access_WPLinks->file();
  link.buffer().clear();
  link.buffer().setText("WPL:WEBPAGEPATHNAME", path);
  return link.add();
}

}  // namespace

TEST_F(Managers, BatchPartThatFailsTakesBackOnlyItself) {
  ASSERT_EQ(Access_WebPages->open(), 0);
  ASSERT_EQ(Access_WPLinks->open(), 0);
  {
    BatchWriter w({FileId::WebPages, FileId::WPLinks});
    for (int p = 0; p < 3; ++p) {
      ASSERT_EQ(w.beginPart(), 0);
      ASSERT_EQ(writePage("http://a.com/p" + std::to_string(p)), 0);
      EXPECT_EQ(w.endPart(p != 1), 0);
    }
    EXPECT_EQ(w.uncommittedParts(), 2);
    EXPECT_EQ(w.commit(), 0);
    EXPECT_EQ(w.storedParts(), 2);
    EXPECT_EQ(w.failedParts(), 1);
  }
  RecordFile& web = Access_WebPages->file();
  std::vector<std::string> paths;
  for (web.seekFirst(); web.next() == 0;) paths.push_back(web.buffer().text("WEB:PAGEPATH"));
  EXPECT_EQ(paths, (std::vector<std::string>{"http://a.com/p0", "http://a.com/p2"}));
  EXPECT_EQ(count(FileId::WPLinks), 2);
}

// Unless a second goes by first, a batch commits as its 1,000th part ends.
TEST_F(Managers, BatchCommitsAtItsThousandthPart) {
  ASSERT_EQ(Access_WebPages->open(), 0);
  ASSERT_EQ(Access_WPLinks->open(), 0);
  BatchWriter w({FileId::WebPages, FileId::WPLinks});
  const auto started = std::chrono::steady_clock::now();
  std::vector<int> pending;
  for (int p = 0; p < 1001; ++p) {
    ASSERT_EQ(w.beginPart(), 0);
    ASSERT_EQ(writePage("http://a.com/p" + std::to_string(p)), 0);
    ASSERT_EQ(w.endPart(true), 0);
    pending.push_back(w.uncommittedParts());
  }
  if (std::chrono::steady_clock::now() - started >= std::chrono::seconds(1))
    GTEST_SKIP() << "too slow here to tell a commit by count from one by time";
  EXPECT_EQ(pending[998], 999);
  EXPECT_EQ(pending[999], 0);
  EXPECT_EQ(pending[1000], 1);
  RecordFile other(fileDef(FileId::WebPages));  // sees what is committed
  ASSERT_EQ(other.open(OpenMode::ReadWriteDenyNone, false, 0), 0);
  EXPECT_EQ(other.count(), 1000);
  EXPECT_EQ(w.commit(), 0);
}

TEST_F(Managers, BatchThatCannotBeginWritesNothingOutsideIt) {
  ASSERT_EQ(Access_WebPages->open(), 0);
  ASSERT_EQ(Access_WPLinks->open(), 0);
  BatchWriter::setBeginWaitForTests(0);
  BatchWriter w({FileId::WebPages, FileId::WPLinks});
  {
    // Another writer holds the file as the part begins, and lets go.
    RecordFile holder(fileDef(FileId::WebPages));
    ASSERT_EQ(holder.open(OpenMode::ReadWriteDenyNone, false, 0), 0);
    ASSERT_EQ(holder.beginBatch(), 0);
    const int rc = w.beginPart();
    EXPECT_EQ(rc, ErrLocked);
    EXPECT_NE(w.errorDetail().find(diskFileName(fileDef(FileId::WebPages))), std::string::npos)
        << w.errorDetail();
    ASSERT_EQ(holder.commitBatch(), 0);
    // A caller that writes the part anyway is refused, in every file.
    EXPECT_EQ(writePage("http://a.com/lost"), rc);
    EXPECT_EQ(Access_WPLinks->file().add(), rc);
    EXPECT_EQ(w.endPart(false), 0);
  }
  BatchWriter::setBeginWaitForTests(-1);
  EXPECT_EQ(count(FileId::WebPages), 0);
  EXPECT_EQ(count(FileId::WPLinks), 0);
  ASSERT_EQ(w.beginPart(), 0);
  EXPECT_EQ(writePage("http://a.com/kept"), 0);
  EXPECT_EQ(w.endPart(true), 0);
  EXPECT_EQ(w.commit(), 0);
  EXPECT_EQ(count(FileId::WebPages), 1);
  EXPECT_EQ(w.storedParts(), 1);
  EXPECT_EQ(w.failedParts(), 1);
}

// A plain SQLite client (a user's script) saves with a busy timeout of
// 3 s while a batch runs for 5 s: it gets in between two commits.
TEST_F(Managers, APlainClientThatDoesNotAnnounceItselfSavesDuringABatch) {
  ASSERT_EQ(Access_WebPages->open(), 0);
  ASSERT_EQ(Access_WPLinks->open(), 0);
  const std::string path = Access_WPLinks->file().path();
  // As a run alone writes, and as a run's window does: commits coming often
  // (dense pages fill the memory bound), each followed by letting the files
  // go while the window takes its events, then beginning again.
  for (const bool letGoAfterCommits : {false, true}) {
    SCOPED_TRACE(letGoAfterCommits ? "files let go after each commit" : "one batch after another");
    if (letGoAfterCommits) BatchWriter::setCommitEvery(1000000, 300);
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t child = fork();
    if (child == 0) {
      char c;
      sqlite3* db = nullptr;
      if (read(go[0], &c, 1) != 1 || sqlite3_open(path.c_str(), &db) != SQLITE_OK) _exit(2);
      sqlite3_busy_timeout(db, 3000);
      const int rc = sqlite3_exec(
          db, "INSERT INTO \"WPLinks\" (\"WEBPAGEPATHNAME\") VALUES ('http://b.com/ü')", nullptr,
          nullptr, nullptr);
      _exit(rc == SQLITE_OK ? 0 : 1);
    }
    ASSERT_GT(child, 0);
    {
      BatchWriter w({FileId::WebPages, FileId::WPLinks});
      ASSERT_EQ(w.beginPart(), 0);
      ASSERT_EQ(write(go[1], "g", 1), 1);
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      for (int page = 0; std::chrono::steady_clock::now() < until; ++page) {
        ASSERT_EQ(writePage("http://a.com/" + std::to_string(letGoAfterCommits) + "/" +
                            std::to_string(page)),
                  0);
        ASSERT_EQ(w.endPart(true), 0);
        if (letGoAfterCommits && w.uncommittedParts() == 0) {
          ASSERT_EQ(w.pause(), 0);  // as the window's hold() does
        }
        ASSERT_EQ(w.beginPart(), 0);
      }
      EXPECT_EQ(w.endPart(true), 0);
      EXPECT_EQ(w.commit(), 0);
    }
    BatchWriter::setCommitEvery(1000, 1000);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    close(go[0]);
    close(go[1]);
  }
}

TEST_F(Managers, BatchCommitsOnceItsChangedPagesTakeMuchMemory) {
  // Neither count nor time is due; parts of wide records (scripts and
  // forms of 40 full lines) commit once the changed pages of the two files
  // pass what memory allows.
  ASSERT_EQ(Access_WPScripts->open(), 0);
  ASSERT_EQ(Access_WPForm->open(), 0);
  BatchWriter::setCommitEvery(1000000, 600000);
  const std::string line(200, 'x');
  int parts = 0;
  {
    BatchWriter w({FileId::WPScripts, FileId::WPForm});
    for (; parts < 1000 && w.storedParts() == 0; ++parts) {
      ASSERT_EQ(w.beginPart(), 0);
      for (const auto& [m, prefix] : {std::pair{Access_WPScripts, "WPS:"}, {Access_WPForm, "WPF:"}})
        for (int r = 0; r < 5; ++r) {
          RecordBuffer& b = m->file().buffer();
          b.clear();
          b.setText(std::string(prefix) + "WEBPAGEPATHNAME",
                    "http://a.com/p" + std::to_string(parts));
          for (int l = 1; l <= 40; ++l)
            b.setText(std::string(prefix) + (prefix[2] == 'S' ? "SCRIPTLINE" : "FORMLINE") +
                          std::to_string(l),
                      line);
          ASSERT_EQ(m->file().add(), 0);
        }
      ASSERT_EQ(w.endPart(true), 0);
    }
    EXPECT_GT(w.storedParts(), 0);
    EXPECT_EQ(w.uncommittedParts(), 0);  // the commit came at a part's end
  }
  BatchWriter::setCommitEvery(1000, 1000);
  EXPECT_LT(parts, 1000);
  EXPECT_EQ(count(FileId::WPScripts), parts * 5);
}

TEST_F(Managers, BatchLetsAWaitingWriterInAtThePartEnd) {
  ASSERT_EQ(Access_WebPages->open(), 0);
  ASSERT_EQ(Access_WPLinks->open(), 0);
  BatchWriter::setCommitEvery(1000, 600000);
  const auto otherSave = [] {
    RecordFile other(fileDef(FileId::WPLinks));
    if (other.open(OpenMode::ReadWriteDenyNone, false, 10)) return -1;
    other.buffer().setText("WPL:WEBPAGEPATHNAME", "http://b.com/");
    return other.add();
  };
  for (const bool inProcess : {true, false}) {
    SCOPED_TRACE(inProcess ? "another thread" : "another program");
    // The other program starts before the batch holds anything: a child
    // must not inherit the engine's lock state.
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    pid_t child = inProcess ? -1 : fork();
    if (child == 0) {
      char c;
      _exit(read(go[0], &c, 1) == 1 && otherSave() == 0 ? 0 : 1);
    }
    ASSERT_NE(child, 0);
    BatchWriter w({FileId::WebPages, FileId::WPLinks});
    ASSERT_EQ(w.beginPart(), 0);
    ASSERT_EQ(writePage("http://a.com/" + std::to_string(inProcess)), 0);
    std::future<int> thread;
    if (inProcess) thread = std::async(std::launch::async, otherSave);
    ASSERT_EQ(write(go[1], "g", 1), 1);
    for (int i = 0; i < 500 && !w.othersWaiting(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(w.othersWaiting());
    // The waiter is let in now, not when the batch is due (ten minutes).
    EXPECT_EQ(w.endPart(true), 0);
    EXPECT_EQ(w.uncommittedParts(), 0);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    int saved = -1;
    if (inProcess) {
      if (thread.wait_until(until) == std::future_status::ready) saved = thread.get();
    } else {
      int status = 0;
      pid_t done = 0;
      while ((done = waitpid(child, &status, WNOHANG)) == 0 &&
             std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (done == child && WIFEXITED(status)) saved = WEXITSTATUS(status);
    }
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(w.commit(), 0);
    if (child > 0 && saved != 0) waitpid(child, nullptr, 0);
    close(go[0]);
    close(go[1]);
  }
  BatchWriter::setCommitEvery(1000, 1000);
  EXPECT_EQ(count(FileId::WebPages), 2);
  EXPECT_EQ(count(FileId::WPLinks), 4);
}
