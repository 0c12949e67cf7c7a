// Resource modules and the module-state guard.
//
// Each plug-in library owns one ResourceModule: its own compiled resources and,
// once the handshake has loaded it, its French satellite. Every export takes a
// ModuleStateGuard for its whole call, so that texts, dialog templates and
// pictures come from the plug-in being called even when the host calls another
// plug-in from inside a modal loop (the guards nest as the calls do).
#ifndef SIS_PLATFORM_MODULE_H
#define SIS_PLATFORM_MODULE_H

#include <cstdint>
#include <string>

#include "sis/platform/export.h"
#include "sis/platform/resource_data.h"

namespace sis {

struct VersionInfo {
  int32_t productVersion = -1;  // most significant word pair; -1 when unavailable
  int32_t language = -1;        // first translation entry; -1 when unavailable
};

class SIS_PLATFORM_API ResourceModule {
 public:
  // `own`: the library's compiled resources. `anchor`: any address inside the
  // library, used to find the library's file path.
  ResourceModule(const SisResourceData* own, const void* anchor);
  ~ResourceModule();
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;

  // Path of the library itself.
  const std::string& OwnPath() const { return ownPath_; }
  // Path of the module that currently supplies resources (own or satellite).
  const std::string& CurrentPath() const;
  // Version record of the module that currently supplies resources.
  VersionInfo ReadVersion() const;

  // Loads a satellite resource library; on success it supplies all resources.
  bool LoadSatellite(const std::string& path);
  // Frees the satellite (library end); resources come from the library again.
  void UnloadSatellite();
  bool HasSatellite() const { return satellite_ != nullptr; }

  // Lookups in the current resources; a text or template the satellite lacks
  // is taken from the library itself.
  bool FindString(int32_t id, std::wstring& out) const;
  const SisDialogEntry* FindDialog(int32_t id) const;
  const SisPictureEntry* FindPicture(int32_t id) const;

 private:
  const SisResourceData* Current() const { return satellite_ ? satellite_ : own_; }

  const SisResourceData* own_;
  const SisResourceData* satellite_ = nullptr;
  void* satelliteHandle_ = nullptr;
  std::string ownPath_;
  std::string satellitePath_;
};

// Makes `module` the source of resources until destroyed; restores the previous one.
class SIS_PLATFORM_API ModuleStateGuard {
 public:
  explicit ModuleStateGuard(ResourceModule& module);
  ~ModuleStateGuard();
  ModuleStateGuard(const ModuleStateGuard&) = delete;
  ModuleStateGuard& operator=(const ModuleStateGuard&) = delete;

 private:
  ResourceModule* previous_;
};

// The module of the export being served; null outside any export.
SIS_PLATFORM_API ResourceModule* CurrentModule();

// String-table text by number from the current module; empty when absent.
SIS_PLATFORM_API std::wstring LoadString(int32_t id);
// The same text as Windows-1252 bytes, for ANSI fields.
SIS_PLATFORM_API std::string LoadStringAnsi(int32_t id);
// True when the current module has a text with that number.
SIS_PLATFORM_API bool HasString(int32_t id);

// Three-letter abbreviated language name of a Windows locale ("FRA" for 1036),
// empty when unknown.
SIS_PLATFORM_API std::string LocaleAbbreviation(int32_t locale);

}  // namespace sis

#endif
