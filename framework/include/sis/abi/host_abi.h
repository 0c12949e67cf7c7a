// Binary contract between the Dravix host and its plug-ins (Linux x86-64).
//
// Ownership: every `data` pointer that crosses this boundary comes from
// malloc and is released with free.
//  - Data the plug-in sends with a code that hands it over is kept by the host
//    when ACTIONDLL returns 0, and freed by the plug-in on any other result.
//  - Whatever the host leaves in `data` after a call is the plug-in's to free,
//    also when the plug-in rejects the reply's shape.
//  - The handshake reply and the texts of text exports are allocated by the
//    plug-in and freed by the host (text exports of "array form" use new[] and
//    are released with delete[]).
// Calling context: every export and every ACTIONDLL call runs on the host's
// user-interface thread; modal loops may re-enter other exports.
#ifndef SIS_ABI_HOST_ABI_H
#define SIS_ABI_HOST_ABI_H

#include <stdint.h>

extern "C" {

// Record exchanged with ACTIONDLL and the handshake export.
// Shapes: empty {0, null}; one integer {-1, int32*}; text/names {bytes incl. NUL, char*};
// word table {bytes, uint16*} with word 0 == bytes; long table {bytes, int32*} likewise.
struct HostBuffer {
  int32_t count;
  void* data;
};

// Host entry, exported by the host executable and looked up once by each plug-in
// with dlsym(RTLD_DEFAULT, "ACTIONDLL") at library start. Result 0 is success;
// 1 data, 2 target, 3 action, 4 access rights, 5 transfer error, -1 host internal error.
typedef int32_t (*ActionDllFn)(int32_t instance, int32_t code, const char* name, HostBuffer* io);

// Handshake export: `<TAG>100`. The host may fill `record` with {-1, int32* id};
// the plug-in replies {8, malloc'd int32[2] = {product version, language}}.
typedef void (*HandshakeFn)(HostBuffer* record);

// Verb export: every verb takes (instance, name), also where the name is unused.
typedef void (*VerbFn)(int32_t instance, const char* name);

// Text export: four 32-bit integers, the first the instance number; returns a
// NUL-terminated Windows-1252 text owned by the host afterwards.
typedef char* (*TextExportFn)(int32_t instance, int32_t a, int32_t b, int32_t c);

}  // extern "C"

#endif
