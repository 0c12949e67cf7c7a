#include "sis/framework/controls/picture_ctrl.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sis/platform/dialog.h"
#include "sis/platform/module.h"

namespace sis {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kCoreHeaderSize = 12;  // OS/2 header: 16-bit sizes
constexpr int32_t kPictureResourceLimit = 0x7FFFFFFF;

uint32_t Read32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Dialog units to pixels with the dialog font's base units (6 x 13).
int32_t UnitsToPixelsX(int32_t units) { return units * 6 / 4; }
int32_t UnitsToPixelsY(int32_t units) { return units * 13 / 8; }

}  // namespace

std::shared_ptr<Picture> LoadBitmapPicture(const unsigned char* data, size_t size) {
  if (!data || size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return nullptr;
  const unsigned char* info = data + kFileHeaderSize;
  const uint32_t infoSize = Read32(info);
  int64_t width = 0;
  int64_t height = 0;
  if (infoSize == kCoreHeaderSize) {
    if (size < kFileHeaderSize + kCoreHeaderSize) return nullptr;
    width = Read16(info + 4);
    height = Read16(info + 6);
  } else if (infoSize >= 40 && infoSize <= 124) {
    if (size < kFileHeaderSize + infoSize) return nullptr;
    width = static_cast<int32_t>(Read32(info + 4));
    height = static_cast<int32_t>(Read32(info + 8));  // negative: top-down rows
  } else {
    return nullptr;
  }
  height = std::llabs(height);
  if (width <= 0 || height == 0 || width > kPictureResourceLimit || height > kPictureResourceLimit) return nullptr;
  auto picture = std::make_shared<Picture>();
  picture->width = static_cast<int32_t>(width);
  picture->height = static_cast<int32_t>(height);
  picture->data.assign(data, data + size);
  return picture;
}

void CPictureCtrl::Attach(Control* control) {
  CStaticLink::Attach(control);
  if (!control_) return;
  // The client size comes from the control's entry in its dialog template.
  if (ResourceModule* module = CurrentModule()) {
    if (const SisDialogEntry* dlg = module->FindDialog(control_->Owner().TemplateId())) {
      for (int32_t i = 0; i < dlg->controlCount; ++i) {
        if (dlg->controls[i].id != control_->Id()) continue;
        SetClientSize(UnitsToPixelsX(dlg->controls[i].cx), UnitsToPixelsY(dlg->controls[i].cy));
        break;
      }
    }
  }
  if (loadPicture_ && control_->Id() > 0 && !picture_) LoadPicture();
}

void CPictureCtrl::SubclassDlgItem(Control* control) {
  Attach(control);
  if (control_ && !HasString(control_->Id())) SetNotLink(true);
}

void CPictureCtrl::SetClientSize(int32_t width, int32_t height) {
  clientWidth_ = std::max(0, width);
  clientHeight_ = std::max(0, height);
}

void CPictureCtrl::LoadPicture() {
  picture_.reset();  // a previous picture is released first
  ResourceModule* module = CurrentModule();
  const SisPictureEntry* entry = module ? module->FindPicture(control_->Id()) : nullptr;
  if (entry) picture_ = LoadBitmapPicture(entry->data, entry->size);
  OnPaint();  // the control was invalidated
}

PixelRect CPictureCtrl::PictureRect() const {
  if (!picture_) return {};
  return {0, 0, std::min(picture_->width, clientWidth_), std::min(picture_->height, clientHeight_)};
}

PixelRect CPictureCtrl::OnPaint() {
  const PixelRect drawn = PictureRect();
  if (control_) {
    control_->Look().pictureWidth = drawn.width;
    control_->Look().pictureHeight = drawn.height;
  }
  return drawn;
}

std::vector<PixelRect> CPictureCtrl::OnEraseBkgnd() const {
  const PixelRect pic = PictureRect();
  std::vector<PixelRect> erased;
  if (pic.width == 0 || pic.height == 0) {
    if (clientWidth_ > 0 && clientHeight_ > 0) erased.push_back(ClientRect());
    return erased;
  }
  // Right of the picture (full height), then below it.
  if (clientWidth_ > pic.width) erased.push_back({pic.width, 0, clientWidth_ - pic.width, clientHeight_});
  if (clientHeight_ > pic.height) erased.push_back({0, pic.height, pic.width, clientHeight_ - pic.height});
  return erased;
}

void CPictureCtrl::OnDestroy() {
  picture_.reset();
  if (control_) {
    control_->Look().pictureWidth = 0;
    control_->Look().pictureHeight = 0;
  }
}

}  // namespace sis
