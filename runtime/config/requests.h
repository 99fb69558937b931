#pragma once
// Request and response codes passed between a caller and the procedure it
// calls. Shared by every thread of the program.
#include <cstdint>

namespace qm {

extern uint8_t RequestCode;
extern uint8_t ResponseCode;
extern int32_t NavigationRequest;

constexpr uint8_t InsertRecord = 1;
constexpr uint8_t ChangeRecord = 2;
constexpr uint8_t DeleteRecord = 3;
constexpr uint8_t SelectRecord = 4;
constexpr uint8_t ProcessRecord = 5;  // print

constexpr uint8_t RequestCompleted = 1;
constexpr uint8_t RequestCancelled = 2;

}  // namespace qm
