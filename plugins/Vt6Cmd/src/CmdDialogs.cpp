#include "CmdDialogs.h"

#include "sis/platform/message_box.h"
#include "sis/platform/shell.h"
#include "sis/platform/module.h"

using namespace vt6cmd;

namespace {

uint32_t AllOutputs(size_t count) { return count >= 32 ? 0xFFFFFFFFu : (1u << count) - 1u; }

}  // namespace

// --- Output dialog -------------------------------------------------------------

CSisCalAffDialog::CSisCalAffDialog(CCmdEditSession& session, size_t index, std::wstring machine, bool advancedChoice)
    : sis::Dialog(kTemplate), session_(session), index_(index), machine_(std::move(machine)),
      controls_(*this, session, index, advancedChoice) {}

uint32_t CSisCalAffDialog::EditedMask() const {
  uint32_t mask = 1u << index_;
  const int32_t j = session_.Partner(index_);
  if (j >= 0) mask |= 1u << j;
  return mask;
}

bool CSisCalAffDialog::OnInitDialog() {
  controls_.Load();
  return true;
}

void CSisCalAffDialog::OnOK() {
  const auto problems = session_.Problems(EditedMask());
  if (!problems.empty()) {
    ShowRefusal(machine_, problems);
    return;
  }
  EndDialog(sis::kIdOk);
}

void CSisCalAffDialog::OnCommand(int32_t id, sis::Notify code) {
  if (!controls_.OnCommand(id, code)) sis::Dialog::OnCommand(id, code);
}

void CSisCalAffDialog::OnHelp(int32_t) { sis::ShowHelpPopup(sis::LoadString(txt::kHelpOutput)); }

// --- Pilot map dialog ----------------------------------------------------------

CSisCalMapDialog::CSisCalMapDialog(CCmdEditSession& session, size_t index, std::wstring machine, bool advancedChoice)
    : sis::Dialog(kTemplate), session_(session), index_(index), machine_(std::move(machine)),
      controls_(*this, session, index, advancedChoice) {}

bool CSisCalMapDialog::OnInitDialog() {
  controls_.Load();
  return true;
}

void CSisCalMapDialog::OnOK() {
  const auto problems = session_.Problems(1u << index_);
  if (!problems.empty()) {
    ShowRefusal(machine_, problems);
    return;
  }
  EndDialog(sis::kIdOk);
}

void CSisCalMapDialog::OnCommand(int32_t id, sis::Notify code) {
  if (!controls_.OnCommand(id, code)) sis::Dialog::OnCommand(id, code);
}

void CSisCalMapDialog::OnHelp(int32_t) { sis::ShowHelpPopup(sis::LoadString(txt::kHelpMap)); }

// --- Standard pages --------------------------------------------------------------

CSisCalAuxPage::CSisCalAuxPage(CCmdEditSession& session, size_t index)
    : sis::PropertyPage(kTemplate), controls_(*this, session, index, false) {}

bool CSisCalAuxPage::OnInitDialog() {
  controls_.Load();
  return true;
}

// A partner edited on another page may have changed this output.
bool CSisCalAuxPage::OnSetActive() {
  controls_.Load();
  return true;
}

void CSisCalAuxPage::OnCommand(int32_t id, sis::Notify code) {
  if (!controls_.OnCommand(id, code)) sis::PropertyPage::OnCommand(id, code);
}

void CSisCalAuxPage::OnHelp(int32_t) { sis::ShowHelpPopup(sis::LoadString(txt::kHelpStandard)); }

CSisCalAuxDialog::CSisCalAuxDialog(CCmdEditSession& session, std::wstring title, std::wstring machine)
    : sis::PropertySheet(std::move(title)), session_(session), machine_(std::move(machine)) {
  for (size_t i = 0; i < session.Count(); ++i) {
    pages_.push_back(std::make_unique<CSisCalAuxPage>(session, i));
    AddPage(pages_.back().get());
  }
}

bool CSisCalAuxDialog::OnInitDialog() {
  if (sis::Control* tab = Item(kSheetTabId)) {
    for (size_t i = 0; i < session_.Count() && static_cast<int32_t>(i) < tab->ItemCount(); ++i) {
      tab->SetItemText(static_cast<int32_t>(i), 0, session_.Output(i).label);
    }
  }
  return sis::PropertySheet::OnInitDialog();
}

void CSisCalAuxDialog::OnOK() {
  const auto problems = session_.Problems(AllOutputs(session_.Count()));
  if (!problems.empty()) {
    ShowRefusal(machine_, problems);
    return;
  }
  sis::PropertySheet::OnOK();
}
