#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

#include "runtime/values/fsutil.h"
#include "webdata/scan/scan.h"

namespace {

using qm::ScanResult;

std::string esc(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\r')
      out += "<CR>";
    else
      out += c;
  }
  return out;
}

std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += '~';
    out += esc(lines[i]);
  }
  return out;
}

// One text line per record, in a fixed order of kinds; marks and the count
// of scanned lines only when asked.
std::string dump(const ScanResult& r, bool withCounts = false) {
  std::ostringstream o;
  if (r.hasTitle) o << "T|" << esc(r.title) << "\n";
  for (const auto& i : r.images)
    o << "I|" << i.line << "|" << esc(i.src) << "|" << esc(i.height) << "|" << esc(i.width) << "\n";
  for (const auto& l : r.links) o << "L|" << l.line << "|" << esc(l.link) << "\n";
  for (const auto& m : r.metas) o << "M|" << esc(m.name) << "|" << esc(m.content) << "\n";
  for (const auto& s : r.scripts) o << "S|" << joined(s.lines) << "\n";
  for (const auto& f : r.forms) o << "F|" << f.line << "|" << joined(f.lines) << "\n";
  if (withCounts) {
    o << "K|";
    for (bool m : r.marks) o << (m ? 'Y' : '.');
    o << "\nN|" << r.scannedLines << "\n";
  }
  return o.str();
}

// The fixture folder as this executable was built with it.
std::string fixtureFile(const std::string& name) {
  return std::string(QM_FIXTURE_DIR) + "/scan/" + name;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Case {
  const char* name;
  std::vector<std::string> lines;
  std::string expected;
};

const std::string k25(25, ' ');
const std::string k300(300, 'q');

// Each case is a few records as read from the work copy; the first is line 2.
const Case kCases[] = {
    {"title any case", {"<Title>My Page</TITLE>"}, "T|My Page\n"},
    {"title without end takes rest of line text", {"  <TITLE>Rest of line\r"}, "T|Rest of line\n"},
    {"later title replaces earlier", {"<title>One</title>", "<title>Two</title>"}, "T|Two\n"},
    {"title cut to 80",
     {"<title>" + std::string(90, 't') + "</title>"},
     "T|tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt\n"},
    {"title end searched after the opening", {"</title><title>A"}, "T|A\n"},
    {"image with width and height",
     {"<img src=\"images/logo.gif\" width=\"120\" height=\"60\">"},
     "I|2|images/logo.gif|60|120\n"},
    {"height before the image counts", {"<td height=\"5\"><img src=\"a.gif\">"}, "I|2|a.gif|5|\n"},
    {"image without closing quote keeps the carriage return",
     {"<IMG SRC=\"pic.jpg\r"},
     "I|2|pic.jpg<CR>||\n"},
    {"image without quotes is the whole line", {"<img src=pic.jpg>"}, "I|2|<img src=pic.jpg>||\n"},
    {"image without quote after marker takes text before first quote",
     {"<p class=\"x\"> <img src=pic.jpg>"},
     "I|2|<p class=||\n"},
    {"image attribute before src is not an image", {"<img alt=\"a\" src=\"b.gif\">"}, ""},
    {"image source cut to 200",
     {"<img src=\"" + k300 + "\">"},
     "I|2|" + std::string(200, 'q') + "||\n"},
    {"width cut to 20 then clipped",
     {"<img src=\"a\" width=\"123456789012345678  90\">"},
     "I|2|a||123456789012345678\n"},
    {"first link only", {"<a href=\"contact.htm\">x</a> <a href=\"b.htm\">"}, "L|2|contact.htm\n"},
    {"empty link still recorded", {"<A HREF=\"\">"}, "L|2|\n"},
    {"image inside link gives both",
     {"<a href=\"i.htm\"><img src=\"i.gif\"></a>"},
     "I|2|i.gif||\nL|2|i.htm\n"},
    {"meta with content on its line",
     {"<meta name=\"keywords\" content=\"a, b\">"},
     "M|keywords|a, b\n"},
    {"meta content from line text, not the carriage return",
     {"<META NAME=\"k\" CONTENT=\"c\r"},
     "M|k|c\n"},
    {"meta content on a later line consumes the lines between",
     {"<meta name=\"keywords\"", "<a href=\"lost.htm\">",
      "content=\"a, b\"> <a href=\"lost2.htm\">", "<a href=\"kept.htm\">"},
     "L|3|kept.htm\nM|keywords|a, b\n"},
    {"empty content reads on",
     {"<meta name=\"k\" content=\"\">", "<b>", "content=\"c\""},
     "M|k|c\n"},
    {"content never found consumes the rest",
     {"<meta name=\"k\">", "<a href=\"x.htm\">"},
     "M|k|\n"},
    {"blank meta name does not read on",
     {"<meta name=\"\">", "<a href=\"x.htm\">"},
     "L|3|x.htm\nM||\n"},
    {"meta name tested at 40, stored at 20",
     {"<meta name=\"" + k25 + "x\">", "content=\"c\""},
     "M||c\n"},
    {"meta name cut to 20 characters",
     {"<meta name=\"description-of-the-whole-\u00e9t\u00e9-site\" content=\"c\">"},
     "M|description-of-the-w|c\n"},
    {"meta content cut to 128",
     {"<meta name=\"n\" content=\"" + k300 + "\">"},
     "M|n|" + std::string(128, 'q') + "\n"},
    {"line found by the meta look-ahead still opens a script",
     {"<meta name=\"a\">", "content=\"b\"><script>x</script>"},
     "M|a|b\nS|content=\"b\"><script>x</script>\n"},
    {"script on one line", {"<script type=\"t\"></script>"}, "S|<script type=\"t\"></script>\n"},
    {"script lines trimmed, blank lines skipped",
     {"<SCRIPT>", "   var a;  ", "", "    ", "</script>", "<a href=\"after.htm\">"},
     "L|3|after.htm\nS|<SCRIPT>~var a;~</script>\n"},
    {"script end line opens a form numbered by the script's line",
     {"x", "<script>", "</script><form>", "</form>"},
     "S|<script>~</script><form>\nF|3|</script><form>~</form>\n"},
    {"block lines cut to 200", {"<form>" + k300}, "F|2|<form>" + std::string(194, 'q') + "\n"},
    {"block ends at the end of the file",
     {"<form action=\"a\">", "<input>"},
     "F|2|<form action=\"a\">~<input>\n"},
    {"script opening behind a carriage return leaves slot one blank", {"\r<script>"}, ""},
    {"markers spelt apart are not found", {"<img  src=\"a\"> <meta  name=\"b\"> <title >c"}, ""},
};

TEST(Scan, RulesTable) {
  for (const Case& c : kCases) EXPECT_EQ(dump(qm::scanLines(c.lines)), c.expected) << c.name;
}

TEST(Scan, LongScriptKeepsThirtyNineLinesAndScansTheRest) {
  std::vector<std::string> lines = {"<script>"};
  for (int i = 2; i <= 39; ++i) lines.push_back(std::string("s").append(std::to_string(i)));
  lines.push_back("<a href=\"fortieth.htm\">");  // taken by the capture, not stored
  lines.push_back("<a href=\"line41.htm\">");
  for (int i = 42; i <= 49; ++i) lines.push_back("t");
  lines.push_back("</script>");
  const ScanResult r = qm::scanLines(lines);
  ASSERT_EQ(r.scripts.size(), 1u);
  ASSERT_EQ(r.scripts[0].lines.size(), 39u);
  EXPECT_EQ(r.scripts[0].lines.back(), "s39");
  ASSERT_EQ(r.links.size(), 1u);
  EXPECT_EQ(r.links[0].link, "line41.htm");
  EXPECT_EQ(r.links[0].line, 3);  // lines read by the capture are not counted
  EXPECT_EQ(r.scannedLines, 11);
}

TEST(Scan, FortiethLineKeptWhenItEndsTheBlock) {
  std::vector<std::string> lines = {"<form>", "", "   "};
  for (int i = 2; i <= 39; ++i) lines.push_back(std::string("f").append(std::to_string(i)));
  lines.push_back("</FORM>");
  lines.push_back("<a href=\"next.htm\">");
  const ScanResult r = qm::scanLines(lines);
  ASSERT_EQ(r.forms.size(), 1u);
  ASSERT_EQ(r.forms[0].lines.size(), 40u);
  EXPECT_EQ(r.forms[0].lines[1], "f2");
  EXPECT_EQ(r.forms[0].lines[39], "</FORM>");
  ASSERT_EQ(r.links.size(), 1u);
  EXPECT_EQ(r.links[0].line, 3);
}

TEST(Scan, RecordsLongerThanALineAreCut) {
  const ScanResult r = qm::scanLines({std::string(250, 'x') + "<a href=\"cut.htm\">"});
  EXPECT_TRUE(r.links.empty());
}

struct FileCase {
  const char* file;
  const char* expected;
};

const char* const kPageCommon =
    "T|My Page\n"
    "I|10|/images/logo.gif|60|120\n";

const FileCase kFiles[] = {
    {"page-lf.htm",
     "I|11|pic.jpg||\n"
     "L|10|index.htm\n"
     "M|keywords|a, b\n"
     "M|description|demo page\n"
     "S|<script language=\"javascript\">~function go() { return 1; }~</script>\n"
     "F|12|<form action=\"send.cgi\" method=\"post\">~<input type=\"text\" name=\"q\">~</form>\n"
     "K|YYYYY\nN|13\n"},
    // Empty lines end in a carriage return here, so they are not blank and take a slot.
    {"page-crlf.htm",
     "I|11|pic.jpg<CR>||\n"
     "L|10|index.htm\n"
     "M|keywords|a, b\n"
     "M|description|demo page\n"
     "S|<script language=\"javascript\">~~function go() { return 1; }~</script>\n"
     "F|12|<form action=\"send.cgi\" method=\"post\">~~<input type=\"text\" name=\"q\">~</form>\n"
     "K|YYYYY\nN|13\n"},
    {"long-line.htm", "I|5|deep.gif||\nL|8|after.htm\nK|YY...\nN|7\n"},
    {"odd-ends.htm",
     "T|Odd\nI|6|last.gif||\nL|3|a.htm<CR><CR>\nF|4|<form>~~</form>\nK|YY..Y\nN|5\n"},
    {"empty.htm", "K|.....\nN|0\n"},
};

TEST(Scan, Fixtures) {
  for (const FileCase& f : kFiles) {
    std::string expected = f.expected;
    if (std::string(f.file).rfind("page-", 0) == 0) expected = kPageCommon + expected;
    std::string error = "stale";
    const ScanResult fromFile = qm::scanFile(fixtureFile(f.file), &error);
    EXPECT_EQ(error, "") << f.file;
    EXPECT_EQ(dump(fromFile, true), expected) << f.file;
    // The same bytes as split records give the same result.
    const auto records = qm::splitLineRecords(readAll(fixtureFile(f.file)));
    EXPECT_EQ(dump(qm::scanLines(records), true), expected) << f.file;
  }
}

TEST(Scan, MissingFileReportsAndScansNothing) {
  std::string error;
  const ScanResult r = qm::scanFile("no-such-page.htm", &error);
  EXPECT_NE(error.find("no-such-page.htm"), std::string::npos);
  EXPECT_EQ(r.scannedLines, 0);
  EXPECT_EQ(dump(r), "");
}

TEST(Scan, PipeOrDirectoryInThePagesPlaceIsReportedWithoutWaiting) {
  ASSERT_EQ(::mkfifo("p.htm", 0600), 0);  // opened blocking, nothing would ever come
  ASSERT_EQ(::mkdir("d.htm", 0700), 0);
  for (const char* name : {"p.htm", "d.htm"}) {
    std::string error;
    const qm::ScannedPage page = qm::scanPageFile(name, &error);
    EXPECT_EQ(error, std::string(name) + ": not a regular file");
    EXPECT_EQ(page.scannedLines, 0);
  }
}

TEST(Scan, SplitLineRecords) {
  const std::string x255(255, 'x');
  const struct {
    std::string bytes;
    std::vector<std::string> records;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"a\r\nb", {"a\r", "b"}},
      {"\n\n", {"", ""}},
      {"a\rb\n", {"a\rb"}},
      {x255 + "\n", {x255}},
      {x255 + "x", {x255, "x"}},
      {x255 + x255 + "\nb", {x255, x255, "b"}},
      {x255 + "\r\n", {x255, "\r"}},
  };
  for (const auto& c : cases) EXPECT_EQ(qm::splitLineRecords(c.bytes), c.records) << c.bytes.size();
}

TEST(Scan, ImagePath) {
  const struct {
    const char* dir;
    const char* src;
    std::string path;
  } cases[] = {
      {"D", "images/logo.gif", "D/images/logo.gif"},
      {"D", "/images/logo.gif", "D/images/logo.gif"},
      {"/srv/site\\blog  ", "\\img\\x.gif", "/srv/site/blog/img/x.gif"},
      {"D", "//x.gif", "D/x.gif"},
      {"D", "", "D"},
      {"D", "0123456789012345678901234567890123456789012345678901234567890123456789012345678901234",
       "D/0123456789012345678901234567890123456789012345678901234567890123456789012345678901234"},
  };
  for (const auto& c : cases) EXPECT_EQ(qm::scanImagePath(c.dir, c.src), c.path) << c.src;
  EXPECT_EQ(qm::scanImagePath("D", std::string(600, 'x')),
            "D/" + std::string(qm::kPathWidth - 2, 'x'));
}

TEST(Scan, ClampLine) {
  const struct {
    double in;
    int out;
  } cases[] = {{4, 4},        {4.9, 4}, {32767, 32767}, {32768, 32767},
               {1e12, 32767}, {-5, -5}, {-1e9, -32768}, {std::nan(""), 0}};
  for (const auto& c : cases) EXPECT_EQ(qm::clampLine(c.in), c.out) << c.in;
}

}  // namespace

namespace {

// The whole-buffer search must find what a search of each record alone
// finds, wherever a marker falls against the 64-byte blocks and the 255
// record width.
TEST(Scan, BufferSearchMatchesRecordSearch) {
  const std::string markers[] = {
      "<img src=\"a.gif\" width=\"1\">", "<a href=\"b.htm\">", "<TITLE>t</title>",
      "<meta name=\"n\" content=\"c\">", "<script>x</script>", "<form></form>"};
  for (const std::string& m : markers) {
    for (std::size_t lead = 0; lead < 300; lead += 7) {
      for (const char* end : {"\n", "\r\n", ""}) {
        const std::string bytes = std::string(lead, 'x') + m + end + "<a href=\"next.htm\">" + end;
        const ScanResult whole = qm::scanBytes(bytes);
        const ScanResult byRecord = qm::scanLines(qm::splitLineRecords(bytes));
        EXPECT_EQ(dump(whole, true), dump(byRecord, true)) << m << " at " << lead;
      }
    }
  }
}

TEST(Scan, PageViewsOutliveAMove) {
  std::string error;
  qm::ScannedPage page = qm::scanPageFile(fixtureFile("page-lf.htm"), &error);
  ASSERT_EQ(error, "");
  const qm::ScannedPage moved = std::move(page);
  EXPECT_EQ(moved.title, "My Page");
  ASSERT_FALSE(moved.forms.empty());
  const auto lines = moved.lines(moved.forms[0]);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2], "</form>");
  EXPECT_EQ(dump(qm::toResult(moved), true),
            dump(qm::scanFile(fixtureFile("page-lf.htm"), &error), true));
}

}  // namespace

namespace {
std::string repeat(const std::string& s, std::size_t n) {
  std::string r;
  for (std::size_t i = 0; i < n; ++i) r += s;
  return r;
}
}  // namespace

// Each value the scan cuts to its field's width keeps that many characters
// and never half of one, whatever its bytes.
TEST(Scan, CutsAtEachFieldsWidthFallBetweenCharacters) {
  struct Field {
    const char* what;
    std::size_t width;
    std::string (*page)(const std::string& v);
    std::string (*found)(const ScanResult& r);
  };
  const Field fields[] = {
      {"title", 80, [](const std::string& v) { return "<title>" + v + "</title>\n"; },
       [](const ScanResult& r) { return r.title; }},
      {"link", 200, [](const std::string& v) { return "<a href=\"" + v + "\">\n"; },
       [](const ScanResult& r) { return r.links.empty() ? "?" : r.links[0].link; }},
      {"image", 200, [](const std::string& v) { return "<img src=\"" + v + "\">\n"; },
       [](const ScanResult& r) { return r.images.empty() ? "?" : r.images[0].src; }},
      {"height", 20,
       [](const std::string& v) { return "<img src=\"a.gif\" height=\"" + v + "\">\n"; },
       [](const ScanResult& r) { return r.images.empty() ? "?" : r.images[0].height; }},
      {"meta name", 20,
       [](const std::string& v) { return "<meta name=\"" + v + "\" content=\"c\">\n"; },
       [](const ScanResult& r) { return r.metas.empty() ? "?" : r.metas[0].name; }},
      {"meta content", 128,
       [](const std::string& v) { return "<meta name=\"n\" content=\"" + v + "\">\n"; },
       [](const ScanResult& r) { return r.metas.empty() ? "?" : r.metas[0].content; }},
      {"script line", 200, [](const std::string& v) { return "<script>\n" + v + "\n</script>\n"; },
       [](const ScanResult& r) {
         return r.scripts.empty() || r.scripts[0].lines.size() < 2 ? "?" : r.scripts[0].lines[1];
       }},
  };
  for (const std::string c : {"\xD1\x91", "\xE2\x80\x93", "\xF0\x9F\x98\x80"}) {
    for (const Field& f : fields) {
      const std::string kept = std::string(f.width - 1, 'x') + c;
      const ScanResult r = qm::scanBytes(f.page(kept + c + c));
      EXPECT_EQ(f.found(r), kept) << f.what << " " << c;
    }
    // A record holds 255 characters: the link behind 200 of them is on the
    // first record, at line 2.
    const ScanResult r = qm::scanBytes(repeat(c, 200) + "<a href=\"q.htm\">\n");
    ASSERT_EQ(r.links.size(), 1u) << c;
    EXPECT_EQ(r.links[0].line, 2) << c;
    // A longer line goes on in a record of its own, cut between characters.
    const auto records = qm::splitLineRecords(repeat(c, 300) + "\n");
    ASSERT_EQ(records.size(), 2u) << c;
    EXPECT_EQ(records[0], repeat(c, 255));
    EXPECT_EQ(records[1], repeat(c, 45));
  }
}
