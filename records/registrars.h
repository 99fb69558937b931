#pragma once
// The registrar companies' browse and update form.
#include <memory>

#include "appkit/recordwindows.h"

namespace qm::records {

class BrowseRegistrars : public RecordBrowse {
  Q_OBJECT
 public:
  BrowseRegistrars();
  // 1 is the update form, 2 the registrars report.
  void runUpdate(int number, int request, ResponseHandler done) override;
};

class UpdateRegistrars : public RecordForm {
  Q_OBJECT
 public:
  UpdateRegistrars();
};

std::unique_ptr<WindowProcedure> makeBrowseRegistrars();
std::unique_ptr<WindowProcedure> makeUpdateRegistrars();

}  // namespace qm::records
