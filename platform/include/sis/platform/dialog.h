// Dialogs built from the templates of the current resource module.
//
// A Dialog owns its controls. Dialog logic lives in the derived class's
// handlers; a backend only shows the controls and delivers the user's actions
// (user_action.h). Modal dialogs run through the backend's modal loop, during
// which the host may call other exports: the handlers must expect that the
// dialog is ended from outside (EndDialog) while they wait.
#ifndef SIS_PLATFORM_DIALOG_H
#define SIS_PLATFORM_DIALOG_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sis/platform/control.h"
#include "sis/platform/export.h"

namespace sis {

class ResourceModule;

class SIS_PLATFORM_API Dialog {
 public:
  explicit Dialog(int32_t templateId);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  int32_t TemplateId() const { return templateId_; }

  // Runs the dialog modally; returns kIdOk or kIdCancel (the value given to
  // EndDialog), or -1 when the template cannot be found.
  int DoModal();
  // Creates the dialog modeless, hidden and disabled unless its template says
  // "visible"; false when the template cannot be found.
  bool Create();
  void DestroyWindow();
  bool IsCreated() const { return created_; }
  bool IsModal() const { return modal_; }

  void ShowWindow(bool show);
  bool IsVisible() const { return visible_; }
  void EnableWindow(bool enable) { enabled_ = enable; }
  bool IsEnabled() const { return enabled_; }

  // Ends a modal dialog with `result`; the modal loop returns it.
  void EndDialog(int result);
  bool IsEnded() const { return ended_; }

  const std::wstring& Title() const { return title_; }
  // A title set before the window is created replaces the template's caption.
  void SetTitle(std::wstring title) {
    title_ = std::move(title);
    if (!created_) titlePreset_ = true;
  }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

  Control* Item(int32_t id) const;
  // Controls in control-number order.
  std::vector<Control*> ControlsById() const;
  // Adds a control not in the template (property sheets' tab strip).
  Control& AddControl(int32_t id, ControlKind kind, std::wstring text, std::string style = {});

  // Handlers. Defaults: OK and Cancel end the dialog with their result.
  virtual bool OnInitDialog() { return true; }
  virtual void OnOK() { EndDialog(1); }
  virtual void OnCancel() { EndDialog(2); }
  virtual void OnCommand(int32_t id, Notify code);
  virtual void OnHelp(int32_t id);

  // A report window lists rows in this list control (0: not a report).
  virtual int32_t ReportListId() const { return 0; }
  // The dialog whose controls the user acts on (a sheet answers its page).
  virtual Dialog* ActivePane() { return this; }

 protected:
  // Builds the window's controls (from the template by default); false when
  // the template is missing.
  virtual bool BuildWindow();
  // Removes the controls when the window goes.
  virtual void ClearWindow();
  bool BuildFromTemplate();
  void ClearControls();

 private:
  int32_t templateId_;
  std::wstring title_;
  bool titlePreset_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool templateVisible_ = false;
  bool created_ = false;
  bool modal_ = false;
  bool visible_ = false;
  bool enabled_ = false;
  bool ended_ = false;
  int result_ = 0;
  std::vector<std::unique_ptr<Control>> controls_;
};

class PropertySheet;

// One page of a property sheet, built on its own template.
class SIS_PLATFORM_API PropertyPage : public Dialog {
 public:
  explicit PropertyPage(int32_t templateId) : Dialog(templateId) {}
  // Called when the page becomes the active one / before it stops being it.
  // OnKillActive returning false keeps the page (validation failed).
  virtual bool OnSetActive() { return true; }
  virtual bool OnKillActive() { return true; }
  // Sheet's OK, for every page that was created; Cancel likewise.
  void OnOK() override {}
  void OnCancel() override {}
  PropertySheet* Sheet() const { return sheet_; }

 private:
  friend class PropertySheet;
  PropertySheet* sheet_ = nullptr;
  bool pageCreated_ = false;
  bool Build();
};

// A modal sheet of pages with a tab strip (control kSheetTabId). The sheet
// does not own its pages.
class SIS_PLATFORM_API PropertySheet : public Dialog {
 public:
  static constexpr int32_t kSheetTabId = 0x3020;
  explicit PropertySheet(std::wstring title);
  void AddPage(PropertyPage* page);
  int32_t PageCount() const { return static_cast<int32_t>(pages_.size()); }
  PropertyPage* Page(int32_t index) const { return pages_.at(static_cast<size_t>(index)); }
  int32_t ActiveIndex() const { return active_; }
  // Switches page when the current one lets go; false otherwise.
  bool SetActivePage(int32_t index);

  void OnOK() override;
  void OnCancel() override;
  void OnCommand(int32_t id, Notify code) override;
  Dialog* ActivePane() override;

 protected:
  bool BuildWindow() override;
  void ClearWindow() override;

 private:
  std::vector<PropertyPage*> pages_;
  int32_t active_ = -1;
};

}  // namespace sis

#endif
