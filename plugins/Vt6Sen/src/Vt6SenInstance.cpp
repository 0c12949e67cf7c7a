#include "Vt6SenInstance.h"

#include "SenCodes.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/messages.h"
#include "sis/platform/module.h"
#include "sis/platform/text.h"

using sen::Measurement;

namespace {

constexpr int32_t kLevelQuery = 5;

uint16_t Low(int32_t id) { return static_cast<uint16_t>(static_cast<uint32_t>(id) & 0xFFFF); }

}  // namespace

CVt6SenInstance::CVt6SenInstance(const sis::HostLink& host, int32_t number)
    : Instance(host, number),
      inputsExchange_(*this, inputsDelegate_, {}, sis::flag::kTransmission),
      averageExchange_(*this, averageDelegate_, {}, senflag::kAverageExchange) {
  for (int32_t i = 0; i < sen::ids::kStateTextCount; ++i) {
    stateTexts_[static_cast<size_t>(i)] = sis::LoadString(sen::ids::kFirstStateText + i);
  }
}

CVt6SenInstance::~CVt6SenInstance() { DestroyReports(); }

// --- Host operations of this plug-in -----------------------------------------

bool CVt6SenInstance::Resolve(int32_t id, std::string& name) const { return ReadVariableName(id, name); }

bool CVt6SenInstance::Available(const std::string& name) const {
  int32_t listable = 0;
  return ReadInt(sis::code::kListable, name.c_str(), listable, Reaction::Silent) && listable != 0;
}

bool CVt6SenInstance::ReadValueRange(const char* name, int32_t& low, int32_t& high) const {
  sis::HostReply reply;
  if (Host().Call(Number(), sen::code::kValueRange, name, reply.get()) != sis::code::kOk) return false;
  const HostBuffer& b = reply.buffer();
  if (b.count != 8 || !b.data) return false;
  low = static_cast<const int32_t*>(b.data)[0];
  high = static_cast<const int32_t*>(b.data)[1];
  return low <= high;
}

bool CVt6SenInstance::FormatValue(const char* name, int32_t value, std::string& text) const {
  const int32_t query[3] = {0, value, 1};  // indexes (high half, low half), value, 1
  sis::HostReply reply;
  if (Host().Query(Number(), sen::code::kFormatValue, name, query, sizeof query, reply) != sis::code::kOk ||
      !reply.IsText()) {
    return false;
  }
  text.assign(static_cast<const char*>(reply.buffer().data));
  return true;
}

bool CVt6SenInstance::ReadLabelWide(const std::string& name, std::wstring& label) const {
  std::string ansi;
  if (name.empty() || !ReadLabel(name.c_str(), ansi)) return false;
  label = sis::AnsiToWide(ansi);
  return true;
}

void CVt6SenInstance::CallEmpty(int32_t code, const char* name) const {
  sis::HostReply reply;
  const int32_t result = Host().Call(Number(), code, name, reply.get());
  if (result != sis::code::kOk) ShowHostError(result);
}

void CVt6SenInstance::SetMark(const char* name, bool mark) const {
  WriteProperty(sis::code::kErrorMark, name, mark ? 1 : 0);
}

// --- Reading -------------------------------------------------------------------

bool CVt6SenInstance::ReadConfiguration() {
  sis::LongTable config;
  if (!ReadLongTable(tableName.c_str(), config) || !sen::ConfigurationShapeOk(config)) return false;
  if (!Resolve(config[2], assignmentName_) || !ReadWordTable(assignmentName_.c_str(), assignment_)) return false;
  if (!Resolve(config[3], compiledName_) || !Resolve(config[5], activationName_)) return false;
  if (!ReadWordTable(activationName_.c_str(), activation_)) return false;

  std::string channelListName;
  sis::LongTable list;
  if (!Resolve(config[4], channelListName) || !ReadLongTable(channelListName.c_str(), list) ||
      !sen::ChannelListShapeOk(list)) {
    return false;
  }
  for (size_t at = 1; at + 1 < list.size(); at += 2) {
    sen::Channel channel;
    channel.number = static_cast<uint32_t>(list[at]);
    channel.cls = sen::ChannelClass(channel.number);
    if (channel.cls == 0 || !Resolve(list[at + 1], channel.name)) return false;
    channels_.push_back(std::move(channel));
  }

  std::string rulesName;
  if (Resolve(config[1], rulesName) && !sis::ReadRules(*this, rulesName.c_str(), sen::RuleKeywords(), rules_)) {
    return false;
  }
  if (!ReadRecords(config)) return false;

  const size_t n = records_.size();
  activationCopy_ = sis::MakeWordTable(n + 1);
  for (size_t i = 0; i < n; ++i) {
    int32_t value = 0;
    if (!ReadValue(records_[i].name[sen::kActivation].c_str(), value)) return false;
    activationCopy_[i + 1] = Low(value);
  }
  labels_.assign(n, std::wstring());
  for (size_t i = 0; i < n; ++i) ReadLabelWide(records_[i].name[sen::kKey], labels_[i]);
  inputsExchange_.SetParts({assignmentName_});
  return true;
}

bool CVt6SenInstance::ReadRecords(const sis::LongTable& config) {
  for (size_t at = sen::kHeaderWords; at + sen::kRecordWords <= config.size(); at += sen::kRecordWords) {
    Measurement m;
    const int32_t* w = &config[at];
    m.id.fill(-1);
    // An optional item: none when its low word is 0; otherwise it must resolve.
    auto optional = [&](int32_t item) {
      if (Low(w[item]) == 0) return true;
      if (!Resolve(w[item], m.name[item])) return false;
      m.id[item] = w[item];
      return true;
    };
    auto required = [&](int32_t item) {
      m.id[item] = w[item];
      return Resolve(w[item], m.name[item]);
    };
    if (!required(sen::kKey) || !required(sen::kActivation) || !required(sen::kChannelText)) return false;
    if (!optional(sen::kSecond)) return false;
    if (!m.name[sen::kSecond].empty() && !Available(m.name[sen::kSecond])) m.name[sen::kSecond].clear();

    if (levelAtMost5_ && Low(w[sen::kMap]) != 0) {
      if (!required(sen::kMap) || !ReadWordTable(m.name[sen::kMap].c_str(), m.map)) return false;
    }

    if (!optional(sen::kAverageMap)) return false;
    if (!m.name[sen::kAverageMap].empty() && !Available(m.name[sen::kAverageMap])) m.name[sen::kAverageMap].clear();
    if (!optional(sen::kStructure)) return false;
    if (!m.name[sen::kStructure].empty()) {
      if (Available(m.name[sen::kStructure])) {
        if (!ReadWordTable(m.name[sen::kStructure].c_str(), m.structure) || m.id[sen::kAverageMap] == -1) return false;
      } else {
        m.name[sen::kStructure].clear();
        m.id[sen::kStructure] = -1;
      }
    }
    if (!optional(sen::kFurther)) return false;
    if (!m.name[sen::kFurther].empty() && !Available(m.name[sen::kFurther])) {
      m.name[sen::kFurther].clear();
      m.id[sen::kFurther] = -1;
    }

    m.classes = static_cast<uint32_t>(w[8]);
    m.errorKind = static_cast<uint32_t>(w[9]);
    m.ownChannel = static_cast<uint32_t>(w[10]);
    if (m.classes == 0 || (m.classes & ~sen::kAcceptedClasses) != 0 || m.errorKind > 3) return false;
    if (sen::FindChannel(channels_, m.ownChannel) < 0) return false;
    records_.push_back(std::move(m));
  }
  return true;
}

void CVt6SenInstance::ClearConfiguration() {
  records_.clear();
  channels_.clear();
  rules_.clear();
  labels_.clear();
  assignment_.clear();
  savedAssignment_.clear();
  activation_.clear();
  activationCopy_.clear();
  assignmentName_.clear();
  compiledName_.clear();
  activationName_.clear();
  inputsExchange_.SetParts({});
  averageExchange_.SetParts({});
}

// --- Opening, closing, saving ----------------------------------------------------

void CVt6SenInstance::OnRun(const char* name) {
  if (Has(sis::flag::kOpen | sis::flag::kBusy)) return;
  flags = sis::flag::kBusy;
  tableName = name;
  DestroyReports();
  ClearConfiguration();
  int32_t level = kLevelQuery;
  if (!QueryNumber(level)) level = kLevelQuery;
  levelAtMost4_ = level <= 4;
  levelAtMost5_ = level <= 5;
  status_ = sen::kStatusNotReceived;
  conPending_ = false;
  int32_t select = 0, remote = 0, usual = 0;
  if (!ReadConstant("VALUSER_LSTSEL", select)) select = 0;
  if (!ReadConstant("VALUSER_LSTRME", remote)) remote = 0;
  if (!ReadConstant("VALUSER_LSTUTI", usual)) usual = 0;
  listSelect_ = static_cast<uint32_t>(select);
  listRemote_ = static_cast<uint32_t>(remote);
  listUsual_ = static_cast<uint32_t>(usual);

  if (select == 0 || remote == 0 || usual == 0 || !ReadConfiguration()) {
    ClearConfiguration();
    flags = sis::flag::kConfigError;
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sen::ids::kMajorError});
    ActionFinished(name);
    return;
  }
  flags = sis::flag::kOpen;
  CreateReports();
  if (!CheckAssignment()) {
    for (size_t i = 0; i < records_.size(); ++i) CheckConversionMap(i);
  }
  for (size_t i = 0; i < records_.size(); ++i) CheckAverageStructure(i);
  SynchroniseActivation();
}

bool CVt6SenInstance::Savable() const {
  if (status_ == sen::kStatusUnknown || status_ == sen::kStatusErrors) return false;
  for (const Measurement& m : records_) {
    if (m.HasMap() && (m.mapStatus == sen::kStatusUnknown || m.mapStatus == sen::kStatusErrors)) return false;
    if (m.HasStructure() &&
        (m.structureStatus == sen::kStatusUnknown || m.structureStatus == sen::kStatusErrors)) {
      return false;
    }
  }
  return true;
}

void CVt6SenInstance::OnSave(const char* name) {
  if (tableName != name) return;
  if (Has(sis::flag::kOpen)) {
    const bool savable = Savable();
    if (inputsReport_) inputsReport_->ShowByContent();
    for (CSisRepSen* report : {mapsReport_.get(), averageReport_.get()}) {
      if (report) report->ShowByContent();
    }
    if (!savable) VetoSave();
  } else if (Has(sis::flag::kConfigError)) {
    if (!inputsReport_) {
      inputsReport_ = std::make_unique<CSisRepSen>(
          sis::LoadString(sen::ids::kInputsReportTitle) + sis::kTitleJoiner + MachineName(), labels_);
      inputsReport_->Create();
    }
    inputsReport_->SetLine(-1, sis::LoadString(sen::ids::kMajorError));
    VetoSave();
  }
}

void CVt6SenInstance::OnClose(const char* name) {
  if (tableName != name || !Has(sis::flag::kOpen)) return;
  Clear(sis::flag::kOpen);
  Set(sis::flag::kBusy);
  if (!Has(sis::flag::kConfigError) && !Savable()) Set(sis::flag::kConfigError);
  DestroyReports();
  ClearConfiguration();
  Clear(sis::flag::kBusy);
}

void CVt6SenInstance::CreateReports() {
  const std::wstring machine = sis::kTitleJoiner + MachineName();
  inputsReport_ = std::make_unique<CSisRepSen>(sis::LoadString(sen::ids::kInputsReportTitle) + machine, labels_);
  mapsReport_ = std::make_unique<CSisRepSen>(sis::LoadString(sen::ids::kMapsReportTitle) + machine, labels_);
  averageReport_ = std::make_unique<CSisRepSen>(sis::LoadString(sen::ids::kAverageReportTitle) + machine, labels_);
  for (CSisRepSen* report : {inputsReport_.get(), mapsReport_.get(), averageReport_.get()}) report->Create();
}

void CVt6SenInstance::DestroyReports() {
  for (auto* report : {&inputsReport_, &mapsReport_, &averageReport_}) {
    if (*report) (*report)->DestroyWindow();
    report->reset();
  }
}

// --- Change entry points ------------------------------------------------------------

void CVt6SenInstance::OnTableChanged(const char* name) {
  if (!Has(sis::flag::kOpen) || assignmentName_ != name) return;
  if (ownAssignmentWrite_) {
    ownAssignmentWrite_ = false;
    return;
  }
  int32_t present = 0;
  if (!ValuePresent(name, present) || present == 0) return;
  if (!ReadWordTable(name, assignment_)) return;
  if (dialogInProgress_) {
    recheckPending_ = true;
  } else {
    CheckAssignment();
  }
}

void CVt6SenInstance::OnActivationChanged(const char* name) {
  if (!Has(sis::flag::kOpen) || activationName_ != name) return;
  if (ownActivationWrite_) {
    ownActivationWrite_ = false;
    return;
  }
  int32_t present = 0;
  if (!ValuePresent(name, present) || present == 0) return;
  if (!ReadWordTable(name, activation_)) return;
  SynchroniseActivation();
}

void CVt6SenInstance::OnMapChanged(const char* name) {
  if (!Has(sis::flag::kOpen)) return;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (!records_[i].HasMap() || records_[i].name[sen::kMap] != name) continue;
    int32_t present = 0;
    if (!ValuePresent(name, present) || present == 0) return;
    if (!ReadWordTable(name, records_[i].map)) return;
    CheckConversionMap(i);
    return;
  }
}

void CVt6SenInstance::OnStructureChanged(const char* name) {
  if (!Has(sis::flag::kOpen)) return;
  for (size_t i = 0; i < records_.size(); ++i) {
    if (!records_[i].HasStructure() || records_[i].name[sen::kStructure] != name) continue;
    int32_t present = 0;
    if (!ValuePresent(name, present) || present == 0) return;
    if (!ReadWordTable(name, records_[i].structure)) return;
    if (editedMeasurement_ == static_cast<int32_t>(i) && editedPending_) {
      averageRecheckPending_ = true;
    } else {
      CheckAverageStructure(i);
    }
    return;
  }
}

void CVt6SenInstance::OnStateChanged(const char* name) {
  if (!Has(sis::flag::kOpen)) return;
  for (const Measurement& m : records_) {
    if (m.name[sen::kKey] != name) continue;
    int32_t state = 0;
    if (!ReadInt(sen::code::kReadStateFlag, name, state, Reaction::Message)) return;
    SendInt(sen::code::kSetStateFlag, m.name[sen::kActivation].c_str(), state != 0 ? 1 : 0, Reaction::Message);
    return;
  }
}
