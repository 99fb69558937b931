#include "runtime/config/errors.h"

#include <gtest/gtest.h>

#include "runtime/config/messages.h"

using namespace qm;

namespace {

class ErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    answers.install();
    reporter.setExitFunction([this](int code) { exitCodes.push_back(code); });
    reporter.setFatalHandler([this] { ++shutdowns; });
  }
  ScriptedAnswerer answers;
  ErrorReporter reporter;
  std::vector<int> exitCodes;
  int shutdowns = 0;
};

}  // namespace

TEST(ErrorTable, HoldsTheFortyEntriesWithTheirLevels) {
  const auto& t = errorTable();
  ASSERT_EQ(t.size(), 40u);
  for (size_t i = 1; i < t.size(); ++i) EXPECT_LT(t[i - 1].id, t[i].id);
  EXPECT_EQ(t.front().id, 1);
  EXPECT_EQ(t.back().id, 41);
  ErrorReporter r;
  EXPECT_EQ(r.entry(29), nullptr);
  struct Case {
    int id;
    Level level;
    const char* title;
  } cases[] = {
      {3, Level::User, "Record Added"},           {10, Level::Fatal, "File Creation Error"},
      {13, Level::Notify, "Duplicate Key Error"}, {39, Level::Program, "File Usage Error"},
      {40, Level::Notify, "View Open Error"},     {41, Level::Notify, "Unsupported QBE Column"}};
  for (const Case& c : cases) {
    ASSERT_NE(r.entry(c.id), nullptr) << c.id;
    EXPECT_EQ(r.entry(c.id)->level, c.level) << c.id;
    EXPECT_STREQ(r.entry(c.id)->title, c.title) << c.id;
  }
  EXPECT_STREQ(
      r.entry(1)->text,
      "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
      "previous window.");
}

TEST_F(ErrorsTest, UserLevelAsksYesNoAndMapsTheAnswer) {
  struct Case {
    std::deque<int> replies;
    int expected;
  } cases[] = {{{BtnYes}, 0}, {{BtnNo}, 4}, {{}, 0}};
  for (const Case& c : cases) {
    answers.asked.clear();
    answers.replies = c.replies;
    EXPECT_EQ(reporter.raise(9), c.expected);
    ASSERT_EQ(answers.asked.size(), 1u);
    const MessageRequest& q = answers.asked[0];
    EXPECT_EQ(q.caption, "Confirm Delete");
    EXPECT_EQ(q.text, "Are you sure you want to delete the highlighted record?");
    EXPECT_EQ(q.icon, MsgIcon::Exclamation);
    EXPECT_EQ(q.buttons, BtnYes | BtnNo);
    EXPECT_EQ(q.defaultButton, BtnYes);
  }
  EXPECT_EQ(shutdowns, 0);
}

TEST_F(ErrorsTest, NotifyShowsInformationWithPlaceholdersPutIn) {
  EXPECT_EQ(reporter.raise(13, {.message = "DOM:name (Domain Name)"}), 5);
  EXPECT_EQ(reporter.raise(1, {.file = "Domains", .errorText = "Record Not Found"}), 5);
  EXPECT_EQ(reporter.raise(15, {.message = "Y,N", .field = "WEB:USENOW"}), 5);
  ASSERT_EQ(answers.asked.size(), 3u);
  EXPECT_EQ(answers.asked[0].caption, "Duplicate Key Error");
  EXPECT_EQ(answers.asked[0].text,
            "Adding this record creates a duplicate entry for the key: DOM:name (Domain Name)");
  EXPECT_EQ(answers.asked[0].icon, MsgIcon::Information);
  EXPECT_EQ(answers.asked[0].buttons, BtnOk);
  EXPECT_EQ(answers.asked[1].text,
            "Error: (Record Not Found) attempting to access a record from the Domains file.  "
            "Returning to previous window.");
  EXPECT_EQ(answers.asked[2].text, "The value of WEB:USENOW must be in the list : Y,N.");
  EXPECT_TRUE(exitCodes.empty());
}

TEST_F(ErrorsTest, ProgramAndFatalLevelsEndTheProgramAfterOk) {
  for (int id : {39, 23}) {
    answers.asked.clear();
    exitCodes.clear();
    reporter.raise(id, {.file = "Domains", .errorText = "Access Denied"});
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].buttons, BtnOk);
    EXPECT_EQ(exitCodes, std::vector<int>{1});
  }
  EXPECT_EQ(answers.asked[0].caption, "File Access Error");
  EXPECT_EQ(answers.asked[0].text,
            "File (Domains) could not be opened.  Error: Access Denied.  Press OK to end this "
            "application");
  EXPECT_EQ(shutdowns, 2);
}

TEST_F(ErrorsTest, FatalErrorDuringShutdownDoesNotShutDownAgain) {
  reporter.setFatalHandler([this] {
    ++shutdowns;
    reporter.raise(10, {.file = "Hosts"});
  });
  reporter.raise(26);
  EXPECT_EQ(shutdowns, 1);
  EXPECT_EQ(answers.asked.size(), 2u);
  EXPECT_EQ(exitCodes, (std::vector<int>{1, 1}));
}

TEST_F(ErrorsTest, UnknownIdIsReportedNotIgnored) {
  EXPECT_EQ(reporter.raise(99), 5);
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_NE(answers.asked[0].text.find("99"), std::string::npos);
  EXPECT_EQ(shutdowns, 0);
}

TEST_F(ErrorsTest, ProcedureStackAndOnePassPlaceholders) {
  EXPECT_EQ(reporter.currentProcedure(), "");
  reporter.pushProcedure("BrowseDomains");
  reporter.pushProcedure("UpdateDomains");
  EXPECT_EQ(reporter.fill("%Procedure: %Field", {.field = "DOM:NAME"}), "UpdateDomains: DOM:NAME");
  reporter.popProcedure();
  EXPECT_EQ(reporter.currentProcedure(), "BrowseDomains");
  reporter.popProcedure();
  reporter.popProcedure();  // one too many is harmless
  EXPECT_EQ(reporter.currentProcedure(), "");
  // Text put in is not searched for placeholders again.
  EXPECT_EQ(reporter.fill("%File/%Message", {.file = "%Message", .message = "m"}), "%Message/m");
  EXPECT_EQ(reporter.fill("100% %Files", {.file = "X"}), "100% Xs");
}

TEST(Messages, AnswererAndLines) {
  EXPECT_EQ(messageLines("one|two||four"), "one\ntwo\n\nfour");
  EXPECT_EQ(message("q", "", MsgIcon::Question, BtnYes | BtnNo, BtnNo), BtnNo);  // none installed
  {
    ScriptedAnswerer a;
    a.install();
    a.replies = {BtnRetry};
    EXPECT_EQ(message("Try again?", "Cap", MsgIcon::Stop, BtnRetry | BtnCancel, BtnCancel),
              BtnRetry);
    EXPECT_EQ(message("Again?", "Cap", MsgIcon::Stop, BtnRetry | BtnCancel, BtnCancel), BtnCancel);
    ASSERT_EQ(a.asked.size(), 2u);
    EXPECT_EQ(a.asked[0].caption, "Cap");
    EXPECT_EQ(a.asked[0].text, "Try again?");
    EXPECT_EQ(messageAnswerer(), &a);
  }
  EXPECT_EQ(messageAnswerer(), nullptr);
}
