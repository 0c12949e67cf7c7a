// A minimal Trimset behind the in-process test host: variables by name and
// identifier with their values, labels and properties, constants, actions and
// machine facts. It lets a test open a plug-in without linking the trial host
// (the headless contract is tested this way, as a batch host would use it).
#ifndef SIS_TESTING_FAKE_TRIMSET_H
#define SIS_TESTING_FAKE_TRIMSET_H

#include <cstdint>
#include <map>
#include <string>
#include <deque>
#include <vector>

#include "test_host.h"

namespace sis::testing {

struct FakeVariable {
  std::string name;
  int32_t id = 0;
  Reply value;                      // what a value read answers
  std::string label;
  std::map<int32_t, int32_t> props;  // any other property code; 0x40010/12/13/20 default to 1
};

class FakeTrimset {
 public:
  // Answers the host's Trimset codes through `host`'s hook.
  explicit FakeTrimset(TestHost& host);

  FakeVariable& Add(const std::string& name, int32_t id, Reply value, const std::string& label = "");
  const FakeVariable* Find(const std::string& name) const;
  // The 16-bit words of a variable's value (word 0 included).
  std::vector<uint16_t> Words(const std::string& name) const;

  std::map<std::string, int32_t> constants;
  std::map<std::string, std::string> actions;  // action name -> table
  std::map<int32_t, int32_t> queries;          // numbered queries (0x200)
  int32_t machineState = 0;
  std::vector<std::string> transmitted;

 private:
  bool Answer(const HostCall& call, Reply& reply);
  std::deque<FakeVariable> variables_;  // stable references
};

}  // namespace sis::testing

#endif
