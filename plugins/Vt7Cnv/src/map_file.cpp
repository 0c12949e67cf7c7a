#include "map_file.h"

#include <utility>

namespace vt7cnv {
namespace {

uint16_t Word(const uint8_t* bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

// `count` little-endian words from `offset`; the caller has checked the length.
std::vector<uint16_t> Words(const uint8_t* bytes, size_t offset, size_t count) {
  std::vector<uint16_t> out(count);
  for (size_t i = 0; i < count; ++i) out[i] = Word(bytes, offset + 2 * i);
  return out;
}

bool StrictlyIncreasing(const std::vector<uint16_t>& axis) {
  for (size_t i = 1; i < axis.size(); ++i) {
    if (axis[i] <= axis[i - 1]) return false;
  }
  return true;
}

// Words of the converted map: header, both axes, values.
size_t TableWords(size_t x, size_t y) { return 9 + x + y + x * y; }

}  // namespace

FileLayout LayoutOf(MapKind kind) {
  switch (kind) {
    case MapKind::Ignition: return FileLayout::TwoAxisBytes;
    case MapKind::InjectorsCorrection: return FileLayout::OneAxis;
    default: return FileLayout::TwoAxisWords;
  }
}

bool CheckMapFile(MapKind kind, const uint8_t* bytes, size_t length, MapFile& out) {
  const FileLayout layout = LayoutOf(kind);
  MapFile map;
  if (layout == FileLayout::OneAxis) {
    if (length < 7) return false;
    const size_t x = bytes[2];
    if (length != 3 + 4 * x) return false;
    map.xAxis = Words(bytes, 3, x);
    map.values = Words(bytes, 3 + 2 * x, x);
  } else {
    const bool wordValues = layout == FileLayout::TwoAxisWords;
    if (length < (wordValues ? 10u : 9u)) return false;
    const size_t x = bytes[2];
    const size_t y = bytes[3];
    const size_t expected = wordValues ? 4 + 2 * (x + y + x * y) : (x + 2) * (y + 2);
    // An empty axis would replace the Trimset's map by one without values.
    if (length != expected || x == 0 || y == 0 || TableWords(x, y) > kMaxTableWords) return false;
    map.xAxis = Words(bytes, 4, x);
    map.yAxis = Words(bytes, 4 + 2 * x, y);
    const size_t valuesAt = 4 + 2 * (x + y);
    if (wordValues) {
      map.values = Words(bytes, valuesAt, x * y);
    } else {
      map.values.assign(bytes + valuesAt, bytes + length);
    }
  }
  if (!StrictlyIncreasing(map.xAxis) || !StrictlyIncreasing(map.yAxis)) return false;
  out = std::move(map);
  return true;
}

}  // namespace vt7cnv
