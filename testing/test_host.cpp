#include "test_host.h"

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "sis/abi/host_codes.h"
#include "sis/platform/dialog.h"
#include "sis/platform/message_box.h"
#include "sis/platform/text.h"

namespace sis::testing {
namespace {

TestHost* gCurrent = nullptr;

}  // namespace

int32_t HostCall::SentInt() const {
  int32_t v = 0;
  if (sent.size() >= 4) std::memcpy(&v, sent.data(), 4);
  return v;
}

Reply Reply::Fail(int32_t code) {
  Reply r;
  r.result = code;
  return r;
}
Reply Reply::Ok() { return Reply{}; }
Reply Reply::Int(int32_t v) {
  Reply r;
  r.shape = Shape::Int;
  r.count = -1;
  r.bytes.resize(4);
  std::memcpy(r.bytes.data(), &v, 4);
  return r;
}
Reply Reply::Text(const std::string& text) {
  Reply r;
  r.shape = Shape::Text;
  r.bytes.assign(text.begin(), text.end());
  r.bytes.push_back(0);
  r.count = static_cast<int32_t>(r.bytes.size());
  return r;
}
Reply Reply::Words(std::vector<uint16_t> words) {
  if (!words.empty()) words[0] = static_cast<uint16_t>(words.size() * 2);
  std::vector<uint8_t> bytes(words.size() * 2);
  std::memcpy(bytes.data(), words.data(), bytes.size());
  const auto count = static_cast<int32_t>(bytes.size());  // before the move below
  return RawBytes(count, std::move(bytes));
}
Reply Reply::Longs(std::vector<int32_t> longs) {
  if (!longs.empty()) longs[0] = static_cast<int32_t>(longs.size() * 4);
  std::vector<uint8_t> bytes(longs.size() * 4);
  std::memcpy(bytes.data(), longs.data(), bytes.size());
  const auto count = static_cast<int32_t>(bytes.size());  // before the move below
  return RawBytes(count, std::move(bytes));
}
Reply Reply::RawBytes(int32_t count, std::vector<uint8_t> bytes) {
  Reply r;
  r.shape = Shape::Raw;
  r.count = count;
  r.bytes = std::move(bytes);
  return r;
}

bool HandsOver(int32_t c) {
  switch (c) {
    case code::kRegister:
    case code::kVetoSave:
    case code::kActionState:
    case code::kFunctionState:
    case code::kErrorMark:
    case code::kSwitch:
    case code::kWriteValue:
    case code::kTransmit:
    case 0x40062:
    case 0x40064:
      return true;
    default:
      return false;
  }
}

TestHost::TestHost() {
  gCurrent = this;
  Answer(code::kHostVersion, Reply::Int(0x50000));
  Answer(code::kHostLanguage, Reply::Int(1033));
  Answer(code::kInstanceLevel, Reply::Int(3));
  Answer(code::kMachineName, Reply::Text("Bench"));
  Answer(code::kRegister, Reply::Ok());
  Answer(code::kVetoSave, Reply::Ok());
  Answer(code::kActionFinished, Reply::Ok());
}

TestHost::~TestHost() {
  if (gCurrent == this) gCurrent = nullptr;
}

TestHost* TestHost::Current() { return gCurrent; }

void TestHost::Answer(int32_t c, const std::string& name, Reply reply) { answers_[{c, name}] = std::move(reply); }

std::vector<const HostCall*> TestHost::CallsWith(int32_t c) const {
  std::vector<const HostCall*> out;
  for (const auto& call : calls) {
    if (call.code == c) out.push_back(&call);
  }
  return out;
}

int32_t TestHost::Dispatch(int32_t instance, int32_t c, const char* name, HostBuffer* io) {
  HostCall call{instance, c, name ? name : "", io->count, {}, 0};
  if (io->data) {
    const size_t size = io->count == -1 ? 4 : io->count > 0 ? static_cast<size_t>(io->count) : 0;
    const auto* p = static_cast<const uint8_t*>(io->data);
    call.sent.assign(p, p + size);
  }
  Reply reply = Reply::Fail(code::kDataError);
  bool found = hook && hook(call, reply);
  if (!found) {
    auto it = answers_.find({c, call.name});
    if (it == answers_.end()) it = answers_.find({c, ""});
    if (it != answers_.end()) reply = it->second;
  }
  call.result = reply.result;
  // Data handed over becomes the host's on success; this host drops it.
  if (HandsOver(c)) {
    if (reply.result == 0) std::free(io->data);
    if (reply.result == 0) *io = {0, nullptr};
  }
  if (reply.shape == Reply::Shape::Int && io->count == -1 && io->data && !HandsOver(c)) {
    // An integer query is answered in the plug-in's own block, as the host does.
    std::memcpy(io->data, reply.bytes.data(), 4);
  } else if (reply.shape != Reply::Shape::Empty) {
    // Other sent data stays the plug-in's: the reply comes in a new block.
    void* data = nullptr;
    if (!reply.bytes.empty()) {
      data = std::malloc(reply.bytes.size());
      std::memcpy(data, reply.bytes.data(), reply.bytes.size());
    }
    *io = {reply.count, data};
  }
  calls.push_back(std::move(call));
  return reply.result;
}

Plugin::Plugin(const std::string& dir, const std::string& name) {
  handle_ = dlopen((dir + "/" + name + ".so").c_str(), RTLD_NOW | RTLD_LOCAL);
}

Plugin::~Plugin() {
  if (handle_) dlclose(handle_);
}

void* Plugin::Symbol(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

std::pair<int32_t, int32_t> Plugin::Handshake(const char* exportName, const int32_t* id) const {
  auto fn = reinterpret_cast<HandshakeFn>(Symbol(exportName));
  if (!fn) return {-99, -99};
  int32_t idValue = id ? *id : 0;
  HostBuffer record = id ? HostBuffer{-1, &idValue} : HostBuffer{0, nullptr};
  fn(&record);
  std::pair<int32_t, int32_t> out{-98, -98};
  if (record.count == 8 && record.data) {
    const auto* pair = static_cast<const int32_t*>(record.data);
    out = {pair[0], pair[1]};
  }
  if (record.data != &idValue) std::free(record.data);
  return out;
}

void Plugin::Verb(const char* exportName, int32_t instance, const char* name) const {
  if (auto fn = reinterpret_cast<VerbFn>(Symbol(exportName))) fn(instance, name);
}

std::string Plugin::Text(const char* exportName, int32_t instance, int32_t a, int32_t b, int32_t c) const {
  auto fn = reinterpret_cast<TextExportFn>(Symbol(exportName));
  if (!fn) return "<missing>";
  char* text = fn(instance, a, b, c);
  std::string out = text ? text : "<null>";
  std::free(text);
  return out;
}

std::string Utf8(const std::wstring& text) { return sis::WideToUtf8(text); }

std::string PluginDir() { return SIS_TEST_PLUGIN_DIR; }

RecordingBackend::RecordingBackend() { sis::SetBackend(this); }
RecordingBackend::~RecordingBackend() { sis::SetBackend(nullptr); }

int RecordingBackend::MessageBox(sis::BoxKind kind, const std::wstring& text) {
  events.push_back(std::string("MSGBOX ") + sis::BoxKindName(kind) + " " + Utf8(text));
  if (onBox) onBox(kind, text);
  if (boxAnswers.empty()) return kind == sis::BoxKind::Question ? sis::kIdNo : sis::kIdOk;
  int answer = boxAnswers.front();
  boxAnswers.pop_front();
  return answer;
}

std::vector<std::string> RecordingBackend::With(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const auto& e : events) {
    if (e.rfind(prefix, 0) == 0) out.push_back(e);
  }
  return out;
}

int RecordingBackend::RunModal(sis::Dialog& dialog) {
  events.push_back("DIALOG " + std::to_string(dialog.ActivePane()->TemplateId()) + " " + Utf8(dialog.Title()));
  if (onModal) onModal(dialog);
  if (!dialog.IsEnded()) dialog.EndDialog(sis::kIdCancel);
  return 0;
}

void RecordingBackend::WindowShown(sis::Dialog& dialog) {
  if (int32_t list = dialog.ReportListId()) {
    events.push_back("REPORT " + Utf8(dialog.Title()));
    if (sis::Control* c = dialog.Item(list)) {
      for (int32_t i = 0; i < c->ItemCount(); ++i) events.push_back("ROW " + Utf8(c->ItemText(i)));
    }
    return;
  }
  events.push_back("DIALOG " + std::to_string(dialog.TemplateId()) + " " + Utf8(dialog.Title()));
}

void RecordingBackend::WindowHidden(sis::Dialog& dialog) {
  if (dialog.ReportListId()) events.push_back("REPORT-HIDDEN " + Utf8(dialog.Title()));
}

bool RecordingBackend::FileOpen(const std::wstring& title, const std::wstring&, std::string&) {
  events.push_back("FILEOPEN " + Utf8(title));
  return false;
}

}  // namespace sis::testing

// The host entry the plug-ins bind to at library start.
extern "C" __attribute__((visibility("default"))) int32_t ACTIONDLL(int32_t instance, int32_t code, const char* name,
                                                                    HostBuffer* io) {
  sis::testing::TestHost* host = sis::testing::TestHost::Current();
  if (!host) return -1;
  return host->Dispatch(instance, code, name, io);
}
