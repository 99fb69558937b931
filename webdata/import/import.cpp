#include "webdata/import/import.h"

#include <sys/stat.h>

#include <ctime>
#include <string>

#include "dictionary/batchrun.h"
#include "dictionary/dictionary.h"
#include "runtime/config/errors.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/values/fsutil.h"
#include "runtime/values/picture.h"
#include "runtime/values/text.h"
#include "webdata/import/detailwriter.h"
#include "webdata/scan/scan.h"

namespace qm {
namespace {

constexpr const char* kCaption = "Parse HTML File";
constexpr int kCreateError = 10;  // "Error: (%ErrorText) creating %File."
constexpr const char* kQuestion =
    "Depending upon the size of the file,|this process can take up to several minutes.||Continue "
    "process?";
constexpr const char* kClearing =
    "Clearing old HTML data before reading in new data. Please be patient.";
constexpr const char* kNotFound = "File not found";
const std::string kDone = "HTML file read done.";

const FileId kOpenOrder[] = {FileId::WPIMG, FileId::WPLinks, FileId::WPMeta, FileId::WPForm,
                             FileId::WPScripts};

// The page's content marks, in the order of the scan's marks.
const char* const kMarkFields[] = {"WEB:DATA1", "WEB:DATA2", "WEB:DATA3", "WEB:DATA4", "WEB:DATA5"};

// The running count the form's progress bar shows.
class Progress {
 public:
  explicit Progress(FixedText<20>& shown) : shown_(shown) {}
  void set(long n) {
    n_ = n;
    shown_ = std::to_string(n_);
  }
  void advance(long by = 1) { set(n_ + by); }

 private:
  FixedText<20>& shown_;
  long n_ = 0;
};

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

void ParseHtmlFile(const WebContext& ctx) {
  FixedText<kPathWidth>& HtmlFileName = *ctx.htmlFileName;
  FixedText<20>& ProgressCount = *ctx.progress;
  ProcedureScope scope("ParseHtmlFile");
  for (const FileId id : kOpenOrder) {
    bool creating = false;
    if (access(id).tryOpen(&creating) == 0) continue;
    if (!creating) {
      access(id).open();  // the managers report it
      continue;
    }
    // A detail file that cannot be made (a full disk) fails this import
    // only: the form keeps what was typed.
    message(errors().text(kCreateError,
                          {.file = access(id).name(), .errorText = access(id).errorText()}),
            kCaption, MsgIcon::Stop);
    return;
  }
  Progress progress(ProgressCount);
  progress.set(1);
  progress.advance();

  if (message(kQuestion, kCaption, MsgIcon::Exclamation, BtnYes | BtnNo, BtnYes) != BtnYes) return;

  RecordBuffer& web = access(FileId::WebPages).buffer();
  const PageFacts page = pageFactsOf(web);  // the run's own copy: the buffer is rewritten below
  const RecordBuffer before = web;          // what the form keeps when the page cannot be stored
  for (const char* mark : kMarkFields) web.setText(mark, "");

  // The old details and the new ones in one commit: a page is never left half-read.
  BatchRun batch({std::begin(kOpenOrder), std::end(kOpenOrder)}, kCaption, "stored", false);
  const bool begun = batch.begin();
  std::string failure;
  *ctx.status = kClearing;
  if (begun)
    clearPageDetails(
        page.pagePath, [&progress](long n) { progress.advance(n); }, &failure);
  progress.advance();
  *ctx.status = "";

  HtmlFileName = page.localPath;
  const std::string path = diskPath(page.localPath);
  const bool exists = !page.localPath.empty() && fileExists(path);
  if (!exists && begun) batch.hold();  // nothing waits on the user with the files held
  if (!exists) message(kNotFound, HtmlFileName.str(), MsgIcon::None, BtnOk, BtnOk);
  // Shown as the work file's name; the lines themselves stay in memory, so
  // nothing is written to the data directory.
  *ctx.workFileName = std::to_string(clockTime()) + ".txt";

  if (exists && begun && failure.empty()) {
    std::string error;
    const ScannedPage found = scanPageFile(path, &error);
    if (!error.empty() && (!batch.hold() || stopBox(error, kCaption))) {
      ProgressCount = "";
      HtmlFileName = "";
      return;
    }
    progress.advance(found.progressSteps);
    writePageDetails(found, page, {}, &failure);
    if (found.hasTitle) web.setText("WEB:HTMLPAGETITLE", found.title);
    if (found.scannedLines > 0) setFileFacts(web, path);
    for (std::size_t i = 0; i < found.marks.size(); ++i)
      if (found.marks[i]) web.setText(kMarkFields[i], "Y");
  }

  if (begun) batch.end(failure.empty(), failure);
  batch.finish();
  // A page taken back keeps what it had: the form saves nothing it did not store.
  if (!begun || batch.failed()) web = before;
  ProgressCount = "";
  HtmlFileName = "";
  // The five files stay open on the thread for the form. The store keeps
  // their keys current as records are added, so there is nothing to rebuild.
  message(kDone + batch.tallyLine(), kCaption, MsgIcon::None, BtnOk, BtnOk);
}

}  // namespace qm
