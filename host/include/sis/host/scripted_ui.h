// The host's user-interface backend: records every message box, dialog and
// report window in the host's trace, and answers them from a script. In
// strict mode (tests, scenarios) a box or dialog with no answer waiting is a
// fault; otherwise boxes take OK (questions No) and dialogs are cancelled.
#ifndef SIS_HOST_SCRIPTED_UI_H
#define SIS_HOST_SCRIPTED_UI_H

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sis/host/host.h"
#include "sis/platform/backend.h"
#include "sis/platform/dialog.h"

namespace sis::host {

struct UiAnswer {
  enum class Kind { Box, Dialog, File };
  Kind kind = Kind::Box;
  std::string expect;   // a part of the box text, of the dialog or file dialog title, or the dialog's template number
  std::string button;   // Box: "ok", "yes" or "no"
  // Dialog: control actions ("click 1001", "check 1002 1", "type 1003 text",
  // "select 1004 2", "slide 1005 40", "spin 1006 -1", "tab 1007 1",
  // "help 1008"), "ok", "cancel", or host events as scenario steps (objects).
  // Box and File: host events only, run while the window is shown.
  std::vector<nlohmann::json> actions;
  std::string path;     // File: the chosen path; empty: cancelled
};

class ScriptedUi : public sis::Backend {
 public:
  // Installs itself as the process's backend until destroyed.
  explicit ScriptedUi(Host& host, bool strict);
  ~ScriptedUi() override;

  void Push(UiAnswer answer) { answers_.push_back(std::move(answer)); }
  // Runs a host event given as a scenario step inside a dialog's script.
  void SetStepRunner(std::function<bool(const nlohmann::json&, std::string&)> run) { runStep_ = std::move(run); }
  // Faults so far: unanswered or unexpected boxes and dialogs, refused actions.
  std::vector<std::string> TakeFaults();
  // Called at each fault as it happens (a test passes ADD_FAILURE here); in
  // strict mode without a handler the fault is also printed to stderr.
  void SetFaultHandler(std::function<void(const std::string&)> handler) { onFault_ = std::move(handler); }
  size_t PendingAnswers() const { return answers_.size(); }

  struct Message {
    std::string plugin;  // whose export showed it
    std::string kind;    // Error, Warning, Question, Information
    std::string text;    // UTF-8
  };
  const std::vector<Message>& Messages() const { return messages_; }

  struct Report {
    std::string plugin;
    std::string title;
    std::vector<std::string> rows;
    bool visible = false;
  };
  // Report windows in the order they first showed, as they were last shown or hidden.
  std::vector<Report> Reports() const;

  // Backend
  int MessageBox(sis::BoxKind kind, const std::wstring& text) override;
  int RunModal(sis::Dialog& dialog) override;
  void WindowShown(sis::Dialog& dialog) override;
  void WindowHidden(sis::Dialog& dialog) override;
  void WindowDestroyed(sis::Dialog& dialog) override;
  bool FileOpen(const std::wstring& title, const std::wstring& filter, std::string& path) override;
  void Beep() override;
  void HelpPopup(const std::wstring& text) override;

 private:
  void Note(const std::string& line);
  void Fault(const std::string& fault);
  // The next answer when it is of `kind`; null (and a fault in strict mode) otherwise.
  bool Take(UiAnswer::Kind kind, const std::string& what, UiAnswer& answer);
  void Snapshot(sis::Dialog& dialog, bool visible);
  // Host events (scenario steps) while a box or file dialog waits for its answer.
  void RunHostSteps(const std::vector<nlohmann::json>& steps, const std::string& what);

  Host& host_;
  bool strict_;
  std::deque<UiAnswer> answers_;
  std::function<bool(const nlohmann::json&, std::string&)> runStep_;
  std::function<void(const std::string&)> onFault_;
  std::vector<std::string> faults_;
  std::vector<Message> messages_;
  std::vector<const sis::Dialog*> reportOrder_;
  std::map<const sis::Dialog*, Report> reports_;
  std::vector<Report> closedReports_;
};

}  // namespace sis::host

#endif
