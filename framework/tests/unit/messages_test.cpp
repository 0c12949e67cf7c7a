// Message composition and the fixed host error texts.
#include "fixture.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/messages.h"
#include "sis/framework/trimset_access.h"

namespace sis::testing {
namespace {

using Messages = FrameworkTest;

TEST_F(Messages, HostErrorsShowOneOfSevenFixedTexts) {
  const struct {
    int32_t code;
    const char* text;
  } cases[] = {
      {1, "Action canceled\nDll data error"},        {2, "Action canceled\nDll target error"},
      {3, "Action canceled\nDll action error"},      {4, "Action canceled\nAcces rights too low"},
      {5, "Action canceled\nDll transfert error"},   {-1, "Action canceled\nDravix internal error"},
      {7, "Action canceled\nUnknown error"},         {6, "Action canceled\nUnknown error"},
      {-2, "Action canceled\nUnknown error"},
  };
  TrimsetAccess access(link, 9);
  for (const auto& c : cases) {
    ui.events.clear();
    access.ShowHostError(c.code);
    EXPECT_EQ(Boxes(), std::vector<std::string>{ErrorBox(c.text)}) << c.code;
  }
}

TEST_F(Messages, BoxesStartWithTheMachineAndJoinLinesWithLineBreaks) {
  EXPECT_EQ(Compose({L"a", L"\n", L"b"}), L"a\nb");
  ShowMessage(BoxKind::Question, L"Rig", {L"first", L"second"});
  ShowMessageIds(BoxKind::Information, L"Rig", {msg::kFinalTransmissionError, msg::kActionAborted});
  ShowMessageIds(BoxKind::Warning, L"Rig", {msg::kDefaultTitle});
  EXPECT_EQ(ui.events, (std::vector<std::string>{"MSGBOX question Rig\nfirst\nsecond",
                                                 "MSGBOX information Rig\nFinal transmission error\nAction aborted",
                                                 "MSGBOX warning Rig\nProbe configuration"}));
}

}  // namespace
}  // namespace sis::testing
