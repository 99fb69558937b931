#pragma once
// The laid-out pages of a report: what each page shows and where, in
// thousandths of an inch from the paper's top left corner. The preview, the
// printer and PDF files all draw this one model.
#include <QImage>
#include <string>
#include <vector>

#include "runtime/report/layout.h"

namespace qm {

struct PaperSize {
  int width = 8500;  // US Letter
  int height = 11000;
};

enum class ItemKind { Text, Line, Box, CheckBox, Image };

struct PageItem {
  ItemKind kind = ItemKind::Text;
  Align align = Align::Left;
  bool checked = false;
  int x = 0, y = 0, w = 0, h = 0;
  int font = 0;   // index into PageModel::fonts
  int image = -1; // index into PageModel::images
  std::string text;
};

struct Page {
  std::vector<PageItem> items;
};

struct PageModel {
  PaperSize paper;
  std::vector<FontSpec> fonts;
  std::vector<QImage> images;
  std::vector<Page> pages;

  int pageCount() const { return static_cast<int>(pages.size()); }
  // The page's texts (check box captions too) in print order, a line each.
  std::vector<std::string> texts(int page) const {
    std::vector<std::string> out;
    for (const auto& it : pages.at(static_cast<std::size_t>(page)).items)
      if (it.kind == ItemKind::Text || it.kind == ItemKind::CheckBox) out.push_back(it.text);
    return out;
  }
};

}  // namespace qm
