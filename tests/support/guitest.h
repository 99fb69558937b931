#pragma once
// Helpers for tests that drive procedure windows through their own controls.
#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <utility>
#include <vector>

#include "appkit/procedures.h"
#include "dictionary/dictionary.h"
#include "runtime/config/messages.h"
#include "runtime/ui/procedure.h"
#include "runtime/ui/window.h"

class QWidget;

namespace qmtest {

// Field label and value pairs of one record.
using Fields = std::vector<std::pair<std::string, std::string>>;

// Delivers posted events and deferred deletes, a few rounds.
void pump();

// The widget of the procedure's control `id`; a test failure when there is none.
QWidget* widgetOf(qm::WindowProcedure* p, const std::string& id);

// The user reaches a control on its tab.
void showTabOf(QWidget* w);

// Clears the entry, types text and accepts it with Return.
void typeInto(qm::WindowProcedure* p, const std::string& id, const QString& text);

// Clicks the control with the mouse, then pumps.
void click(qm::WindowProcedure* p, const std::string& id);

// Inserts one record into the file, on thread 1.
void add(qm::FileId id, const Fields& fields);

// Every record of the file, read on thread 1.
std::vector<qm::RecordBuffer> all(qm::FileId id);

// Closes every procedure still showing a window (thread 1 first), pumping after each.
void closeProcedures();

// A main dictionary with scripted answers to every message.
struct GuiTest : ::testing::Test {
  qm::ScriptedAnswerer answers;

  void SetUp() override;     // beforeDictionary() runs just before the dictionary starts
  void TearDown() override;  // closes what is left, then stops the dictionary
  virtual void beforeDictionary() {}

  // Starts a named procedure on a thread of its own and returns its window.
  template <class P>
  static P* start(const char* name, int* threadOut = nullptr) {
    int th = qm::startNamedProcedure(name, 0);
    if (threadOut) *threadOut = th;
    pump();
    return dynamic_cast<P*>(qm::topProcedure(th));
  }
};

}  // namespace qmtest
