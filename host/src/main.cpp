// trialhost: loads the plug-ins a Trimset names and drives them as the
// Dravix host would, for trials. Exit codes: 0 good, 1 a save was vetoed or an
// expectation failed, 2 bad input.
#include <CLI/CLI.hpp>

#include <iostream>

#include "sis/host/host.h"
#include "sis/host/scenario.h"
#include "sis/host/session_report.h"
#include "sis/host/trimset_json.h"

namespace {

using namespace sis::host;

struct Common {
  std::string pluginDir;
  std::string lang = "en";
  bool trace = false;
  int32_t unanswered = 1;
  CLI::Option* unansweredOption = nullptr;
};

void AddCommon(CLI::App* cmd, Common& c) {
  cmd->add_option("--plugins", c.pluginDir, "Folder of the plug-in libraries");
  cmd->add_option("--lang", c.lang, "Host language: en or fr")->check(CLI::IsMember({"en", "fr"}));
  cmd->add_flag("--trace", c.trace, "Print every export and ACTIONDLL call");
  c.unansweredOption =
      cmd->add_option("--unanswered", c.unanswered, "Result of a code the Trimset does not answer (default 1)");
}

int Fail(const std::string& error) {
  std::cerr << "trialhost: " << error << '\n';
  return 2;
}

// Opens the Trimset in a host, runs every function and the save verbs; prints
// what the plug-ins showed and the verdict. `out` gets the Trimset when given.
int CheckOrSave(const std::string& path, const std::string* outPath, const Common& c) {
  auto ts = std::make_unique<Trimset>();
  std::string error;
  if (!LoadTrimsetFile(path, *ts, error)) return Fail(error);
  HostOptions options;
  options.language = c.lang == "fr" ? 1036 : 1033;
  options.failure = c.unanswered;
  Host host(options);
  if (c.trace) host.GetTrace().Echo(&std::cout);
  const int32_t instance = ts->instance;
  Trimset& trimset = host.Attach(std::move(ts));
  SessionReport report(host);
  if (!host.LoadAll(c.pluginDir.empty() ? DefaultPluginDir() : c.pluginDir, &error)) return Fail(error);
  const bool allowed = report.Check(instance, std::cout);
  if (outPath == nullptr) return allowed ? 0 : 1;
  if (!allowed) {
    std::cout << "not written: the save was vetoed\n";
    return 1;
  }
  if (!SaveTrimsetFile(trimset, *outPath, error)) return Fail(error);
  std::cout << "written: " << *outPath << '\n';
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Trial host for the Dravix plug-ins"};
  app.require_subcommand(1);

  Common checkOpts, runOpts, saveOpts;
  std::string checkPath, scenarioPath, savePath, saveOut;
  CLI::App* check = app.add_subcommand("check", "Open a Trimset, show every function's reports and the save verdict");
  check->add_option("TRIMSET", checkPath, "Trimset file (JSON)")->required();
  AddCommon(check, checkOpts);
  CLI::App* run = app.add_subcommand("run", "Run a scripted session and check its expectations");
  run->add_option("SCENARIO", scenarioPath, "Scenario file (JSON)")->required();
  AddCommon(run, runOpts);
  CLI::App* save = app.add_subcommand("save", "As check, then write the Trimset with the plug-ins' writes");
  save->add_option("TRIMSET", savePath, "Trimset file (JSON)")->required();
  save->add_option("OUT", saveOut, "File to write")->required();
  AddCommon(save, saveOpts);

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << "trialhost: " << e.what() << '\n';
    return 2;
  }

  if (check->parsed()) return CheckOrSave(checkPath, nullptr, checkOpts);
  if (save->parsed()) return CheckOrSave(savePath, &saveOut, saveOpts);

  UiScenario ui;  // outlives the runner, whose host ends the plug-ins
  ScenarioRunner runner;
  runner.SetExtension(&ui);
  std::string error;
  if (!runner.Load(scenarioPath, error)) return Fail(error);
  RunSettings settings;
  settings.pluginDir = runOpts.pluginDir;
  if (run->count("--lang") != 0) settings.language = runOpts.lang == "fr" ? 1036 : 1033;
  settings.trace = runOpts.trace;
  if (runOpts.unansweredOption->count() != 0) settings.failure = runOpts.unanswered;
  const int rc = runner.Run(settings, std::cout, error);
  if (rc == 2) return Fail(error);
  return rc;
}
