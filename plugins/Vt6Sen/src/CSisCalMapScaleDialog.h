// The Map scale input data selection dialog (template 1012): the vertical
// scale variable of one measurement's average map, edited on a copy of its
// average configuration structure.
#ifndef VT6SEN_MAP_SCALE_DIALOG_H
#define VT6SEN_MAP_SCALE_DIALOG_H

#include <cstdint>
#include <string>
#include <vector>

#include "SenModel.h"
#include "sis/platform/dialog.h"

class CVt6SenInstance;

class CSisCalMapScaleDialog : public sis::Dialog {
 public:
  static constexpr int32_t kTemplate = 1012;
  enum : int32_t { kVertical = 1085, kHorizontal = 1088, kAdvanced = 1126 };

  CSisCalMapScaleDialog(CVt6SenInstance& owner, const sen::Measurement& measurement, std::wstring title);

  const sis::WordTable& Structure() const { return structure_; }
  int32_t Choice() const { return choice_; }
  // The variables listed after "NO DATA", in list order.
  const std::vector<std::string>& Listed() const { return listed_; }

  bool OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  void OnCommand(int32_t id, sis::Notify code) override;

 private:
  struct Candidate {
    std::string name;
    std::wstring label;
    uint32_t category = 0;
  };
  void ReadCandidates();
  void FillList();

  CVt6SenInstance& owner_;
  const sen::Measurement& measurement_;
  std::wstring title_;
  sis::WordTable structure_;
  bool cancellable_ = true;
  int32_t choice_ = -1;  // identifier of the vertical scale variable, -1: none
  std::string choiceName_;
  std::vector<Candidate> candidates_;
  std::vector<std::string> listed_;
};

#endif
