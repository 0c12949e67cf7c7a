#include "fake_trimset.h"

#include <cstring>

#include "sis/abi/host_codes.h"

namespace sis::testing {

FakeTrimset::FakeTrimset(TestHost& host) {
  host.hook = [this](const HostCall& call, Reply& reply) { return Answer(call, reply); };
}

FakeVariable& FakeTrimset::Add(const std::string& name, int32_t id, Reply value, const std::string& label) {
  variables_.push_back(FakeVariable{name, id, std::move(value), label, {}});
  return variables_.back();
}

const FakeVariable* FakeTrimset::Find(const std::string& name) const {
  for (const auto& v : variables_) {
    if (v.name == name) return &v;
  }
  return nullptr;
}

std::vector<uint16_t> FakeTrimset::Words(const std::string& name) const {
  const FakeVariable* v = Find(name);
  std::vector<uint16_t> words;
  if (!v) return words;
  words.resize(v->value.bytes.size() / 2);
  std::memcpy(words.data(), v->value.bytes.data(), words.size() * 2);
  return words;
}

bool FakeTrimset::Answer(const HostCall& call, Reply& reply) {
  namespace c = sis::code;
  switch (call.code) {
    case c::kMachineState: reply = Reply::Int(machineState); return true;
    case c::kQueryNumber: {
      auto it = queries.find(call.SentInt());
      reply = it == queries.end() ? Reply::Fail(c::kDataError) : Reply::Int(it->second);
      return true;
    }
    case c::kConstant: {
      auto it = constants.find(call.name);
      reply = it == constants.end() ? Reply::Fail(c::kDataError) : Reply::Int(it->second);
      return true;
    }
    case c::kActionTable: {
      auto it = actions.find(call.name);
      reply = it == actions.end() ? Reply::Fail(c::kActionError) : Reply::Text(it->second);
      return true;
    }
    case c::kActionKnown: reply = Reply::Int(actions.count(call.name) ? 1 : 0); return true;
    case c::kNameOfId:
      for (const auto& v : variables_) {
        if (v.id == call.SentInt()) {
          reply = Reply::Text(v.name);
          return true;
        }
      }
      reply = Reply::Fail(c::kDataError);
      return true;
    default: break;
  }
  if (call.code < 0x40000 || call.code >= 0x50000) return false;
  FakeVariable* v = nullptr;
  for (auto& candidate : variables_) {
    if (candidate.name == call.name) v = &candidate;
  }
  if (!v) {
    reply = Reply::Fail(c::kDataError);
    return true;
  }
  switch (call.code) {
    case c::kVariableId: reply = Reply::Int(v->id); return true;
    case c::kValue: reply = v->value; return true;
    case c::kLabel: reply = v->label.empty() ? Reply::Fail(c::kDataError) : Reply::Text(v->label); return true;
    case c::kWriteValue:
      v->value = Reply::RawBytes(call.sentCount, call.sent);
      reply = Reply::Ok();
      return true;
    case c::kTransmit:
      transmitted.push_back(v->name);
      reply = Reply::Ok();
      return true;
    case c::kErrorMark:
    case c::kSwitch:
    case 0x40062:
    case 0x40064:
      v->props[call.code == c::kSwitch ? c::kSwitchedOn : call.code] = call.SentInt();
      reply = Reply::Ok();
      return true;
    default: {
      auto it = v->props.find(call.code);
      const bool onByDefault = call.code == c::kPickable || call.code == c::kListable ||
                               call.code == c::kSwitchedOn || call.code == c::kValuePresent;
      const int32_t fallback = call.code == c::kAttributes ? static_cast<int32_t>(c::kClassTunable)
                               : onByDefault                ? 1
                                                            : 0;
      reply = Reply::Int(it == v->props.end() ? fallback : it->second);
      return true;
    }
  }
}

}  // namespace sis::testing
