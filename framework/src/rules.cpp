#include "sis/framework/rules.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sis/abi/host_codes.h"

namespace sis {
namespace {

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '&' || c == '_' ||
         c == '|';
}

bool IsSingle(char c) { return std::strchr("(),=[]{}", c) != nullptr && c != '\0'; }

// A whole number: optional sign, decimal or 0x hexadecimal.
bool ParseNumber(const std::string& term, int32_t& value) {
  if (term.empty()) return false;
  size_t at = (term[0] == '+' || term[0] == '-') ? 1 : 0;
  const bool hex = term.size() > at + 2 && term[at] == '0' && (term[at + 1] == 'x' || term[at + 1] == 'X');
  const size_t digits = hex ? at + 2 : at;
  if (digits >= term.size()) return false;
  for (size_t i = digits; i < term.size(); ++i) {
    const char c = term[i];
    const bool ok = hex ? std::strchr("0123456789abcdefABCDEF", c) != nullptr : (c >= '0' && c <= '9');
    if (!ok) return false;
  }
  errno = 0;
  unsigned long long magnitude = std::strtoull(term.c_str() + digits, nullptr, hex ? 16 : 10);
  if (errno == ERANGE || magnitude > 0xFFFFFFFFull) return false;
  auto v = static_cast<uint32_t>(magnitude);
  if (term[0] == '-') v = 0u - v;
  value = static_cast<int32_t>(v);
  return true;
}

enum class ListKind { None, Function, Action, Variable };

ListKind ListKeyword(const std::string& token) {
  if (token == "FNC") return ListKind::Function;
  if (token == "SUP") return ListKind::Action;
  if (token == "DAT") return ListKind::Variable;
  return ListKind::None;
}

bool Accepted(const TrimsetAccess& host, ListKind kind, const std::string& name) {
  switch (kind) {
    case ListKind::Function: return host.FunctionKnown(name.c_str());
    case ListKind::Action: return host.ActionKnown(name.c_str());
    case ListKind::Variable: {
      if (!host.VariableExists(name.c_str())) return false;
      // A refused name is dropped without a message.
      int32_t listable = 0;
      return host.ProbeProperty(code::kListable, name.c_str(), listable) && listable != 0;
    }
    case ListKind::None: break;
  }
  return false;
}

}  // namespace

bool RulesTokenizer::ReadOne(std::string& token) {
  const size_t n = text_.size();
  while (position_ < n) {
    const char c = text_[position_];
    if (c == '"') {
      const size_t start = ++position_;
      while (position_ < n && text_[position_] != '"') ++position_;
      token.assign(text_.substr(start, position_ - start));
      if (position_ < n) ++position_;  // past the closing quote
      return true;
    }
    if (IsSingle(c)) {
      token.assign(1, c);
      ++position_;
      return true;
    }
    if (IsWordChar(c)) {
      const size_t start = position_;
      while (position_ < n && IsWordChar(text_[position_])) ++position_;
      token.assign(text_.substr(start, position_ - start));
      return true;
    }
    ++position_;  // separator
  }
  return false;
}

bool RulesTokenizer::NextToken(int32_t number, std::string& token) {
  if (number < 0) return false;
  if (number <= lastNumber_) {  // an earlier token: start again
    position_ = 0;
    lastNumber_ = -1;
  }
  while (lastNumber_ < number) {
    if (!ReadOne(token)) return false;
    ++lastNumber_;
  }
  return true;
}

bool EvaluateValue(const TrimsetAccess& host, const std::string& token, int32_t& value) {
  int32_t result = 0;
  size_t start = 0;
  while (true) {
    const size_t bar = token.find('|', start);
    const std::string term = token.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
    int32_t v = 0;
    if (term.empty()) return false;  // "|" at an end or doubled: nothing to ask the host
    if (!ParseNumber(term, v) && !host.ReadConstant(term.c_str(), v)) {
      if (!host.VariableExists(term.c_str()) || !host.ReadVariableId(term.c_str(), v)) return false;
    }
    result |= v;
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  value = result;
  return true;
}

bool ParseRules(const TrimsetAccess& host, std::string_view text, const std::vector<std::string>& keywords,
                std::vector<Rule>& rules) {
  rules.clear();
  RulesTokenizer tokens(text);
  std::string token;
  std::string equals;
  std::string value;
  bool newRuleAtCondition = true;  // at the start and after a list entry
  int32_t n = 0;
  if (!tokens.NextToken(0, token)) return true;  // an empty text has no rules
  while (true) {
    size_t slot = keywords.size();
    for (size_t k = 0; k < keywords.size(); ++k) {
      if (keywords[k] == token) slot = k;
    }
    const ListKind list = ListKeyword(token);
    const bool ok = (slot < keywords.size() || (list != ListKind::None && !rules.empty())) &&
                    tokens.NextToken(n + 1, equals) && equals == "=" && tokens.NextToken(n + 2, value);
    if (!ok) break;
    if (slot < keywords.size()) {
      if (newRuleAtCondition) {
        rules.push_back(Rule{std::vector<int32_t>(keywords.size(), 0), {}, {}, {}});
        newRuleAtCondition = false;
      }
      int32_t v = 0;
      if (!EvaluateValue(host, value, v)) break;
      rules.back().conditions[slot] = v;
      if (!tokens.NextToken(n + 3, token)) break;  // a condition must be followed by more
    } else {
      if (Accepted(host, list, value)) {
        Rule& rule = rules.back();
        auto& names = list == ListKind::Function ? rule.functions
                      : list == ListKind::Action ? rule.actions
                                                 : rule.variables;
        names.push_back(value);
      }
      newRuleAtCondition = true;
      if (!tokens.NextToken(n + 3, token)) return true;  // the text ends after a list entry
    }
    n += 3;
  }
  rules.clear();
  return false;
}

bool ReadRules(const TrimsetAccess& host, const char* textName, const std::vector<std::string>& keywords,
               std::vector<Rule>& rules) {
  rules.clear();
  RawValue raw;
  if (!host.ReadRawValue(textName, raw)) return false;
  if (raw.count() < 1 || static_cast<const char*>(raw.data())[raw.count() - 1] != '\0') return false;
  const char* text = static_cast<const char*>(raw.data());
  return ParseRules(host, std::string_view(text, std::strlen(text)), keywords, rules);
}

void ApplyRule(const TrimsetAccess& host, const Rule& rule, int32_t value) {
  for (const auto& name : rule.functions) host.SetFunctionState(name.c_str(), value);
  for (const auto& name : rule.actions) host.SetActionState(name.c_str(), value);
  for (const auto& name : rule.variables) host.WriteProperty(code::kSwitch, name.c_str(), value);
}

}  // namespace sis
