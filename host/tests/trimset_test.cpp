#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "sis/host/text1252.h"
#include "sis/host/trimset_json.h"

namespace sis::host {
namespace {

TEST(TrimsetFile, ReadsEveryKindWithComputedLengthWords) {
  Trimset ts;
  std::string error;
  ASSERT_TRUE(ParseTrimsetText(R"({
    "instance": 9,
    "host": {"version": "0x50001", "machine": "Bänk", "queries": {"5": 4}},
    "constants": {"K": "0x10"},
    "variables": [
      {"name": "S", "value": "-0x2"},
      {"name": "W", "kind": "words", "value": [1, "0xFFFF", -1], "attributes": "0x88000000"},
      {"name": "R", "kind": "words", "table": [99, 1]},
      {"name": "L", "kind": "longs", "value": [70000]},
      {"name": "M", "kind": "map", "value": {"x": [10, 20], "y": [1, 2, 3], "values": [[1, 2, 3], [4, 5, 6]]}},
      {"name": "T", "kind": "text", "value": "é€", "id": 5}
    ]})", ts, error)) << error;
  EXPECT_EQ(ts.instance, 9);
  EXPECT_EQ(ts.facts.version, 0x50001);
  EXPECT_EQ(ts.facts.machine, "B\xE4nk");
  EXPECT_EQ(ts.facts.queries.at(5), 4);
  EXPECT_EQ(*ts.Constant("K"), 16);
  EXPECT_EQ(ts.Find("S")->value, -2);
  EXPECT_EQ(ts.Find("W")->words, (std::vector<uint16_t>{8, 1, 0xFFFF, 0xFFFF}));
  EXPECT_EQ(ts.Find("W")->attributes, 0x88000000u);
  EXPECT_EQ(ts.Find("R")->words, (std::vector<uint16_t>{99, 1}));  // kept as written
  EXPECT_EQ(ts.Find("L")->longs, (std::vector<int32_t>{8, 70000}));
  const auto& m = ts.Find("M")->words;
  ASSERT_EQ(m.size(), 9u + 2 + 3 + 6);
  EXPECT_EQ(m[0], m.size() * 2);
  EXPECT_EQ(m[1], 2);
  EXPECT_EQ(m[2], 3);
  EXPECT_EQ(m[8], 0xFFFF);
  EXPECT_EQ(m[9], 10);
  EXPECT_EQ(m.back(), 6);
  EXPECT_EQ(ts.Find("T")->text, "\xE9\x80");
  // Explicit identifiers are kept; the others get free ones.
  EXPECT_EQ(ts.FindId(5)->name, "T");
  EXPECT_NE(ts.Find("S")->id, 5);
}

TEST(TrimsetFile, BadInputNamesThePlace) {
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {R"({"variables": [{"name": "A", "kind": "words", "value": [1, 65536]}]})",
       "variables[0].value[1]: 65536 does not fit a 16-bit word"},
      {R"({"variables": [{"name": "A", "value": "0x1FFFFFFFF"}]})", "variables[0].value: \"0x1FFFFFFFF\" does not fit"},
      {R"({"variables": [{"name": "A", "value": "12x"}]})", "is not a number"},
      {R"({"variables": [{"name": "A", "kind": "blob"}]})", "variables[0].kind: expected value, words"},
      {R"({"variables": [{"name": "A", "vlaue": 1}]})", "variables[0]: unknown key \"vlaue\""},
      {R"({"variables": [{"name": "A"}, {"name": "A"}]})", "variables[1]: variable A is declared twice"},
      {R"({"variables": [{"name": "A", "id": 3}, {"name": "B", "id": 3}]})", "takes identifier 3 of A"},
      {R"({"variables": [{"name": "M", "kind": "map", "value": {"x": [1], "y": [1, 2], "values": [[1]]}}]})",
       "variables[0].value.values[0]: expected 2 values"},
      {R"({"variables": [{"name": "T", "kind": "text", "value": "日本"}]})", "does not fit Windows-1252"},
      {R"({"actions": [{"name": "X", "plugin": "Nope"}]})", "names plug-in Nope, which is not listed"},
      {R"({"plugins": [{"name": "P", "textExports": {"X": "delete"}}]})", "expected \"free\" or \"delete[]\""},
      {R"({"variables": [1, )", "JSON parse error at line 1, column"},
  };
  for (const auto& c : cases) {
    Trimset ts;
    std::string error;
    EXPECT_FALSE(ParseTrimsetText(c.text, ts, error)) << c.text;
    EXPECT_NE(error.find(c.message), std::string::npos) << "got: " << error << "\nwanted: " << c.message;
  }
}

TEST(TrimsetFile, UnreadableFileIsOneLine) {
  Trimset ts;
  std::string error;
  EXPECT_FALSE(LoadTrimsetFile("/nonexistent/t.json", ts, error));
  EXPECT_EQ(error, "/nonexistent/t.json: cannot read: No such file or directory");
}

TEST(TrimsetFile, SavedFileReadsBackTheSame) {
  Trimset ts;
  std::string error;
  ASSERT_TRUE(ParseTrimsetText(R"({
    "instance": 8,
    "variables": [
      {"name": "W", "kind": "words", "value": [1, 2], "label": "Ä label", "errorState": 1},
      {"name": "B", "kind": "words", "table": [3, 1]},
      {"name": "M", "kind": "map", "value": {"header": [1,2,3,4,5,6], "x": [1], "y": [2], "values": [[3]]},
       "props": {"0x40047": "0x00010002"}},
      {"name": "T", "kind": "text", "value": "x"}],
    "actions": [{"name": "ACT", "table": "W", "plugin": "P", "begin": "AUXSETP"}],
    "functions": ["F"],
    "plugins": [{"name": "P", "open": ["W"], "watch": {"VALSETP": ["W", "B"]}, "textExports": {"A": "delete[]"}}],
    "store": [{"code": "0x30010", "name": "ACT", "reply": {"text": "Act"}},
              {"code": "0x40062", "name": "M", "reply": 7, "recorded": true}]})",
                               ts, error))
      << error;
  const std::string path = ::testing::TempDir() + "/sis_host_trimset_roundtrip.json";
  ASSERT_TRUE(SaveTrimsetFile(ts, path, error)) << error;
  Trimset back;
  ASSERT_TRUE(LoadTrimsetFile(path, back, error)) << error;
  EXPECT_EQ(TrimsetToJson(back), TrimsetToJson(ts));
  EXPECT_EQ(back.Find("B")->words, (std::vector<uint16_t>{3, 1}));
  EXPECT_EQ(back.Entry(0x40047, "M")->datum, Datum::Int(0x00010002));
  EXPECT_TRUE(back.Entry(0x40062, "M")->recorded);
  EXPECT_EQ(back.plugins[0].suffix, "SETP");
  EXPECT_EQ(back.plugins[0].TextFree("A"), FreeStyle::DeleteArray);
  EXPECT_EQ(back.Watchers("B").size(), 1u);
  std::remove(path.c_str());
}

TEST(Text1252, ConvertsBothWaysAndRefusesWhatItCannotEncode) {
  std::string out;
  ASSERT_TRUE(Utf8ToCp1252("a\xC3\xA9\xE2\x82\xAC", out));  // a é €
  EXPECT_EQ(out, "a\xE9\x80");
  EXPECT_EQ(Cp1252ToUtf8(out), "a\xC3\xA9\xE2\x82\xAC");
  EXPECT_FALSE(Utf8ToCp1252("\xE6\x97\xA5", out));  // not in the code page
  EXPECT_FALSE(Utf8ToCp1252("\xC3", out));          // cut short
  EXPECT_FALSE(Utf8ToCp1252(std::string("a\0b", 3), out));
}

}  // namespace
}  // namespace sis::host
