#include "sis/host/plugin.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace sis::host {

std::unique_ptr<LoadedPlugin> LoadedPlugin::Open(const std::string& path, std::string* error) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    if (error) *error = "missing library " + path;
    return nullptr;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    if (error) *error = "cannot load " + path + ": " + (why ? why : "unknown reason");
    return nullptr;
  }
  std::unique_ptr<LoadedPlugin> p(new LoadedPlugin);
  p->handle_ = handle;
  p->path = path;
  return p;
}

LoadedPlugin::~LoadedPlugin() {
  if (handle_ != nullptr) dlclose(handle_);
}

void* LoadedPlugin::Symbol(const std::string& name) {
  auto it = symbols_.find(name);
  if (it != symbols_.end()) return it->second;
  void* sym = dlsym(handle_, name.c_str());
  symbols_.emplace(name, sym);
  return sym;
}

}  // namespace sis::host
