#pragma once
// What the desk tests share: records on disk, the event pump, the procedures
// registered, the clock fixed. No window-control header here: the report
// tests include the report's page model, whose controls share that name.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QTest>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "appkit/procedures.h"
#include "desk/register.h"
#include "dictionary/dictionary.h"
#include "frame/program/globals.h"
#include "records/reports/register.h"
#include "runtime/config/messages.h"
#include "runtime/config/requests.h"
#include "runtime/store/thread.h"
#include "runtime/ui/form.h"
#include "runtime/ui/procedure.h"
#include "runtime/values/clock.h"
#include "runtime/view/fieldvalue.h"

namespace desktest {

using Fields = std::vector<std::pair<std::string, std::string>>;
constexpr int32_t kToday = 80000;

inline void pump() {
  for (int i = 0; i < 4; ++i) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

// The button of a procedure's window showing text ("&Print").
inline QAbstractButton* buttonOf(qm::WindowProcedure* p, const QString& text) {
  if (!p || !p->window()) return nullptr;
  for (auto* b : p->window()->findChildren<QAbstractButton*>())
    if (b->text() == text) return b;
  return nullptr;
}

inline void press(qm::WindowProcedure* p, const QString& text) {
  QAbstractButton* b = buttonOf(p, text);
  ASSERT_NE(b, nullptr) << text.toStdString();
  QTest::mouseClick(b, Qt::LeftButton);
  pump();
}

struct DeskTest : ::testing::Test {
  qm::ScriptedAnswerer answers;
  qm::FakeClock clock{kToday, 0};

  void SetUp() override {
    answers.install();
    qm::setClock(&clock);
    qm::initGlobals();
    qm::FormProcedure::clearHistory();
    qm::StartDictionary(qm::DictionaryKind::Main, {});
    const auto reg = [](std::string name, int stack, qm::ProcedureFactory f) {
      qm::registerProcedure(name, f, stack);
    };
    qm::registerDeskProcedures(reg, qm::mainDeskContext());
    qm::reports::registerRecordReports(reg);  // the reminder list prints one by name
  }
  void TearDown() override {
    for (int guard = 0; guard < 30 && !qm::runningThreads().empty(); ++guard) {
      if (qm::WindowProcedure* p = qm::topProcedure(qm::runningThreads().front())) p->close(2);
      pump();
    }
    pump();
    qm::StopDictionary();
    qm::setClock(nullptr);
  }

  void add(qm::FileId id, const Fields& fields) {
    qm::ThreadScope t(1);
    qm::FileManager& m = qm::access(id);
    ASSERT_EQ(m.open(), 0);
    m.buffer().clear();
    for (auto& [label, value] : fields)
      ASSERT_TRUE(qm::setValueText(m.buffer(), m.def().fieldIndex(label), value)) << label;
    ASSERT_EQ(m.tryInsert(), 0);
    m.close();
  }
  void domain(const std::string& name, int32_t renewal) {
    add(qm::FileId::Domains,
        {{"DOM:DOMAINNAME", name}, {"DOM:RENEWALDATE", std::to_string(renewal)}});
  }
  void note(const std::string& topic, const std::string& mark, int32_t date) {
    add(qm::FileId::dnotes,
        {{"DNO:TOPIC", topic}, {"DNO:REMINDER", mark}, {"DNO:DATE", std::to_string(date)}});
  }
  std::vector<qm::RecordBuffer> all(qm::FileId id) {
    qm::ThreadScope t(1);
    qm::FileManager& m = qm::access(id);
    m.open();
    std::vector<std::pair<int64_t, qm::RecordBuffer>> rows;
    m.file().readPage(-1, nullptr, 0, true, 1000, rows);
    m.close();
    std::vector<qm::RecordBuffer> out;
    for (auto& r : rows) out.push_back(r.second);
    return out;
  }
  std::vector<std::string> captions() const {
    std::vector<std::string> v;
    for (auto& a : answers.asked) v.push_back(a.caption);
    return v;
  }
  template <class P>
  P* top(int thread) {
    return dynamic_cast<P*>(qm::topProcedure(thread));
  }
};

}  // namespace desktest
