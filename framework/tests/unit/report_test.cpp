// The configuration error report window: template, labels, rows, showing and
// hiding.
#include <memory>

#include "fixture.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/instance.h"
#include "sis/framework/report.h"
#include "sis/platform/user_action.h"

namespace sis::testing {
namespace {

class Report : public FrameworkTest {
 protected:
  Report() {
    inst.level = 3;
    inst.partNames = {"P0", "P1"};
    host.Answer(code::kLabel, "P0", Reply::Text("Output one"));
    host.Answer(code::kLabel, "P1", Reply::Fail(code::kDataError));
  }
  // A created report with both part lines, the events of its making cleared.
  std::unique_ptr<CSisReport> Created() {
    auto report = std::make_unique<CSisReport>(inst, L"Errors Bench", 2);
    EXPECT_TRUE(report->Create());
    ui.events.clear();
    return report;
  }
  static std::vector<std::string> Rows(const CSisReport& report) {
    std::vector<std::string> rows;
    const Control* list = report.Item(CSisReport::kListId);
    for (int32_t i = 0; list && i < list->ItemCount(); ++i) rows.push_back(Utf8(list->ItemText(i)));
    return rows;
  }

  Instance inst{link, 9};
};

TEST_F(Report, IsBuiltOnTemplate1010CreatedHiddenWithUpperCaseLabels) {
  CSisReport report(inst, L"Errors Bench", 2);
  EXPECT_EQ(Utf8(report.PartLabel(0)), "OUTPUT ONE");
  EXPECT_EQ(report.PartLabel(1), L"");  // unreadable: empty heading, after the host error box
  EXPECT_EQ(Boxes(), std::vector<std::string>{ErrorBox("Action canceled\nDll data error")});
  // Labels are read with the integer 0.
  ASSERT_EQ(host.CallsWith(code::kLabel).size(), 2u);
  EXPECT_EQ(host.CallsWith(code::kLabel)[0]->sentCount, -1);

  ASSERT_TRUE(report.Create());
  EXPECT_FALSE(report.IsVisible());
  EXPECT_FALSE(report.IsEnabled());
  EXPECT_EQ(report.Title(), L"Errors Bench");
  EXPECT_EQ(report.Width(), 355);
  EXPECT_EQ(report.Height(), 106);
  const Control* close = report.Item(1);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->Text(), L"Close");
  const Control* group = report.Item(CSisReport::kGroupId);
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(Utf8(group->Text()),
            "Incompatible configurations have been found, please, tune again to cancel these errors");
  const Control* list = report.Item(CSisReport::kListId);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Kind(), ControlKind::List);
  for (const char* style : {"report", "single", "showselalways", "nocolumnheader", "nosortheader", "border"}) {
    EXPECT_TRUE(list->HasStyle(style)) << style;
  }
  EXPECT_EQ(list->ExtendedStyle(), kListGridLines | kListFullRowSelect | kListOneClickActivate);
  ASSERT_EQ(list->ColumnCount(), 1);
  EXPECT_EQ(list->ColumnWidth(0), 1000);
}

TEST_F(Report, RowsAreRebuiltFromTheGeneralLineAndThePartLines) {
  struct Case {
    const char* what;
    const wchar_t* general;
    const wchar_t* part0;
    const wchar_t* part1;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"nothing to say", L"", L"", L"", {}},
      {"general line", L"Unique configurations selected more than once", L"", L"",
       {"Unique configurations selected more than once", ""}},
      {"two lines under a label", L"", L"Twin\nParametric value", L"", {"OUTPUT ONE", "Twin", "Parametric value", ""}},
      {"unreadable label", L"", L"", L"Bad", {"", "Bad", ""}},
      {"all in order", L"G1\nG2", L"A", L"B", {"G1", "G2", "", "OUTPUT ONE", "A", "", "", "B", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto report = Created();
    report->SetLine(0, c.part0);
    report->SetLine(1, c.part1);
    report->SetLine(-1, c.general);
    EXPECT_EQ(Rows(*report), c.rows);
    EXPECT_EQ(report->IsVisible(), !c.rows.empty());
    EXPECT_EQ(report->IsEnabled(), !c.rows.empty());
  }
}

TEST_F(Report, EmptyingTheLastLineHidesAndAnIndexOutOfRangeChangesNothing) {
  auto report = Created();
  report->SetLine(-1, L"G");
  ASSERT_TRUE(report->IsVisible());
  ui.events.clear();

  report->SetLine(2, L"ignored");
  report->SetLine(-2, L"ignored");
  EXPECT_TRUE(ui.events.empty());  // no rebuild
  EXPECT_EQ(Rows(*report), (std::vector<std::string>{"G", ""}));

  report->SetLine(-1, L"");
  EXPECT_FALSE(report->IsVisible());
  EXPECT_TRUE(Rows(*report).empty());
  EXPECT_EQ(ui.events, std::vector<std::string>{"REPORT-HIDDEN Errors Bench"});
}

TEST_F(Report, LinesSetBeforeCreationAreKeptForTheFirstRebuild) {
  CSisReport report(inst, L"Errors Bench", 2);
  report.SetLine(0, L"A");
  EXPECT_FALSE(report.IsCreated());
  ASSERT_TRUE(report.Create());
  report.Rebuild();
  EXPECT_EQ(Rows(report), (std::vector<std::string>{"OUTPUT ONE", "A", ""}));
  EXPECT_TRUE(report.IsVisible());
}

TEST_F(Report, RefreshShowsOrHidesByContentWithoutRebuildingRows) {
  auto report = Created();
  report->SetLine(1, L"B");
  report->ShowWindow(false);
  report->Item(CSisReport::kListId)->DeleteAllItems();
  report->Refresh();
  EXPECT_TRUE(report->IsVisible());
  EXPECT_TRUE(Rows(*report).empty());  // rows as they were

  report->SetLine(1, L"");
  report->ShowWindow(true);
  report->Refresh();
  EXPECT_FALSE(report->IsVisible());
}

TEST_F(Report, CloseEnterAndEscapeOnlyHide) {
  const struct {
    const char* what;
    void (*act)(CSisReport&);
  } cases[] = {
      {"Close button", [](CSisReport& r) { EXPECT_TRUE(DeliverUserAction(r, {UserAction::Kind::Click, 1, 0, {}})); }},
      {"Enter", [](CSisReport& r) { r.OnOK(); }},
      {"Escape", [](CSisReport& r) { r.OnCancel(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto report = Created();
    report->SetLine(-1, L"G");
    c.act(*report);
    EXPECT_FALSE(report->IsVisible());
    EXPECT_TRUE(report->IsCreated());
    EXPECT_EQ(Rows(*report).size(), 2u);
  }
}

TEST_F(Report, EndOfScrollRepaintsOnlyForLowLevelInstances) {
  for (const auto& [level, repainted] : {std::pair{3, true}, std::pair{4, false}}) {
    inst.level = level;
    auto report = Created();
    report->SetLine(-1, L"G");
    ui.events.clear();
    report->OnCommand(CSisReport::kListId, Notify::EndScroll);
    EXPECT_EQ(ui.With("REPORT Errors Bench").size(), repainted ? 1u : 0u) << level;
    EXPECT_EQ(Rows(*report).size(), 2u);
  }
}

TEST_F(Report, InstanceBuildsItWithTheTitleAndMachineAndReplacesTheOldOne) {
  inst.BuildReport(ReportLines{L"", {L"", L"B"}}, 2);
  ASSERT_TRUE(inst.report);
  EXPECT_EQ(inst.report->Title(), L"Probe configuration errors Bench");
  EXPECT_TRUE(inst.report->IsVisible());
  EXPECT_EQ(Rows(*inst.report), (std::vector<std::string>{"", "B", ""}));

  inst.BuildReport(ReportLines{}, 2);  // nothing to say: created, hidden
  ASSERT_TRUE(inst.report);
  EXPECT_TRUE(inst.report->IsCreated());
  EXPECT_FALSE(inst.report->IsVisible());
  inst.DestroyReport();
  EXPECT_FALSE(inst.report);
}

}  // namespace
}  // namespace sis::testing
