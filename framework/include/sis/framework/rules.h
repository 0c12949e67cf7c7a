// Dependency rules texts: a text variable of the Trimset whose entries
// KEYWORD = VALUE make host functions, actions and variables available or not.
//   CN0 = 0x1001|MIN_CMDPREL  FNC = "F_NAME"  SUP = A_NAME  DAT = VAR_NAME ...
// A condition keyword (the plug-in's list) opens a rule when none is open and
// sets one of its slots; FNC, SUP and DAT add a name the host accepts to the
// open rule's lists; after a list entry the next condition keyword opens a
// new rule. Anything else rejects the whole text, leaving no rules.
#ifndef SIS_FRAMEWORK_RULES_H
#define SIS_FRAMEWORK_RULES_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sis/framework/trimset_access.h"

namespace sis {

struct Rule {
  std::vector<int32_t> conditions;  // one slot per condition keyword, 0 when not set
  std::vector<std::string> functions;  // FNC
  std::vector<std::string> actions;    // SUP
  std::vector<std::string> variables;  // DAT
};

// Reads tokens of a rules text; asking for an earlier token restarts.
class RulesTokenizer {
 public:
  explicit RulesTokenizer(std::string_view text) : text_(text) {}
  // Token number `number` (0 = first); false when the text ends before it.
  bool NextToken(int32_t number, std::string& token);

 private:
  bool ReadOne(std::string& token);
  std::string_view text_;
  size_t position_ = 0;
  int32_t lastNumber_ = -1;
};

// Reads the rules text variable `textName`; false (and no rules) when the
// value is not a NUL-terminated text or the text is rejected.
bool ReadRules(const TrimsetAccess& host, const char* textName, const std::vector<std::string>& keywords,
               std::vector<Rule>& rules);
// The same on a text already at hand.
bool ParseRules(const TrimsetAccess& host, std::string_view text, const std::vector<std::string>& keywords,
                std::vector<Rule>& rules);
// A value token: "|"-joined terms, each a number, a named constant or a
// variable's identifier, OR-ed together.
bool EvaluateValue(const TrimsetAccess& host, const std::string& token, int32_t& value);
// Sends `value` (0 or 1) to every function, action and variable of the rule.
void ApplyRule(const TrimsetAccess& host, const Rule& rule, int32_t value);

}  // namespace sis

#endif
