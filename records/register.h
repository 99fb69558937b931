#pragma once
// Hands the domain, host and registrar procedures to the frame's registry.
namespace qm {

// BrowseDomains, BrowseHosts and BrowseRegistrars (started on threads of
// their own, 50000 bytes), the three update forms and the three key rebuilds
// (called on the caller's thread).
void registerRecordProcedures();

}  // namespace qm
