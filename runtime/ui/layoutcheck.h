#pragma once
// Checks a built window as a user would see it: every prompt, button, tab,
// check box, group caption and column header shows its whole text, every
// control lies inside its window, none lies over another control's text, and
// the window has a title. Used by the tests and the window gallery.
#include <string>
#include <vector>

class QWidget;
class QString;

namespace qm {

class Window;

// What a text with "&" mnemonics shows: "&&" gives "&", a single "&" goes.
QString mnemonicFree(const QString& text);

// "&x" marks a mnemonic and "&&" an ampersand; "& " is an ampersand as typed.
bool hasMnemonic(const QString& text);

// The width in pixels a control's widget needs to show its whole text (0
// for widgets whose text is data, not layout).
int textNeeds(const QWidget* w);

// The faults of a built window, each a line naming the control.
std::vector<std::string> layoutFaults(const Window& w);

// The faults of a window's frame: a blank or cut-off title, and for a child
// window, any part lying outside its frame's area at that area's size.
std::vector<std::string> frameFaults(const QWidget* outer);

}  // namespace qm
