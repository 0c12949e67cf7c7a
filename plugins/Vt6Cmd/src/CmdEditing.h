// The editing actions of Vt6Cmd around the transmission frame: which tables a
// begin verb edits, whether they can be edited, and the dialogs that edit them
// (an output, a pilot map's axes, or the standard pages of all outputs).
#ifndef VT6CMD_CMD_EDITING_H
#define VT6CMD_CMD_EDITING_H

#include <cstdint>
#include <string>
#include <vector>

#include "sis/framework/transmission.h"

class CVt6CmdInstance;

class CCmdEditing : public sis::ExchangeDelegate {
 public:
  explicit CCmdEditing(CVt6CmdInstance& owner) : owner_(owner) {}
  void SetExchange(sis::TransmissionExchange& exchange) { exchange_ = &exchange; }

  bool OwnsTable(const std::string& table) override;
  int32_t CannotEdit(int32_t index) override;
  bool RunDialog(sis::TransmissionExchange& exchange, const std::wstring& title) override;
  void RefreshDisplays() override;

  // AUXSETCMD after its checks: the standard pages, then the write and send steps.
  void RunStandardPages();

 private:
  enum class Target { None, Output, Map };
  // The write step with the dialog's tables, then the publish; false when a
  // write failed (the action is finished then).
  bool Write(const std::vector<sis::WordTable>& tables, uint32_t mask, bool resetWanted);

  CVt6CmdInstance& owner_;
  sis::TransmissionExchange* exchange_ = nullptr;
  Target target_ = Target::None;
  size_t index_ = 0;
};

#endif
