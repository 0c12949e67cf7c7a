// A small in-process host for tests: exports ACTIONDLL, answers each code from
// a programmable table, records every call, loads plug-ins with dlopen and
// records what the user interface shows.
#ifndef SIS_TESTING_TEST_HOST_H
#define SIS_TESTING_TEST_HOST_H

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "sis/abi/host_abi.h"
#include "sis/platform/backend.h"

namespace sis::testing {

struct HostCall {
  int32_t instance;
  int32_t code;
  std::string name;
  int32_t sentCount;
  std::vector<uint8_t> sent;  // bytes the plug-in sent (int, text or table)
  int32_t result;

  int32_t SentInt() const;
};

// A reply: result code, then the buffer the host leaves.
struct Reply {
  int32_t result = 0;
  enum class Shape { Empty, Int, Text, Raw } shape = Shape::Empty;
  int32_t count = 0;  // for Raw: the count field as given
  std::vector<uint8_t> bytes;

  static Reply Fail(int32_t code);
  static Reply Int(int32_t v);
  static Reply Text(const std::string& text);  // NUL added
  static Reply Words(std::vector<uint16_t> words);
  static Reply Longs(std::vector<int32_t> longs);
  // Any count and bytes, for malformed replies.
  static Reply RawBytes(int32_t count, std::vector<uint8_t> bytes);
  static Reply Ok();
};

class TestHost {
 public:
  TestHost();
  ~TestHost();

  // Fixed replies by (code, name); an empty name matches any name.
  void Answer(int32_t code, const std::string& name, Reply reply);
  void Answer(int32_t code, Reply reply) { Answer(code, "", std::move(reply)); }
  // A handler consulted before the table (re-entry tests).
  std::function<bool(const HostCall&, Reply&)> hook;

  std::vector<HostCall> calls;
  std::vector<const HostCall*> CallsWith(int32_t code) const;
  void ClearCalls() { calls.clear(); }

  int32_t Dispatch(int32_t instance, int32_t code, const char* name, HostBuffer* io);
  static TestHost* Current();

 private:
  std::map<std::pair<int32_t, std::string>, Reply> answers_;
};

// Codes that hand data over to the host (kept on success).
bool HandsOver(int32_t code);

// A plug-in library loaded from a folder; unloaded (library end) on destruction.
class Plugin {
 public:
  Plugin(const std::string& dir, const std::string& name);
  ~Plugin();
  bool Loaded() const { return handle_ != nullptr; }
  void* Symbol(const char* name) const;
  // Handshake with an optional identifier; returns {version, language}.
  std::pair<int32_t, int32_t> Handshake(const char* exportName, const int32_t* id = nullptr) const;
  void Verb(const char* exportName, int32_t instance, const char* name) const;
  std::string Text(const char* exportName, int32_t instance, int32_t a = 0, int32_t b = 0, int32_t c = 0) const;

 private:
  void* handle_ = nullptr;
};

// Records what the user interface shows; answers boxes from a queue.
class RecordingBackend : public sis::Backend {
 public:
  RecordingBackend();
  ~RecordingBackend() override;
  int MessageBox(sis::BoxKind kind, const std::wstring& text) override;
  int RunModal(sis::Dialog& dialog) override;
  void WindowShown(sis::Dialog& dialog) override;
  void WindowHidden(sis::Dialog& dialog) override;
  bool FileOpen(const std::wstring& title, const std::wstring& filter, std::string& path) override;

  std::vector<std::string> events;  // "MSGBOX error <text>", "REPORT <title>", "ROW <text>", ...
  std::deque<int> boxAnswers;       // kIdYes / kIdNo / kIdOk
  std::function<void(sis::Dialog&)> onModal;  // drives a modal dialog; default: cancel
  // Runs while a box is shown, before it is answered (the host re-entering).
  std::function<void(sis::BoxKind, const std::wstring&)> onBox;
  // Events starting with `prefix`.
  std::vector<std::string> With(const std::string& prefix) const;
};

std::string Utf8(const std::wstring& text);
// The folder of the built plug-ins.
std::string PluginDir();

}  // namespace sis::testing

#endif
