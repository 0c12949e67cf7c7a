// The host driving a plug-in (the fake one in this folder): handshake, the
// life of a Trimset, transmissions with their reset, change notices, vetoes,
// the clock and text exports.
#include <gtest/gtest.h>

#include <cstdlib>

#include "sis/abi/host_codes.h"
#include "sis/host/host.h"
#include "sis/host/trimset_json.h"

namespace sis::host {
namespace {

std::string FakeTrimset(int instance, const std::string& constants = "{}") {
  return R"({"instance": )" + std::to_string(instance) + R"(, "constants": )" + constants + R"(,
    "variables": [{"name": "TAB_FAKE", "kind": "words", "value": [1, 2]}, {"name": "OTHER", "value": 0}],
    "actions": [{"name": "FAKE_EDIT", "table": "TAB_FAKE", "plugin": "FakePlg"}],
    "plugins": [{"name": "FakePlg", "open": ["TAB_FAKE"], "watch": {"VALSETPLG": ["TAB_FAKE", "OTHER"]},
                 "textExports": {"ARRSETPLG": "delete[]"}}]})";
}

class Session : public ::testing::Test {
 protected:
  // Attaches the Trimset and loads the fake; the Trimset stays reachable.
  Trimset& Start(int instance, const std::string& constants = "{}") {
    auto ts = std::make_unique<Trimset>();
    std::string error;
    EXPECT_TRUE(ParseTrimsetText(FakeTrimset(instance, constants), *ts, error)) << error;
    Trimset& attached = host.Attach(std::move(ts));
    EXPECT_TRUE(host.LoadAll(FAKE_PLUGIN_DIR, &error)) << error;
    return attached;
  }
  void ExpectInOrder(const std::vector<std::string>& lines) {
    size_t missing = 0;
    EXPECT_TRUE(host.GetTrace().InOrder(lines, 0, &missing))
        << "missing in order: " << lines[missing] << "\n" << host.GetTrace().Text();
  }
  Host host;
};

TEST_F(Session, HandshakeAnswersTheLanguageAsked) {
  for (int32_t language : {1033, 1036}) {
    HostOptions options;
    options.language = language;
    Host h(options);
    auto ts = std::make_unique<Trimset>();
    std::string error;
    ASSERT_TRUE(ParseTrimsetText(FakeTrimset(1), *ts, error));
    h.Attach(std::move(ts));
    ASSERT_TRUE(h.LoadAll(FAKE_PLUGIN_DIR, &error)) << error;
    LoadedPlugin* p = h.Plugin("FakePlg");
    EXPECT_EQ(p->version, 0x00010002);
    EXPECT_EQ(p->language, language);
    EXPECT_EQ(h.Registrations(), std::vector<std::string>{"FAKEPLG"});
    EXPECT_TRUE(h.GetTrace().InOrder({"> FakePlg FAKEPLG100({-1, 1})", "ACTIONDLL(1, 0x100 HostVersion",
                                      "ACTIONDLL(1, 0x11000 Register, \"FAKEPLG\") int 1 (0x1) -> 0 empty",
                                      "< FakePlg FAKEPLG100 {8, version 0x10002, language " + std::to_string(language)}));
  }
}

TEST_F(Session, LoadingFailuresAreReported) {
  std::string error;
  PluginEntry entry;
  entry.name = "Nope";
  EXPECT_FALSE(host.Load(FAKE_PLUGIN_DIR, entry, &error));
  EXPECT_EQ(error, std::string("missing library ") + FAKE_PLUGIN_DIR + "/Nope.so");
  entry.name = "FakePlg";
  entry.handshake = "NOPE100";
  EXPECT_FALSE(host.Load(FAKE_PLUGIN_DIR, entry, &error));
  EXPECT_EQ(error, "FakePlg has no export NOPE100");
  // A host version below the plug-in's minimum: the handshake is refused.
  auto ts = std::make_unique<Trimset>();
  ASSERT_TRUE(ParseTrimsetText(FakeTrimset(1), *ts, error));
  ts->facts.version = 0x4FFFF;
  host.Attach(std::move(ts));
  EXPECT_FALSE(host.LoadAll(FAKE_PLUGIN_DIR, &error));
  EXPECT_EQ(error, "handshake refused by FakePlg");
}

TEST_F(Session, TransmissionIsReportedAfterTheExportAndEndsWithTheReset) {
  Trimset& ts = Start(8);
  host.Open(8);
  ASSERT_TRUE(host.Begin(8, "FAKE_EDIT"));
  ExpectInOrder({"> FakePlg RUNSETPLG(8, \"TAB_FAKE\")", "host: begin \"FAKE_EDIT\" on FakePlg",
                 "> FakePlg DEBSETPLG(8, \"FAKE_EDIT\")",
                 "ACTIONDLL(8, 0x40032 WriteValue, \"TAB_FAKE\") words[3] 0x0006 0x0002 0x0002 -> 0 empty",
                 "ACTIONDLL(8, 0x40050 Transmit, \"TAB_FAKE\") int -1", "< FakePlg DEBSETPLG",
                 // the plug-in's own write comes back as a change notice, then the part is reported
                 "> FakePlg VALSETPLG(8, \"TAB_FAKE\")", "host: \"TAB_FAKE\" sent", "> FakePlg FEMSETPLG(8, \"TAB_FAKE\")",
                 "0x30003 ActionFinished, \"FAKE_EDIT\"", "< FakePlg FEMSETPLG", "host: reset \"FAKE_EDIT\"",
                 "> FakePlg RSTSETPLG(8, \"FAKE_EDIT\")"});
  EXPECT_EQ(ts.Find("TAB_FAKE")->words, (std::vector<uint16_t>{6, 2, 2}));
  EXPECT_EQ(host.Running(8, "FakePlg"), nullptr);
  EXPECT_EQ(host.GetTrace().Count("> FakePlg RSTSETPLG"), 1u);
  EXPECT_EQ(host.Finished(), std::vector<std::string>{"8:FAKE_EDIT"});
}

TEST_F(Session, FailedTransmissionArrivesAsTheErrorVerb) {
  Trimset& ts = Start(8);
  host.Open(8);
  host.FailTransmission(8, "TAB_FAKE", "Timeout");
  host.Begin(8, "FAKE_EDIT");
  ExpectInOrder({"host: transmission of \"TAB_FAKE\" failed: \"Timeout\"", "> FakePlg ERRSETPLG(8, \"TAB_FAKE\")",
                 "0x40035 ErrorState, \"TAB_FAKE\") empty -> 0 int 1",
                 "0x40034 ErrorText, \"TAB_FAKE\") empty -> 0 text \"Timeout\"", "0x30003 ActionFinished",
                 "> FakePlg RSTSETPLG(8, \"FAKE_EDIT\")"});
  EXPECT_EQ(host.GetTrace().Count("FEMSETPLG"), 0u);
  EXPECT_EQ(ts.Find("TAB_FAKE")->errorState, 1);
  // The failure was for one transmission: the next one goes through.
  host.Begin(8, "FAKE_EDIT");
  EXPECT_EQ(host.GetTrace().Count("> FakePlg FEMSETPLG"), 1u);
  EXPECT_EQ(ts.Find("TAB_FAKE")->errorState, 0);
}

// A plug-in may answer 0x30003 as soon as it has asked its transmission (or
// even before): the report still reaches its verb, and the reset follows it.
TEST_F(Session, AnActionFinishedEarlyStillGetsItsTransmissionReport) {
  struct Case {
    int finish;
    bool fail;
    const char* verb;
  } cases[] = {{1, false, "> FakePlg FEMSETPLG(8, \"TAB_FAKE\")"},
               {1, true, "> FakePlg ERRSETPLG(8, \"TAB_FAKE\")"},
               {2, false, "> FakePlg FEMSETPLG(8, \"TAB_FAKE\")"}};
  for (const auto& c : cases) {
    Host h;
    auto ts = std::make_unique<Trimset>();
    std::string error;
    ASSERT_TRUE(ParseTrimsetText(FakeTrimset(8, R"({"FAKE_FINISH": )" + std::to_string(c.finish) + "}"), *ts, error));
    h.Attach(std::move(ts));
    ASSERT_TRUE(h.LoadAll(FAKE_PLUGIN_DIR, &error)) << error;
    h.Open(8);
    if (c.fail) h.FailTransmission(8, "TAB_FAKE", "Timeout");
    h.Begin(8, "FAKE_EDIT");
    const Trace& t = h.GetTrace();
    EXPECT_TRUE(t.InOrder({"0x30003 ActionFinished, \"FAKE_EDIT\"", "< FakePlg DEBSETPLG", c.verb,
                           "< FakePlg", "host: reset \"FAKE_EDIT\"", "> FakePlg RSTSETPLG(8, \"FAKE_EDIT\")"}))
        << c.finish << " " << c.fail << "\n" << t.Text();
    EXPECT_FALSE(t.Contains("no action waiting")) << t.Text();
    EXPECT_EQ(t.Count("> FakePlg RSTSETPLG"), 1u);
    EXPECT_EQ(h.Running(8, "FakePlg"), nullptr);
  }
  // Once the action is reset, a transmission asked outside any action has no one to report to.
  Start(8);
  host.Open(8);
  HostBuffer b{-1, std::malloc(4)};
  *static_cast<int32_t*>(b.data) = -1;
  host.Dispatch(8, sis::code::kTransmit, "TAB_FAKE", &b);
  host.Pump();
  EXPECT_TRUE(host.GetTrace().Contains("host: \"TAB_FAKE\" sent (no action waiting)"));
  EXPECT_EQ(host.GetTrace().Count("FEMSETPLG"), 0u);
}

// A plug-in that asks again at every report: the host stops at its event
// limit, the stack stays flat.
TEST_F(Session, EndlessReportsStopAtTheEventLimit) {
  Start(8, R"({"FAKE_LOOP": 1})");
  host.Options().eventLimit = 20000;
  host.Open(8);
  host.Begin(8, "FAKE_EDIT");
  EXPECT_TRUE(host.GetTrace().Contains("host: event limit reached, 1 events dropped"));
  EXPECT_EQ(host.GetTrace().Count("> FakePlg FEMSETPLG"), 19999u);  // after the change notice of its write
}

TEST_F(Session, NothingIsTransmittedFromAFile) {
  Trimset& ts = Start(1);
  host.Open(1);
  host.Begin(1, "FAKE_EDIT");
  EXPECT_TRUE(host.Transmissions().empty());
  EXPECT_EQ(ts.Find("TAB_FAKE")->words[1], 2);  // written all the same
  ExpectInOrder({"0x40032 WriteValue", "0x30003 ActionFinished", "< FakePlg DEBSETPLG",
                 "> FakePlg RSTSETPLG(1, \"FAKE_EDIT\")"});
}

TEST_F(Session, MachineResetAtTheEndOfTheExchange) {
  Start(8, R"({"FAKE_RESET": 1})");
  host.Open(8);
  host.Begin(8, "FAKE_EDIT");
  EXPECT_EQ(host.MachineResets(8), 1);
  host.FailMachineReset(8, true);
  host.Begin(8, "FAKE_EDIT");
  EXPECT_EQ(host.MachineResets(8), 1);
  EXPECT_TRUE(host.GetTrace().Contains("VSYS_RSTMAC\") int -1 (0xFFFFFFFF) -> 5"));
  EXPECT_EQ(host.GetTrace().Count("> FakePlg RSTSETPLG"), 2u);
}

TEST_F(Session, SaveHonoursVetoes) {
  Trimset& ts = Start(1, R"({"FAKE_VETO": 1})");
  host.Open(1);
  EXPECT_FALSE(host.Save(1));
  EXPECT_EQ(host.Vetoes(1), std::vector<std::string>{"FakePlg"});
  EXPECT_TRUE(host.GetTrace().Contains("host: save vetoed by FakePlg (-3)"));
  ts.SetConstant("FAKE_VETO", 0);
  EXPECT_TRUE(host.Save(1));
  EXPECT_TRUE(host.Vetoes(1).empty());
  host.Close(1);
  EXPECT_TRUE(host.GetTrace().Contains("> FakePlg CLSSETPLG(1, \"TAB_FAKE\")"));
}

TEST_F(Session, HostChangesReachTheWatchers) {
  Start(1);
  host.Open(1);
  EXPECT_TRUE(host.SetValue(1, "OTHER", Datum::Int(3)));
  ExpectInOrder({"host: \"OTHER\" changed to int 3", "> FakePlg VALSETPLG(1, \"OTHER\")"});
  EXPECT_FALSE(host.SetValue(1, "OTHER", Datum::Words({4, 1})));  // does not fit
  EXPECT_FALSE(host.SetValue(1, "NOPE", Datum::Int(1)));
  EXPECT_EQ(host.GetTrace().Count("> FakePlg VALSETPLG"), 1u);
}

TEST_F(Session, ClockAndConnection) {
  Start(8);
  host.Open(8);
  host.Advance(250);  // period 100: two ticks
  EXPECT_EQ(host.Clock(), 250);
  EXPECT_EQ(host.GetTrace().Count("> FakePlg TIMSETPLG(8, \"\")"), 2u);
  EXPECT_TRUE(host.GetTrace().Contains("0x10023 Clock, \"\") empty -> 0 int 200"));
  host.Disconnect(8);
  EXPECT_TRUE(host.GetTrace().Contains("0x10020 MachineState, \"\") empty -> 0 int -1"));
  host.Advance(100);  // no timer without a machine
  EXPECT_EQ(host.GetTrace().Count("> FakePlg TIMSETPLG"), 2u);
  host.Connect(8);
  ExpectInOrder({"> FakePlg DECSETPLG(8, \"TAB_FAKE\")", "> FakePlg CONSETPLG(8, \"TAB_FAKE\")",
                 "0x10020 MachineState, \"\") empty -> 0 int 0"});
}

TEST_F(Session, TextExportsAreFreedTheirOwnWay) {
  Start(8);
  std::string text;
  ASSERT_TRUE(host.CallText("FakePlg", "TXTSETPLG", 8, 1, 2, 3, text));
  EXPECT_EQ(text, "text 14");
  ASSERT_TRUE(host.CallText("FakePlg", "ARRSETPLG", 8, 0, 0, 0, text));  // new[]: delete[]
  EXPECT_EQ(text, "array");
  EXPECT_FALSE(host.CallText("FakePlg", "NOPESETPLG", 8, 0, 0, 0, text));
  EXPECT_FALSE(host.Call("FakePlg", "NOPESETPLG", 8, ""));
  EXPECT_TRUE(host.GetTrace().Contains("host: FakePlg has no export NOPESETPLG"));
}

}  // namespace
}  // namespace sis::host
