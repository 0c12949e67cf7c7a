// The two editing exchanges: the inputs configuration (channel assignment
// table, Inputs configuration dialog) and the average map scale (one
// measurement's average configuration structure, Map scale dialog). Each has
// its own running flag; only one of them runs at a time.
#include "CSisCalInputsDialog.h"
#include "CSisCalMapScaleDialog.h"
#include "SenCodes.h"
#include "Vt6SenInstance.h"
#include "sis/framework/messages.h"
#include "sis/platform/module.h"
#include "sis/platform/text.h"

namespace {

constexpr uint32_t kAnyExchange = sis::flag::kTransmission | senflag::kAverageExchange;

}  // namespace

bool SenExchangeDelegate::OwnsTable(const std::string& table) {
  return average_ ? owner_.OwnsAverage(table) : true;
}

bool SenExchangeDelegate::RunDialog(sis::TransmissionExchange& exchange, const std::wstring& title) {
  return average_ ? owner_.RunMapScaleDialog(exchange, title) : owner_.RunInputsDialog(exchange, title);
}

bool CVt6SenInstance::OwnsAverage(const std::string& table) const {
  for (const sen::Measurement& m : records_) {
    if (!m.name[sen::kAverageMap].empty() && m.name[sen::kAverageMap] == table) return true;
  }
  return false;
}

// --- Inputs configuration exchange -----------------------------------------------

void CVt6SenInstance::OnBegin(const char* action) {
  if (!Has(sis::flag::kOpen)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sen::ids::kMajorError});
    ActionFinished(action);
    return;
  }
  if (Has(kAnyExchange)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sis::msg::kOtherActionRunning});
    if (Has(senflag::kAverageExchange)) {  // tested after the box: the host may have reset it meanwhile
      ActionFinished(action);
      return;
    }
  }
  Set(sis::flag::kTransmission);
  actionName = action;
  dialogInProgress_ = 1;
  assignmentChanged_ = false;
  if (status_ == sen::kStatusNotReceived || status_ == sen::kStatusUnknown) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(),
                        {status_ == sen::kStatusNotReceived ? sen::ids::kNotReceived : sen::ids::kFormatUnknown});
    ActionFinished(action);
    return;
  }
  const std::wstring title = sis::LoadString(sen::ids::kInputsTitle) + sis::kTitleJoiner + MachineName();
  if (!RunInputsDialog(inputsExchange_, title)) {
    dialogInProgress_ = 0;
    ActionFinished(actionName.c_str());
    return;
  }
  dialogInProgress_ = 0;
  if (!Has(sis::flag::kTransmission)) return;
  if (!assignmentChanged_) {
    ActionFinished(actionName.c_str());
    return;
  }
  inputsExchange_.SendStep();
}

bool CVt6SenInstance::RunInputsDialog(sis::TransmissionExchange& exchange, const std::wstring& title) {
  CSisCalInputsDialog dialog(*this, assignment_, title);
  int result;
  {
    sis::ModalRegistration registration(*this, dialog);
    result = dialog.DoModal();
  }
  if (result != sis::kIdOk) {
    dialog.RestoreSwitchedOn();
    return false;
  }
  if (!Has(sis::flag::kOpen)) return false;
  // The write step compares with the table in the Trimset and writes it when it differs.
  const sis::WordTable edited = dialog.Words();
  if (!exchange.WriteStep({edited}, 1)) return true;  // the action was finished by the failed write
  if ((completedMask & 1) == 0) {
    assignment_ = edited;
    savedAssignment_ = edited;
    assignmentChanged_ = true;
  }
  return true;
}

void CVt6SenInstance::OnPartFinished(const char* part) { inputsExchange_.PartFinished(part); }

void CVt6SenInstance::OnTransmissionError(const char* part) { inputsExchange_.TransmissionError(part); }

void CVt6SenInstance::OnReset(const char* action) {
  if (!Has(sis::flag::kTransmission) || actionName != action) return;
  inputsExchange_.Reset(action);  // ends the dialog as cancelled, clears the running flag
  while (recheckPending_) {
    recheckPending_ = false;
    if (Has(sis::flag::kOpen)) CheckAssignment();
  }
  assignmentChanged_ = false;
  dialogInProgress_ = 0;
}

// --- Average map exchange ---------------------------------------------------------

void CVt6SenInstance::OnBeginAverage(const char* action) {
  if (!Has(sis::flag::kOpen)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sen::ids::kMajorError});
    ActionFinished(action);
    return;
  }
  if (Has(kAnyExchange)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sis::msg::kOtherActionRunning});
    if (Has(sis::flag::kTransmission)) {
      ActionFinished(action);
      return;
    }
  }
  Set(senflag::kAverageExchange);
  actionName = action;
  structureChanged_ = false;
  editedMeasurement_ = -1;

  // The action's table is the average map; failing that, the action name after its first "_".
  std::string table;
  if (!ReadActionTable(action, table) || !VariableExists(table.c_str())) {
    const std::string name = action;
    const size_t cut = name.find('_');
    table = cut == std::string::npos ? std::string() : name.substr(cut + 1);
    if (table.empty() || !VariableExists(table.c_str())) {
      ActionFinished(action);
      return;
    }
  }
  for (size_t i = 0; i < records_.size(); ++i) {
    if (!records_[i].name[sen::kAverageMap].empty() && records_[i].name[sen::kAverageMap] == table &&
        records_[i].HasStructure()) {
      editedMeasurement_ = static_cast<int32_t>(i);
      break;
    }
  }
  if (editedMeasurement_ < 0) {
    ActionFinished(action);
    return;
  }
  sen::Measurement& m = records_[static_cast<size_t>(editedMeasurement_)];
  averageExchange_.SetParts({m.name[sen::kStructure]});
  std::wstring label;
  const bool labelled = ReadLabelWide(m.name[sen::kStructure], label);
  if (m.structureStatus == sen::kStatusNotReceived) {
    std::wstring text = MachineName() + sis::kLineBreak;
    if (labelled) text += label + sis::kLineBreak;
    sis::MessageBox(sis::BoxKind::Error, text + sis::LoadString(sen::ids::kNotReceived));
    ActionFinished(action);
    return;
  }
  const std::wstring title = (labelled ? label : sis::LoadString(sen::ids::kInputsTitle)) + sis::kTitleJoiner +
                             MachineName();
  editedPending_ = true;
  const bool ok = RunMapScaleDialog(averageExchange_, title);
  editedPending_ = false;
  if (!ok) {
    ActionFinished(actionName.c_str());
    return;
  }
  if (!Has(senflag::kAverageExchange)) return;
  if (!structureChanged_) {
    ActionFinished(actionName.c_str());
    return;
  }
  averageExchange_.SendStep();
}

bool CVt6SenInstance::RunMapScaleDialog(sis::TransmissionExchange& exchange, const std::wstring& title) {
  if (editedMeasurement_ < 0) return false;
  const size_t i = static_cast<size_t>(editedMeasurement_);
  CSisCalMapScaleDialog dialog(*this, records_[i], title);
  int result;
  {
    sis::ModalRegistration registration(*this, dialog);
    result = dialog.DoModal();
  }
  if (result != sis::kIdOk || !Has(sis::flag::kOpen) || editedMeasurement_ != static_cast<int32_t>(i)) return false;
  const sis::WordTable edited = dialog.Structure();
  if (!exchange.WriteStep({edited}, 1)) return true;
  if ((completedMask & 1) == 0) {
    records_[i].structure = edited;
    structureChanged_ = true;
  }
  return true;
}

void CVt6SenInstance::OnAveragePartFinished(const char* part) { averageExchange_.PartFinished(part); }

void CVt6SenInstance::OnAverageTransmissionError(const char* part) { averageExchange_.TransmissionError(part); }

void CVt6SenInstance::OnAverageReset(const char* action) {
  if (!Has(senflag::kAverageExchange) || actionName != action) return;
  averageExchange_.Reset(action);
  while (averageRecheckPending_) {
    averageRecheckPending_ = false;
    if (Has(sis::flag::kOpen) && editedMeasurement_ >= 0 && static_cast<size_t>(editedMeasurement_) < records_.size()) {
      CheckAverageStructure(static_cast<size_t>(editedMeasurement_));
    }
  }
  structureChanged_ = false;
  editedMeasurement_ = -1;
}
