#include "runtime/report/source.h"

namespace qm {

RecordSource::~RecordSource() = default;

}  // namespace qm
