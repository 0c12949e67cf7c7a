// Vt7Cnv through the in-process host: the file checks and conversions of each
// kind as written into the Trimset, the import's host exchange, its errors,
// concurrent requests and the transmission verbs.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "sis/abi/host_codes.h"
#include "test_host.h"

namespace sis::testing {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint16_t>;

const char* const kTarget = "MAP_TARGET_0";
constexpr int32_t kMachine = 9;  // an instance that can be connected to a machine
const char* const kNotReceived =
    "The data to be tuned has not been received from the machine\n\nThe setting can not be done yet";

// Hands the queued paths to the file dialogs, in order; cancels when empty.
class FileChoosingBackend : public RecordingBackend {
 public:
  bool FileOpen(const std::wstring& title, const std::wstring& filter, std::string& path) override {
    events.push_back("FILEOPEN " + Utf8(title) + " | " + Utf8(filter));
    if (onFileOpen) onFileOpen();
    if (files.empty()) return false;
    path = files.front();
    files.pop_front();
    return true;
  }
  std::deque<std::string> files;
  std::function<void()> onFileOpen;  // the host calling in while the dialog is shown
};

void Put16(Bytes& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v & 0xFF));
  b.push_back(static_cast<uint8_t>(v >> 8));
}

// A two-axis file; `byteValues` for the ignition layout.
Bytes TwoAxis(const Words& x, const Words& y, const Words& values, bool byteValues = false) {
  Bytes b{0xAA, 0x55, static_cast<uint8_t>(x.size()), static_cast<uint8_t>(y.size())};
  for (uint16_t v : x) Put16(b, v);
  for (uint16_t v : y) Put16(b, v);
  for (uint16_t v : values) {
    if (byteValues) {
      b.push_back(static_cast<uint8_t>(v));
    } else {
      Put16(b, v);
    }
  }
  return b;
}

Bytes OneAxis(const Words& x, const Words& values) {
  Bytes b{0xAA, 0x55, static_cast<uint8_t>(x.size())};
  for (uint16_t v : x) Put16(b, v);
  for (uint16_t v : values) Put16(b, v);
  return b;
}

Bytes Resized(Bytes b, int delta) {
  b.resize(static_cast<size_t>(static_cast<int>(b.size()) + delta), 0x11);
  return b;
}

// The expected Trimset map.
Words Map(uint16_t word4, const Words& x, const Words& y, const Words& values) {
  Words t{0, static_cast<uint16_t>(x.size()), static_cast<uint16_t>(y.size()), 0, word4, 0, 0, 0, 0xFFFF};
  t.insert(t.end(), x.begin(), x.end());
  t.insert(t.end(), y.begin(), y.end());
  t.insert(t.end(), values.begin(), values.end());
  t[0] = static_cast<uint16_t>(t.size() * 2);
  return t;
}

class Import : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("vt7cnv-" + std::to_string(getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    Load();
    host.Answer(code::kActionTable, Reply::Text(kTarget));
    host.Answer(code::kVariableId, Reply::Int(12));
    host.Answer(code::kAttributes, Reply::Int(static_cast<int32_t>(0x80000000u)));
    host.Answer(code::kLabel, Reply::Text("Injection map"));
    host.Answer(code::kWriteValue, Reply::Ok());
    host.Answer(code::kMachineState, Reply::Int(1));
    host.Answer(code::kTransmit, Reply::Ok());
    host.ClearCalls();
  }
  void TearDown() override {
    plugin.reset();
    fs::remove_all(dir);
  }
  // A fresh library: the previous one is unloaded first.
  void Load() {
    plugin.reset();
    plugin = std::make_unique<Plugin>(PluginDir(), "Vt7Cnv");
    ASSERT_TRUE(plugin->Loaded());
    plugin->Handshake("VT7CNV100");
  }

  std::string File(const std::string& name, const Bytes& bytes) {
    const fs::path path = dir / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path.string();
  }
  // An import request answered with the queued files.
  void Request(const char* verb, const char* action, std::initializer_list<std::string> files = {},
               int32_t instance = kMachine) {
    ui.files.insert(ui.files.end(), files.begin(), files.end());
    plugin->Verb(verb, instance, action);
  }
  std::vector<std::string> Names(int32_t c) const {
    std::vector<std::string> out;
    for (const HostCall* call : host.CallsWith(c)) out.push_back(call->name);
    return out;
  }
  std::vector<std::string> Finished() const { return Names(code::kActionFinished); }
  // The words of the last table written, empty when none was.
  Words Written() const {
    auto writes = host.CallsWith(code::kWriteValue);
    if (writes.empty()) return {};
    Words w(writes.back()->sent.size() / 2);
    std::memcpy(w.data(), writes.back()->sent.data(), w.size() * 2);
    return w;
  }
  size_t Count(const std::string& prefix) const {
    size_t n = 0;
    for (const auto& e : ui.events) n += e.rfind(prefix, 0) == 0;
    return n;
  }

  TestHost host;
  FileChoosingBackend ui;
  std::unique_ptr<Plugin> plugin;
  fs::path dir;
};

struct FileCase {
  const char* what;
  const char* verb;
  Bytes file;
  Words table;  // empty: the file is rejected
};

TEST_F(Import, EachKindChecksItsFileAndWritesTheConvertedMap) {
  const Words x2{100, 200}, y3{10, 20, 30};
  const Words injection{0, 1, 0x7FFF, 0x8000, 0x8001, 0xFFFF};
  const FileCase cases[] = {
      // Injection: 4 + 2·(X + Y + X·Y) bytes, 16-bit values doubled.
      {"injection 2x3", "DEBCNVESS", TwoAxis(x2, y3, injection), Map(0, x2, y3, {0, 2, 0xFFFE, 0, 2, 0xFFFE})},
      {"injection one byte short", "DEBCNVESS", Resized(TwoAxis(x2, y3, injection), -1), {}},
      {"injection one byte long", "DEBCNVESS", Resized(TwoAxis(x2, y3, injection), 1), {}},
      {"injection equal breakpoints", "DEBCNVESS", TwoAxis({100, 100}, y3, injection), {}},
      {"injection decreasing second axis", "DEBCNVESS", TwoAxis(x2, {10, 30, 20}, injection), {}},
      {"injection one breakpoint each, smallest file", "DEBCNVESS", TwoAxis({500}, {7}, {9}),
       Map(0, {500}, {7}, {18})},
      {"injection empty first axis", "DEBCNVESS", TwoAxis({}, y3, {}), {}},
      {"injection shorter than a header", "DEBCNVESS", Bytes{0, 0, 1}, {}},
      {"injection map too large for a Trimset table", "DEBCNVESS",
       TwoAxis(Words(200, 0), Words(200, 0), Words(200 * 200, 0)), {}},
      {"injection longer than any map", "DEBCNVESS", Resized(Bytes{0, 0, 255, 255}, 200000), {}},
      // Ignition: (X + 2)·(Y + 2) bytes, one-byte advances scaled.
      {"ignition bytes 0 and 255", "DEBCNVALL", TwoAxis(x2, {5}, {0, 255}, true), Map(2, x2, {5}, {21117, 44327})},
      {"ignition smallest file", "DEBCNVALL", TwoAxis({3}, {4}, {0}, true), Map(2, {3}, {4}, {21117})},
      {"ignition one byte long", "DEBCNVALL", Resized(TwoAxis(x2, {5}, {0, 255}, true), 1), {}},
      {"ignition decreasing axis", "DEBCNVALL", TwoAxis({200, 100}, {5}, {0, 255}, true), {}},
      {"ignition read with 16-bit values", "DEBCNVALL", TwoAxis(x2, {5}, {0, 255}), {}},
      // Injectors correction: 3 + 4·X bytes, values doubled, second axis {0}.
      {"injectors 2 breakpoints", "DEBCNVINJ", OneAxis(x2, {3, 0x8000}), Map(0, x2, {0}, {6, 0})},
      {"injectors one breakpoint", "DEBCNVINJ", OneAxis({40}, {50}), Map(0, {40}, {0}, {100})},
      {"injectors one byte short", "DEBCNVINJ", Resized(OneAxis(x2, {3, 4}), -1), {}},
      {"injectors equal breakpoints", "DEBCNVINJ", OneAxis({40, 40}, {3, 4}), {}},
      {"injectors no breakpoint", "DEBCNVINJ", OneAxis({}, {}), {}},
      // Coil load: angles scaled on 64 bits, low 16 bits kept: 720 wraps to 0.
      {"coil load 720, 360 and 65535", "DEBCNVCBO", TwoAxis({1}, {1, 2, 3}, {720, 360, 65535}),
       Map(2, {1}, {1, 2, 3}, {0, 32768, 1365})},
      {"coil load decreasing axis", "DEBCNVCBO", TwoAxis({1}, {2, 1}, {720, 360}), {}},
      // Injection phase: axes and values as they stand (after the other kinds
      // above, so no value of an earlier import may leak into it).
      {"phase 2x2", "DEBCNVPHA", TwoAxis(x2, {1, 2}, {11, 22, 33, 44}), Map(2, x2, {1, 2}, {11, 22, 33, 44})},
      {"phase one byte long", "DEBCNVPHA", Resized(TwoAxis(x2, {1, 2}, {11, 22, 33, 44}), 1), {}},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string action = "IMPORT_" + std::to_string(++n);
    Request(c.verb, action.c_str(), {File("map" + std::to_string(n), c.file)});
    EXPECT_EQ(Written(), c.table);
    EXPECT_EQ(Names(code::kTransmit), c.table.empty() ? std::vector<std::string>{} : std::vector<std::string>{kTarget});
    EXPECT_EQ(Finished(), std::vector<std::string>{action});
    EXPECT_EQ(Count("MSGBOX"), 0u);
    plugin->Verb("RSTMORCNV", kMachine, action.c_str());
    host.ClearCalls();
    ui.events.clear();
  }
}

TEST_F(Import, FileDialogHasEachKindsTitleAndFilterInBothLanguages) {
  struct Case {
    const char* verb;
    const char* english;
    const char* french;
  };
  const Case cases[] = {
      {"DEBCNVESS", "Importing Injection map | Quorex map (*.ess)|*.ess|All Files (*.*)|*.*||",
       "Importation de la carte d'injection | Carte Quorex (*.ess)|*.ess|Tous les fichiers (*.*)|*.*||"},
      {"DEBCNVALL", "Importing Ignition map | Quorex map (*.all)|*.all|All Files (*.*)|*.*||",
       "Importation de la carte d'avance | Carte Quorex (*.all)|*.all|Tous les fichiers (*.*)|*.*||"},
      {"DEBCNVINJ", "Importing injectors correction map | Quorex map (*.inj)|*.inj|All Files (*.*)|*.*||",
       "Importation de la carte de correction des injecteurs | Carte Quorex (*.inj)|*.inj|Tous les fichiers (*.*)|*.*||"},
      {"DEBCNVCBO", "Importing ignition coil load map | Quorex map (*.bob)|*.bob|All Files (*.*)|*.*||",
       "Importation de la carte de charge des bobines d'allumage | Carte Quorex (*.bob)|*.bob|Tous les fichiers "
       "(*.*)|*.*||"},
      {"DEBCNVPHA", "Importing injection phase map | Quorex map (*.phs)|*.phs|All Files (*.*)|*.*||",
       "Importation de la carte de phase d'injection | Carte Quorex (*.phs)|*.phs|Tous les fichiers (*.*)|*.*||"},
  };
  for (bool french : {false, true}) {
    if (french) {
      plugin.reset();
      host.Answer(code::kHostLanguage, Reply::Int(1036));
      Load();
    }
    for (const auto& c : cases) {
      SCOPED_TRACE(c.verb);
      ui.events.clear();
      host.ClearCalls();
      Request(c.verb, "IMPORT");  // cancelled
      EXPECT_EQ(ui.events, std::vector<std::string>{std::string("FILEOPEN ") + (french ? c.french : c.english)});
      EXPECT_TRUE(Written().empty());
      EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
      plugin->Verb("RSTMORCNV", kMachine, "IMPORT");
    }
  }
}

TEST_F(Import, InstanceIsCreatedAtTheFirstRequestWithTheMachineNameAlone) {
  struct Case {
    const char* what;
    int32_t instance;
    Reply machineName;
    bool created;
    const char* box;
  };
  const Case cases[] = {
      {"level never asked", kMachine, Reply::Text("Bench"), true, nullptr},
      {"machine name refused", kMachine, Reply::Fail(code::kAccessRights), false,
       "MSGBOX error Machine\nAction canceled\nAcces rights too low"},
      {"machine name not a text", kMachine, Reply::Int(3), false,
       "MSGBOX error Machine\nAction canceled\nDravix internal error"},
      {"instance 1024", 1024, Reply::Text("Bench"), false, nullptr},
  };
  host.Answer(code::kInstanceLevel, Reply::Int(0));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Load();  // a fresh library, all slots empty
    host.Answer(code::kMachineName, c.machineName);
    host.ClearCalls();
    ui.events.clear();
    Request("DEBCNVESS", "IMPORT", {}, c.instance);
    EXPECT_TRUE(host.CallsWith(code::kInstanceLevel).empty());
    EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
    EXPECT_EQ(Count("FILEOPEN"), c.created ? 1u : 0u);
    EXPECT_EQ(Count("MSGBOX"), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(ui.events.back(), c.box);
    }
    // A failed creation leaves the slot empty: the next request creates it.
    if (c.created || c.instance > 1023) continue;
    host.Answer(code::kMachineName, Reply::Text("Bench"));
    host.ClearCalls();
    ui.events.clear();
    Request("DEBCNVESS", "AGAIN", {}, c.instance);
    EXPECT_EQ(host.CallsWith(code::kMachineName).size(), 1u);
    EXPECT_EQ(ui.events, std::vector<std::string>{"FILEOPEN Importing Injection map | Quorex map (*.ess)|*.ess|All Files (*.*)|*.*||"});
  }
}

TEST_F(Import, TargetTableMustExistAndBeTunable) {
  struct Case {
    const char* what;
    Reply exists;
    uint32_t attributes;
    Reply label;
    const char* box;  // null: the file dialog is shown
  };
  const std::string withLabel = std::string("MSGBOX error Bench\nInjection map\n") + kNotReceived;
  const std::string withoutLabel = std::string("MSGBOX error Bench\n") + kNotReceived;
  const Case cases[] = {
      {"read-only class", Reply::Int(12), 0x40000000u, Reply::Text("Injection map"), nullptr},
      {"tunable class", Reply::Int(12), 0x8000FFFFu, Reply::Text("Injection map"), nullptr},
      {"tunable class with error mark", Reply::Int(12), 0x88000000u, Reply::Text("Injection map"), nullptr},
      {"other class", Reply::Int(12), 0x20000000u, Reply::Text("Injection map"), withLabel.c_str()},
      {"class with extra bit", Reply::Int(12), 0xC0000000u, Reply::Text("Injection map"), withLabel.c_str()},
      {"missing table", Reply::Fail(code::kTargetError), 0x80000000u, Reply::Text("Injection map"),
       withLabel.c_str()},
      {"missing table without label", Reply::Fail(code::kTargetError), 0x80000000u, Reply::Fail(code::kDataError),
       withoutLabel.c_str()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.Answer(code::kVariableId, c.exists);
    host.Answer(code::kAttributes, Reply::Int(static_cast<int32_t>(c.attributes)));
    host.Answer(code::kLabel, c.label);
    host.ClearCalls();
    ui.events.clear();
    Request("DEBCNVESS", "IMPORT");
    EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
    ASSERT_FALSE(ui.events.empty());
    EXPECT_EQ(ui.events.back(), c.box ? std::string(c.box) : ui.events.back());
    EXPECT_EQ(Count("FILEOPEN"), c.box ? 0u : 1u);
    plugin->Verb("RSTMORCNV", kMachine, "IMPORT");
  }
}

TEST_F(Import, UnreadableFilesAskAgainAndOnlyUnreadableOnesSayWhy) {
  const std::string empty = File("empty.ess", {});
  const std::string good = File("good.ess", TwoAxis({1}, {1}, {4}));
  const std::string pipe = (dir / "pipe.ess").string();
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);  // reading it would wait for a writer
  Request("DEBCNVESS", "IMPORT", {(dir / "missing.ess").string(), dir.string(), pipe, empty, good});
  EXPECT_EQ(Count("FILEOPEN"), 5u);
  const std::string box = "MSGBOX error Bench\nThe size of this file is null.\nImpossible to import it.";
  EXPECT_EQ(Count(box), 3u);  // the missing file, the folder and the pipe; the empty file silently
  EXPECT_EQ(Written(), Map(0, {1}, {1}, {8}));
  EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
}

TEST_F(Import, FailuresBeforeTheWriteFinishTheAction) {
  const std::string good = File("good.ess", TwoAxis({1}, {1}, {4}));
  // Action table unknown.
  host.Answer(code::kActionTable, Reply::Fail(code::kActionError));
  Request("DEBCNVESS", "IMPORT", {good});
  EXPECT_EQ(Count("FILEOPEN"), 0u);
  EXPECT_EQ(ui.events, std::vector<std::string>{"MSGBOX error Bench\nAction canceled\nDll action error"});
  EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
  plugin->Verb("RSTMORCNV", kMachine, "IMPORT");
  // The write refused: error box, nothing transmitted.
  host.Answer(code::kActionTable, Reply::Text(kTarget));
  host.Answer(code::kWriteValue, Reply::Fail(code::kAccessRights));
  host.ClearCalls();
  ui.events.clear();
  Request("DEBCNVESS", "IMPORT2", {good});
  EXPECT_EQ(host.CallsWith(code::kWriteValue).size(), 1u);
  EXPECT_EQ(ui.events.back(), "MSGBOX error Bench\nAction canceled\nAcces rights too low");
  EXPECT_TRUE(host.CallsWith(code::kTransmit).empty());
  EXPECT_TRUE(host.CallsWith(code::kMachineState).empty());
  EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT2"});
}

TEST_F(Import, WrittenTableIsTransmittedOnlyToAMachineWithAState) {
  struct Case {
    const char* what;
    int32_t instance;
    Reply state;
    Reply transmit;
    bool transmitted;
    const char* box;
  };
  const Case cases[] = {
      {"machine connected", kMachine, Reply::Int(0), Reply::Ok(), true, nullptr},
      {"no machine", kMachine, Reply::Int(-1), Reply::Ok(), false, nullptr},
      {"state unreadable", kMachine, Reply::Fail(code::kTransferError), Reply::Ok(), false,
       "MSGBOX error Bench\nAction canceled\nDll transfert error"},
      {"transmission refused", kMachine, Reply::Int(1), Reply::Fail(code::kTargetError), true,
       "MSGBOX error Bench\nAction canceled\nDll target error"},
      {"Trimset instance", 7, Reply::Int(1), Reply::Ok(), false, nullptr},
  };
  const std::string good = File("good.bob", TwoAxis({1}, {1}, {720}));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.Answer(code::kMachineState, c.state);
    host.Answer(code::kTransmit, c.transmit);
    host.ClearCalls();
    ui.events.clear();
    Request("DEBCNVCBO", "IMPORT", {good}, c.instance);
    EXPECT_EQ(Written(), Map(2, {1}, {1}, {0}));
    EXPECT_EQ(host.CallsWith(code::kTransmit).size(), c.transmitted ? 1u : 0u);
    EXPECT_EQ(Count("MSGBOX"), c.box ? 1u : 0u);
    if (c.box) {
      EXPECT_EQ(ui.events.back(), c.box);
    }
    EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
    plugin->Verb("RSTMORCNV", c.instance, "IMPORT");
  }
}

TEST_F(Import, SecondRequestWhileOneRuns) {
  const std::string running = "MSGBOX error Bench\nThis function can not be executed\nAn other action is running on this machine";
  const std::string ess = File("a.ess", TwoAxis({1}, {1}, {4}));
  Request("DEBCNVESS", "FIRST", {ess});
  host.ClearCalls();
  ui.events.clear();
  // Another kind: refused, the new action finished.
  Request("DEBCNVALL", "OTHER", {File("a.all", TwoAxis({1}, {1}, {0}, true))});
  EXPECT_EQ(ui.events, std::vector<std::string>{running});
  EXPECT_TRUE(host.CallsWith(code::kActionTable).empty());
  EXPECT_EQ(Finished(), std::vector<std::string>{"OTHER"});
  ui.files.clear();
  // The same kind: the box, then the import runs again under the new name.
  host.ClearCalls();
  ui.events.clear();
  Request("DEBCNVESS", "SECOND", {ess});
  EXPECT_EQ(ui.events.front(), running);
  EXPECT_EQ(Names(code::kActionTable), std::vector<std::string>{"SECOND"});
  EXPECT_EQ(host.CallsWith(code::kWriteValue).size(), 1u);
  EXPECT_EQ(Finished(), std::vector<std::string>{"SECOND"});
  // A reset with the old name changes nothing; with the current name another kind may run.
  plugin->Verb("RSTMORCNV", kMachine, "FIRST");
  host.ClearCalls();
  ui.events.clear();
  Request("DEBCNVINJ", "THIRD");
  EXPECT_EQ(Count("MSGBOX"), 1u);
  EXPECT_EQ(Finished(), std::vector<std::string>{"THIRD"});
  plugin->Verb("RSTMORCNV", kMachine, "SECOND");
  host.ClearCalls();
  ui.events.clear();
  Request("DEBCNVINJ", "THIRD");
  EXPECT_EQ(Count("MSGBOX"), 0u);
  EXPECT_EQ(Count("FILEOPEN"), 1u);
}

TEST_F(Import, ResetOrNewRequestWhileTheFileDialogIsShownStopsTheImport) {
  const std::string ess = File("a.ess", TwoAxis({1}, {1}, {4}));
  ui.onFileOpen = [&] {
    ui.onFileOpen = nullptr;
    plugin->Verb("RSTMORCNV", kMachine, "FIRST");
  };
  Request("DEBCNVESS", "FIRST", {ess});
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(Finished(), std::vector<std::string>{"FIRST"});
  // A same-kind request nested in the dialog runs; the outer one then stops.
  host.ClearCalls();
  ui.files.clear();
  ui.onFileOpen = [&] {
    ui.onFileOpen = nullptr;
    Request("DEBCNVESS", "INNER", {File("b.ess", TwoAxis({1}, {1}, {5}))});
  };
  Request("DEBCNVESS", "OUTER");
  EXPECT_EQ(host.CallsWith(code::kWriteValue).size(), 1u);
  EXPECT_EQ(Written(), Map(0, {1}, {1}, {10}));
  EXPECT_EQ(Finished(), (std::vector<std::string>{"INNER", "OUTER"}));
}

TEST_F(Import, TransmissionVerbsFollowTheRunningImport) {
  host.Answer(code::kErrorState, Reply::Int(1));
  host.Answer(code::kErrorText, Reply::Text("No answer"));
  // Before any import: no instance, every verb is a no-op.
  for (const char* verb : {"FEMMORCNV", "ERRMORCNV", "RSTMORCNV", "CONMORCNV", "DECMORCNV", "TIMMORCNV"}) {
    plugin->Verb(verb, kMachine, kTarget);
  }
  EXPECT_TRUE(host.calls.empty());
  Request("DEBCNVESS", "IMPORT", {File("a.ess", TwoAxis({1}, {1}, {4}))});
  host.ClearCalls();
  plugin->Verb("FEMMORCNV", kMachine, "OTHER_TABLE");
  plugin->Verb("ERRMORCNV", kMachine, "OTHER_TABLE");
  EXPECT_TRUE(host.calls.empty());
  plugin->Verb("FEMMORCNV", kMachine, kTarget);
  EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
  host.ClearCalls();
  ui.events.clear();
  plugin->Verb("ERRMORCNV", kMachine, kTarget);
  EXPECT_EQ(ui.events, std::vector<std::string>{
                           "MSGBOX error Bench\nFinal transmission error\nNo answer\nAction aborted"});
  EXPECT_EQ(Finished(), std::vector<std::string>{"IMPORT"});
  // After the reset, nothing more is answered.
  plugin->Verb("RSTMORCNV", kMachine, "IMPORT");
  host.ClearCalls();
  plugin->Verb("FEMMORCNV", kMachine, kTarget);
  plugin->Verb("ERRMORCNV", kMachine, kTarget);
  EXPECT_TRUE(host.calls.empty());
}

}  // namespace
}  // namespace sis::testing
