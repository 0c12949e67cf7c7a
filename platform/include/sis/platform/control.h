// Controls of a dialog. A control holds the state a real window would show;
// dialog code reads and sets it, backends display it and deliver user actions
// to it (user_action.h).
#ifndef SIS_PLATFORM_CONTROL_H
#define SIS_PLATFORM_CONTROL_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sis/platform/export.h"

namespace sis {

class Dialog;

enum class ControlKind { Static, Button, Check, Radio, Edit, Combo, List, Tab, Slider, Spin, Progress, Group };

SIS_PLATFORM_API const char* ControlKindName(ControlKind kind);
SIS_PLATFORM_API bool ParseControlKind(std::string_view name, ControlKind& kind);

// Notifications a control sends to its dialog.
enum class Notify {
  Clicked,      // button, check box, radio button
  SelChange,    // combo box, list view selection
  EditChange,   // edit text changed
  Scroll,       // slider moved
  DeltaPos,     // spin stepped
  TabChange,    // tab control changed page
  EndScroll,    // list view scrolled to its end
  Enable,       // the control was enabled or disabled
};

// Windows colour values (0x00BBGGRR) for the system colours a control uses.
inline constexpr uint32_t kColorWindowText = 0x000000;
inline constexpr uint32_t kColorWindow = 0xFFFFFF;
inline constexpr uint32_t kColorButtonFace = 0xF0F0F0;

// What a painted control shows beyond its text (set by the shared controls).
struct Appearance {
  uint32_t textColor = kColorWindowText;
  uint32_t backColor = kColorButtonFace;
  bool underline = false;
  bool handCursor = false;
  int32_t pictureWidth = 0;  // 0 when no picture is shown
  int32_t pictureHeight = 0;
};

class SIS_PLATFORM_API Control {
 public:
  Control(Dialog& owner, int32_t id, ControlKind kind, std::wstring text, std::string style);

  Dialog& Owner() const { return *owner_; }
  int32_t Id() const { return id_; }
  ControlKind Kind() const { return kind_; }
  bool HasStyle(std::string_view word) const;
  const std::string& Style() const { return style_; }

  // Text: the caption, the edit's content; for a combo box, its selected entry.
  std::wstring Text() const;
  void SetText(std::wstring text);

  bool IsEnabled() const { return enabled_; }
  // Enables or disables; the dialog gets Notify::Enable when the state changes.
  void Enable(bool enable);
  bool IsVisible() const { return visible_; }
  void Show(bool show) { visible_ = show; }
  bool IsChecked() const { return checked_; }
  void SetCheck(bool checked) { checked_ = checked; }

  // Entries: combo box entries, list view rows (one text per column), tab titles.
  int32_t AddItem(std::wstring text);
  int32_t InsertItem(int32_t index, std::wstring text);
  void SetItemText(int32_t index, int32_t column, std::wstring text);
  void DeleteItem(int32_t index);
  void DeleteAllItems();
  int32_t ItemCount() const { return static_cast<int32_t>(items_.size()); }
  std::wstring ItemText(int32_t index, int32_t column = 0) const;
  const std::vector<std::wstring>& Row(int32_t index) const { return items_.at(static_cast<size_t>(index)); }
  int32_t FindItem(std::wstring_view text) const;
  // Selected entry, -1 for none.
  int32_t Selection() const { return selection_; }
  void SetSelection(int32_t index);

  // List view columns and extended styles.
  void InsertColumn(int32_t index, std::wstring heading, int32_t width);
  int32_t ColumnCount() const { return static_cast<int32_t>(columns_.size()); }
  int32_t ColumnWidth(int32_t index) const;
  void SetExtendedStyle(uint32_t style) { extendedStyle_ = style; }
  uint32_t ExtendedStyle() const { return extendedStyle_; }

  // Slider, spin and progress bar position within [low, high].
  void SetRange(int32_t low, int32_t high);
  int32_t RangeLow() const { return low_; }
  int32_t RangeHigh() const { return high_; }
  int32_t Pos() const { return pos_; }
  void SetPos(int32_t pos);  // clamped to the range
  // True once since the range last changed (the headless log writes RANGE).
  bool TakeRangeChanged();

  Appearance& Look() { return look_; }
  const Appearance& Look() const { return look_; }

 private:
  Dialog* owner_;
  int32_t id_;
  ControlKind kind_;
  std::wstring text_;
  std::string style_;
  bool enabled_ = true;
  bool visible_ = true;
  bool checked_ = false;
  std::vector<std::vector<std::wstring>> items_;
  int32_t selection_ = -1;
  struct Column {
    std::wstring heading;
    int32_t width;
  };
  std::vector<Column> columns_;
  uint32_t extendedStyle_ = 0;
  int32_t low_ = 0;
  int32_t high_ = 100;
  int32_t pos_ = 0;
  bool rangeChanged_ = false;
  Appearance look_;
};

// List view extended styles.
inline constexpr uint32_t kListGridLines = 0x1;
inline constexpr uint32_t kListFullRowSelect = 0x20;
inline constexpr uint32_t kListOneClickActivate = 0x40;

}  // namespace sis

#endif
