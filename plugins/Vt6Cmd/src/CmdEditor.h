// What the editing dialogs edit: a copy of every output's configuration table
// with the choices each output's record and the named constants allow, the
// twin pairs kept coherent, and the validation that a dialog's OK passes
// (the output check, the twin rules and the uniqueness of the configurations).
// No controls here, so that tests and every dialog share the same logic.
#ifndef VT6CMD_CMD_EDITOR_H
#define VT6CMD_CMD_EDITOR_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "CmdConfig.h"

namespace vt6cmd {

// A variable the axis pickers offer (kind 0, both picker properties set,
// category sharing a bit with VALUSER_LSTSEL).
struct AxisVariable {
  std::string name;
  int32_t id = -1;
  bool standard = false;  // also shares a bit with VALUSER_LSTUTI
};

struct EditedOutput {
  std::wstring label;   // the output's configuration table label
  OutputRecord record;
  bool hasMaps = false;  // the output has a pilot map (and maps are in use)
  sis::WordTable original;
  sis::WordTable table;
  bool parameterValid = true;  // false while the typed parameter is no number
};

class CCmdEditSession {
 public:
  // `standard`: the choices of the standard configuration pages.
  CCmdEditSession(std::vector<EditedOutput> outputs, const Limits& limits, std::vector<AxisVariable> axes,
                  bool standard, std::function<bool(int32_t)> idKnown);

  size_t Count() const { return outputs_.size(); }
  const EditedOutput& Output(size_t i) const { return outputs_.at(i); }
  const sis::WordTable& Table(size_t i) const { return outputs_.at(i).table; }
  bool Standard() const { return standard_; }
  const Limits& GetLimits() const { return limits_; }
  // The partner of a twin output, or -1.
  int32_t Partner(size_t i) const;

  // Choices offered for output i (the current one always among them).
  std::vector<uint16_t> Codes(size_t i) const;
  std::vector<uint16_t> Modes(size_t i) const;
  bool InvertOffered(size_t i) const;
  std::pair<uint32_t, uint32_t> ParameterRange(size_t i) const;
  bool AxesOffered(size_t i) const;
  // Axis variables offered; `advanced` widens the standard list to all.
  std::vector<AxisVariable> Axes(bool advanced) const;

  // Edits. A new code brings the mode, the parameter and the axes back within
  // what it accepts, and the twin partner along with the pair's rules.
  void SetCode(size_t i, uint16_t code);
  void SetMode(size_t i, uint16_t mode);
  void SetInverted(size_t i, bool inverted);
  // Text typed by the user: a decimal number up to 65535, else invalid.
  void SetParameterText(size_t i, const std::wstring& text);
  void SetLineAxis(size_t i, int32_t id);
  void SetColumnAxis(size_t i, int32_t id);
  // Word 11: the tuner chose the advanced tuning for this output; the axis
  // pickers then offer every variable, not only the VALUSER_LSTUTI ones.
  void SetAdvanced(size_t i, bool advanced);

  // Outputs whose table differs from the original.
  uint32_t ChangedMask() const;
  // True when a change needs the machine to restart (code or mode changed).
  bool NeedsReset(uint32_t mask) const;
  // The string numbers of the checks the outputs of `mask` break, with the
  // uniqueness over all outputs; empty when OK may be accepted.
  std::vector<int32_t> Problems(uint32_t mask) const;
  // The tables as the write step takes them.
  std::vector<sis::WordTable> Tables() const;

 private:
  void Adapt(size_t i);
  void FollowPartner(size_t i);
  CheckResult Check(size_t i, bool withTwin) const;

  std::vector<EditedOutput> outputs_;
  Limits limits_;
  std::vector<AxisVariable> axes_;
  bool standard_;
  std::function<bool(int32_t)> idKnown_;
};

// The advanced flag of an output: its configuration goes beyond what the
// standard pages offer (a code outside MIN/MAX_CMDNREL, a PWM parameter
// outside MIN/MAX_CMDPSFT, or a pilot-map axis variable whose category lacks
// the VALUSER_LSTUTI bits). `axisStandard` tells for an axis identifier.
bool BeyondStandard(const sis::WordTable& table, const Limits& limits, bool hasMaps,
                    const std::function<bool(int32_t)>& axisStandard);

}  // namespace vt6cmd

#endif
