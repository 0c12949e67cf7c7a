// Map files of the earlier ECU generation ("Quorex map" files): their
// structure check. Every byte is untrusted: sizes and counts are checked
// before anything is read, so a short, long or hostile file is only rejected.
#ifndef VT7CNV_MAP_FILE_H
#define VT7CNV_MAP_FILE_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vt7cnv {

enum class MapKind { Injection, Ignition, InjectorsCorrection, CoilLoad, InjectionPhase };

// Layout of a kind's file.
enum class FileLayout {
  TwoAxisWords,  // X, Y, two axes of 16-bit breakpoints, X·Y 16-bit values
  TwoAxisBytes,  // the same with X·Y one-byte values
  OneAxis,       // X, X 16-bit breakpoints, X 16-bit values
};

FileLayout LayoutOf(MapKind kind);

// A file that passed its check, numbers widened.
struct MapFile {
  std::vector<uint16_t> xAxis;
  std::vector<uint16_t> yAxis;  // empty for the one-axis layout
  std::vector<uint16_t> values;  // X·Y in file order (one-byte values widened)
};

// The longest file any kind can have (255 × 255 breakpoints, 16-bit values).
// Reading stops one byte after it: a longer file is rejected by the check.
inline constexpr size_t kMaxMapFileBytes = 4 + 2 * (255 + 255 + 255 * 255);

// The largest number of words whose byte length still fits word 0 of a
// Trimset table.
inline constexpr size_t kMaxTableWords = 0xFFFF / 2;

// True and `out` filled when the `length` bytes at `bytes` are a well-formed
// file of `kind`: exact length for its breakpoint counts, no empty axis,
// strictly increasing axes (an axis of one breakpoint is not checked), and a
// converted map that fits a Trimset table. `out` is left untouched otherwise.
bool CheckMapFile(MapKind kind, const uint8_t* bytes, size_t length, MapFile& out);

}  // namespace vt7cnv

#endif
