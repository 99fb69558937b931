#pragma once
// The laid-out pages of a report: what each page shows and where, in
// thousandths of an inch from the paper's top left corner. The preview, the
// printer and PDF files all draw this one model.
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
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
  int font = 0;    // index into PageModel::fonts
  int image = -1;  // index into PageModel::images
  std::string text;
};

struct Page {
  std::vector<PageItem> items;
};

class PageStore;

// The finished pages, each packed into a few bytes per item as it is added;
// past a few megabytes they go to a temporary file, so a report of a
// million records holds no more memory than one of a thousand. A page is
// unpacked when looked at; the reference stays good while fewer than
// CachedPages other pages are looked at.
class PageList {
 public:
  static constexpr std::size_t CachedPages = 64;

  PageList();
  ~PageList();
  // A copy shares the packed pages (they never change once added).
  PageList(const PageList& other);
  PageList& operator=(const PageList& other);
  PageList(PageList&&) noexcept;
  PageList& operator=(PageList&&) noexcept;

  std::size_t size() const { return index_.size(); }
  bool empty() const { return index_.empty(); }
  const Page& operator[](std::size_t i) const;
  const Page& at(std::size_t i) const;
  void push_back(const Page& page);
  void clear();
  // Bytes the packed pages take, in memory and in the file.
  std::size_t memoryBytes() const;
  std::size_t fileBytes() const;
  // True once a page could not be read back from the temporary file (it
  // showed empty).
  bool failed() const { return failed_; }

  class const_iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = Page;
    using difference_type = std::ptrdiff_t;
    using pointer = const Page*;
    using reference = const Page&;
    const_iterator(const PageList* list, std::size_t i) : list_(list), i_(i) {}
    const Page& operator*() const { return (*list_)[i_]; }
    const_iterator& operator++() {
      ++i_;
      return *this;
    }
    bool operator==(const const_iterator& o) const { return i_ == o.i_; }

   private:
    const PageList* list_;
    std::size_t i_;
  };
  const_iterator begin() const { return {this, 0}; }
  const_iterator end() const { return {this, size()}; }

 private:
  struct Where {
    uint32_t chunk;
    uint32_t offset;
    uint32_t length;
  };
  struct Cached {
    std::size_t index;
    std::unique_ptr<Page> page;
  };
  std::shared_ptr<PageStore> store_;
  std::vector<Where> index_;
  mutable std::vector<Cached> cache_;  // most recently looked at last
  mutable bool failed_ = false;
};

struct PageModel {
  PaperSize paper;
  std::vector<FontSpec> fonts;
  std::vector<QImage> images;
  PageList pages;
  // False while the report is still adding pages to it.
  bool complete = true;

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
