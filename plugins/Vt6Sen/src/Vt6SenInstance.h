// One Vt6Sen instance: the measurement inputs function on one Trimset or
// machine. It reads the inputs configuration table and everything it names,
// checks it, keeps the compiled inputs table and the host's availabilities in
// step with the channel assignment, and runs the two editing exchanges.
#ifndef VT6SEN_INSTANCE_H
#define VT6SEN_INSTANCE_H

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "SenCodes.h"
#include "SenModel.h"
#include "SenReports.h"
#include "sis/framework/instance.h"
#include "sis/framework/transmission.h"

class CVt6SenInstance;

// Instance flags beyond the framework's.
namespace senflag {
inline constexpr uint32_t kAverageExchange = 0x100;  // average map exchange running
}

// The inputs configuration exchange: its begin verb runs its own steps (the
// dialog's title is fixed and no action table is asked for); the frame writes,
// sends, follows the reports and resets.
class SenInputsDelegate : public sis::ExchangeDelegate {
 public:
  bool OwnsTable(const std::string&) override { return true; }
  int32_t CannotEdit(int32_t) override { return 0; }
  bool RunDialog(sis::TransmissionExchange&, const std::wstring&) override { return false; }
  void RefreshDisplays() override {}
};

// The average map exchange runs in the frame from its begin verb: the edited
// structure is its only part.
class SenAverageDelegate : public sis::ExchangeDelegate {
 public:
  explicit SenAverageDelegate(CVt6SenInstance& owner) : owner_(owner) {}
  bool OwnsTable(const std::string&) override { return true; }
  bool FindTable(sis::TransmissionExchange& exchange, const char* action, std::string& table,
                 int32_t& number) override;
  int32_t CannotEdit(int32_t) override;
  bool RunDialog(sis::TransmissionExchange& exchange, const std::wstring& title) override;
  void RefreshDisplays() override {}

 private:
  CVt6SenInstance& owner_;
};

class CVt6SenInstance : public sis::Instance {
 public:
  CVt6SenInstance(const sis::HostLink& host, int32_t number);
  ~CVt6SenInstance();

  // Verbs.
  void OnRun(const char* name);
  void OnClose(const char* name);
  void OnSave(const char* name);
  void OnTableChanged(const char* name);
  void OnActivationChanged(const char* name);
  void OnMapChanged(const char* name);
  void OnStructureChanged(const char* name);
  void OnStateChanged(const char* name);
  void OnConnect(const char* name);
  void OnDisconnect(const char* name);
  void OnNothing(const char*) {}
  void OnBegin(const char* action);
  void OnPartFinished(const char* part);
  void OnTransmissionError(const char* part);
  void OnReset(const char* action);
  void OnBeginAverage(const char* action);
  void OnAveragePartFinished(const char* part);
  void OnAverageTransmissionError(const char* part);
  void OnAverageReset(const char* action);

  // State the dialogs and tests read.
  int32_t Status() const { return status_; }
  const std::vector<sen::Measurement>& Records() const { return records_; }
  const std::vector<sen::Channel>& Channels() const { return channels_; }
  const sis::WordTable& Assignment() const { return assignment_; }
  uint32_t SelectMask() const { return listSelect_; }
  uint32_t UsualMask() const { return listUsual_; }
  bool AdvancedLevel() const { return levelAtMost4_; }
  // Labels of the key variables (display texts), read at opening.
  const std::vector<std::wstring>& Labels() const { return labels_; }

  // Host operations of this plug-in.
  bool ReadValueRange(const char* name, int32_t& low, int32_t& high) const;
  bool FormatValue(const char* name, int32_t value, std::string& text) const;
  bool ReadLabelWide(const std::string& name, std::wstring& label) const;

  // Average map exchange steps run by its delegate: the structure of the
  // action's average map (false when there is none), whether it can be
  // edited, and the Map scale dialog with its write step.
  bool FindEditedStructure(const char* action, std::string& structure);
  int32_t EditedStructureStatus() const;
  bool RunMapScaleDialog(sis::TransmissionExchange& exchange, const std::wstring& title);

 private:
  bool ReadConfiguration();
  bool ReadRecords(const sis::LongTable& config);
  bool Resolve(int32_t id, std::string& name) const;
  bool Available(const std::string& name) const;
  void ClearConfiguration();
  bool Savable() const;

  // False when the check stopped before the conversion map checks.
  bool CheckAssignment();
  void CheckConversionMap(size_t i);
  void CheckAverageStructure(size_t i);
  void SynchroniseActivation();
  void UpdateStateTexts();
  void ApplyRules();
  void ApplyConnectionRules();
  void WriteChannelTexts(const sen::Measurement& m, const std::wstring& channelName, const std::string& use);
  void CallEmpty(int32_t code, const char* name) const;
  void SetMark(const char* name, bool mark) const;
  // The Inputs configuration dialog; true on OK with the edited words.
  bool RunInputsDialog(const std::wstring& title, sis::WordTable& edited);
  void CreateReports();
  void DestroyReports();

  int32_t status_ = sen::kStatusNotReceived;
  bool levelAtMost4_ = false;
  bool levelAtMost5_ = false;
  uint32_t listSelect_ = 0, listRemote_ = 0, listUsual_ = 0;
  std::string assignmentName_, compiledName_, activationName_;
  std::vector<sen::Measurement> records_;
  std::vector<sen::Channel> channels_;
  std::vector<sis::Rule> rules_;
  std::vector<std::wstring> labels_;
  sis::WordTable assignment_;
  sis::WordTable savedAssignment_;
  sis::WordTable activation_;
  sis::WordTable activationCopy_;
  std::array<std::wstring, sen::ids::kStateTextCount> stateTexts_;

  bool conPending_ = false;
  bool ownAssignmentWrite_ = false;
  bool ownActivationWrite_ = false;
  bool recheckPending_ = false;
  bool averageRecheckPending_ = false;
  int32_t dialogInProgress_ = 0;
  int32_t editedMeasurement_ = -1;
  bool editedPending_ = false;  // the edited structure's changes wait for the reset (until the dialog's OK)

  std::unique_ptr<CSisRepSen> inputsReport_, mapsReport_, averageReport_;
  SenInputsDelegate inputsDelegate_;
  SenAverageDelegate averageDelegate_{*this};
  sis::TransmissionExchange inputsExchange_;
  sis::TransmissionExchange averageExchange_;
};

#endif
