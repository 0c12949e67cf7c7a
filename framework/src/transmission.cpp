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

uint32_t TransmissionExchange::AllPartsMask() const {
  const size_t n = parts_.size();
  return n >= 32 ? 0xFFFFFFFFu : (1u << n) - 1u;
}

void TransmissionExchange::Begin(const char* action) {
  Instance& in = instance_;
  if (!in.Has(flag::kOpen)) {
    ShowMessageIds(BoxKind::Error, in.MachineName(), {texts_.majorError});
    in.ActionFinished(action);
    return;
  }
  if (in.Has(runningFlag_)) {
    ShowMessageIds(BoxKind::Error, in.MachineName(), {texts_.otherActionRunning});
    if (!in.Has(runningFlag_)) {  // the running exchange ended while the box was shown
      in.ActionFinished(action);
      return;
    }
  }
  in.Set(runningFlag_);
  in.actionName = action;

  actionTable_.clear();
  if (!in.ReadActionTable(action, actionTable_) || !delegate_.OwnsTable(actionTable_)) {
    Finish();  // the running flag stays until the reset verb
    return;
  }
  in.transferRunning = 1;
  in.transferTable = PartIndex(actionTable_.c_str());
  for (size_t i = 0; i < parts_.size(); ++i) {
    const int32_t reason = delegate_.CannotEdit(static_cast<int32_t>(i));
    if (reason == 0) continue;
    std::string label;
    std::wstring text = in.MachineName() + kLineBreak;
    if (in.ReadLabel(parts_[i].c_str(), label)) text += AnsiToWide(label) + kLineBreak;
    MessageBox(BoxKind::Error, text + LoadString(reason));
    Finish();
    return;
  }

  std::string label;
  std::wstring title = in.ReadLabel(actionTable_.c_str(), label) ? AnsiToWide(label) : LoadString(texts_.defaultTitle);
  title += kTitleJoiner + in.MachineName();
  if (!delegate_.RunDialog(*this, title)) {
    Finish();
    return;
  }
  if (in.Has(runningFlag_)) SendStep();
}

bool TransmissionExchange::WriteStep(const std::vector<WordTable>& edited, uint32_t selected) {
  Instance& in = instance_;
  if (!in.Has(runningFlag_)) return true;
  in.completedMask = 0;
  for (size_t i = 0; i < parts_.size(); ++i) {
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
      Finish();
      in.transferRunning = 0;
      return false;
    }
  }
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
  }
  for (size_t i = 0; i < parts_.size(); ++i) {
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
  const int32_t index = PartIndex(part);
  if (index >= 0) in.completedMask |= 1u << index;
  if (in.completedMask != AllPartsMask()) return;
  if (in.Has(flag::kResetWanted)) {
    const int32_t result = in.Host().SendInt(in.Number(), code::kTransmit, kMachineReset, -1);
    if (result != code::kOk) ShowMessageIds(BoxKind::Error, in.MachineName(), {msg::kResetFailed});
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
