// The checks of the measurement inputs: channel assignment (with the merge on
// file instances), conversion maps, average structures, activation
// synchronisation, error state texts and the dependency rules.
#include <algorithm>

#include "SenCodes.h"
#include "Vt6SenInstance.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/messages.h"
#include "sis/platform/module.h"
#include "sis/platform/text.h"

using sen::Measurement;

namespace {

constexpr int32_t kLastFileInstance = 7;
constexpr int32_t kFirstOwnVariableId = 0x40000;

// Fault texts: each fault adds a line break and its message; the first
// character is dropped at the end.
void AddFault(std::wstring& line, int32_t id) { line += sis::kLineBreak + sis::LoadString(id); }
std::wstring Finished(const std::wstring& line) { return line.empty() ? line : line.substr(1); }

void PushId(sis::WordTable& table, int32_t id) {
  if (id == -1) {
    table.push_back(0x0000);
    table.push_back(0xFFFF);
    return;
  }
  table.push_back(static_cast<uint16_t>(static_cast<uint32_t>(id) & 0xFFFF));
  table.push_back(static_cast<uint16_t>(static_cast<uint32_t>(id) >> 16));
}

}  // namespace

void CVt6SenInstance::WriteChannelTexts(const Measurement& m, const std::wstring& channelName,
                                        const std::string& use) {
  const char* target = m.name[sen::kChannelText].c_str();
  const std::string ansi = sis::WideToAnsi(channelName);
  const int32_t result =
      Host().Send(Number(), sen::code::kChannelText, target, ansi.c_str(), static_cast<int32_t>(ansi.size() + 1));
  if (result != sis::code::kOk) ShowHostError(result);
  WriteText(use, target);
}

bool CVt6SenInstance::CheckAssignment() {
  if (AttributeClass(assignmentName_.c_str(), false) == 0) {
    if (inputsReport_) inputsReport_->SetLine(-1, L"");
    return false;
  }
  const size_t n = records_.size();
  if (savedAssignment_.empty() || Number() > kLastFileInstance) {
    if (!sen::AssignmentFormatOk(assignment_, records_)) {
      if (inputsReport_) inputsReport_->SetLine(-1, sis::LoadString(sen::ids::kUnknownConfiguration));
      status_ = sen::kStatusUnknown;
      if (AttributeClass(assignmentName_.c_str(), false) == 1) SetMark(assignmentName_.c_str(), true);
      return false;
    }
    savedAssignment_ = assignment_;
  } else {
    sis::WordTable merged = savedAssignment_;
    if (sen::MergeAssignment(assignment_, records_, merged)) {
      savedAssignment_ = merged;
      assignment_ = merged;
      ownAssignmentWrite_ = true;
      if (!WriteWordTable(assignment_, assignmentName_.c_str())) ownAssignmentWrite_ = false;
    } else {
      savedAssignment_ = merged;
    }
  }

  if (inputsReport_) inputsReport_->SetLine(-1, L"");
  status_ = sen::kStatusUsable;
  sis::WordTable compiled(1, 0);
  std::vector<uint32_t> used;
  for (size_t l = 0; l < n; ++l) {
    const Measurement& m = records_[l];
    const size_t block = sen::BlockStart(n, l);
    const uint32_t number = assignment_[block + 2];
    std::wstring line, channelName;
    std::string use;
    bool inError = false;
    bool correct = false;
    const int32_t c = sen::FindChannel(channels_, number);
    if (c < 0) {
      AddFault(line, sen::ids::kUnknownChannel);
      inError = true;  // an unknown channel is a fault of the measurement
      WriteChannelTexts(m, sis::LoadString(sen::ids::kConfigurationError), use);
    } else {
      const sen::Channel& ch = channels_[static_cast<size_t>(c)];
      if ((ch.cls & m.classes) == 0) {
        AddFault(line, sen::ids::kChannelType);
        inError = true;
      }
      if (ch.cls == sen::kNoChannelClass) {
        ReadLabelWide(ch.name, channelName);
        WriteChannelTexts(m, channelName, use);
      } else {
        if (number != m.ownChannel) {
          AddFault(line, sen::ids::kChannelNotAllowed);
          inError = true;
        } else if (std::find(used.begin(), used.end(), number) != used.end()) {
          AddFault(line, sen::ids::kChannelUsed);
          inError = true;
        } else if (!inError) {
          used.push_back(number);
          ReadLabelWide(ch.name, channelName);
          sis::HostReply reply;
          const int32_t zero = 0;
          if (Host().Query(Number(), sen::code::kChannelUse, ch.name.c_str(), &zero, -1, reply) == sis::code::kOk &&
              reply.IsText()) {
            use = static_cast<const char*>(reply.buffer().data);
          }
          WriteChannelTexts(m, channelName, use);
          correct = true;
        }
        if (inError) WriteChannelTexts(m, sis::LoadString(sen::ids::kConfigurationError), std::string());
      }
    }
    PushId(compiled, m.id[sen::kKey]);
    PushId(compiled, m.id[sen::kFurther]);
    PushId(compiled, m.HasMap() ? m.id[sen::kMap] : -1);
    if (correct) {
      compiled.push_back(static_cast<uint16_t>(number));
      if ((m.errorKind & 3) == 0 && (assignment_[block + 3] & 1) != 0) {
        AddFault(line, sen::ids::kReplacementRefused);
        status_ = sen::kStatusErrors;
      }
    } else {
      compiled.push_back(static_cast<uint16_t>(sen::kNoChannel));
      if (inError) status_ = sen::kStatusErrors;
    }
    if (inputsReport_) inputsReport_->SetLine(static_cast<int32_t>(l), Finished(line));
  }
  compiled[0] = static_cast<uint16_t>(compiled.size() * 2);
  WriteWordTable(compiled, compiledName_.c_str());

  for (size_t i = 0; i < n; ++i) CheckConversionMap(i);
  if (status_ == sen::kStatusUsable) {
    SetMark(assignmentName_.c_str(), false);
    UpdateStateTexts();
  } else if (AttributeClass(assignmentName_.c_str(), false) == 1) {
    SetMark(assignmentName_.c_str(), true);
  }
  if (status_ == sen::kStatusUsable && conPending_) ApplyConnectionRules();
  ApplyRules();
  return true;
}

void CVt6SenInstance::UpdateStateTexts() {
  const size_t n = records_.size();
  std::string texts;
  for (const std::wstring& text : stateTexts_) {
    texts += sis::WideToAnsi(text);
    texts.push_back('\0');
  }
  for (size_t i = 0; i < n; ++i) {
    const Measurement& m = records_[i];
    if ((m.errorKind & 2) == 0) continue;
    const int32_t c = sen::FindChannel(channels_, assignment_[sen::BlockStart(n, i) + 2]);
    const uint32_t cls = c < 0 ? 0 : channels_[static_cast<size_t>(c)].cls;
    const char* key = m.name[sen::kKey].c_str();
    int32_t result;
    if ((cls & 0x3C) != 0) {
      result = Host().Send(Number(), sen::code::kAttachStateTexts, key, texts.data(), static_cast<int32_t>(texts.size()));
    } else {
      result = Host().SendInt(Number(), sen::code::kRemoveStateTexts, key, -1);
    }
    if (result != sis::code::kOk) ShowHostError(result);
  }
}

void CVt6SenInstance::CheckConversionMap(size_t i) {
  Measurement& m = records_[i];
  if (!m.HasMap()) return;
  const char* map = m.name[sen::kMap].c_str();
  const int32_t cls = AttributeClass(map, false);
  if (cls == 0) return;
  std::wstring line;
  if (cls == -1) {
    AddFault(line, sen::ids::kConversionFormat);
    m.mapStatus = sen::kStatusUnknown;
  } else {
    const sen::CheckResult r = sen::CheckConversionMap(m.map);
    m.mapStatus = r.status;
    if (r.message) AddFault(line, r.message);
    if (r.status == sen::kStatusUsable) SetMark(map, false);
  }
  if (m.mapStatus != sen::kStatusUsable && cls == 1) SetMark(map, true);
  if (mapsReport_) mapsReport_->SetLine(static_cast<int32_t>(i), Finished(line));
  WriteProperty(sen::code::kRefreshMap, map, -1);
  CallEmpty(sis::code::kMotorOp1, m.name[sen::kKey].c_str());
  CallEmpty(sis::code::kMotorOp2, m.name[sen::kKey].c_str());
}

void CVt6SenInstance::CheckAverageStructure(size_t i) {
  Measurement& m = records_[i];
  if (!m.HasStructure()) return;
  const char* structure = m.name[sen::kStructure].c_str();
  const int32_t cls = AttributeClass(structure, false);
  if (cls == 0) return;
  std::string scaleName;
  const bool resolves =
      sen::StructureNamesScale(m.structure) && Resolve(sen::StructureScaleId(m.structure), scaleName);
  const sen::CheckResult r = sen::CheckAverageStructure(m.structure, resolves);
  m.structureStatus = r.status;
  std::wstring line;
  if (r.message) AddFault(line, r.message);
  if (r.status == sen::kStatusUsable) {
    SetMark(structure, false);
  } else if (cls == 1) {
    SetMark(structure, true);
  }
  if (averageReport_) averageReport_->SetLine(static_cast<int32_t>(i), Finished(line));
  if (!m.name[sen::kAverageMap].empty()) {
    WriteProperty(sen::code::kRefreshMap, m.name[sen::kAverageMap].c_str(),
                  r.status == sen::kStatusUsable ? sen::StructureScaleId(m.structure) : -1);
  }
}

void CVt6SenInstance::SynchroniseActivation() {
  const char* table = activationName_.c_str();
  if (AttributeClass(table, false) == 0) return;
  if (activation_.size() == activationCopy_.size() && !activation_.empty() &&
      activation_[0] == activation_.size() * 2) {
    for (size_t i = 0; i + 1 < activation_.size() && i < records_.size(); ++i) {
      if (activation_[i + 1] == activationCopy_[i + 1]) continue;
      if (SendInt(sis::code::kWriteValue, records_[i].name[sen::kActivation].c_str(), activation_[i + 1],
                  Reaction::Message)) {
        activationCopy_[i + 1] = activation_[i + 1];
      }
    }
    return;
  }
  ownActivationWrite_ = true;
  if (!WriteWordTable(activationCopy_, table)) {
    ownActivationWrite_ = false;
    return;
  }
  activation_ = activationCopy_;
  if (Number() <= kLastFileInstance) {
    if (AttributeClass(table, false) == 1) SetMark(table, true);
  } else {
    Transmit(table);
  }
}

// --- Rules and the machine connection ---------------------------------------------

void CVt6SenInstance::ApplyRules() {
  if (status_ < sen::kStatusErrors) return;
  for (const sis::Rule& rule : rules_) {
    sis::ApplyRule(*this, rule, sen::RuleValue(rule, records_, assignment_, channels_));
  }
}

void CVt6SenInstance::ApplyConnectionRules() {
  for (const sis::Rule& rule : rules_) {
    if (sen::RuleValue(rule, records_, assignment_, channels_) != 1) continue;
    for (const std::string& variable : rule.variables) {
      const char* name = variable.c_str();
      int32_t kind = 0;
      if (!ReadInt(sis::code::kKind, name, kind, Reaction::Message) || kind != 0) continue;
      int32_t id = 0;
      if (!ReadVariableId(name, id) || id >= kFirstOwnVariableId) continue;
      int32_t s1 = 0, s2 = 0;
      if (!ReadInt(sis::code::kState1, name, s1, Reaction::Message) ||
          !ReadInt(sis::code::kState2, name, s2, Reaction::Message)) {
        continue;
      }
      if (s1 == 0 && s2 == 0) SendInt(sen::code::kSendMode, name, 3, Reaction::Message);
    }
  }
  conPending_ = false;
}

void CVt6SenInstance::OnConnect(const char*) {
  if (!Has(sis::flag::kOpen) || Number() <= kLastFileInstance) return;
  if (status_ == sen::kStatusUsable) {
    ApplyConnectionRules();
  } else {
    conPending_ = true;
  }
}

void CVt6SenInstance::OnDisconnect(const char*) {
  if (!Has(sis::flag::kOpen) || Number() <= kLastFileInstance) return;
  const char* table = activationName_.c_str();
  int32_t s1 = 0, s2 = 0;
  if (!ReadInt(sis::code::kState1, table, s1, Reaction::Message) ||
      !ReadInt(sis::code::kState2, table, s2, Reaction::Message)) {
    return;
  }
  if (s1 != 0 && s2 != 0) SendInt(sen::code::kSendMode, table, 1, Reaction::Message);
}
