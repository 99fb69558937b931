#pragma once
// The renewal report the reminder list prints. Kept apart from the window
// code, whose controls share a name with the report's.
namespace qm::desk {

// Called by name: the reports are registered by the program.
inline constexpr const char* RenewalReport = "PrintDomains2";

}  // namespace qm::desk
