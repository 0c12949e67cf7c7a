// A small Trimset for Vt6Cmd and a host with a scripted user interface.
// Outputs are described by their record (r4..r11) and table fields (words 1
// to 11); names follow the output's index: TAB_CMD_i, TXT_CMD_i, MAP_CMD_i,
// MAP2_CMD_i. Axis variables RPM (id 50, standard) and TPS (id 51, advanced
// only) are offered by the pickers.
#ifndef VT6CMD_TESTS_CMD_FIXTURE_H
#define VT6CMD_TESTS_CMD_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sis/host/host.h"
#include "sis/host/scripted_ui.h"
#include "sis/host/trimset_json.h"

namespace vt6cmd::testing {

using nlohmann::json;
using sis::host::Datum;
using sis::host::Host;
using sis::host::ScriptedUi;
using sis::host::UiAnswer;

struct Out {
  std::vector<int32_t> record;   // r4..r11
  std::vector<uint16_t> table;   // words 1..11
  bool maps = true;
};

// r4..r11: modes, then the six code masks, then the twin.
inline std::vector<int32_t> Rec(int32_t modes, int32_t onOff, int32_t pwm, int32_t pwmTwin, int32_t angular,
                                int32_t twin = 0xFFFF) {
  return {modes, onOff, 0, pwm, pwmTwin, angular, 0, twin};
}
// Words 1..11 of a well-formed table.
inline std::vector<uint16_t> Tab(uint16_t code, uint16_t mode, uint16_t parameter, uint16_t line = 0,
                                 uint16_t column = 0, uint16_t advanced = 0) {
  return {2, 5, 7, code, mode, line, 0, column, 0, parameter, advanced};
}

constexpr int32_t kInstance = 8;
constexpr int32_t kRpmId = 50;
constexpr int32_t kTpsId = 51;

inline std::string Part(size_t i) { return "TAB_CMD_" + std::to_string(i); }
inline std::string Desc(size_t i) { return "TXT_CMD_" + std::to_string(i); }
inline std::string Map(size_t i) { return "MAP_CMD_" + std::to_string(i); }
inline int32_t MapId(size_t i) { return 300 + static_cast<int32_t>(i); }

inline json MapValue(std::vector<uint16_t> values) {
  json line = json::array();
  for (uint16_t v : values) line.push_back(v);
  json y = json::array();
  for (size_t k = 0; k < values.size(); ++k) y.push_back(k * 100);
  return {{"x", {0}}, {"y", y}, {"values", {line}}};
}

inline json MakeTrimset(const std::vector<Out>& outs, int32_t instance = kInstance) {
  json vars = json::array();
  json config = {12, 13, 10, 11};  // words 1-4: rules texts, compiled table, inputs table
  json parts = json::array(), maps = json::array(), actions = json::array();
  for (size_t i = 0; i < outs.size(); ++i) {
    const Out& o = outs[i];
    const int32_t n = static_cast<int32_t>(i);
    config.push_back(100 + n);
    config.push_back(o.maps ? MapId(i) : 0);
    config.push_back(o.maps ? 400 + n : 0);
    config.push_back(200 + n);
    for (int32_t w : o.record) config.push_back(w);
    vars.push_back({{"name", Part(i)}, {"id", 100 + n}, {"kind", "words"}, {"value", o.table},
                    {"label", "Output " + std::to_string(i + 1)}});
    vars.push_back({{"name", Desc(i)}, {"id", 200 + n}, {"kind", "text"}, {"value", ""}});
    if (o.maps) {
      vars.push_back({{"name", Map(i)}, {"id", MapId(i)}, {"kind", "map"}, {"value", MapValue({0, 1, 2, 300})}});
      vars.push_back({{"name", "MAP2_CMD_" + std::to_string(i)}, {"id", 400 + n}, {"kind", "map"},
                      {"value", MapValue({0})}});
      maps.push_back(Map(i));
      actions.push_back({{"name", "MAPSET_" + std::to_string(i)}, {"table", Map(i)}, {"plugin", "Vt6Cmd"}});
      actions.push_back({{"name", "NORM_" + std::to_string(i)}, {"table", Map(i)}, {"plugin", "Vt6Cmd"},
                         {"begin", "NORSETCMD"}});
    }
    parts.push_back(Part(i));
    actions.push_back({{"name", "CMDSET_" + std::to_string(i)}, {"table", Desc(i)}, {"plugin", "Vt6Cmd"}});
  }
  actions.push_back({{"name", "AUXSET"}, {"table", "TAB_CNFCMD"}, {"plugin", "Vt6Cmd"}, {"begin", "AUXSETCMD"}});
  vars.push_back({{"name", "TAB_CNFCMD"}, {"id", 9}, {"kind", "longs"}, {"value", config}});
  vars.push_back({{"name", "TAB_CMDCOMP"}, {"id", 10}, {"kind", "words"}});
  vars.push_back({{"name", "TAB_SENCOMP"}, {"id", 11}, {"kind", "words"}, {"value", {kRpmId, 0, 0, 0, 0, 0, 300}}});
  vars.push_back({{"name", "RPM"}, {"id", kRpmId}, {"category", 3}});
  vars.push_back({{"name", "TPS"}, {"id", kTpsId}, {"category", 1}});
  vars.push_back({{"name", "ENGINE_RPMMES_0"}, {"id", 60}, {"value", 0}});
  return {{"instance", instance},
          {"host", {{"queries", {{"5", 5}}}, {"machine", "BENCH"}}},
          {"constants", {{"VALUSER_LSTSEL", 1}, {"VALUSER_LSTUTI", 2}}},
          {"variables", vars},
          {"actions", actions},
          {"plugins",
           {{{"name", "Vt6Cmd"},
             {"open", {"TAB_CNFCMD"}},
             {"watch", {{"VALSETCMD", parts}, {"MAPSETCMD", maps}, {"SENSETCMD", {"TAB_SENCOMP"}}}}}}}};
}

class CmdHost : public ::testing::Test {
 protected:
  explicit CmdHost(int32_t language = 1033) : host(Options(language)), ui(host, false) {
    ui.SetStepRunner([this](const json& step, std::string& error) { return RunStep(step, error); });
  }
  static sis::host::HostOptions Options(int32_t language) {
    sis::host::HostOptions o;
    o.language = language;
    return o;
  }

  // Attaches and opens the Trimset; `ts` points at it afterwards.
  void Open(const json& trimset) {
    auto t = std::make_unique<sis::host::Trimset>();
    std::string error;
    ASSERT_TRUE(sis::host::ParseTrimset(trimset, *t, error)) << error;
    instance = t->instance;
    ts = &host.Attach(std::move(t));
    ASSERT_TRUE(host.LoadAll(SIS_DEFAULT_PLUGIN_DIR, &error)) << error;
    host.Open(instance);
  }

  // Host events inside a dialog's script: {"set": name, "words": [fields]}.
  bool RunStep(const json& step, std::string& error) {
    if (step.contains("set")) {
      std::vector<uint16_t> fields = step["words"].get<std::vector<uint16_t>>();
      return host.SetValue(instance, step["set"], Datum::Words(sis::host::WordTable(fields)));
    }
    if (step.contains("probe")) {  // what a variable's text is at this moment
      probes.push_back(ts->Find(step["probe"].get<std::string>())->text);
      return true;
    }
    error = "unknown step " + step.dump();
    return false;
  }

  void Dialog(std::string expect, std::vector<json> actions) {
    UiAnswer a;
    a.kind = UiAnswer::Kind::Dialog;
    a.expect = std::move(expect);
    a.actions = std::move(actions);
    ui.Push(std::move(a));
  }
  void Box(std::string expect, std::string button = "") {
    UiAnswer a;
    a.expect = std::move(expect);
    a.button = std::move(button);
    ui.Push(std::move(a));
  }

  std::vector<std::string> ReportRows() const {
    const auto reports = ui.Reports();
    return reports.empty() ? std::vector<std::string>{} : reports.back().rows;
  }
  std::string Text(const std::string& name) const { return ts->Find(name)->text; }
  std::vector<uint16_t> Words(const std::string& name) const { return ts->Find(name)->words; }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> out;
    for (const auto& m : ui.Messages()) out.push_back(m.kind + ": " + m.text);
    return out;
  }
  std::vector<std::string> Sent() const {
    std::vector<std::string> out;
    for (const auto& t : host.Transmissions()) out.push_back(t.variable + ":" + std::to_string(t.value));
    return out;
  }
  std::string Display(const char* name, int32_t a, int32_t b, int32_t c) {
    std::string text;
    EXPECT_TRUE(host.CallText("Vt6Cmd", name, instance, a, b, c, text));
    return text;
  }

  Host host;
  ScriptedUi ui;
  sis::host::Trimset* ts = nullptr;
  int32_t instance = kInstance;
  std::vector<std::string> probes;
};

}  // namespace vt6cmd::testing

#endif
