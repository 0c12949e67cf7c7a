// Message boxes of the four kinds the plug-ins use.
#ifndef SIS_PLATFORM_MESSAGE_BOX_H
#define SIS_PLATFORM_MESSAGE_BOX_H

#include <string>

#include "sis/platform/export.h"

namespace sis {

// Button results, numbered as the desktop library numbers them.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

enum class BoxKind {
  Error,        // stop icon, OK
  Warning,      // exclamation icon, OK
  Question,     // question icon, Yes and No
  Information,  // information icon, OK
};

SIS_PLATFORM_API const char* BoxKindName(BoxKind kind);

// Shows a modal box through the installed backend (may re-enter exports).
// Returns kIdOk, or kIdYes / kIdNo for a question.
SIS_PLATFORM_API int MessageBox(BoxKind kind, const std::wstring& text);

}  // namespace sis

#endif
