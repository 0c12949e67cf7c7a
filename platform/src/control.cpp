#include "sis/platform/control.h"

#include <algorithm>

#include "sis/platform/dialog.h"

namespace sis {
namespace {

constexpr const char* kKindNames[] = {"static", "button", "check", "radio", "edit",     "combo",
                                      "list",   "tab",    "slider", "spin", "progress", "group"};

}  // namespace

const char* ControlKindName(ControlKind kind) { return kKindNames[static_cast<int>(kind)]; }

bool ParseControlKind(std::string_view name, ControlKind& kind) {
  for (int i = 0; i < 12; ++i) {
    if (name == kKindNames[i]) {
      kind = static_cast<ControlKind>(i);
      return true;
    }
  }
  return false;
}

Control::Control(Dialog& owner, int32_t id, ControlKind kind, std::wstring text, std::string style)
    : owner_(&owner), id_(id), kind_(kind), text_(std::move(text)), style_(std::move(style)) {
  if (kind == ControlKind::Combo || kind == ControlKind::List || kind == ControlKind::Tab) text_.clear();
}

bool Control::HasStyle(std::string_view word) const {
  std::string_view s = style_;
  while (!s.empty()) {
    size_t bar = s.find('|');
    if (s.substr(0, bar) == word) return true;
    if (bar == std::string_view::npos) break;
    s.remove_prefix(bar + 1);
  }
  return false;
}

std::wstring Control::Text() const {
  if (kind_ == ControlKind::Combo) return selection_ >= 0 ? ItemText(selection_) : text_;
  return text_;
}

void Control::SetText(std::wstring text) { text_ = std::move(text); }

void Control::Enable(bool enable) {
  if (enabled_ == enable) return;
  enabled_ = enable;
  owner_->OnCommand(id_, Notify::Enable);
}

int32_t Control::AddItem(std::wstring text) { return InsertItem(ItemCount(), std::move(text)); }

int32_t Control::InsertItem(int32_t index, std::wstring text) {
  index = std::clamp(index, 0, ItemCount());
  items_.insert(items_.begin() + index, std::vector<std::wstring>{std::move(text)});
  if (selection_ >= index) ++selection_;
  return index;
}

void Control::SetItemText(int32_t index, int32_t column, std::wstring text) {
  if (index < 0 || index >= ItemCount() || column < 0) return;
  auto& row = items_[static_cast<size_t>(index)];
  if (row.size() <= static_cast<size_t>(column)) row.resize(static_cast<size_t>(column) + 1);
  row[static_cast<size_t>(column)] = std::move(text);
}

void Control::DeleteItem(int32_t index) {
  if (index < 0 || index >= ItemCount()) return;
  items_.erase(items_.begin() + index);
  if (selection_ == index) {
    selection_ = -1;
  } else if (selection_ > index) {
    --selection_;
  }
}

void Control::DeleteAllItems() {
  items_.clear();
  selection_ = -1;
}

std::wstring Control::ItemText(int32_t index, int32_t column) const {
  if (index < 0 || index >= ItemCount() || column < 0) return {};
  const auto& row = items_[static_cast<size_t>(index)];
  return static_cast<size_t>(column) < row.size() ? row[static_cast<size_t>(column)] : std::wstring();
}

int32_t Control::FindItem(std::wstring_view text) const {
  for (int32_t i = 0; i < ItemCount(); ++i) {
    if (ItemText(i) == text) return i;
  }
  return -1;
}

void Control::SetSelection(int32_t index) { selection_ = (index >= 0 && index < ItemCount()) ? index : -1; }

void Control::InsertColumn(int32_t index, std::wstring heading, int32_t width) {
  index = std::clamp(index, 0, ColumnCount());
  columns_.insert(columns_.begin() + index, Column{std::move(heading), width});
}

int32_t Control::ColumnWidth(int32_t index) const {
  return (index >= 0 && index < ColumnCount()) ? columns_[static_cast<size_t>(index)].width : 0;
}

void Control::SetRange(int32_t low, int32_t high) {
  if (low != low_ || high != high_) rangeChanged_ = true;
  low_ = low;
  high_ = high;
  SetPos(pos_);
}

void Control::SetPos(int32_t pos) {
  int32_t lo = std::min(low_, high_);
  int32_t hi = std::max(low_, high_);
  pos_ = std::clamp(pos, lo, hi);
}

bool Control::TakeRangeChanged() {
  bool changed = rangeChanged_;
  rangeChanged_ = false;
  return changed;
}

}  // namespace sis
