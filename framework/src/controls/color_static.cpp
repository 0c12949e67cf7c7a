#include "sis/framework/controls/color_static.h"

namespace sis {

void CColorStatic::Attach(Control* control) {
  control_ = control;
  if (control_) OnCtlColor();
}

void CColorStatic::SetTextColor(uint32_t color) {
  textColor_ = color;
  if (control_) OnCtlColor();
}

void CColorStatic::SetBackgrounds(uint32_t enabled, uint32_t disabled) {
  enabledBack_ = enabled;
  disabledBack_ = disabled;
  if (control_) OnCtlColor();
}

void CColorStatic::EnableWindow(bool enable) {
  if (control_) control_->Enable(enable);  // the dialog forwards Notify::Enable to OnEnable
}

uint32_t CColorStatic::OnCtlColor() {
  if (!control_) return brushColor_;
  Appearance& look = control_->Look();
  look.textColor = textColor_;
  const bool enabled = control_->IsEnabled();
  if (enabled == lastEnabled_ && (!enabled || enabledBack_ == backColor_)) return brushColor_;
  lastEnabled_ = enabled;
  backColor_ = enabled ? enabledBack_ : disabledBack_;
  brushColor_ = backColor_;  // the brush is remade in the new colour
  look.backColor = backColor_;  // the whole client area is filled with it
  return brushColor_;
}

void CColorStatic::OnEnable() { OnCtlColor(); }

bool CColorStatic::OnCommand(int32_t id, Notify code) {
  if (!control_ || id != control_->Id()) return false;
  if (code == Notify::Enable) OnEnable();
  return true;
}

}  // namespace sis
