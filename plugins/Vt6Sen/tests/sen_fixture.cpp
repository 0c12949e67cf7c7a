#include "sen_fixture.h"

#include <array>

#include "sis/host/trimset.h"
#include "sis/platform/control.h"

namespace sentest {

using sis::host::Datum;
using sis::host::Kind;
using sis::host::Trimset;
using sis::host::Variable;

int Ui::MessageBox(sis::BoxKind, const std::wstring& text) {
  boxes.push_back(text);
  return sis::kIdOk;
}

int Ui::RunModal(sis::Dialog& dialog) {
  dialogs.push_back(dialog.Title());
  if (onModal) onModal(dialog);
  if (!dialog.IsEnded()) dialog.OnCancel();
  if (!dialog.IsEnded()) dialog.EndDialog(sis::kIdCancel);
  return 0;
}

void Ui::WindowShown(sis::Dialog& dialog) {
  if (std::find(shownReports.begin(), shownReports.end(), &dialog) == shownReports.end()) shownReports.push_back(&dialog);
}

void Ui::WindowHidden(sis::Dialog& dialog) { std::erase(shownReports, &dialog); }

void Act(sis::Dialog& dialog, sis::UserAction::Kind kind, int32_t control, int32_t value) {
  sis::UserAction action;
  action.kind = kind;
  action.control = control;
  action.value = value;
  EXPECT_TRUE(sis::DeliverUserAction(dialog, action)) << "control " << control;
}

std::vector<uint16_t> Assignment(const std::vector<std::array<uint16_t, 5>>& values) {
  static const int32_t keys[] = {kTempKey, kPressKey, kLambdaKey};
  const size_t n = values.size();
  std::vector<uint16_t> t(8 * n + 2, 0);
  t[0] = static_cast<uint16_t>(t.size() * 2);
  t[1] = static_cast<uint16_t>(n);
  for (size_t i = 0; i < n; ++i) {
    t[2 + i] = static_cast<uint16_t>(n + 1 + 7 * i);
    uint16_t* b = &t[n + 2 + 7 * i];
    b[0] = static_cast<uint16_t>(keys[i % 3] & 0xFFFF);
    b[1] = static_cast<uint16_t>(keys[i % 3] >> 16);
    for (size_t w = 0; w < 5; ++w) b[2 + w] = values[i][w];
  }
  return t;
}

SenTest::SenTest() { sis::SetBackend(&ui); }

SenTest::~SenTest() {
  host.UnloadAll();
  sis::SetBackend(nullptr);
}

namespace {

Variable Make(const std::string& name, int32_t id, Kind kind, const std::string& label = "") {
  Variable v;
  v.name = name;
  v.id = id;
  v.kind = kind;
  v.label = label;
  return v;
}

}  // namespace

Trimset& SenTest::Build(int32_t instance) {
  number = instance;
  auto owned = std::make_unique<Trimset>();
  Trimset& t = *owned;
  t.instance = instance;
  t.facts.queries[5] = 5;
  t.SetConstant("VALUSER_LSTSEL", 0x3);
  t.SetConstant("VALUSER_LSTRME", 0x1);
  t.SetConstant("VALUSER_LSTUTI", 0x1);

  auto add = [&](Variable v) { EXPECT_TRUE(t.AddVariable(std::move(v))) << v.name; };
  // Records: key, second, activation, map, structure, average map, further, channel text, classes, kind, channel.
  Variable config = Make("TAB_CNFSEN", kConfigId, Kind::Longs);
  config.longs = sis::host::LongTable({kRulesId, kAssignId, kCompiledId, kListId, kActivationId,
                                       kTempKey, 0, kTempAct, kTempMap, 0, 0, 0, kTempText, 0x8008, 1, 0x201,
                                       kPressKey, 0, kPressAct, 0, kPressStruct, kPressAvgMap, 0, kPressText, 0x8004, 3, 0x101,
                                       kLambdaKey, 0, kLambdaAct, 0, 0, 0, 0, kLambdaText, 0x0020, 2, 0x401});
  add(config);
  Variable rules = Make("SEN_RULES", kRulesId, Kind::Text);
  rules.text = "CN0 = ENGINE_TEMP_0 CN1 = 0x08 FNC = F_TEMP DAT = TEMP_DISPLAY_0\n"
               "CN4 = LAMBDA_0 CN5 = 0x20 SUP = A_LAMBDA";
  add(rules);
  Variable assign = Make("TAB_AFFSEN", kAssignId, Kind::Words, "Inputs assignment");
  assign.words = Assignment({{0x201, 0, 0, 0, 0xFFFF}, {0x101, 0, 0, 0, 0xFFFF}, {0x401, 0, 0, 0, 0xFFFF}});
  add(assign);
  Variable compiled = Make("TAB_COMPSEN", kCompiledId, Kind::Words);
  compiled.words = sis::host::WordTable({0});
  add(compiled);
  Variable list = Make("TAB_LSTVOIE", kListId, Kind::Longs);
  list.longs = sis::host::LongTable({0x101, kChAna1, 0x102, kChAna2, 0x201, kChTemp, 0x401, kChLambda, 0xFFFF, kChNone});
  add(list);
  Variable act = Make("TAB_ACTSEN", kActivationId, Kind::Words);
  act.words = sis::host::WordTable({1, 1, 1});
  add(act);

  add(Make("ENGINE_TEMP_0", kTempKey, Kind::Value, "Engine temperature"));
  add(Make("ENGINE_TEMP_ACT_0", kTempAct, Kind::Value));
  add(Make("ENGINE_TEMP_VOIE_0", kTempText, Kind::Text));
  Variable map = Make("MAP_TEMP_0", kTempMap, Kind::Map);
  sis::host::MapParts parts;
  parts.header[0] = 0x40;  // on-off hysteresis map
  parts.x = {0};
  parts.y = {10, 20};
  parts.values = {{0, 1}};
  map.words = sis::host::BuildMap(parts);
  add(map);
  add(Make("OIL_PRESS_0", kPressKey, Kind::Value, "Oil pressure"));
  add(Make("OIL_PRESS_ACT_0", kPressAct, Kind::Value));
  add(Make("OIL_PRESS_VOIE_0", kPressText, Kind::Text));
  Variable structure = Make("MOY_PRESS_0", kPressStruct, Kind::Words, "Oil pressure average");
  structure.words = {10, 1, 2, static_cast<uint16_t>(kRpm), 0};
  add(structure);
  Variable avg = Make("MAP_MOY_PRESS_0", kPressAvgMap, Kind::Map);
  sis::host::MapParts avgParts;
  avgParts.x = {0, 1000};
  avgParts.y = {0};
  avgParts.values = {{0}, {0}};
  avg.words = sis::host::BuildMap(avgParts);
  add(avg);
  add(Make("LAMBDA_0", kLambdaKey, Kind::Value, "Lambda"));
  add(Make("LAMBDA_ACT_0", kLambdaAct, Kind::Value));
  add(Make("LAMBDA_VOIE_0", kLambdaText, Kind::Text));
  for (auto [name, id, label] : {std::tuple{"VOIE_ANA1", kChAna1, "Analog 1"}, {"VOIE_ANA2", kChAna2, "Analog 2"},
                                 {"VOIE_TEMP1", kChTemp, "Temperature 1"}, {"VOIE_LAMBDA", kChLambda, "Lambda 1"},
                                 {"VOIE_NONE", kChNone, "No input"}}) {
    add(Make(name, id, Kind::Value, label));
    t.Put(0x40041, name, Datum::Text(std::string("use of ") + name));
  }
  // Map scale candidates: category 1 is usual, 2 advanced only; the gear is not selectable.
  Variable rpm = Make("ENGINE_RPMMES_0", kRpm, Kind::Value, "Engine speed");
  rpm.category = 1;
  add(rpm);
  Variable throttle = Make("THROTTLE_0", kThrottle, Kind::Value, "Throttle");
  throttle.category = 2;
  add(throttle);
  Variable gear = Make("GEAR_0", kGear, Kind::Value, "Gear");
  gear.category = 4;
  add(gear);
  add(Make("TEMP_DISPLAY_0", kTempDisplay, Kind::Value));
  t.AddFunction({"F_TEMP", 0});

  const int32_t range[2] = {-40, 150};
  t.Put(0x40026, "ENGINE_TEMP_0", Datum::Raw(8, range, sizeof range));
  t.Put(0x40026, "OIL_PRESS_0", Datum::Raw(8, range, sizeof range));
  t.Put(0x40038, "OIL_PRESS_0", Datum::Text("12.5 bar"));
  t.Put(0x40038, "LAMBDA_0", Datum::Text("  +0.05"));
  t.Put(0x40063, "MAP_MOY_PRESS_0", Datum::Int(kThrottle));

  sis::host::Action inputs;
  inputs.name = "CNF_SEN";
  inputs.table = "TAB_AFFSEN";
  inputs.plugin = "Vt6Sen";
  t.AddAction(inputs);
  sis::host::Action average;
  average.name = "MOD_MAP_MOY_PRESS_0";
  average.table = "MAP_MOY_PRESS_0";
  average.plugin = "Vt6Sen";
  average.begin = "DEBMODSEN";
  average.finished = "FEMMODSEN";
  average.error = "ERRMODSEN";
  average.reset = "RSTMODSEN";
  t.AddAction(average);
  t.AddAction({"A_LAMBDA", "", "", "", "", "", "", 1});

  sis::host::PluginEntry entry;
  entry.name = "Vt6Sen";
  entry.suffix = "SETSEN";
  entry.open = {"TAB_CNFSEN"};
  entry.watches = {{"TABSETSEN", "TAB_AFFSEN"}, {"VERSETSEN", "TAB_ACTSEN"}, {"MAPSETSEN", "MAP_TEMP_0"},
                   {"MODSETSEN", "MOY_PRESS_0"}, {"STASETSEN", "OIL_PRESS_0"}};
  t.plugins.push_back(entry);
  ts = &host.Attach(std::move(owned));
  return *ts;
}

void SenTest::Open() {
  std::string error;
  ASSERT_TRUE(host.LoadAll(VT6SEN_PLUGIN_DIR, &error)) << error;
  host.Open(number);
}

Variable& SenTest::Var(const std::string& name) { return *ts->Find(name); }

std::vector<uint16_t> SenTest::Words(const std::string& name) { return Var(name).words; }

const Datum* SenTest::Stored(int32_t code, const std::string& name) {
  const auto* entry = ts->Entry(code, name);
  return entry && entry->recorded ? &entry->datum : nullptr;
}

std::string SenTest::StoredText(int32_t code, const std::string& name) {
  std::string text;
  if (const Datum* d = Stored(code, name)) d->AsText(text);
  return text;
}

bool SenTest::Finished(const std::string& action) const {
  const std::string wanted = std::to_string(number) + ":" + action;
  for (const auto& f : host.Finished()) {
    if (f == wanted) return true;
  }
  return false;
}

std::vector<std::wstring> SenTest::ReportRows(const std::wstring& titleStart) const {
  for (sis::Dialog* d : ui.shownReports) {
    if (d->Title().rfind(titleStart, 0) != 0 || !d->IsVisible()) continue;
    std::vector<std::wstring> rows;
    if (sis::Control* list = d->Item(d->ReportListId())) {
      for (int32_t i = 0; i < list->ItemCount(); ++i) rows.push_back(list->ItemText(i));
    }
    return rows;
  }
  return {};
}

}  // namespace sentest
