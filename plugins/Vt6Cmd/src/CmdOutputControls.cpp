#include "CmdOutputControls.h"

#include <algorithm>

#include "CmdTexts.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"
#include "sis/platform/text.h"

namespace vt6cmd {
namespace {

std::wstring ModeName(uint16_t mode) {
  if (mode == kModePushPullSync) return sis::LoadString(txt::kModePushPullSync);
  if (mode == kModePushPull) return sis::LoadString(txt::kModePushPull);
  return sis::LoadString(txt::kModeStandard);
}

std::wstring CodeName(uint16_t code) { return sis::LoadString(CodeTextId(code, false)); }

}  // namespace

COutputControls::COutputControls(sis::Dialog& dialog, CCmdEditSession& session, size_t index, bool advancedChoice)
    : dialog_(dialog), session_(session), index_(index), advancedChoice_(advancedChoice) {}

void COutputControls::Load() {
  const sis::WordTable& t = session_.Table(index_);
  if (sis::Control* c = dialog_.Item(ctl::kLabel)) c->SetText(session_.Output(index_).label);
  codes_ = session_.Codes(index_);
  if (sis::Control* c = dialog_.Item(ctl::kCode)) {
    c->DeleteAllItems();
    for (uint16_t code : codes_) c->AddItem(CodeName(code));
    const auto it = std::find(codes_.begin(), codes_.end(), t[word::kCode]);
    c->SetSelection(it == codes_.end() ? -1 : static_cast<int32_t>(it - codes_.begin()));
  }
  modes_ = session_.Modes(index_);
  if (sis::Control* c = dialog_.Item(ctl::kMode)) {
    c->DeleteAllItems();
    for (uint16_t m : modes_) c->AddItem(ModeName(m));
    const auto it = std::find(modes_.begin(), modes_.end(), static_cast<uint16_t>(t[word::kMode] & ~kModeInverted));
    c->SetSelection(it == modes_.end() ? -1 : static_cast<int32_t>(it - modes_.begin()));
    c->Enable(modes_.size() > 1);
  }
  if (sis::Control* c = dialog_.Item(ctl::kInverted)) {
    c->SetCheck((t[word::kMode] & kModeInverted) != 0);
    c->Enable(session_.InvertOffered(index_));
  }
  const auto [low, high] = session_.ParameterRange(index_);
  if (sis::Control* c = dialog_.Item(ctl::kParameter)) {
    c->SetText(std::to_wstring(t[word::kParameter]));
    c->Enable(high > 0);
  }
  if (sis::Control* c = dialog_.Item(ctl::kRange)) {
    const CodeInfo* info = FindCode(t[word::kCode]);
    const int32_t unit = info && info->family == ParamFamily::Angular ? txt::kUnitPulses : txt::kUnitHz;
    c->SetText(high == 0 ? sis::LoadString(txt::kNoParameter)
                         : sis::LoadString(txt::kRange) + L" " + std::to_wstring(low) + L" - " +
                               std::to_wstring(high) + L" " + sis::LoadString(unit));
  }
  FillAxis(ctl::kLineAxis, LineAxis(t), lineIds_);
  FillAxis(ctl::kColumnAxis, ColumnAxis(t), columnIds_);
  if (sis::Control* c = dialog_.Item(ctl::kAdvanced)) {
    c->SetCheck(t[word::kAdvanced] != 0);
    c->Show(advancedChoice_);
    c->Enable(advancedChoice_);
  }
  LoadPartner();
}

// The picker: "none", the variables offered (all of them when the output is
// tuned as advanced), and the current variable when the list lacks it.
void COutputControls::FillAxis(int32_t id, int32_t current, std::vector<int32_t>& ids) {
  sis::Control* c = dialog_.Item(id);
  if (!c) return;
  const bool advanced = advancedChoice_ && session_.Table(index_)[word::kAdvanced] != 0;
  c->DeleteAllItems();
  ids.assign(1, -1);
  c->AddItem(sis::LoadString(txt::kNoAxis));
  for (const AxisVariable& a : session_.Axes(advanced)) {
    ids.push_back(a.id);
    c->AddItem(sis::AnsiToWide(a.name));
  }
  auto it = std::find(ids.begin(), ids.end(), current);
  if (it == ids.end()) {
    ids.push_back(current);
    c->AddItem(L"#" + std::to_wstring(current));
    it = ids.end() - 1;
  }
  c->SetSelection(static_cast<int32_t>(it - ids.begin()));
  c->Enable(session_.AxesOffered(index_));
}

void COutputControls::LoadPartner() {
  sis::Control* c = dialog_.Item(ctl::kPartner);
  if (!c) return;
  const int32_t j = session_.Partner(index_);
  if (j < 0) {
    c->SetText(sis::LoadString(txt::kNoPartner));
    return;
  }
  const auto& partner = session_.Output(static_cast<size_t>(j));
  c->SetText(sis::LoadString(txt::kPartner) + L" " + partner.label + L": " + CodeName(partner.table[word::kCode]));
}

bool COutputControls::OnCommand(int32_t id, sis::Notify code) {
  sis::Control* c = dialog_.Item(id);
  if (!c) return false;
  auto selected = [c](const auto& list) {
    const int32_t s = c->Selection();
    return s >= 0 && static_cast<size_t>(s) < list.size() ? static_cast<int32_t>(s) : -1;
  };
  switch (id) {
    case ctl::kCode:
      if (code != sis::Notify::SelChange || selected(codes_) < 0) return true;
      session_.SetCode(index_, codes_[static_cast<size_t>(selected(codes_))]);
      Load();
      return true;
    case ctl::kMode:
      if (code == sis::Notify::SelChange && selected(modes_) >= 0) {
        session_.SetMode(index_, modes_[static_cast<size_t>(selected(modes_))]);
      }
      return true;
    case ctl::kInverted:
      if (code == sis::Notify::Clicked) session_.SetInverted(index_, c->IsChecked());
      return true;
    case ctl::kParameter:
      if (code == sis::Notify::EditChange) {
        session_.SetParameterText(index_, c->Text());
        LoadPartner();
      }
      return true;
    case ctl::kLineAxis:
      if (code == sis::Notify::SelChange && selected(lineIds_) >= 0) {
        session_.SetLineAxis(index_, lineIds_[static_cast<size_t>(selected(lineIds_))]);
      }
      return true;
    case ctl::kColumnAxis:
      if (code == sis::Notify::SelChange && selected(columnIds_) >= 0) {
        session_.SetColumnAxis(index_, columnIds_[static_cast<size_t>(selected(columnIds_))]);
      }
      return true;
    case ctl::kAdvanced:
      if (code == sis::Notify::Clicked) {
        session_.SetAdvanced(index_, c->IsChecked());
        Load();
      }
      return true;
    default:
      return false;
  }
}

void ShowRefusal(const std::wstring& machine, const std::vector<int32_t>& problems) {
  std::wstring text = machine + L"\n" + sis::LoadString(txt::kRefused);
  for (int32_t p : problems) text += L"\n" + sis::LoadString(p);
  text += L"\n" + sis::LoadString(txt::kRefusedEnd);
  sis::MessageBox(sis::BoxKind::Warning, text);
}

}  // namespace vt6cmd
