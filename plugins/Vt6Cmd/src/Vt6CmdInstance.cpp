#include "Vt6CmdInstance.h"

#include <algorithm>

#include "CmdEditing.h"
#include "CmdTexts.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/messages.h"
#include "sis/framework/report.h"
#include "sis/platform/module.h"
#include "sis/platform/text.h"

using namespace vt6cmd;

namespace {

const std::vector<std::string>& ConditionKeywords() {
  static const std::vector<std::string> keywords = {"CN0", "CN1", "CN2", "CN3", "CN4", "CN5", "CN6", "CN7", "CN8"};
  return keywords;
}

constexpr int32_t kRunOptionsQuery = 5;
constexpr size_t kHeaderWords = 5;
constexpr size_t kRecordWords = 12;
constexpr size_t kInputRecordWords = 7;
constexpr int32_t kKindMap = 2;
constexpr int32_t kFirstMachineInstance = 8;
constexpr int32_t kConnectionSend = 3;
constexpr int32_t kVariableIdLimit = 0x40000;

constexpr const char* kMotorValues[] = {"RCO_ELMOT_0", "PROP_ELMOT_0", "INTG_ELMOT_0", "DERI_ELMOT_0"};
constexpr const char* kMotorMaps[] = {"MAP_ELMOT_RCO_0", "MAP_ELMOT_DERI_0", "MAP_ELMOT_INTC_0"};

}  // namespace

CVt6CmdInstance::CVt6CmdInstance(const sis::HostLink& host, int32_t number)
    : sis::Instance(host, number),
      editing_(std::make_unique<CCmdEditing>(*this)),
      exchange_(std::make_unique<sis::TransmissionExchange>(*this, *editing_, std::vector<std::string>{})) {
  editing_->SetExchange(*exchange_);
}

CVt6CmdInstance::~CVt6CmdInstance() = default;

// --- Reading -----------------------------------------------------------------

bool CVt6CmdInstance::ReadConfiguration() {
  ClearConfiguration();
  int32_t option = kRunOptionsQuery;
  if (QueryNumber(option)) {
    optionFlag_ = option <= 4;
    mapsFlag_ = option <= 5;
  }
  limits_ = Limits{};
  const std::pair<const char*, int32_t*> constants[] = {
      {"VALUSER_LSTSEL", &limits_.lstSel}, {"VALUSER_LSTUTI", &limits_.lstUti}, {"MIN_CMDNREL", &limits_.minNRel},
      {"MAX_CMDNREL", &limits_.maxNRel},   {"MIN_CMDPREL", &limits_.minPRel},   {"MAX_CMDPREL", &limits_.maxPRel},
      {"MIN_CMDPSFT", &limits_.minPSft},   {"MAX_CMDPSFT", &limits_.maxPSft},   {"MIN_CMDPPIT", &limits_.minPPit},
      {"MAX_CMDPPIT", &limits_.maxPPit},   {"MIN_CMDAREL", &limits_.minARel},   {"MAX_CMDAREL", &limits_.maxARel},
  };
  for (const auto& [name, value] : constants) ReadConstant(name, *value);

  bool ok = limits_.lstSel != 0;
  sis::LongTable config;
  size_t count = 0;
  if (ok) ok = ReadLongTable(tableName.c_str(), config);
  if (ok) {
    ok = config.size() >= kHeaderWords + kRecordWords && (config.size() - kHeaderWords) % kRecordWords == 0;
    count = ok ? (config.size() - kHeaderWords) / kRecordWords : 0;
    ok = ok && count <= 32;  // one transmission part per output
  }
  if (ok) ok = ReadVariableName(config[3], compiledName_);
  if (ok) ok = ReadVariableName(config[4], inputsName_) && ReadWordTable(inputsName_.c_str(), inputs_);
  std::string rulesName;
  if (ok && ReadVariableName(config[1], rulesName)) {
    ok = sis::ReadRules(*this, rulesName.c_str(), ConditionKeywords(), generalRules_);
  }
  bool outputRules = false;
  if (ok && ReadVariableName(config[2], rulesName)) {
    outputRules = true;
    ok = sis::ReadRules(*this, rulesName.c_str(), ConditionKeywords(), outputRules_);
  }
  if (ok) ok = ReadOutputs(config, count);
  // Without a second text there are no per-output rules; a text that exists
  // has one rule per output.
  if (ok && outputRules) ok = outputRules_.size() == count;
  globalStatus_ = -2;
  if (!ok) {
    ClearConfiguration();
    return false;
  }
  partNames.clear();
  for (const Output& o : outputs_) partNames.push_back(o.part);
  exchange_->SetParts(partNames);
  checkLines.parts.assign(outputs_.size(), std::wstring());
  return true;
}

bool CVt6CmdInstance::ReadOutputs(const sis::LongTable& config, size_t count) {
  outputs_.assign(count, Output{});
  for (size_t i = 0; i < count; ++i) {
    const int32_t* r = &config[kHeaderWords + kRecordWords * i];
    Output& o = outputs_[i];
    o.record.modes = static_cast<uint32_t>(r[4]);
    for (size_t m = 0; m < 6; ++m) o.record.masks[m] = static_cast<uint32_t>(r[5 + m]);
    o.record.twin = static_cast<uint32_t>(r[11]);
    if (!RecordValid(o.record, count)) return false;
    o.partId = r[0];
    if (!ReadVariableName(r[0], o.part) || !ReadWordTable(o.part.c_str(), o.table)) return false;
    o.status = -2;
    o.advanced = false;
    if (!ReadVariableName(r[3], o.description)) return false;
    if (mapsFlag_) {
      const bool pilot = (r[1] & 0xFFFF) != 0;
      const bool second = (r[2] & 0xFFFF) != 0;
      if (pilot != second) return false;
      if (pilot) {
        if (!ReadVariableName(r[1], o.pilotMap) || !ReadVariableName(r[2], o.secondMap)) return false;
        o.pilotMapId = r[1];
        o.secondMapId = r[2];
      }
    }
  }
  for (size_t i = 0; i < count; ++i) {
    const uint32_t j = outputs_[i].record.twin;
    if (j != kNoTwin && outputs_[j].record.twin != i) return false;
  }
  return true;
}

void CVt6CmdInstance::ClearConfiguration() {
  outputs_.clear();
  generalRules_.clear();
  outputRules_.clear();
  registry_.clear();
  inputs_.clear();
  compiledName_.clear();
  inputsName_.clear();
  partNames.clear();
  exchange_->SetParts({});
  checkLines = sis::ReportLines{};
  globalStatus_ = -2;
  motorFlag_ = false;
  connectionPending_ = false;
  optionFlag_ = mapsFlag_ = false;
  pending_ = Pending::Publish;
}

bool CVt6CmdInstance::FinalCheck() {
  for (const Output& o : outputs_) {
    if (o.status == 0 || o.status == -1) return false;
  }
  return globalStatus_ != 0 && globalStatus_ != -1;
}

// --- Changes -----------------------------------------------------------------

bool CVt6CmdInstance::Watches(const char* name, sis::ChangeKind kind) const {
  switch (kind) {
    case sis::ChangeKind::Value:
      return std::any_of(outputs_.begin(), outputs_.end(), [name](const Output& o) { return o.part == name; });
    case sis::ChangeKind::Map:
      return std::any_of(outputs_.begin(), outputs_.end(),
                         [name](const Output& o) { return o.HasMaps() && o.pilotMap == name; });
    case sis::ChangeKind::Table:
      return !inputsName_.empty() && inputsName_ == name;
  }
  return false;
}

void CVt6CmdInstance::TakeChange(const char* name, sis::ChangeKind kind) {
  switch (kind) {
    case sis::ChangeKind::Value:
      for (Output& o : outputs_) {
        if (o.part == name) ReadWordTable(name, o.table);
      }
      pending_ = Pending::Publish;
      break;
    case sis::ChangeKind::Map:
      pending_ = Pending::Advanced;
      break;
    case sis::ChangeKind::Table:
      // A changed inputs table only moves the rules; during a transfer the
      // reset's publish applies them. A failed read changes nothing.
      pending_ = ReadWordTable(name, inputs_) ? Pending::Inputs : Pending::Nothing;
      break;
  }
}

void CVt6CmdInstance::RefreshDisplays() {
  const Pending what = pending_;
  pending_ = Pending::Publish;
  switch (what) {
    case Pending::Publish:
      Publish();
      break;
    case Pending::Advanced:
      ComputeAdvanced();
      ApplyRules();
      break;
    case Pending::Inputs:
      ApplyRules();
      if (connectionPending_) ConnectionUpdate();
      break;
    case Pending::Nothing:
      break;
  }
}

void CVt6CmdInstance::OnConnect(const char*) {
  if (Has(sis::flag::kOpen) && Number() >= kFirstMachineInstance) ConnectionUpdate();
}

// Disconnection and timer ticks mean nothing to the auxiliary outputs.
void CVt6CmdInstance::OnNothing(const char*) {}

// --- Publish -----------------------------------------------------------------

bool CVt6CmdInstance::Publish() {
  sis::WordTable compiled = sis::MakeWordTable(1 + 3 * outputs_.size());
  bool allValid = true;
  for (size_t i = 0; i < outputs_.size(); ++i) {
    CheckOutput(i);
    const auto reg = registry_.find(i);
    const bool valid = reg != registry_.end();
    allValid = allValid && valid;
    const auto id = static_cast<uint32_t>(outputs_[i].partId);
    compiled[1 + 3 * i] = valid ? reg->second : kNotUsedCode;
    compiled[2 + 3 * i] = static_cast<uint16_t>(id & 0xFFFF);
    compiled[3 + 3 * i] = static_cast<uint16_t>(id >> 16);
  }
  WriteWordTable(compiled, compiledName_.c_str());
  const bool unique = UniquenessCheck();
  motorFlag_ = std::any_of(outputs_.begin(), outputs_.end(), [](const Output& o) {
    return o.status == 1 && o.table[word::kCode] == kThrottleNegative;
  });
  for (size_t i = 0; i < outputs_.size(); ++i) {
    WriteDescription(i);
    PublishMaps(i);
  }
  ComputeAdvanced();
  ApplyRules();
  MotorVariables();
  if (connectionPending_) ConnectionUpdate();
  return allValid && unique;
}

void CVt6CmdInstance::CheckOutput(size_t i) {
  Output& o = outputs_[i];
  const char* part = o.part.c_str();
  std::wstring line;
  if (AttributeClass(part, true) == 0) {
    registry_.erase(i);
  } else {
    const TwinView* twin = nullptr;
    TwinView view{};
    const uint32_t j = o.record.twin;
    if (j != kNoTwin && outputs_[j].status == 1 && TableShapeValid(outputs_[j].table)) {
      view = {outputs_[j].table[word::kCode], outputs_[j].table[word::kParameter]};
      twin = &view;
    }
    const CheckResult r =
        CheckOutputTable(o.record, o.table, limits_, o.HasMaps(), [this](int32_t id) { return IdKnown(id); }, twin);
    o.status = r.status;
    if (r.status == 1) {
      registry_[i] = o.table[word::kCode];
      WriteProperty(sis::code::kErrorMark, part, 0);
    } else {
      registry_.erase(i);
    }
    for (int32_t m : r.messages) line += (line.empty() ? L"" : sis::kLineBreak) + sis::LoadString(m);
  }
  if ((o.status == 0 || o.status == -1) && AttributeClass(part, false) == 1) {
    WriteProperty(sis::code::kErrorMark, part, 1);
  }
  SetReportLine(static_cast<int32_t>(i), line);
}

bool CVt6CmdInstance::UniquenessCheck() {
  if (AnyStatusNegative()) {
    SetReportLine(-1, L"");
    globalStatus_ = -2;
    return true;
  }
  for (const auto& [index, code] : registry_) {
    if (MayRepeat(code)) continue;
    const auto same = std::count_if(registry_.begin(), registry_.end(), [c = code](const auto& e) { return e.second == c; });
    if (same > 1) {
      SetReportLine(-1, sis::LoadString(msg::kUniqueTwice));
      globalStatus_ = -1;
      return false;
    }
  }
  SetReportLine(-1, L"");
  globalStatus_ = 1;
  return true;
}

void CVt6CmdInstance::SetReportLine(int32_t index, const std::wstring& text) {
  if (index < 0) {
    checkLines.general = text;
  } else if (static_cast<size_t>(index) < checkLines.parts.size()) {
    checkLines.parts[static_cast<size_t>(index)] = text;
  }
  if (report) report->SetLine(index, text);
}

void CVt6CmdInstance::WriteDescription(size_t i) {
  const Output& o = outputs_[i];
  const uint32_t j = o.record.twin;
  const Output* partner = j != kNoTwin ? &outputs_[j] : nullptr;
  // The positive throttle output is named after its partner's chosen code,
  // whether or not that partner passed its own check.
  const bool pairedAsync =
      partner && TableShapeValid(partner->table) && partner->table[word::kCode] == kThrottleNegative;
  std::wstring text;
  if (o.status != 1) {
    text = sis::LoadString(msg::kErrorDescription) + sis::kLineBreak;
  } else if (o.table[word::kCode] == kNotUsedCode) {
    if (partner && partner->status == 1 && IsTwinPositive(partner->table[word::kCode])) {
      const uint16_t jc = partner->table[word::kCode];
      const CodeInfo* info = FindCode(jc);
      text = sis::LoadString(jc == kThrottleNegative ? msg::kThrottleAsynchronous : info->negativeText) +
             sis::kLineBreak + ModeLine(partner->table[word::kMode]);
    } else {
      text = sis::LoadString(msg::kNotUsed) + sis::kLineBreak;
    }
  } else {
    text = CodeLine(o.table, pairedAsync) + sis::kLineBreak + ModeLine(o.table[word::kMode]);
  }
  WriteText(sis::WideToAnsi(text), o.description.c_str());
}

// The operations without data on a variable (0x40039, 0x4003a); the host's
// reply, whatever it is, is freed.
bool CVt6CmdInstance::HostOperation(int32_t code, const char* name) const {
  sis::HostReply reply;
  const int32_t result = Host().Call(Number(), code, name, reply.get());
  if (result != sis::code::kOk) ShowHostError(result);
  return result == sis::code::kOk;
}

bool CVt6CmdInstance::SetMapAxis(int32_t code, const std::string& map, int32_t id) const {
  return WriteProperty(code, map.c_str(), id);
}

void CVt6CmdInstance::PublishMaps(size_t i) {
  if (!mapsFlag_) return;
  const Output& o = outputs_[i];
  constexpr int32_t kLineAxisCode = 0x40062;
  constexpr int32_t kColumnAxisCode = 0x40064;
  const CodeInfo* info = FindCode(o.table.size() > word::kCode ? o.table[word::kCode] : 0);
  // The throttle's regulation maps take the throttle position as column axis
  // when the negative output regulates the motor, else the position error.
  if (o.status == 1 && info && info->code == kThrottlePositive) {
    const char* source = motorFlag_ ? "POS_THROTTLE_0" : "DIF_THROTTLE_0";
    int32_t axis = -1;
    if (VariableExists(source) && ReadVariableId(source, axis)) {
      for (const char* map : {"MAP_ELMOT_DERI_0", "MAP_ELMOT_INTC_0"}) {
        if (VariableExists(map)) WriteProperty(kColumnAxisCode, map, axis);
      }
    }
  }
  if (!o.HasMaps()) return;
  const char* pilot = o.pilotMap.c_str();
  const char* second = o.secondMap.c_str();
  if (o.status == 1 && info && info->pilotMap) {
    bool on = false;
    if (ReadSwitchedOn(pilot, on) && on) {
      HostOperation(sis::code::kMotorOp1, pilot);
      HostOperation(sis::code::kMotorOp1, second);
    } else {
      WriteProperty(sis::code::kSwitch, pilot, 1);
      WriteProperty(sis::code::kSwitch, second, 1);
    }
    SetMapAxis(kLineAxisCode, o.pilotMap, LineAxis(o.table));
    SetMapAxis(kColumnAxisCode, o.pilotMap, ColumnAxis(o.table));
    HostOperation(sis::code::kMotorOp2, second);
  } else {
    WriteProperty(sis::code::kSwitch, pilot, 0);
    WriteProperty(sis::code::kSwitch, second, 0);
    SetMapAxis(kLineAxisCode, o.pilotMap, -1);
    SetMapAxis(kColumnAxisCode, o.pilotMap, -1);
    if (o.status == 1) HostOperation(sis::code::kMotorOp2, second);
  }
}

void CVt6CmdInstance::MotorVariables() {
  if (motorFlag_) return;
  for (const char* name : kMotorValues) {
    if (!VariableExists(name)) continue;
    HostOperation(sis::code::kMotorOp1, name);
    HostOperation(sis::code::kMotorOp2, name);
  }
  for (const char* name : kMotorMaps) {
    if (VariableExists(name)) HostOperation(sis::code::kMotorOp1, name);
  }
}

bool CVt6CmdInstance::CategoryStandard(int32_t id) const {
  if (limits_.lstUti == 0) return true;  // no second mask: nothing is narrowed
  std::string name;
  int32_t category = 0;
  return ReadVariableName(id, name) && ReadInt(sis::code::kCategory, name.c_str(), category, Reaction::Silent) &&
         (category & limits_.lstUti) != 0;
}

// The advanced flag: see BeyondStandard. Only valid outputs are judged.
void CVt6CmdInstance::ComputeAdvanced() {
  for (Output& o : outputs_) {
    o.advanced = o.status == 1 &&
                 BeyondStandard(o.table, limits_, o.HasMaps(), [this](int32_t id) { return CategoryStandard(id); });
  }
}

bool CVt6CmdInstance::IdKnown(int32_t id) const {
  std::string name;
  return ReadVariableName(id, name);
}

bool CVt6CmdInstance::AnyStatusNegative() const {
  return std::any_of(outputs_.begin(), outputs_.end(), [](const Output& o) { return o.status < 0; });
}

// --- Rules -------------------------------------------------------------------

std::set<uint16_t> CVt6CmdInstance::CodesInUse() const {
  std::set<uint16_t> codes;
  for (const Output& o : outputs_) {
    if (o.table.size() > word::kCode) codes.insert(o.table[word::kCode]);
  }
  return codes;
}

// The channel class of a measurement; all bits when the inputs table is not
// usable or does not hold the measurement.
uint32_t CVt6CmdInstance::ClassOf(int32_t measurement) const {
  constexpr uint32_t kAllBits = 0xFFFFFFFFu;
  if (inputs_.size() < 1 + kInputRecordWords || (inputs_.size() - 1) % kInputRecordWords != 0) return kAllBits;
  int32_t bits = 0;
  if (!ReadAttributes(inputsName_.c_str(), bits) ||
      (static_cast<uint32_t>(bits) & sis::code::kAttributeClassMask) != sis::code::kClassTunable) {
    return kAllBits;
  }
  for (size_t r = 1; r + kInputRecordWords <= inputs_.size(); r += kInputRecordWords) {
    const auto id = static_cast<int32_t>(inputs_[r] | (static_cast<uint32_t>(inputs_[r + 1]) << 16));
    if (id != measurement) continue;
    const uint16_t c = inputs_[r + 6];
    if (c == 0xFFFF) return 0x8000;
    if (c < 256) return 0;
    if (c < 512) return 0x04;
    if (c < 768) return 0x08;
    if (c < 1024) return 0x10;
    if (c < 1280) return 0x28;
    if (c < 1536) return 0x18;
    return 0;
  }
  return kAllBits;
}

int32_t CVt6CmdInstance::RuleValue(const sis::Rule& rule, const std::set<uint16_t>& codes) const {
  const auto& cn = rule.conditions;
  auto cond = [&cn](size_t k) { return k < cn.size() ? cn[k] : 0; };
  auto inUse = [&codes](int32_t c) { return c >= 0 && c <= 0xFFFF && codes.count(static_cast<uint16_t>(c)) != 0; };
  bool a = true;
  if (cond(4) != 0) a = (ClassOf(cond(4)) & static_cast<uint32_t>(cond(5))) != 0;
  if (cond(7) != 0) a = (ClassOf(cond(7)) & static_cast<uint32_t>(cond(8))) != 0;
  bool b = false;
  for (size_t k = 0; k < 4; ++k) {
    if (cond(k) != 0 && inUse(cond(k))) b = true;
  }
  b = b && (cond(6) == 0 || !inUse(cond(6)));
  return a && b ? 1 : 0;
}

void CVt6CmdInstance::ApplyRules() {
  if (AnyStatusNegative()) return;
  const auto codes = CodesInUse();
  for (const sis::Rule& rule : generalRules_) sis::ApplyRule(*this, rule, RuleValue(rule, codes));
  for (size_t i = 0; i < outputRules_.size() && i < outputs_.size(); ++i) {
    const Output& o = outputs_[i];
    const bool tuned = o.status >= 0 && o.table.size() > word::kAdvanced && o.table[word::kAdvanced] != 0;
    sis::ApplyRule(*this, outputRules_[i], tuned || o.advanced ? 1 : 0);
  }
}

void CVt6CmdInstance::ConnectionUpdate() {
  if (std::any_of(outputs_.begin(), outputs_.end(), [](const Output& o) { return o.status != 1; })) {
    connectionPending_ = true;
    return;
  }
  const auto codes = CodesInUse();
  for (const sis::Rule& rule : generalRules_) {
    if (RuleValue(rule, codes) != 1) continue;
    for (const std::string& name : rule.variables) {
      int32_t kind = 0;
      if (!ReadProperty(sis::code::kKind, name.c_str(), kind) || kind != 0) continue;
      int32_t id = 0;
      if (!ReadVariableId(name.c_str(), id) || id >= kVariableIdLimit) continue;
      int32_t s1 = 1, s2 = 1;
      if (!ReadProperty(sis::code::kState1, name.c_str(), s1)) s1 = 1;
      if (!ReadProperty(sis::code::kState2, name.c_str(), s2)) s2 = 1;
      if (s1 == 0 && s2 == 0) WriteProperty(sis::code::kTransmit, name.c_str(), kConnectionSend);
    }
  }
  connectionPending_ = false;
}

// --- Display texts -------------------------------------------------------------

int32_t CVt6CmdInstance::FindOutputByMap(int32_t id, bool second) const {
  for (size_t i = 0; i < outputs_.size(); ++i) {
    const Output& o = outputs_[i];
    if (o.HasMaps() && (second ? o.secondMapId : o.pilotMapId) == id) return static_cast<int32_t>(i);
  }
  return -1;
}

// A display variable that is not a second map itself leads to one through its
// map properties: a map whose line axis reference is -1 names it by 0x40067
// (0x40061 when 0x40065 reads 0), one whose column axis reference is -1 by
// 0x40068 (0x40063).
int32_t CVt6CmdInstance::SecondMapOfVariable(int32_t id) const {
  std::string name;
  int32_t kind = 0, line = 0, column = 0, selector = 0, second = -1;
  if (!ReadVariableName(id, name) || !ReadProperty(sis::code::kKind, name.c_str(), kind) || kind != kKindMap ||
      !ReadAxes(name.c_str(), line, column)) {
    return -1;
  }
  const char* n = name.c_str();
  if (line == -1) {
    if (!ReadProperty(0x40065, n, selector) || !ReadProperty(selector ? 0x40067 : 0x40061, n, second)) return -1;
  } else if (column == -1) {
    if (!ReadProperty(0x40065, n, selector) || !ReadProperty(selector ? 0x40068 : 0x40063, n, second)) return -1;
  } else {
    return -1;
  }
  return FindOutputByMap(second, true);
}

namespace {

std::string Blanks() { return std::string(8, ' '); }

}  // namespace

std::string CVt6CmdInstance::AuxValueText(int32_t identifier, int32_t value, int32_t isSigned) {
  const int32_t i = FindOutputByMap(identifier, false);
  if (i < 0) return Blanks();
  const Output& o = outputs_[static_cast<size_t>(i)];
  char buffer[32];
  const auto u = static_cast<uint32_t>(value);
  if (isSigned != 0) {
    std::snprintf(buffer, sizeof buffer, "%+8d", static_cast<int32_t>(static_cast<int64_t>(u) - 0x8000));
    return buffer;
  }
  if (o.status != 1) {
    std::snprintf(buffer, sizeof buffer, "%8u", u);
    return buffer;
  }
  if (o.table[word::kCode] > 6175) {
    if (u > 0x8000) return sis::LoadStringAnsi(msg::kError);
    return Fraction(u, 15, 6);
  }
  if (u == 0) return sis::LoadStringAnsi(msg::kOff);
  if (u == 1) return sis::LoadStringAnsi(msg::kOn);
  return sis::LoadStringAnsi(msg::kError);
}

std::string CVt6CmdInstance::AuxVariableText(int32_t identifier, int32_t value, int32_t isSigned) {
  int32_t i = FindOutputByMap(identifier, true);
  if (i < 0) i = SecondMapOfVariable(identifier);
  if (i < 0) return Blanks();
  return AuxValueText(outputs_[static_cast<size_t>(i)].pilotMapId, value, isSigned);
}

std::string CVt6CmdInstance::MotorRegulationText(int32_t, int32_t value, int32_t isSigned) {
  const auto u = static_cast<uint32_t>(value);
  if (motorFlag_) return SignedFraction(u, 0x4000, 14, 5);
  if (isSigned == 0) return Fraction(u, 15, 6);
  return SignedFraction(u, 0x8000, 15, 5);
}

std::string CVt6CmdInstance::MotorPidText(int32_t, int32_t value, int32_t) {
  return SignedFraction(static_cast<uint32_t>(value), 0x8000, 15, 5, motorFlag_ ? 2 : 1);
}

// --- Editing exchanges -----------------------------------------------------------

void CVt6CmdInstance::OnBegin(const char* action) { exchange_->Begin(action); }
void CVt6CmdInstance::OnPartFinished(const char* part) { exchange_->PartFinished(part); }
void CVt6CmdInstance::OnTransmissionError(const char* part) { exchange_->TransmissionError(part); }
void CVt6CmdInstance::OnReset(const char* action) { exchange_->Reset(action); }

std::wstring CVt6CmdInstance::PartHeading(size_t i) const {
  std::string label;
  std::wstring text = MachineName() + sis::kLineBreak;
  if (i < outputs_.size() && ReadLabel(outputs_[i].part.c_str(), label)) text += sis::AnsiToWide(label) + sis::kLineBreak;
  return text;
}

// Steps shared by the standard begin verbs: the instance open, one exchange
// at a time (the new action takes over a running one).
bool CVt6CmdInstance::BeginCommon(const char* action) {
  if (!Has(sis::flag::kOpen)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sis::msg::kMajorError});
    ActionFinished(action);
    return false;
  }
  if (Has(sis::flag::kTransmission)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sis::msg::kOtherActionRunning});
    if (!Has(sis::flag::kTransmission)) {
      ActionFinished(action);
      return false;
    }
  }
  Set(sis::flag::kTransmission);
  actionName = action;
  return true;
}

void CVt6CmdInstance::OnStandardBegin(const char* action) {
  if (!BeginCommon(action)) return;
  transferRunning = 1;
  for (size_t d = 0; d < outputs_.size(); ++d) {
    const Output& o = outputs_[d];
    const char* map = o.pilotMap.c_str();
    int32_t reason = 0;
    int32_t bits = 0x20000000;
    const bool known = !o.pilotMap.empty() && VariableExists(map);
    if (known) ReadAttributes(map, bits);
    const uint32_t cls = static_cast<uint32_t>(bits) & sis::code::kAttributeClassMask;
    const bool accepted = cls == sis::code::kClassReadOnly || cls == sis::code::kClassTunable ||
                          cls == sis::code::kClassTunableMarked;
    if (o.status == -2 || !known || !accepted) {
      reason = msg::kNotReceived;
    } else if (o.status == -1 || AttributeClass(map, true) == -1) {
      reason = msg::kFormatUnknown;
    }
    if (reason != 0) {
      sis::MessageBox(sis::BoxKind::Error, PartHeading(d) + sis::LoadString(reason));
      ActionFinished(action);
      return;
    }
  }
  editing_->RunStandardPages();
}

void CVt6CmdInstance::OnNormaliseBegin(const char* action) {
  if (!BeginCommon(action)) return;
  std::string table;
  if (!ReadActionTable(action, table)) {
    ActionFinished(action);
    return;
  }
  int32_t h = -1;
  for (size_t i = 0; i < outputs_.size(); ++i) {
    if (outputs_[i].HasMaps() && outputs_[i].pilotMap == table) h = static_cast<int32_t>(i);
  }
  transferRunning = h >= 0 ? 1 : 0;
  transferTable = h;
  if (h < 0) {
    ActionFinished(action);
    return;
  }
  const auto hu = static_cast<size_t>(h);
  int32_t reason = 0;
  if (outputs_[hu].status == -2) {
    reason = msg::kNotReceived;
  } else {
    CheckOutput(hu);
    if (outputs_[hu].status == -1) reason = msg::kFormatUnknown;
    if (outputs_[hu].status == 0) reason = msg::kCorrectFirst;
  }
  if (reason != 0) {
    sis::MessageBox(sis::BoxKind::Error, PartHeading(hu) + sis::LoadString(reason));
    ActionFinished(action);
    return;
  }
  const Output& o = outputs_[hu];
  const char* map = o.pilotMap.c_str();
  sis::WordTable words;
  if (AttributeClass(map, true) != -1 && ReadWordTable(map, words) && words.size() >= sis::kMapHeaderWords) {
    const uint16_t code = o.table[word::kCode];
    const uint16_t ceiling = code < 0x1000 ? 0 : (code < 0x2000 ? 1 : 0x8000);
    const size_t x = words[1], y = words[2];
    const size_t first = sis::kMapHeaderWords + x + y;
    // Only a map whose size holds all its values is touched.
    bool changed = false;
    if (ceiling != 0 && first + x * y <= words.size()) {
      for (size_t k = first; k < first + x * y; ++k) {
        if (words[k] > ceiling) {
          words[k] = ceiling;
          changed = true;
        }
      }
    }
    if (changed && WriteWordTable(words, map)) Transmit(map);
  }
  ActionFinished(action);
}

// --- Dialog support ------------------------------------------------------------

std::vector<vt6cmd::AxisVariable> CVt6CmdInstance::PickerVariables() const {
  std::vector<vt6cmd::AxisVariable> out;
  std::vector<std::string> names;
  if (!ListVariables(names)) return out;
  for (const std::string& name : names) {
    const char* n = name.c_str();
    int32_t kind = -1, pickable = 0, listable = 0, category = 0, id = -1;
    if (!ReadInt(sis::code::kKind, n, kind, Reaction::Silent) || kind != 0) continue;
    if (!ReadInt(sis::code::kPickable, n, pickable, Reaction::Silent) || pickable == 0) continue;
    if (!ReadInt(sis::code::kListable, n, listable, Reaction::Silent) || listable == 0) continue;
    if (!ReadInt(sis::code::kCategory, n, category, Reaction::Silent) || (category & limits_.lstSel) == 0) continue;
    if (!ReadInt(sis::code::kVariableId, n, id, Reaction::Silent)) continue;
    out.push_back({name, id, limits_.lstUti == 0 || (category & limits_.lstUti) != 0});
  }
  return out;
}

std::vector<vt6cmd::EditedOutput> CVt6CmdInstance::EditedOutputs() const {
  std::vector<vt6cmd::EditedOutput> out;
  for (const Output& o : outputs_) {
    vt6cmd::EditedOutput e;
    std::string label;
    e.label = ReadLabel(o.part.c_str(), label) ? sis::AnsiToWide(label) : sis::AnsiToWide(o.part);
    e.record = o.record;
    e.hasMaps = o.HasMaps();
    e.original = o.table;
    e.table = TableShapeValid(o.table) ? o.table : DefaultOutputTable();
    out.push_back(std::move(e));
  }
  return out;
}

void CVt6CmdInstance::TakeEditedTables(const std::vector<sis::WordTable>& tables, uint32_t mask) {
  for (size_t i = 0; i < outputs_.size() && i < tables.size() && i < 32; ++i) {
    if (mask & (1u << i)) outputs_[i].table = tables[i];
  }
}
