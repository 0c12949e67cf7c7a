#include "CmdEditing.h"

#include "CmdDialogs.h"
#include "Vt6CmdInstance.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"

using namespace vt6cmd;

bool CCmdEditing::OwnsTable(const std::string& table) {
  target_ = Target::None;
  const auto& outputs = owner_.Outputs();
  for (size_t i = 0; i < outputs.size(); ++i) {
    if (outputs[i].description == table) {
      target_ = Target::Output;
    } else if (outputs[i].HasMaps() && outputs[i].pilotMap == table) {
      target_ = Target::Map;
    } else {
      continue;
    }
    index_ = i;
    return true;
  }
  return false;
}

int32_t CCmdEditing::CannotEdit(int32_t index) {
  const auto& outputs = owner_.Outputs();
  if (index < 0 || static_cast<size_t>(index) >= outputs.size()) return 0;
  switch (outputs[static_cast<size_t>(index)].status) {
    case -2: return msg::kNotReceived;
    case -1: return msg::kFormatUnknown;
    default: return 0;
  }
}

bool CCmdEditing::RunDialog(sis::TransmissionExchange&, const std::wstring& title) {
  CCmdEditSession session(owner_.EditedOutputs(), owner_.GetLimits(), owner_.PickerVariables(), false,
                          [this](int32_t id) { return owner_.IdKnown(id); });
  // Under the first run option the host offers no advanced tuning.
  const bool advancedChoice = !owner_.OptionFlag();
  uint32_t mask = 0;
  if (target_ == Target::Output) {
    CSisCalAffDialog dialog(session, index_, owner_.MachineName(), advancedChoice);
    dialog.SetTitle(title);
    sis::ModalRegistration registration(owner_, dialog);
    if (dialog.DoModal() != sis::kIdOk) return false;
    mask = dialog.EditedMask();
  } else if (target_ == Target::Map) {
    CSisCalMapDialog dialog(session, index_, owner_.MachineName(), advancedChoice);
    dialog.SetTitle(title);
    sis::ModalRegistration registration(owner_, dialog);
    if (dialog.DoModal() != sis::kIdOk) return false;
    mask = 1u << index_;
  } else {
    return false;
  }
  return Write(session.Tables(), mask, session.NeedsReset(mask & session.ChangedMask()));
}

void CCmdEditing::RunStandardPages() {
  CCmdEditSession session(owner_.EditedOutputs(), owner_.GetLimits(), owner_.PickerVariables(), true,
                          [this](int32_t id) { return owner_.IdKnown(id); });
  const std::wstring title = sis::LoadString(txt::kStandardTitle) + L" " + owner_.MachineName();
  CSisCalAuxDialog sheet(session, title, owner_.MachineName());
  int result = sis::kIdCancel;
  {
    sis::ModalRegistration registration(owner_, sheet);
    result = sheet.DoModal();
  }
  if (result != sis::kIdOk) {
    owner_.ActionFinished(owner_.actionName.c_str());
    return;
  }
  const uint32_t mask = session.Count() >= 32 ? 0xFFFFFFFFu : (1u << session.Count()) - 1u;
  if (!Write(session.Tables(), mask, session.NeedsReset(session.ChangedMask()))) return;
  if (owner_.Has(sis::flag::kTransmission)) exchange_->SendStep();
}

// A changed code or mode only takes effect once the machine restarts: the
// send step then offers to reset it.
bool CCmdEditing::Write(const std::vector<sis::WordTable>& tables, uint32_t mask, bool resetWanted) {
  if (!owner_.Has(sis::flag::kTransmission)) return false;
  if (!exchange_->WriteStep(tables, mask)) return false;
  if (resetWanted) owner_.Set(sis::flag::kResetWanted);
  owner_.TakeEditedTables(tables, mask);
  owner_.Publish();
  return true;
}

void CCmdEditing::RefreshDisplays() { owner_.Publish(); }
