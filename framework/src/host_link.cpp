#include "sis/framework/host_link.h"

#include <dlfcn.h>

#include <cstring>

#include "sis/abi/host_codes.h"

namespace sis {

bool HostReply::IsText() const {
  return buffer_.data && buffer_.count > 0 && static_cast<const char*>(buffer_.data)[buffer_.count - 1] == '\0';
}

bool HostReply::IsWords() const {
  if (!buffer_.data || buffer_.count < 1 || buffer_.count % 2 != 0) return false;
  uint16_t first;
  std::memcpy(&first, buffer_.data, sizeof first);
  return first == buffer_.count;
}

bool HostReply::IsLongs() const {
  if (!buffer_.data || buffer_.count < 1 || buffer_.count % 4 != 0) return false;
  int32_t first;
  std::memcpy(&first, buffer_.data, sizeof first);
  return first == buffer_.count;
}

void HostLink::Bind() { entry_ = reinterpret_cast<ActionDllFn>(dlsym(RTLD_DEFAULT, "ACTIONDLL")); }

int32_t HostLink::Call(int32_t instance, int32_t code, const char* name, HostBuffer* io) const {
  if (!entry_) return code::kInternalError;
  return entry_(instance, code, name ? name : "", io);
}

int32_t HostLink::Send(int32_t instance, int32_t code, const char* name, const void* bytes, int32_t count) const {
  // An empty value goes as the empty shape {0, null}.
  const size_t size = count < 0 ? sizeof(int32_t) : static_cast<size_t>(count);
  void* sent = size ? std::malloc(size) : nullptr;
  if (size && !sent) return code::kInternalError;
  if (size) std::memcpy(sent, bytes, size);
  HostBuffer io{count, sent};
  const int32_t result = Call(instance, code, name, &io);
  if (io.data != sent) std::free(io.data);  // anything else the host left is ours
  if (result != code::kOk) std::free(sent);  // refused: still ours
  return result;
}

int32_t HostLink::SendInt(int32_t instance, int32_t code, const char* name, int32_t value) const {
  return Send(instance, code, name, &value, -1);
}

int32_t HostLink::Query(int32_t instance, int32_t code, const char* name, const void* bytes, int32_t count,
                        HostReply& reply) const {
  const size_t size = count < 0 ? sizeof(int32_t) : static_cast<size_t>(count);
  void* sent = size ? std::malloc(size) : nullptr;
  if (size && !sent) return code::kInternalError;
  if (size) std::memcpy(sent, bytes, size);
  HostBuffer* io = reply.get();
  *io = {count, sent};
  const int32_t result = Call(instance, code, name, io);
  if (io->data != sent) std::free(sent);  // the reply came in a new block
  return result;
}

}  // namespace sis
