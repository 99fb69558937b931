#include "runtime/values/picture.h"

#include <QDate>
#include <charconv>
#include <cmath>
#include <mutex>
#include <optional>

#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/values/picture_locale.h"
#include "runtime/values/text.h"

namespace qm {

// ---------------------------------------------------------------- locale

namespace {
std::mutex gLocaleMutex;
std::optional<QLocale> gLocale;
}  // namespace

void setPictureLocale(const QLocale& locale) {
  std::lock_guard<std::mutex> lock(gLocaleMutex);
  gLocale = locale;
}

void resetPictureLocale() {
  std::lock_guard<std::mutex> lock(gLocaleMutex);
  gLocale.reset();
}

QLocale pictureLocale() {
  std::lock_guard<std::mutex> lock(gLocaleMutex);
  return gLocale ? *gLocale : QLocale::system();
}

namespace {

// ---------------------------------------------------------------- parsing

// Date pictures by number: a layout in Qt's notation, or empty for the locale's short date.
struct DateLayout {
  int code;
  const char* layout;
};
constexpr DateLayout kDateLayouts[] = {
    {1, "M/dd/yy"},
    {2, "MM/dd/yyyy"},
    {17, ""},
};

enum class TimeStyle { TwelveHour };
struct TimeLayout {
  int code;
  TimeStyle style;
};
constexpr TimeLayout kTimeLayouts[] = {
    {3, TimeStyle::TwelveHour},
};

struct Picture {
  PictureKind kind = PictureKind::Unknown;
  int width = 0;           // text and number
  int decimals = 0;        // number
  bool group = true;       // number: "," between thousands
  bool blankZero = false;  // number, pattern, date: zero shows as blanks
  std::string layout;      // date: Qt-style layout ("" = locale short date)
  TimeStyle timeStyle = TimeStyle::TwelveHour;
  std::string pattern;  // pattern: the text between the delimiters
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }
char lowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

// Reads an unsigned number at s[i]; -1 when there is none (or it is absurdly long).
int readInt(std::string_view s, std::size_t& i) {
  if (i >= s.size() || !isDigit(s[i])) return -1;
  int v = 0;
  while (i < s.size() && isDigit(s[i])) {
    v = v * 10 + (s[i] - '0');
    if (v > 100000) return -1;
    ++i;
  }
  return v;
}

bool readBlankZero(std::string_view s, std::size_t& i) {
  if (i < s.size() && (s[i] == 'b' || s[i] == 'B')) {
    ++i;
    return true;
  }
  return false;
}

Picture parsePicture(std::string_view text) {
  Picture p;
  std::string_view s = trim(text);
  if (!s.empty() && s.front() == '@') s.remove_prefix(1);
  if (s.empty()) return p;
  const char kindChar = s.front();
  std::size_t i = 1;
  switch (lowerChar(kindChar)) {
    case 's': {
      const int w = readInt(s, i);
      if (w < 0 || i != s.size()) return p;
      p.kind = PictureKind::Text;
      p.width = w;
      return p;
    }
    case 'n': {
      if (i < s.size() && s[i] == '-') ++i;  // negatives always show a leading "-"
      const int w = readInt(s, i);
      if (w <= 0) return p;
      int d = 0;
      if (i < s.size() && s[i] == '.') {
        ++i;
        d = readInt(s, i);
        if (d < 0 || d >= w) return p;
      }
      p.blankZero = readBlankZero(s, i);
      if (i != s.size()) return p;
      p.kind = PictureKind::Number;
      p.width = w;
      p.decimals = d;
      return p;
    }
    case 'd': {
      const int code = readInt(s, i);
      const bool blank = readBlankZero(s, i);
      if (i != s.size()) return p;
      for (const auto& l : kDateLayouts) {
        if (l.code == code) {
          p.kind = PictureKind::Date;
          p.layout = l.layout;
          p.blankZero = blank;
          return p;
        }
      }
      return p;
    }
    case 't': {
      const int code = readInt(s, i);
      readBlankZero(s, i);
      if (i != s.size()) return p;
      for (const auto& l : kTimeLayouts) {
        if (l.code == code) {
          p.kind = PictureKind::Time;
          p.timeStyle = l.style;
          return p;
        }
      }
      return p;
    }
    case 'p': {
      // The pattern runs to the last delimiter of the same letter case.
      const std::size_t close = s.rfind(kindChar);
      if (close == 0) return p;
      std::size_t j = close + 1;
      p.blankZero = readBlankZero(s, j);
      if (j != s.size()) return p;
      p.pattern = std::string(s.substr(1, close - 1));
      p.kind = PictureKind::Pattern;
      return p;
    }
    default:
      return p;
  }
}

// ---------------------------------------------------------------- numbers

// Shortest decimal text of |v| without exponent ("1234.5").
std::string fixedDigits(double v) {
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::fixed);
  if (r.ec != std::errc()) return "0";
  return std::string(buf, r.ptr);
}

// Rounds a plain digit text ("1234.567") half up to d decimals, giving the whole
// and fraction digits.
void roundDigits(const std::string& digits, int d, std::string& whole, std::string& frac) {
  const std::size_t dot = digits.find('.');
  whole = digits.substr(0, dot);
  std::string rest = dot == std::string::npos ? std::string() : digits.substr(dot + 1);
  if (whole.empty()) whole.assign(1, '0');
  const bool up = static_cast<int>(rest.size()) > d && rest[static_cast<std::size_t>(d)] >= '5';
  rest.resize(static_cast<std::size_t>(d), '0');
  if (up) {
    std::string all = whole + rest;
    int k = static_cast<int>(all.size()) - 1;
    for (; k >= 0; --k) {
      if (all[static_cast<std::size_t>(k)] == '9') {
        all[static_cast<std::size_t>(k)] = '0';
      } else {
        ++all[static_cast<std::size_t>(k)];
        break;
      }
    }
    if (k < 0) all.insert(all.begin(), '1');
    whole = all.substr(0, all.size() - static_cast<std::size_t>(d));
    rest = all.substr(all.size() - static_cast<std::size_t>(d));
  }
  const std::size_t nz = whole.find_first_not_of('0');
  whole = nz == std::string::npos ? "0" : whole.substr(nz);
  frac = rest;
}

bool allZero(const std::string& whole, const std::string& frac) {
  return whole.find_first_not_of('0') == std::string::npos &&
         frac.find_first_not_of('0') == std::string::npos;
}

std::string groupThousands(const std::string& whole) {
  std::string r;
  const std::size_t n = whole.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) r += ',';
    r += whole[i];
  }
  return r;
}

std::string padLeft(std::string s, int width) {
  if (static_cast<int>(s.size()) < width)
    s.insert(0, static_cast<std::size_t>(width) - s.size(), ' ');
  return s;
}

std::string formatNumberDigits(const Picture& p, bool negative, const std::string& digits) {
  std::string whole, frac;
  roundDigits(digits, p.decimals, whole, frac);
  const bool zero = allZero(whole, frac);
  if (zero && p.blankZero) return std::string(static_cast<std::size_t>(p.width), ' ');
  const std::string sign = negative && !zero ? "-" : "";
  const std::string tail = p.decimals > 0 ? "." + frac : "";
  // Grouped when it fits, else plain, else the overflow mark.
  if (p.group) {
    std::string s = sign + groupThousands(whole) + tail;
    if (static_cast<int>(s.size()) <= p.width) return padLeft(s, p.width);
  }
  std::string s = sign + whole + tail;
  if (static_cast<int>(s.size()) <= p.width) return padLeft(s, p.width);
  return std::string(static_cast<std::size_t>(p.width), '#');
}

std::string formatPatternDigits(const Picture& p, bool negative, const std::string& digits) {
  std::string whole, frac;
  roundDigits(digits, 0, whole, frac);
  const bool zero = whole == "0";
  std::string out = p.pattern;
  if (zero && p.blankZero) return std::string(out.size(), ' ');
  std::size_t places = 0;
  for (char c : out) places += (c == '#' || c == '<');
  bool fits = whole.size() <= places;
  if (fits) {
    std::size_t k = 0;  // digits placed, from the right
    std::size_t lastBlank = std::string::npos;
    for (std::size_t i = out.size(); i-- > 0;) {
      const char c = out[i];
      if (c != '#' && c != '<') continue;
      if (k < whole.size()) {
        out[i] = whole[whole.size() - 1 - k];
      } else if (c == '<') {
        out[i] = ' ';
        if (lastBlank == std::string::npos) lastBlank = i;
      } else {
        out[i] = '0';
      }
      ++k;
    }
    if (negative && !zero) {
      if (lastBlank == std::string::npos)
        fits = false;
      else
        out[lastBlank] = '-';
    }
  }
  if (!fits) {
    out = p.pattern;
    for (char& c : out)
      if (c == '<') c = '#';
  }
  return out;
}

std::string numberToText(double v) {
  std::string s = fixedDigits(v);
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return (v < 0 && s != "0" ? "-" : "") + s;
}

// ---------------------------------------------------------------- dates and times

std::string two(int v) {
  std::string r(2, '0');
  r[0] = static_cast<char>('0' + (v / 10) % 10);
  r[1] = static_cast<char>('0' + v % 10);
  return r;
}

// Formats a numeric layout in Qt's notation (d, dd, M, MM, yy, yyyy; other text as is).
std::string formatLayout(const std::string& layout, int y, int m, int d) {
  std::string r;
  for (std::size_t i = 0; i < layout.size();) {
    const char c = layout[i];
    std::size_t n = 1;
    while (i + n < layout.size() && layout[i + n] == c) ++n;
    if (c == 'd' || c == 'M') {
      const int v = c == 'd' ? d : m;
      r += n >= 2 ? two(v) : std::to_string(v);
    } else if (c == 'y') {
      r += n >= 4 ? std::to_string(y) : two(y % 100);
    } else {
      r.append(n, c);
    }
    i += n;
  }
  return r;
}

std::string formatDay(const Picture& p, int32_t day) {
  int y = 0, m = 0, d = 0;
  if (!splitDay(day, y, m, d)) return "";
  if (p.layout.empty())
    return pictureLocale().toString(QDate(y, m, d), QLocale::ShortFormat).toStdString();
  return formatLayout(p.layout, y, m, d);
}

std::string formatClock(const Picture& p, int32_t t) {
  int h = 0, m = 0, s = 0, hs = 0;
  if (!splitTime(t, h, m, s, hs)) return "";
  switch (p.timeStyle) {
    case TimeStyle::TwelveHour:
      break;
  }
  const int h12 = h % 12 == 0 ? 12 : h % 12;
  return std::to_string(h12) + ":" + two(m) + (h < 12 ? "AM" : "PM");
}

// A two-digit year falls in the eighty years before and the nineteen after this year.
int widenYear(int yy) {
  int ty = 0, tm = 0, td = 0;
  if (!splitDay(today(), ty, tm, td)) ty = QDate::currentDate().year();
  int y = (ty / 100) * 100 + yy;
  if (y > ty + 19) y -= 100;
  if (y < ty - 80) y += 100;
  return y;
}

std::string quoted(std::string_view s) {
  std::string r;
  r.reserve(s.size() + 2);
  r += '"';
  r += s;
  r += '"';
  return r;
}

// Order of day, month and year in a Qt-style layout, e.g. "dMy".
std::string fieldOrder(const QString& layout) {
  std::string order;
  bool inQuote = false;
  for (QChar qc : layout) {
    const char c = qc.toLatin1();
    if (c == '\'') inQuote = !inQuote;
    if (inQuote) continue;
    if ((c == 'd' || c == 'M' || c == 'y') && order.find(c) == std::string::npos) order += c;
  }
  return order;
}

Deformatted deformatDate(const Picture& p, std::string_view in) {
  Deformatted r;
  const QString layout = p.layout.empty() ? pictureLocale().dateFormat(QLocale::ShortFormat)
                                          : QString::fromLatin1(p.layout.c_str());
  const std::string bad = "Invalid date: " + quoted(in);
  if (layout.contains(QLatin1String("MMM"))) {
    // A layout with month names: let the locale read it.
    const QDate d = pictureLocale().toDate(QString::fromStdString(std::string(in)), layout);
    const bool shortYear = !layout.contains(QLatin1String("yyyy"));
    r.day = d.isValid()
                ? dayNumber(shortYear ? widenYear(d.year() % 100) : d.year(), d.month(), d.day())
                : 0;
    if (r.day == 0) {
      r.ok = false;
      r.error = bad;
    }
    return r;
  }
  const std::string order = fieldOrder(layout);
  // Three runs of at most four digits, apart by "/", "-", ".", "," or blanks.
  int parts[3] = {0, 0, 0};
  int lens[3] = {0, 0, 0};
  int count = 0;
  bool valid = order.size() == 3;
  for (std::size_t i = 0; valid && i < in.size();) {
    if (isDigit(in[i])) {
      std::size_t j = i;
      int v = 0;
      for (; j < in.size() && isDigit(in[j]); ++j)
        if (j - i < 5) v = v * 10 + (in[j] - '0');
      if (count == 3 || j - i > 4)
        valid = false;
      else {
        parts[count] = v;
        lens[count] = static_cast<int>(j - i);
        ++count;
      }
      i = j;
    } else if (std::string_view("/-., ").find(in[i]) != std::string_view::npos) {
      ++i;
    } else {
      valid = false;
    }
  }
  if (!valid || count != 3) {
    r.ok = false;
    r.error = bad;
    return r;
  }
  int y = 0, m = 0, d = 0;
  for (int k = 0; k < 3; ++k) {
    switch (order[static_cast<std::size_t>(k)]) {
      case 'd':
        d = parts[k];
        break;
      case 'M':
        m = parts[k];
        break;
      default:
        y = lens[k] <= 2 ? widenYear(parts[k]) : parts[k];
        break;
    }
  }
  r.day = dayNumber(y, m, d);
  if (r.day == 0) {
    r.ok = false;
    r.error = bad;
  }
  return r;
}

Deformatted deformatTime(std::string_view in) {
  Deformatted r;
  const std::string bad = "Invalid time: " + quoted(in);
  int fields[4] = {0, 0, 0, 0};
  int count = 0;
  std::size_t i = 0;
  while (i < in.size() && count < 4) {
    std::size_t j = i;
    const int v = readInt(in, j);
    if (v < 0) break;
    fields[count++] = v;
    i = j;
    const char sep = count == 3 ? '.' : ':';
    if (i < in.size() && (in[i] == sep || (count < 3 && in[i] == '.'))) {
      ++i;
    } else {
      break;
    }
  }
  std::string_view rest = trim(in.substr(i));
  int half = 0;  // 0 none, 1 AM, 2 PM
  const std::string suffix = upper(rest);
  if (suffix == "AM" || suffix == "A")
    half = 1;
  else if (suffix == "PM" || suffix == "P")
    half = 2;
  else if (!suffix.empty())
    count = 0;
  int h = fields[0];
  if (half != 0) {
    if (h < 1 || h > 12) count = 0;
    h = h % 12 + (half == 2 ? 12 : 0);
  }
  r.time = count >= 2 ? timeOf(h, fields[1], fields[2], fields[3]) : 0;
  if (r.time == 0) {
    r.ok = false;
    r.error = bad;
  }
  return r;
}

// Reads "-1,234.5" style text; nullopt when it is not a number.
std::optional<std::pair<bool, std::string>> readNumberText(std::string_view in) {
  std::string_view s = in;
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s = trim(s.substr(1));
  } else if (!s.empty() && s.back() == '-') {
    negative = true;
    s = trim(s.substr(0, s.size() - 1));
  }
  std::string digits;
  bool dot = false, any = false;
  char prev = 0;
  for (char c : s) {
    if (isDigit(c)) {
      digits += c;
      any = true;
    } else if (c == ',' && !dot && isDigit(prev)) {
      // thousands separator
    } else if (c == '.' && !dot) {
      dot = true;
      digits += '.';
    } else {
      return std::nullopt;
    }
    prev = c;
  }
  if (!any || prev == ',') return std::nullopt;
  return std::make_pair(negative, digits);
}

Deformatted deformatNumber(const Picture& p, std::string_view in) {
  Deformatted r;
  const auto read = readNumberText(in);
  if (!read) {
    r.ok = false;
    r.error = "Invalid number: " + quoted(in);
    return r;
  }
  std::string whole, frac;
  roundDigits(read->second, p.decimals, whole, frac);
  const int room = p.width - (p.decimals > 0 ? p.decimals + 1 : 0) - (read->first ? 1 : 0);
  if (static_cast<int>(whole.size()) > room && whole != "0") {
    r.ok = false;
    r.error = "Number too large: " + quoted(in);
    return r;
  }
  const std::string text = whole + (frac.empty() ? "" : "." + frac);
  double v = 0;
  std::from_chars(text.data(), text.data() + text.size(), v);
  r.number = read->first ? -v : v;
  if (r.number == 0) r.number = 0;  // no negative zero
  return r;
}

Deformatted deformatPattern(const Picture& p, std::string_view in) {
  Deformatted r;
  std::string digits;
  for (char c : in) {
    if (isDigit(c))
      digits += c;
    else if (c != ' ' && p.pattern.find(c) == std::string::npos) {
      r.ok = false;
      r.error = "Invalid number: " + quoted(in);
      return r;
    }
  }
  if (digits.size() > 15) {
    r.ok = false;
    r.error = "Number too large: " + quoted(in);
    return r;
  }
  double v = 0;
  if (!digits.empty()) std::from_chars(digits.data(), digits.data() + digits.size(), v);
  r.number = v;
  return r;
}

std::optional<long long> readWhole(std::string_view s) {
  s = trim(s);
  long long v = 0;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), v);
  if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return std::nullopt;
  return v;
}

std::string formatParsed(const Picture& p, std::string_view original, double number,
                         bool haveNumber) {
  switch (p.kind) {
    case PictureKind::Text: {
      // The width counts characters: cut between two, padded to the width.
      const auto width = static_cast<std::size_t>(p.width);
      std::string r(cutChars(original, width));
      r.append(width - charCount(r), ' ');
      return r;
    }
    case PictureKind::Number:
    case PictureKind::Pattern: {
      if (!haveNumber || !std::isfinite(number)) {
        return p.kind == PictureKind::Number ? std::string(static_cast<std::size_t>(p.width), '#')
                                             : formatPatternDigits(p, false, std::string(20, '9'));
      }
      const std::string digits = fixedDigits(number);
      return p.kind == PictureKind::Number ? formatNumberDigits(p, number < 0, digits)
                                           : formatPatternDigits(p, number < 0, digits);
    }
    case PictureKind::Date:
    case PictureKind::Time: {
      if (!haveNumber || !std::isfinite(number) || std::fabs(number) > 1e9) return "";
      const auto v = static_cast<int32_t>(number);
      return p.kind == PictureKind::Date ? formatDay(p, v) : formatClock(p, v);
    }
    case PictureKind::Unknown:
      break;
  }
  return std::string(original);
}

}  // namespace

// ---------------------------------------------------------------- public

PictureKind pictureKind(std::string_view picture) { return parsePicture(picture).kind; }

std::string widenedPicture(std::string_view picture, int width) {
  const Picture p = parsePicture(picture);
  if (p.kind != PictureKind::Text || p.width >= width) return std::string(picture);
  return "@s" + std::to_string(width);
}

std::string formatNumber(std::string_view picture, double value) {
  return formatParsed(parsePicture(picture), numberToText(value), value, true);
}

std::string formatDecimal(std::string_view picture, Decimal42 v) {
  const Picture p = parsePicture(picture);
  const std::string text = v.toString();
  if (p.kind == PictureKind::Number) {
    // Exact digits: no detour through binary floating point.
    return formatNumberDigits(p, v.cents() < 0, v.cents() < 0 ? text.substr(1) : text);
  }
  return formatParsed(p, text, v.toDouble(), true);
}

std::string formatDate(std::string_view picture, int32_t day) {
  return formatParsed(parsePicture(picture), std::to_string(day), day, true);
}

std::string formatTime(std::string_view picture, int32_t time) {
  return formatParsed(parsePicture(picture), std::to_string(time), time, true);
}

std::string formatText(std::string_view picture, std::string_view text) {
  return formatAny(picture, text);
}

std::string formatAny(std::string_view picture, std::string_view textOrNumberAsText) {
  const Picture p = parsePicture(picture);
  if (p.kind == PictureKind::Text || p.kind == PictureKind::Unknown)
    return formatParsed(p, textOrNumberAsText, 0, false);
  std::string_view t = trim(textOrNumberAsText);
  if (p.kind == PictureKind::Date || p.kind == PictureKind::Time) {
    const auto v = readWhole(t.empty() ? std::string_view("0") : t);
    if (!v) return std::string(textOrNumberAsText);
    return formatParsed(p, t, static_cast<double>(*v), true);
  }
  if (t.empty()) return formatParsed(p, t, 0, true);
  const auto n = readNumberText(t);
  if (!n) return std::string(textOrNumberAsText);
  // Keep the digits as written so no binary rounding creeps in.
  return p.kind == PictureKind::Number ? formatNumberDigits(p, n->first, n->second)
                                       : formatPatternDigits(p, n->first, n->second);
}

Deformatted deformat(std::string_view picture, std::string_view input) {
  const Picture p = parsePicture(picture);
  const std::string_view in = trim(input);
  Deformatted r;
  switch (p.kind) {
    case PictureKind::Text:
      r.text = std::string(cutChars(input, static_cast<std::size_t>(p.width)));
      return r;
    case PictureKind::Unknown:
      r.text = std::string(input);
      return r;
    default:
      break;
  }
  if (in.empty()) return r;
  switch (p.kind) {
    case PictureKind::Number:
      r = deformatNumber(p, in);
      break;
    case PictureKind::Pattern:
      r = deformatPattern(p, in);
      break;
    case PictureKind::Date:
      r = deformatDate(p, in);
      break;
    case PictureKind::Time:
      r = deformatTime(in);
      break;
    default:
      break;
  }
  r.text = std::string(input);
  return r;
}

}  // namespace qm
