#pragma once
// Report layouts built from the definitions: bands of controls whose values
// read the record that the report's source has loaded.
#include "appkit/reportbands.h"
#include "records/reports/definitions.h"
#include "runtime/report/layout.h"
#include "runtime/report/pagemodel.h"
#include "runtime/store/store.h"

namespace qm::reports {

// The four-column listing: title, date stamp and labels in the page header,
// one grid of values per record, the page number in the footer. Laid out for
// the given paper (US Letter unless the printer set-up chose another).
ReportLayout listingLayout(const ListingDef& def, const FileDef& file, RecordAccess record,
                           PaperSize paper = {});

// The hosting profile: one block per host.
ReportLayout profileLayout(const FileDef& hosts, RecordAccess record, PaperSize paper = {});

}  // namespace qm::reports
