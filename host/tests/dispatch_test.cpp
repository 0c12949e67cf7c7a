// ACTIONDLL answered directly: reply shapes, ownership of handed-over data,
// failures of what the Trimset does not answer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "sis/abi/host_codes.h"
#include "sis/host/host.h"
#include "sis/host/trimset_json.h"

extern "C" int32_t ACTIONDLL(int32_t instance, int32_t code, const char* name, HostBuffer* io);

namespace sis::host {
namespace {

constexpr const char* kTrimset = R"({
  "instance": 1,
  "host": {"level": 4, "machine": "BENCH", "queries": {"5": 3}},
  "constants": {"K": 42},
  "variables": [
    {"name": "S", "id": 10, "value": 7},
    {"name": "W", "id": 11, "kind": "words", "value": [1, 2], "label": "Words", "attributes": "0x40000000"},
    {"name": "L", "id": 12, "kind": "longs", "value": [5]},
    {"name": "M", "id": 13, "kind": "map", "value": {"x": [1], "y": [2], "values": [[3]]},
     "props": {"0x40047": "0x0001FFFF"}},
    {"name": "T", "id": 14, "kind": "text", "value": "abc"}
  ],
  "actions": [{"name": "ACT", "table": "W", "available": 0}],
  "functions": ["F"],
  "store": [{"code": "0x30010", "name": "ACT", "reply": {"text": "Action"}}]
})";

int32_t* NewInt(int32_t v) {
  auto* p = static_cast<int32_t*>(std::malloc(4));
  *p = v;
  return p;
}

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    auto ts = std::make_unique<Trimset>();
    std::string error;
    ASSERT_TRUE(ParseTrimsetText(kTrimset, *ts, error)) << error;
    trimset = &host.Attach(std::move(ts));
  }
  // One call; what comes back is copied and freed as a plug-in would: the
  // reply, and what it sent when the reply came in a new block.
  int32_t Ask(int32_t code, const char* name, Datum& out, HostBuffer in = {0, nullptr}, int32_t instance = 1) {
    HostBuffer b = in;
    const int32_t r = ACTIONDLL(instance, code, name, &b);
    out = Datum::FromBuffer(b);
    if (in.data != nullptr && b.data != nullptr && b.data != in.data) std::free(in.data);
    std::free(b.data);
    return r;
  }
  Host host;
  Trimset* trimset = nullptr;
};

TEST_F(Dispatch, ReadsReplyInTheirShapes) {
  std::vector<uint16_t> map = trimset->Find("M")->words;
  struct Case {
    int32_t code;
    const char* name;
    Datum reply;
  } cases[] = {
      {code::kHostVersion, "", Datum::Int(0x60000)},
      {code::kHostLanguage, "", Datum::Int(1033)},
      {code::kInstanceLevel, "", Datum::Int(4)},
      {code::kMachineState, "", Datum::Int(-1)},  // a file has no machine
      {code::kMachineName, "", Datum::Text("BENCH")},
      {0x10023, "", Datum::Int(0)},
      {code::kVariableList, "", Datum::Names({"S", "W", "L", "M", "T"})},
      {code::kConstant, "K", Datum::Int(42)},
      {code::kActionKnown, "ACT", Datum::Int(1)},
      {code::kActionKnown, "NOPE", Datum::Int(0)},
      {code::kActionTable, "ACT", Datum::Text("W")},
      {code::kFunctionKnown, "F", Datum::Int(1)},
      {code::kVariableId, "W", Datum::Int(11)},
      {code::kKind, "S", Datum::Int(0)},
      {code::kKind, "M", Datum::Int(2)},
      {code::kAttributes, "W", Datum::Int(0x40000000)},
      {code::kValuePresent, "W", Datum::Int(1)},
      {code::kValue, "S", Datum::Int(7)},
      {code::kValue, "W", Datum::Words({6, 1, 2})},
      {code::kValue, "L", Datum::Longs({8, 5})},
      {code::kValue, "M", Datum::Words(map)},
      {code::kValue, "T", Datum::Text("abc")},
      {code::kErrorState, "W", Datum::Int(0)},
      {code::kErrorText, "W", Datum::Text("")},
      {code::kLabel, "W", Datum::Text("Words")},
      {code::kAxes, "M", Datum::Int(0x0001FFFF)},
      {0x30010, "ACT", Datum::Text("Action")},
  };
  for (const auto& c : cases) {
    Datum out;
    EXPECT_EQ(Ask(c.code, c.name, out), 0) << CodeName(c.code) << " " << c.name;
    EXPECT_EQ(out, c.reply) << CodeName(c.code) << " " << c.name << ": " << Describe(out);
  }
}

TEST_F(Dispatch, QueriesAnswerInTheBufferTheyCameIn) {
  // The number's own buffer carries the answer; the plug-in frees it.
  int32_t* number = NewInt(5);
  HostBuffer b{-1, number};
  ASSERT_EQ(ACTIONDLL(1, code::kQueryNumber, "", &b), 0);
  EXPECT_EQ(b.data, number);
  EXPECT_EQ(*number, 3);
  std::free(b.data);
  // Text answers come in a new block; the integer sent stays the plug-in's.
  Datum out;
  EXPECT_EQ(Ask(code::kNameOfId, "", out, {-1, NewInt(12)}), 0);
  EXPECT_EQ(out, Datum::Text("L"));
  EXPECT_EQ(Ask(code::kLabel, "T", out, {-1, NewInt(0)}), 0);
  EXPECT_EQ(out, Datum::Text("T"));  // no label: the name
  // Unknown: the integer sent stays the plug-in's.
  EXPECT_EQ(Ask(code::kNameOfId, "", out, {-1, NewInt(99)}), 1);
  EXPECT_EQ(out, Datum::Int(99));
  EXPECT_EQ(Ask(code::kQueryNumber, "", out, {-1, NewInt(6)}), 1);
}

TEST_F(Dispatch, HandedOverDataIsKeptOnlyOnSuccess) {
  std::vector<uint16_t> table{8, 4, 5, 6};
  auto* words = static_cast<uint16_t*>(std::malloc(8));
  std::memcpy(words, table.data(), 8);
  HostBuffer b{8, words};
  ASSERT_EQ(ACTIONDLL(1, code::kWriteValue, "W", &b), 0);
  EXPECT_EQ(b.data, nullptr);  // kept: nothing left to free
  EXPECT_EQ(trimset->Find("W")->words, table);

  struct Bad {
    const char* name;
    Datum sent;
  } bad[] = {
      {"W", Datum::Words({9, 1})},      // word 0 is not the byte count
      {"W", Datum::Raw(5, "abcde", 5)}, // odd byte count
      {"S", Datum::Words({4, 1})},      // a table into a single value
      {"T", Datum::Raw(3, "abc", 3)},   // text without its NUL
      {"M", Datum::Words({20, 1, 1, 0, 0, 0, 0, 0, 0xFFFF, 1})},  // 1 x 1 map without its value
      {"NOPE", Datum::Int(1)},
  };
  for (const auto& c : bad) {
    HostBuffer in{c.sent.count, c.sent.Allocate()};
    Datum left;
    EXPECT_EQ(Ask(code::kWriteValue, c.name, left, in), 1) << c.name << " " << Describe(c.sent);
    EXPECT_EQ(left, c.sent) << "the data stays the plug-in's";
  }
  EXPECT_EQ(trimset->Find("W")->words, table);

  Datum out;
  EXPECT_EQ(Ask(code::kWriteValue, "S", out, {-1, NewInt(-5)}), 0);
  EXPECT_EQ(trimset->Find("S")->value, -5);
  EXPECT_EQ(Ask(code::kErrorMark, "W", out, {-1, NewInt(1)}), 0);
  EXPECT_EQ(trimset->Find("W")->errorMark, 1);
  EXPECT_EQ(Ask(code::kSwitch, "W", out, {-1, NewInt(0)}), 0);
  EXPECT_EQ(Ask(code::kSwitchedOn, "W", out), 0);
  EXPECT_EQ(out, Datum::Int(0));
  EXPECT_EQ(Ask(code::kActionState, "ACT", out, {-1, NewInt(1)}), 0);
  EXPECT_EQ(trimset->FindAction("ACT")->available, 1);
  EXPECT_EQ(Ask(code::kFunctionState, "F", out, {-1, NewInt(0)}), 0);
  EXPECT_EQ(trimset->FindFunction("F")->available, 0);
  EXPECT_EQ(Ask(code::kActionState, "NOPE", out, {-1, NewInt(0)}), 1);
}

TEST_F(Dispatch, OtherCodesAreRecordedAndReadBack) {
  Datum out;
  EXPECT_EQ(Ask(0x40062, "M", out, {-1, NewInt(13)}), 0);
  EXPECT_EQ(Ask(0x40062, "M", out, {-1, NewInt(14)}), 0);  // a second write replaces the first
  EXPECT_EQ(Ask(0x40062, "M", out), 0);
  EXPECT_EQ(out, Datum::Int(14));
  EXPECT_EQ(Ask(0x32002, "ANY", out, {4, std::malloc(4)}), 0);
  EXPECT_TRUE(trimset->Entry(0x32002, "ANY")->recorded);
}

TEST_F(Dispatch, UnansweredCodesFailWithTheConfiguredResultAndATraceLine) {
  Datum out;
  EXPECT_EQ(Ask(0x40061, "W", out), 1);
  EXPECT_EQ(Ask(code::kValue, "NOPE", out), 1);
  EXPECT_EQ(Ask(code::kConstant, "NOPE", out), 1);
  EXPECT_EQ(Ask(code::kInstanceLevel, "", out, {0, nullptr}, 3), 1);  // no Trimset there
  host.Options().failure = 3;
  EXPECT_EQ(Ask(0x40061, "W", out), 3);
  EXPECT_TRUE(out.Empty());
  EXPECT_EQ(host.GetTrace().Count("unanswered:"), 5u);
  EXPECT_TRUE(host.GetTrace().Contains("unanswered: unknown variable \"NOPE\""));
  EXPECT_TRUE(host.GetTrace().Contains("ACTIONDLL(1, 0x40030 Value, \"NOPE\") empty -> 1 empty"));
}

TEST_F(Dispatch, QuestionsWithoutAStoredAnswerAreUnansweredAndLeaveTheirDataToThePlugIn) {
  Datum out;
  // Both on a known variable and on the store: never recorded as a write, so
  // the plug-in frees what it sent (a double free under the sanitizers otherwise).
  EXPECT_EQ(Ask(0x40041, "W", out, {-1, NewInt(0)}), 1);
  EXPECT_EQ(Ask(0x40038, "S", out, {-1, NewInt(5)}), 1);
  EXPECT_EQ(Ask(0x40041, "CHANNEL_ITEM", out, {-1, NewInt(0)}), 1);
  EXPECT_EQ(trimset->Entry(0x40041, "W"), nullptr);
  EXPECT_EQ(host.GetTrace().Count("unanswered:"), 3u);
}

TEST_F(Dispatch, OverridesInjectFailuresAndBadShapes) {
  Datum out;
  host.Override(code::kMachineName, "*", 2);
  EXPECT_EQ(Ask(code::kMachineName, "", out), 2);
  host.Override(code::kValue, "W", 0, Datum::Raw(5, "\5\0\1\0\2", 5));
  EXPECT_EQ(Ask(code::kValue, "W", out), 0);
  EXPECT_EQ(out.count, 5);
  EXPECT_EQ(Ask(code::kValue, "S", out), 0);  // other names answer as usual
  EXPECT_EQ(out, Datum::Int(7));
  host.ClearOverrides();
  EXPECT_EQ(Ask(code::kMachineName, "", out), 0);
}

TEST_F(Dispatch, TransmissionNeedsAConnectedMachine) {
  Datum out;
  EXPECT_EQ(Ask(code::kTransmit, "W", out, {-1, NewInt(-1)}), 1);  // instance 1 is a file
  EXPECT_EQ(out, Datum::Int(-1));
  auto machine = std::make_unique<Trimset>(*trimset);
  machine->instance = 8;
  host.Attach(std::move(machine));
  EXPECT_EQ(Ask(code::kMachineState, "", out, {0, nullptr}, 8), 0);
  EXPECT_EQ(out, Datum::Int(0));
  EXPECT_EQ(Ask(code::kTransmit, "W", out, {-1, NewInt(-1)}, 8), 0);
  EXPECT_EQ(Ask(code::kTransmit, "VSYS_RSTMAC", out, {-1, NewInt(-1)}, 8), 0);
  EXPECT_EQ(host.MachineResets(8), 1);
  host.FailMachineReset(8, true);
  EXPECT_EQ(Ask(code::kTransmit, "VSYS_RSTMAC", out, {-1, NewInt(-1)}, 8), code::kTransferError);
  ASSERT_EQ(host.Transmissions().size(), 1u);
  EXPECT_EQ(host.Transmissions()[0].variable, "W");
}

}  // namespace
}  // namespace sis::host
