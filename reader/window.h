#pragma once
// Small touches the reader's windows give their built widgets, where the
// window definitions have no word for them.
#include <string>
#include <utility>
#include <vector>

#include "runtime/ui/procedure.h"

namespace qm::reader {

enum class WindowTouch { Bold, Picture, Wrap };

// Bold text, the control's icon shown as its picture, or text wrapped
// within the control's width.
void decorate(WindowProcedure& p, const std::vector<std::pair<std::string, WindowTouch>>& touches);
// The text the frame's status bar shows while the control has the mouse.
void setStatusTip(WindowProcedure& p, const std::string& controlId, const std::string& text);
// Stores what every data control shows into its field or global.
void takeScreenValues(WindowProcedure& p);

}  // namespace qm::reader
