#pragma once
// The program-wide printer and paper that reports use, set by the frame's
// printer set-up. US Letter until the user picks another.
#include "runtime/report/pagemodel.h"

class QPrinter;
class QWidget;

namespace qm {

// The paper reports are laid out for, in thousandths of an inch (orientation applied).
PaperSize reportPaper();

// The one printer the program prints on, with the chosen settings.
QPrinter& reportPrinter();

// The platform's printer set-up dialog; an accepted choice holds for later reports.
void printSetup(QWidget* parent);

}  // namespace qm
