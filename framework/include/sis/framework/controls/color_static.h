// CColorStatic: a static text with its own colours that shows whether it is
// enabled (window background when enabled, button face when disabled).
// The dialog attaches it to a control of its template and forwards that
// control's notifications; the control paints itself at every colour request.
#ifndef SIS_FRAMEWORK_CONTROLS_COLOR_STATIC_H
#define SIS_FRAMEWORK_CONTROLS_COLOR_STATIC_H

#include <cstdint>

#include "sis/platform/control.h"

namespace sis {

class CColorStatic {
 public:
  CColorStatic() = default;

  // Takes over the dialog's control (not owned) and paints it once.
  void Attach(Control* control);
  Control* Window() const { return control_; }

  void SetTextColor(uint32_t color);
  void SetBackgrounds(uint32_t enabled, uint32_t disabled);
  void EnableWindow(bool enable);

  // The colour request: sets the text colour, follows the enabled state and
  // returns the colour of the background brush.
  uint32_t OnCtlColor();
  // Enable notification: the whole control is repainted in its new colours.
  void OnEnable();
  // Forwards the dialog's notifications; true when they were this control's.
  bool OnCommand(int32_t id, Notify code);

  uint32_t TextColor() const { return textColor_; }
  uint32_t BackColor() const { return backColor_; }
  uint32_t BrushColor() const { return brushColor_; }

 private:
  Control* control_ = nullptr;
  uint32_t textColor_ = kColorWindowText;
  uint32_t backColor_ = kColorButtonFace;
  uint32_t enabledBack_ = kColorWindow;
  uint32_t disabledBack_ = kColorButtonFace;
  uint32_t brushColor_ = kColorButtonFace;  // the solid brush owned by the control
  bool lastEnabled_ = false;
};

}  // namespace sis

#endif
