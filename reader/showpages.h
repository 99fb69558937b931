#pragma once
// The reader's page browse, page form and detail forms, and the two ways in:
// ShowPages (from the menu) and the domain prompt getdom.
#include <memory>

#include "runtime/ui/procedure.h"

namespace qm::reader {

std::unique_ptr<WindowProcedure> makeShowPages();
std::unique_ptr<WindowProcedure> makeGetdom();
std::unique_ptr<WindowProcedure> makeBrowseWebPages();
std::unique_ptr<WindowProcedure> makeUpdateWebPages();
std::unique_ptr<WindowProcedure> makeUpdateWPMeta();
std::unique_ptr<WindowProcedure> makeUpdateWPLinks();
std::unique_ptr<WindowProcedure> makeUpdateWPForm();
std::unique_ptr<WindowProcedure> makeUpdateWPIMG();
std::unique_ptr<WindowProcedure> makeUpdateWPScripts();

}  // namespace qm::reader
