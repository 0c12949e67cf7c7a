// Host action codes used through ACTIONDLL. Codes of a single plug-in are
// declared beside that plug-in.
#ifndef SIS_ABI_HOST_CODES_H
#define SIS_ABI_HOST_CODES_H

#include <stdint.h>

namespace sis::code {

// Host and registration
inline constexpr int32_t kHostVersion = 0x100;
inline constexpr int32_t kHostLanguage = 0x101;
inline constexpr int32_t kInstanceLevel = 0x102;
inline constexpr int32_t kMachineState = 0x10020;
inline constexpr int32_t kMachineName = 0x10022;
inline constexpr int32_t kRegister = 0x11000;
inline constexpr int32_t kVetoSave = 0x11001;
inline constexpr int32_t kQueryNumber = 0x200;
// Constants and the variable list
inline constexpr int32_t kVariableList = 0x20040;
inline constexpr int32_t kConstant = 0x20050;
// Actions and functions
inline constexpr int32_t kActionKnown = 0x30002;
inline constexpr int32_t kActionFinished = 0x30003;
inline constexpr int32_t kActionState = 0x30005;
inline constexpr int32_t kActionTable = 0x31000;
inline constexpr int32_t kFunctionKnown = 0x31003;
inline constexpr int32_t kFunctionState = 0x31005;
// Trimset variables
inline constexpr int32_t kVariableId = 0x40000;
inline constexpr int32_t kKind = 0x40001;
inline constexpr int32_t kNameOfId = 0x40002;
inline constexpr int32_t kAttributes = 0x40005;
inline constexpr int32_t kErrorMark = 0x40006;
inline constexpr int32_t kPickable = 0x40010;
inline constexpr int32_t kListable = 0x40012;
inline constexpr int32_t kSwitchedOn = 0x40013;
inline constexpr int32_t kSwitch = 0x40014;
inline constexpr int32_t kValuePresent = 0x40020;
inline constexpr int32_t kState1 = 0x40023;
inline constexpr int32_t kState2 = 0x40024;
inline constexpr int32_t kValue = 0x40030;
inline constexpr int32_t kWriteValue = 0x40032;
inline constexpr int32_t kErrorText = 0x40034;
inline constexpr int32_t kErrorState = 0x40035;
inline constexpr int32_t kMotorOp1 = 0x40039;
inline constexpr int32_t kMotorOp2 = 0x4003a;
inline constexpr int32_t kLabel = 0x40040;
inline constexpr int32_t kAxes = 0x40047;
inline constexpr int32_t kCategory = 0x40048;
inline constexpr int32_t kTransmit = 0x40050;

// Results of ACTIONDLL
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kDataError = 1;
inline constexpr int32_t kTargetError = 2;
inline constexpr int32_t kActionError = 3;
inline constexpr int32_t kAccessRights = 4;
inline constexpr int32_t kTransferError = 5;
inline constexpr int32_t kInternalError = -1;

// Attribute classes (bits of 0x40005 masked with kAttributeClassMask)
inline constexpr uint32_t kAttributeClassMask = 0xE8000000u;
inline constexpr uint32_t kClassReadOnly = 0x40000000u;
inline constexpr uint32_t kClassTunable = 0x80000000u;
inline constexpr uint32_t kClassTunableMarked = 0x88000000u;

}  // namespace sis::code

#endif
