#include "sis/framework/controls/static_link.h"

#include <string_view>

#include "sis/platform/module.h"
#include "sis/platform/shell.h"

namespace sis {
namespace {

// The shell reports success with a value above 32.
constexpr int kShellOpened = 32;

// The hand cursor, looked up once per process and kept.
bool HandCursorAvailable() {
  static const bool loaded = true;  // the backend shows its own hand cursor
  return loaded;
}

}  // namespace

CStaticLink::CStaticLink(std::wstring link, bool deleteOnDestroy)
    : link_(std::move(link)), deleteOnDestroy_(deleteOnDestroy) {}

void CStaticLink::Attach(Control* control) { control_ = control; }

bool CStaticLink::IsPlainText() const {
  if (!control_ || control_->Kind() != ControlKind::Static) return false;
  // Styles beyond left, centred or right text draw something else than text.
  for (const char* word : {"bitmap", "icon", "picture", "frame", "rect", "etched", "ownerdraw", "simple"}) {
    if (control_->HasStyle(word)) return false;
  }
  return true;
}

bool CStaticLink::OnCtlColor() {
  if (notLink_ || !IsPlainText()) return false;
  fontMade_ = true;
  Appearance& look = control_->Look();
  look.underline = fontMade_;
  look.textColor = textColor_;
  return true;  // null brush: transparent background
}

bool CStaticLink::OnSetCursor() {
  if (notLink_ || !control_ || !HandCursorAvailable()) return false;
  control_->Look().handCursor = true;
  return true;
}

void CStaticLink::OnClick() {
  if (notLink_ || !control_) return;
  auto opens = [](const std::wstring& target) { return !target.empty() && ShellOpen(target) > kShellOpened; };
  bool opened = opens(link_);
  if (!opened) {
    const std::wstring text = control_->Text();
    if (!text.empty()) {
      link_ = text;
      opened = opens(link_);
    }
  }
  if (!opened) {
    const std::wstring text = LoadString(control_->Id());
    if (!text.empty()) {
      link_ = text;
      opened = opens(link_);
    }
  }
  if (opened) {
    textColor_ = kVisitedLinkColor;
    OnCtlColor();  // repainted in the visited colour
    return;
  }
  Beep();
  notLink_ = true;
  control_->Look().underline = false;
  control_->Look().handCursor = false;
  control_->Look().textColor = kColorWindowText;
}

bool CStaticLink::OnCommand(int32_t id, Notify code) {
  if (!control_ || id != control_->Id()) return false;
  if (code == Notify::Clicked) OnClick();
  return true;
}

void CStaticLink::PostNcDestroy() {
  control_ = nullptr;
  if (deleteOnDestroy_) delete this;
}

}  // namespace sis
