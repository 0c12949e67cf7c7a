#include "sis/framework/trimset_access.h"

#include <cstring>

#include "sis/abi/host_codes.h"
#include "sis/framework/messages.h"
#include "sis/platform/text.h"

namespace sis {

void TrimsetAccess::ShowHostError(int32_t code) const {
  ShowMessageIds(BoxKind::Error, MachineName(), {HostErrorStringId(code)});
}

bool TrimsetAccess::Fail(int32_t code, Reaction reaction) const {
  if (reaction == Reaction::Message) ShowHostError(code);
  return false;
}

bool TrimsetAccess::ReadInt(int32_t code, const char* name, int32_t& value, Reaction reaction) const {
  HostReply reply;
  const int32_t result = host_->Call(number_, code, name, reply.get());
  if (result != code::kOk) return Fail(result, reaction);
  if (!reply.IsInt()) return Fail(code::kInternalError, reaction);
  value = reply.Int();
  return true;
}

bool TrimsetAccess::ReadText(int32_t code, const char* name, std::string& text, Reaction reaction) const {
  HostReply reply;
  const int32_t result = host_->Call(number_, code, name, reply.get());
  if (result != code::kOk) return Fail(result, reaction);
  if (!reply.IsText()) return Fail(code::kInternalError, reaction);
  text.assign(static_cast<const char*>(reply.buffer().data));  // up to the first NUL
  return true;
}

bool TrimsetAccess::QueryText(int32_t code, const char* name, int32_t sent, std::string& text,
                              Reaction reaction) const {
  HostReply reply;
  const int32_t result = host_->Query(number_, code, name, &sent, -1, reply);
  if (result != code::kOk) return Fail(result, reaction);
  if (!reply.IsText()) return Fail(code::kInternalError, reaction);
  text.assign(static_cast<const char*>(reply.buffer().data));  // up to the first NUL
  return true;
}

bool TrimsetAccess::SendInt(int32_t code, const char* name, int32_t value, Reaction reaction) const {
  const int32_t result = host_->SendInt(number_, code, name, value);
  return result == code::kOk || Fail(result, reaction);
}

bool TrimsetAccess::ReadConstant(const char* name, int32_t& value) const {
  return ReadInt(code::kConstant, name, value, Reaction::Silent);
}

bool TrimsetAccess::VariableExists(const char* name) const {
  HostReply reply;
  return host_->Call(number_, code::kVariableId, name, reply.get()) == code::kOk && reply.buffer().data;
}

bool TrimsetAccess::ReadVariableId(const char* name, int32_t& id) const {
  return ReadInt(code::kVariableId, name, id, Reaction::Message);
}

bool TrimsetAccess::ReadVariableName(int32_t id, std::string& name) const {
  if (QueryText(code::kNameOfId, "", id, name, Reaction::Silent)) return true;
  // Fallback: walk the list of all names until one has the identifier. A name
  // whose identifier cannot be read matches nothing.
  std::vector<std::string> names;
  if (!ListVariables(names)) return false;
  for (const auto& candidate : names) {
    int32_t candidateId = 0;
    if (ReadInt(code::kVariableId, candidate.c_str(), candidateId, Reaction::Silent) && candidateId == id) {
      name = candidate;
      return true;
    }
  }
  return false;
}

bool TrimsetAccess::ListVariables(std::vector<std::string>& names) const {
  names.clear();
  HostReply reply;
  if (host_->Call(number_, code::kVariableList, "", reply.get()) != code::kOk || !reply.IsText()) return false;
  const char* p = static_cast<const char*>(reply.buffer().data);
  const char* end = p + reply.buffer().count;
  while (p < end) {
    size_t len = std::strlen(p);
    if (len) names.emplace_back(p, len);
    p += len + 1;
  }
  return true;
}

bool TrimsetAccess::ReadValue(const char* name, int32_t& value) const {
  return ReadInt(code::kValue, name, value, Reaction::Message);
}

bool TrimsetAccess::ReadWordTable(const char* name, WordTable& table) const {
  HostReply reply;
  const int32_t result = host_->Call(number_, code::kValue, name, reply.get());
  if (result != code::kOk) return Fail(result, Reaction::Message);
  if (!reply.IsWords()) return Fail(code::kInternalError, Reaction::Message);
  table.resize(static_cast<size_t>(reply.buffer().count) / 2);
  std::memcpy(table.data(), reply.buffer().data, static_cast<size_t>(reply.buffer().count));
  return true;
}

bool TrimsetAccess::ReadLongTable(const char* name, LongTable& table) const {
  HostReply reply;
  const int32_t result = host_->Call(number_, code::kValue, name, reply.get());
  if (result != code::kOk) return Fail(result, Reaction::Message);
  if (!reply.IsLongs()) return Fail(code::kInternalError, Reaction::Message);
  table.resize(static_cast<size_t>(reply.buffer().count) / 4);
  std::memcpy(table.data(), reply.buffer().data, static_cast<size_t>(reply.buffer().count));
  return true;
}

bool TrimsetAccess::ReadRawValue(const char* name, RawValue& raw) const {
  HostReply reply;
  const int32_t result = host_->Call(number_, code::kValue, name, reply.get());
  if (result != code::kOk) return Fail(result, Reaction::Message);
  if (!reply.buffer().data) return Fail(code::kInternalError, Reaction::Message);
  const int32_t count = reply.buffer().count;
  raw.Reset(count, reply.release());
  return true;
}

bool TrimsetAccess::WriteWordTable(const WordTable& table, const char* name) const {
  const auto bytes = static_cast<int32_t>(table.size() * 2);
  const int32_t result = host_->Send(number_, code::kWriteValue, name, table.data(), bytes);
  return result == code::kOk || Fail(result, Reaction::Message);
}

bool TrimsetAccess::WriteText(const std::string& text, const char* name) const {
  const int32_t result =
      host_->Send(number_, code::kWriteValue, name, text.c_str(), static_cast<int32_t>(text.size() + 1));
  return result == code::kOk || Fail(result, Reaction::Message);
}

bool TrimsetAccess::ValuePresent(const char* name, int32_t& present) const {
  return ReadInt(code::kValuePresent, name, present, Reaction::Message);
}

bool TrimsetAccess::ReadAttributes(const char* name, int32_t& bits) const {
  return ReadInt(code::kAttributes, name, bits, Reaction::Message);
}

int32_t TrimsetAccess::AttributeClass(const char* name, bool secondReading) const {
  if (!VariableExists(name)) return 0;
  int32_t bits = 0x20000000;  // assumed when the read fails
  ReadAttributes(name, bits);
  switch (static_cast<uint32_t>(bits) & code::kAttributeClassMask) {
    case code::kClassReadOnly: return -1;
    case code::kClassTunable: return 1;
    case code::kClassTunableMarked: return secondReading ? -1 : 1;
    default: return 0;
  }
}

bool TrimsetAccess::ReadProperty(int32_t code, const char* name, int32_t& value) const {
  return ReadInt(code, name, value, Reaction::Message);
}

bool TrimsetAccess::ProbeProperty(int32_t code, const char* name, int32_t& value) const {
  return ReadInt(code, name, value, Reaction::Silent);
}

bool TrimsetAccess::Operate(int32_t code, const char* name) const {
  HostReply reply;  // whatever comes back is freed unread
  const int32_t result = host_->Call(number_, code, name, reply.get());
  return result == code::kOk || Fail(result, Reaction::Message);
}

bool TrimsetAccess::ReadSwitchedOn(const char* name, bool& on) const {
  int32_t v = 0;
  if (!ReadInt(code::kSwitchedOn, name, v, Reaction::Message)) return false;
  on = v != 0;
  return true;
}

bool TrimsetAccess::WriteProperty(int32_t code, const char* name, int32_t value) const {
  return SendInt(code, name, value, Reaction::Message);
}

bool TrimsetAccess::ReadAxes(const char* name, int32_t& high, int32_t& low) const {
  int32_t v = 0;
  if (!ReadInt(code::kAxes, name, v, Reaction::Message)) return false;
  const auto u = static_cast<uint32_t>(v);
  high = static_cast<int16_t>(u >> 16);
  low = (u & 0xFFFF) == 0xFFFF ? -1 : static_cast<int32_t>(u & 0xFFFF);
  return true;
}

bool TrimsetAccess::ReadLabel(const char* name, std::string& label) const {
  return QueryText(code::kLabel, name, 0, label, Reaction::Message);
}

bool TrimsetAccess::ReadErrorText(const char* name, std::wstring& text) const {
  std::string ansi;
  if (!ReadText(code::kErrorText, name, ansi, Reaction::Message)) return false;
  text = AnsiToWide(ansi);
  return true;
}

bool TrimsetAccess::Transmit(const char* name) const { return SendInt(code::kTransmit, name, -1, Reaction::Message); }

bool TrimsetAccess::ReadActionTable(const char* action, std::string& table) const {
  return ReadText(code::kActionTable, action, table, Reaction::Message);
}

bool TrimsetAccess::ActionKnown(const char* name) const {
  int32_t v = 0;
  return ReadInt(code::kActionKnown, name, v, Reaction::Silent) && v != 0;
}

bool TrimsetAccess::FunctionKnown(const char* name) const {
  int32_t v = 0;
  return ReadInt(code::kFunctionKnown, name, v, Reaction::Silent) && v != 0;
}

bool TrimsetAccess::SetActionState(const char* name, int32_t state) const {
  return SendInt(code::kActionState, name, state, Reaction::Message);
}

bool TrimsetAccess::SetFunctionState(const char* name, int32_t state) const {
  return SendInt(code::kFunctionState, name, state, Reaction::Message);
}

void TrimsetAccess::ActionFinished(const char* name) const {
  HostReply reply;
  host_->Call(number_, code::kActionFinished, name, reply.get());
}

bool TrimsetAccess::VetoSave() const { return SendInt(code::kVetoSave, "", -3, Reaction::Message); }

bool TrimsetAccess::ReadLevel(int32_t& level) const {
  return ReadInt(code::kInstanceLevel, "", level, Reaction::Message);
}

bool TrimsetAccess::ReadMachineState(int32_t& state) const {
  return ReadInt(code::kMachineState, "", state, Reaction::Message);
}

bool TrimsetAccess::ReadMachineName() {
  std::string ansi;
  if (!ReadText(code::kMachineName, "", ansi, Reaction::Message)) return false;
  machineName_ = AnsiToWide(ansi);
  return true;
}

std::wstring TrimsetAccess::MachineName() const {
  std::string ansi;
  if (ReadText(code::kMachineName, "", ansi, Reaction::Silent)) machineName_ = AnsiToWide(ansi);
  return machineName_;
}

bool TrimsetAccess::QueryNumber(int32_t& value) const {
  HostReply reply;
  const int32_t result = host_->Query(number_, code::kQueryNumber, "", &value, -1, reply);
  if (result != code::kOk) return Fail(result, Reaction::Message);
  if (!reply.IsInt()) return Fail(code::kInternalError, Reaction::Message);
  value = reply.Int();
  return true;
}

}  // namespace sis

