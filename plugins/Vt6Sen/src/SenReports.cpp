#include "SenReports.h"

#include "sis/framework/report.h"
#include "sis/platform/text.h"

CSisRepSen::CSisRepSen(std::wstring title, const std::vector<std::wstring>& labels)
    : Dialog(kTemplate), title_(std::move(title)), lines_(labels.size()) {
  for (const auto& label : labels) labels_.push_back(sis::UpperWide(label));
}

bool CSisRepSen::OnInitDialog() {
  SetTitle(title_);
  if (sis::Control* list = Item(kListId)) {
    list->SetExtendedStyle(sis::kListGridLines | sis::kListFullRowSelect);
    list->InsertColumn(0, L"", 1000);
  }
  return true;
}

bool CSisRepSen::HasMeasurementLines() const {
  for (const auto& line : lines_) {
    if (!line.empty()) return true;
  }
  return false;
}

bool CSisRepSen::HasLines() const { return !general_.empty() || HasMeasurementLines(); }

void CSisRepSen::SetLine(int32_t index, std::wstring text) {
  if (index == -1) {
    general_ = std::move(text);
    for (auto& line : lines_) line.clear();
  } else if (index >= 0 && static_cast<size_t>(index) < lines_.size()) {
    lines_[static_cast<size_t>(index)] = std::move(text);
  } else {
    return;
  }
  Rebuild();
}

void CSisRepSen::Rebuild() {
  if (!IsCreated()) return;
  sis::Control* list = Item(kListId);
  if (!list) return;
  list->DeleteAllItems();
  if (!general_.empty()) sis::AddTextRows(*list, general_);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].empty()) continue;
    list->AddItem(labels_[i]);
    sis::AddTextRows(*list, lines_[i]);
    list->AddItem(L"");
  }
  ShowByContent();
}

void CSisRepSen::ShowByContent() {
  if (!IsCreated()) return;
  if (HasLines()) {
    EnableWindow(true);
    ShowWindow(true);
  } else {
    ShowWindow(false);
  }
}
