// Trimset data access: what each operation sends, how it checks the reply,
// what it keeps, what it frees and which message a failure shows.
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "fixture.h"
#include "sis/abi/host_codes.h"
#include "sis/framework/trimset_access.h"
#include "sis/platform/text.h"

namespace sis::testing {
namespace {

class Access : public FrameworkTest {
 protected:
  TrimsetAccess access{link, 9};
};

std::string Join(const std::vector<std::string>& items) {
  std::string out;
  for (const auto& item : items) out += (out.empty() ? "" : ",") + item;
  return out;
}

template <class T>
std::string JoinNumbers(const std::vector<T>& items) {
  std::vector<std::string> texts;
  for (T v : items) texts.push_back(std::to_string(v));
  return Join(texts);
}

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

enum class Kind { Int, Text, Words, Longs };

struct Operation {
  const char* name;
  int32_t code;
  Kind kind;
  bool silent;
  std::string good;     // out-value after the good reply
  std::string untouched;  // out-value after a failure
  // Runs the operation on a preset out-value, returns the result and the out-value.
  std::function<bool(const TrimsetAccess&, std::string&)> run;
};

struct Shape {
  const char* what;
  Reply reply;
  int32_t failure;  // 0: accepted; else the code the message is built from
};

std::vector<Shape> ShapesOf(Kind kind) {
  switch (kind) {
    case Kind::Int:
      return {{"good", Reply::Int(7), 0},
              {"count 4 instead of -1", Reply::RawBytes(4, {7, 0, 0, 0}), -1},
              {"no data", Reply::RawBytes(-1, {}), -1},
              {"failing code", Reply::Fail(code::kTargetError), code::kTargetError}};
    case Kind::Text:
      return {{"good", Reply::Text("Label"), 0},
              {"no NUL", Reply::RawBytes(3, Bytes("abc")), -1},
              {"count 0", Reply::RawBytes(0, {}), -1},
              {"an integer", Reply::Int(7), -1},
              {"failing code", Reply::Fail(code::kTargetError), code::kTargetError}};
    case Kind::Words:
      return {{"good", Reply::Words({0, 1, 2}), 0},
              {"5 bytes", Reply::RawBytes(5, {5, 0, 1, 0, 2}), -1},
              {"first word not the count", Reply::RawBytes(6, {8, 0, 1, 0, 2, 0}), -1},
              {"single value", Reply::Int(7), -1},
              {"failing code", Reply::Fail(code::kTargetError), code::kTargetError}};
    case Kind::Longs:
      return {{"good", Reply::Longs({0, 1}), 0},
              {"6 bytes", Reply::RawBytes(6, {6, 0, 0, 0, 1, 0}), -1},
              {"first long not the count", Reply::RawBytes(8, {16, 0, 0, 0, 1, 0, 0, 0}), -1},
              {"failing code", Reply::Fail(code::kTargetError), code::kTargetError}};
  }
  return {};
}

// An operation with one integer out-value preset to 4242.
Operation IntOp(const char* name, int32_t code, bool silent,
                std::function<bool(const TrimsetAccess&, int32_t&)> op) {
  return {name, code, Kind::Int, silent, "7", "4242", [op](const TrimsetAccess& a, std::string& out) {
            int32_t v = 4242;
            const bool ok = op(a, v);
            out = std::to_string(v);
            return ok;
          }};
}

Operation TextOp(const char* name, int32_t code, std::function<bool(const TrimsetAccess&, std::string&)> op) {
  return {name, code, Kind::Text, false, "Label", "keep", [op](const TrimsetAccess& a, std::string& out) {
            out = "keep";
            return op(a, out);
          }};
}

TEST_F(Access, EveryReadChecksItsReplyShapeAndReactsToFailureAsItsCodeSays) {
  const std::vector<Operation> operations = {
      IntOp("ReadConstant", code::kConstant, true,
            [](const TrimsetAccess& a, int32_t& v) { return a.ReadConstant("MIN_CMDPREL", v); }),
      IntOp("ReadVariableId", code::kVariableId, false,
            [](const TrimsetAccess& a, int32_t& v) { return a.ReadVariableId("VAR", v); }),
      IntOp("ReadValue", code::kValue, false, [](const TrimsetAccess& a, int32_t& v) { return a.ReadValue("VAR", v); }),
      IntOp("ValuePresent", code::kValuePresent, false,
            [](const TrimsetAccess& a, int32_t& v) { return a.ValuePresent("VAR", v); }),
      IntOp("ReadAttributes", code::kAttributes, false,
            [](const TrimsetAccess& a, int32_t& v) { return a.ReadAttributes("VAR", v); }),
      IntOp("ReadProperty", code::kCategory, false,
            [](const TrimsetAccess& a, int32_t& v) { return a.ReadProperty(code::kCategory, "VAR", v); }),
      IntOp("ReadLevel", code::kInstanceLevel, false, [](const TrimsetAccess& a, int32_t& v) { return a.ReadLevel(v); }),
      IntOp("ReadMachineState", code::kMachineState, false,
            [](const TrimsetAccess& a, int32_t& v) { return a.ReadMachineState(v); }),
      {"QueryNumber", code::kQueryNumber, Kind::Int, false, "7", "5",
       [](const TrimsetAccess& a, std::string& out) {
         int32_t v = 5;
         const bool ok = a.QueryNumber(v);
         out = std::to_string(v);
         return ok;
       }},
      {"ReadSwitchedOn", code::kSwitchedOn, Kind::Int, false, "on", "off",
       [](const TrimsetAccess& a, std::string& out) {
         bool on = false;
         const bool ok = a.ReadSwitchedOn("MAP", on);
         out = on ? "on" : "off";
         return ok;
       }},
      {"ReadAxes", code::kAxes, Kind::Int, false, "0/7", "9/9",
       [](const TrimsetAccess& a, std::string& out) {
         int32_t high = 9, low = 9;
         const bool ok = a.ReadAxes("MAP", high, low);
         out = std::to_string(high) + "/" + std::to_string(low);
         return ok;
       }},
      {"ActionKnown", code::kActionKnown, Kind::Int, true, "", "",
       [](const TrimsetAccess& a, std::string&) { return a.ActionKnown("ACT"); }},
      {"FunctionKnown", code::kFunctionKnown, Kind::Int, true, "", "",
       [](const TrimsetAccess& a, std::string&) { return a.FunctionKnown("FN"); }},
      TextOp("ReadLabel", code::kLabel, [](const TrimsetAccess& a, std::string& t) { return a.ReadLabel("TAB", t); }),
      TextOp("ReadActionTable", code::kActionTable,
             [](const TrimsetAccess& a, std::string& t) { return a.ReadActionTable("ACT", t); }),
      TextOp("ReadErrorText", code::kErrorText,
             [](const TrimsetAccess& a, std::string& t) {
               std::wstring wide = L"keep";
               const bool ok = a.ReadErrorText("TAB", wide);
               t = WideToUtf8(wide);
               return ok;
             }),
      {"ListVariables", code::kVariableList, Kind::Text, true, "Label", "",
       [](const TrimsetAccess& a, std::string& out) {
         std::vector<std::string> names{"stale"};
         const bool ok = a.ListVariables(names);
         out = Join(names);
         return ok;
       }},
      {"ReadWordTable", code::kValue, Kind::Words, false, "6,1,2", "9,9",
       [](const TrimsetAccess& a, std::string& out) {
         WordTable t{9, 9};
         const bool ok = a.ReadWordTable("TAB", t);
         out = JoinNumbers(t);
         return ok;
       }},
      {"ReadLongTable", code::kValue, Kind::Longs, false, "8,1", "9,9",
       [](const TrimsetAccess& a, std::string& out) {
         LongTable t{9, 9};
         const bool ok = a.ReadLongTable("TAB", t);
         out = JoinNumbers(t);
         return ok;
       }},
  };
  for (const auto& op : operations) {
    for (const auto& shape : ShapesOf(op.kind)) {
      SCOPED_TRACE(std::string(op.name) + ", " + shape.what);
      host.Answer(op.code, shape.reply);
      ui.events.clear();
      std::string out;
      const bool ok = op.run(access, out);
      EXPECT_EQ(ok, shape.failure == 0);
      EXPECT_EQ(out, shape.failure == 0 ? op.good : op.untouched);
      std::vector<std::string> expected;
      if (shape.failure != 0 && !op.silent) {
        expected.push_back(ErrorBox(shape.failure == -1 ? kInternalText : kTargetText));
      }
      EXPECT_EQ(Boxes(), expected);
    }
  }
}

TEST_F(Access, KnownTestsAreTrueOnlyForANonZeroAnswer) {
  host.Answer(code::kActionKnown, Reply::Int(0));
  host.Answer(code::kFunctionKnown, Reply::Int(0));
  EXPECT_FALSE(access.ActionKnown("ACT"));
  EXPECT_FALSE(access.FunctionKnown("FN"));
  host.Answer(code::kSwitchedOn, Reply::Int(0));
  bool on = true;
  EXPECT_TRUE(access.ReadSwitchedOn("MAP", on));
  EXPECT_FALSE(on);
}

TEST_F(Access, EachOperationSendsItsCodeNameAndData) {
  struct Case {
    const char* what;
    std::function<void(const TrimsetAccess&)> run;
    int32_t code;
    std::string name;
    int32_t count;
    std::vector<uint8_t> bytes;
  };
  auto intBytes = [](int32_t v) {
    std::vector<uint8_t> b(4);
    std::memcpy(b.data(), &v, 4);
    return b;
  };
  const Case cases[] = {
      {"label asks with the integer 0",
       [](const TrimsetAccess& a) {
         std::string t;
         a.ReadLabel("TAB", t);
       },
       code::kLabel, "TAB", -1, intBytes(0)},
      {"query number",
       [](const TrimsetAccess& a) {
         int32_t v = 5;
         a.QueryNumber(v);
       },
       code::kQueryNumber, "", -1, intBytes(5)},
      {"name of an identifier",
       [](const TrimsetAccess& a) {
         std::string t;
         a.ReadVariableName(77, t);
       },
       code::kNameOfId, "", -1, intBytes(77)},
      {"value read sends nothing",
       [](const TrimsetAccess& a) {
         int32_t v;
         a.ReadValue("VAR", v);
       },
       code::kValue, "VAR", 0, {}},
      {"word table, word 0 as it stands", [](const TrimsetAccess& a) { a.WriteWordTable({4, 1, 2}, "TAB"); },
       code::kWriteValue, "TAB", 6, {4, 0, 1, 0, 2, 0}},
      {"empty word table", [](const TrimsetAccess& a) { a.WriteWordTable({}, "TAB"); }, code::kWriteValue, "TAB", 0,
       {}},
      {"text with its NUL", [](const TrimsetAccess& a) { a.WriteText("ab", "TXT"); }, code::kWriteValue, "TXT", 3,
       {'a', 'b', 0}},
      {"error mark", [](const TrimsetAccess& a) { a.WriteProperty(code::kErrorMark, "TAB", 1); }, code::kErrorMark,
       "TAB", -1, intBytes(1)},
      {"transmit", [](const TrimsetAccess& a) { a.Transmit("TAB"); }, code::kTransmit, "TAB", -1, intBytes(-1)},
      {"action state", [](const TrimsetAccess& a) { a.SetActionState("ACT", 0); }, code::kActionState, "ACT", -1,
       intBytes(0)},
      {"function state", [](const TrimsetAccess& a) { a.SetFunctionState("FN", 1); }, code::kFunctionState, "FN", -1,
       intBytes(1)},
      {"save veto", [](const TrimsetAccess& a) { a.VetoSave(); }, code::kVetoSave, "", -1, intBytes(-3)},
      {"action finished", [](const TrimsetAccess& a) { a.ActionFinished("ACT"); }, code::kActionFinished, "ACT", 0, {}},
      {"operation without data", [](const TrimsetAccess& a) { a.Operate(code::kMotorOp1, "RCO"); }, code::kMotorOp1,
       "RCO", 0, {}},
  };
  host.Answer(code::kWriteValue, Reply::Ok());
  host.Answer(code::kErrorMark, Reply::Ok());
  host.Answer(code::kTransmit, Reply::Ok());
  host.Answer(code::kActionState, Reply::Ok());
  host.Answer(code::kFunctionState, Reply::Ok());
  host.Answer(code::kActionFinished, Reply::Text("whatever"));  // freed unread
  host.Answer(code::kMotorOp1, Reply::Text("whatever"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.ClearCalls();
    c.run(access);
    ASSERT_FALSE(host.calls.empty());
    const HostCall& call = host.calls.front();
    EXPECT_EQ(call.code, c.code);
    EXPECT_EQ(call.name, c.name);
    EXPECT_EQ(call.instance, 9);
    EXPECT_EQ(call.sentCount, c.count);
    EXPECT_EQ(call.sent, c.bytes);
  }
}

// Data handed over is the host's when it answers 0; otherwise the operation
// frees it (the sanitizer build reports a leak or a double free).
TEST_F(Access, HandedOverDataIsFreedWhenTheHostRefusesIt) {
  struct Case {
    const char* what;
    int32_t code;
    std::function<bool(const TrimsetAccess&)> run;
  };
  const Case cases[] = {
      {"word table", code::kWriteValue, [](const TrimsetAccess& a) { return a.WriteWordTable({6, 1, 2}, "TAB"); }},
      {"text", code::kWriteValue, [](const TrimsetAccess& a) { return a.WriteText("text", "TXT"); }},
      {"switch", code::kSwitch, [](const TrimsetAccess& a) { return a.WriteProperty(code::kSwitch, "VAR", 1); }},
      {"transmit", code::kTransmit, [](const TrimsetAccess& a) { return a.Transmit("TAB"); }},
      {"action state", code::kActionState, [](const TrimsetAccess& a) { return a.SetActionState("ACT", 1); }},
      {"function state", code::kFunctionState, [](const TrimsetAccess& a) { return a.SetFunctionState("FN", 1); }},
      {"save veto", code::kVetoSave, [](const TrimsetAccess& a) { return a.VetoSave(); }},
  };
  Reply refusedWithBlock = Reply::Text("left by the host");
  refusedWithBlock.result = code::kTransferError;
  for (const auto& c : cases) {
    for (const auto& [answer, accepted] : {std::pair{Reply::Ok(), true},
                                           std::pair{Reply::Fail(code::kTransferError), false},
                                           std::pair{refusedWithBlock, false}}) {
      SCOPED_TRACE(std::string(c.what) + (accepted ? " accepted" : " refused"));
      host.Answer(c.code, answer);
      ui.events.clear();
      EXPECT_EQ(c.run(access), accepted);
      EXPECT_EQ(Boxes(), accepted ? std::vector<std::string>{} : std::vector<std::string>{ErrorBox(kTransferText)});
    }
  }
}

TEST_F(Access, VariableNameFallsBackOnTheListOfAllNames) {
  struct Case {
    const char* what;
    Reply byId;
    Reply list;
    int32_t sought;
    const char* found;  // null: not found
  };
  const Case cases[] = {
      {"asked directly", Reply::Text("DIRECT_0"), Reply::Fail(1), 7, "DIRECT_0"},
      {"direct fails, found in the list", Reply::Fail(1), Reply::RawBytes(6, Bytes(std::string("A\0B\0C\0", 6))), 7,
       "C"},
      {"direct reply without NUL", Reply::RawBytes(2, Bytes("XY")), Reply::RawBytes(6, Bytes(std::string("A\0B\0C\0", 6))),
       5, "B"},
      {"not in the list", Reply::Fail(1), Reply::RawBytes(6, Bytes(std::string("A\0B\0C\0", 6))), 99, nullptr},
      {"an unreadable identifier matches nothing", Reply::Fail(1),
       Reply::RawBytes(6, Bytes(std::string("A\0B\0C\0", 6))), -1, nullptr},
      {"list refused", Reply::Fail(1), Reply::Fail(2), 7, nullptr},
      {"list without final NUL", Reply::Fail(1), Reply::RawBytes(5, Bytes(std::string("A\0B\0C", 5))), 7, nullptr},
  };
  host.Answer(code::kVariableId, "A", Reply::Fail(code::kDataError));
  host.Answer(code::kVariableId, "B", Reply::Int(5));
  host.Answer(code::kVariableId, "C", Reply::Int(7));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.Answer(code::kNameOfId, c.byId);
    host.Answer(code::kVariableList, c.list);
    ui.events.clear();
    std::string name = "keep";
    EXPECT_EQ(access.ReadVariableName(c.sought, name), c.found != nullptr);
    EXPECT_EQ(name, c.found ? c.found : "keep");
    EXPECT_TRUE(ui.events.empty());  // silent, also in the walk
  }
}

TEST_F(Access, AttributeClassNeedsTheVariableAndMasksItsBits) {
  struct Case {
    const char* what;
    Reply exists;
    Reply bits;
    int32_t first;
    int32_t second;
    size_t boxes;
  };
  const Case cases[] = {
      {"unknown variable", Reply::Fail(1), Reply::Int(0x40000000), 0, 0, 0},
      {"existence reply without data", Reply::RawBytes(-1, {}), Reply::Int(0x40000000), 0, 0, 0},
      {"read only", Reply::Int(3), Reply::Int(0x40000000), -1, -1, 0},
      {"tunable, other bits ignored", Reply::Int(3), Reply::Int(static_cast<int32_t>(0x80000F0Fu)), 1, 1, 0},
      {"tunable with error mark", Reply::Int(3), Reply::Int(static_cast<int32_t>(0x88000000u)), 1, -1, 0},
      {"two classes together", Reply::Int(3), Reply::Int(static_cast<int32_t>(0xC0000000u)), 0, 0, 0},
      {"unreadable bits: 0x20000000 assumed", Reply::Int(3), Reply::Fail(2), 0, 0, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host.Answer(code::kVariableId, c.exists);
    host.Answer(code::kAttributes, c.bits);
    ui.events.clear();
    EXPECT_EQ(access.AttributeClass("TAB", false), c.first);
    EXPECT_EQ(access.AttributeClass("TAB", true), c.second);
    EXPECT_EQ(Boxes().size(), c.boxes);
  }
}

TEST_F(Access, AxesSplitIntoASignedHighHalfAndALowHalfWithFfffAsMinusOne) {
  const struct {
    uint32_t word;
    int32_t high;
    int32_t low;
  } cases[] = {{0x00030005u, 3, 5}, {0xFFFF0005u, -1, 5}, {0x0003FFFFu, 3, -1}, {0x8000FFFEu, -32768, 0xFFFE}};
  for (const auto& c : cases) {
    host.Answer(code::kAxes, Reply::Int(static_cast<int32_t>(c.word)));
    int32_t high = 0, low = 0;
    ASSERT_TRUE(access.ReadAxes("MAP", high, low));
    EXPECT_EQ(high, c.high) << std::hex << c.word;
    EXPECT_EQ(low, c.low) << std::hex << c.word;
  }
}

TEST_F(Access, RawValueIsHandedOverAsItCame) {
  host.Answer(code::kValue, Reply::RawBytes(3, Bytes("ab")));  // count as given, no NUL check here
  RawValue raw;
  ASSERT_TRUE(access.ReadRawValue("RULES", raw));
  EXPECT_EQ(raw.count(), 3);
  EXPECT_EQ(std::memcmp(raw.data(), "ab", 2), 0);

  for (const auto& [reply, text] : {std::pair{Reply::RawBytes(5, {}), kInternalText},
                                    std::pair{Reply::Fail(code::kTargetError), kTargetText}}) {
    ui.events.clear();
    host.Answer(code::kValue, reply);
    RawValue none;
    EXPECT_FALSE(access.ReadRawValue("RULES", none));
    EXPECT_EQ(none.data(), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{ErrorBox(text)});
  }
}

TEST_F(Access, MachineNameKeepsTheLastGoodName) {
  TrimsetAccess fresh(link, 12);
  host.Answer(code::kMachineName, Reply::Fail(code::kDataError));
  EXPECT_EQ(fresh.MachineName(), L"Machine");
  EXPECT_TRUE(ui.events.empty());  // asked silently

  // The stored name is read with a message on failure...
  EXPECT_FALSE(fresh.ReadMachineName());
  EXPECT_EQ(Boxes(), std::vector<std::string>{"MSGBOX error Machine\nAction canceled\nDll data error"});
  host.Answer(code::kMachineName, Reply::Text("Bench \xE9t\xE9"));  // ANSI text, shown wide
  EXPECT_TRUE(fresh.ReadMachineName());
  // ... and kept while the host refuses or answers badly.
  for (const Reply& bad : {Reply::Fail(2), Reply::RawBytes(3, Bytes("abc"))}) {
    host.Answer(code::kMachineName, bad);
    EXPECT_EQ(fresh.MachineName(), L"Bench \u00e9t\u00e9");
  }
  host.Answer(code::kMachineName, Reply::Text("Rig"));
  EXPECT_EQ(fresh.MachineName(), L"Rig");
  host.Answer(code::kMachineName, Reply::Fail(2));
  EXPECT_EQ(fresh.MachineName(), L"Rig");
}

}  // namespace
}  // namespace sis::testing
