// The trialhost command end to end (check, save, run, bad input) and the
// scripted user-interface backend, with the fake plug-in.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sis/host/scenario.h"
#include "sis/host/session_report.h"
#include "sis/host/trimset_json.h"

namespace sis::host {
namespace {

// Files of one test are its own: ctest runs the tests side by side.
std::string WriteFile(const std::string& name, const std::string& text) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string path = ::testing::TempDir() + "/sis_host_" + info->test_suite_name() + "_" + info->name() + "_" + name;
  std::ofstream(path) << text;
  return path;
}

std::string Trimset(int instance, const std::string& constants) {
  return R"({"instance": )" + std::to_string(instance) + R"(, "constants": )" + constants + R"(,
    "variables": [{"name": "TAB_FAKE", "kind": "words", "value": [1, 2]}],
    "actions": [{"name": "FAKE_EDIT", "table": "TAB_FAKE", "plugin": "FakePlg"},
                {"name": "FAKE_OTHER", "table": "TAB_NONE", "plugin": "FakePlg"}],
    "plugins": [{"name": "FakePlg", "open": ["TAB_FAKE"]}]})";
}

struct Result {
  int code;
  std::string output;  // standard output and error together
};

Result RunTrialhost(const std::string& args) {
  const std::string command = std::string(TRIALHOST) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  Result r{-1, ""};
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
  const int status = pclose(pipe);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

const std::string kPlugins = std::string(" --plugins ") + FAKE_PLUGIN_DIR;

TEST(TrialhostCheck, PrintsReportsMessagesAndTheVerdict) {
  const auto path = WriteFile("check.json", Trimset(1, R"({"FAKE_REPORT": 1, "FAKE_VETO": 1})"));
  Result r = RunTrialhost("check " + path + kPlugins);
  EXPECT_EQ(r.code, 1) << r.output;
  EXPECT_EQ(r.output,
            "FakePlg TAB_FAKE\n"
            "  report \"Fake errors\"\n"
            "    | first fault\n"
            "    | second fault \u00e9\n"
            "save FakePlg\n"
            "  message error: BENCH\n"
            "    This Trimset cannot be saved\n"
            "save: vetoed by FakePlg\n");
  r = RunTrialhost("check " + WriteFile("ok.json", Trimset(1, "{}")) + kPlugins + " --trace");
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_NE(r.output.find("> FakePlg SAVSETPLG(1, \"TAB_FAKE\")"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("save: allowed"), std::string::npos);
}

// What an unanswered code returns is chosen by the command, or by the scenario.
TEST(TrialhostCheck, UnansweredResultIsConfigurable) {
  const std::string line = "0x20050 Constant, \"FAKE_MIGRATE\") empty -> ";
  Result r = RunTrialhost("check " + WriteFile("t.json", Trimset(1, "{}")) + kPlugins + " --trace --unanswered 4");
  EXPECT_EQ(r.code, 0) << r.output;
  EXPECT_NE(r.output.find(line + "4 empty"), std::string::npos) << r.output;
  const std::string scenario = WriteFile("s.json", R"({"unanswered": 3, "trimset": )" + Trimset(1, "{}") +
                                                       R"(, "steps": [{"do": "open"}, {"do": "expect", "trace": [")" +
                                                       "0x20050 Constant, \\\"FAKE_MIGRATE\\\") empty -> 3" + R"("]}]})");
  r = RunTrialhost("run " + scenario + kPlugins);
  EXPECT_EQ(r.code, 0) << r.output;
  r = RunTrialhost("run " + scenario + kPlugins + " --unanswered 2");
  EXPECT_EQ(r.code, 1) << r.output;
}

TEST(TrialhostSave, WritesThePlugInsWritesUnlessVetoed) {
  const std::string out = WriteFile("saved.json", "");
  std::remove(out.c_str());
  Result r = RunTrialhost("save " + WriteFile("mig.json", Trimset(1, R"({"FAKE_MIGRATE": 1})")) + " " + out + kPlugins);
  ASSERT_EQ(r.code, 0) << r.output;
  sis::host::Trimset saved;
  std::string error;
  ASSERT_TRUE(LoadTrimsetFile(out, saved, error)) << error;
  EXPECT_EQ(saved.Find("TAB_FAKE")->words, (std::vector<uint16_t>{6, 0x99, 2}));
  std::remove(out.c_str());
  r = RunTrialhost("save " + WriteFile("veto.json", Trimset(1, R"({"FAKE_VETO": 1})")) + " " + out + kPlugins);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.output.find("not written"), std::string::npos);
  EXPECT_FALSE(std::ifstream(out).good());
}

TEST(TrialhostInput, BadInputIsOneClearLine) {
  struct Case {
    std::string args;
    std::string message;
  } cases[] = {
      {"check /nonexistent.json", "trialhost: /nonexistent.json: cannot read: No such file or directory\n"},
      {"check " + WriteFile("syntax.json", "{\n  \"instance\": 1,\n  oops\n}"), "JSON parse error at line 3, column 3"},
      {"check " + WriteFile("fit.json", R"({"variables": [{"name": "W", "kind": "words", "value": [70000]}]})"),
       "variables[0].value[0]: 70000 does not fit a 16-bit word"},
      {"check " + WriteFile("nolib.json", R"({"plugins": [{"name": "Absent"}]})") + kPlugins,
       std::string("trialhost: missing library ") + FAKE_PLUGIN_DIR + "/Absent.so\n"},
      {"check " + WriteFile("x.json", "{}") + " --lang de", "--lang"},
      {"save " + WriteFile("y.json", "{}") + " /nonexistent/out.json" + kPlugins,
       "trialhost: /nonexistent/out.json: cannot write: No such file or directory\n"},
      {"", "A subcommand is required"},
      {"run " + WriteFile("badstep.json", R"({"trimset": {}, "steps": [{"do": "open"}, {"do": "frobnicate"}]})"),
       "step 2 (frobnicate): unknown step"},
      {"run " + WriteFile("badref.json", R"({"trimset": "missing.json"})"), "missing.json: cannot read"},
      {"run " + WriteFile("nested.json", R"({"trimset": {}, "steps": [{"do": "dialog", "actions": [{"do": "advance"}]}]})"),
       "step 1 (dialog): actions: step 1 (advance): needs \"ms\""},
      // A misspelt key, a value of the wrong type and an unknown plug-in are bad input, not a crash or a silent pass.
      {"run " + WriteFile("key.json", R"({"trimset": {}, "steps": [{"do": "file", "expext": "Import", "path": "a"}]})"),
       "step 1 (file): unknown key \"expext\""},
      {"run " + WriteFile("key2.json", R"({"trimset": {}, "steps": [{"do": "advance", "ms": 1, "ticks": 2}]})"),
       "step 1 (advance): unknown key \"ticks\""},
      {"run " + WriteFile("failtype.json", R"({"trimset": {}, "steps": [{"do": "fail_reset", "fail": "yes"}]})"),
       "step 1 (fail_reset).fail: expected true or false"},
      {"run " + WriteFile("answer.json", R"({"trimset": {}, "steps": [{"do": "box", "answer": 1}]})"),
       "step 1 (box): answer: expected ok, yes or no"},
      {"run " + WriteFile("plugin.json", R"({"trimset": {}, "steps": [{"do": "call", "plugin": "Nope", "export": "RUNSETNOP"}]})"),
       "step 1 (call): no plug-in Nope in the Trimset"},
  };
  for (const auto& c : cases) {
    const Result r = RunTrialhost(c.args);
    EXPECT_EQ(r.code, 2) << c.args << "\n" << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << c.args << "\n" << r.output;
    EXPECT_EQ(r.output.find("Aborted"), std::string::npos);
  }
  EXPECT_EQ(RunTrialhost("run --help").code, 0);
}

// How a plug-in's test drives boxes: a strict scripted backend on the host.
TEST(ScriptedUiInATest, UnansweredBoxesReachTheFaultHandler) {
  Host host;
  ScriptedUi ui(host, true);
  std::vector<std::string> faults;
  ui.SetFaultHandler([&](const std::string& fault) { faults.push_back(fault); });
  auto ts = std::make_unique<sis::host::Trimset>();
  std::string error;
  ASSERT_TRUE(ParseTrimsetText(Trimset(8, R"({"FAKE_ASK": 1})"), *ts, error)) << error;
  host.Attach(std::move(ts));
  ASSERT_TRUE(host.LoadAll(FAKE_PLUGIN_DIR, &error)) << error;
  host.Open(8);
  host.Begin(8, "FAKE_EDIT");  // nothing answers the question: No, and a fault
  EXPECT_EQ(faults, std::vector<std::string>{"ui: no answer for box question \"BENCH\\nEdit the table?\""});
  EXPECT_TRUE(host.Transmissions().empty());
  UiAnswer yes;
  yes.button = "yes";
  ui.Push(yes);
  host.Begin(8, "FAKE_EDIT");
  EXPECT_EQ(faults.size(), 1u);
  EXPECT_EQ(host.Transmissions().size(), 1u);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[1].plugin, "FakePlg");
  EXPECT_EQ(ui.Messages()[1].text, "BENCH\nEdit the table?");
}

// Scenarios run in process: the runner with the user-interface steps.
class Scenario : public ::testing::Test {
 protected:
  int RunScenario(const std::string& json, int32_t language = 0) {
    const std::string path = WriteFile("scenario.json", json);
    runner.SetExtension(&ui);
    std::string error;
    if (!runner.Load(path, error)) {
      output = error;
      return 2;
    }
    RunSettings settings;
    settings.pluginDir = FAKE_PLUGIN_DIR;
    settings.language = language;
    std::ostringstream out;
    const int rc = runner.Run(settings, out, error);
    output = out.str() + error;
    return rc;
  }
  std::string Machine(const std::string& constants) { return "\"trimset\": " + Trimset(8, constants); }
  UiScenario ui;
  ScenarioRunner runner;
  std::string output;
};

TEST_F(Scenario, AnsweredSessionMeetsItsExpectations) {
  EXPECT_EQ(RunScenario("{" + Machine(R"({"FAKE_ASK": 1, "FAKE_VETO": 1})") + R"J(, "steps": [
    {"do": "open"},
    {"do": "box", "answer": "yes", "expect": "Edit the table?", "actions": [{"do": "advance", "ms": 100}]},
    {"do": "begin", "action": "FAKE_EDIT"},
    {"do": "expect", "trace": ["ui: box question \"BENCH\\nEdit the table?\"", "> FakePlg TIMSETPLG(8, \"FAKE_EDIT\")",
                               "ui: answer yes",
                               "> FakePlg FEMSETPLG(8, \"TAB_FAKE\")", "> FakePlg RSTSETPLG"],
     "values": {"TAB_FAKE": [2, 2]}, "transmitted": ["TAB_FAKE"], "running": null},
    {"do": "box", "answer": "no"},
    {"do": "begin", "action": "FAKE_EDIT"},
    {"do": "expect", "absent": ["Transmit"], "values": {"TAB_FAKE": [2, 2]}},
    {"do": "fail_transmission", "name": "TAB_FAKE", "text": "Timeout"},
    {"do": "box", "answer": "yes"},
    {"do": "begin", "action": "FAKE_EDIT"},
    {"do": "expect", "trace": ["> FakePlg ERRSETPLG(8, \"TAB_FAKE\")"]},
    {"do": "box", "expect": "cannot be saved"},
    {"do": "save", "expect": "vetoed"},
    {"do": "expect", "vetoed": ["FakePlg"]},
    {"do": "box", "expect": "cannot be saved"},
    {"do": "save", "vetoed": ["FakePlg"]}
  ]})J"),
            0)
      << output;
  EXPECT_NE(output.find("scenario: 16 steps, 0 failed"), std::string::npos) << output;
}

TEST_F(Scenario, FailuresArePrintedAsDiffs) {
  EXPECT_EQ(RunScenario("{" + Machine(R"({"FAKE_ASK": 1})") + R"J(, "steps": [
    {"do": "open"},
    {"do": "begin", "action": "FAKE_EDIT"},
    {"do": "expect", "values": {"TAB_FAKE": [5, 2]}, "resets": 1},
    {"do": "expect", "trace": ["> FakePlg NOSUCHVERB"]},
    {"do": "save", "expect": "vetoed"},
    {"do": "save", "vetoed": ["FakePlg"]},
    {"do": "box", "answer": "ok"}
  ]})J"),
            1);
  for (const char* part : {
           "FAIL ui: no answer for box question \"BENCH\\nEdit the table?\"",
           "FAIL step 3 (expect): value of TAB_FAKE\n  - expected: [5,2]\n  + actual:   [1,2]",
           "FAIL step 3 (expect): machine resets\n  - expected: 1\n  + actual:   0",
           "FAIL step 4 (expect): trace: not found in order: \"> FakePlg NOSUCHVERB\"",
           "FAIL step 5 (save): save\n  - expected: vetoed\n  + actual:   allowed",
           "FAIL step 6 (save): vetoes\n  - expected: [\"FakePlg\"]\n  + actual:   []",
           "FAIL ui: 1 answer(s) never used",
       }) {
    EXPECT_NE(output.find(part), std::string::npos) << "missing: " << part << "\n--- output:\n" << output;
  }
}

TEST_F(Scenario, AnAnswerForAnotherKindOfWindowIsAFault) {
  EXPECT_EQ(RunScenario("{" + Machine(R"({"FAKE_ASK": 1})") + R"J(, "steps": [
    {"do": "open"},
    {"do": "dialog", "actions": ["ok"]},
    {"do": "begin", "action": "FAKE_EDIT"}
  ]})J"),
            1);
  EXPECT_NE(output.find("FAIL ui: no answer for box question \"BENCH\\nEdit the table?\" (next answer is for a dialog)"),
            std::string::npos)
      << output;
}

// The file dialog's title is checked like a box's text; an expected text
// may be given per host language. Host events may come while it is shown.
TEST_F(Scenario, FileDialogTitleIsChecked) {
  const std::string perLanguage = R"({"en": "Fake import", "fr": "Import factice"})";
  struct Case {
    std::string expect;
    int32_t language;
    int code;
  } cases[] = {
      {R"("Fake import")", 1033, 0},
      {R"("Other import")", 1033, 1},
      {perLanguage, 1033, 0},
      {perLanguage, 1036, 1},
      {R"({"en": "Fake import"})", 1033, 2},
  };
  for (const auto& c : cases) {
    const int rc = RunScenario("{" + Machine(R"({"FAKE_FILE": 1})") + R"J(, "steps": [
      {"do": "open"},
      {"do": "file", "expect": )J" + c.expect + R"J(, "path": "any.fak", "actions": [{"do": "advance", "ms": 100}]},
      {"do": "begin", "action": "FAKE_EDIT"},
      {"do": "expect", "trace": ["ui: file dialog \"Fake import BENCH\"", "> FakePlg TIMSETPLG(8, \"FAKE_EDIT\")",
                                 "ui: file any.fak", "> FakePlg FEMSETPLG"]}
    ]})J",
                               c.language);
    EXPECT_EQ(rc, c.code) << c.expect << " " << c.language << "\n" << output;
    const char* message = c.code == 1 ? "FAIL ui: file dialog \"Fake import BENCH\" is not \""
                          : c.code == 2 ? "expect: expected a text or"
                                        : "0 failed";
    EXPECT_NE(output.find(message), std::string::npos) << output;
  }
}

// A second action of the same plug-in begun while the first one's dialog is
// shown (refused here at once) runs beside it: each gets its own reports and reset.
TEST_F(Scenario, TwoActionsOfOnePlugInRunSideBySide) {
  EXPECT_EQ(RunScenario("{" + Machine(R"({"FAKE_DIALOG": 1})") + R"J(, "steps": [
    {"do": "open"},
    {"do": "dialog", "actions": ["type 1002 7", "check 1003 1", {"do": "begin", "action": "FAKE_OTHER"},
                                {"do": "expect", "running": "FAKE_EDIT"}, "ok"]},
    {"do": "begin", "action": "FAKE_EDIT"},
    {"do": "expect", "trace": ["> FakePlg DEBSETPLG(8, \"FAKE_OTHER\")", "ActionFinished, \"FAKE_OTHER\"", "ui: ok",
                               "< FakePlg DEBSETPLG", "host: reset \"FAKE_OTHER\"", "host: \"TAB_FAKE\" sent",
                               "> FakePlg FEMSETPLG(8, \"TAB_FAKE\")", "ActionFinished, \"FAKE_EDIT\"",
                               "> FakePlg RSTSETPLG(8, \"FAKE_EDIT\")"],
     "absent": ["no action waiting"], "values": {"TAB_FAKE": [7, 2]}, "running": null}
  ]})J"),
            0)
      << output;
}

TEST_F(Scenario, DialogScriptsDriveControlsAndHostEvents) {
  EXPECT_EQ(RunScenario("{" + Machine(R"({"FAKE_DIALOG": 1})") + R"J(, "steps": [
    {"do": "open"},
    {"do": "dialog", "expect": "Fake edit", "actions": ["type 1002 7", "check 1003 1", {"do": "advance", "ms": 100}, "ok"]},
    {"do": "begin", "action": "FAKE_EDIT"},
    {"do": "expect", "trace": ["ui: dialog 2000 \"Fake edit BENCH\"", "ui: type 1002 7",
                               "> FakePlg TIMSETPLG(8, \"FAKE_EDIT\")", "ui: ok", "< FakePlg DEBSETPLG",
                               "> FakePlg FEMSETPLG(8, \"TAB_FAKE\")"],
     "values": {"TAB_FAKE": [7, 2]}},
    {"do": "dialog", "expect": "2000", "actions": ["click 999"]},
    {"do": "begin", "action": "FAKE_EDIT"},
    {"do": "expect", "values": {"TAB_FAKE": [7, 2]}, "running": null}
  ]})J"),
            1);
  EXPECT_NE(output.find("FAIL ui: dialog 2000 \"Fake edit BENCH\" refused \"click 999\""), std::string::npos) << output;
  EXPECT_NE(output.find("FAIL ui: dialog 2000 \"Fake edit BENCH\" is still open after its script; cancelled"),
            std::string::npos);
  EXPECT_NE(output.find("scenario: 7 steps, 2 failed"), std::string::npos) << output;
}

}  // namespace
}  // namespace sis::host
