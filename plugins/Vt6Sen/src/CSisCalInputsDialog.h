// The Inputs configuration dialog (template 1013): one tab per measurement
// with its activation, error replacement type, replacement value and error
// triggering limits, edited on a copy of the channel assignment table.
#ifndef VT6SEN_INPUTS_DIALOG_H
#define VT6SEN_INPUTS_DIALOG_H

#include <cstdint>
#include <string>
#include <vector>

#include "sis/framework/controls/color_static.h"
#include "sis/framework/tables.h"
#include "sis/platform/dialog.h"

class CVt6SenInstance;

class CSisCalInputsDialog : public sis::Dialog {
 public:
  static constexpr int32_t kTemplate = 1013;
  enum : int32_t {
    kBlackOutSlider = 1101, kBlackOutSpin = 1102, kBlackOutText = 1104, kBlackOutCaption = 1105,
    kShortSlider = 1107, kShortSpin = 1108, kShortText = 1109, kShortCaption = 1110,
    kBlackOutTitle = 1111, kShortTitle = 1113, kValueGroup = 1116, kValueSlider = 1118, kValueSpin = 1119,
    kValueText = 1120, kValueCaption = 1121, kTabs = 1122, kTypeGroup = 1123, kStandard = 1124, kSpecific = 1125,
    kActivated = 1127, kActivationGroup = 1128, kActivationText = 1129,
  };

  CSisCalInputsDialog(CVt6SenInstance& owner, const sis::WordTable& words, std::wstring title);

  const sis::WordTable& Words() const { return words_; }
  int32_t Selected() const { return selected_; }
  // Each page switched its key variable on or off; after a cancel (by the
  // user or by a transmission reset) the states read at opening come back.
  void RestoreSwitchedOn();

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnCommand(int32_t id, sis::Notify code) override;
  void OnHelp(int32_t id) override;

 private:
  // One slider with its spin and value text, on one block word.
  struct Limit {
    int32_t slider, spin, text, word;
    int32_t low = 0, high = 0xFFFF;
  };
  uint16_t& Word(int32_t b);
  // The limit's word as a value of its range: signed when the range goes below 0.
  int32_t Value(const Limit& limit);
  void BuildPage();
  void SetLimit(Limit& limit, bool enabled, int32_t low, int32_t high);
  void ShowValueTexts();
  void Moved(Limit& limit, int32_t pos);

  CVt6SenInstance& owner_;
  std::wstring title_;
  sis::WordTable words_;
  std::vector<int32_t> switchedOn_;  // key variables' states at opening
  int32_t selected_ = 0;
  bool ready_ = false;  // slider notifications write only once the page is built
  Limit value_{kValueSlider, kValueSpin, kValueText, 4};
  Limit blackOut_{kBlackOutSlider, kBlackOutSpin, kBlackOutText, 5};
  Limit shortCircuit_{kShortSlider, kShortSpin, kShortText, 6};
  sis::CColorStatic valueText_, blackOutText_, shortText_;
};

#endif
