// Text conversions. Inside the suite texts are wide (one wchar_t per code point)
// or UTF-8; texts on the host boundary are Windows-1252 bytes ("ANSI").
#ifndef SIS_PLATFORM_TEXT_H
#define SIS_PLATFORM_TEXT_H

#include <string>
#include <string_view>

#include "sis/platform/export.h"

namespace sis {

SIS_PLATFORM_API std::wstring AnsiToWide(std::string_view ansi);
// Characters without a Windows-1252 byte become '?'.
SIS_PLATFORM_API std::string WideToAnsi(std::wstring_view wide);
SIS_PLATFORM_API std::wstring Utf8ToWide(std::string_view utf8);
SIS_PLATFORM_API std::string WideToUtf8(std::wstring_view wide);
// Upper case for the Latin letters that Windows-1252 can hold.
SIS_PLATFORM_API std::wstring UpperWide(std::wstring_view wide);

}  // namespace sis

#endif
