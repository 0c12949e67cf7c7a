// One plug-in library opened by the host: its handle, its exports by name and
// what its handshake answered.
#ifndef SIS_HOST_PLUGIN_H
#define SIS_HOST_PLUGIN_H

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "sis/host/trimset.h"

namespace sis::host {

class LoadedPlugin {
 public:
  // dlopen(RTLD_NOW | RTLD_LOCAL) of `path`; null with a reason on failure.
  static std::unique_ptr<LoadedPlugin> Open(const std::string& path, std::string* error);
  ~LoadedPlugin();  // dlclose: the library's end runs here
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  // The export, or null when the library has none by that name.
  void* Symbol(const std::string& name);

  PluginEntry entry;       // how the Trimset names and drives it
  std::string path;
  int32_t identifier = 0;  // given in the handshake record
  bool handshakeDone = false;
  int32_t version = 0;     // from the handshake reply
  int32_t language = 0;

 private:
  LoadedPlugin() = default;
  void* handle_ = nullptr;
  std::unordered_map<std::string, void*> symbols_;
};

}  // namespace sis::host

#endif
