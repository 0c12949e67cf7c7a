// Reading, output checks, twins, uniqueness, the compiled table, the
// descriptions, the display texts and the change verbs of Vt6Cmd.
#include "cmd_fixture.h"

namespace vt6cmd::testing {
namespace {

constexpr int32_t kAllPwm = 0x85;
constexpr int32_t kAllPwmTwin = 0x1183;

// A clean configuration: a PWM output with a pilot map, a twin PWM pair and a
// revcounter.
std::vector<Out> Clean() {
  return {
      {Rec(0x8000, 0x13, kAllPwm, 0, 0), Tab(0x2000, 0, 100, kRpmId)},
      {Rec(0, 0, 0, kAllPwmTwin, 0, 2), Tab(0x2800, 1, 200)},
      {Rec(0, 0, 0, kAllPwmTwin, 0, 1), Tab(1, 0, 0)},
      {Rec(0, 0, 0, 0, 0x3), Tab(0x3001, 0, 2), false},
  };
}

using Model = CmdHost;

TEST_F(Model, ACleanConfigurationPublishesItsTablesAndSaves) {
  Open(MakeTrimset(Clean()));
  EXPECT_TRUE(Boxes().empty());
  // Code (or 1), then the r0 identifier's halves, per output.
  EXPECT_EQ(Words("TAB_CMDCOMP"), (std::vector<uint16_t>{26, 0x2000, 100, 0, 0x2800, 101, 0, 1, 102, 0, 0x3001, 103, 0}));
  EXPECT_EQ(Text(Desc(0)), "PWM programmable command (100 Hz)\nStandard command mode");
  EXPECT_EQ(Text(Desc(1)), "PWM programmable twin command positive output inverted (200 Hz)\nStandard command mode");
  EXPECT_EQ(Text(Desc(2)), "PWM programmable twin command negative output\nStandard command mode");
  EXPECT_EQ(Text(Desc(3)), "Revcounter command (2 Pls)\nStandard command mode");
  EXPECT_EQ(ts->Entry(0x40062, Map(0))->datum, Datum::Int(kRpmId));
  EXPECT_EQ(ts->Entry(0x40064, Map(0))->datum, Datum::Int(-1));
  EXPECT_TRUE(host.Save(instance));
  EXPECT_TRUE(ReportRows().empty());
}

struct ReadingCase {
  const char* what;
  std::function<void(json&)> spoil;
};

TEST_F(Model, ReadingFailuresRefuseTheTrimset) {
  // The command configuration table's fields: index k is word k + 1.
  auto config = [](json& t) -> json& {
    for (json& v : t["variables"]) {
      if (v["name"] == "TAB_CNFCMD") return v["value"];
    }
    throw std::logic_error("no configuration table");
  };
  const ReadingCase cases[] = {
      {"no output", [&](json& t) { config(t) = {12, 13, 10, 11}; }},
      {"both push-pull modes", [&](json& t) { config(t)[4 + 4] = 0x8800; }},
      {"twin not pointing back", [&](json& t) { config(t)[4 + 11] = 3; }},
      {"no picker mask", [](json& t) { t["constants"].erase("VALUSER_LSTSEL"); }},
      {"compiled table without a name", [&](json& t) { config(t)[2] = 999; }},
      {"pilot map without a second map", [&](json& t) { config(t)[4 + 2] = 0; }},
      {"rules text rejected", [&](json& t) {
                  t["variables"].push_back({{"name", "TXT_RULES"}, {"id", 12}, {"kind", "text"}, {"value", "CN0 = 0x2000"}});
       }},
      {"output rules not one per output", [&](json& t) {
         t["variables"].push_back({{"name", "TXT_RULES2"}, {"id", 13}, {"kind", "text"}, {"value", "CN0 = 1 DAT = RPM"}});
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Host h;
    ScriptedUi u(h, false);
    json t = MakeTrimset(Clean());
    c.spoil(t);
    auto trimset = std::make_unique<sis::host::Trimset>();
    std::string error;
    ASSERT_TRUE(sis::host::ParseTrimset(t, *trimset, error)) << error;
    h.Attach(std::move(trimset));
    ASSERT_TRUE(h.LoadAll(SIS_DEFAULT_PLUGIN_DIR, &error));
    h.Open(kInstance);
    ASSERT_EQ(u.Messages().size(), 1u);
    EXPECT_NE(u.Messages()[0].text.find("Homogeneity control"), std::string::npos);
    EXPECT_EQ(h.Finished(), std::vector<std::string>{"8:TAB_CNFCMD"});
    EXPECT_FALSE(h.Save(kInstance));
  }
}

struct CheckCase {
  const char* what;
  Out output;
  std::string line;  // report rows under the output's label, "" when clean
  bool valid;
  int32_t mark;
};

TEST_F(Model, OutputChecksGiveMessagesStatusAndMark) {
  const CheckCase cases[] = {
      {"clean", {Rec(0, 0x13, kAllPwm, 0, 0), Tab(0x2000, 0, 100)}, "", true, 0},
      {"thirteen words",
       {Rec(0, 0x13, kAllPwm, 0, 0), {2, 5, 7, 0x2000, 0, 0, 0, 0, 0, 100, 0, 0}},
       "TRIMSET MAJOR ERROR|This Trimset cannot be used and cannot be saved:|Command configuration not known by the ECU",
       false, 1},
      {"structure marks and parameter",
       {Rec(0, 0x13, kAllPwm, 0, 0), {2, 5, 6, 0x2000, 0, 0, 0, 0, 0, 9, 0}},
       "Unknown configuration table structure|Parametric value out off limits", false, 1},
      {"code not allowed", {Rec(0, 0x13, 0, 0, 0), Tab(0x2000, 0, 100)},
       "Selected command configuration is not allowed", false, 1},
      {"unknown axes", {Rec(0, 0x13, kAllPwm, 0, 0), Tab(0x2000, 0, 100, 77, 78)},
       "Map verticale scale input data not known by the ECU|Map horizontal scale input data not known by the ECU",
       false, 1},
      {"parameter on an on-off code", {Rec(0, 0x13, 0, 0, 0), Tab(0x1000, 0, 1)}, "Parametric value out off limits",
       false, 1},
      {"mode the record lacks", {Rec(0, 0x13, 0, 0, 0), Tab(0x1001, 0x8000, 0)}, "Piloting mode unknown by the ECU",
       false, 1},
      {"synchronous mode required by the record", {Rec(0x800, 0x13, 0, 0, 0), Tab(0x1001, 0, 0)},
       "Piloting mode unknown by the ECU", false, 1},
      {"throttle without push-pull", {Rec(0x8000, 0, 0, kAllPwmTwin, 0), Tab(0x2808, 0, 500)},
       "Piloting mode does not fit with selected command", false, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Host h;
    ScriptedUi u(h, false);
    auto trimset = std::make_unique<sis::host::Trimset>();
    std::string error;
    ASSERT_TRUE(sis::host::ParseTrimset(MakeTrimset({c.output}), *trimset, error)) << error;
    sis::host::Trimset& t = h.Attach(std::move(trimset));
    ASSERT_TRUE(h.LoadAll(SIS_DEFAULT_PLUGIN_DIR, &error));
    h.Open(kInstance);
    // A clean check shows no report at all.
    const auto reports = u.Reports();
    const auto all = reports.empty() ? std::vector<std::string>{} : reports[0].rows;
    std::string rows;
    for (size_t k = 1; k + 1 < all.size(); ++k) rows += (rows.empty() ? "" : "|") + all[k];
    EXPECT_EQ(rows, c.line);
    if (!c.line.empty()) {
      EXPECT_EQ(all.front(), "OUTPUT 1");
    }
    EXPECT_EQ(t.Find("TAB_CMDCOMP")->words[1], c.valid ? t.Find(Part(0))->words[4] : 1);
    EXPECT_EQ(t.Find(Part(0))->errorMark, c.mark);
    EXPECT_EQ(h.Save(kInstance), c.valid);
  }
}

TEST_F(Model, TwinAndUniquenessChecks) {
  struct Case {
    const char* what;
    std::vector<Out> outs;
    std::vector<std::string> rows;
  } cases[] = {
      {"positive twin with a plain PWM partner: the second checked fails",
       {{Rec(0, 0, kAllPwm, kAllPwmTwin, 0, 1), Tab(0x2800, 0, 100)},
        {Rec(0, 0, kAllPwm, kAllPwmTwin, 0, 0), Tab(0x2000, 0, 100)}},
       {"OUTPUT 2", "Twin command configuration cannot work", ""}},
      {"throttle pair with different frequencies",
       {{Rec(0x800, 0, 0, kAllPwmTwin, 0, 1), Tab(0x2808, 0x800, 500)},
        {Rec(0x800, 0, 0, kAllPwmTwin, 0, 0), Tab(0x280C, 0x800, 1000)}},
       {"OUTPUT 2", "Twin command configuration cannot work", ""}},
      {"a unique code twice",
       {{Rec(0, 0, kAllPwm, 0, 0), Tab(0x2007, 0, 100)}, {Rec(0, 0, kAllPwm, 0, 0), Tab(0x2007, 0, 100)}},
       {"Unique configurations selected more than once", ""}},
      {"a repeatable code twice",
       {{Rec(0, 0, kAllPwm, 0, 0), Tab(0x2000, 0, 100)}, {Rec(0, 0, kAllPwm, 0, 0), Tab(0x2000, 0, 100)}},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Host h;
    ScriptedUi u(h, false);
    auto trimset = std::make_unique<sis::host::Trimset>();
    std::string error;
    ASSERT_TRUE(sis::host::ParseTrimset(MakeTrimset(c.outs), *trimset, error)) << error;
    h.Attach(std::move(trimset));
    ASSERT_TRUE(h.LoadAll(SIS_DEFAULT_PLUGIN_DIR, &error));
    h.Open(kInstance);
    const auto reports = u.Reports();
    EXPECT_EQ(reports.empty() ? std::vector<std::string>{} : reports[0].rows, c.rows);
    EXPECT_EQ(h.Save(kInstance), c.rows.empty());
  }
}

TEST_F(Model, DescriptionsNameTheDetailsOfEachCode) {
  Open(MakeTrimset({
      {Rec(0, 0x13, 0, 0, 0), Tab(0x1000, 1, 0), false},
      {Rec(0, 0x13, 0, 0, 0), Tab(0x1001, 1, 0), false},
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 3), Tab(0x2808, 0x800, 500), false},
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 2), Tab(0x280C, 0x800, 500), false},
      {Rec(0, 0x13, 0, 0, 0), Tab(0x1004, 0, 5), false},
  }));
  EXPECT_EQ(Text(Desc(0)), "On-Off fixed state command (to ground)\nStandard command mode");
  EXPECT_EQ(Text(Desc(1)), "On-Off programmable command inverted\nStandard command mode");
  EXPECT_EQ(Text(Desc(2)), "Motorised throttle PWM twin command positive asynchronous output (500 Hz)\nPush-Pull command mode");
  EXPECT_EQ(Text(Desc(3)), "Motorised throttle PWM twin command negative asynchronous output (500 Hz)\nPush-Pull command mode");
  EXPECT_EQ(Text(Desc(4)), "Error or unknown configuration\n");
}

// The positive throttle output takes its name from the partner's code, even
// when the partner fails its own check.
TEST_F(Model, AThrottleOutputIsNamedAfterAFaultyAsynchronousPartner) {
  Open(MakeTrimset({
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 1), Tab(0x2808, 0x800, 500), false},
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 0), Tab(0x280C, 0x800, 1000), false},
  }));
  EXPECT_EQ(Text(Desc(0)), "Motorised throttle PWM twin command positive asynchronous output (500 Hz)\nPush-Pull command mode");
  EXPECT_EQ(Text(Desc(1)), "Error or unknown configuration\n");
}

TEST_F(Model, DisplayTexts) {
  json t = MakeTrimset({
      {Rec(0, 0x13, 0, 0, 0), Tab(0x1001, 0, 0)},
      {Rec(0, 0, kAllPwm, 0, 0), Tab(0x2000, 0, 100)},
      {Rec(0, 0, kAllPwm, 0, 0), Tab(0x2000, 0, 9)},
  });
  // A display map without a line axis that leads to output 1's second map.
  t["variables"].push_back({{"name", "DISP_MAP"}, {"id", 500}, {"kind", "map"}, {"value", MapValue({0})},
                            {"props", {{"0x40047", static_cast<int32_t>(0xFFFF0005u)}, {"0x40065", 0}, {"0x40061", 401}}}});
  Open(t);
  struct Case {
    const char* verb;
    int32_t a, b, c;
    std::string text;
  } cases[] = {
      {"VALAUXCMD", MapId(0), 1, 0, "      ON"},
      {"VALAUXCMD", MapId(0), 0, 0, "     OFF"},
      {"VALAUXCMD", MapId(0), 2, 0, "  ERROR+"},
      {"VALAUXCMD", MapId(1), 0x4000, 0, "0.500000"},
      {"VALAUXCMD", MapId(1), 0x8001, 0, "  ERROR+"},
      {"VALAUXCMD", MapId(1), 0x8010, 1, "     +16"},
      {"VALAUXCMD", MapId(2), 0x4000, 0, "   16384"},  // output in error
      {"VALAUXCMD", 999, 1, 0, "        "},
      {"VARAUXCMD", 401, 0x2000, 0, "0.250000"},
      {"VARAUXCMD", 500, 0x2000, 0, "0.250000"},
      {"EL0RCOCMD", 0, 0x6000, 0, "0.750000"},
      {"EL0RCOCMD", 0, 0x6000, 1, "-0.25000"},
      {"EL0PIDCMD", 0, 0xC000, 0, "+0.50000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.verb) + " " + std::to_string(c.b));
    EXPECT_EQ(Display(c.verb, c.a, c.b, c.c), c.text);
  }
  EXPECT_EQ(Display("VALAUXCMD", MapId(0), 1, 0).size(), 8u);
}

// With a valid negative throttle output the electric motor regulates the
// throttle: its maps follow the throttle position and its texts are centred
// on 0x4000; otherwise the maps follow the position error and the motor's
// variables are refreshed.
TEST_F(Model, ElectricMotorFollowsTheThrottlePair) {
  json t = MakeTrimset({
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 1), Tab(0x2808, 0x800, 500), false},
      {Rec(0x800, 0, 0, kAllPwmTwin, 0, 0), Tab(0x280C, 0x800, 500), false},
  });
  for (const char* name : {"MAP_ELMOT_DERI_0", "MAP_ELMOT_INTC_0", "MAP_ELMOT_RCO_0"})
    t["variables"].push_back({{"name", name}, {"kind", "map"}, {"value", MapValue({0})}});
  t["variables"].push_back({{"name", "POS_THROTTLE_0"}, {"id", 70}});
  t["variables"].push_back({{"name", "DIF_THROTTLE_0"}, {"id", 71}});
  t["variables"].push_back({{"name", "RCO_ELMOT_0"}});
  Open(t);
  auto operations = [this](const std::string& name) {
    std::vector<int32_t> codes;
    for (const auto& c : host.Calls()) {
      if (c.name == name && (c.code == 0x40039 || c.code == 0x4003a)) codes.push_back(c.code);
    }
    return codes;
  };
  for (const char* map : {"MAP_ELMOT_DERI_0", "MAP_ELMOT_INTC_0"}) EXPECT_EQ(ts->Entry(0x40064, map)->datum, Datum::Int(70));
  EXPECT_TRUE(operations("RCO_ELMOT_0").empty());
  EXPECT_EQ(Display("EL0RCOCMD", 0, 0x6000, 0), "+0.50000");
  EXPECT_EQ(Display("EL0RCOCMD", 0, 0x2000, 0), "-0.50000");
  EXPECT_EQ(Display("EL0PIDCMD", 0, 0xA000, 0), "+0.50000");  // distance doubled

  ASSERT_TRUE(host.SetValue(instance, Part(1), Datum::Words(sis::host::WordTable(Tab(1, 0x800, 0)))));
  for (const char* map : {"MAP_ELMOT_DERI_0", "MAP_ELMOT_INTC_0"}) EXPECT_EQ(ts->Entry(0x40064, map)->datum, Datum::Int(71));
  EXPECT_EQ(operations("RCO_ELMOT_0"), (std::vector<int32_t>{0x40039, 0x4003a}));
  EXPECT_EQ(operations("MAP_ELMOT_RCO_0"), std::vector<int32_t>{0x40039});
  EXPECT_EQ(Display("EL0RCOCMD", 0, 0x6000, 0), "0.750000");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Model, AChangedTableIsCheckedAgain) {
  Open(MakeTrimset(Clean()));
  ASSERT_TRUE(host.SetValue(instance, Part(0), Datum::Words(sis::host::WordTable(Tab(0x2000, 0, 5)))));
  EXPECT_EQ(Text(Desc(0)), "Error or unknown configuration\n");
  EXPECT_EQ(ReportRows(), (std::vector<std::string>{"OUTPUT 1", "Parametric value out off limits", ""}));
  EXPECT_FALSE(host.Save(instance));
  // A faulty output's maps are switched off and lose their axes.
  EXPECT_EQ(ts->Find(Map(0))->switchedOn, 0);
  EXPECT_EQ(ts->Find("MAP2_CMD_0")->switchedOn, 0);
  EXPECT_EQ(ts->Entry(0x40062, Map(0))->datum, Datum::Int(-1));
}

// General rules: a rule holds when one of CN0..CN3 is a code in use and CN6
// is not, and the channel class of measurement CN4 (then CN7, which decides)
// shares a bit with CN5 (CN8). Per-output rules follow the advanced tuning.
TEST_F(Model, RuleValuesFollowCodesChannelsAndAdvancedTuning) {
  struct Case {
    const char* what;
    const char* conditions;
    int32_t value;
  } cases[] = {
      {"a code in use", "CN0 = 0x2000", 1},
      {"no code in use", "CN0 = 0x1000", 0},
      {"any of the four code slots", "CN0 = 0x1000 CN3 = 0x3001", 1},
      {"an excluded code in use", "CN0 = 0x2000 CN6 = 0x2800", 0},
      {"an excluded code not in use", "CN0 = 0x2000 CN6 = 0x1000", 1},
      {"channels alone", "CN4 = 50 CN5 = 0x04", 0},
      {"a shared class bit", "CN0 = 0x2000 CN4 = RPM CN5 = 0x04", 1},
      {"no shared class bit", "CN0 = 0x2000 CN4 = 50 CN5 = 0x08", 0},
      {"the second channel decides: yes", "CN0 = 0x2000 CN4 = 50 CN5 = 0x08 CN7 = 52 CN8 = 0x20", 1},
      {"the second channel decides: no", "CN0 = 0x2000 CN4 = 50 CN5 = 0x04 CN7 = 54 CN8 = 0xFFFF", 0},
      {"a channel not connected", "CN0 = 0x2000 CN4 = 53 CN5 = 0x8000", 1},
      {"an unknown measurement has every class", "CN0 = 0x2000 CN4 = 99 CN5 = 0x01", 1},
  };
  std::string general;
  json functions = json::array();
  for (size_t k = 0; k < std::size(cases); ++k) {
    general += std::string(cases[k].conditions) + " FNC = F" + std::to_string(k) + "\n";
    functions.push_back({{"name", "F" + std::to_string(k)}, {"available", 7}});
  }
  for (size_t i = 0; i < 4; ++i) functions.push_back({{"name", "G" + std::to_string(i)}, {"available", 7}});
  std::vector<Out> outs = Clean();
  outs[0].table = Tab(0x2000, 0, 100, kRpmId, 0, 1);  // tuned with the advanced pages
  outs[1].table = Tab(0x2800, 1, 200, kTpsId);        // an axis beyond the standard input data
  json t = MakeTrimset(outs);
  t["functions"] = functions;
  t["variables"].push_back({{"name", "TXT_RULES"}, {"id", 12}, {"kind", "text"}, {"value", general}});
  t["variables"].push_back({{"name", "TXT_RULES2"}, {"id", 13}, {"kind", "text"},
                            {"value", "CN0 = 1 FNC = G0 CN0 = 1 FNC = G1 CN0 = 1 FNC = G2 CN0 = 1 FNC = G3"}});
  // Channels 300, 1100, unconnected and 1600: classes 0x04, 0x28, 0x8000 and 0.
  for (json& v : t["variables"]) {
    if (v["name"] == "TAB_SENCOMP")
      v["value"] = {kRpmId, 0, 0, 0, 0, 0, 300, 52, 0, 0, 0, 0, 0, 1100, 53, 0, 0, 0, 0, 0, 0xFFFF, 54, 0, 0, 0, 0, 0, 1600};
  }
  Open(t);
  EXPECT_TRUE(Boxes().empty());
  for (size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(cases[k].what);
    EXPECT_EQ(ts->FindFunction("F" + std::to_string(k))->available, cases[k].value);
  }
  const int32_t perOutput[] = {1, 1, 0, 0};
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(ts->FindFunction("G" + std::to_string(i))->available, perOutput[i]) << i;

  // A read-only inputs table gives no classes: every measurement has them all.
  ts->Find("TAB_SENCOMP")->attributes = 0x40000000u;
  ASSERT_TRUE(host.Call("Vt6Cmd", "SENSETCMD", instance, "TAB_SENCOMP"));
  EXPECT_EQ(ts->FindFunction("F7")->available, 1);

  // Nothing is applied while an output's table has an unknown format.
  ts->FindFunction("F0")->available = 7;
  ASSERT_TRUE(host.SetValue(instance, Part(3), Datum::Words(sis::host::WordTable({2, 5, 7, 0x3001, 0, 0, 0, 0, 0, 2, 0, 0}))));
  EXPECT_EQ(ts->FindFunction("F0")->available, 7);
}

// A general rule in use sends 3 to its variables still at 0 when the machine
// connects; while an output is faulty the update waits for the next publish.
TEST_F(Model, TheConnectionUpdateWaitsForAValidConfiguration) {
  std::vector<Out> outs = Clean();
  outs[0].table = Tab(0x2000, 0, 5);
  json t = MakeTrimset(outs);
  // Only single values with a variable identifier whose two states are 0 are sent.
  t["variables"].push_back({{"name", "TXT_RULES"}, {"id", 12}, {"kind", "text"},
                            {"value", "CN0 = 0x2000 DAT = BOOST DAT = A_MAP DAT = FAR DAT = BUSY"}});
  t["variables"].push_back({{"name", "BOOST"}, {"id", 80}, {"value", 0}});
  t["variables"].push_back({{"name", "A_MAP"}, {"id", 82}, {"kind", "map"}, {"value", MapValue({0})}});
  t["variables"].push_back({{"name", "FAR"}, {"id", 0x40000}});
  t["variables"].push_back({{"name", "BUSY"}, {"id", 81}, {"state2", 1}});
  Open(t);
  host.Connect(instance);
  EXPECT_TRUE(Sent().empty());
  ASSERT_TRUE(host.SetValue(instance, Part(0), Datum::Words(sis::host::WordTable(Tab(0x2000, 0, 100)))));
  EXPECT_EQ(Sent(), std::vector<std::string>{"BOOST:3"});
  EXPECT_TRUE(Boxes().empty());
}

class FrenchModel : public CmdHost {
 protected:
  FrenchModel() : CmdHost(1036) {}
};

TEST_F(FrenchModel, TheReportSpeaksFrench) {
  Open(MakeTrimset({{Rec(0, 0x13, 0, 0, 0), Tab(0x2000, 0, 100)}}));
  EXPECT_EQ(ReportRows(), (std::vector<std::string>{"OUTPUT 1", "La configuration de commande choisie n'est pas permise", ""}));
  EXPECT_EQ(Text(Desc(0)), "Configuration en erreur ou inconnue\n");
}

}  // namespace
}  // namespace vt6cmd::testing
