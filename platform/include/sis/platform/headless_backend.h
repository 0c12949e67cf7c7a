// The default backend of a host without a user interface of its own.
//
// Log: one line per event to the file named by SIS_UI_LOG (appended), or to
// standard error: MSGBOX <kind> <text>, DIALOG <template> <title>,
// FILEOPEN <title>, REPORT <title> with ROW <text> lines, REPORT-HIDDEN <title>.
// Inside a text a line break is written \n and a backslash \\.
// Answers: lines of the file named by SIS_UI_ANSWERS, consumed in order:
// ok, yes, no, cancel, file <path>, and the control actions of user_action.h
// on the topmost modal dialog (an answer that does not fit is logged as
// REFUSED <answer> and skipped). Each shown dialog, and each dialog an answer
// acted on, is written as a snapshot of CTRL/ITEM/RANGE lines closed by END.
// Help pop-ups are written HELP <text>, beeps BEEP. Without an answer a box takes OK (a
// question No), a modal dialog is cancelled, the file dialog is cancelled.
#ifndef SIS_PLATFORM_HEADLESS_BACKEND_H
#define SIS_PLATFORM_HEADLESS_BACKEND_H

#include <string>
#include <vector>

#include "sis/platform/backend.h"
#include "sis/platform/export.h"

namespace sis {

class SIS_PLATFORM_API HeadlessBackend : public Backend {
 public:
  int MessageBox(BoxKind kind, const std::wstring& text) override;
  int RunModal(Dialog& dialog) override;
  void WindowShown(Dialog& dialog) override;
  void WindowHidden(Dialog& dialog) override;
  bool FileOpen(const std::wstring& title, const std::wstring& filter, std::string& path) override;
  void Beep() override;
  void HelpPopup(const std::wstring& text) override;

  // Forgets the answers read so far; the next answer reads the file again.
  void ResetAnswers();
  // One state line per control of the dialog's visible pane, its entries and
  // range, closed by END <template>.
  void WriteSnapshot(Dialog& dialog);

 private:
  void Write(const std::string& line);
  // Next answer line; false when none is left.
  bool NextAnswer(std::string& answer);

  std::string answersPath_;
  std::vector<std::string> answers_;
  size_t nextAnswer_ = 0;
};

// Escapes a text for one log line: line break as \n, tab as \t, backslash as \\.
// The process's default backend (also when another one is installed).
SIS_PLATFORM_API HeadlessBackend& DefaultHeadlessBackend();

SIS_PLATFORM_API std::string EscapeLogText(const std::wstring& text);

}  // namespace sis

#endif
