#pragma once
// The domains browse and its update form.
#include <memory>
#include <string>
#include <string_view>

#include "records/recordwindows.h"

class QComboBox;

namespace qm::records {

class BrowseDomains : public RecordBrowse {
  Q_OBJECT
 public:
  BrowseDomains();
  // Every number calls the update form.
  void runUpdate(int number, int request, ResponseHandler done) override;

 protected:
  bool takeAccepted(Control& c) override;
};

class UpdateDomains : public RecordForm {
  Q_OBJECT
 public:
  UpdateDomains();

 protected:
  bool takeWindowEvent(Event e) override;
  bool takeAccepted(Control& c) override;
  bool takeFieldEvent(Control& c, Event e) override;
  bool formOk() override;
  void recordReshown() override { showStoredChoices(); }

 private:
  bool recomputeTotals(Control& accepted, bool speak);
  bool checkLocalDirectory(Control& entry);
  void showStoredChoices();
  int entryBeginningWith(const Control& c, QComboBox& box, std::string_view stored);
  // Puts the focus back on c after a refusal.
  void refuse(Control& c);
  bool refusing_ = false;
  bool typed_ = false;    // the accepted entry was typed into
  bool passing_ = false;  // the OK pass is running
};

// The two cost totals from the amounts. Returns the prompt of a total whose
// sum leaves the field's range (that total keeps its value), else nullptr.
const char* computeDomainTotals(RecordBuffer& domain);

std::unique_ptr<WindowProcedure> makeBrowseDomains();
std::unique_ptr<WindowProcedure> makeUpdateDomains();

}  // namespace qm::records
