#include "sis/host/host.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "sis/host/text1252.h"

namespace sis::host {
namespace {

Host* g_current = nullptr;

std::string Quote(const std::string& cp1252) { return "\"" + Cp1252ToUtf8(cp1252) + "\""; }

std::string Hex(int32_t v) {
  char tmp[16];
  std::snprintf(tmp, sizeof tmp, "0x%X", static_cast<uint32_t>(v));
  return tmp;
}

}  // namespace

Host::Host(HostOptions options) : options_(options), previous_(g_current) { g_current = this; }

Host::~Host() {
  UnloadAll();
  if (g_current == this) g_current = previous_;
}

Host* Host::Current() { return g_current; }

Trimset& Host::Attach(std::unique_ptr<Trimset> trimset) {
  const int32_t instance = trimset->instance;
  Machine& m = machines_[instance];
  m.connected = instance >= 8 && trimset->facts.connected;
  auto& slot = trimsets_[instance];
  slot = std::move(trimset);
  return *slot;
}

Trimset* Host::Find(int32_t instance) {
  auto it = trimsets_.find(instance);
  return it == trimsets_.end() ? nullptr : it->second.get();
}

std::vector<int32_t> Host::Instances() const {
  std::vector<int32_t> out;
  for (const auto& [n, ts] : trimsets_) out.push_back(n);
  return out;
}

// --- plug-ins -----------------------------------------------------------------

bool Host::Load(const std::string& dir, const PluginEntry& entry, std::string* error) {
  if (Plugin(entry.name) != nullptr) return true;
  std::string why;
  auto p = LoadedPlugin::Open(dir + "/" + entry.name + ".so", &why);
  if (!p) {
    trace_.Add("host: " + why);
    if (error) *error = why;
    return false;
  }
  p->entry = entry;
  p->identifier = static_cast<int32_t>(plugins_.size()) + 1;
  const std::string hsName = entry.HandshakeExport();
  auto handshake = reinterpret_cast<HandshakeFn>(p->Symbol(hsName));
  if (handshake == nullptr) {
    why = entry.name + " has no export " + hsName;
    trace_.Add("host: " + why);
    if (error) *error = why;
    return false;
  }
  plugins_.push_back(std::move(p));
  LoadedPlugin* lp = plugins_.back().get();
  trace_.Add("host: load " + entry.name + " from " + lp->path);

  int32_t id = lp->identifier;
  HostBuffer record{-1, &id};
  trace_.Add(Indent() + "> " + entry.name + " " + hsName + "({-1, " + std::to_string(id) + "})");
  Enter(lp, hsName);
  handshake(&record);
  Leave();
  const bool replied = record.data != nullptr && record.data != &id;
  if (replied && record.count == 8) {
    int32_t pair[2];
    std::memcpy(pair, record.data, sizeof pair);
    lp->version = pair[0];
    lp->language = pair[1];
    lp->handshakeDone = true;
  }
  if (replied) std::free(record.data);
  trace_.Add(Indent() + "< " + entry.name + " " + hsName + " " +
             (lp->handshakeDone ? "{8, version " + Hex(lp->version) + ", language " + std::to_string(lp->language) + "}"
                                : "bad reply (count " + std::to_string(record.count) + ")"));
  return true;
}

bool Host::LoadAll(const std::string& dir, std::string* error) {
  for (const auto& [n, ts] : trimsets_) {
    for (const auto& entry : ts->plugins) {
      if (Plugin(entry.name) != nullptr) continue;
      if (!Load(dir, entry, error)) return false;
      LoadedPlugin* lp = Plugin(entry.name);
      if (!lp->handshakeDone || (lp->version == 0 && lp->language == 0)) {
        if (error) *error = "handshake refused by " + entry.name;
        return false;
      }
    }
  }
  return true;
}

LoadedPlugin* Host::Plugin(std::string_view name) {
  for (auto& p : plugins_)
    if (p->entry.name == name) return p.get();
  return nullptr;
}

void Host::UnloadAll() {
  events_.clear();
  running_.clear();
  while (!plugins_.empty()) {
    trace_.Add("host: unload " + plugins_.back()->entry.name);
    plugins_.pop_back();
  }
}

// --- exports ------------------------------------------------------------------

void Host::Enter(LoadedPlugin* plugin, const std::string& exportName) { frames_.push_back({plugin, exportName}); }

void Host::Leave() { frames_.pop_back(); }

std::string Host::Indent() const { return std::string(frames_.size() * 2, ' '); }

std::string Host::TopPlugin() const { return frames_.empty() ? std::string() : frames_.back().plugin->entry.name; }

bool Host::Call(std::string_view plugin, const std::string& exportName, int32_t instance, const std::string& name) {
  LoadedPlugin* p = Plugin(plugin);
  if (p == nullptr) {
    trace_.Add(Indent() + "host: no plug-in " + std::string(plugin) + " for " + exportName);
    return false;
  }
  auto fn = reinterpret_cast<VerbFn>(p->Symbol(exportName));
  if (fn == nullptr) {
    trace_.Add(Indent() + "host: " + p->entry.name + " has no export " + exportName);
    return false;
  }
  trace_.Add(Indent() + "> " + p->entry.name + " " + exportName + "(" + std::to_string(instance) + ", " + Quote(name) + ")");
  Enter(p, exportName);
  fn(instance, name.c_str());
  Leave();
  trace_.Add(Indent() + "< " + p->entry.name + " " + exportName);
  if (frames_.empty() && !pumping_) Pump();  // the pump running now delivers the rest
  return true;
}

bool Host::CallText(std::string_view plugin, const std::string& exportName, int32_t instance, int32_t a, int32_t b,
                    int32_t c, std::string& text) {
  LoadedPlugin* p = Plugin(plugin);
  auto fn = p ? reinterpret_cast<TextExportFn>(p->Symbol(exportName)) : nullptr;
  if (fn == nullptr) {
    trace_.Add(Indent() + "host: no text export " + std::string(plugin) + " " + exportName);
    return false;
  }
  trace_.Add(Indent() + "> " + p->entry.name + " " + exportName + "(" + std::to_string(instance) + ", " +
             std::to_string(a) + ", " + std::to_string(b) + ", " + std::to_string(c) + ")");
  Enter(p, exportName);
  char* result = fn(instance, a, b, c);
  Leave();
  text = result ? result : "";
  if (p->entry.TextFree(exportName) == FreeStyle::DeleteArray) {
    delete[] result;
  } else {
    std::free(result);
  }
  trace_.Add(Indent() + "< " + p->entry.name + " " + exportName + " " + (result ? Quote(text) : std::string("null")));
  if (frames_.empty() && !pumping_) Pump();  // the pump running now delivers the rest
  return result != nullptr;
}

// --- life of a Trimset ----------------------------------------------------------

template <typename Fn>
void Host::ForEachFunction(int32_t instance, Fn fn) {
  Trimset* ts = Find(instance);
  if (ts == nullptr) return;
  const std::vector<PluginEntry> entries = ts->plugins;  // a verb may not change the list under us
  for (const auto& entry : entries)
    for (const auto& table : entry.open) fn(entry, table);
}

void Host::Open(int32_t instance) {
  ForEachFunction(instance, [&](const PluginEntry& e, const std::string& table) { Call(e.name, e.Verb("RUN"), instance, table); });
}

bool Host::Save(int32_t instance) {
  vetoes_[instance].clear();
  ForEachFunction(instance, [&](const PluginEntry& e, const std::string& table) { Call(e.name, e.Verb("SAV"), instance, table); });
  return vetoes_[instance].empty();
}

void Host::Close(int32_t instance) {
  ForEachFunction(instance, [&](const PluginEntry& e, const std::string& table) { Call(e.name, e.Verb("CLS"), instance, table); });
}

bool Host::Begin(int32_t instance, const std::string& actionName, const std::string& beginVerb) {
  Trimset* ts = Find(instance);
  Action* action = ts ? ts->FindAction(actionName) : nullptr;
  const PluginEntry* entry = action ? ts->Plugin(action->plugin) : nullptr;
  if (entry == nullptr) {
    trace_.Add(Indent() + "host: no plug-in action " + Quote(actionName) + " on instance " + std::to_string(instance));
    return false;
  }
  RunningAction ra;
  ra.instance = instance;
  ra.plugin = entry->name;
  ra.name = actionName;
  ra.finishedVerb = action->finished.empty() ? entry->Verb("FEM") : action->finished;
  ra.errorVerb = action->error.empty() ? entry->Verb("ERR") : action->error;
  ra.resetVerb = action->reset.empty() ? entry->Verb("RST") : action->reset;
  // Another action of the plug-in may still run (a plug-in may refuse or take
  // over the new one); the same action begun again starts afresh.
  std::erase_if(running_, [&](const RunningAction& r) {
    return r.instance == instance && r.plugin == entry->name && r.name == actionName;
  });
  running_.push_back(ra);
  const std::string verb = !beginVerb.empty() ? beginVerb : !action->begin.empty() ? action->begin : entry->Verb("DEB");
  trace_.Add(Indent() + "host: begin " + Quote(actionName) + " on " + entry->name);
  return Call(entry->name, verb, instance, actionName);
}

bool Host::SetValue(int32_t instance, const std::string& name, const Datum& value) {
  Trimset* ts = Find(instance);
  Variable* var = ts ? ts->Find(name) : nullptr;
  if (var == nullptr || !var->Assign(value)) return false;
  var->present = 1;
  trace_.Add(Indent() + "host: " + Quote(name) + " changed to " + Describe(value));
  QueueChange(*ts, name);
  Pump();
  return true;
}

void Host::QueueChange(const Trimset& ts, const std::string& name) {
  for (const auto& [entry, verb] : ts.Watchers(name))
    events_.push_back({Event::Kind::Change, ts.instance, entry->name, name, verb, ""});
}

bool Host::TransmissionQueued(int32_t instance, const std::string& plugin, const std::string& action) const {
  return std::any_of(events_.begin(), events_.end(), [&](const Event& e) {
    return e.kind == Event::Kind::Transmitted && e.instance == instance && e.plugin == plugin && e.action == action;
  });
}

// --- machine ------------------------------------------------------------------

Host::Machine& Host::MachineOf(int32_t instance) { return machines_[instance]; }

bool Host::Connected(int32_t instance) const {
  auto it = machines_.find(instance);
  return instance >= 8 && it != machines_.end() && it->second.connected;
}

void Host::Connect(int32_t instance) {
  Trimset* ts = Find(instance);
  if (ts == nullptr || instance < 8) return;
  MachineOf(instance).connected = true;
  trace_.Add(Indent() + "host: machine " + std::to_string(instance) + " connected");
  for (const auto& e : std::vector<PluginEntry>(ts->plugins))
    Call(e.name, e.Verb("CON"), instance, e.open.empty() ? std::string() : e.open.front());
}

void Host::Disconnect(int32_t instance) {
  Trimset* ts = Find(instance);
  if (ts == nullptr || instance < 8) return;
  MachineOf(instance).connected = false;
  trace_.Add(Indent() + "host: machine " + std::to_string(instance) + " disconnected");
  for (const auto& e : std::vector<PluginEntry>(ts->plugins))
    Call(e.name, e.Verb("DEC"), instance, e.open.empty() ? std::string() : e.open.front());
}

void Host::Advance(int32_t milliseconds) {
  if (milliseconds <= 0) return;
  const int64_t end = static_cast<int64_t>(clock_) + milliseconds;
  const int64_t period = std::max<int32_t>(options_.timerPeriod, 1);
  for (int64_t tick = (clock_ / period + 1) * period; tick <= end; tick += period) {
    clock_ = static_cast<int32_t>(tick);
    for (const auto& [instance, ts] : trimsets_) {
      if (!Connected(instance)) continue;
      for (const auto& e : std::vector<PluginEntry>(ts->plugins)) {
        LoadedPlugin* p = Plugin(e.name);
        if (p == nullptr || p->Symbol(e.Verb("TIM")) == nullptr) continue;
        const RunningAction* ra = Running(instance, e.name);
        Call(e.name, e.Verb("TIM"), instance, ra ? ra->name : std::string());
      }
    }
  }
  clock_ = static_cast<int32_t>(end);
}

void Host::FailTransmission(int32_t instance, const std::string& variable, const std::string& text) {
  MachineOf(instance).failing[variable] = text;
}

void Host::FailMachineReset(int32_t instance, bool fail) { MachineOf(instance).resetFails = fail; }

int Host::MachineResets(int32_t instance) const {
  auto it = machines_.find(instance);
  return it == machines_.end() ? 0 : it->second.resets;
}

RunningAction* Host::FindRunning(int32_t instance, std::string_view plugin, std::string_view action) {
  // Without a name: the latest one not finished yet, else the latest.
  RunningAction* latest = nullptr;
  for (auto it = running_.rbegin(); it != running_.rend(); ++it) {
    if (it->instance != instance || it->plugin != plugin) continue;
    if (!action.empty()) {
      if (it->name == action) return &*it;
      continue;
    }
    if (!it->finished) return &*it;
    if (latest == nullptr) latest = &*it;
  }
  return latest;
}

const RunningAction* Host::Running(int32_t instance, std::string_view plugin) const {
  return const_cast<Host*>(this)->FindRunning(instance, plugin);
}

bool Host::DeliverPartFinished(int32_t instance, const std::string& plugin, const std::string& variable,
                               const std::string& action) {
  RunningAction* ra = FindRunning(instance, plugin, action);
  if (ra == nullptr) return false;
  const std::string verb = ra->finishedVerb;  // the verb may begin another action
  if (Trimset* ts = Find(instance))
    if (Variable* var = ts->Find(variable)) var->errorState = 0;
  trace_.Add(Indent() + "host: " + Quote(variable) + " sent");
  return Call(plugin, verb, instance, variable);
}

bool Host::DeliverError(int32_t instance, const std::string& plugin, const std::string& variable, const std::string& text,
                        const std::string& action) {
  RunningAction* ra = FindRunning(instance, plugin, action);
  if (ra == nullptr) return false;
  const std::string verb = ra->errorVerb;
  if (Trimset* ts = Find(instance)) {
    if (Variable* var = ts->Find(variable)) {
      var->errorState = 1;
      var->errorText = text;
    }
  }
  trace_.Add(Indent() + "host: transmission of " + Quote(variable) + " failed: " + Quote(text));
  return Call(plugin, verb, instance, variable);
}

bool Host::DeliverReset(int32_t instance, const std::string& plugin, const std::string& action) {
  RunningAction* ra = FindRunning(instance, plugin, action);
  if (ra == nullptr) return false;
  const RunningAction done = *ra;
  std::erase_if(running_, [&](const RunningAction& r) { return &r == ra; });
  trace_.Add(Indent() + "host: reset " + Quote(done.name));
  return Call(plugin, done.resetVerb, instance, done.name);
}

void Host::Deliver(const Event& ev) {
  switch (ev.kind) {
    case Event::Kind::Change:
      Call(ev.plugin, ev.verb, ev.instance, ev.name);
      break;
    case Event::Kind::Transmitted: {
      // Reported to the action that asked it, also when that action has
      // already answered 0x30003: its reset waits for this report.
      RunningAction* ra = ev.action.empty() ? nullptr : FindRunning(ev.instance, ev.plugin, ev.action);
      if (ra == nullptr) {
        trace_.Add(Indent() + "host: " + Quote(ev.name) + " sent (no action waiting)");
        break;
      }
      auto& failing = MachineOf(ev.instance).failing;
      auto it = failing.find(ev.name);
      if (it != failing.end()) {
        const std::string text = it->second;
        failing.erase(it);
        DeliverError(ev.instance, ev.plugin, ev.name, text, ev.action);
      } else {
        DeliverPartFinished(ev.instance, ev.plugin, ev.name, ev.action);
      }
      break;
    }
    case Event::Kind::Finished: {
      if (FindRunning(ev.instance, ev.plugin, ev.name) == nullptr) break;
      if (TransmissionQueued(ev.instance, ev.plugin, ev.name)) {
        events_.push_back(ev);  // the reset comes after the action's pending reports
        break;
      }
      DeliverReset(ev.instance, ev.plugin, ev.name);
      break;
    }
  }
}

void Host::Pump() {
  // The verbs delivered here do not pump again on return: the loop goes on,
  // so a plug-in that keeps asking meets the event limit, not a deep stack.
  const bool outer = !pumping_;
  pumping_ = true;
  size_t delivered = 0;
  while (!events_.empty()) {
    if (++delivered > options_.eventLimit) {
      trace_.Add(Indent() + "host: event limit reached, " + std::to_string(events_.size()) + " events dropped");
      events_.clear();
      break;
    }
    const Event ev = events_.front();
    events_.pop_front();
    Deliver(ev);
  }
  if (outer) pumping_ = false;
}

void Host::Override(int32_t code, const std::string& name, int32_t result, std::optional<Datum> reply) {
  overrides_.push_back({code, name, result, std::move(reply)});
}

const std::vector<std::string>& Host::Vetoes(int32_t instance) { return vetoes_[instance]; }

int32_t Host::Dispatch(int32_t instance, int32_t code, const char* name, HostBuffer* io) {
  CallRecord rec;
  rec.instance = instance;
  rec.code = code;
  rec.name = name ? name : "";
  rec.plugin = TopPlugin();
  if (io == nullptr) {
    trace_.Add(Indent() + "  ACTIONDLL(" + std::to_string(instance) + ", " + Hex(code) + ") without a buffer");
    return -1;
  }
  rec.in = Datum::FromBuffer(*io);
  rec.result = Answer(instance, code, rec.name, *io);
  rec.out = Datum::FromBuffer(*io);
  trace_.Add(Indent() + "  ACTIONDLL(" + std::to_string(instance) + ", " + Hex(code) + " " + CodeName(code) + ", " +
             Quote(rec.name) + ") " + Describe(rec.in) + " -> " + std::to_string(rec.result) + " " + Describe(rec.out));
  for (const auto& note : notes_) trace_.Add(Indent() + "    " + note);
  notes_.clear();
  calls_.push_back(std::move(rec));
  return calls_.back().result;
}

}  // namespace sis::host

// The host entry the plug-ins look up in the process with dlsym.
extern "C" __attribute__((visibility("default"))) int32_t ACTIONDLL(int32_t instance, int32_t code, const char* name,
                                                                    HostBuffer* io) {
  sis::host::Host* host = sis::host::Host::Current();
  if (host == nullptr) return -1;
  return host->Dispatch(instance, code, name, io);
}
