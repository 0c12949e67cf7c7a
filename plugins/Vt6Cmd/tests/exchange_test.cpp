// The editing exchanges of Vt6Cmd from begin to reset, with the dialogs
// driven by script: the output dialog, the pilot map dialog, the standard
// pages and the map normalisation.
#include "cmd_fixture.h"

namespace vt6cmd::testing {
namespace {

constexpr int32_t kAllPwm = 0x85;
constexpr int32_t kAllPwmTwin = 0x1183;
constexpr int32_t kSheetTab = 0x3020;

std::vector<Out> Outputs(bool lastHasMaps = false) {
  return {
      {Rec(0x8000, 0x13, kAllPwm, 0, 0), Tab(0x2000, 0, 100, kRpmId)},
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 2), Tab(0x2800, 0x800, 200)},
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 1), Tab(1, 0x800, 0)},
      {Rec(0, 0, 0, 0, 0x3), Tab(0x3001, 0, 2), lastHasMaps},
  };
}

std::vector<uint16_t> Table(std::vector<uint16_t> fields) { return sis::host::WordTable(fields); }

using Exchange = CmdHost;

TEST_F(Exchange, ANewCodeIsWrittenTransmittedAndTheMachineReset) {
  Open(MakeTrimset(Outputs()));
  // Codes offered: 1, 0x1000, 0x1001, 0x1004, 0x2000, 0x2002, 0x2007.
  Dialog("1013", {"select 1003 5", "type 1008 150", "ok"});
  Box("Do you want that Dravix do it now", "yes");
  ASSERT_TRUE(host.Begin(instance, "CMDSET_0"));
  host.Pump();
  EXPECT_EQ(Words(Part(0)), Table(Tab(0x2002, 0, 150)));
  EXPECT_EQ(Sent(), (std::vector<std::string>{"TAB_CMD_0:-1"}));
  EXPECT_EQ(host.MachineResets(instance), 1);
  EXPECT_EQ(host.Finished(), std::vector<std::string>{"8:CMDSET_0"});
  EXPECT_EQ(host.Running(instance, "Vt6Cmd"), nullptr);
  EXPECT_EQ(Text(Desc(0)), "Camshaft PWM command (150 Hz)\nStandard command mode");
  EXPECT_TRUE(ui.TakeFaults().empty());
}

TEST_F(Exchange, TheTwinPartnerFollowsThePair) {
  Open(MakeTrimset(Outputs()));
  // Codes offered: 1, 0x2800, 0x2801, 0x2807, 0x2808, 0x280C.
  Dialog("1013", {"select 1003 4", "type 1008 400", "ok"});
  Box("must be reset", "no");
  ASSERT_TRUE(host.Begin(instance, "CMDSET_1"));
  host.Pump();
  EXPECT_EQ(Words(Part(1)), Table(Tab(0x2808, 0x800, 400)));
  EXPECT_EQ(Words(Part(2)), Table(Tab(0x280C, 0x800, 400)));
  EXPECT_EQ(Sent(), (std::vector<std::string>{"TAB_CMD_1:-1", "TAB_CMD_2:-1"}));
  EXPECT_EQ(host.MachineResets(instance), 0);
  EXPECT_EQ(Text(Desc(1)), "Motorised throttle PWM twin command positive asynchronous output (400 Hz)\nPush-Pull command mode");
  EXPECT_TRUE(host.Save(instance));
}

TEST_F(Exchange, OkIsRefusedWhileAChoiceBreaksACheck) {
  Open(MakeTrimset(Outputs()));
  Dialog("1013", {"type 1008 5", "ok", "cancel"});
  Box("Parametric value out off limits");
  ASSERT_TRUE(host.Begin(instance, "CMDSET_0"));
  host.Pump();
  EXPECT_EQ(Words(Part(0)), Table(Tab(0x2000, 0, 100, kRpmId)));
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(host.Finished(), std::vector<std::string>{"8:CMDSET_0"});
  EXPECT_EQ(ui.PendingAnswers(), 0u);
}

TEST_F(Exchange, AChangeDuringTheTransferIsPublishedAtTheReset) {
  Open(MakeTrimset(Outputs()));
  const std::string before = Text(Desc(3));
  Dialog("1013", {json{{"set", Part(3)}, {"words", Tab(0x3001, 0, 99)}}, json{{"probe", Desc(3)}}, "cancel"});
  ASSERT_TRUE(host.Begin(instance, "CMDSET_0"));
  host.Pump();
  EXPECT_EQ(probes, std::vector<std::string>{before});
  EXPECT_EQ(Text(Desc(3)), "Error or unknown configuration\n");
  EXPECT_FALSE(host.Save(instance));
}

TEST_F(Exchange, ThePilotMapDialogSetsItsAxes) {
  Open(MakeTrimset(Outputs()));
  // TPS is offered only once "advanced" is ticked.
  Dialog("1012", {"select 1014 1", "check 1015 1", "select 1012 2", "ok"});
  ASSERT_TRUE(host.Begin(instance, "MAPSET_0"));
  host.Pump();
  EXPECT_EQ(Words(Part(0)), Table(Tab(0x2000, 0, 100, kTpsId, kRpmId, 1)));
  EXPECT_EQ(Sent(), (std::vector<std::string>{"TAB_CMD_0:-1"}));
  EXPECT_EQ(host.MachineResets(instance), 0);
  EXPECT_EQ(ts->Entry(0x40062, Map(0))->datum, Datum::Int(kTpsId));
  EXPECT_EQ(ts->Entry(0x40064, Map(0))->datum, Datum::Int(kRpmId));
}

TEST_F(Exchange, AFileInstanceWritesWithoutTransmitting) {
  Open(MakeTrimset(Outputs(), 2));
  Dialog("1013", {"type 1008 150", "ok"});
  ASSERT_TRUE(host.Begin(instance, "CMDSET_0"));
  host.Pump();
  EXPECT_EQ(Words(Part(0))[10], 150);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(host.Finished(), std::vector<std::string>{"2:CMDSET_0"});
}

TEST_F(Exchange, StandardPagesNeedEveryPilotMap) {
  Open(MakeTrimset(Outputs(false)));
  ASSERT_TRUE(host.Begin(instance, "AUXSET"));
  host.Pump();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0], "error: BENCH\nOutput 4\nThe data to be tuned has not been received from the machine\n\nThe setting can not be done yet");
  EXPECT_EQ(host.Finished(), std::vector<std::string>{"8:AUXSET"});
}

TEST_F(Exchange, StandardPagesEditEveryOutput) {
  Open(MakeTrimset(Outputs(true)));
  Dialog("Auxiliary outputs standard configuration BENCH",
         {"type 1008 300", "tab " + std::to_string(kSheetTab) + " 3", "type 1008 4", "ok"});
  ASSERT_TRUE(host.Begin(instance, "AUXSET"));
  host.Pump();
  EXPECT_EQ(Words(Part(0))[10], 300);
  EXPECT_EQ(Words(Part(3))[10], 4);
  EXPECT_EQ(Sent(), (std::vector<std::string>{"TAB_CMD_0:-1", "TAB_CMD_3:-1"}));
  EXPECT_EQ(host.Finished(), std::vector<std::string>{"8:AUXSET"});
  EXPECT_TRUE(ui.TakeFaults().empty());
}

TEST_F(Exchange, NormalisationClampsTheMapByCommandFamily) {
  struct Case {
    const char* what;
    std::vector<uint16_t> table;
    std::vector<uint16_t> values;
    std::vector<uint16_t> after;
    std::string box;
    uint32_t partAttributes = 0x80000000u;  // 0: the table has not been received
  } cases[] = {
      {"on-off", Tab(0x1001, 0, 0), {0, 1, 2, 300}, {0, 1, 1, 1}, ""},
      {"PWM within range", Tab(0x2000, 0, 100), {0, 1, 2, 0x8000}, {0, 1, 2, 0x8000}, ""},
      {"PWM above range", Tab(0x2000, 0, 100), {0, 0x9000, 2, 0xFFFF}, {0, 0x8000, 2, 0x8000}, ""},
      {"output in error", Tab(0x2000, 0, 5), {0, 0x9000, 2, 0xFFFF}, {0, 0x9000, 2, 0xFFFF},
       "BENCH\nOutput 1\nThe configuration has first to be corrected before operating on the map\nAction canceled"},
      {"table format unknown", {2, 5, 7, 0x2000, 0, 0, 0, 0, 0, 100, 0, 0}, {0, 0x9000, 2, 0xFFFF}, {0, 0x9000, 2, 0xFFFF},
       "BENCH\nOutput 1\nTRIMSET MAJOR ERROR\nThis Trimset cannot be used and cannot be saved:\n"
       "Command table format unknown\nAction canceled"},
      {"table not received", Tab(0x2000, 0, 100), {0, 0x9000, 2, 0xFFFF}, {0, 0x9000, 2, 0xFFFF},
       "BENCH\nOutput 1\nThe data to be tuned has not been received from the machine\n\nThe setting can not be done yet",
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Host h;
    ScriptedUi u(h, false);
    json t = MakeTrimset({{Rec(0, 0x13, kAllPwm, 0, 0), c.table}});
    for (json& v : t["variables"]) {
      if (v["name"] == Map(0)) v["value"] = MapValue(c.values);
      if (v["name"] == Part(0)) v["attributes"] = c.partAttributes;
    }
    auto trimset = std::make_unique<sis::host::Trimset>();
    std::string error;
    ASSERT_TRUE(sis::host::ParseTrimset(t, *trimset, error)) << error;
    sis::host::Trimset& set = h.Attach(std::move(trimset));
    ASSERT_TRUE(h.LoadAll(SIS_DEFAULT_PLUGIN_DIR, &error));
    h.Open(kInstance);
    ASSERT_TRUE(h.Begin(kInstance, "NORM_0"));
    h.Pump();
    const auto& words = set.Find(Map(0))->words;
    EXPECT_EQ(std::vector<uint16_t>(words.end() - 4, words.end()), c.after);
    const bool changed = c.values != c.after;
    EXPECT_EQ(h.Transmissions().size(), changed ? 1u : 0u);
    EXPECT_EQ(u.Messages().empty() ? std::string() : u.Messages()[0].text, c.box);
    EXPECT_EQ(h.Finished(), std::vector<std::string>{"8:NORM_0"});
  }
}

}  // namespace
}  // namespace vt6cmd::testing
