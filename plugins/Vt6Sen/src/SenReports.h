// The three report windows of the measurement inputs (template 1011): a
// general text and one text per measurement under the measurement's label.
#ifndef VT6SEN_REPORTS_H
#define VT6SEN_REPORTS_H

#include <cstdint>
#include <string>
#include <vector>

#include "sis/platform/dialog.h"

class CSisRepSen : public sis::Dialog {
 public:
  static constexpr int32_t kTemplate = 1011;
  static constexpr int32_t kListId = 1083;

  // `labels`: one per measurement, upper-cased here.
  CSisRepSen(std::wstring title, const std::vector<std::wstring>& labels);

  // Index -1: the general text, which also empties every measurement text.
  void SetLine(int32_t index, std::wstring text);
  // Shows the window when it holds any text, hides it otherwise.
  void ShowByContent();
  bool HasLines() const;
  bool HasMeasurementLines() const;
  const std::wstring& General() const { return general_; }
  const std::wstring& Line(size_t i) const { return lines_.at(i); }

  bool OnInitDialog() override;
  void OnOK() override { ShowWindow(false); }
  void OnCancel() override { ShowWindow(false); }
  int32_t ReportListId() const override { return kListId; }

 private:
  void Rebuild();

  std::wstring title_;
  std::wstring general_;
  std::vector<std::wstring> lines_;
  std::vector<std::wstring> labels_;
};

#endif
