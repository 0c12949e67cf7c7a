// The host's in-memory Trimset: variables known by name and identifier, named
// constants, host actions and functions, host facts, a store for any other
// property code, and the wiring that says which plug-ins work on it.
#ifndef SIS_HOST_TRIMSET_H
#define SIS_HOST_TRIMSET_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sis/host/datum.h"

namespace sis::host {

enum class Kind { Value, Words, Longs, Map, Text };
const char* KindName(Kind kind);
bool ParseKind(std::string_view text, Kind& kind);

struct Variable {
  std::string name;
  int32_t id = -1;  // -1: the Trimset assigns one
  Kind kind = Kind::Value;
  int32_t value = 0;            // Kind::Value
  std::vector<uint16_t> words;  // Kind::Words and Kind::Map, word 0 included
  std::vector<int32_t> longs;   // Kind::Longs, word 0 included
  std::string text;             // Kind::Text, Windows-1252 without the NUL
  int32_t kindCode = -1;        // answer to the kind code; -1: derived from kind
  uint32_t attributes = 0x80000000u;
  std::string label;  // Windows-1252
  int32_t present = 1;
  int32_t switchedOn = 1;
  int32_t errorMark = 0;
  int32_t errorState = 0;
  std::string errorText;
  int32_t pickable = 1;
  int32_t listable = 1;
  int32_t category = 0;
  int32_t state1 = 0;
  int32_t state2 = 0;

  // The reply to a value read, by kind.
  Datum Value() const;
  // Takes a written value if its shape fits the kind (a map: a consistent
  // map layout); false otherwise.
  bool Assign(const Datum& datum);
  int32_t KindCode() const;
};

// Map layout: word 0 byte size, 1 line count X, 2 column count Y, 3..8 header,
// then X line breakpoints, Y column breakpoints, X*Y values line by line.
struct MapParts {
  uint16_t header[6] = {0, 0, 0, 0, 0, 0xFFFF};
  std::vector<uint16_t> x, y;
  std::vector<std::vector<uint16_t>> values;  // X lines of Y values
};
std::vector<uint16_t> BuildMap(const MapParts& parts);
// False when the words are not a consistent map.
bool SplitMap(const std::vector<uint16_t>& words, MapParts& parts);

// Table words from their fields (word 1 on): word 0 set to the byte length.
std::vector<uint16_t> WordTable(const std::vector<uint16_t>& fields);
std::vector<int32_t> LongTable(const std::vector<int32_t>& fields);

enum class FreeStyle { Free, DeleteArray };

struct Watch {
  std::string verb;      // e.g. "VALSETCMD"
  std::string variable;  // Trimset name
};

struct PluginEntry {
  std::string name;       // library name without ".so", e.g. "Vt6Cmd"
  std::string suffix;     // verb suffix, e.g. "SETCMD"
  std::string handshake;  // handshake export; empty: upper-case name + "100"
  std::vector<std::string> open;  // tables given to the run verb
  std::vector<Watch> watches;
  std::map<std::string, FreeStyle> textExports;  // free style, default free()

  std::string Verb(std::string_view prefix) const { return std::string(prefix) + suffix; }
  std::string HandshakeExport() const;
  FreeStyle TextFree(const std::string& exportName) const;
};

struct Action {
  std::string name;
  std::string table;   // answer to the action-table code
  std::string plugin;  // empty: a host action no plug-in drives
  std::string begin, finished, error, reset;  // verbs; empty: prefix + plug-in suffix
  int32_t available = 1;
};

struct HostFunction {
  std::string name;
  int32_t available = 1;
};

struct HostFacts {
  int32_t version = 0x60000;
  int32_t level = 5;
  std::string machine = "VALTOR";  // Windows-1252
  int32_t state = 0;               // machine state while connected
  bool connected = true;           // machine instances start connected
  std::map<int32_t, int32_t> queries;  // numbered queries
};

class Trimset {
 public:
  int32_t instance = 1;  // 0..7 a file, 8 and up a machine
  HostFacts facts;
  std::vector<PluginEntry> plugins;

  // False with a reason when the name or identifier is taken.
  bool AddVariable(Variable variable, std::string* error = nullptr);
  Variable* Find(std::string_view name);
  const Variable* Find(std::string_view name) const;
  Variable* FindId(int32_t id);
  const std::vector<Variable>& Variables() const { return variables_; }
  std::vector<Variable>& Variables() { return variables_; }
  void Reserve(size_t count);

  void SetConstant(const std::string& name, int32_t value) { constants_[name] = value; }
  const int32_t* Constant(const std::string& name) const;
  const std::map<std::string, int32_t>& Constants() const { return constants_; }

  bool AddAction(Action action);
  Action* FindAction(std::string_view name);
  const std::vector<Action>& Actions() const { return actions_; }

  bool AddFunction(HostFunction function);
  HostFunction* FindFunction(std::string_view name);
  const std::vector<HostFunction>& Functions() const { return functions_; }

  // Any other property, by code and name. A declared entry answers calls to
  // that code (also calls that send data, as queries); a recorded one holds
  // what a plug-in wrote and is answered to reads, replaced by the next write.
  struct StoreEntry {
    int32_t code = 0;
    std::string name;
    Datum datum;
    bool recorded = false;
  };
  void Put(int32_t code, std::string_view name, Datum datum, bool recorded = false);
  const StoreEntry* Entry(int32_t code, std::string_view name) const;
  // Entries sorted by code, then name.
  std::vector<const StoreEntry*> StoreEntries() const;

  const PluginEntry* Plugin(std::string_view name) const;
  // (plug-in, verb) pairs watching a variable.
  std::vector<std::pair<const PluginEntry*, std::string>> Watchers(std::string_view variable) const;

 private:
  std::vector<Variable> variables_;
  std::unordered_map<std::string, size_t> byName_;
  std::unordered_map<int32_t, size_t> byId_;
  int32_t nextId_ = 1;
  std::map<std::string, int32_t> constants_;
  std::vector<Action> actions_;
  std::unordered_map<std::string, size_t> actionIndex_;
  std::vector<HostFunction> functions_;
  std::unordered_map<std::string, size_t> functionIndex_;
  std::unordered_map<std::string, StoreEntry> store_;
};

}  // namespace sis::host

#endif
