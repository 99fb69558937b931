#pragma once
// The record reports as data: which file each reads, in which order, through
// which filter, and the fields of their bands.
#include <span>
#include <string_view>
#include <vector>

#include "dictionary/dictionary.h"

namespace qm::reports {

// A field of the four-column listings: label in the page header, value in
// the detail band, in the same grid cell.
struct GridField {
  std::string_view label;
  std::string_view field;
  std::string_view picture;
};

struct ListingDef {
  std::string_view procedure;  // "PrintDomains"
  std::string_view title;
  FileId file;
  std::string_view key;            // empty: record order
  std::string_view progressField;  // text field of the key the progress follows
  std::string_view filter;         // empty: every record
  int stackSize;                   // when started from the menu; 0 only called
  std::span<const GridField> fields;
};

// PrintDomains, PrintDomains2, PrintHosts, PrintRegistrars.
std::span<const ListingDef> listings();
const ListingDef* findListing(std::string_view procedure);

// The hosting profile: one block per host.
struct PlacedText {
  std::string_view text;
  int x, y;
  bool section;  // a main section: a rule runs above it
};
struct PlacedField {
  std::string_view label;
  std::string_view field;
  std::string_view picture;
  int x, y;            // the label's place
  int valueX, valueW;  // the value after it on the same line
};
struct PlacedMark {
  std::string_view caption;
  std::string_view field;
  int x, y;
};

inline constexpr std::string_view ProfileProcedure = "comparisons";
inline constexpr std::string_view ProfileTitle = "Quillmark Hosting Profile Report";
inline constexpr int ProfileStackSize = 25000;

std::span<const PlacedText> profileHeadings();
std::span<const PlacedField> profileFields();
std::span<const PlacedMark> profileMarks();

// The notes memo: its label and its box.
struct ProfileNotes {
  std::string_view label = "Notes:";
  int labelX = 333, labelY = 7188;
  int x = 760, y = 7208, w = 6302, h = 1906;
  std::string_view memo = "HOS:NOTES";
};
inline constexpr ProfileNotes profileNotes{};

}  // namespace qm::reports
