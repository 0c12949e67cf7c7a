#include "sis/framework/plugin_app.h"

#include "sis/abi/host_codes.h"

namespace sis {

AppBase::AppBase(const char* registrationName, const SisResourceData* resources, const void* anchor)
    : registrationName_(registrationName), module_(resources, anchor) {}

std::string AppBase::SatellitePath(const std::string& ownPath, int32_t locale) {
  const std::string abbreviation = LocaleAbbreviation(locale);
  if (abbreviation.size() != 3 || ownPath.empty()) return {};
  // The last "." of the file name; directories may hold dots too.
  const size_t slash = ownPath.rfind('/');
  const size_t dot = ownPath.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ownPath + abbreviation;
  return ownPath.substr(0, dot) + abbreviation + ownPath.substr(dot);
}

void AppBase::Handshake(HostBuffer* record) {
  ModuleStateGuard guard(module_);
  if (!record) return;
  // The host keeps ownership of what it put in the record.
  const int32_t id = (record->count == -1 && record->data) ? *static_cast<const int32_t*>(record->data) : 0;
  int32_t reply[2] = {0, 0};

  bool versionOk = false;
  {
    HostReply version;
    const int32_t result = host_.Call(id, code::kHostVersion, "", version.get());
    versionOk = result == code::kOk && version.IsInt() && version.Int() >= kMinHostVersion;
  }
  if (versionOk) {
    host_.SendInt(id, code::kRegister, registrationName_.c_str(), 1);
    const VersionInfo own = module_.ReadVersion();
    int32_t language = own.language;
    HostReply hostLanguage;
    if (host_.Call(id, code::kHostLanguage, "", hostLanguage.get()) == code::kOk && hostLanguage.IsInt() &&
        hostLanguage.Int() != own.language) {
      if (hostLanguage.Int() != kLanguageFrench) {
        language = hostLanguage.Int();
      } else {
        const std::string path = SatellitePath(module_.OwnPath(), kLanguageFrench);
        if (!path.empty() && module_.LoadSatellite(path)) language = kLanguageFrench;
      }
    }
    reply[0] = own.productVersion;
    reply[1] = language;
    language_ = language;
  }
  auto* data = static_cast<int32_t*>(std::malloc(sizeof reply));
  if (data) std::memcpy(data, reply, sizeof reply);
  record->count = data ? 8 : 0;
  record->data = data;
}

char* AllocateText(const std::string& text, TextAlloc alloc) {
  char* out = alloc == TextAlloc::ArrayNew ? new char[text.size() + 1]
                                           : static_cast<char*>(std::malloc(text.size() + 1));
  if (out) std::memcpy(out, text.c_str(), text.size() + 1);
  return out;
}

}  // namespace sis
