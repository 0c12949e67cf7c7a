// CSisReport: the modeless configuration error report window (template 1010).
// It lists a general line and one line per part under the part's label; it is
// hidden when it has nothing to say. Close, Enter and Escape hide it; it is
// destroyed only by its instance (close verb, start of a run, library end).
#ifndef SIS_FRAMEWORK_REPORT_H
#define SIS_FRAMEWORK_REPORT_H

#include <cstdint>
#include <string>
#include <vector>

#include "sis/platform/dialog.h"

namespace sis {

class Instance;

// Cuts `text` at every "\n" and adds each piece as a row of `list`, in order
// (a text ending with "\n" gives a last, empty row).
void AddTextRows(Control& list, const std::wstring& text);

class CSisReport : public Dialog {
 public:
  static constexpr int32_t kTemplate = 1010;
  static constexpr int32_t kGroupId = 1000;
  static constexpr int32_t kListId = 1001;

  // Reads the labels of the instance's first `parts` part tables (upper case,
  // empty when unreadable).
  CSisReport(Instance& owner, std::wstring title, int32_t parts);

  // Index -1: the general line; 0..n-1: a part's line; anything else is
  // ignored. Rebuilds the rows when the window exists.
  void SetLine(int32_t index, std::wstring text);
  // Shows the window when any line is set, hides it otherwise; rows unchanged.
  void Refresh();
  // Rebuilds the rows from the lines and shows or hides the window.
  void Rebuild();
  bool HasLines() const;

  const std::wstring& GeneralLine() const { return general_; }
  const std::wstring& PartLine(int32_t index) const { return lines_.at(static_cast<size_t>(index)); }
  const std::wstring& PartLabel(int32_t index) const { return labels_.at(static_cast<size_t>(index)); }
  int32_t PartCount() const { return static_cast<int32_t>(lines_.size()); }

  bool OnInitDialog() override;
  void OnOK() override { ShowWindow(false); }
  void OnCancel() override { ShowWindow(false); }
  void OnCommand(int32_t id, Notify code) override;
  int32_t ReportListId() const override { return kListId; }

 private:
  Instance& owner_;
  std::wstring reportTitle_;
  std::wstring general_;
  std::vector<std::wstring> lines_;
  std::vector<std::wstring> labels_;
};

}  // namespace sis

#endif
