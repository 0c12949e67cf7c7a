// The plug-in's line to the host: the ACTIONDLL entry, bound once at library
// start, and the buffer ownership rules around each call.
#ifndef SIS_FRAMEWORK_HOST_LINK_H
#define SIS_FRAMEWORK_HOST_LINK_H

#include <cstdint>
#include <cstdlib>
#include <string>

#include "sis/abi/host_abi.h"

namespace sis {

// Frees whatever the host left in the buffer when it goes out of scope.
class HostReply {
 public:
  HostReply() = default;
  ~HostReply() { std::free(buffer_.data); }
  HostReply(const HostReply&) = delete;
  HostReply& operator=(const HostReply&) = delete;
  HostBuffer* get() { return &buffer_; }
  const HostBuffer& buffer() const { return buffer_; }
  // Hands the data to the caller, who frees it.
  void* release() {
    void* d = buffer_.data;
    buffer_ = {0, nullptr};
    return d;
  }

  bool IsInt() const { return buffer_.count == -1 && buffer_.data; }
  int32_t Int() const { return *static_cast<const int32_t*>(buffer_.data); }
  bool IsText() const;
  bool IsWords() const;
  bool IsLongs() const;

 private:
  HostBuffer buffer_{0, nullptr};
};

class HostLink {
 public:
  // Looks ACTIONDLL up in the host process; it stays empty when absent.
  void Bind();
  bool Bound() const { return entry_ != nullptr; }
  // One call; -1 (host internal error) without an entry.
  int32_t Call(int32_t instance, int32_t code, const char* name, HostBuffer* io) const;
  // Sends a malloc'd copy of `bytes` with a code that hands data over: the host
  // keeps it on success, the plug-in frees it otherwise. Anything else the
  // host leaves in the buffer is freed too.
  int32_t Send(int32_t instance, int32_t code, const char* name, const void* bytes, int32_t count) const;
  int32_t SendInt(int32_t instance, int32_t code, const char* name, int32_t value) const;
  // Sends data the plug-in keeps ownership of (query in the same buffer); the
  // reply, in the same or a new block, is left in `reply`.
  int32_t Query(int32_t instance, int32_t code, const char* name, const void* bytes, int32_t count,
                HostReply& reply) const;

 private:
  ActionDllFn entry_ = nullptr;
};

}  // namespace sis

#endif
