// The trial host: owns the Trimsets (one per instance number), the loaded
// plug-ins and the trace, answers ACTIONDLL and simulates the machines.
//
// Re-entry: plug-ins call ACTIONDLL while one of their exports runs, and a
// modal loop may call further exports. Whatever a call asks the host to do
// later (transmissions, change notices, the reset after a finished action) is
// queued and delivered once the outermost export has returned, or when a
// modal loop pumps the host (Pump()).
#ifndef SIS_HOST_HOST_H
#define SIS_HOST_HOST_H

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sis/abi/host_abi.h"
#include "sis/host/datum.h"
#include "sis/host/plugin.h"
#include "sis/host/trace.h"
#include "sis/host/trimset.h"

namespace sis::host {

struct HostOptions {
  int32_t language = 1033;     // answer to the language code: 1033 English, 1036 French
  int32_t failure = 1;         // result of a code the Trimset does not answer
  int32_t timerPeriod = 100;   // milliseconds between two timer verbs
  size_t eventLimit = 10000;   // events delivered by one pump before it gives up
};

// One ACTIONDLL call as it happened.
struct CallRecord {
  int32_t instance = 0;
  int32_t code = 0;
  std::string name;
  std::string plugin;  // whose export was running ("" outside any)
  Datum in;            // the buffer on the way in
  Datum out;           // the buffer left for the plug-in
  int32_t result = 0;
};

struct Transmission {
  int32_t instance = 0;
  std::string plugin;
  std::string variable;
  int32_t value = 0;  // -1: send to the machine
};

// An editing action begun on a plug-in and not reset yet; a plug-in may have
// several. A finished action still gets the reports of the transmissions it
// asked; its reset follows them.
struct RunningAction {
  int32_t instance = 0;
  std::string plugin;
  std::string name;
  std::string finishedVerb, errorVerb, resetVerb;
  bool finished = false;  // 0x30003 received, reset queued
};

const char* CodeName(int32_t code);

class Host {
 public:
  explicit Host(HostOptions options = {});
  ~Host();  // unloads every plug-in
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The host ACTIONDLL serves: the last one constructed and still alive.
  static Host* Current();

  HostOptions& Options() { return options_; }
  Trace& GetTrace() { return trace_; }
  const std::vector<CallRecord>& Calls() const { return calls_; }

  // --- Trimsets -----------------------------------------------------------
  // Takes the Trimset for its instance number (replacing one there).
  Trimset& Attach(std::unique_ptr<Trimset> trimset);
  Trimset* Find(int32_t instance);
  std::vector<int32_t> Instances() const;

  // --- Plug-ins -----------------------------------------------------------
  // Opens DIR/NAME.so and runs its handshake. False with a reason when the
  // library or its handshake export is missing; a refused handshake ({0, 0})
  // still loads (see LoadedPlugin::version).
  bool Load(const std::string& dir, const PluginEntry& entry, std::string* error = nullptr);
  // Loads every plug-in the attached Trimsets name, once; a refused handshake fails.
  bool LoadAll(const std::string& dir, std::string* error = nullptr);
  LoadedPlugin* Plugin(std::string_view name);
  void UnloadAll();

  // --- Exports ------------------------------------------------------------
  // Calls a verb export; false when the plug-in or the export is missing.
  bool Call(std::string_view plugin, const std::string& exportName, int32_t instance, const std::string& name);
  // Calls a text export and frees its text as the plug-in entry says.
  bool CallText(std::string_view plugin, const std::string& exportName, int32_t instance, int32_t a, int32_t b,
                int32_t c, std::string& text);

  // --- Life of a Trimset ----------------------------------------------------
  void Open(int32_t instance);   // run verbs, one per (plug-in, table)
  bool Save(int32_t instance);   // save verbs; false when one vetoed
  void Close(int32_t instance);  // close verbs
  // Calls the begin verb of an action of the Trimset (or `beginVerb`).
  bool Begin(int32_t instance, const std::string& action, const std::string& beginVerb = "");
  // A change made by the host (the user): stores the value and calls the
  // change verbs of the plug-ins watching it. False when it does not fit.
  bool SetValue(int32_t instance, const std::string& name, const Datum& value);

  // --- Machine --------------------------------------------------------------
  void Connect(int32_t instance);
  void Disconnect(int32_t instance);
  bool Connected(int32_t instance) const;
  // Moves the clock on; one timer verb per period to each plug-in of each
  // connected machine, with the plug-in's running action name (or "").
  void Advance(int32_t milliseconds);
  int32_t Clock() const { return clock_; }
  // The next transmission of `variable` on `instance` fails with `text`.
  void FailTransmission(int32_t instance, const std::string& variable, const std::string& text);
  // The machine reset (0x40050 on "VSYS_RSTMAC") answers a transfer error.
  void FailMachineReset(int32_t instance, bool fail);
  int MachineResets(int32_t instance) const;

  // Host events a modal loop can deliver at once.
  // `action` names the running action; empty: the plug-in's latest one not
  // finished yet, else its latest.
  bool DeliverPartFinished(int32_t instance, const std::string& plugin, const std::string& variable,
                           const std::string& action = "");
  bool DeliverError(int32_t instance, const std::string& plugin, const std::string& variable, const std::string& text,
                    const std::string& action = "");
  bool DeliverReset(int32_t instance, const std::string& plugin, const std::string& action = "");
  // Delivers every queued event now (any depth).
  void Pump();
  size_t Depth() const { return frames_.size(); }
  // The plug-in whose export is running ("" outside any).
  std::string CurrentPlugin() const { return TopPlugin(); }

  // --- Injected answers -----------------------------------------------------
  // Calls with `code` and `name` ("*": any name) answer `result`, with
  // `reply` in the buffer when given (any shape, also a wrong one).
  void Override(int32_t code, const std::string& name, int32_t result, std::optional<Datum> reply = std::nullopt);
  void ClearOverrides() { overrides_.clear(); }

  // --- Observations ---------------------------------------------------------
  const std::vector<std::string>& Vetoes(int32_t instance);  // of the last save
  const std::vector<Transmission>& Transmissions() const { return transmissions_; }
  const std::vector<std::string>& Registrations() const { return registrations_; }
  // The plug-in's latest running action not finished yet, else its latest.
  const RunningAction* Running(int32_t instance, std::string_view plugin) const;
  // Actions answered with 0x30003, in order ("instance:name").
  const std::vector<std::string>& Finished() const { return finished_; }

  // ACTIONDLL's body.
  int32_t Dispatch(int32_t instance, int32_t code, const char* name, HostBuffer* io);

 private:
  struct Frame {
    LoadedPlugin* plugin;
    std::string exportName;
  };
  struct Event {
    enum class Kind { Change, Transmitted, Finished } kind;
    int32_t instance;
    std::string plugin;
    std::string name;
    std::string verb;
    std::string action;  // Transmitted: the running action that asked it
  };
  struct OverrideEntry {
    int32_t code;
    std::string name;
    int32_t result;
    std::optional<Datum> reply;
  };
  struct Machine {
    bool connected = false;
    bool resetFails = false;
    int resets = 0;
    std::map<std::string, std::string> failing;  // variable -> error text
  };

  int32_t Answer(int32_t instance, int32_t code, const std::string& name, HostBuffer& io);
  int32_t AnswerVariable(Trimset& ts, int32_t instance, int32_t code, const std::string& name, HostBuffer& io);
  int32_t Unanswered(const std::string& why);
  void Enter(LoadedPlugin* plugin, const std::string& exportName);
  void Leave();
  void Deliver(const Event& event);
  void QueueChange(const Trimset& ts, const std::string& name);
  bool TransmissionQueued(int32_t instance, const std::string& plugin, const std::string& action) const;
  template <typename Fn>
  void ForEachFunction(int32_t instance, Fn fn);
  RunningAction* FindRunning(int32_t instance, std::string_view plugin, std::string_view action = {});
  Machine& MachineOf(int32_t instance);
  std::string Indent() const;
  std::string TopPlugin() const;

  HostOptions options_;
  Trace trace_;
  std::vector<CallRecord> calls_;
  std::map<int32_t, std::unique_ptr<Trimset>> trimsets_;
  std::vector<std::unique_ptr<LoadedPlugin>> plugins_;
  std::vector<Frame> frames_;
  std::deque<Event> events_;
  bool pumping_ = false;
  std::vector<OverrideEntry> overrides_;
  std::map<int32_t, Machine> machines_;
  std::map<int32_t, std::vector<std::string>> vetoes_;
  std::vector<Transmission> transmissions_;
  std::vector<std::string> registrations_;
  std::vector<RunningAction> running_;
  std::vector<std::string> finished_;
  std::vector<std::string> notes_;  // said about the ACTIONDLL call being answered
  int32_t clock_ = 0;
  Host* previous_ = nullptr;
};

}  // namespace sis::host

#endif
