// The user-interface side of the trialhost command: the `check` report (each
// function's report windows and messages, then the save verdict) and the
// scenario steps that script boxes, dialogs and the file dialog.
#ifndef SIS_HOST_SESSION_REPORT_H
#define SIS_HOST_SESSION_REPORT_H

#include <memory>
#include <ostream>

#include "sis/host/host.h"
#include "sis/host/scenario.h"
#include "sis/host/scripted_ui.h"

namespace sis::host {

class SessionReport {
 public:
  // Installs a lenient scripted backend: boxes take OK (questions No), dialogs are cancelled.
  explicit SessionReport(Host& host) : host_(host), ui_(host, false) {}
  // Opens every function of the instance, prints what each one showed, runs
  // the save verbs and prints the verdict, then closes. True when no veto.
  bool Check(int32_t instance, std::ostream& out);
  ScriptedUi& Ui() { return ui_; }

 private:
  Host& host_;
  ScriptedUi ui_;
};

// Scenario steps "box", "dialog" and "file": each queues the answer to the
// next box, modal dialog or file dialog, which must come in that order. A box
// or dialog without an answer, or an answer never used, fails the scenario.
class UiScenario : public ScenarioExtension {
 public:
  void Started(Host& host, StepRunner runStep) override;
  bool Step(Host& host, const nlohmann::json& step, bool dry, const StepRunner& nested, std::string& error) override;
  std::vector<std::string> Finished(Host& host) override;
  ScriptedUi* Ui() { return ui_.get(); }

 private:
  std::unique_ptr<ScriptedUi> ui_;
};

}  // namespace sis::host

#endif
