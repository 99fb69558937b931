#pragma once
// The five detail files of a web page, as the reader clears and fills them.
#include <string>

#include "reader/globals.h"
#include "webdata/scan/scan.h"

namespace qm::reader {

// What every detail record repeats of its page.
struct PageFacts {
  std::string pagePath, domain, pageName, useNow, localPath, localDir;
};

// Deletes the detail records whose page path is exactly pagePath (trailing
// blanks ignored), file by file: links, scripts, forms, images, meta tags.
// A failed delete is reported through the error reporter. A failed read
// stops that file; its error text goes to *readError (the first one) and
// false is returned.
bool clearPageDetails(const std::string& pagePath, Progress& progress, std::string* readError);

// Adds the records the scan found for the page. A failed add is reported
// (once per file); false when any failed.
bool writePageDetails(const ScannedPage& found, const PageFacts& page);

// Reports the first failure of one file through the error reporter; later
// ones of the same file add nothing the user needs to see again.
class FailureReport {
 public:
  FailureReport(std::string file, int messageId) : file_(std::move(file)), id_(messageId) {}
  // True when rc is a success.
  bool check(int rc, const std::string& errorText);
  bool failed() const { return reported_; }

 private:
  std::string file_;
  int id_;
  bool reported_ = false;
};

constexpr int kInsertError = 4;   // "Record Insert Error"
constexpr int kUpdateError = 25;  // "Record was not updated"
constexpr int kDeleteError = 11;  // "Record was not deleted"

}  // namespace qm::reader
