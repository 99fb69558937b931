#include "runtime/report/engine.h"

#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <algorithm>
#include <string>
#include <vector>

#include "runtime/report/render.h"
#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/values/picture_locale.h"

namespace {

using qm::Align;
using qm::ItemKind;
using qm::PageItem;
using qm::PageModel;

struct Rec {
  std::string name;
  std::string mark;
};

// Detail bands 1000 high in a 3000 high detail area: three to a page.
qm::ReportLayout threePerPage(const Rec& r) {
  qm::ReportLayout l;
  l.detailArea = {1000, 2000, 6000, 3000};
  l.header = {1000,
              500,
              6000,
              1000,
              {qm::textAt(0, 0, 3000, 200, "Listing"),
               qm::textAt(0, 300, 1000, 170, "Report Date:"), qm::dateStampAt(1000, 300, 1500, 170),
               qm::fieldAt(3000, 300, 2000, 170, [&r] { return r.name; })}};
  l.detail = {0, 0, 0, 1000, {qm::fieldAt(50, 50, 3000, 170, [&r] { return r.name; })}};
  l.footer = {1000, 9000, 6000, 300, {qm::pageNumberAt(5000, 30, 1000, 170)}};
  return l;
}

std::vector<const PageItem*> withText(const PageModel& m, int page, const std::string& text) {
  std::vector<const PageItem*> out;
  for (const auto& it : m.pages[static_cast<std::size_t>(page)].items)
    if (it.text == text) out.push_back(&it);
  return out;
}

class EngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    clock_.day = qm::dayNumber(2024, 3, 5);
    qm::setClock(&clock_);
    qm::setPictureLocale(QLocale(QLocale::English, QLocale::UnitedStates));
  }
  void TearDown() override {
    qm::setClock(nullptr);
    qm::resetPictureLocale();
  }
  qm::FakeClock clock_;
  Rec rec_;
};

TEST_F(EngineTest, NumbersPagesDatesThemAndReadsTheHeaderAsEachPageBegins) {
  qm::ReportEngine e(threePerPage(rec_));
  e.open();
  for (int i = 1; i <= 9; ++i) {
    rec_.name = "rec" + std::to_string(i);
    e.printDetail();
  }
  e.close();
  const PageModel& m = e.model();
  ASSERT_EQ(m.pageCount(), 3);
  for (int p = 0; p < 3; ++p) {
    SCOPED_TRACE(p);
    const auto number = withText(m, p, "Page " + std::to_string(p + 1));
    ASSERT_EQ(number.size(), 1u);
    EXPECT_EQ(number[0]->x, 6000);
    EXPECT_EQ(number[0]->y, 9030);
    const auto date = withText(m, p, "3/5/24");
    ASSERT_EQ(date.size(), 1u);
    EXPECT_EQ(date[0]->x, 2000);
    // The header's field holds the first record of its page.
    EXPECT_EQ(withText(m, p, "rec" + std::to_string(3 * p + 1)).size(), 2u);
  }
  // Details flow down the detail area from its top.
  const auto third = withText(m, 0, "rec3");
  ASSERT_EQ(third.size(), 1u);
  EXPECT_EQ(third[0]->x, 1050);
  EXPECT_EQ(third[0]->y, 2000 + 2 * 1000 + 50);
  EXPECT_EQ(withText(m, 0, qm::DateStampText).size(), 0u);
}

TEST_F(EngineTest, BandThatDoesNotFitTheRestOfThePageStartsTheNext) {
  qm::ReportEngine e(threePerPage(rec_));
  e.open();
  auto band = [](int h, const char* text) {
    return qm::Band{0, 0, 0, h, {qm::textAt(0, 10, 2000, 170, text)}};
  };
  struct Step {
    int height;
    const char* text;
    int page;  // expected page, 0-based
    int y;     // expected page position of its text
  };
  const Step steps[] = {
      {1000, "a", 0, 2010}, {1500, "b", 0, 3010},  // ends at 4500: fits
      {1000, "c", 1, 2010},                        // would end at 5500 > 5000
      {2000, "d", 1, 3010},                        // ends exactly at the bottom: fits
      {5000, "e", 2, 2010},  // taller than a whole page: alone on a fresh page
      {100, "f", 3, 2010},
  };
  for (const auto& s : steps) e.printBand(band(s.height, s.text));
  e.close();
  ASSERT_EQ(e.model().pageCount(), 4);
  for (const auto& s : steps) {
    SCOPED_TRACE(s.text);
    const auto found = withText(e.model(), s.page, s.text);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->y, s.y);
  }
}

TEST_F(EngineTest, ControlsOfEveryKind) {
  qm::ReportLayout l;
  l.detailArea = {500, 500, 7500, 9000};
  const std::string longText(300, 'W');
  const std::string memo =
      "first line\nthe second paragraph is long enough to wrap over several lines of a narrow box "
      "and runs on and on past the height of the box";
  QImage pic(192, 96, QImage::Format_RGB32);  // 2 x 1 inch at 96 dpi
  pic.fill(Qt::red);
  pic.setDotsPerMeterX(3780);
  pic.setDotsPerMeterY(3780);
  ASSERT_TRUE(pic.save("pic.png"));
  std::string mark = "Y";
  std::string image = "pic.png";
  l.detail = {0,
              0,
              0,
              5000,
              {qm::fieldAt(0, 0, 600, 170, [&] { return longText; }),
               qm::fieldAt(0, 200, 600, 170, [] { return "short  "; }),
               qm::fieldAt(
                   0, 400, 1000, 170, [] { return "12.5"; }, "@n10.2", Align::Right),
               qm::checkBoxAt(2000, 0, 1500, 170, "Currently Use", [&] { return mark; }),
               qm::lineAt(0, 600, 5900, 0), qm::boxAt(0, 700, 1000, 500),
               qm::memoAt(0, 1300, 1500, 500, [&] { return memo; }),
               qm::imageAt(3000, 1000, [&] { return image; })}};
  qm::ReportEngine e(l);
  e.open();
  e.printDetail();
  mark = "N";
  image = "missing.png";
  e.printDetail();
  e.close();
  const PageModel& m = e.model();
  ASSERT_EQ(m.pageCount(), 2);
  const auto& first = m.pages[0].items;
  const QFontMetricsF fm(qm::reportFont(m.fonts[0]));

  // Texts are cut to their width, ending in an ellipsis; short ones keep their
  // start and lose trailing blanks.
  const PageItem& cut = first[0];
  EXPECT_LT(cut.text.size(), longText.size());
  EXPECT_GT(cut.text.size(), 0u);
  EXPECT_TRUE(QString::fromStdString(cut.text).endsWith(QChar(0x2026))) << cut.text;
  EXPECT_LE(fm.horizontalAdvance(QString::fromStdString(cut.text)), 600);
  EXPECT_GT(fm.horizontalAdvance(QString::fromStdString(cut.text + "W")), 600);
  EXPECT_EQ(first[1].text, "short");
  EXPECT_EQ(first[2].text, "12.50");
  EXPECT_EQ(first[2].align, Align::Right);

  auto kinds = [](const std::vector<PageItem>& items, ItemKind k) {
    std::vector<const PageItem*> out;
    for (const auto& it : items)
      if (it.kind == k) out.push_back(&it);
    return out;
  };
  ASSERT_EQ(kinds(first, ItemKind::CheckBox).size(), 1u);
  EXPECT_TRUE(kinds(first, ItemKind::CheckBox)[0]->checked);
  EXPECT_EQ(kinds(first, ItemKind::CheckBox)[0]->text, "Currently Use");
  EXPECT_FALSE(kinds(m.pages[1].items, ItemKind::CheckBox)[0]->checked);
  EXPECT_EQ(kinds(first, ItemKind::Line).size(), 1u);
  EXPECT_EQ(kinds(first, ItemKind::Box).size(), 1u);

  // The memo keeps its line end, wraps inside the box and stops at its height.
  std::vector<const PageItem*> memoLines;
  for (const auto& it : first)
    if (it.kind == ItemKind::Text && it.y >= 500 + 1300) memoLines.push_back(&it);
  const int fit = 500 / static_cast<int>(fm.lineSpacing() + 0.5);
  ASSERT_EQ(static_cast<int>(memoLines.size()), fit);
  EXPECT_EQ(memoLines[0]->text, "first line");
  EXPECT_EQ(memoLines[1]->text.rfind("the second", 0), 0u);
  for (const auto* line : memoLines)
    EXPECT_LE(fm.horizontalAdvance(QString::fromStdString(line->text)), 1500);
  // Its last line says that more text did not fit.
  EXPECT_TRUE(QString::fromStdString(memoLines.back()->text).endsWith(QChar(0x2026)))
      << memoLines.back()->text;
  EXPECT_FALSE(QString::fromStdString(memoLines.front()->text).endsWith(QChar(0x2026)));

  // The picture prints at its own size (2 x 1 inch) when the band has room...
  const auto images = kinds(first, ItemKind::Image);
  ASSERT_EQ(images.size(), 1u);
  EXPECT_EQ(images[0]->w, 2000);
  EXPECT_EQ(images[0]->h, 1000);  // room: 4500 x 4000
  ASSERT_EQ(m.images.size(), 1u);
  // ...and a missing file prints nothing.
  EXPECT_TRUE(kinds(m.pages[1].items, ItemKind::Image).empty());
}

TEST_F(EngineTest, PictureLargerThanTheBandIsShrunkToIt) {
  QImage pic(960, 960, QImage::Format_RGB32);  // 10 x 10 inches at 96 dpi
  pic.fill(Qt::blue);
  pic.setDotsPerMeterX(3780);
  pic.setDotsPerMeterY(3780);
  ASSERT_TRUE(pic.save("big.png"));
  qm::ReportLayout l;
  l.detailArea = {1000, 2980, 6000, 6021};
  l.detail = {0, 0, 7188, 5729, {qm::imageAt(510, 2688, [] { return "big.png"; })}};
  qm::ReportEngine e(l);
  e.open();
  e.printDetail();
  e.close();
  const auto& it = e.model().pages[0].items.at(0);
  ASSERT_EQ(it.kind, ItemKind::Image);
  EXPECT_EQ(it.h, 5729 - 2688);
  EXPECT_EQ(it.w, it.h);
}

TEST_F(EngineTest, NothingPrintedMeansNoPages) {
  qm::ReportEngine e(threePerPage(rec_));
  e.open();
  e.close();
  EXPECT_EQ(e.model().pageCount(), 0);
}

}  // namespace
