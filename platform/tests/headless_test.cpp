// The headless backend's log and answers, and the user actions it delivers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sis/platform/dialog.h"
#include "sis/platform/headless_backend.h"
#include "sis/platform/message_box.h"
#include "sis/platform/module.h"
#include "sis/platform/shell.h"
#include "sis/platform/user_action.h"

const SisResourceData* ProbeResources();

namespace sis {
namespace {

namespace fs = std::filesystem;

// A dialog whose logic records the notifications it gets; OK is refused while
// the edit holds "bad".
class ProbeDialog : public Dialog {
 public:
  ProbeDialog() : Dialog(100) {}
  bool OnInitDialog() override {
    Item(1004)->AddItem(L"Relay");
    Item(1004)->AddItem(L"PWM");
    Item(1004)->SetSelection(0);
    Item(1006)->SetRange(0, 50);
    Item(1007)->SetRange(0, 3);
    Item(1008)->AddItem(L"Main");
    Item(1008)->AddItem(L"More");
    Item(1008)->SetSelection(0);
    Item(1009)->AddItem(L"A");
    Item(1009)->SetItemText(0, 1, L"1");
    Item(1010)->Enable(false);
    return true;
  }
  void OnCommand(int32_t id, Notify code) override {
    notes.push_back(std::to_string(id) + ":" + std::to_string(static_cast<int>(code)));
    Dialog::OnCommand(id, code);
  }
  void OnOK() override {
    if (Item(300)->Text() == L"bad") {
      MessageBox(BoxKind::Warning, L"Machine\nThe value is wrong");
      return;
    }
    Dialog::OnOK();
  }
  std::vector<std::string> notes;
};

class ReportProbe : public Dialog {
 public:
  ReportProbe() : Dialog(101) {}
  int32_t ReportListId() const override { return 1001; }
};

class Headless : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sis-headless-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    log_ = (dir_ / "ui.log").string();
    answers_ = (dir_ / "answers.txt").string();
    setenv("SIS_UI_LOG", log_.c_str(), 1);
    setenv("SIS_UI_ANSWERS", answers_.c_str(), 1);
    SetBackend(nullptr);
    DefaultHeadlessBackend().ResetAnswers();
  }
  void TearDown() override {
    unsetenv("SIS_UI_LOG");
    unsetenv("SIS_UI_ANSWERS");
    DefaultHeadlessBackend().ResetAnswers();
    fs::remove_all(dir_);
  }
  void Answers(const std::string& lines) { std::ofstream(answers_) << lines; }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The log without the control snapshots, for tests about the event lines.
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const auto& l : Log()) {
      if (l.rfind("CTRL ", 0) && l.rfind("ITEM ", 0) && l.rfind("RANGE ", 0) && l.rfind("END ", 0)) out.push_back(l);
    }
    return out;
  }

  ResourceModule module_{ProbeResources(), nullptr};
  ModuleStateGuard guard_{module_};
  fs::path dir_;
  std::string log_;
  std::string answers_;
};

TEST_F(Headless, BoxesTakeTheirAnswersInOrderAndDefaultsAfter) {
  Answers("yes\nno\nok\nfile /tmp/x\n");
  EXPECT_EQ(MessageBox(BoxKind::Question, L"Bench\nReset now?"), kIdYes);
  EXPECT_EQ(MessageBox(BoxKind::Question, L"Bench\nReset now?"), kIdNo);
  EXPECT_EQ(MessageBox(BoxKind::Error, L"Bench\nC:\\path"), kIdOk);
  EXPECT_EQ(MessageBox(BoxKind::Question, L"Q"), kIdNo);  // "file" does not answer a box
  EXPECT_EQ(MessageBox(BoxKind::Question, L"Q"), kIdNo);  // none left: No
  EXPECT_EQ(MessageBox(BoxKind::Information, L"I"), kIdOk);
  const std::vector<std::string> expected = {
      "MSGBOX question Bench\\nReset now?", "MSGBOX question Bench\\nReset now?", "MSGBOX error Bench\\nC:\\\\path",
      "MSGBOX question Q",                  "REFUSED file /tmp/x",                 "MSGBOX question Q",
      "MSGBOX information I"};
  EXPECT_EQ(Log(), expected);
}

TEST_F(Headless, ModalDialogWritesItsStateAndFollowsTheAnswers) {
  Answers(
      "click 1001\n"     // check box
      "select 1004 1\n"  // combo
      "type 300 bad\n"
      "ok\n"             // refused by the dialog: a warning box follows
      "ok\n"             // answers the warning
      "slide 1006 70\n"  // clamped to the range
      "spin 1007 -1\n"   // already at the bottom
      "tab 1008 1\n"
      "click 1003\n"     // radio
      "click 1010\n"     // disabled: refused
      "click 4242\n"     // unknown: refused
      "help 300\n"
      "type 300 good\n"
      "ok\n");
  ProbeDialog dialog;
  EXPECT_EQ(dialog.DoModal(), kIdOk);
  const std::vector<std::string> events = {
      "DIALOG 100 Probe dialog", "MSGBOX warning Machine\\nThe value is wrong", "REFUSED click 1010",
      "REFUSED click 4242",      "HELP Help for the edit box"};
  EXPECT_EQ(Events(), events);
  const std::vector<std::string> notes = {"1010:7", "1001:0", "1004:1", "300:2", "1006:3", "1007:4",
                                          "1008:5", "1003:0", "300:2"};
  EXPECT_EQ(dialog.notes, notes);

  // The first snapshot, whole.
  const std::vector<std::string> log = Log();
  const std::vector<std::string> first(log.begin() + 1, log.begin() + 1 + 20);
  const std::vector<std::string> snapshot = {
      "CTRL 100 1 button 1 1 0 0 0 OK",
      "CTRL 100 2 button 1 1 0 0 0 Cancel",
      "CTRL 100 300 edit 1 1 0 0 0 abc",
      "CTRL 100 1000 static 1 1 0 0 0 Label",
      "CTRL 100 1001 check 1 1 0 0 0 Option",
      "CTRL 100 1002 radio 1 1 0 0 0 First",
      "CTRL 100 1003 radio 1 1 0 0 0 Second",
      "CTRL 100 1004 combo 1 1 0 0 0 Relay",
      "ITEM 100 1004 0 Relay",
      "ITEM 100 1004 1 PWM",
      "CTRL 100 1006 slider 1 1 0 0 0 ",
      "RANGE 100 1006 0 50",
      "CTRL 100 1007 spin 1 1 0 0 0 ",
      "CTRL 100 1008 tab 1 1 0 0 0 ",
      "ITEM 100 1008 0 Main",
      "ITEM 100 1008 1 More",
      "CTRL 100 1009 list 1 1 0 0 -1 ",
      "ITEM 100 1009 0 A\\t1",
      "CTRL 100 1010 button 0 1 0 0 0 Apply",
      "END 100",
  };
  EXPECT_EQ(first, snapshot);
  // After the slide, the slider stands at its top.
  bool sawSlid = false;
  for (const auto& l : log) sawSlid = sawSlid || l == "CTRL 100 1006 slider 1 1 0 50 0 ";
  EXPECT_TRUE(sawSlid);
  EXPECT_TRUE(dialog.Item(1003) == nullptr);  // controls go with the window
}

TEST_F(Headless, ModalDialogWithoutAnswerIsCancelled) {
  ProbeDialog dialog;
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(Events(), std::vector<std::string>{"DIALOG 100 Probe dialog"});
}

TEST_F(Headless, ReportWindowShowsItsRowsAndHides) {
  ReportProbe report;
  ASSERT_TRUE(report.Create());
  report.SetTitle(L"Errors Bench");
  report.Item(1001)->AddItem(L"OUTPUT 1");
  report.Item(1001)->AddItem(L"Bad\\code");
  report.ShowWindow(true);
  report.ShowWindow(false);
  report.ShowWindow(false);  // already hidden: nothing more
  const std::vector<std::string> expected = {"REPORT Errors Bench", "ROW OUTPUT 1", "ROW Bad\\\\code",
                                             "REPORT-HIDDEN Errors Bench"};
  EXPECT_EQ(Events(), expected);
}

TEST_F(Headless, FileDialogTakesAPathOrIsCancelled) {
  Answers("file /data/map one.ess\ncancel\n");
  std::string path;
  EXPECT_TRUE(FileOpenDialog(L"Importing Injection map", L"Quorex map (*.ess)|*.ess||", path));
  EXPECT_EQ(path, "/data/map one.ess");
  EXPECT_FALSE(FileOpenDialog(L"Importing Injection map", L"", path));
  EXPECT_FALSE(FileOpenDialog(L"Importing Injection map", L"", path));
  Beep();
  const std::vector<std::string> expected = {"FILEOPEN Importing Injection map", "FILEOPEN Importing Injection map",
                                             "FILEOPEN Importing Injection map", "BEEP"};
  EXPECT_EQ(Log(), expected);
}

TEST(UserAction, ParsesTheAnswerWords) {
  struct Case {
    const char* line;
    bool ok;
    UserAction::Kind kind;
    int32_t control;
    int32_t value;
    std::wstring text;
  };
  const Case cases[] = {
      {"click 5", true, UserAction::Kind::Click, 5, 0, L""},
      {"check 1001 1", true, UserAction::Kind::Check, 1001, 1, L""},
      {"select 1004 -1", true, UserAction::Kind::Select, 1004, -1, L""},
      {"type 300 two  words\\nline", true, UserAction::Kind::Type, 300, 0, L"two  words\nline"},
      {"type 300 ", true, UserAction::Kind::Type, 300, 0, L""},
      {"spin 7 +1", true, UserAction::Kind::Spin, 7, 1, L""},
      {"slide 0x10 5", true, UserAction::Kind::Slide, 16, 5, L""},
      {"tab 8", false, UserAction::Kind::Tab, 8, 0, L""},
      {"click x", false, UserAction::Kind::Click, 0, 0, L""},
      {"press 5", false, UserAction::Kind::Click, 0, 0, L""},
      {"click 5 6", false, UserAction::Kind::Click, 5, 0, L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    UserAction a;
    ASSERT_EQ(ParseUserAction(c.line, a), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(a.kind, c.kind);
    EXPECT_EQ(a.control, c.control);
    EXPECT_EQ(a.value, c.value);
    EXPECT_EQ(a.text, c.text);
  }
}

TEST_F(Headless, PropertySheetShowsItsActivePage) {
  class Page : public PropertyPage {
   public:
    Page() : PropertyPage(100) {}
    bool OnKillActive() override { return Item(300)->Text() != L"bad"; }
    void OnOK() override { applied = true; }
    bool applied = false;
  };
  Page first, second;
  PropertySheet sheet(L"Outputs Bench");
  sheet.AddPage(&first);
  sheet.AddPage(&second);
  Answers("type 300 bad\ntab 12320 1\ntype 300 fine\ntab 12320 1\nok\n");
  EXPECT_EQ(sheet.DoModal(), kIdOk);
  EXPECT_TRUE(first.applied);
  EXPECT_TRUE(second.applied);
  EXPECT_EQ(Events(), std::vector<std::string>{"DIALOG 100 Outputs Bench"});
}

}  // namespace
}  // namespace sis
