// CPictureCtrl: a static that shows a picture stored among the plug-in's
// "IMAGE" resources under the control's identifier (a Windows bitmap file),
// drawn at the top-left corner at its own size, clipped to the control.
#ifndef SIS_FRAMEWORK_CONTROLS_PICTURE_CTRL_H
#define SIS_FRAMEWORK_CONTROLS_PICTURE_CTRL_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "sis/framework/controls/static_link.h"

namespace sis {

// A loaded picture: its size in pixels and its file bytes. Shared, released
// with its last holder.
struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<unsigned char> data;
};

// The picture of a bitmap file: null unless the bytes start with a complete
// "BM" file header and an information header of known size with a positive
// width and a non-zero height.
std::shared_ptr<Picture> LoadBitmapPicture(const unsigned char* data, size_t size);

struct PixelRect {
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const PixelRect&) const = default;
};

class CPictureCtrl : public CStaticLink {
 public:
  CPictureCtrl() = default;

  // Creation: loads the picture when asked to and none is loaded yet.
  void Attach(Control* control) override;
  // Subclassing a template control: the same, and the control is plain text
  // unless the string table has a text with its identifier.
  void SubclassDlgItem(Control* control);

  void SetLoadPicture(bool load) { loadPicture_ = load; }
  const std::shared_ptr<Picture>& GetPicture() const { return picture_; }
  // Client area in pixels, from the control's template size.
  void SetClientSize(int32_t width, int32_t height);
  PixelRect ClientRect() const { return {0, 0, clientWidth_, clientHeight_}; }

  // Paint: the part of the picture that is drawn (empty when none).
  PixelRect OnPaint();
  // Erase background: the rectangles filled with the class brush, the client
  // area outside the picture.
  std::vector<PixelRect> OnEraseBkgnd() const;
  // Destruction: the picture is released.
  void OnDestroy();

 private:
  void LoadPicture();
  PixelRect PictureRect() const;

  std::shared_ptr<Picture> picture_;
  bool loadPicture_ = true;
  int32_t clientWidth_ = 0;
  int32_t clientHeight_ = 0;
};

}  // namespace sis

#endif
