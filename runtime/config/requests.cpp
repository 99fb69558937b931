#include "runtime/config/requests.h"

namespace qm {

uint8_t RequestCode = 0;
uint8_t ResponseCode = 0;
int32_t NavigationRequest = 0;

}  // namespace qm
