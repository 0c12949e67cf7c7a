// The shared dialog controls on a small resource module of their own: a
// dialog template with a text, a link and a picture, one string, one bitmap.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sis/framework/controls/color_static.h"
#include "sis/framework/controls/picture_ctrl.h"
#include "sis/framework/controls/static_link.h"
#include "sis/platform/backend.h"
#include "sis/platform/dialog.h"
#include "sis/platform/module.h"

namespace {

constexpr int32_t kTemplate = 500;
constexpr int32_t kText = 10, kLink = 11, kPicture = 12, kNoImage = 13, kFrame = 14;

// A bitmap file header with an information header of 40 bytes.
std::vector<unsigned char> Bitmap(int32_t width, int32_t height) {
  std::vector<unsigned char> b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  put(2, 54);
  put(14, 40);
  put(18, static_cast<uint32_t>(width));
  put(22, static_cast<uint32_t>(height));
  return b;
}

const std::vector<unsigned char> kPictureBytes = Bitmap(265, -265);  // top-down rows

const SisControlEntry kControls[] = {
    {kText, "static", "0", 0, 0, 40, 10, ""},
    {kLink, "static", "www.example.invalid", 0, 0, 80, 10, ""},
    {kPicture, "static", "", 0, 0, 100, 100, "picture"},   // 150 x 162 pixels
    {kNoImage, "static", "", 0, 0, 20, 16, "picture"},     // 30 x 26 pixels
    {kFrame, "static", "", 0, 0, 20, 10, "frame"},
};
const SisDialogEntry kDialogs[] = {{kTemplate, "Test", 200, 200, "", kControls, 5}};
const SisStringEntry kStrings[] = {{kPicture, "manual.pdf"}};
const SisPictureEntry kPictures[] = {{kPicture, kPictureBytes.data(), static_cast<uint32_t>(kPictureBytes.size())}};
const SisResourceData kResources = {kSisResourceMagic, kStrings, 1, kDialogs, 1, kPictures, 1, nullptr};

// Records beeps and shell opens; opens only the targets it is told to.
class ShellBackend : public sis::Backend {
 public:
  int MessageBox(sis::BoxKind, const std::wstring&) override { return sis::kIdOk; }
  int RunModal(sis::Dialog&) override { return sis::kIdCancel; }
  void WindowShown(sis::Dialog&) override {}
  void WindowHidden(sis::Dialog&) override {}
  bool FileOpen(const std::wstring&, const std::wstring&, std::string&) override { return false; }
  void Beep() override { ++beeps; }
  int ShellOpen(const std::wstring& target) override {
    opened.push_back(target);
    return target == openable ? 42 : 2;
  }
  int beeps = 0;
  std::vector<std::wstring> opened;
  std::wstring openable;
};

class SharedControls : public ::testing::Test {
 protected:
  SharedControls() : module_(&kResources, &kResources), guard_(module_), dialog_(kTemplate) {
    sis::SetBackend(&backend_);
    dialog_.Create();
  }
  ~SharedControls() override { sis::SetBackend(nullptr); }
  sis::Control* Item(int32_t id) { return dialog_.Item(id); }

  sis::ResourceModule module_;
  sis::ModuleStateGuard guard_;
  ShellBackend backend_;
  sis::Dialog dialog_;
};

TEST_F(SharedControls, ColorStaticFollowsTheEnabledState) {
  sis::Control* text = Item(kText);
  text->Enable(false);
  sis::CColorStatic color;
  color.Attach(text);
  color.SetTextColor(0x0000FF);
  // Created disabled: the button face stays, the text takes its colour.
  EXPECT_EQ(color.OnCtlColor(), sis::kColorButtonFace);
  EXPECT_EQ(text->Look().backColor, sis::kColorButtonFace);
  EXPECT_EQ(text->Look().textColor, 0x0000FFu);
  text->Enable(true);
  color.OnEnable();
  EXPECT_EQ(color.BackColor(), sis::kColorWindow);
  EXPECT_EQ(text->Look().backColor, sis::kColorWindow);
  // A new enabled background is taken at the next paint although the state is the same.
  color.SetBackgrounds(0x00FFFF, sis::kColorButtonFace);
  EXPECT_EQ(text->Look().backColor, 0x00FFFFu);
  color.EnableWindow(false);
  color.OnEnable();
  EXPECT_EQ(text->Look().backColor, sis::kColorButtonFace);
}

TEST_F(SharedControls, LinkTriesItsTargetsInTurn) {
  struct Case {
    const char* label;
    std::wstring link;
    std::wstring openable;
    std::vector<std::wstring> tried;
    bool opened;
  };
  const std::vector<Case> cases = {
      {"link opens", L"doc.pdf", L"doc.pdf", {L"doc.pdf"}, true},
      {"window text opens", L"bad", L"www.example.invalid", {L"bad", L"www.example.invalid"}, true},
      {"empty link skipped", L"", L"www.example.invalid", {L"www.example.invalid"}, true},
      {"nothing opens", L"", L"", {L"www.example.invalid"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    backend_.opened.clear();
    backend_.beeps = 0;
    backend_.openable = c.openable;
    sis::CStaticLink link(c.link);
    link.Attach(Item(kLink));
    EXPECT_TRUE(link.OnCtlColor());
    EXPECT_TRUE(Item(kLink)->Look().underline);
    link.OnClick();
    EXPECT_EQ(backend_.opened, c.tried);
    EXPECT_EQ(link.IsLink(), c.opened);
    EXPECT_EQ(backend_.beeps, c.opened ? 0 : 1);
    EXPECT_EQ(link.TextColor(), c.opened ? sis::kVisitedLinkColor : sis::kLinkColor);
    if (c.opened) {
      EXPECT_EQ(link.Link(), c.openable);
    }
    // A dead link stays plain text: a second click tries nothing.
    backend_.opened.clear();
    if (!c.opened) {
      link.OnClick();
      EXPECT_TRUE(backend_.opened.empty());
      EXPECT_FALSE(link.OnSetCursor());
      EXPECT_FALSE(link.OnCtlColor());
    }
  }
}

TEST_F(SharedControls, LinkFallsBackToTheStringOfItsIdentifier) {
  // The picture control has no text; its identifier names a string.
  sis::CStaticLink link;
  link.Attach(Item(kPicture));
  backend_.openable = L"manual.pdf";
  link.OnClick();
  EXPECT_EQ(backend_.opened, std::vector<std::wstring>{L"manual.pdf"});
  EXPECT_TRUE(link.IsLink());
  EXPECT_EQ(link.TextColor(), sis::kVisitedLinkColor);
}

TEST_F(SharedControls, LinkPaintsOnlyPlainTextStatics) {
  sis::CStaticLink frame;
  frame.Attach(Item(kFrame));
  EXPECT_FALSE(frame.OnCtlColor());
  EXPECT_FALSE(Item(kFrame)->Look().underline);
  EXPECT_TRUE(frame.OnSetCursor());  // still a link: the hand shows
}

TEST_F(SharedControls, LinkFreesItselfWhenAsked) {
  auto* link = new sis::CStaticLink(L"x", true);
  link->Attach(Item(kLink));
  link->PostNcDestroy();  // no leak under the leak checker
  sis::CStaticLink kept(L"x", false);
  kept.Attach(Item(kLink));
  kept.PostNcDestroy();
  EXPECT_EQ(kept.Window(), nullptr);
}

TEST_F(SharedControls, PictureIsLoadedFromImageResources) {
  sis::CPictureCtrl picture;
  picture.SubclassDlgItem(Item(kPicture));
  ASSERT_TRUE(picture.GetPicture());
  EXPECT_EQ(picture.GetPicture()->width, 265);
  EXPECT_EQ(picture.GetPicture()->height, 265);
  EXPECT_TRUE(picture.IsLink());  // a string with its identifier exists
  // Drawn clipped to the 150 x 162 pixel client area; nothing left to erase.
  EXPECT_EQ(picture.OnPaint(), (sis::PixelRect{0, 0, 150, 162}));
  EXPECT_EQ(Item(kPicture)->Look().pictureWidth, 150);
  EXPECT_TRUE(picture.OnEraseBkgnd().empty());
  // A larger client erases the strips beside and below the picture.
  picture.SetClientSize(300, 280);
  EXPECT_EQ(picture.OnEraseBkgnd(),
            (std::vector<sis::PixelRect>{{265, 0, 35, 280}, {0, 265, 265, 15}}));
  picture.OnDestroy();
  EXPECT_FALSE(picture.GetPicture());
  EXPECT_EQ(Item(kPicture)->Look().pictureWidth, 0);
}

TEST_F(SharedControls, PictureWithoutResourceErasesItsWholeClient) {
  sis::CPictureCtrl picture;
  picture.SubclassDlgItem(Item(kNoImage));
  EXPECT_FALSE(picture.GetPicture());
  EXPECT_FALSE(picture.IsLink());  // no string with its identifier
  EXPECT_EQ(picture.OnPaint(), sis::PixelRect{});
  EXPECT_EQ(picture.OnEraseBkgnd(), (std::vector<sis::PixelRect>{{0, 0, 30, 26}}));
}

TEST(BitmapPicture, HeaderIsChecked) {
  struct Case {
    const char* label;
    std::vector<unsigned char> bytes;
    bool loads;
  };
  std::vector<unsigned char> notBm = Bitmap(8, 8);
  notBm[1] = 'X';
  std::vector<unsigned char> zeroWidth = Bitmap(0, 8);
  std::vector<unsigned char> cut = Bitmap(8, 8);
  cut.resize(30);
  std::vector<unsigned char> badInfo = Bitmap(8, 8);
  badInfo[14] = 7;
  const std::vector<Case> cases = {
      {"bottom-up", Bitmap(8, 4), true}, {"top-down", Bitmap(8, -4), true}, {"not BM", notBm, false},
      {"zero width", zeroWidth, false},  {"truncated", cut, false},        {"unknown header", badInfo, false},
      {"empty", {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    auto picture = sis::LoadBitmapPicture(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(picture != nullptr, c.loads);
    if (picture) {
      EXPECT_EQ(picture->height, 4);
    }
  }
}

}  // namespace
