#pragma once
// A window's placement kept in the settings file under a section named after
// its procedure: "Maximize", "XPos", "YPos" and, when resizable, "Width", "Height".
#include <string>

class QWidget;

namespace qm {

// Reads the entries, each defaulting to the window's present value, and applies them.
void restorePlacement(QWidget& window, const std::string& section, bool resizable);

// Writes the entries; a minimised window writes none, a maximised one only "Maximize".
void savePlacement(const QWidget& window, const std::string& section, bool resizable);

}  // namespace qm
