#pragma once
// Small helpers the desk windows share.
#include <string>
#include <string_view>

#include "runtime/ui/window.h"

namespace qm::desk {

// Writes one settings entry; a failure is told to the user.
bool writeSetting(std::string_view section, std::string_view entry, std::string_view value);

// Shows a list read error the way the browse pattern does (nothing for the
// end of the list or a missing record).
void reportListRead(const std::string& file, int rc);

// Stores what every data control of the window shows into its field.
void takeAll(Window* window);

}  // namespace qm::desk
