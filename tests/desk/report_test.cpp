// The notes report and the reminder list's print, checked on their pages.
#include "desk/notesreport.h"
#include "deskfixture.h"
#include "runtime/report/preview.h"

using namespace qm;
using namespace desktest;

namespace {

struct Reports : DeskTest {
  std::vector<PageModel> previews;
  void SetUp() override {
    DeskTest::SetUp();
    setPreviewOpener([this](std::shared_ptr<const PageModel> pages, std::function<void()> closed) {
      previews.push_back(*pages);
      closed();
    });
  }
  void TearDown() override {
    setPreviewOpener({});
    DeskTest::TearDown();
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> all;
    for (const PageModel& m : previews)
      for (size_t p = 0; p < m.pages.size(); ++p)
        for (auto& t : m.texts(static_cast<int>(p))) all.push_back(t);
    return all;
  }
  int indexOf(const std::string& text) const {
    auto t = texts();
    for (size_t i = 0; i < t.size(); ++i)
      if (t[i] == text) return static_cast<int>(i);
    return -1;
  }
  // Opens the reminder list, presses its Print and lets the report run to
  // its preview or its message.
  WindowProcedure* printFromReminderList(int& th) {
    th = startNamedProcedure("notice", 0);
    pump();
    WindowProcedure* n = topProcedure(th);
    if (!n) return nullptr;
    press(n, "&Print");
    for (int i = 0;
         i < 200 && (topProcedure(th) != n || (previews.empty() && answers.asked.empty())); ++i) {
      clock.advance(1);
      pump();
    }
    return n;
  }
  int runPrintnote() {
    int response = -1;
    const int th = startProcedure("test", 0, [&]() -> std::unique_ptr<WindowProcedure> {
      return std::make_unique<qm::desk::PrintNote>();
    });
    for (int i = 0; i < 200 && threadRunning(th); ++i) {
      clock.advance(1);
      pump();
    }
    response = ResponseCode;
    return response;
  }
};

TEST_F(Reports, NotesPrintEveryNoteByDateThenTopic) {
  note("Zulu", "N", kToday);
  note("Later", "Y", kToday + 3);
  note("Alpha", "", kToday);
  note("First", "Y", kToday - 9);
  EXPECT_EQ(runPrintnote(), RequestCompleted);
  ASSERT_EQ(previews.size(), 1u);
  EXPECT_NE(indexOf("Quillmark Notes"), -1);
  const int first = indexOf("First"), alpha = indexOf("Alpha"), zulu = indexOf("Zulu"),
            later = indexOf("Later");
  ASSERT_NE(first, -1);
  EXPECT_LT(first, alpha);
  EXPECT_LT(alpha, zulu);
  EXPECT_LT(zulu, later);
  int ticked = 0;
  for (const Page& p : previews[0].pages)
    for (const PageItem& it : p.items)
      if (it.kind == ItemKind::CheckBox && it.checked) ++ticked;
  EXPECT_EQ(ticked, 2);
}

TEST_F(Reports, NoNotesShowNoRecordsAndNoPreview) {
  EXPECT_EQ(runPrintnote(), RequestCancelled);
  EXPECT_TRUE(previews.empty());
  EXPECT_EQ(captions(), (std::vector<std::string>{"No Records"}));
}

TEST_F(Reports, ReminderListPrintsTheRenewalReport) {
  domain("due.com", kToday + 2);
  domain("late.com", kToday + 40);
  int th = 0;
  WindowProcedure* n = printFromReminderList(th);
  ASSERT_NE(n, nullptr);
  ASSERT_EQ(previews.size(), 1u);
  EXPECT_NE(indexOf("due.com"), -1);
  EXPECT_EQ(indexOf("late.com"), -1);
  EXPECT_EQ(topProcedure(th), n);  // the list stays open
}

TEST_F(Reports, ReminderListWithNothingDuePrintsNoRecords) {
  domain("late.com", kToday + 40);
  int th = 0;
  WindowProcedure* n = printFromReminderList(th);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(captions(), (std::vector<std::string>{"No Records"}));
  EXPECT_TRUE(previews.empty());
  EXPECT_EQ(topProcedure(th), n);  // the list stays open
}

}  // namespace
