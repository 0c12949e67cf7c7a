// The controls that show and edit one output in the editing dialogs (output
// dialog, pilot map dialog, standard page): they read the choices from the
// edit session and hand the user's actions back to it. Controls a template
// lacks are skipped.
#ifndef VT6CMD_CMD_OUTPUT_CONTROLS_H
#define VT6CMD_CMD_OUTPUT_CONTROLS_H

#include <cstdint>
#include <string>
#include <vector>

#include "CmdEditor.h"
#include "sis/platform/dialog.h"

namespace vt6cmd {

// Control numbers shared by templates 1012, 1013 and 1020.
namespace ctl {
inline constexpr int32_t kLabel = 1001;
inline constexpr int32_t kCode = 1003;
inline constexpr int32_t kMode = 1005;
inline constexpr int32_t kInverted = 1006;
inline constexpr int32_t kParameter = 1008;
inline constexpr int32_t kRange = 1009;
inline constexpr int32_t kLineAxis = 1012;
inline constexpr int32_t kColumnAxis = 1014;
inline constexpr int32_t kAdvanced = 1015;
inline constexpr int32_t kPartner = 1016;
}  // namespace ctl

// Dialog texts of the string table.
namespace txt {
inline constexpr int32_t kStandardTitle = 17500;
inline constexpr int32_t kNoAxis = 17510;
inline constexpr int32_t kRefused = 17520;
inline constexpr int32_t kRefusedEnd = 17521;
inline constexpr int32_t kPartner = 17530;
inline constexpr int32_t kNoPartner = 17531;
inline constexpr int32_t kRange = 17540;
inline constexpr int32_t kNoParameter = 17541;
inline constexpr int32_t kModeStandard = 17800;
inline constexpr int32_t kModePushPullSync = 17801;
inline constexpr int32_t kModePushPull = 17802;
inline constexpr int32_t kUnitHz = 18260;
inline constexpr int32_t kUnitPulses = 18261;
inline constexpr int32_t kHelpOutput = 19000;
inline constexpr int32_t kHelpMap = 19001;
inline constexpr int32_t kHelpStandard = 19002;
}  // namespace txt

class COutputControls {
 public:
  // `advancedChoice`: the advanced check box is offered.
  COutputControls(sis::Dialog& dialog, CCmdEditSession& session, size_t index, bool advancedChoice);

  // Shows the output's current choices in every control.
  void Load();
  // Takes a user action; false when the control is not one of these.
  bool OnCommand(int32_t id, sis::Notify code);

 private:
  void FillAxis(int32_t id, int32_t current, std::vector<int32_t>& ids);
  void LoadPartner();

  sis::Dialog& dialog_;
  CCmdEditSession& session_;
  size_t index_;
  bool advancedChoice_;
  std::vector<uint16_t> codes_;
  std::vector<uint16_t> modes_;
  std::vector<int32_t> lineIds_, columnIds_;
};

// The box refusing OK: the machine name, the reason and the broken checks.
void ShowRefusal(const std::wstring& machine, const std::vector<int32_t>& problems);

}  // namespace vt6cmd

#endif
