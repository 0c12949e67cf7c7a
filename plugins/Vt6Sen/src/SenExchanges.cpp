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
  if (status_ == sen::kStatusNotReceived || status_ == sen::kStatusUnknown) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(),
                        {status_ == sen::kStatusNotReceived ? sen::ids::kNotReceived : sen::ids::kFormatUnknown});
    ActionFinished(action);
    return;
  }
  const std::wstring title = sis::LoadString(sen::ids::kInputsTitle) + sis::kTitleJoiner + MachineName();
  sis::WordTable edited;
  if (!RunInputsDialog(title, edited)) {
    dialogInProgress_ = 0;
    ActionFinished(actionName.c_str());
    return;
  }
  // OK: the words are written when they differ from the table; a refused
  // write has finished the action and nothing is sent.
  const bool written = inputsExchange_.WriteStep({edited}, 1);
  const bool running = Has(sis::flag::kTransmission);
  if (written && running && (completedMask & 1) == 0) {
    assignment_ = edited;
    savedAssignment_ = edited;
  }
  dialogInProgress_ = 0;
  if (written && running) inputsExchange_.SendStep();  // finishes at once when nothing changed
}

bool CVt6SenInstance::RunInputsDialog(const std::wstring& title, sis::WordTable& edited) {
  CSisCalInputsDialog dialog(*this, assignment_, title);
  if (RunModal(dialog) != sis::kIdOk) {
    dialog.RestoreSwitchedOn();
    return false;
  }
  if (!Has(sis::flag::kOpen)) return false;
  edited = dialog.Words();
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
  dialogInProgress_ = 0;
}

// --- Average map exchange ---------------------------------------------------------

bool SenAverageDelegate::FindTable(sis::TransmissionExchange&, const char* action, std::string& table,
                                   int32_t& number) {
  number = 0;
  return owner_.FindEditedStructure(action, table);
}

int32_t SenAverageDelegate::CannotEdit(int32_t) {
  return owner_.EditedStructureStatus() == sen::kStatusNotReceived ? sen::ids::kNotReceived : 0;
}

bool SenAverageDelegate::RunDialog(sis::TransmissionExchange& exchange, const std::wstring& title) {
  return owner_.RunMapScaleDialog(exchange, title);
}

void CVt6SenInstance::OnBeginAverage(const char* action) {
  // Refused while the inputs configuration exchange runs; tested again after
  // the box, as the host may have reset it meanwhile.
  if (Has(sis::flag::kOpen) && Has(sis::flag::kTransmission)) {
    sis::ShowMessageIds(sis::BoxKind::Error, MachineName(), {sis::msg::kOtherActionRunning});
    if (Has(sis::flag::kTransmission)) {
      ActionFinished(action);
      return;
    }
  }
  averageExchange_.Begin(action);
}

bool CVt6SenInstance::FindEditedStructure(const char* action, std::string& structure) {
  editedMeasurement_ = -1;
  editedPending_ = false;
  // The action's table is the average map; failing that, the action name after its first "_".
  std::string map;
  if (!ReadActionTable(action, map) || !VariableExists(map.c_str())) {
    const std::string name = action;
    const size_t cut = name.find('_');
    map = cut == std::string::npos ? std::string() : name.substr(cut + 1);
    if (map.empty() || !VariableExists(map.c_str())) return false;
  }
  for (size_t i = 0; i < records_.size(); ++i) {
    const sen::Measurement& m = records_[i];
    if (m.name[sen::kAverageMap].empty() || m.name[sen::kAverageMap] != map || !m.HasStructure()) continue;
    editedMeasurement_ = static_cast<int32_t>(i);
    editedPending_ = true;
    structure = m.name[sen::kStructure];
    averageExchange_.SetParts({structure});
    return true;
  }
  return false;
}

int32_t CVt6SenInstance::EditedStructureStatus() const {
  if (editedMeasurement_ < 0 || static_cast<size_t>(editedMeasurement_) >= records_.size()) {
    return sen::kStatusNotReceived;
  }
  return records_[static_cast<size_t>(editedMeasurement_)].structureStatus;
}

bool CVt6SenInstance::RunMapScaleDialog(sis::TransmissionExchange& exchange, const std::wstring& title) {
  if (editedMeasurement_ < 0) return false;
  const size_t i = static_cast<size_t>(editedMeasurement_);
  CSisCalMapScaleDialog dialog(*this, records_[i], title);
  const int result = RunModal(dialog);
  if (result != sis::kIdOk || !Has(sis::flag::kOpen) || editedMeasurement_ != static_cast<int32_t>(i)) return false;
  const sis::WordTable edited = dialog.Structure();
  if (exchange.WriteStep({edited}, 1) && exchange.Running() && (completedMask & 1) == 0) {
    records_[i].structure = edited;
  }
  editedPending_ = false;  // later changes of the structure are checked at once
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
  editedMeasurement_ = -1;
  editedPending_ = false;
}
