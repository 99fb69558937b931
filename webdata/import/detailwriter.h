#pragma once
// The five detail files of a web page (images, links, meta tags, scripts,
// forms): clearing a page's old records and writing those a scan found.
// Both programs read pages this way; whatever is program-wide comes in as
// arguments.
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "dictionary/dictionary.h"
#include "webdata/scan/scan.h"

namespace qm {

constexpr int kInsertError = 4;   // "Record Insert Error"
constexpr int kUpdateError = 25;  // "Record was not updated"
constexpr int kDeleteError = 11;  // "Record was not deleted"

// What every detail record repeats of its page.
struct PageFacts {
  std::string pagePath, domain, pageName, useNow, localPath, localDir;
};

// The facts as the WebPages record web holds them.
PageFacts pageFactsOf(const RecordBuffer& web);

// Reports the first failure of one file through the error reporter; later
// ones of the same file add nothing the user needs to see again. Given a
// sink, the message's text goes there (when it is still empty) instead: a
// batch run names one failure for the whole run.
class FailureReport {
 public:
  FailureReport(std::string file, int messageId, std::string* sink = nullptr)
      : file_(std::move(file)), id_(messageId), sink_(sink) {}
  // True when rc is a success.
  bool check(int rc, const std::string& errorText);
  // The same, with f's failure in plain words: the code's text and what
  // the store said of it (the file's path first).
  bool check(int rc, const RecordFile& f);
  bool failed() const { return reported_; }

 private:
  std::string file_;
  int id_;
  std::string* sink_;
  bool reported_ = false;
};

// Gets the number of records just gone through, for a running count.
using ProgressStep = std::function<void(long)>;

// Deletes the detail records whose page path is exactly pagePath (trailing
// blanks ignored), file by file: links, scripts, forms, images, meta tags.
// A file not open on the thread is opened. A failed delete is reported
// through the error reporter. A failure stops that file: false is returned,
// and with failure given the first message goes there instead of a box.
bool clearPageDetails(const std::string& pagePath, const ProgressStep& step,
                      std::string* failure = nullptr);

// Makes each detail file's records of the page those the scan found, each
// file's in one commit: records that already say so are left as they are,
// the others rewritten, added or deleted (see RecordFile::replaceExact).
// newPage: the page record was just added; its old records, if any, are
// deleted and the new ones added, each file then positioned at its last.
// step gets the number of old records gone through. A failure is reported
// (once per file), or with failure given the first message goes there;
// false when any failed, and the files after it are left alone.
bool writePageDetails(const ScannedPage& found, const PageFacts& page,
                      const ProgressStep& step = {}, std::string* failure = nullptr,
                      bool newPage = false);

}  // namespace qm
