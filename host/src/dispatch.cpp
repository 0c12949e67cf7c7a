// ACTIONDLL's answers, code by code. Ownership: a reply is a new malloc'd
// block that the plug-in frees (an integer answer to an integer query goes
// into the block sent); what a plug-in sends with a query stays its own. Data
// handed over is kept (here: copied and freed) only when the result is 0, and
// the buffer is then left empty.
#include <cstdlib>
#include <cstring>

#include "sis/abi/host_codes.h"
#include "sis/host/host.h"
#include "sis/host/text1252.h"

namespace sis::host {
namespace {

void Reply(HostBuffer& io, const Datum& d) {
  if (io.data != nullptr) {
    if (d.IsInt() && io.count == -1) {  // an integer answer goes into the same buffer
      std::memcpy(io.data, d.bytes.data(), 4);
      return;
    }
    // Otherwise the reply goes in a new block: what the plug-in sent with a
    // query stays the plug-in's to free.
  }
  d.Fill(io);
}

void Keep(HostBuffer& io) {
  std::free(io.data);
  io = HostBuffer{0, nullptr};
}

bool InInt(const HostBuffer& io, int32_t& v) {
  if (io.count != -1 || io.data == nullptr) return false;
  std::memcpy(&v, io.data, 4);
  return true;
}

bool HasData(const HostBuffer& io) { return io.data != nullptr && io.count != 0; }

// Codes the host answers from a variable's own fields: on an unknown name they
// fail instead of falling through to the store.
bool IsVariableField(int32_t code) {
  namespace c = sis::code;
  switch (code) {
    case c::kVariableId: case c::kKind: case c::kAttributes: case c::kErrorMark: case c::kPickable:
    case c::kListable: case c::kSwitchedOn: case c::kSwitch: case c::kValuePresent: case c::kState1:
    case c::kState2: case c::kValue: case c::kWriteValue: case c::kErrorText: case c::kErrorState:
    case c::kMotorOp1: case c::kMotorOp2: case c::kLabel: case c::kCategory: case c::kTransmit:
      return true;
    default:
      return false;
  }
}

// Codes that send a question (an integer, a value to format) and take their
// answer back as a text: what they send stays the plug-in's. Without a stored
// answer they are unanswered, never recorded as a write.
bool IsQueryCode(int32_t code) {
  switch (code) {
    case sis::code::kQueryNumber: case sis::code::kNameOfId: case sis::code::kLabel:
    case 0x40038:  // a variable's value formatted for display
    case 0x40041:  // a channel's use text
      return true;
    default:
      return false;
  }
}

}  // namespace

const char* CodeName(int32_t code) {
  namespace c = sis::code;
  switch (code) {
    case c::kHostVersion: return "HostVersion";
    case c::kHostLanguage: return "HostLanguage";
    case c::kInstanceLevel: return "InstanceLevel";
    case c::kMachineState: return "MachineState";
    case c::kMachineName: return "MachineName";
    case 0x10023: return "Clock";
    case c::kRegister: return "Register";
    case c::kVetoSave: return "VetoSave";
    case c::kQueryNumber: return "QueryNumber";
    case c::kVariableList: return "VariableList";
    case c::kConstant: return "Constant";
    case c::kActionKnown: return "ActionKnown";
    case c::kActionFinished: return "ActionFinished";
    case c::kActionState: return "ActionState";
    case c::kActionTable: return "ActionTable";
    case c::kFunctionKnown: return "FunctionKnown";
    case c::kFunctionState: return "FunctionState";
    case c::kVariableId: return "VariableId";
    case c::kKind: return "Kind";
    case c::kNameOfId: return "NameOfId";
    case c::kAttributes: return "Attributes";
    case c::kErrorMark: return "ErrorMark";
    case c::kPickable: return "Pickable";
    case c::kListable: return "Listable";
    case c::kSwitchedOn: return "SwitchedOn";
    case c::kSwitch: return "Switch";
    case c::kValuePresent: return "ValuePresent";
    case c::kState1: return "State1";
    case c::kState2: return "State2";
    case c::kValue: return "Value";
    case c::kWriteValue: return "WriteValue";
    case c::kErrorText: return "ErrorText";
    case c::kErrorState: return "ErrorState";
    case c::kMotorOp1: return "MotorOp1";
    case c::kMotorOp2: return "MotorOp2";
    case c::kLabel: return "Label";
    case c::kAxes: return "Axes";
    case c::kCategory: return "Category";
    case c::kTransmit: return "Transmit";
    default: return "Code";
  }
}

int32_t Host::Unanswered(const std::string& why) {
  notes_.push_back("unanswered: " + why);
  return options_.failure;
}

int32_t Host::Answer(int32_t instance, int32_t code, const std::string& name, HostBuffer& io) {
  namespace c = sis::code;
  for (auto it = overrides_.rbegin(); it != overrides_.rend(); ++it) {
    if (it->code != code || (it->name != "*" && it->name != name)) continue;
    if (it->reply) {
      Reply(io, *it->reply);
      return it->result;
    }
    if (it->result != 0) return it->result;
    break;
  }

  Trimset* ts = Find(instance);
  // Handshake calls carry the plug-in's identifier, not an instance: they get
  // the facts of the first Trimset (or the defaults).
  static const HostFacts kDefaultFacts;
  const HostFacts& facts = ts ? ts->facts : trimsets_.empty() ? kDefaultFacts : trimsets_.begin()->second->facts;
  int32_t v = 0;
  switch (code) {
    case c::kHostVersion: Reply(io, Datum::Int(facts.version)); return 0;
    case c::kHostLanguage: Reply(io, Datum::Int(options_.language)); return 0;
    case 0x10023: Reply(io, Datum::Int(clock_)); return 0;
    case c::kRegister:
      if (!InInt(io, v)) return Unanswered("registration without an integer");
      registrations_.push_back(name);
      Keep(io);
      return 0;
    default: break;
  }
  if (ts == nullptr) return Unanswered("no Trimset on instance " + std::to_string(instance));

  switch (code) {
    case c::kInstanceLevel: Reply(io, Datum::Int(facts.level)); return 0;
    case c::kMachineState: Reply(io, Datum::Int(Connected(instance) ? facts.state : -1)); return 0;
    case c::kMachineName: Reply(io, Datum::Text(facts.machine)); return 0;
    case c::kVetoSave:
      if (!InInt(io, v)) return Unanswered("save veto without an integer");
      vetoes_[instance].push_back(TopPlugin());
      notes_.push_back("host: save vetoed by " + TopPlugin() + " (" + std::to_string(v) + ")");
      Keep(io);
      return 0;
    case c::kQueryNumber: {
      if (!InInt(io, v)) return Unanswered("numbered query without a number");
      auto it = facts.queries.find(v);
      if (it == facts.queries.end()) return Unanswered("numbered query " + std::to_string(v));
      Reply(io, Datum::Int(it->second));
      return 0;
    }
    case c::kVariableList: {
      std::vector<std::string> names;
      names.reserve(ts->Variables().size());
      for (const auto& var : ts->Variables()) names.push_back(var.name);
      Reply(io, Datum::Names(names));
      return 0;
    }
    case c::kConstant: {
      const int32_t* k = ts->Constant(name);
      if (k == nullptr) return Unanswered("constant " + name);
      Reply(io, Datum::Int(*k));
      return 0;
    }
    case c::kActionKnown: Reply(io, Datum::Int(ts->FindAction(name) ? 1 : 0)); return 0;
    case c::kFunctionKnown: Reply(io, Datum::Int(ts->FindFunction(name) ? 1 : 0)); return 0;
    case c::kActionFinished: {
      finished_.push_back(std::to_string(instance) + ":" + name);
      for (auto& ra : running_) {
        if (ra.instance == instance && ra.name == name && (ra.plugin == TopPlugin() || TopPlugin().empty()) &&
            !ra.finished) {
          ra.finished = true;
          events_.push_back({Event::Kind::Finished, instance, ra.plugin, name, ra.resetVerb, ""});
        }
      }
      return 0;
    }
    case c::kActionState:
    case c::kFunctionState: {
      int32_t* available = nullptr;
      if (code == c::kActionState) {
        if (Action* a = ts->FindAction(name)) available = &a->available;
      } else if (HostFunction* f = ts->FindFunction(name)) {
        available = &f->available;
      }
      if (available == nullptr) return Unanswered(std::string(code == c::kActionState ? "action " : "function ") + name);
      if (!InInt(io, v)) return Unanswered("availability without an integer");
      *available = v;
      Keep(io);
      return 0;
    }
    case c::kActionTable: {
      Action* a = ts->FindAction(name);
      if (a == nullptr || a->table.empty()) return Unanswered("table of action " + name);
      Reply(io, Datum::Text(a->table));
      return 0;
    }
    case c::kTransmit: {
      if (name != "VSYS_RSTMAC") break;
      if (!InInt(io, v)) return Unanswered("machine reset without an integer");
      if (instance < 8 || !Connected(instance)) return Unanswered("no machine to reset on instance " + std::to_string(instance));
      Machine& m = MachineOf(instance);
      if (m.resetFails) {
        notes_.push_back("host: machine reset failed");
        return c::kTransferError;
      }
      ++m.resets;
      notes_.push_back("host: machine " + std::to_string(instance) + " reset");
      Keep(io);
      return 0;
    }
    case c::kNameOfId: {
      if (!InInt(io, v)) return Unanswered("identifier query without an integer");
      Variable* var = ts->FindId(v);
      if (var == nullptr) return Unanswered("identifier " + std::to_string(v));
      Reply(io, Datum::Text(var->name));
      return 0;
    }
    default: break;
  }
  if (code >= 0x40000 && code < 0x50000 && ts->Find(name) != nullptr) return AnswerVariable(*ts, instance, code, name, io);

  // Any other code: the store answers.
  const Trimset::StoreEntry* entry = ts->Entry(code, name);
  if (entry != nullptr && !entry->recorded) {
    Reply(io, entry->datum);
    return 0;
  }
  if (IsVariableField(code)) return Unanswered("unknown variable \"" + Cp1252ToUtf8(name) + "\"");
  if (HasData(io) && !IsQueryCode(code)) {
    ts->Put(code, name, Datum::FromBuffer(io), true);
    Keep(io);
    return 0;
  }
  if (entry != nullptr) {
    Reply(io, entry->datum);
    return 0;
  }
  if (code >= 0x40000 && code < 0x50000) return Unanswered("unknown variable \"" + Cp1252ToUtf8(name) + "\"");
  return Unanswered(std::string("code ") + CodeName(code) + " for \"" + Cp1252ToUtf8(name) + "\"");
}

int32_t Host::AnswerVariable(Trimset& ts, int32_t instance, int32_t code, const std::string& name, HostBuffer& io) {
  namespace c = sis::code;
  Variable& var = *ts.Find(name);
  int32_t v = 0;
  auto setInt = [&](int32_t& field) {
    if (!InInt(io, v)) return Unanswered(std::string(CodeName(code)) + " without an integer");
    field = v;
    Keep(io);
    return 0;
  };
  switch (code) {
    case c::kVariableId: Reply(io, Datum::Int(var.id)); return 0;
    case c::kKind: Reply(io, Datum::Int(var.KindCode())); return 0;
    case c::kAttributes: Reply(io, Datum::Int(static_cast<int32_t>(var.attributes))); return 0;
    case c::kPickable: Reply(io, Datum::Int(var.pickable)); return 0;
    case c::kListable: Reply(io, Datum::Int(var.listable)); return 0;
    case c::kSwitchedOn: Reply(io, Datum::Int(var.switchedOn)); return 0;
    case c::kValuePresent: Reply(io, Datum::Int(var.present)); return 0;
    case c::kState1: Reply(io, Datum::Int(var.state1)); return 0;
    case c::kState2: Reply(io, Datum::Int(var.state2)); return 0;
    case c::kErrorState: Reply(io, Datum::Int(var.errorState)); return 0;
    case c::kCategory: Reply(io, Datum::Int(var.category)); return 0;
    case c::kErrorText: Reply(io, Datum::Text(var.errorText)); return 0;
    case c::kLabel: Reply(io, Datum::Text(var.label.empty() ? var.name : var.label)); return 0;
    case c::kValue: Reply(io, var.Value()); return 0;
    case c::kErrorMark: return setInt(var.errorMark);
    case c::kSwitch: return setInt(var.switchedOn);
    case c::kMotorOp1:
    case c::kMotorOp2:
      if (const Trimset::StoreEntry* e = ts.Entry(code, name)) {
        Reply(io, e->datum);
        return 0;
      }
      notes_.push_back(std::string("host: ") + CodeName(code) + " on " + Cp1252ToUtf8(name));
      return 0;
    case c::kWriteValue: {
      const Datum d = Datum::FromBuffer(io);
      if (!var.Assign(d)) {
        return Unanswered(Describe(d) + " does not fit " + KindName(var.kind) + " variable " + Cp1252ToUtf8(name));
      }
      var.present = 1;
      Keep(io);
      QueueChange(ts, name);
      return 0;
    }
    case c::kTransmit: {
      if (!InInt(io, v)) return Unanswered("transmission without an integer");
      if (instance < 8) return Unanswered("instance " + std::to_string(instance) + " is a file, not a machine");
      if (!Connected(instance)) return Unanswered("machine " + std::to_string(instance) + " is not connected");
      transmissions_.push_back({instance, TopPlugin(), name, v});
      if (v == -1) {
        const RunningAction* ra = FindRunning(instance, TopPlugin());
        events_.push_back({Event::Kind::Transmitted, instance, TopPlugin(), name, "", ra ? ra->name : std::string()});
      }
      Keep(io);
      return 0;
    }
    default: break;
  }
  const Trimset::StoreEntry* entry = ts.Entry(code, name);
  if (entry != nullptr && !entry->recorded) {
    Reply(io, entry->datum);
    return 0;
  }
  if (HasData(io) && !IsQueryCode(code)) {
    ts.Put(code, name, Datum::FromBuffer(io), true);
    Keep(io);
    return 0;
  }
  if (entry != nullptr) {
    Reply(io, entry->datum);
    return 0;
  }
  return Unanswered(std::string("code ") + CodeName(code) + " for \"" + Cp1252ToUtf8(name) + "\"");
}

}  // namespace sis::host
