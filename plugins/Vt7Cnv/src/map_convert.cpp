#include "map_convert.h"

namespace vt7cnv {
namespace {

// Angles in degrees become 1/65536 of the 720-degree engine cycle:
// v · 100 · 65536 / 72000, kept in that order so that the rounding is the
// same as the earlier generation's tools.
constexpr uint64_t kAngleScale = 100 * 65536;
constexpr uint64_t kAngleDivisor = 72000;
// Ignition bytes are offset by 232 degrees before scaling.
constexpr uint64_t kIgnitionOffset = 232;

}  // namespace

uint16_t ConvertValue(MapKind kind, uint16_t value) {
  const uint64_t v = value;
  uint64_t result = v;
  switch (kind) {
    case MapKind::Injection:
    case MapKind::InjectorsCorrection: result = 2 * v; break;
    case MapKind::Ignition: result = (v + kIgnitionOffset) * kAngleScale / kAngleDivisor; break;
    case MapKind::CoilLoad: result = v * kAngleScale / kAngleDivisor; break;
    // No scale between the two generations is known for the phase: the
    // file's values are taken as they stand.
    case MapKind::InjectionPhase: break;
  }
  return static_cast<uint16_t>(result & 0xFFFF);
}

sis::WordTable ConvertMap(MapKind kind, const MapFile& file) {
  const bool oneAxis = LayoutOf(kind) == FileLayout::OneAxis;
  const size_t x = file.xAxis.size();
  const size_t y = oneAxis ? 1 : file.yAxis.size();
  sis::WordTable table = sis::MakeWordTable(sis::kMapHeaderWords + x + y + x * y);
  table[1] = static_cast<uint16_t>(x);
  table[2] = static_cast<uint16_t>(y);
  const bool angleMap = kind == MapKind::Ignition || kind == MapKind::CoilLoad || kind == MapKind::InjectionPhase;
  table[4] = angleMap ? 2 : 0;
  table[8] = 0xFFFF;
  size_t at = sis::kMapHeaderWords;
  for (uint16_t b : file.xAxis) table[at++] = b;
  if (oneAxis) {
    table[at++] = 0;  // the single second-axis breakpoint
  } else {
    for (uint16_t b : file.yAxis) table[at++] = b;
  }
  for (size_t i = 0; i < x * y && i < file.values.size(); ++i) table[at++] = ConvertValue(kind, file.values[i]);
  return table;
}

}  // namespace vt7cnv
