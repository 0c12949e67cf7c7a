#include "sis/host/trimset.h"

#include <algorithm>
#include <cctype>
#include <tuple>
#include <utility>

namespace sis::host {

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::Value: return "value";
    case Kind::Words: return "words";
    case Kind::Longs: return "longs";
    case Kind::Map: return "map";
    case Kind::Text: return "text";
  }
  return "value";
}

bool ParseKind(std::string_view text, Kind& kind) {
  for (Kind k : {Kind::Value, Kind::Words, Kind::Longs, Kind::Map, Kind::Text}) {
    if (text == KindName(k)) {
      kind = k;
      return true;
    }
  }
  return false;
}

Datum Variable::Value() const {
  switch (kind) {
    case Kind::Value: return Datum::Int(value);
    case Kind::Words:
    case Kind::Map: return Datum::Words(words);
    case Kind::Longs: return Datum::Longs(longs);
    case Kind::Text: return Datum::Text(text);
  }
  return Datum::Int(value);
}

bool Variable::Assign(const Datum& datum) {
  switch (kind) {
    case Kind::Value:
      if (!datum.IsInt()) return false;
      value = datum.AsInt();
      return true;
    case Kind::Words: return datum.AsWords(words);
    case Kind::Map: {
      // A map must also hold its breakpoints and values as words 1 and 2 say.
      std::vector<uint16_t> w;
      MapParts parts;
      if (!datum.AsWords(w) || !SplitMap(w, parts)) return false;
      words = std::move(w);
      return true;
    }
    case Kind::Longs: return datum.AsLongs(longs);
    case Kind::Text: return datum.AsText(text);
  }
  return false;
}

int32_t Variable::KindCode() const {
  if (kindCode >= 0) return kindCode;
  switch (kind) {
    case Kind::Value: return 0;
    case Kind::Words:
    case Kind::Longs: return 1;
    case Kind::Map: return 2;
    case Kind::Text: return 3;
  }
  return 0;
}

std::vector<uint16_t> BuildMap(const MapParts& parts) {
  std::vector<uint16_t> w(9);
  w[1] = static_cast<uint16_t>(parts.x.size());
  w[2] = static_cast<uint16_t>(parts.y.size());
  std::copy(std::begin(parts.header), std::end(parts.header), w.begin() + 3);
  w.insert(w.end(), parts.x.begin(), parts.x.end());
  w.insert(w.end(), parts.y.begin(), parts.y.end());
  for (const auto& line : parts.values) w.insert(w.end(), line.begin(), line.end());
  w[0] = static_cast<uint16_t>(w.size() * 2);
  return w;
}

bool SplitMap(const std::vector<uint16_t>& w, MapParts& parts) {
  if (w.size() < 9 || w[0] != w.size() * 2) return false;
  const size_t x = w[1], y = w[2];
  if (w.size() != 9 + x + y + x * y) return false;
  std::copy(w.begin() + 3, w.begin() + 9, std::begin(parts.header));
  parts.x.assign(w.begin() + 9, w.begin() + 9 + x);
  parts.y.assign(w.begin() + 9 + x, w.begin() + 9 + x + y);
  parts.values.assign(x, {});
  for (size_t i = 0; i < x; ++i) {
    const auto first = w.begin() + 9 + x + y + i * y;
    parts.values[i].assign(first, first + y);
  }
  return true;
}

std::vector<uint16_t> WordTable(const std::vector<uint16_t>& fields) {
  std::vector<uint16_t> w;
  w.reserve(fields.size() + 1);
  w.push_back(static_cast<uint16_t>((fields.size() + 1) * 2));
  w.insert(w.end(), fields.begin(), fields.end());
  return w;
}

std::vector<int32_t> LongTable(const std::vector<int32_t>& fields) {
  std::vector<int32_t> l;
  l.reserve(fields.size() + 1);
  l.push_back(static_cast<int32_t>((fields.size() + 1) * 4));
  l.insert(l.end(), fields.begin(), fields.end());
  return l;
}

std::string PluginEntry::HandshakeExport() const {
  if (!handshake.empty()) return handshake;
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper + "100";
}

FreeStyle PluginEntry::TextFree(const std::string& exportName) const {
  auto it = textExports.find(exportName);
  return it == textExports.end() ? FreeStyle::Free : it->second;
}

bool Trimset::AddVariable(Variable v, std::string* error) {
  if (byName_.count(v.name) != 0) {
    if (error) *error = "variable " + v.name + " is declared twice";
    return false;
  }
  if (v.id < 0) {
    while (byId_.count(nextId_) != 0) ++nextId_;
    v.id = nextId_++;
  } else if (byId_.count(v.id) != 0) {
    if (error) *error = "variable " + v.name + " takes identifier " + std::to_string(v.id) + " of " +
                        variables_[byId_[v.id]].name;
    return false;
  }
  byName_.emplace(v.name, variables_.size());
  byId_.emplace(v.id, variables_.size());
  variables_.push_back(std::move(v));
  return true;
}

Variable* Trimset::Find(std::string_view name) {
  auto it = byName_.find(std::string(name));
  return it == byName_.end() ? nullptr : &variables_[it->second];
}

const Variable* Trimset::Find(std::string_view name) const {
  return const_cast<Trimset*>(this)->Find(name);
}

Variable* Trimset::FindId(int32_t id) {
  auto it = byId_.find(id);
  return it == byId_.end() ? nullptr : &variables_[it->second];
}

void Trimset::Reserve(size_t count) {
  variables_.reserve(count);
  byName_.reserve(count);
  byId_.reserve(count);
}

const int32_t* Trimset::Constant(const std::string& name) const {
  auto it = constants_.find(name);
  return it == constants_.end() ? nullptr : &it->second;
}

bool Trimset::AddAction(Action action) {
  if (actionIndex_.count(action.name) != 0) return false;
  actionIndex_.emplace(action.name, actions_.size());
  actions_.push_back(std::move(action));
  return true;
}

Action* Trimset::FindAction(std::string_view name) {
  auto it = actionIndex_.find(std::string(name));
  return it == actionIndex_.end() ? nullptr : &actions_[it->second];
}

bool Trimset::AddFunction(HostFunction function) {
  if (functionIndex_.count(function.name) != 0) return false;
  functionIndex_.emplace(function.name, functions_.size());
  functions_.push_back(std::move(function));
  return true;
}

HostFunction* Trimset::FindFunction(std::string_view name) {
  auto it = functionIndex_.find(std::string(name));
  return it == functionIndex_.end() ? nullptr : &functions_[it->second];
}

namespace {
std::string StoreKey(int32_t code, std::string_view name) {
  std::string key = std::to_string(code);
  key += '\n';
  key += name;
  return key;
}
}  // namespace

void Trimset::Put(int32_t code, std::string_view name, Datum datum, bool recorded) {
  store_[StoreKey(code, name)] = StoreEntry{code, std::string(name), std::move(datum), recorded};
}

const Trimset::StoreEntry* Trimset::Entry(int32_t code, std::string_view name) const {
  auto it = store_.find(StoreKey(code, name));
  return it == store_.end() ? nullptr : &it->second;
}

std::vector<const Trimset::StoreEntry*> Trimset::StoreEntries() const {
  std::vector<const StoreEntry*> out;
  out.reserve(store_.size());
  for (const auto& [key, entry] : store_) out.push_back(&entry);
  std::sort(out.begin(), out.end(),
            [](const StoreEntry* a, const StoreEntry* b) { return std::tie(a->code, a->name) < std::tie(b->code, b->name); });
  return out;
}

const PluginEntry* Trimset::Plugin(std::string_view name) const {
  for (const auto& p : plugins)
    if (p.name == name) return &p;
  return nullptr;
}

std::vector<std::pair<const PluginEntry*, std::string>> Trimset::Watchers(std::string_view variable) const {
  std::vector<std::pair<const PluginEntry*, std::string>> out;
  for (const auto& p : plugins)
    for (const auto& w : p.watches)
      if (w.variable == variable) out.emplace_back(&p, w.verb);
  return out;
}

}  // namespace sis::host
