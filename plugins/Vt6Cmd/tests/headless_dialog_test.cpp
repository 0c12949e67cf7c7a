// The output dialog driven entirely through SIS_UI_ANSWERS and observed
// through SIS_UI_LOG, from a host that installs no user interface of its own
// and links nothing of the trial host: what a batch host or an acceptance
// check sees.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "fake_trimset.h"
#include "sis/abi/host_codes.h"
#include "sis/platform/backend.h"
#include "sis/platform/headless_backend.h"
#include "test_host.h"

namespace sis::testing {
namespace {

namespace fs = std::filesystem;

// Words 1..11 of an output configuration table.
std::vector<uint16_t> OutputTable(uint16_t code, uint16_t parameter) {
  return {0, 2, 5, 7, code, 0, 0, 0, 0, 0, parameter, 0};
}

class HeadlessDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sis-vt6cmd-headless-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    log_ = (dir_ / "ui.log").string();
    answers_ = (dir_ / "answers.txt").string();
    setenv("SIS_UI_LOG", log_.c_str(), 1);
    setenv("SIS_UI_ANSWERS", answers_.c_str(), 1);
    sis::SetBackend(nullptr);
    sis::DefaultHeadlessBackend().ResetAnswers();

    // One PWM output on a machine instance, no rules texts, no pilot maps.
    trimset.Add("TAB_CNFCMD", 9,
                Reply::Longs({0, 12, 13, 10, 11, 100, 0, 0, 200, 0x8000, 0x13, 0, 0x85, 0, 0, 0, 0xFFFF}));
    trimset.Add("TAB_CMD_0", 100, Reply::Words(OutputTable(0x2000, 100)), "Output 1");
    trimset.Add("TXT_CMD_0", 200, Reply::Text(""), "Output 1");
    trimset.Add("TAB_CMDCOMP", 10, Reply::Words({0}));
    trimset.Add("TAB_SENCOMP", 11, Reply::Words({0, 50, 0, 0, 0, 0, 0, 300}));
    trimset.Add("RPM", 50, Reply::Int(0)).props[sis::code::kCategory] = 3;
    trimset.Add("ENGINE_RPMMES_0", 60, Reply::Int(0));
    trimset.constants = {{"VALUSER_LSTSEL", 1}, {"VALUSER_LSTUTI", 2}};
    trimset.queries = {{5, 5}};
    trimset.actions = {{"CMDSET_0", "TXT_CMD_0"}};
  }
  void TearDown() override {
    unsetenv("SIS_UI_LOG");
    unsetenv("SIS_UI_ANSWERS");
    sis::DefaultHeadlessBackend().ResetAnswers();
    fs::remove_all(dir_);
  }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    std::ifstream in(log_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::vector<std::string> LinesOf(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& l : Log()) {
      if (l.rfind(prefix, 0) == 0) out.push_back(l);
    }
    return out;
  }

  TestHost host;
  FakeTrimset trimset{host};
  fs::path dir_;
  std::string log_;
  std::string answers_;
};

TEST_F(HeadlessDialog, OutputDialogIsObservedAndDrivenFromFiles) {
  Plugin plugin(PluginDir(), "Vt6Cmd");
  ASSERT_TRUE(plugin.Loaded());
  plugin.Handshake("VT6CMD100");
  plugin.Verb("RUNSETCMD", 8, "TAB_CNFCMD");
  ASSERT_TRUE(LinesOf("MSGBOX").empty()) << Log().front();

  // Codes offered: 1, 0x1000, 0x1001, 0x1004, 0x2000 (current), 0x2002, 0x2007.
  std::ofstream(answers_) << "select 1003 5\n"
                             "type 1008 150\n"
                             "click 4242\n"
                             "ok\n"
                             "yes\n";
  plugin.Verb("DEBSETCMD", 8, "CMDSET_0");

  const std::vector<std::string> log = Log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0], "DIALOG 1013 Output 1 Bench");
  // A snapshot at opening, after the selection and after the typing, each whole.
  EXPECT_EQ(LinesOf("END 1013").size(), 3u);
  const auto combos = LinesOf("CTRL 1013 1003 combo");
  ASSERT_EQ(combos.size(), 3u);
  EXPECT_NE(combos[0].find(" 4 "), std::string::npos) << combos[0];  // selection index field
  EXPECT_NE(combos[1].find(" 5 "), std::string::npos) << combos[1];
  EXPECT_EQ(LinesOf("ITEM 1013 1003").size(), 3u * 7u);
  const auto edits = LinesOf("CTRL 1013 1008 edit");
  ASSERT_EQ(edits.size(), 3u);
  EXPECT_EQ(edits[0].substr(edits[0].size() - 4), " 100");
  EXPECT_EQ(edits[2].substr(edits[2].size() - 4), " 150");
  EXPECT_EQ(LinesOf("REFUSED"), std::vector<std::string>{"REFUSED click 4242"});
  const auto boxes = LinesOf("MSGBOX");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].rfind("MSGBOX question Bench\\nThe machine must be reset", 0), 0u) << boxes[0];

  // OK wrote the edited table, which went to the machine.
  const std::vector<uint16_t> written = {24, 2, 5, 7, 0x2002, 0, 0, 0, 0, 0, 150, 0};
  EXPECT_EQ(trimset.Words("TAB_CMD_0"), written);
  EXPECT_EQ(trimset.transmitted, std::vector<std::string>{"TAB_CMD_0"});
}

}  // namespace
}  // namespace sis::testing
