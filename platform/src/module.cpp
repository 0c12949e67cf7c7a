#include "sis/platform/module.h"

#include <dlfcn.h>

#include <algorithm>
#include <vector>

#include "sis/platform/text.h"

namespace sis {
namespace {

// The module of the export being served: the top of the guards' chain.
thread_local ResourceModule* tCurrent = nullptr;

const SisStringEntry* FindStringIn(const SisResourceData* data, int32_t id) {
  if (!data) return nullptr;
  const SisStringEntry* begin = data->strings;
  const SisStringEntry* end = data->strings + data->stringCount;
  const SisStringEntry* it =
      std::lower_bound(begin, end, id, [](const SisStringEntry& e, int32_t v) { return e.id < v; });
  return (it != end && it->id == id) ? it : nullptr;
}

const SisDialogEntry* FindDialogIn(const SisResourceData* data, int32_t id) {
  if (!data) return nullptr;
  for (int32_t i = 0; i < data->dialogCount; ++i) {
    if (data->dialogs[i].id == id) return &data->dialogs[i];
  }
  return nullptr;
}

const SisPictureEntry* FindPictureIn(const SisResourceData* data, int32_t id) {
  if (!data) return nullptr;
  for (int32_t i = 0; i < data->pictureCount; ++i) {
    if (data->pictures[i].id == id) return &data->pictures[i];
  }
  return nullptr;
}

}  // namespace

ResourceModule::ResourceModule(const SisResourceData* own, const void* anchor) : own_(own) {
  Dl_info info{};
  if (anchor && dladdr(anchor, &info) != 0 && info.dli_fname) ownPath_ = info.dli_fname;
}

ResourceModule::~ResourceModule() { UnloadSatellite(); }

const std::string& ResourceModule::CurrentPath() const { return satellite_ ? satellitePath_ : ownPath_; }

VersionInfo ResourceModule::ReadVersion() const {
  VersionInfo v;
  const SisResourceData* data = Current();
  if (data && data->version) {
    v.productVersion = static_cast<int32_t>(data->version->productVersionMS);
    v.language = data->version->language;
  }
  return v;
}

bool ResourceModule::LoadSatellite(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return false;
  auto fn = reinterpret_cast<SisResourcesFn>(dlsym(handle, kSisResourcesSymbol));
  const SisResourceData* data = fn ? fn() : nullptr;
  if (!data || data->magic != kSisResourceMagic) {
    dlclose(handle);
    return false;
  }
  UnloadSatellite();
  satelliteHandle_ = handle;
  satellite_ = data;
  satellitePath_ = path;
  return true;
}

void ResourceModule::UnloadSatellite() {
  if (!satelliteHandle_) return;
  satellite_ = nullptr;
  dlclose(satelliteHandle_);
  satelliteHandle_ = nullptr;
  satellitePath_.clear();
}

bool ResourceModule::FindString(int32_t id, std::wstring& out) const {
  const SisStringEntry* e = FindStringIn(satellite_, id);
  if (!e) e = FindStringIn(own_, id);
  if (!e) return false;
  out = Utf8ToWide(e->text);
  return true;
}

const SisDialogEntry* ResourceModule::FindDialog(int32_t id) const {
  const SisDialogEntry* d = FindDialogIn(satellite_, id);
  return d ? d : FindDialogIn(own_, id);
}

const SisPictureEntry* ResourceModule::FindPicture(int32_t id) const {
  const SisPictureEntry* p = FindPictureIn(satellite_, id);
  return p ? p : FindPictureIn(own_, id);
}

ModuleStateGuard::ModuleStateGuard(ResourceModule& module) : previous_(tCurrent) { tCurrent = &module; }

ModuleStateGuard::~ModuleStateGuard() { tCurrent = previous_; }

ResourceModule* CurrentModule() { return tCurrent; }

std::wstring LoadString(int32_t id) {
  std::wstring text;
  if (tCurrent) tCurrent->FindString(id, text);
  return text;
}

std::string LoadStringAnsi(int32_t id) { return WideToAnsi(LoadString(id)); }

bool HasString(int32_t id) {
  std::wstring text;
  return tCurrent && tCurrent->FindString(id, text);
}

std::string LocaleAbbreviation(int32_t locale) {
  switch (locale) {
    case 1036: return "FRA";
    case 1033: return "ENU";
    case 2057: return "ENG";
    case 1031: return "DEU";
    case 1040: return "ITA";
    case 3082: return "ESN";
    default: return {};
  }
}

}  // namespace sis
