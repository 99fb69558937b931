#include "runtime/ui/layoutcheck.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionTitleBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <cmath>

#include "runtime/report/engine.h"
#include "runtime/report/render.h"
#include "runtime/ui/window.h"
#include "runtime/values/date.h"
#include "runtime/values/picture.h"

namespace qm {

QString mnemonicFree(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

bool hasMnemonic(const QString& t) {
  for (qsizetype i = 0; i + 1 < t.size(); ++i)
    if (t[i] == '&') {
      if (!t[i + 1].isSpace()) return true;
      ++i;
    }
  return false;
}

namespace {

int widest(const QFontMetrics& fm, const QString& text) {
  int w = 0;
  for (const QString& line : text.split('\n')) w = std::max(w, fm.horizontalAdvance(line));
  return w;
}

// A label's shown text: with a buddy its mnemonics are processed, else the
// text is drawn as it stands.
QString labelText(const QLabel* l) { return l->buddy() ? mnemonicFree(l->text()) : l->text(); }

// The rectangle a label's text takes, in the label's parent.
QRect labelTextRect(const QLabel* l) {
  const QRect cr = l->contentsRect();
  const QFontMetrics fm(l->font());
  QRect r = fm.boundingRect(cr, int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0),
                            labelText(l));
  return r.intersected(cr).translated(l->pos());
}

std::string name(const Control& c) {
  std::string s = c.id().empty() ? "control " + std::to_string(c.number()) : c.id();
  if (!c.def().text.empty()) s += " \"" + c.def().text + "\"";
  return s;
}

bool shows(const Control& c) {
  return c.widget() && !c.def().hidden && c.kind() != Kind::Region && c.kind() != Kind::Tab;
}

// The outline of a control in its parent, with a list's bar.
QRect outline(const Control& c) {
  QRect r = c.widget()->geometry();
  if (c.scrollBar()) r = r.united(c.scrollBar()->geometry());
  return r;
}

// Where a control's own text lies in its parent (empty when it has none).
QRect textArea(const Control& c) {
  QWidget* w = c.widget();
  if (auto* l = qobject_cast<QLabel*>(w)) {
    if (c.kind() != Kind::Prompt || l->text().isEmpty()) return {};
    return labelTextRect(l);
  }
  if (auto* g = qobject_cast<QGroupBox*>(w)) {
    if (g->title().isEmpty()) return {};
    const QFontMetrics fm(g->font());
    return QRect(g->x(), g->y(),
                 std::min(g->width(), fm.horizontalAdvance(mnemonicFree(g->title())) + 16),
                 fm.height());
  }
  if (auto* b = qobject_cast<QAbstractButton*>(w))
    return b->text().isEmpty() ? QRect() : b->geometry();
  return {};
}

// The whole digits a number field holds.
int fieldDigits(const std::optional<Binding>& b) {
  if (!b || !b->type) return 20;
  switch (*b->type) {
    case FieldType::Decimal42:
      return 5;
    case FieldType::Int2:
      return 5;
    case FieldType::Int4:
      return 10;
    case FieldType::UInt1:
      return 3;
    default:
      return 20;
  }
}

// The list's columns as shown, or as defined while no procedure fills it.
void checkHeaders(const Control& c, const Window& win, std::vector<std::string>& out) {
  const DialogUnits& units = win.units();
  auto* t = qobject_cast<QTableView*>(c.widget());
  if (!t) return;
  QHeaderView* h = t->horizontalHeader();
  const QFontMetrics fm(h->font());
  const int margin = 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
  const int count = t->model() ? h->count() : static_cast<int>(c.def().columns.size());
  for (int i = 0; i < count; ++i) {
    QString text;
    int width = 0;
    if (t->model()) {
      if (h->isSectionHidden(i)) continue;
      text = t->model()->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
      width = h->sectionSize(i);
    } else {
      text = QString::fromStdString(c.def().columns[static_cast<size_t>(i)].header);
      width = units.x(c.def().columns[static_cast<size_t>(i)].width);
    }
    if (!text.isEmpty()) {
      const int need = widest(fm, text) + margin;
      if (need > width)
        out.push_back(name(c) + ": column header \"" + text.toStdString() + "\" needs " +
                      std::to_string(need) + " px, has " + std::to_string(width));
    }
    // The widest value the column's picture writes, with its indent, in a cell.
    if (i >= static_cast<int>(c.def().columns.size())) continue;
    const ColumnDef& col = c.def().columns[static_cast<size_t>(i)];
    if (!fixedForm(col.picture)) continue;
    const QFontMetrics cell(t->font());
    const std::string value = widestShown(
        col.picture,
        [&](const std::string& v) { return cell.horizontalAdvance(QString::fromStdString(v)); },
        fieldDigits(win.binding(col.field)));
    const QString pad(col.justify == Justify::Center || col.indent <= 0 ? 0 : col.indent / 2,
                      QLatin1Char(' '));
    const int cellMargin =
        2 * (t->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, t) + 1);
    const int need = cell.horizontalAdvance(pad + QString::fromStdString(value)) + cellMargin +
                     (t->showGrid() ? 1 : 0);
    if (need > width)
      out.push_back(name(c) + ": column \"" + text.toStdString() + "\" value \"" + value +
                    "\" needs " + std::to_string(need) + " px, has " + std::to_string(width));
  }
  if (t->wordWrap()) out.push_back(name(c) + ": list rows wrap their text");
}

// What a control prints when its value is the given raw text: the page item
// the engine lays out for it alone.
std::string printed(const ReportLayout& layout, ReportControl c, std::string raw) {
  ReportLayout one;
  one.font = layout.font;
  c.x = c.y = 0;
  c.value = [raw = std::move(raw)] { return raw; };
  one.detail.controls.push_back(std::move(c));
  one.detail.h = 1;
  ReportEngine e(std::move(one));
  e.open();
  e.printDetail();
  e.close();
  const Page& page = e.model().pages.at(0);
  return page.items.empty() ? std::string() : page.items.front().text;
}

void checkBand(const ReportLayout& layout, const Band& band, const std::string& where,
               std::vector<std::string>& out) {
  for (const ReportControl& c : band.controls) {
    if (c.kind != ControlKind::Text && c.kind != ControlKind::CheckBox) continue;
    const QFontMetricsF fm(reportFont(c.font.value_or(layout.font)));
    const auto width = [&](const std::string& v) { return fm.horizontalAdvance(toQString(v)); };
    std::string shown, what = "text";
    bool whole = true;
    if (c.kind == ControlKind::CheckBox) {
      if (c.text.empty()) continue;
      shown = c.text, what = "caption";
    } else if (c.pageNumber) {
      for (int page : {9, 99, 999, 9999})
        if (const std::string t = controlText(c, page); width(t) > width(shown)) shown = t;
      what = "page number";
    } else if (!c.value) {
      if (c.text == DateStampText)
        shown = widestShown(DateStampPicture, width), what = "date stamp";
      else
        shown = c.text;
    } else {
      if (c.picture.empty()) continue;  // a free text of no known length
      shown = widestShown(c.picture, width), what = "value", whole = fixedForm(c.picture);
    }
    if (shown.empty()) continue;
    const int offset = c.kind == ControlKind::CheckBox ? CheckSide + CheckGap : 0;
    const int room = c.w > 0 ? c.w - offset : band.w - c.x - offset;
    const int need = static_cast<int>(std::ceil(width(shown)));
    const std::string at = where + " at " + std::to_string(c.x) + "," + std::to_string(c.y) + ": " +
                           what + " \"" + shown.substr(0, 40) + (shown.size() > 40 ? "..." : "") +
                           "\"";
    if (band.w > 0 && c.x + std::max(c.w, 0) > band.w)
      out.push_back(at + " lies past the band's right edge (" + std::to_string(band.w) + ")");
    if (need <= room || (c.w <= 0 && band.w <= 0)) continue;
    if (whole) {
      out.push_back(at + " needs " + std::to_string(need) + ", has " + std::to_string(room));
      continue;
    }
    // A longer text than its place holds shows it is cut.
    const QString cut = toQString(printed(layout, c, formatAny(c.picture, std::string(shown))));
    if (!cut.endsWith(QChar(0x2026)) || fm.horizontalAdvance(cut) > room + 0.5)
      out.push_back(at + " is cut without an ellipsis to \"" + cut.left(40).toStdString() + "\"");
  }
}

}  // namespace

bool fixedForm(std::string_view picture) {
  const PictureKind k = pictureKind(picture);
  return k == PictureKind::Number || k == PictureKind::Date || k == PictureKind::Time ||
         k == PictureKind::Pattern;
}

std::string widestShown(std::string_view picture,
                        const std::function<double(const std::string&)>& width, int digits) {
  std::vector<std::string> tries;
  switch (pictureKind(picture)) {
    case PictureKind::Date:
      // A week of days in each month gives every month and weekday name.
      for (int m = 1; m <= 12; ++m)
        for (int d = 22; d <= 28; ++d) tries.push_back(formatDate(picture, dayNumber(2028, m, d)));
      break;
    case PictureKind::Time:
      for (int h = 0; h < 24; ++h) tries.push_back(formatTime(picture, timeOf(h, 58, 58)));
      break;
    case PictureKind::Number:
    case PictureKind::Pattern:
      for (int d = 1; d <= digits; ++d) {
        const std::string n(static_cast<size_t>(d), '8');
        tries.push_back(formatAny(picture, n + ".88"));
        tries.push_back(formatAny(picture, "-" + n + ".88"));
      }
      break;
    case PictureKind::Text:
      tries.push_back(formatText(picture, std::string(1000, 'W')));
      break;
    case PictureKind::Unknown:
      break;
  }
  std::string best;
  double most = -1;
  for (std::string& t : tries) {
    if (t.find('#') != std::string::npos && pictureKind(picture) == PictureKind::Number)
      continue;  // overflow
    const auto b = t.find_first_not_of(' ');
    t = b == std::string::npos ? std::string() : t.substr(b, t.find_last_not_of(' ') - b + 1);
    if (const double w = width(t); w > most) best = t, most = w;
  }
  return best;
}

std::vector<std::string> reportFaults(const ReportLayout& layout) {
  std::vector<std::string> out;
  checkBand(layout, layout.header, "page header", out);
  checkBand(layout, layout.detail, "detail", out);
  checkBand(layout, layout.footer, "page footer", out);
  return out;
}

int textNeeds(const QWidget* w) {
  if (auto* l = qobject_cast<const QLabel*>(w)) {
    if (l->text().isEmpty() || l->wordWrap()) return 0;
    const QMargins m = l->contentsMargins();
    return widest(QFontMetrics(l->font()), labelText(l)) + m.left() + m.right() + 2 * l->margin();
  }
  if (auto* b = qobject_cast<const QPushButton*>(w)) {
    if (b->text().isEmpty()) return 0;
    int need = widest(QFontMetrics(b->font()), mnemonicFree(b->text()));
    if (!b->icon().isNull()) need += b->iconSize().width() + 4;
    return need + 2 * b->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b) + 6;
  }
  if (auto* b = qobject_cast<const QAbstractButton*>(w)) {  // check boxes, radios
    if (b->text().isEmpty()) return 0;
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.rect = QRect(0, 0, 1000, b->height());
    const bool radio = qobject_cast<const QRadioButton*>(w);
    const QRect text = b->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &opt, b);
    return text.x() + widest(QFontMetrics(b->font()), mnemonicFree(b->text())) + 2;
  }
  if (auto* g = qobject_cast<const QGroupBox*>(w)) {
    if (g->title().isEmpty()) return 0;
    return widest(QFontMetrics(g->font()), mnemonicFree(g->title())) + 16;
  }
  return 0;
}

std::vector<std::string> layoutFaults(const Window& win) {
  std::vector<std::string> out;
  const auto& controls = win.controls();
  for (const auto& cp : controls) {
    const Control& c = *cp;
    if (!shows(c)) continue;
    QWidget* w = c.widget();
    // The whole text in its control.
    if (c.kind() == Kind::Prompt || c.kind() == Kind::Button || c.kind() == Kind::Check ||
        c.kind() == Kind::Radio || c.kind() == Kind::Group || c.kind() == Kind::Option) {
      const int need = textNeeds(w);
      if (need > w->width())
        out.push_back(name(c) + ": text needs " + std::to_string(need) + " px, has " +
                      std::to_string(w->width()));
      if (auto* l = qobject_cast<QLabel*>(w); l && !l->text().isEmpty()) {
        const QRect cr = l->contentsRect();
        const QFontMetrics fm(l->font());
        const QRect r = fm.boundingRect(
            QRect(0, 0, cr.width(), 100000),
            int(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0), labelText(l));
        if (r.height() > cr.height() + 1)
          out.push_back(name(c) + ": text needs " + std::to_string(r.height()) +
                        " px of height, has " + std::to_string(cr.height()));
        if (l->wordWrap() && r.width() > cr.width())
          out.push_back(name(c) + ": a word of the text is wider than its " +
                        std::to_string(cr.width()) + " px");
        if (!l->buddy() && l->textFormat() != Qt::RichText && hasMnemonic(l->text()))
          out.push_back(name(c) + ": shows a literal \"&\"");
      }
    }
    if (auto* sheet = qobject_cast<QTabWidget*>(w)) {
      // The bar's hint is the width of all its tabs side by side.
      const int need = sheet->tabBar()->sizeHint().width();
      if (need > sheet->width())
        out.push_back(name(c) + ": tabs need " + std::to_string(need) + " px, have " +
                      std::to_string(sheet->width()));
    }
    checkHeaders(c, win, out);
    // Inside the window (or the group or tab it lies on).
    if (QWidget* parent = w->parentWidget()) {
      // A tab's page not on top keeps its first size: its room is the sheet's.
      QRect room = parent->rect();
      if (auto* stack = qobject_cast<QStackedWidget*>(parent->parentWidget()))
        room = QRect(QPoint(), stack->size());
      if (!room.contains(outline(c)))
        out.push_back(name(c) + ": lies outside its " +
                      (parent == win.content() ? "window" : "container"));
    }
  }
  // Nothing over another control's text.
  for (const auto& ap : controls) {
    const Control& a = *ap;
    if (!shows(a)) continue;
    const QRect text = textArea(a);
    if (text.isEmpty()) continue;
    for (const auto& bp : controls) {
      const Control& b = *bp;
      if (&a == &b || !shows(b) || b.widget()->parentWidget() != a.widget()->parentWidget())
        continue;
      if (b.kind() == Kind::Group || b.kind() == Kind::Option || b.kind() == Kind::Sheet) {
        if (a.kind() == Kind::Group || a.kind() == Kind::Option) continue;
        // A group's frame may hold controls given without it as their parent; only its caption
        // matters.
        if (!textArea(b).intersects(text)) continue;
      } else if (!outline(b).intersected(text).isValid()) {
        continue;
      }
      const QRect both = outline(b).intersected(text);
      if (both.width() > 1 && both.height() > 1)
        out.push_back(name(b) + ": lies over the text of " + name(a));
    }
  }
  return out;
}

std::vector<std::string> frameFaults(const QWidget* outer) {
  std::vector<std::string> out;
  if (!outer) return out;
  const QString title = outer->windowTitle();
  // A title window without a title bar has no title to show.
  if (outer->isWindow() && (outer->windowFlags() & Qt::FramelessWindowHint)) return out;
  if (title.trimmed().isEmpty()) out.push_back("the window has no title");
  auto* sub = qobject_cast<const QMdiSubWindow*>(outer);
  if (!sub) return out;
  // The title between the icon and the buttons, in the title bar's bold font.
  QStyleOptionTitleBar opt;
  opt.initFrom(sub);
  opt.text = title;
  opt.icon = sub->windowIcon();
  opt.titleBarFlags = sub->windowFlags();
  opt.subControls = QStyle::SC_All;
  opt.rect =
      QRect(0, 0, sub->width(), sub->style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, sub));
  const QRect label =
      sub->style()->subControlRect(QStyle::CC_TitleBar, &opt, QStyle::SC_TitleBarLabel, sub);
  QFont f = QApplication::font("QMdiSubWindowTitleBar");
  f.setBold(true);
  const int need = QFontMetrics(f).horizontalAdvance(title);
  if (need > label.width())
    out.push_back("the title needs " + std::to_string(need) + " px, has " +
                  std::to_string(label.width()));
  if (QMdiArea* area = sub->mdiArea()) {
    const QRect room = area->viewport()->rect();
    if (!room.contains(sub->geometry()))
      out.push_back("the window (" + std::to_string(sub->width()) + "x" +
                    std::to_string(sub->height()) + ") lies partly outside its frame's area (" +
                    std::to_string(room.width()) + "x" + std::to_string(room.height()) + ")");
  }
  return out;
}

}  // namespace qm
