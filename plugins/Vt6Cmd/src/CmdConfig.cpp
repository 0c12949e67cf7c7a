#include "CmdConfig.h"

#include <algorithm>
#include <bit>

namespace vt6cmd {
namespace {

using F = ParamFamily;

// Families of codes by mask: base code, the bits a record may allow.
struct MaskFamily {
  uint16_t base;
  uint32_t allowedBits;
};
constexpr MaskFamily kMaskFamilies[6] = {
    {0x1000, 0x13}, {0x1800, 0x1}, {0x2000, 0x85}, {0x2800, 0x1183}, {0x3000, 0x3}, {0x3800, 0x1},
};

uint32_t Combine(uint16_t low, uint16_t high) { return static_cast<uint32_t>(low) | (static_cast<uint32_t>(high) << 16); }

}  // namespace

const std::vector<CodeInfo>& AllCodes() {
  static const std::vector<CodeInfo> codes = {
      {0x0001, 20002, 0, false, 0x8001, 0, F::None},
      {0x1000, 20100, 0, false, 0x8001, 0, F::None},
      {0x1001, 20101, 0, true, 0x8001, 0, F::None},
      {0x1004, 20104, 0, false, 0x8001, 0, F::None},
      {0x1800, 20200, 22200, true, 0x8001, 1, F::None},
      {0x2000, 20300, 0, true, 0x8001, 0, F::Pwm},
      {0x2002, 20302, 0, false, 0x8001, 0, F::Pwm},
      {0x2007, 20307, 0, false, 0x8001, 0, F::Pwm},
      {0x2800, 20400, 22400, true, 0x8001, 1, F::Pwm},
      {0x2801, 20401, 22401, true, 0x0001, 1, F::Valve},
      {0x2807, 20407, 22407, false, 0x0001, 1, F::Valve},
      {0x2808, 20408, 22408, false, 0x0800, 0x280C, F::Pwm},
      {0x280C, 20412, 0, false, 0x0800, 0x2808, F::Pwm},
      {0x3000, 20500, 0, true, 0x8001, 0, F::Angular},
      {0x3001, 20501, 0, false, 0x8001, 0, F::Angular},
      {0x3800, 20600, 22600, true, 0x8001, 1, F::Angular},
  };
  return codes;
}

const CodeInfo* FindCode(uint16_t code) {
  for (const CodeInfo& info : AllCodes()) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

bool IsTwinPositive(uint16_t code) {
  switch (code) {
    case 0x1800: case 0x2800: case 0x2801: case 0x2807: case 0x2808: case 0x3800: return true;
    default: return false;
  }
}

bool MayRepeat(uint16_t code) {
  switch (code) {
    case 0x0001: case 0x1000: case 0x1001: case 0x1800: case 0x2000: case 0x2800: case 0x2801: case 0x3000:
    case 0x3800:
      return true;
    default:
      return false;
  }
}

std::pair<uint32_t, uint32_t> ParameterLimits(uint16_t code, const Limits& l) {
  const CodeInfo* info = FindCode(code);
  auto pair = [](int32_t lo, int32_t hi) { return std::make_pair(static_cast<uint32_t>(lo), static_cast<uint32_t>(hi)); };
  switch (info ? info->family : F::None) {
    case F::Pwm: return pair(l.minPRel, l.maxPRel);
    case F::Valve: return pair(l.minPPit, l.maxPPit);
    case F::Angular: return pair(l.minARel, l.maxARel);
    case F::None: break;
  }
  return {0, 0};
}

bool RecordValid(const OutputRecord& r, size_t outputs) {
  if ((r.modes & ~0x8800u) != 0 || r.modes == 0x8800u) return false;
  for (size_t f = 0; f < 6; ++f) {
    if ((r.masks[f] & ~kMaskFamilies[f].allowedBits) != 0) return false;
  }
  return r.twin == kNoTwin || r.twin < outputs;
}

std::vector<uint16_t> AllowedCodes(const OutputRecord& r) {
  std::vector<uint16_t> codes{kNotUsedCode};
  for (size_t f = 0; f < 6; ++f) {
    for (int b = 0; b < 32; ++b) {
      if (r.masks[f] & (1u << b)) codes.push_back(static_cast<uint16_t>(kMaskFamilies[f].base + b));
    }
  }
  std::sort(codes.begin(), codes.end());
  return codes;
}

bool CodeAllowed(const OutputRecord& r, uint16_t code) {
  const auto codes = AllowedCodes(r);
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

sis::WordTable DefaultOutputTable() {
  sis::WordTable t = sis::MakeWordTable(kTableWords);
  t[1] = 2;
  t[2] = 5;
  t[3] = 7;
  t[word::kCode] = kNotUsedCode;
  return t;
}

bool TableShapeValid(const sis::WordTable& t) { return t.size() == kTableWords && t[0] == 2 * kTableWords; }

int32_t LineAxis(const sis::WordTable& t) {
  return t[word::kLineLow] == 0 ? -1 : static_cast<int32_t>(Combine(t[word::kLineLow], t[word::kLineHigh]));
}

int32_t ColumnAxis(const sis::WordTable& t) {
  return t[word::kColumnLow] == 0 ? -1 : static_cast<int32_t>(Combine(t[word::kColumnLow], t[word::kColumnHigh]));
}

void SetLineAxis(sis::WordTable& t, int32_t id) {
  const auto u = static_cast<uint32_t>(id < 0 ? 0 : id);
  t[word::kLineLow] = static_cast<uint16_t>(u & 0xFFFF);
  t[word::kLineHigh] = static_cast<uint16_t>(u >> 16);
}

void SetColumnAxis(sis::WordTable& t, int32_t id) {
  const auto u = static_cast<uint32_t>(id < 0 ? 0 : id);
  t[word::kColumnLow] = static_cast<uint16_t>(u & 0xFFFF);
  t[word::kColumnHigh] = static_cast<uint16_t>(u >> 16);
}

std::vector<uint16_t> AcceptedModes(const OutputRecord& r, uint16_t code) {
  const CodeInfo* info = FindCode(code);
  const uint16_t property = info ? info->modeProperty : 0;
  std::vector<uint16_t> modes;
  for (uint16_t m : {uint16_t{0}, kModePushPullSync, kModePushPull}) {
    if ((m & ~r.modes) != 0) continue;
    if ((property & kModePushPullSync) && m == 0) continue;
    if ((r.modes & kModePushPullSync) && !(m & kModePushPullSync)) continue;
    modes.push_back(m);
  }
  return modes;
}

bool TwinsFit(uint16_t own, uint16_t ownParameter, const TwinView& j) {
  const CodeInfo* ownInfo = FindCode(own);
  const CodeInfo* jInfo = FindCode(j.code);
  if (IsTwinPositive(own) && j.code != kNotUsedCode && (!ownInfo || j.code != ownInfo->twinCode)) return false;
  if (IsTwinPositive(j.code) && own != kNotUsedCode && (!jInfo || own != jInfo->twinCode)) return false;
  if (own == kThrottleNegative) return j.code == kThrottlePositive && j.parameter == ownParameter;
  if (j.code == kThrottleNegative) return own == kThrottlePositive && j.parameter == ownParameter;
  return true;
}

CheckResult CheckOutputTable(const OutputRecord& r, const sis::WordTable& t, const Limits& limits, bool hasMaps,
                             const std::function<bool(int32_t)>& idKnown, const TwinView* twin) {
  CheckResult result;
  auto fail = [&result](int32_t message) {
    result.messages.push_back(message);
    result.status = 0;
  };
  if (!TableShapeValid(t)) {
    result.messages.push_back(msg::kTableUnknown);
    result.status = -1;
    return result;
  }
  if (t[1] != 2 || t[2] != 5 || t[3] != 7) fail(msg::kStructureUnknown);
  const uint16_t code = t[word::kCode];
  if (!CodeAllowed(r, code)) {
    fail(msg::kCodeNotAllowed);
    return result;
  }
  const CodeInfo* info = FindCode(code);
  if (info && info->pilotMap && hasMaps) {
    if (t[word::kLineLow] != 0 && !idKnown(LineAxis(t))) fail(msg::kLineAxisUnknown);
    if (t[word::kColumnLow] != 0 && !idKnown(ColumnAxis(t))) fail(msg::kColumnAxisUnknown);
  }
  const auto [low, high] = ParameterLimits(code, limits);
  if (t[word::kParameter] < low || t[word::kParameter] > high) fail(msg::kParameterOutOfLimits);

  // Piloting modes. Every failure here marks the output in error: an output
  // left with its previous status would pass the save with a mode the ECU
  // cannot drive.
  const uint32_t m = t[word::kMode] & ~uint32_t{kModeInverted};
  if ((m & ~r.modes) != 0) {
    fail(msg::kModeUnknown);
    return result;
  }
  if (std::popcount(m) > 1) {
    fail(msg::kModesTogether);
    return result;
  }
  if ((info->modeProperty & kModePushPullSync) && !(m & (kModePushPullSync | kModePushPull))) fail(msg::kModeDoesNotFit);
  if ((r.modes & kModePushPullSync) && !(m & kModePushPullSync)) {
    fail(msg::kModeUnknown);
    return result;
  }
  if (result.status == 1 && twin && !TwinsFit(code, t[word::kParameter], *twin)) fail(msg::kTwinCannotWork);
  return result;
}

}  // namespace vt6cmd
