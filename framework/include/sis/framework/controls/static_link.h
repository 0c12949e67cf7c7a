// CStaticLink: a static text that behaves as a link and opens a document or
// address with the system shell; blue until opened, purple after. A link
// that opens nothing beeps once and becomes plain text for good.
#ifndef SIS_FRAMEWORK_CONTROLS_STATIC_LINK_H
#define SIS_FRAMEWORK_CONTROLS_STATIC_LINK_H

#include <cstdint>
#include <string>

#include "sis/platform/control.h"

namespace sis {

inline constexpr uint32_t kLinkColor = 0xFF0000;         // blue
inline constexpr uint32_t kVisitedLinkColor = 0x800080;  // purple

class CStaticLink {
 public:
  // `deleteOnDestroy`: the object frees itself once its window is destroyed
  // (then it must have been made with new).
  explicit CStaticLink(std::wstring link = {}, bool deleteOnDestroy = false);
  virtual ~CStaticLink() = default;
  CStaticLink(const CStaticLink&) = delete;
  CStaticLink& operator=(const CStaticLink&) = delete;

  // Takes over the dialog's control (not owned).
  virtual void Attach(Control* control);
  Control* Window() const { return control_; }

  const std::wstring& Link() const { return link_; }
  void SetLink(std::wstring link) { link_ = std::move(link); }
  bool IsLink() const { return !notLink_; }
  void SetNotLink(bool notLink) { notLink_ = notLink; }
  uint32_t TextColor() const { return textColor_; }

  // Hit test: the whole client area, so that clicks reach the control.
  bool HitTest() const { return true; }
  // Colour request: a plain text static that is a link is painted underlined
  // in the link colour on a transparent background; true when it did so.
  bool OnCtlColor();
  // Cursor request: true when the hand cursor is shown.
  bool OnSetCursor();
  // Click: opens the link, the window text or the string-table text of the
  // control's identifier, the first that opens.
  void OnClick();
  // Forwards the dialog's notifications; true when they were this control's.
  bool OnCommand(int32_t id, Notify code);
  // The window is gone: frees the object when it was asked to.
  void PostNcDestroy();

 protected:
  Control* control_ = nullptr;

 private:
  bool IsPlainText() const;

  std::wstring link_;
  uint32_t textColor_ = kLinkColor;
  bool fontMade_ = false;  // the underlined font, made at the first paint
  bool notLink_ = false;
  bool deleteOnDestroy_ = false;
};

}  // namespace sis

#endif
