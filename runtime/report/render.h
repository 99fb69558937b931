#pragma once
// Drawing the page model: one routine for the preview, the printer and PDF files.
#include <QFont>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/report/pagemodel.h"

class QPainter;
class QPrinter;

namespace qm {

// A check box: its square, then its caption after the gap.
inline constexpr int CheckSide = 110;
inline constexpr int CheckGap = 50;

// The installed font for a report font, sized in thousandths of an inch.
QFont reportFont(const FontSpec& spec);

// Record text to Qt: UTF-8 when it is valid, else Latin-1 bytes.
QString toQString(std::string_view bytes);

// Draws one page with the painter's units in thousandths of an inch.
void drawPage(QPainter& painter, const PageModel& model, int page);

// Writes the pages (numbers from 1; empty for all) as a PDF file.
bool writePdf(const PageModel& model, const std::string& fileName, std::string* error,
              const std::vector<int>& pages = {});

// Prints the pages (numbers from 1; empty for all) on the printer.
bool printPages(const PageModel& model, QPrinter& printer, std::string* error,
                const std::vector<int>& pages = {});

}  // namespace qm
