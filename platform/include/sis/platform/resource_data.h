// Layout of a compiled resource module: what a plug-in library (English) or its
// French satellite carries. Generated from the plug-in's .rc files by rcgen.py.
// Plain C data so that a satellite needs no code, only this table.
#ifndef SIS_PLATFORM_RESOURCE_DATA_H
#define SIS_PLATFORM_RESOURCE_DATA_H

#include <stdint.h>

extern "C" {

struct SisStringEntry {
  int32_t id;
  const char* text;  // UTF-8
};

struct SisControlEntry {
  int32_t id;
  const char* kind;   // static, button, check, radio, edit, combo, list, tab, slider, spin, progress, group
  const char* text;   // UTF-8
  int16_t x, y, cx, cy;
  const char* style;  // "|"-separated style words, e.g. "report|single|border"
};

struct SisDialogEntry {
  int32_t id;
  const char* caption;  // UTF-8
  int16_t cx, cy;
  const char* style;
  const SisControlEntry* controls;
  int32_t controlCount;
};

struct SisPictureEntry {
  int32_t id;  // resource name, the control identifier that shows it
  const unsigned char* data;
  uint32_t size;
};

struct SisVersionRecord {
  uint32_t productVersionMS;  // most significant word pair of the product version
  uint32_t productVersionLS;
  int32_t language;           // language of the first translation entry (1033, 1036)
};

struct SisResourceData {
  uint32_t magic;  // kSisResourceMagic
  const SisStringEntry* strings;  // sorted by id
  int32_t stringCount;
  const SisDialogEntry* dialogs;
  int32_t dialogCount;
  const SisPictureEntry* pictures;
  int32_t pictureCount;
  const SisVersionRecord* version;  // null when the module has no version record
};

// Exported by a satellite resource library.
typedef const SisResourceData* (*SisResourcesFn)(void);

}  // extern "C"

inline constexpr uint32_t kSisResourceMagic = 0x53495352u;  // "SISR"
inline constexpr const char* kSisResourcesSymbol = "SisResources";

#endif
