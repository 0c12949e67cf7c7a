#include "sis/platform/dialog.h"

#include <algorithm>

#include "sis/platform/backend.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"
#include "sis/platform/shell.h"
#include "sis/platform/text.h"

namespace sis {

Dialog::Dialog(int32_t templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
  if (created_ && !modal_) DestroyWindow();
}

bool Dialog::BuildFromTemplate() {
  ResourceModule* module = CurrentModule();
  const SisDialogEntry* tpl = module ? module->FindDialog(templateId_) : nullptr;
  if (!tpl) return false;
  ClearControls();
  if (!titlePreset_) title_ = Utf8ToWide(tpl->caption ? tpl->caption : "");
  width_ = tpl->cx;
  height_ = tpl->cy;
  std::string style = tpl->style ? tpl->style : "";
  templateVisible_ = ("|" + style + "|").find("|visible|") != std::string::npos;
  for (int32_t i = 0; i < tpl->controlCount; ++i) {
    const SisControlEntry& c = tpl->controls[i];
    ControlKind kind = ControlKind::Static;
    ParseControlKind(c.kind ? c.kind : "static", kind);
    AddControl(c.id, kind, Utf8ToWide(c.text ? c.text : ""), c.style ? c.style : "");
  }
  return true;
}

bool Dialog::BuildWindow() { return BuildFromTemplate(); }

void Dialog::ClearControls() { controls_.clear(); }

void Dialog::ClearWindow() { ClearControls(); }

int Dialog::DoModal() {
  if (created_ || !BuildWindow()) return -1;
  created_ = true;
  modal_ = true;
  visible_ = true;
  enabled_ = true;
  ended_ = false;
  result_ = kIdCancel;
  OnInitDialog();
  if (!ended_) CurrentBackend().RunModal(*this);
  if (!ended_) EndDialog(kIdCancel);  // a backend that gave up counts as Cancel
  ClearWindow();
  created_ = false;
  modal_ = false;
  visible_ = false;
  return result_;
}

bool Dialog::Create() {
  if (created_) return true;
  if (!BuildWindow()) return false;
  created_ = true;
  modal_ = false;
  ended_ = false;
  visible_ = false;
  enabled_ = templateVisible_;
  OnInitDialog();
  if (templateVisible_) ShowWindow(true);
  return true;
}

void Dialog::DestroyWindow() {
  if (!created_) return;
  if (modal_) {  // a modal window goes when its loop ends
    EndDialog(kIdCancel);
    return;
  }
  CurrentBackend().WindowDestroyed(*this);
  ClearWindow();
  created_ = false;
  visible_ = false;
}

void Dialog::ShowWindow(bool show) {
  if (!created_) return;
  bool wasVisible = visible_;
  visible_ = show;
  if (modal_) return;
  if (show) {
    CurrentBackend().WindowShown(*this);
  } else if (wasVisible) {
    CurrentBackend().WindowHidden(*this);
  }
}

void Dialog::EndDialog(int result) {
  if (modal_) {
    ended_ = true;
    result_ = result;
  } else {
    ShowWindow(false);
  }
}

Control* Dialog::Item(int32_t id) const {
  for (const auto& c : controls_) {
    if (c->Id() == id) return c.get();
  }
  return nullptr;
}

std::vector<Control*> Dialog::ControlsById() const {
  std::vector<Control*> out;
  out.reserve(controls_.size());
  for (const auto& c : controls_) out.push_back(c.get());
  std::stable_sort(out.begin(), out.end(), [](Control* a, Control* b) { return a->Id() < b->Id(); });
  return out;
}

Control& Dialog::AddControl(int32_t id, ControlKind kind, std::wstring text, std::string style) {
  controls_.push_back(std::make_unique<Control>(*this, id, kind, std::move(text), std::move(style)));
  return *controls_.back();
}

void Dialog::OnCommand(int32_t id, Notify code) {
  if (code != Notify::Clicked) return;
  if (id == kIdOk) OnOK();
  if (id == kIdCancel) OnCancel();
}

void Dialog::OnHelp(int32_t id) {
  if (HasString(id)) ShowHelpPopup(LoadString(id));
}

bool PropertyPage::Build() {
  if (pageCreated_) return true;
  if (!BuildFromTemplate()) return false;
  pageCreated_ = true;
  OnInitDialog();
  return true;
}

PropertySheet::PropertySheet(std::wstring title) : Dialog(0) { SetTitle(std::move(title)); }

void PropertySheet::AddPage(PropertyPage* page) {
  page->sheet_ = this;
  pages_.push_back(page);
}

bool PropertySheet::BuildWindow() {
  if (pages_.empty()) return false;
  ResourceModule* module = CurrentModule();
  ClearControls();
  std::wstring title = Title();
  Control& tab = AddControl(kSheetTabId, ControlKind::Tab, L"");
  AddControl(kIdOk, ControlKind::Button, L"OK");
  AddControl(kIdCancel, ControlKind::Button, L"Cancel");
  for (PropertyPage* page : pages_) {
    const SisDialogEntry* tpl = module ? module->FindDialog(page->TemplateId()) : nullptr;
    tab.AddItem(tpl && tpl->caption ? Utf8ToWide(tpl->caption) : std::wstring());
  }
  SetTitle(title);
  active_ = -1;
  if (!pages_[0]->Build()) return false;
  active_ = 0;
  tab.SetSelection(0);
  pages_[0]->OnSetActive();
  return true;
}

void PropertySheet::ClearWindow() {
  for (PropertyPage* page : pages_) {
    page->ClearControls();
    page->pageCreated_ = false;
  }
  active_ = -1;
  ClearControls();
}

bool PropertySheet::SetActivePage(int32_t index) {
  if (index < 0 || index >= PageCount()) return false;
  if (index == active_) return true;
  if (active_ >= 0 && !pages_[static_cast<size_t>(active_)]->OnKillActive()) return false;
  PropertyPage* page = pages_[static_cast<size_t>(index)];
  if (!page->Build()) return false;
  active_ = index;
  if (Control* tab = Item(kSheetTabId)) tab->SetSelection(index);
  page->OnSetActive();
  return true;
}

void PropertySheet::OnOK() {
  if (active_ >= 0 && !pages_[static_cast<size_t>(active_)]->OnKillActive()) return;
  for (PropertyPage* page : pages_) {
    if (page->pageCreated_) page->OnOK();
  }
  EndDialog(kIdOk);
}

void PropertySheet::OnCancel() {
  for (PropertyPage* page : pages_) {
    if (page->pageCreated_) page->OnCancel();
  }
  EndDialog(kIdCancel);
}

void PropertySheet::OnCommand(int32_t id, Notify code) {
  if (id == kSheetTabId && code == Notify::TabChange) {
    Control* tab = Item(kSheetTabId);
    if (tab && !SetActivePage(tab->Selection())) tab->SetSelection(active_);
    return;
  }
  Dialog::OnCommand(id, code);
}

Dialog* PropertySheet::ActivePane() {
  if (active_ < 0) return this;
  return pages_[static_cast<size_t>(active_)];
}

}  // namespace sis
