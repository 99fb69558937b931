#include "webdata/import/import.h"

#include <sys/stat.h>

#include <ctime>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"
#include "webdata/scan/scan.h"

namespace qm {
namespace {

constexpr const char* kCaption = "Parse HTML File";
constexpr const char* kQuestion =
    "Depending upon the size of the file,|this process can take up to several minutes.||Continue process?";
constexpr const char* kClearing = "Clearing old HTML data before reading in new data. Please be patient.";
constexpr const char* kNotFound = "File not found";
constexpr const char* kDone = "HTML file read done.";

constexpr int kInsertError = 4;   // "Record Insert Error"
constexpr int kDeleteError = 11;  // "Record was not deleted"

// What every detail file repeats of its page, and its key on the page path.
struct DetailFile {
  FileId id;
  const char* key;
  const char* path;
  const char* domain;
  const char* page;
};

// In the order the old records are cleared.
const DetailFile kDetails[] = {
    {FileId::WPLinks, "WPL:PATHNAME", "WPL:WEBPAGEPATHNAME", "WPL:DOMAINNAME", "WPL:PAGENAME"},
    {FileId::WPScripts, "WPS:PAGENAM", "WPS:WEBPAGEPATHNAME", "WPS:DOMAINNAME", "WPS:PAGENAME"},
    {FileId::WPForm, "WPF:PAGENAME", "WPF:WEBPAGEPATHNAME", "WPF:DOMAINNAME", "WPF:PAGE"},
    {FileId::WPIMG, "WPI:PAGENAME", "WPI:WEBPAGEPATHNAME", "WPI:DOMAINNAME", "WPI:PAGE"},
    {FileId::WPMeta, "WPM:PAGEPATH", "WPM:WEBPAGEPATH", "WPM:DOMAINNAME", "WPM:PAGENAME"},
};

const FileId kOpenOrder[] = {FileId::WPIMG, FileId::WPLinks, FileId::WPMeta, FileId::WPForm, FileId::WPScripts};

// The page's content marks, in the order of the scan's marks.
const char* const kMarkFields[] = {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4", "WEB:DATA5"};

const DetailFile& detailOf(FileId id) {
  for (const DetailFile& d : kDetails)
    if (d.id == id) return d;
  return kDetails[0];  // not reached: every detail file is in the table
}

// What the run takes from the page record when it starts.
struct Page {
  std::string pagePath, domain, pageName, useNow, localPath, localDir;
};

Page pageOf(const RecordBuffer& web) {
  return {web.text("WEB:PAGEPATH"),  web.text("WEB:DOMAINNAME"), web.text("WEB:PAGENAME"),
          web.text("WEB:USENOW"),    web.text("WEB:LOCALPATH"),  web.text("WEB:LOCALDEFAULTDIRECTORY")};
}

// The running count the form's progress bar shows.
class Progress {
 public:
  void set(long n) {
    n_ = n;
    ProgressCount = std::to_string(n_);
  }
  void advance(long by = 1) { set(n_ + by); }

 private:
  long n_ = 0;
};

// Reports the first failure of one file's run through the error reporter;
// later ones of the same file add nothing the user needs to see again.
class FailureReport {
 public:
  FailureReport(FileManager& fm, int messageId) : fm_(fm), id_(messageId) {}
  void check(int rc) {
    if (rc == 0 || reported_) return;
    reported_ = true;
    errors().raise(id_, {.file = fm_.name(), .errorText = fm_.file().errorText()});
  }

 private:
  FileManager& fm_;
  int id_;
  bool reported_ = false;
};

// Many changes of one file in one commit; without a batch each change
// commits on its own.
class Batch {
 public:
  explicit Batch(RecordFile& f) : f_(f), on_(f.beginBatch() == 0) {}
  int commit() {
    if (!on_) return 0;
    on_ = false;
    return f_.commitBatch();
  }
  ~Batch() {
    if (on_) f_.rollbackBatch();
  }
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;

 private:
  RecordFile& f_;
  bool on_;
};

// Deletes the records whose page path is exactly the page's (trailing blanks
// ignored), found through the file's page-path key.
void clearOld(const DetailFile& d, const std::string& pagePath, Progress& progress) {
  FileManager& fm = access(d.id);
  RecordFile& f = fm.file();
  const FileDef& def = f.def();
  const int pathField = def.fieldIndex(d.path);
  RecordBuffer probe(def);
  probe.setText(pathField, pagePath);
  // The key ignores letter case; the page path must match exactly.
  const auto exact = [&](const RecordBuffer& r) { return r.text(pathField) == pagePath; };
  // A blank path is in no key: only then is the whole file read.
  const bool blankPath = pagePath.empty();
  const int order = blankPath ? -1 : def.keyIndex(d.key);
  const KeyRange range{blankPath ? 0 : 1};

  FailureReport report(fm, kDeleteError);
  std::vector<int64_t> doomed;
  std::vector<std::pair<int64_t, RecordBuffer>> page;
  RecordBuffer last(def);
  const RecordBuffer* from = nullptr;
  int64_t fromPos = 0;
  constexpr int kPage = 1000;
  for (;;) {
    const int rc = f.readPage(order, from, fromPos, true, kPage, page, range, &probe, exact);
    report.check(rc);
    if (rc) break;
    for (const auto& row : page) doomed.push_back(row.first);
    progress.advance(static_cast<long>(page.size()));
    if (page.size() < static_cast<std::size_t>(kPage)) break;
    last = page.back().second;
    fromPos = page.back().first;
    from = &last;
  }
  if (doomed.empty()) return;
  Batch batch(f);
  for (const int64_t pos : doomed) {
    int rc = f.fetchPosition(pos);
    if (rc == 0) rc = f.erase();
    report.check(rc);
  }
  report.check(batch.commit());
}

// Fills and adds the detail records of one file.
class Writer {
 public:
  Writer(FileId id, const Page& page)
      : d_(detailOf(id)), fm_(access(id)), f_(fm_.file()), b_(f_.buffer()), page_(page), report_(fm_, kInsertError) {}

  RecordBuffer& start() {
    b_.clear();
    b_.setText(d_.path, page_.pagePath);
    b_.setText(d_.domain, page_.domain);
    b_.setText(d_.page, page_.pageName);
    return b_;
  }
  void add() { report_.check(f_.add()); }
  RecordFile& file() { return f_; }
  void finish(Batch& batch) { report_.check(batch.commit()); }

  // Field indexes of "<prefix>1" to "<prefix>40".
  std::vector<int> lineFields(const std::string& prefix) const {
    std::vector<int> out;
    for (std::size_t i = 1; i <= kBlockSlots; ++i) out.push_back(f_.def().fieldIndex(prefix + std::to_string(i)));
    return out;
  }

 private:
  const DetailFile& d_;
  FileManager& fm_;
  RecordFile& f_;
  RecordBuffer& b_;
  const Page& page_;
  FailureReport report_;
};

void setLines(RecordBuffer& b, const std::vector<int>& fields, std::span<const std::string_view> lines) {
  for (std::size_t i = 0; i < lines.size() && i < fields.size(); ++i) b.setText(fields[i], lines[i]);
}

void writeRecords(const ScannedPage& found, const Page& page) {
  const int32_t day = today();
  {
    Writer w(FileId::WPIMG, page);
    Batch batch(w.file());
    for (const PageImage& im : found.images) {
      RecordBuffer& b = w.start();
      b.setText("WPI:WEBPAGEIMG", im.src);
      b.setText("WPI:HEIGHT", im.height);
      b.setText("WPI:WIDTH", im.width);
      b.setText("WPI:CURRENTLYUSE", page.useNow);
      b.setText("WPI:IMAGEPATH", scanImagePath(page.localDir, im.src));
      b.setInteger("WPI:LINENUMBER", clampLine(static_cast<double>(im.line)));
      b.setDate("WPI:DATEENTERED", day);
      w.add();
    }
    w.finish(batch);
  }
  {
    Writer w(FileId::WPLinks, page);
    Batch batch(w.file());
    for (const PageLink& l : found.links) {
      RecordBuffer& b = w.start();
      b.setText("WPL:WEBPAGELINK", l.link);
      b.setReal("WPL:LINENUMBER", static_cast<double>(l.line));
      b.setDate("WPL:RECORDDATE", day);
      w.add();
    }
    w.finish(batch);
  }
  {
    Writer w(FileId::WPMeta, page);
    Batch batch(w.file());
    for (const PageMeta& m : found.metas) {
      RecordBuffer& b = w.start();
      b.setText("WPM:LOCALPATH", page.localPath);
      b.setText("WPM:METACONTENTS", m.content);
      b.setText("WPM:METANAME", m.name);
      w.add();
    }
    w.finish(batch);
  }
  {
    Writer w(FileId::WPScripts, page);
    const std::vector<int> fields = w.lineFields("WPS:SCRIPTLINE");
    Batch batch(w.file());
    for (const PageBlock& s : found.scripts) {
      RecordBuffer& b = w.start();
      setLines(b, fields, found.lines(s));
      b.setDate("WPS:RECORDDATE", day);
      w.add();
    }
    w.finish(batch);
  }
  {
    Writer w(FileId::WPForm, page);
    const std::vector<int> fields = w.lineFields("WPF:FORMLINE");
    Batch batch(w.file());
    for (const PageBlock& s : found.forms) {
      RecordBuffer& b = w.start();
      setLines(b, fields, found.lines(s));
      b.setDate("WPF:RECORDDATE", day);
      b.setInteger("WPF:LINENUMBER", clampLine(static_cast<double>(s.line)));
      w.add();
    }
    w.finish(batch);
  }
}

std::string dateAndTime(int32_t day, int32_t time) {
  return formatDate("@d1", day) + " " + formatTime("@t3", time);
}

// The file's date, time and size, and the time of this reading.
void setFileFacts(RecordBuffer& web, const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    std::tm tm{};
    const std::time_t mtime = st.st_mtime;
    if (localtime_r(&mtime, &tm)) {
      web.setText("WEB:FILEDATETIME",
                  dateAndTime(dayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday),
                              timeOf(tm.tm_hour, tm.tm_min, tm.tm_sec)));
    }
    web.setInteger("WEB:FILESIZE", static_cast<int64_t>(st.st_size));
  }
  web.setText("WEB:PAGEREADDATE", dateAndTime(today(), clockTime()));
}

}  // namespace

void ParseHtmlFile() {
  ProcedureScope scope("ParseHtmlFile");
  for (const FileId id : kOpenOrder) access(id).open();  // failures are reported by the managers
  Progress progress;
  progress.set(1);
  progress.advance();

  if (message(kQuestion, kCaption, MsgIcon::Exclamation, BtnYes | BtnNo, BtnYes) != BtnYes) return;

  RecordBuffer& web = access(FileId::WebPages).buffer();
  const Page page = pageOf(web);  // the run's own copy: the buffer is rewritten below
  for (const char* mark : kMarkFields) web.setText(mark, "");

  StatusText = kClearing;
  for (const DetailFile& d : kDetails) clearOld(d, page.pagePath, progress);
  progress.advance();
  StatusText = "";

  HtmlFileName = page.localPath;
  const std::string path = normalizePath(page.localPath);
  const bool exists = !page.localPath.empty() && fileExists(path);
  if (!exists) message(kNotFound, HtmlFileName.str(), MsgIcon::None, BtnOk, BtnOk);
  // Shown as the work file's name; the lines themselves stay in memory, so
  // nothing is written to the data directory.
  WorkFileName = std::to_string(clockTime()) + ".txt";

  if (exists) {
    std::string error;
    const ScannedPage found = scanPageFile(path, &error);
    if (!error.empty() && stopBox(error, kCaption)) {
      ProgressCount = "";
      HtmlFileName = "";
      return;
    }
    progress.advance(found.progressSteps);
    writeRecords(found, page);
    if (found.hasTitle) web.setText("WEB:HTMLPAGETITLE", found.title);
    if (found.scannedLines > 0) setFileFacts(web, path);
    for (std::size_t i = 0; i < found.marks.size(); ++i)
      if (found.marks[i]) web.setText(kMarkFields[i], "Y");
  }

  ProgressCount = "";
  HtmlFileName = "";
  // The five files stay open on the thread for the form. The store keeps
  // their keys current as records are added, so there is nothing to rebuild.
  message(kDone, kCaption, MsgIcon::None, BtnOk, BtnOk);
}

}  // namespace qm
