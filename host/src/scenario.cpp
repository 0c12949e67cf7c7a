#include "sis/host/scenario.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <map>

#include "sis/host/text1252.h"
#include "sis/host/trimset_json.h"

namespace sis::host {

using nlohmann::json;

namespace {

bool IsDir(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DirOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

std::string Resolve(const std::string& baseDir, const std::string& path) {
  return path.empty() || path[0] == '/' ? path : baseDir + "/" + path;
}

bool ParseLanguage(const json& j, int32_t& language, std::string& error) {
  if (j == "en") language = 1033;
  else if (j == "fr") language = 1036;
  else return (error = "lang: expected \"en\" or \"fr\", got " + j.dump(), false);
  return true;
}

bool Need(const json& step, const char* key, const std::string& where, std::string& error) {
  if (step.contains(key)) return true;
  error = where + ": needs \"" + key + "\"";
  return false;
}

bool GetText(const json& step, const char* key, const std::string& where, std::string& out, std::string& error) {
  return Need(step, key, where, error) && ParseText(step[key], where + "." + key, out, error);
}

bool TextList(const json& j, const std::string& where, std::vector<std::string>& out, std::string& error) {
  if (!j.is_array()) return (error = where + ": expected a list of texts", false);
  for (const auto& item : j) {
    if (!item.is_string()) return (error = where + ": expected a list of texts", false);
    out.push_back(item.get<std::string>());
  }
  return true;
}

// The keys each host step takes besides "do" and "instance": a misspelt key
// is reported rather than silently ignored. Null: not a host step.
const std::vector<std::string>* StepKeys(const std::string& what) {
  static const std::map<std::string, std::vector<std::string>> keys = {
      {"open", {}}, {"close", {}}, {"connect", {}}, {"disconnect", {}}, {"pump", {}}, {"clear_overrides", {}},
      {"save", {"expect", "vetoed"}}, {"begin", {"action", "verb"}}, {"call", {"plugin", "export", "name"}},
      {"text", {"plugin", "export", "args", "expect"}}, {"set", {"name", "value"}}, {"advance", {"ms"}},
      {"fail_transmission", {"name", "text"}}, {"fail_reset", {"fail"}},
      {"override", {"code", "name", "result", "reply"}}, {"part_finished", {"plugin", "name"}},
      {"error", {"plugin", "name", "text"}}, {"reset", {"plugin", "action"}},
      {"expect", {"trace", "absent", "values", "vetoed", "resets", "transmitted", "running"}},
  };
  auto it = keys.find(what);
  return it == keys.end() ? nullptr : &it->second;
}

// A step's plug-in must be one the Trimset lists.
bool KnownPlugin(const Trimset& ts, const std::string& plugin, const std::string& where, std::string& error) {
  if (ts.Plugin(plugin) != nullptr) return true;
  error = where + ": no plug-in " + plugin + " in the Trimset";
  return false;
}

}  // namespace

bool OnlyStepKeys(const json& step, const std::vector<std::string>& allowed, const std::string& where,
                  std::string& error) {
  for (auto it = step.begin(); it != step.end(); ++it) {
    const std::string& k = it.key();
    if (k == "do" || k == "instance" || std::find(allowed.begin(), allowed.end(), k) != allowed.end()) continue;
    error = (where.empty() ? "" : where + ": ") + "unknown key \"" + k + "\"";
    return false;
  }
  return true;
}

std::string DefaultPluginDir() {
  if (IsDir(SIS_DEFAULT_PLUGIN_DIR)) return SIS_DEFAULT_PLUGIN_DIR;
  char exe[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  const std::string dir = n > 0 ? DirOf(std::string(exe, static_cast<size_t>(n))) : ".";
  return IsDir(dir + "/plugins") ? dir + "/plugins" : dir;
}

bool ScenarioRunner::Load(const std::string& path, std::string& error) {
  json j;
  if (!ReadJsonFile(path, j, error)) return false;
  if (!Parse(j, DirOf(path), error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

bool ScenarioRunner::Parse(const json& j, const std::string& baseDir, std::string& error) {
  if (!j.is_object()) return (error = "expected an object", false);
  for (auto it = j.begin(); it != j.end(); ++it) {
    const std::string& k = it.key();
    if (k != "trimset" && k != "plugins" && k != "lang" && k != "timerPeriod" && k != "unanswered" && k != "steps")
      return (error = "unknown key \"" + k + "\"", false);
  }
  if (!j.contains("trimset")) return (error = "a scenario needs a \"trimset\"", false);
  if (j["trimset"].is_string()) {
    const std::string path = Resolve(baseDir, j["trimset"].get<std::string>());
    if (!ReadJsonFile(path, trimset_, error)) return false;
  } else {
    trimset_ = j["trimset"];
  }
  Trimset check;
  if (!ParseTrimset(trimset_, check, error)) return (error = "trimset: " + error, false);
  if (j.contains("plugins")) {
    if (!j["plugins"].is_string()) return (error = "plugins: expected a folder", false);
    pluginDir_ = Resolve(baseDir, j["plugins"].get<std::string>());
  }
  if (j.contains("lang") && !ParseLanguage(j["lang"], language_, error)) return false;
  if (j.contains("timerPeriod") && !ParseInt32(j["timerPeriod"], "timerPeriod", timerPeriod_, error)) return false;
  if (j.contains("unanswered") && !ParseInt32(j["unanswered"], "unanswered", unanswered_, error)) return false;
  steps_ = j.value("steps", json::array());
  if (!steps_.is_array()) return (error = "steps: expected a list", false);
  // Check every step before anything runs, against a host that has the Trimset.
  Host dry;
  dry.Attach(std::make_unique<Trimset>(std::move(check)));
  std::ostream null(nullptr);
  for (size_t i = 0; i < steps_.size(); ++i)
    if (!Step(dry, steps_[i], i, true, null, error)) return false;
  return true;
}

int ScenarioRunner::Run(const RunSettings& settings, std::ostream& out, std::string& error) {
  HostOptions options;
  options.language = settings.language != 0 ? settings.language : language_;
  options.timerPeriod = timerPeriod_;
  options.failure = settings.failure ? *settings.failure : unanswered_;
  host_.reset();  // the previous run's plug-ins end first
  host_ = std::make_unique<Host>(options);
  if (settings.trace) host_->GetTrace().Echo(&out);
  auto ts = std::make_unique<Trimset>();
  if (!ParseTrimset(trimset_, *ts, error)) return 2;
  host_->Attach(std::move(ts));
  const std::string dir =
      !settings.pluginDir.empty() ? settings.pluginDir : !pluginDir_.empty() ? pluginDir_ : DefaultPluginDir();
  cursor_ = windowStart_ = 0;
  failures_ = 0;
  size_t current = 0;
  if (extension_ != nullptr) {
    extension_->Started(*host_, [this, &out, &current](const json& step, std::string& why) {
      return Step(*host_, step, current, false, out, why);
    });
  }
  if (!host_->LoadAll(dir, &error)) return 2;
  for (size_t i = 0; i < steps_.size(); ++i) {
    current = i;
    std::string why;
    if (!Step(*host_, steps_[i], i, false, out, why)) {
      ++failures_;
      out << "FAIL " << why << '\n';
    }
  }
  if (extension_ != nullptr) {
    for (const auto& fault : extension_->Finished(*host_)) {
      ++failures_;
      out << "FAIL " << fault << '\n';
    }
  }
  out << "scenario: " << steps_.size() << " steps, " << failures_ << " failed\n";
  return failures_ == 0 ? 0 : 1;
}

bool ScenarioRunner::Step(Host& host, const json& step, size_t index, bool dry, std::ostream& out, std::string& error) {
  if (!step.is_object() || !step.contains("do") || !step["do"].is_string())
    return (error = "steps[" + std::to_string(index) + "]: expected {\"do\": ...}", false);
  const std::string what = step["do"].get<std::string>();
  const std::string where = "step " + std::to_string(index + 1) + " (" + what + ")";
  const int32_t defaultInstance = host.Instances().empty() ? 1 : host.Instances().front();
  int32_t instance = defaultInstance;
  if (step.contains("instance") && !ParseInt32(step["instance"], where + ".instance", instance, error)) return false;
  Trimset* ts = host.Find(instance);
  if (ts == nullptr) return (error = where + ": no Trimset on instance " + std::to_string(instance), false);
  if (const std::vector<std::string>* keys = StepKeys(what); keys && !OnlyStepKeys(step, *keys, where, error))
    return false;

  if (what == "open" || what == "close" || what == "connect" || what == "disconnect" || what == "pump") {
    if (dry) return true;
    if (what == "open") host.Open(instance);
    else if (what == "close") host.Close(instance);
    else if (what == "connect") host.Connect(instance);
    else if (what == "disconnect") host.Disconnect(instance);
    else host.Pump();
    return true;
  }
  if (what == "save") {
    std::string expect;
    if (step.contains("expect")) {
      expect = step["expect"].is_string() ? step["expect"].get<std::string>() : "";
      if (expect != "allowed" && expect != "vetoed")
        return (error = where + ".expect: expected \"allowed\" or \"vetoed\"", false);
    }
    std::vector<std::string> vetoed;
    if (step.contains("vetoed") && !TextList(step["vetoed"], where + ".vetoed", vetoed, error)) return false;
    if (dry) return true;
    const bool allowed = host.Save(instance);
    std::string vetoes;
    for (const auto& v : host.Vetoes(instance)) vetoes += (vetoes.empty() ? "" : ", ") + v;
    if (!expect.empty() && (expect == "allowed") != allowed) {
      error = where + ": save\n  - expected: " + expect + "\n  + actual:   " +
              (allowed ? "allowed" : "vetoed by " + vetoes);
      return false;
    }
    if (step.contains("vetoed") && host.Vetoes(instance) != vetoed) {
      error = where + ": vetoes\n  - expected: " + json(vetoed).dump() + "\n  + actual:   " +
              json(host.Vetoes(instance)).dump();
      return false;
    }
    return true;
  }
  if (what == "begin") {
    std::string action, verb;
    if (!GetText(step, "action", where, action, error)) return false;
    if (step.contains("verb") && !ParseText(step["verb"], where + ".verb", verb, error)) return false;
    Action* a = ts->FindAction(action);
    if (a == nullptr || ts->Plugin(a->plugin) == nullptr)
      return (error = where + ": no plug-in action \"" + Cp1252ToUtf8(action) + "\" in the Trimset", false);
    if (dry) return true;
    if (!host.Begin(instance, action, verb)) return (error = where + ": the begin verb is missing", false);
    return true;
  }
  if (what == "call") {
    std::string plugin, exportName, name;
    if (!GetText(step, "plugin", where, plugin, error) || !GetText(step, "export", where, exportName, error) ||
        !KnownPlugin(*ts, plugin, where, error))
      return false;
    if (step.contains("name") && !ParseText(step["name"], where + ".name", name, error)) return false;
    if (dry) return true;
    if (!host.Call(plugin, exportName, instance, name))
      return (error = where + ": " + plugin + " has no export " + exportName, false);
    return true;
  }
  if (what == "text") {
    std::string plugin, exportName, expect;
    int32_t args[3] = {0, 0, 0};
    if (!GetText(step, "plugin", where, plugin, error) || !GetText(step, "export", where, exportName, error) ||
        !KnownPlugin(*ts, plugin, where, error))
      return false;
    if (step.contains("args")) {
      const json& a = step["args"];
      if (!a.is_array() || a.size() > 3) return (error = where + ".args: expected up to three integers", false);
      for (size_t i = 0; i < a.size(); ++i)
        if (!ParseInt32(a[i], where + ".args", args[i], error)) return false;
    }
    const bool check = step.contains("expect");
    if (check && !ParseText(step["expect"], where + ".expect", expect, error)) return false;
    if (dry) return true;
    std::string text;
    if (!host.CallText(plugin, exportName, instance, args[0], args[1], args[2], text))
      return (error = where + ": " + plugin + " " + exportName + " gave no text", false);
    if (check && text != expect) {
      error = where + ": " + exportName + "\n  - expected: \"" + Cp1252ToUtf8(expect) + "\"\n  + actual:   \"" +
              Cp1252ToUtf8(text) + "\"";
      return false;
    }
    return true;
  }
  if (what == "set") {
    std::string name;
    if (!GetText(step, "name", where, name, error) || !Need(step, "value", where, error)) return false;
    const Variable* var = ts->Find(name);
    if (var == nullptr) return (error = where + ": no variable \"" + Cp1252ToUtf8(name) + "\"", false);
    Variable value = *var;
    if (!ParseValue(step["value"], var->kind, where + ".value", value, error)) return false;
    if (dry) return true;
    host.SetValue(instance, name, value.Value());
    return true;
  }
  if (what == "advance") {
    int32_t ms = 0;
    if (!Need(step, "ms", where, error) || !ParseInt32(step["ms"], where + ".ms", ms, error)) return false;
    if (dry) return true;
    host.Advance(ms);
    return true;
  }
  if (what == "fail_transmission") {
    std::string name, text = "Transmission error";
    if (!GetText(step, "name", where, name, error)) return false;
    if (step.contains("text") && !ParseText(step["text"], where + ".text", text, error)) return false;
    if (!dry) host.FailTransmission(instance, name, text);
    return true;
  }
  if (what == "fail_reset") {
    if (step.contains("fail") && !step["fail"].is_boolean()) return (error = where + ".fail: expected true or false", false);
    const bool fail = step.value("fail", true);
    if (!dry) host.FailMachineReset(instance, fail);
    return true;
  }
  if (what == "override") {
    int32_t code = 0, result = 0;
    std::string name = "*";
    std::optional<Datum> reply;
    if (!Need(step, "code", where, error) || !ParseInt32(step["code"], where + ".code", code, error)) return false;
    if (step.contains("name") && !ParseText(step["name"], where + ".name", name, error)) return false;
    if (step.contains("result") && !ParseInt32(step["result"], where + ".result", result, error)) return false;
    if (step.contains("reply")) {
      Datum d;
      if (!ParseDatum(step["reply"], where + ".reply", d, error)) return false;
      reply = d;
    }
    if (!dry) host.Override(code, name, result, reply);
    return true;
  }
  if (what == "clear_overrides") {
    if (!dry) host.ClearOverrides();
    return true;
  }
  if (what == "part_finished" || what == "error" || what == "reset") {
    std::string plugin, name, text = "Transmission error", action;
    if (!GetText(step, "plugin", where, plugin, error) || !KnownPlugin(*ts, plugin, where, error)) return false;
    if (what != "reset" && !GetText(step, "name", where, name, error)) return false;
    if (step.contains("text") && !ParseText(step["text"], where + ".text", text, error)) return false;
    if (step.contains("action") && !ParseText(step["action"], where + ".action", action, error)) return false;
    if (dry) return true;
    const bool ok = what == "part_finished" ? host.DeliverPartFinished(instance, plugin, name)
                    : what == "error"       ? host.DeliverError(instance, plugin, name, text)
                                            : host.DeliverReset(instance, plugin, action);
    if (!ok) return (error = where + ": " + plugin + " has no action running", false);
    return true;
  }
  if (what == "expect") return Expect(host, step, index, out, error, dry);
  if (extension_ != nullptr) {
    std::string why;
    const StepRunner nested = [&](const json& inner, std::string& innerError) {
      return Step(host, inner, index, dry, out, innerError);
    };
    if (extension_->Step(host, step, dry, nested, why)) return true;
    if (!why.empty()) return (error = where + ": " + why, false);
  }
  return (error = where + ": unknown step", false);
}

bool ScenarioRunner::Expect(Host& host, const json& step, size_t index, std::ostream& out, std::string& error,
                            bool dry) {
  const std::string where = "step " + std::to_string(index + 1) + " (expect)";
  int32_t instance = host.Instances().empty() ? 1 : host.Instances().front();
  if (step.contains("instance")) ParseInt32(step["instance"], where, instance, error);
  Trimset* ts = host.Find(instance);
  std::vector<std::string> trace, absent, vetoed, transmitted;
  if (step.contains("trace") && !TextList(step["trace"], where + ".trace", trace, error)) return false;
  if (step.contains("absent") && !TextList(step["absent"], where + ".absent", absent, error)) return false;
  if (step.contains("vetoed") && !TextList(step["vetoed"], where + ".vetoed", vetoed, error)) return false;
  if (step.contains("transmitted") && !TextList(step["transmitted"], where + ".transmitted", transmitted, error))
    return false;
  int32_t resets = -1;
  if (step.contains("resets") && !ParseInt32(step["resets"], where + ".resets", resets, error)) return false;
  std::vector<std::pair<std::string, Variable>> values;
  if (step.contains("values")) {
    if (!step["values"].is_object()) return (error = where + ".values: expected {\"NAME\": value}", false);
    for (auto it = step["values"].begin(); it != step["values"].end(); ++it) {
      std::string name;
      if (!ParseText(json(it.key()), where + ".values", name, error)) return false;
      const Variable* var = ts ? ts->Find(name) : nullptr;
      if (var == nullptr) return (error = where + ".values: no variable \"" + it.key() + "\"", false);
      Variable expected = *var;
      if (!ParseValue(it.value(), var->kind, where + ".values." + it.key(), expected, error)) return false;
      values.emplace_back(name, expected);
    }
  }
  if (step.contains("running") && !step["running"].is_null() && !step["running"].is_string())
    return (error = where + ".running: expected an action name or null", false);
  if (dry) return true;

  const Trace& t = host.GetTrace();
  std::vector<std::string> problems;
  size_t at = cursor_;
  for (const auto& line : trace) {
    const size_t found = t.Find(line, at);
    if (found == Trace::npos) {
      std::string p = "trace: not found in order: \"" + line + "\"\n  trace since the last match:\n";
      for (size_t i = at; i < t.Size(); ++i) p += "    " + t.Lines()[i] + "\n";
      problems.push_back(p);
      break;
    }
    at = found + 1;
  }
  for (const auto& line : absent) {
    const size_t found = t.Find(line, windowStart_);
    if (found != Trace::npos) problems.push_back("trace: unexpected line: " + t.Lines()[found]);
  }
  for (const auto& [name, expected] : values) {
    const Variable* actual = ts->Find(name);
    if (actual->Value() != expected.Value()) {
      problems.push_back("value of " + Cp1252ToUtf8(name) + "\n  - expected: " + ValueToJson(expected).begin()->dump() +
                         "\n  + actual:   " + ValueToJson(*actual).begin()->dump());
    }
  }
  if (step.contains("vetoed") && host.Vetoes(instance) != vetoed) {
    auto list = [](const std::vector<std::string>& v) { return json(v).dump(); };
    problems.push_back("vetoes\n  - expected: " + list(vetoed) + "\n  + actual:   " + list(host.Vetoes(instance)));
  }
  if (step.contains("transmitted")) {
    std::vector<std::string> actual;
    for (const auto& tr : host.Transmissions())
      if (tr.instance == instance && tr.value == -1) actual.push_back(Cp1252ToUtf8(tr.variable));
    if (actual != transmitted)
      problems.push_back("transmitted\n  - expected: " + json(transmitted).dump() + "\n  + actual:   " + json(actual).dump());
  }
  if (resets >= 0 && host.MachineResets(instance) != resets) {
    problems.push_back("machine resets\n  - expected: " + std::to_string(resets) +
                       "\n  + actual:   " + std::to_string(host.MachineResets(instance)));
  }
  if (step.contains("running")) {
    std::string actual;
    for (const auto& p : ts->plugins)
      if (const RunningAction* ra = host.Running(instance, p.name)) actual = ra->name;
    const std::string expected = step["running"].is_null() ? "" : step["running"].get<std::string>();
    if (actual != expected)
      problems.push_back("running action\n  - expected: " + (expected.empty() ? "none" : expected) +
                         "\n  + actual:   " + (actual.empty() ? "none" : actual));
  }
  if (problems.empty()) {
    cursor_ = at;
    windowStart_ = t.Size();
    return true;
  }
  // All but the last problem are printed here; the runner prints the last.
  for (size_t i = 0; i + 1 < problems.size(); ++i) out << "FAIL " << where << ": " << problems[i] << '\n';
  failures_ += static_cast<int>(problems.size()) - 1;
  error = where + ": " + problems.back();
  windowStart_ = t.Size();
  return false;
}

}  // namespace sis::host
