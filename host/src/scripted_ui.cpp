#include "sis/host/scripted_ui.h"

#include <algorithm>
#include <iostream>

#include "sis/platform/message_box.h"
#include "sis/platform/text.h"
#include "sis/platform/user_action.h"

namespace sis::host {
namespace {

std::string Escaped(const std::string& utf8) {
  std::string out;
  for (char c : utf8) {
    if (c == '\n') out += "\\n";
    else if (c == '"') out += "\\\"";
    else out += c;
  }
  return out;
}

const char* KindWord(UiAnswer::Kind kind) {
  switch (kind) {
    case UiAnswer::Kind::Box: return "box";
    case UiAnswer::Kind::Dialog: return "dialog";
    case UiAnswer::Kind::File: return "file";
  }
  return "box";
}

}  // namespace

ScriptedUi::ScriptedUi(Host& host, bool strict) : host_(host), strict_(strict) { sis::SetBackend(this); }

ScriptedUi::~ScriptedUi() {
  if (&sis::CurrentBackend() == this) sis::SetBackend(nullptr);
}

std::vector<std::string> ScriptedUi::TakeFaults() {
  std::vector<std::string> out = std::move(faults_);
  faults_.clear();
  return out;
}

void ScriptedUi::Note(const std::string& line) {
  host_.GetTrace().Add(std::string(host_.Depth() * 2, ' ') + "ui: " + line);
}

void ScriptedUi::Fault(const std::string& fault) {
  Note("fault: " + fault);
  faults_.push_back("ui: " + fault);
  if (onFault_) {
    onFault_(faults_.back());
  } else if (strict_) {
    std::cerr << faults_.back() << '\n';
  }
}

bool ScriptedUi::Take(UiAnswer::Kind kind, const std::string& what, UiAnswer& answer) {
  if (!answers_.empty() && answers_.front().kind == kind) {
    answer = std::move(answers_.front());
    answers_.pop_front();
    return true;
  }
  if (strict_) {
    Fault("no answer for " + what +
          (answers_.empty() ? std::string() : std::string(" (next answer is for a ") + KindWord(answers_.front().kind) + ")"));
  }
  return false;
}

void ScriptedUi::RunHostSteps(const std::vector<nlohmann::json>& steps, const std::string& what) {
  for (const nlohmann::json& step : steps) {
    std::string error;
    if (!runStep_ || !runStep_(step, error)) Fault("in " + what + ": " + (error.empty() ? step.dump() : error));
  }
}

int ScriptedUi::MessageBox(sis::BoxKind kind, const std::wstring& text) {
  const std::string utf8 = sis::WideToUtf8(text);
  const std::string kindName = sis::BoxKindName(kind);
  messages_.push_back({host_.CurrentPlugin(), kindName, utf8});
  Note("box " + kindName + " \"" + Escaped(utf8) + "\"");
  UiAnswer answer;
  const bool question = kind == sis::BoxKind::Question;
  if (!Take(UiAnswer::Kind::Box, "box " + kindName + " \"" + Escaped(utf8) + "\"", answer))
    return question ? sis::kIdNo : sis::kIdOk;
  if (!answer.expect.empty() && utf8.find(answer.expect) == std::string::npos)
    Fault("box \"" + Escaped(utf8) + "\" does not contain \"" + answer.expect + "\"");
  RunHostSteps(answer.actions, "box \"" + Escaped(utf8) + "\"");
  std::string button = answer.button.empty() ? (question ? "no" : "ok") : answer.button;
  if (question != (button == "yes" || button == "no")) {
    Fault("answer " + button + " does not fit a " + kindName + " box");
    button = question ? "no" : "ok";
  }
  Note("answer " + button);
  return button == "yes" ? sis::kIdYes : button == "no" ? sis::kIdNo : sis::kIdOk;
}

int ScriptedUi::RunModal(sis::Dialog& dialog) {
  const int32_t id = dialog.ActivePane()->TemplateId();
  const std::string title = sis::WideToUtf8(dialog.Title());
  const std::string what = "dialog " + std::to_string(id) + " \"" + Escaped(title) + "\"";
  Note(what);
  UiAnswer answer;
  if (!Take(UiAnswer::Kind::Dialog, what, answer)) {
    Note("cancel");
    dialog.OnCancel();
    return sis::kIdCancel;
  }
  if (!answer.expect.empty() && title.find(answer.expect) == std::string::npos && answer.expect != std::to_string(id))
    Fault(what + " is not \"" + answer.expect + "\"");
  for (size_t i = 0; i < answer.actions.size(); ++i) {
    const nlohmann::json& act = answer.actions[i];
    if (dialog.IsEnded()) {
      Fault(what + " ended before " + act.dump());
      break;
    }
    if (act.is_object()) {  // a host event while the dialog is shown
      std::string error;
      if (!runStep_ || !runStep_(act, error)) Fault("in " + what + ": " + (error.empty() ? act.dump() : error));
      continue;
    }
    const std::string word = act.is_string() ? act.get<std::string>() : act.dump();
    Note(word);
    if (word == "ok") {
      dialog.OnOK();
    } else if (word == "cancel") {
      dialog.OnCancel();
    } else {
      sis::UserAction action;
      if (!sis::ParseUserAction(word, action)) {
        Fault("\"" + word + "\" is not a control action");
      } else if (!sis::DeliverUserAction(dialog, action)) {
        Fault(what + " refused \"" + word + "\"");
      }
    }
  }
  if (!dialog.IsEnded()) {
    Fault(what + " is still open after its script; cancelled");
    dialog.OnCancel();
  }
  return sis::kIdOk;
}

void ScriptedUi::Snapshot(sis::Dialog& dialog, bool visible) {
  Report r;
  r.plugin = host_.CurrentPlugin();
  r.title = sis::WideToUtf8(dialog.Title());
  r.visible = visible;
  if (sis::Control* list = dialog.ReportListId() ? dialog.Item(dialog.ReportListId()) : nullptr) {
    for (int32_t i = 0; i < list->ItemCount(); ++i) r.rows.push_back(sis::WideToUtf8(list->ItemText(i)));
  }
  auto it = reports_.find(&dialog);
  if (it == reports_.end()) {
    reportOrder_.push_back(&dialog);
  } else if (r.plugin.empty()) {
    r.plugin = it->second.plugin;
  }
  reports_[&dialog] = r;
  const std::string kind = dialog.ReportListId() ? "report" : "window";
  Note(kind + (visible ? " shown \"" : " hidden \"") + Escaped(r.title) + "\"");
  if (visible)
    for (const auto& row : r.rows) Note("  row \"" + Escaped(row) + "\"");
}

void ScriptedUi::WindowShown(sis::Dialog& dialog) { Snapshot(dialog, true); }

void ScriptedUi::WindowHidden(sis::Dialog& dialog) { Snapshot(dialog, false); }

void ScriptedUi::WindowDestroyed(sis::Dialog& dialog) {
  auto it = reports_.find(&dialog);
  if (it == reports_.end()) return;
  Note("window destroyed \"" + Escaped(it->second.title) + "\"");
  reports_.erase(it);
  reportOrder_.erase(std::remove(reportOrder_.begin(), reportOrder_.end(), &dialog), reportOrder_.end());
}

std::vector<ScriptedUi::Report> ScriptedUi::Reports() const {
  std::vector<Report> out;
  for (const sis::Dialog* d : reportOrder_) out.push_back(reports_.at(d));
  return out;
}

bool ScriptedUi::FileOpen(const std::wstring& title, const std::wstring&, std::string& path) {
  const std::string utf8 = sis::WideToUtf8(title);
  const std::string what = "file dialog \"" + Escaped(utf8) + "\"";
  Note(what);
  UiAnswer answer;
  const bool taken = Take(UiAnswer::Kind::File, what, answer);
  if (taken && !answer.expect.empty() && utf8.find(answer.expect) == std::string::npos)
    Fault(what + " is not \"" + Escaped(answer.expect) + "\"");
  RunHostSteps(answer.actions, what);
  if (!taken || answer.path.empty()) {
    Note("cancel");
    return false;
  }
  Note("file " + answer.path);
  path = answer.path;
  return true;
}

void ScriptedUi::Beep() { Note("beep"); }

void ScriptedUi::HelpPopup(const std::wstring& text) { Note("help \"" + Escaped(sis::WideToUtf8(text)) + "\""); }

}  // namespace sis::host
