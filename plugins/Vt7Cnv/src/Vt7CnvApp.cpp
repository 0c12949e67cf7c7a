// Vt7Cnv, the map conversion plug-in: application object and exports.
#include <cstdint>

#include "Vt7CnvInstance.h"
#include "sis/framework/plugin_app.h"
#include "sis/platform/export.h"

const SisResourceData* SisOwnResources();

namespace {

using vt7cnv::MapKind;

class CVt7CnvApp : public sis::PluginApp<CVt7CnvInstance> {
 public:
  CVt7CnvApp() : PluginApp("VT7CNV", SisOwnResources(), reinterpret_cast<const void*>(&SisOwnResources)) {}

  // An import request. This plug-in has no run verb: the instance is created
  // at the first request; when that fails the action is finished at once.
  void Import(int32_t number, const char* rawAction, MapKind kind) noexcept {
    sis::ModuleStateGuard guard(Module());
    try {
      const char* action = rawAction ? rawAction : "";
      CVt7CnvInstance* inst = Find(number);
      if (!inst) inst = CreateInstance(number);
      if (!inst) {
        sis::TrimsetAccess(Host(), number).ActionFinished(action);
        return;
      }
      inst->Import(kind, action);
    } catch (...) {
    }
  }
};

CVt7CnvApp theApp;

}  // namespace

SIS_EXPORT void VT7CNV100(HostBuffer* record) { theApp.HandshakeExport(record); }

SIS_EXPORT void DEBCNVESS(int32_t instance, const char* action) { theApp.Import(instance, action, MapKind::Injection); }
SIS_EXPORT void DEBCNVALL(int32_t instance, const char* action) { theApp.Import(instance, action, MapKind::Ignition); }
SIS_EXPORT void DEBCNVINJ(int32_t instance, const char* action) {
  theApp.Import(instance, action, MapKind::InjectorsCorrection);
}
SIS_EXPORT void DEBCNVCBO(int32_t instance, const char* action) { theApp.Import(instance, action, MapKind::CoilLoad); }
SIS_EXPORT void DEBCNVPHA(int32_t instance, const char* action) {
  theApp.Import(instance, action, MapKind::InjectionPhase);
}

SIS_EXPORT void FEMMORCNV(int32_t instance, const char* table) {
  theApp.Call(instance, table, &CVt7CnvInstance::OnPartFinished);
}
SIS_EXPORT void ERRMORCNV(int32_t instance, const char* table) {
  theApp.Call(instance, table, &CVt7CnvInstance::OnTransmissionError);
}
SIS_EXPORT void RSTMORCNV(int32_t instance, const char* action) {
  theApp.Call(instance, action, &CVt7CnvInstance::OnReset);
}
SIS_EXPORT void CONMORCNV(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt7CnvInstance::OnNothing);
}
SIS_EXPORT void DECMORCNV(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt7CnvInstance::OnNothing);
}
SIS_EXPORT void TIMMORCNV(int32_t instance, const char* name) {
  theApp.Call(instance, name, &CVt7CnvInstance::OnNothing);
}
