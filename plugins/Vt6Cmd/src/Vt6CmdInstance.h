// One Vt6Cmd instance: the auxiliary outputs function on one Trimset or machine.
#ifndef VT6CMD_INSTANCE_H
#define VT6CMD_INSTANCE_H

#include <string>

#include "sis/framework/instance.h"
#include "sis/framework/plugin_app.h"

class CVt6CmdInstance : public sis::Instance {
 public:
  using sis::Instance::Instance;

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
  void OnPartFinished(const char* part);
  void OnTransmissionError(const char* part);
  void OnReset(const char* action);

  // Display texts.
  std::string AuxValueText(int32_t a, int32_t b, int32_t c);
  std::string AuxVariableText(int32_t a, int32_t b, int32_t c);
  std::string MotorRegulationText(int32_t a, int32_t b, int32_t c);
  std::string MotorPidText(int32_t a, int32_t b, int32_t c);
};

#endif
