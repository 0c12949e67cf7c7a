// Vt6Sen in the trial host: opening, the checks and the change verbs.
#include <array>

#include "sen_fixture.h"

namespace sentest {
namespace {

using sis::host::Datum;

constexpr int32_t kWriteText = 0x40042;

std::vector<uint16_t> Compiled(std::initializer_list<std::array<int32_t, 4>> rows) {
  std::vector<uint16_t> t = {0};
  for (const auto& r : rows) {
    for (int k = 0; k < 3; ++k) {
      const int32_t id = r[static_cast<size_t>(k)];
      t.push_back(id == -1 ? 0 : static_cast<uint16_t>(id & 0xFFFF));
      t.push_back(id == -1 ? 0xFFFF : static_cast<uint16_t>(id >> 16));
    }
    t.push_back(static_cast<uint16_t>(r[3]));
  }
  t[0] = static_cast<uint16_t>(t.size() * 2);
  return t;
}

TEST_F(SenTest, OpensCleanAndKeepsTheHostInStep) {
  Build();
  Open();
  EXPECT_TRUE(ui.boxes.empty());
  EXPECT_TRUE(host.Save(number));
  EXPECT_EQ(Words("TAB_COMPSEN"), Compiled({{kTempKey, -1, kTempMap, 0x201},
                                             {kPressKey, -1, -1, 0x101},
                                             {kLambdaKey, -1, -1, 0x401}}));
  EXPECT_EQ(StoredText(kWriteText, "ENGINE_TEMP_VOIE_0"), "Temperature 1");
  EXPECT_EQ(Var("ENGINE_TEMP_VOIE_0").text, "use of VOIE_TEMP1");
  // The lambda input has state texts (kind 2 on a class 0x28 channel); the temperature (kind 1) has none.
  const Datum* texts = Stored(0x40079, "LAMBDA_0");
  ASSERT_TRUE(texts);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(texts->bytes.data())), "No error");
  EXPECT_FALSE(Stored(0x40079, "ENGINE_TEMP_0"));
  EXPECT_FALSE(Stored(0x4007A, "OIL_PRESS_0"));  // kind 3 has bit 1: texts attached
  EXPECT_TRUE(Stored(0x40079, "OIL_PRESS_0"));
  // Rules: the temperature is on a class 0x08 channel, the lambda on 0x28.
  EXPECT_EQ(ts->FindFunction("F_TEMP")->available, 1);
  EXPECT_EQ(Var("TEMP_DISPLAY_0").switchedOn, 1);
  EXPECT_EQ(ts->FindAction("A_LAMBDA")->available, 1);
  // The average map learns its vertical scale variable.
  EXPECT_EQ(Stored(0x40062, "MAP_MOY_PRESS_0")->AsInt(), kRpm);
  EXPECT_EQ(Var("TAB_AFFSEN").errorMark, 0);
}

TEST_F(SenTest, ReadingFaultsAbortTheOpening) {
  struct Case {
    const char* label;
    std::function<void(SenTest&)> spoil;
  };
  const std::vector<Case> cases = {
      {"record word count", [](SenTest& t) { t.Var("TAB_CNFSEN").longs = sis::host::LongTable({1, 2, 3, 4, 5, 6}); }},
      {"channel 0x600", [](SenTest& t) { t.Var("TAB_LSTVOIE").longs[1] = 0x600; }},
      {"channel below 0x100", [](SenTest& t) { t.Var("TAB_LSTVOIE").longs[1] = 0xFF; }},
      {"classes outside 0x803C", [](SenTest& t) { t.Var("TAB_CNFSEN").longs[6 + 8] = 0x8001; }},
      {"replacement kind 4", [](SenTest& t) { t.Var("TAB_CNFSEN").longs[6 + 9] = 4; }},
      {"own channel not listed", [](SenTest& t) { t.Var("TAB_CNFSEN").longs[6 + 10] = 0x102 + 0x400; }},
      {"unresolvable key", [](SenTest& t) { t.Var("TAB_CNFSEN").longs[6] = 0x7777; }},
      {"rejected rules", [](SenTest& t) { t.Var("SEN_RULES").text = "CN0 = 1"; }},
      {"missing constant", [](SenTest& t) { t.ts->SetConstant("VALUSER_LSTUTI", 0); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host.UnloadAll();
    ui.boxes.clear();
    Build();
    c.spoil(*this);
    Open();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_NE(LastBox().find(L"Homogeneity control of measurement inputs management aborted"), std::wstring::npos);
    EXPECT_TRUE(Finished("TAB_CNFSEN"));
    EXPECT_FALSE(host.Save(number));
    const auto rows = ReportRows(L"Inputs configuration errors");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], L"TRIMSET MAJOR ERROR");
  }
}

TEST_F(SenTest, AssignmentCheckMessages) {
  struct Case {
    const char* label;
    std::vector<std::array<uint16_t, 5>> blocks;
    std::vector<std::wstring> rows;  // inputs report rows, empty when hidden
    uint16_t compiledTempChannel;
  };
  const std::vector<Case> cases = {
      {"temperature inactive", {{0xFFFF, 0, 0, 0, 0xFFFF}, {0x101, 0, 0, 0, 0}, {0x401, 0, 0, 0, 0}}, {}, 0xFFFF},
      {"unknown channel",
       {{0x333, 0, 0, 0, 0}, {0x101, 0, 0, 0, 0}, {0x401, 0, 0, 0, 0}},
       {L"ENGINE TEMPERATURE", L"Unknown measurement channel", L""},
       0xFFFF},
      {"channel of another class",
       {{0x101, 0, 0, 0, 0}, {0x101, 0, 0, 0, 0}, {0x401, 0, 0, 0, 0}},
       {L"ENGINE TEMPERATURE", L"Input channel type not allowed by the measurement to be performed",
        L"Input channel not allowed by the measurement", L""},
       0xFFFF},
      {"all on their own channels", {{0x201, 0, 0, 0, 0}, {0x101, 1, 7, 0, 0}, {0x401, 0, 0, 0, 0}}, {}, 0x201},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host.UnloadAll();
    Build();
    Var("TAB_AFFSEN").words = Assignment(c.blocks);
    Open();
    EXPECT_EQ(ReportRows(L"Inputs configuration errors"), c.rows);
    EXPECT_EQ(Words("TAB_COMPSEN")[7], c.compiledTempChannel);
    EXPECT_EQ(host.Save(number), c.rows.empty());
    EXPECT_EQ(Var("TAB_AFFSEN").errorMark, c.rows.empty() ? 0 : 1);
  }
}

TEST_F(SenTest, ChannelUsedTwiceAndRefusedReplacement) {
  Build();
  // The lambda's own channel becomes the pressure's: the second user is refused.
  Var("TAB_CNFSEN").longs[6 + 11 + 10] = 0x401;
  Var("TAB_CNFSEN").longs[6 + 11 + 8] = 0x8024;
  auto blocks = Assignment({{0x201, 1, 0, 0, 0}, {0x401, 0, 0, 0, 0}, {0x401, 0, 0, 0, 0}});
  Var("TAB_AFFSEN").words = blocks;
  Var("TAB_CNFSEN").longs[6 + 9] = 0;  // the temperature allows no replacement, yet b3 bit 0 is set
  Open();
  EXPECT_EQ(ReportRows(L"Inputs configuration errors"),
            (std::vector<std::wstring>{L"ENGINE TEMPERATURE", L"Requested error replacement is not allowed", L"",
                                       L"LAMBDA", L"Measurement channel already used", L""}));
  EXPECT_EQ(StoredText(kWriteText, "LAMBDA_VOIE_0"), "Configuration error or unknown configuration");
  EXPECT_FALSE(host.Save(number));
}

TEST_F(SenTest, UnknownFormatBlocksEditingAndSaving) {
  Build();
  Var("TAB_AFFSEN").words[5] = 0x1234;  // first block's key
  Open();
  const auto rows = ReportRows(L"Inputs configuration errors");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], L"Unknown inputs configuration");
  EXPECT_EQ(Var("TAB_AFFSEN").errorMark, 1);
  EXPECT_EQ(Words("TAB_COMPSEN"), sis::host::WordTable({0}));  // not rewritten
  EXPECT_FALSE(host.Save(number));
  host.Begin(number, "CNF_SEN");
  EXPECT_NE(LastBox().find(L"Inputs configuration table format unknown"), std::wstring::npos);
  EXPECT_TRUE(Finished("CNF_SEN"));
  EXPECT_TRUE(ui.dialogs.empty());
}

TEST_F(SenTest, AbsentAssignmentTableLeavesStatusUnreceived) {
  Build();
  Var("TAB_AFFSEN").attributes = 0;  // no attribute class
  Open();
  EXPECT_TRUE(host.Save(number));
  host.Begin(number, "CNF_SEN");
  EXPECT_NE(LastBox().find(L"has not been received"), std::wstring::npos);
  EXPECT_TRUE(Finished("CNF_SEN"));
}

TEST_F(SenTest, FileInstanceMergesAPastedTableAndIgnoresItsEcho) {
  Build(2);
  Open();
  const auto before = Words("TAB_AFFSEN");
  // A table pasted from another Trimset: a foreign block and the temperature deactivated.
  std::vector<uint16_t> pasted = Assignment({{0xFFFF, 0, 0, 0, 0xFFFF}, {0x101, 0, 0, 0, 0xFFFF}});
  pasted[5 + 7] = 0x0999;  // second block's key is foreign
  const size_t callsBefore = host.Calls().size();
  ASSERT_TRUE(host.SetValue(number, "TAB_AFFSEN", Datum::Words(pasted)));
  auto expected = before;
  Block(expected, 0, 2) = 0xFFFF;
  EXPECT_EQ(Words("TAB_AFFSEN"), expected);
  EXPECT_EQ(Words("TAB_COMPSEN")[7], 0xFFFF);
  // The rewrite came back once as a change notice and was not checked again.
  size_t compiledWrites = 0, echoes = 0;
  for (size_t i = callsBefore; i < host.Calls().size(); ++i) {
    const auto& call = host.Calls()[i];
    if (call.code == 0x40032 && call.name == "TAB_COMPSEN") ++compiledWrites;
    if (call.code == 0x40020 && call.name == "TAB_AFFSEN") ++echoes;
  }
  EXPECT_EQ(compiledWrites, 1u);
  EXPECT_EQ(echoes, 1u);  // the pasted table's notice only
}

TEST_F(SenTest, MapAndStructureChanges) {
  Build();
  Open();
  auto map = Words("MAP_TEMP_0");
  map.back() = 2;  // a value of 2 on the hysteresis map
  ASSERT_TRUE(host.SetValue(number, "MAP_TEMP_0", Datum::Words(map)));
  EXPECT_EQ(ReportRows(L"Sensors maps conversion errors"),
            (std::vector<std::wstring>{L"ENGINE TEMPERATURE",
                                       L"Map datas are not only ON-OFF : on this hyteresis map, all the non zero "
                                       L"values are considered as ON and zero values as OFF",
                                       L""}));
  EXPECT_EQ(Var("MAP_TEMP_0").errorMark, 1);
  EXPECT_FALSE(host.Save(number));
  map.back() = 1;
  ASSERT_TRUE(host.SetValue(number, "MAP_TEMP_0", Datum::Words(map)));
  EXPECT_TRUE(ReportRows(L"Sensors maps conversion errors").empty());
  EXPECT_TRUE(host.Save(number));

  // An unknown scale variable, then "no variable" as the Map scale dialog writes it.
  ASSERT_TRUE(host.SetValue(number, "MOY_PRESS_0", Datum::Words({10, 1, 2, 0x4444, 0})));
  EXPECT_EQ(ReportRows(L"Inputs average maps configuration errors").size(), 3u);
  EXPECT_EQ(Stored(0x40062, "MAP_MOY_PRESS_0")->AsInt(), -1);
  EXPECT_FALSE(host.Save(number));
  const size_t callsBefore = host.Calls().size();
  ASSERT_TRUE(host.SetValue(number, "MOY_PRESS_0", Datum::Words({10, 1, 2, 0, 0xFFFF})));
  EXPECT_EQ(Stored(0x40062, "MAP_MOY_PRESS_0")->AsInt(), static_cast<int32_t>(0xFFFF0000u));
  EXPECT_TRUE(host.Save(number));
  // Not configured: no name is looked up for the scale (no walk over every variable).
  for (size_t i = callsBefore; i < host.Calls().size(); ++i) {
    EXPECT_NE(host.Calls()[i].code, 0x40002);
    EXPECT_NE(host.Calls()[i].code, 0x20040);
  }
}

TEST_F(SenTest, ActivationSynchronisation) {
  for (int32_t instance : {2, 9}) {
    SCOPED_TRACE(instance);
    host.UnloadAll();
    Build(instance);
    Var("TAB_ACTSEN").words = sis::host::WordTable({1});  // one word short
    Var("ENGINE_TEMP_ACT_0").value = 1;
    Var("OIL_PRESS_ACT_0").value = 1;
    Open();
    // The table differed from the variables' values: it was rewritten from them,
    // sent from a machine, marked on a file.
    EXPECT_EQ(Words("TAB_ACTSEN"), sis::host::WordTable({1, 1, 0}));
    const bool sent = !host.Transmissions().empty() && host.Transmissions().back().variable == "TAB_ACTSEN";
    EXPECT_EQ(sent, instance > 7);
    EXPECT_EQ(Var("TAB_ACTSEN").errorMark, instance > 7 ? 0 : 1);
    // A change of the table goes to the measurements' activation variables.
    ASSERT_TRUE(host.SetValue(number, "TAB_ACTSEN", Datum::Words(sis::host::WordTable({0, 1, 1}))));
    EXPECT_EQ(Var("ENGINE_TEMP_ACT_0").value, 0);
    EXPECT_EQ(Var("LAMBDA_ACT_0").value, 1);
  }
}

TEST_F(SenTest, ChangesWithoutAPresentValueAreNotRead) {
  for (const char* name : {"TAB_AFFSEN", "TAB_ACTSEN", "MAP_TEMP_0", "MOY_PRESS_0"}) {
    SCOPED_TRACE(name);
    host.UnloadAll();
    host.ClearOverrides();
    Build();
    Open();
    host.Override(0x40020, name, 0, Datum::Int(0));
    const size_t callsBefore = host.Calls().size();
    ASSERT_TRUE(host.SetValue(number, name, Datum::Words(Words(name))));
    bool asked = false, read = false;
    for (size_t i = callsBefore; i < host.Calls().size(); ++i) {
      const auto& call = host.Calls()[i];
      asked = asked || (call.code == 0x40020 && call.name == name);
      read = read || (call.code == 0x40030 && call.name == name);
    }
    EXPECT_TRUE(asked);
    EXPECT_FALSE(read);
  }
}

TEST_F(SenTest, StateCopyAndDisconnection) {
  Build(8);
  ts->Put(0x4003B, "OIL_PRESS_0", Datum::Int(5));
  Open();
  host.Call("Vt6Sen", "STASETSEN", number, "OIL_PRESS_0");
  ASSERT_TRUE(Stored(0x40036, "OIL_PRESS_ACT_0"));
  EXPECT_EQ(Stored(0x40036, "OIL_PRESS_ACT_0")->AsInt(), 1);
  Var("TAB_ACTSEN").state1 = 1;
  Var("TAB_ACTSEN").state2 = 1;
  host.Call("Vt6Sen", "DECSETSEN", number, "");
  ASSERT_FALSE(host.Transmissions().empty());
  EXPECT_EQ(host.Transmissions().back().variable, "TAB_ACTSEN");
  EXPECT_EQ(host.Transmissions().back().value, 1);
}

TEST_F(SenTest, ConnectionBeforeAUsableCheckIsAppliedAfterIt) {
  Build(8);
  Var("TAB_AFFSEN").words = Assignment({{0x101, 0, 0, 0, 0}, {0x101, 0, 0, 0, 0}, {0x401, 0, 0, 0, 0}});
  Open();
  host.Call("Vt6Sen", "CONSETSEN", number, "");
  auto sentWith3 = [&] {
    for (const auto& t : host.Transmissions()) {
      if (t.variable == "TEMP_DISPLAY_0" && t.value == 3) return true;
    }
    return false;
  };
  EXPECT_FALSE(sentWith3());
  ASSERT_TRUE(host.SetValue(number, "TAB_AFFSEN",
                            Datum::Words(Assignment({{0x201, 0, 0, 0, 0}, {0x101, 0, 0, 0, 0}, {0x401, 0, 0, 0, 0}}))));
  EXPECT_TRUE(sentWith3());
}

TEST_F(SenTest, ConnectionRulesSendOnlyToIdleSingleValues) {
  // The first rule holds (temperature on a class 0x08 channel) and names TEMP_DISPLAY_0.
  struct Case {
    const char* label;
    std::function<void(SenTest&)> setup;
    bool sent;
    std::wstring box;  // expected last box, "" for none
  };
  const std::vector<Case> cases = {
      {"idle single value", [](SenTest&) {}, true, L""},
      {"a table", [](SenTest& t) { t.Var("TEMP_DISPLAY_0").kindCode = 1; }, false, L""},
      {"identifier from 0x40000",
       [](SenTest& t) { t.host.Override(0x40000, "TEMP_DISPLAY_0", 0, Datum::Int(0x40000)); }, false, L""},
      {"busy", [](SenTest& t) { t.Var("TEMP_DISPLAY_0").state2 = 1; }, false, L""},
      {"kind unreadable", [](SenTest& t) { t.host.Override(0x40001, "TEMP_DISPLAY_0", 3); }, false,
       L"VALTOR\nAction canceled\nDll action error"},
      {"kind without data", [](SenTest& t) { t.host.Override(0x40001, "TEMP_DISPLAY_0", 0, Datum()); }, false,
       L"VALTOR\nAction canceled\nDravix internal error"},
      {"sending refused", [](SenTest& t) { t.host.Override(0x40050, "TEMP_DISPLAY_0", 5); }, false,
       L"VALTOR\nAction canceled\nDll transfert error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host.UnloadAll();
    host.ClearOverrides();
    ui.boxes.clear();
    Build(8);
    Open();
    c.setup(*this);
    const size_t sentBefore = host.Transmissions().size();
    host.Call("Vt6Sen", "CONSETSEN", number, "");
    bool sent = false;
    for (size_t i = sentBefore; i < host.Transmissions().size(); ++i) {
      const auto& t = host.Transmissions()[i];
      sent = sent || (t.variable == "TEMP_DISPLAY_0" && t.value == 3);
    }
    EXPECT_EQ(sent, c.sent);
    EXPECT_EQ(LastBox(), c.box);
  }
}

TEST_F(SenTest, FrenchSatellite) {
  host.Options().language = 1036;
  Build();
  Var("TAB_AFFSEN").words[5] = 0x1234;  // first block's key: unknown format
  Open();
  const auto rows = ReportRows(L"Erreurs de configuration des entrées");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], L"ERREUR MAJEURE DU TRIMSET");
  EXPECT_EQ(rows[2], L"Configuration des entrées inconnue");
  host.Begin(number, "CNF_SEN");
  EXPECT_NE(LastBox().find(L"Format de la table de configuration des entrées inconnu"), std::wstring::npos);
}

}  // namespace
}  // namespace sentest
