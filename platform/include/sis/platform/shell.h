// The file-open dialog, beep, shell open and help pop-ups, through the backend.
#ifndef SIS_PLATFORM_SHELL_H
#define SIS_PLATFORM_SHELL_H

#include <string>

#include "sis/platform/export.h"

namespace sis {

// `filter` in the desktop form "Text (*.x)|*.x|All Files (*.*)|*.*||".
SIS_PLATFORM_API bool FileOpenDialog(const std::wstring& title, const std::wstring& filter, std::string& path);
SIS_PLATFORM_API void Beep();
// Above 32 on success, as the shell answers.
SIS_PLATFORM_API int ShellOpen(const std::wstring& target);
SIS_PLATFORM_API void ShowHelpPopup(const std::wstring& text);

}  // namespace sis

#endif
