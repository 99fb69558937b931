#pragma once
// Checks a built window as a user would see it: every prompt, button, tab,
// check box, group caption and column header shows its whole text, every
// control lies inside its window, none lies over another control's text, and
// the window has a title; every list column and every report band shows its
// headings whole and its widest dates, times and numbers whole. Used by the
// tests and the window gallery.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;
class QString;

namespace qm {

class Window;
struct ReportLayout;

// What a text with "&" mnemonics shows: "&&" gives "&", a single "&" goes.
QString mnemonicFree(const QString& text);

// "&x" marks a mnemonic and "&&" an ampersand; "& " is an ampersand as typed.
bool hasMnemonic(const QString& text);

// The width in pixels a control's widget needs to show its whole text (0
// for widgets whose text is data, not layout).
int textNeeds(const QWidget* w);

// Dates, times and numbers: their form is fixed, so a cut one misinforms;
// free texts may end in an ellipsis.
bool fixedForm(std::string_view picture);

// The widest text a picture shows by the given measure: dates, times and
// numbers tried over their widest forms (numbers of at most digits whole
// digits, as their field holds), texts as long as the picture allows.
std::string widestShown(std::string_view picture,
                        const std::function<double(const std::string&)>& width, int digits = 20);

// The faults of a built window, each a line naming the control.
std::vector<std::string> layoutFaults(const Window& w);

// The faults of a window's frame: a blank or cut-off title, and for a child
// window, any part lying outside its frame's area at that area's size.
std::vector<std::string> frameFaults(const QWidget* outer);

// The faults of a report's bands: a heading, caption, date stamp, page number
// or fixed-form value not whole in its place, a longer text cut without an
// ellipsis, a control past its band's right edge.
std::vector<std::string> reportFaults(const ReportLayout& layout);

}  // namespace qm
