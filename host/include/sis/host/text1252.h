// Texts cross the plug-in boundary as Windows-1252 bytes; the host's files
// are UTF-8. These two functions convert between them.
#ifndef SIS_HOST_TEXT1252_H
#define SIS_HOST_TEXT1252_H

#include <string>
#include <string_view>

namespace sis::host {

// False (out unchanged) when the text is not valid UTF-8 or holds a character
// that Windows-1252 cannot encode, or a NUL.
bool Utf8ToCp1252(std::string_view utf8, std::string& out);
std::string Cp1252ToUtf8(std::string_view bytes);

}  // namespace sis::host

#endif
