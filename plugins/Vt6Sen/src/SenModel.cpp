#include "SenModel.h"

namespace sen {

uint32_t ChannelClass(uint32_t number) {
  if (number == kNoChannel) return kNoChannelClass;
  switch (number >> 8) {
    case 1: return 0x04;
    case 2: return 0x08;
    case 3: return 0x10;
    case 4: return 0x28;
    case 5: return 0x18;
    default: return 0;
  }
}

bool ConfigurationShapeOk(const sis::LongTable& table) {
  if (table.empty() || table[0] <= 27 || table.size() != static_cast<size_t>(table[0]) / 4) return false;
  return table.size() >= kHeaderWords && (table.size() - kHeaderWords) % kRecordWords == 0;
}

bool ChannelListShapeOk(const sis::LongTable& table) {
  if (table.empty() || table[0] <= 7 || table.size() != static_cast<size_t>(table[0]) / 4) return false;
  return (table.size() - 1) % 2 == 0;
}

uint32_t BlockKey(const sis::WordTable& table, size_t n, size_t i) {
  const size_t at = BlockStart(n, i);
  return static_cast<uint32_t>(table.at(at)) | static_cast<uint32_t>(table.at(at + 1)) << 16;
}

bool AssignmentCountAndOffsetsOk(const sis::WordTable& table, size_t n) {
  if (table.size() < 2 || table.size() != 8 * n + 2 || table[1] != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (table[2 + i] != n + 1 + kBlockWords * i) return false;
  }
  return true;
}

bool AssignmentFormatOk(const sis::WordTable& table, const std::vector<Measurement>& records) {
  const size_t n = records.size();
  if (!AssignmentCountAndOffsetsOk(table, n)) return false;
  for (size_t i = 0; i < n; ++i) {
    if (BlockKey(table, n, i) != static_cast<uint32_t>(records[i].id[kKey])) return false;
  }
  return true;
}

bool MergeAssignment(const sis::WordTable& incoming, const std::vector<Measurement>& records,
                     sis::WordTable& saved) {
  const size_t n = records.size();
  const size_t k = incoming.size() >= 2 ? incoming[1] : 0;
  if (k == 0 || !AssignmentCountAndOffsetsOk(incoming, k)) return true;
  for (size_t b = 0; b < k; ++b) {
    const uint32_t key = BlockKey(incoming, k, b);
    for (size_t i = 0; i < n; ++i) {
      if (static_cast<uint32_t>(records[i].id[kKey]) != key) continue;
      for (size_t w = 2; w < kBlockWords; ++w) saved[BlockStart(n, i) + w] = incoming[BlockStart(k, b) + w];
    }
  }
  return saved != incoming;
}

CheckResult CheckConversionMap(const sis::WordTable& map) {
  // Word 1 lines, word 2 columns, word 3 flags (bit 6: on-off hysteresis).
  const size_t lines = map.size() > 1 ? map[1] : 0;
  const size_t columns = map.size() > 2 ? map[2] : 0;
  if (lines >= 2) return {kStatusErrors, 18001};
  if (map.size() > 3 && (map[3] & 0x40) != 0) {
    const size_t first = sis::kMapHeaderWords + lines + columns;
    for (size_t v = 0; v < lines * columns && first + v < map.size(); ++v) {
      if (map[first + v] >= 2) return {kStatusErrors, 18002};
    }
  }
  return {kStatusUsable, 0};
}

CheckResult CheckAverageStructure(const sis::WordTable& s, bool resolves) {
  if (s.size() != 5 || s[0] != 10) return {kStatusUnknown, 18003};
  if (s[1] != 1 || s[2] != 2) return {kStatusUnknown, 18003};
  if (s[3] == 0 || resolves) return {kStatusUsable, 0};
  return {kStatusErrors, 18004};
}

bool StructureNamesScale(const sis::WordTable& s) {
  return s.size() == 5 && s[0] == 10 && s[1] == 1 && s[2] == 2 && s[3] != 0;
}

int32_t StructureScaleId(const sis::WordTable& s) {
  if (s.size() < 5) return -1;
  return static_cast<int32_t>(static_cast<uint32_t>(s[4]) << 16 | s[3]);
}

const std::vector<std::string>& RuleKeywords() {
  static const std::vector<std::string> keywords = {"CN0", "CN1", "CN2", "CN3", "CN4", "CN5"};
  return keywords;
}

int32_t FindChannel(const std::vector<Channel>& channels, uint32_t number) {
  for (size_t c = 0; c < channels.size(); ++c) {
    if (channels[c].number == number) return static_cast<int32_t>(c);
  }
  return -1;
}

namespace {

// One condition: key variable k and classes m; `third` fails when k is 0.
bool ConditionHolds(int32_t key, int32_t classes, bool third, const std::vector<Measurement>& records,
                    const sis::WordTable& assignment, const std::vector<Channel>& channels) {
  if (key == 0) return !third;
  const size_t n = records.size();
  for (size_t j = 0; j < n; ++j) {
    if (records[j].id[kKey] != key) continue;
    if (BlockStart(n, j) + 2 >= assignment.size()) continue;
    const int32_t c = FindChannel(channels, assignment[BlockStart(n, j) + 2]);
    if (c < 0) continue;
    const uint32_t cls = channels[static_cast<size_t>(c)].cls;
    if ((cls & records[j].classes) != 0 && (cls & static_cast<uint32_t>(classes)) != 0) return true;
  }
  return false;
}

}  // namespace

int32_t RuleValue(const sis::Rule& rule, const std::vector<Measurement>& records, const sis::WordTable& assignment,
                  const std::vector<Channel>& channels) {
  auto slot = [&](size_t i) { return i < rule.conditions.size() ? rule.conditions[i] : 0; };
  const bool first = ConditionHolds(slot(0), slot(1), false, records, assignment, channels);
  const bool second = ConditionHolds(slot(2), slot(3), false, records, assignment, channels);
  const bool third = ConditionHolds(slot(4), slot(5), true, records, assignment, channels);
  return (first && second) || third ? 1 : 0;
}

}  // namespace sen
