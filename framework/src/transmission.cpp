#include "sis/framework/transmission.h"

#include "sis/abi/host_codes.h"
#include "sis/framework/messages.h"
#include "sis/platform/module.h"
#include "sis/platform/text.h"

namespace sis {
namespace {

constexpr int32_t kFirstMachineInstance = 8;
constexpr const char* kEngineRpm = "ENGINE_RPMMES_0";
constexpr const char* kMachineReset = "VSYS_RSTMAC";

}  // namespace

TransmissionExchange::TransmissionExchange(Instance& instance, ExchangeDelegate& delegate,
                                           std::vector<std::string> parts, uint32_t runningFlag, ExchangeTexts texts)
    : instance_(instance), delegate_(delegate), parts_(std::move(parts)), runningFlag_(runningFlag), texts_(texts) {}

int32_t TransmissionExchange::PartIndex(const char* name) const {
  for (size_t i = 0; i < parts_.size(); ++i) {
    if (parts_[i] == name) return static_cast<int32_t>(i);
  }
  return -1;
}

size_t TransmissionExchange::PartLimit() const { return parts_.size() < 32 ? parts_.size() : 32; }

uint32_t TransmissionExchange::AllPartsMask() const {
  const size_t n = parts_.size();
  return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1u;
}

bool ExchangeDelegate::FindTable(TransmissionExchange& exchange, const char* action, std::string& table,
                                 int32_t& number) {
  if (!exchange.Owner().ReadActionTable(action, table) || !OwnsTable(table)) return false;
  number = exchange.PartIndex(table.c_str());
  return true;
}

bool ExchangeDelegate::BeginChecks(TransmissionExchange&) { return true; }

void TransmissionExchange::Begin(const char* action) {
  Instance& in = instance_;
  if (!in.Has(flag::kOpen)) {
    ShowMessageIds(BoxKind::Error, in.MachineName(), {texts_.majorError});
    in.ActionFinished(action);
    return;
  }
  if (in.Has(runningFlag_)) {
    ShowMessageIds(BoxKind::Error, in.MachineName(), {texts_.otherActionRunning});
    if (!in.Has(runningFlag_)) {  // the running exchange was reset while the box was shown
      in.ActionFinished(action);
      return;
    }
    // Still running: this action takes its place.
  }
  in.Set(runningFlag_);
  in.actionName = action;

  actionTable_.clear();
  int32_t number = -1;
  if (!delegate_.FindTable(*this, action, actionTable_, number)) {
    Finish();  // the running flag stays until the reset verb
    return;
  }
  in.transferRunning = 1;
  in.transferTable = number;
  if (!PartsEditable() || !delegate_.BeginChecks(*this)) {
    Finish();
    return;
  }

  std::string label;
  std::wstring title = in.ReadLabel(actionTable_.c_str(), label) ? AnsiToWide(label) : LoadString(texts_.defaultTitle);
  title += kTitleJoiner + in.MachineName();
  write_ = WriteOutcome::None;
  if (!delegate_.RunDialog(*this, title)) {
    Finish();
    return;
  }
  // OK. A failed write has finished the action already; a reset while the
  // dialog was shown ended the exchange.
  if (write_ == WriteOutcome::Failed || !in.Has(runningFlag_)) return;
  if (write_ == WriteOutcome::None) {  // nothing was handed to the write step
    Finish();
    return;
  }
  SendStep();
}

bool TransmissionExchange::PartsEditable() {
  Instance& in = instance_;
  for (size_t i = 0; i < parts_.size(); ++i) {
    const int32_t reason = delegate_.CannotEdit(static_cast<int32_t>(i));
    if (reason == 0) continue;
    std::string label;
    std::wstring text = in.MachineName() + kLineBreak;
    if (in.ReadLabel(parts_[i].c_str(), label)) text += AnsiToWide(label) + kLineBreak;
    MessageBox(BoxKind::Error, text + LoadString(reason));
    return false;
  }
  return true;
}

bool TransmissionExchange::WriteStep(const std::vector<WordTable>& edited, uint32_t selected) {
  Instance& in = instance_;
  if (!in.Has(runningFlag_)) return true;
  in.completedMask = 0;
  for (size_t i = 0; i < PartLimit(); ++i) {
    const uint32_t bit = 1u << i;
    if (!(selected & bit) || i >= edited.size()) {
      in.completedMask |= bit;
      continue;
    }
    WordTable current;
    if (in.ReadWordTable(parts_[i].c_str(), current) && current == edited[i]) {
      in.completedMask |= bit;
      continue;
    }
    if (!in.WriteWordTable(edited[i], parts_[i].c_str())) {
      write_ = WriteOutcome::Failed;
      in.transferRunning = 0;
      Finish();
      return false;
    }
  }
  write_ = WriteOutcome::Written;
  in.transferRunning = 0;
  return true;
}

void TransmissionExchange::SendStep() {
  Instance& in = instance_;
  int32_t state = -1;
  if (in.completedMask == AllPartsMask() || in.Number() < kFirstMachineInstance || !in.ReadMachineState(state) ||
      state == -1) {
    Finish();
    return;
  }
  if (in.Has(flag::kResetWanted)) {
    int32_t rpm = 0;
    if (!in.ReadValue(kEngineRpm, rpm)) rpm = 0;
    if (rpm == 0) {
      if (ShowMessageIds(BoxKind::Question, in.MachineName(), {msg::kResetQuestion}) != kIdYes) {
        in.Clear(flag::kResetWanted);
      }
    } else {
      ShowMessageIds(BoxKind::Information, in.MachineName(), {msg::kSwitchOffInfo});
    }
    // The host may have reset the exchange while the box was shown: send nothing then.
    if (!in.Has(runningFlag_)) {
      Finish();
      return;
    }
  }
  for (size_t i = 0; i < PartLimit(); ++i) {
    if (in.completedMask & (1u << i)) continue;
    if (!in.Transmit(parts_[i].c_str())) {
      Finish();
      return;
    }
  }
}

void TransmissionExchange::PartFinished(const char* part) {
  Instance& in = instance_;
  if (!in.Has(runningFlag_)) return;
  const uint32_t all = AllPartsMask();
  // A report arriving after completion must not reset the machine again.
  if (in.completedMask == all) return;
  const int32_t index = PartIndex(part);
  if (index >= 0 && index < 32) in.completedMask |= 1u << index;
  if (in.completedMask != all) return;
  if (in.Has(flag::kResetWanted) && !in.Transmit(kMachineReset)) {
    ShowMessageIds(BoxKind::Error, in.MachineName(), {msg::kResetFailed});
  }
  Finish();
}

void TransmissionExchange::TransmissionError(const char* part) {
  if (!instance_.Has(runningFlag_) || PartIndex(part) < 0) return;
  ReportTransmissionError(instance_, part, instance_.actionName);
}

void TransmissionExchange::Reset(const char* action) {
  Instance& in = instance_;
  if (!in.Has(runningFlag_) || in.actionName != action) return;
  in.CancelModals();
  while (in.Has(flag::kRefreshPending)) {
    in.Clear(flag::kRefreshPending);
    delegate_.RefreshDisplays();
  }
  in.Clear(flag::kRefreshPending | runningFlag_ | flag::kResetWanted);
  in.transferRunning = 0;
}

void ReportTransmissionError(const Instance& in, const char* part, const std::string& action) {
  int32_t failed = 0;
  if (!in.ReadProperty(code::kErrorState, part, failed)) {
    in.ActionFinished(action.c_str());
    return;
  }
  if (failed == 0) return;
  std::wstring errorText;
  std::wstring text = in.MachineName() + kLineBreak + LoadString(msg::kFinalTransmissionError) + kLineBreak;
  if (in.ReadErrorText(part, errorText)) text += errorText + kLineBreak;
  MessageBox(BoxKind::Error, text + LoadString(msg::kActionAborted));
  in.ActionFinished(action.c_str());
}

}  // namespace sis
