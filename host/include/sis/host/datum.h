// The contents of a host buffer as the host keeps them: its count and a copy
// of its bytes. Replies are built from a Datum into malloc'd memory that the
// plug-in frees; data a plug-in hands over is copied into a Datum and freed.
#ifndef SIS_HOST_DATUM_H
#define SIS_HOST_DATUM_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sis/abi/host_abi.h"

namespace sis::host {

struct Datum {
  int32_t count = 0;           // -1 for one integer, else the byte count
  std::vector<uint8_t> bytes;  // 4 bytes for one integer

  static Datum Int(int32_t value);
  static Datum Text(std::string_view text);  // adds the final NUL
  static Datum Names(const std::vector<std::string>& names);
  static Datum Words(const std::vector<uint16_t>& words);  // as they stand
  static Datum Longs(const std::vector<int32_t>& longs);   // as they stand
  static Datum Raw(int32_t count, const void* data, size_t size);
  // Reads what a buffer holds; nothing when data is null or count is 0.
  static Datum FromBuffer(const HostBuffer& buffer);

  bool Empty() const { return count == 0 && bytes.empty(); }
  bool IsInt() const { return count == -1 && bytes.size() == 4; }
  int32_t AsInt() const;
  // A text whose last byte is NUL; out gets it without the NUL.
  bool AsText(std::string& out) const;
  // A word (long) table whose word 0 equals the byte count.
  bool AsWords(std::vector<uint16_t>& out) const;
  bool AsLongs(std::vector<int32_t>& out) const;

  // A malloc'd copy of the bytes for a reply; null when there are none.
  void* Allocate() const;
  // Puts a malloc'd copy into the buffer (the plug-in frees it).
  void Fill(HostBuffer& buffer) const;

  bool operator==(const Datum&) const = default;
};

// One readable line for the trace: "empty", "int 5 (0x5)", "text \"...\"",
// "words[3] 0x0006 0x0001 0x0002", "longs[..]", "bytes[..] ..".
std::string Describe(const Datum& datum);

}  // namespace sis::host

#endif
