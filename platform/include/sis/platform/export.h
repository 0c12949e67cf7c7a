// Visibility of the platform library's interface.
#ifndef SIS_PLATFORM_EXPORT_H
#define SIS_PLATFORM_EXPORT_H

#define SIS_PLATFORM_API __attribute__((visibility("default")))
// Marks a plug-in's host-facing exports.
#define SIS_EXPORT extern "C" __attribute__((visibility("default")))

#endif
