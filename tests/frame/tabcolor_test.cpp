#include "appkit/tabcolor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

using namespace qm;

namespace {

const QColor kCream(248, 245, 222), kKhaki(231, 220, 143), kRed(255, 0, 0), kBlue(0, 0, 255);

// A window with sheet A (three tabs) whose second tab holds sheet B (two tabs).
struct TwoSheets {
  QWidget window;
  QTabWidget* a;
  QTabWidget* b;
  TwoSheets() {
    auto* layout = new QVBoxLayout(&window);
    a = new QTabWidget;
    layout->addWidget(a);
    a->addTab(new QWidget, "General");
    auto* holder = new QWidget;
    b = new QTabWidget(holder);
    b->addTab(new QWidget, "Inner one");
    b->addTab(new QWidget, "Inner two");
    a->addTab(holder, "Detail");
    a->addTab(new QWidget, "Notes");
    a->setCurrentIndex(1);
    window.resize(420, 300);
    window.show();
  }
};

QColor backgroundOf(QTabBar* bar, int index) {
  const QImage shot = bar->grab().toImage();
  const QRect r = bar->tabRect(index);
  return shot.pixelColor(r.left() + 4, r.center().y() + 1);  // beside the text
}

}  // namespace

TEST(TabColor, WindowsColourValuesKeepRedInTheLowByte) {
  const struct {
    uint32_t value;
    QColor colour;
  } cases[] = {{0xDEF5F8, kCream}, {0x0000FF, kRed}, {0x8FDCE7, kKhaki}, {0xFF0000, kBlue}};
  for (const auto& c : cases) EXPECT_EQ(fromWindowsColor(c.value), c.colour) << std::hex << c.value;
}

TEST(TabColor, WindowWithoutSheetsIsLeftAlone) {
  QWidget window;
  auto* edit = new QLineEdit(&window);
  window.show();
  TabColorClass tc;
  tc.createStandard(&window);
  tc.colour();
  EXPECT_TRUE(tc.TABQ.empty());
  EXPECT_TRUE(tc.CHILDQ.empty());
  EXPECT_EQ(edit->style(), window.style());
}

TEST(TabColor, CollectsEveryTabWithItsSheets) {
  TwoSheets w;
  TabColorClass tc;
  tc.createStandard(&w.window);
  ASSERT_EQ(tc.TABQ.size(), 5u);
  EXPECT_EQ(tc.TABQ[0].PARENTFEQ, w.a);
  EXPECT_EQ(tc.TABQ[0].GRANDPARENTFEQ, nullptr);
  EXPECT_EQ(tc.TABQ[3].PARENTFEQ, w.b);
  EXPECT_EQ(tc.TABQ[3].GRANDPARENTFEQ, w.a);
  EXPECT_EQ(tc.TABQ[3].FEQ, w.b->widget(0));
  EXPECT_TRUE(tc.CHILDQ.empty());
  EXPECT_EQ(tc.SELTEXTCOL, 0x0000FFu);
  tc.release();
  EXPECT_TRUE(tc.TABQ.empty());
}

TEST(TabColor, EachSheetPaintsItsOwnSelectedTab) {
  TwoSheets w;
  TabColorClass tc;
  tc.createStandard(&w.window);
  tc.colour();
  QTabBar* a = w.a->tabBar();
  QTabBar* b = w.b->tabBar();
  const struct {
    QTabBar* bar;
    int index;
    bool selected;
  } tabs[] = {{a, 0, false}, {a, 1, true}, {a, 2, false}, {b, 0, true}, {b, 1, false}};
  for (const auto& t : tabs) {
    EXPECT_EQ(t.bar->tabTextColor(t.index), t.selected ? kRed : kBlue) << t.index;
    EXPECT_EQ(tabFontWeight(t.bar, t.index), t.selected ? 956 : 0) << t.index;
    EXPECT_EQ(backgroundOf(t.bar, t.index), t.selected ? kCream : kKhaki) << t.index;
  }
}

TEST(TabColor, BoldWeightArithmetic) {
  TwoSheets w;
  TabColorClass tc;
  tc.createStandard(&w.window);
  QTabBar* a = w.a->tabBar();
  EXPECT_EQ(tabFontWeight(a, 1), 400);  // before any colouring
  tc.colour();
  EXPECT_EQ(tabFontWeight(a, 1), 956);  // 400 | 700
  w.a->setCurrentIndex(2);              // a change of tab colours again
  EXPECT_EQ(tabFontWeight(a, 1), 512);  // 956 & ~444
  EXPECT_EQ(tabFontWeight(a, 2), 700);  // 0 | 700
  EXPECT_EQ(a->tabTextColor(2), kRed);
  w.a->setCurrentIndex(1);
  EXPECT_EQ(tabFontWeight(a, 1), 700);  // 512 | 700
  tc.colour();                          // colouring twice changes nothing
  EXPECT_EQ(tabFontWeight(a, 1), 700);
  EXPECT_EQ(tabFontWeight(a, 2), 512);
  EXPECT_EQ(tabFontWeight(w.b->tabBar(), 0), 956);  // the inner sheet kept its own
}

TEST(TabColor, ChoosingATabWidensNoTab) {
  TwoSheets w;
  TabColorClass tc;
  tc.createStandard(&w.window);
  tc.colour();
  QTabBar* a = w.a->tabBar();
  const int wide = a->sizeHint().width();
  for (int i : {0, 2, 1}) {
    w.a->setCurrentIndex(i);
    QApplication::processEvents();
    EXPECT_EQ(a->sizeHint().width(), wide) << i;
  }
}
