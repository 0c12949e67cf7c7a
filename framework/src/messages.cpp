#include "sis/framework/messages.h"

#include "sis/abi/host_codes.h"
#include "sis/platform/module.h"

namespace sis {

std::wstring Compose(std::initializer_list<std::wstring> parts) {
  std::wstring out;
  for (const auto& p : parts) out += p;
  return out;
}

int32_t HostErrorStringId(int32_t code) {
  switch (code) {
    case code::kDataError: return msg::kDataError;
    case code::kTargetError: return msg::kTargetError;
    case code::kActionError: return msg::kActionError;
    case code::kAccessRights: return msg::kAccessRights;
    case code::kTransferError: return msg::kTransferError;
    case code::kInternalError: return msg::kInternalError;
    default: return msg::kUnknownError;
  }
}

int ShowMessage(BoxKind kind, const std::wstring& machine, std::initializer_list<std::wstring> lines) {
  std::wstring text = machine;
  for (const auto& line : lines) text += kLineBreak + line;
  return MessageBox(kind, text);
}

int ShowMessageIds(BoxKind kind, const std::wstring& machine, std::initializer_list<int32_t> ids) {
  std::wstring text = machine;
  for (int32_t id : ids) text += kLineBreak + LoadString(id);
  return MessageBox(kind, text);
}

}  // namespace sis
