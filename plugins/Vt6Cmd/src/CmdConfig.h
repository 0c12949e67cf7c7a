// The auxiliary outputs' configuration vocabulary: the configuration codes and
// their properties, an output's record in the command configuration table, the
// layout of an output configuration table, the limits from the named constants,
// and the checks that need no host (shared by the reading, the publish and the
// editing dialogs, so that what a dialog accepts also passes the output check).
#ifndef VT6CMD_CMD_CONFIG_H
#define VT6CMD_CMD_CONFIG_H

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "sis/framework/tables.h"

namespace vt6cmd {

// String-table numbers of the output checks and the descriptions.
namespace msg {
inline constexpr int32_t kFormatUnknown = 17015;
inline constexpr int32_t kNotReceived = 17016;
inline constexpr int32_t kCorrectFirst = 17017;
inline constexpr int32_t kTableUnknown = 18000;
inline constexpr int32_t kStructureUnknown = 18001;
inline constexpr int32_t kCodeNotAllowed = 18002;
inline constexpr int32_t kLineAxisUnknown = 18003;
inline constexpr int32_t kColumnAxisUnknown = 18004;
inline constexpr int32_t kParameterOutOfLimits = 18005;
inline constexpr int32_t kTwinCannotWork = 18006;
inline constexpr int32_t kModeUnknown = 18010;
inline constexpr int32_t kModesTogether = 18011;
inline constexpr int32_t kModeDoesNotFit = 18012;
inline constexpr int32_t kUniqueTwice = 18030;
inline constexpr int32_t kPushPullLine = 18250;
inline constexpr int32_t kStandardLine = 18251;
inline constexpr int32_t kInverted = 18253;
inline constexpr int32_t kToGround = 18254;
inline constexpr int32_t kNotToGround = 18255;
inline constexpr int32_t kOn = 18500;
inline constexpr int32_t kOff = 18501;
inline constexpr int32_t kError = 18502;
inline constexpr int32_t kErrorDescription = 20000;
inline constexpr int32_t kNotUsed = 20002;
inline constexpr int32_t kThrottleAsynchronous = 21408;
}  // namespace msg

// Named constants, each preset to its default before the read.
struct Limits {
  int32_t lstSel = 0;
  int32_t lstUti = 0;
  int32_t minNRel = 0, maxNRel = 0xFFFF;
  int32_t minPRel = 10, maxPRel = 10000;
  int32_t minPSft = 10, maxPSft = 1000;
  int32_t minPPit = 10, maxPPit = 1000;
  int32_t minARel = 1, maxARel = 8;
};

// Which limits bound a code's parameter.
enum class ParamFamily { None, Pwm, Valve, Angular };

struct CodeInfo {
  uint16_t code;
  int32_t text;          // string number
  int32_t negativeText;  // for the twin output carrying code 1; 0 when none
  bool pilotMap;
  uint16_t modeProperty;
  uint16_t twinCode;     // 0 when the code has no twin
  ParamFamily family;
};

inline constexpr uint16_t kNotUsedCode = 1;
inline constexpr uint16_t kThrottlePositive = 0x2808;
inline constexpr uint16_t kThrottleNegative = 0x280C;
inline constexpr uint16_t kModePushPullSync = 0x800;
inline constexpr uint16_t kModePushPull = 0x8000;
inline constexpr uint16_t kModeInverted = 0x1;

// Every known code in ascending order; null when unknown.
const std::vector<CodeInfo>& AllCodes();
const CodeInfo* FindCode(uint16_t code);
bool IsTwinPositive(uint16_t code);
// Codes that may be chosen by any number of outputs.
bool MayRepeat(uint16_t code);
// {min, max} of a code's parameter; {0, 0} for codes without one.
std::pair<uint32_t, uint32_t> ParameterLimits(uint16_t code, const Limits& limits);

// Words r4 to r11 of an output's record.
struct OutputRecord {
  uint32_t modes = 0;  // r4
  uint32_t masks[6] = {0, 0, 0, 0, 0, 0};  // r5..r10: on-off, on-off twin, PWM, PWM twin, angular, angular twin
  uint32_t twin = 0xFFFF;  // r11
  bool HasTwin() const { return twin != 0xFFFF; }
};
inline constexpr uint32_t kNoTwin = 0xFFFF;

// The rules on r4 to r11 checked at reading (twins pointing back aside).
bool RecordValid(const OutputRecord& record, size_t outputs);
// Code 1 and every code the record's masks allow, ascending.
std::vector<uint16_t> AllowedCodes(const OutputRecord& record);
bool CodeAllowed(const OutputRecord& record, uint16_t code);

// Output configuration table.
namespace word {
inline constexpr size_t kCode = 4;
inline constexpr size_t kMode = 5;
inline constexpr size_t kLineLow = 6;
inline constexpr size_t kLineHigh = 7;
inline constexpr size_t kColumnLow = 8;
inline constexpr size_t kColumnHigh = 9;
inline constexpr size_t kParameter = 10;
inline constexpr size_t kAdvanced = 11;
}  // namespace word
inline constexpr size_t kTableWords = 12;

// A well-formed table with code 1 ("not used").
sis::WordTable DefaultOutputTable();
bool TableShapeValid(const sis::WordTable& table);
// Axis identifiers of the pilot map; -1 when the low word is 0.
int32_t LineAxis(const sis::WordTable& table);
int32_t ColumnAxis(const sis::WordTable& table);
void SetLineAxis(sis::WordTable& table, int32_t id);
void SetColumnAxis(sis::WordTable& table, int32_t id);

// The piloting modes the output check accepts for a code on a record
// (0, 0x800 or 0x8000, without the inverted bit).
std::vector<uint16_t> AcceptedModes(const OutputRecord& record, uint16_t code);

// The partner of a twin pair as the output check sees it: already valid.
struct TwinView {
  uint16_t code;
  uint16_t parameter;
};
// The pair rules: true when the two codes (and parameters) can work together.
bool TwinsFit(uint16_t ownCode, uint16_t ownParameter, const TwinView& partner);

struct CheckResult {
  std::vector<int32_t> messages;  // string numbers in the order found
  int32_t status = 1;             // -1 unknown format, 0 in error, 1 valid
};

// The output check on a table, host facts given by the caller: `hasMaps` when
// the output has pilot maps, `idKnown` whether an axis identifier has a name,
// `twin` the partner when it is already valid.
CheckResult CheckOutputTable(const OutputRecord& record, const sis::WordTable& table, const Limits& limits,
                             bool hasMaps, const std::function<bool(int32_t)>& idKnown, const TwinView* twin);

}  // namespace vt6cmd

#endif
