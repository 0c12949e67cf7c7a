#include "sis/platform/user_action.h"

#include <cstdlib>
#include <sstream>

#include "sis/platform/dialog.h"
#include "sis/platform/text.h"

namespace sis {
namespace {

// Reverses the log escapes: \n, \t, \\.
std::wstring Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      char n = text[++i];
      out += n == 'n' ? '\n' : n == 't' ? '\t' : n;
    } else {
      out += text[i];
    }
  }
  return Utf8ToWide(out);
}

bool ParseInt(const std::string& word, int32_t& value) {
  if (word.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(word.c_str(), &end, 0);
  if (*end != '\0') return false;
  value = static_cast<int32_t>(v);
  return true;
}

Control* Target(Dialog& dialog, int32_t id) {
  Dialog* pane = dialog.ActivePane();
  Control* c = pane ? pane->Item(id) : nullptr;
  return c ? c : dialog.Item(id);
}

// Checks a radio button and clears the others of its group: the radio buttons
// that follow each other in control-number order.
void CheckRadio(Dialog& owner, Control& radio) {
  std::vector<Control*> all = owner.ControlsById();
  size_t at = 0;
  while (at < all.size() && all[at] != &radio) ++at;
  size_t first = at;
  while (first > 0 && !all[first]->HasStyle("group") && all[first - 1]->Kind() == ControlKind::Radio) --first;
  size_t last = at;
  while (last + 1 < all.size() && all[last + 1]->Kind() == ControlKind::Radio && !all[last + 1]->HasStyle("group")) {
    ++last;
  }
  for (size_t i = first; i <= last; ++i) all[i]->SetCheck(all[i] == &radio);
}

}  // namespace

bool ParseUserAction(const std::string& line, UserAction& action) {
  std::istringstream in(line);
  std::string verb, control, value;
  in >> verb >> control;
  static const std::pair<const char*, UserAction::Kind> kVerbs[] = {
      {"click", UserAction::Kind::Click}, {"check", UserAction::Kind::Check}, {"select", UserAction::Kind::Select},
      {"type", UserAction::Kind::Type},   {"slide", UserAction::Kind::Slide}, {"spin", UserAction::Kind::Spin},
      {"tab", UserAction::Kind::Tab},     {"help", UserAction::Kind::Help}};
  bool known = false;
  for (const auto& [word, kind] : kVerbs) {
    if (verb == word) {
      action.kind = kind;
      known = true;
    }
  }
  if (!known || !ParseInt(control, action.control)) return false;
  action.value = 0;
  action.text.clear();
  switch (action.kind) {
    case UserAction::Kind::Click:
    case UserAction::Kind::Help: return in.eof() || (in >> std::ws).eof();
    case UserAction::Kind::Type: {
      // The rest of the line after one blank is the text, possibly empty.
      size_t pos = line.find(control, verb.size()) + control.size();
      action.text = pos < line.size() ? Unescape(line.substr(pos + 1)) : std::wstring();
      return true;
    }
    default:
      in >> value;
      return ParseInt(value, action.value);
  }
}

bool DeliverUserAction(Dialog& dialog, const UserAction& action) {
  Control* c = Target(dialog, action.control);
  if (!c || !c->IsEnabled() || !c->IsVisible()) return false;
  Dialog& owner = c->Owner();
  const int32_t id = c->Id();
  switch (action.kind) {
    case UserAction::Kind::Click:
      if (c->Kind() == ControlKind::Check) {
        c->SetCheck(!c->IsChecked());
      } else if (c->Kind() == ControlKind::Radio) {
        CheckRadio(owner, *c);
      } else if (c->Kind() != ControlKind::Button) {
        return false;
      }
      owner.OnCommand(id, Notify::Clicked);
      return true;
    case UserAction::Kind::Check:
      if (c->Kind() != ControlKind::Check && c->Kind() != ControlKind::Radio) return false;
      if ((action.value != 0) == c->IsChecked()) return true;  // already so: no notification
      if (c->Kind() == ControlKind::Radio) {
        if (action.value == 0) return false;  // a radio button is cleared by checking another
        CheckRadio(owner, *c);
      } else {
        c->SetCheck(action.value != 0);
      }
      owner.OnCommand(id, Notify::Clicked);
      return true;
    case UserAction::Kind::Select:
      if (c->Kind() != ControlKind::Combo && c->Kind() != ControlKind::List) return false;
      if (action.value < -1 || action.value >= c->ItemCount()) return false;
      c->SetSelection(action.value);
      owner.OnCommand(id, Notify::SelChange);
      return true;
    case UserAction::Kind::Type:
      if (c->Kind() != ControlKind::Edit) return false;
      c->SetText(action.text);
      owner.OnCommand(id, Notify::EditChange);
      return true;
    case UserAction::Kind::Slide:
      if (c->Kind() != ControlKind::Slider) return false;
      c->SetPos(action.value);
      owner.OnCommand(id, Notify::Scroll);
      return true;
    case UserAction::Kind::Spin:
      if (c->Kind() != ControlKind::Spin || (action.value != 1 && action.value != -1)) return false;
      c->SetPos(c->Pos() + action.value);
      owner.OnCommand(id, Notify::DeltaPos);
      return true;
    case UserAction::Kind::Tab:
      if (c->Kind() != ControlKind::Tab || action.value < 0 || action.value >= c->ItemCount()) return false;
      c->SetSelection(action.value);
      owner.OnCommand(id, Notify::TabChange);
      return true;
    case UserAction::Kind::Help:
      owner.OnHelp(id);
      return true;
  }
  return false;
}

}  // namespace sis
