// The measurement inputs configuration: the records of the inputs
// configuration table, the channel list, and the pure rules on the tables
// (shapes, channel classes, merge, map and structure checks, rule values).
#ifndef VT6SEN_MODEL_H
#define VT6SEN_MODEL_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sis/framework/rules.h"
#include "sis/framework/tables.h"

namespace sen {

inline constexpr uint32_t kNoChannel = 0xFFFF;       // channel number of "not active"
inline constexpr uint32_t kNoChannelClass = 0x8000;  // class of the no-channel entry
inline constexpr uint32_t kAcceptedClasses = 0x803C;
inline constexpr size_t kRecordWords = 11;
inline constexpr size_t kHeaderWords = 6;
inline constexpr size_t kBlockWords = 7;
inline constexpr int32_t kStatusNotReceived = -2;
inline constexpr int32_t kStatusUnknown = -1;
inline constexpr int32_t kStatusErrors = 0;
inline constexpr int32_t kStatusUsable = 1;

// Record words w0..w7 are item identifiers.
enum Item { kKey = 0, kSecond, kActivation, kMap, kStructure, kAverageMap, kFurther, kChannelText, kItems };

struct Measurement {
  std::array<int32_t, kItems> id{};        // -1 when absent
  std::array<std::string, kItems> name{};  // empty when absent
  uint32_t classes = 0;                    // w8
  uint32_t errorKind = 0;                  // w9: bit 0 and bit 1
  uint32_t ownChannel = 0;                 // w10
  sis::WordTable map;
  int32_t mapStatus = kStatusNotReceived;
  sis::WordTable structure;
  int32_t structureStatus = kStatusNotReceived;

  bool HasMap() const { return !name[kMap].empty(); }
  bool HasStructure() const { return !name[kStructure].empty(); }
  bool IsLambda() const { return (errorKind & 3) == 2; }
};

struct Channel {
  uint32_t number = 0;
  uint32_t cls = 0;
  std::string name;  // the channel's name item
};

// The class of a channel number; 0 when the number is in no range.
uint32_t ChannelClass(uint32_t number);

// Inputs configuration table shape: word count = word 0 / 4, longer than 27
// bytes, (count - 6) a multiple of 11.
bool ConfigurationShapeOk(const sis::LongTable& table);
// Channel list shape: word count = word 0 / 4, longer than 7 bytes, pairs.
bool ChannelListShapeOk(const sis::LongTable& table);

// Channel assignment table, block i of n measurements: its first word.
inline size_t BlockStart(size_t n, size_t i) { return n + 2 + kBlockWords * i; }
uint32_t BlockKey(const sis::WordTable& table, size_t n, size_t i);
// 8n + 2 words, word 1 = k (non-zero when `requireCount`), offsets n + 1 + 7i.
bool AssignmentCountAndOffsetsOk(const sis::WordTable& table, size_t n);
// The full format check: count, offsets and each block's key identifier.
bool AssignmentFormatOk(const sis::WordTable& table, const std::vector<Measurement>& records);
// Merges an incoming table into `saved` (the last accepted words): the values
// b2..b6 of every incoming block whose key is a measurement's. True when
// `saved` (as merged) must replace the incoming table.
bool MergeAssignment(const sis::WordTable& incoming, const std::vector<Measurement>& records,
                     sis::WordTable& saved);

// Conversion map check of a usable map: status and message number (0: none).
struct CheckResult {
  int32_t status = kStatusUsable;
  int32_t message = 0;
};
CheckResult CheckConversionMap(const sis::WordTable& map);
// Average configuration structure: shape and words; `resolves` tells whether
// its vertical scale identifier names an item.
CheckResult CheckAverageStructure(const sis::WordTable& structure, bool resolves);
// The structure's vertical scale identifier (word 4 << 16 | word 3).
int32_t StructureScaleId(const sis::WordTable& structure);
// True when the check needs to know whether that identifier names an item: a
// well-formed structure whose word 3 is set (0: not yet configured).
bool StructureNamesScale(const sis::WordTable& structure);

// Rule conditions CN0..CN5: three (key variable, classes) pairs.
inline constexpr size_t kRuleConditions = 6;
const std::vector<std::string>& RuleKeywords();
// The rule's value, 0 or 1, for the assignment table's current channels.
int32_t RuleValue(const sis::Rule& rule, const std::vector<Measurement>& records, const sis::WordTable& assignment,
                  const std::vector<Channel>& channels);

// Index of a channel number in the list, -1 when absent.
int32_t FindChannel(const std::vector<Channel>& channels, uint32_t number);

}  // namespace sen

#endif
