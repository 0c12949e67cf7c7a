#include "sis/platform/headless_backend.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "sis/platform/dialog.h"
#include "sis/platform/text.h"
#include "sis/platform/user_action.h"

namespace sis {
namespace {

std::string Num(int64_t v) { return std::to_string(v); }

// The dialog whose controls a snapshot shows: a sheet's page with the sheet's own controls.
std::vector<Control*> SnapshotControls(Dialog& dialog) {
  Dialog* pane = dialog.ActivePane();
  std::vector<Control*> all = pane->ControlsById();
  if (pane != &dialog) {
    for (Control* c : dialog.ControlsById()) all.push_back(c);
    std::stable_sort(all.begin(), all.end(), [](Control* a, Control* b) { return a->Id() < b->Id(); });
  }
  return all;
}

}  // namespace

std::string EscapeLogText(const std::wstring& text) {
  std::string utf8 = WideToUtf8(text);
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

void HeadlessBackend::Write(const std::string& line) {
  const char* path = std::getenv("SIS_UI_LOG");
  if (path && *path) {
    if (FILE* f = std::fopen(path, "a")) {
      std::fputs(line.c_str(), f);
      std::fputc('\n', f);
      std::fclose(f);
      return;
    }
  }
  std::fputs(line.c_str(), stderr);
  std::fputc('\n', stderr);
}

bool HeadlessBackend::NextAnswer(std::string& answer) {
  const char* env = std::getenv("SIS_UI_ANSWERS");
  std::string path = env ? env : "";
  if (path != answersPath_) {  // a new answers file starts a new sequence
    answersPath_ = path;
    answers_.clear();
    nextAnswer_ = 0;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      answers_.push_back(line);
    }
  }
  if (nextAnswer_ >= answers_.size()) return false;
  answer = answers_[nextAnswer_++];
  return true;
}

void HeadlessBackend::ResetAnswers() {
  answersPath_.clear();
  answers_.clear();
  nextAnswer_ = 0;
}

void HeadlessBackend::WriteSnapshot(Dialog& dialog) {
  const std::string tpl = Num(dialog.ActivePane()->TemplateId());
  for (Control* c : SnapshotControls(dialog)) {
    const ControlKind kind = c->Kind();
    const bool positioned = kind == ControlKind::Slider || kind == ControlKind::Spin || kind == ControlKind::Progress;
    const bool selectable = kind == ControlKind::Combo || kind == ControlKind::List || kind == ControlKind::Tab;
    Write("CTRL " + tpl + " " + Num(c->Id()) + " " + ControlKindName(kind) + " " + Num(c->IsEnabled()) + " " +
          Num(c->IsVisible()) + " " + Num(c->IsChecked()) + " " + Num(positioned ? c->Pos() : 0) + " " +
          Num(selectable ? c->Selection() : 0) + " " + EscapeLogText(c->Text()));
    if (selectable) {
      for (int32_t i = 0; i < c->ItemCount(); ++i) {
        std::wstring row;
        const auto& cells = c->Row(i);
        for (size_t k = 0; k < cells.size(); ++k) row += (k ? L"\t" : L"") + cells[k];
        Write("ITEM " + tpl + " " + Num(c->Id()) + " " + Num(i) + " " + EscapeLogText(row));
      }
    }
    if (kind == ControlKind::Slider && c->TakeRangeChanged()) {
      Write("RANGE " + tpl + " " + Num(c->Id()) + " " + Num(c->RangeLow()) + " " + Num(c->RangeHigh()));
    }
  }
  Write("END " + tpl);
}

int HeadlessBackend::MessageBox(BoxKind kind, const std::wstring& text) {
  Write(std::string("MSGBOX ") + BoxKindName(kind) + " " + EscapeLogText(text));
  const int fallback = kind == BoxKind::Question ? kIdNo : kIdOk;
  std::string answer;
  if (!NextAnswer(answer)) return fallback;
  if (answer == "yes") return kind == BoxKind::Question ? kIdYes : kIdOk;
  if (answer == "no") return kind == BoxKind::Question ? kIdNo : kIdOk;
  if (answer == "ok" || answer == "cancel") return fallback;
  Write("REFUSED " + answer);
  return fallback;
}

int HeadlessBackend::RunModal(Dialog& dialog) {
  Write("DIALOG " + Num(dialog.ActivePane()->TemplateId()) + " " + EscapeLogText(dialog.Title()));
  WriteSnapshot(dialog);
  std::string answer;
  while (!dialog.IsEnded()) {
    if (!NextAnswer(answer) || answer == "cancel") {
      dialog.OnCancel();
      if (!dialog.IsEnded()) dialog.EndDialog(kIdCancel);
      break;
    }
    UserAction action;
    if (answer == "ok") {
      dialog.OnOK();
    } else if (!ParseUserAction(answer, action) || !DeliverUserAction(dialog, action)) {
      Write("REFUSED " + answer);
      continue;
    }
    if (!dialog.IsEnded()) WriteSnapshot(dialog);
  }
  return kIdOk;
}

void HeadlessBackend::WindowShown(Dialog& dialog) {
  if (int32_t listId = dialog.ReportListId()) {
    Write("REPORT " + EscapeLogText(dialog.Title()));
    if (Control* list = dialog.Item(listId)) {
      for (int32_t i = 0; i < list->ItemCount(); ++i) Write("ROW " + EscapeLogText(list->ItemText(i)));
    }
    return;
  }
  Write("DIALOG " + Num(dialog.ActivePane()->TemplateId()) + " " + EscapeLogText(dialog.Title()));
  WriteSnapshot(dialog);
}

void HeadlessBackend::WindowHidden(Dialog& dialog) {
  if (dialog.ReportListId()) Write("REPORT-HIDDEN " + EscapeLogText(dialog.Title()));
}

bool HeadlessBackend::FileOpen(const std::wstring& title, const std::wstring&, std::string& path) {
  Write("FILEOPEN " + EscapeLogText(title));
  std::string answer;
  if (!NextAnswer(answer)) return false;
  if (answer.rfind("file ", 0) == 0) {
    path = answer.substr(5);
    return true;
  }
  if (answer != "cancel") Write("REFUSED " + answer);
  return false;
}

void HeadlessBackend::Beep() { Write("BEEP"); }

void HeadlessBackend::HelpPopup(const std::wstring& text) { Write("HELP " + EscapeLogText(text)); }

}  // namespace sis
