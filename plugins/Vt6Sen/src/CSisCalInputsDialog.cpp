#include "CSisCalInputsDialog.h"

#include <algorithm>
#include <cstdio>

#include "SenCodes.h"
#include "Vt6SenInstance.h"
#include "sis/abi/host_codes.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"
#include "sis/platform/shell.h"
#include "sis/platform/text.h"

namespace {

constexpr uint32_t kValueTextColor = 0x800000;  // dark blue on the field's background
constexpr int32_t kLambdaBlackOutHigh = 1000;
constexpr int32_t kLimitHigh = 5000;
constexpr int32_t kWordHigh = 0xFFFF;

std::wstring Number(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", value);
  return sis::AnsiToWide(text);
}

}  // namespace

CSisCalInputsDialog::CSisCalInputsDialog(CVt6SenInstance& owner, const sis::WordTable& words, std::wstring title)
    : Dialog(kTemplate), owner_(owner), title_(std::move(title)), words_(words) {}

uint16_t& CSisCalInputsDialog::Word(int32_t b) {
  return words_[sen::BlockStart(owner_.Records().size(), static_cast<size_t>(selected_)) + static_cast<size_t>(b)];
}

bool CSisCalInputsDialog::OnInitDialog() {
  SetTitle(title_);
  valueText_.Attach(Item(kValueText));
  blackOutText_.Attach(Item(kBlackOutText));
  shortText_.Attach(Item(kShortText));
  for (sis::CColorStatic* text : {&valueText_, &blackOutText_, &shortText_}) text->SetTextColor(kValueTextColor);
  const auto& records = owner_.Records();
  switchedOn_.assign(records.size(), 0);
  sis::Control* tabs = Item(kTabs);
  for (size_t i = 0; i < records.size(); ++i) {
    bool on = false;
    if (owner_.ReadSwitchedOn(records[i].name[sen::kKey].c_str(), on)) switchedOn_[i] = on ? 1 : 0;
    if (tabs) tabs->AddItem(owner_.Labels()[i]);
  }
  if (records.empty() || !tabs) return true;
  tabs->SetSelection(0);
  BuildPage();
  return true;
}

int32_t CSisCalInputsDialog::Value(const Limit& limit) {
  const uint16_t word = Word(limit.word);
  return limit.low < 0 ? static_cast<int16_t>(word) : word;
}

void CSisCalInputsDialog::SetLimit(Limit& limit, bool enabled, int32_t low, int32_t high) {
  limit.low = low;
  limit.high = high;
  const int32_t value = std::clamp(Value(limit), low, high);
  Word(limit.word) = static_cast<uint16_t>(value);
  for (int32_t id : {limit.slider, limit.spin}) {
    if (sis::Control* c = Item(id)) {
      c->SetRange(low, high);
      c->SetPos(value);
      c->Enable(enabled);
    }
  }
  if (sis::Control* text = Item(limit.text)) text->Enable(enabled);
}

void CSisCalInputsDialog::BuildPage() {
  ready_ = false;
  const sen::Measurement& m = owner_.Records()[static_cast<size_t>(selected_)];
  const auto& channels = owner_.Channels();
  const char* key = m.name[sen::kKey].c_str();
  Item(kActivationGroup)->SetText(sis::LoadString(sen::ids::kMeasurement) + L"  " +
                                  owner_.Labels()[static_cast<size_t>(selected_)]);

  // Activation: b2 follows the box, the own channel or none.
  auto classOf = [&](uint32_t number) {
    const int32_t c = sen::FindChannel(channels, number);
    return c < 0 ? sen::kNoChannelClass : channels[static_cast<size_t>(c)].cls;
  };
  uint32_t cls = classOf(Word(2));
  sis::Control* box = Item(kActivated);
  const bool mayDeactivate = (m.classes & sen::kNoChannelClass) != 0;
  const bool active = mayDeactivate ? (cls & m.classes) != 0 && cls != sen::kNoChannelClass : true;
  box->Enable(mayDeactivate);
  box->SetCheck(active);
  Word(2) = static_cast<uint16_t>(active ? m.ownChannel : sen::kNoChannel);
  cls = classOf(Word(2));

  // The key variable is switched off without a channel; an unknown channel counts as a real one.
  const int32_t found = sen::FindChannel(channels, Word(2));
  const bool switchedOff = found >= 0 && channels[static_cast<size_t>(found)].cls == sen::kNoChannelClass;
  owner_.WriteProperty(sis::code::kSwitch, key, switchedOff ? 0 : 1);

  const bool replaceable = cls != sen::kNoChannelClass && (m.errorKind & 3) != 0;
  if (!replaceable) Word(3) = static_cast<uint16_t>(Word(3) & ~1u);
  const bool specific = (Word(3) & 1) != 0;
  for (int32_t id : {kStandard, kSpecific}) Item(id)->Enable(replaceable);
  Item(kStandard)->SetCheck(!specific);
  Item(kSpecific)->SetCheck(specific);

  if (specific) {
    int32_t low = 0, high = kWordHigh;
    if (!owner_.ReadValueRange(key, low, high)) {
      low = 0;
      high = kWordHigh;
    }
    SetLimit(value_, true, low, high);
  } else {
    Word(4) = 0;
    SetLimit(value_, false, 0, kWordHigh);
  }

  const bool lambda = m.IsLambda();
  if (specific) {
    SetLimit(blackOut_, true, 0, lambda ? kLambdaBlackOutHigh : kLimitHigh);
    SetLimit(shortCircuit_, true, 0, lambda ? kWordHigh : kLimitHigh);
  } else {
    Word(5) = 0;
    Word(6) = 0xFFFF;
    SetLimit(blackOut_, false, 0, kLimitHigh);
    SetLimit(shortCircuit_, false, 0, kWordHigh);
  }
  using namespace sen::ids;
  const int32_t captions[3][4] = {
      {kLambdaError, kLambdaMovement, kLambdaError2, kLambdaGap},
      {kBlackOut, kBlackOutLimit, kShortCircuit, kShortCircuitLimit},
      {kBlackOut, kBlackOutCustom, kShortCircuit, kShortCircuitCustom},
  };
  const int32_t* caption = captions[!specific ? 2 : lambda ? 0 : 1];
  const int32_t targets[4] = {kBlackOutTitle, kBlackOutCaption, kShortTitle, kShortCaption};
  for (int i = 0; i < 4; ++i) Item(targets[i])->SetText(sis::LoadString(caption[i]));
  ShowValueTexts();
  ready_ = true;
}

void CSisCalInputsDialog::ShowValueTexts() {
  const sen::Measurement& m = owner_.Records()[static_cast<size_t>(selected_)];
  const char* key = m.name[sen::kKey].c_str();
  std::string text;
  sis::Control* value = Item(kValueText);
  value->SetText(value->IsEnabled() && owner_.FormatValue(key, Value(value_), text) ? sis::AnsiToWide(text) : L"");

  sis::Control* blackOut = Item(kBlackOutText);
  std::wstring shown;
  if (blackOut->IsEnabled()) {
    if (m.IsLambda()) {
      // The host's text of the richness movement, without its leading blanks and first character.
      if (owner_.FormatValue(key, Word(5) + 0x8000, text)) {
        const size_t first = text.find_first_not_of(' ');
        text = first == std::string::npos ? std::string() : text.substr(first);
        shown = text.empty() ? L"" : sis::AnsiToWide(text.substr(1));
      }
    } else {
      shown = Number(Word(5));
    }
  }
  blackOut->SetText(shown);
  sis::Control* shortText = Item(kShortText);
  shortText->SetText(shortText->IsEnabled() ? Number(Word(6)) : L"");
}

void CSisCalInputsDialog::Moved(Limit& limit, int32_t pos) {
  if (!ready_) return;
  pos = std::clamp(pos, limit.low, limit.high);
  Word(limit.word) = static_cast<uint16_t>(pos);
  Item(limit.slider)->SetPos(pos);
  Item(limit.spin)->SetPos(pos);
  ShowValueTexts();
}

void CSisCalInputsDialog::OnCommand(int32_t id, sis::Notify code) {
  if (valueText_.OnCommand(id, code) || blackOutText_.OnCommand(id, code) || shortText_.OnCommand(id, code)) return;
  if (owner_.Records().empty()) return Dialog::OnCommand(id, code);
  switch (id) {
    case kTabs:
      if (code == sis::Notify::TabChange) {
        selected_ = std::clamp<int32_t>(Item(kTabs)->Selection(), 0, static_cast<int32_t>(owner_.Records().size()) - 1);
        BuildPage();
      }
      return;
    case kActivated:
      if (code == sis::Notify::Clicked) {
        const auto& m = owner_.Records()[static_cast<size_t>(selected_)];
        Word(2) = static_cast<uint16_t>(Item(kActivated)->IsChecked() ? m.ownChannel : sen::kNoChannel);
        BuildPage();
      }
      return;
    case kStandard:
    case kSpecific:
      if (code == sis::Notify::Clicked) {
        Word(3) = static_cast<uint16_t>(Item(kSpecific)->IsChecked() ? (Word(3) | 1u) : (Word(3) & ~1u));
        BuildPage();
      }
      return;
    default: break;
  }
  for (Limit* limit : {&value_, &blackOut_, &shortCircuit_}) {
    if (id == limit->slider && code == sis::Notify::Scroll) return Moved(*limit, Item(id)->Pos());
    if (id == limit->spin && code == sis::Notify::DeltaPos) return Moved(*limit, Item(id)->Pos());
  }
  Dialog::OnCommand(id, code);
}

void CSisCalInputsDialog::OnHelp(int32_t id) {
  int32_t text = 0;
  switch (id) {
    case 1101: case 1102: case 1104: case 1105: case 1107: case 1108: case 1109: case 1110: case 1111: case 1113:
      text = sen::ids::kHelpTrigger;
      break;
    case 1116: case 1118: case 1119: case 1120: case 1121: case 1123: case 1124: case 1125:
      text = sen::ids::kHelpReplacement;
      break;
    case 1127: case 1128: case 1129:
      text = sen::ids::kHelpActivation;
      break;
    default: return;
  }
  sis::ShowHelpPopup(sis::LoadString(text));
}

void CSisCalInputsDialog::OnOK() { EndDialog(sis::kIdOk); }

void CSisCalInputsDialog::OnCancel() { EndDialog(sis::kIdCancel); }

void CSisCalInputsDialog::RestoreSwitchedOn() {
  const auto& records = owner_.Records();
  for (size_t i = 0; i < records.size() && i < switchedOn_.size(); ++i) {
    owner_.WriteProperty(sis::code::kSwitch, records[i].name[sen::kKey].c_str(), switchedOn_[i]);
  }
}
