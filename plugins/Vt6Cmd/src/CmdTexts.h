// Texts Vt6Cmd composes: an output's description and the numbers of the
// host's displays.
#ifndef VT6CMD_CMD_TEXTS_H
#define VT6CMD_CMD_TEXTS_H

#include <cstdint>
#include <string>

#include "CmdConfig.h"

namespace vt6cmd {

// The code's name as the description shows it: 21408 for the positive
// throttle output whose partner is asynchronous.
int32_t CodeTextId(uint16_t code, bool throttlePairedAsynchronous);
// "Push-Pull command mode" or "Standard command mode" for a mode word.
std::wstring ModeLine(uint16_t mode);
// The first line of a valid output's description (code name and details).
std::wstring CodeLine(const sis::WordTable& table, bool throttlePairedAsynchronous);

// Display numbers: value / 2^bits with `decimals` decimals, truncated.
std::string Fraction(uint64_t value, int bits, int decimals);
// "+" or "-" and the distance of `value` from `centre` the same way; the
// distance is multiplied by `scale` first.
std::string SignedFraction(uint32_t value, uint32_t centre, int bits, int decimals, uint32_t scale = 1);

}  // namespace vt6cmd

#endif
