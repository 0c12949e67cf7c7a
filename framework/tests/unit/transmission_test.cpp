// Transmission exchanges: begin, write and send steps, part finished,
// transmission error and reset, with the host re-entering during modal waits.
#include <deque>
#include <functional>
#include <memory>

#include "fixture.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/instance.h"
#include "sis/framework/transmission.h"
#include "sis/platform/dialog.h"
#include "sis/platform/user_action.h"

namespace sis::testing {
namespace {

const char* const kAction = "ACT";
const std::string kQuestion =
    "MSGBOX question Bench\nThe machine must be reset to activate this configuration\nDo you want that Dravix do it now ?";
const std::string kSwitchOff =
    "MSGBOX information Bench\nThe machine must be switched off and engine stopped to activate this configuration";

// A plug-in's side of the exchange: three parts, a dialog on template 2000
// whose OK hands the edited tables to the write step.
class Probe : public ExchangeDelegate {
 public:
  explicit Probe(Instance& inst) : inst_(inst) {}

  bool OwnsTable(const std::string& table) override { return table.rfind("T", 0) == 0; }
  int32_t CannotEdit(int32_t index) override { return index == blockedPart ? blockReason : 0; }
  bool RunDialog(TransmissionExchange& exchange, const std::wstring& title) override {
    titles.push_back(Utf8(title));
    Dialog dialog(2000);
    if (inst_.RunModal(dialog) != kIdOk) return false;
    if (wantsReset) inst_.Set(flag::kResetWanted);
    if (writes) exchange.WriteStep(edited, selected);
    return true;
  }
  void RefreshDisplays() override { ++refreshes; }

  int32_t blockedPart = -1;
  int32_t blockReason = 0;
  bool wantsReset = false;
  bool writes = true;
  std::vector<WordTable> edited{{4, 1}, {4, 9}, {4, 3}};  // part 1 changed
  uint32_t selected = 0x7;
  std::vector<std::string> titles;
  int refreshes = 0;

 private:
  Instance& inst_;
};

class Exchange : public FrameworkTest {
 public:
  Exchange() {
    host.Answer(code::kActionTable, Reply::Text("T0"));
    host.Answer(code::kValue, "T0", Reply::Words({0, 1}));
    host.Answer(code::kValue, "T1", Reply::Words({0, 2}));
    host.Answer(code::kValue, "T2", Reply::Words({0, 3}));
    host.Answer(code::kValue, "ENGINE_RPMMES_0", Reply::Int(0));
    host.Answer(code::kWriteValue, Reply::Ok());
    host.Answer(code::kTransmit, Reply::Ok());
    host.Answer(code::kMachineState, Reply::Int(1));
    host.Answer(code::kLabel, "T0", Reply::Text("Table zero"));
    host.Answer(code::kLabel, "T1", Reply::Fail(code::kDataError));
    Make(9);
  }
  void Make(int32_t number) {
    exchange.reset();
    probe.reset();
    inst = std::make_unique<Instance>(link, number);
    inst->flags = flag::kOpen;
    probe = std::make_unique<Probe>(*inst);
    exchange = std::make_unique<TransmissionExchange>(*inst, *probe, std::vector<std::string>{"T0", "T1", "T2"});
    // The user answers the dialog with OK unless a test says otherwise.
    ui.onModal = [this](Dialog& d) {
      if (duringDialog) duringDialog();
      if (!d.IsEnded()) DeliverUserAction(d, {UserAction::Kind::Click, dialogAnswer, 0, {}});
    };
  }
  // Begins and clears what the begin step recorded.
  void Begun() {
    exchange->Begin(kAction);
    host.ClearCalls();
    ui.events.clear();
  }
  std::vector<std::string> Finished() const { return NamesOf(code::kActionFinished); }
  std::vector<std::string> Transmitted() const { return NamesOf(code::kTransmit); }
  std::vector<std::string> Written() const { return NamesOf(code::kWriteValue); }

  std::unique_ptr<Instance> inst;
  std::unique_ptr<Probe> probe;
  std::unique_ptr<TransmissionExchange> exchange;
  int32_t dialogAnswer = kIdOk;
  std::function<void()> duringDialog;
};

using Names = std::vector<std::string>;

TEST_F(Exchange, BeginWritesChangedPartsAndSendsThemOnlyToAReadableMachine) {
  struct Case {
    const char* what;
    std::function<void(Exchange&)> setup;
    Names written;
    Names transmitted;
    Names finished;
    Names boxes;
  };
  const Case cases[] = {
      {"one part changed", [](Exchange&) {}, {"T1"}, {"T1"}, {}, {}},
      {"nothing changed", [](Exchange& t) { t.probe->edited = {{4, 1}, {4, 2}, {4, 3}}; }, {}, {}, {kAction}, {}},
      {"changed part not selected", [](Exchange& t) { t.probe->selected = 0x5; }, {}, {}, {kAction}, {}},
      {"same length, other word", [](Exchange& t) { t.probe->edited[2] = {4, 3, 0}; }, {"T1", "T2"}, {"T1", "T2"}, {},
       {}},
      {"instance below 8", [](Exchange& t) { t.Make(7); }, {"T1"}, {}, {kAction}, {}},
      {"machine state -1", [](Exchange& t) { t.host.Answer(code::kMachineState, Reply::Int(-1)); }, {"T1"}, {},
       {kAction}, {}},
      {"machine state unreadable",
       [](Exchange& t) { t.host.Answer(code::kMachineState, Reply::Fail(code::kActionError)); }, {"T1"}, {}, {kAction},
       {ErrorBox("Action canceled\nDll action error")}},
      {"failed write",
       [](Exchange& t) {
         t.probe->edited[2] = {4, 7};
         t.host.Answer(code::kWriteValue, Reply::Fail(code::kTransferError));
       },
       {"T1"}, {}, {kAction}, {ErrorBox(kTransferText)}},
      {"failed transmit",
       [](Exchange& t) {
         t.probe->edited[2] = {4, 7};
         t.host.Answer(code::kTransmit, Reply::Fail(code::kTransferError));
       },
       {"T1", "T2"}, {"T1"}, {kAction}, {ErrorBox(kTransferText)}},
      {"dialog cancelled", [](Exchange& t) { t.dialogAnswer = kIdCancel; }, {}, {}, {kAction}, {}},
      {"OK without a write step", [](Exchange& t) { t.probe->writes = false; }, {}, {}, {kAction}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Make(9);
    dialogAnswer = kIdOk;
    host.Answer(code::kMachineState, Reply::Int(1));
    host.Answer(code::kWriteValue, Reply::Ok());
    host.Answer(code::kTransmit, Reply::Ok());
    c.setup(*this);
    host.ClearCalls();
    ui.events.clear();
    exchange->Begin(kAction);
    EXPECT_EQ(Written(), c.written);
    EXPECT_EQ(Transmitted(), c.transmitted);
    EXPECT_EQ(Finished(), c.finished);
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_TRUE(inst->Has(flag::kTransmission));  // until the reset verb
    EXPECT_EQ(inst->actionName, kAction);
  }
}

TEST_F(Exchange, BeginRefusesWhatCannotBeEdited) {
  struct Case {
    const char* what;
    std::function<void(Exchange&)> setup;
    Names boxes;
    int32_t transferRunning;
  };
  const Case cases[] = {
      {"instance not open", [](Exchange& t) { t.inst->flags = 0; },
       {ErrorBox("TRIMSET MAJOR ERROR\nThis Trimset cannot be used and cannot be saved:\nProbe aborted")}, 0},
      {"action table unreadable", [](Exchange& t) { t.host.Answer(code::kActionTable, Reply::Fail(2)); },
       {ErrorBox(kTargetText)}, 0},
      {"table of another plug-in", [](Exchange& t) { t.host.Answer(code::kActionTable, Reply::Text("OTHER")); }, {},
       0},
      {"part with a label cannot be edited",
       [](Exchange& t) {
         t.probe->blockedPart = 0;
         t.probe->blockReason = 17015;
       },
       {ErrorBox("Table zero\nFormat unknown")}, 1},
      {"part without a label cannot be edited",
       [](Exchange& t) {
         t.probe->blockedPart = 1;
         t.probe->blockReason = 17016;
       },
       {ErrorBox("Action canceled\nDll data error"), ErrorBox("Not received")}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Make(9);
    host.Answer(code::kActionTable, Reply::Text("T0"));
    c.setup(*this);
    host.ClearCalls();
    ui.events.clear();
    exchange->Begin(kAction);
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(Finished(), Names{kAction});
    EXPECT_TRUE(ui.With("DIALOG").empty());
    EXPECT_TRUE(Written().empty());
    EXPECT_EQ(inst->transferRunning, c.transferRunning);
    // The running flag, once set, stays until the reset verb.
    EXPECT_EQ(inst->Has(flag::kTransmission), inst->Has(flag::kOpen));
  }
}

TEST_F(Exchange, DialogIsTitledWithTheTableLabelOrTheDefaultTitle) {
  exchange->Begin(kAction);
  host.Answer(code::kActionTable, Reply::Text("T1"));  // no label
  exchange->Reset(kAction);
  exchange->Begin(kAction);
  EXPECT_EQ(probe->titles, (Names{"Table zero Bench", "Probe configuration Bench"}));
  EXPECT_EQ(inst->transferTable, 1);
}

TEST_F(Exchange, PartsFinishedCompleteTheActionOnce) {
  probe->edited[2] = {4, 7};  // T1 and T2 sent
  Begun();
  exchange->PartFinished("T2");
  exchange->PartFinished("NOT_A_PART");
  EXPECT_TRUE(Finished().empty());
  exchange->PartFinished("T1");
  EXPECT_EQ(Finished(), Names{kAction});
  exchange->PartFinished("T1");  // a late repeat changes nothing
  EXPECT_EQ(Finished(), Names{kAction});
  EXPECT_TRUE(Transmitted().empty());  // no machine reset wanted

  exchange->Reset(kAction);
  host.ClearCalls();
  exchange->PartFinished("T1");  // not running
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(Exchange, MachineResetIsAskedBeforeSendingAndDoneAfterTheLastPart) {
  struct Case {
    const char* what;
    Reply rpm;
    std::deque<int> answers;
    Reply reset;
    Names boxesBeforeSending;
    bool resetSent;
    Names boxesAtEnd;
  };
  const std::string resetFailed =
      ErrorBox("Machine reset failed\nSorry, you have to switch off machine by hand");
  const Case cases[] = {
      {"engine stopped, yes", Reply::Int(0), {kIdYes}, Reply::Ok(), {kQuestion}, true, {}},
      {"engine stopped, no", Reply::Int(0), {kIdNo}, Reply::Ok(), {kQuestion}, false, {}},
      {"engine speed unreadable counts as stopped", Reply::Fail(1), {kIdOk, kIdYes}, Reply::Ok(),
       {ErrorBox("Action canceled\nDll data error"), kQuestion}, true, {}},
      {"engine running", Reply::Int(1200), {kIdOk}, Reply::Ok(), {kSwitchOff}, true, {}},
      {"reset refused", Reply::Int(0), {kIdYes}, Reply::Fail(code::kTransferError), {kQuestion}, true,
       {ErrorBox(kTransferText), resetFailed}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Make(9);
    probe->wantsReset = true;
    host.Answer(code::kValue, "ENGINE_RPMMES_0", c.rpm);
    host.Answer(code::kTransmit, "VSYS_RSTMAC", c.reset);
    ui.boxAnswers = c.answers;
    host.ClearCalls();
    ui.events.clear();
    exchange->Begin(kAction);
    EXPECT_EQ(Boxes(), c.boxesBeforeSending);
    EXPECT_EQ(Transmitted(), Names{"T1"});
    EXPECT_EQ(inst->Has(flag::kResetWanted), c.resetSent);

    host.ClearCalls();
    ui.events.clear();
    exchange->PartFinished("T1");
    EXPECT_EQ(Transmitted(), c.resetSent ? Names{"VSYS_RSTMAC"} : Names{});
    EXPECT_EQ(Boxes(), c.boxesAtEnd);
    EXPECT_EQ(Finished(), Names{kAction});
  }
}

TEST_F(Exchange, ResetDuringTheSendStepsQuestionSendsNothing) {
  probe->wantsReset = true;
  ui.onBox = [this](BoxKind, const std::wstring&) { exchange->Reset(kAction); };
  ui.boxAnswers = {kIdYes};
  exchange->Begin(kAction);
  EXPECT_EQ(Boxes(), Names{kQuestion});
  EXPECT_TRUE(Transmitted().empty());
  EXPECT_EQ(Finished(), Names{kAction});
}

TEST_F(Exchange, TransmissionErrorIsReportedOnlyWhenThePartFailed) {
  struct Case {
    const char* what;
    const char* part;
    Reply failed;
    Reply text;
    Names boxes;
    bool finished;
  };
  const Case cases[] = {
      {"error state 0", "T1", Reply::Int(0), Reply::Text("CAN timeout"), {}, false},
      {"failed, with its text", "T1", Reply::Int(1), Reply::Text("CAN timeout"),
       {ErrorBox("Final transmission error\nCAN timeout\nAction aborted")}, true},
      {"failed, text unreadable", "T1", Reply::Int(1), Reply::Fail(code::kDataError),
       {ErrorBox("Action canceled\nDll data error"), ErrorBox("Final transmission error\nAction aborted")}, true},
      {"error state unreadable", "T1", Reply::Fail(code::kTargetError), Reply::Text("x"), {ErrorBox(kTargetText)},
       true},
      {"not a part", "OTHER", Reply::Int(1), Reply::Text("x"), {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Make(9);
    Begun();
    host.Answer(code::kErrorState, c.failed);
    host.Answer(code::kErrorText, c.text);
    exchange->TransmissionError(c.part);
    EXPECT_EQ(Boxes(), c.boxes);
    EXPECT_EQ(Finished(), c.finished ? Names{kAction} : Names{});
    EXPECT_TRUE(inst->Has(flag::kTransmission));
    // The exchange goes on: the last part still completes it.
    host.ClearCalls();
    exchange->PartFinished("T1");
    EXPECT_EQ(Finished(), Names{kAction});
  }
  exchange->Reset(kAction);
  host.ClearCalls();
  exchange->TransmissionError("T1");  // not running
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(Exchange, ResetEndsTheExchangeOnlyForItsOwnAction) {
  Begun();
  inst->Set(flag::kRefreshPending | flag::kResetWanted);
  exchange->Reset("OTHER_ACTION");
  EXPECT_TRUE(inst->Has(flag::kTransmission));
  EXPECT_EQ(probe->refreshes, 0);

  exchange->Reset(kAction);
  EXPECT_FALSE(inst->Has(flag::kTransmission | flag::kResetWanted | flag::kRefreshPending));
  EXPECT_EQ(inst->transferRunning, 0);
  EXPECT_EQ(probe->refreshes, 1);
  EXPECT_TRUE(inst->Has(flag::kOpen));

  exchange->Reset(kAction);  // not running any more: no second refresh
  EXPECT_EQ(probe->refreshes, 1);
}

TEST_F(Exchange, ResetWhileTheDialogIsShownCancelsIt) {
  duringDialog = [this] { exchange->Reset(kAction); };
  exchange->Begin(kAction);
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(Finished(), Names{kAction});
  EXPECT_FALSE(inst->Has(flag::kTransmission));
  EXPECT_EQ(inst->modalDialogs, (std::array<Dialog*, Instance::kMaxModalDialogs>{}));
}

TEST_F(Exchange, BeginWhileRunningTakesOverUnlessTheHostResetsDuringTheBox) {
  const std::string busy =
      ErrorBox("This function can not be executed\nAn other action is running on this machine");
  // The host leaves the running action alone: the new one takes its place.
  exchange->Begin("OLD");
  host.ClearCalls();
  ui.events.clear();
  exchange->Begin(kAction);
  EXPECT_EQ(Boxes(), Names{busy});
  EXPECT_EQ(inst->actionName, kAction);
  EXPECT_EQ(ui.With("DIALOG").size(), 1u);
  EXPECT_EQ(Transmitted(), Names{"T1"});

  // The host resets the running action while the box is shown: finished at once.
  Make(9);
  exchange->Begin("OLD");
  ui.onBox = [this](BoxKind, const std::wstring&) { exchange->Reset("OLD"); };
  host.ClearCalls();
  ui.events.clear();
  exchange->Begin(kAction);
  EXPECT_EQ(Boxes(), Names{busy});
  EXPECT_EQ(Finished(), Names{kAction});
  EXPECT_TRUE(ui.With("DIALOG").empty());
  EXPECT_FALSE(inst->Has(flag::kTransmission));
}

// A plug-in that finds its table its own way and adds a check of its own.
class OwnLookup : public Probe {
 public:
  using Probe::Probe;
  bool FindTable(TransmissionExchange&, const char* action, std::string& table, int32_t& number) override {
    const std::string name = action;
    const size_t underscore = name.find('_');
    if (underscore == std::string::npos) return false;
    table = name.substr(underscore + 1);
    number = 42;
    return true;
  }
  bool BeginChecks(TransmissionExchange&) override {
    MessageBox(BoxKind::Warning, L"own check");
    return passes;
  }
  bool passes = true;
};

TEST_F(Exchange, PluginsMaySupplyTheirTableLookupAndChecks) {
  OwnLookup own(*inst);
  TransmissionExchange custom(*inst, own, {"T0", "T1", "T2"});
  for (const bool passes : {false, true}) {
    own.passes = passes;
    host.ClearCalls();
    ui.events.clear();
    custom.Begin("EDIT_T0");
    EXPECT_TRUE(host.CallsWith(code::kActionTable).empty());
    EXPECT_EQ(custom.ActionTable(), "T0");
    EXPECT_EQ(inst->transferTable, 42);
    EXPECT_EQ(Boxes(), Names{"MSGBOX warning own check"});
    EXPECT_EQ(own.titles.size(), passes ? 1u : 0u);
    custom.Reset("EDIT_T0");
  }
  host.ClearCalls();
  custom.Begin("NOUNDERSCORE");
  EXPECT_EQ(Finished(), Names{"NOUNDERSCORE"});
}

}  // namespace
}  // namespace sis::testing
