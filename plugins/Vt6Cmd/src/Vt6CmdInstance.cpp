#include "Vt6CmdInstance.h"

#include "sis/framework/messages.h"

// The configuration model of the auxiliary outputs is not read yet: a run
// reports the major error, so the Trimset is refused at save.
bool CVt6CmdInstance::ReadConfiguration() { return false; }

bool CVt6CmdInstance::FinalCheck() { return !Has(sis::flag::kConfigError); }

void CVt6CmdInstance::ClearConfiguration() { checkLines = sis::ReportLines{}; }

void CVt6CmdInstance::RefreshDisplays() {}

bool CVt6CmdInstance::Watches(const char*, sis::ChangeKind) const { return false; }

void CVt6CmdInstance::TakeChange(const char*, sis::ChangeKind) {}

void CVt6CmdInstance::OnConnect(const char*) {}

// Disconnection and timer ticks mean nothing to the auxiliary outputs.
void CVt6CmdInstance::OnNothing(const char*) {}

void CVt6CmdInstance::OnBegin(const char* action) {
  if (!Has(sis::flag::kOpen)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sis::msg::kMajorError});
    ActionFinished(action);
    return;
  }
  ActionFinished(action);
}

void CVt6CmdInstance::OnPartFinished(const char*) {}

void CVt6CmdInstance::OnTransmissionError(const char*) {}

void CVt6CmdInstance::OnReset(const char*) {}

std::string CVt6CmdInstance::AuxValueText(int32_t, int32_t, int32_t) { return {}; }

std::string CVt6CmdInstance::AuxVariableText(int32_t, int32_t, int32_t) { return {}; }

std::string CVt6CmdInstance::MotorRegulationText(int32_t, int32_t, int32_t) { return {}; }

std::string CVt6CmdInstance::MotorPidText(int32_t, int32_t, int32_t) { return {}; }
