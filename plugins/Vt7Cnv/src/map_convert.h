// Conversion of a checked map file into the Trimset's 16-bit map layout:
// word 0 the byte size, X, Y, a six-word header ending in 0xFFFF, the axes,
// then the values converted by the kind's arithmetic.
#ifndef VT7CNV_MAP_CONVERT_H
#define VT7CNV_MAP_CONVERT_H

#include <cstdint>

#include "map_file.h"
#include "sis/framework/tables.h"

namespace vt7cnv {

// One value of `kind`, computed on 64 bits, low 16 bits kept.
uint16_t ConvertValue(MapKind kind, uint16_t value);

// The target table of a checked file.
sis::WordTable ConvertMap(MapKind kind, const MapFile& file);

}  // namespace vt7cnv

#endif
