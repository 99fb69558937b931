// The form pattern over the real managers: a delete request cascades.
#include <gtest/gtest.h>

#include "dictionary/datafile_adapter.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/store/thread.h"
#include "runtime/ui/form.h"

using namespace qm;

TEST(ManagedForm, DeleteRequestCascadesThroughTheRelationManager) {
  StartDictionary(DictionaryKind::Main, {});
  ScriptedAnswerer answers;
  answers.install();
  ManagedFile& domains = managedFile(FileId::Domains);
  ManagedFile& pages = managedFile(FileId::WebPages);
  ASSERT_EQ(domains.open(), 0);
  ASSERT_EQ(pages.open(), 0);
  for (const char* d : {"a.com", "b.com"}) {
    domains.buffer().clear();
    domains.buffer().setText("DOM:DOMAINNAME", d);
    ASSERT_EQ(domains.insert(), 0);
    for (const char* p : {"index.htm", "about.htm"}) {
      pages.buffer().clear();
      pages.buffer().setText("WEB:DOMAINNAME", d);
      pages.buffer().setText("WEB:PAGENAME", p);
      ASSERT_EQ(pages.insert(), 0);
    }
  }
  domains.buffer().setText("DOM:DOMAINNAME", "a.com");
  ASSERT_EQ(domains.recordFile().fetch(0), 0);
  answers.replies = {BtnYes};
  FormProcedure* form = nullptr;
  int got = -1;
  runProcedure(
      1,
      [&]() -> std::unique_ptr<WindowProcedure> {
        auto f = std::make_unique<FormProcedure>("UpdateDomains", WindowDef{}, FormDef{"a", "c"},
                                                 &domains);
        form = f.get();
        return f;
      },
      DeleteRecord, [&](int r) { got = r; });
  EXPECT_EQ(got, RequestCompleted);
  EXPECT_EQ(form->window(), nullptr);
  ASSERT_EQ(answers.asked.size(), 1u);
  EXPECT_EQ(answers.asked[0].caption, "Confirm Delete");
  EXPECT_EQ(domains.recordFile().count(), 1);
  EXPECT_EQ(pages.recordFile().count(), 2);  // only b.com's pages are left
  pages.close();
  domains.close();
  StopDictionary();
}

// A delete that fails asks only the form's "Record Delete Error"; the
// manager's own message is not shown first.
TEST(ManagedForm, FailedDeleteAsksOnlyTheFormsQuestion) {
  StartDictionary(DictionaryKind::Main, {});
  ScriptedAnswerer answers;
  answers.install();
  ManagedFile& domains = managedFile(FileId::Domains);
  ManagedFile& pages = managedFile(FileId::WebPages);
  ASSERT_EQ(domains.open(), 0);
  ASSERT_EQ(pages.open(), 0);
  domains.buffer().clear();
  domains.buffer().setText("DOM:DOMAINNAME", "a.com");
  ASSERT_EQ(domains.insert(), 0);
  {
    // Another thread deletes it meanwhile.
    ThreadScope other(2);
    ASSERT_EQ(domains.open(), 0);
    domains.buffer().setText("DOM:DOMAINNAME", "a.com");
    ASSERT_EQ(domains.recordFile().fetch(0), 0);
    ASSERT_EQ(domains.recordFile().erase(), 0);
    domains.close();
  }
  answers.replies = {BtnYes, BtnYes, BtnNo};  // confirm, retry once, give up
  int got = -1;
  runProcedure(
      1,
      [&]() -> std::unique_ptr<WindowProcedure> {
        return std::make_unique<FormProcedure>("UpdateDomains", WindowDef{}, FormDef{"a", "c"},
                                               &domains);
      },
      DeleteRecord, [&](int r) { got = r; });
  EXPECT_EQ(got, RequestCancelled);
  std::vector<std::string> asked;
  for (auto& a : answers.asked) asked.push_back(a.caption);
  EXPECT_EQ(asked, (std::vector<std::string>{"Confirm Delete", "Record Delete Error",
                                             "Record Delete Error"}));
  EXPECT_EQ(messageAnswerer(), &answers);  // given back after each try
  pages.close();
  domains.close();
  StopDictionary();
}
