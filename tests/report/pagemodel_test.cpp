#include "runtime/report/pagemodel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using qm::ItemKind;
using qm::Page;
using qm::PageItem;

PageItem item(ItemKind kind, int x, int y, int w, int h, std::string text, int font = 0) {
  PageItem it;
  it.kind = kind;
  it.x = x, it.y = y, it.w = w, it.h = h;
  it.font = font;
  it.text = std::move(text);
  return it;
}

// Page n: every kind, alignment and tick, negative and large numbers, text
// that is not ASCII, and a long text that makes the pages go past memory.
Page sample(int n) {
  Page p;
  p.items.push_back(item(ItemKind::Text, 500, 700, 4000, 250, "Page " + std::to_string(n), 1));
  PageItem right = item(ItemKind::Text, 4500, 700, 1000, 170, "12.50");
  right.align = qm::Align::Right;
  p.items.push_back(right);
  p.items.push_back(item(ItemKind::Line, 0, 450 + n, 6000, -3, ""));
  p.items.push_back(item(ItemKind::Box, -20, 0, 2147483, 1, ""));
  PageItem box = item(ItemKind::CheckBox, 4500, 0, 1500, 170, "Use Now", 2);
  box.checked = n % 2 == 1;
  p.items.push_back(box);
  PageItem img = item(ItemKind::Image, 100, 9000, 2000, 1000, "pic.png");
  img.image = n % 3 - 1;
  p.items.push_back(img);
  p.items.push_back(item(ItemKind::Text, 500, 9500, 0, 0, "Zürich – 東京 " + std::to_string(n)));
  p.items.push_back(
      item(ItemKind::Text, 500, 9700, 7000, 170, std::string(20000 + n, 'a' + n % 26)));
  return p;
}

void expectSame(const Page& got, const Page& want) {
  ASSERT_EQ(got.items.size(), want.items.size());
  for (std::size_t i = 0; i < got.items.size(); ++i) {
    SCOPED_TRACE(i);
    const PageItem& a = got.items[i];
    const PageItem& b = want.items[i];
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(a.align, b.align);
    EXPECT_EQ(a.checked, b.checked);
    EXPECT_EQ(std::vector<int>({a.x, a.y, a.w, a.h, a.font}),
              std::vector<int>({b.x, b.y, b.w, b.h, b.font}));
    EXPECT_EQ(a.kind == ItemKind::Image ? a.image : -1, b.kind == ItemKind::Image ? b.image : -1);
    EXPECT_EQ(a.text, b.text);
  }
}

TEST(PageList, PagesComeBackAsTheyWentInFromMemoryAndFromTheTemporaryFile) {
  constexpr int Pages = 1000;  // about 20 MB of text: most of it goes to the file
  qm::PageList list;
  for (int n = 0; n < Pages; ++n) list.push_back(sample(n));
  ASSERT_EQ(list.size(), static_cast<std::size_t>(Pages));
  EXPECT_GT(list.fileBytes(), 10u << 20);
  EXPECT_LT(list.memoryBytes(), 10u << 20);

  for (int n : {0, 1, 499, Pages - 1, 2}) {
    SCOPED_TRACE(n);
    expectSame(list[static_cast<std::size_t>(n)], sample(n));
  }
  // Every page, in order, as the printer reads them.
  int n = 0;
  for (const Page& p : list) {
    if (n % 97 == 0) expectSame(p, sample(n));
    ++n;
  }
  EXPECT_EQ(n, Pages);
  EXPECT_FALSE(list.failed());
  EXPECT_THROW(list.at(Pages), std::out_of_range);

  // A copy keeps its pages while the first list goes on growing.
  qm::PageList copy = list;
  list.push_back(sample(Pages));
  EXPECT_EQ(copy.size(), static_cast<std::size_t>(Pages));
  expectSame(copy[Pages - 1], sample(Pages - 1));
  expectSame(list[Pages], sample(Pages));
}

TEST(PageList, LookedAtPagesStayPutWhileAFewOthersAreRead) {
  qm::PageList list;
  for (int n = 0; n < 100; ++n) list.push_back(sample(n));
  const PageItem* first = &list[3].items[0];
  for (std::size_t n = 10; n < 10 + qm::PageList::CachedPages - 1; ++n) (void)list[n];
  EXPECT_EQ(first, &list[3].items[0]);
  EXPECT_EQ(first->text, "Page 3");
}

}  // namespace
