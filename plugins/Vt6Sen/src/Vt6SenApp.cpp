// Vt6Sen, the measurement inputs plug-in: application object and exports.
#include <cstdint>

#include "Vt6SenInstance.h"
#include "sis/framework/plugin_app.h"
#include "sis/platform/export.h"

const SisResourceData* SisOwnResources();

namespace {

class CVt6SenApp : public sis::PluginApp<CVt6SenInstance> {
 public:
  CVt6SenApp() : PluginApp("VT6SEN", SisOwnResources(), reinterpret_cast<const void*>(&SisOwnResources)) {}

  // Run: the instance is created first when its slot is empty; a failed
  // creation finishes the action at once.
  void Open(int32_t number, const char* rawName) noexcept {
    sis::ModuleStateGuard guard(Module());
    try {
      const char* name = rawName ? rawName : "";
      CVt6SenInstance* inst = Find(number);
      if (!inst) inst = CreateInstance(number);
      if (!inst) {
        sis::TrimsetAccess(Host(), number).ActionFinished(name);
        return;
      }
      inst->OnRun(name);
    } catch (...) {
    }
  }
};

CVt6SenApp theApp;

using Inst = CVt6SenInstance;

}  // namespace

SIS_EXPORT void VT6SEN100(HostBuffer* record) { theApp.HandshakeExport(record); }

SIS_EXPORT void RUNSETSEN(int32_t instance, const char* name) { theApp.Open(instance, name); }
SIS_EXPORT void CLSSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnClose); }
SIS_EXPORT void SAVSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnSave); }
SIS_EXPORT void TABSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnTableChanged); }
SIS_EXPORT void VERSETSEN(int32_t instance, const char* name) {
  theApp.Call(instance, name, &Inst::OnActivationChanged);
}
SIS_EXPORT void MAPSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnMapChanged); }
SIS_EXPORT void MODSETSEN(int32_t instance, const char* name) {
  theApp.Call(instance, name, &Inst::OnStructureChanged);
}
SIS_EXPORT void STASETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnStateChanged); }
SIS_EXPORT void CONSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnConnect); }
SIS_EXPORT void DECSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnDisconnect); }
SIS_EXPORT void TIMSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnNothing); }
SIS_EXPORT void DEBSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnBegin); }
SIS_EXPORT void FEMSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnPartFinished); }
SIS_EXPORT void ERRSETSEN(int32_t instance, const char* name) {
  theApp.Call(instance, name, &Inst::OnTransmissionError);
}
SIS_EXPORT void RSTSETSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnReset); }
SIS_EXPORT void DEBMODSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnBeginAverage); }
SIS_EXPORT void FEMMODSEN(int32_t instance, const char* name) {
  theApp.Call(instance, name, &Inst::OnAveragePartFinished);
}
SIS_EXPORT void ERRMODSEN(int32_t instance, const char* name) {
  theApp.Call(instance, name, &Inst::OnAverageTransmissionError);
}
SIS_EXPORT void RSTMODSEN(int32_t instance, const char* name) { theApp.Call(instance, name, &Inst::OnAverageReset); }
