// The application object of a plug-in library and the frame of its exports.
//
// Each plug-in defines one global application object (CVt6CmdApp pattern):
// constructed at library start (instance table of 1024 empty slots, ACTIONDLL
// bound) and destroyed at library end (every instance freed with its report
// window, then the satellite released). Every export goes through a frame that
// switches to the plug-in's module state for the whole call, finds the
// instance, and lets no exception out.
//
// The plug-in's instance class `Inst` (derived from sis::Instance) supplies:
//   bool ReadConfiguration();   // run: read constants and tables, check, fill checkLines
//   bool FinalCheck();          // close and save: check again, update the report
//   void ClearConfiguration();  // close: empty every configuration datum
//   void RefreshDisplays();     // after run and after a taken change
//   bool Watches(const char* name, ChangeKind kind) const;
//   void TakeChange(const char* name, ChangeKind kind);
#ifndef SIS_FRAMEWORK_PLUGIN_APP_H
#define SIS_FRAMEWORK_PLUGIN_APP_H

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sis/abi/host_abi.h"
#include "sis/framework/host_link.h"
#include "sis/framework/instance.h"
#include "sis/framework/messages.h"
#include "sis/framework/report.h"
#include "sis/platform/module.h"
#include "sis/platform/resource_data.h"

namespace sis {

enum class ChangeKind { Value, Map, Table };

// How a text export's reply is allocated; the host frees it the same way.
enum class TextAlloc { Malloc, ArrayNew };

inline constexpr int32_t kInstanceSlots = 1024;
inline constexpr int32_t kMinHostVersion = 0x50000;
inline constexpr int32_t kLanguageFrench = 1036;

// Everything of the application object that does not depend on the instance class.
class AppBase {
 public:
  // `registrationName`: the handshake export's name without "100" ("VT6CMD").
  AppBase(const char* registrationName, const SisResourceData* resources, const void* anchor);
  virtual ~AppBase() = default;
  AppBase(const AppBase&) = delete;
  AppBase& operator=(const AppBase&) = delete;

  ResourceModule& Module() { return module_; }
  const HostLink& Host() const { return host_; }
  // The language reported by the last handshake.
  int32_t Language() const { return language_; }

  // The handshake export's body.
  void Handshake(HostBuffer* record);

  // The satellite path for a language: own path with the locale's
  // three-letter abbreviation before the file's last "."; empty when unknown.
  static std::string SatellitePath(const std::string& ownPath, int32_t locale);

 protected:
  HostLink host_;

 private:
  std::string registrationName_;
  ResourceModule module_;
  int32_t language_ = -1;
};

// Allocates a text export's reply.
char* AllocateText(const std::string& text, TextAlloc alloc);

template <class Inst>
class PluginApp : public AppBase {
 public:
  using Verb = void (Inst::*)(const char* name);
  using TextVerb = std::string (Inst::*)(int32_t a, int32_t b, int32_t c);

  PluginApp(const char* registrationName, const SisResourceData* resources, const void* anchor)
      : AppBase(registrationName, resources, anchor) {
    slots_.resize(kInstanceSlots);  // InitInstance: 1024 empty slots
    host_.Bind();
  }

  // ExitInstance: every instance freed in slot order, its report window first.
  ~PluginApp() override {
    for (auto& slot : slots_) {
      if (!slot) continue;
      slot->DestroyReport();
      slot.reset();
    }
  }

  // The instance in slot `number`, or null (also for numbers above 1023).
  Inst* Find(int32_t number) const {
    const auto index = static_cast<uint32_t>(number);
    return index < static_cast<uint32_t>(kInstanceSlots) ? slots_[index].get() : nullptr;
  }

  // Creates the instance for the run verb (or a plug-in's first request).
  Inst* CreateInstance(int32_t number) {
    const auto index = static_cast<uint32_t>(number);
    if (index >= static_cast<uint32_t>(kInstanceSlots) || slots_[index]) return nullptr;
    slots_[index] = std::make_unique<Inst>(host_, number);
    if (!slots_[index]->Initialise()) {
      slots_[index].reset();
      return nullptr;
    }
    return slots_[index].get();
  }

  // --- Export frames ---------------------------------------------------------

  void HandshakeExport(HostBuffer* record) noexcept {
    try {
      Handshake(record);
    } catch (...) {
    }
  }

  // A verb: nothing happens unless the slot is occupied.
  void Call(int32_t number, const char* name, Verb verb) noexcept {
    ModuleStateGuard guard(Module());
    try {
      if (Inst* inst = Find(number)) (inst->*verb)(name ? name : "");
    } catch (...) {
    }
  }

  // A text export: eight blanks unless the slot is occupied.
  char* CallText(int32_t number, int32_t a, int32_t b, int32_t c, TextVerb verb,
                 TextAlloc alloc = TextAlloc::Malloc) noexcept {
    ModuleStateGuard guard(Module());
    try {
      Inst* inst = Find(number);
      return AllocateText(inst ? (inst->*verb)(a, b, c) : std::string(8, ' '), alloc);
    } catch (...) {
      return nullptr;
    }
  }

  // Run: creates the instance, reads and checks the configuration, shows the
  // report; a failure marks the instance in error and finishes the action.
  void Run(int32_t number, const char* rawName) noexcept {
    ModuleStateGuard guard(Module());
    try {
      const char* name = rawName ? rawName : "";
      Inst* inst = Find(number);
      if (!inst) inst = CreateInstance(number);
      if (!inst) {
        TrimsetAccess(host_, number).ActionFinished(name);
        return;
      }
      if (inst->Has(flag::kOpen | flag::kBusy)) return;
      inst->flags = flag::kBusy;
      inst->tableName = name;
      inst->DestroyReport();
      inst->checkLines = ReportLines{};
      if (inst->ReadConfiguration()) {
        inst->flags = flag::kOpen;
        inst->BuildReport(inst->checkLines, static_cast<int32_t>(inst->partNames.size()));
        inst->RefreshDisplays();
        return;
      }
      inst->flags = flag::kConfigError | flag::kBusy;
      ShowMessageIds(BoxKind::Error, inst->MachineName(), {msg::kMajorError});
      inst->ActionFinished(name);
      inst->Clear(flag::kBusy);
    } catch (...) {
    }
  }

  // Close: the final check (unless already in error), then everything emptied.
  void Close(int32_t number, const char* rawName) noexcept {
    ModuleStateGuard guard(Module());
    try {
      Inst* inst = Find(number);
      if (!inst || !rawName || inst->tableName != rawName || !inst->Has(flag::kOpen)) return;
      inst->Clear(flag::kOpen);
      inst->Set(flag::kBusy);
      if (!inst->Has(flag::kConfigError) && !inst->FinalCheck()) inst->Set(flag::kConfigError);
      inst->DestroyReport();
      inst->ClearConfiguration();
      inst->Clear(flag::kBusy);
    } catch (...) {
    }
  }

  // Save: the final check of an open instance, or the error of a failed one,
  // vetoes the save.
  void Save(int32_t number, const char* rawName) noexcept {
    ModuleStateGuard guard(Module());
    try {
      Inst* inst = Find(number);
      if (!inst || !rawName || inst->tableName != rawName) return;
      if (inst->Has(flag::kOpen)) {
        const bool ok = inst->FinalCheck();
        if (inst->report) inst->report->Refresh();
        if (!ok) inst->VetoSave();
      } else if (inst->Has(flag::kConfigError)) {
        if (!inst->report) {
          ReportLines lines;
          lines.general = LoadString(msg::kMajorError);
          inst->BuildReport(lines, 0);
        } else {
          inst->report->Refresh();
        }
        inst->VetoSave();
      }
    } catch (...) {
    }
  }

  // Value, map or table change: taken only when open, watched and present.
  void Change(int32_t number, const char* rawName, ChangeKind kind) noexcept {
    ModuleStateGuard guard(Module());
    try {
      Inst* inst = Find(number);
      if (!inst || !rawName || !inst->Has(flag::kOpen) || !inst->Watches(rawName, kind)) return;
      int32_t present = 0;
      if (!inst->ValuePresent(rawName, present) || present == 0) return;
      inst->TakeChange(rawName, kind);
      if (inst->Has(flag::kTransmission)) {
        inst->Set(flag::kRefreshPending);
      } else {
        inst->RefreshDisplays();
      }
    } catch (...) {
    }
  }

 private:
  std::vector<std::unique_ptr<Inst>> slots_;
};

}  // namespace sis

#endif
