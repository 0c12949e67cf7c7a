// libFuzzer target: any bytes, checked as a file of each kind and converted
// when accepted. The converted table must be consistent with its header.
#include <cstdlib>

#include "map_convert.h"
#include "map_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vt7cnv;
  for (MapKind kind : {MapKind::Injection, MapKind::Ignition, MapKind::InjectorsCorrection, MapKind::CoilLoad,
                       MapKind::InjectionPhase}) {
    MapFile map;
    if (!CheckMapFile(kind, data, size, map)) continue;
    const sis::WordTable table = ConvertMap(kind, map);
    const size_t x = table[1], y = table[2];
    if (table.size() != 9 + x + y + x * y || table[0] != table.size() * 2 || table.size() > kMaxTableWords) {
      std::abort();
    }
  }
  return 0;
}
