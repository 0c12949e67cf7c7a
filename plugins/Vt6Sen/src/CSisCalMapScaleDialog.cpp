#include "CSisCalMapScaleDialog.h"

#include "SenCodes.h"
#include "Vt6SenInstance.h"
#include "sis/abi/host_codes.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"
#include "sis/platform/text.h"

CSisCalMapScaleDialog::CSisCalMapScaleDialog(CVt6SenInstance& owner, const sen::Measurement& measurement,
                                             std::wstring title)
    : Dialog(kTemplate), owner_(owner), measurement_(measurement), title_(std::move(title)) {}

bool CSisCalMapScaleDialog::OnInitDialog() {
  SetTitle(title_);
  if (measurement_.structureStatus == sen::kStatusUsable) {
    structure_ = measurement_.structure;
    choice_ = sen::StructureScaleId(structure_);
  } else {
    structure_ = {10, 1, 2, 0, 0xFFFF};
    choice_ = -1;
    cancellable_ = false;  // a structure that has not passed its check must be rewritten
    if (sis::Control* cancel = Item(sis::kIdCancel)) cancel->Enable(false);
  }
  if (choice_ != -1 && (structure_[3] == 0 || !owner_.ReadVariableName(choice_, choiceName_))) {
    choice_ = -1;
    choiceName_.clear();
  }

  std::wstring horizontal = sis::LoadString(sen::ids::kNoData);
  int32_t id = 0;
  std::string name;
  std::wstring label;
  const std::string& map = measurement_.name[sen::kAverageMap];
  if (!map.empty() && owner_.ReadProperty(sen::code::kHorizontalScale, map.c_str(), id) &&
      owner_.ReadVariableName(id, name) && owner_.ReadLabelWide(name, label)) {
    horizontal = label;
  }
  if (sis::Control* combo = Item(kHorizontal)) {
    combo->AddItem(horizontal);
    combo->SetSelection(0);
    combo->Enable(false);
  }
  if (sis::Control* advanced = Item(kAdvanced)) advanced->SetCheck(owner_.AdvancedLevel());
  ReadCandidates();
  FillList();
  return true;
}

void CSisCalMapScaleDialog::ReadCandidates() {
  std::vector<std::string> names;
  if (!owner_.ListVariables(names)) return;
  for (const std::string& name : names) {
    const char* n = name.c_str();
    int32_t kind = -1, listable = 0, pickable = 0, category = 0;
    // Single values the user may pick, in the selectable categories.
    if (!owner_.ReadProperty(sis::code::kKind, n, kind) || kind != 0) continue;
    if (!owner_.ReadProperty(sis::code::kListable, n, listable) || listable == 0) continue;
    if (!owner_.ReadProperty(sis::code::kPickable, n, pickable) || pickable == 0) continue;
    if (!owner_.ReadProperty(sis::code::kCategory, n, category)) continue;
    if ((static_cast<uint32_t>(category) & owner_.SelectMask()) == 0) continue;
    Candidate c{name, {}, static_cast<uint32_t>(category)};
    if (!owner_.ReadLabelWide(name, c.label)) c.label = sis::LoadString(sen::ids::kNoData);
    candidates_.push_back(std::move(c));
  }
}

void CSisCalMapScaleDialog::FillList() {
  sis::Control* combo = Item(kVertical);
  if (!combo) return;
  const bool advanced = Item(kAdvanced) && Item(kAdvanced)->IsChecked();
  combo->DeleteAllItems();
  listed_.clear();
  combo->AddItem(sis::LoadString(sen::ids::kNoData));
  int32_t selection = 0;
  for (const Candidate& c : candidates_) {
    const bool isChoice = choice_ != -1 && c.name == choiceName_;
    if (!advanced && (c.category & owner_.UsualMask()) == 0 && !isChoice) continue;
    listed_.push_back(c.name);
    const int32_t index = combo->AddItem(c.label);
    if (isChoice) selection = index;
  }
  combo->SetSelection(selection);
}

void CSisCalMapScaleDialog::OnCommand(int32_t id, sis::Notify code) {
  if (id == kAdvanced && code == sis::Notify::Clicked) {
    FillList();
    return;
  }
  if (id == kVertical && code == sis::Notify::SelChange) {
    const int32_t index = Item(kVertical)->Selection();
    int32_t chosen = -1;
    if (index >= 1 && static_cast<size_t>(index) <= listed_.size() &&
        owner_.ReadVariableId(listed_[static_cast<size_t>(index - 1)].c_str(), chosen)) {
      choice_ = chosen;
      choiceName_ = listed_[static_cast<size_t>(index - 1)];
    } else {
      choice_ = -1;
      choiceName_.clear();
    }
    return;
  }
  Dialog::OnCommand(id, code);
}

void CSisCalMapScaleDialog::OnOK() {
  if (choice_ == -1) {
    structure_[3] = 0;
    structure_[4] = 0xFFFF;
  } else {
    structure_[3] = static_cast<uint16_t>(static_cast<uint32_t>(choice_) & 0xFFFF);
    structure_[4] = static_cast<uint16_t>(static_cast<uint32_t>(choice_) >> 16);
  }
  EndDialog(sis::kIdOk);
}

void CSisCalMapScaleDialog::OnCancel() {
  if (cancellable_) EndDialog(sis::kIdCancel);
}
