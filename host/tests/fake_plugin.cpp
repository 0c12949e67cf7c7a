// A tiny plug-in that drives the host the way the real ones do: handshake,
// run/save/close, a transmission exchange, change, timer and text exports.
// Its behaviour is steered by the Trimset's constants: FAKE_VETO (save veto
// with an error box), FAKE_SEND (0: finish without transmitting), FAKE_RESET
// (machine reset after the transmission), FAKE_ASK (a question box before the
// edit; No cancels it), FAKE_REPORT (a report window with two rows at run),
// FAKE_MIGRATE (the run writes 0x99 into word 1 of its table), FAKE_DIALOG
// (the edit asks word 1 in a modal dialog: edit 1002, check box 1003),
// FAKE_FINISH (the edit answers 0x30003 at once: 1 after asking the
// transmission, 2 before), FAKE_FILE (the edit first asks a file; cancel
// ends it), FAKE_LOOP (each part finished asks the part again, endlessly).
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>

#include <memory>

#include "sis/abi/host_abi.h"
#include "sis/abi/host_codes.h"
#include "sis/platform/dialog.h"
#include "sis/platform/message_box.h"
#include "sis/platform/shell.h"

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

ActionDllFn g_host = nullptr;
std::map<std::string, std::string> g_sending;  // table sent -> the action that sent it

__attribute__((constructor)) void Start() {
  g_host = reinterpret_cast<ActionDllFn>(dlsym(RTLD_DEFAULT, "ACTIONDLL"));
}

int32_t* NewInt(int32_t v) {
  auto* p = static_cast<int32_t*>(std::malloc(sizeof(int32_t)));
  *p = v;
  return p;
}

// A read: the reply is ours to free in every case.
int32_t ReadInt(int32_t instance, int32_t code, const char* name, int32_t fallback) {
  HostBuffer b{0, nullptr};
  const int32_t r = g_host(instance, code, name, &b);
  int32_t v = fallback;
  if (r == 0 && b.count == -1 && b.data != nullptr) std::memcpy(&v, b.data, 4);
  std::free(b.data);
  return v;
}

std::string ReadText(int32_t instance, int32_t code, const char* name) {
  HostBuffer b{0, nullptr};
  std::string out;
  if (g_host(instance, code, name, &b) == 0 && b.count > 0 && b.data != nullptr)
    out.assign(static_cast<char*>(b.data), static_cast<size_t>(b.count) - 1);
  std::free(b.data);
  return out;
}

// A handed-over send: kept by the host on 0, ours to free otherwise.
int32_t Send(int32_t instance, int32_t code, const char* name, int32_t count, void* data) {
  HostBuffer b{count, data};
  const int32_t r = g_host(instance, code, name, &b);
  if (r != 0) std::free(data);
  return r;
}

void Finish(int32_t instance, const std::string& name) {
  HostBuffer b{0, nullptr};
  g_host(instance, sis::code::kActionFinished, name.c_str(), &b);
  std::free(b.data);
}

// A report window built without a template: one list of rows.
class FakeReport : public sis::Dialog {
 public:
  FakeReport() : Dialog(1010) {}
  int32_t ReportListId() const override { return 1001; }

 protected:
  bool BuildWindow() override {
    AddControl(1001, sis::ControlKind::List, L"");
    return true;
  }
};
std::unique_ptr<FakeReport> g_report;

// The edit dialog, also built without a template.
class FakeDialog : public sis::Dialog {
 public:
  FakeDialog() : Dialog(2000) {}
  std::wstring value;

 protected:
  bool BuildWindow() override {
    AddControl(1002, sis::ControlKind::Edit, L"");
    AddControl(1003, sis::ControlKind::Check, L"Confirm");
    return true;
  }
  void OnOK() override {
    value = Item(1002)->Text();
    EndDialog(Item(1003)->IsChecked() ? sis::kIdOk : sis::kIdCancel);
  }
};

int32_t Constant(int32_t instance, const char* name) { return ReadInt(instance, sis::code::kConstant, name, 0); }

char* Copy(const std::string& s) {
  char* p = static_cast<char*>(std::malloc(s.size() + 1));
  std::memcpy(p, s.c_str(), s.size() + 1);
  return p;
}

}  // namespace

FAKE_EXPORT void FAKEPLG100(HostBuffer* record) {
  int32_t id = 0;
  if (record->count == -1 && record->data != nullptr) std::memcpy(&id, record->data, 4);
  auto* pair = static_cast<int32_t*>(std::malloc(8));
  pair[0] = 0;
  pair[1] = 0;
  if (ReadInt(id, sis::code::kHostVersion, "", 0) >= 0x50000) {
    Send(id, sis::code::kRegister, "FAKEPLG", -1, NewInt(1));
    pair[0] = 0x00010002;
    pair[1] = ReadInt(id, sis::code::kHostLanguage, "", 1033);
  }
  record->count = 8;
  record->data = pair;
}

FAKE_EXPORT void RUNSETPLG(int32_t instance, const char* name) {
  ReadInt(instance, sis::code::kInstanceLevel, "", -1);
  ReadText(instance, sis::code::kMachineName, "");
  HostBuffer b{0, nullptr};
  g_host(instance, sis::code::kValue, name, &b);
  if (Constant(instance, "FAKE_MIGRATE") != 0 && b.count >= 4) {
    static_cast<uint16_t*>(b.data)[1] = 0x99;
    if (Send(instance, sis::code::kWriteValue, name, b.count, b.data) != 0) return;
  } else {
    std::free(b.data);
  }
  if (Constant(instance, "FAKE_REPORT") != 0) {
    g_report = std::make_unique<FakeReport>();
    g_report->Create();
    g_report->SetTitle(L"Fake errors");
    sis::Control* list = g_report->Item(1001);
    list->AddItem(L"first fault");
    list->AddItem(L"second fault é");
    g_report->ShowWindow(true);
  }
}

FAKE_EXPORT void SAVSETPLG(int32_t instance, const char*) {
  if (Constant(instance, "FAKE_VETO") == 0) return;
  sis::MessageBox(sis::BoxKind::Error, L"BENCH\nThis Trimset cannot be saved");
  Send(instance, sis::code::kVetoSave, "", -1, NewInt(-3));
}

FAKE_EXPORT void CLSSETPLG(int32_t, const char*) { g_report.reset(); }

// Begin: increments word 1 of the action's table, writes it and asks for it
// to be sent on a machine; otherwise finishes at once.
FAKE_EXPORT void DEBSETPLG(int32_t instance, const char* actionName) {
  const std::string action = actionName;  // a modal wait may begin another action
  if (Constant(instance, "FAKE_ASK") != 0 &&
      sis::MessageBox(sis::BoxKind::Question, L"BENCH\nEdit the table?") != sis::kIdYes) {
    Finish(instance, action);
    return;
  }
  std::string path;
  if (Constant(instance, "FAKE_FILE") != 0 && !sis::FileOpenDialog(L"Fake import BENCH", L"Fake (*.fak)|*.fak||", path)) {
    Finish(instance, action);
    return;
  }
  const std::string table = ReadText(instance, sis::code::kActionTable, action.c_str());
  HostBuffer b{0, nullptr};
  if (table.empty() || g_host(instance, sis::code::kValue, table.c_str(), &b) != 0 || b.count < 4) {
    std::free(b.data);
    Finish(instance, action);
    return;
  }
  if (Constant(instance, "FAKE_DIALOG") != 0) {
    FakeDialog dialog;
    dialog.SetTitle(L"Fake edit BENCH");
    if (dialog.DoModal() != sis::kIdOk) {
      std::free(b.data);
      Finish(instance, action);
      return;
    }
    static_cast<uint16_t*>(b.data)[1] = static_cast<uint16_t>(std::wcstol(dialog.value.c_str(), nullptr, 10));
  } else {
    static_cast<uint16_t*>(b.data)[1] += 1;
  }
  if (Send(instance, sis::code::kWriteValue, table.c_str(), b.count, b.data) != 0) {
    Finish(instance, action);
    return;
  }
  const bool send = ReadInt(instance, sis::code::kConstant, "FAKE_SEND", 1) != 0;
  const int32_t finish = Constant(instance, "FAKE_FINISH");
  if (finish == 2) Finish(instance, action);
  g_sending[table] = action;
  if (!send || instance < 8 || ReadInt(instance, sis::code::kMachineState, "", -1) == -1 ||
      Send(instance, sis::code::kTransmit, table.c_str(), -1, NewInt(-1)) != 0 || finish == 1)
    Finish(instance, action);
}

FAKE_EXPORT void FEMSETPLG(int32_t instance, const char* part) {
  auto it = g_sending.find(part);
  if (it == g_sending.end()) return;
  if (Constant(instance, "FAKE_LOOP") != 0) {
    Send(instance, sis::code::kTransmit, part, -1, NewInt(-1));
    return;
  }
  if (ReadInt(instance, sis::code::kConstant, "FAKE_RESET", 0) != 0 &&
      Send(instance, sis::code::kTransmit, "VSYS_RSTMAC", -1, NewInt(-1)) != 0)
    ReadText(instance, sis::code::kMachineName, "");  // stands for the reset-failed message
  Finish(instance, it->second);
}

FAKE_EXPORT void ERRSETPLG(int32_t instance, const char* part) {
  auto it = g_sending.find(part);
  if (it == g_sending.end() || ReadInt(instance, sis::code::kErrorState, part, 0) == 0) return;
  ReadText(instance, sis::code::kErrorText, part);
  Finish(instance, it->second);
}

FAKE_EXPORT void RSTSETPLG(int32_t, const char* action) {
  std::erase_if(g_sending, [&](const auto& entry) { return entry.second == action; });
}

FAKE_EXPORT void VALSETPLG(int32_t instance, const char* name) { ReadInt(instance, sis::code::kValuePresent, name, 0); }

FAKE_EXPORT void TIMSETPLG(int32_t instance, const char*) { ReadInt(instance, 0x10023, "", 0); }

FAKE_EXPORT void CONSETPLG(int32_t instance, const char*) { ReadInt(instance, sis::code::kMachineState, "", -1); }

FAKE_EXPORT void DECSETPLG(int32_t instance, const char*) { ReadInt(instance, sis::code::kMachineState, "", -1); }

FAKE_EXPORT char* TXTSETPLG(int32_t instance, int32_t a, int32_t b, int32_t c) {
  return Copy("text " + std::to_string(instance + a + b + c));
}

FAKE_EXPORT char* ARRSETPLG(int32_t, int32_t, int32_t, int32_t) {
  char* p = new char[6];
  std::memcpy(p, "array", 6);
  return p;
}
