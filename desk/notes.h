#pragma once
// The notes list, its form and the notes report.
#include <QIcon>
#include <memory>
#include <vector>

#include "appkit/recordwindows.h"
#include "runtime/ui/form.h"

namespace qm::desk {

// Lists the reminder notes only while NoteReminderDue is "Y", else all.
class BrowseNotes : public RecordBrowse {
  Q_OBJECT
 public:
  BrowseNotes();
  // Every number calls the notes form.
  void runUpdate(int number, int request, ResponseHandler done) override;
  // The icon of a shown row's "Reminder" cell (null for none).
  QIcon rowIcon(int row) const;

  static constexpr int ReminderOrder = 0;
  static constexpr int NormalOrder = 1;

 protected:
  void setup() override;
  bool takeAccepted(Control& c) override;
  void cleanup() override;

 private:
  void chooseOrder();
  QIcon noteIcon_;
};

class Updatednotes : public FormProcedure {
  Q_OBJECT
 public:
  Updatednotes();

 protected:
  bool takeWindowEvent(Event e) override;
};

std::unique_ptr<WindowProcedure> makeBrowseNotes();
std::unique_ptr<WindowProcedure> makeUpdatednotes();
// The notes report (desk/notesreport.h).
std::unique_ptr<WindowProcedure> makePrintnote();

}  // namespace qm::desk
