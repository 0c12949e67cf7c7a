// Trimset data access: every value, table, label and state a plug-in asks of
// the host, one host code per operation (two for the lookups that fall back).
//
// Each operation checks the reply's shape, converts it, frees the host's data
// and reports failure: "message" operations show the fixed host error box
// headed by the machine name, "silent" ones only return false. Out-values and
// tables are left untouched on failure. Nothing throws.
#ifndef SIS_FRAMEWORK_TRIMSET_ACCESS_H
#define SIS_FRAMEWORK_TRIMSET_ACCESS_H

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sis/framework/host_link.h"
#include "sis/framework/tables.h"

namespace sis {

// A host reply handed to the caller as it came (rules texts); frees its data.
class RawValue {
 public:
  RawValue() = default;
  ~RawValue() { std::free(data_); }
  RawValue(const RawValue&) = delete;
  RawValue& operator=(const RawValue&) = delete;
  int32_t count() const { return count_; }
  const void* data() const { return data_; }
  void Reset(int32_t count, void* data) {
    std::free(data_);
    count_ = count;
    data_ = data;
  }

 private:
  int32_t count_ = 0;
  void* data_ = nullptr;
};

class TrimsetAccess {
 public:
  TrimsetAccess(const HostLink& host, int32_t number) : host_(&host), number_(number) {}

  int32_t Number() const { return number_; }
  const HostLink& Host() const { return *host_; }

  // Constants and the variable list.
  bool ReadConstant(const char* name, int32_t& value) const;                  // silent
  bool VariableExists(const char* name) const;                                // silent
  bool ReadVariableId(const char* name, int32_t& id) const;
  bool ReadVariableName(int32_t id, std::string& name) const;                 // silent
  bool ListVariables(std::vector<std::string>& names) const;                  // silent

  // Values and tables.
  bool ReadValue(const char* name, int32_t& value) const;
  bool ReadWordTable(const char* name, WordTable& table) const;
  bool ReadLongTable(const char* name, LongTable& table) const;
  bool ReadRawValue(const char* name, RawValue& raw) const;
  bool WriteWordTable(const WordTable& table, const char* name) const;
  bool WriteText(const std::string& text, const char* name) const;

  // Properties and states.
  bool ValuePresent(const char* name, int32_t& present) const;
  bool ReadAttributes(const char* name, int32_t& bits) const;
  // -1, 0 or +1 from the attribute class; 0 when the variable does not exist.
  int32_t AttributeClass(const char* name, bool secondReading) const;
  bool ReadProperty(int32_t code, const char* name, int32_t& value) const;
  // The same without a message on failure (name checks of rules texts).
  bool ProbeProperty(int32_t code, const char* name, int32_t& value) const;
  // An operation without data on a variable (0x40039, 0x4003a); the reply is freed.
  bool Operate(int32_t code, const char* name) const;
  bool ReadSwitchedOn(const char* name, bool& on) const;
  bool WriteProperty(int32_t code, const char* name, int32_t value) const;
  // {high half signed, low half with 0xFFFF as -1}.
  bool ReadAxes(const char* name, int32_t& high, int32_t& low) const;
  bool ReadLabel(const char* name, std::string& label) const;  // sends the integer 0
  bool ReadErrorText(const char* name, std::wstring& text) const;
  bool Transmit(const char* name) const;

  // Actions and functions.
  bool ReadActionTable(const char* action, std::string& table) const;
  bool ActionKnown(const char* name) const;    // silent
  bool FunctionKnown(const char* name) const;  // silent
  bool SetActionState(const char* name, int32_t state) const;
  bool SetFunctionState(const char* name, int32_t state) const;
  void ActionFinished(const char* name) const;  // result ignored
  bool VetoSave() const;

  // Host facts.
  bool ReadLevel(int32_t& level) const;
  bool ReadMachineState(int32_t& state) const;
  // Stores the machine name; message on failure.
  bool ReadMachineName();
  // Asks again silently, keeps a good reply; the last stored name in every case.
  std::wstring MachineName() const;
  bool QueryNumber(int32_t& value) const;

  // Shows the host error box for `code` (machine name first).
  void ShowHostError(int32_t code) const;

 protected:
  enum class Reaction { Message, Silent };
  bool ReadInt(int32_t code, const char* name, int32_t& value, Reaction reaction) const;
  bool ReadText(int32_t code, const char* name, std::string& text, Reaction reaction) const;
  // Sends one integer the plug-in keeps and takes a text back in its place.
  bool QueryText(int32_t code, const char* name, int32_t sent, std::string& text, Reaction reaction) const;
  bool SendInt(int32_t code, const char* name, int32_t value, Reaction reaction) const;
  bool Fail(int32_t code, Reaction reaction) const;

 private:
  const HostLink* host_;
  int32_t number_;
  mutable std::wstring machineName_ = L"Machine";
};

}  // namespace sis

#endif
