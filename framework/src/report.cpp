#include "sis/framework/report.h"

#include "sis/framework/instance.h"
#include "sis/platform/control.h"
#include "sis/platform/text.h"

namespace sis {

CSisReport::CSisReport(Instance& owner, std::wstring title, int32_t parts)
    : Dialog(kTemplate), owner_(owner), reportTitle_(std::move(title)) {
  const auto n = static_cast<size_t>(parts < 0 ? 0 : parts);
  lines_.assign(n, std::wstring());
  labels_.assign(n, std::wstring());
  for (size_t i = 0; i < n && i < owner.partNames.size(); ++i) {
    std::string label;
    if (owner.ReadLabel(owner.partNames[i].c_str(), label)) labels_[i] = UpperWide(AnsiToWide(label));
  }
}

bool CSisReport::OnInitDialog() {
  SetTitle(reportTitle_);
  if (Control* list = Item(kListId)) {
    list->SetExtendedStyle(kListGridLines | kListFullRowSelect | kListOneClickActivate);
    list->InsertColumn(0, L"", 1000);
  }
  return true;
}

bool CSisReport::HasLines() const {
  if (!general_.empty()) return true;
  for (const auto& line : lines_) {
    if (!line.empty()) return true;
  }
  return false;
}

void CSisReport::SetLine(int32_t index, std::wstring text) {
  if (index == -1) {
    general_ = std::move(text);
  } else if (index >= 0 && index < PartCount()) {
    lines_[static_cast<size_t>(index)] = std::move(text);
  } else {
    return;
  }
  if (IsCreated()) Rebuild();
}

void AddTextRows(Control& list, const std::wstring& text) {
  size_t start = 0;
  for (size_t at = text.find(L'\n'); at != std::wstring::npos; at = text.find(L'\n', start)) {
    list.AddItem(text.substr(start, at - start));
    start = at + 1;
  }
  list.AddItem(text.substr(start));
}

void CSisReport::Rebuild() {
  Control* list = Item(kListId);
  if (!list) return;
  list->DeleteAllItems();
  if (!HasLines()) {
    ShowWindow(false);
    return;
  }
  if (!general_.empty()) AddTextRows(*list, general_ + L"\n");
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!lines_[i].empty()) AddTextRows(*list, labels_[i] + L"\n" + lines_[i] + L"\n");
  }
  EnableWindow(true);
  ShowWindow(true);
}

void CSisReport::Refresh() {
  if (!IsCreated()) return;
  if (HasLines()) {
    EnableWindow(true);
    ShowWindow(true);
  } else {
    ShowWindow(false);
  }
}

void CSisReport::OnCommand(int32_t id, Notify code) {
  // At the end of a scroll, low-level instances repaint the list at once (the
  // backend shows the window again); the rows themselves do not change.
  if (id == kListId && code == Notify::EndScroll) {
    if (owner_.level <= 3 && IsVisible()) ShowWindow(true);
    return;
  }
  Dialog::OnCommand(id, code);
}

}  // namespace sis
