// The table rules of the measurement inputs, without a host.
#include <gtest/gtest.h>

#include "SenModel.h"

namespace {

using sis::WordTable;

TEST(SenModel, ChannelClassByRange) {
  const std::vector<std::pair<uint32_t, uint32_t>> cases = {
      {0x0FF, 0},     {0x100, 0x04}, {0x1FF, 0x04}, {0x200, 0x08}, {0x3FF, 0x10}, {0x400, 0x28},
      {0x5FF, 0x18},  {0x600, 0},    {0xFFFE, 0},   {0xFFFF, 0x8000},
  };
  for (auto [number, cls] : cases) EXPECT_EQ(sen::ChannelClass(number), cls) << std::hex << number;
}

TEST(SenModel, TableShapes) {
  auto longs = [](size_t words, int32_t bytes) {
    sis::LongTable t(words, 0);
    t[0] = bytes;
    return t;
  };
  EXPECT_TRUE(sen::ConfigurationShapeOk(longs(17, 68)));   // one record
  EXPECT_FALSE(sen::ConfigurationShapeOk(longs(7, 28)));   // 28 bytes, not 6 + 11k words
  EXPECT_FALSE(sen::ConfigurationShapeOk(longs(6, 24)));   // no record: too short
  EXPECT_FALSE(sen::ConfigurationShapeOk(longs(17, 64)));  // byte size disagrees
  EXPECT_TRUE(sen::ChannelListShapeOk(longs(3, 12)));
  EXPECT_FALSE(sen::ChannelListShapeOk(longs(4, 16)));  // odd number of words after word 0
  EXPECT_FALSE(sen::ChannelListShapeOk(longs(1, 4)));
}

std::vector<sen::Measurement> Records(std::vector<int32_t> keys) {
  std::vector<sen::Measurement> records(keys.size());
  for (size_t i = 0; i < keys.size(); ++i) records[i].id[sen::kKey] = keys[i];
  return records;
}

// A table of n blocks: keys, then b2..b6 of each.
WordTable Table(const std::vector<int32_t>& keys, const std::vector<std::array<uint16_t, 5>>& values) {
  const size_t n = keys.size();
  WordTable t(8 * n + 2, 0);
  t[0] = static_cast<uint16_t>(t.size() * 2);
  t[1] = static_cast<uint16_t>(n);
  for (size_t i = 0; i < n; ++i) {
    t[2 + i] = static_cast<uint16_t>(n + 1 + 7 * i);
    t[n + 2 + 7 * i] = static_cast<uint16_t>(keys[i] & 0xFFFF);
    t[n + 3 + 7 * i] = static_cast<uint16_t>(keys[i] >> 16);
    for (size_t w = 0; w < 5; ++w) t[n + 4 + 7 * i + w] = values[i][w];
  }
  return t;
}

TEST(SenModel, AssignmentFormat) {
  const auto records = Records({0x10001, 0x20});
  const WordTable good = Table({0x10001, 0x20}, {{1, 0, 0, 0, 0}, {2, 0, 0, 0, 0}});
  EXPECT_TRUE(sen::AssignmentFormatOk(good, records));
  WordTable badOffset = good;
  badOffset[3] = 9;
  EXPECT_FALSE(sen::AssignmentFormatOk(badOffset, records));
  WordTable badKey = good;
  badKey[5] = 0;  // high word of block 0's key
  EXPECT_FALSE(sen::AssignmentFormatOk(badKey, records));
  EXPECT_FALSE(sen::AssignmentFormatOk(Table({0x10001}, {{1, 0, 0, 0, 0}}), records));
}

TEST(SenModel, MergeKeepsTheValuesOfKnownBlocks) {
  const auto records = Records({0x10, 0x20});
  const WordTable saved = Table({0x10, 0x20}, {{1, 0, 0, 0, 0}, {2, 0, 0, 0, 0}});
  struct Case {
    const char* label;
    WordTable incoming;
    bool rewrite;
    WordTable merged;
  };
  const std::vector<Case> cases = {
      {"same table", saved, false, saved},
      {"values changed", Table({0x10, 0x20}, {{7, 1, 2, 3, 4}, {2, 0, 0, 0, 0}}), false,
       Table({0x10, 0x20}, {{7, 1, 2, 3, 4}, {2, 0, 0, 0, 0}})},
      {"foreign and reordered blocks", Table({0x20, 0x99, 0x10}, {{5, 0, 0, 0, 0}, {9, 9, 9, 9, 9}, {6, 1, 0, 0, 0}}),
       true, Table({0x10, 0x20}, {{6, 1, 0, 0, 0}, {5, 0, 0, 0, 0}})},
      {"malformed", WordTable{4, 0}, true, saved},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    WordTable merged = saved;
    EXPECT_EQ(sen::MergeAssignment(c.incoming, records, merged), c.rewrite);
    EXPECT_EQ(merged, c.merged);
  }
}

TEST(SenModel, ConversionMapCheck) {
  // Map: size, lines, columns, flags, 5 unused words, axes, values.
  auto map = [](uint16_t lines, uint16_t flags, std::vector<uint16_t> values) {
    WordTable m = {0, lines, static_cast<uint16_t>(values.size() / lines), flags, 0, 0, 0, 0, 0xFFFF};
    for (uint16_t i = 0; i < lines + values.size() / lines; ++i) m.push_back(i);
    m.insert(m.end(), values.begin(), values.end());
    m[0] = static_cast<uint16_t>(m.size() * 2);
    return m;
  };
  const std::vector<std::tuple<const char*, WordTable, int32_t, int32_t>> cases = {
      {"one line on-off", map(1, 0x40, {0, 1, 1, 0}), 1, 0},
      {"hysteresis value 2", map(1, 0x40, {0, 1, 2}), 0, 18002},
      {"plain map any value", map(1, 0, {0, 100, 200}), 1, 0},
      {"two lines", map(2, 0, {0, 1, 2, 3}), 0, 18001},
  };
  for (const auto& [label, m, status, message] : cases) {
    SCOPED_TRACE(label);
    const sen::CheckResult r = sen::CheckConversionMap(m);
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.message, message);
  }
}

TEST(SenModel, AverageStructureCheck) {
  const std::vector<std::tuple<const char*, WordTable, bool, int32_t, int32_t>> cases = {
      {"not configured", {10, 1, 2, 0, 0xFFFF}, false, 1, 0},
      {"resolved variable", {10, 1, 2, 0x100, 0}, true, 1, 0},
      {"unknown variable", {10, 1, 2, 0x100, 0}, false, 0, 18004},
      {"wrong words", {10, 2, 1, 0, 0}, true, -1, 18003},
      {"wrong size", {12, 1, 2, 0, 0, 0}, true, -1, 18003},
  };
  for (const auto& [label, s, resolves, status, message] : cases) {
    SCOPED_TRACE(label);
    const sen::CheckResult r = sen::CheckAverageStructure(s, resolves);
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.message, message);
  }
  EXPECT_EQ(sen::StructureScaleId({10, 1, 2, 0, 0xFFFF}), static_cast<int32_t>(0xFFFF0000u));
}

TEST(SenModel, RuleValues) {
  // Measurement 0x10 accepts 0x8008 and sits on 0x201 (class 0x08); 0x20 sits on no channel.
  auto records = Records({0x10, 0x20});
  records[0].classes = 0x8008;
  records[1].classes = 0x8004;
  const std::vector<sen::Channel> channels = {{0x201, 0x08, "A"}, {0x101, 0x04, "B"}, {0xFFFF, 0x8000, "N"}};
  const WordTable table = Table({0x10, 0x20}, {{0x201, 0, 0, 0, 0}, {0xFFFF, 0, 0, 0, 0}});
  auto rule = [](std::vector<int32_t> c) {
    sis::Rule r;
    r.conditions = c;
    return r;
  };
  const std::vector<std::tuple<const char*, std::vector<int32_t>, int32_t>> cases = {
      {"nothing set", {0, 0, 0, 0, 0, 0}, 1},
      {"first holds", {0x10, 0x08, 0, 0, 0, 0}, 1},
      {"first class mismatch", {0x10, 0x04, 0, 0, 0, 0}, 0},
      {"second fails on no channel", {0x10, 0x08, 0x20, 0x04, 0, 0}, 0},
      {"third alone", {0x20, 0x04, 0, 0, 0x10, 0x0C}, 1},
      {"unknown key", {0x99, 0xFF, 0, 0, 0, 0}, 0},
  };
  for (const auto& [label, c, value] : cases) {
    SCOPED_TRACE(label);
    EXPECT_EQ(sen::RuleValue(rule(c), records, table, channels), value);
  }
}

}  // namespace
