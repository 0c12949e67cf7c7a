// Scripted sessions with expectations (docs/scenario-format.md). A scenario
// names a Trimset, then runs steps: host actions (open, begin, set, advance,
// connect, save ...), injected failures, and expectations on the trace, the
// Trimset's values, the vetoes and the machine. Every failed expectation is
// printed with what was expected and what happened.
#ifndef SIS_HOST_SCENARIO_H
#define SIS_HOST_SCENARIO_H

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sis/host/host.h"

namespace sis::host {

struct RunSettings {
  std::string pluginDir;  // empty: the scenario's "plugins", else the default
  int32_t language = 0;   // 0: the scenario's "lang", else English
  bool trace = false;     // print the trace as it grows
  std::optional<int32_t> failure;  // result of unanswered codes; none: the scenario's, else 1
};

// Runs one step now (for steps nested in another, such as host events inside
// a dialog's script); false with a reason.
using StepRunner = std::function<bool(const nlohmann::json& step, std::string& error)>;

// More step kinds (the user-interface script) and their own checks.
class ScenarioExtension {
 public:
  virtual ~ScenarioExtension() = default;
  // A run's host exists; no plug-in is loaded yet.
  virtual void Started(Host& host, StepRunner runStep) = 0;
  // A step whose "do" the runner does not know: true when done (or, when
  // `dry`, well formed); false with `error` empty when it is not one of its own.
  // `nested` runs (when dry: checks) a step held inside this one.
  virtual bool Step(Host& host, const nlohmann::json& step, bool dry, const StepRunner& nested,
                    std::string& error) = 0;
  // The steps are over: faults found on the way (unanswered boxes ...).
  virtual std::vector<std::string> Finished(Host& host) = 0;
};

class ScenarioRunner {
 public:
  // Reads and checks the scenario; false with one line in `error`.
  bool Load(const std::string& path, std::string& error);
  bool Parse(const nlohmann::json& scenario, const std::string& baseDir, std::string& error);
  // Not owned; must outlive the runs.
  void SetExtension(ScenarioExtension* extension) { extension_ = extension; }

  // Runs the steps on a new host. 0: all expectations met; 1: some failed
  // (each printed to `out`); 2: the session could not start (`error`).
  int Run(const RunSettings& settings, std::ostream& out, std::string& error);

  // Hook for tests: the host of the last run, alive until the next.
  Host* LastHost() { return host_.get(); }

 private:
  bool Step(Host& host, const nlohmann::json& step, size_t index, bool dry, std::ostream& out, std::string& error);
  bool Expect(Host& host, const nlohmann::json& step, size_t index, std::ostream& out, std::string& error, bool dry);

  nlohmann::json trimset_;
  nlohmann::json steps_;
  std::string pluginDir_;
  int32_t language_ = 1033;
  int32_t timerPeriod_ = 100;
  int32_t unanswered_ = 1;
  ScenarioExtension* extension_ = nullptr;
  std::unique_ptr<Host> host_;
  size_t cursor_ = 0;       // trace line after the last one an expectation matched
  size_t windowStart_ = 0;  // trace line where the steps since the last expectation began
  int failures_ = 0;
};

// False with "WHERE: unknown key \"KEY\"" when a step has a key other than "do",
// "instance" and `allowed`.
bool OnlyStepKeys(const nlohmann::json& step, const std::vector<std::string>& allowed, const std::string& where,
                  std::string& error);

// The folder plug-ins are loaded from when none is given: the build tree's
// plugins folder, else "plugins" beside the executable, else its own folder.
std::string DefaultPluginDir();

}  // namespace sis::host

#endif
