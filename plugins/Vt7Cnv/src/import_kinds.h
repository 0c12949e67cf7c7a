// The five import actions: each kind's flag and the texts of its file dialog.
#ifndef VT7CNV_IMPORT_KINDS_H
#define VT7CNV_IMPORT_KINDS_H

#include <cstdint>

#include "map_file.h"

namespace vt7cnv {

// String-table numbers of the plug-in.
namespace text {
inline constexpr int32_t kNotReceived = 17014;  // the target table cannot be tuned yet
inline constexpr int32_t kFileUnreadable = 17100;
}  // namespace text

struct ImportKind {
  MapKind kind;
  uint32_t flag;     // the instance's kind flag while this import runs
  int32_t titleId;   // title of the file dialog
  int32_t filterId;  // filter of the file dialog
};

inline constexpr ImportKind kImportKinds[] = {
    {MapKind::Injection, 0x01, 17200, 17201},
    {MapKind::Ignition, 0x02, 17300, 17301},
    {MapKind::InjectorsCorrection, 0x04, 17400, 17401},
    {MapKind::CoilLoad, 0x08, 17500, 17501},
    {MapKind::InjectionPhase, 0x10, 17600, 17601},
};

// The table is indexed by the kind.
static_assert([] {
  int i = 0;
  for (const ImportKind& k : kImportKinds) {
    if (static_cast<int>(k.kind) != i++) return false;
  }
  return true;
}());

inline const ImportKind& KindInfo(MapKind kind) { return kImportKinds[static_cast<int>(kind)]; }

}  // namespace vt7cnv

#endif
