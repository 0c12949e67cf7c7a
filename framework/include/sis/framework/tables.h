// Trimset tables as the plug-ins hold them: the whole table as the host gives
// it, word 0 being its byte length.
#ifndef SIS_FRAMEWORK_TABLES_H
#define SIS_FRAMEWORK_TABLES_H

#include <cstdint>
#include <vector>

namespace sis {

using WordTable = std::vector<uint16_t>;
using LongTable = std::vector<int32_t>;

// A table of `words` 16-bit words, word 0 set to its byte length.
inline WordTable MakeWordTable(size_t words) {
  WordTable t(words, 0);
  if (!t.empty()) t[0] = static_cast<uint16_t>(words * 2);
  return t;
}

// Byte offset of map words: header then axes then values (see docs).
inline constexpr size_t kMapHeaderWords = 9;

}  // namespace sis

#endif
