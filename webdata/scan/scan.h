#pragma once
// The page scanner: turns the lines of one HTML file into its detail records
// (images, links, meta tags, scripts, forms) and the page fields they set.
// It looks for fixed markers line by line; it does not parse HTML. Plain C++,
// no window, no store and no program globals, so both programs share it.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// Width of one record of a line file, in characters; longer lines give
// several records.
inline constexpr std::size_t kLineRecordWidth = 255;
// A script or form block keeps at most this many lines.
inline constexpr std::size_t kBlockSlots = 40;

// Every value below is what its record field receives, cut to its width in
// characters, trailing blanks removed (the store does not keep them). Pages
// are decoded to UTF-8 (decodePage) before any of it is found.
struct ScanImage {
  std::string src;     // as cut, 200 at most; may keep a carriage return
  std::string height;  // 20 at most, blank when the line has no height
  std::string width;   // 20 at most, blank when the line has no width
  long line = 0;       // the line counter (first line of the file is 2)
};

struct ScanLink {
  std::string link;  // 200 at most
  long line = 0;
};

struct ScanMeta {
  std::string name;     // 20 at most
  std::string content;  // 128 at most; blank when none was found before the end
};

struct ScanScript {
  std::vector<std::string> lines;  // 1..40 lines, each trimmed, 200 at most
};

struct ScanForm {
  long line = 0;                   // line counter of the opening line
  std::vector<std::string> lines;  // 1..40 lines, each trimmed, 200 at most
};

// The page's five content marks, in field order (DATA1..DATA5).
enum ScanMark : std::size_t {
  kMarkLinks = 0,
  kMarkImages = 1,
  kMarkMetas = 2,
  kMarkScripts = 3,
  kMarkForms = 4,
};

struct ScanResult {
  bool hasTitle = false;  // a title line was seen; the last one wins
  std::string title;      // 80 at most
  std::vector<ScanImage> images;
  std::vector<ScanLink> links;
  std::vector<ScanMeta> metas;
  std::vector<ScanScript> scripts;
  std::vector<ScanForm> forms;
  std::array<bool, 5> marks{};  // true: the mark becomes "Y"
  long scannedLines = 0;        // lines that went through the per-line steps; the
                                // page's file facts are set only when above 0
  long progressSteps = 0;       // advances of the progress count made by the scan
};

// The same findings as views, so a scan copies nothing per value. The views
// point into the bytes the page owns (scanPageFile) or into the caller's
// bytes (scanPageBytes); moving the page keeps them valid.
struct PageImage {
  std::string_view src, height, width;
  long line = 0;
};

struct PageLink {
  std::string_view link;
  long line = 0;
};

struct PageMeta {
  std::string_view name, content;
};

// A script or form block: its lines are blockLines[first, first + count).
struct PageBlock {
  long line = 0;  // forms only: line counter of the opening line
  std::size_t first = 0;
  std::size_t count = 0;
};

struct ScannedPage {
  bool hasTitle = false;
  std::string_view title;
  std::vector<PageImage> images;
  std::vector<PageLink> links;
  std::vector<PageMeta> metas;
  std::vector<PageBlock> scripts;
  std::vector<PageBlock> forms;
  std::vector<std::string_view> blockLines;
  std::array<bool, 5> marks{};
  long scannedLines = 0;
  long progressSteps = 0;
  std::unique_ptr<char[]> bytes;  // the file's bytes, when the page owns them

  std::span<const std::string_view> lines(const PageBlock& b) const {
    return {blockLines.data() + b.first, b.count};
  }
};

// Scans bytes the caller keeps alive as long as the result.
ScannedPage scanPageBytes(std::string_view bytes);

// Reads the file (read only, in one piece) and scans it; the result owns the
// bytes. On a read failure, or when path names no regular file, the result is
// empty and *error (when given) holds the reason; otherwise *error is cleared.
ScannedPage scanPageFile(const std::string& path, std::string* error);

// The findings as owned strings.
ScanResult toResult(const ScannedPage& page);

// Splits the bytes of a line file the way its records are read: a line feed
// ends a record (a carriage return before it stays), a line longer than 255
// characters gives several records of 255, and a last line without a line
// feed is a record too.
std::vector<std::string> splitLineRecords(std::string_view bytes);

// Scans records as read from the work copy (each cut to 255 characters).
ScanResult scanLines(const std::vector<std::string>& records);

// Scans the bytes of an HTML file, records split as splitLineRecords does.
ScanResult scanBytes(std::string_view bytes);

// Reads the file (read only) and scans it. On a read failure the result is
// empty and *error (when given) holds the reason; otherwise *error is cleared.
ScanResult scanFile(const std::string& path, std::string* error);

// The local path of an image: the directory and the source less one leading
// "/" or "\", joined by the host's separator (joinPath), cut to kPathWidth.
std::string scanImagePath(std::string_view localDirectory, std::string_view src);

// A line number for a 2-byte field: fraction dropped, held within the field's
// range instead of wrapping.
std::int16_t clampLine(double line);

}  // namespace qm
