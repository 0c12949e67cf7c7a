// Fixture of the in-process framework tests: the test host answers ACTIONDLL,
// the recording backend takes the boxes and windows, and the tests' own
// resource module supplies the texts.
#ifndef SIS_FRAMEWORK_TESTS_FIXTURE_H
#define SIS_FRAMEWORK_TESTS_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sis/framework/host_link.h"
#include "sis/platform/module.h"
#include "test_host.h"

const SisResourceData* SisUnitResources();

namespace sis::testing {

// Host error texts as the boxes show them.
inline const std::string kInternalText = "Action canceled\nDravix internal error";
inline const std::string kTargetText = "Action canceled\nDll target error";
inline const std::string kTransferText = "Action canceled\nDll transfert error";

// An error box headed by the test host's machine name.
inline std::string ErrorBox(const std::string& text) { return "MSGBOX error Bench\n" + text; }

class FrameworkTest : public ::testing::Test {
 public:
  FrameworkTest() : module_(SisUnitResources(), reinterpret_cast<const void*>(&SisUnitResources)), guard_(module_) {
    link.Bind();
  }

  std::vector<std::string> Boxes() const { return ui.With("MSGBOX"); }
  // Names of the actions the plug-in said it finished, in order.
  std::vector<std::string> Finished() const { return NamesOf(0x30003); }
  // Names of the host calls with `code`, in order.
  std::vector<std::string> NamesOf(int32_t code) const {
    std::vector<std::string> out;
    for (const HostCall* call : host.CallsWith(code)) out.push_back(call->name);
    return out;
  }

  TestHost host;
  RecordingBackend ui;
  HostLink link;

 private:
  ResourceModule module_;
  ModuleStateGuard guard_;
};

}  // namespace sis::testing

#endif
