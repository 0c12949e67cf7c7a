// The user-interface backend: how message boxes, dialogs and windows reach a
// person (or a script). The platform calls it; a host may install its own.
// Every call runs on the host's user-interface thread; RunModal, MessageBox and
// FileOpen may let the host call further exports before they return.
#ifndef SIS_PLATFORM_BACKEND_H
#define SIS_PLATFORM_BACKEND_H

#include <string>

#include "sis/platform/export.h"
#include "sis/platform/message_box.h"

namespace sis {

class Dialog;

class SIS_PLATFORM_API Backend {
 public:
  virtual ~Backend();
  // Shows a box; returns kIdOk, kIdYes or kIdNo.
  virtual int MessageBox(BoxKind kind, const std::wstring& text) = 0;
  // Shows a created, initialised modal dialog and delivers the user's actions
  // until dialog.IsEnded(); returns the value given to EndDialog.
  virtual int RunModal(Dialog& dialog) = 0;
  // A modeless window was shown (again) or hidden, or is being destroyed.
  virtual void WindowShown(Dialog& dialog) = 0;
  virtual void WindowHidden(Dialog& dialog) = 0;
  virtual void WindowDestroyed(Dialog& dialog);
  // The file-open dialog; true and the chosen path, or false when cancelled.
  virtual bool FileOpen(const std::wstring& title, const std::wstring& filter, std::string& path) = 0;
  virtual void Beep();
  // Opens a document or address with the system shell; above 32 on success.
  virtual int ShellOpen(const std::wstring& target);
  // A context help pop-up.
  virtual void HelpPopup(const std::wstring& text);
};

// Installs a backend for the whole process (not owned); null restores the
// headless default.
SIS_PLATFORM_API void SetBackend(Backend* backend);
SIS_PLATFORM_API Backend& CurrentBackend();

}  // namespace sis

#endif
