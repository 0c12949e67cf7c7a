#include "sis/host/session_report.h"

#include "sis/host/text1252.h"
#include "sis/host/trimset_json.h"

namespace sis::host {
namespace {

// A multi-line text printed under a heading, continuation lines indented.
void PrintText(std::ostream& out, const std::string& indent, const std::string& text) {
  size_t start = 0;
  bool first = true;
  while (true) {
    const size_t nl = text.find('\n', start);
    out << (first ? "" : indent + "  ") << text.substr(start, nl - start) << '\n';
    first = false;
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
}

void PrintMessages(std::ostream& out, const std::vector<ScriptedUi::Message>& messages, size_t from,
                   const std::string& plugin) {
  for (size_t i = from; i < messages.size(); ++i) {
    if (messages[i].plugin != plugin) continue;
    out << "  message " << messages[i].kind << ": ";
    PrintText(out, "  ", messages[i].text);
  }
}

}  // namespace

bool SessionReport::Check(int32_t instance, std::ostream& out) {
  Trimset* ts = host_.Find(instance);
  if (ts == nullptr) return true;
  host_.Open(instance);
  for (const PluginEntry& entry : ts->plugins) {
    out << entry.name;
    for (const auto& table : entry.open) out << ' ' << Cp1252ToUtf8(table);
    out << '\n';
    for (const auto& report : ui_.Reports()) {
      if (report.plugin != entry.name || !report.visible) continue;
      out << "  report \"" << report.title << "\"\n";
      for (const auto& row : report.rows) out << "    | " << row << '\n';
    }
    PrintMessages(out, ui_.Messages(), 0, entry.name);
  }
  const size_t before = ui_.Messages().size();
  const bool allowed = host_.Save(instance);
  for (const PluginEntry& entry : ts->plugins) {
    bool any = false;
    for (size_t i = before; i < ui_.Messages().size(); ++i) any = any || ui_.Messages()[i].plugin == entry.name;
    if (!any) continue;
    out << "save " << entry.name << '\n';
    PrintMessages(out, ui_.Messages(), before, entry.name);
  }
  if (allowed) {
    out << "save: allowed\n";
  } else {
    out << "save: vetoed by";
    for (const auto& v : host_.Vetoes(instance)) out << ' ' << v;
    out << '\n';
  }
  host_.Close(instance);
  return allowed;
}

void UiScenario::Started(Host& host, StepRunner runStep) {
  ui_ = std::make_unique<ScriptedUi>(host, true);
  ui_->SetFaultHandler([](const std::string&) {});  // reported with the scenario's failures
  ui_->SetStepRunner(std::move(runStep));
}

bool UiScenario::Step(Host& host, const nlohmann::json& step, bool dry, const StepRunner& nested, std::string& error) {
  const std::string what = step["do"].get<std::string>();
  if (what != "box" && what != "dialog" && what != "file") return false;
  // The runner puts the step's place in front of an error.
  if (!OnlyStepKeys(step, {"expect", "actions", what == "box" ? "answer" : "path"}, "", error)) return false;
  UiAnswer answer;
  if (step.contains("expect")) {
    // One text, or one per host language so that a scenario runs in both.
    const nlohmann::json& e = step["expect"];
    const bool perLanguage = e.is_object() && e.size() == 2 && e.contains("en") && e.contains("fr") &&
                             e["en"].is_string() && e["fr"].is_string();
    if (!e.is_string() && !perLanguage)
      return (error = "expect: expected a text or {\"en\": text, \"fr\": text}", false);
    answer.expect = perLanguage ? e[host.Options().language == 1036 ? "fr" : "en"].get<std::string>()
                                : e.get<std::string>();
  }
  if (what == "box") {
    answer.kind = UiAnswer::Kind::Box;
    answer.button = "ok";
    if (step.contains("answer")) answer.button = step["answer"].is_string() ? step["answer"].get<std::string>() : "";
    if (answer.button != "ok" && answer.button != "yes" && answer.button != "no")
      return (error = "answer: expected ok, yes or no", false);
  } else if (what == "dialog") {
    answer.kind = UiAnswer::Kind::Dialog;
    if (!step.contains("actions") || !step["actions"].is_array())
      return (error = "needs \"actions\": a list of control actions, \"ok\", \"cancel\" or host steps", false);
    for (const auto& a : step["actions"]) {
      if (!a.is_string() && !(a.is_object() && a.contains("do")))
        return (error = "actions: " + a.dump() + " is neither a control action nor a step", false);
      if (a.is_object() && dry && !nested(a, error)) return (error = "actions: " + error, false);
      answer.actions.push_back(a);
    }
  } else {
    answer.kind = UiAnswer::Kind::File;
    if (step.contains("path") && !step["path"].is_null()) {
      if (!step["path"].is_string()) return (error = "path: expected a file name or null", false);
      answer.path = step["path"].get<std::string>();
    }
  }
  // A box's or file dialog's actions: host steps while it waits.
  if (what != "dialog" && step.contains("actions")) {
    if (!step["actions"].is_array()) return (error = "actions: expected a list of host steps", false);
    for (const auto& a : step["actions"]) {
      if (!a.is_object() || !a.contains("do")) return (error = "actions: " + a.dump() + " is not a host step", false);
      if (dry && !nested(a, error)) return (error = "actions: " + error, false);
      answer.actions.push_back(a);
    }
  }
  if (!dry && ui_) ui_->Push(std::move(answer));
  return true;
}

std::vector<std::string> UiScenario::Finished(Host&) {
  std::vector<std::string> faults = ui_ ? ui_->TakeFaults() : std::vector<std::string>{};
  if (ui_ && ui_->PendingAnswers() != 0)
    faults.push_back("ui: " + std::to_string(ui_->PendingAnswers()) + " answer(s) never used");
  return faults;
}

}  // namespace sis::host
