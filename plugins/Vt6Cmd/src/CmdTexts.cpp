#include "CmdTexts.h"

#include <cstdio>

#include "sis/platform/module.h"

namespace vt6cmd {

int32_t CodeTextId(uint16_t code, bool throttlePairedAsynchronous) {
  if (code == kThrottlePositive && throttlePairedAsynchronous) return msg::kThrottleAsynchronous;
  const CodeInfo* info = FindCode(code);
  return info ? info->text : msg::kErrorDescription;
}

std::wstring ModeLine(uint16_t mode) {
  return sis::LoadString((mode & (kModePushPullSync | kModePushPull)) ? msg::kPushPullLine : msg::kStandardLine);
}

std::wstring CodeLine(const sis::WordTable& t, bool throttlePairedAsynchronous) {
  const uint16_t code = t[word::kCode];
  const bool inverted = (t[word::kMode] & kModeInverted) != 0;
  std::wstring text = sis::LoadString(CodeTextId(code, throttlePairedAsynchronous));
  if (code == 0x1000) {
    text += L" (" + sis::LoadString(inverted ? msg::kToGround : msg::kNotToGround) + L")";
  } else if (code > 0x1000 && code < 0x2000) {
    if (inverted) text += sis::LoadString(msg::kInverted);
  } else if (code >= 0x2000) {
    if (inverted) text += sis::LoadString(msg::kInverted);
    text += L" (" + std::to_wstring(t[word::kParameter]) + (code <= 0x281F ? L" Hz)" : L" Pls)");
  }
  return text;
}

std::string Fraction(uint64_t value, int bits, int decimals) {
  const uint64_t one = uint64_t{1} << bits;
  uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const uint64_t integer = value / one;
  const uint64_t fraction = ((value % one) * scale) / one;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%llu.%0*llu", static_cast<unsigned long long>(integer), decimals,
                static_cast<unsigned long long>(fraction));
  return buffer;
}

std::string SignedFraction(uint32_t value, uint32_t centre, int bits, int decimals, uint32_t scale) {
  const bool below = value < centre;
  const uint64_t distance = (below ? uint64_t{centre} - value : uint64_t{value} - centre) * scale;
  return (below ? "-" : "+") + Fraction(distance, bits, decimals);
}

}  // namespace vt6cmd
