// Vt6Cmd, the auxiliary outputs plug-in: application object and exports.
#include <cstdint>

#include "Vt6CmdInstance.h"
#include "sis/framework/plugin_app.h"
#include "sis/platform/export.h"

const SisResourceData* SisOwnResources();

namespace {

class CVt6CmdApp : public sis::PluginApp<CVt6CmdInstance> {
 public:
  CVt6CmdApp() : PluginApp("VT6CMD", SisOwnResources(), reinterpret_cast<const void*>(&SisOwnResources)) {}
};

CVt6CmdApp theApp;

}  // namespace

SIS_EXPORT void VT6CMD100(HostBuffer* record) { theApp.HandshakeExport(record); }

SIS_EXPORT void RUNSETCMD(int32_t instance, const char* name) { theApp.Run(instance, name); }
SIS_EXPORT void CLSSETCMD(int32_t instance, const char* name) { theApp.Close(instance, name); }
SIS_EXPORT void SAVSETCMD(int32_t instance, const char* name) { theApp.Save(instance, name); }
SIS_EXPORT void VALSETCMD(int32_t instance, const char* name) {
  theApp.Change(instance, name, sis::ChangeKind::Value);
}
SIS_EXPORT void MAPSETCMD(int32_t instance, const char* name) { theApp.Change(instance, name, sis::ChangeKind::Map); }
SIS_EXPORT void SENSETCMD(int32_t instance, const char* name) {
  theApp.Change(instance, name, sis::ChangeKind::Table);
}
SIS_EXPORT void CONSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnConnect);
}
SIS_EXPORT void DECSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnNothing);
}
SIS_EXPORT void TIMSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnNothing);
}
SIS_EXPORT void DEBSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnBegin);
}
SIS_EXPORT void FEMSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnPartFinished);
}
SIS_EXPORT void ERRSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnTransmissionError);
}
SIS_EXPORT void RSTSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnReset);
}
SIS_EXPORT void AUXSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnStandardBegin);
}
SIS_EXPORT void NORSETCMD(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt6CmdInstance::OnNormaliseBegin);
}

SIS_EXPORT char* VALAUXCMD(int32_t instance, int32_t a, int32_t b, int32_t c) {
  return theApp.CallText(instance, a, b, c, &CVt6CmdInstance::AuxValueText);
}
SIS_EXPORT char* VARAUXCMD(int32_t instance, int32_t a, int32_t b, int32_t c) {
  return theApp.CallText(instance, a, b, c, &CVt6CmdInstance::AuxVariableText);
}
SIS_EXPORT char* EL0RCOCMD(int32_t instance, int32_t a, int32_t b, int32_t c) {
  return theApp.CallText(instance, a, b, c, &CVt6CmdInstance::MotorRegulationText);
}
SIS_EXPORT char* EL0PIDCMD(int32_t instance, int32_t a, int32_t b, int32_t c) {
  return theApp.CallText(instance, a, b, c, &CVt6CmdInstance::MotorPidText);
}
