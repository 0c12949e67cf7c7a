// One Vt6Cmd instance: the auxiliary outputs function on one Trimset or machine.
//
// Reading (run) takes the named constants, the command configuration table,
// every output's record, configuration table, description text and maps, and
// the two dependency rules texts. Publishing checks every output, writes the
// compiled commands table and the descriptions, switches the pilot maps and
// applies the rules; it runs after the run, after a changed output table,
// after the editing dialogs and at the transmission reset when a refresh
// waited for it.
#ifndef VT6CMD_INSTANCE_H
#define VT6CMD_INSTANCE_H

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "CmdConfig.h"
#include "CmdEditor.h"
#include "sis/framework/instance.h"
#include "sis/framework/plugin_app.h"
#include "sis/framework/rules.h"
#include "sis/framework/transmission.h"

class CCmdEditing;

class CVt6CmdInstance : public sis::Instance {
 public:
  CVt6CmdInstance(const sis::HostLink& host, int32_t number);
  ~CVt6CmdInstance();

  struct Output {
    int32_t partId = 0;  // r0
    std::string part;    // configuration table
    std::string description;
    std::string pilotMap, secondMap;  // empty when none
    int32_t pilotMapId = -1, secondMapId = -1;
    vt6cmd::OutputRecord record;
    sis::WordTable table;
    int32_t status = -2;  // -2 not received, -1 unknown format, 0 in error, 1 valid
    bool advanced = false;
    bool HasMaps() const { return !pilotMap.empty(); }
  };

  // Run, close and save hooks of the framework.
  bool ReadConfiguration();
  bool FinalCheck();
  void ClearConfiguration();
  void RefreshDisplays();
  bool Watches(const char* name, sis::ChangeKind kind) const;
  void TakeChange(const char* name, sis::ChangeKind kind);

  // Verbs.
  void OnConnect(const char* name);
  void OnNothing(const char* name);
  void OnBegin(const char* action);
  void OnStandardBegin(const char* action);
  void OnNormaliseBegin(const char* action);
  void OnPartFinished(const char* part);
  void OnTransmissionError(const char* part);
  void OnReset(const char* action);

  // Display texts: (identifier, value, signed) and (unused, value, signed).
  std::string AuxValueText(int32_t identifier, int32_t value, int32_t isSigned);
  std::string AuxVariableText(int32_t identifier, int32_t value, int32_t isSigned);
  std::string MotorRegulationText(int32_t unused, int32_t value, int32_t isSigned);
  std::string MotorPidText(int32_t unused, int32_t value, int32_t unused2);

  // Model, read by the editing actions and by tests through the host.
  const std::vector<Output>& Outputs() const { return outputs_; }
  const vt6cmd::Limits& GetLimits() const { return limits_; }
  bool OptionFlag() const { return optionFlag_; }
  int32_t GlobalStatus() const { return globalStatus_; }

  // Publishing; true when every output and the uniqueness passed.
  bool Publish();
  // The output check of output i: status, registry, error mark, report line.
  void CheckOutput(size_t i);
  // After the dialogs' write step: the tables now in the Trimset.
  void TakeEditedTables(const std::vector<sis::WordTable>& tables, uint32_t mask);
  // The variables the axis pickers offer.
  std::vector<vt6cmd::AxisVariable> PickerVariables() const;
  // All outputs as the editing session starts them.
  std::vector<vt6cmd::EditedOutput> EditedOutputs() const;
  bool IdKnown(int32_t id) const;

 private:
  bool ReadOutputs(const sis::LongTable& config, size_t count);
  void ReadInputs();
  bool UniquenessCheck();
  void SetReportLine(int32_t index, const std::wstring& text);
  void WriteDescription(size_t i);
  void PublishMaps(size_t i);
  void MotorVariables();
  void ComputeAdvanced();
  bool CategoryStandard(int32_t id) const;
  void ApplyRules();
  std::set<uint16_t> CodesInUse() const;
  uint32_t ClassOf(int32_t measurement) const;
  int32_t RuleValue(const sis::Rule& rule, const std::set<uint16_t>& codes) const;
  void ConnectionUpdate();
  bool AnyStatusNegative() const;
  bool HostOperation(int32_t code, const char* name) const;
  bool SetMapAxis(int32_t code, const std::string& map, int32_t id) const;
  int32_t FindOutputByMap(int32_t id, bool second) const;
  int32_t SecondMapOfVariable(int32_t id) const;
  bool BeginCommon(const char* action);
  std::wstring PartHeading(size_t i) const;

  vt6cmd::Limits limits_;
  bool optionFlag_ = false;
  bool mapsFlag_ = false;
  std::string compiledName_;
  std::string inputsName_;
  sis::WordTable inputs_;
  std::vector<sis::Rule> generalRules_;
  std::vector<sis::Rule> outputRules_;
  std::vector<Output> outputs_;
  int32_t globalStatus_ = -2;  // -2 unknown, -1 duplicate, 1 valid
  std::map<size_t, uint16_t> registry_;  // valid outputs and their codes
  bool motorFlag_ = false;
  bool connectionPending_ = false;
  // What the next display refresh does for a change taken outside a transfer.
  enum class Pending { Publish, Advanced, Inputs, Nothing } pending_ = Pending::Publish;

  friend class CCmdEditing;
  std::unique_ptr<CCmdEditing> editing_;
  std::unique_ptr<sis::TransmissionExchange> exchange_;
};

#endif
