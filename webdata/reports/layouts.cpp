#include "webdata/reports/layouts.h"

#include <stdexcept>
#include <utility>

namespace qm::webreports {

namespace {

constexpr int TextH = 167;
constexpr int LetterW = 8500;

ReportControl value(const FileDef& file, const RecordAccess& record, const char* label,
                    const char* picture, int x, int y, int w, int h = TextH,
                    Align a = Align::Left) {
  return valueAt(x, y, w, h, record, fieldOf(file, label), picture, a);
}

ReportControl check(const FileDef& file, const RecordAccess& record, const char* label, int x,
                    int y, std::string caption) {
  const int f = fieldOf(file, label);
  const int w = caption.empty() ? TextH : 1300;
  return checkBoxAt(
      x, y, w, TextH, std::move(caption), [record, f] { return record().text(f); }, "Y");
}

ReportControl title(int x, int y, const std::string& text) {
  ReportControl c = textAt(x, y, 0, 250, text);
  c.font = bandFont(12, true);
  return c;
}

// Title, "Report Date:" and the date stamp; the footer's page number.
void frame(ReportLayout& l, int left, int width, const std::string& heading, int titleY, int dateY,
           int dateX = 1000) {
  l.header.controls.push_back(title(0, titleY, heading));
  l.header.controls.push_back(textAt(0, dateY, 0, TextH, "Report Date:"));
  l.header.controls.push_back(dateStampAt(dateX, dateY, 1500, TextH));
  l.footer.x = left;
  l.footer.w = width;
  l.footer.h = 219;
  l.footer.controls.push_back(pageNumberAt(width - 1500, 30, 1500, TextH, Align::Right));
}

}  // namespace

ReportLayout imageLayout(const FileDef& file, RecordAccess record,
                         std::function<std::string()> pictureFile, bool checkCaption) {
  ReportLayout l;
  l.detailArea = {1000, 2980, 6000, 6021};
  l.header = Band{1000, 1000, 7177, 1000, {}};
  ReportControl t = title(1052, 344, "Quillmark:   Web Page Image");
  l.header.controls.push_back(t);
  l.header.controls.push_back(textAt(83, 771, 0, TextH, "Report Date:"));
  l.header.controls.push_back(dateStampAt(1083, 771, 1500, TextH));
  l.footer = Band{1000, 9000, 7177, 219, {pageNumberAt(5250, 30, 1500, TextH)}};

  struct Row {
    const char* label;
    int labelY;
    const char* field;
    const char* picture;
    int x, y, w;
  };
  static const Row rows[] = {
      {"Domain Name:", 156, "WPI:DOMAINNAME", "@s50", 1760, 156, 3625},
      {"Page Name:", 396, "WPI:PAGE", "@s20", 1760, 385, 2177},
      {"Web Page Path:", 750, "WPI:WEBPAGEPATHNAME", "@s80", 1740, 760, 4125},
      {"Image File Name:", 1479, "WPI:WEBPAGEIMG", "@s200", 1750, 1479, 3250},
      {"HTML Line Number Graphic is on:", 1896, "WPI:LINENUMBER", "@n-7", 2865, 1906, 531},
      {"Height:", 2104, "WPI:HEIGHT", "@s20", 2865, 2104, 531},
      {"Width:", 2292, "WPI:WIDTH", "@s20", 2865, 2292, 531},
  };
  Band& d = l.detail;
  d.w = 7188;
  d.h = 5729;
  for (const Row& r : rows) {
    d.controls.push_back(textAt(490, r.labelY, 0, TextH, r.label));
    d.controls.push_back(value(file, record, r.field, r.picture, r.x, r.y, r.w));
  }
  d.controls.push_back(
      check(file, record, "WPI:CURRENTLYUSE", 490, 1135, checkCaption ? "Currently Use" : ""));
  d.controls.push_back(lineAt(21, 2635, 5900, 0));
  d.controls.push_back(imageAt(510, 2688, std::move(pictureFile)));
  return l;
}

ReportLayout columnListing(const std::string& heading, const FileDef& file,
                           const std::vector<ColumnSpec>& columns, RecordAccess record) {
  int total = 0;
  for (const ColumnSpec& c : columns) total += c.width;
  const int left = (LetterW - total) / 2;
  constexpr int BoxY = 800, BoxH = 250, RowH = 229;

  ReportLayout l;
  l.header = Band{left, 500, total, BoxY + BoxH, {}};
  frame(l, left, total, heading, 100, 500);
  l.footer.y = 10300;
  l.detailArea = {left, 500 + BoxY + BoxH, total, 10300 - (500 + BoxY + BoxH)};
  l.header.controls.push_back(boxAt(0, BoxY, total, BoxH));
  l.detail.w = total;
  l.detail.h = RowH;

  int x = 0;
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const ColumnSpec& c = columns[i];
    l.header.controls.push_back(textAt(x + 52, BoxY + 42, c.width - 104, TextH, c.heading));
    if (c.picture)
      l.detail.controls.push_back(
          value(file, record, c.field, c.picture, x + 52, 31, c.width - 104));
    else
      l.detail.controls.push_back(check(file, record, c.field, x + (c.width - TextH) / 2, 31, ""));
    if (i > 0) {
      l.header.controls.push_back(lineAt(x, BoxY, 0, BoxH));
      l.detail.controls.push_back(lineAt(x, 0, 0, RowH));
    }
    x += c.width;
  }
  l.detail.controls.push_back(lineAt(0, 0, 0, RowH));
  l.detail.controls.push_back(lineAt(total, 0, 0, RowH));
  l.detail.controls.push_back(lineAt(0, RowH, total, 0));
  return l;
}

ReportLayout webPageListing(const FileDef& file, RecordAccess record) {
  struct Cell {
    const char* heading;  // nullptr: no heading in this place
    const char* field;
    const char* picture;  // nullptr: check box
    int x, y, w;
  };
  static const Cell cells[] = {
      {"Domain Name", "WEB:DOMAINNAME", "@s50", 52, 52, 1417},
      {"Page Name", "WEB:PAGENAME", "@s20", 1521, 52, 2450},
      {"Use Now", "WEB:USENOW", nullptr, 4021, 52, 500},
      {"Local Path", "WEB:LOCALPATH", "@s80", 52, 229, 1417},
      {"Local Default Directory", "WEB:LOCALDEFAULTDIRECTORY", "@s90", 1521, 229, 2010},
      {"Implement Date", "WEB:IMPLEMENTDATE", "@d17", 52, 406, 1417},
      {"File Date Time", "WEB:FILEDATETIME", "@s20", 1521, 406, 2010},
      {nullptr, "WEB:FILESIZE", "@n-14", 3583, 406, 900},
      {"Purpose", "WEB:PURPOSE", "@s40", 42, 594, 1427},
      {"Page Path", "WEB:PAGEPATH", "@s80", 1521, 583, 2960},
      {"Author", "WEB:AUTHOR", "@s30", 52, 781, 1417},
      {"Link To 1", "WEB:LINKTO1", "@s80", 4531, 42, 2969},
      {"Link To 2", "WEB:LINKTO2", "@s80", 4531, 240, 2969},
      {"Link To 3", "WEB:LINKTO3", "@s80", 4531, 479, 2969},
      {"Link To 4", "WEB:LINKTO4", "@s80", 4531, 719, 2969},
      {"Link To 5", "WEB:LINKTO5", "@s80", 4531, 979, 2969},
  };
  constexpr int Left = 500, Width = 7500, Headings = 750, BandH = 1250;

  ReportLayout l;
  l.header = Band{Left, 400, Width, Headings + BandH, {}};
  frame(l, Left, Width, "Report the WebPages File", 50, 420);
  // The file size's heading stands on the second row, its value on the third.
  l.header.controls.push_back(textAt(3583, Headings + 229, 900, TextH, "File Size"));
  for (const Cell& c : cells) {
    if (c.heading) l.header.controls.push_back(textAt(c.x, Headings + c.y, c.w, TextH, c.heading));
    l.detail.controls.push_back(c.picture ? value(file, record, c.field, c.picture, c.x, c.y, c.w)
                                          : check(file, record, c.field, c.x, c.y, ""));
  }
  l.header.controls.push_back(lineAt(0, Headings + BandH - 40, Width, 0));
  l.detail.w = Width;
  l.detail.h = BandH;
  l.detail.controls.push_back(lineAt(0, BandH - 40, Width, 0));
  l.detailArea = {Left, 400 + Headings + BandH, Width, 10300 - (400 + Headings + BandH)};
  l.footer.y = 10300;
  return l;
}

ReportLayout webPageReport(const FileDef& file, RecordAccess record) {
  struct Row {
    const char* caption;
    int cx, cy;
    const char* field;
    const char* picture;
    int x, y, w;
  };
  static const Row rows[] = {
      {"Domain Name:", 271, 260, "WEB:DOMAINNAME", "@s30", 1281, 260, 2200},
      {"Page Name:", 3521, 260, "WEB:PAGENAME", "@s20", 4396, 260, 2200},
      {"Page Title:", 573, 458, "WEB:HTMLPAGETITLE", "@s80", 1281, 448, 5300},
      {"Author:", 750, 656, "WEB:AUTHOR", "@s30", 1281, 656, 5300},
      {"Purpose:", 656, 854, "WEB:PURPOSE", "@s40", 1281, 854, 5300},
      {"Page Path:", 510, 1052, "WEB:PAGEPATH", "@s80", 1281, 1052, 5300},
      {"Local Path:", 500, 1250, "WEB:LOCALPATH", "@s80", 1281, 1250, 5300},
      {"Implement Date:", 198, 1448, "WEB:IMPLEMENTDATE", "@d17", 1313, 1448, 1800},
      {"Update Date:", 3469, 1448, "WEB:FILEDATETIME", "@s20", 4323, 1448, 2200},
  };
  static const char* const links[] = {"WEB:LINKTO1", "WEB:LINKTO2", "WEB:LINKTO3", "WEB:LINKTO4",
                                      "WEB:LINKTO5"};
  static const int linkY[] = {1906, 2146, 2385, 2625, 2896};
  constexpr int Left = 750, Width = 7000;

  ReportLayout l;
  l.header = Band{Left, 500, Width, 900, {}};
  frame(l, Left, Width, "Web Pages Report", 83, 500);
  l.footer.y = 10300;
  l.detailArea = {Left, 1400, Width, 10300 - 1400};
  Band& d = l.detail;
  d.w = Width;
  d.h = 4400;
  d.controls.push_back(textAt(313, 63, 0, TextH, "Currently Use:"));
  d.controls.push_back(check(file, record, "WEB:USENOW", 1323, 63, ""));
  for (const Row& r : rows) {
    d.controls.push_back(textAt(r.cx, r.cy, 0, TextH, r.caption));
    d.controls.push_back(value(file, record, r.field, r.picture, r.x, r.y, r.w));
  }
  d.controls.push_back(textAt(104, 1698, 0, TextH, "Links TO This Page:"));
  for (int i = 0; i < 5; ++i)
    d.controls.push_back(value(file, record, links[i], "@s80", 104, linkY[i], 6000));
  d.controls.push_back(lineAt(0, 3250, Width, 0));
  d.controls.push_back(textAt(135, 3271, 0, TextH, "Notes:"));
  const int notes = file.memoIndex("WEB:NOTES");
  if (notes < 0) throw std::logic_error("report memo not in layout: WEB:NOTES");
  d.controls.push_back(
      memoAt(83, 3448, 5583, 885, [record, notes] { return record().memo(notes); }));
  return l;
}

ReportLayout linesReport(const LinesSpec& s, const FileDef& file, RecordAccess record) {
  constexpr int Left = 750, Width = 7000, HeaderH = 1300;
  ReportLayout l;
  l.header = Band{Left, 250, Width, HeaderH, {}};
  frame(l, Left, Width, s.title, 52, 438);
  struct Line {
    const char* caption;
    const char* field;
    const char* picture;
    int y;
  };
  const Line lines[] = {{"Page Path", s.pathField, "@s80", 688},
                        {"Domain Name", s.domainField, "@s50", 875},
                        {"Page Name", s.pageField, "@s20", 1063}};
  for (const Line& ln : lines) {
    l.header.controls.push_back(textAt(0, ln.y, 0, TextH, ln.caption));
    l.header.controls.push_back(
        value(file, record, ln.field, ln.picture, s.valueX, ln.y, Width - s.valueX));
  }
  l.header.controls.push_back(lineAt(0, HeaderH - 30, Width, 0));
  l.footer.y = 10350;
  l.detailArea = {Left, 250 + HeaderH, Width, 10350 - (250 + HeaderH)};
  Band& d = l.detail;
  d.w = Width;
  if (s.caption) d.controls.push_back(textAt(0, 52, 0, TextH, s.caption));
  for (int i = 1; i <= 40; ++i) {
    const std::string label = s.linePrefix + std::to_string(i);
    d.controls.push_back(value(file, record, label.c_str(), "@s200", 0,
                               s.firstLineY + (i - 1) * s.lineStep, s.lineWidth, s.lineStep - 10));
  }
  d.h = s.firstLineY + 40 * s.lineStep;
  return l;
}

}  // namespace qm::webreports
