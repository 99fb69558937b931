#pragma once
// Dictionary, globals, clock, scripted message boxes and the registered
// procedures, for the page-data report and change tests.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "runtime/config/messages.h"
#include "runtime/values/clock.h"
#include "runtime/values/date.h"
#include "runtime/view/fieldvalue.h"
#include "webdata/reports/register.h"

namespace qmtest {

using Fields = std::vector<std::pair<std::string, std::string>>;

class WebData : public ::testing::Test {
 protected:
  void SetUp() override {
    qm::setClock(&clock_);
    answers_.install();
    qm::StartDictionary(qm::DictionaryKind::Main, {[] { return std::string("page.htm"); },
                                                   [] { return std::string("work.txt"); }});
    qm::initGlobals();
    qm::webreports::registerWebReportProcedures(
        [](std::string name, int stack, qm::ProcedureFactory f) {
          qm::registerProcedure(name, f, stack);
        },
        qm::mainWebContext());
  }
  void TearDown() override {
    qm::StopDictionary();
    qm::setClock(nullptr);
  }

  // Adds a record; values as value text, memos by label.
  void add(qm::FileId id, const Fields& fields, const Fields& memos = {}) {
    qm::FileManager& m = qm::access(id);
    ASSERT_EQ(m.open(), 0);
    qm::RecordBuffer& b = m.buffer();
    b.clear();
    for (const auto& [label, value] : fields) {
      const int f = b.def().fieldIndex(label);
      ASSERT_GE(f, 0) << label;
      ASSERT_TRUE(qm::setValueText(b, f, value)) << label << "=" << value;
    }
    for (const auto& [label, value] : memos) b.setMemo(label, value);
    ASSERT_EQ(m.file().add(), 0) << m.file().errorDetail();
    m.close();
  }
  // Every record of the file in record order.
  std::vector<qm::RecordBuffer> all(qm::FileId id) {
    std::vector<qm::RecordBuffer> out;
    qm::FileManager& m = qm::access(id);
    EXPECT_EQ(m.open(), 0);
    m.file().setOrder(-1);
    m.file().seekFirst();
    while (m.file().next() == 0) out.push_back(m.file().buffer());
    m.close();
    return out;
  }

  const int32_t today_ = qm::dayNumber(2024, 3, 15);
  qm::FakeClock clock_{today_, 0};
  qm::ScriptedAnswerer answers_;
};

}  // namespace qmtest
