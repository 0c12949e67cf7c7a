// Vt6Sen's two exchanges in the trial host, with their dialogs driven as a
// user would: from the begin verb to the reset.
#include <algorithm>
#include <cstring>

#include "sen_fixture.h"

namespace sentest {
namespace {

using K = sis::UserAction::Kind;
using sis::host::Datum;

constexpr int32_t kTabs = 1122, kActivated = 1127, kStandard = 1124, kSpecific = 1125;
constexpr int32_t kValueSlider = 1118, kValueText = 1120, kBlackOutSlider = 1101, kBlackOutSpin = 1102,
                  kBlackOutText = 1104, kShortSlider = 1107, kShortText = 1109, kBlackOutCaption = 1105;
constexpr int32_t kVertical = 1085, kHorizontal = 1088, kAdvanced = 1126;

std::wstring Text(sis::Dialog& d, int32_t id) { return d.Item(id)->Text(); }

TEST_F(SenTest, InputsExchangeFromBeginToReset) {
  Build(8);
  Open();
  ui.onModal = [&](sis::Dialog& d) {
    // Temperature: deactivated.
    EXPECT_TRUE(d.Item(kActivated)->IsEnabled());
    Act(d, K::Click, kActivated);
    EXPECT_FALSE(d.Item(kSpecific)->IsEnabled());
    EXPECT_EQ(Var("ENGINE_TEMP_0").switchedOn, 0);
    // Pressure: specific replacement, value slider within the variable's range, limits moved.
    Act(d, K::Tab, kTabs, 1);
    EXPECT_FALSE(d.Item(kValueSlider)->IsEnabled());
    Act(d, K::Click, kSpecific);
    EXPECT_EQ(d.Item(kValueSlider)->RangeHigh(), 150);
    EXPECT_EQ(Text(d, kValueText), L"12.5 bar");
    // A value below 0 of the signed range stays what it is when the page is built again.
    Act(d, K::Slide, kValueSlider, -20);
    Act(d, K::Tab, kTabs, 0);
    Act(d, K::Tab, kTabs, 1);
    EXPECT_EQ(d.Item(kValueSlider)->Pos(), -20);
    int32_t formatted = 0;  // the value the last formatted text was asked for
    for (const auto& call : host.Calls()) {
      if (call.code == 0x40038 && call.in.bytes.size() == 12) std::memcpy(&formatted, &call.in.bytes[4], 4);
    }
    EXPECT_EQ(formatted, -20);
    Act(d, K::Slide, kValueSlider, 100);
    Act(d, K::Slide, kBlackOutSlider, 6000);  // beyond the range: clamped to 5000
    Act(d, K::Spin, kBlackOutSpin, -1);
    EXPECT_EQ(Text(d, kBlackOutText), L"4999");
    EXPECT_EQ(Text(d, kBlackOutCaption), L"Limit value of input before black-out error triggering");
    Act(d, K::Click, 1);
  };
  host.Begin(number, "CNF_SEN");
  ASSERT_EQ(ui.dialogs.size(), 1u);
  EXPECT_EQ(ui.dialogs[0], L"Inputs configuration VALTOR");
  auto expected = Assignment({{0xFFFF, 0, 0, 0, 0xFFFF}, {0x101, 1, 100, 4999, 5000}, {0x401, 0, 0, 0, 0xFFFF}});
  EXPECT_EQ(Words("TAB_AFFSEN"), expected);
  // Sent, confirmed, finished and reset; the echo re-checked the new table.
  ASSERT_FALSE(host.Transmissions().empty());
  EXPECT_EQ(host.Transmissions().front().variable, "TAB_AFFSEN");
  EXPECT_TRUE(Finished("CNF_SEN"));
  EXPECT_EQ(host.Running(number, "Vt6Sen"), nullptr);
  EXPECT_EQ(Words("TAB_COMPSEN")[7], 0xFFFF);
  EXPECT_TRUE(host.Save(number));
}

TEST_F(SenTest, InputsDialogPages) {
  Build();
  Open();
  ui.onModal = [&](sis::Dialog& d) {
    // The lambda may not be deactivated: its box is checked and disabled; its limits have their own ranges.
    Act(d, K::Tab, kTabs, 2);
    EXPECT_FALSE(d.Item(kActivated)->IsEnabled());
    EXPECT_TRUE(d.Item(kActivated)->IsChecked());
    EXPECT_EQ(Text(d, 1128), L"MEASUREMENT  Lambda");
    Act(d, K::Click, kSpecific);
    EXPECT_EQ(d.Item(kBlackOutSlider)->RangeHigh(), 1000);
    EXPECT_EQ(d.Item(kShortSlider)->RangeHigh(), 65535);
    EXPECT_EQ(Text(d, 1111), L"Lambda error");
    EXPECT_EQ(Text(d, kBlackOutText), L"0.05");  // "  +0.05" without its blanks and sign
    EXPECT_EQ(Text(d, kShortText), L"65535");
    Act(d, K::Click, kStandard);
    EXPECT_FALSE(d.Item(kBlackOutSlider)->IsEnabled());
    EXPECT_EQ(Text(d, kBlackOutText), L"");
    EXPECT_EQ(Text(d, kBlackOutCaption), L"Black-out error custom triggering");
    // Help on the three groups of controls.
    Act(d, K::Help, kBlackOutCaption);
    Act(d, K::Help, 1124);
    Act(d, K::Help, 1129);
    // Unchecking the pressure's activation resets its replacement words.
    Act(d, K::Tab, kTabs, 1);
    Act(d, K::Click, kSpecific);
    Act(d, K::Slide, kShortSlider, 300);
    Act(d, K::Click, kActivated);
    EXPECT_FALSE(d.Item(kSpecific)->IsEnabled());
    EXPECT_TRUE(d.Item(kStandard)->IsChecked());
    Act(d, K::Click, 1);
  };
  host.Begin(number, "CNF_SEN");
  EXPECT_EQ(Words("TAB_AFFSEN"),
            Assignment({{0x201, 0, 0, 0, 0xFFFF}, {0xFFFF, 0, 0, 0, 0xFFFF}, {0x401, 0, 0, 0, 0xFFFF}}));
  ASSERT_EQ(ui.helps.size(), 3u);
  EXPECT_NE(ui.helps[0].find(L"Error triggering"), std::wstring::npos);
  EXPECT_NE(ui.helps[1].find(L"Error replacement"), std::wstring::npos);
  EXPECT_NE(ui.helps[2].find(L"Measurement activation"), std::wstring::npos);
  EXPECT_TRUE(host.Transmissions().empty());  // a file is never transmitted
  EXPECT_TRUE(Finished("CNF_SEN"));
}

TEST_F(SenTest, CancelRestoresTheSwitchedOnStates) {
  Build();
  Var("OIL_PRESS_0").switchedOn = 0;
  Open();
  const auto before = Words("TAB_AFFSEN");
  ui.onModal = [&](sis::Dialog& d) {
    Act(d, K::Click, kActivated);  // temperature off
    Act(d, K::Tab, kTabs, 1);      // the pressure's page switches it on
    EXPECT_EQ(Var("ENGINE_TEMP_0").switchedOn, 0);
    EXPECT_EQ(Var("OIL_PRESS_0").switchedOn, 1);
    Act(d, K::Click, 2);
  };
  host.Begin(number, "CNF_SEN");
  EXPECT_EQ(Var("ENGINE_TEMP_0").switchedOn, 1);
  EXPECT_EQ(Var("OIL_PRESS_0").switchedOn, 0);
  EXPECT_EQ(Words("TAB_AFFSEN"), before);
  EXPECT_TRUE(Finished("CNF_SEN"));
}

TEST_F(SenTest, SecondBeginsWhileTheInputsExchangeRuns) {
  Build(8);
  Open();
  int shown = 0;
  ui.onModal = [&](sis::Dialog& d) {
    if (++shown > 1) return;  // the restarted exchange's dialog is cancelled
    host.Begin(number, "MOD_MAP_MOY_PRESS_0");
    EXPECT_NE(LastBox().find(L"An other action is running"), std::wstring::npos);
    EXPECT_TRUE(Finished("MOD_MAP_MOY_PRESS_0"));
    host.Begin(number, "CNF_SEN");
    EXPECT_EQ(ui.boxes.size(), 2u);
    Act(d, K::Click, 2);
  };
  host.Begin(number, "CNF_SEN");
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(Finished("CNF_SEN"));
}

TEST_F(SenTest, MapScaleCandidatesAndAdvancedFilter) {
  Build(8);
  Open();
  ui.onModal = [&](sis::Dialog& d) {
    EXPECT_EQ(d.Title(), L"Oil pressure average VALTOR");
    EXPECT_EQ(d.Item(kHorizontal)->ItemText(0), L"Throttle");
    EXPECT_FALSE(d.Item(kHorizontal)->IsEnabled());
    // Usual data only: "NO DATA" and the engine speed, the current choice.
    sis::Control* vertical = d.Item(kVertical);
    EXPECT_FALSE(d.Item(kAdvanced)->IsChecked());
    ASSERT_EQ(vertical->ItemCount(), 2);
    EXPECT_EQ(vertical->ItemText(0), L"NO DATA");
    EXPECT_EQ(vertical->Selection(), 1);
    Act(d, K::Click, kAdvanced);
    ASSERT_EQ(vertical->ItemCount(), 3);
    EXPECT_EQ(vertical->ItemText(2), L"Throttle");
    EXPECT_EQ(vertical->Selection(), 1);
    Act(d, K::Select, kVertical, 2);
    Act(d, K::Click, 1);
  };
  host.Begin(number, "MOD_MAP_MOY_PRESS_0");
  EXPECT_EQ(Words("MOY_PRESS_0"), (std::vector<uint16_t>{10, 1, 2, kThrottle, 0}));
  ASSERT_FALSE(host.Transmissions().empty());
  EXPECT_EQ(host.Transmissions().front().variable, "MOY_PRESS_0");
  EXPECT_TRUE(Finished("MOD_MAP_MOY_PRESS_0"));
  EXPECT_EQ(host.Running(number, "Vt6Sen"), nullptr);
  EXPECT_EQ(Stored(0x40062, "MAP_MOY_PRESS_0")->AsInt(), kThrottle);
}

TEST_F(SenTest, AverageBeginFindsTheEditedStructure) {
  struct Case {
    const char* label;
    const char* action;
    const char* table;  // the action's table as the host answers it
    bool unchecked;     // the structure has no attribute class: its check never ran
    std::wstring box;   // "" for none
    bool dialog;
  };
  const std::vector<Case> cases = {
      {"action's table", "MOD_A", "MAP_MOY_PRESS_0", false, L"", true},
      {"name after the first _", "MOD_MAP_MOY_PRESS_0", "UNKNOWN_0", false, L"", true},
      {"no average map", "MOD_NONE", "UNKNOWN_0", false, L"", false},
      {"a map without structure", "MOD_B", "MAP_TEMP_0", false, L"", false},
      {"structure not received", "MOD_A", "MAP_MOY_PRESS_0", true,
       L"VALTOR\nOil pressure average\nThe data to be tuned has not been received from the machine\n\n"
       L"The setting cannot yet be done",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    host.UnloadAll();
    ui.boxes.clear();
    ui.dialogs.clear();
    Build(8);
    sis::host::Action action;
    action.name = c.action;
    action.table = c.table;
    action.plugin = "Vt6Sen";
    action.begin = "DEBMODSEN";
    action.finished = "FEMMODSEN";
    action.error = "ERRMODSEN";
    action.reset = "RSTMODSEN";
    if (!ts->FindAction(c.action)) {
      ts->AddAction(action);
    } else {
      ts->FindAction(c.action)->table = c.table;
    }
    if (c.unchecked) Var("MOY_PRESS_0").attributes = 0;
    Open();
    host.Begin(number, c.action);
    EXPECT_EQ(LastBox(), c.box);
    EXPECT_EQ(ui.dialogs.size(), c.dialog ? 1u : 0u);
    EXPECT_TRUE(Finished(c.action));
    EXPECT_EQ(host.Running(number, "Vt6Sen"), nullptr);
  }
}

TEST_F(SenTest, SecondAverageBeginRestartsTheExchange) {
  Build(8);
  Open();
  int shown = 0;
  ui.onModal = [&](sis::Dialog& d) {
    if (++shown > 1) return;  // the restarted exchange's dialog is cancelled
    host.Begin(number, "MOD_MAP_MOY_PRESS_0");
    EXPECT_EQ(LastBox(), L"VALTOR\nThis function can not be executed\nAn other action is running on this machine");
    host.Begin(number, "CNF_SEN");  // refused while the average exchange runs
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_TRUE(Finished("CNF_SEN"));
    Act(d, K::Click, 2);
  };
  host.Begin(number, "MOD_MAP_MOY_PRESS_0");
  EXPECT_EQ(shown, 2);
  EXPECT_TRUE(Finished("MOD_MAP_MOY_PRESS_0"));
}

TEST_F(SenTest, MapScaleOnAFaultyStructureCannotBeCancelled) {
  Build();
  Var("MOY_PRESS_0").words = {10, 2, 2, 0, 0};
  Open();
  EXPECT_FALSE(host.Save(number));
  ui.onModal = [&](sis::Dialog& d) {
    EXPECT_FALSE(d.Item(2)->IsEnabled());
    d.OnCancel();  // Escape does nothing
    EXPECT_FALSE(d.IsEnded());
    EXPECT_EQ(d.Item(kVertical)->Selection(), 0);
    Act(d, K::Click, 1);
  };
  host.Begin(number, "MOD_MAP_MOY_PRESS_0");
  EXPECT_EQ(Words("MOY_PRESS_0"), (std::vector<uint16_t>{10, 1, 2, 0, 0xFFFF}));
  EXPECT_TRUE(host.Save(number));
}

// One edit in each exchange's dialog: the inputs configuration and the average map.
struct ExchangeEdit {
  const char* action;
  const char* table;
  std::function<void(sis::Dialog&)> edit;
};
std::vector<ExchangeEdit> EditInEachExchange() {
  return {
      {"CNF_SEN", "TAB_AFFSEN", [](sis::Dialog& d) { Act(d, K::Click, kActivated); }},
      {"MOD_MAP_MOY_PRESS_0", "MOY_PRESS_0", [](sis::Dialog& d) { Act(d, K::Select, kVertical, 0); }},
  };
}

TEST_F(SenTest, RefusedWriteFinishesTheActionOnce) {
  for (const ExchangeEdit& c : EditInEachExchange()) {
    SCOPED_TRACE(c.action);
    host.UnloadAll();
    host.ClearOverrides();
    ui.boxes.clear();
    Build(8);
    Open();
    const auto before = Words(c.table);
    host.Override(0x40032, c.table, 2);
    ui.onModal = [&](sis::Dialog& d) {
      c.edit(d);
      Act(d, K::Click, 1);
    };
    host.Begin(number, c.action);
    EXPECT_EQ(LastBox(), L"VALTOR\nAction canceled\nDll target error");
    EXPECT_EQ(Words(c.table), before);
    EXPECT_TRUE(host.Transmissions().empty());
    EXPECT_EQ(std::count(host.Finished().begin(), host.Finished().end(), "8:" + std::string(c.action)), 1);
    EXPECT_EQ(host.Running(number, "Vt6Sen"), nullptr);
  }
}

TEST_F(SenTest, TransmissionErrorsInEitherExchange) {
  enum class State { Failed, Zero, Unreadable };
  for (const ExchangeEdit& x : EditInEachExchange()) {
    for (State state : {State::Failed, State::Zero, State::Unreadable}) {
      SCOPED_TRACE(std::string(x.action) + " state " + std::to_string(static_cast<int>(state)));
      host.UnloadAll();
      host.ClearOverrides();
      ui.boxes.clear();
      Build(8);
      Open();
      host.FailTransmission(number, x.table, "Checksum error");
      if (state == State::Zero) host.Override(0x40035, x.table, 0, Datum::Int(0));
      if (state == State::Unreadable) host.Override(0x40035, x.table, 2);
      ui.onModal = [&](sis::Dialog& d) {
        x.edit(d);
        Act(d, K::Click, 1);
      };
      const size_t finishedBefore = host.Finished().size();
      host.Begin(number, x.action);
      const bool reported = !ui.boxes.empty() && ui.boxes.back().find(L"Final transmission error") != std::wstring::npos;
      switch (state) {
        case State::Failed:
          EXPECT_TRUE(reported);
          EXPECT_EQ(LastBox(), L"VALTOR\nFinal transmission error\nChecksum error\nAction aborted");
          EXPECT_TRUE(Finished(x.action));
          break;
        case State::Zero:  // not a failure: the exchange waits on
          EXPECT_FALSE(reported);
          EXPECT_EQ(host.Finished().size(), finishedBefore);
          EXPECT_NE(host.Running(number, "Vt6Sen"), nullptr);
          // A report on a table that is not the exchange's changes nothing either.
          host.DeliverError(number, "Vt6Sen", "TAB_ACTSEN", "other");
          EXPECT_EQ(host.Finished().size(), finishedBefore);
          host.DeliverReset(number, "Vt6Sen");
          break;
        case State::Unreadable:
          EXPECT_FALSE(reported);
          EXPECT_TRUE(Finished(x.action));
          break;
      }
      host.Pump();
      EXPECT_EQ(host.Running(number, "Vt6Sen"), nullptr);
    }
  }
}

}  // namespace
}  // namespace sentest
