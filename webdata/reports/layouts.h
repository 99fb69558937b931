#pragma once
// The page-data reports' layouts, built from tables of captions, fields,
// pictures and positions. Field values read the record the report's source
// has loaded.
#include <functional>
#include <string>
#include <vector>

#include "appkit/reportbands.h"
#include "runtime/report/layout.h"
#include "runtime/store/store.h"

namespace qm::webreports {

// One column of a one-line listing; check columns show a box ticked for "Y".
struct ColumnSpec {
  const char* heading;
  const char* field;
  const char* picture;  // nullptr: a check box without text
  int width;
};

// Every image band: the image's fields, a rule and its picture, read from
// the file pictureFile names when the band prints.
ReportLayout imageLayout(const FileDef& file, RecordAccess record,
                         std::function<std::string()> pictureFile, bool checkCaption);
// A table with a column a field, one line per record.
ReportLayout columnListing(const std::string& title, const FileDef& file,
                           const std::vector<ColumnSpec>& columns, RecordAccess record);
// "Report the WebPages File": a block per page.
ReportLayout webPageListing(const FileDef& file, RecordAccess record);
// "Web Pages Report": a block per page with its links and notes.
ReportLayout webPageReport(const FileDef& file, RecordAccess record);

// A report of forty captured lines per record under a header naming the page.
struct LinesSpec {
  const char* title;
  const char* pathField;
  const char* domainField;
  const char* pageField;
  const char* linePrefix;  // "WPS:SCRIPTLINE": lines 1 to 40
  const char* caption;     // over the lines; nullptr for none
  int valueX;              // header values
  int firstLineY, lineStep, lineWidth;
};
ReportLayout linesReport(const LinesSpec& spec, const FileDef& file, RecordAccess record);

}  // namespace qm::webreports
