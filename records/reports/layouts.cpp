#include "records/reports/layouts.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "runtime/values/picture.h"

namespace qm::reports {

namespace {

// The listings' grid.
constexpr int GridColumns = 4;
constexpr int GridLeft[GridColumns] = {50, 1550, 3050, 4550};
constexpr int GridCellW = 1400;
constexpr int GridCellH = 170;
constexpr int GridRowStep = 180;
constexpr int HeaderGridTop = 310;
constexpr int DetailGridTop = 40;
constexpr int GridWidth = 5950;

constexpr int PageTop = 500;
constexpr int FooterFromBottom = 700;
constexpr int FooterH = 200;

// Amounts line up on their decimal point; whole numbers read like text.
bool amount(std::string_view picture) {
  return pictureKind(picture) == PictureKind::Number && picture.find('.') != std::string_view::npos;
}

}  // namespace

ReportLayout listingLayout(const ListingDef& def, const FileDef& file, RecordAccess record,
                           PaperSize paper) {
  const int rows = static_cast<int>((def.fields.size() + GridColumns - 1) / GridColumns);
  const int left = (paper.width - GridWidth) / 2;

  ReportLayout layout;
  layout.font = bandFont(8);

  Band& header = layout.header;
  header.x = left;
  header.y = PageTop;
  header.w = GridWidth;
  header.h = HeaderGridTop + rows * GridRowStep + 40;
  header.controls.push_back(
      withFont(textAt(50, 0, 4400, 260, std::string(def.title)), bandFont(12, true)));
  header.controls.push_back(textAt(4550, 60, 650, GridCellH, "Report Date:"));
  header.controls.push_back(dateStampAt(5200, 60, 750, GridCellH));

  Band& detail = layout.detail;
  detail.w = GridWidth;
  detail.h = DetailGridTop + rows * GridRowStep + 60;

  for (std::size_t i = 0; i < def.fields.size(); ++i) {
    const GridField& g = def.fields[i];
    const int x = GridLeft[i % GridColumns];
    const int row = static_cast<int>(i / GridColumns);
    header.controls.push_back(withFont(
        textAt(x, HeaderGridTop + row * GridRowStep, GridCellW, GridCellH, std::string(g.label)),
        bandFont(8, true)));
    detail.controls.push_back(valueAt(x, DetailGridTop + row * GridRowStep, GridCellW, GridCellH,
                                      record, fieldOf(file, g.field), g.picture, Align::Left));
  }
  header.controls.push_back(lineAt(0, header.h - 30, GridWidth, 0));
  detail.controls.push_back(lineAt(0, detail.h - 20, GridWidth, 0));

  Band& footer = layout.footer;
  footer.x = left;
  footer.y = paper.height - FooterFromBottom;
  footer.w = GridWidth;
  footer.h = FooterH;
  footer.controls.push_back(lineAt(0, 0, GridWidth, 0));
  footer.controls.push_back(pageNumberAt(GridWidth - 1400, 40, 1400, GridCellH, Align::Right));

  layout.detailArea = {left, header.y + header.h, GridWidth,
                       footer.y - 100 - (header.y + header.h)};
  return layout;
}

ReportLayout profileLayout(const FileDef& hosts, RecordAccess record, PaperSize paper) {
  constexpr int BlockW = 7100;
  constexpr int BlockH = 9250;
  const int left = (paper.width - BlockW) / 2;

  ReportLayout layout;
  layout.font = bandFont(8);

  Band& header = layout.header;
  header.x = left;
  header.y = PageTop - 100;
  header.w = BlockW;
  header.h = 600;
  header.controls.push_back(
      withFont(textAt(200, 0, 4300, 260, std::string(ProfileTitle)), bandFont(12, true)));
  header.controls.push_back(textAt(200, 300, 650, GridCellH, "Report Date:"));
  header.controls.push_back(dateStampAt(850, 300, 900, GridCellH));
  header.controls.push_back(pageNumberAt(BlockW - 1400, 60, 1400, GridCellH, Align::Right));

  Band& detail = layout.detail;
  detail.w = BlockW;
  detail.h = BlockH;
  // The frame starts above the first line: "Currently Use" sits at its top.
  detail.controls.push_back(boxAt(150, -80, BlockW - 150, BlockH + 50));
  for (const PlacedText& t : profileHeadings()) {
    if (t.section && t.y > 100) detail.controls.push_back(lineAt(150, t.y - 50, BlockW - 150, 0));
    detail.controls.push_back(withFont(textAt(t.x, t.y, 2200, 190, std::string(t.text)),
                                       bandFont(t.section ? 9 : 8, true)));
  }
  for (const PlacedField& f : profileFields()) {
    detail.controls.push_back(
        textAt(f.x, f.y, f.valueX - f.x - 10, GridCellH, std::string(f.label)));
    detail.controls.push_back(valueAt(f.valueX, f.y, f.valueW, GridCellH, record,
                                      fieldOf(hosts, f.field), f.picture,
                                      amount(f.picture) ? Align::Right : Align::Left));
  }
  for (const PlacedMark& m : profileMarks()) {
    const int field = fieldOf(hosts, m.field);
    // A caption may run to the block's edge, no further.
    detail.controls.push_back(checkBoxAt(m.x, m.y, std::min(2000, BlockW - m.x), GridCellH,
                                         std::string(m.caption),
                                         [record, field] { return record().text(field); }));
  }
  const ProfileNotes& n = profileNotes;
  const int memo = hosts.memoIndex(n.memo);
  if (memo < 0) throw std::logic_error("hosts layout has no notes memo");
  detail.controls.push_back(textAt(n.labelX, n.labelY, 400, GridCellH, std::string(n.label)));
  detail.controls.push_back(boxAt(n.x, n.y, n.w, n.h));
  detail.controls.push_back(memoAt(n.x + 40, n.y + 30, n.w - 80, n.h - 60,
                                   [record, memo] { return record().memo(memo); }));

  layout.detailArea = {left, header.y + header.h, BlockW,
                       paper.height - 300 - (header.y + header.h)};
  return layout;
}

}  // namespace qm::reports
