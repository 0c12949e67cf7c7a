#include "file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace vt7cnv {
namespace {

// Closes the descriptor on every path.
class FileHandle {
 public:
  explicit FileHandle(int fd) : fd_(fd) {}
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

bool ReadWholeFile(const std::string& path, size_t limit, std::vector<uint8_t>& bytes) {
  // Non-blocking open, so that a pipe chosen by mistake cannot hang the host.
  FileHandle file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) return false;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  std::vector<uint8_t> data(limit + 1);
  size_t filled = 0;
  while (filled < data.size()) {
    const ssize_t n = ::read(file.get(), data.data() + filled, data.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    filled += static_cast<size_t>(n);
  }
  data.resize(filled);
  bytes = std::move(data);
  return true;
}

}  // namespace vt7cnv
