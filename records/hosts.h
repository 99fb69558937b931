#pragma once
// The hosting companies' browse, their update form and the link writer.
#include <memory>

#include "appkit/recordwindows.h"

namespace qm::records {

class BrowseHosts : public RecordBrowse {
  Q_OBJECT
 public:
  BrowseHosts();
  // 1 is the update form, 2 the hosts report.
  void runUpdate(int number, int request, ResponseHandler done) override;
};

class UpdateHosts : public RecordForm {
  Q_OBJECT
 public:
  UpdateHosts();

 protected:
  bool takeAccepted(Control& c) override;
  bool formOk() override;
  void setup() override;
  void save() override;
  void cleanup() override;
};

// HOS:TOTALMONTHLYCOST = set-up fee + monthly fee + e-commerce cost.
void computeHostTotal(RecordBuffer& host);

// Writes the two link records of the host in the calling thread's Hosts
// buffer into Intlink (opening it on the thread when it is not open), giving
// the host its HOS:RECID first when it has none. A record is added only when
// it is not found and written back only after it was read; any other failure
// writes nothing and is shown. Returns 0 or the first failing store code.
int HostIntlinkUpdate();

std::unique_ptr<WindowProcedure> makeBrowseHosts();
std::unique_ptr<WindowProcedure> makeUpdateHosts();

}  // namespace qm::records
