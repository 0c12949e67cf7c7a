// One user action on a control, delivered exactly as a real window would
// deliver it: the control's state changes, then the dialog gets the control's
// notification. Every backend (headless, scripted, windowed) uses this.
#ifndef SIS_PLATFORM_USER_ACTION_H
#define SIS_PLATFORM_USER_ACTION_H

#include <cstdint>
#include <string>

#include "sis/platform/export.h"

namespace sis {

class Dialog;

struct UserAction {
  enum class Kind { Click, Check, Select, Type, Slide, Spin, Tab, Help };
  Kind kind = Kind::Click;
  int32_t control = 0;
  int32_t value = 0;   // check state, index, position or spin step
  std::wstring text;   // typed text
};

// Parses an answer word ("click 5", "type 1002 abc", ...); false when it is not
// a control action.
SIS_PLATFORM_API bool ParseUserAction(const std::string& line, UserAction& action);

// Delivers `action` to the dialog's active pane; false (nothing done) when the
// control does not exist, is disabled or hidden, or does not take that action.
SIS_PLATFORM_API bool DeliverUserAction(Dialog& dialog, const UserAction& action);

}  // namespace sis

#endif
