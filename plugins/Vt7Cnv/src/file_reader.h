// Reads a chosen map file whole.
#ifndef VT7CNV_FILE_READER_H
#define VT7CNV_FILE_READER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vt7cnv {

// Reads the regular file at `path` into `bytes`, at most `limit` + 1 bytes:
// a longer file is cut there, which is enough for the checks to reject it
// without holding an arbitrarily large file. False when the path is not a
// readable regular file (a device or pipe could block or never end).
bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes);

}  // namespace vt7cnv

#endif
