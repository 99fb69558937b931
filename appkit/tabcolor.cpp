#include "appkit/tabcolor.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QVariant>
#include <algorithm>

namespace qm {
namespace {

constexpr const char* kPaintProperty = "qmTabPaint";
constexpr const char* kBoldRoomProperty = "qmTabBoldRoom";
constexpr int kRegularWeight = 400;

struct TabPaint {
  QColor background;
  int weight = kRegularWeight;
};

// Per-tab paint state kept on the bar, one entry per tab index.
std::vector<TabPaint> readPaint(const QTabBar* bar) {
  std::vector<TabPaint> out;
  const QVariantList list = bar->property(kPaintProperty).toList();
  for (const QVariant& v : list) {
    const QVariantList pair = v.toList();
    TabPaint t;
    if (pair.size() == 2) {
      t.background = pair[0].value<QColor>();
      t.weight = pair[1].toInt();
    }
    out.push_back(t);
  }
  return out;
}

void writePaint(QTabBar* bar, const std::vector<TabPaint>& paint) {
  QVariantList list;
  for (const TabPaint& t : paint) list.push_back(QVariantList{t.background, t.weight});
  bar->setProperty(kPaintProperty, list);
}

const TabPaint* paintOf(const QWidget* w, int index, std::vector<TabPaint>& holder) {
  const auto* bar = qobject_cast<const QTabBar*>(w);
  if (!bar || index < 0) return nullptr;
  holder = readPaint(bar);
  return index < static_cast<int>(holder.size()) ? &holder[static_cast<std::size_t>(index)]
                                                 : nullptr;
}

QFont::Weight drawnWeight(int value) {
  if (value <= 0) return QFont::Normal;
  return static_cast<QFont::Weight>(std::clamp(value, 1, 1000));
}

// Draws a tab's own background and font weight; everything else as the
// application's style does.
class TabPaintStyle : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    std::vector<TabPaint> holder;
    const TabPaint* paint = tab ? paintOf(widget, tab->tabIndex, holder) : nullptr;
    if (paint && element == CE_TabBarTabShape) {
      QProxyStyle::drawControl(element, option, painter, widget);
      if (paint->background.isValid()) {
        painter->save();
        painter->fillRect(tab->rect.adjusted(2, 2, -2, tab->state & State_Selected ? 0 : -1),
                          paint->background);
        painter->restore();
      }
      return;
    }
    if (paint && element == CE_TabBarTabLabel) {
      painter->save();
      QFont f = painter->font();
      f.setWeight(drawnWeight(paint->weight));
      painter->setFont(f);
      QProxyStyle::drawControl(element, option, painter, widget);
      painter->restore();
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
    std::vector<TabPaint> holder;
    const TabPaint* paint = tab ? paintOf(widget, tab->tabIndex, holder) : nullptr;
    if (type == CT_TabBarTab && paint && widget) {
      // Heavier text is wider: make room so it is not cut. A tab that turns
      // bold when chosen has that room always, so choosing a tab moves none.
      int weight = paint->weight;
      if (widget->property(kBoldRoomProperty).toBool()) weight = std::max(weight, weight | 700);
      QFont heavy = widget->font();
      heavy.setWeight(drawnWeight(weight));
      const int extra = QFontMetrics(heavy).horizontalAdvance(tab->text) -
                        QFontMetrics(widget->font()).horizontalAdvance(tab->text);
      if (extra > 0) s.rwidth() += extra;
    }
    return s;
  }
};

// The program-wide switch that lets tab colours be drawn.
TabPaintStyle* tabPaintStyle() {
  static TabPaintStyle* style = [] {
    auto* s = new TabPaintStyle;
    s->setParent(qApp);
    return s;
  }();
  return style;
}

QTabWidget* enclosingSheet(QWidget* sheet, QWidget* window) {
  for (QWidget* w = sheet->parentWidget(); w && w != window; w = w->parentWidget())
    if (auto* t = qobject_cast<QTabWidget*>(w)) return t;
  return nullptr;
}

}  // namespace

QColor fromWindowsColor(uint32_t value) {
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

int tabFontWeight(const QTabBar* bar, int index) {
  std::vector<TabPaint> holder;
  const TabPaint* p = paintOf(bar, index, holder);
  return p ? p->weight : kRegularWeight;
}

void TabColorClass::create(QWidget* window, uint32_t selTabCol, uint32_t selTextCol,
                           int boldSelected, uint32_t unselTabCol, uint32_t unselTextCol,
                           int noWizard, int inclChild) {
  release();
  SELTABCOL = selTabCol;
  SELTEXTCOL = selTextCol;
  BOLDSELECTED = boldSelected;
  UNSELTABCOL = unselTabCol;
  UNSELTEXTCOL = unselTextCol;
  NOWIZARD = noWizard;
  INCLCHILD = inclChild;
  window_ = window;
  if (!window) return;
  // Every tab lies on a sheet, so no tab is skipped as lying on the window, and
  // the second list, meant for controls on tabs of an enclosing sheet, stays empty.
  for (QTabWidget* sheet : window->findChildren<QTabWidget*>()) {
    QTabWidget* grand = enclosingSheet(sheet, window);
    for (int i = 0; i < sheet->count(); ++i) TABQ.push_back({sheet->widget(i), sheet, grand});
    QTabBar* bar = sheet->tabBar();
    if (bar->style() != tabPaintStyle()) bar->setStyle(tabPaintStyle());
    connections_.push_back(
        QObject::connect(sheet, &QTabWidget::currentChanged, sheet, [this] { colour(); }));
  }
}

void TabColorClass::createStandard(QWidget* window) {
  create(window, 0xDEF5F8, 0x0000FF, 1, 0x8FDCE7, 0xFF0000, 0, 1);
}

bool TabColorClass::isWizard(const QTabWidget* sheet) { return sheet->property("wizard").toBool(); }

void TabColorClass::paint(const TabRow& row, bool selected, bool bold) {
  QTabWidget* sheet = row.PARENTFEQ;
  const int index = sheet->indexOf(row.FEQ);
  if (index < 0) return;
  QTabBar* bar = sheet->tabBar();
  std::vector<TabPaint> paint = readPaint(bar);
  if (static_cast<int>(paint.size()) < bar->count())
    paint.resize(static_cast<std::size_t>(bar->count()));
  TabPaint& t = paint[static_cast<std::size_t>(index)];
  t.background = fromWindowsColor(selected ? SELTABCOL : UNSELTABCOL);
  if (bold) t.weight = selected ? (t.weight | 700) : (t.weight & ~444);
  if (bold) bar->setProperty(kBoldRoomProperty, true);
  writePaint(bar, paint);
  bar->setTabTextColor(index, fromWindowsColor(selected ? SELTEXTCOL : UNSELTEXTCOL));
  bar->setTabText(index, bar->tabText(index));  // redraws the tab
  bar->update();
}

void TabColorClass::colour() {
  if (TABQ.empty()) return;
  for (const TabRow& row : TABQ) {
    if (!row.FEQ || !row.PARENTFEQ) continue;
    if (NOWIZARD && isWizard(row.PARENTFEQ)) continue;
    paint(row, row.PARENTFEQ->currentWidget() == row.FEQ, BOLDSELECTED != 0);
  }
  if (window_) window_->update();
}

void TabColorClass::release() {
  for (const auto& c : connections_) QObject::disconnect(c);
  connections_.clear();
  TABQ.clear();
  CHILDQ.clear();
  window_ = nullptr;
}

}  // namespace qm
