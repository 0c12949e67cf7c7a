// The run, close, save and change frames of the application object, with an
// instance class whose checks the test scripts.
#include <functional>
#include <memory>
#include <string>

#include "fixture.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/plugin_app.h"

namespace sis::testing {
namespace {

// What the scripted instance's hooks answer and count.
struct Script {
  bool readOk = true;
  bool finalOk = true;
  ReportLines lines;
  std::vector<std::string> parts{"P0", "P1"};
  int finalChecks = 0;
  int cleared = 0;
  int refreshes = 0;
  int changes = 0;
  int reads = 0;
  std::function<void()> duringRead;  // the host calling in from a modal loop
};
Script gScript;

class ScriptedInstance : public Instance {
 public:
  using Instance::Instance;
  bool ReadConfiguration() {
    ++gScript.reads;
    if (gScript.duringRead) gScript.duringRead();
    partNames = gScript.parts;
    checkLines = gScript.lines;
    return gScript.readOk;
  }
  bool FinalCheck() {
    ++gScript.finalChecks;
    return gScript.finalOk;
  }
  void ClearConfiguration() {
    ++gScript.cleared;
    partNames.clear();
  }
  void RefreshDisplays() { ++gScript.refreshes; }
  bool Watches(const char* name, ChangeKind) const { return std::string(name) == "WATCHED"; }
  void TakeChange(const char*, ChangeKind) { ++gScript.changes; }
};

class ScriptedApp : public PluginApp<ScriptedInstance> {
 public:
  ScriptedApp() : PluginApp("FWTEST", SisUnitResources(), reinterpret_cast<const void*>(&SisUnitResources)) {}
};

const char* const kTable = "TAB_CNF";
const std::string kMajor =
    ErrorBox("TRIMSET MAJOR ERROR\nThis Trimset cannot be used and cannot be saved:\nProbe aborted");

class Frame : public FrameworkTest {
 public:
  Frame() {
    gScript = Script{};
    host.Answer(code::kLabel, "P0", Reply::Text("Part zero"));
    host.Answer(code::kLabel, "P1", Reply::Text("Part one"));
    host.Answer(code::kValuePresent, Reply::Int(1));
  }
  void Clear() {
    host.ClearCalls();
    ui.events.clear();
  }
  std::unique_ptr<ScriptedApp> app = std::make_unique<ScriptedApp>();
};

TEST_F(Frame, SuccessfulRunOpensTheInstanceAndShowsTheReportOfItsCheck) {
  gScript.lines = ReportLines{L"", {L"", L"Bad code"}};
  app->Run(9, kTable);
  ScriptedInstance* inst = app->Find(9);
  ASSERT_NE(inst, nullptr);
  EXPECT_EQ(inst->flags, flag::kOpen);
  EXPECT_EQ(inst->tableName, kTable);
  EXPECT_TRUE(Finished().empty());
  EXPECT_EQ(gScript.refreshes, 1);
  EXPECT_EQ(ui.events, (std::vector<std::string>{"REPORT Probe configuration errors Bench", "ROW PART ONE",
                                                 "ROW Bad code", "ROW "}));

  Clear();
  app->Run(9, kTable);  // already open
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(ui.events.empty());
}

TEST_F(Frame, RunWhileBusyDoesNothing) {
  gScript.duringRead = [this] {
    gScript.duringRead = nullptr;
    app->Run(9, kTable);  // re-entered while the first run reads
  };
  app->Run(9, kTable);
  EXPECT_EQ(gScript.reads, 1);
  EXPECT_EQ(app->Find(9)->flags, flag::kOpen);
}

TEST_F(Frame, FailedRunMarksTheErrorShowsTheMajorErrorAndFinishes) {
  gScript.readOk = false;
  app->Run(9, kTable);
  ScriptedInstance* inst = app->Find(9);
  ASSERT_NE(inst, nullptr);
  EXPECT_EQ(inst->flags, flag::kConfigError);
  EXPECT_EQ(Boxes(), std::vector<std::string>{kMajor});
  EXPECT_EQ(Finished(), std::vector<std::string>{kTable});
  EXPECT_FALSE(inst->report);
}

TEST_F(Frame, CloseRunsTheFinalCheckAndEmptiesTheInstance) {
  for (const bool finalOk : {true, false}) {
    SCOPED_TRACE(finalOk);
    gScript.finalOk = finalOk;
    app->Run(9, kTable);
    Clear();
    app->Close(9, "OTHER");
    EXPECT_EQ(app->Find(9)->flags, flag::kOpen);
    app->Close(9, kTable);
    ScriptedInstance* inst = app->Find(9);
    ASSERT_NE(inst, nullptr);  // the slot stays occupied
    EXPECT_EQ(inst->flags, finalOk ? 0u : flag::kConfigError);
    EXPECT_FALSE(inst->report);
    EXPECT_TRUE(inst->partNames.empty());
    app->Close(9, kTable);  // no longer open: nothing
  }
  EXPECT_EQ(gScript.finalChecks, 2);
  EXPECT_EQ(gScript.cleared, 2);
}

TEST_F(Frame, SaveIsVetoedByAFailedCheckOrAnInstanceInError) {
  struct Case {
    const char* what;
    bool readOk;
    bool closeFirst;
    bool finalOk;
    ReportLines lines;
    bool vetoed;
    bool reportShown;
  };
  const Case cases[] = {
      {"open, check passes, nothing to say", true, false, true, {}, false, false},
      {"open, check fails", true, false, false, {L"Twice", {}}, true, true},
      {"closed without error", true, true, true, {}, false, false},
      {"closed after a failed final check", true, true, false, {}, true, true},
      {"run failed", false, false, true, {}, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    app = std::make_unique<ScriptedApp>();
    gScript.readOk = c.readOk;
    gScript.finalOk = c.finalOk;
    gScript.lines = c.lines;
    app->Run(9, kTable);
    if (c.closeFirst) app->Close(9, kTable);
    for (int round = 0; round < 2; ++round) {  // a second save finds the window made by the first
      Clear();
      app->Save(9, "OTHER");
      EXPECT_TRUE(host.calls.empty());
      app->Save(9, kTable);
      const auto veto = host.CallsWith(code::kVetoSave);
      EXPECT_EQ(veto.size(), c.vetoed ? 1u : 0u);
      if (!veto.empty()) {
        EXPECT_EQ(veto[0]->SentInt(), -3);
      }
      ScriptedInstance* inst = app->Find(9);
      EXPECT_EQ(inst->report && inst->report->IsVisible(), c.reportShown);
    }
  }
}

TEST_F(Frame, SaveAfterAFailedRunReportsTheMajorError) {
  gScript.readOk = false;
  app->Run(9, kTable);
  Clear();
  app->Save(9, kTable);
  EXPECT_EQ(ui.With("R"), (std::vector<std::string>{"REPORT Probe configuration errors Bench",
                                                    "ROW TRIMSET MAJOR ERROR",
                                                    "ROW This Trimset cannot be used and cannot be saved:",
                                                    "ROW Probe aborted", "ROW "}));
}

TEST_F(Frame, ChangesAreTakenOnlyWhenWatchedAndPresentAndWaitForATransfer) {
  app->Run(9, kTable);
  ScriptedInstance* inst = app->Find(9);
  const int refreshesAfterRun = gScript.refreshes;

  app->Change(9, "NOT_WATCHED", ChangeKind::Value);
  host.Answer(code::kValuePresent, Reply::Int(0));
  app->Change(9, "WATCHED", ChangeKind::Value);
  host.Answer(code::kValuePresent, Reply::Fail(code::kTargetError));
  app->Change(9, "WATCHED", ChangeKind::Map);
  EXPECT_EQ(gScript.changes, 0);
  EXPECT_EQ(Boxes(), std::vector<std::string>{ErrorBox(kTargetText)});

  host.Answer(code::kValuePresent, Reply::Int(1));
  app->Change(9, "WATCHED", ChangeKind::Value);
  EXPECT_EQ(gScript.changes, 1);
  EXPECT_EQ(gScript.refreshes, refreshesAfterRun + 1);

  inst->Set(flag::kTransmission);
  app->Change(9, "WATCHED", ChangeKind::Table);
  EXPECT_EQ(gScript.changes, 2);
  EXPECT_EQ(gScript.refreshes, refreshesAfterRun + 1);
  EXPECT_TRUE(inst->Has(flag::kRefreshPending));
}

}  // namespace
}  // namespace sis::testing
