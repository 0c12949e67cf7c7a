#include "sis/platform/text.h"

namespace sis {
namespace {

// Windows-1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::wstring AnsiToWide(std::string_view ansi) {
  std::wstring out;
  out.reserve(ansi.size());
  for (char ch : ansi) {
    auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b < 0xA0) c = kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : b;
    out += static_cast<wchar_t>(c);
  }
  return out;
}

std::string WideToAnsi(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (wchar_t wc : wide) {
    auto c = static_cast<char32_t>(wc);
    const bool unassigned = c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] == 0;
    if (c < 0x80 || (c >= 0xA0 && c < 0x100) || unassigned) {
      out += static_cast<char>(c);
      continue;
    }
    char mapped = '?';
    for (int i = 0; i < 32; ++i) {
      if (kCp1252High[i] == c) mapped = static_cast<char>(0x80 + i);
    }
    out += mapped;
  }
  return out;
}

std::wstring Utf8ToWide(std::string_view utf8) {
  std::wstring out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    auto b = static_cast<unsigned char>(utf8[i]);
    int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
    if (extra < 0 || i + static_cast<size_t>(extra) >= utf8.size()) {  // malformed or truncated
      out += L'\uFFFD';
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      auto nb = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
      if ((nb & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (nb & 0x3F);
    }
    if (!ok) {
      out += L'\uFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(c);
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

std::string WideToUtf8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (wchar_t wc : wide) AppendUtf8(out, static_cast<char32_t>(wc));
  return out;
}

std::wstring UpperWide(std::wstring_view wide) {
  std::wstring out(wide);
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - 32);
    } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {
      c = static_cast<wchar_t>(c - 32);
    } else if (c == 0xFF) {
      c = 0x178;
    } else if (c == 0x153 || c == 0x161 || c == 0x17E) {
      c = static_cast<wchar_t>(c - 1);
    }
  }
  return out;
}

}  // namespace sis
