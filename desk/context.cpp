#include "desk/context.h"

namespace qm::desk {
namespace {
DeskContext current;
}  // namespace

const DeskContext& context() { return current; }
void setContext(const DeskContext& c) { current = c; }

}  // namespace qm::desk
