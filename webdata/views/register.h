#pragma once
// Hands the quick view and the cross-reference views to the frame's registry.
#include <functional>
#include <string>

#include "runtime/ui/procedure.h"

namespace qm::webviews {

using ProcedureRegistrar = std::function<void(std::string name, int stackSize, ProcedureFactory factory)>;

// BrowseWebPages2 and the five views (started from the menu, 25000 bytes)
// and UpdateWebPages (called on the quick view's thread).
void registerWebViewProcedures(const ProcedureRegistrar& reg);

}  // namespace qm::webviews
