// The plug-in spine through a real plug-in (Vt6Cmd): handshake, instance
// table, the frame of every export, run, close and save.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "sis/abi/host_codes.h"
#include "test_host.h"

namespace sis::testing {
namespace {

namespace fs = std::filesystem;
constexpr int32_t kEnglish = 1033;
constexpr int32_t kFrench = 1036;
constexpr int32_t kVersion = 0x00050003;
const char* const kTable = "TAB_CNFCMD";

class Spine : public ::testing::Test {
 protected:
  // The run options are readable and VALUSER_LSTSEL is not: Vt6Cmd's reading
  // fails with nothing but its major error.
  Spine() { host.Answer(code::kQueryNumber, Reply::Int(5)); }
  void Load(const std::string& dir = PluginDir()) {
    plugin = std::make_unique<Plugin>(dir, "Vt6Cmd");
    ASSERT_TRUE(plugin->Loaded());
  }
  std::pair<int32_t, int32_t> Handshake(const int32_t* id = nullptr) { return plugin->Handshake("VT6CMD100", id); }

  TestHost host;
  RecordingBackend ui;
  std::unique_ptr<Plugin> plugin;
};

struct VersionCase {
  const char* what;
  Reply reply;
  bool accepted;
};

TEST_F(Spine, HandshakeAcceptsOnlyAGoodHostVersion) {
  const VersionCase cases[] = {
      {"exactly the minimum", Reply::Int(0x50000), true},
      {"newer", Reply::Int(0x60001), true},
      {"one below", Reply::Int(0x4FFFF), false},
      {"count 4 instead of -1", Reply::RawBytes(4, {0, 0, 5, 0}), false},
      {"failing code", Reply::Fail(code::kTargetError), false},
      {"no data", Reply::RawBytes(-1, {}), false},
  };
  Load();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.Answer(code::kHostVersion, c.reply);
    host.ClearCalls();
    auto reply = Handshake();
    if (c.accepted) {
      EXPECT_EQ(reply, std::make_pair(kVersion, kEnglish));
      auto reg = host.CallsWith(code::kRegister);
      ASSERT_EQ(reg.size(), 1u);
      EXPECT_EQ(reg[0]->name, "VT6CMD");
      EXPECT_EQ(reg[0]->sentCount, -1);
      EXPECT_EQ(reg[0]->SentInt(), 1);
    } else {
      EXPECT_EQ(reply, std::make_pair(0, 0));
      EXPECT_TRUE(host.CallsWith(code::kRegister).empty());
      EXPECT_TRUE(host.CallsWith(code::kHostLanguage).empty());
    }
  }
}

TEST_F(Spine, HandshakeUsesTheRecordsIdentifierForItsHostCalls) {
  Load();
  const int32_t id = 77;
  Handshake(&id);
  ASSERT_EQ(host.calls.size(), 3u);
  for (const auto& call : host.calls) EXPECT_EQ(call.instance, 77);
  host.ClearCalls();
  Handshake();
  for (const auto& call : host.calls) EXPECT_EQ(call.instance, 0);
}

TEST_F(Spine, HostLanguageDecidesTheReportedLanguageAndTheResources) {
  struct Case {
    const char* what;
    Reply language;
    int32_t reported;
    const char* majorErrorStart;
  };
  const Case cases[] = {
      {"same as own", Reply::Int(kEnglish), kEnglish, "TRIMSET MAJOR ERROR"},
      {"German host", Reply::Int(1031), 1031, "TRIMSET MAJOR ERROR"},
      {"French host", Reply::Int(kFrench), kFrench, "ERREUR MAJEURE DU TRIMSET"},
      {"language query fails", Reply::Fail(code::kDataError), kEnglish, "TRIMSET MAJOR ERROR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load();  // a fresh library each time
    host.Answer(code::kHostLanguage, c.language);
    EXPECT_EQ(Handshake(), std::make_pair(kVersion, c.reported));
    ui.events.clear();
    plugin->Verb("RUNSETCMD", 9, kTable);
    ASSERT_FALSE(ui.events.empty());
    EXPECT_EQ(ui.events[0].rfind(std::string("MSGBOX error Bench\n") + c.majorErrorStart, 0), 0u) << ui.events[0];
    plugin.reset();
  }
}

TEST_F(Spine, FrenchHostWithoutSatelliteKeepsOwnResources) {
  const fs::path dir = fs::temp_directory_path() / ("sis-nosat-" + std::to_string(getpid()));
  fs::create_directories(dir);
  fs::copy_file(fs::path(PluginDir()) / "Vt6Cmd.so", dir / "Vt6Cmd.so", fs::copy_options::overwrite_existing);
  Load(dir.string());
  host.Answer(code::kHostLanguage, Reply::Int(kFrench));
  EXPECT_EQ(Handshake(), std::make_pair(kVersion, kEnglish));
  plugin->Verb("RUNSETCMD", 9, kTable);
  ASSERT_FALSE(ui.events.empty());
  EXPECT_NE(ui.events[0].find("TRIMSET MAJOR ERROR"), std::string::npos);
  plugin.reset();
  fs::remove_all(dir);
}

TEST_F(Spine, RunThatCannotCreateTheInstanceFinishesTheActionAndLeavesTheSlotEmpty) {
  struct Case {
    const char* what;
    int32_t instance;
    Reply level;
    Reply machineName;
    bool hostErrorBox;
  };
  const Case cases[] = {
      {"instance 1024", 1024, Reply::Int(3), Reply::Text("Bench"), false},
      {"negative instance", -1, Reply::Int(3), Reply::Text("Bench"), false},
      {"level 2", 9, Reply::Int(2), Reply::Text("Bench"), false},
      {"level unreadable", 9, Reply::Fail(code::kAccessRights), Reply::Text("Bench"), true},
      {"machine name unreadable", 9, Reply::Int(5), Reply::Fail(code::kDataError), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load();
    Handshake();
    host.Answer(code::kInstanceLevel, c.level);
    host.Answer(code::kMachineName, c.machineName);
    host.ClearCalls();
    ui.events.clear();
    plugin->Verb("RUNSETCMD", c.instance, kTable);
    auto finished = host.CallsWith(code::kActionFinished);
    ASSERT_EQ(finished.size(), 1u);
    EXPECT_EQ(finished[0]->name, kTable);
    EXPECT_EQ(finished[0]->instance, c.instance);
    EXPECT_EQ(ui.events.size(), c.hostErrorBox ? 1u : 0u);
    // The slot stays empty: no export finds an instance there.
    host.ClearCalls();
    plugin->Verb("SAVSETCMD", c.instance, kTable);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(plugin->Text("VALAUXCMD", c.instance), "        ");
    plugin.reset();
  }
}

TEST_F(Spine, HostErrorBoxNamesTheFailure) {
  Load();
  Handshake();
  host.Answer(code::kInstanceLevel, Reply::Fail(4));
  plugin->Verb("RUNSETCMD", 9, kTable);
  ASSERT_EQ(ui.events.size(), 1u);
  // The box asks the machine name again.
  EXPECT_EQ(ui.events[0], "MSGBOX error Bench\nAction canceled\nAcces rights too low");

  // When the host refuses the name too, the default heads the box.
  host.Answer(code::kMachineName, Reply::Fail(1));
  ui.events.clear();
  plugin->Verb("RUNSETCMD", 10, kTable);
  ASSERT_EQ(ui.events.size(), 2u);
  EXPECT_EQ(ui.events[0], "MSGBOX error Machine\nAction canceled\nAcces rights too low");
  EXPECT_EQ(ui.events[1], "MSGBOX error Machine\nAction canceled\nDll data error");
}

TEST_F(Spine, FailedRunMarksTheInstanceAndTheSaveIsVetoed) {
  Load();
  Handshake();
  plugin->Verb("RUNSETCMD", 9, kTable);
  ASSERT_EQ(ui.events.size(), 1u);
  EXPECT_EQ(ui.events[0].rfind("MSGBOX error Bench\nTRIMSET MAJOR ERROR\n", 0), 0u);
  auto finished = host.CallsWith(code::kActionFinished);
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0]->name, kTable);

  // Save with another name: nothing.
  host.ClearCalls();
  ui.events.clear();
  plugin->Verb("SAVSETCMD", 9, "OTHER");
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(ui.events.empty());

  // Save with the table name: report with the major error, then the veto.
  plugin->Verb("SAVSETCMD", 9, kTable);
  ASSERT_GE(ui.events.size(), 2u);
  EXPECT_EQ(ui.events[0], "REPORT Auxiliary outputs configuration errors Bench");
  EXPECT_EQ(ui.events[1], "ROW TRIMSET MAJOR ERROR");
  EXPECT_EQ(ui.events.back(), "ROW ");
  auto veto = host.CallsWith(code::kVetoSave);
  ASSERT_EQ(veto.size(), 1u);
  EXPECT_EQ(veto[0]->SentInt(), -3);

  // Not open: a close does nothing; a new run starts again (0x01 is not busy).
  host.ClearCalls();
  plugin->Verb("CLSSETCMD", 9, kTable);
  EXPECT_TRUE(host.calls.empty());
  ui.events.clear();
  plugin->Verb("RUNSETCMD", 9, kTable);
  EXPECT_EQ(ui.events.size(), 1u);
}

TEST_F(Spine, VerbsOnAnEmptySlotDoNothing) {
  Load();
  Handshake();
  host.ClearCalls();
  for (const char* verb : {"CLSSETCMD", "SAVSETCMD", "VALSETCMD", "MAPSETCMD", "SENSETCMD", "CONSETCMD", "DECSETCMD",
                           "TIMSETCMD", "DEBSETCMD", "FEMSETCMD", "ERRSETCMD", "RSTSETCMD", "AUXSETCMD",
                           "NORSETCMD"}) {
    plugin->Verb(verb, 3, kTable);
    plugin->Verb(verb, 5000, kTable);
  }
  for (const char* text : {"VALAUXCMD", "VARAUXCMD", "EL0RCOCMD", "EL0PIDCMD"}) {
    EXPECT_EQ(plugin->Text(text, 3), "        ") << text;
  }
  EXPECT_TRUE(host.calls.empty());
  EXPECT_TRUE(ui.events.empty());
}

TEST_F(Spine, EditingOnAFailedInstanceReportsTheMajorErrorAndFinishes) {
  Load();
  Handshake();
  plugin->Verb("RUNSETCMD", 9, kTable);
  host.ClearCalls();
  ui.events.clear();
  plugin->Verb("DEBSETCMD", 9, "CMD_CONFIG");
  ASSERT_EQ(ui.events.size(), 1u);
  EXPECT_NE(ui.events[0].find("TRIMSET MAJOR ERROR"), std::string::npos);
  auto finished = host.CallsWith(code::kActionFinished);
  ASSERT_EQ(finished.size(), 1u);
  EXPECT_EQ(finished[0]->name, "CMD_CONFIG");
}

}  // namespace
}  // namespace sis::testing
