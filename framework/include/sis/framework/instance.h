// The framework part of a plug-in instance: one per host instance number that
// the plug-in serves. Each plug-in derives its own plain instance class from it
// and adds its configuration state.
#ifndef SIS_FRAMEWORK_INSTANCE_H
#define SIS_FRAMEWORK_INSTANCE_H

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sis/framework/trimset_access.h"

namespace sis {

class Dialog;
class CSisReport;

// Instance flag bits shared by the plug-ins; plug-ins with more editing
// actions add their own bits above these.
namespace flag {
inline constexpr uint32_t kConfigError = 0x01;     // the Trimset cannot be used or saved
inline constexpr uint32_t kOpen = 0x02;            // configuration read and accepted
inline constexpr uint32_t kBusy = 0x04;            // run or close in progress
inline constexpr uint32_t kRefreshPending = 0x08;  // a watched value changed during a transfer
inline constexpr uint32_t kTransmission = 0x10;    // transmission exchange running
inline constexpr uint32_t kResetWanted = 0x20;     // machine reset wanted at the end of the transmission
}  // namespace flag

// Lines a check leaves for the report window: a general line and one per part.
struct ReportLines {
  std::wstring general;
  std::vector<std::wstring> parts;
};

class Instance : public TrimsetAccess {
 public:
  static constexpr size_t kMaxModalDialogs = 3;

  Instance(const HostLink& host, int32_t number);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Reads the level and the machine name; true when the name was read and the
  // level is 3 or more.
  bool Initialise();

  bool Has(uint32_t bits) const { return (flags & bits) != 0; }
  void Set(uint32_t bits) { flags |= bits; }
  void Clear(uint32_t bits) { flags &= ~bits; }

  // Remembers a modal dialog while it is shown, so that a transmission reset
  // can end it; false when three are shown already.
  bool PushModal(Dialog* dialog);
  void PopModal(Dialog* dialog);
  // Ends every registered modal dialog as cancelled.
  void CancelModals();
  // Runs `dialog` modally while registered; its DoModal result.
  int RunModal(Dialog& dialog);

  // The report window for `parts` part lines (their labels read now), built
  // with `lines`, replacing any previous one; shown when it has lines.
  void BuildReport(const ReportLines& lines, int32_t parts);
  void DestroyReport();

  int32_t level = -1;
  uint32_t flags = 0;
  int32_t transferRunning = 0;
  int32_t transferTable = -1;  // index of the part concerned, -1 when none
  uint32_t completedMask = 0;
  std::string tableName;        // ANSI, given to the run verb
  std::string actionName;       // ANSI, given to the transmission-begin verb
  std::array<Dialog*, kMaxModalDialogs> modalDialogs{};  // not owned
  std::unique_ptr<CSisReport> report;
  std::vector<std::string> partNames;  // the transmission's parts, at most 32
  ReportLines checkLines;              // lines of the last check
};

// Keeps a modal dialog registered with its instance while it runs.
class ModalRegistration {
 public:
  ModalRegistration(Instance& instance, Dialog& dialog) : instance_(instance), dialog_(&dialog) {
    instance_.PushModal(dialog_);
  }
  ~ModalRegistration() { instance_.PopModal(dialog_); }
  ModalRegistration(const ModalRegistration&) = delete;
  ModalRegistration& operator=(const ModalRegistration&) = delete;

 private:
  Instance& instance_;
  Dialog* dialog_;
};

}  // namespace sis

#endif
